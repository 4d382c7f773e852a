#include "engine/MdxFile.h"

#include "engine/ByteOrder.h"
#include "engine/MdxBulkBuild.h"
#include "engine/MdxFileImpl.h"

#include <algorithm>
#include <cstring>

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

void MdxFile::beginSteadyRead(std::string_view tag) {
    impl_->refresh(tag);
    impl_->steady = true;
}

void MdxFile::endSteadyRead() {
    impl_->steady = false;
}

} // namespace shelfwise::engine
