#pragma once
// The main window's state and procedures, without Qt: its controls, its public
// variables and everything its events do. The Qt window (ui/) owns one, sends it
// the user's events and then shows its controls.

#include "board/board.h"
#include "chess/game.h"
#include "chess/pgn.h"
#include "chess/record_game.h"
#include "engine/game_analysis.h"
#include "game/mail_finder.h"
#include "game/module1.h"
#include "platform/controls.h"
#include "platform/dialogs.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvane {

class MappedFile;

// The clipboard's text for Edit > Paste Game, or std::nullopt after a box that
// says why there is none to take: more than Clipboard::kMaxPasteBytes is refused
// before anything reads it.
std::optional<std::string> PastedText(Clipboard &clipboard, MessageBox &box);

class ChsMain {
public:
    ChsMain(Module1 &module, FileDialog &dialog, MessageBox &box);

    // ---- Controls ----
    ListBox lstMoveList;   // the numbered move lines, shown
    ListBox lstFieldsList; // the half-move tokens, two per move line, hidden
    Label lblWhitePlayer;
    Label lblBlackPlayer;
    Label lblDate;
    Label lblFileName;
    std::array<ShapeControl, board::kSquareCount> sqrSpace;
    std::array<ImageControl, board::kPieceCount> Image1;
    FileDialog &CommonDialog1;

    // ---- Public variables ----
    // Half-moves played, which is also the index of the next one in
    // lstFieldsList. Unset until the first load, and counted as 0 while unset.
    // Wide, so that the longest record (65,524 half-moves) steps without overflow.
    std::optional<std::int64_t> FieldsPosition;
    // Position of the square last found.
    float intLeft = 0;
    std::int32_t intTop = 0;
    // False only between a failed count and the loader's test right after it.
    bool Status = false;

    // ---- E-mail ----
    // Both null unless the window provides them; without a parser every file
    // is read as a record.
    MessageParser *MailParser = nullptr;
    GameChooser *Chooser = nullptr;
    // Why the last open or paste of e-mail gave no game; empty when it did.
    std::string MailFailure;

    // Called with the path and why it could not be read just before the
    // "Invalid File" box shows, so that a record named on the command line is
    // reported on standard error while the box is up, not after it closes.
    std::function<void(const std::string &path, const std::string &reason)> BeforeInvalidBox;

    // ---- Events ----
    void Form_Initialize();
    void mnuOpen_Click();
    // What File > Open does once the dialog has reported path.
    void OpenFile(const std::string &path);
    // Edit > Paste Game with the clipboard's text (UTF-8): the game in it, shown
    // under the name "(pasted)".
    void PasteGame(const std::string &text);
    void cmdNext_Click();
    void cmdBack_Click();
    void lstMoveList_DblClick();
    // keyAscii is the character code of the key; 13 is Enter. It is left as it
    // is, so the key reaches the list as well.
    void lstMoveList_KeyPress(int &keyAscii);

    // ---- Public methods ----
    void SetNewFile();
    void CallReset();

    // ---- Procedures (public so that tests can drive them one by one) ----
    void ResetBoard();
    void FillFieldsList();
    bool LoadNextMove();
    void FindToSquare();
    void FindFromSquare();
    void StepForward();
    void StepBack();
    void HighlightMoveLine();

    // The loaded record as a game of chess (its headers as tags, the hidden
    // list's half-moves as moves), made on first use and kept until the list
    // changes (a new load).
    const chess::Game &ChessGame();
    // The positions of ChessGame()'s main line: [0] the start, [k] after k
    // half-moves; kept with it.
    const std::vector<chess::Position> &ChessPositions();

    // What the engines found in the loaded game: one evaluation per position of
    // its main line. It belongs to the game, not to the Analysis window, so it
    // outlives the window and its engines; another load starts an empty one.
    engine::GameAnalysis &Analysis();

    // ---- A game of the rules' model (PGN) ----
    // Loads game as if it were a record named path (logic/game_load.cpp): its
    // moves become the tokens the designed decoder reads, its position is laid
    // out on the 32 piece slots, the move list shows SAN, and the labels show
    // the players, the date and the file name. The designed stepping then
    // replays it. A game that Black begins has an "end" token first, already
    // played, so that White's half-moves stay at even indexes.
    void LoadGame(chess::Game game, const std::string &path);
    // The loaded Game while the lists hold it; null for a record.
    const chess::Game *LoadedGame() const;
    // Half-moves of the game's main line played at the board's position:
    // FieldsPosition without the leading "end" of a game that Black begins.
    std::int64_t GamePly() const;
    // FieldsPosition that shows the game after ply half-moves.
    std::int64_t FieldsPositionOfPly(std::int64_t ply) const;
    // Why the loaded game stops before its end, as describeStop says it; empty
    // when it does not (and for a record).
    const std::string &GameStop() const;

    // Ctrl+Page Down / Ctrl+Page Up: loads the next (step 1) or previous (-1)
    // game of the file (a PGN database, a mailbox) the game on the board came
    // from. False, with nothing changed, when there is no such game.
    bool OpenAdjacentGame(int step);
    // The game of its file on the board (0 for the first), while it is there.
    std::optional<std::size_t> GameOfFile() const;

    // View > Standard Notation: a record's move list in SAN, for as far as the
    // rules game goes, instead of the record's squares. The record's data stays
    // as read; a PGN game is always in SAN.
    bool StandardNotation = false;
    // Rewrites a record's move list in the notation chosen; the selection stays.
    void ShowNotation();

    // FieldsPosition, with unset counted as 0.
    std::int64_t Position() const { return FieldsPosition.value_or(0); }
    Module1 &module() { return m_; }
    MessageBox &messageBox() { return box_; }

private:
    void FindSquare(const std::string &name);
    // Opens path as e-mail when its content is e-mail; false leaves it to the
    // record reader.
    bool OpenMailFile(const std::string &path);
    // Loads a game found in e-mail, or the "Invalid File" box for none; a
    // mailbox's several games go through the chooser first.
    void LoadFoundGame(const std::string &path, MailScan scan);
    // Loads record through the designed reader and loader as if it were the
    // file at path.
    void LoadRecordText(const std::string &path, std::string record);

    // Where the game on the board came from, when its file holds several: the
    // games' bytes in the file (PGN), or the records a mailbox held.
    struct GameSource {
        std::string path;
        std::vector<std::pair<std::uint64_t, std::uint64_t>> spans; // offset, length
        // A mailbox's games: spans are where their messages lie in its text.
        std::shared_ptr<const MailScan> mail;
        // A database stays mapped while one of its games is shown: giving a
        // gigabyte's mapping back takes longer than opening a game, and
        // Ctrl+Page Down reads the same bytes the spans were found in.
        std::shared_ptr<const MappedFile> file;
        std::size_t current = 0;
        // More games may follow the spans: a game of a database may be chosen
        // while the list is still scanning the file.
        bool partial = false;
        std::size_t size() const { return spans.size(); }
    };
    // Opens path as PGN when its content is PGN (logic/pgn_open.cpp); false
    // leaves it to the other readers.
    bool OpenPgnFile(const std::string &path);
    // Pasted text that is PGN: its first game, or a box that says why it
    // cannot be shown. False when the text is no PGN.
    bool PastePgn(const std::string &text);
    // Reads the game at source.current from bytes and loads it; a game that
    // cannot be read changes nothing and the box says why.
    bool LoadPgnSpan(std::string_view bytes, GameSource source);
    // The record of a mailbox source's current game (logic/mail_open.cpp).
    std::string MailRecordOf(const GameSource &source);
    std::optional<GameSource> source_;
    std::uint64_t sourceRevision_ = 0;
    std::string pastedText_;

    Module1 &m_;
    MessageBox &box_;
    // What Back must undo beyond the designed moves, per piece slot: the
    // half-move that promoted it (-1 for none), and whether it was taken en
    // passant (then it goes back beside the capturing pawn, not onto its square).
    std::array<std::int64_t, board::kPieceCount> promotedAt_;
    std::array<bool, board::kPieceCount> takenEnPassant_{};
    // The loaded Game, valid while lstFieldsList is at loadedRevision_.
    std::optional<chess::Game> loadedGame_;
    std::uint64_t loadedRevision_ = 0;
    std::int64_t plyOffset_ = 0;
    std::string gameStop_;
    std::optional<chess::Game> chessGame_;
    std::vector<chess::Position> chessPositions_;
    std::uint64_t chessGameRevision_ = 0;
    engine::GameAnalysis analysis_;
    std::optional<std::uint64_t> analysisRevision_;
};

// The PGN header lines of the record the reader last read.
chess::PgnHeaders PgnHeadersOf(const Module1 &m);

} // namespace quorvane
