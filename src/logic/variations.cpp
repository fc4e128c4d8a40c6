// The user's variations beside the record's replay. The cursor always stands on
// a path of the working game; "on the record" means the moves that lead to it
// are the record's own first moves (common_ == depth), and then the designed
// board shows it. Anywhere else the board shows the cursor's position and the
// designed board waits, untouched, in recordBoard_.

#include "logic/variations.h"

#include "chess/openings.h"

#include "logic/game_load.h"
#include "logic/chess_squares.h"

#include <algorithm>

namespace quorvane {


Variations::Variations(ChsMain &form) : form_(form) {}

void Variations::Forget() {
    // Another record, or none: whatever was tried belonged to the one before,
    // and the load has laid out its own board. Nothing is built here, so a
    // load and every refresh cost what they did until the user tries a move.
    if (!game_ || (form_.lstMoveList.ListCount() > 0 && revision_ == form_.lstFieldsList.Revision()))
        return;
    game_.reset();
    cursor_.reset();
    ++treeRevision_;
    off_ = false;
    unsaved_ = false;
    branching_ = false;
}

bool Variations::Ensure() {
    Forget();
    if (form_.lstMoveList.ListCount() == 0)
        return false;
    if (game_)
        return true;
    // Another record: whatever was tried belonged to the one before, and the
    // load has laid out its own board.
    cursor_.reset();
    game_ = form_.ChessGame(); // a copy: the user's variations grow on it
    ++treeRevision_;
    recordMoves_.clear();
    for (const chess::MoveNode &node : game_->mainLine.moves)
        recordMoves_.push_back(node.move);
    cursor_.emplace(*game_);
    common_ = 0;
    branching_ = false;
    for (const chess::MoveNode &node : game_->mainLine.moves)
        branching_ = branching_ || !node.variations.empty();
    revision_ = form_.lstFieldsList.Revision();
    off_ = false;
    unsaved_ = false;
    return true;
}

bool Variations::Loaded() { return Ensure(); }

const chess::Game *Variations::Game() {
    if (!Ensure())
        return nullptr;
    return &*game_;
}

const chess::GameCursor *Variations::Cursor() {
    if (!Ensure())
        return nullptr;
    if (!off_)
        SyncToRecord();
    return &*cursor_;
}

std::optional<chess::Position> Variations::BoardPosition() {
    if (!Ensure())
        return std::nullopt;
    if (off_)
        return cursor_->position();
    const std::int64_t at = form_.GamePly();
    const std::vector<chess::Position> &positions = form_.ChessPositions();
    if (at < 0 || static_cast<std::size_t>(at) >= positions.size())
        return std::nullopt;
    return positions[static_cast<std::size_t>(at)];
}

void Variations::Forwarded() {
    const std::size_t d = cursor_->depth();
    if (common_ == d - 1 && d - 1 < recordMoves_.size() && cursor_->moveAt(d - 1) == recordMoves_[d - 1])
        common_ = d;
}

void Variations::Recount() {
    common_ = 0;
    const std::size_t d = cursor_->depth();
    while (common_ < d && common_ < recordMoves_.size() && cursor_->moveAt(common_) == recordMoves_[common_])
        ++common_;
}

bool Variations::SyncToRecord() {
    const std::int64_t at = form_.GamePly();
    if (at < 0 || static_cast<std::size_t>(at) > recordMoves_.size())
        return false;
    const auto target = static_cast<std::size_t>(at);
    if (cursor_->depth() == target)
        return true;
    // The cursor is on the record's path (the designed board shows it), so
    // back along it and then forward by the record's moves; a jump pays for its
    // own length once, at the next use.
    while (cursor_->depth() > target) {
        cursor_->back();
        common_ = std::min(common_, cursor_->depth());
    }
    while (cursor_->depth() < target) {
        const chess::Move &want = recordMoves_[cursor_->depth()];
        const std::size_t n = cursor_->choices();
        std::size_t k = 0;
        while (k < n && !(cursor_->choiceMove(k) && cursor_->choiceMove(k)->move == want))
            ++k;
        if (k == n)
            return false; // not reached: the record's moves are never deleted
        cursor_->choose(k);
        cursor_->forward();
        Forwarded();
    }
    return true;
}

void Variations::ShowCursor() {
    if (!off_) {
        recordBoard_ = form_.Image1;
        off_ = true;
    }
    LayOutPosition(cursor_->position(), form_.Image1, form_.sqrSpace);
}

void Variations::PutRecordBack() {
    form_.Image1 = recordBoard_;
    off_ = false;
    // The designed board stands where the cursor left it; step it to where the
    // cursor came back to, along the same moves.
    StepRecordTo(cursor_->depth());
}

void Variations::StepRecordTo(std::size_t depth) {
    const std::int64_t target = form_.FieldsPositionOfPly(static_cast<std::int64_t>(depth));
    while (form_.Position() < target) {
        const std::int64_t before = form_.Position();
        form_.cmdNext_Click();
        if (form_.Position() == before)
            break;
    }
    while (form_.Position() > target)
        form_.cmdBack_Click();
}

void Variations::Settle() {
    if (common_ == cursor_->depth()) {
        if (off_)
            PutRecordBack();
    } else {
        ShowCursor();
    }
}

void Variations::Next() {
    Forget();
    // With no variation anywhere, Next on the game is the designed one; the
    // game of chess is not even built.
    if ((!game_ && !form_.LoadedGame()) || (game_ && !off_ && !branching_) || !Ensure()) {
        form_.cmdNext_Click();
        return;
    }
    if (off_) {
        if (cursor_->forward())
            Forwarded();
        Settle();
        return;
    }
    if (!SyncToRecord() || cursor_->choices() == 0) {
        // Past the end of the game's chess moves the record's replay goes on
        // as it always has.
        form_.cmdNext_Click();
        return;
    }
    if (!cursor_->forward())
        return;
    Forwarded();
    if (common_ == cursor_->depth())
        StepRecordTo(cursor_->depth());
    else
        ShowCursor();
}

void Variations::Back() {
    Forget();
    if (!off_) {
        form_.cmdBack_Click();
        return;
    }
    cursor_->back();
    common_ = std::min(common_, cursor_->depth());
    Settle();
}

void Variations::Home() {
    Forget();
    if (!off_) {
        while (form_.Position() > 0)
            form_.cmdBack_Click();
        return;
    }
    cursor_->home();
    Recount();
    Settle();
}

void Variations::End() {
    Forget();
    if (!off_) {
        for (;;) {
            const std::int64_t before = form_.Position();
            form_.cmdNext_Click();
            if (form_.Position() == before)
                break;
        }
        return;
    }
    cursor_->end();
    Recount();
    Settle();
}

void Variations::ChooseNext() {
    if (Cursor())
        cursor_->chooseNext();
}

void Variations::ChoosePrevious() {
    if (Cursor())
        cursor_->choosePrevious();
}

std::string Variations::ChoiceText() {
    Forget();
    if (!game_ || (!off_ && !branching_))
        return {};
    const chess::GameCursor *c = Cursor();
    if (!c || (!off_ && cursor_->depth() != static_cast<std::size_t>(form_.GamePly())))
        return {};
    const std::size_t n = c->choices();
    if (n < 2)
        return {};
    const chess::MoveNode *next = c->choiceMove(c->choice());
    const std::string san = next ? chess::moveNumberText(c->position()) + " " + next->san : "(no move)";
    const std::string which = c->choice() == 0
                                  ? (c->onMainLine() ? "the game's move" : "the line's move")
                                  : "variation " + std::to_string(c->choice()) + " of " + std::to_string(n - 1);
    return "Next: " + san + ", " + which + " (Up/Down to choose)";
}

std::string Variations::VariationCaption() {
    Forget();
    if (!off_)
        return {};
    return "Variation: " + cursor_->movesText(common_);
}

std::string Variations::OpeningCaption() {
    const chess::GameCursor *c = Cursor();
    if (!c)
        return {};
    std::vector<chess::Move> line;
    line.reserve(c->depth());
    for (std::size_t i = 0; i < c->depth(); ++i)
        line.push_back(c->moveAt(i));
    auto same = [](const chess::Move &a, const chess::Move &b) {
        return a.from == b.from && a.to == b.to && a.promotion == b.promotion;
    };
    if (openingStart_ && chess::positionKey(*openingStart_) == chess::positionKey(c->game().start) &&
        std::equal(line.begin(), line.end(), openingLine_.begin(), openingLine_.end(), same))
        return openingText_;
    const std::optional<chess::Opening> opening = chess::OpeningBook::standard().classify(c->game().start, line);
    openingText_ = opening ? chess::openingText(*opening) : std::string();
    openingStart_ = c->game().start;
    openingLine_ = std::move(line);
    return openingText_;
}

std::vector<int> Variations::TargetsFrom(int boardSquare) {
    std::vector<int> targets;
    if (boardSquare < 0 || boardSquare >= board::kSquareCount || !Cursor())
        return targets;
    if (!off_ && !SyncToRecord())
        return targets;
    const int from = ChessSquareOf(boardSquare);
    chess::MoveList legal;
    cursor_->position().generateLegalMoves(legal);
    for (const chess::Move &m : legal) {
        if (m.from != from)
            continue;
        const int to = BoardSquareOf(m.to);
        if (std::find(targets.begin(), targets.end(), to) == targets.end())
            targets.push_back(to);
    }
    return targets;
}

bool Variations::IsPromotion(int fromBoard, int toBoard) {
    if (!Cursor() || fromBoard < 0 || fromBoard >= 64 || toBoard < 0 || toBoard >= 64)
        return false;
    const auto piece = cursor_->position().pieceAt(ChessSquareOf(fromBoard));
    const int toRank = chess::rankOf(ChessSquareOf(toBoard));
    return piece && piece->type == chess::PieceType::Pawn && piece->color == cursor_->position().sideToMove() &&
           (toRank == 7 || toRank == 0);
}

chess::GameCursor::Played Variations::Play(int fromBoard, int toBoard, chess::PieceType promotion) {
    using Played = chess::GameCursor::Played;
    if (fromBoard < 0 || fromBoard >= 64 || toBoard < 0 || toBoard >= 64 || !Cursor())
        return Played::Illegal;
    if (!off_ && !SyncToRecord())
        return Played::StoppedLine;
    const chess::Move move{ChessSquareOf(fromBoard), ChessSquareOf(toBoard), promotion};
    const Played played = cursor_->play(move);
    if (!chess::GameCursor::took(played))
        return played;
    if (played == Played::NewVariation || played == Played::Extended) {
        unsaved_ = true;
        ++treeRevision_;
    }
    branching_ = branching_ || played == Played::NewVariation;
    Forwarded();
    if (!off_ && common_ == cursor_->depth())
        StepRecordTo(cursor_->depth()); // the record's own next move: its replay plays it
    else
        Settle();
    return played;
}

void Variations::ReturnToRecord() {
    Forget();
    if (!off_)
        return;
    // Back along the tree to where the cursor left the record, then the record's
    // board exactly as it was left.
    while (cursor_->depth() > common_) {
        cursor_->back();
    }
    common_ = std::min(common_, cursor_->depth());
    form_.Image1 = recordBoard_;
    off_ = false;
    SyncToRecord();
}

bool Variations::GoTo(const chess::GamePath &path) {
    if (!Cursor())
        return false;
    if (!cursor_->goTo(path))
        return false;
    Recount();
    if (off_)
        Settle();
    else if (common_ == cursor_->depth())
        StepRecordTo(cursor_->depth());
    else
        ShowCursor();
    return true;
}

bool Variations::OnRecordPath(const std::vector<chess::PathStep> &steps) {
    // The moves from the start to the variation's first move.
    const chess::Line *line = &game_->mainLine;
    std::size_t depth = 0;
    for (std::size_t s = 0; s < steps.size(); ++s) {
        const chess::PathStep &step = steps[s];
        if (!line || step.move >= line->moves.size() || step.variation >= line->moves[step.move].variations.size())
            return false;
        for (std::size_t i = 0; i < step.move; ++i, ++depth)
            if (depth >= recordMoves_.size() || !(line->moves[i].move == recordMoves_[depth]))
                return false;
        line = &line->moves[step.move].variations[step.variation];
    }
    return !line->moves.empty() && depth < recordMoves_.size() && line->moves.front().move == recordMoves_[depth];
}

std::size_t Variations::AddedAfterGame() {
    // Moves past the record's end on the main line, when that line is still
    // the record's up to there.
    const chess::Line &main = game_->mainLine;
    if (main.moves.size() <= recordMoves_.size())
        return 0;
    for (std::size_t i = 0; i < recordMoves_.size(); ++i)
        if (!(main.moves[i].move == recordMoves_[i]))
            return 0;
    return main.moves.size() - recordMoves_.size();
}

bool Variations::CanDelete() {
    Forget();
    if (!off_)
        return false;
    const chess::GameCursor *c = Cursor();
    if (!c)
        return false;
    if (c->onMainLine())
        return AddedAfterGame() > 0 && c->path().played > recordMoves_.size();
    return !OnRecordPath(c->path().steps);
}

bool Variations::CanPromote() {
    Forget();
    if (!game_ || (!off_ && !branching_))
        return false;
    const chess::GameCursor *c = Cursor();
    return c && !c->onMainLine();
}

bool Variations::DeleteVariation(const std::vector<chess::PathStep> &given) {
    if (!Cursor())
        return false;
    if (given.empty() && cursor_->onMainLine()) {
        if (!off_ || AddedAfterGame() == 0 || cursor_->path().played <= recordMoves_.size() ||
            !cursor_->cutLine(recordMoves_.size()))
            return false;
        unsaved_ = true;
        ++treeRevision_;
        Recount();
        Settle();
        return true;
    }
    const std::vector<chess::PathStep> steps = given.empty() ? cursor_->path().steps : given;
    // The game's own moves as read stay, even where a promotion made them a
    // variation.
    if (steps.empty() || OnRecordPath(steps))
        return false;
    if (!cursor_->deleteVariation(steps))
        return false;
    unsaved_ = true;
    ++treeRevision_;
    Recount();
    if (off_)
        Settle();
    return true;
}

bool Variations::CanDeleteVariation(const std::vector<chess::PathStep> &steps) {
    if (steps.empty() || !Ensure())
        return false;
    chess::GamePath path{steps, 0};
    return game_->lineAt(path) && !OnRecordPath(steps);
}

bool Variations::PromoteToMainLine(const std::vector<chess::PathStep> &given) {
    if (!Cursor())
        return false;
    std::vector<chess::PathStep> steps = given.empty() ? cursor_->path().steps : given;
    if (steps.empty())
        return false;
    // Promoting renames paths, never the moves that lead to the cursor, so the
    // board stays as it is, whichever board it is.
    // Each promotion makes the variation part of the line it branched from,
    // whose own path is the same steps but the last; that line goes next.
    for (; !steps.empty(); steps.pop_back())
        if (!cursor_->promote(steps))
            return false;
    unsaved_ = true;
    ++treeRevision_;
    return true;
}

LastMoveSquares Variations::LastMove() {
    Forget();
    if (!off_)
        return LastMoveOf(form_);
    const chess::Move *m = cursor_->lastMove();
    if (!m)
        return {};
    return {BoardSquareOf(m->from), BoardSquareOf(m->to)};
}

bool Variations::Unsaved() {
    Forget();
    return unsaved_;
}

bool KeepOrDropVariations(Variations &variations, Question &question, const std::function<bool()> &save) {
    if (!variations.Unsaved())
        return true;
    switch (question.Ask("This game has variations you played that are not saved. Save them as PGN first?",
                         "Variations")) {
    case Answer::Yes: return save();
    case Answer::No: return true;
    case Answer::Cancel: return false;
    }
    return false;
}

} // namespace quorvane
