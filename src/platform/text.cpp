#include "platform/text.h"

namespace quorvane {

std::string Mid(std::string_view s, std::size_t start) {
    if (start < 1 || start > s.size())
        return {};
    return std::string(s.substr(start - 1));
}

std::string Mid(std::string_view s, std::size_t start, std::size_t length) {
    if (start < 1 || start > s.size())
        return {};
    return std::string(s.substr(start - 1, length));
}

std::string LTrimSpaces(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(s.substr(first));
}

std::vector<std::string> SplitSpaces(std::string_view s) {
    std::vector<std::string> pieces;
    if (s.empty())
        return pieces;
    std::size_t from = 0;
    for (;;) {
        const auto at = s.find(' ', from);
        if (at == std::string_view::npos) {
            pieces.emplace_back(s.substr(from));
            return pieces;
        }
        pieces.emplace_back(s.substr(from, at - from));
        from = at + 1;
    }
}

} // namespace quorvane
