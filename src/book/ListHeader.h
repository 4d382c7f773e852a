#pragma once

#include "book/HeaderSections.h"
#include "settings/TemplateContents.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <string>
#include <vector>

class QMenu;

namespace shelfwise::settings {
class TTemplateList;
}

namespace shelfwise::book {

// The column header of the left page's list: one section per shown field, captioned with the
// field's label; the last section takes the rest of the width. The user drags dividers,
// drags sections to new places, inserts and removes fields and keeps layouts as templates;
// every change is reported by HChange.
class TQuorvanHeader : public QHeaderView, public settings::TTemplateContents {
    Q_OBJECT
public:
    TQuorvanHeader(QWidget* parent, const std::vector<std::string>& fieldLabels);

    bool LoadHeader(const std::filesystem::path& file);
    bool SaveHeader(const std::filesystem::path& file) const;
    void RenameSections();
    const THeaderSections& Sections() const { return sections_; }

    // The sections' captions in display order.
    QStringList Captions() const;
    int ColumnPercent(int section) const;

    void InsertField(int fieldIndex);
    void RemoveField(const QString& caption);
    void MoveSection(int from, int to);

    // The header kind of the template catalogue; none until the program gives it.
    void SetTemplates(settings::TTemplateList* templates);
    // Fields that are no columns: the label list without memo and picture fields.
    void SetListableFields(std::vector<bool> listable) { listable_ = std::move(listable); }
    QMenu* Menu() const { return menu_; }
    // Rebuilds the menu's field and template items as it is about to open.
    void PrepareMenu();

    bool Write(const std::filesystem::path& file) override;
    bool Read(const std::filesystem::path& file) override;

signals:
    void HChange();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Sync();
    void Changed();
    void BuildMenu();
    void SaveAsTemplate();
    int SectionUnder(int x) const;

    const std::vector<std::string>& fieldLabels_;
    THeaderSections sections_;
    QStandardItemModel model_;
    QMenu* menu_;
    QMenu* insertMenu_;
    QMenu* removeMenu_;
    QMenu* loadMenu_;
    QMenu* deleteMenu_;
    settings::TTemplateList* templates_ = nullptr;
    std::vector<bool> listable_;
    bool syncing_ = false;
    int dragged_ = -1;
    QPoint pressAt_;
    bool dragging_ = false;
};

} // namespace shelfwise::book
