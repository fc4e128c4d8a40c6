// The loaded record as a game of chess, for whoever needs the rules' view of it
// (notation, positions); nobody pays for it who does not ask.

#include "logic/chs_main.h"

namespace quorvane {

const chess::RecordGame &ChsMain::ChessGame() {
    if (!chessGame_ || chessGameRevision_ != lstFieldsList.Revision()) {
        chessGame_ = chess::gameFromTokens(lstFieldsList.Items());
        chessGameRevision_ = lstFieldsList.Revision();
    }
    return *chessGame_;
}

chess::PgnHeaders PgnHeadersOf(const Module1 &m) {
    // The reader keeps the player lines without their ";" and the date without
    // ";Date: "; headerText reads both forms.
    return {m.strTitleLine, m.strWhitePlayer, m.strBlackPlayer, m.strGameDate};
}

} // namespace quorvane
