#include "book/ListDlg.h"

#include "BookFixture.h"
#include "book/EditMenu.h"
#include "book/RecordFields.h"
#include "editors/Lookup.h"
#include "engine/TableOperations.h"
#include "platform/Dialogs.h"

#include <QInputDialog>
#include <QRadioButton>
#include <QTableWidget>
#include <deque>
#include <fstream>
#include <gmock/gmock.h>
#include <optional>

namespace shelfwise::book {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ListDlgTest : public test::BookFixture {
protected:
    ListDlgTest() {
        // Input boxes take the scripted texts; nothing left cancels them.
        platform::SetDialogHook([this](QDialog& dialog) {
            auto* input = dynamic_cast<QInputDialog*>(&dialog);
            if (input == nullptr) {
                return onDialog ? onDialog(dialog) : int(QDialog::Rejected);
            }
            prompts.push_back(input->labelText());
            if (typed.empty() || !typed.front()) {
                if (!typed.empty()) {
                    typed.pop_front();
                }
                return int(QDialog::Rejected);
            }
            input->setTextValue(QString::fromLatin1(*typed.front()));
            typed.pop_front();
            return int(QDialog::Accepted);
        });
    }
    ~ListDlgTest() override { platform::SetDialogHook(nullptr); }

    // Appends the values to a list table, made from the template when missing.
    void FillList(const char* source, std::initializer_list<const char*> values) {
        if (!engine::tableExists(dataDir, source)) {
            engine::copyTable(programDir, db::ListTemplateName, dataDir, source);
        }
        engine::Table table;
        table.setDirectory(dataDir);
        table.setFileName(source);
        table.open();
        for (const char* value : values) {
            table.append();
            table.setText(0, value);
            table.post();
        }
    }

    // Live records of the list table, and all records its file holds (the deleted ones too).
    std::pair<std::uint32_t, std::uint32_t> Records(const char* source) const {
        engine::Table table;
        table.setDirectory(dataDir);
        table.setFileName(source);
        table.open();
        std::ifstream file(dataDir / source, std::ios::binary);
        unsigned char header[8] = {};
        file.read(reinterpret_cast<char*>(header), sizeof header);
        const std::uint32_t physical = header[4] | header[5] << 8 | header[6] << 16 |
                                       static_cast<std::uint32_t>(header[7]) << 24;
        return {table.recordCount(), physical};
    }

    std::unique_ptr<TListDlg> Dialog() {
        return std::make_unique<TListDlg>(
            window->Database(), settings,
            [this](int i) { return window->Fields()->LookupSourceOf(i); }, window.get());
    }

    static QStringList Shown(const TListDlg& dialog) {
        const auto* grid = dialog.findChild<QTableWidget*>(QStringLiteral("DBGrid1"));
        QStringList items;
        for (int row = 0; row < grid->rowCount(); ++row) {
            items << grid->item(row, 0)->text();
        }
        return items;
    }

    static void Select(TListDlg& dialog, const QString& item) {
        auto* grid = dialog.findChild<QTableWidget*>(QStringLiteral("DBGrid1"));
        grid->selectRow(static_cast<int>(Shown(dialog).indexOf(item)));
    }

    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const platform::Message& m : messages) {
            texts.push_back(m.text);
        }
        return texts;
    }

    std::deque<std::optional<const char*>> typed;
    std::vector<QString> prompts;
    std::function<int(QDialog&)> onDialog;
};

TEST_F(ListDlgTest, EachListFieldHasAnEntryAndItsItemsShowWithoutRegardToCase) {
    FillList("list1.dbf", {"Zebra Soft", "apple", "Mega", "acme"});
    Open();
    const auto dialog = Dialog();
    QStringList entries;
    for (const QRadioButton* radio : dialog->findChildren<QRadioButton*>()) {
        entries << radio->text();
    }
    EXPECT_EQ(entries, (QStringList{"Producer:", "Category:", "Media:", "Operating System:",
                                    "Status:", "Custom 1:", "Custom 5:"}));
    EXPECT_EQ(Shown(*dialog), (QStringList{"acme", "apple", "Mega", "Zebra Soft"}));
    EXPECT_EQ(dialog->EntryOf(QStringLiteral("list3.dbf")), 2);
    dialog->SelectList(2);
    EXPECT_THAT(Shown(*dialog), IsEmpty());
    EXPECT_THAT(MessageTexts(), IsEmpty());
    // Without the query there is nothing to edit, and nothing happens.
    TListDlg none(window->Database(), settings, nullptr, window.get());
    EXPECT_THAT(none.findChildren<QRadioButton*>(), IsEmpty());
    none.UpdateLists();
    none.accept();
    EXPECT_FALSE(none.ListsChanged());
}

TEST_F(ListDlgTest, ItemEditsRefuseEmptyAndDuplicateItems) {
    struct Case {
        const char* what;
        const char* selected;
        std::function<void(TListDlg&)> act;
        std::vector<std::optional<const char*>> typed;
        platform::MessageAnswer answer;
        QStringList items;
        std::vector<std::string> messages;
        bool changed;
    };
    const auto newItem = [](TListDlg& d) { d.NewItem(); };
    const auto editItem = [](TListDlg& d) { d.EditItem(); };
    const auto deleteItem = [](TListDlg& d) { d.DeleteItem(); };
    const auto yes = platform::MessageAnswer::Yes;
    const auto no = platform::MessageAnswer::No;
    const QStringList before{"DOS", "OS/2"};
    const std::string empty = "A list item cannot be empty!";
    const std::string twice = "The list already holds this item!";
    const Case cases[] = {
        {"new", "DOS", newItem, {"Linux"}, yes, {"DOS", "Linux", "OS/2"}, {}, true},
        {"new, cancelled", "DOS", newItem, {std::nullopt}, yes, before, {}, false},
        {"new, empty", "DOS", newItem, {""}, yes, before, {empty}, false},
        {"new, blanks", "DOS", newItem, {"   "}, yes, before, {empty}, false},
        {"new, already there", "DOS", newItem, {"OS/2"}, yes, before, {twice}, false},
        {"new, other case", "DOS", newItem, {"dos"}, yes, {"DOS", "dos", "OS/2"}, {}, true},
        {"edit", "DOS", editItem, {"MS-DOS"}, yes, {"MS-DOS", "OS/2"}, {}, true},
        {"edit, unchanged", "DOS", editItem, {"DOS"}, yes, before, {}, false},
        {"edit, cancelled", "DOS", editItem, {std::nullopt}, yes, before, {}, false},
        {"edit, empty", "DOS", editItem, {""}, yes, before, {empty}, false},
        {"edit to another item", "DOS", editItem, {"OS/2"}, yes, before, {twice}, false},
        {"delete",
         "OS/2",
         deleteItem,
         {},
         yes,
         {"DOS"},
         {"Are you sure you want to Delete this Item?"},
         true},
        {"delete, answered no",
         "OS/2",
         deleteItem,
         {},
         no,
         before,
         {"Are you sure you want to Delete this Item?"},
         false},
    };
    Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(dataDir / "list4.dbf");
        std::filesystem::remove(dataDir / "list4.mdx");
        engine::copyTable(programDir, db::ListTemplateName, dataDir, "list4.dbf");
        FillList("list4.dbf", {"OS/2", "DOS"});
        const auto dialog = Dialog();
        dialog->SelectList(dialog->EntryOf(QStringLiteral("list4.dbf")));
        Select(*dialog, QString::fromLatin1(c.selected));
        messages.clear();
        typed.assign(c.typed.begin(), c.typed.end());
        answer = c.answer;
        c.act(*dialog);
        EXPECT_EQ(Shown(*dialog), c.items);
        EXPECT_EQ(MessageTexts(), c.messages);
        EXPECT_EQ(dialog->ListsChanged(), c.changed);
        EXPECT_TRUE(typed.empty());
        dialog->accept();
        // Closing packs only a list something was deleted from.
        const auto [live, physical] = Records("list4.dbf");
        EXPECT_EQ(live, static_cast<std::uint32_t>(c.items.size()));
        EXPECT_EQ(physical, live);
    }
    EXPECT_EQ(prompts.front(), QStringLiteral("New List Item:"));
}

TEST_F(ListDlgTest, ClosingWhileAnotherProgramReadsTheListKeepsTheDeletionAndFailsNothing) {
    FillList("list2.dbf", {"Games", "Tools", "Utilities"});
    Open();
    engine::Table other;
    other.setDirectory(dataDir);
    other.setFileName("list2.dbf");
    other.setReadOnly(true);
    other.open();
    auto dialog = Dialog();
    dialog->SelectList(1);
    Select(*dialog, QStringLiteral("Tools"));
    dialog->DeleteItem();
    dialog->accept();
    EXPECT_THAT(MessageTexts(), ElementsAre("Are you sure you want to Delete this Item?"));
    EXPECT_EQ(Records("list2.dbf"), std::make_pair(2u, 3u));
    other.close();
    // The next close that deletes packs the list.
    dialog = Dialog();
    dialog->SelectList(1);
    Select(*dialog, QStringLiteral("Games"));
    dialog->DeleteItem();
    dialog->reject();
    EXPECT_EQ(Records("list2.dbf"), std::make_pair(1u, 1u));
}

TEST_F(ListDlgTest, UpdateListsAddsEachValueOfTheCatalogueOnce) {
    Open();
    {
        auto data = OpenData();
        const std::pair<const char*, const char*> rows[] = {
            {"Acme", "Games"}, {"Acme", ""}, {"", "Tools"}, {"Beta", "Games"}};
        for (const auto& [producer, category] : rows) {
            data->append();
            data->setText(Producer, producer);
            data->setText(Producer + 1, category);
            data->post();
        }
    }
    FillList("list1.dbf", {"Beta"});
    auto dialog = Dialog();
    dialog->SelectList(1);
    dialog->UpdateLists();
    EXPECT_TRUE(dialog->ListsChanged());
    // The first list shows again.
    EXPECT_EQ(Shown(*dialog), (QStringList{"Acme", "Beta"}));
    dialog->SelectList(1);
    EXPECT_EQ(Shown(*dialog), (QStringList{"Games", "Tools"}));
    dialog->UpdateLists();
    EXPECT_EQ(Records("list1.dbf"), std::make_pair(2u, 2u));
    EXPECT_EQ(Records("list2.dbf"), std::make_pair(2u, 2u));
    EXPECT_THAT(MessageTexts(), IsEmpty());
}

TEST_F(ListDlgTest, TheListFieldsMenuOpensItsListAndTheFieldsReloadAfterAChange) {
    FillList("list3.dbf", {"CD-ROM"});
    Open();
    auto* media = Find<editors::TLookup>("L9");
    ASSERT_NE(media, nullptr);
    onDialog = [this](QDialog& dialog) {
        auto& lists = dynamic_cast<TListDlg&>(dialog);
        EXPECT_EQ(Shown(lists), QStringList{"CD-ROM"});
        typed = {"DVD"};
        lists.NewItem();
        return int(QDialog::Accepted);
    };
    TEditMenu* menu = window->Fields()->ListEditMenu();
    menu->Prepare(media);
    menu->Item(QStringLiteral("&Edit List..."))->trigger();
    QStringList items;
    for (int i = 0; i < media->count(); ++i) {
        items << media->itemText(i);
    }
    EXPECT_EQ(items, (QStringList{"CD-ROM", "DVD"}));
}

} // namespace
} // namespace shelfwise::book
