#pragma once

// Internal: not part of the engine's public interface.

#include "engine/KeyExpression.h"
#include "engine/MdxFile.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shelfwise::engine {

class DbfFile;
class MemoFile;

// The tags of a table's production index, each with its key expression compiled once against
// the table's fields, kept in step with the records.
class TagSet {
public:
    struct Tag {
        MdxTagInfo info;
        KeyExpression expression;
    };

    // Opens the index and compiles every tag; a tag whose expression this engine cannot
    // evaluate makes the open fail, since its keys could not be kept up to date.
    void open(const std::filesystem::path& path, bool readOnly, const FieldList& fields);
    void close();
    bool isOpen() const { return file_ != nullptr; }
    const std::filesystem::path& path() const { return path_; }

    const std::vector<Tag>& tags() const { return tags_; }
    // The tag of that name (case-insensitive), or nullptr.
    const Tag* find(std::string_view name) const;
    MdxFile& file() { return *file_; }

    // The key of the record in every tag, in tag order.
    std::vector<std::string> keysOf(const RecordSource& record) const;
    // Moves record `n` from its old keys (none for a new record) to its new ones (none for a
    // deleted record).
    void replaceKeys(const std::vector<std::string>* before, const std::vector<std::string>* after,
                     std::uint32_t n);

    void addTag(const std::string& name, const std::string& expression, bool descending,
                const FieldList& fields, const DbfFile& dbf, const MemoFile& memo);
    void deleteTag(std::string_view name);
    // Writes a new index at `path` with these tags filled from the live records, flushed.
    void writeRebuilt(const std::filesystem::path& path, const std::string& tableBaseName,
                      const DbfFile& dbf, const MemoFile& memo) const;
    // Problems found in the tags: structure, and entries that do not match the live records.
    std::vector<std::string> check(const FieldList& fields, const DbfFile& dbf,
                                   const MemoFile& memo);
    void flush() { file_->flush(); }

private:
    void compile(const FieldList& fields);

    std::filesystem::path path_;
    bool readOnly_ = false;
    std::unique_ptr<MdxFile> file_;
    std::vector<Tag> tags_;
};

} // namespace shelfwise::engine
