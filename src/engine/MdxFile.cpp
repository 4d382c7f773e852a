#include "engine/MdxFile.h"

#include "engine/ByteOrder.h"
#include "engine/MdxBulkBuild.h"
#include "engine/MdxFileImpl.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace shelfwise::engine {

using namespace mdx;

namespace {

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) ==
               std::toupper(static_cast<unsigned char>(y));
    });
}

} // namespace

MdxFile::Impl::Impl(const std::filesystem::path& path, bool writable) : storage(path, writable) {
    load();
}

void MdxFile::Impl::load() {
    storage.dropCache();
    counts.clear();
    ++generation;
    tags.clear();
    const auto size = storage.file().size();
    if (size < kHeaderSize) {
        throw EngineError("The index file is damaged: " + storage.file().path().string() +
                              " is too short",
                          EngineError::Reason::Damaged);
    }
    storage.file().readAt(header.data(), header.size(), 0, "the index header");
    checkHeader(header, size);
    tags = readTags(header, storage);
}

void MdxFile::Impl::refresh(std::string_view tagName) {
    std::array<std::uint8_t, kWatchedBytes> onDisk{};
    storage.file().readAt(onDisk.data(), onDisk.size(), 0, "the index header");
    bool changed = !std::equal(onDisk.begin(), onDisk.end(), header.begin());
    if (!changed && !tagName.empty()) {
        const auto& tag = find(tagName);
        std::array<std::uint8_t, kWatchedTagBytes> tagOnDisk{};
        storage.file().readAt(tagOnDisk.data(), tagOnDisk.size(),
                              std::uint64_t{tag.headerPage} * kPageSize, "a tag header");
        changed = !std::equal(tagOnDisk.begin(), tagOnDisk.end(), tag.image.begin());
    }
    if (changed) {
        load();
    }
}

bool MdxFile::Impl::changedOnDisk() {
    std::array<std::uint8_t, kWatchedBytes> onDisk{};
    storage.file().readAt(onDisk.data(), onDisk.size(), 0, "the index header");
    return !std::equal(onDisk.begin(), onDisk.end(), header.begin());
}

std::uint32_t MdxFile::Impl::counter() const {
    return loadU32(&header[kChangeCounter]);
}

void MdxFile::Impl::setCounter(std::uint32_t value) {
    storeU32(&header[kChangeCounter], value);
}

void MdxFile::Impl::abandonWrite() {
    try {
        // Only the counter: the page count and free list in memory may name unwritten blocks.
        std::array<std::uint8_t, 4> even{};
        storeU32(even.data(), counter() + 1);
        storage.file().writeAt(even.data(), even.size(), kChangeCounter);
        load();
    } catch (const EngineError&) {
        // The caller's error says more; the next call reports the damage.
    }
}

MdxTag& MdxFile::Impl::find(std::string_view name) {
    const auto it = std::find_if(tags.begin(), tags.end(),
                                 [&](const MdxTag& tag) { return sameName(tag.info.name, name); });
    if (it == tags.end()) {
        throw EngineError("The index has no tag " + std::string(name),
                          EngineError::Reason::NotFound);
    }
    return *it;
}

void MdxFile::Impl::writeHeaderFields() {
    storage.file().writeAt(header.data(), kWatchedBytes, 0);
}

void MdxFile::Impl::writeHeaderBlock() {
    storage.file().writeAt(header.data(), header.size(), 0);
}

std::uint32_t MdxFile::Impl::allocate() {
    const auto pages = loadU32(&header[kPageCount]);
    const auto free = loadU32(&header[kFirstFreePage]);
    if (free != 0) {
        bool reusable = free >= kFirstBlockPage && free <= pages - kPagesPerBlock;
        if (reusable) {
            const auto block = storage.block(free);
            reusable = loadU32(block->data() + kFreeMarkField) == kFreeMark;
            if (reusable) {
                storeU32(&header[kFirstFreePage], loadU32(block->data() + kFreeNext));
                const auto available = loadU32(&header[kFreeBlocks]);
                storeU32(&header[kFreeBlocks], available > 0 ? available - 1 : 0);
                return free;
            }
        }
        // A chain cut by a crash or damage: its blocks stay unused rather than be reused twice.
        storeU32(&header[kFirstFreePage], 0);
        storeU32(&header[kFreeBlocks], 0);
    }
    storeU32(&header[kPageCount], pages + kPagesPerBlock);
    return pages;
}

void MdxFile::Impl::release(std::uint32_t page) {
    counts.forget(page); // the block may come back as another node
    Block block{};
    storeU32(block.data() + kFreeNext, loadU32(&header[kFirstFreePage]));
    storeU32(block.data() + kFreeMarkField, kFreeMark);
    storage.writeBlock(page, block);
    storeU32(&header[kFirstFreePage], page);
    storeU32(&header[kFreeBlocks], loadU32(&header[kFreeBlocks]) + 1);
}

void MdxFile::Impl::finishTagChange(MdxTag& tag, const std::vector<std::uint32_t>& freed) {
    stampTag(tag);
    storage.writeBlock(tag.headerPage, tag.image);
    for (const auto page : freed) {
        release(page);
    }
}

void MdxFile::create(const std::filesystem::path& path, std::string_view tableName) {
    const auto header = newHeader(tableName);
    PosixFile::create(path).writeAt(header.data(), header.size(), 0);
}

MdxFile::MdxFile(const std::filesystem::path& path, Mode mode)
    : impl_(std::make_unique<Impl>(path, mode == Mode::ReadWrite)) {}

MdxFile::~MdxFile() = default;

std::vector<MdxTagInfo> MdxFile::tags() const {
    return impl_->read({}, [&] {
        std::vector<MdxTagInfo> result;
        for (const auto& tag : impl_->tags) {
            result.push_back(tag.info);
        }
        return result;
    });
}

void MdxFile::addTag(const MdxTagInfo& info, const IndexEntrySource& entries) {
    impl_->write({}, [&] {
        auto& tags = impl_->tags;
        if (std::any_of(tags.begin(), tags.end(),
                        [&](const MdxTag& tag) { return sameName(tag.info.name, info.name); })) {
            throw EngineError("The index already has a tag " + info.name);
        }
        if (tags.size() >= kMaxTags) {
            throw EngineError("An index holds at most " + std::to_string(kMaxTags) + " tags");
        }
        MdxTag tag = newTag(info, 0);
        tag.headerPage = impl_->allocate();
        MdxBulkBuild(impl_->storage, tag, *impl_).run(entries);
        impl_->publishGrowth();
        stampTag(tag);
        impl_->storage.writeBlock(tag.headerPage, tag.image);
        // The tree and its header reach the disk before the tag table names them.
        impl_->storage.file().sync();
        tags.push_back(std::move(tag));
        writeTagTable(impl_->header, tags);
        impl_->writeHeaderBlock();
        return true;
    });
}

void MdxFile::deleteTag(std::string_view name) {
    impl_->write(name, [&] {
        auto& tags = impl_->tags;
        auto& tag = impl_->find(name);
        std::vector<std::uint32_t> blocks;
        try {
            blocks = impl_->tree(name).nodePages();
        } catch (const EngineError&) {
            // A damaged tree keeps its blocks: they might belong to another tag.
        }
        blocks.push_back(tag.headerPage);
        tags.erase(tags.begin() + (&tag - tags.data()));
        writeTagTable(impl_->header, tags);
        impl_->writeHeaderBlock();
        for (const auto page : blocks) {
            impl_->release(page);
        }
        return true;
    });
}

bool MdxFile::insert(std::string_view tag, std::string_view key, std::uint32_t record) {
    return impl_->write(tag, [&] {
        std::vector<std::uint32_t> freed;
        if (!impl_->tree(tag).insert(key, record, *impl_, freed)) {
            return false;
        }
        impl_->finishTagChange(impl_->find(tag), freed);
        return true;
    });
}

bool MdxFile::remove(std::string_view tag, std::string_view key, std::uint32_t record) {
    return impl_->write(tag, [&] {
        std::vector<std::uint32_t> freed;
        if (!impl_->tree(tag).remove(key, record, freed)) {
            return false;
        }
        impl_->finishTagChange(impl_->find(tag), freed);
        return true;
    });
}

std::uint64_t MdxFile::count(std::string_view tag, std::string_view from,
                             std::string_view to) const {
    return impl_->read(tag, [&] { return impl_->tree(tag).count(from, to); });
}

std::uint64_t MdxFile::check(std::string_view tag) const {
    return impl_->read(tag, [&] { return impl_->tree(tag).check(); });
}

MdxCursor MdxFile::cursor(std::string_view tag) const {
    impl_->read(tag, [&] { return &impl_->find(tag); });
    return MdxCursor(*impl_, std::string(tag));
}

void MdxFile::flush() {
    impl_->storage.file().sync();
}

PosixFile& MdxFile::file() {
    return impl_->storage.file();
}

void MdxFile::reload() {
    impl_->load();
}

// Counts file: "SWCNT1\0\0", u32 stamp length, the stamp, u32 node count, per node u32 page,
// u32 child count and u64 counts; last the FNV-1a 64 of everything before it. Little-endian.
namespace {

constexpr std::string_view kCountsMagic("SWCNT1\0\0", 8);

void appendU32(std::string& out, std::uint32_t value) {
    std::array<std::uint8_t, 4> bytes{};
    storeU32(bytes.data(), value);
    out.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void appendU64(std::string& out, std::uint64_t value) {
    appendU32(out, static_cast<std::uint32_t>(value));
    appendU32(out, static_cast<std::uint32_t>(value >> 32));
}

// Reads little-endian integers from a string; fails once past its end.
class CountsReader {
public:
    explicit CountsReader(std::string_view bytes) : bytes_(bytes) {}
    bool u32(std::uint32_t& value) {
        if (bytes_.size() - at_ < 4) {
            return false;
        }
        value = loadU32(reinterpret_cast<const std::uint8_t*>(bytes_.data() + at_));
        at_ += 4;
        return true;
    }
    bool u64(std::uint64_t& value) {
        std::uint32_t low = 0;
        std::uint32_t high = 0;
        if (!u32(low) || !u32(high)) {
            return false;
        }
        value = low | (std::uint64_t{high} << 32);
        return true;
    }
    bool bytes(std::size_t size, std::string_view& out) {
        if (bytes_.size() - at_ < size) {
            return false;
        }
        out = bytes_.substr(at_, size);
        at_ += size;
        return true;
    }
    bool atEnd() const { return at_ == bytes_.size(); }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

} // namespace

std::string MdxFile::Impl::countsStamp() {
    struct stat st {};
    if (::fstat(storage.file().fd(), &st) != 0) {
        return {};
    }
    std::string stamp;
    appendU64(stamp, static_cast<std::uint64_t>(st.st_size));
    appendU64(stamp, static_cast<std::uint64_t>(st.st_mtim.tv_sec));
    appendU64(stamp, static_cast<std::uint64_t>(st.st_mtim.tv_nsec));
    stamp.append(reinterpret_cast<const char*>(header.data()), kWatchedBytes);
    for (const MdxTag& tag : tags) {
        stamp.append(reinterpret_cast<const char*>(tag.image.data()), kWatchedTagBytes);
    }
    return stamp;
}

void MdxFile::saveCounts(const std::filesystem::path& path) {
    Impl& impl = *impl_;
    if (impl.counts.empty() ||
        (impl.countsGeneration == impl.generation && impl.countsNodes == impl.counts.nodes())) {
        return;
    }
    try {
        if (impl.changedOnDisk()) {
            return; // another writer's change: these counts are not the file's
        }
        const std::string stamp = impl.countsStamp();
        if (stamp.empty()) {
            return;
        }
        std::string out(kCountsMagic);
        appendU32(out, static_cast<std::uint32_t>(stamp.size()));
        out += stamp;
        appendU32(out, static_cast<std::uint32_t>(impl.counts.nodes()));
        for (const auto& [page, children] : impl.counts.all()) {
            appendU32(out, page);
            appendU32(out, static_cast<std::uint32_t>(children.size()));
            for (const std::uint64_t count : children) {
                appendU64(out, count);
            }
        }
        appendU64(out, fnv1a(out.data(), out.size(), kFnvBasis));
        // A file cut short by a crash fails its checksum and is ignored.
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(out.data(), static_cast<std::streamsize>(out.size()));
        impl.countsGeneration = impl.generation;
        impl.countsNodes = impl.counts.nodes();
    } catch (const std::exception&) {
        // Not saved: the next open counts again.
    }
}

void MdxFile::loadCounts(const std::filesystem::path& path) {
    Impl& impl = *impl_;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return;
    }
    const std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (all.size() < kCountsMagic.size() + 8 || all.compare(0, 8, kCountsMagic) != 0) {
        return;
    }
    const std::string_view body(all.data(), all.size() - 8);
    CountsReader sum(std::string_view(all).substr(body.size()));
    std::uint64_t stored = 0;
    if (!sum.u64(stored) || stored != fnv1a(body.data(), body.size(), kFnvBasis)) {
        return;
    }
    CountsReader in(body.substr(kCountsMagic.size()));
    std::uint32_t stampSize = 0;
    std::string_view stamp;
    std::uint32_t nodes = 0;
    if (!in.u32(stampSize) || !in.bytes(stampSize, stamp) || stamp != impl.countsStamp() ||
        !in.u32(nodes)) {
        return;
    }
    MdxCounts loaded;
    for (std::uint32_t i = 0; i < nodes; ++i) {
        std::uint32_t page = 0;
        std::uint32_t children = 0;
        if (!in.u32(page) || !in.u32(children)) {
            return;
        }
        std::vector<std::uint64_t> counts(children);
        for (std::uint64_t& count : counts) {
            if (!in.u64(count)) {
                return;
            }
        }
        loaded.store(page, std::move(counts));
    }
    if (!in.atEnd()) {
        return;
    }
    impl.counts = std::move(loaded);
    impl.countsGeneration = impl.generation;
    impl.countsNodes = impl.counts.nodes();
}

void MdxFile::beginSteadyRead(std::string_view tag, bool compare) {
    if (compare) {
        impl_->refresh(tag);
    }
    impl_->steady = true;
}

void MdxFile::endSteadyRead() {
    impl_->steady = false;
}

} // namespace shelfwise::engine
