#pragma once
// quorvane --analyse and --report: every game of every file evaluated by
// engines over pipes, with no window and no Qt. --analyse writes each game as
// PGN with the analysis in it; --report one JSON object a game, a line each.

#include "chess/game.h"
#include "engine/game_analysis.h"
#include "engine/review.h"
#include "game/mail_finder.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::cli {

struct AnalyseOptions {
    enum class Output { AnnotatedPgn, Report };
    Output output = Output::AnnotatedPgn;
    std::int64_t nodes = 100000; // per position
    int jobs = 0;                // engine processes; 0: one per core
    std::string engine;          // the program; empty: locateEngine()
};

// The games a file holds, whatever it is: PGN (every game), a record, a saved
// message or a mailbox (every game found). failure says why there are none,
// or why the file stopped being read.
struct GamesRead {
    std::vector<chess::Game> games;
    std::string failure;
};
GamesRead readGames(const std::string &path, MessageParser *mail = nullptr);

// A JSON string literal of UTF-8 text: quotes, backslashes and control
// characters escaped, and each byte that is not part of valid UTF-8 as U+FFFD.
std::string jsonString(std::string_view text);

// One --report line (without its line end) for game number `number` (1-based)
// of file.
std::string reportLine(const std::string &file, std::size_t number, const chess::Game &game,
                       const engine::GameAnalysis &analysis);

// Reads every path, evaluates all their positions on options.jobs engines and
// writes the games in order to out; problems go to err as "FILE: REASON".
// Returns 0 when every game came out whole and fully evaluated, else 1.
int analyseFiles(const std::vector<std::string> &paths, const AnalyseOptions &options, std::ostream &out,
                 std::ostream &err, MessageParser *mail = nullptr);

} // namespace quorvane::cli
