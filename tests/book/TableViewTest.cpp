#include "SortedBook.h"
#include "book/DbEditDlg.h"
#include "book/DeleteDlg.h"
#include "book/FieldDlg.h"
#include "book/TableViewCommand.h"
#include "book/TableViewModel.h"
#include "engine/PosixFile.h"
#include "media/MultiImgControl.h"
#include "media/PictureBytes.h"
#include "media/PictureIo.h"
#include "platform/Dialogs.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <set>

namespace shelfwise::book {
namespace {

using Model = TTableViewModel;

class TableViewTest : public test::BookFixture {
protected:
    ~TableViewTest() override { platform::SetDialogHook(nullptr); }

    static std::string Name(int n) {
        char text[16];
        std::snprintf(text, sizeof text, "App %05d", n);
        return text;
    }

    // A book on `count` records named in entry order, written in one batch.
    TSoftwareBookWindow& OpenOn(int count) {
        auto& w = Open();
        engine::Table& table = w.Database().DataTable;
        const double first = w.Database().ReserveRecordNumbers(static_cast<std::uint32_t>(count));
        table.beginBatch();
        for (int n = 0; n < count; ++n) {
            table.append();
            table.setNumber(db::RecordNumberField, first + n);
            table.setText(AppName, Name(n));
            table.setText(Producer, "Maker " + std::to_string(n % 7));
            table.post();
        }
        table.endBatch();
        w.RecordPage()->Restart();
        return w;
    }

    // Runs the table view; `inside` works on the viewer while it is open. A confirmation asked
    // meanwhile is answered by typing `typed`.
    void View(const std::function<void(TDbEditDlg&)>& inside) {
        platform::SetDialogHook([this, inside](QDialog& dialog) {
            if (auto* confirm = dynamic_cast<TDeleteDlg1*>(&dialog)) {
                ++confirmations;
                QTest::keyClicks(confirm->Answer(), QString::fromLatin1(typed));
                confirm->OkButton()->click();
                return dialog.result();
            }
            if (auto* field = dynamic_cast<TFieldDlg*>(&dialog)) {
                fieldEditor(*field);
                return dialog.result();
            }
            auto& viewer = dynamic_cast<TDbEditDlg&>(dialog);
            ++viewings;
            inside(viewer);
            viewer.findChild<QPushButton*>(QStringLiteral("CloseBtn"))->click();
            return viewer.result();
        });
        window->Commands().Run(QStringLiteral("TableView"));
    }

    static void Click(const TDbEditDlg& viewer, const char* action) {
        QToolButton* button = viewer.NavigatorButton(action);
        ASSERT_NE(button, nullptr) << action;
        ASSERT_TRUE(button->isEnabled()) << action;
        button->click();
    }
    static QString Cell(const TDbEditDlg& viewer, int row, int position) {
        const Model& model = viewer.Model();
        return model.data(model.index(row, position - Model::HiddenFields)).toString();
    }
    static bool SetCell(TDbEditDlg& viewer, int row, int position, const QString& text) {
        Model& model = viewer.Model();
        return model.setData(model.index(row, position - Model::HiddenFields), text);
    }
    static int CurrentRow(const TDbEditDlg& viewer) { return viewer.Grid()->currentIndex().row(); }

    std::string Stored(std::uint32_t recordNumber, int position = AppName) const {
        auto data = OpenData();
        EXPECT_TRUE(data->goToRecord(recordNumber)) << recordNumber;
        return data->text(position);
    }
    std::uint32_t StoredCount() const { return OpenData()->recordCount(); }
    double LastNumber() const {
        engine::Table master;
        master.setDirectory(dataDir);
        master.setFileName(db::MasterTableName);
        master.open();
        master.first();
        return master.number(db::CatalogueLastNumber);
    }
    bool Said(const std::string& text) const {
        return std::ranges::any_of(messages, [&](const auto& m) { return m.text == text; });
    }

    const char* typed = "YES";
    int confirmations = 0;
    int viewings = 0;
    std::function<void(TFieldDlg&)> fieldEditor = [](TFieldDlg& d) { d.reject(); };
};

TEST_F(TableViewTest, RowsAreReadAPageAtATimeAndOnlyAFewPagesAreKept) {
    // More records than the grid keeps, so every walk below reads pages again.
    constexpr int Count = Model::PageRows * static_cast<int>(Model::CachedPages) * 2 + 7;
    OpenOn(Count);
    constexpr std::size_t MostKept = Model::PageRows * Model::CachedPages;
    View([&](TDbEditDlg& viewer) {
        const Model& model = viewer.Model();
        ASSERT_EQ(model.rowCount(), Count);
        // Only the two system fields are left out of the columns.
        EXPECT_EQ(model.columnCount(), window->Database().DataTable.fieldCount() - 2);
        EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString().toStdString(),
                  window->Database().DataTable.field(AppName).name);
        EXPECT_LE(model.CachedRows(), static_cast<std::size_t>(Model::PageRows));
        // Forwards, backwards, and in jumps across the table: each row shows its own record.
        std::vector<int> rows;
        for (int row = 0; row < Count; ++row) {
            rows.push_back(row);
        }
        for (int row = Count - 1; row >= 0; row -= 3) {
            rows.push_back(row);
        }
        for (int row : {Count - 1, 0, Count / 2, 1, Count - 2, Model::PageRows}) {
            rows.push_back(row);
        }
        for (int row : rows) {
            ASSERT_EQ(Cell(viewer, row, AppName).toStdString(), Name(row)) << row;
            ASSERT_LE(model.CachedRows(), MostKept) << row;
        }
        // The navigator moves over the same rows.
        Click(viewer, "Last");
        EXPECT_EQ(CurrentRow(viewer), Count - 1);
        EXPECT_FALSE(viewer.NavigatorButton("Next")->isEnabled());
        Click(viewer, "Prior");
        EXPECT_EQ(CurrentRow(viewer), Count - 2);
        Click(viewer, "First");
        EXPECT_EQ(CurrentRow(viewer), 0);
        EXPECT_FALSE(viewer.NavigatorButton("Prior")->isEnabled());
    });
    EXPECT_EQ(viewings, 1);
}

TEST_F(TableViewTest, CellEditsAreStoredByTheFieldsKindWhenTheRowIsLeft) {
    OpenOn(5);
    const auto number = [&](int position) {
        auto data = OpenData();
        data->goToRecord(2);
        return data->number(position);
    };
    View([&](TDbEditDlg& viewer) {
        Click(viewer, "Next");
        ASSERT_TRUE(SetCell(viewer, 1, AppName, QStringLiteral("Edited")));
        ASSERT_TRUE(SetCell(viewer, 1, Price, QStringLiteral("1234.5")));
        ASSERT_TRUE(SetCell(viewer, 1, InstallDate, QStringLiteral("02/28/2021")));
        EXPECT_EQ(viewer.Model().GridState(), Model::State::Edit);
        EXPECT_TRUE(viewer.NavigatorButton("Post")->isEnabled());
        EXPECT_FALSE(viewer.NavigatorButton("Insert")->isEnabled());
        // Held until the row is left.
        EXPECT_EQ(Stored(2), "App 00001");
        // An impossible date is refused and changes nothing.
        EXPECT_FALSE(SetCell(viewer, 1, InstallDate, QStringLiteral("13/45/2021")));
        EXPECT_TRUE(Said("Invalid Date!"));
        Click(viewer, "Next");
        EXPECT_EQ(viewer.Model().GridState(), Model::State::Browse);
        EXPECT_EQ(Stored(2), "Edited");
        EXPECT_DOUBLE_EQ(number(Price), 1234.5);
        EXPECT_EQ(Stored(2, InstallDate), "20210228");
        // The grid went on to the row after the edited one.
        EXPECT_EQ(CurrentRow(viewer), 2);
        EXPECT_EQ(Cell(viewer, 1, AppName), QStringLiteral("Edited"));
        // Cancel drops an edit and its lock.
        ASSERT_TRUE(SetCell(viewer, 2, AppName, QStringLiteral("Dropped")));
        Click(viewer, "Cancel");
        EXPECT_EQ(Cell(viewer, 2, AppName).toStdString(), "App 00002");
        auto other = OpenData();
        ASSERT_TRUE(other->goToRecord(3));
        EXPECT_NO_THROW(other->edit());
        other->cancel();
    });
    EXPECT_EQ(Stored(3), "App 00002");
}

TEST_F(TableViewTest, AnEditLeftOpenIsStoredOnClose) {
    OpenOn(3);
    View([&](TDbEditDlg& viewer) { ASSERT_TRUE(SetCell(viewer, 0, AppName, "Kept")); });
    EXPECT_EQ(Stored(1), "Kept");
}

TEST_F(TableViewTest, APostThatFailsPartWayLeavesTheRecordAsBeforeOrAfterAndTheEditOpen) {
    OpenOn(4);
    View([&](TDbEditDlg& viewer) {
        Model& model = viewer.Model();
        bool struck = true;
        for (std::uint64_t nth = 1; struck; ++nth) {
            SCOPED_TRACE(nth);
            const std::string before = Stored(3);
            const std::string after = "Try " + std::to_string(nth);
            ASSERT_TRUE(SetCell(viewer, 2, AppName, QString::fromStdString(after)));
            messages.clear();
            engine::FileFaults::arm(nth, engine::FileFaults::Action::Fail);
            const bool posted = model.Post();
            struck = engine::FileFaults::calls() >= nth;
            engine::FileFaults::disarm();
            const std::string seen = Stored(3);
            EXPECT_TRUE(seen == before || seen == after) << seen;
            EXPECT_TRUE(OpenData()->checkIndexes().empty());
            if (struck) {
                EXPECT_FALSE(posted);
                // The engine's reason is shown and the row is still being edited.
                EXPECT_EQ(messages.size(), 1u);
                EXPECT_EQ(model.EditRow(), 2);
            } else {
                EXPECT_TRUE(posted);
                EXPECT_EQ(seen, after);
            }
        }
    });
    EXPECT_EQ(StoredCount(), 4u);
}

TEST_F(TableViewTest, ARecordAnotherUserHoldsIsNeitherChangedNorDeleted) {
    settings.DeleteMode = settings::opt::DeleteMode::ImmediateDelete;
    OpenOn(3);
    auto other = OpenData();
    ASSERT_TRUE(other->goToRecord(2));
    other->edit();
    other->setText(AppName, "Theirs");
    View([&](TDbEditDlg& viewer) {
        // The row being edited before is stored as the grid goes to the held one.
        ASSERT_TRUE(SetCell(viewer, 0, AppName, "Mine"));
        EXPECT_FALSE(SetCell(viewer, 1, AppName, "Not mine"));
        EXPECT_TRUE(Said("Record in use - not Changed!"));
        EXPECT_EQ(viewer.Model().GridState(), Model::State::Browse);
        Click(viewer, "Next");
        Click(viewer, "Delete");
        EXPECT_TRUE(Said("Record in use - not Deleted!"));
        EXPECT_EQ(viewer.Model().rowCount(), 3);
    });
    EXPECT_EQ(Stored(1), "Mine");
    other->post();
    EXPECT_EQ(Stored(2), "Theirs");
    EXPECT_EQ(StoredCount(), 3u);
}

TEST_F(TableViewTest, ReadOnlyModeShowsASilverGridAndRefusesEveryChange) {
    OpenOn(3);
    settings.UserAccess = settings::opt::UserAccess::ReadOnly;
    View([&](TDbEditDlg& viewer) {
        Model& model = viewer.Model();
        EXPECT_EQ(viewer.windowTitle(), QStringLiteral("Table Viewer - Read Only Mode"));
        EXPECT_EQ(viewer.Grid()->palette().color(QPalette::Base), QColor(0xC0, 0xC0, 0xC0));
        for (const char* action : {"First", "Prior", "Next", "Last", "Refresh"}) {
            EXPECT_NE(viewer.NavigatorButton(action), nullptr) << action;
        }
        for (const char* action : {"Insert", "Delete", "Edit", "Post", "Cancel"}) {
            const QToolButton* button = viewer.NavigatorButton(action);
            EXPECT_TRUE(button == nullptr || !button->isVisibleTo(&viewer)) << action;
        }
        EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
        EXPECT_FALSE(SetCell(viewer, 0, AppName, "Changed"));
        EXPECT_FALSE(model.Edit(0));
        EXPECT_FALSE(model.Insert());
        EXPECT_FALSE(model.Delete(0));
        // The field editor shows the value and stores nothing.
        fieldEditor = [](TFieldDlg& editor) {
            auto* line = editor.findChild<QLineEdit*>(QStringLiteral("DBEdit1"));
            EXPECT_TRUE(line->isReadOnly());
            EXPECT_EQ(line->text(), QStringLiteral("App 00000"));
            editor.accept();
        };
        viewer.EditField(0, AppName - Model::HiddenFields);
    });
    EXPECT_EQ(Stored(1), "App 00000");
    EXPECT_EQ(StoredCount(), 3u);
}

TEST_F(TableViewTest, DeleteFollowsTheDeleteOptionAndTheTypedYes) {
    const struct {
        settings::opt::DeleteMode Mode;
        const char* Typed;
        bool Deleted;
        int Confirmations;
    } cases[] = {
        {settings::opt::DeleteMode::AskUserToConfirm, "yes", true, 1},
        {settings::opt::DeleteMode::AskUserToConfirm, "YE", false, 1},
        {settings::opt::DeleteMode::ImmediateDelete, "", true, 0},
    };
    OpenOn(6);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Typed);
        messages.clear();
        confirmations = 0;
        settings.DeleteMode = c.Mode;
        typed = c.Typed;
        const std::uint32_t before = StoredCount();
        View([&](TDbEditDlg& viewer) {
            Click(viewer, "Next");
            const QString second = Cell(viewer, 1, AppName);
            const QString third = Cell(viewer, 2, AppName);
            Click(viewer, "Delete");
            EXPECT_EQ(viewer.Model().rowCount(), static_cast<int>(before) - (c.Deleted ? 1 : 0));
            // The grid stays on the same row, now the record after the deleted one.
            EXPECT_EQ(CurrentRow(viewer), 1);
            EXPECT_EQ(Cell(viewer, 1, AppName), c.Deleted ? third : second);
        });
        EXPECT_EQ(confirmations, c.Confirmations);
        EXPECT_EQ(StoredCount(), before - (c.Deleted ? 1 : 0));
        EXPECT_EQ(Said("Record not Deleted."), !c.Deleted);
    }
}

TEST_F(TableViewTest, ARecordInsertedInTheGridTakesItsNumberOnlyWhenPosted) {
    OpenOn(2);
    const double last = LastNumber();
    View([&](TDbEditDlg& viewer) {
        Model& model = viewer.Model();
        Click(viewer, "Insert");
        EXPECT_EQ(model.rowCount(), 3);
        EXPECT_EQ(CurrentRow(viewer), 2);
        ASSERT_TRUE(SetCell(viewer, 2, AppName, "Dropped"));
        Click(viewer, "Cancel");
        EXPECT_EQ(model.rowCount(), 2);
        EXPECT_EQ(LastNumber(), last);
        Click(viewer, "Insert");
        ASSERT_TRUE(SetCell(viewer, 2, AppName, "Added"));
        Click(viewer, "Post");
        EXPECT_EQ(model.rowCount(), 3);
        EXPECT_EQ(Cell(viewer, CurrentRow(viewer), AppName), QStringLiteral("Added"));
    });
    EXPECT_EQ(LastNumber(), last + 1);
    EXPECT_EQ(StoredCount(), 3u);
    EXPECT_EQ(Stored(3), "Added");
    auto data = OpenData();
    data->goToRecord(3);
    EXPECT_DOUBLE_EQ(data->number(db::RecordNumberField), last + 1);
}

TEST_F(TableViewTest, TheFieldEditorStoresAMemoAndKeepsItsWrapSetting) {
    OpenOn(2);
    View([&](TDbEditDlg& viewer) {
        fieldEditor = [](TFieldDlg& editor) {
            EXPECT_EQ(editor.windowTitle().left(13), QStringLiteral("Edit Field - "));
            auto* memo = editor.findChild<QPlainTextEdit*>(QStringLiteral("DBMemo1"));
            EXPECT_TRUE(memo->isVisibleTo(&editor));
            EXPECT_FALSE(
                editor.findChild<QLineEdit*>(QStringLiteral("DBEdit1"))->isVisibleTo(&editor));
            EXPECT_FALSE(editor.findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->isChecked());
            editor.findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(true);
            memo->setPlainText(QStringLiteral("line one\nline two"));
            editor.accept();
        };
        viewer.EditField(1, Notes - Model::HiddenFields);
        EXPECT_EQ(viewer.Model().GridState(), Model::State::Browse);
        // The next opening starts wrapped.
        fieldEditor = [](TFieldDlg& editor) {
            EXPECT_TRUE(editor.findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->isChecked());
            editor.findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(false);
            editor.reject();
        };
        viewer.EditField(1, Notes - Model::HiddenFields);
    });
    auto data = OpenData();
    ASSERT_TRUE(data->goToRecord(2));
    EXPECT_EQ(data->bytes(Notes), "line one\r\nline two");
}

TEST_F(TableViewTest, TheFieldEditorLoadsPastesAndClearsAPicture) {
    OpenOn(2);
    const std::filesystem::path file = programDir / "logo.png";
    ASSERT_TRUE(media::test::Pattern(8, 6).save(QString::fromStdString(file.string())));
    using Step = std::function<void(media::TDbMultiImgControl&)>;
    View([&](TDbEditDlg& viewer) {
        const auto edit = [&](const Step& step) {
            fieldEditor = [&](TFieldDlg& editor) {
                auto* picture =
                    editor.findChild<media::TDbMultiImgControl*>(QStringLiteral("Img1"));
                ASSERT_NE(picture, nullptr);
                EXPECT_TRUE(picture->isVisibleTo(&editor));
                EXPECT_FALSE(
                    editor.findChild<QLineEdit*>(QStringLiteral("DBEdit1"))->isVisibleTo(&editor));
                step(*picture);
                editor.accept();
                EXPECT_EQ(editor.result(), QDialog::Accepted);
            };
            viewer.EditField(1, Picture - Model::HiddenFields);
            EXPECT_EQ(viewer.Model().GridState(), Model::State::Browse);
        };
        const auto stored = [&] { return media::PictureSize(Stored(2, Picture)); };

        edit([&](auto& picture) {
            ASSERT_TRUE(picture.LoadPicture(QString::fromStdString(file.string())));
        });
        EXPECT_EQ(stored(), QSize(8, 6));
        EXPECT_EQ(Cell(viewer, 1, Picture), QStringLiteral("<PICTURE>"));
        // The editor opens on the stored picture; one pasted over it takes its place.
        edit([&](auto& picture) {
            EXPECT_EQ(picture.PictureSize(), QSize(8, 6));
            picture.TakePicture(media::test::Pattern(5, 3));
        });
        EXPECT_EQ(stored(), QSize(5, 3));
        const QImage kept = media::DecodePicture(Stored(2, Picture));
        EXPECT_EQ(kept.pixel(4, 2), media::test::Pattern(5, 3).pixel(4, 2));
        edit([](auto& picture) { picture.ClearPicture(); });
        EXPECT_TRUE(Stored(2, Picture).empty());
        EXPECT_TRUE(Cell(viewer, 1, Picture).isEmpty());
    });
    EXPECT_TRUE(Stored(1, Picture).empty());
}

TEST_F(TableViewTest, APictureThatFailsPartWayIsStoredWholeOrNotAtAllAndTheEditorStays) {
    OpenOn(2);
    View([&](TDbEditDlg& viewer) {
        Model& model = viewer.Model();
        bool struck = true;
        for (std::uint64_t nth = 1; struck; ++nth) {
            SCOPED_TRACE(nth);
            const QSize before = media::PictureSize(Stored(1, Picture));
            const QSize after(static_cast<int>(nth) + 1, 4);
            bool accepted = false;
            fieldEditor = [&](TFieldDlg& editor) {
                editor.findChild<media::TDbMultiImgControl*>(QStringLiteral("Img1"))
                    ->TakePicture(media::test::Pattern(after.width(), after.height()));
                messages.clear();
                engine::FileFaults::arm(nth, engine::FileFaults::Action::Fail);
                editor.accept();
                struck = engine::FileFaults::calls() >= nth;
                engine::FileFaults::disarm();
                accepted = editor.result() == QDialog::Accepted;
            };
            viewer.EditField(0, Picture - Model::HiddenFields);
            const QSize seen = media::PictureSize(Stored(1, Picture));
            EXPECT_TRUE(seen == before || seen == after) << seen.width();
            EXPECT_TRUE(OpenData()->checkIndexes().empty());
            if (struck) {
                // The engine's reason is shown; the editor stays and the row is still edited.
                EXPECT_FALSE(accepted);
                EXPECT_EQ(messages.size(), 1u);
                EXPECT_EQ(model.EditRow(), 0);
                model.Cancel();
            } else {
                EXPECT_TRUE(accepted);
                EXPECT_EQ(seen, after);
            }
        }
    });
    EXPECT_EQ(StoredCount(), 2u);
}

TEST_F(TableViewTest, OtherUsersChangesShowWithoutLosingARowBeingEdited) {
    OpenOn(3);
    auto other = OpenData();
    const auto write = [&](std::uint32_t recordNumber, const char* name) {
        ASSERT_TRUE(other->goToRecord(recordNumber));
        other->edit();
        other->setText(AppName, name);
        other->post();
    };
    View([&](TDbEditDlg& viewer) {
        Model& model = viewer.Model();
        const auto cell = [&](std::uint32_t recordNumber) {
            return Cell(viewer, model.RowOfRecord(recordNumber), AppName);
        };
        Click(viewer, "Next");
        const std::uint32_t shown = model.RecordNumberAt(CurrentRow(viewer));
        EXPECT_FALSE(model.TableChanged());
        write(2, "Theirs");
        other->append();
        other->setText(AppName, "Added");
        other->post();
        EXPECT_TRUE(model.TableChanged());
        viewer.PickUpChanges();
        EXPECT_FALSE(model.TableChanged());
        EXPECT_EQ(model.rowCount(), 4);
        EXPECT_EQ(cell(2), QStringLiteral("Theirs"));
        EXPECT_EQ(cell(4), QStringLiteral("Added"));
        EXPECT_EQ(model.RecordNumberAt(CurrentRow(viewer)), shown);

        // A row being edited is kept as typed; the others' change shows once it is written.
        const int mine = model.RowOfRecord(1);
        ASSERT_TRUE(SetCell(viewer, mine, AppName, "Mine"));
        write(3, "Theirs too");
        viewer.PickUpChanges();
        EXPECT_EQ(model.EditRow(), mine);
        EXPECT_EQ(Cell(viewer, mine, AppName), QStringLiteral("Mine"));
        ASSERT_TRUE(model.Post());
        EXPECT_EQ(cell(3), QStringLiteral("Theirs too"));

        // So is text typed into a cell and not yet stored; closing the viewer stores it.
        QTableView* grid = viewer.Grid();
        const QModelIndex typed = model.index(model.RowOfRecord(2), AppName - Model::HiddenFields);
        grid->setCurrentIndex(typed);
        grid->edit(typed);
        auto* typing = grid->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(typing, nullptr);
        typing->setText(QStringLiteral("Typed"));
        write(3, "Later");
        viewer.PickUpChanges();
        EXPECT_TRUE(model.TableChanged());
        EXPECT_EQ(grid->viewport()->findChild<QLineEdit*>(), typing);
        EXPECT_EQ(typing->text(), QStringLiteral("Typed"));
    });
    EXPECT_EQ(Stored(1), "Mine");
    EXPECT_EQ(Stored(2), "Typed");
    EXPECT_EQ(Stored(3), "Later");
}

class TableViewLetterTest : public test::SortedBook {
protected:
    ~TableViewLetterTest() override { platform::SetDialogHook(nullptr); }
};

TEST_F(TableViewLetterTest, TheGridListsTheShownLetterAndTheBookComesBackOnItsFirstRecord) {
    OpenWith({{"Alpha", "x"}, {"Mango", "x"}, {"Melon", "x"}, {"Zebra", "x"}});
    SortBy(test::NameField);
    ASSERT_TRUE(window->Database().Index.LetterTabsActive());
    window->Navigator()->SelectLetterTab('M');
    window->Navigator()->ShowLetter('M');
    window->RecordPage()->ShowRecordAt(1);
    std::vector<QString> listed;
    platform::SetDialogHook([&](QDialog& dialog) {
        auto& viewer = dynamic_cast<TDbEditDlg&>(dialog);
        const Model& model = viewer.Model();
        for (int row = 0; row < model.rowCount(); ++row) {
            listed.push_back(model.data(model.index(row, 0)).toString());
        }
        // A new record under another letter changes the counts the tabs show.
        viewer.NavigatorButton("Insert")->click();
        viewer.Model().setData(model.index(model.EditRow(), 0), QStringLiteral("Kiwi"));
        viewer.findChild<QPushButton*>(QStringLiteral("CloseBtn"))->click();
        return viewer.result();
    });
    window->Commands().Run(QStringLiteral("TableView"));
    EXPECT_EQ(listed, (std::vector<QString>{QStringLiteral("Mango"), QStringLiteral("Melon")}));
    EXPECT_EQ(window->Navigator()->CurrentLetter(), 'M');
    EXPECT_EQ(window->Navigator()->PageStart(), 0);
    EXPECT_EQ(window->RecordPage()->RecordPosition(), 1);
    EXPECT_EQ(Find<QLineEdit>("L1")->text(), QStringLiteral("Mango"));
    EXPECT_EQ(window->Database().Index.LetterCount('K'), 1);
    EXPECT_TRUE(window->RecordPage()->EditCursor().IsOpen());
}

} // namespace
} // namespace shelfwise::book
