#pragma once
// The two passes over a game record: count its lines, then read its header texts
// and move lines.

#include "game/module1.h"

#include <functional>
#include <string_view>
#include <utility>

namespace quorvane {

// The most lines a record may have: the line counter of the format is a 16-bit
// signed integer.
constexpr int kMaxRecordLines = 32767;
// Five header lines and at least one move line.
constexpr int kMinRecordLines = 6;

// First pass. Sets intLastMoveLine and sizes arrMoveLines. Any failure (no such
// file, unreadable, fewer than six lines, more than 32,767) is consumed: it keeps
// the reason in strCountFailure, calls callReset and returns normally.
void CountMoveLines(Module1 &m, const std::function<void()> &callReset);

// Second pass. Fills the three header texts and every move line. Reads exactly
// the lines the count found; a file shortened in between raises PlatformError.
void ReadGameFile(Module1 &m);

// The two half-move tokens of a move line without its number: the text up to
// the first space, and the text after it up to the next; either may be empty
// (a game that ended on White's move).
std::pair<std::string_view, std::string_view> SplitHalfMoves(std::string_view moveLine);

// The move line without its number: "12. e2-e4 e7-e5" gives "e2-e4 e7-e5".
std::string CutMoveNumber(const std::string &line);
// The same cut, made in the line itself.
void CutMoveNumberInPlace(std::string &line);

} // namespace quorvane
