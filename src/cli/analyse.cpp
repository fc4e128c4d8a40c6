#include "cli/analyse.h"
#include "chess/pgn.h"
#include "chess/pgn_reader.h"
#include "cli/to_pgn.h"
#include "engine/annotated_pgn.h"
#include "engine/line.h"
#include "engine/pass_runner.h"
#include "platform/text_file.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace quorvane::cli {

namespace {

// The whole file when it is a regular file no larger than the program reads.
std::optional<std::string> readWhole(const std::string &path, std::string &failure) {
    namespace fs = std::filesystem;
    std::error_code error;
    const auto status = fs::status(path, error);
    if (error || !fs::exists(status)) {
        failure = "no such file";
        return std::nullopt;
    }
    if (!fs::is_regular_file(status)) {
        failure = "not a regular file";
        return std::nullopt;
    }
    const auto size = fs::file_size(path, error);
    if (error || size > static_cast<std::uintmax_t>(FileSystem::kMaxFileBytes)) {
        failure = error ? "cannot be read" : "too large";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes(size, '\0');
    if (!in.read(bytes.data(), static_cast<std::streamsize>(size))) {
        failure = "cannot be read";
        return std::nullopt;
    }
    return bytes;
}

void appendNumber(std::string &out, const std::optional<double> &value) {
    if (!value || !std::isfinite(*value)) {
        out += "null";
        return;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", *value);
    out += text;
}

std::string sideJson(const engine::SideReview &side) {
    std::string out = "{\"accuracy\":";
    appendNumber(out, side.accuracy);
    out += ",\"acpl\":";
    appendNumber(out, side.acpl);
    out += ",\"inaccuracies\":" + std::to_string(side.inaccuracies) + ",\"mistakes\":" + std::to_string(side.mistakes) +
           ",\"blunders\":" + std::to_string(side.blunders) + "}";
    return out;
}

std::string lowercase(std::string_view text) {
    std::string out(text);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

} // namespace

GamesRead readGames(const std::string &path, MessageParser *mail) {
    GamesRead result;
    // PGN is told by its content, never by the file's name.
    std::string failure;
    std::ifstream probe(path, std::ios::binary);
    std::string head(4096, '\0');
    probe.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(probe.gcount()));
    if (probe.is_open() && chess::looksLikePgn(head)) {
        const auto bytes = readWhole(path, result.failure);
        if (!bytes)
            return result;
        for (const chess::PgnGameSpan &span : chess::splitPgnGames(*bytes)) {
            chess::PgnGameRead read = chess::readPgnGame(std::string_view(*bytes).substr(span.offset, span.length));
            if (read.game)
                result.games.push_back(std::move(*read.game));
            else if (result.failure.empty())
                result.failure = "game " + std::to_string(result.games.size() + 1) + ": " + read.error;
        }
        if (result.games.empty() && result.failure.empty())
            result.failure = "no game";
        return result;
    }
    RecordsRead records = readRecords(path, mail);
    result.failure = records.failure;
    for (const GameRecord &record : records.records)
        result.games.push_back(chess::gameFromRecord(record.headers, record.tokens));
    return result;
}

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    const auto *bytes = reinterpret_cast<const unsigned char *>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = bytes[i];
        if (c < 0x80) {
            switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            default:
                if (c < 0x20 || c == 0x7f) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += static_cast<char>(c);
                }
            }
            ++i;
            continue;
        }
        // A valid UTF-8 sequence passes as it is: no overlong forms, no
        // surrogates, nothing above U+10FFFF.
        std::size_t length = 0;
        unsigned lowest = 0x80, highest = 0xBF;
        if (c >= 0xC2 && c <= 0xDF)
            length = 2;
        else if (c >= 0xE0 && c <= 0xEF)
            length = 3, lowest = c == 0xE0 ? 0xA0 : 0x80, highest = c == 0xED ? 0x9F : 0xBF;
        else if (c >= 0xF0 && c <= 0xF4)
            length = 4, lowest = c == 0xF0 ? 0x90 : 0x80, highest = c == 0xF4 ? 0x8F : 0xBF;
        bool valid = length > 0 && i + length <= n;
        for (std::size_t k = 1; valid && k < length; ++k) {
            const unsigned b = bytes[i + k];
            valid = k == 1 ? (b >= lowest && b <= highest) : (b >= 0x80 && b <= 0xBF);
        }
        if (valid) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            out += "\\ufffd";
            ++i;
        }
    }
    return out + "\"";
}

std::string reportLine(const std::string &file, std::size_t number, const chess::Game &game,
                       const engine::GameAnalysis &analysis) {
    const std::vector<chess::Position> positions = game.mainLinePositions();
    const engine::GameReview review = engine::reviewGame(analysis.scores(), analysis.whiteStarts());
    auto tag = [&](std::string_view name) {
        const std::string *value = game.tag(name);
        return jsonString(value ? *value : std::string());
    };
    std::string out = "{\"file\":" + jsonString(file) + ",\"game\":" + std::to_string(number) +
                      ",\"white\":" + tag("White") + ",\"black\":" + tag("Black") +
                      ",\"white_starts\":" + (game.whiteStarts() ? "true" : "false") +
                      ",\"plies\":" + std::to_string(game.plies()) + ",\"evals\":[";
    for (std::size_t i = 0; i < analysis.size(); ++i) {
        if (i)
            out += ',';
        const auto &eval = analysis.at(i);
        if (!eval)
            out += "null";
        else if (eval->score.isMate)
            out += "{\"mate\":" + std::to_string(eval->score.whiteMates ? eval->score.mate : -eval->score.mate) + "}";
        else
            out += "{\"cp\":" + std::to_string(eval->score.centipawns) + "}";
    }
    out += "],\"best\":[";
    for (std::size_t i = 0; i < analysis.size(); ++i) {
        if (i)
            out += ',';
        const auto &eval = analysis.at(i);
        const auto move = eval && !eval->bestMove.empty() ? positions[i].parseUci(eval->bestMove) : std::nullopt;
        out += move ? jsonString(positions[i].toSan(*move)) : std::string("null");
    }
    out += "],\"judgements\":[";
    for (std::size_t k = 0; k < review.judgements.size(); ++k) {
        if (k)
            out += ',';
        const auto judgement = review.judgements[k];
        out += judgement == engine::Judgement::None ? std::string("null")
                                                    : jsonString(lowercase(engine::judgementName(judgement)));
    }
    // The players' names are "white" and "black", so each side's figures
    // have a key of their own.
    out += "],\"white_review\":" + sideJson(review.white) + ",\"black_review\":" + sideJson(review.black) + "}";
    return out;
}

int analyseFiles(const std::vector<std::string> &paths, const AnalyseOptions &options, std::ostream &out,
                 std::ostream &err, MessageParser *mail) {
    int status = 0;
    struct Entry {
        std::string path;
        std::size_t number;
        chess::Game game;
        std::size_t passGame;
    };
    std::vector<Entry> entries;
    engine::GamePass pass(options.nodes);
    for (const std::string &path : paths) {
        GamesRead read = readGames(path, mail);
        if (!read.failure.empty()) {
            err << path << ": " << read.failure << '\n';
            status = 1;
        }
        std::size_t number = 0;
        for (chess::Game &game : read.games) {
            if (game.stop()) {
                err << path << ": " << chess::describeStop(game.start, *game.stop()) << '\n';
                status = 1;
            }
            std::vector<engine::PassPosition> positions;
            for (const chess::Position &position : game.mainLinePositions())
                positions.push_back({position.toFen(), position.sideToMove() == chess::Color::White,
                                     engine::knownEval(engine::finalScore(position))});
            const std::size_t passGame = pass.addGame(std::move(positions));
            entries.push_back({path, ++number, std::move(game), passGame});
        }
    }
    if (!pass.done()) {
        const std::string program = options.engine.empty() ? engine::locateEngine() : options.engine;
        if (program.empty()) {
            err << "No chess engine found. Install the Debian package stockfish, or name one in QUORVANE_ENGINE.\n";
            return 1;
        }
        engine::PassRunOptions run;
        run.engines = options.jobs > 0 ? options.jobs : engine::defaultEngines();
        // More engines than positions would only start and stop.
        run.engines = static_cast<int>(std::min<std::size_t>(run.engines, pass.total() - pass.finished()));
        if (!engine::runPass(pass, program, run, [&](const std::string &message) { err << program << ": " << message << '\n'; }))
            status = 1;
    }
    for (const Entry &entry : entries) {
        const engine::GameAnalysis &analysis = pass.analysis(entry.passGame);
        if (!analysis.complete()) {
            err << entry.path << ": game " << entry.number << ": " << analysis.size() - analysis.known() << " of "
                << analysis.size() << " positions not evaluated\n";
            status = 1;
        }
        if (options.output == AnalyseOptions::Output::Report) {
            out << reportLine(entry.path, entry.number, entry.game, analysis) << '\n';
        } else {
            chess::Game annotated = entry.game;
            engine::annotateGame(annotated, analysis);
            out << chess::toPgn(annotated);
        }
    }
    out.flush();
    return status;
}

} // namespace quorvane::cli
