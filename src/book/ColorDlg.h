#pragma once

#include "book/ColorRun.h"
#include "settings/Settings.h"

#include <QButtonGroup>
#include <QDialog>
#include <QStringList>

class QGroupBox;
class QVBoxLayout;

namespace shelfwise::book {

class TColorGrid;

// "Set Colors": the colours of a run of consecutive elements, one radio choice per element
// ("Text Color" and "Bgnd Color" as designed). A click in the grid sets the chosen element at
// once; Cancel puts every colour back, OK saves them to the database's "color.lst".
class TColorDlg : public QDialog {
    Q_OBJECT
public:
    TColorDlg(settings::Settings& settings, std::size_t firstElement, QWidget* parent);

    // Renames the choices and appends more for the elements that follow.
    void SetChoices(const QStringList& captions);
    // Whether an element of the run differs from its colour when the dialog opened.
    bool Changed() const { return run_.Changed(); }

    TColorGrid* Grid() const { return grid_; }
    QButtonGroup* Choices() const { return choices_; }

    void accept() override;
    void reject() override;

private:
    void ShowChoice(int choice);

    settings::Settings& settings_;
    std::size_t firstElement_;
    TColorRun run_;
    QGroupBox* group_;
    QVBoxLayout* groupLayout_;
    QButtonGroup* choices_;
    TColorGrid* grid_;
};

// Shows the dialog for a run and reports whether the colours changed and were kept.
bool EditColors(settings::Settings& settings, std::size_t firstElement, const QString& caption,
                const QStringList& choices, QWidget* parent);

} // namespace shelfwise::book
