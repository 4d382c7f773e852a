#pragma once

#include <QString>
#include <cstdint>

namespace shelfwise::exchange {

// The progress window of an export or import as the record loops drive it. The loops ask
// StopRequested between records; a window lets pending events run there, so Stop works.
class TExchangeProgress {
public:
    virtual ~TExchangeProgress() = default;
    virtual void SetCaption(const QString& caption) = 0;
    // Without a known total (a text import) the window shows the count instead of a bar.
    virtual void SetTotal(std::uint32_t total) = 0;
    virtual void SetPosition(std::uint32_t done) = 0;
    virtual bool StopRequested() = 0;
};

} // namespace shelfwise::exchange
