#include "book/TabOrderFile.h"

#include "settings/FileBytes.h"

#include <algorithm>

namespace shelfwise::book {

std::string TabOrderFileName(std::string_view dataFileName) {
    const auto dot = dataFileName.find('.');
    const auto stem =
        dot == std::string_view::npos ? dataFileName : dataFileName.substr(0, dot + 1);
    return std::string(stem) + "tab";
}

std::string TabOrderLine(const std::vector<std::string>& captions) {
    std::string line;
    for (const auto& caption : captions) {
        if (!caption.empty()) {
            line += caption.back();
        }
    }
    return line;
}

std::optional<std::string> ReadTabOrderLine(const std::filesystem::path& file) {
    const auto bytes = settings::ReadFileBytes(file);
    if (!bytes) {
        return std::nullopt;
    }
    const auto end = std::find_if(bytes->begin(), bytes->end(),
                                  [](std::uint8_t c) { return c == '\r' || c == '\n'; });
    return std::string(bytes->begin(), end);
}

bool WriteTabOrderLine(const std::filesystem::path& file, const std::string& line) {
    const std::string text = line + "\r\n";
    return settings::ReplaceFile(
        file, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::vector<PageMove> TabOrderMoves(std::vector<std::string>& captions, std::string_view line) {
    std::vector<PageMove> moves;
    const int count = static_cast<int>(captions.size());
    for (int to = 0; to < static_cast<int>(line.size()) && to < count; ++to) {
        const auto found = std::find_if(captions.begin(), captions.end(), [&](const auto& c) {
            return !c.empty() && c.back() == line[to];
        });
        if (found == captions.end()) {
            continue;
        }
        const int from = static_cast<int>(found - captions.begin());
        if (from == to) {
            continue;
        }
        auto caption = std::move(captions[from]);
        captions.erase(captions.begin() + from);
        captions.insert(captions.begin() + to, std::move(caption));
        moves.push_back({from, to});
    }
    return moves;
}

} // namespace shelfwise::book
