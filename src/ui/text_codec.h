#pragma once
// Records are single-byte text written on Windows machines; they are kept as
// bytes and decoded only to be shown.

#include <QString>

#include <string_view>

namespace quorvane::ui {

QString fromWindows1252(std::string_view bytes);
// A path as the file system spells it, for showing the file's name.
QString fromLocalPath(std::string_view bytes);
// A path chosen in Qt, as bytes for the file layer.
std::string toLocalPath(const QString &path);

} // namespace quorvane::ui
