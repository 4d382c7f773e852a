#include "book/NavigationRules.h"

#include <algorithm>

namespace shelfwise::book {

int LastPageStart(int count, int rowsPerPage) {
    int start = rowsPerPage * (count / rowsPerPage);
    if (start > 0 && start == count) {
        start -= rowsPerPage;
    }
    return start;
}

PositionTexts PositionLabelTexts(int position, int count, bool newRecord) {
    PositionTexts texts;
    if (!newRecord) {
        texts.Position = QString::number(position).left(6);
    }
    int percent = 100;
    if (count > 0) {
        // Integer halves, so a tie is seen exactly and goes to the even neighbour.
        const long long scaled = static_cast<long long>(position) * 100;
        long long quotient = scaled / count;
        const long long twice = 2 * (scaled % count);
        if (twice > count || (twice == count && quotient % 2 != 0)) {
            ++quotient;
        }
        percent = static_cast<int>(std::min<long long>(quotient, 100));
    }
    texts.Percent = QString::number(percent) + QLatin1Char('%');
    return texts;
}

PagingCommands EnabledPagingCommands(const PagingInput& in) {
    PagingCommands commands;
    const bool beyondPage = in.PageStart + in.RowsPerPage < in.RangeCount;
    commands.First = in.PageStart > 0;
    commands.Last = beyondPage;
    commands.PageUp = in.PageStart > 0 || (in.LettersActive && in.CurrentLetter != 'A');
    commands.PageDown = beyondPage || (in.LettersActive && in.CurrentLetter != 'Z');
    if (in.ReadOnlyAndEmpty) {
        return commands;
    }
    if (in.NewRecord) {
        commands.Previous = commands.Next = true;
    } else if (!in.LettersActive) {
        commands.Previous = in.RecordPosition != 1;
        commands.Next = in.RecordPosition != in.RangeCount;
    } else {
        commands.Previous =
            !(in.RecordPosition == 1 && (in.RecordLetter == 'A' || !in.EarlierLetterHasRecords));
        commands.Next = !(in.RecordPosition == in.RecordLetterCount && !in.LaterLetterHasRecords);
    }
    return commands;
}

} // namespace shelfwise::book
