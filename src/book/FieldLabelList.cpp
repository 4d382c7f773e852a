#include "book/FieldLabelList.h"

#include "platform/MessageBox.h"
#include "settings/SettingsFiles.h"
#include "text/WindowsText.h"

#include <algorithm>

namespace shelfwise::book {

TFieldLabelList::RenameResult TFieldLabelList::Rename(int field, const std::string& text) {
    auto& labels = settings_.FieldLabels;
    if (std::ranges::all_of(text, [](unsigned char c) { return c <= ' '; })) {
        return RenameResult::Empty;
    }
    const QString wanted = text::FromWindowsText(text);
    if (std::ranges::any_of(labels, [&wanted](const std::string& label) {
            return text::FromWindowsText(label).compare(wanted, Qt::CaseInsensitive) == 0;
        })) {
        return RenameResult::Duplicate;
    }
    labels.at(static_cast<std::size_t>(field - 1)) = text;
    return RenameResult::Renamed;
}

bool TFieldLabelList::SaveLabels() const {
    if (!settings::WriteLabels(settings_)) {
        platform::ShowError("Could not Save Options to a File!");
        return false;
    }
    return true;
}

bool TFieldLabelList::Write(const std::filesystem::path& file) {
    return settings::WriteLabelFile(file, settings_.FieldLabels);
}

bool TFieldLabelList::Read(const std::filesystem::path& file) {
    // The list is only changed once the file was read, so a failure leaves the labels in
    // force; "labels.dat" may not exist yet, as it is written only when labels change.
    const auto read = settings::ReadLabelFile(file);
    if (!read) {
        return false;
    }
    auto& labels = settings_.FieldLabels;
    const std::size_t count = std::min(read->size(), labels.size());
    std::copy_n(read->begin(), count, labels.begin());
    return true;
}

} // namespace shelfwise::book
