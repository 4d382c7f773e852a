#include "book/ListHeader.h"

#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/MessageBox.h"
#include "settings/TemplateList.h"
#include "text/WindowsText.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>

namespace shelfwise::book {

namespace {

constexpr int DividerReach = 3;

} // namespace

TQuorvanHeader::TQuorvanHeader(QWidget* parent, const std::vector<std::string>& fieldLabels)
    : QHeaderView(Qt::Horizontal, parent), fieldLabels_(fieldLabels) {
    setObjectName(QStringLiteral("QuorvanHeader1"));
    setToolTip(QStringLiteral("Left Click - Change Order;  Right Click - Menu"));
    setModel(&model_);
    setStretchLastSection(true);
    setSectionsClickable(false);
    setSectionResizeMode(QHeaderView::Interactive);
    setMinimumSectionSize(THeaderSections::MinSectionWidth);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (syncing_ || section >= sections_.Count() - 1) {
            return;
        }
        sections_.Resize(section, size);
        Changed();
    });
    BuildMenu();
}

void TQuorvanHeader::Sync() {
    syncing_ = true;
    sections_.SetHeaderWidth(width());
    model_.clear();
    for (int i = 0; i < sections_.Count(); ++i) {
        model_.setHorizontalHeaderItem(
            i, new QStandardItem(text::FromWindowsText(sections_.Sections()[i].Caption)));
    }
    for (int i = 0; i + 1 < sections_.Count(); ++i) {
        resizeSection(i, sections_.Sections()[i].Width);
    }
    syncing_ = false;
}

void TQuorvanHeader::Changed() {
    Sync();
    emit HChange();
}

void TQuorvanHeader::resizeEvent(QResizeEvent* event) {
    QHeaderView::resizeEvent(event);
    sections_.SetHeaderWidth(width());
}

bool TQuorvanHeader::LoadHeader(const std::filesystem::path& file) {
    const bool read = sections_.Load(file, fieldLabels_);
    Sync();
    return read;
}

bool TQuorvanHeader::SaveHeader(const std::filesystem::path& file) const {
    return sections_.Save(file);
}

void TQuorvanHeader::RenameSections() {
    sections_.RenameSections(fieldLabels_);
    Sync();
}

QStringList TQuorvanHeader::Captions() const {
    QStringList captions;
    for (const HeaderSection& section : sections_.Sections()) {
        captions << text::FromWindowsText(section.Caption);
    }
    return captions;
}

int TQuorvanHeader::ColumnPercent(int section) const {
    return sections_.Percent(section);
}

void TQuorvanHeader::InsertField(int fieldIndex) {
    if (fieldIndex < 0 || fieldIndex >= static_cast<int>(fieldLabels_.size())) {
        return;
    }
    if (sections_.Insert(fieldLabels_[static_cast<std::size_t>(fieldIndex)], fieldIndex)) {
        Changed();
    }
}

void TQuorvanHeader::RemoveField(const QString& caption) {
    sections_.Remove(text::ToWindowsText(caption));
    Changed();
}

void TQuorvanHeader::MoveSection(int from, int to) {
    if (from != to) {
        sections_.Move(from, to);
        Changed();
    }
}

int TQuorvanHeader::SectionUnder(int x) const {
    // The first section whose right divider is at or right of x.
    for (int i = 0; i < sections_.Count(); ++i) {
        if (sectionViewportPosition(i) + sectionSize(i) >= x) {
            return i;
        }
    }
    return sections_.Count() - 1;
}

void TQuorvanHeader::mousePressEvent(QMouseEvent* event) {
    dragged_ = -1;
    dragging_ = false;
    if (event->button() == Qt::LeftButton && sections_.Count() >= 2) {
        const int x = event->position().toPoint().x();
        const int section = SectionUnder(x);
        const int divider = sectionViewportPosition(section) + sectionSize(section);
        if (std::abs(divider - x) > DividerReach || section == sections_.Count() - 1) {
            dragged_ = section;
            pressAt_ = event->position().toPoint();
            return;
        }
    }
    QHeaderView::mousePressEvent(event);
}

void TQuorvanHeader::mouseMoveEvent(QMouseEvent* event) {
    if (dragged_ >= 0) {
        dragging_ = dragging_ || (event->position().toPoint() - pressAt_).manhattanLength() >=
                                     QApplication::startDragDistance();
        return;
    }
    QHeaderView::mouseMoveEvent(event);
}

void TQuorvanHeader::mouseReleaseEvent(QMouseEvent* event) {
    if (dragged_ >= 0) {
        const int from = dragged_;
        dragged_ = -1;
        if (dragging_ && rect().contains(event->position().toPoint())) {
            MoveSection(from, SectionUnder(event->position().toPoint().x()));
        }
        dragging_ = false;
        return;
    }
    QHeaderView::mouseReleaseEvent(event);
}

void TQuorvanHeader::BuildMenu() {
    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("HeaderMenu"));
    insertMenu_ = menu_->addMenu(QStringLiteral("&Insert New Field"));
    removeMenu_ = menu_->addMenu(QStringLiteral("&Remove Field"));
    menu_->addSeparator();
    loadMenu_ = menu_->addMenu(QStringLiteral("&Load From Template"));
    menu_->addAction(QStringLiteral("&Save As Template"), this, [this] { SaveAsTemplate(); });
    deleteMenu_ = menu_->addMenu(QStringLiteral("&Delete Template"));
    menu_->addSeparator();
    menu_->addAction(QStringLiteral("&Help"), this,
                     [this] { platform::ShowHelp(property("helpContext").toInt()); });
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PrepareMenu();
        menu_->popup(mapToGlobal(at));
    });
}

void TQuorvanHeader::PrepareMenu() {
    removeMenu_->setEnabled(sections_.Count() > 1);
    insertMenu_->clear();
    removeMenu_->clear();
    for (std::size_t i = 0; i < fieldLabels_.size(); ++i) {
        if (i < listable_.size() && !listable_[i]) {
            continue;
        }
        const QString label = text::FromWindowsText(fieldLabels_[i]);
        if (sections_.Contains(fieldLabels_[i])) {
            removeMenu_->addAction(label, this, [this, label] { RemoveField(label); });
        } else {
            const int index = static_cast<int>(i);
            insertMenu_->addAction(label, this, [this, index] { InsertField(index); });
        }
    }
    loadMenu_->clear();
    deleteMenu_->clear();
    const std::size_t count = templates_ ? templates_->Count() : 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string name = templates_->TemplateAt(i).Name;
        loadMenu_->addAction(text::FromWindowsText(name), this, [this, name] {
            if (templates_->LoadTemplate(name)) {
                Changed();
            } else {
                Sync();
                platform::ShowError("Error Loading Template.");
            }
        });
        deleteMenu_->addAction(text::FromWindowsText(name), this,
                               [this, i] { templates_->DeleteTemplate(i); });
    }
    loadMenu_->setEnabled(count > 0);
    deleteMenu_->setEnabled(count > 0);
}

void TQuorvanHeader::SaveAsTemplate() {
    if (!templates_) {
        return;
    }
    const auto name = platform::AskText(this, QStringLiteral("Save Header As Template"),
                                        QStringLiteral("Template Name:"));
    if (!name || name->isEmpty()) {
        return;
    }
    if (!templates_->AddTemplate(text::ToWindowsText(*name))) {
        platform::ShowError("Duplicate name - Template Not Saved!");
    }
}

void TQuorvanHeader::SetTemplates(settings::TTemplateList* templates) {
    templates_ = templates;
    if (templates_) {
        templates_->SetContents(this);
    }
}

bool TQuorvanHeader::Write(const std::filesystem::path& file) {
    return SaveHeader(file);
}

bool TQuorvanHeader::Read(const std::filesystem::path& file) {
    return sections_.Load(file, fieldLabels_);
}

} // namespace shelfwise::book
