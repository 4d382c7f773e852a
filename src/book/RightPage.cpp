#include "book/RightPage.h"

#include "book/BookLayout.h"
#include "book/Glyphs.h"

namespace shelfwise::book {

namespace {

constexpr int TemplatePanelWidth = 94;
constexpr int RecordButtonSize = 26;

QToolButton* RecordButton(const char* name, const char* hint, Glyph glyph, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(QString::fromLatin1(hint));
    button->setIcon(GlyphIcon(glyph));
    button->setIconSize(QSize(18, 18));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->resize(RecordButtonSize, RecordButtonSize);
    return button;
}

QLabel* MakePositionLabel(const char* name, const char* caption, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setProperty("tag", -1);
    label->setAutoFillBackground(true);
    QFont font = label->font();
    font.setPixelSize(11);
    label->setFont(font);
    return label;
}

} // namespace

TRightPage::TRightPage(QWidget* parent)
    : TPanel(QStringLiteral("PgRight"), parent, TPanel::Bevel::Lowered) {
    SetSpine(Spine::Left);
    status_ = new TPanel(QStringLiteral("RStatus"), this);
    status_->SetCaption(QStringLiteral("Read/Write Access"));
    templatePanel_ = new TPanel(QStringLiteral("Panel10"), status_);
    templateButton_ = new THotSpeedBtn(QStringLiteral("TemplateBtn"), templatePanel_);
    templateButton_->setText(QStringLiteral("Blank"));
    templateButton_->setToolTip(
        QStringLiteral("Left Click - Select New Record Template; Right Click - Popup Menu"));
    templateButton_->setIcon(GlyphIcon(Glyph::Template));
    templateButton_->setIconSize(QSize(12, 12));
    templateButton_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    pages_ = new TRecordTabs(this);

    recordBar_ = new TPanel(QStringLiteral("Panel2"), this);
    recordBar_->setToolTip(QStringLiteral("This is a Speed Bar for the Current Record (above)"));
    recordButtons_ = {
        RecordButton("B_RSynchro", "Synchronize Left Page With Current Record [Alt+Y]",
                     Glyph::Synchronize, recordBar_),
        RecordButton("B_RPrint", "Print Current Record [Alt+P]", Glyph::Print, recordBar_),
        RecordButton("B_RDelete", "Delete Current Record [Alt+Delete]", Glyph::Delete, recordBar_),
        RecordButton("B_RUndo", "Undo Changes To Current Record [Alt+U]", Glyph::Undo, recordBar_),
        RecordButton("B_RCopy", "Copy Current Record To Copy Buffer [Alt+C]", Glyph::Copy,
                     recordBar_),
        RecordButton("B_RPaste", "Paste From Copy Buffer To Current Record [Alt+T]", Glyph::Paste,
                     recordBar_),
    };
    previous_ =
        RecordButton("B_Prev", "GoTo Previous Page [Alt+PgUp]", Glyph::Previous, recordBar_);
    next_ = RecordButton("B_Next", "GoTo Next Page [Alt+PgDn]", Glyph::Next, recordBar_);
    positionLabel_ = MakePositionLabel("PgR_Lbl", "999999", recordBar_);
    percentLabel_ = MakePositionLabel("Perc_Lbl", "100%", recordBar_);
    resize(280, 400);
}

void TRightPage::resizeEvent(QResizeEvent*) {
    status_->setGeometry(0, 0, width(), StatusHeight);
    templatePanel_->setGeometry(width() - TemplatePanelWidth, 0, TemplatePanelWidth, StatusHeight);
    templateButton_->setGeometry(templatePanel_->rect());
    recordBar_->setGeometry(0, height() - RecordBarHeight, width(), RecordBarHeight);
    pages_->setGeometry(0, StatusHeight, width(),
                        std::max(0, height() - StatusHeight - RecordBarHeight));
    const RecordBarPlacement placed =
        PlaceRecordBar(recordBar_->width(), PositionLabelWidth, RecordButtonSize,
                       static_cast<int>(recordButtons_.size()), RecordButtonSize);
    positionLabel_->setGeometry(placed.Labels, 2, PositionLabelWidth, 13);
    percentLabel_->setGeometry(placed.Labels, 15, PositionLabelWidth, 13);
    next_->move(placed.Next, 2);
    previous_->move(placed.Prev, 2);
    int left = RecordButtonsLeft;
    for (QToolButton* button : recordButtons_) {
        button->setGeometry(left, 2, placed.ButtonSize, RecordButtonSize);
        left += placed.ButtonSize + 1;
    }
}

} // namespace shelfwise::book
