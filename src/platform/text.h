#pragma once
// The text functions the logic is written with. Positions count from 1.

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The text from position start on; empty when start lies past the end.
std::string Mid(std::string_view s, std::size_t start);
// At most length characters from position start.
std::string Mid(std::string_view s, std::size_t start, std::size_t length);
// Removes leading space characters (only ' '; a tab stays).
std::string LTrimSpaces(std::string_view s);
// Splits at every single space, keeping empty pieces; the empty text gives no piece.
std::vector<std::string> SplitSpaces(std::string_view s);

} // namespace quorvane
