#pragma once
// The program-wide state of a game record: the chosen path, what the reader took
// from the file, and the half-move being decoded. It lives for the whole run.

#include "platform/text_file.h"

#include <memory>
#include <string>
#include <vector>

namespace quorvane {

class MessageBox;

struct Module1 {
    // Full path of the chosen record; empty until a file was chosen.
    std::string strFileName;
    // Number of lines of the record - 6: the index of the last move line.
    int intLastMoveLine = 0;
    // The move lines without their numbers, 0 to intLastMoveLine.
    std::vector<std::string> arrMoveLines;
    // Line 1 of the record as read (";Title: ..."), for the PGN's Event tag.
    std::string strTitleLine;
    std::string strWhitePlayer;
    std::string strBlackPlayer;
    std::string strGameDate;
    // Why the last count of a record's lines failed, in a user's words ("no such
    // file", "fewer than 6 lines"); empty after a count that succeeded.
    std::string strCountFailure;
    // The half-move token in work.
    std::string varCurrentMove;
    // The decoded half-move: square names, or "o-o" / "o-o-o" and an empty to-square.
    std::string strFromSquare;
    std::string strToSquare;
    // Created on first use and kept; tests put their own in place beforehand.
    std::unique_ptr<FileSystem> objFileSystem;

    FileSystem &FileSystemObject();
};

// Decodes varCurrentMove into strFromSquare and strToSquare. Writes nothing
// while strFileName is empty, or for the token "end".
void CaseMoves(Module1 &m, MessageBox &box);

} // namespace quorvane
