#pragma once

#include <filesystem>
#include <functional>

namespace shelfwise::platform {

// The help file is a set of HTML pages: the page "index.html" of the help directory holds one
// anchor "context<N>" per help context number N, and a context may also have a page "<N>.html"
// of its own, which is preferred.
void SetHelpDirectory(const std::filesystem::path& directory);
std::filesystem::path HelpDirectory();

// The page and anchor that context N opens.
std::filesystem::path HelpPageFor(int context);

// Opens the help viewer of the program at the page of the context (0 = the contents).
void ShowHelp(int context);

// Test hook: while set, the viewer is not opened; the hook gets the context instead.
void SetHelpHook(std::function<void(int)> hook);

} // namespace shelfwise::platform
