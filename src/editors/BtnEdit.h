#pragma once

#include <QLineEdit>
#include <QToolButton>

namespace shelfwise::editors {

// The small button at the right end of a button edit: three dots, grey while the edit is
// disabled. It never takes the focus, so clicking it leaves the caret in the edit. Without a
// hint of its own it shows none, not the edit's.
class TEditButton : public QToolButton {
    Q_OBJECT
public:
    static constexpr int ButtonWidth = 20;

    explicit TEditButton(QWidget* parent);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

// A one-line edit with a button at its right end; the text never runs under the button.
// Enter and line breaks are refused with a beep. Entering it selects the whole text, or with
// AutoSelect off puts the caret at the start.
class TMyBtnEdit : public QLineEdit {
    Q_OBJECT
public:
    // The thin border the automatic height counts four times.
    static constexpr int BorderWidth = 1;

    explicit TMyBtnEdit(QWidget* parent);

    TEditButton* Button() const { return button_; }
    bool ButtonVisible() const { return buttonVisible_; }
    void SetButtonVisible(bool visible);
    QString ButtonHint() const { return button_->toolTip(); }
    // An empty hint switches the button's hint off.
    void SetButtonHint(const QString& hint) { button_->setToolTip(hint); }
    // Left, right or centred; the text stays clear of the button either way.
    Qt::Alignment Alignment() const { return alignment() & Qt::AlignHorizontal_Mask; }
    void SetAlignment(Qt::Alignment horizontal);
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool autoSelect) { autoSelect_ = autoSelect; }
    // Four borders, the font's height and a quarter of the smaller of it and the system
    // font's height.
    int AutomaticHeight() const;
    QSize minimumSizeHint() const override;

protected:
    // What a click on the button does; nothing by default.
    virtual void ButtonClick() {}
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void PlaceButton();

    TEditButton* button_;
    bool buttonVisible_ = true;
    bool autoSelect_ = true;
};

// A button edit that reports clicks on its button.
class TClickEdit : public TMyBtnEdit {
    Q_OBJECT
public:
    explicit TClickEdit(QWidget* parent) : TMyBtnEdit(parent) { SetAutoSelect(false); }

signals:
    void BtnClick();

protected:
    void ButtonClick() override { emit BtnClick(); }
};

} // namespace shelfwise::editors
