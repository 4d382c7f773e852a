#include "book/EditMenu.h"

#include "platform/Help.h"

#include <QFile>
#include <QFileDialog>

namespace shelfwise::book {

namespace {

const QString TextFiles = QStringLiteral("*.txt");

} // namespace

TEditMenu::TEditMenu(bool forLists, bool* autoFill, QWidget* parent)
    : QMenu(parent), autoFill_(autoFill) {
    setObjectName(forLists ? QStringLiteral("ListEditMenu") : QStringLiteral("EditMenu"));
    const auto act = [this](const char* text, void (editors::TTextEditing::*command)()) {
        return addAction(QString::fromLatin1(text), this, [this, command] {
            if (editors::TTextEditing* editing = Editing()) {
                (editing->*command)();
            }
        });
    };
    undo_ = act("&Undo", &editors::TTextEditing::Undo);
    undoSeparator_ = addSeparator();
    cut_ = act("Cu&t", &editors::TTextEditing::Cut);
    copy_ = act("&Copy", &editors::TTextEditing::Copy);
    act("&Paste", &editors::TTextEditing::Paste);
    delete_ = act("&Delete", &editors::TTextEditing::DeleteSelection);
    addSeparator();
    selectAll_ = act("Select &All", &editors::TTextEditing::SelectAll);
    fileSeparator_ = addSeparator();
    load_ = addAction(QStringLiteral("&Load"), this, [this] { LoadLines(); });
    save_ = addAction(QStringLiteral("&Save"), this, [this] { SaveLines(); });
    addSeparator();
    addAction(QStringLiteral("&Font..."), this, [this] { emit FontRequested(editor_); });
    addAction(QStringLiteral("C&olor..."), this, [this] { emit ColorRequested(editor_); });
    if (forLists) {
        addAction(QStringLiteral("&Edit List..."), this,
                  [this] { emit ListEditRequested(editor_); });
        autoFillItem_ = addAction(QStringLiteral("Auto-F&ill"), this, [this] {
            *autoFill_ = !*autoFill_;
            emit AutoFillChanged();
        });
        autoFillItem_->setCheckable(true);
    }
    addSeparator();
    addAction(QStringLiteral("&Help"), this, [this] {
        if (const int context = editor_->Widget()->property("helpContext").toInt(); context != 0) {
            platform::ShowHelp(context);
        }
    });
}

QAction* TEditMenu::Item(const QString& text) const {
    for (QAction* action : actions()) {
        if (action->text() == text) {
            return action;
        }
    }
    return nullptr;
}

editors::TTextEditing* TEditMenu::Editing() const {
    return editor_ != nullptr ? editor_->Editing() : nullptr;
}

void TEditMenu::Open(editors::TFieldEditor* editor, const QPoint& at) {
    Prepare(editor);
    popup(at);
}

void TEditMenu::Prepare(editors::TFieldEditor* editor) {
    editor_ = editor;
    const editors::TTextEditing* editing = Editing();
    const bool lines = editing != nullptr && editing->HoldsLines();
    for (QAction* action : {fileSeparator_, load_, save_}) {
        action->setVisible(lines);
    }
    const bool offersUndo = editing == nullptr || editing->OffersUndo();
    undo_->setVisible(offersUndo);
    undoSeparator_->setVisible(offersUndo);
    if (autoFillItem_) {
        autoFillItem_->setChecked(*autoFill_);
    }
    const bool selected = editing != nullptr && editing->HasSelection();
    const bool empty = editing == nullptr || editing->IsEmpty();
    for (QAction* action : {cut_, copy_, delete_}) {
        action->setEnabled(selected);
    }
    selectAll_->setEnabled(!selected && !empty);
    undo_->setEnabled(editing != nullptr && editing->CanUndo());
}

void TEditMenu::LoadLines() {
    editors::TTextEditing* editing = Editing();
    const QString name = QFileDialog::getOpenFileName(this, QString(), QString(), TextFiles);
    QFile file(name);
    if (editing != nullptr && editing->HoldsLines() && !name.isEmpty() &&
        file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        editing->SetLines(QString::fromLocal8Bit(file.readAll()));
    }
}

void TEditMenu::SaveLines() {
    const editors::TTextEditing* editing = Editing();
    const QString name = QFileDialog::getSaveFileName(this, QString(), QString(), TextFiles);
    QFile file(name);
    if (editing != nullptr && editing->HoldsLines() && !name.isEmpty() &&
        file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        file.write(editing->Lines().toLocal8Bit());
    }
}

} // namespace shelfwise::book
