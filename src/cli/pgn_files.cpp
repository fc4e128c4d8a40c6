#include "cli/pgn_files.h"

#include "chess/openings.h"
#include "chess/pgn.h"
#include "chess/pgn_index.h"
#include "chess/pgn_reader.h"
#include "cli/to_pgn.h"
#include "platform/errors.h"
#include "platform/mapped_file.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>
#include <thread>

namespace quorvane::cli {

namespace {

// The file mapped when its content is PGN; nothing otherwise.
std::unique_ptr<MappedFile> mapPgn(const std::string &path) {
    try {
        auto file = std::make_unique<MappedFile>(path);
        if (chess::looksLikePgn(file->bytes()))
            return file;
    } catch (const PlatformError &) {
    }
    return nullptr;
}

// At most this many threads list a file, whatever the machine: the listing's
// own thread writes every game, and each thread holds pieces in flight.
constexpr unsigned kScanThreads = 4;

constexpr const char *kTruncated = "the file was cut shorter while it was read; what followed its new end was not read";

// A field of a line: tabs and line breaks would break the columns.
void field(std::string &line, std::string_view text) {
    line += '\t';
    const std::size_t at = line.size();
    line += text;
    bool plain = true;
    for (const char c : text)
        plain &= static_cast<unsigned char>(c) >= 0x20 && c != 0x7F;
    if (plain)
        return;
    for (std::size_t i = at; i < line.size(); ++i)
        if (static_cast<unsigned char>(line[i]) < 0x20 || line[i] == 0x7F)
            line[i] = ' ';
}

void number(std::string &line, std::int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    line.append(digits, end);
}

void field(std::ostream &out, std::string_view text) {
    std::string line;
    field(line, text);
    out << line;
}

std::string tagOr(const chess::Game &game, std::string_view name) {
    const std::string *value = game.tag(name);
    return value ? *value : std::string();
}

} // namespace

int listGames(const std::vector<std::string> &paths, std::ostream &out, std::ostream &err, MessageParser *mail) {
    int status = 0;
    for (const std::string &path : paths) {
        if (const auto file = mapPgn(path)) {
            // The lines are made in one buffer and written a block at a
            // time: a stream's per-character cost would be most of the listing.
            std::string lines;
            lines.reserve(1 << 17);
            chess::scanPgnGames(file->bytes(), [&](const chess::GameFields &g, std::uint64_t) {
                lines += path;
                lines += '\t';
                number(lines, static_cast<std::int64_t>(g.number));
                for (const std::string_view f : {g.white, g.black, g.result, g.date, g.event, g.eco})
                    field(lines, f);
                lines += '\t';
                number(lines, g.plies);
                lines += '\n';
                if (lines.size() >= (1 << 16)) {
                    out.write(lines.data(), static_cast<std::streamsize>(lines.size()));
                    lines.clear();
                }
                return true;
            }, chess::ScanThreads{std::clamp(std::thread::hardware_concurrency(), 1u, kScanThreads)});
            out.write(lines.data(), static_cast<std::streamsize>(lines.size()));
            if (file->truncated()) {
                err << path << ": " << kTruncated << '\n';
                status = 1;
            }
            continue;
        }
        const RecordsRead read = readRecords(path, mail);
        if (!read.failure.empty()) {
            err << path << ": " << read.failure << '\n';
            status = 1;
        }
        std::uint64_t number = 0;
        for (const GameRecord &record : read.records) {
            const chess::Game game = chess::gameFromRecord(record.headers, record.tokens);
            out << path << '\t' << ++number;
            for (const char *name : {"White", "Black", "Result", "Date", "Event", "ECO"})
                field(out, tagOr(game, name));
            out << '\t' << game.plies() << '\n';
        }
    }
    out.flush();
    return status;
}

bool convertPgnFile(const std::string &path, std::ostream &out, std::ostream &err, bool *failed) {
    const auto file = mapPgn(path);
    if (!file)
        return false;
    const std::string_view bytes = file->bytes();
    std::uint64_t number = 0;
    for (const chess::PgnGameSpan &span : chess::splitPgnGames(bytes)) {
        ++number;
        chess::PgnGameRead read = chess::readPgnGame(bytes.substr(span.offset, span.length));
        if (!read.game) {
            err << path << ": game " << number << ": " << read.error << '\n';
            *failed = true;
            continue;
        }
        chess::Game &game = *read.game;
        if (game.stop()) {
            err << path << ": game " << number << ": " << chess::describeStop(game.start, *game.stop()) << '\n';
            *failed = true;
        }
        out << chess::toPgnWithOpening(std::move(game));
    }
    if (file->truncated()) {
        err << path << ": " << kTruncated << '\n';
        *failed = true;
    }
    return true;
}

} // namespace quorvane::cli
