#pragma once

#include <QLineEdit>
#include <QToolButton>
#include <functional>

namespace shelfwise::editors {

// The small button at the right end of a button edit: three dots, grey while the edit is
// disabled. It never takes the focus, so clicking it leaves the caret in the edit.
class TEditButton : public QToolButton {
    Q_OBJECT
public:
    static constexpr int ButtonWidth = 20;

    explicit TEditButton(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A one-line edit with a button at its right end; the text never runs under the button.
// Enter and line breaks are refused with a beep.
class TMyBtnEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TMyBtnEdit(QWidget* parent);

    TEditButton* Button() const { return button_; }
    bool ButtonVisible() const { return buttonVisible_; }
    void SetButtonVisible(bool visible);
    void SetButtonHint(const QString& hint) { button_->setToolTip(hint); }
    // Tests count refused keys here instead of hearing them.
    static void SetBeepHook(std::function<void()> hook);

protected:
    // What a click on the button does; nothing by default.
    virtual void ButtonClick() {}
    static void Beep();
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void PlaceButton();

    TEditButton* button_;
    bool buttonVisible_ = true;
};

// A button edit that reports clicks on its button.
class TClickEdit : public TMyBtnEdit {
    Q_OBJECT
public:
    explicit TClickEdit(QWidget* parent) : TMyBtnEdit(parent) {}

signals:
    void BtnClick();

protected:
    void ButtonClick() override { emit BtnClick(); }
};

} // namespace shelfwise::editors
