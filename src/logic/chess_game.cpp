// The loaded record as a game of chess, for whoever needs the rules' view of it
// (notation, positions); nobody pays for it who does not ask.

#include "logic/chs_main.h"

namespace quorvane {

const chess::Game &ChsMain::ChessGame() {
    if (const chess::Game *loaded = LoadedGame()) {
        // A game read as such (PGN) is its own chess game.
        if (chessGameRevision_ != lstFieldsList.Revision() || !chessGame_) {
            chessPositions_ = loaded->mainLinePositions();
            chessGame_.reset();
            chessGameRevision_ = lstFieldsList.Revision();
        }
        return *loaded;
    }
    if (!chessGame_ || chessGameRevision_ != lstFieldsList.Revision()) {
        chess::RecordGame record = chess::gameFromTokens(lstFieldsList.Items());
        chessGame_ = chess::gameFromRecord(PgnHeadersOf(m_), record);
        // The record's game plays them already; no need to play them again.
        chessPositions_ = std::move(record.positions);
        chessGameRevision_ = lstFieldsList.Revision();
    }
    return *chessGame_;
}

const std::vector<chess::Position> &ChsMain::ChessPositions() {
    ChessGame();
    return chessPositions_;
}

chess::PgnHeaders PgnHeadersOf(const Module1 &m) {
    // The reader keeps the player lines without their ";" and the date without
    // ";Date: "; headerText reads both forms.
    return {m.strTitleLine, m.strWhitePlayer, m.strBlackPlayer, m.strGameDate};
}

} // namespace quorvane
