#include "cli/to_pgn.h"

#include "chess/openings.h"
#include "chess/record_game.h"
#include "cli/pgn_files.h"
#include "game/module1.h"
#include "game/reader.h"
#include "logic/chs_main.h"
#include "platform/errors.h"
#include "platform/text_file.h"

#include <exception>
#include <memory>

namespace quorvane::cli {

namespace {

// The lines of the first pass, kept as the disk stream gave them.
class KeptLines : public TextStream {
public:
    explicit KeptLines(std::shared_ptr<const std::vector<std::string>> lines) : lines_(std::move(lines)) {}
    bool AtEndOfStream() override { return next_ >= lines_->size(); }
    std::string ReadLine() override {
        if (AtEndOfStream())
            throw PlatformError("Input past end of file");
        return (*lines_)[next_++];
    }

private:
    std::shared_ptr<const std::vector<std::string>> lines_;
    std::size_t next_ = 0;
};

// Reads through a disk stream and keeps every line it gives.
class KeepingStream : public TextStream {
public:
    KeepingStream(std::unique_ptr<TextStream> disk, std::shared_ptr<std::vector<std::string>> lines)
        : disk_(std::move(disk)), lines_(std::move(lines)) {}
    bool AtEndOfStream() override { return disk_->AtEndOfStream(); }
    std::string ReadLine() override {
        lines_->push_back(disk_->ReadLine());
        return lines_->back();
    }
    void SkipLine() override { lines_->push_back(disk_->ReadLine()); }

private:
    std::unique_ptr<TextStream> disk_;
    std::shared_ptr<std::vector<std::string>> lines_;
};

// The disk, opened once per record: the reader's second pass gets the lines
// the first pass read. Converting many small records is bound by opening
// files, and this halves it; the line rules and limits stay the disk
// stream's, and a file cannot change between the passes.
class ReadOnceFileSystem : public FileSystem {
public:
    std::unique_ptr<TextStream> OpenTextFile(const std::string &path) override {
        if (lines_ && path == path_)
            return std::make_unique<KeptLines>(lines_);
        path_ = path;
        lines_ = std::make_shared<std::vector<std::string>>();
        return std::make_unique<KeepingStream>(disk_.OpenTextFile(path), lines_);
    }

private:
    DiskFileSystem disk_;
    std::string path_;
    std::shared_ptr<std::vector<std::string>> lines_;
};

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

std::string forEachRecord(const std::string &path, MessageParser *mail, const std::function<void(GameRecord &&)> &f) {
    RecordsRead result;
    Module1 m;
    m.strFileName = path;
    auto readOne = [&] {
        result.records.clear();
        if (!ReadOne(m, result))
            return false;
        f(std::move(result.records.back()));
        return true;
    };
    DiskFileSystem disk;
    // A mailbox's first game tells whether there is one; the rest are read,
    // and written, one after another.
    std::optional<MailScan> scan = mail ? ScanMailFile(disk, path, *mail, true, 1) : std::nullopt;
    if (!scan) {
        m.objFileSystem = std::make_unique<ReadOnceFileSystem>();
        readOne();
        return result.failure;
    }
    if (scan->games.empty())
        return scan->titleSeen ? kNoGameInMail : kNoRecordInMail;
    // Each game found is read under the message's path, as the window reads it.
    auto readGame = [&](std::string record) {
        m.objFileSystem = std::make_unique<OverlayFileSystem>(std::make_unique<DiskFileSystem>(), path, std::move(record));
        return readOne();
    };
    if (!readGame(scan->games.takeRecord(0)) || scan->complete)
        return result.failure;
    ForEachMailGame(scan->bytes, *mail, scan->games[0].message.end,
                    [&](FoundGame &&game) { return readGame(std::move(game.record)); });
    return result.failure;
}

RecordsRead readRecords(const std::string &path, MessageParser *mail) {
    RecordsRead result;
    result.failure = forEachRecord(path, mail, [&](GameRecord &&record) { result.records.push_back(std::move(record)); });
    return result;
}

int convertToPgn(const std::vector<std::string> &paths, std::ostream &out, std::ostream &err, MessageParser *mail) {
    int status = 0;
    for (const std::string &path : paths) {
        bool failed = false;
        if (convertPgnFile(path, out, err, &failed)) {
            status = failed ? 1 : status;
            continue;
        }
        // Each game is written as soon as it is read: a mailbox of a million
        // games is never held as records.
        const std::string failure = forEachRecord(path, mail, [&](GameRecord &&record) {
            const chess::Game game = chess::gameFromRecord(record.headers, record.tokens);
            out << chess::toPgnWithOpening(game);
            if (game.stop()) {
                err << path << ": " << chess::describeStop(game.start, *game.stop()) << '\n';
                status = 1;
            }
        });
        if (!failure.empty()) {
            err << path << ": " << failure << '\n';
            status = 1;
        }
    }
    out.flush();
    return status;
}

} // namespace quorvane::cli
