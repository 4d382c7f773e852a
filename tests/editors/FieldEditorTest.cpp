#include "editors/CurrencyEdit.h"
#include "editors/DateEdit.h"
#include "editors/LinkEdits.h"
#include "editors/Lookup.h"
#include "editors/TextEdit.h"
#include "engine/PosixFile.h"
#include "engine/TableFixture.h"
#include "engine/TableOperations.h"
#include "settings/Settings.h"
#include "support/FailedPost.h"

#include <QDate>
#include <QTest>
#include <functional>
#include <memory>

namespace shelfwise::editors {
namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::year;
using std::chrono::year_month_day;

// Table positions of the fields.
constexpr int Name = 0;
constexpr int Price = 1;
constexpr int Added = 2;
constexpr int Notes = 3;

class FieldEditorTest : public engine::testing::TableFixture {
protected:
    void SetUp() override {
        TableFixture::SetUp();
        engine::createTable(dir, "data.dbf",
                            {{"NAME", 'C', 40, 0},
                             {"PRICE", 'N', 12, 2},
                             {"ADDED", 'D', 8, 0},
                             {"NOTES", 'M', 10, 0}});
        openOn(table, "data.dbf");
    }

    // A record holding what `fill` stores; the table stays on it.
    void AddRecord(const std::function<void(engine::Table&)>& fill) {
        table.append();
        fill(table);
        table.post();
    }

    // The field as stored: a memo's whole value, the characters of any other field (dates as
    // YYYYMMDD, numbers as written, both trimmed of blanks).
    std::string Field(int position) const {
        return position == Notes ? table.bytes(position) : table.text(position);
    }

    // The editor's value written into a new record, as stored.
    std::string Stored(const TFieldEditor& editor, int position) {
        table.append();
        editor.Write(table, position);
        table.post();
        return Field(position);
    }

    QWidget page;
    engine::Table table;
};

TEST_F(FieldEditorTest, EveryKindStoresBackTheBytesItWasShown) {
    struct Case {
        const char* what;
        std::function<TFieldEditor*(QWidget*)> make;
        EditorKind kind;
        int position;
        std::function<void(engine::Table&)> fill;
    };
    const Case cases[] = {
        {"single line", [](QWidget* p) { return new TTextEdit(p); }, EditorKind::SingleLine, Name,
         [](engine::Table& t) { t.setText(Name, "Caf\xE9 au lait"); }},
        {"memo with CR LF", [](QWidget* p) { return new TMemoEdit(p); }, EditorKind::MultiLine,
         Notes, [](engine::Table& t) { t.setBytes(Notes, "first\r\nsecond\r\n\x80 third"); }},
        {"currency", [](QWidget* p) { return new TCurrencyEdit(p); }, EditorKind::Currency, Price,
         [](engine::Table& t) { t.setNumber(Price, -1234.5); }},
        {"date", [](QWidget* p) { return new TDateEdit(p); }, EditorKind::Date, Added,
         [](engine::Table& t) {
             t.setDate(Added, year_month_day{year(2024), month(3), day(7)});
         }},
        {"empty date", [](QWidget* p) { return new TDateEdit(p); }, EditorKind::Date, Added,
         [](engine::Table& t) { t.clear(Added); }},
        {"lookup", [](QWidget* p) { return new TLookup(QStringLiteral("list1.dbf"), p); },
         EditorKind::Lookup, Name, [](engine::Table& t) { t.setText(Name, "Acme Software"); }},
        {"phone", [](QWidget* p) { return new TPhoneEdit(p); }, EditorKind::SingleLine, Name,
         [](engine::Table& t) { t.setText(Name, "+44 20 7946 0000"); }},
        {"date editor on a text field", [](QWidget* p) { return new TDateEdit(p); },
         EditorKind::Date, Name, [](engine::Table& t) { t.setText(Name, "soon"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<TFieldEditor> editor(c.make(&page));
        EXPECT_EQ(editor->Kind(), c.kind);
        EXPECT_EQ(editor->Widget()->parentWidget(), &page);
        AddRecord(c.fill);
        const std::string shown = Field(c.position);
        editor->Read(table, c.position);
        EXPECT_EQ(Stored(*editor, c.position), shown);
        // Cleared, the editor stores an empty field and holds nothing worth storing.
        editor->Clear();
        EXPECT_FALSE(editor->IsFilled());
        Stored(*editor, c.position);
        EXPECT_TRUE(table.isEmpty(c.position) || table.number(c.position) == 0);
    }
}

TEST_F(FieldEditorTest, WhatIsTypedSettlesIntoTheFieldAsTheEditorReadsIt) {
    struct Case {
        const char* what;
        std::function<TFieldEditor*(QWidget*)> make;
        const char* typed;
        int position;
        bool filled;
        std::function<void(const engine::Table&)> check;
    };
    const auto date = [](int y, unsigned m, unsigned d) {
        return std::optional(year_month_day{year(y), month(m), day(d)});
    };
    const Case cases[] = {
        {"a whole date", [](QWidget* p) { return new TDateEdit(p); }, "03/07/2024", Added, true,
         [&](const engine::Table& t) { EXPECT_EQ(t.date(Added), date(2024, 3, 7)); }},
        // The settle step refuses it before a record is stored; it never stores as no date.
        {"a half-typed date", [](QWidget* p) { return new TDateEdit(p); }, "13/45/20", Added, true,
         [&](const engine::Table& t) { EXPECT_EQ(t.date(Added), date(1999, 9, 9)); }},
        {"an amount with separators", [](QWidget* p) { return new TCurrencyEdit(p); }, "1,234.5",
         Price, true, [](const engine::Table& t) { EXPECT_DOUBLE_EQ(t.number(Price), 1234.5); }},
        {"a negative amount", [](QWidget* p) { return new TCurrencyEdit(p); }, "-12.25", Price,
         true, [](const engine::Table& t) { EXPECT_DOUBLE_EQ(t.number(Price), -12.25); }},
        {"a zero amount", [](QWidget* p) { return new TCurrencyEdit(p); }, "0.00", Price, false,
         [](const engine::Table& t) { EXPECT_DOUBLE_EQ(t.number(Price), 0); }},
        {"a half-typed amount", [](QWidget* p) { return new TCurrencyEdit(p); }, "7.", Price, true,
         [](const engine::Table& t) { EXPECT_DOUBLE_EQ(t.number(Price), 7); }},
        {"text longer than a field stores", [](QWidget* p) { return new TTextEdit(p); },
         "a name far longer than forty characters, cut at the field", Name, true,
         [](const engine::Table& t) {
             EXPECT_EQ(t.text(Name), "a name far longer than forty characters,");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<TFieldEditor> editor(c.make(&page));
        // What was shown before is replaced by what is typed.
        AddRecord([](engine::Table& t) {
            t.setNumber(Price, 99);
            t.setDate(Added, year_month_day{year(1999), month(9), day(9)});
        });
        editor->Read(table, c.position);
        auto* line = static_cast<QLineEdit*>(editor->Widget());
        line->clear();
        QTest::keyClicks(line, QString::fromLatin1(c.typed));
        EXPECT_EQ(editor->IsFilled(), c.filled);
        table.edit();
        editor->Write(table, c.position);
        table.post();
        c.check(table);
    }
}

TEST_F(FieldEditorTest, AYearOnlyDateKeepsTheWholeStoredDateUntilRetyped) {
    TDateEdit editor(&page);
    editor.SetDateFormat(QStringLiteral("yyyy"));
    const year_month_day stored{year(2020), month(5), day(9)};
    AddRecord([&](engine::Table& t) { t.setDate(Added, stored); });
    editor.Read(table, Added);
    EXPECT_EQ(editor.text(), QStringLiteral("2020"));
    EXPECT_EQ(Stored(editor, Added), "20200509");
    EXPECT_EQ(table.date(Added), stored);
    editor.setText(QStringLiteral("2021"));
    Stored(editor, Added);
    EXPECT_EQ(table.date(Added), (year_month_day{year(2021), month(1), day(1)}));
}

TEST_F(FieldEditorTest, ATemplateDateMarkerShowsAsTodayOnlyFromATemplate) {
    TDateEdit editor(&page);
    AddRecord([](engine::Table& t) { t.setDate(Added, TemplateDateMarker); });
    editor.Read(table, Added);
    EXPECT_EQ(editor.text(), QStringLiteral("12/31/1899"));
    const QDate before = QDate::currentDate();
    editor.ReadFromTemplate(table, Added);
    const QDate after = QDate::currentDate();
    EXPECT_TRUE(editor.GetDate() == text::FromQDate(before) ||
                editor.GetDate() == text::FromQDate(after));
    // Any other date, and every other editor, shows the template's value.
    AddRecord([](engine::Table& t) {
        t.setDate(Added, year_month_day{year(2001), month(3), day(4)});
        t.setText(Name, "template");
    });
    editor.ReadFromTemplate(table, Added);
    EXPECT_EQ(editor.text(), QStringLiteral("03/04/2001"));
    TTextEdit name(&page);
    name.ReadFromTemplate(table, Name);
    EXPECT_EQ(name.text(), QStringLiteral("template"));
}

TEST_F(FieldEditorTest, AReadOnlyEditorTakesNoTyping) {
    struct Case {
        const char* what;
        std::function<TFieldEditor*(QWidget*)> make;
        int position;
        const char* typed;
    };
    const Case cases[] = {
        {"line", [](QWidget* p) { return new TTextEdit(p); }, Name, "x"},
        {"memo", [](QWidget* p) { return new TMemoEdit(p); }, Notes, "x"},
        {"currency", [](QWidget* p) { return new TCurrencyEdit(p); }, Price, "9"},
        {"date", [](QWidget* p) { return new TDateEdit(p); }, Added, "01/02/2003"},
        {"lookup", [](QWidget* p) { return new TLookup(QStringLiteral("list1.dbf"), p); }, Name,
         "x"},
        {"phone", [](QWidget* p) { return new TPhoneEdit(p); }, Name, "5"},
        {"e-mail", [](QWidget* p) { return new TEMailEdit(p); }, Name, "x"},
        {"web", [](QWidget* p) { return new TWebEdit(p); }, Name, "x"},
    };
    AddRecord([](engine::Table&) {});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<TFieldEditor> editor(c.make(&page));
        editor->Read(table, c.position);
        const std::string before = Stored(*editor, c.position);
        editor->SetRecordReadOnly(true);
        EXPECT_TRUE(editor->IsRecordReadOnly());
        QTest::keyClicks(editor->Widget(), QString::fromLatin1(c.typed));
        EXPECT_EQ(Stored(*editor, c.position), before);
        editor->SetRecordReadOnly(false);
        EXPECT_FALSE(editor->IsRecordReadOnly());
        QTest::keyClicks(editor->Widget(), QString::fromLatin1(c.typed));
        EXPECT_NE(Stored(*editor, c.position), before);
    }
}

TEST_F(FieldEditorTest, TheEditMenuWorksOnTheTextOfEachKind) {
    TTextEdit line(&page);
    TMemoEdit memo(&page);
    TLookup list(QStringLiteral("list1.dbf"), &page);
    struct Case {
        const char* what;
        TFieldEditor* editor;
        QWidget* target;
        bool undo;
        bool lines;
        std::function<QString()> text;
    };
    const Case cases[] = {
        {"line", &line, &line, true, false, [&] { return line.text(); }},
        {"memo", &memo, &memo, true, true, [&] { return memo.toPlainText(); }},
        {"list", &list, list.lineEdit(), false, false, [&] { return list.currentText(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTextEditing* editing = c.editor->Editing();
        ASSERT_NE(editing, nullptr);
        EXPECT_EQ(editing->Target(), c.target);
        EXPECT_EQ(editing->OffersUndo(), c.undo);
        EXPECT_EQ(editing->HoldsLines(), c.lines);
        EXPECT_TRUE(editing->IsEmpty());
        c.target->setFocus();
        QTest::keyClicks(c.target, QStringLiteral("abc"));
        EXPECT_FALSE(editing->IsEmpty());
        EXPECT_FALSE(editing->HasSelection());
        EXPECT_TRUE(editing->CanUndo());
        editing->SelectAll();
        EXPECT_TRUE(editing->HasSelection());
        editing->DeleteSelection();
        EXPECT_EQ(c.text(), QString());
        editing->Undo();
        EXPECT_EQ(c.text(), QStringLiteral("abc"));
    }
    memo.SetLines(QStringLiteral("one\ntwo"));
    EXPECT_EQ(memo.Lines(), QStringLiteral("one\ntwo"));
    // These bring menus of their own.
    TDateEdit date(&page);
    TEMailEdit mail(&page);
    TWebEdit web(&page);
    TMultiMediaEdit attachment(&page);
    for (TFieldEditor* editor :
         std::initializer_list<TFieldEditor*>{&date, &mail, &web, &attachment}) {
        EXPECT_EQ(editor->Editing(), nullptr);
    }
}

TEST_F(FieldEditorTest, FontsAndColoursFollowTheEditorsKind) {
    settings::Settings settings;
    TTextEdit line(&page);
    TMemoEdit memo(&page);
    TCurrencyEdit currency(&page);
    TDateEdit date(&page);
    EXPECT_EQ(line.FontOption(settings), &settings.OneLineFieldFont);
    EXPECT_EQ(date.FontOption(settings), &settings.OneLineFieldFont);
    EXPECT_EQ(memo.FontOption(settings), &settings.MultiLineFieldFont);
    EXPECT_EQ(line.Colors()->Text, settings::Element::TextFieldText);
    EXPECT_EQ(memo.Colors()->Background, settings::Element::MultiLineBackground);
    EXPECT_EQ(currency.Colors()->Text, settings::Element::CurrencyPositiveText);
    EXPECT_TRUE(currency.Colors()->KeepsTextColorReadOnly);
    EXPECT_FALSE(line.Colors()->KeepsTextColorReadOnly);
    // A found match is selected in a memo.
    memo.setPlainText(QStringLiteral("line with a match"));
    memo.ShowFound(12, 5);
    EXPECT_EQ(memo.textCursor().selectedText(), QStringLiteral("match"));
}

// A record whose memo is written by an editor and then fails part-way through its post shows,
// opened again, either the old lines or the new ones.
TEST_F(FieldEditorTest, AMemoPostFailingPartWayLeavesTheOldOrTheNewLines) {
    TMemoEdit memo(&page);
    const std::string before = "old\r\nlines";
    AddRecord([&](engine::Table& t) { t.setBytes(Notes, before); });
    table.close();
    const std::string after = "new\r\nlines, longer than the old ones\r\n";
    memo.setPlainText(QString::fromLatin1(after).replace(QLatin1String("\r\n"), "\n"));
    for (std::uint64_t nth = 1;; ++nth) {
        openOn(table, "data.dbf");
        table.first();
        table.edit();
        memo.Write(table, Notes);
        const bool struck = test::PostFailingAt(table, nth);
        table.close();
        engine::Table reopened;
        openOn(reopened, "data.dbf");
        reopened.first();
        const std::string shown = reopened.bytes(Notes);
        EXPECT_TRUE(shown == before || shown == after) << "fault " << nth << ": " << shown;
        reopened.close();
        if (!struck) {
            EXPECT_EQ(shown, after);
            ASSERT_GT(nth, 1u); // the post writes something
            break;
        }
    }
}

} // namespace
} // namespace shelfwise::editors
