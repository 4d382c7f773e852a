#pragma once

#include "editors/FieldEditor.h"

#include <QFrame>
#include <QPixmap>
#include <string>

namespace shelfwise::media {

// The picture field of a record: holds the picture's bytes exactly as stored and shows them
// scaled into the control when they decode.
class TDbMultiImgControl : public QFrame, public editors::TFieldEditor {
    Q_OBJECT
public:
    TDbMultiImgControl(const QString& caption, QWidget* parent);

    // The control's window text ("L12" for the logo, empty for the picture).
    const QString& Caption() const { return caption_; }
    bool HasPicture() const { return !picture_.empty(); }
    const std::string& Picture() const { return picture_; }
    void SetPicture(std::string bytes);
    void ClearPicture() { SetPicture({}); }

    editors::EditorKind Kind() const override { return editors::EditorKind::Picture; }
    QWidget* Widget() override { return this; }
    // Only a binary or general field holds a picture; any other shows none.
    void Read(const engine::Table& table, int position) override;
    void Write(engine::Table& table, int position) const override;
    // Only a captioned control (the logo) counts towards a record worth storing.
    bool IsFilled() const override { return !caption_.isEmpty() && HasPicture(); }
    void Clear() override { ClearPicture(); }
    settings::FontRecord* FontOption(settings::Settings&) const override { return nullptr; }
    std::optional<editors::EditorColors> Colors() const override { return std::nullopt; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    std::string picture_;
    QPixmap shown_;
};

} // namespace shelfwise::media
