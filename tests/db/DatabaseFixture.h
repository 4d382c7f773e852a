#pragma once

#include "db/Database.h"
#include "engine/Table.h"
#include "platform/Log.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"
#include "support/ProgramDirectory.h"
#include "support/TestFiles.h"

#include <deque>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace shelfwise::db::testing {

using shelfwise::test::BuildProgramDir;

// A temporary program directory with copies of the template tables and an empty database
// directory; messages are recorded and answered from a script (default: the box's default).
class DatabaseFixture : public ::testing::Test {
protected:
    void SetUp() override {
        programDir = root / "program";
        databaseDir = root / "DATA";
        std::filesystem::create_directories(programDir);
        std::filesystem::create_directories(databaseDir);
        shelfwise::test::CopyTemplateTables(programDir);
        settings.ProgramDir = programDir;
        settings.DataRoot = root;
        settings.PublicDir = databaseDir;
        settings.DataDir = databaseDir;
        settings.DatabaseDir = databaseDir;
        platform::SetLogFile(root / platform::LogFileName);
        platform::SetMessageHook([this](const platform::Message& message) {
            messages.push_back(message);
            if (answers.empty()) {
                return platform::DefaultAnswer(message.buttons);
            }
            const platform::MessageAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        });
        database = std::make_unique<TDatabase>(settings);
    }

    void TearDown() override {
        database.reset();
        platform::SetMessageHook(nullptr);
        platform::SetLogFile({});
    }

    // What the program's log holds, the reasons behind the messages.
    std::string logText() const { return shelfwise::test::ReadText(root / platform::LogFileName); }

    std::vector<std::string> messageTexts() const {
        std::vector<std::string> texts;
        for (const platform::Message& m : messages) {
            texts.push_back(m.text);
        }
        return texts;
    }

    // Appends a record to the open data table with the given application name and producer,
    // numbered the way the book window numbers new records.
    void addRecord(const std::string& name, const std::string& producer = {},
                   const std::string& mark = {}) {
        engine::Table& t = database->DataTable;
        t.append();
        database->AssignRecordNumber(t);
        t.setText(FirstDataField, name);
        t.setText(FirstDataField + 1, producer);
        if (!mark.empty()) {
            t.setText(MarkField, mark);
        }
        t.post();
    }

    // The application names of the data table in its current order and range.
    std::vector<std::string> names() {
        std::vector<std::string> result;
        engine::Table& t = database->DataTable;
        for (t.first(); !t.atEnd(); t.next()) {
            result.push_back(t.text(FirstDataField));
        }
        return result;
    }

    shelfwise::test::TemporaryDirectory scratch{"db"};
    std::filesystem::path root = scratch.Path();
    std::filesystem::path programDir;
    std::filesystem::path databaseDir;
    settings::Settings settings;
    std::vector<platform::Message> messages;
    std::deque<platform::MessageAnswer> answers;
    std::unique_ptr<TDatabase> database;
};

} // namespace shelfwise::db::testing
