#pragma once

#include "engine/EngineError.h"
#include "engine/FieldDescriptor.h"
#include "engine/Table.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace shelfwise::engine::testing {

// A fresh directory per test, removed afterwards.
class TableFixture : public ::testing::Test {
protected:
    explicit TableFixture(
        const std::filesystem::path& under = std::filesystem::temp_directory_path())
        : scratch_("engine", under) {}

    // A table with one field of every kind: NAME C(20), PRICE N(10,2), RATE F(12,4),
    // ADDED D, ACTIVE L, NOTES M, LOGO B.
    static FieldList everyKind() {
        return {{"NAME", 'C', 20, 0}, {"PRICE", 'N', 10, 2}, {"RATE", 'F', 12, 4},
                {"ADDED", 'D', 8, 0}, {"ACTIVE", 'L', 1, 0}, {"NOTES", 'M', 10, 0},
                {"LOGO", 'B', 10, 0}};
    }

    void openOn(Table& table, const std::string& name, bool exclusive = false) const {
        table.setDirectory(dir);
        table.setFileName(name);
        table.setExclusive(exclusive);
        table.open();
    }

    // The reason of the EngineError the action throws; none when it throws nothing.
    template <typename Action>
    static std::optional<EngineError::Reason> reasonOf(const Action& action) {
        try {
            action();
        } catch (const EngineError& e) {
            return e.reason();
        }
        return std::nullopt;
    }

private:
    shelfwise::test::TemporaryDirectory scratch_;

protected:
    std::filesystem::path dir = scratch_.Path();
};

} // namespace shelfwise::engine::testing
