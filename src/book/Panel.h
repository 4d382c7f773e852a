#pragma once

#include <QWidget>

namespace shelfwise::book {

// A flat or bevelled panel in its palette's window colour, optionally with a caption. A page
// panel of the book darkens gently towards the spine; the binding between the pages is
// shaded as a rounded spine.
class TPanel : public QWidget {
    Q_OBJECT
public:
    enum class Bevel { None, Lowered, Raised };
    enum class Spine { None, Left, Right, Binding };

    explicit TPanel(const QString& name, QWidget* parent, Bevel bevel = Bevel::None);

    void SetCaption(const QString& caption);
    QString Caption() const { return caption_; }
    void SetSpine(Spine spine);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Bevel bevel_;
    Spine spine_ = Spine::None;
    QString caption_;
};

} // namespace shelfwise::book
