#pragma once

#include "editors/FieldEditor.h"

#include <QFrame>
#include <QImage>
#include <array>
#include <deque>
#include <memory>
#include <string>

class QMenu;
class QPrinter;
class QScrollArea;
class QToolButton;

namespace shelfwise::media {

class TPictureView;
class TStoredBitmap;

// The picture field of a record. A picture read from the field stays as its stored bytes and
// is decoded only at the size and part shown; the field is written only when the user changed
// the picture, so bytes that do not decode are kept as they are.
class TDbMultiImgControl : public QFrame, public editors::TFieldEditor {
    Q_OBJECT
public:
    TDbMultiImgControl(const QString& caption, QWidget* parent);
    ~TDbMultiImgControl() override;

    // The control's window text ("L12" for the logo, empty for the picture).
    const QString& Caption() const { return caption_; }

    // The field's bytes, a picture brought in, or bytes that do not decode.
    bool HasPicture() const { return !picture_.isNull() || HasBytes(); }
    // Nothing that shows.
    bool IsEmpty() const { return picture_.isNull() && (!HasBytes() || damaged_); }
    // Stored bytes that did not decode.
    bool IsDamaged() const { return damaged_; }
    bool PictureModified() const { return modified_ && !IsEmpty(); }
    // Brought in, loaded or cleared since it was read: Write would store it.
    bool PictureChanged() const { return modified_ || fromFile_; }
    bool LoadedFromFile() const { return fromFile_; }
    QString PictureFileName() const { return imageName_; }
    QSize PictureSize() const { return size_; }
    // The whole picture, decoded when it came from the field.
    QImage FullPicture() const;

    // False (and nothing changed) when the file cannot be read; an empty or missing name clears.
    bool LoadPicture(const QString& path);
    // False when nothing was written: an unknown extension, a failed write.
    bool SavePicture(const QString& path);
    void ClearPicture();
    void CopyPicture() const;
    void PastePicture();
    // One page with the picture at the top left; false when there is no picture.
    bool PrintPicture(QPrinter& printer) const;
    // A picture the user brought in (pasted, captured, scanned): the field takes it.
    void TakePicture(const QImage& image);
    // A picture as a file holds it: the field takes these bytes as they are.
    void SetPicture(std::string bytes);
    // The bytes read from the field or given to SetPicture; empty for a picture brought in
    // otherwise. A large bitmap shown from its parts is read whole here (engine errors pass).
    const std::string& Picture() const;

    bool AutoStretch() const { return autoStretch_; }
    void SetAutoStretch(bool on);
    bool SpeedBarVisible() const { return speedBarVisible_; }
    void SetSpeedBarVisible(bool visible);
    bool ToolBarShown() const;
    void ToggleToolBar();
    // The size the picture is shown at.
    QSize ShownSize() const;

    // The tool bar's buttons, left to right, and the pop-up menu as it opens now.
    QToolButton* Button(int index) const { return buttons_[static_cast<std::size_t>(index)]; }
    static constexpr int ButtonCount = 10;
    QMenu* BuildMenu();

    // Commands with their dialogs.
    void LoadWithDialog();
    void SaveWithDialog();
    void PrintWithDialog();
    void CaptureScreen();
    void ScanPicture();
    void SelectScanner();
    void ShowFullScreen();

    editors::EditorKind Kind() const override { return editors::EditorKind::Picture; }
    QWidget* Widget() override { return this; }
    // Only a binary or general field holds a picture; any other shows none.
    void Read(const engine::Table& table, int position) override;
    void ReadFromTemplate(const engine::Table& table, int position) override;
    void Write(engine::Table& table, int position) const override;
    bool IsFilled() const override { return HasPicture(); }
    void Clear() override { ClearPicture(); }
    // A read-only picture stays enabled: it can still be scrolled, saved, copied, printed and
    // shown full screen.
    void SetRecordReadOnly(bool readOnly) override;
    bool IsRecordReadOnly() const override { return readOnly_; }
    settings::FontRecord* FontOption(settings::Settings&) const override { return nullptr; }
    std::optional<editors::EditorColors> Colors() const override { return std::nullopt; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    friend class TPictureView;
    struct Decoded {
        QSize Size; // the size decoded at
        QRect Part; // the part decoded, in picture pixels
        QImage Image;
    };

    void Layout();
    void UpdateButtons();
    void Replace(const QImage& image);
    bool HasBytes() const { return bitmap_ != nullptr || (stored_ && !stored_->empty()); }
    void SetStored(std::shared_ptr<const std::string> bytes, std::size_t key,
                   std::shared_ptr<const TStoredBitmap> bitmap = nullptr);
    // The decoded piece of the stored picture that covers `part` at `size`, decoding it when
    // none does; null when the bytes do not decode. `atHand` is the table on the record while
    // it is read.
    QImage Piece(QSize size, QRect part, QRect* covered,
                 const engine::Table* atHand = nullptr) const;
    // The part of the view in sight, in the view's coordinates.
    QRect Sight() const;
    void Paint(QPainter& painter, const QRect& area) const;

    QString caption_;
    // Read whole when first needed for a large bitmap read in parts.
    mutable std::shared_ptr<const std::string> stored_;
    std::shared_ptr<const TStoredBitmap> bitmap_;
    std::size_t storedKey_ = 0;
    // Values read from the field, so that showing a record again reads nothing: keyed by the
    // table, the value's place and size and the table's change counter.
    std::deque<std::pair<std::size_t, std::shared_ptr<const std::string>>> kept_;
    QImage picture_;
    // The picture at the size shown while stretched.
    mutable QImage scaled_;
    QSize size_;
    mutable bool damaged_ = false;
    mutable bool modified_ = false;
    bool fromFile_ = false;
    bool autoStretch_ = false;
    bool speedBarVisible_ = true;
    bool readOnly_ = false;
    QString imageName_;
    // Pictures of the last records shown, so that going back to one shows it at once.
    mutable std::deque<std::pair<std::size_t, Decoded>> decoded_;

    QWidget* panel_ = nullptr;
    QScrollArea* scrollBox_ = nullptr;
    TPictureView* view_ = nullptr;
    std::array<QToolButton*, ButtonCount> buttons_{};
};

} // namespace shelfwise::media
