#include "logic/game_scan.h"

#include "chess/pgn_index.h"
#include "chess/pgn.h"
#include "logic/game_list.h"

#include <algorithm>
#include <iterator>

namespace quorvane {

namespace {

GameScan::Span SpanOf(const MessageSpan &message) { return {message.begin, message.end - message.begin}; }

} // namespace

void PgnGameScan::Scan(std::size_t chunkGames, const std::function<bool(Chunk &&)> &chunk,
                       const std::atomic<bool> &stop) {
    chess::indexPgnGames(
        bytes_,
        [&](std::vector<chess::GameSummary> &&found, std::uint64_t scanned) {
            if (stop.load(std::memory_order_relaxed))
                return false;
            Chunk rows;
            rows.games.reserve(found.size());
            rows.spans.reserve(found.size());
            for (chess::GameSummary &game : found) {
                rows.spans.emplace_back(game.offset, game.length);
                rows.games.push_back(ChoiceOf(std::move(game)));
            }
            rows.scanned = scanned;
            return chunk(std::move(rows)) && !stop.load(std::memory_order_relaxed);
        },
        chunkGames);
}

GameChoice ChoiceOf(const FoundGames::Summary &game) {
    // No more than a row keeps: a name of megabytes is not converted whole.
    const auto shown = [](std::string_view text) {
        return chess::windows1252ToUtf8(text.substr(0, GameList::kKeptBytes));
    };
    return GameChoice{shown(game.date), shown(game.white), shown(game.black), game.moveLines};
}

void MailGameScan::Scan(std::size_t chunkGames, const std::function<bool(Chunk &&)> &chunk,
                        const std::atomic<bool> &stop) {
    const FoundGames &first = found_->games;
    const std::string_view bytes = found_->bytes;
    auto rowsOf = [](const FoundGames &games, std::size_t from, std::size_t to, std::uint64_t scanned) {
        Chunk rows;
        rows.games.reserve(to - from);
        rows.spans.reserve(to - from);
        for (std::size_t i = from; i < to; ++i) {
            const FoundGames::Summary game = games.summary(i);
            rows.games.push_back(ChoiceOf(game));
            rows.spans.push_back(SpanOf(game.message));
        }
        rows.scanned = scanned;
        return rows;
    };
    chunkGames = std::max<std::size_t>(chunkGames, 1);
    // The games found already go first, in chunks of their own.
    for (std::size_t from = 0; from < first.size(); from += chunkGames) {
        if (stop.load(std::memory_order_relaxed))
            return;
        const std::size_t to = std::min(first.size(), from + chunkGames);
        const std::uint64_t scanned =
            to == first.size() && found_->complete ? bytes.size() : first.summary(to - 1).message.end;
        if (!chunk(rowsOf(first, from, to, scanned)))
            return;
    }
    if (found_->complete || first.empty() || stop.load(std::memory_order_relaxed))
        return;
    ScanMailGames(
        bytes, parser_, first.summary(first.size() - 1).message.end, chunkGames,
        [&](FoundGames &&games, std::size_t scanned) {
            if (stop.load(std::memory_order_relaxed))
                return false;
            return chunk(rowsOf(games, 0, games.size(), scanned)) && !stop.load(std::memory_order_relaxed);
        },
        &stop);
}

std::optional<std::size_t> GameChooser::ChooseScanned(GameScan &scan, std::vector<Span> &spans) {
    std::vector<GameChoice> games;
    spans.clear();
    const std::atomic<bool> never = false;
    scan.Scan(
        4096,
        [&](GameScan::Chunk &&chunk) {
            std::move(chunk.games.begin(), chunk.games.end(), std::back_inserter(games));
            spans.insert(spans.end(), chunk.spans.begin(), chunk.spans.end());
            return true;
        },
        never);
    return ChooseAmong(games.size(), [&games](std::size_t i) { return std::move(games[i]); });
}

std::optional<std::size_t> GameChooser::ChoosePgn(std::string_view bytes, std::vector<Span> &spans) {
    PgnGameScan scan(bytes);
    return ChooseScanned(scan, spans);
}

} // namespace quorvane
