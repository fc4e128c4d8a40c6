// The e-mail finder on any bytes at all: as pasted text (a message, a mailbox or
// a bare body), through the MIME parser, the text steps and then the designed
// loader, as Edit > Paste Game runs it.
//
// Whatever the bytes, a paste ends one of three ways: no game gives the
// "Invalid File" box; one game loads with as many move lines as
// the finder counted; several go to the chooser, which here takes the last.

#include "game/mail_finder.h"
#include "chess/pgn_reader.h"
#include "fuzz_support.h"
#include "mail/gmime_parser.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

struct LastChooser : quorvane::GameChooser {
    int asked = 0;
    std::optional<std::size_t> Choose(const std::vector<quorvane::GameChoice> &games) override {
        ++asked;
        QUORVANE_FUZZ_CHECK(games.size() > 1);
        return games.size() - 1;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static quorvane::mail::GMimeMessageParser parser;
    const std::string bytes(reinterpret_cast<const char *>(data), size);

    const quorvane::MailScan scan = quorvane::FindGamesInText(bytes, parser);
    // A scan that kept every record finds the same games, and each record the
    // summary scan decodes again is the one it kept.
    const quorvane::MailScan whole =
        scan.isMail ? quorvane::FindGames(bytes, parser, true) : quorvane::FindGamesInText(bytes, parser);
    QUORVANE_FUZZ_CHECK(whole.games.size() == scan.games.size());
    for (std::size_t i = 0; i < scan.games.size(); ++i) {
        const auto &game = scan.games[i];
        const std::string record = quorvane::RecordOf(scan, i, parser);
        QUORVANE_FUZZ_CHECK(scan.titleSeen);
        QUORVANE_FUZZ_CHECK(record == whole.games[i].record);
        QUORVANE_FUZZ_CHECK(record.rfind(";Title:", 0) == 0);
        QUORVANE_FUZZ_CHECK(game.moveLines >= 1);
        QUORVANE_FUZZ_CHECK(record.back() == '\n');
    }

    // Cutting out only the messages around given places gives what the whole
    // cut gives there: here every place, so every message that is not empty.
    std::vector<std::pair<std::string, std::size_t>> cut, around;
    quorvane::ForEachMessage(bytes, [&](std::string_view message, quorvane::MessageSpan span) {
        if (span.begin < span.end)
            cut.emplace_back(message, span.begin);
    });
    quorvane::ForEachMessageAround(
        bytes, [&](std::size_t from) { return from < bytes.size() ? from : std::string::npos; },
        [&](std::string_view message, quorvane::MessageSpan span) { around.emplace_back(message, span.begin); });
    QUORVANE_FUZZ_CHECK(cut == around);

    quorvane::fuzz::Window w;
    LastChooser chooser;
    w.form.MailParser = &parser;
    w.form.Chooser = &chooser;
    w.form.PasteGame(bytes);
    // The record was served from memory for the load only.
    QUORVANE_FUZZ_CHECK(dynamic_cast<quorvane::OverlayFileSystem *>(w.module.objFileSystem.get()) == nullptr);
    QUORVANE_FUZZ_CHECK(w.form.Status);
    // Pasted text that reads as PGN is the PGN reader's.
    if (quorvane::chess::looksLikePgn(bytes))
        return 0;
    QUORVANE_FUZZ_CHECK(chooser.asked == (scan.games.size() > 1 ? 1 : 0));
    if (scan.games.empty()) {
        QUORVANE_FUZZ_CHECK(w.box.shown == 1);
        QUORVANE_FUZZ_CHECK(w.form.lstMoveList.ListCount() == 0);
        return 0;
    }
    const auto &game = scan.games.back();
    QUORVANE_FUZZ_CHECK(w.box.shown == 0);
    QUORVANE_FUZZ_CHECK(w.form.lstMoveList.ListCount() == game.moveLines);
    QUORVANE_FUZZ_CHECK(w.form.lblFileName.Caption == "(pasted)");
    return 0;
}
