#include "book/EditMenu.h"

#include "platform/Help.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace shelfwise::book {

namespace {

const QString TextFiles = QStringLiteral("*.txt");

QLineEdit* LineOf(QWidget* editor) {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        return box->lineEdit();
    }
    return qobject_cast<QLineEdit*>(editor);
}

} // namespace

TEditMenu::TEditMenu(bool forLists, bool* autoFill, QWidget* parent)
    : QMenu(parent), autoFill_(autoFill) {
    setObjectName(forLists ? QStringLiteral("ListEditMenu") : QStringLiteral("EditMenu"));
    const auto act = [this](const char* text, auto slot) {
        return addAction(QString::fromLatin1(text), this, [this, slot] {
            if (auto* line = LineOf(editor_)) {
                (line->*slot.first)();
            } else if (auto* memo = qobject_cast<QPlainTextEdit*>(editor_)) {
                (memo->*slot.second)();
            }
        });
    };
    undo_ = act("&Undo", std::pair{&QLineEdit::undo, &QPlainTextEdit::undo});
    undoSeparator_ = addSeparator();
    cut_ = act("Cu&t", std::pair{&QLineEdit::cut, &QPlainTextEdit::cut});
    copy_ = act("&Copy", std::pair{&QLineEdit::copy, &QPlainTextEdit::copy});
    act("&Paste", std::pair{&QLineEdit::paste, &QPlainTextEdit::paste});
    delete_ = addAction(QStringLiteral("&Delete"), this, [this] {
        if (auto* line = LineOf(editor_)) {
            line->del();
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(editor_)) {
            memo->textCursor().removeSelectedText();
        }
    });
    addSeparator();
    selectAll_ = act("Select &All", std::pair{&QLineEdit::selectAll, &QPlainTextEdit::selectAll});
    fileSeparator_ = addSeparator();
    load_ = addAction(QStringLiteral("&Load"), this, [this] { LoadLines(); });
    save_ = addAction(QStringLiteral("&Save"), this, [this] { SaveLines(); });
    addSeparator();
    addAction(QStringLiteral("&Font..."), this, [this] { emit FontRequested(editor_); });
    addAction(QStringLiteral("C&olor..."), this, [this] { emit ColorRequested(editor_); });
    if (forLists) {
        // The list editing dialog is not part of the program yet.
        addAction(QStringLiteral("&Edit List..."))->setEnabled(false);
        autoFillItem_ = addAction(QStringLiteral("Auto-F&ill"), this, [this] {
            *autoFill_ = !*autoFill_;
            emit AutoFillChanged();
        });
        autoFillItem_->setCheckable(true);
    }
    addSeparator();
    addAction(QStringLiteral("&Help"), this, [this] {
        if (const int context = editor_->property("helpContext").toInt(); context != 0) {
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

void TEditMenu::Open(QWidget* editor, const QPoint& at) {
    Prepare(editor);
    popup(at);
}

void TEditMenu::Prepare(QWidget* editor) {
    editor_ = editor;
    auto* memo = qobject_cast<QPlainTextEdit*>(editor);
    const bool list = qobject_cast<QComboBox*>(editor) != nullptr;
    for (QAction* action : {fileSeparator_, load_, save_}) {
        action->setVisible(memo != nullptr);
    }
    undo_->setVisible(!list);
    undoSeparator_->setVisible(!list);
    if (autoFillItem_) {
        autoFillItem_->setChecked(*autoFill_);
    }
    bool selected = false;
    bool empty = true;
    bool canUndo = false;
    if (auto* line = LineOf(editor)) {
        selected = line->hasSelectedText();
        empty = line->text().isEmpty();
        canUndo = line->isUndoAvailable();
    } else if (memo) {
        selected = memo->textCursor().hasSelection();
        empty = memo->document()->isEmpty();
        canUndo = memo->document()->isUndoAvailable();
    }
    for (QAction* action : {cut_, copy_, delete_}) {
        action->setEnabled(selected);
    }
    selectAll_->setEnabled(!selected && !empty);
    undo_->setEnabled(canUndo);
}

void TEditMenu::LoadLines() {
    auto* memo = qobject_cast<QPlainTextEdit*>(editor_);
    const QString name = QFileDialog::getOpenFileName(this, QString(), QString(), TextFiles);
    QFile file(name);
    if (memo && !name.isEmpty() && file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        memo->setPlainText(QString::fromLocal8Bit(file.readAll()));
    }
}

void TEditMenu::SaveLines() {
    auto* memo = qobject_cast<QPlainTextEdit*>(editor_);
    const QString name = QFileDialog::getSaveFileName(this, QString(), QString(), TextFiles);
    QFile file(name);
    if (memo && !name.isEmpty() && file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        file.write(memo->toPlainText().toLocal8Bit());
    }
}

} // namespace shelfwise::book
