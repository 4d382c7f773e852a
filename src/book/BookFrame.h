#pragma once

#include <QObject>
#include <QSize>
#include <functional>

class QMenuBar;
class QWidget;

namespace shelfwise::settings {
struct Settings;
}

namespace shelfwise::book {

class TLeftPage;
class TLetterBar;
class TRightPage;
class TSpeedBar;
class TSplitter;

// The pieces of the book window the frame places.
struct TFrameParts {
    QWidget& Window;
    QMenuBar& MainMenu;
    // Everything below the menu bar.
    QWidget& Client;
    TSpeedBar& SpeedBar;
    TLeftPage& LeftPage;
    TLetterBar& LetterBar;
    TRightPage& RightPage;
    TSplitter& Splitter;
    // The menu mode and where the speed bar and the letter tabs go.
    const settings::Settings& Settings;
};

// The layout of the book window at every size: the menu bar, the speed bar, the pages, the
// letter bar and the splitter. The right page keeps a least width, and the window grows to keep
// it; the splitter moves the width between the pages.
class TBookFrame : public QObject {
    Q_OBJECT
public:
    // The right page is never narrower than this once the window is up; a width read from
    // "wnd.dat" at creation is raised to at least the designed width.
    static constexpr int CreationMinRightPageWidth = 280;
    static constexpr int FinalMinRightPageWidth = 230;

    TBookFrame(const TFrameParts& parts, QObject* parent);

    // Stretches the editors by the right page's change in size; false while nothing was
    // stretched (the change is still to come).
    std::function<bool(int dx, int dy)> StretchEditors;
    // Rows came or went or got new columns: their texts are gone.
    std::function<void()> RowsChanged;

    // No layout passes while the window is being made or taken down, or its bars change.
    void SetSuspended(bool suspended) { suspended_ = suspended; }
    bool Suspended() const { return suspended_; }
    int MinRightPageWidth() const { return minRightPageWidth_; }
    // The window is up: the right page may get narrower than designed.
    void AllowNarrowerRightPage() { minRightPageWidth_ = FinalMinRightPageWidth; }
    // The editors stand as designed for the right page's present size.
    void TakeEditorBase();
    // A right page width read from "wnd.dat", but not below the least width.
    void RestoreRightPageWidth(int width);

    // The window's new size: the menu bar and the client area, then the layout pass.
    void Resized();
    // The full layout pass.
    void Layout();
    // Places the speed bar, the pages, the letter bar and the splitter.
    void PlacePanels();
    // Shows or hides the speed bar and the menu bar as MenusAndSpeedBars says; the window grows
    // or shrinks by what came or went.
    void ApplyMenuMode();

private:
    void MoveSplitter(int distance);
    int MenuHeight() const;
    QSize ClientSize() const;

    TFrameParts parts_;
    bool suspended_ = true;
    QSize previousRightPageSize_{-1, -1};
    int minRightPageWidth_ = CreationMinRightPageWidth;
};

} // namespace shelfwise::book
