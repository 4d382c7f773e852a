#pragma once

#include "book/SoftwareBookWindow.h"
#include "db/RecordSchema.h"
#include "engine/Table.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <random>
#include <vector>

namespace shelfwise::book::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// Waits up to ten seconds for another program to make the file.
inline bool WaitForFile(const std::filesystem::path& file) {
    for (int i = 0; i < 1000 && !std::filesystem::exists(file); ++i) {
        QTest::qWait(10);
    }
    return std::filesystem::exists(file);
}

// The build's program directory holds the generated template tables.
inline std::filesystem::path BuildProgramDir() {
    const char* dir = std::getenv("SHELFWISE_PROGRAM_DIR");
    return dir != nullptr ? dir : BUILD_PROGRAM_DIR;
}

inline void CopyTemplateTables(const std::filesystem::path& programDir) {
    for (const char* name :
         {"data.dbf", "data.dbt", "data.mdx", "master.dbf", "master.mdx", "list.dbf", "list.mdx"}) {
        std::filesystem::copy_file(BuildProgramDir() / name, programDir / name);
    }
}

// A program directory of its own with the public database's directory as data directory, and
// message boxes recorded instead of shown.
class BookFixture : public ::testing::Test {
protected:
    // Table positions of the fields tests fill.
    static constexpr int AppName = db::FirstDataField;         // field 1
    static constexpr int Producer = db::FirstDataField + 1;    // field 2
    static constexpr int Price = db::FirstDataField + 5;       // field 6
    static constexpr int InstallDate = db::FirstDataField + 7; // field 8
    static constexpr int Logo = db::FirstDataField + 10;       // field 11
    static constexpr int Internet = db::FirstDataField + 13;   // field 14
    static constexpr int Notes = db::FirstDataField + 22;      // field 23
    static constexpr int Picture = db::FirstDataField + 23;    // field 24

    BookFixture() {
        std::random_device random;
        programDir = std::filesystem::temp_directory_path() /
                     ("sw-book-" + std::to_string(random()) + std::to_string(random()));
        dataDir = programDir / "DATA";
        std::filesystem::create_directories(dataDir);
        CopyTemplateTables(programDir);
        settings.ProgramDir = settings.DataRoot = programDir;
        settings.PublicDir = settings.DataDir = settings.DatabaseDir = dataDir;
        platform::SetMessageHook([this](const platform::Message& m) {
            messages.push_back(m);
            return answer;
        });
    }
    ~BookFixture() override {
        window.reset();
        platform::SetMessageHook(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(programDir, ignored);
    }

    TSoftwareBookWindow& Open() {
        window = std::make_unique<TSoftwareBookWindow>(settings);
        QApplication::processEvents();
        return *window;
    }
    void Close() { window.reset(); }

    // The data table as another program sees it, in entry order.
    std::unique_ptr<engine::Table> OpenData() const {
        auto table = std::make_unique<engine::Table>();
        table->setDirectory(dataDir);
        table->setFileName("data.dbf");
        table->open();
        return table;
    }

    // Holds the catalogue record in an open of its own, as another program would, so no
    // record number can be given out and a new record cannot be stored.
    void HoldCatalogueRecord(engine::Table& master) const {
        master.setDirectory(dataDir);
        master.setFileName(db::MasterTableName);
        master.open();
        master.first();
        master.edit();
    }

    template <typename T> T* Find(const char* name) const {
        return window->findChild<T*>(QString::fromLatin1(name));
    }

    std::filesystem::path programDir;
    std::filesystem::path dataDir;
    settings::Settings settings;
    std::unique_ptr<TSoftwareBookWindow> window;
    std::vector<platform::Message> messages;
    platform::MessageAnswer answer = platform::MessageAnswer::Yes;
};

} // namespace shelfwise::book::test
