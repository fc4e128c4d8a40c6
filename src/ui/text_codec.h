#pragma once
// Records are single-byte text written on Windows machines; they are kept as
// bytes and decoded only to be shown.

#include <QString>

#include <cstddef>
#include <string_view>

namespace quorvane::ui {

QString fromWindows1252(std::string_view bytes);

// The most characters a list row or a label shows of a text: far more than any of
// the boxes has room for, and few enough that a line of megabytes costs nothing
// to convert, measure or paint.
inline constexpr std::size_t kShownChars = 300;
// The start of a record's text as a box shows it: at most kShownChars
// characters, followed by an ellipsis when the text goes on.
QString shownWindows1252(std::string_view bytes);
// The same for UTF-8 text (the game list's tags); line ends show as spaces.
QString shownUtf8(std::string_view text);
// A path as the file system spells it, for showing the file's name.
QString fromLocalPath(std::string_view bytes);
// A path chosen in Qt, as bytes for the file layer.
std::string toLocalPath(const QString &path);

} // namespace quorvane::ui
