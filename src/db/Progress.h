#pragma once

#include <cstdint>

namespace shelfwise::db {

// The progress window of a long record loop, as the loops drive it. The window lets pending
// events run in StepProgress, so its Stop button works.
class TProgress {
public:
    virtual ~TProgress() = default;
    virtual void SetProgressTotal(std::uint32_t total) = 0;
    virtual void StepProgress() = 0;
    // True once the user asked the loop to stop; the loop then leaves things as they were.
    virtual bool StopRequested() const { return false; }
};

} // namespace shelfwise::db
