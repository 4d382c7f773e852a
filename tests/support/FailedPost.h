#pragma once

#include "engine/EngineError.h"
#include "engine/PosixFile.h"
#include "engine/Table.h"

#include <cstdint>

namespace shelfwise::test {

// Posts the record being edited with the table's `nth` file call failing. True when the post
// reached that call; false when it finished before it, so a loop over `nth` can end.
inline bool PostFailingAt(engine::Table& table, std::uint64_t nth) {
    engine::FileFaults::arm(nth, engine::FileFaults::Action::Fail);
    try {
        table.post();
    } catch (const engine::EngineError&) {
    }
    const bool struck = engine::FileFaults::calls() >= nth;
    engine::FileFaults::disarm();
    return struck;
}

} // namespace shelfwise::test
