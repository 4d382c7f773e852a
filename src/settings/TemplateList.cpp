#include "settings/TemplateList.h"

#include "settings/FileBytes.h"
#include "settings/ReadError.h"
#include "settings/SettingsFiles.h"
#include "settings/TemplateContents.h"
#include "settings/ValueStreamReader.h"
#include "settings/ValueStreamWriter.h"

#include <algorithm>
#include <unordered_set>

namespace shelfwise::settings {

namespace {

constexpr int MaxFileNumber = 32000;
constexpr std::size_t MaxFileNameLength = 12;

} // namespace

TTemplateList::TTemplateList(TemplateKind kind, std::filesystem::path dataDir)
    : kind_(kind), dataDir_(std::move(dataDir)) {}

void TTemplateList::LoadCatalogue(const std::filesystem::path& file) {
    templates_.clear();
    const auto bytes = ReadFileBytes(file);
    if (!bytes) {
        return;
    }
    std::vector<TTemplate> loaded;
    try {
        ValueStreamReader in(*bytes);
        in.ReadListBegin();
        while (!in.EndOfList()) {
            TTemplate entry;
            entry.Name = in.ReadString();
            entry.FileName = in.ReadString();
            if (IsPlainFileName(entry.FileName)) {
                loaded.push_back(std::move(entry));
            }
        }
        in.ReadListEnd();
    } catch (const ReadError&) {
        return;
    }
    templates_ = std::move(loaded);
}

bool TTemplateList::SaveCatalogue(const std::filesystem::path& file) const {
    ValueStreamWriter out;
    out.WriteListBegin();
    for (const auto& entry : templates_) {
        out.WriteString(entry.Name);
        out.WriteString(entry.FileName);
    }
    out.WriteListEnd();
    return ReplaceFile(file, out.Bytes());
}

std::optional<std::string> TTemplateList::NewFileName() const {
    std::unordered_set<std::string_view> used;
    for (const auto& entry : templates_) {
        used.insert(entry.FileName);
    }
    for (int n = 1; n <= MaxFileNumber; ++n) {
        auto candidate =
            ("tml" + std::to_string(n) + std::string(kind_.Extension)).substr(0, MaxFileNameLength);
        if (!used.contains(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

bool TTemplateList::AddTemplate(const std::string& name) {
    if (contents_ == nullptr || FindTemplate(name)) {
        return false;
    }
    auto fileName = NewFileName();
    if (!fileName || !contents_->Write(dataDir_ / *fileName)) {
        return false;
    }
    templates_.push_back({name, std::move(*fileName)});
    return true;
}

std::optional<std::size_t> TTemplateList::FindTemplate(std::string_view name) const {
    const auto found = std::find_if(templates_.begin(), templates_.end(),
                                    [name](const TTemplate& entry) { return entry.Name == name; });
    if (found == templates_.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - templates_.begin());
}

bool TTemplateList::LoadTemplate(std::string_view name) {
    const auto index = FindTemplate(name);
    return index && contents_ != nullptr && contents_->Read(dataDir_ / templates_[*index].FileName);
}

void TTemplateList::DeleteTemplate(std::size_t index) {
    if (index >= templates_.size()) {
        return;
    }
    std::error_code alreadyGone;
    std::filesystem::remove(dataDir_ / templates_[index].FileName, alreadyGone);
    templates_.erase(templates_.begin() + static_cast<std::ptrdiff_t>(index));
}

} // namespace shelfwise::settings
