// The dialogs of export and import, driven through the dialog hook by their controls' names,
// and the commands that chain them.

#include "exchange/ExchangeDialogs.h"

#include "ExchangeFixture.h"
#include "exchange/ExchangeCommands.h"
#include "platform/Dialogs.h"

#include <QButtonGroup>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <fstream>
#include <gmock/gmock.h>

namespace shelfwise::exchange::testing {
namespace {

using ::testing::ElementsAre;

template <typename T> T* Child(QWidget& parent, const char* name) {
    T* child = parent.findChild<T*>(QLatin1String(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

void Click(QWidget& dialog, const char* name) {
    QTest::mouseClick(Child<QPushButton>(dialog, name), Qt::LeftButton);
}

std::vector<QString> Items(QListWidget* list) {
    std::vector<QString> items;
    for (int row = 0; row < list->count(); ++row) {
        items.push_back(list->item(row)->text());
    }
    return items;
}

TEST(ExpImpDlg, ListsButtonsAndChoicesWorkAsLabelled) {
    TExpImpDlg dialog(true, {{2, "Name"}, {3, "Producer"}, {24, "Notes"}}, TExchangeOptions{});
    EXPECT_EQ(dialog.windowTitle(), "Export Options");
    EXPECT_EQ(dialog.HelpContext(), 26);
    auto* all = Child<QListWidget>(dialog, "SrcList");
    auto* included = Child<QListWidget>(dialog, "DstList");
    EXPECT_EQ(all->toolTip(), "List Of All Data Fields");
    EXPECT_EQ(included->toolTip(), "Data Fields Selected For Export/Import");
    EXPECT_FALSE(Child<QPushButton>(dialog, "OKBtn")->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(dialog, "ExcludeBtn")->isEnabled());

    Click(dialog, "IncludeBtn"); // Name, and the selection moves to Producer
    Click(dialog, "IncludeBtn");
    all->setCurrentRow(0);
    Click(dialog, "IncludeBtn"); // Name again: listed once
    EXPECT_THAT(Items(included), ElementsAre("Name", "Producer"));
    EXPECT_TRUE(Child<QPushButton>(dialog, "OKBtn")->isEnabled());
    included->setCurrentRow(1);
    Click(dialog, "MoveUpBtn");
    EXPECT_THAT(Items(included), ElementsAre("Producer", "Name"));
    Click(dialog, "MoveUpBtn"); // already first
    Click(dialog, "MoveDownBtn");
    Click(dialog, "MoveDownBtn"); // already last
    EXPECT_THAT(Items(included), ElementsAre("Name", "Producer"));
    Click(dialog, "ExcludeBtn");
    EXPECT_THAT(Items(included), ElementsAre("Name"));
    Click(dialog, "ExAllBtn");
    EXPECT_TRUE(Items(included).empty());
    EXPECT_FALSE(Child<QPushButton>(dialog, "MoveUpBtn")->isEnabled());
    Click(dialog, "IncAllBtn");
    EXPECT_THAT(Items(included), ElementsAre("Name", "Producer", "Notes"));

    // Typing a character chooses "Other:"; a fixed choice empties the box.
    auto* separator = Child<QLineEdit>(dialog, "SeparatorEdit");
    EXPECT_EQ(separator->toolTip(), "Enter field separator");
    EXPECT_TRUE(Child<QRadioButton>(dialog, "SeparatorGroup0")->isChecked()); // TABs
    EXPECT_TRUE(Child<QRadioButton>(dialog, "DelimiterGroup0")->isChecked()); // Nothing
    QTest::keyClicks(separator, ";");
    EXPECT_TRUE(Child<QRadioButton>(dialog, "SeparatorGroup2")->isChecked());
    QTest::keyClicks(Child<QLineEdit>(dialog, "DelimiterEdit"), "'");
    TExchangeOptions options = dialog.Options();
    EXPECT_EQ(options.Separator, ';');
    EXPECT_EQ(options.Delimiter, '\'');
    EXPECT_THAT(options.Fields, ElementsAre(2, 3, 24));
    QTest::mouseClick(Child<QRadioButton>(dialog, "SeparatorGroup1"), Qt::LeftButton);
    QTest::mouseClick(Child<QRadioButton>(dialog, "DelimiterGroup1"), Qt::LeftButton);
    EXPECT_TRUE(separator->text().isEmpty());
    options = dialog.Options();
    EXPECT_EQ(options.Separator, ',');
    EXPECT_EQ(options.Delimiter, '"');
    // "Other:" with an empty box: no separator.
    QTest::mouseClick(Child<QRadioButton>(dialog, "SeparatorGroup2"), Qt::LeftButton);
    EXPECT_EQ(dialog.Options().Separator, '\0');

    TExpImpDlg import(false, {{2, "Name"}}, options);
    EXPECT_EQ(import.windowTitle(), "Import Options");
    EXPECT_EQ(import.HelpContext(), 25);
    // It starts from the options of the run.
    EXPECT_THAT(Items(Child<QListWidget>(import, "DstList")), ElementsAre("Name"));
    EXPECT_TRUE(Child<QRadioButton>(import, "SeparatorGroup1")->isChecked());
}

TEST(ExchangeProgressDlg, CountsWithoutATotalAndStops) {
    TExchangeProgressDlg progress;
    progress.SetCaption("Importing. Please Wait...");
    progress.SetTotal(0);
    progress.SetPosition(5);
    auto* count = Child<QLabel>(progress, "RecordCount");
    EXPECT_EQ(count->text(), "Record #: 5");
    EXPECT_EQ(count->pos(), QPoint(10, 30));
    EXPECT_FALSE(count->isHidden());
    EXPECT_TRUE(Child<QWidget>(progress, "Percent1")->isHidden());
    EXPECT_FALSE(progress.StopRequested());
    Click(progress, "StopBtn");
    EXPECT_TRUE(progress.StopRequested());
}

class ExchangeCommandsTest : public ExchangeFixture {
protected:
    void TearDown() override {
        platform::SetDialogHook(nullptr);
        ExchangeFixture::TearDown();
    }
    // Answers the dialogs in turn; each step sets controls and returns the result.
    void Script(std::vector<std::function<int(QDialog&)>> steps) {
        steps_ = std::move(steps);
        platform::SetDialogHook([this](QDialog& dialog) {
            titles.push_back(dialog.windowTitle().toStdString());
            if (steps_.empty()) {
                ADD_FAILURE() << "unexpected dialog " << titles.back();
                return int(QDialog::Rejected);
            }
            auto step = steps_.front();
            steps_.erase(steps_.begin());
            return step(dialog);
        });
    }
    static std::function<int(QDialog&)> Source(int item) {
        return [item](QDialog& dialog) {
            auto* box = dialog.findChild<QGroupBox*>("RadioGroup1");
            EXPECT_NE(box, nullptr);
            if (box != nullptr) {
                EXPECT_TRUE(box->title() == "Export To:" || box->title() == "Import From:");
            }
            Child<QRadioButton>(dialog, item == 0 ? "RadioGroup1Item0" : "RadioGroup1Item1")
                ->setChecked(true);
            return int(QDialog::Accepted);
        };
    }

    std::vector<std::string> titles;
    std::vector<std::function<int(QDialog&)>> steps_;
};

TEST_F(ExchangeCommandsTest, TextExportAndImportRunThroughTheirDialogs) {
    AddTrickyRecords();
    TExchangeOptions options;
    const std::string path = (root / "out.txt").string();
    Script({Source(0),
            [](QDialog& dialog) {
                Click(dialog, "IncAllBtn");
                QTest::mouseClick(Child<QRadioButton>(dialog, "SeparatorGroup1"), Qt::LeftButton);
                return int(QDialog::Accepted);
            },
            [&](QDialog& dialog) {
                auto& files = static_cast<QFileDialog&>(dialog);
                EXPECT_EQ(files.acceptMode(), QFileDialog::AcceptSave);
                files.selectFile(QString::fromStdString(path));
                return int(QDialog::Accepted);
            }});
    RunExport(nullptr, *database, settings, options);
    EXPECT_THAT(titles,
                ElementsAre("Export Target", "Export Options", "Enter/Select Export File Name"));
    EXPECT_EQ(options.Separator, ',');
    ASSERT_TRUE(std::filesystem::exists(path));

    auto target = OpenSecondDatabase("IN");
    titles.clear();
    Script({Source(0), [](QDialog&) { return int(QDialog::Accepted); },
            [&](QDialog& dialog) {
                static_cast<QFileDialog&>(dialog).selectFile(QString::fromStdString(path));
                return int(QDialog::Accepted);
            }});
    EXPECT_TRUE(RunImport(nullptr, *target, second, options));
    EXPECT_THAT(titles,
                ElementsAre("Import Source", "Import Options", "Enter/Select Import File Name"));
    EXPECT_EQ(Records(*target, false), Records(*database, false));
    EXPECT_TRUE(messages.empty());

    // Cancel in the options dialog still takes its options, and ends the command.
    titles.clear();
    Script({Source(0), [](QDialog& dialog) {
                Click(dialog, "ExAllBtn");
                return int(QDialog::Rejected);
            }});
    EXPECT_FALSE(RunImport(nullptr, *target, second, options));
    EXPECT_TRUE(options.Fields.empty());
}

TEST_F(ExchangeCommandsTest, DbaseExportAndImportTakeTheTypedOrClickedName) {
    AddTrickyRecords();
    TExchangeOptions options;
    Script({Source(1), [](QDialog& dialog) {
                auto* name = Child<QLineEdit>(dialog, "FileEdit");
                EXPECT_EQ(name->text(), "*.*");
                name->setText("Backup.dbf");
                return int(QDialog::Accepted);
            }});
    RunExport(nullptr, *database, settings, options);
    EXPECT_THAT(titles, ElementsAre("Export Target", "Enter/Select Export File Name"));
    EXPECT_TRUE(std::filesystem::exists(databaseDir / "EXPIMP" / "backup.dbf"));

    auto target = OpenSecondDatabase("IN");
    messages.clear();
    Script({Source(1), [](QDialog& dialog) {
                auto* files = Child<QListWidget>(dialog, "FileListBox1");
                EXPECT_THAT(Items(files), ElementsAre("backup.dbf"));
                files->setCurrentRow(0);
                return int(QDialog::Accepted);
            }});
    EXPECT_TRUE(RunImport(nullptr, *target, second, options));
    EXPECT_THAT(messageTexts(), ElementsAre("Data Imported Successfully!!!"));
    EXPECT_EQ(Records(*target, true), Records(*database, true));
}

} // namespace
} // namespace shelfwise::exchange::testing
