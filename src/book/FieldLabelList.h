#pragma once

#include "settings/Settings.h"
#include "settings/TemplateContents.h"

#include <string>

namespace shelfwise::book {

// The field label list of the session: renaming one label under the list's rules, saving it
// to "labels.dat", and the label kind of the template catalogue.
class TFieldLabelList : public settings::TTemplateContents {
public:
    enum class RenameResult { Renamed, Empty, Duplicate };

    explicit TFieldLabelList(settings::Settings& settings) : settings_(settings) {}

    // The label of field number `field` (1-based) becomes `text` unless it is blank or equals
    // any label of the list ignoring letter case, its own included.
    RenameResult Rename(int field, const std::string& text);
    // Writes "labels.dat"; a failure is reported and the labels stay in force for this run.
    bool SaveLabels() const;

    // A template writes the list; reading relabels by position. Fields a short template does
    // not reach keep their labels, so no field is ever left without a name; a template that
    // cannot be read changes nothing.
    bool Write(const std::filesystem::path& file) override;
    bool Read(const std::filesystem::path& file) override;

private:
    settings::Settings& settings_;
};

} // namespace shelfwise::book
