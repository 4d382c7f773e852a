#pragma once

#include "db/DatabaseFixture.h"
#include "engine/PosixFile.h"
#include "engine/Table.h"
#include "exchange/DbfExchange.h"
#include "exchange/ExchangeOptions.h"

#include <QString>
#include <chrono>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace shelfwise::exchange::testing {

using namespace std::chrono;

inline constexpr int kName = 2;
inline constexpr int kProducer = 3;
inline constexpr int kPrice = 7;
inline constexpr int kVerDate = 8;
inline constexpr int kInstDate = 9;
inline constexpr int kLogo = 12;
inline constexpr int kCustom4 = 20;
inline constexpr int kCustom6 = 22;
inline constexpr int kNotes = 24;
inline constexpr int kPicture = 25;

// One record's data fields as comparable text: numbers and dates by value, memos and
// pictures by their bytes.
using RecordValues = std::vector<std::string>;

inline RecordValues ValuesOf(const engine::Table& t, bool withPictures) {
    RecordValues values;
    for (int p = db::FirstDataField; p < t.fieldCount(); ++p) {
        const char type = t.field(p).type;
        if (type == 'B' && !withPictures) {
            continue;
        }
        if (type == 'N') {
            values.push_back(t.isEmpty(p) ? "<empty>" : std::to_string(t.number(p)));
        } else if (type == 'M' || type == 'B') {
            values.push_back(t.bytes(p));
        } else {
            values.push_back(t.text(p));
        }
    }
    return values;
}

// A database with the template layout, opened, and a second one beside it to import into.
class ExchangeFixture : public db::testing::DatabaseFixture {
protected:
    void SetUp() override {
        DatabaseFixture::SetUp();
        // Each date field shows in another format, so each is written and read in its own.
        settings.DateFormats.Lines = {{0, 6}, {1, 7}, {2, 20}};
        ASSERT_TRUE(database->OpenDatabase());
    }

    // Values that break naive writers and readers.
    void AddTrickyRecords() {
        engine::Table& t = database->DataTable;
        const std::string notes = "First line, with comma\tand TAB\r\n\"quoted\" 'single'\r\n\r\n" +
                                  std::string(400, 'p') + " end of a long paragraph\r\n\x80 \xE9";
        struct Row {
            std::string name, producer, price, custom4;
            std::optional<year_month_day> verDate, instDate, custom6;
            std::string notes, picture;
        };
        const std::vector<Row> rows = {
            {"Acme, \"Inc\"\tTab", "Caf\xE9 \x80uro \xC9migr\xE9", "19.95", "-3.5", 2024y / 1 / 31,
             1999y / 12 / 1, 2001y / 2 / 3, notes, std::string("BM\0\x01\xFF", 5)},
            {"", "", "", "", std::nullopt, std::nullopt, std::nullopt, "", ""},
            {"\"starts with a quote", "line1\r\nline2", "0", "123456789.99", 1900y / 1 / 1,
             std::nullopt, 2038y / 12 / 31, "one line", std::string(3000, '\x03')},
            {" leading blank", "semi;colon|pipe", "-0.01", "", std::nullopt, 2020y / 2 / 29,
             std::nullopt, "\x03 marker-like \"\"\r\n", ""},
        };
        for (const Row& r : rows) {
            t.append();
            database->AssignRecordNumber(t);
            t.setText(db::MarkField, db::MarkPassed);
            t.setText(kName, r.name);
            t.setText(kProducer, r.producer);
            if (!r.price.empty()) {
                t.setNumber(kPrice, std::stod(r.price));
            }
            if (!r.custom4.empty()) {
                t.setNumber(kCustom4, std::stod(r.custom4));
            }
            t.setDate(kVerDate, r.verDate);
            t.setDate(kInstDate, r.instDate);
            t.setDate(kCustom6, r.custom6);
            t.setBytes(kNotes, r.notes);
            t.setBytes(kPicture, r.picture);
            t.setBytes(kLogo, r.picture.substr(0, 2));
            t.post();
        }
    }

    // Records in the data table's current order and range.
    std::vector<RecordValues> Records(db::TDatabase& db, bool withPictures) {
        std::vector<RecordValues> records;
        engine::Table& t = db.DataTable;
        t.cancelRange();
        for (t.first(); !t.atEnd(); t.next()) {
            records.push_back(ValuesOf(t, withPictures));
        }
        return records;
    }

    // Every field a text exchange offers, in layout order.
    TExchangeOptions AllFields(char separator, char delimiter) {
        TExchangeOptions options;
        options.Separator = separator;
        options.Delimiter = delimiter;
        options.Fields = ExchangeFields(database->Fields, database->DataTable.fieldCount());
        return options;
    }

    // A second database directory of the same data directory, opened, to import into.
    std::unique_ptr<db::TDatabase> OpenSecondDatabase(const std::string& name) {
        second = settings;
        second.DatabaseDir = root / name;
        std::filesystem::create_directories(second.DatabaseDir);
        auto db = std::make_unique<db::TDatabase>(second);
        EXPECT_TRUE(db->OpenDatabase());
        return db;
    }

    // Keeps a copy of the database directory as it is now, with the database closed, for
    // Fresh() to bring back.
    void KeepPristine() {
        database.reset();
        pristine = root / "pristine";
        std::filesystem::copy(databaseDir, pristine, std::filesystem::copy_options::recursive);
    }

    void Fresh() {
        database.reset();
        std::filesystem::remove_all(databaseDir);
        std::filesystem::copy(pristine, databaseDir, std::filesystem::copy_options::recursive);
        database = std::make_unique<db::TDatabase>(settings);
        ASSERT_TRUE(database->OpenDatabase());
    }

    // Runs the work on the pristine database in a child process killed at the nth
    // file-changing call, then opens the database here again; false once the work ran
    // through without reaching that call.
    template <typename Work> bool Killed(std::uint64_t n, Work work) {
        Fresh();
        database.reset();
        const pid_t pid = ::fork();
        if (pid == 0) {
            db::TDatabase child(settings);
            child.OpenDatabase();
            engine::FileFaults::arm(n, engine::FileFaults::Action::Kill);
            work(child);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        database = std::make_unique<db::TDatabase>(settings);
        EXPECT_TRUE(database->OpenDatabase());
        return WIFSIGNALED(status);
    }

    QString Path(const std::string& name) const {
        return QString::fromStdString((root / name).string());
    }

    settings::Settings second;
    std::filesystem::path pristine;
};

} // namespace shelfwise::exchange::testing
