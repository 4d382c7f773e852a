#include "search/FindDlg.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <gtest/gtest.h>

namespace shelfwise::search {
namespace {

TEST(FindPlacementTest, BesideTheBookWindowOnTheSideWithRoom) {
    const QSize screen(1000, 800);
    const QSize own(300, 250);
    struct Case {
        const char* what;
        QRect book;
        QPoint expected;
    };
    const Case cases[] = {
        {"left half with room: on the right", {0, 100, 400, 300}, {400, 100}},
        {"just fits on the right", {100, 0, 600, 300}, {700, 0}},
        {"no room on the right: on the left", {200, 0, 600, 300}, {0, 0}},
        {"right half: on the left", {600, 50, 300, 300}, {300, 50}},
        {"on the left, clamped to the screen", {100, 0, 800, 300}, {0, 0}},
        {"centre exactly in the middle counts as left", {300, 0, 400, 300}, {700, 0}},
        {"above the screen", {0, -40, 400, 300}, {400, 0}},
        {"too low for the window", {600, 700, 300, 300}, {300, 550}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BesideBookWindow(c.book, own, screen), c.expected) << c.what;
    }
}

} // namespace
} // namespace shelfwise::search
