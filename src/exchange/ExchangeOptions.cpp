#include "exchange/ExchangeOptions.h"

namespace shelfwise::exchange {

std::vector<int> ExchangeFields(const db::TFieldClasses& classes, int fieldCount) {
    std::vector<int> positions;
    for (int position = db::FirstDataField; position < fieldCount; ++position) {
        if (!classes.PictureFields.test(static_cast<std::size_t>(position))) {
            positions.push_back(position);
        }
    }
    return positions;
}

} // namespace shelfwise::exchange
