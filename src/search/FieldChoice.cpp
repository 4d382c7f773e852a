#include "search/FieldChoice.h"

#include "search/Finder.h"
#include "text/WindowsText.h"

#include <algorithm>

namespace shelfwise::search {

QStringList ChoosableFields(const std::vector<std::string>& labels, const db::TFieldClasses& fields,
                            int fieldCount) {
    QStringList choice;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const std::size_t position = i + db::FirstDataField;
        if (position < fields.PictureFields.size() && !fields.PictureFields[position] &&
            static_cast<int>(position) < fieldCount) {
            choice.push_back(text::FromWindowsText(labels[i]));
        }
    }
    return choice;
}

int PositionOfLabel(const std::vector<std::string>& labels, const QString& label) {
    const auto same = [upper = UpperCaseAscii(text::ToWindowsText(label))](
                          const std::string& other) { return UpperCaseAscii(other) == upper; };
    return static_cast<int>(std::ranges::find_if(labels, same) - labels.begin()) +
           db::FirstDataField;
}

} // namespace shelfwise::search
