#include "editors/CurrencyEdit.h"

#include "editors/CalcDlg.h"
#include "engine/TableFixture.h"
#include "engine/TableOperations.h"
#include "platform/Beep.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"

#include <QAbstractButton>
#include <QFocusEvent>
#include <QLocale>
#include <QTest>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace shelfwise::editors {
namespace {

// The field's text colour.
QColor TextColor(const QLineEdit& edit) {
    return edit.palette().color(QPalette::Text);
}

class CurrencyEditTest : public engine::testing::TableFixture {
protected:
    void SetUp() override {
        TableFixture::SetUp();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        platform::SetBeepHook([this] { ++beeps; });
        platform::SetMessageHook([this](const platform::Message& message) {
            messages.push_back(message.text);
            return platform::DefaultAnswer(message.buttons);
        });
    }
    void TearDown() override {
        QLocale::setDefault(QLocale::c());
        platform::SetBeepHook(nullptr);
        platform::SetMessageHook(nullptr);
        platform::SetDialogHook(nullptr);
        TableFixture::TearDown();
    }

    // Leaves the field as a Tab would.
    static void Leave(TCurrencyEdit& edit) {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(&edit, &out);
    }

    // Opens the calculator, presses the named buttons in turn and closes it with the last.
    void Calculate(TCurrencyEdit& edit, const std::vector<const char*>& buttons) {
        platform::SetDialogHook([&](QDialog& dialog) {
            EXPECT_NE(dynamic_cast<TCalcDlg*>(&dialog), nullptr);
            int result = -1;
            QObject::connect(&dialog, &QDialog::finished, [&](int r) { result = r; });
            for (const char* name : buttons) {
                shown.push_back(edit.text());
                auto* button = dialog.findChild<QAbstractButton*>(QString::fromLatin1(name));
                EXPECT_NE(button, nullptr) << name;
                button->click();
            }
            return result;
        });
        edit.Button()->click();
        platform::SetDialogHook(nullptr);
    }

    QWidget page;
    int beeps = 0;
    std::vector<std::string> messages;
    std::vector<QString> shown;
};

TEST_F(CurrencyEditTest, TheTextIsReadWithTheLocaleSeparatorsAndShownInTheDisplayFormat) {
    struct Case {
        QLocale::Language language;
        QLocale::Country country;
        const char* typed;
        double value;
        const char* shown;
        bool beeps;
    };
    using L = QLocale;
    const Case cases[] = {
        {L::English, L::UnitedStates, "1,234.50", 1234.5, "1,234.50", false},
        {L::German, L::Germany, "1.234,50", 1234.5, "1.234,50", false},
        {L::English, L::UnitedStates, "(5)", -5, "-5.00", false},
        {L::English, L::UnitedStates, "5-", -5, "-5.00", false},
        {L::German, L::Germany, "-5", -5, "-5,00", false},
        {L::English, L::UnitedStates, "", 0, "0.00", false},
        {L::English, L::UnitedStates, "no digits", 0, "0.00", false},
        // Two decimal points are no number: the value before stays.
        {L::English, L::UnitedStates, "1.2.3", 7, "7.00", true},
        {L::English, L::UnitedStates, "1234567.891", 1234567.891, "1,234,567.89", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        QLocale::setDefault(QLocale(c.language, c.country));
        TCurrencyEdit edit(&page);
        edit.SetValue(7);
        beeps = 0;
        edit.setText(QString::fromLatin1(c.typed));
        edit.Refresh();
        EXPECT_DOUBLE_EQ(edit.Value(), c.value);
        EXPECT_EQ(edit.text(), QString::fromLatin1(c.shown));
        EXPECT_EQ(beeps, c.beeps ? 1 : 0);
        EXPECT_EQ(TextColor(edit), c.value < 0 ? edit.NegColor() : edit.PlusColor());
    }
}

TEST_F(CurrencyEditTest, TypingTakesOnlyDigitsMinusAndTheDecimalPointAndLeavingFormats) {
    TCurrencyEdit edit(&page);
    edit.SetPlusColor(Qt::darkGreen);
    edit.SetNegColor(Qt::magenta);
    edit.clear();
    QTest::keyClicks(&edit, QStringLiteral("a-b5x,"));
    EXPECT_EQ(edit.text(), QStringLiteral("-5"));
    EXPECT_EQ(beeps, 0);
    Leave(edit);
    EXPECT_EQ(edit.text(), QStringLiteral("-5.00"));
    EXPECT_EQ(TextColor(edit), QColor(Qt::magenta));
    // The colour follows the new value, not the text it replaces.
    edit.SetValue(12);
    EXPECT_EQ(TextColor(edit), QColor(Qt::darkGreen));
    edit.SetValue(-0.5);
    EXPECT_EQ(edit.text(), QStringLiteral("-0.50"));
    EXPECT_EQ(TextColor(edit), QColor(Qt::magenta));
    edit.SetDisplayFormat(QStringLiteral("0.000;(0.000);\"none\" and far too long"));
    EXPECT_EQ(edit.DisplayFormat().size(), 20);
    EXPECT_EQ(edit.text(), QStringLiteral("(0.500)"));
}

TEST_F(CurrencyEditTest, TheCalculatorWorksOnTheFieldAndOkOrCancelDecides) {
    struct Case {
        const char* what;
        std::vector<const char*> buttons;
        const char* text;
    };
    const Case cases[] = {
        {"a result taken", {"B_1", "B_2", "B_5", "B_Sign", "B_OK"}, "-125.00"},
        {"a sum taken", {"B_2", "B_Plus", "B_3", "B_Dot", "B_5", "B_Equ", "B_OK"}, "5.50"},
        {"cancelled", {"B_9", "B_Cancel"}, "1,234.50"},
        {"an error is not taken", {"B_1", "B_Div", "B_0", "B_Equ", "B_OK"}, "1,234.50"},
        {"cleared after an error", {"B_1", "B_Div", "B_0", "B_Equ", "B_C", "B_4", "B_OK"}, "4.00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TCurrencyEdit edit(&page);
        edit.SetValue(1234.5);
        shown.clear();
        Calculate(edit, c.buttons);
        EXPECT_EQ(edit.text(), QString::fromLatin1(c.text));
        EXPECT_EQ(TextColor(edit), edit.Value() < 0 ? edit.NegColor() : edit.PlusColor());
        // While it is open the field shows the calculator's display.
        ASSERT_GE(shown.size(), 2u);
        EXPECT_EQ(shown[0], QStringLiteral("0"));
        EXPECT_EQ(shown[1], QString::fromLatin1(c.buttons[0] + 2));
    }
    EXPECT_EQ(beeps, 0);
}

TEST_F(CurrencyEditTest, TheCalculatorTakesTypedKeysAndAClickLeavesEnterToOk) {
    TCalcDlg dialog(&page);
    std::vector<QString> displays;
    QObject::connect(&dialog, &TCalcDlg::DisplayChanged,
                     [&](const QString& d) { displays.push_back(d); });
    dialog.Reset();
    QTest::keyClicks(&dialog, QStringLiteral("12+30%"));
    EXPECT_EQ(dialog.Display(), QStringLiteral("15.6"));
    QTest::keyClick(&dialog, Qt::Key_Backspace);
    EXPECT_EQ(dialog.Display(), QStringLiteral("0"));
    QTest::keyClicks(&dialog, QStringLiteral("9c"));
    EXPECT_EQ(dialog.Display(), QStringLiteral("0"));
    EXPECT_EQ(displays.size(), 10u);
    auto* seven = dialog.findChild<QAbstractButton*>(QStringLiteral("B_7"));
    auto* ok = dialog.findChild<QAbstractButton*>(QStringLiteral("B_OK"));
    dialog.show();
    seven->setFocus();
    QTest::mouseClick(seven, Qt::LeftButton);
    EXPECT_EQ(dialog.Display(), QStringLiteral("7"));
    EXPECT_EQ(dialog.focusWidget(), ok);
    EXPECT_EQ(seven->toolTip(), QString());
    EXPECT_EQ(dialog.findChild<QAbstractButton*>(QStringLiteral("B_Perc"))->toolTip(),
              QStringLiteral("Percent"));
}

TEST_F(CurrencyEditTest, AValueTooBigForItsFieldIsRefusedWithAMessageAndKept) {
    engine::createTable(dir, "data.dbf", {{"PRICE", 'N', 12, 2}});
    engine::Table table;
    openOn(table, "data.dbf");
    table.append();
    table.setNumber(0, 5);
    table.post();
    TCurrencyEdit edit(&page);
    edit.Read(table, 0);
    edit.setText(QStringLiteral("1000000000"));
    EXPECT_FALSE(edit.Settle());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "The number 1,000,000,000.00 is too big for this field.\nThe largest "
                           "it can hold is 999,999,999.99.");
    EXPECT_EQ(edit.text(), QStringLiteral("1,000,000,000.00"));
    EXPECT_EQ(table.number(0), 5);
    struct Case {
        const char* typed;
        bool settles;
    };
    const Case cases[] = {{"999999999.99", true},
                          {"-99999999.99", true},
                          {"-999999999", false},
                          {"999999999.995", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        edit.setText(QString::fromLatin1(c.typed));
        EXPECT_EQ(edit.Settle(), c.settles);
        if (c.settles) {
            table.edit();
            edit.Write(table, 0);
            table.post();
            EXPECT_DOUBLE_EQ(table.number(0), edit.Value());
        }
    }
}

} // namespace
} // namespace shelfwise::editors
