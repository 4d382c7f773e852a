#include "engine/EngineError.h"

#include <gtest/gtest.h>

using shelfwise::engine::EngineError;

TEST(EngineError, CarriesItsMessage) {
    try {
        throw EngineError("table is locked");
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "table is locked");
    }
}
