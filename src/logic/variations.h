#pragma once
// The moves a user tries on the main window's board, kept as variations of the
// loaded game.
//
// The record's replay stays what it is: while the board is on the game's own
// moves, every step goes to the designed events (cmdNext_Click, cmdBack_Click)
// and the board is theirs. A move that leaves the game, or a step into a
// variation, takes the board off the record: it then shows the cursor's
// position, laid out on the 32 piece slots, and the record's board is kept
// aside as it was, to be put back when the user returns to the game's moves.

#include "chess/game_cursor.h"
#include "logic/chs_main.h"
#include "logic/last_move.h"
#include "platform/dialogs.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

class Variations {
public:
    explicit Variations(ChsMain &form);

    // A record is loaded and its game is there to try moves in.
    bool Loaded();
    // The board shows the cursor's position rather than the record's replay.
    bool OffRecord() {
        Forget();
        return off_;
    }
    // The game with the user's variations; null when none is loaded. The
    // cursor stands where the board is (on the record's replay, at
    // FieldsPosition, when the game reaches that far).
    const chess::Game *Game();
    const chess::GameCursor *Cursor();
    // Goes up whenever the working game's tree changes (another game, a move
    // added, a variation deleted or promoted), so a view of it knows when to
    // build its rows again.
    std::uint64_t TreeRevision() {
        Forget();
        return treeRevision_;
    }
    // The board's position as the rules see it; nothing past the point where
    // the record's game stopped, or with no record.
    std::optional<chess::Position> BoardPosition();

    // Right or Next, Left or Back, Home, End. On the record's replay they press
    // the designed buttons (Next enters a variation when one is chosen).
    void Next();
    void Back();
    void Home();
    void End();
    // Up / Down: which move Next plays where the game's move has variations.
    void ChooseNext();
    void ChoosePrevious();
    // What Next plays where there is a choice: "Next: 1... c5, variation 1 of 2
    // (Up/Down to choose)", or "Next: 1... e5, the game's move (...)"; empty
    // where there is none.
    std::string ChoiceText();
    // "Variation: 14. Bc5 Nf6 15. Nd2" while the board is off the record (the
    // last moves of a long one); empty on it.
    std::string VariationCaption();
    // The opening of the position on the board, as "B90 Sicilian: Najdorf":
    // the deepest position of the line so far that the ECO file names. Empty
    // with no game, before the first named position, or without the file.
    std::string OpeningCaption();

    // The board squares (sqrSpace indices) the piece on boardSquare may move to;
    // empty when it is no piece of the side to move, or no position is there.
    std::vector<int> TargetsFrom(int boardSquare);
    // A pawn's move from -> to onto its last rank, which needs a piece chosen.
    bool IsPromotion(int fromBoard, int toBoard);
    // Plays the move from -> to (board squares); promotion names the piece for
    // a pawn reaching its last rank. The game's next move steps the record as
    // Next does; anything else goes into a variation.
    chess::GameCursor::Played Play(int fromBoard, int toBoard,
                                   chess::PieceType promotion = chess::PieceType::None);

    // Back to the record's replay at FieldsPosition, before a designed event
    // that works on it (a jump in the move list, a click on the graph, a load).
    void ReturnToRecord();
    // Goes to path (a click on a move of the Analysis window's list).
    bool GoTo(const chess::GamePath &path);
    // The variation at steps (empty: the cursor's own) removed, or promoted to
    // be the game's main line. False when there is none.
    // With no steps, Delete also takes back moves added after the game's last
    // one, when the board is on them.
    bool DeleteVariation(const std::vector<chess::PathStep> &steps = {});
    // The Edit menu's commands can act on the board's line.
    bool CanDelete();
    // The variation at steps may be deleted: it exists and is not the game's
    // own moves (which a promotion may have made a variation).
    bool CanDeleteVariation(const std::vector<chess::PathStep> &steps);
    bool CanPromote();
    bool PromoteToMainLine(const std::vector<chess::PathStep> &steps = {});

    // The last move's squares as the window marks them: the designed ones on
    // the record, the cursor's last move off it.
    LastMoveSquares LastMove();

    // Variations were made, deleted or promoted since the game was loaded or
    // last saved.
    bool Unsaved();
    void MarkSaved() { unsaved_ = false; }

private:
    // Makes the working game for the loaded record, once per load.
    bool Ensure();
    // Drops the working game of a record no longer loaded.
    void Forget();
    // On the record: brings the cursor to FieldsPosition. False when the game
    // does not reach it.
    bool SyncToRecord();
    // Lays the cursor's position out, first keeping the record's board aside.
    void ShowCursor();
    // The cursor stands where the record's replay can show it.
    bool CursorOnRecord() const;
    void PutRecordBack();
    // Presses the designed Next or Back until FieldsPosition is depth.
    void StepRecordTo(std::size_t depth);
    // Where the cursor's moves stand against the record's after a step forward
    // (Forwarded) or any other change (Recount).
    void Forwarded();
    void Recount();
    // After a change of the cursor: the record's board back when it is on the
    // record again, else the cursor's position.
    void Settle();
    // The variation at steps starts with the record's own move at its depth.
    bool OnRecordPath(const std::vector<chess::PathStep> &steps);
    // How many moves the user added after the game's last one (0 once a
    // promotion changed the main line before them).
    std::size_t AddedAfterGame();

    ChsMain &form_;
    // The line OpeningCaption last named, and its name: a refresh that did
    // not move the board looks nothing up.
    std::vector<chess::Move> openingLine_;
    std::optional<chess::Position> openingStart_;
    std::string openingText_;
    std::optional<chess::Game> game_;
    std::optional<chess::GameCursor> cursor_;
    std::uint64_t revision_ = 0;
    bool off_ = false;
    std::array<ImageControl, board::kPieceCount> recordBoard_{};
    // The record's moves as a game of chess, and how many of the cursor's
    // moves from the start are the record's first ones.
    std::vector<chess::Move> recordMoves_;
    std::size_t common_ = 0;
    bool unsaved_ = false;
    std::uint64_t treeRevision_ = 0;
    // The game has variations somewhere (then Next on the game may take one).
    bool branching_ = false;
};

// Asks whether to save the variations made before another game replaces
// them. True when the caller may go on (saved, or not wanted); false on Cancel
// or when the save did not happen.
bool KeepOrDropVariations(Variations &variations, Question &question, const std::function<bool()> &save);

} // namespace quorvane
