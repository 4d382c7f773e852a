#include "book/EditMenu.h"

#include "BookFixture.h"
#include "book/Navigator.h"
#include "book/RecordFields.h"
#include "book/RecordTabs.h"
#include "book/RightPage.h"
#include "db/RecordSchema.h"
#include "editors/Lookup.h"

namespace shelfwise::book {
namespace {

class EditMenuTest : public test::BookFixture {
protected:
    QStringList Visible(TEditMenu* menu) const {
        QStringList texts;
        for (QAction* action : menu->actions()) {
            if (action->isVisible()) {
                texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
            }
        }
        return texts;
    }
};

TEST_F(EditMenuTest, ItemsFollowTheEditorKindAndItsSelection) {
    auto& w = Open();
    TEditMenu* text = w.Fields()->TextEditMenu();
    TEditMenu* list = w.Fields()->ListEditMenu();
    auto* name = Find<editors::TTextEdit>("L1");
    auto* notes = Find<editors::TMemoEdit>("L23");
    auto* producer = Find<editors::TLookup>("L2");

    text->Prepare(name);
    EXPECT_EQ(Visible(text),
              (QStringList{"&Undo", "-", "Cu&t", "&Copy", "&Paste", "&Delete", "-", "Select &All",
                           "-", "&Font...", "C&olor...", "-", "&Help"}));
    EXPECT_FALSE(text->Item("Select &All")->isEnabled());
    EXPECT_FALSE(text->Item("Cu&t")->isEnabled());
    name->setText(QStringLiteral("Editor"));
    text->Prepare(name);
    EXPECT_TRUE(text->Item("Select &All")->isEnabled());
    name->selectAll();
    text->Prepare(name);
    EXPECT_FALSE(text->Item("Select &All")->isEnabled());
    EXPECT_TRUE(text->Item("Cu&t")->isEnabled());
    EXPECT_TRUE(text->Item("&Delete")->isEnabled());
    text->Item("&Delete")->trigger();
    EXPECT_TRUE(name->text().isEmpty());

    text->Prepare(notes);
    EXPECT_TRUE(text->Item("&Load")->isVisible());
    EXPECT_TRUE(text->Item("&Save")->isVisible());

    settings.AutoFill = true;
    list->Prepare(producer);
    EXPECT_EQ(Visible(list),
              (QStringList{"Cu&t", "&Copy", "&Paste", "&Delete", "-", "Select &All", "-",
                           "&Font...", "C&olor...", "&Edit List...", "Auto-F&ill", "-", "&Help"}));
    EXPECT_TRUE(list->Item("Auto-F&ill")->isChecked());
    list->Item("Auto-F&ill")->trigger();
    EXPECT_FALSE(settings.AutoFill);

    EXPECT_EQ(Find<QWidget>("L1")->property("helpContext").toInt(), 36);
    EXPECT_EQ(Find<QWidget>("L24")->property("helpContext").toInt(), 132);
}

TEST_F(EditMenuTest, AFoundFieldIsShownHighlightedUntilTheNextRedraw) {
    auto& w = Open();
    auto* notes = Find<editors::TMemoEdit>("L23");
    notes->setPlainText(QStringLiteral("line with a match"));
    w.Fields()->ShowFound(db::FirstDataField + 22, 12, 5);
    EXPECT_EQ(w.RightPage()->Pages()->currentIndex(), 2);
    EXPECT_EQ(w.Fields()->Highlighted(), notes);
    EXPECT_EQ(notes->textCursor().selectedText(), QStringLiteral("match"));
    EXPECT_EQ(notes->palette().color(QPalette::Base), QColor(Qt::red));
    EXPECT_EQ(notes->palette().color(QPalette::Text), QColor(Qt::yellow));
    w.Navigator()->RedrawPage();
    EXPECT_EQ(w.Fields()->Highlighted(), nullptr);
    EXPECT_NE(notes->palette().color(QPalette::Base), QColor(Qt::red));
}

} // namespace
} // namespace shelfwise::book
