#pragma once

#include "BookFixture.h"
#include "book/LeftPage.h"
#include "book/LetterBar.h"
#include "book/Navigator.h"
#include "book/RecordPage.h"
#include "book/SortCommands.h"
#include "db/RecordSchema.h"

#include <QLineEdit>
#include <QStringList>
#include <string>
#include <vector>

namespace shelfwise::book::test {

inline constexpr int NameField = db::FirstDataField; // field 1, text
inline constexpr int ProducerField = NameField + 1;  // field 2, text
inline constexpr int PriceField = NameField + 5;     // field 6, currency
inline constexpr int NotesField = NameField + 22;    // field 23, memo

struct Title {
    std::string Name;
    std::string Producer;
    double Price = 0;
    std::string Notes{};
};

// A book window on records made by the test, sorted as the test asks.
class SortedBook : public BookFixture {
protected:
    TSoftwareBookWindow& OpenWith(const std::vector<Title>& titles) {
        auto& w = Open();
        engine::Table& table = w.Database().DataTable;
        for (const Title& title : titles) {
            table.append();
            w.Database().AssignRecordNumber(table);
            table.setText(NameField, title.Name);
            table.setText(ProducerField, title.Producer);
            table.setNumber(PriceField, title.Price);
            table.setBytes(NotesField, title.Notes);
            table.post();
        }
        return w;
    }

    // The sort the dialog would confirm.
    void SortBy(int primary, bool primaryDescending = false, int secondary = 0,
                bool secondaryDescending = false) {
        db::TIndex& index = window->Database().Index;
        index.SaveSort();
        index.Sort = {static_cast<std::uint8_t>(primary), primaryDescending,
                      static_cast<std::uint8_t>(secondary), secondaryDescending};
        window->SortCommands()->ApplySortChange();
    }

    int Rows() const { return static_cast<int>(window->LeftPage()->RowButtons().size()); }

    // The first column of every filled row.
    QStringList Listed() const {
        QStringList names;
        for (const auto* row : window->LeftPage()->RowButtons()) {
            if (!row->Columns().empty() && !row->Columns()[0].Text.isEmpty()) {
                names << row->Columns()[0].Text;
            }
        }
        return names;
    }

    QString Shown() const { return Find<QLineEdit>("L1")->text(); }

    // The mark of every record, in entry order, as another program reads them.
    std::vector<std::string> Marks() const {
        auto table = OpenData();
        std::vector<std::string> marks;
        for (table->first(); !table->atEnd(); table->next()) {
            marks.push_back(table->text(db::MarkField));
        }
        return marks;
    }

    char SelectedTab() const {
        for (int i = 0; i < LetterCount; ++i) {
            if (window->LetterBar()->Tab(i)->Selected()) {
                return static_cast<char>('A' + i);
            }
        }
        return 0;
    }
};

} // namespace shelfwise::book::test
