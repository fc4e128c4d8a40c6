// The chess rules on any text: a FEN, then moves; and the same lines as a
// record's half-move tokens, turned into a game and PGN.
//
// Input: lines (LF). The first is read as a FEN; when it is a position, each
// further line is read as SAN, then as UCI, and played when legal. Checked on
// every position reached: its FEN reads back to the same position, every legal
// move's SAN and UCI read back to that move, and undo restores the position.
// Then all lines, from the first, are a record's tokens: the game's positions
// follow from its moves, and its PGN is built from the first four lines.

#include "chess/pgn.h"
#include "chess/position.h"
#include "chess/record_game.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace quorvane::chess;

void Check(bool ok) {
    if (!ok)
        std::abort();
}

void CheckPosition(const Position &position) {
    Check(Position::fromFen(position.toFen()) == position);
    Position p = position;
    for (const Move &move : position.legalMoves()) {
        Check(position.parseSan(position.toSan(move)) == move);
        Check(position.parseUci(toUci(move)) == move);
        Undo undo;
        p.makeMove(move, undo);
        p.undoMove(move, undo);
        Check(p == position);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    std::vector<std::string> lines;
    for (std::size_t pos = 0; pos <= text.size() && lines.size() < 512;) {
        const std::size_t lf = text.find('\n', pos);
        lines.emplace_back(text.substr(pos, lf == std::string_view::npos ? std::string_view::npos : lf - pos));
        if (lf == std::string_view::npos)
            break;
        pos = lf + 1;
    }

    if (auto position = Position::fromFen(lines.front())) {
        CheckPosition(*position);
        for (std::size_t i = 1; i < lines.size() && i < 64; ++i) {
            auto move = position->parseSan(lines[i]);
            if (!move)
                move = position->parseUci(lines[i]);
            if (!move)
                continue;
            Check(position->isLegal(*move));
            position->makeMove(*move);
            CheckPosition(*position);
        }
    }

    const RecordGame game = gameFromTokens(lines);
    Check(game.positions.size() == game.moves.size() + 1 && game.san.size() == game.moves.size());
    for (std::size_t k = 0; k < game.moves.size(); ++k) {
        Position p = game.positions[k];
        p.makeMove(game.moves[k]);
        Check(p == game.positions[k + 1]);
    }
    PgnHeaders headers;
    headers.titleLine = lines.size() > 0 ? lines[0] : "";
    headers.whiteLine = lines.size() > 1 ? lines[1] : "";
    headers.blackLine = lines.size() > 2 ? lines[2] : "";
    headers.dateLine = lines.size() > 3 ? lines[3] : "";
    const std::string pgn = toPgn(gameFromRecord(headers, game));
    Check(!pgn.empty() && pgn.back() == '\n');
    return 0;
}
