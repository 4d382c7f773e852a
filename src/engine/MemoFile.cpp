#include "engine/MemoFile.h"

#include "engine/ByteOrder.h"

#include <algorithm>
#include <array>
#include <optional>

namespace shelfwise::engine {

// Header, block 0:
//   0-3    dBASE III: next block to append. dBASE IV: head of the free-block chain, or the
//          next block to append when the chain is empty
// dBASE IV free run (blocks freed by an edit), at its first block:
//   0-3    next run (a higher block); the last run's pointer is the next block to append
//   4-7    number of blocks in the run
// Runs are kept in block order and merged with their neighbours.
//   8-15   base name of the table, NUL-padded
//   16     0x00 (dBASE IV), 0x03 (dBASE III)
//   20-21  block size (dBASE III files leave it 0 and mean 512)
// dBASE IV value at block n, offset n * block size:
//   0-3    FF FF 08 00
//   4-7    length of the value plus these 8 bytes
//   8-     the value, then zeros to the end of the last block
// dBASE III value: the bytes up to 0x1A 0x1A, then zeros to the end of the last block.
namespace {

constexpr std::array<std::uint8_t, 4> kBlockSignature = {0xFF, 0xFF, 0x08, 0x00};
constexpr std::size_t kValueHeaderSize = 8;
constexpr std::string_view kDbaseThreeEnd = "\x1A\x1A";
constexpr std::uint64_t kReadPiece = 256 * 1024;

} // namespace

void MemoFile::create(const std::filesystem::path& path, const std::string& tableBaseName,
                      bool dbaseThree) {
    std::array<std::uint8_t, kBlockSize> header{};
    storeU32(&header[0], 1);
    std::copy_n(tableBaseName.begin(), std::min<std::size_t>(tableBaseName.size(), 8), &header[8]);
    if (dbaseThree) {
        header[16] = 0x03;
    } else {
        storeU16(&header[20], kBlockSize);
    }
    PosixFile file = PosixFile::create(path);
    file.writeAt(header.data(), header.size(), 0);
    file.sync();
}

MemoFile::MemoFile(const std::filesystem::path& path, PosixFile::Access access, bool dbaseThree)
    : file_(path, access), dbaseThree_(dbaseThree) {
    std::array<std::uint8_t, 24> header{};
    file_.readAt(header.data(), header.size(), 0, "the memo file header");
    const std::uint16_t size = loadU16(&header[20]);
    blockSize_ = dbaseThree_ || size == 0 ? kBlockSize : size;
    if (blockSize_ < 64 || blockSize_ % 64 != 0) {
        file_.fail("damaged memo file (block size " + std::to_string(blockSize_) + ")",
                   EngineError::Reason::Damaged);
    }
}

std::uint64_t MemoFile::blockOffset(std::uint32_t block, std::uint64_t fileSize) const {
    const std::uint64_t offset = std::uint64_t(block) * blockSize_;
    if (block == 0 || offset >= fileSize) {
        file_.fail("damaged memo (block " + std::to_string(block) + " lies outside the file)",
                   EngineError::Reason::Damaged);
    }
    return offset;
}

std::uint64_t MemoFile::valueLength(std::uint32_t block, std::uint64_t offset,
                                    std::uint64_t fileSize) const {
    std::array<std::uint8_t, kValueHeaderSize> header{};
    file_.readAt(header.data(), header.size(), offset, "a memo block");
    if (!std::equal(kBlockSignature.begin(), kBlockSignature.end(), header.begin())) {
        file_.fail("damaged memo (block " + std::to_string(block) + " has no memo header)",
                   EngineError::Reason::Damaged);
    }
    const std::uint32_t length = loadU32(&header[4]);
    if (length < kValueHeaderSize || offset + length > fileSize) {
        file_.fail("damaged memo (block " + std::to_string(block) + " claims " +
                       std::to_string(length) + " bytes)",
                   EngineError::Reason::Damaged);
    }
    return length - kValueHeaderSize;
}

std::string MemoFile::read(std::uint32_t block) const {
    const std::uint64_t fileSize = file_.size();
    const std::uint64_t offset = blockOffset(block, fileSize);
    if (dbaseThree_) {
        return readDbaseThree(offset, fileSize);
    }
    return readValue(offset + kValueHeaderSize, valueLength(block, offset, fileSize));
}

std::string MemoFile::readValue(std::uint64_t offset, std::uint64_t length) const {
    // Read in pieces into reserved room: filling a large value with zeros first would touch
    // every page of it twice.
    std::string value;
    value.reserve(length);
    std::string piece(std::min<std::uint64_t>(length, kReadPiece), '\0');
    while (value.size() < length) {
        const std::size_t size = std::min<std::uint64_t>(piece.size(), length - value.size());
        file_.readAt(piece.data(), size, offset + value.size(), "a memo");
        value.append(piece, 0, size);
    }
    return value;
}

std::uint64_t MemoFile::size(std::uint32_t block) const {
    return extent(block).length;
}

MemoFile::Extent MemoFile::extent(std::uint32_t block) const {
    const std::uint64_t fileSize = file_.size();
    const std::uint64_t offset = blockOffset(block, fileSize);
    if (dbaseThree_) {
        return {offset, dbaseThreeLength(offset, fileSize)};
    }
    return {offset + kValueHeaderSize, valueLength(block, offset, fileSize)};
}

void MemoFile::readPart(const Extent& value, std::uint64_t at, std::span<char> into) const {
    if (at > value.length || into.size() > value.length - at) {
        file_.fail("a read past the end of a memo value", EngineError::Reason::Usage);
    }
    file_.readAt(into.data(), into.size(), value.offset + at, "a memo");
}

std::string MemoFile::readDbaseThree(std::uint64_t offset, std::uint64_t fileSize) const {
    return readValue(offset, dbaseThreeLength(offset, fileSize));
}

std::uint64_t MemoFile::dbaseThreeLength(std::uint64_t offset, std::uint64_t fileSize) const {
    // The bytes are looked at a piece at a time and not kept; pieces grow from one block, so a
    // short value costs a short read.
    std::string piece(std::min<std::uint64_t>(blockSize_, kReadPiece), '\0');
    std::uint64_t length = 0;
    std::optional<std::uint64_t> firstMark;
    bool endsWithMark = false;
    while (offset + length < fileSize) {
        const std::size_t got = file_.readSomeAt(piece.data(), piece.size(), offset + length);
        if (got == 0) {
            break;
        }
        const std::string_view seen(piece.data(), got);
        if (endsWithMark && seen.front() == kDbaseThreeEnd[1]) {
            return length - 1;
        }
        if (const std::size_t end = seen.find(kDbaseThreeEnd); end != std::string_view::npos) {
            return length + end;
        }
        if (const std::size_t mark = seen.find('\x1A'); !firstMark && mark != seen.npos) {
            firstMark = length + mark;
        }
        endsWithMark = seen.back() == kDbaseThreeEnd[0];
        length += got;
        if (piece.size() < kReadPiece) {
            piece.resize(std::min<std::uint64_t>(piece.size() * 2, kReadPiece));
        }
    }
    // Some writers end a value with a single 0x1A.
    if (firstMark) {
        return *firstMark;
    }
    file_.fail("damaged memo (a value has no end mark)", EngineError::Reason::Damaged);
}

std::uint32_t MemoFile::reusableBlocks(std::uint32_t block) const {
    const std::uint64_t offset = std::uint64_t(block) * blockSize_;
    std::array<std::uint8_t, kValueHeaderSize> header{};
    if (dbaseThree_ || block == 0 ||
        file_.readSomeAt(header.data(), header.size(), offset) != header.size() ||
        !std::equal(kBlockSignature.begin(), kBlockSignature.end(), header.begin())) {
        return 0;
    }
    const std::uint64_t length = loadU32(&header[4]);
    if (length < kValueHeaderSize || offset + length > file_.size()) {
        return 0;
    }
    return static_cast<std::uint32_t>((length + blockSize_ - 1) / blockSize_);
}

std::uint32_t MemoFile::write(std::uint32_t oldBlock, std::string_view data) {
    const std::uint32_t oldBlocks = reusableBlocks(oldBlock);
    if (data.empty()) {
        if (oldBlocks > 0) {
            release(oldBlock, oldBlocks);
        }
        return 0;
    }
    std::string stored;
    if (dbaseThree_) {
        if (data.find(kDbaseThreeEnd) != std::string_view::npos) {
            file_.fail("a dBASE III memo file cannot hold a value containing 0x1A 0x1A",
                       EngineError::Reason::Usage);
        }
        stored.append(data).append(kDbaseThreeEnd);
    } else {
        if (data.size() > 0xFFFFFFFFu - kValueHeaderSize) {
            file_.fail("a memo value is too long", EngineError::Reason::Usage);
        }
        stored.assign(reinterpret_cast<const char*>(kBlockSignature.data()), 4);
        stored.resize(kValueHeaderSize);
        storeU32(reinterpret_cast<std::uint8_t*>(stored.data()) + 4,
                 static_cast<std::uint32_t>(data.size() + kValueHeaderSize));
        stored.append(data);
    }
    const std::uint64_t blocksNeeded = (stored.size() + blockSize_ - 1) / blockSize_;
    if (blocksNeeded > 0xFFFFFFFFu) {
        file_.fail("a memo value is too long", EngineError::Reason::Usage);
    }
    const auto blocks = static_cast<std::uint32_t>(blocksNeeded);
    std::uint32_t block = 0;
    if (blocks <= oldBlocks) {
        block = oldBlock;
        if (blocks < oldBlocks) {
            release(oldBlock + blocks, oldBlocks - blocks);
        }
    } else {
        if (oldBlocks > 0) {
            release(oldBlock, oldBlocks);
        }
        block = allocate(blocks);
    }
    stored.resize(std::uint64_t(blocks) * blockSize_, '\0');
    file_.writeAt(stored.data(), stored.size(), std::uint64_t(block) * blockSize_);
    return block;
}

std::uint32_t MemoFile::endBlock() const {
    return static_cast<std::uint32_t>(
        std::max<std::uint64_t>(1, (file_.size() + blockSize_ - 1) / blockSize_));
}

std::vector<MemoFile::FreeRun> MemoFile::freeChain() const {
    std::vector<FreeRun> chain;
    if (dbaseThree_) {
        return chain;
    }
    const std::uint32_t end = endBlock();
    std::array<std::uint8_t, 8> node{};
    file_.readAt(node.data(), 4, 0, "the memo file header");
    std::uint32_t block = loadU32(node.data());
    std::uint64_t linkOffset = 0;
    while (block >= 1 && block < end) {
        if (file_.readSomeAt(node.data(), node.size(), std::uint64_t(block) * blockSize_) !=
                node.size() ||
            std::equal(kBlockSignature.begin(), kBlockSignature.end(), node.begin())) {
            break;
        }
        FreeRun run{block, loadU32(&node[4]), loadU32(&node[0]), linkOffset};
        if (run.count == 0 || run.count > end - block || run.next < block + run.count) {
            break;
        }
        chain.push_back(run);
        linkOffset = std::uint64_t(block) * blockSize_;
        block = run.next;
    }
    return chain;
}

void MemoFile::writeU32(std::uint64_t offset, std::uint32_t value) {
    std::array<std::uint8_t, 4> bytes{};
    storeU32(bytes.data(), value);
    file_.writeAt(bytes.data(), bytes.size(), offset);
}

void MemoFile::writeRun(std::uint32_t block, std::uint32_t next, std::uint32_t count) {
    std::array<std::uint8_t, 8> node{};
    storeU32(&node[0], next);
    storeU32(&node[4], count);
    file_.writeAt(node.data(), node.size(), std::uint64_t(block) * blockSize_);
}

// The rest of a run is written before the pointer moves past the part taken, so a bulk load
// (which writes without the journal) cut short loses blocks at worst, never the chain.
std::uint32_t MemoFile::allocate(std::uint32_t blocks) {
    const std::vector<FreeRun> chain = freeChain();
    for (const FreeRun& run : chain) {
        if (run.count < blocks) {
            continue;
        }
        if (run.count == blocks) {
            writeU32(run.linkOffset, run.next);
        } else {
            writeRun(run.block + blocks, run.next, run.count - blocks);
            writeU32(run.linkOffset, run.block + blocks);
        }
        return run.block;
    }
    const std::uint32_t end = endBlock();
    if (std::uint64_t(end) + blocks > 0xFFFFFFFFu) {
        file_.fail("the memo file is full", EngineError::Reason::Usage);
    }
    writeU32(chain.empty() ? 0 : std::uint64_t(chain.back().block) * blockSize_, end + blocks);
    return end;
}

void MemoFile::release(std::uint32_t block, std::uint32_t blocks) {
    const std::vector<FreeRun> chain = freeChain();
    // The runs before and after the freed blocks.
    const auto after = std::find_if(chain.begin(), chain.end(),
                                    [&](const FreeRun& run) { return run.block > block; });
    const FreeRun* previous = after == chain.begin() ? nullptr : &*(after - 1);
    const FreeRun* next = after == chain.end() ? nullptr : &*after;
    if (previous != nullptr && previous->block + previous->count > block) {
        return; // already free: a damaged pointer named it twice
    }
    std::uint32_t pointer = 0; // where the new run points: the next run or the chain's end
    if (next != nullptr) {
        pointer = next->block;
    } else if (previous != nullptr) {
        pointer = previous->next;
    } else {
        std::array<std::uint8_t, 4> head{};
        file_.readAt(head.data(), head.size(), 0, "the memo file header");
        pointer = loadU32(head.data());
    }
    if (next != nullptr && block + blocks > next->block) {
        return; // overlaps a free run: damage, leave it
    }
    const bool joinsNext = next != nullptr && block + blocks == next->block;
    const std::uint32_t count = blocks + (joinsNext ? next->count : 0);
    const std::uint32_t following = joinsNext ? next->next : pointer;
    if (previous != nullptr && previous->block + previous->count == block) {
        writeRun(previous->block, following, previous->count + count);
        return;
    }
    writeRun(block, following, count);
    writeU32(previous == nullptr ? 0 : std::uint64_t(previous->block) * blockSize_, block);
}

} // namespace shelfwise::engine
