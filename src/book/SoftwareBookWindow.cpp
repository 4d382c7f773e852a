#include "book/SoftwareBookWindow.h"

#include "book/RecordTabs.h"
#include "book/RightPage.h"
#include "editors/CurrencyEdit.h"
#include "editors/DateEdit.h"
#include "editors/LinkEdits.h"
#include "editors/Lookup.h"
#include "media/MultiImgControl.h"

#include <QLabel>

namespace shelfwise::book {

namespace {

enum class Editor { Edit, Lookup, Currency, Date, Picture, Phone, EMail, Web, Memo, Attachment };

struct FieldDesign {
    const char* Label;
    QPoint LabelAt;
    Editor Kind;
    int Page;
    QRect Geometry;
    const char* Hint = nullptr;
    const char* ListFile = nullptr;
};

const FieldDesign FieldDesigns[] = {
    {"Application Name:", {6, 6}, Editor::Edit, 1, {6, 20, 257, 24}, "Enter Text Here"},
    {"Producer:", {6, 58}, Editor::Lookup, 1, {70, 53, 193, 24}, nullptr, "list1.dbf"},
    {"Category:", {6, 89}, Editor::Lookup, 1, {70, 84, 193, 24}, nullptr, "list2.dbf"},
    {"Version #:", {6, 113}, Editor::Edit, 1, {6, 127, 51, 24}, "Enter Text Here"},
    {"Serial #:", {62, 113}, Editor::Edit, 1, {62, 127, 105, 24}, "Enter Text Here"},
    {"Price:", {172, 113}, Editor::Currency, 1, {172, 127, 91, 24}},
    {"Version Date:", {6, 155}, Editor::Date, 1, {6, 169, 115, 24}},
    {"Installation Date:", {6, 195}, Editor::Date, 1, {6, 209, 115, 24}},
    {"Media:", {6, 235}, Editor::Lookup, 1, {6, 249, 115, 24}, nullptr, "list3.dbf"},
    {"Operating System:", {6, 275}, Editor::Lookup, 1, {6, 289, 115, 24}, nullptr, "list4.dbf"},
    {"Logo/Icon:", {128, 155}, Editor::Picture, 1, {127, 169, 136, 145}},
    {"Phone Support:", {6, 7}, Editor::Phone, 2, {6, 21, 112, 24}},
    {"Email Support:",
     {123, 7},
     Editor::EMail,
     2,
     {123, 21, 140, 24},
     "E-Mail field - see Help on how to link it with E-Mail Applications"},
    {"Internet:",
     {6, 65},
     Editor::Web,
     2,
     {70, 58, 193, 24},
     "Internet Address Field - see Help on how to use it with your Web Browser"},
    {"Status:", {6, 101}, Editor::Lookup, 2, {70, 96, 193, 24}, nullptr, "list5.dbf"},
    {"Custom 1:", {6, 137}, Editor::Lookup, 2, {70, 132, 193, 24}, nullptr, "list6.dbf"},
    {"Custom 2:", {6, 172}, Editor::Edit, 2, {70, 167, 193, 24}, "Enter Text Here"},
    {"Custom 3:", {6, 208}, Editor::Edit, 2, {70, 203, 193, 24}, "Enter Text Here"},
    {"Custom 4:", {6, 234}, Editor::Currency, 2, {6, 248, 99, 24}},
    {"Custom 5:", {110, 234}, Editor::Lookup, 2, {111, 248, 152, 24}, nullptr, "list7.dbf"},
    {"Custom 6:", {6, 276}, Editor::Date, 2, {6, 290, 99, 24}},
    {"Attachment:", {110, 276}, Editor::Attachment, 2, {111, 290, 152, 24}},
    {"Notes:", {7, 4}, Editor::Memo, 3, {6, 18, 257, 301}, "Enter Text Here"},
    {"Picture:", {6, 2}, Editor::Picture, 4, {6, 16, 260, 305}},
};

editors::TFieldEditor* MakeEditor(const FieldDesign& design, QWidget* page) {
    switch (design.Kind) {
    case Editor::Lookup:
        return new editors::TLookup(QString::fromLatin1(design.ListFile), page);
    case Editor::Memo:
        return new editors::TMemoEdit(page);
    case Editor::Picture: {
        // The logo's window text is "L12", the picture's is empty; only the picture is a tab
        // stop.
        const bool logo = design.Page == 1;
        auto* picture =
            new media::TDbMultiImgControl(logo ? QStringLiteral("L12") : QString(), page);
        picture->setFocusPolicy(logo ? Qt::ClickFocus : Qt::StrongFocus);
        // The logo is too narrow for the picture's tool bar.
        picture->SetSpeedBarVisible(!logo);
        return picture;
    }
    case Editor::Currency:
        return new editors::TCurrencyEdit(page);
    case Editor::Date:
        return new editors::TDateEdit(page);
    case Editor::Phone:
        return new editors::TPhoneEdit(page);
    case Editor::EMail:
        return new editors::TEMailEdit(page);
    case Editor::Web:
        return new editors::TWebEdit(page);
    case Editor::Attachment:
        return new editors::TMultiMediaEdit(page);
    default:
        return new editors::TTextEdit(page);
    }
}

} // namespace

TSoftwareBookWindow::TSoftwareBookWindow(settings::Settings& settings) : TBookWindow(settings) {
    setObjectName(QStringLiteral("Form3"));
    TRecordTabs* pages = RightPage()->Pages();
    int number = 0;
    for (const FieldDesign& design : FieldDesigns) {
        ++number;
        QWidget* page = pages->PagePanel(design.Page);
        auto* label = new QLabel(QString::fromLatin1(design.Label), page);
        label->setObjectName(QStringLiteral("FieldLabel%1").arg(number));
        label->setProperty("tag", number);
        label->move(design.LabelAt);
        label->adjustSize();
        editors::TFieldEditor* editor = MakeEditor(design, page);
        QWidget* widget = editor->Widget();
        widget->setObjectName(QStringLiteral("L%1").arg(number));
        widget->setGeometry(design.Geometry);
        if (design.Hint) {
            widget->setToolTip(QString::fromLatin1(design.Hint));
        }
        AddField(label, editor);
    }
    CompleteCreation();
}

} // namespace shelfwise::book
