// The analysis of the loaded game, kept beside it.

#include "logic/chs_main.h"

#include "engine/annotated_pgn.h"

namespace quorvane {

engine::GameAnalysis &ChsMain::Analysis() {
    if (analysisRevision_ != lstFieldsList.Revision()) {
        // A game saved with its analysis brings it back: its graph and review
        // show without an engine.
        analysis_ = engine::analysisFromGame(ChessGame());
        analysisRevision_ = lstFieldsList.Revision();
    }
    return analysis_;
}

} // namespace quorvane
