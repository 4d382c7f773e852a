#include "book/LogForm.h"

#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/MessageBox.h"
#include "settings/FileBytes.h"
#include "support/TestFiles.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace shelfwise::book {
namespace {

namespace fs = std::filesystem;

const std::vector<db::TLogEntry> Three = {
    {"12/10/2026", "2:53:07 PM", "Software", "Database Packed."},
    {"12/10/2026", "2:54:11 PM", "Software", "Database Backed Up - 1200 records."},
    {"12/11/2026", "9:01:00 AM", "Caf\xe9 Tools", "Database Reindexed."},
};

class LogFormTest : public ::testing::Test {
protected:
    LogFormTest() {
        platform::SetMessageHook([this](const platform::Message& m) {
            messages.push_back(m);
            return answer;
        });
    }
    ~LogFormTest() override {
        platform::SetMessageHook(nullptr);
        platform::SetHelpHook(nullptr);
        platform::SetDialogHook(nullptr);
    }

    fs::path File() const { return dir / db::LogFileName; }
    void Store(const std::vector<db::TLogEntry>& entries) {
        ASSERT_TRUE(settings::ReplaceFile(File(), db::LogBytes(entries)));
    }
    std::vector<db::TLogEntry> Stored() const {
        db::TMaintenanceLog log(dir.Path());
        EXPECT_EQ(log.LoadLog(), db::TMaintenanceLog::LoadState::Loaded);
        return log.Entries();
    }
    static QStringList Row(const QTreeWidget& list, int row) {
        QStringList texts;
        for (int column = 0; column < list.columnCount(); ++column) {
            texts << list.topLevelItem(row)->text(column);
        }
        return texts;
    }

    test::TemporaryDirectory dir{"sw-logform"};
    std::vector<platform::Message> messages;
    platform::MessageAnswer answer = platform::MessageAnswer::Yes;
};

TEST_F(LogFormTest, AReadOnlyReportOfFourColumns) {
    Store(Three);
    TLogForm form(dir.Path());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Maintenance Log"));
    QTreeWidget& list = *form.List();
    EXPECT_EQ(list.selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(list.editTriggers(), QAbstractItemView::NoEditTriggers);
    const struct {
        const char* caption;
        int width;
    } columns[] = {{"Date", 80}, {"Time", 80}, {"Database File", 150}, {"Description", 500}};
    ASSERT_EQ(list.columnCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(list.headerItem()->text(i), QString::fromLatin1(columns[i].caption));
        EXPECT_EQ(list.columnWidth(i), columns[i].width) << columns[i].caption;
    }
    ASSERT_EQ(list.topLevelItemCount(), 3);
    EXPECT_EQ(Row(list, 2),
              (QStringList{"12/11/2026", "9:01:00 AM", QStringLiteral("Caf\u00e9 Tools"),
                           "Database Reindexed."}));
    EXPECT_EQ(form.DeleteButton()->text(), QStringLiteral("&Delete"));
    EXPECT_EQ(form.DeleteButton()->toolTip(), QStringLiteral("Delete Selected Entries"));
    EXPECT_EQ(form.ClearButton()->text(), QStringLiteral("&Clear"));
    EXPECT_EQ(form.ClearButton()->toolTip(), QStringLiteral("Delete All Entries"));
    EXPECT_EQ(form.findChild<QPushButton*>(QStringLiteral("OKBtn"))->text(), QStringLiteral("&OK"));

    int helpContext = 0;
    platform::SetHelpHook([&helpContext](int context) { helpContext = context; });
    form.findChild<QPushButton*>(QStringLiteral("HelpBtn"))->click();
    EXPECT_EQ(helpContext, 131);
    EXPECT_TRUE(messages.empty());
}

TEST_F(LogFormTest, DeleteAndClearAskFirstAndSaveWhatIsLeft) {
    const struct {
        const char* name;
        bool clear;
        std::vector<int> selected;
        platform::MessageAnswer answer;
        const char* question;
        std::vector<db::TLogEntry> left;
    } cases[] = {
        {"delete two",
         false,
         {0, 2},
         platform::MessageAnswer::Yes,
         "Remove Selected Items?",
         {Three[1]}},
        {"delete refused",
         false,
         {1},
         platform::MessageAnswer::No,
         "Remove Selected Items?",
         Three},
        {"nothing selected", false, {}, platform::MessageAnswer::Yes, nullptr, Three},
        {"clear", true, {1}, platform::MessageAnswer::Yes, "Delete ALL Items?", {}},
        {"clear refused", true, {}, platform::MessageAnswer::No, "Delete ALL Items?", Three},
    };
    for (const auto& c : cases) {
        Store(Three);
        messages.clear();
        answer = c.answer;
        auto form = std::make_unique<TLogForm>(dir.Path());
        for (const int row : c.selected) {
            form->List()->topLevelItem(row)->setSelected(true);
        }
        (c.clear ? form->ClearButton() : form->DeleteButton())->click();
        if (c.question != nullptr) {
            ASSERT_EQ(messages.size(), 1u) << c.name;
            EXPECT_EQ(messages[0].text, c.question) << c.name;
            EXPECT_EQ(messages[0].kind, platform::MessageKind::Confirmation) << c.name;
        } else {
            EXPECT_TRUE(messages.empty()) << c.name;
        }
        EXPECT_EQ(form->Log().Entries(), c.left) << c.name;
        EXPECT_EQ(form->List()->topLevelItemCount(), int(c.left.size())) << c.name;
        EXPECT_EQ(Stored(), c.left) << c.name;
    }
}

TEST_F(LogFormTest, AnEntryIsShownAndSavedAtOnceAndAgainWhenTheWindowGoes) {
    auto form = std::make_unique<TLogForm>(dir.Path());
    form->AddLogEntry(QStringLiteral("Software"), QStringLiteral("Database Packed."));
    ASSERT_EQ(form->List()->topLevelItemCount(), 1);
    EXPECT_EQ(form->List()->topLevelItem(0)->text(3), QStringLiteral("Database Packed."));
    const auto saved = Stored();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].Database, "Software");

    fs::remove(File());
    form.reset();
    EXPECT_EQ(Stored(), saved);
    EXPECT_TRUE(messages.empty());
}

TEST_F(LogFormTest, ASaveThatFailsIsReported) {
    const auto gone = dir / "gone";
    fs::create_directory(gone);
    auto form = std::make_unique<TLogForm>(gone);
    fs::remove(gone);
    form->AddLogEntry(QStringLiteral("Software"), QStringLiteral("Database Packed."));
    form.reset();
    ASSERT_EQ(messages.size(), 2u);
    for (const auto& message : messages) {
        EXPECT_EQ(message.kind, platform::MessageKind::Error);
        EXPECT_EQ(message.text, "Error Saving Log to a file!");
    }
}

TEST_F(LogFormTest, ADamagedLogIsReportedAndItsReadableEntriesShown) {
    auto bytes = db::LogBytes(Three);
    bytes.resize(bytes.size() - 60);
    test::WriteBytes(File(), bytes);
    TLogForm form(dir.Path());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, platform::MessageKind::Warning);
    EXPECT_NE(messages[0].text.find("log.dat.bad"), std::string::npos) << messages[0].text;
    EXPECT_EQ(form.List()->topLevelItemCount(), 1);
    EXPECT_EQ(test::ReadBytes(dir / db::DamagedLogFileName), bytes);
}

TEST_F(LogFormTest, ShownModally) {
    TLogForm form(dir.Path());
    std::vector<std::string> shown;
    platform::SetDialogHook([&shown](QDialog& dialog) {
        shown.push_back(dialog.objectName().toStdString());
        dialog.findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
        return dialog.result();
    });
    form.ShowLog();
    EXPECT_EQ(shown, std::vector<std::string>{"LogForm"});
    EXPECT_TRUE(form.isModal());
}

} // namespace
} // namespace shelfwise::book
