#include "book/PercentDlg.h"

#include "BookFixture.h"
#include "book/Percent.h"

#include <QImage>
#include <stdexcept>

namespace shelfwise::book {
namespace {

TEST(Percent, ShadingIsClampedAndShownAsPercentOrCaption) {
    TPercent bar;
    EXPECT_EQ(bar.Text(), QStringLiteral("0%"));
    const std::pair<int, int> cases[] = {{42, 42}, {150, 100}, {-5, 0}, {100, 100}};
    for (const auto& [set, shown] : cases) {
        bar.SetPercentShaded(set);
        EXPECT_EQ(bar.PercentShaded(), shown) << set;
        EXPECT_EQ(bar.Text(), QString::number(shown) + QLatin1Char('%')) << set;
    }
    bar.SetCaption(QStringLiteral("Letter B"));
    bar.SetShowPercent(false);
    EXPECT_EQ(bar.Text(), QStringLiteral("Letter B"));
}

TEST(Percent, PaintsAFrameAndFillsFromTheLeftOrTheTop) {
    struct Case {
        const char* what;
        QSize size;
        int percent;
        QPoint filled;   // the last filled pixel along the bar
        QPoint unfilled; // the first pixel past the edge
    };
    // 297 wide at 50%: the edge is round(293 x 0.5) + 2 = 148 (146.5 goes to the even 146).
    // 20 x 100 at 25%: the edge is round(96 x 0.25) + 2 = 26.
    const Case cases[] = {
        {"horizontal", {297, 33}, 50, {146, 3}, {149, 3}},
        {"vertical", {20, 100}, 25, {3, 24}, {3, 27}},
        {"empty", {297, 33}, 0, {1, 3}, {3, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TPercent bar;
        bar.resize(c.size);
        bar.SetPercentColor(Qt::green);
        bar.SetShowPercent(false);
        bar.SetPercentShaded(c.percent);
        const QImage image = bar.grab().toImage();
        const int w = c.size.width();
        const int h = c.size.height();
        EXPECT_EQ(QColor(image.pixel(0, 0)), QColor(0x80, 0x80, 0x80));
        EXPECT_EQ(QColor(image.pixel(0, h / 2)), QColor(0x80, 0x80, 0x80));
        EXPECT_EQ(QColor(image.pixel(w - 1, h - 1)), QColor(Qt::white));
        EXPECT_EQ(QColor(image.pixel(w - 1, h / 2)), QColor(Qt::white));
        if (c.percent > 0) {
            EXPECT_EQ(QColor(image.pixel(c.filled)), QColor(Qt::green));
        }
        EXPECT_EQ(QColor(image.pixel(c.unfilled)), QColor(Qt::white));
    }
}

TEST(PercentDlg, BarShowsThePositionWithinTheTotal) {
    TPercentDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Progress"));
    EXPECT_EQ(dialog.Percent1()->geometry(), QRect(30, 21, 297, 33));
    EXPECT_EQ(dialog.Percent1()->PercentColor(), QColor(Qt::green));

    dialog.SetProgressTotal(0);
    EXPECT_EQ(dialog.Percent1()->PercentShaded(), 100);

    dialog.SetProgressTotal(3);
    EXPECT_EQ(dialog.Percent1()->PercentShaded(), 0);
    const int afterSteps[] = {33, 67, 100};
    for (const int expected : afterSteps) {
        dialog.StepProgress();
        EXPECT_EQ(dialog.Percent1()->PercentShaded(), expected);
    }
    EXPECT_EQ(dialog.ProgressPosition(), 3u);

    // A total of 8 at 1 is 12.5 percent, which goes to the even 12.
    dialog.SetProgressTotal(8);
    dialog.SetProgressPosition(1);
    EXPECT_EQ(dialog.Percent1()->PercentShaded(), 12);
    dialog.SetProgressPercent(80);
    EXPECT_EQ(dialog.Percent1()->PercentShaded(), 80);
}

class ProgressWindowTest : public test::BookFixture {};

TEST_F(ProgressWindowTest, TableRoutinesAdvanceTheOpenWindowOnly) {
    auto& w = Open();
    db::TDatabase& database = w.Database();
    engine::Table& data = database.DataTable;
    for (const char* name : {"One", "Two", "Three", "Four"}) {
        data.append();
        database.AssignRecordNumber(data);
        data.setText(AppName, name);
        data.post();
    }
    const auto copy = [&database] {
        EXPECT_TRUE(database.CreateInDatabaseDir("temp$00.dbf", false));
        engine::Table target;
        EXPECT_TRUE(database.OpenTable(target, "temp$00.dbf", false));
        int bad = 0;
        database.CopyRecords(database.DataTable, target, bad);
    };

    EXPECT_EQ(CurrentProgress(), nullptr);
    {
        TProgressWindow progress(database, &w, QStringLiteral("Copying records"));
        TPercentDlg& dialog = progress.Dialog();
        EXPECT_EQ(CurrentProgress(), &dialog);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Copying records"));
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        copy();
        EXPECT_EQ(dialog.ProgressTotal(), 4u);
        EXPECT_EQ(dialog.ProgressPosition(), 4u);
        EXPECT_EQ(dialog.Percent1()->PercentShaded(), 100);
    }
    EXPECT_EQ(CurrentProgress(), nullptr);
    EXPECT_EQ(database.CurrentProgress, nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Work that ends by an error closes the window too.
    EXPECT_THROW(
        {
            TProgressWindow progress(database, &w, QStringLiteral("Failing"));
            throw std::runtime_error("failed");
        },
        std::runtime_error);
    EXPECT_EQ(CurrentProgress(), nullptr);
    EXPECT_EQ(database.CurrentProgress, nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // Without a window the routines run all the same.
    database.DropTable(dataDir, "temp$00.dbf");
    copy();
}

} // namespace
} // namespace shelfwise::book
