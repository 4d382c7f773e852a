#include "db/EditCursor.h"

#include "DatabaseFixture.h"
#include "engine/ChildProcess.h"
#include "engine/EngineError.h"

#include <gmock/gmock.h>
#include <set>

namespace shelfwise::db::testing {
namespace {

using engine::testing::ChildProcess;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

const char* const kUnableToCreateIndex =
    "Unable to create Index!\nDatabase may be used by someone else - this function requires "
    "Exclusive Database Use.";

class EditCursorTest : public DatabaseFixture {
protected:
    void SetUp() override {
        DatabaseFixture::SetUp();
        ASSERT_TRUE(database->OpenDatabase());
        messages.clear();
        for (const char* name : {"delta", "alpha", "charlie", "bravo"}) {
            addRecord(name);
        }
    }
};

TEST_F(EditCursorTest, FollowsTheDataTableAndSkipsDeletedRecords) {
    ASSERT_TRUE(database->Index.ChangeSort({FirstDataField, false, 0, false}));
    TEditCursor cursor(*database);
    ASSERT_TRUE(cursor.Open());
    ASSERT_TRUE(cursor.MoveToPosition(2));
    EXPECT_EQ(cursor.Table().text(FirstDataField), "charlie");
    EXPECT_FALSE(cursor.MoveToPosition(4));

    // Deleted records shift positions but not physical numbers.
    engine::Table& data = database->DataTable;
    database->MoveToRecord(data, 0); // alpha, record 2
    data.deleteRecord();
    ASSERT_TRUE(cursor.MoveToRecordNumber(4));
    EXPECT_EQ(cursor.Table().text(FirstDataField), "bravo");
    ASSERT_TRUE(cursor.MoveToRecordNumber(1));
    EXPECT_EQ(cursor.Table().text(FirstDataField), "delta");
    EXPECT_FALSE(cursor.MoveToRecordNumber(2));
    EXPECT_FALSE(cursor.MoveToRecordNumber(9));
    ASSERT_TRUE(cursor.MoveToPosition(0));
    EXPECT_EQ(cursor.Table().text(FirstDataField), "bravo");
}

TEST_F(EditCursorTest, EditLocksTheRecordAgainstOtherCursors) {
    TEditCursor cursor(*database);
    ASSERT_TRUE(cursor.Open());
    ASSERT_TRUE(cursor.MoveToPosition(1));
    ASSERT_TRUE(cursor.LockForEdit());
    EXPECT_TRUE(cursor.IsEditing());

    engine::Table& data = database->DataTable;
    database->MoveToRecord(data, 1);
    EXPECT_THROW(data.edit(), engine::EngineError);
    TEditCursor second(*database);
    ASSERT_TRUE(second.Open());
    ASSERT_TRUE(second.MoveToPosition(1));
    EXPECT_FALSE(second.LockForEdit());
    EXPECT_THAT(second.LastError(), HasSubstr("locked"));
    // Other records stay free.
    ASSERT_TRUE(second.MoveToPosition(2));
    EXPECT_TRUE(second.LockForEdit());
    second.Cancel();

    cursor.Table().setText(FirstDataField, "alpha two");
    cursor.Post();
    EXPECT_FALSE(cursor.IsEditing());
    database->MoveToRecord(data, 1);
    EXPECT_EQ(data.text(FirstDataField), "alpha two");
    data.edit();
    data.cancel();
}

TEST_F(EditCursorTest, AnotherProgramSeesTheRecordLocked) {
    TEditCursor cursor(*database);
    ASSERT_TRUE(cursor.Open());
    ASSERT_TRUE(cursor.MoveToRecordNumber(3));
    ASSERT_TRUE(cursor.LockForEdit());

    ChildProcess child([this](ChildProcess& self) {
        TDatabase other(settings);
        if (!other.OpenDatabase()) {
            return 10;
        }
        TEditCursor theirs(other);
        if (!theirs.Open() || !theirs.MoveToRecordNumber(3)) {
            return 11;
        }
        const bool lockedOut = !theirs.LockForEdit();
        self.ready();
        self.waitRelease();
        if (!lockedOut) {
            return 12;
        }
        // Once the first program has posted, the record is free and shows its change.
        if (!theirs.MoveToRecordNumber(3) || !theirs.LockForEdit()) {
            return 13;
        }
        return theirs.Table().text(FirstDataField) == "charlie two" ? 0 : 14;
    });
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(child.waitReady());
    cursor.Table().setText(FirstDataField, "charlie two");
    cursor.Post();
    child.release();
    EXPECT_EQ(child.exitCode(), 0);
}

TEST_F(EditCursorTest, SortingFailsWhileAnotherProgramHasTheTableOpen) {
    ChildProcess child([this](ChildProcess& self) {
        TDatabase other(settings);
        const bool opened = other.OpenDatabase();
        self.ready();
        self.waitRelease();
        return opened ? 0 : 10;
    });
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(child.waitReady());
    EXPECT_FALSE(database->Index.ChangeSort({FirstDataField, true, 0, false}));
    EXPECT_THAT(messageTexts(), ElementsAre(kUnableToCreateIndex));
    EXPECT_EQ(database->DataTable.tag(), "IDX0");
    child.release();
    EXPECT_EQ(child.exitCode(), 0);

    // Alone again, the sort builds its tag, and the other program will find it.
    EXPECT_TRUE(database->Index.ChangeSort({FirstDataField, true, 0, false}));
    EXPECT_THAT(names(), ElementsAre("delta", "charlie", "bravo", "alpha"));
}

TEST_F(EditCursorTest, TwoProgramsAddingRecordsNeverShareANumber) {
    constexpr int kEach = 20;
    ChildProcess child([this](ChildProcess& self) {
        TDatabase other(settings);
        if (!other.OpenDatabase()) {
            return 10;
        }
        self.ready();
        self.waitRelease();
        engine::Table& t = other.DataTable;
        for (int i = 0; i < kEach; ++i) {
            t.append();
            other.AssignRecordNumber(t);
            t.setText(FirstDataField, "child");
            t.post();
        }
        return 0;
    });
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(child.waitReady());
    child.release();
    for (int i = 0; i < kEach; ++i) {
        addRecord("parent");
    }
    EXPECT_EQ(child.exitCode(), 0);

    std::set<double> numbers;
    engine::Table& t = database->DataTable;
    for (t.first(); !t.atEnd(); t.next()) {
        numbers.insert(t.number(RecordNumberField));
    }
    EXPECT_EQ(numbers.size(), 4u + 2 * kEach);
}

} // namespace
} // namespace shelfwise::db::testing
