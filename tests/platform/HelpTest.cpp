#include "platform/Help.h"

#include "support/TestFiles.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace shelfwise::platform;
namespace fs = std::filesystem;

TEST(Help, AContextOpensItsOwnPageOrTheContentsPage) {
    const shelfwise::test::TemporaryDirectory scratch("sw-help");
    const fs::path& dir = scratch.Path();
    std::ofstream(dir / "index.html") << "<a name=\"context123\"></a>";
    std::ofstream(dir / "42.html") << "own page";
    SetHelpDirectory(dir);

    EXPECT_EQ(HelpPageFor(42), dir / "42.html");
    EXPECT_EQ(HelpPageFor(123), dir / "index.html");
    EXPECT_EQ(HelpPageFor(0), dir / "index.html");
}
