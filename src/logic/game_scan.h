#pragma once
// The scans a game list runs while it is shown: the index of a PGN database
// and the games of a mailbox, each a chunk of rows at a time.

#include "game/mail_finder.h"
#include "platform/dialogs.h"

#include <memory>
#include <string_view>

namespace quorvane {

// The games of a PGN database's bytes (mapped or held by the caller, alive
// while the scan runs).
class PgnGameScan : public GameScan {
public:
    explicit PgnGameScan(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t Bytes() const override { return bytes_.size(); }
    void Scan(std::size_t chunkGames, const std::function<bool(Chunk &&)> &chunk,
              const std::atomic<bool> &stop) override;

private:
    std::string_view bytes_;
};

// A row of the list from a mailbox's game.
GameChoice ChoiceOf(const FoundGames::Summary &game);

// The games of a mailbox: those a first scan found, then the ones after them
// when that scan stopped early. Each span is where the game's message lies
// (begin, length) in the scan's text; the parser must not be used elsewhere
// while the scan runs.
class MailGameScan : public GameScan {
public:
    MailGameScan(std::shared_ptr<const MailScan> found, MessageParser &parser)
        : found_(std::move(found)), parser_(parser) {}
    std::uint64_t Bytes() const override { return found_->bytes.size(); }
    void Scan(std::size_t chunkGames, const std::function<bool(Chunk &&)> &chunk,
              const std::atomic<bool> &stop) override;

private:
    std::shared_ptr<const MailScan> found_;
    MessageParser &parser_;
};

} // namespace quorvane
