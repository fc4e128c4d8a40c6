// The chess rules' speed: perft (legal move generation, make and undo) in
// nodes per second, and a record's tokens turned into a game and then PGN, in
// games per second, on the real games of the test data. scripts/bench runs it.

#include "chess/pgn.h"
#include "chess/position.h"
#include "chess/record_game.h"
#include "game/reader.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace quorvane::bench {
namespace {

using chess::Position;

void Perft(benchmark::State &state, const char *fen, int depth) {
    Position position = Position::fromFen(fen).value();
    std::uint64_t nodes = 0;
    for (auto _ : state)
        nodes += chess::perft(position, depth);
    state.counters["nodes_per_second"] = benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsRate);
}

struct Record {
    chess::PgnHeaders headers;
    std::vector<std::string> tokens;
};

// The records of the test data, read as the loader reads them: four header
// lines, a blank one, then two tokens per move line.
const std::vector<Record> &Records() {
    static const std::vector<Record> records = [] {
        std::vector<Record> out;
        for (const char *name : {"file1.txt", "game_015.txt", "game_032.txt", "game_073.txt", "game_118.txt"}) {
            std::ifstream in(std::string(QUORVANE_TEST_DATA) + "/" + name, std::ios::binary);
            if (!in) {
                std::fprintf(stderr, "cannot read %s\n", name);
                std::exit(1);
            }
            Record r;
            std::getline(in, r.headers.titleLine);
            std::getline(in, r.headers.whiteLine);
            std::getline(in, r.headers.blackLine);
            std::getline(in, r.headers.dateLine);
            std::string line;
            std::getline(in, line);
            while (std::getline(in, line)) {
                const std::string moves = CutMoveNumber(line);
                const auto space = moves.find(' ');
                r.tokens.push_back(moves.substr(0, space));
                const std::string rest = space == std::string::npos ? std::string() : moves.substr(space + 1);
                r.tokens.push_back(rest.substr(0, rest.find(' ')));
            }
            out.push_back(std::move(r));
        }
        return out;
    }();
    return records;
}

void Record_GameAndPgn(benchmark::State &state) {
    const auto &records = Records();
    std::size_t games = 0, halfMoves = 0;
    for (auto _ : state) {
        for (const Record &r : records) {
            const chess::Game game = chess::gameFromRecord(r.headers, r.tokens);
            const std::string pgn = chess::toPgn(game);
            benchmark::DoNotOptimize(pgn.data());
            halfMoves += game.plies();
        }
        games += records.size();
    }
    state.counters["games_per_second"] = benchmark::Counter(static_cast<double>(games), benchmark::Counter::kIsRate);
    state.counters["half_moves_per_second"] =
        benchmark::Counter(static_cast<double>(halfMoves), benchmark::Counter::kIsRate);
}

void Record_GameOnly(benchmark::State &state) {
    const auto &records = Records();
    std::size_t halfMoves = 0;
    for (auto _ : state) {
        for (const Record &r : records) {
            const chess::RecordGame game = chess::gameFromTokens(r.tokens);
            benchmark::DoNotOptimize(game.moves.data());
            halfMoves += game.moves.size();
        }
    }
    state.counters["half_moves_per_second"] =
        benchmark::Counter(static_cast<double>(halfMoves), benchmark::Counter::kIsRate);
}

} // namespace
} // namespace quorvane::bench

namespace qb = quorvane::bench;
using qb::Perft;

BENCHMARK_CAPTURE(Perft, Start_Depth5, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 5)
    ->Name("Perft/Start/5")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Perft, Kiwipete_Depth4, "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 4)
    ->Name("Perft/Kiwipete/4")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(qb::Record_GameAndPgn)->Name("Record/GameFromTokensAndPgn")->Unit(benchmark::kMicrosecond);
BENCHMARK(qb::Record_GameOnly)->Name("Record/GameFromTokens")->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
