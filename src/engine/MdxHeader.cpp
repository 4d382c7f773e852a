#include "engine/MdxHeader.h"

#include "engine/ByteOrder.h"
#include "engine/EngineError.h"
#include "engine/MdxStorage.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <optional>

namespace shelfwise::engine::mdx {

namespace {

[[noreturn]] void damaged(const std::string& problem) {
    throw EngineError("The index file is damaged: " + problem, EngineError::Reason::Damaged);
}

std::size_t itemLengthFor(std::size_t keyLength) {
    return (keyLength + 4 + 3) / 4 * 4;
}

bool keyShapeValid(KeyType type, std::size_t keyLength) {
    switch (type) {
    case KeyType::Character:
        return keyLength >= 1 && keyLength <= 100;
    case KeyType::Numeric:
        return keyLength == 12;
    case KeyType::Date:
        return keyLength == 8;
    }
    return false;
}

// Text up to the first NUL inside a field, or nothing when the field has no NUL.
std::optional<std::string> terminated(const std::uint8_t* field, std::size_t length) {
    const auto* end = std::find(field, field + length, std::uint8_t{0});
    if (end == field + length) {
        return std::nullopt;
    }
    return std::string(reinterpret_cast<const char*>(field), static_cast<std::size_t>(end - field));
}

} // namespace

void stampDate(std::uint8_t* at) {
    const std::chrono::year_month_day today{
        std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now())};
    at[0] = static_cast<std::uint8_t>(static_cast<int>(today.year()) - 1900);
    at[1] = static_cast<std::uint8_t>(static_cast<unsigned>(today.month()));
    at[2] = static_cast<std::uint8_t>(static_cast<unsigned>(today.day()));
}

HeaderBlock newHeader(std::string_view tableName) {
    HeaderBlock header{};
    header[kVersion] = 2;
    stampDate(&header[kCreated]);
    std::memcpy(&header[kTableName], tableName.data(),
                std::min(tableName.size(), kTableNameLength - 1));
    storeU16(&header[kPagesPerBlockField], kPagesPerBlock);
    storeU16(&header[kBlockSizeField], kBlockSize);
    header[kProduction] = 1;
    header[kTagSlots] = 48;
    header[kTagEntryLengthField] = kTagEntryLength;
    header[kMarker] = 0x1B;
    storeU32(&header[kPageCount], kFirstBlockPage);
    stampDate(&header[kUpdated]);
    return header;
}

void checkHeader(const HeaderBlock& header, std::uint64_t fileSize) {
    if (loadU16(&header[kPagesPerBlockField]) != kPagesPerBlock ||
        loadU16(&header[kBlockSizeField]) != kBlockSize) {
        damaged("blocks of " + std::to_string(loadU16(&header[kBlockSizeField])) +
                " bytes are not supported");
    }
    if (header[kTagEntryLengthField] != kTagEntryLength) {
        damaged("bad tag entry length");
    }
    if (loadU16(&header[kTagsInUse]) > kMaxTags) {
        damaged("too many tags");
    }
    const auto pages = loadU32(&header[kPageCount]);
    if (pages < kFirstBlockPage || std::uint64_t{pages} * kPageSize > fileSize) {
        damaged("the page count does not match the file size");
    }
}

std::vector<MdxTag> readTags(const HeaderBlock& header, MdxStorage& storage) {
    const auto pages = loadU32(&header[kPageCount]);
    std::vector<MdxTag> tags;
    for (std::size_t i = 0; i < loadU16(&header[kTagsInUse]); ++i) {
        const std::uint8_t* entry = &header[kTagTable + i * kTagEntryLength];
        MdxTag tag;
        const auto name = terminated(entry + kEntryName, kEntryNameField);
        if (!name || name->empty()) {
            damaged("tag " + std::to_string(i + 1) + " has no name");
        }
        tag.info.name = *name;
        tag.headerPage = loadU32(entry + kEntryHeaderPage);
        if (tag.headerPage < kFirstBlockPage || tag.headerPage > pages - kPagesPerBlock) {
            damaged("tag " + tag.info.name + " points outside the file");
        }
        tag.image = *storage.block(tag.headerPage);
        const auto& image = tag.image;
        const char type = static_cast<char>(image[kKeyType]);
        if (type != 'C' && type != 'N' && type != 'D') {
            damaged("tag " + tag.info.name + " has an unknown key type");
        }
        tag.info.keyType = static_cast<KeyType>(type);
        tag.info.keyLength = loadU16(&image[kKeyLength]);
        tag.info.descending = (image[kKeyFormat] & kFormatDescending) != 0;
        tag.itemLength = loadU16(&image[kItemLength]);
        tag.maxKeys = loadU16(&image[kMaxKeys]);
        if (!keyShapeValid(tag.info.keyType, tag.info.keyLength) ||
            tag.itemLength < tag.info.keyLength + 4 ||
            tag.itemLength > kBlockSize - kNodeOverhead || tag.maxKeys < 2 ||
            tag.maxKeys > (kBlockSize - kNodeOverhead) / tag.itemLength) {
            damaged("tag " + tag.info.name + " has a bad key layout");
        }
        const auto expression = terminated(&image[kExpression], kExpressionField);
        if (!expression) {
            damaged("the expression of tag " + tag.info.name + " is not terminated");
        }
        tag.info.expression = *expression;
        tag.root = loadU32(&image[kRoot]);
        if (tag.root < kFirstBlockPage || tag.root > pages - kPagesPerBlock) {
            damaged("the root of tag " + tag.info.name + " is outside the file");
        }
        tag.pages = loadU32(&image[kTagPages]);
        tag.firstLeaf = loadU32(&image[kFirstLeaf]);
        tag.lastLeaf = loadU32(&image[kLastLeaf]);
        tag.hasKeys = image[kHasKeys] != 0;
        tags.push_back(std::move(tag));
    }
    return tags;
}

void writeTagTable(HeaderBlock& header, const std::vector<MdxTag>& tags) {
    std::fill(header.begin() + kTagTable, header.end(), std::uint8_t{0});
    for (std::size_t i = 0; i < tags.size(); ++i) {
        std::uint8_t* entry = &header[kTagTable + i * kTagEntryLength];
        storeU32(entry + kEntryHeaderPage, tags[i].headerPage);
        std::memcpy(entry + kEntryName, tags[i].info.name.data(), tags[i].info.name.size());
        entry[kEntryFormat] = kFormatExpression;
        entry[kEntryMarker] = 0x02;
        entry[kEntryKeyType] = static_cast<std::uint8_t>(tags[i].info.keyType);
        // Binary tree of the names, entries numbered from 1, built in table order.
        if (i == 0) {
            continue;
        }
        std::size_t node = 0;
        while (true) {
            std::uint8_t* parent = &header[kTagTable + node * kTagEntryLength];
            const auto side = tags[i].info.name < tags[node].info.name ? kEntryLeft : kEntryRight;
            if (parent[side] == 0) {
                parent[side] = static_cast<std::uint8_t>(i + 1);
                entry[kEntryParent] = static_cast<std::uint8_t>(node + 1);
                break;
            }
            node = parent[side] - 1u;
        }
    }
    storeU16(&header[kTagsInUse], static_cast<std::uint16_t>(tags.size()));
    header[kNextTag] = static_cast<std::uint8_t>(tags.size());
}

MdxTag newTag(const MdxTagInfo& info, std::uint32_t headerPage) {
    MdxTag tag;
    tag.info = info;
    auto& name = tag.info.name;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const bool nameValid = !name.empty() && name.size() < kEntryNameField &&
                           std::isalpha(static_cast<unsigned char>(name.front())) != 0 &&
                           std::all_of(name.begin(), name.end(), [](unsigned char c) {
                               return std::isalnum(c) != 0 || c == '_';
                           });
    if (!nameValid) {
        throw EngineError("Bad tag name \"" + info.name +
                          "\": up to 10 letters, digits or _, beginning with a letter");
    }
    if (info.expression.empty() || info.expression.size() >= kExpressionField ||
        info.expression.find('\0') != std::string::npos) {
        throw EngineError("Bad key expression for tag " + name);
    }
    if (!keyShapeValid(info.keyType, info.keyLength)) {
        throw EngineError("Bad key length for tag " + name);
    }
    tag.headerPage = headerPage;
    tag.itemLength = itemLengthFor(info.keyLength);
    tag.maxKeys = (kBlockSize - kNodeOverhead) / tag.itemLength;
    tag.pages = kPagesPerBlock;
    auto& image = tag.image;
    image[kKeyFormat] = kFormatExpression | (info.descending ? kFormatDescending : 0);
    image[kKeyType] = static_cast<std::uint8_t>(info.keyType);
    image[kTagMarker] = 0x1B;
    storeU16(&image[kKeyLength], static_cast<std::uint16_t>(info.keyLength));
    storeU16(&image[kMaxKeys], static_cast<std::uint16_t>(tag.maxKeys));
    storeU16(&image[kSecondaryType], info.keyType == KeyType::Date ? 1 : 0);
    storeU16(&image[kItemLength], static_cast<std::uint16_t>(tag.itemLength));
    std::memcpy(&image[kExpression], info.expression.data(), info.expression.size());
    stampDate(&image[kTagCreated]);
    return tag;
}

void stampTag(MdxTag& tag) {
    auto& image = tag.image;
    storeU32(&image[kRoot], tag.root);
    storeU32(&image[kTagPages], tag.pages);
    storeU32(&image[kFirstLeaf], tag.firstLeaf);
    storeU32(&image[kLastLeaf], tag.lastLeaf);
    image[kHasKeys] = tag.hasKeys ? 1 : 0;
    ++image[kSerial];
}

} // namespace shelfwise::engine::mdx
