#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shelfwise::settings {

class TTemplateContents;

// The catalogue file and template file extension of one template kind.
struct TemplateKind {
    std::string_view CatalogueFile;
    std::string_view Extension;
};

inline constexpr TemplateKind HeaderTemplates{"headers.tml", ".hdr"};
inline constexpr TemplateKind LabelTemplates{"labels.tml", ".lab"};
inline constexpr TemplateKind FilterTemplates{"filters.tml", ".flt"};

// One saved template: the name the user gave and its file in the data directory.
struct TTemplate {
    std::string Name;
    std::string FileName; // at most 12 characters

    bool operator==(const TTemplate&) const = default;
};

// A catalogue of named templates of one kind. Templates are saved to and read from their
// own files at once; the catalogue file itself is written only when the caller saves it.
class TTemplateList {
public:
    TTemplateList(TemplateKind kind, std::filesystem::path dataDir);

    const TemplateKind& Kind() const { return kind_; }
    // The kind's contents arrive with the window that owns them; until then templates can be
    // listed but not added or loaded.
    void SetContents(TTemplateContents* contents) { contents_ = contents; }
    TTemplateContents* Contents() const { return contents_; }

    // Empties the list, then reads the catalogue file. A missing or damaged file leaves the
    // list empty; entries whose file name is not a plain file name are dropped.
    void LoadCatalogue(const std::filesystem::path& file);
    bool SaveCatalogue(const std::filesystem::path& file) const;

    // Refused when a template has exactly this name, when no file name is free or when the
    // contents could not be written.
    bool AddTemplate(const std::string& name);
    std::optional<std::size_t> FindTemplate(std::string_view name) const;
    // False when the name is unknown or the kind could not read the file.
    bool LoadTemplate(std::string_view name);
    // Removes the entry and its file; an index out of range does nothing.
    void DeleteTemplate(std::size_t index);
    const TTemplate& TemplateAt(std::size_t index) const { return templates_.at(index); }
    std::size_t Count() const { return templates_.size(); }

    // "tml" + n + extension cut to 12 characters for the first n in 1..32000 that no entry uses.
    std::optional<std::string> NewFileName() const;

private:
    TemplateKind kind_;
    std::filesystem::path dataDir_;
    TTemplateContents* contents_ = nullptr;
    std::vector<TTemplate> templates_;
};

} // namespace shelfwise::settings
