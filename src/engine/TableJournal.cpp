#include "engine/TableJournal.h"

#include "engine/ByteOrder.h"
#include "engine/MdxFormat.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <optional>

namespace shelfwise::engine {

// The journal file (missing, or without its mark in bytes 0-7: nothing pending):
//   0-7    "SWJRNL1\0", the mark
//   8      kind: 'R' before-images of a post, 'S' plan of a swap, 'N' another journal
//   9-15   0
//   16-23  length of the body (u64)
//   24-31  FNV-1a (64-bit) of bytes 8-23 and the body: a journal cut short by a crash while
//          it was written fails it and is ignored (nothing had been overwritten yet)
//   32-    the body
// Names are file names in the journal's directory: u16 length, then the bytes.
// 'R' body: u32 file count; per file its name and u64 size before the post;
//           u32 image count; per image u32 file index, u64 offset, u32 length, the bytes.
//           Recovery writes the images back and cuts each file to its old size.
// 'S' body: u32 rename count; per rename the names from and to and the u64 device and inode
//           of the file renamed; u32 removal count; per removal the name, device and inode;
//           u32 patch count; per patch the name, u64 offset, u32 length, the bytes.
//           Recovery renames and removes each file that is still the one named (so a plan
//           run twice changes nothing more), then writes the patches; a plan whose first
//           file is still in place under its old name never started and is dropped.
//           A removal may also name another table's journal (a rename's pointer, below).
// 'N' body: the name of another table's journal. Recovery removes that journal, dropping
//           what it holds, while no table of its name exists: a rename stopped before its
//           .dbf moved leaves its plan or an empty journal under the new name.
namespace {

constexpr std::array<char, 8> kMagic = {'S', 'W', 'J', 'R', 'N', 'L', '1', '\0'};
constexpr std::size_t kHeaderSize = 32;
// Before-images of one post: far beyond any memo value a post rewrites in place.
constexpr std::uint64_t kLargestBody = std::uint64_t(1) << 30;

class Writer {
public:
    void u16(std::uint16_t v) { put(v, 2); }
    void u32(std::uint32_t v) { put(v, 4); }
    void u64(std::uint64_t v) { put(v, 8); }
    void bytes(std::string_view b) { out_.append(b); }
    void name(const std::filesystem::path& path) {
        const std::string n = path.filename().string();
        u16(static_cast<std::uint16_t>(n.size()));
        bytes(n);
    }
    std::string& out() { return out_; }

private:
    void put(std::uint64_t v, int size) {
        for (int i = 0; i < size; ++i) {
            out_.push_back(static_cast<char>(v >> (8 * i)));
        }
    }
    std::string out_;
};

// Reads a body the checksum vouched for; a body that still does not parse is damage.
class Reader {
public:
    Reader(const std::string& body, const std::filesystem::path& journal)
        : body_(body), journal_(journal) {}
    std::uint16_t u16() { return static_cast<std::uint16_t>(get(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(get(4)); }
    std::uint64_t u64() { return get(8); }
    std::string bytes(std::size_t size) {
        need(size);
        std::string b = body_.substr(pos_, size);
        pos_ += size;
        return b;
    }
    std::filesystem::path name(const std::filesystem::path& directory) {
        const std::string n = bytes(u16());
        if (n.empty() || n.find('/') != std::string::npos || n == "." || n == "..") {
            damaged();
        }
        return directory / n;
    }
    // A name of a file that belongs to the journal's table: its base name, any extension
    // but the journal's own. Writes, removals and renames onto a name are limited to these.
    std::filesystem::path ownName() {
        std::filesystem::path path = name(journal_.parent_path());
        if (lowerCase(path.stem().string()) != lowerCase(journal_.stem().string()) ||
            path.extension() == journal_.extension()) {
            damaged();
        }
        return path;
    }
    // A name of a file the journal's table owns, or of any journal in its directory.
    std::filesystem::path ownNameOrJournal() {
        std::filesystem::path path = name(journal_.parent_path());
        if (path.extension() != journal_.extension() &&
            lowerCase(path.stem().string()) != lowerCase(journal_.stem().string())) {
            damaged();
        }
        return path;
    }
    [[noreturn]] void damaged() const {
        throw EngineError(journal_.string() + ": damaged journal", EngineError::Reason::Damaged);
    }

private:
    std::uint64_t get(int size) {
        need(static_cast<std::size_t>(size));
        std::uint64_t v = 0;
        for (int i = 0; i < size; ++i) {
            v |= std::uint64_t(static_cast<std::uint8_t>(body_[pos_ + i])) << (8 * i);
        }
        pos_ += static_cast<std::size_t>(size);
        return v;
    }
    void need(std::size_t size) {
        if (size > body_.size() - pos_) {
            damaged();
        }
    }
    const std::string& body_;
    const std::filesystem::path& journal_;
    std::size_t pos_ = 0;
};

struct BeforeImage {
    std::uint32_t file = 0;
    std::uint64_t offset = 0;
    std::string bytes;
};

struct Rollback {
    std::vector<std::pair<std::filesystem::path, std::uint64_t>> files; // path, size before
    std::vector<BeforeImage> images;
};

// True when [offset, offset + size) lies within the first `limit` bytes.
bool within(std::uint64_t offset, std::uint64_t size, std::uint64_t limit) {
    return offset <= limit && size <= limit - offset;
}

std::uint32_t readU32(const PosixFile& file, std::uint64_t offset) {
    std::array<std::uint8_t, 4> bytes{};
    file.readAt(bytes.data(), bytes.size(), offset, "the index's change counter");
    return loadU32(bytes.data());
}

// Readers in other processes keep index nodes while the index's change counter stays the
// same. The counter a rollback writes back may be one they saw before or during the torn
// post, so it is moved past both (and left even: no writer is at work).
void advanceIndexCounter(PosixFile& file, std::uint32_t torn) {
    const std::uint32_t restored = readU32(file, mdx::kChangeCounter);
    const std::uint32_t advanced = ((std::max(restored, torn) + 2) | 1) + 1;
    std::array<std::uint8_t, 4> bytes{};
    storeU32(bytes.data(), advanced);
    file.writeAt(bytes.data(), bytes.size(), mdx::kChangeCounter);
}

bool isIndex(const std::filesystem::path& path) {
    return lowerCase(path.extension().string()) == ".mdx";
}

// A file gone since (deleted with its table) has nothing to roll back and is skipped.
void writeBack(const Rollback& rollback) {
    std::vector<std::optional<PosixFile>> files;
    for (const auto& [path, size] : rollback.files) {
        std::optional<PosixFile>& file = files.emplace_back();
        if (!identityOf(path)) {
            continue;
        }
        file = PosixFile::openNoFollow(path);
        // A post only grows its files: an old size beyond the file's is no post's.
        if (file->size() < size) {
            file->fail("damaged journal (the size to restore exceeds the file's)",
                       EngineError::Reason::Damaged);
        }
    }
    constexpr std::uint64_t kCounterEnd = mdx::kChangeCounter + 4;
    std::vector<std::optional<std::uint32_t>> tornCounters(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (files[i] && isIndex(files[i]->path()) && rollback.files[i].second >= kCounterEnd) {
            tornCounters[i] = readU32(*files[i], mdx::kChangeCounter);
        }
    }
    for (const BeforeImage& image : rollback.images) {
        if (auto& file = files.at(image.file)) {
            file->writeAt(image.bytes.data(), image.bytes.size(), image.offset);
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (auto& file = files[i]) {
            if (file->size() != rollback.files[i].second) {
                file->truncate(rollback.files[i].second);
            }
            if (tornCounters[i]) {
                advanceIndexCounter(*file, *tornCounters[i]);
            }
            file->sync();
        }
    }
}

Rollback readRollback(Reader& in) {
    Rollback rollback;
    for (std::uint32_t n = in.u32(); n > 0; --n) {
        std::filesystem::path path = in.ownName();
        rollback.files.emplace_back(std::move(path), in.u64());
    }
    for (std::uint32_t n = in.u32(); n > 0; --n) {
        BeforeImage image;
        image.file = in.u32();
        image.offset = in.u64();
        image.bytes = in.bytes(in.u32());
        if (image.file >= rollback.files.size() ||
            !within(image.offset, image.bytes.size(), rollback.files[image.file].second)) {
            in.damaged();
        }
        rollback.images.push_back(std::move(image));
    }
    return rollback;
}

// Ranges of a page closer than this are kept as one image: each image costs 16 bytes of
// the journal's body besides its bytes.
constexpr std::size_t kImageGap = 16;

// Adds the before-images of the bytes a write changes in one page: only the changed ranges,
// since a write leaves the page's other bytes as they were (a rollback need not restore what
// no write touched). `keep`: a byte to journal even though it looks unchanged (the busy
// mark, set on the disk only once the journal is flushed).
void addChangedRanges(std::vector<BeforeImage>& images, std::uint32_t file,
                      std::uint64_t pageOffset, std::string_view before, std::string_view after,
                      std::optional<std::size_t> keep) {
    const std::size_t length = before.size();
    // The first byte from `from` on that the write changed (or `keep`), or `length`.
    auto nextChange = [&](std::size_t from) {
        std::size_t at = from;
        while (at + 8 <= length && std::memcmp(before.data() + at, after.data() + at, 8) == 0) {
            at += 8;
        }
        while (at < length && before[at] == after[at]) {
            ++at;
        }
        return keep && *keep >= from ? std::min(at, *keep) : at;
    };
    for (std::size_t start = nextChange(0); start < length;) {
        std::size_t end = start + 1;
        std::size_t next = nextChange(end);
        while (next < length && next - end < kImageGap) {
            end = next + 1;
            next = nextChange(end);
        }
        images.push_back(
            {file, pageOffset + start, std::string(before.substr(start, end - start))});
        start = next;
    }
}

void encodeIdentity(Writer& out, const std::filesystem::path& path) {
    const auto id = identityOf(path);
    if (!id) {
        throw EngineError(path.string() + ": the file is missing", EngineError::Reason::NotFound);
    }
    out.u64(id->device);
    out.u64(id->inode);
}

struct Move {
    std::filesystem::path from;
    std::filesystem::path to;
    FileIdentity id;
};

// Carries out a swap plan read from the journal; each step is skipped once done. Resuming
// after a stop, a plan whose first rename never happened is dropped instead: nothing had
// changed, and its first file (a rename's old .dbf) may be a live table again by now.
void carryOut(Reader& in, const std::filesystem::path& directory, bool resuming) {
    std::vector<Move> moves;
    for (std::uint32_t n = in.u32(); n > 0; --n) {
        Move move{in.name(directory), in.ownName(), {}};
        move.id = {in.u64(), in.u64()};
        moves.push_back(std::move(move));
    }
    if (resuming && !moves.empty() && identityOf(moves.front().from) == moves.front().id) {
        return;
    }
    bool swapped = false;
    for (const Move& move : moves) {
        if (identityOf(move.from) == move.id) {
            renameFile(move.from, move.to);
            swapped = true;
        }
    }
    for (std::uint32_t n = in.u32(); n > 0; --n) {
        const std::filesystem::path path = in.ownNameOrJournal();
        const FileIdentity id{in.u64(), in.u64()};
        if (identityOf(path) == id) {
            removeFile(path);
            swapped = true;
        }
    }
    if (swapped) {
        syncDirectory(directory);
    }
    for (std::uint32_t n = in.u32(); n > 0; --n) {
        const std::filesystem::path path = in.ownName();
        const std::uint64_t offset = in.u64();
        const std::string bytes = in.bytes(in.u32());
        if (!identityOf(path)) {
            continue; // gone since (a rename's files moved on, or the table deleted)
        }
        PosixFile file = PosixFile::openNoFollow(path);
        if (!within(offset, bytes.size(), file.size())) {
            in.damaged(); // patches rewrite headers; they never grow a file
        }
        file.writeAt(bytes.data(), bytes.size(), offset);
        file.sync();
    }
}

} // namespace

bool TableJournal::pending() const {
    if (!identityOf(path_)) {
        return false;
    }
    const PosixFile file(path_, PosixFile::Access::ReadOnly);
    std::array<char, kMagic.size()> magic{};
    return file.readSomeAt(magic.data(), magic.size(), 0) == magic.size() && magic == kMagic;
}

bool TableJournal::recover() const {
    if (!pending()) {
        return false;
    }
    const PosixFile file(path_, PosixFile::Access::ReadOnly);
    std::array<char, kHeaderSize> header{};
    std::string body;
    bool whole = file.readSomeAt(header.data(), header.size(), 0) == header.size() &&
                 std::equal(kMagic.begin(), kMagic.end(), header.begin());
    if (whole) {
        const auto* h = reinterpret_cast<const std::uint8_t*>(header.data());
        const std::uint64_t length = loadU32(h + 16) | (std::uint64_t(loadU32(h + 20)) << 32);
        whole = length <= file.size() - kHeaderSize;
        if (whole) {
            if (length > kLargestBody) {
                file.fail("damaged journal (a body of " + std::to_string(length) + " bytes)",
                          EngineError::Reason::Damaged);
            }
            body.resize(length);
            whole = file.readSomeAt(body.data(), body.size(), kHeaderSize) == length;
        }
        const std::uint64_t sum = loadU32(h + 24) | (std::uint64_t(loadU32(h + 28)) << 32);
        whole = whole &&
                fnv1a(body.data(), body.size(), fnv1a(header.data() + 8, 16, kFnvBasis)) == sum;
    }
    bool swapped = false;
    if (whole) {
        const std::filesystem::path directory = path_.parent_path();
        Reader in(body, path_);
        if (header[8] == 'R') {
            writeBack(readRollback(in));
        } else if (header[8] == 'S') {
            carryOut(in, directory, true);
            swapped = true;
        } else if (header[8] == 'N') {
            const std::filesystem::path other = in.name(directory);
            if (other.extension() != path_.extension()) {
                in.damaged();
            }
            // Cleared first, so journals pointing at each other end.
            clear(false);
            if (!TablePaths(directory, other.stem().string()).tableExists()) {
                TableJournal(other).recover();
                removeFile(other);
            }
        }
    }
    clear(swapped);
    if (swapped) {
        removeFile(path_);
    }
    return swapped;
}

void TableJournal::write(char kind, const std::string& body, bool syncDirectoryAlways) const {
    std::string bytes(kMagic.begin(), kMagic.end());
    bytes.resize(kHeaderSize, '\0');
    bytes[8] = kind;
    auto* h = reinterpret_cast<std::uint8_t*>(bytes.data());
    storeU32(h + 16, static_cast<std::uint32_t>(body.size()));
    storeU32(h + 20, static_cast<std::uint32_t>(std::uint64_t(body.size()) >> 32));
    const std::uint64_t sum =
        fnv1a(body.data(), body.size(), fnv1a(bytes.data() + 8, 16, kFnvBasis));
    storeU32(h + 24, static_cast<std::uint32_t>(sum));
    storeU32(h + 28, static_cast<std::uint32_t>(sum >> 32));
    bytes += body;
    const bool created = !identityOf(path_);
    PosixFile file =
        created ? PosixFile::create(path_) : PosixFile(path_, PosixFile::Access::ReadWrite);
    file.writeAt(bytes.data(), bytes.size(), 0);
    file.sync();
    if (created || syncDirectoryAlways) {
        syncDirectory(path_.parent_path());
    }
}

// A journal without its mark holds nothing. The mark is written over rather than the file
// cut, so the next post writes into blocks the file has and its flush need not change the
// file's size. A swap plan is cleared for good before the journal goes: carried out again
// after a later change, its patches would undo that change.
void TableJournal::clear(bool flush) const {
    PosixFile file(path_, PosixFile::Access::ReadWrite);
    const std::array<char, kMagic.size()> cleared{};
    file.writeAt(cleared.data(), cleared.size(), 0);
    if (flush) {
        file.sync();
    }
}

void TableJournal::commit(const std::vector<PosixFile*>& files,
                          const std::optional<BusyMark>& busy) const {
    struct Changed {
        PosixFile* file;
        std::unique_ptr<BufferedWrites> writes;
    };
    std::vector<Changed> changed;
    for (PosixFile* file : files) {
        if (file != nullptr && file->buffering()) {
            auto writes = file->endBuffering();
            if (!writes->pages.empty()) {
                changed.push_back({file, std::move(writes)});
            }
        }
    }
    if (changed.empty()) {
        return;
    }
    constexpr std::uint64_t page = BufferedWrites::kPageSize;
    const std::uint64_t busyPage = busy ? busy->offset / page : 0;
    if (busy) {
        // The mark's file goes last, its page written again even when unchanged: that write
        // clears the mark, and its before-image clears it on a rollback.
        auto it = std::find_if(changed.begin(), changed.end(),
                               [&](const Changed& c) { return c.file == busy->file; });
        if (it == changed.end()) {
            auto writes = std::make_unique<BufferedWrites>();
            writes->diskSize = writes->size = busy->file->size();
            it = changed.insert(changed.end(), {busy->file, std::move(writes)});
        }
        std::rotate(it, it + 1, changed.end());
        auto& pages = changed.back().writes->pages;
        if (pages.find(busyPage) == pages.end()) {
            std::string bytes(page, '\0');
            busy->file->readSomeAt(bytes.data(), bytes.size(), busyPage * page);
            pages.emplace(busyPage, std::move(bytes));
        }
    }
    Rollback rollback;
    Writer body;
    body.u32(static_cast<std::uint32_t>(changed.size()));
    for (std::uint32_t i = 0; i < changed.size(); ++i) {
        const BufferedWrites& w = *changed[i].writes;
        rollback.files.emplace_back(changed[i].file->path(), w.diskSize);
        body.name(changed[i].file->path());
        body.u64(w.diskSize);
        for (const auto& [number, after] : w.pages) {
            if (number * page >= w.diskSize) {
                break;
            }
            const auto length =
                static_cast<std::size_t>(std::min(page, w.diskSize - number * page));
            std::string read;
            std::string_view before;
            if (const auto kept = w.before.find(number);
                kept != w.before.end() && kept->second.size() == length) {
                before = kept->second;
            } else {
                read.resize(length);
                changed[i].file->readAt(read.data(), length, number * page, "a page");
                before = read;
            }
            std::optional<std::size_t> keep;
            if (busy && changed[i].file == busy->file && number == busyPage) {
                keep = static_cast<std::size_t>(busy->offset - busyPage * page);
            }
            addChangedRanges(rollback.images, i, number * page, before, after, keep);
        }
    }
    body.u32(static_cast<std::uint32_t>(rollback.images.size()));
    for (const BeforeImage& image : rollback.images) {
        body.u32(image.file);
        body.u64(image.offset);
        body.u32(static_cast<std::uint32_t>(image.bytes.size()));
        body.bytes(image.bytes);
    }
    write('R', body.out(), false);

    try {
        if (busy) {
            busy->file->writeAt(&busy->value, 1, busy->offset);
        }
        for (const Changed& c : changed) {
            const BufferedWrites& w = *c.writes;
            // Runs of consecutive pages in one write each, the last cut at the new size.
            std::vector<std::pair<std::uint64_t, std::string>> runs;
            for (auto it = w.pages.begin(); it != w.pages.end();) {
                const std::uint64_t first = it->first;
                std::string run;
                std::uint64_t next = first;
                for (; it != w.pages.end() && it->first == next; ++it, ++next) {
                    run += it->second;
                }
                run.resize(static_cast<std::size_t>(
                    std::min<std::uint64_t>(run.size(), w.size - first * page)));
                runs.emplace_back(first, std::move(run));
            }
            if (busy && c.file == busy->file) {
                const auto marked = std::find_if(runs.begin(), runs.end(), [&](const auto& r) {
                    return r.first <= busyPage &&
                           busyPage * page < r.first * page + r.second.size();
                });
                if (marked != runs.end()) {
                    std::rotate(marked, marked + 1, runs.end());
                }
            }
            for (const auto& [first, run] : runs) {
                c.file->writeAt(run.data(), run.size(), first * page);
            }
            c.file->sync();
        }
        // Flushed: a mark that came back after a power loss would roll back a post that
        // returned, over whatever was written since.
        clear(true);
    } catch (...) {
        try {
            writeBack(rollback);
            clear(true);
        } catch (const EngineError&) {
            // The journal stays; the next open or writer writes the images back.
        }
        throw;
    }
}

void TableJournal::pointTo(const std::filesystem::path& other) const {
    Writer body;
    body.name(other);
    write('N', body.out(), false);
}

void TableJournal::discard() const {
    if (identityOf(path_)) {
        clear(true);
        removeFile(path_);
    }
}

void TableJournal::swap(const SwapPlan& plan) const {
    Writer body;
    body.u32(static_cast<std::uint32_t>(plan.renames.size()));
    for (const SwapPlan::Rename& r : plan.renames) {
        body.name(r.from);
        body.name(r.to);
        encodeIdentity(body, r.from);
    }
    std::vector<std::filesystem::path> removals;
    for (const auto& path : plan.removals) {
        if (identityOf(path)) {
            removals.push_back(path);
        }
    }
    body.u32(static_cast<std::uint32_t>(removals.size()));
    for (const auto& path : removals) {
        body.name(path);
        encodeIdentity(body, path);
    }
    body.u32(static_cast<std::uint32_t>(plan.patches.size()));
    for (const SwapPlan::Patch& p : plan.patches) {
        body.name(p.file);
        body.u64(p.offset);
        body.u32(static_cast<std::uint32_t>(p.bytes.size()));
        body.bytes(p.bytes);
    }
    const auto firstId =
        plan.renames.empty() ? std::nullopt : identityOf(plan.renames.front().from);
    try {
        write('S', body.out(), true); // the staged files' names too
    } catch (const EngineError&) {
        try {
            removeFile(path_); // nothing was swapped yet
        } catch (const EngineError&) {
            // A cleared, empty or cut-short journal holds nothing.
        }
        throw;
    }
    Reader in(body.out(), path_);
    try {
        carryOut(in, path_.parent_path(), false);
    } catch (const EngineError&) {
        if (!plan.renames.empty() && identityOf(plan.renames.front().from) == firstId) {
            // Nothing moved: the plan goes, so it cannot be carried out later.
            try {
                clear(true);
                removeFile(path_);
            } catch (const EngineError&) {
                // Recovery drops a plan whose first rename never happened.
            }
        }
        throw;
    }
    clear(true);
    removeFile(path_);
}

namespace {

constexpr const char* kStagedExtensions[] = {".dbf", ".dbt", ".mdx"};

bool anyStaged(const TablePaths& paths) {
    return std::any_of(std::begin(kStagedExtensions), std::end(kStagedExtensions),
                       [&](const char* ext) { return identityOf(paths.staged(ext)).has_value(); });
}

void removeStaged(const TablePaths& paths) {
    for (const char* ext : kStagedExtensions) {
        removeFile(paths.staged(ext));
    }
}

} // namespace

bool needsRecovery(const TablePaths& paths) {
    const auto legacy = paths.legacyJournal();
    return TableJournal(paths.journal()).pending() || (legacy && TableJournal(*legacy).pending()) ||
           anyStaged(paths);
}

bool recoverTable(const TablePaths& paths) {
    bool swapped = false;
    if (const auto legacy = paths.legacyJournal(); legacy && TableJournal(*legacy).pending()) {
        swapped = TableJournal(*legacy).recover();
    }
    swapped = TableJournal(paths.journal()).recover() || swapped;
    if (anyStaged(paths)) {
        removeStaged(paths);
    }
    return swapped;
}

void discardStaged(const TablePaths& paths) {
    if (TableJournal(paths.journal()).pending()) {
        return;
    }
    try {
        removeStaged(paths);
    } catch (const EngineError&) {
        // The next open removes them.
    }
}

} // namespace shelfwise::engine
