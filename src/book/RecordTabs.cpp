#include "book/RecordTabs.h"

#include "book/Colors.h"
#include "book/Panel.h"
#include "text/WindowsText.h"

#include <QMouseEvent>

namespace shelfwise::book {

namespace {

// A record tab sheet; its page panel fills it.
class RecordSheet : public QWidget {
public:
    explicit RecordSheet(int number) {
        setObjectName(QStringLiteral("Part%1").arg(number));
        page_ = new TPanel(QStringLiteral("PgR%1").arg(number), this, TPanel::Bevel::Lowered);
        page_->setProperty("tag", number - 1);
    }

protected:
    void resizeEvent(QResizeEvent*) override { page_->setGeometry(rect()); }

private:
    TPanel* page_;
};

} // namespace

TRecordTabBar::TRecordTabBar(QWidget* parent) : QTabBar(parent) {
    setFocusPolicy(Qt::NoFocus);
}

void TRecordTabBar::mousePressEvent(QMouseEvent* event) {
    QTabBar::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && event->buttons() == Qt::LeftButton) {
        dragged_ = currentIndex();
    }
}

void TRecordTabBar::mouseMoveEvent(QMouseEvent* event) {
    QTabBar::mouseMoveEvent(event);
    if (dragged_ >= 0) {
        setCursor(tabAt(event->position().toPoint()) >= 0 ? Qt::DragMoveCursor
                                                          : Qt::ForbiddenCursor);
    }
}

void TRecordTabBar::mouseReleaseEvent(QMouseEvent* event) {
    QTabBar::mouseReleaseEvent(event);
    if (dragged_ < 0 || event->button() != Qt::LeftButton) {
        return;
    }
    unsetCursor();
    const int from = dragged_;
    dragged_ = -1;
    const int to = tabAt(event->position().toPoint());
    if (to >= 0 && to != from) {
        emit PageMoved(from, to);
    }
}

TRecordTabs::TRecordTabs(QWidget* parent) : QTabWidget(parent) {
    setObjectName(QStringLiteral("Notebook1"));
    auto* bar = new TRecordTabBar(this);
    setTabBar(bar);
    connect(bar, &TRecordTabBar::PageMoved, this, &TRecordTabs::MovePage);
    for (int i = 1; i <= 4; ++i) {
        addTab(new RecordSheet(i), QStringLiteral("Part %1").arg(i));
        setTabToolTip(i - 1, QStringLiteral("Use Drag and Drop to change the Tab Order"));
    }
}

TPanel* TRecordTabs::PagePanel(int number) const {
    return findChild<TPanel*>(QStringLiteral("PgR%1").arg(number));
}

std::vector<std::string> TRecordTabs::Captions() const {
    std::vector<std::string> captions;
    for (int i = 0; i < count(); ++i) {
        captions.push_back(text::ToWindowsText(tabText(i)));
    }
    return captions;
}

void TRecordTabs::MovePage(int from, int to) {
    tabBar()->moveTab(from, to);
    setCurrentIndex(to);
}

void TRecordTabs::SetColor(const QColor& colour) {
    SetWidgetBackground(this, colour);
    for (int i = 0; i < count(); ++i) {
        SetWidgetBackground(widget(i), colour);
        for (auto* page : widget(i)->findChildren<TPanel*>(QString(), Qt::FindDirectChildrenOnly)) {
            SetWidgetBackground(page, colour);
        }
    }
}

} // namespace shelfwise::book
