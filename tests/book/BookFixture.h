#pragma once

#include "book/SoftwareBookWindow.h"
#include "db/RecordSchema.h"
#include "engine/Table.h"
#include "platform/Log.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"
#include "support/ChildProgram.h"
#include "support/ProgramDirectory.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace shelfwise::book::test {

using shelfwise::test::Bytes;
using shelfwise::test::ReadBytes;
using shelfwise::test::WaitForFile;
using shelfwise::test::WriteBytes;

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
        dataDir = programDir / "DATA";
        std::filesystem::create_directories(dataDir);
        shelfwise::test::CopyTemplateTables(programDir);
        settings.ProgramDir = settings.DataRoot = programDir;
        settings.PublicDir = settings.DataDir = settings.DatabaseDir = dataDir;
        platform::SetLogFile(programDir / platform::LogFileName);
        platform::SetMessageHook([this](const platform::Message& m) {
            messages.push_back(m);
            return answer;
        });
    }
    ~BookFixture() override {
        window.reset();
        platform::SetMessageHook(nullptr);
        platform::SetLogFile({});
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

    // The program's log: the reasons behind the messages.
    std::string LogText() const {
        return shelfwise::test::ReadText(programDir / platform::LogFileName);
    }

    template <typename T> T* Find(const char* name) const {
        return window->findChild<T*>(QString::fromLatin1(name));
    }

    shelfwise::test::TemporaryDirectory scratch{"sw-book"};
    std::filesystem::path programDir = scratch.Path();
    std::filesystem::path dataDir;
    settings::Settings settings;
    std::unique_ptr<TSoftwareBookWindow> window;
    std::vector<platform::Message> messages;
    platform::MessageAnswer answer = platform::MessageAnswer::Yes;
};

} // namespace shelfwise::book::test
