#pragma once

#include <filesystem>

namespace shelfwise::settings {

// A template kind's way of saving and restoring its current contents (the list header's
// sections, the field labels, the filter) as one template file.
class TTemplateContents {
public:
    virtual ~TTemplateContents() = default;

    // False when the file could not be written.
    virtual bool Write(const std::filesystem::path& file) = 0;
    // False when the file could not be read. A kind that cleared its contents before reading
    // restores a usable state itself before it reports the failure (the label kind reloads
    // "labels.dat").
    virtual bool Read(const std::filesystem::path& file) = 0;
};

} // namespace shelfwise::settings
