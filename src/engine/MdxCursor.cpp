#include "engine/MdxFile.h"
#include "engine/MdxFileImpl.h"

namespace shelfwise::engine {

MdxCursor::MdxCursor(MdxFile::Impl& file, std::string tag) : file_(&file), tag_(std::move(tag)) {}

bool MdxCursor::place(bool onEntry, std::vector<Step> path, IndexEntry entry, State offSide) {
    state_ = onEntry ? State::On : offSide;
    path_ = std::move(path);
    if (onEntry) {
        key_ = std::move(entry.key);
        record_ = entry.record;
    }
    generation_ = file_->generation;
    return onEntry;
}

bool MdxCursor::first() {
    return file_->read(tag_, [&] {
        auto tree = file_->tree(tag_);
        MdxPath path;
        const bool found = tree.first(path);
        return place(found, path, found ? tree.entry(path) : IndexEntry{}, State::AfterLast);
    });
}

bool MdxCursor::last() {
    return file_->read(tag_, [&] {
        auto tree = file_->tree(tag_);
        MdxPath path;
        const bool found = tree.last(path);
        return place(found, path, found ? tree.entry(path) : IndexEntry{}, State::BeforeFirst);
    });
}

bool MdxCursor::seek(std::string_view key) {
    return file_->read(tag_, [&] {
        auto tree = file_->tree(tag_);
        MdxPath path;
        const bool found = tree.seek(key, path);
        return place(found, path, found ? tree.entry(path) : IndexEntry{}, State::AfterLast);
    });
}

bool MdxCursor::seekExact(std::string_view key, std::uint32_t record) {
    return file_->read(tag_, [&] {
        auto tree = file_->tree(tag_);
        MdxPath path;
        const auto found = tree.seekEntry(key, record, path);
        const bool onEntry = found != MdxTree::Found::End;
        place(onEntry, path, onEntry ? tree.entry(path) : IndexEntry{}, State::AfterLast);
        return found == MdxTree::Found::Exact;
    });
}

bool MdxCursor::next() {
    return file_->read(tag_, [&] {
        auto tree = file_->tree(tag_);
        MdxPath path = path_;
        if (state_ != State::On) {
            const bool found = state_ == State::BeforeFirst && tree.first(path);
            return place(found, path, found ? tree.entry(path) : IndexEntry{}, State::AfterLast);
        }
        if (generation_ != file_->generation) {
            // The tree changed: find this entry again, or the one that followed it.
            const auto found = tree.seekEntry(key_, record_, path);
            if (found != MdxTree::Found::Exact) {
                const bool onEntry = found == MdxTree::Found::After;
                return place(onEntry, path, onEntry ? tree.entry(path) : IndexEntry{},
                             State::AfterLast);
            }
        }
        const bool found = tree.next(path);
        return place(found, path, found ? tree.entry(path) : IndexEntry{}, State::AfterLast);
    });
}

bool MdxCursor::prior() {
    return file_->read(tag_, [&] {
        auto tree = file_->tree(tag_);
        MdxPath path = path_;
        if (state_ != State::On) {
            const bool found = state_ == State::AfterLast && tree.last(path);
            return place(found, path, found ? tree.entry(path) : IndexEntry{}, State::BeforeFirst);
        }
        if (generation_ != file_->generation &&
            tree.seekEntry(key_, record_, path) == MdxTree::Found::End) {
            const bool found = tree.last(path);
            return place(found, path, found ? tree.entry(path) : IndexEntry{}, State::BeforeFirst);
        }
        const bool found = tree.prior(path);
        return place(found, path, found ? tree.entry(path) : IndexEntry{}, State::BeforeFirst);
    });
}

std::uint64_t MdxCursor::position() {
    return file_->read(tag_, [&] {
        auto tree = file_->tree(tag_);
        if (state_ != State::On) {
            return state_ == State::BeforeFirst ? 0 : tree.count({}, {});
        }
        MdxPath path = path_;
        if (generation_ != file_->generation) {
            tree.seekEntry(key_, record_, path);
        }
        return tree.position(path);
    });
}

bool MdxCursor::moveTo(std::uint64_t position) {
    return file_->read(tag_, [&] {
        auto tree = file_->tree(tag_);
        MdxPath path;
        const bool found = tree.select(position, path);
        return place(found, path, found ? tree.entry(path) : IndexEntry{}, State::AfterLast);
    });
}

} // namespace shelfwise::engine
