// The analysis of the loaded game, kept beside it.

#include "logic/chs_main.h"

namespace quorvane {

engine::GameAnalysis &ChsMain::Analysis() {
    if (analysisRevision_ != lstFieldsList.Revision()) {
        const std::vector<chess::Position> &positions = ChessPositions();
        analysis_ = engine::GameAnalysis(positions.size(), positions.front().sideToMove() == chess::Color::White);
        analysisRevision_ = lstFieldsList.Revision();
    }
    return analysis_;
}

} // namespace quorvane
