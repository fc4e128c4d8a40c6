// The analysis of the loaded game, kept beside it.

#include "logic/chs_main.h"

namespace quorvane {

engine::GameAnalysis &ChsMain::Analysis() {
    if (analysisRevision_ != lstFieldsList.Revision()) {
        const chess::RecordGame &game = ChessGame();
        analysis_ = engine::GameAnalysis(game.positions.size(),
                                         game.positions.front().sideToMove() == chess::Color::White);
        analysisRevision_ = lstFieldsList.Revision();
    }
    return analysis_;
}

} // namespace quorvane
