#include "book/Fonts.h"

#include "text/WindowsText.h"

namespace shelfwise::book {

QFont ToQFont(const settings::FontRecord& record) {
    QFont font(text::FromWindowsText(record.Name), record.Size);
    font.setBold(record.Bold);
    font.setItalic(record.Italic);
    font.setUnderline(record.Underline);
    font.setStrikeOut(record.StrikeOut);
    return font;
}

settings::FontRecord ToFontRecord(const QFont& font) {
    settings::FontRecord record;
    record.Name = text::ToWindowsText(font.family());
    record.Bold = font.bold();
    record.Italic = font.italic();
    record.Underline = font.underline();
    record.StrikeOut = font.strikeOut();
    record.Size = font.pointSize();
    return record;
}

bool SameFont(const QFont& font, const settings::FontRecord& record) {
    return ToFontRecord(font) == record;
}

} // namespace shelfwise::book
