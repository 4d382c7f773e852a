#pragma once

#include "settings/TemplateList.h"

#include <filesystem>

namespace shelfwise::settings {

// The three template catalogues of a session, kept in the data directory.
struct TemplateCatalogues {
    explicit TemplateCatalogues(const std::filesystem::path& dataDir);

    // "filters.tml", "headers.tml", "labels.tml", in this order.
    void Load();
    bool Save() const;

    std::filesystem::path DataDir;
    TTemplateList Filters;
    TTemplateList Headers;
    TTemplateList Labels;
};

} // namespace shelfwise::settings
