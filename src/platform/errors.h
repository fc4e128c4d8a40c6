#pragma once
#include <stdexcept>
#include <string>

namespace quorvane {

// Every failure the platform layer raises: a missing or unreadable file, a read
// past the end of a file, an index a control does not hold.
class PlatformError : public std::runtime_error {
public:
    explicit PlatformError(const std::string &what) : std::runtime_error(what) {}
};

} // namespace quorvane
