#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace shelfwise::book {

inline constexpr const char* HeaderFileName = "header.dat";

struct HeaderSection {
    std::string Caption; // the field's label
    int Width = 0;       // pixels; the last section's own width is never used
    int FieldIndex = -1; // index of the caption in the field label list

    bool operator==(const HeaderSection&) const = default;
};

// The columns of the list header: captions and widths in display order, and the user's
// changes to them. The last section takes whatever width the others leave; the width it
// keeps of its own counts again once it is no longer last.
class THeaderSections {
public:
    static constexpr int MinSectionWidth = 4;

    const std::vector<HeaderSection>& Sections() const { return sections_; }
    int Count() const { return static_cast<int>(sections_.size()); }
    void SetHeaderWidth(int width) { headerWidth_ = width; }
    int HeaderWidth() const { return headerWidth_; }

    // The pairs of the file, field indices from the labels; the two default columns when the
    // file is missing, damaged or empty. True when the file was read.
    bool Load(const std::filesystem::path& file, const std::vector<std::string>& fieldLabels);
    bool Save(const std::filesystem::path& file) const;
    // The value stream: a list of caption and width pairs.
    static std::optional<std::vector<HeaderSection>> Decode(const std::vector<std::uint8_t>& bytes);
    std::vector<std::uint8_t> Encode() const;

    void SetSections(std::vector<HeaderSection> sections,
                     const std::vector<std::string>& fieldLabels);
    // Field labels 0 and 1, 50 and 100 pixels wide.
    void SetDefaults(const std::vector<std::string>& fieldLabels);
    // Captions follow the labels at the sections' field indices.
    void RenameSections(const std::vector<std::string>& fieldLabels);

    int Width(int section) const;
    // Width as a percentage of the header, rounded to nearest; 0 without a header width.
    int Percent(int section) const;
    bool Contains(const std::string& caption) const;

    // Adds the field as the last column and makes room for it; refused while the last column's
    // width is negative.
    bool Insert(const std::string& caption, int fieldIndex);
    void Remove(const std::string& caption);
    // The section moves to the place of another.
    void Move(int from, int to);
    void Resize(int section, int width);

private:
    void MakeRoomForLast();

    std::vector<HeaderSection> sections_;
    int headerWidth_ = 0;
};

} // namespace shelfwise::book
