#include "media/MultiImgControl.h"

#include "engine/EngineError.h"
#include "engine/Table.h"
#include "media/CaptureForm.h"
#include "media/FullSlide.h"
#include "media/PictureIo.h"
#include "media/PictureLayout.h"
#include "media/SaneScanner.h"
#include "media/StoredBitmap.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace shelfwise::media {

namespace {

constexpr int SpeedBarHeight = 24;
// Narrower controls never show the tool bar.
constexpr int ToolBarMinWidth = 210;
constexpr int OwnerHiddenTag = 1000;
// Decoded pictures kept for going back to recent records.
constexpr std::size_t KeptPictures = 4;
// Field values kept for the same, within this many bytes (a 12-megapixel bitmap is 36 MB).
constexpr std::size_t KeptValueBytes = 96u << 20;
// Bitmaps from this size on are read in parts when shown: a 12-megapixel one is 36 MB, of which
// a look at it needs a few rows.
constexpr std::uint64_t PartsFromBytes = 4u << 20;
constexpr int ScanProgressMs = 100;
const QColor Silver(192, 192, 192);

// The tool bar's buttons, in their order on the bar.
namespace command {
enum Index { Clear, Load, Save, Copy, Paste, Capture, Print, Scan, FullScreen, Stretch };
}

struct ButtonDesign {
    const char* Hint;
    QStyle::StandardPixmap Icon;
};

constexpr std::array<ButtonDesign, TDbMultiImgControl::ButtonCount> Buttons{{
    {"Clear", QStyle::SP_DialogDiscardButton},
    {"Load", QStyle::SP_DialogOpenButton},
    {"Save", QStyle::SP_DialogSaveButton},
    {"Copy", QStyle::SP_FileDialogContentsView},
    {"Paste", QStyle::SP_FileDialogDetailedView},
    {"Screen Capture", QStyle::SP_DesktopIcon},
    {"Print", QStyle::SP_FileDialogListView},
    {"Scan", QStyle::SP_DriveCDIcon},
    {"Full Screen", QStyle::SP_TitleBarMaxButton},
    {"Auto Stretch", QStyle::SP_TitleBarNormalButton},
}};

const QString LoadFilter = QStringLiteral(
    "All Images (*.jpg *.gif *.pcx *.bmp *.png);;BMP Images (*.bmp);;GIF Images (*.gif);;PCX "
    "Images (*.pcx);;JPG Images (*.jpg);;PNG Images (*.png)");
const QString SaveFilter = QStringLiteral("BMP Images (*.bmp);;GIF Images (*.gif);;PCX Images "
                                          "(*.pcx);;JPG Images (*.jpg);;PNG Images (*.png)");

std::optional<QString> ChooseFile(QWidget* parent, const QString& title, const QString& filter,
                                  QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    if (mode == QFileDialog::AcceptSave) {
        dialog.setDefaultSuffix(QStringLiteral("bmp"));
    }
    if (platform::RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

bool ClipboardHoldsPicture() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data != nullptr && data->hasImage();
}

} // namespace

// The picture inside the scroll box; the control paints it.
class TPictureView : public QWidget {
public:
    TPictureView(TDbMultiImgControl* control, QWidget* parent)
        : QWidget(parent), control_(control) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        control_->Paint(painter, event->rect());
    }
    void mouseDoubleClickEvent(QMouseEvent*) override { control_->ShowFullScreen(); }

private:
    TDbMultiImgControl* control_;
};

TDbMultiImgControl::TDbMultiImgControl(const QString& caption, QWidget* parent)
    : QFrame(parent), caption_(caption) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    resize(210, 200);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);

    scrollBox_ = new QScrollArea(this);
    scrollBox_->setObjectName(QStringLiteral("ScrollBox"));
    scrollBox_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scrollBox_->setBackgroundRole(QPalette::Base);
    QPalette silver = scrollBox_->palette();
    silver.setColor(QPalette::Base, Silver);
    scrollBox_->setPalette(silver);
    view_ = new TPictureView(this, scrollBox_);
    view_->setObjectName(QStringLiteral("Image"));
    scrollBox_->setWidget(view_);
    layout->addWidget(scrollBox_, 1);

    panel_ = new QFrame(this);
    panel_->setObjectName(QStringLiteral("Panel"));
    static_cast<QFrame*>(panel_)->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel_->setFixedHeight(SpeedBarHeight);
    auto* bar = new QHBoxLayout(panel_);
    bar->setContentsMargins(2, 2, 2, 2);
    bar->setSpacing(0);
    for (std::size_t i = 0; i < Buttons.size(); ++i) {
        auto* button = new QToolButton(panel_);
        button->setObjectName(QStringLiteral("Btn%1").arg(i + 1));
        button->setToolTip(QString::fromLatin1(Buttons[i].Hint));
        button->setIcon(style()->standardIcon(Buttons[i].Icon));
        button->setFixedSize(SpeedBarHeight - 4, SpeedBarHeight - 4);
        button->setAutoRaise(true);
        bar->addWidget(button);
        buttons_[i] = button;
    }
    bar->addStretch(1);
    layout->addWidget(panel_);
    buttons_[command::Stretch]->setCheckable(true);

    const auto on = [this](command::Index index, auto action) {
        connect(buttons_[index], &QToolButton::clicked, this, action);
    };
    on(command::Clear, [this] { ClearPicture(); });
    on(command::Load, [this] { LoadWithDialog(); });
    on(command::Save, [this] { SaveWithDialog(); });
    on(command::Copy, [this] { CopyPicture(); });
    on(command::Paste, [this] { PastePicture(); });
    on(command::Capture, [this] { CaptureScreen(); });
    on(command::Print, [this] { PrintWithDialog(); });
    on(command::Scan, [this] { ScanPicture(); });
    on(command::FullScreen, [this] { ShowFullScreen(); });
    on(command::Stretch, [this] { SetAutoStretch(!autoStretch_); });

    if (toolTip().isEmpty()) {
        setToolTip(QStringLiteral("Graphical Field - Right Click to display Popup Menu"));
    }
    UpdateButtons();
}

TDbMultiImgControl::~TDbMultiImgControl() = default;

void TDbMultiImgControl::Read(const engine::Table& table, int position) {
    const char type = table.field(position).type;
    const engine::Table::StoredValue value =
        type == 'B' || type == 'G' ? table.storedValue(position) : engine::Table::StoredValue();
    if (value.block == 0) {
        SetPicture(value.size == 0 ? std::string() : table.bytes(position));
    } else {
        const std::size_t key = std::hash<std::string>{}(
            (table.directory() / table.fileName()).string() + '|' + std::to_string(value.block) +
            '|' + std::to_string(value.size) + '|' + std::to_string(value.changeCounter));
        const auto found = std::find_if(kept_.begin(), kept_.end(),
                                        [key](const auto& kept) { return kept.first == key; });
        std::shared_ptr<const std::string> bytes;
        if (found != kept_.end()) {
            bytes = found->second;
            kept_.erase(found);
        } else if (auto bitmap = TStoredBitmap::Find(table, position, value, PartsFromBytes)) {
            SetStored(nullptr, key, std::move(bitmap));
            // The first look is read now, while the table is on the record.
            if (const QSize shown = ShownSize(); !shown.isEmpty()) {
                Piece(shown, shown == size_ ? Sight() : QRect(), nullptr, &table);
            }
        } else {
            bytes = std::make_shared<const std::string>(table.bytes(position));
        }
        if (bytes) {
            kept_.emplace_front(key, bytes);
            std::size_t total = 0;
            const auto over = std::find_if(kept_.begin(), kept_.end(), [&total](const auto& kept) {
                total += kept.second->size();
                return total > KeptValueBytes;
            });
            kept_.erase(over == kept_.begin() ? over + 1 : over, kept_.end());
            SetStored(std::move(bytes), key);
        }
    }
    modified_ = false;
    fromFile_ = false;
}

void TDbMultiImgControl::SetPicture(std::string bytes) {
    const std::size_t key = std::hash<std::string_view>{}(bytes);
    SetStored(std::make_shared<const std::string>(std::move(bytes)), key);
}

void TDbMultiImgControl::SetStored(std::shared_ptr<const std::string> bytes, std::size_t key,
                                   std::shared_ptr<const TStoredBitmap> bitmap) {
    stored_ = std::move(bytes);
    bitmap_ = std::move(bitmap);
    storedKey_ = key;
    picture_ = QImage();
    scaled_ = QImage();
    size_ = bitmap_ ? bitmap_->Size() : HasBytes() ? media::PictureSize(*stored_) : QSize();
    damaged_ = HasBytes() && !size_.isValid();
    imageName_.clear();
    modified_ = true;
    fromFile_ = false;
    Layout();
}

const std::string& TDbMultiImgControl::Picture() const {
    static const std::string none;
    if (!stored_ && bitmap_) {
        stored_ = std::make_shared<const std::string>(bitmap_->Bytes(nullptr));
    }
    return stored_ ? *stored_ : none;
}

void TDbMultiImgControl::ReadFromTemplate(const engine::Table& table, int position) {
    Read(table, position);
    // The new record takes the template's picture, read whole while the template is at hand.
    if (bitmap_ && !stored_) {
        stored_ = std::make_shared<const std::string>(bitmap_->Bytes(&table));
    }
    modified_ = HasPicture();
}

void TDbMultiImgControl::Write(engine::Table& table, int position) const {
    // An unchanged picture is left in the field as it is, whatever it holds, unless the record
    // is new and has nothing yet.
    const bool newRecord = table.state() == engine::Table::State::Insert;
    if (!newRecord && !modified_ && !fromFile_) {
        return;
    }
    if (!picture_.isNull()) {
        table.setBytes(position, BitmapBytes(picture_));
    } else if (HasBytes()) {
        table.setBytes(position, Picture());
    } else {
        table.clear(position);
    }
    modified_ = false;
}

QImage TDbMultiImgControl::FullPicture() const {
    if (!picture_.isNull() || IsEmpty()) {
        return picture_;
    }
    return Piece(size_, QRect(QPoint(0, 0), size_), nullptr);
}

void TDbMultiImgControl::Replace(const QImage& image) {
    picture_ = OnWhite(image);
    scaled_ = QImage();
    stored_.reset();
    bitmap_.reset();
    damaged_ = false;
    size_ = picture_.size();
    Layout();
}

bool TDbMultiImgControl::LoadPicture(const QString& path) {
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        ClearPicture();
        return true;
    }
    QString error;
    const QImage image = LoadPictureFile(path, &error);
    if (image.isNull()) {
        return false;
    }
    Replace(image);
    imageName_ = path;
    modified_ = false;
    fromFile_ = true;
    return true;
}

bool TDbMultiImgControl::SavePicture(const QString& path) {
    const QImage image = FullPicture();
    if (image.isNull() || !SavePictureFile(image, path)) {
        return false;
    }
    if (imageName_.isEmpty()) {
        imageName_ = path;
    }
    return true;
}

void TDbMultiImgControl::ClearPicture() {
    picture_ = QImage();
    scaled_ = QImage();
    stored_.reset();
    bitmap_.reset();
    damaged_ = false;
    size_ = QSize();
    modified_ = true;
    fromFile_ = false;
    imageName_.clear();
    Layout();
}

void TDbMultiImgControl::TakePicture(const QImage& image) {
    if (image.isNull()) {
        return;
    }
    Replace(image);
    imageName_.clear();
    modified_ = true;
    fromFile_ = false;
}

void TDbMultiImgControl::CopyPicture() const {
    if (!IsEmpty()) {
        QGuiApplication::clipboard()->setImage(FullPicture());
    }
}

void TDbMultiImgControl::PastePicture() {
    if (ClipboardHoldsPicture()) {
        TakePicture(QGuiApplication::clipboard()->image());
    }
}

bool TDbMultiImgControl::PrintPicture(QPrinter& printer) const {
    const QImage image = FullPicture();
    if (image.isNull()) {
        return false;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    const QSize page = printer.pageLayout().paintRectPixels(printer.resolution()).size();
    painter.drawImage(QRect(QPoint(0, 0), PrintSize(image.size(), page)), image);
    return painter.end();
}

void TDbMultiImgControl::SetAutoStretch(bool on) {
    autoStretch_ = on;
    buttons_[command::Stretch]->setChecked(on);
    Layout();
}

void TDbMultiImgControl::SetSpeedBarVisible(bool visible) {
    speedBarVisible_ = visible;
    panel_->setVisible(visible && width() >= ToolBarMinWidth);
}

bool TDbMultiImgControl::ToolBarShown() const {
    return panel_->isVisibleTo(this);
}

void TDbMultiImgControl::ToggleToolBar() {
    panel_->setVisible(!panel_->isVisibleTo(this) && width() >= ToolBarMinWidth);
}

QSize TDbMultiImgControl::ShownSize() const {
    const QSize box = scrollBox_->viewport()->size();
    if (IsEmpty()) {
        return damaged_ ? box : QSize(0, 0);
    }
    return autoStretch_ ? StretchedSize(size_, box) : size_;
}

void TDbMultiImgControl::Layout() {
    view_->resize(ShownSize());
    view_->update();
}

void TDbMultiImgControl::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    if (width() < ToolBarMinWidth) {
        panel_->hide();
    }
    Layout();
}

void TDbMultiImgControl::SetRecordReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    UpdateButtons();
}

void TDbMultiImgControl::UpdateButtons() {
    const bool writable = !IsRecordReadOnly();
    for (const command::Index index :
         {command::Clear, command::Load, command::Paste, command::Capture}) {
        buttons_[index]->setEnabled(writable);
    }
    buttons_[command::Scan]->setEnabled(writable && TSaneScanner::Available());
}

QMenu* TDbMultiImgControl::BuildMenu() {
    auto* menu = new QMenu(this);
    const bool writable = !IsRecordReadOnly();
    const auto item = [&](const char* caption, bool enabled, auto action) {
        QAction* added = menu->addAction(QString::fromLatin1(caption), this, action);
        added->setEnabled(enabled);
        return added;
    };
    item("&Clear", writable, [this] { ClearPicture(); });
    item("&Load", writable, [this] { LoadWithDialog(); });
    item("&Save", true, [this] { SaveWithDialog(); });
    item("C&opy", true, [this] { CopyPicture(); });
    item("P&aste", writable && ClipboardHoldsPicture(), [this] { PastePicture(); });
    item("Sc&reen Capture", writable, [this] { CaptureScreen(); });
    item("&Print", true, [this] { PrintWithDialog(); });
    const bool scanner = writable && TSaneScanner::Available();
    item("Sca&n", scanner, [this] { ScanPicture(); });
    item("S&elect Scanner", scanner, [this] { SelectScanner(); });
    item("&Full Screen", true, [this] { ShowFullScreen(); });
    QAction* stretch = item("A&uto Stretch", true, [this] { SetAutoStretch(!autoStretch_); });
    stretch->setCheckable(true);
    stretch->setChecked(autoStretch_);
    QAction* bar = item(ToolBarShown() ? "Hide &Tool Bar" : "Show &Tool Bar", true,
                        [this] { ToggleToolBar(); });
    bar->setVisible(speedBarVisible_);
    menu->addSeparator();
    // The window that holds the control gives it its help context.
    item("&Help", true, [this] {
        if (const int context = property("helpContext").toInt(); context != 0) {
            platform::ShowHelp(context);
        }
    });
    return menu;
}

void TDbMultiImgControl::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = BuildMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TDbMultiImgControl::LoadWithDialog() {
    const std::optional<QString> path =
        ChooseFile(this, QStringLiteral("Load Image From"), LoadFilter, QFileDialog::AcceptOpen);
    if (!path) {
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString error;
    const QImage image = LoadPictureFile(*path, &error);
    QApplication::restoreOverrideCursor();
    if (image.isNull()) {
        platform::ShowError(
            QStringLiteral("Cannot load the picture %1: %2").arg(*path, error).toStdString());
        return;
    }
    Replace(image);
    imageName_ = *path;
    modified_ = false;
    fromFile_ = true;
}

void TDbMultiImgControl::SaveWithDialog() {
    if (IsEmpty()) {
        return;
    }
    const std::optional<QString> path =
        ChooseFile(this, QStringLiteral("Save Image As"), SaveFilter, QFileDialog::AcceptSave);
    if (!path) {
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool saved = SavePicture(*path);
    QApplication::restoreOverrideCursor();
    if (saved) {
        imageName_ = *path;
    } else {
        platform::ShowError(
            QStringLiteral("Cannot save the picture as %1.").arg(*path).toStdString());
    }
}

void TDbMultiImgControl::PrintWithDialog() {
    if (IsEmpty()) {
        return;
    }
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (platform::RunModal(dialog) == QDialog::Accepted && !PrintPicture(printer)) {
        platform::ShowError("The picture could not be printed.");
    }
}

void TDbMultiImgControl::CaptureScreen() {
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        platform::ShowError("Screen capture is not available under Wayland: the desktop does not "
                            "let a program read the screen.");
        return;
    }
    QWidget* owner = window();
    owner->setProperty("tag", OwnerHiddenTag);
    const QImage captured = TCaptureForm::Capture(owner);
    owner->setProperty("tag", 0);
    if (captured.width() > 0 && captured.height() > 0) {
        QGuiApplication::clipboard()->setImage(captured);
        TakePicture(captured);
    } else {
        platform::ShowError("Both Width and Height of Captured Area must be > 0 !");
    }
}

void TDbMultiImgControl::ScanPicture() {
    // The scan runs on a thread of its own under a progress dialog whose Cancel stops it.
    QDialog progress(this);
    progress.setObjectName(QStringLiteral("ScanProgress"));
    progress.setWindowTitle(QStringLiteral("Scan"));
    auto* layout = new QVBoxLayout(&progress);
    layout->addWidget(new QLabel(QStringLiteral("Scanning..."), &progress));
    auto* bar = new QProgressBar(&progress);
    bar->setObjectName(QStringLiteral("Progress"));
    bar->setRange(0, 100);
    layout->addWidget(bar);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), &progress);
    cancel->setObjectName(QStringLiteral("Cancel"));
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
    connect(cancel, &QPushButton::clicked, &progress, &QDialog::reject);

    TScanJob job([&progress] {
        QMetaObject::invokeMethod(
            &progress, [&progress] { progress.accept(); }, Qt::QueuedConnection);
    });
    QTimer poll;
    connect(&poll, &QTimer::timeout, bar, [&] { bar->setValue(job.Progress()); });
    poll.start(ScanProgressMs);
    const bool finished = platform::RunModal(progress) == QDialog::Accepted;
    if (!finished) {
        job.Cancel();
    }
    QString error;
    const QImage scanned = job.Result(&error);
    // A failed or cancelled scan leaves the picture and its marks as they were.
    if (!finished) {
        return;
    }
    if (scanned.isNull()) {
        platform::ShowError(QStringLiteral("The scan failed: %1").arg(error).toStdString());
        return;
    }
    TakePicture(scanned);
}

void TDbMultiImgControl::SelectScanner() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString error;
    const QStringList devices = TSaneScanner::FindScanners(&error);
    QApplication::restoreOverrideCursor();
    if (devices.isEmpty()) {
        platform::ShowError(error.toStdString());
        return;
    }
    QInputDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Select Scanner"));
    dialog.setLabelText(QStringLiteral("Scanner:"));
    dialog.setComboBoxItems(devices);
    dialog.setTextValue(TSaneScanner::ChosenScanner().isEmpty() ? devices.first()
                                                                : TSaneScanner::ChosenScanner());
    if (platform::RunModal(dialog) == QDialog::Accepted) {
        TSaneScanner::ChooseScanner(dialog.textValue());
    }
}

void TDbMultiImgControl::ShowFullScreen() {
    if (IsEmpty() || size_.height() == 0) {
        return;
    }
    TFullSlide slide(FullPicture(), this);
    platform::RunModal(slide);
}

QImage TDbMultiImgControl::Piece(QSize size, QRect part, QRect* covered,
                                 const engine::Table* atHand) const {
    const QRect whole(QPoint(0, 0), size);
    bool seen = false;
    for (auto it = decoded_.begin(); it != decoded_.end(); ++it) {
        if (it->first != storedKey_ || it->second.Size != size) {
            continue;
        }
        seen = true;
        if (it->second.Part.contains(part.isValid() ? part : whole)) {
            auto found = *it;
            decoded_.erase(it);
            decoded_.push_front(found);
            if (covered != nullptr) {
                *covered = found.second.Part;
            }
            return found.second.Image;
        }
    }
    // The first view of a large picture decodes the part in sight only; scrolling decodes it
    // whole.
    const QRect wanted = seen || !part.isValid() || size != size_ ? whole : part;
    const QSize scaled = size != size_ ? size : QSize();
    const QRect clip = wanted == whole ? QRect() : wanted;
    QImage image;
    if (stored_ || !bitmap_) {
        image = DecodePicture(Picture(), scaled, clip);
    } else {
        try {
            image = bitmap_->Decode(atHand, scaled, clip);
        } catch (const engine::EngineError&) {
            // Read from the record: the caller reports it. Later the table was closed to us
            // or the record written over; the record shown again reads it anew.
            if (atHand != nullptr) {
                throw;
            }
        }
    }
    if (image.isNull()) {
        damaged_ = true;
        return {};
    }
    decoded_.push_front({storedKey_, Decoded{size, wanted, OnWhite(image)}});
    if (decoded_.size() > KeptPictures) {
        decoded_.pop_back();
    }
    if (covered != nullptr) {
        *covered = wanted;
    }
    return decoded_.front().second.Image;
}

QRect TDbMultiImgControl::Sight() const {
    return QRect(-view_->pos(), scrollBox_->viewport()->size()).intersected(view_->rect());
}

void TDbMultiImgControl::Paint(QPainter& painter, const QRect& area) const {
    painter.fillRect(area, Silver);
    if (damaged_ && picture_.isNull()) {
        painter.drawText(view_->rect(), Qt::AlignCenter | Qt::TextWordWrap,
                         QStringLiteral("cannot show this picture"));
        return;
    }
    if (IsEmpty()) {
        return;
    }
    const QSize shown = view_->size();
    if (!picture_.isNull()) {
        if (shown == picture_.size()) {
            painter.drawImage(area.topLeft(), picture_, area);
            return;
        }
        if (scaled_.size() != shown) {
            scaled_ = picture_.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
        painter.drawImage(0, 0, scaled_);
        return;
    }
    QRect covered;
    const QImage piece = Piece(shown, shown == size_ ? Sight().united(area) : QRect(), &covered);
    if (piece.isNull()) {
        // Bytes that do not decode: say so, and keep them.
        const_cast<TDbMultiImgControl*>(this)->Layout();
        return;
    }
    painter.drawImage(covered.isValid() ? covered.topLeft() : QPoint(0, 0), piece);
}

} // namespace shelfwise::media
