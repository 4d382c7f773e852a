#pragma once

#include "db/RecordSchema.h"
#include "db/SortKey.h"

#include <QString>
#include <string>
#include <vector>

namespace shelfwise::book {

// The rules every way of changing the sort keeps: two text fields share one direction, the
// secondary field is never the primary one, and entry order has no secondary field.
class TSortRules {
public:
    explicit TSortRules(const db::TFieldClasses& fields) : fields_(fields) {}

    // Memo and picture fields cannot be sort fields.
    bool Sortable(int position) const;
    bool IsText(int position) const;
    bool BothText(const db::SortValues& sort) const;

    // A position below FirstDataField means entry order (primary) or none (secondary).
    db::SortValues ChoosePrimary(db::SortValues sort, int position) const;
    db::SortValues ChooseSecondary(db::SortValues sort, int position) const;
    db::SortValues InvertPrimary(db::SortValues sort) const;
    db::SortValues InvertSecondary(db::SortValues sort) const;

private:
    db::SortValues TieDirections(db::SortValues sort) const;

    const db::TFieldClasses& fields_;
};

inline const QString EntryOrderCaption = QStringLiteral("Entry Order");
inline const QString NoneCaption = QStringLiteral("NONE");

// The caption of a sort field: its label, or `none` for a position below FirstDataField.
QString SortFieldCaption(const std::vector<std::string>& labels, int position, const QString& none);

} // namespace shelfwise::book
