#pragma once

#include <QColor>
#include <QWidget>

namespace shelfwise::book {

// A percent bar with a sunken frame: horizontal when at least as wide as high (filling from
// the left), else vertical (filling from the top), with the percent or a caption centred on it.
class TPercent : public QWidget {
    Q_OBJECT
public:
    static constexpr int DesignedWidth = 90;
    static constexpr int DesignedHeight = 20;

    explicit TPercent(QWidget* parent = nullptr);

    int PercentShaded() const { return shaded_; }
    // Clamped to 0..100.
    void SetPercentShaded(int percent);
    QColor PercentColor() const { return color_; }
    void SetPercentColor(const QColor& color);
    bool ShowPercent() const { return showPercent_; }
    void SetShowPercent(bool show);
    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    // What the bar shows as text: the percent, or the caption.
    QString Text() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int shaded_ = 0;
    QColor color_ = Qt::red;
    bool showPercent_ = true;
    QString caption_;
};

} // namespace shelfwise::book
