#pragma once

#include "engine/MdxFile.h"
#include "engine/MdxFormat.h"

#include <vector>

namespace shelfwise::engine {

class MdxStorage;

// A tag as its table entry and header block describe it.
struct MdxTag {
    MdxTagInfo info;
    std::uint32_t headerPage = 0;
    std::uint32_t root = 0;
    std::uint32_t firstLeaf = 0;
    std::uint32_t lastLeaf = 0;
    std::uint32_t pages = 0; // the tag's size in pages, header block included
    std::size_t itemLength = 0;
    std::size_t maxKeys = 0;
    bool hasKeys = false;
    mdx::Block image{}; // the header block as read, rewritten with the fields above
};

namespace mdx {

using HeaderBlock = std::array<std::uint8_t, kHeaderSize>;

HeaderBlock newHeader(std::string_view tableName);
// Throws EngineError when the header block cannot belong to a file of `fileSize` bytes.
void checkHeader(const HeaderBlock& header, std::uint64_t fileSize);
// Reads and checks the header block of every tag in the tag table.
std::vector<MdxTag> readTags(const HeaderBlock& header, MdxStorage& storage);
// Rewrites the tag table (entries and name tree) and the tag count.
void writeTagTable(HeaderBlock& header, const std::vector<MdxTag>& tags);

// A tag with an empty header block; throws EngineError for a bad name or key shape.
MdxTag newTag(const MdxTagInfo& info, std::uint32_t headerPage);
// Copies the changing fields into the header block and increments its serial number.
void stampTag(MdxTag& tag);
// Today as YY MM DD (years since 1900).
void stampDate(std::uint8_t* at);

} // namespace mdx
} // namespace shelfwise::engine
