#include "settings/TemplateCatalogues.h"

namespace shelfwise::settings {

TemplateCatalogues::TemplateCatalogues(const std::filesystem::path& dataDir)
    : DataDir(dataDir), Filters(FilterTemplates, dataDir), Headers(HeaderTemplates, dataDir),
      Labels(LabelTemplates, dataDir) {}

void TemplateCatalogues::Load() {
    for (TTemplateList* list : {&Filters, &Headers, &Labels}) {
        list->LoadCatalogue(DataDir / list->Kind().CatalogueFile);
    }
}

bool TemplateCatalogues::Save() const {
    bool saved = true;
    for (const TTemplateList* list : {&Filters, &Headers, &Labels}) {
        saved = list->SaveCatalogue(DataDir / list->Kind().CatalogueFile) && saved;
    }
    return saved;
}

} // namespace shelfwise::settings
