// The book window's Export and Import commands from the menu and the speed bar.

#include "BookFixture.h"
#include "book/CommandRegistry.h"
#include "book/Navigator.h"
#include "platform/Dialogs.h"

#include <QAbstractButton>
#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <fstream>
#include <gmock/gmock.h>

namespace shelfwise::book::test {
namespace {

using ::testing::ElementsAre;

class BookExchangeCommandsTest : public BookFixture {
protected:
    ~BookExchangeCommandsTest() override { platform::SetDialogHook(nullptr); }

    // Answers the dialogs of a command in turn and notes their titles.
    void Answer(std::vector<std::function<void(QDialog&)>> steps) {
        platform::SetDialogHook([this, steps](QDialog& dialog) mutable {
            titles.push_back(dialog.windowTitle().toStdString());
            enabledDuring = window->isEnabled();
            if (steps.empty()) {
                return int(QDialog::Rejected);
            }
            steps.front()(dialog);
            steps.erase(steps.begin());
            return int(QDialog::Accepted);
        });
    }
    static void Choose(QDialog& dialog, const char* name) {
        dialog.findChild<QRadioButton*>(QLatin1String(name))->setChecked(true);
    }

    std::vector<std::string> titles;
    bool enabledDuring = true;
};

TEST_F(BookExchangeCommandsTest, ImportFromTheSpeedBarAddsRecordsAndShowsThem) {
    auto& w = Open();
    const std::string path = (programDir / "in.txt").string();
    std::ofstream(path, std::ios::binary) << "Zulu,Z\r\nAlpha,A\r\nMike,M";
    Answer({[](QDialog& d) { Choose(d, "RadioGroup1Item0"); },
            [](QDialog& d) {
                d.findChild<QPushButton*>("IncludeBtn")->click();
                d.findChild<QPushButton*>("IncludeBtn")->click();
                Choose(d, "SeparatorGroup1");
            },
            [&](QDialog& d) {
                static_cast<QFileDialog&>(d).selectFile(QString::fromStdString(path));
            }});
    QAbstractButton* button = w.Commands().Button(QStringLiteral("B_Import"));
    ASSERT_TRUE(button->isEnabled());
    button->click();
    EXPECT_THAT(titles,
                ElementsAre("Import Source", "Import Options", "Enter/Select Import File Name"));
    EXPECT_FALSE(enabledDuring);
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(w.Navigator()->PageStart(), 0);
    auto table = OpenData();
    std::vector<std::string> names;
    for (table->first(); !table->atEnd(); table->next()) {
        names.push_back(table->text(AppName) + "/" + table->text(Producer));
    }
    EXPECT_THAT(names, ElementsAre("Zulu/Z", "Alpha/A", "Mike/M"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(BookExchangeCommandsTest, ExportFromTheMenuWritesTheExchangeTable) {
    auto& w = Open();
    Answer({[](QDialog& d) { Choose(d, "RadioGroup1Item1"); },
            [](QDialog& d) { d.findChild<QLineEdit*>("FileEdit")->setText("Backup"); }});
    w.Commands().Item(QStringLiteral("Export1"))->trigger();
    EXPECT_THAT(titles, ElementsAre("Export Target", "Enter/Select Export File Name"));
    EXPECT_TRUE(std::filesystem::exists(dataDir / "EXPIMP" / "backup.dbf"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
              "Data Exported Successfully to: \r" + (dataDir / "EXPIMP" / "backup.dbf").string());
    EXPECT_TRUE(w.isEnabled());
}

TEST_F(BookExchangeCommandsTest, ReadOnlyUsersMayExportButNotImport) {
    settings.UserAccess = settings::opt::UserAccess::ReadOnly;
    auto& w = Open();
    EXPECT_TRUE(w.Commands().Button(QStringLiteral("B_Export"))->isEnabled());
    EXPECT_FALSE(w.Commands().Button(QStringLiteral("B_Import"))->isEnabled());
    EXPECT_FALSE(w.Commands().Item(QStringLiteral("Import1"))->isEnabled());
}

} // namespace
} // namespace shelfwise::book::test
