// Opening PGN: a file, a drop, the command line or pasted text whose content
// is PGN. One game loads at once; a database goes through the game list
// first. The chosen game is read from its own bytes only, and the file is
// mapped, never copied, so a database of a gigabyte costs its index.

#include "logic/chs_main.h"

#include "chess/pgn_index.h"
#include "chess/pgn_reader.h"
#include "logic/game_list.h"
#include "platform/mapped_file.h"

#include <algorithm>
#include <exception>

namespace quorvane {

namespace {

// Enough of a file's start to tell PGN from a record: looksLikePgn needs the
// first significant line only.
constexpr std::size_t kSniffBytes = 64 * 1024;
constexpr const char *kOpenTitle = "Open";
// A file cut shorter while it was mapped reads as zero bytes past its new end.
constexpr const char *kTruncatedText = "The file was cut shorter while it was read: open it again.";

} // namespace

bool ChsMain::OpenPgnFile(const std::string &path) {
    // The database kept mapped for the game on the board is let go before
    // another file is read, not while that file's game opens; Ctrl+Page Down
    // then maps it again.
    if (source_)
        source_->file.reset();
    std::shared_ptr<const MappedFile> file;
    try {
        file = std::make_shared<const MappedFile>(path);
    } catch (const std::exception &) {
        // Unreadable: the record reader fails on it the designed way.
        return false;
    }
    const std::string_view bytes = file->bytes();
    if (!chess::looksLikePgn(bytes.substr(0, kSniffBytes)))
        return false;
    // The first two games tell a game from a database; a database's index is
    // the chooser's to build, so that a window can show it as it grows.
    const std::vector<chess::PgnGameSpan> firstTwo = chess::firstPgnGames(bytes, 2);
    if (firstTwo.empty())
        return false;
    GameSource source;
    source.path = path;
    if (firstTwo.size() == 1) {
        source.spans.emplace_back(firstTwo[0].offset, firstTwo[0].length);
    } else {
        if (!Chooser)
            return true;
        source.partial = true;
        source.file = file;
        std::optional<std::size_t> picked;
        try {
            picked = Chooser->ChoosePgn(bytes, source.spans);
        } catch (const std::exception &) {
        }
        // Cancelled: the game on the board stays as it was.
        if (!picked || *picked >= source.spans.size())
            return true;
        source.current = *picked;
    }
    if (file->truncated()) {
        box_.Show(kTruncatedText, vbOKOnly, kOpenTitle);
        return true;
    }
    LoadPgnSpan(bytes, std::move(source));
    return true;
}

bool ChsMain::LoadPgnSpan(std::string_view bytes, GameSource source) {
    const auto [offset, length] = source.spans.at(source.current);
    // The file may have changed since it was indexed.
    if (offset > bytes.size()) {
        box_.Show("The file changed since it was read: open it again.", vbOKOnly, kOpenTitle);
        return false;
    }
    chess::PgnGameRead read = chess::readPgnGame(bytes.substr(offset, length));
    if (!read.game) {
        m_.strCountFailure = read.error;
        box_.Show("This game cannot be shown: " + read.error + ".", vbOKOnly, kOpenTitle);
        return false;
    }
    m_.strCountFailure.clear();
    LoadGame(std::move(*read.game), source.path);
    source_ = std::move(source);
    sourceRevision_ = lstFieldsList.Revision();
    ShowNotation();
    return true;
}

bool ChsMain::PastePgn(const std::string &text) {
    if (!chess::looksLikePgn(text))
        return false;
    std::string copy = text;
    const std::vector<chess::PgnGameSpan> spans = chess::splitPgnGames(copy);
    GameSource source;
    source.path = "(pasted)";
    for (const chess::PgnGameSpan &span : spans)
        source.spans.push_back({span.offset, span.length});
    if (source.spans.empty())
        source.spans.push_back({0, copy.size()});
    // A pasted database opens at its first game; Ctrl+Page Down goes on. The
    // text is kept for that, as no file holds it. A paste that cannot be read
    // changes nothing, the text kept for an earlier paste included.
    if (LoadPgnSpan(copy, std::move(source)))
        pastedText_ = std::move(copy);
    return true;
}

bool ChsMain::OpenAdjacentGame(int step) {
    if (!source_ || sourceRevision_ != lstFieldsList.Revision())
        return false;
    const auto next = static_cast<std::int64_t>(source_->current) + step;
    if (next < 0)
        return false;
    GameSource source = *source_;
    if (next >= static_cast<std::int64_t>(source_->size()) && (source.path == "(pasted)" || !source.partial))
        return false;
    source.current = static_cast<std::size_t>(next);
    if (source.mail) {
        if (!MailParser)
            return false;
        const std::string_view bytes = source.mail->bytes;
        if (source.current >= source.spans.size()) {
            // A game was chosen before the list had scanned the whole mailbox:
            // the next game is found after the last one known.
            const auto [offset, length] = source.spans.back();
            const std::optional<FoundGame> after = MailGameAfter(bytes, *MailParser, offset + length);
            if (!after) {
                source_->partial = false;
                return false;
            }
            source.spans.emplace_back(after->message.begin, after->message.end - after->message.begin);
        }
        LoadRecordText(source.path, MailRecordOf(source));
        source_ = std::move(source);
        sourceRevision_ = lstFieldsList.Revision();
        ShowNotation();
        return true;
    }
    if (source.path == "(pasted)")
        return LoadPgnSpan(pastedText_, std::move(source));
    std::shared_ptr<const MappedFile> file = source.file;
    try {
        if (!file)
            file = std::make_shared<const MappedFile>(source.path);
    } catch (const std::exception &) {
        box_.Show("The file cannot be read any more: open it again.", vbOKOnly, kOpenTitle);
        return false;
    }
    if (source.current >= source.spans.size()) {
        // A game was chosen before the list had scanned the whole file: the
        // next game is found after the last one known.
        const auto [offset, length] = source.spans.back();
        const std::optional<chess::PgnGameSpan> after = chess::pgnGameAfter(file->bytes(), offset + length);
        if (!after) {
            source_->partial = false;
            return false;
        }
        source.spans.emplace_back(after->offset, after->length);
    }
    if (file->truncated()) {
        box_.Show(kTruncatedText, vbOKOnly, kOpenTitle);
        return false;
    }
    return LoadPgnSpan(file->bytes(), std::move(source));
}

std::optional<std::size_t> ChsMain::GameOfFile() const {
    if (!source_ || sourceRevision_ != lstFieldsList.Revision())
        return std::nullopt;
    return source_->current;
}

} // namespace quorvane
