#pragma once

#include <stdexcept>
#include <string>

namespace shelfwise::engine {

// The one error type of the table engine: every failed operation throws it with a message
// that callers may show to the user as it stands, and a reason they may act on.
class EngineError : public std::runtime_error {
public:
    enum class Reason {
        Usage,    // a call the state or the arguments do not allow
        Locked,   // the table or a record is held by another open, here or in another program
        Damaged,  // a file's contents are impossible
        NotFound, // a file, tag or record that is not there
        Io,       // the operating system refused or failed a file operation
    };

    explicit EngineError(const std::string& message, Reason reason = Reason::Usage);

    Reason reason() const { return reason_; }

private:
    Reason reason_;
};

} // namespace shelfwise::engine
