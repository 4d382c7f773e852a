#include "book/SortRules.h"

#include "text/WindowsText.h"

namespace shelfwise::book {

bool TSortRules::Sortable(int position) const {
    if (position < db::FirstDataField) {
        return true;
    }
    const auto p = static_cast<std::size_t>(position);
    return p >= fields_.MemoFields.size() ||
           (!fields_.MemoFields.test(p) && !fields_.PictureFields.test(p));
}

bool TSortRules::IsText(int position) const {
    return position >= db::FirstDataField &&
           static_cast<std::size_t>(position) < fields_.TextFields.size() &&
           fields_.TextFields.test(static_cast<std::size_t>(position));
}

bool TSortRules::BothText(const db::SortValues& sort) const {
    return IsText(sort.PrimaryField) && IsText(sort.SecondaryField);
}

db::SortValues TSortRules::TieDirections(db::SortValues sort) const {
    if (BothText(sort)) {
        sort.SecondaryDescending = sort.PrimaryDescending;
    }
    return sort;
}

db::SortValues TSortRules::ChoosePrimary(db::SortValues sort, int position) const {
    if (position < db::FirstDataField) {
        sort.PrimaryField = 0;
        sort.SecondaryField = 0;
        return sort;
    }
    sort.PrimaryField = static_cast<std::uint8_t>(position);
    if (sort.SecondaryField == sort.PrimaryField) {
        sort.SecondaryField = 0;
    }
    return TieDirections(sort);
}

db::SortValues TSortRules::ChooseSecondary(db::SortValues sort, int position) const {
    sort.SecondaryField = static_cast<std::uint8_t>(position < db::FirstDataField ? 0 : position);
    return TieDirections(sort);
}

db::SortValues TSortRules::InvertPrimary(db::SortValues sort) const {
    sort.PrimaryDescending = !sort.PrimaryDescending;
    return TieDirections(sort);
}

db::SortValues TSortRules::InvertSecondary(db::SortValues sort) const {
    sort.SecondaryDescending = !sort.SecondaryDescending;
    return sort;
}

QString SortFieldCaption(const std::vector<std::string>& labels, int position,
                         const QString& none) {
    const int index = position - db::FirstDataField;
    if (index < 0 || index >= static_cast<int>(labels.size())) {
        return none;
    }
    return text::FromWindowsText(labels[static_cast<std::size_t>(index)]);
}

} // namespace shelfwise::book
