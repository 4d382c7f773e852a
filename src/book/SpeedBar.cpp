#include "book/SpeedBar.h"

#include "book/ButtonRowLayout.h"
#include "book/Colors.h"
#include "book/Glyphs.h"

#include <QTabBar>

namespace shelfwise::book {

namespace {

struct ButtonDesign {
    const char* Name;
    const char* Caption;
    const char* Hint;
    Glyph Picture;
};

constexpr ButtonDesign StandardDesign[] = {
    {"B_Search", "Find", "Find Text", Glyph::Find},
    {"B_Replace", "Replace", "Replace Text", Glyph::Replace},
    {"B_Options", "Options", "Set Options", Glyph::Options},
    {"B_Print", "Print", "Create and Print Reports or Labels", Glyph::Print},
    {"B_Table", "Table", "View Database in Table Format", Glyph::Table},
    {"B_HTML", "HTML", "Generate HTML Report", Glyph::Html},
    {"B_New", "New", "Add New Record", Glyph::New},
    {"B_Load", "Load", "Load Another Database", Glyph::Load},
    {"B_Exit", "Exit", "Program Shutdown [Alt+F4]", Glyph::Exit},
};

constexpr ButtonDesign AdvancedDesign[] = {
    {"B_Export", "Export", "Export Data From Current Database", Glyph::Export},
    {"B_Import", "Import", "Import Data Into Current Database", Glyph::Import},
    {"B_Password", "Password", "Change Password", Glyph::Password},
    {"B_Maintenance", "Maintenance", "Database Maintenance Functions", Glyph::Maintenance},
    {"B_Filter", "Filter", "Define/Use Filter", Glyph::Filter},
    {"B_Sort", "Sort", "Sort Data", Glyph::Sort},
    {"B_Summary", "Summary", "Display Summary", Glyph::Summary},
};

constexpr int ButtonHeight = 30;
constexpr int ButtonTop = 3;

template <std::size_t N>
std::vector<THotBtn*> MakeButtons(const ButtonDesign (&design)[N], QWidget* sheet) {
    std::vector<THotBtn*> buttons;
    for (const auto& d : design) {
        auto* button = new THotBtn(QString::fromLatin1(d.Name), QString::fromLatin1(d.Caption),
                                   GlyphIcon(d.Picture), sheet);
        button->setToolTip(QString::fromLatin1(d.Hint));
        button->setIconSize(QSize(18, 18));
        const int width = button->fontMetrics().horizontalAdvance(button->text()) + 34;
        button->setGeometry(0, ButtonTop, width, ButtonHeight);
        buttons.push_back(button);
    }
    return buttons;
}

std::vector<BarButton> Measure(const std::vector<THotBtn*>& buttons) {
    std::vector<BarButton> bar;
    int left = 4;
    for (auto* button : buttons) {
        const QRect g = button->geometry();
        bar.push_back({left, g.width(), g.height()});
        left += g.width() + 4;
    }
    return bar;
}

void Apply(const std::vector<BarButton>& bar, const std::vector<THotBtn*>& buttons) {
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        buttons[i]->ShowCaption(bar[i].Captioned);
        buttons[i]->setGeometry(bar[i].Left, ButtonTop, bar[i].Width, bar[i].Height);
    }
}

// The sheets lie inside the bar's frame.
constexpr int SheetFrame = 4;

} // namespace

TSpeedBar::TSpeedBar(QWidget* parent) : QTabWidget(parent) {
    setObjectName(QStringLiteral("PageControl1"));
    setTabPosition(QTabWidget::South);
    setDocumentMode(false);
    tabBar()->setFocusPolicy(Qt::NoFocus);
    tabBar()->setMouseTracking(true);
    standard_ = MakeButtons(StandardDesign, AddSheet(QStringLiteral("TabSheet1"), tr("Standard")));
    advanced_ = MakeButtons(AdvancedDesign, AddSheet(QStringLiteral("TabSheet2"), tr("Advanced")));
    standardBar_ = Measure(standard_);
    advancedBar_ = Measure(advanced_);
    Apply(standardBar_, standard_);
    Apply(advancedBar_, advanced_);
    resize(width(), DesignedHeight);
}

QWidget* TSpeedBar::AddSheet(const QString& name, const QString& caption) {
    auto* sheet = new QWidget;
    sheet->setObjectName(name);
    sheet->setAutoFillBackground(true);
    addTab(sheet, caption);
    return sheet;
}

void TSpeedBar::LayoutButtons() {
    if (LayoutSpeedBar(standardBar_, advancedBar_, width() - SheetFrame)) {
        Apply(standardBar_, standard_);
        Apply(advancedBar_, advanced_);
    }
}

void TSpeedBar::SetColor(const QColor& colour) {
    SetWidgetBackground(this, colour);
    for (int i = 0; i < count(); ++i) {
        SetWidgetBackground(widget(i), colour);
    }
}

} // namespace shelfwise::book
