#pragma once
#include <stdexcept>
#include <string>

namespace quorvane {

// Every failure the platform layer raises: a missing or unreadable file, a read
// past the end of a file, an index a control does not hold.
class PlatformError : public std::runtime_error {
public:
    explicit PlatformError(const std::string &what, std::string reason = {})
        : std::runtime_error(what), reason_(std::move(reason)) {}
    // Why a file could not be read, in the few words a user is told after its
    // name ("no such file", "not a regular file", "too large"); empty for
    // failures that are not about a file.
    const std::string &reason() const { return reason_; }

private:
    std::string reason_;
};

} // namespace quorvane
