#include "cli/to_pgn.h"

#include "chess/record_game.h"
#include "game/module1.h"
#include "game/reader.h"
#include "logic/chs_main.h"

#include <exception>

namespace quorvane::cli {

namespace {

// Both reading passes over m.strFileName; false with the reason in result when
// the record could not be read.
bool ReadOne(Module1 &m, RecordsRead &result) {
    bool failed = false;
    CountMoveLines(m, [&failed] { failed = true; });
    if (failed) {
        result.failure = m.strCountFailure;
        return false;
    }
    try {
        ReadGameFile(m);
    } catch (const std::exception &) {
        // The window's loader stops quietly here; the file changed between the passes.
        result.failure = "changed while it was read";
        return false;
    }
    GameRecord record;
    record.headers = PgnHeadersOf(m);
    record.tokens.reserve(2 * m.arrMoveLines.size());
    for (const std::string &line : m.arrMoveLines) {
        const auto [white, black] = SplitHalfMoves(line);
        record.tokens.emplace_back(white);
        record.tokens.emplace_back(black);
    }
    result.records.push_back(std::move(record));
    return true;
}

} // namespace

RecordsRead readRecords(const std::string &path, MessageParser *mail) {
    RecordsRead result;
    Module1 m;
    m.strFileName = path;
    const std::optional<MailScan> scan = mail ? ScanMailFile(m.FileSystemObject(), path, *mail) : std::nullopt;
    if (!scan) {
        ReadOne(m, result);
        return result;
    }
    if (scan->games.empty())
        result.failure = kNoGameInMail;
    // Each game found is read under the message's path, as the window reads it.
    for (const FoundGame &game : scan->games) {
        m.objFileSystem = std::make_unique<OverlayFileSystem>(std::make_unique<DiskFileSystem>(), path, game.record);
        if (!ReadOne(m, result))
            break;
    }
    return result;
}

int convertToPgn(const std::vector<std::string> &paths, std::ostream &out, std::ostream &err, MessageParser *mail) {
    int status = 0;
    for (const std::string &path : paths) {
        const RecordsRead read = readRecords(path, mail);
        if (!read.failure.empty()) {
            err << path << ": " << read.failure << '\n';
            status = 1;
        }
        for (const GameRecord &record : read.records) {
            const chess::RecordGame game = chess::gameFromTokens(record.tokens);
            out << chess::toPgn(record.headers, game);
            if (!game.ended) {
                err << path << ": " << chess::describeStop(game) << '\n';
                status = 1;
            }
        }
    }
    out.flush();
    return status;
}

} // namespace quorvane::cli
