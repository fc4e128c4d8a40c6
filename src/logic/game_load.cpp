// Loading a game of the rules' model (read from PGN) into the window's logic.
// The game is turned into what a record would have given: tokens for the
// designed decoder, numbered move lines, the labels' texts and the pieces on
// their squares. From then on the designed stepping replays it, so everything
// that works on a record (Next, Back, jumps, the last-move mark, Flip) works
// on it unchanged.

#include "logic/game_load.h"

#include "game/mail_text.h"
#include "logic/chs_main.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace quorvane {

namespace {

// Hidden slots carry a Tag that no decoded half-move names: the decoder gives
// two characters at most, and captured pieces are tagged with numbers.
constexpr const char *kUnusedSlotTag = "unused";
// Stands for White's half-move in a game that Black begins; the decoder and
// the stepping play nothing for it.
constexpr const char *kNoHalfMove = "end";
// The move text of a stop is shown cut to this many bytes.
constexpr std::size_t kStopTextShown = 24;

PieceKind KindOf(chess::PieceType type) {
    switch (type) {
    case chess::PieceType::King:
        return PieceKind::King;
    case chess::PieceType::Queen:
        return PieceKind::Queen;
    case chess::PieceType::Rook:
        return PieceKind::Rook;
    case chess::PieceType::Bishop:
        return PieceKind::Bishop;
    case chess::PieceType::Knight:
        return PieceKind::Knight;
    default:
        return PieceKind::Pawn;
    }
}

std::string MoveNumber(int fullmove, bool black) {
    return std::to_string(fullmove) + (black ? "... " : ". ");
}

const std::string &TagOr(const chess::Game &game, std::string_view name, const std::string &otherwise) {
    const std::string *value = game.tag(name);
    return value ? *value : otherwise;
}

} // namespace

std::string RecordToken(const chess::Position &before, const chess::Move &move) {
    const auto mover = before.pieceAt(move.from);
    const bool king = mover && mover->type == chess::PieceType::King;
    const int fileStep = chess::fileOf(move.to) - chess::fileOf(move.from);
    if (king && (fileStep == 2 || fileStep == -2))
        return fileStep > 0 ? "o-o" : "o-o-o";
    const bool pawn = mover && mover->type == chess::PieceType::Pawn;
    // A pawn that changes file captures, en passant included.
    const bool capture = before.pieceAt(move.to).has_value() || (pawn && fileStep != 0);
    std::string token = chess::squareName(move.from);
    token += capture ? 'x' : '-';
    token += chess::squareName(move.to);
    if (move.promotion != chess::PieceType::None)
        token.append("=").push_back(chess::pieceLetter(move.promotion));
    return token;
}

std::vector<std::string> SanMoveLines(const chess::Game &game) {
    std::vector<std::string> lines;
    const auto &moves = game.mainLine.moves;
    int fullmove = game.start.fullmoveNumber();
    std::size_t i = 0;
    if (!game.whiteStarts() && !moves.empty()) {
        lines.push_back(MoveNumber(fullmove, true) + moves[0].san);
        ++fullmove;
        i = 1;
    }
    for (; i < moves.size(); i += 2, ++fullmove) {
        std::string line = MoveNumber(fullmove, false) + moves[i].san;
        if (i + 1 < moves.size())
            line.append(" ").append(moves[i + 1].san);
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string StopLine(const chess::Game &game) {
    const auto &stop = game.stop();
    if (!stop)
        return {};
    // The half-move that stopped the game follows the last one played.
    const std::size_t ply = stop->index;
    const bool whiteToMove = game.whiteStarts() == (ply % 2 == 0);
    const int offset = game.whiteStarts() ? 0 : 1;
    const int fullmove = game.start.fullmoveNumber() + static_cast<int>((ply + static_cast<std::size_t>(offset)) / 2);
    std::string text = stop->text.substr(0, kStopTextShown);
    return MoveNumber(fullmove, !whiteToMove) + text + " illegal";
}

void LayOutPosition(const chess::Position &position, std::array<ImageControl, board::kPieceCount> &pieces,
                    const std::array<ShapeControl, board::kSquareCount> &squares) {
    std::array<bool, board::kPieceCount> used{};
    std::array<bool, 64> placed{};
    auto put = [&](int slot, int square, std::string promoted) {
        auto &piece = pieces[static_cast<std::size_t>(slot)];
        const std::string name = chess::squareName(square);
        const auto &shape = squares[static_cast<std::size_t>(board::FindSquare(squares, name))];
        piece.Left = shape.Left();
        piece.Top = shape.Top();
        piece.Tag = name;
        piece.Visible = true;
        piece.Promoted = std::move(promoted);
        used[static_cast<std::size_t>(slot)] = true;
        placed[static_cast<std::size_t>(square)] = true;
    };
    // First every piece that stands on the start square of a slot of its kind,
    // so the standard position is laid out as ResetBoard lays it, and a rook at
    // home is the one the castling tables move.
    for (int slot = 0; slot < board::kPieceCount; ++slot) {
        const PieceSlot &s = board::kPieceSlots[static_cast<std::size_t>(slot)];
        const int square = *chess::parseSquare(s.startSquare);
        const auto piece = position.pieceAt(square);
        if (piece && KindOf(piece->type) == s.kind && (piece->color == chess::Color::White) == s.white)
            put(slot, square, {});
    }
    // Then the others into a free slot of their kind, the king's first (there
    // is only one), and beyond the set into a pawn slot shown promoted.
    for (int square = 0; square < 64; ++square) {
        const auto piece = position.pieceAt(square);
        if (!piece || placed[static_cast<std::size_t>(square)])
            continue;
        const PieceKind kind = KindOf(piece->type);
        const bool white = piece->color == chess::Color::White;
        auto freeSlot = [&](PieceKind wanted) {
            for (int slot = 0; slot < board::kPieceCount; ++slot) {
                const PieceSlot &s = board::kPieceSlots[static_cast<std::size_t>(slot)];
                if (!used[static_cast<std::size_t>(slot)] && s.kind == wanted && s.white == white)
                    return slot;
            }
            return -1;
        };
        int slot = freeSlot(kind);
        if (slot >= 0) {
            put(slot, square, {});
        } else if ((slot = freeSlot(PieceKind::Pawn)) >= 0) {
            put(slot, square, std::string(1, chess::pieceLetter(piece->type)));
        }
        // A position the rules accept never has more pieces than slots: every
        // piece beyond the set stands for a pawn that promoted.
    }
    for (int slot = 0; slot < board::kPieceCount; ++slot) {
        if (used[static_cast<std::size_t>(slot)])
            continue;
        auto &piece = pieces[static_cast<std::size_t>(slot)];
        piece.Visible = false;
        piece.Tag = kUnusedSlotTag;
        piece.Promoted.clear();
    }
}

void ChsMain::LoadGame(chess::Game game, const std::string &path) {
    m_.strFileName = path;
    ResetBoard();
    LayOutPosition(game.start, Image1, sqrSpace);

    std::vector<std::string> tokens;
    tokens.reserve(game.plies() + 2);
    if (!game.whiteStarts())
        tokens.emplace_back(kNoHalfMove);
    chess::Position position = game.start;
    for (const chess::MoveNode &node : game.mainLine.moves) {
        tokens.push_back(RecordToken(position, node.move));
        position.makeMove(node.move);
    }
    // Two entries per move line, as the designed list has: a game that ends on
    // White's move has an empty Black half-move.
    if (tokens.size() % 2 != 0)
        tokens.emplace_back();
    lstFieldsList.Reserve(static_cast<std::int64_t>(tokens.size()));
    for (std::string &token : tokens)
        lstFieldsList.AddItem(std::move(token));

    std::vector<std::string> lines = SanMoveLines(game);
    const std::string stopLine = StopLine(game);
    if (!stopLine.empty())
        lines.push_back(stopLine);
    lstMoveList.Reserve(static_cast<std::int64_t>(lines.size()));
    for (std::string &line : lines)
        lstMoveList.AddItem(ToWindows1252(line));

    static const std::string unknown = "?";
    lblWhitePlayer.Caption = "White: " + ToWindows1252(TagOr(game, "White", unknown));
    lblBlackPlayer.Caption = "Black: " + ToWindows1252(TagOr(game, "Black", unknown));
    lblDate.Caption = ToWindows1252(TagOr(game, "Date", std::string()));
    lblFileName.Caption = FileSystem::GetFileName(path);

    plyOffset_ = game.whiteStarts() ? 0 : 1;
    gameStop_ = game.stop() ? chess::describeStop(game.start, *game.stop()) : std::string();
    loadedGame_ = std::move(game);
    loadedRevision_ = lstFieldsList.Revision();
    FieldsPosition = plyOffset_;
}

const chess::Game *ChsMain::LoadedGame() const {
    return loadedGame_ && loadedRevision_ == lstFieldsList.Revision() ? &*loadedGame_ : nullptr;
}

std::int64_t ChsMain::GamePly() const {
    const std::int64_t offset = LoadedGame() ? plyOffset_ : 0;
    return std::max<std::int64_t>(0, Position() - offset);
}

std::int64_t ChsMain::FieldsPositionOfPly(std::int64_t ply) const {
    return ply + (LoadedGame() ? plyOffset_ : 0);
}

const std::string &ChsMain::GameStop() const {
    static const std::string none;
    return LoadedGame() ? gameStop_ : none;
}

} // namespace quorvane
