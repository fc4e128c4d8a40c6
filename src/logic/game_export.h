#pragma once
// The loaded game going out of the program: PGN to a file the user names or to
// the clipboard, and the position on the board as FEN.

#include "logic/chs_main.h"

#include <string>

namespace quorvane {

// The loaded record's game as PGN (UTF-8); the empty text when none is loaded.
// game, when given, is the record's game as the user changed it (with the
// variations tried on the board).
std::string RecordPgn(ChsMain &form, const chess::Game *game = nullptr);
// The same with what the engines found written in ([%eval] after each move,
// judgements as NAGs and comments, the better line as a variation); the plain
// PGN while no position was searched.
std::string AnalysedPgn(ChsMain &form, const chess::Game *game = nullptr);

// The position after FieldsPosition half-moves as FEN, or why there is none
// (fen empty): the record replays past the point where its chess game stopped.
struct BoardFen {
    std::string fen;
    std::string unavailable;
};
BoardFen PositionFen(ChsMain &form);

// The record's path with ".pgn" in place of its extension ("game.txt" gives
// "game.pgn"), in the same folder.
std::string PgnPathFor(const std::string &recordPath);

// File > Save as PGN: asks where, writes the PGN there and reports a failure in
// a message box. A file already there is replaced only once the new one is
// written whole. Returns true when the file was written.
// File > Save with Analysis is the same with AnalysedPgn.
bool SavePgn(ChsMain &form, SaveDialog &dialog, MessageBox &box, const chess::Game *game = nullptr,
             bool withAnalysis = false);

// Writes bytes to path through a temporary file in the same folder, so that a
// failure leaves any earlier file at path as it was. A symbolic link at path is
// followed and stays a link; a file replaced keeps its mode (and its owner when
// run as root). Raises PlatformError with the reason in a user's words.
void WriteFileWhole(const std::string &path, const std::string &bytes);

} // namespace quorvane
