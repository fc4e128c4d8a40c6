// The analysis of the loaded game, kept beside it.

#include "logic/chs_main.h"

namespace quorvane {

engine::GameAnalysis &ChsMain::Analysis() {
    if (analysisRevision_ != lstFieldsList.Revision()) {
        const chess::Game &game = ChessGame();
        analysis_ = engine::GameAnalysis(game.plies() + 1, game.whiteStarts());
        analysisRevision_ = lstFieldsList.Revision();
    }
    return analysis_;
}

} // namespace quorvane
