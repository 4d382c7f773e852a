#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// dBASE IV production index layout. All pointers are 512-byte page numbers; every block
// (header block, tag header, node) is 1024 bytes = 2 pages. Integers are little-endian.
namespace shelfwise::engine::mdx {

constexpr std::size_t kPageSize = 512;
constexpr std::size_t kBlockSize = 1024;
constexpr std::uint32_t kPagesPerBlock = 2;

// File header, page 0:
//   0 version (2)            1-3 created YY MM DD     4-19 .dbf base name, NUL-padded
//   20-21 pages per block    22-23 block size (1024)  24 production flag (1)
//   25 tag slots (48)        26 tag entry length (32) 28-29 tags in use   30 next tag
//   31 0x1B                  32-35 pages in file      36-39 first free page
//   40-43 free blocks        44-46 updated YY MM DD   47- unused by dBASE
//   48-51 change counter: ours; odd while a writer is between its first and last write.
// Tag table: 32-byte entries from 544; the first tag header block follows at page 4.
constexpr std::size_t kHeaderSize = 2048;
constexpr std::uint32_t kFirstBlockPage = kHeaderSize / kPageSize;
constexpr std::size_t kVersion = 0;
constexpr std::size_t kCreated = 1;
constexpr std::size_t kTableName = 4;
constexpr std::size_t kTableNameLength = 16;
constexpr std::size_t kPagesPerBlockField = 20;
constexpr std::size_t kBlockSizeField = 22;
constexpr std::size_t kProduction = 24;
constexpr std::size_t kTagSlots = 25;
constexpr std::size_t kTagEntryLengthField = 26;
constexpr std::size_t kTagsInUse = 28;
constexpr std::size_t kNextTag = 30;
constexpr std::size_t kMarker = 31;
constexpr std::size_t kPageCount = 32;
constexpr std::size_t kFirstFreePage = 36;
constexpr std::size_t kFreeBlocks = 40;
constexpr std::size_t kUpdated = 44;
constexpr std::size_t kChangeCounter = 48;
// The header bytes every call compares to notice another writer.
constexpr std::size_t kWatchedBytes = 52;

// Tag table entry:
//   0-3 tag header page  4-14 name, NUL-terminated  15 key format (0x10)
//   16/17/18 tag numbers of the left, right and parent tag in a binary tree of the names
//   19 0x02  20 key type C/N/D
constexpr std::size_t kTagTable = 544;
constexpr std::size_t kTagEntryLength = 32;
constexpr std::size_t kMaxTags = (kHeaderSize - kTagTable) / kTagEntryLength; // 47
constexpr std::size_t kEntryHeaderPage = 0;
constexpr std::size_t kEntryName = 4;
constexpr std::size_t kEntryNameField = 11;
constexpr std::size_t kEntryFormat = 15;
constexpr std::size_t kEntryLeft = 16;
constexpr std::size_t kEntryRight = 17;
constexpr std::size_t kEntryParent = 18;
constexpr std::size_t kEntryMarker = 19;
constexpr std::size_t kEntryKeyType = 20;

// Tag header block:
//   0-3 root page  4-7 tag size in pages  8 key format: 0x10 | 0x08 descending | 0x40 unique
//   9 key type  11 0x1B  12-13 key length  14-15 max keys per node  16-17 secondary type
//   (1 for D)  18-19 item length  20 serial, incremented on each update  23 unique
//   24-244 key expression, NUL-terminated  245 has FOR  246 has keys
//   248-251 first leaf  252-255 last leaf  257-259 created YY MM DD
constexpr std::size_t kRoot = 0;
constexpr std::size_t kTagPages = 4;
constexpr std::size_t kKeyFormat = 8;
constexpr std::size_t kKeyType = 9;
constexpr std::size_t kTagMarker = 11;
constexpr std::size_t kKeyLength = 12;
constexpr std::size_t kMaxKeys = 14;
constexpr std::size_t kSecondaryType = 16;
constexpr std::size_t kItemLength = 18;
constexpr std::size_t kSerial = 20;
constexpr std::size_t kExpression = 24;
constexpr std::size_t kExpressionField = 221;
constexpr std::size_t kHasKeys = 246;
constexpr std::size_t kFirstLeaf = 248;
constexpr std::size_t kLastLeaf = 252;
constexpr std::size_t kTagCreated = 257;
// The tag header bytes every call on a tag compares to notice another writer.
constexpr std::size_t kWatchedTagBytes = 24;

constexpr std::uint8_t kFormatExpression = 0x10;
constexpr std::uint8_t kFormatDescending = 0x08;

// Node: 0-3 key count n; 4-7 unused; from 8 n items of [u32 pointer][key, NUL-padded to the
// item length]. The pointer is a 1-based record number in a leaf and a child page in an
// interior node. The u32 after the last item is the rightmost child of an interior node
// and 0 in a leaf, which is how readers tell them apart. Key i of an interior node is the
// highest key under child i. 12 bytes of every block are not items: n, the unused word and
// the rightmost child.
constexpr std::size_t kNodeCount = 0;
constexpr std::size_t kNodeItems = 8;
constexpr std::size_t kNodeOverhead = 12;

// A free block: key count 0, 4-7 next free page (0 ends the chain), 8-11 kFreeMark.
// The mark tells a reused block from a chain that was cut by a crash.
constexpr std::size_t kFreeNext = 4;
constexpr std::size_t kFreeMarkField = 8;
constexpr std::uint32_t kFreeMark = 0x45455246; // "FREE"

constexpr std::size_t kMaxDepth = 32;

using Block = std::array<std::uint8_t, kBlockSize>;

} // namespace shelfwise::engine::mdx
