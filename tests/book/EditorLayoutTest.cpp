#include "book/EditorLayout.h"

#include "BookFixture.h"
#include "book/BookFrame.h"
#include "book/RightPage.h"

#include <QPlainTextEdit>

namespace shelfwise::book {
namespace {

using Kind = LayoutItem::Kind;

LayoutItem Item(int page, Kind kind, QRect editor, QRect label = {}) {
    return {page, kind, editor, label};
}

TEST(EditorLayoutTest, AMultiLineEditorFillsItsPage) {
    struct Case {
        int dy;
        int pageHeight;
        int height;
    };
    // Content bottom: 18 + 301 + 8 = 327.
    const Case cases[] = {{50, 400, 374}, {-10, 300, 274}, {-200, 150, 101}, {-600, 0, 24}};
    for (const Case& c : cases) {
        std::vector<LayoutItem> items = {
            Item(3, Kind::MultiLine, {6, 18, 257, 301}, {7, 4, 40, 14})};
        TEditorLayout::Stretch(items, 0, c.dy, c.pageHeight);
        EXPECT_EQ(items[0].Editor.height(), c.height) << c.dy;
        EXPECT_EQ(items[0].Editor.top(), 18);
    }
}

TEST(EditorLayoutTest, RowsShareTheWidthAndPicturesFollow) {
    std::vector<LayoutItem> items = {
        Item(1, Kind::SingleLine, {6, 127, 51, 24}),
        Item(1, Kind::SingleLine, {62, 127, 105, 24}),
        Item(1, Kind::SingleLine, {172, 127, 91, 24}),
        Item(1, Kind::SingleLine, {6, 289, 115, 24}),
        Item(1, Kind::Picture, {127, 169, 136, 145}, {128, 155, 50, 14}),
        Item(4, Kind::Picture, {6, 16, 260, 305})};
    TEditorLayout::Stretch(items, 11, 0, 340);
    EXPECT_EQ(items[0].Editor, QRect(6, 127, 51, 24));
    EXPECT_EQ(items[1].Editor, QRect(62, 127, 110, 24));
    EXPECT_EQ(items[2].Editor, QRect(177, 127, 97, 24));
    EXPECT_EQ(items[3].Editor, QRect(6, 289, 126, 24));
    // The logo moves with its label and ends where the editor before it ends.
    EXPECT_EQ(items[4].Editor, QRect(138, 169, 136, 144));
    EXPECT_EQ(items[4].Label.left(), 139);
    // A lone picture takes the change in both directions.
    EXPECT_EQ(items[5].Editor, QRect(6, 16, 271, 340 - 16 - 8));
}

TEST(EditorLayoutTest, ATallerFontMovesRowsDownAndStartsNewColumnsAtTheirRow) {
    std::vector<LayoutItem> items = {
        Item(1, Kind::SingleLine, {6, 20, 257, 24}, {6, 6, 90, 14}),
        Item(1, Kind::SingleLine, {6, 169, 115, 24}),
        Item(1, Kind::SingleLine, {6, 209, 115, 24}),
        Item(1, Kind::Picture, {127, 169, 136, 145}),
        Item(2, Kind::SingleLine, {6, 21, 112, 24}),
        Item(2, Kind::SingleLine, {123, 21, 140, 24}),
        Item(2, Kind::SingleLine, {70, 58, 193, 24}),
    };
    TEditorLayout::Reflow(items, 24, 30);
    EXPECT_EQ(items[0].Editor, QRect(6, 20, 257, 30));
    EXPECT_EQ(items[1].Editor.top(), 175);
    EXPECT_EQ(items[2].Editor.top(), 221);
    // The picture's column starts at the row of the field 7 editor.
    EXPECT_EQ(items[3].Editor.top(), 175);
    EXPECT_EQ(items[3].Editor.height(), 145);
    // The next page starts again; two editors on one row move together.
    EXPECT_EQ(items[4].Editor.top(), 21);
    EXPECT_EQ(items[5].Editor.top(), 21);
    EXPECT_EQ(items[6].Editor.top(), 64);
}

class EditorLayoutWindowTest : public test::BookFixture {};

TEST_F(EditorLayoutWindowTest, ResizingTheWindowStretchesTheEditors) {
    auto& w = Open();
    auto* notes = Find<QPlainTextEdit>("L23");
    auto* name = Find<QWidget>("L1");
    auto* logo = Find<QWidget>("L11");
    const QRect notesBefore = notes->geometry();
    const int nameWidth = name->width();
    const int logoLeft = logo->x();
    const int rightWidth = w.RightPage()->width();
    w.resize(w.width(), w.height() + 30);
    w.RightPage()->resize(rightWidth + 30, w.RightPage()->height());
    w.Frame()->Layout();
    const int dx = w.RightPage()->width() - rightWidth;
    ASSERT_GT(dx, 0);
    EXPECT_EQ(notes->width(), notesBefore.width() + dx);
    EXPECT_GT(notes->height(), notesBefore.height());
    EXPECT_EQ(name->width(), nameWidth + dx);
    EXPECT_EQ(logo->x(), logoLeft + dx);
}

// The right page width of "wnd.dat" is applied before the window is shown; the editors take
// it up once they can be laid out, so no empty strip stays on the right.
TEST_F(EditorLayoutWindowTest, TheSavedRightPageWidthStretchesTheEditorsAtStart) {
    const auto rightMargin = [this](const char* name) {
        const QWidget* editor = Find<QWidget>(name);
        const QWidget* page = window->RightPage();
        return page->width() - editor->mapTo(page, QPoint(editor->width(), 0)).x();
    };
    Open();
    const int nameMargin = rightMargin("L1");
    const int logoMargin = rightMargin("L11");
    Close();
    // top 20, left 30, 800 x 560, right page 420
    test::WriteBytes(dataDir / "wnd.dat", test::Bytes{20, 0, 0,    0, 30, 0, 0,    0, 0x20, 3,
                                                      0,  0, 0x30, 2, 0,  0, 0xA4, 1, 0,    0});
    auto& w = Open();
    ASSERT_EQ(w.RightPage()->width(), 420);
    EXPECT_EQ(rightMargin("L1"), nameMargin);
    EXPECT_EQ(rightMargin("L11"), logoMargin);
}

} // namespace
} // namespace shelfwise::book

namespace shelfwise::book {
namespace {

class EditorFontTest : public test::BookFixture {};

TEST_F(EditorFontTest, ALargerSingleLineFontMovesTheRowsDown) {
    settings.OneLineFieldFont.Size = 20;
    Open();
    const int height = Find<QWidget>("L1")->height();
    ASSERT_GT(height, 24);
    EXPECT_EQ(Find<QWidget>("L2")->y(), 53 + height - 24);
    EXPECT_EQ(Find<QWidget>("L3")->y(), 84 + 2 * (height - 24));
    // The label follows its editor.
    EXPECT_EQ(Find<QWidget>("FieldLabel2")->y(), 58 + height - 24);
    // Field 5 stands in the row of field 4.
    EXPECT_EQ(Find<QWidget>("L5")->y(), Find<QWidget>("L4")->y());
}

} // namespace
} // namespace shelfwise::book
