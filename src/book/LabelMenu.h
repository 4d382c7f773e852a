#pragma once

#include "book/FieldLabelList.h"

#include <QMenu>
#include <functional>

class QLabel;

namespace shelfwise::settings {
class TTemplateList;
}

namespace shelfwise::book {

// The label menu of the right page: a click on a field label opens it with that label as its
// subject, to rename the label, colour the labels, or load and save label templates. The book
// window shows the labels again through RefreshLabels and repaints through ApplyColors.
class TLabelMenu : public QMenu {
    Q_OBJECT
public:
    TLabelMenu(settings::Settings& settings, QWidget* parent);

    std::function<void()> RefreshLabels;
    std::function<void()> ApplyColors;

    // Clicking the label opens the menu on it.
    void Attach(QLabel* label);
    // The label template catalogue; loading and saving templates wait for it.
    void SetTemplates(settings::TTemplateList* templates);

    void Open(QLabel* label);
    int Subject() const { return subject_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void EditText();
    void EditColors();
    void LoadFromTemplate();
    void SaveAsTemplate();
    void LabelsChanged();

    settings::Settings& settings_;
    TFieldLabelList labels_;
    settings::TTemplateList* templates_ = nullptr;
    QAction* load_;
    QAction* save_;
    int subject_ = 0;
};

} // namespace shelfwise::book
