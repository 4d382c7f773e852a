#pragma once

#include "engine/EngineError.h"
#include "engine/MdxFile.h"
#include "engine/MdxTree.h"

#include <chrono>
#include <optional>
#include <thread>

namespace shelfwise::engine {

// The open index: its header block and tags as last read, kept in step with the file.
// Every public call runs through read() or write(), which compare the watched header bytes
// with the file first and reload everything when another writer changed it.
struct MdxFile::Impl : MdxPageAllocator {
    Impl(const std::filesystem::path& path, bool writable);

    // Bumped whenever the trees may have changed; cursors then find their entry again.
    std::uint64_t generation = 0;
    // Between beginSteadyRead() and endSteadyRead(): the header was compared with the file.
    bool steady = false;
    // The counts as last saved or loaded, by generation and number of nodes.
    std::uint64_t countsGeneration = 0;
    std::size_t countsNodes = 0;

    MdxTag& find(std::string_view name);
    MdxTree tree(std::string_view name) { return MdxTree(storage, find(name), header, counts); }

    // Runs a reading body; when another writer changed the file meanwhile, runs it again.
    // While the counter is odd a writer is at work: wait for it, but not for one that died.
    template <typename Body> auto read(std::string_view tagName, Body&& body) {
        for (int attempt = 1;; ++attempt) {
            const bool lastAttempt = attempt == kReadAttempts;
            if (!steady || attempt > 1) {
                refresh(tagName);
            }
            if (!lastAttempt && writerActive()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            if (lastAttempt && writerActive()) {
                abandonedCounter = counter();
            }
            // A body served from the cache saw the file as it was when refresh() checked it;
            // one that read blocks may have met a writer at work.
            const auto readsBefore = storage.diskReads();
            const auto settled = [&] {
                return lastAttempt || storage.diskReads() == readsBefore || !changedOnDisk();
            };
            try {
                auto result = body();
                if (settled()) {
                    return result;
                }
            } catch (const EngineError&) {
                if (settled()) {
                    throw;
                }
            }
        }
    }

    // Runs a changing body between two steps of the change counter: odd while it writes.
    template <typename Body> auto write(std::string_view tagName, Body&& body) {
        if (!storage.file().writable()) {
            throw EngineError("The index " + storage.file().path().string() + " is open read-only");
        }
        refresh(tagName);
        setCounter((counter() + 1) | 1);
        storage.file().writeAt(&header[mdx::kChangeCounter], 4, mdx::kChangeCounter);
        ++generation;
        try {
            auto result = body();
            setCounter(counter() + 1);
            mdx::stampDate(&header[mdx::kUpdated]);
            writeHeaderFields();
            return result;
        } catch (...) {
            abandonWrite();
            throw;
        }
    }

    // After a tree change: the tag header first, then the blocks it no longer reaches.
    void finishTagChange(MdxTag& tag, const std::vector<std::uint32_t>& freed);
    void writeHeaderFields();
    void writeHeaderBlock();

    std::uint32_t allocate() override;
    void publishGrowth() override { writeHeaderFields(); }
    void release(std::uint32_t page) override;

    MdxStorage storage;
    // Kept and dropped with the node cache.
    MdxCounts counts;
    mdx::HeaderBlock header{};
    std::vector<MdxTag> tags;

    // Reads the header and tags afresh and drops the node cache.
    void load();
    // What the saved counts are valid for: the file's size and modification time, its
    // watched header bytes and each tag's.
    std::string countsStamp();
    // Compares the watched header bytes (and the tag's header) with the file; loads afresh
    // when they differ.
    void refresh(std::string_view tagName);
    bool changedOnDisk();

private:
    static constexpr int kReadAttempts = 10;

    bool writerActive() const { return counter() % 2 == 1 && abandonedCounter != counter(); }
    std::uint32_t counter() const;
    void setCounter(std::uint32_t value);
    // After a failed change: the counter even again, the file read afresh.
    void abandonWrite();

    // An odd counter that outlived every wait: its writer died, so reads stop waiting for it.
    std::optional<std::uint32_t> abandonedCounter;
};

} // namespace shelfwise::engine
