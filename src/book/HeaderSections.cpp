#include "book/HeaderSections.h"

#include "settings/FileBytes.h"
#include "settings/ReadError.h"
#include "settings/ValueStreamReader.h"
#include "settings/ValueStreamWriter.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace shelfwise::book {

namespace {

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

int LabelIndex(const std::vector<std::string>& labels, const std::string& caption) {
    for (std::size_t i = 0; i < labels.size(); ++i) {
        if (SameText(labels[i], caption)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace

std::optional<std::vector<HeaderSection>>
THeaderSections::Decode(const std::vector<std::uint8_t>& bytes) {
    try {
        settings::ValueStreamReader reader(bytes);
        std::vector<HeaderSection> sections;
        reader.ReadListBegin();
        while (!reader.EndOfList()) {
            HeaderSection section;
            section.Caption = reader.ReadString();
            section.Width = reader.ReadInteger();
            sections.push_back(std::move(section));
        }
        reader.ReadListEnd();
        return sections;
    } catch (const settings::ReadError&) {
        return std::nullopt;
    }
}

std::vector<std::uint8_t> THeaderSections::Encode() const {
    settings::ValueStreamWriter writer;
    writer.WriteListBegin();
    for (const HeaderSection& section : sections_) {
        writer.WriteString(section.Caption);
        writer.WriteInteger(section.Width);
    }
    writer.WriteListEnd();
    return writer.Bytes();
}

bool THeaderSections::Load(const std::filesystem::path& file,
                           const std::vector<std::string>& fieldLabels) {
    std::optional<std::vector<HeaderSection>> read;
    if (const auto bytes = settings::ReadFileBytes(file)) {
        read = Decode(*bytes);
    }
    SetSections(read.value_or(std::vector<HeaderSection>{}), fieldLabels);
    return read.has_value();
}

bool THeaderSections::Save(const std::filesystem::path& file) const {
    return settings::ReplaceFile(file, Encode());
}

void THeaderSections::SetSections(std::vector<HeaderSection> sections,
                                  const std::vector<std::string>& fieldLabels) {
    sections_ = std::move(sections);
    if (sections_.empty()) {
        SetDefaults(fieldLabels);
    }
    for (HeaderSection& section : sections_) {
        section.FieldIndex = LabelIndex(fieldLabels, section.Caption);
    }
}

void THeaderSections::SetDefaults(const std::vector<std::string>& fieldLabels) {
    sections_.clear();
    const int widths[] = {50, 100};
    for (int i = 0; i < 2; ++i) {
        const std::size_t index = static_cast<std::size_t>(i);
        sections_.push_back(
            {index < fieldLabels.size() ? fieldLabels[index] : std::string(), widths[i], i});
    }
}

void THeaderSections::RenameSections(const std::vector<std::string>& fieldLabels) {
    for (HeaderSection& section : sections_) {
        if (section.FieldIndex >= 0 && section.FieldIndex < static_cast<int>(fieldLabels.size())) {
            section.Caption = fieldLabels[static_cast<std::size_t>(section.FieldIndex)];
        }
    }
}

int THeaderSections::Width(int section) const {
    if (section < 0 || section >= Count()) {
        return 0;
    }
    if (section < Count() - 1) {
        return sections_[static_cast<std::size_t>(section)].Width;
    }
    return std::accumulate(sections_.begin(), sections_.end() - 1, headerWidth_,
                           [](int rest, const HeaderSection& s) { return rest - s.Width; });
}

int THeaderSections::Percent(int section) const {
    if (headerWidth_ <= 0 || section < 0 || section >= Count()) {
        return 0;
    }
    return static_cast<int>(std::nearbyint(Width(section) * 100.0 / headerWidth_));
}

bool THeaderSections::Contains(const std::string& caption) const {
    return std::ranges::any_of(sections_,
                               [&caption](const HeaderSection& s) { return s.Caption == caption; });
}

bool THeaderSections::Insert(const std::string& caption, int fieldIndex) {
    if (Width(Count() - 1) < 0) {
        return false;
    }
    sections_.push_back({caption, 0, fieldIndex});
    MakeRoomForLast();
    return true;
}

void THeaderSections::MakeRoomForLast() {
    const int last = Count() - 1;
    if (last < 1 || Width(last) > 3 || sections_[static_cast<std::size_t>(last - 1)].Width <= 0) {
        return;
    }
    if (const int missing = Width(last); missing < 0) {
        sections_[static_cast<std::size_t>(last - 1)].Width += missing;
    }
    for (int i = last - 1; i >= 0; --i) {
        HeaderSection& section = sections_[static_cast<std::size_t>(i)];
        if (section.Width >= 20) {
            section.Width /= 2;
            return;
        }
    }
}

void THeaderSections::Remove(const std::string& caption) {
    std::erase_if(sections_, [&caption](const HeaderSection& s) { return s.Caption == caption; });
}

void THeaderSections::Move(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= Count() || to >= Count()) {
        return;
    }
    // The last section may have no usable width of its own (an inserted field has none): once
    // it is no longer last it keeps the width it showed.
    if (HeaderSection& last = sections_.back(); last.Width < MinSectionWidth) {
        last.Width = std::max(Width(Count() - 1), MinSectionWidth);
    }
    const HeaderSection moved = sections_[static_cast<std::size_t>(from)];
    sections_.erase(sections_.begin() + from);
    sections_.insert(sections_.begin() + to, moved);
}

void THeaderSections::Resize(int section, int width) {
    if (section >= 0 && section < Count()) {
        sections_[static_cast<std::size_t>(section)].Width = std::max(width, MinSectionWidth);
    }
}

} // namespace shelfwise::book
