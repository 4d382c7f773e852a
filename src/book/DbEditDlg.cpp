#include "book/DbEditDlg.h"

#include "book/DeleteDlg.h"
#include "book/FieldDlg.h"
#include "book/TableViewModel.h"
#include "db/Database.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace shelfwise::book {

namespace {

const QColor Silver(0xC0, 0xC0, 0xC0);

} // namespace

TDbEditDlg::TDbEditDlg(db::TDatabase& database, db::TEditCursor& writer,
                       const settings::Settings& settings, bool readOnly, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setObjectName(QStringLiteral("DbEditDlg"));
    setWindowTitle(readOnly ? QStringLiteral("Table Viewer - Read Only Mode")
                            : QStringLiteral("Table Viewer"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setProperty("helpContext", HelpContext);
    resize(504, 300);

    model_ = new TTableViewModel(database, writer, settings, this);
    model_->SetReadOnly(readOnly);
    model_->ConfirmDelete = [this] { return ConfirmRecordDelete(this, settings_); };

    navigator_ = new QToolBar(this);
    navigator_->setObjectName(QStringLiteral("DBNavigator1"));
    AddNavigatorButton("First", QStringLiteral("|\u25C0"), "First record", &TDbEditDlg::First);
    AddNavigatorButton("Prior", QStringLiteral("\u25C0"), "Prior record", &TDbEditDlg::Prior);
    AddNavigatorButton("Next", QStringLiteral("\u25B6"), "Next record", &TDbEditDlg::Next);
    AddNavigatorButton("Last", QStringLiteral("\u25B6|"), "Last record", &TDbEditDlg::Last);
    AddNavigatorButton("Insert", QStringLiteral("+"), "Insert record", &TDbEditDlg::Insert);
    AddNavigatorButton("Delete", QStringLiteral("\u2212"), "Delete record", &TDbEditDlg::Delete);
    AddNavigatorButton("Edit", QStringLiteral("\u25B2"), "Edit record", &TDbEditDlg::Edit);
    AddNavigatorButton("Post", QStringLiteral("\u2714"), "Post edit", &TDbEditDlg::Post);
    AddNavigatorButton("Cancel", QStringLiteral("\u2716"), "Cancel edit", &TDbEditDlg::Cancel);
    AddNavigatorButton("Refresh", QStringLiteral("\u21BB"), "Refresh data", &TDbEditDlg::Refresh);
    if (readOnly) {
        for (const char* action : {"Insert", "Delete", "Edit", "Post", "Cancel"}) {
            navigator_->removeAction(NavigatorButton(action)->defaultAction());
        }
    }

    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("CloseBtn"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* help = new QPushButton(QStringLiteral("&Help"), this);
    help->setObjectName(QStringLiteral("HelpBtn"));
    connect(help, &QPushButton::clicked, this, [] { platform::ShowHelp(HelpContext); });

    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("DBGrid1"));
    grid_->setToolTip(QStringLiteral("Double Click to Edit Selected Field"));
    grid_->setModel(model_);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed |
                           QAbstractItemView::SelectedClicked);
    // Rows of one height, so the grid never asks every row for its size.
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->hide();
    grid_->setWordWrap(false);
    if (readOnly) {
        QPalette palette = grid_->palette();
        palette.setColor(QPalette::Base, Silver);
        grid_->setPalette(palette);
    }
    connect(grid_, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { EditField(index.row(), index.column()); });
    // Queued: the row being left is written once the grid has finished moving.
    connect(
        grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex& current, const QModelIndex& previous) {
            RowLeft(current.row(), previous.row());
        },
        Qt::QueuedConnection);
    connect(model_, &TTableViewModel::Reloaded, this, &TDbEditDlg::ShowReloaded);
    connect(model_, &QAbstractItemModel::modelReset, this, &TDbEditDlg::UpdateButtons);
    connect(model_, &QAbstractItemModel::dataChanged, this, &TDbEditDlg::UpdateButtons);
    connect(model_, &QAbstractItemModel::rowsInserted, this, &TDbEditDlg::UpdateButtons);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &TDbEditDlg::UpdateButtons);

    auto* top = new QHBoxLayout;
    top->addWidget(navigator_);
    top->addStretch();
    top->addWidget(close);
    top->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(grid_, 1);

    if (!database.DataTable.isOpen()) {
        platform::ShowError("Database could not be open!");
    }
    FitColumns();
    GoToRow(0);

    auto* changes = new QTimer(this);
    connect(changes, &QTimer::timeout, this, &TDbEditDlg::PickUpChanges);
    changes->start(ChangeCheckMs);
}

void TDbEditDlg::AddNavigatorButton(const char* action, const QString& glyph, const char* hint,
                                    void (TDbEditDlg::*run)()) {
    QAction* item = navigator_->addAction(glyph);
    item->setObjectName(QStringLiteral("nb") + QString::fromLatin1(action));
    item->setToolTip(QString::fromLatin1(hint));
    connect(item, &QAction::triggered, this, run);
    navigator_->widgetForAction(item)->setObjectName(item->objectName());
}

QToolButton* TDbEditDlg::NavigatorButton(const char* action) const {
    return navigator_->findChild<QToolButton*>(QStringLiteral("nb") + QString::fromLatin1(action));
}

void TDbEditDlg::FitColumns() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int widest = screen != nullptr ? screen->availableGeometry().width() / 2 : 640;
    const int digit = grid_->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int column = 0; column < model_->columnCount(); ++column) {
        const int title = grid_->horizontalHeader()->fontMetrics().horizontalAdvance(
            model_->headerData(column, Qt::Horizontal).toString());
        grid_->setColumnWidth(
            column, std::min(std::max(model_->FieldWidth(column) * digit, title) + 8, widest));
    }
}

int TDbEditDlg::CurrentRow() const {
    return grid_->currentIndex().row();
}

void TDbEditDlg::GoToRow(int row) {
    const int rows = model_->rowCount();
    if (rows == 0) {
        UpdateButtons();
        return;
    }
    row = std::clamp(row, 0, rows - 1);
    const int column = std::max(grid_->currentIndex().column(), 0);
    const int editRow = model_->EditRow();
    moving_ = true;
    if (editRow >= 0 && row != editRow) {
        // The row being left is written first; where the target stands afterwards depends on
        // the order the written record took.
        const std::uint32_t target = model_->RecordNumberAt(row);
        if (!model_->Post()) {
            row = editRow;
        } else if (const int moved = model_->RowOfRecord(target); moved >= 0) {
            row = moved;
        }
        row = std::clamp(row, 0, std::max(model_->rowCount() - 1, 0));
    }
    grid_->setCurrentIndex(model_->index(row, column));
    moving_ = false;
    UpdateButtons();
}

void TDbEditDlg::RowLeft(int row, int previous) {
    if (moving_ || row == previous || row < 0) {
        return;
    }
    const int editRow = model_->EditRow();
    if (editRow >= 0 && CurrentRow() != editRow) {
        GoToRow(CurrentRow());
    } else {
        UpdateButtons();
    }
}

void TDbEditDlg::ShowReloaded(int row) {
    if (moving_) {
        return;
    }
    moving_ = true;
    if (row >= 0) {
        grid_->setCurrentIndex(model_->index(row, std::max(grid_->currentIndex().column(), 0)));
    }
    moving_ = false;
    UpdateButtons();
}

void TDbEditDlg::UpdateButtons() {
    const int rows = model_->rowCount();
    const int row = CurrentRow();
    const bool browsing = model_->GridState() == TTableViewModel::State::Browse;
    const auto enable = [this](const char* action, bool enabled) {
        if (QToolButton* button = NavigatorButton(action)) {
            button->defaultAction()->setEnabled(enabled);
        }
    };
    enable("First", row > 0);
    enable("Prior", row > 0);
    enable("Next", row >= 0 && row < rows - 1);
    enable("Last", row >= 0 && row < rows - 1);
    enable("Insert", browsing);
    enable("Delete", rows > 0 && row >= 0);
    enable("Edit", browsing && rows > 0);
    enable("Post", !browsing);
    enable("Cancel", !browsing);
    enable("Refresh", browsing);
}

void TDbEditDlg::First() {
    GoToRow(0);
}

void TDbEditDlg::Prior() {
    GoToRow(CurrentRow() - 1);
}

void TDbEditDlg::Next() {
    GoToRow(CurrentRow() + 1);
}

void TDbEditDlg::Last() {
    GoToRow(model_->rowCount() - 1);
}

void TDbEditDlg::Insert() {
    if (model_->Insert()) {
        GoToRow(model_->EditRow());
    }
}

void TDbEditDlg::Delete() {
    model_->Delete(CurrentRow());
    UpdateButtons();
}

void TDbEditDlg::Edit() {
    if (model_->Edit(CurrentRow()) && (model_->flags(grid_->currentIndex()) & Qt::ItemIsEditable)) {
        grid_->edit(grid_->currentIndex());
    }
    UpdateButtons();
}

void TDbEditDlg::Post() {
    model_->Post();
    UpdateButtons();
}

void TDbEditDlg::Cancel() {
    model_->Cancel();
    UpdateButtons();
}

void TDbEditDlg::Refresh() {
    const std::uint32_t shown = model_->RecordNumberAt(CurrentRow());
    model_->Refresh();
    GoToRow(std::max(model_->RowOfRecord(shown), 0));
}

QList<QWidget*> TDbEditDlg::CellEditors() const {
    // The grid's only children on its viewport are the editors it opened; one it closed is
    // hidden until it goes.
    QList<QWidget*> open;
    for (QWidget* editor : grid_->viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!editor->isHidden()) {
            open.push_back(editor);
        }
    }
    return open;
}

void TDbEditDlg::PickUpChanges() {
    // A field editor or a question above the viewer works on the rows as they are.
    const QWidget* front = QApplication::activeModalWidget();
    if ((front != nullptr && front != this) || !CellEditors().isEmpty() ||
        model_->GridState() != TTableViewModel::State::Browse || !model_->TableChanged()) {
        return;
    }
    Refresh();
}

void TDbEditDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        PickUpChanges();
    }
}

void TDbEditDlg::EditField(int row, int column) {
    if (row < 0 || column < 0) {
        return;
    }
    // A picture is shown in a window of its own in place of the viewer.
    const bool hideViewer = model_->IsPicture(column) && isVisible();
    TFieldDlg editor(*model_, row, column, this);
    if (hideViewer) {
        hide();
    }
    platform::RunModal(editor);
    if (hideViewer) {
        show();
    }
    UpdateButtons();
}

void TDbEditDlg::done(int result) {
    // What is typed into a cell, and the row being edited, are written before the viewer goes;
    // when that fails it stays.
    for (QWidget* editor : CellEditors()) {
        QMetaObject::invokeMethod(grid_, "commitData", Q_ARG(QWidget*, editor));
    }
    if (!model_->Post()) {
        return;
    }
    QDialog::done(result);
}

} // namespace shelfwise::book
