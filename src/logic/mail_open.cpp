// Opening a game that arrives as e-mail: a saved message, a mailbox or pasted
// text. The record found in it goes through the same reader and loader as a
// record file, so the replay and every rule of the load are the same.

#include "logic/chs_main.h"

#include "platform/errors.h"

#include <exception>
#include <memory>

namespace quorvane {

namespace {

constexpr const char *kPastedName = "(pasted)";
constexpr const char *kPasteTitle = "Paste Game";

} // namespace

std::optional<std::string> PastedText(Clipboard &clipboard, MessageBox &box) {
    std::string text;
    bool tooLarge = false;
    try {
        text = clipboard.Text();
        tooLarge = text.size() > Clipboard::kMaxPasteBytes;
    } catch (const PlatformError &) {
        tooLarge = true;
    }
    if (!tooLarge)
        return text;
    box.Show("The clipboard holds more than 64 MiB of text, more than a game record can be.", vbCritical,
             "Paste Game");
    return std::nullopt;
}

bool ChsMain::OpenMailFile(const std::string &path) {
    // Only the summaries are kept of a mailbox's games; the one chosen is decoded
    // again when it opens.
    std::optional<MailScan> scan = ScanMailFile(m_.FileSystemObject(), path, *MailParser, false);
    if (!scan)
        return false;
    LoadFoundGame(path, std::move(*scan));
    return true;
}

void ChsMain::PasteGame(const std::string &text) {
    if (PastePgn(text))
        return;
    if (!MailParser)
        return;
    MailScan scan = FindGamesInText(text, *MailParser);
    if (scan.games.empty()) {
        // A paste is no file the user named: without a game in it, the game on
        // the board and its position stay, and the box says why.
        MailFailure = text.empty() ? "the clipboard holds no text"
                      : scan.titleSeen ? kNoGameInMail
                                       : "the text holds no game record and no PGN game";
        box_.Show("Nothing was pasted: " + MailFailure + ".", vbOKOnly, kPasteTitle);
        return;
    }
    LoadFoundGame(kPastedName, std::move(scan));
}

void ChsMain::LoadFoundGame(const std::string &path, MailScan scan) {
    MailFailure.clear();
    std::size_t chosen = 0;
    if (scan.games.size() > 1) {
        if (!Chooser)
            return;
        // The list is given one game at a time: no second copy of a million
        // summaries.
        std::optional<std::size_t> picked;
        try {
            picked = Chooser->ChooseAmong(scan.games.size(), [&](std::size_t index) {
                const FoundGame game = scan.games[index];
                return GameChoice{chess::windows1252ToUtf8(game.date), chess::windows1252ToUtf8(game.white),
                                  chess::windows1252ToUtf8(game.black), game.moveLines};
            });
        } catch (const std::exception &) {
        }
        // Cancelled: the game on the board stays as it was.
        if (!picked || *picked >= scan.games.size())
            return;
        chosen = *picked;
    }
    if (scan.games.empty()) {
        MailFailure = scan.titleSeen || !scan.isMail ? kNoGameInMail : kNoRecordInMail;
        // An empty record fails the count, which shows the designed box.
        LoadRecordText(path, std::string());
        m_.strCountFailure = MailFailure;
        return;
    }
    if (scan.games.size() == 1) {
        LoadRecordText(path, scan.games.takeRecord(0));
        ShowNotation();
        return;
    }
    LoadRecordText(path, RecordOf(scan, chosen, *MailParser));
    {
        // Ctrl+Page Down and Up go on through the mailbox's other games.
        GameSource source;
        source.path = path;
        source.mail = std::make_shared<const MailScan>(std::move(scan));
        source.current = chosen;
        source_ = std::move(source);
        sourceRevision_ = lstFieldsList.Revision();
    }
    ShowNotation();
}

void ChsMain::LoadRecordText(const std::string &path, std::string record) {
    // The record is served under path only for this load; afterwards the file
    // system is the one that was there before.
    m_.FileSystemObject();
    auto *overlay = new OverlayFileSystem(std::move(m_.objFileSystem), path, std::move(record));
    m_.objFileSystem.reset(overlay);
    struct Restore {
        Module1 &m;
        OverlayFileSystem *overlay;
        ~Restore() { m.objFileSystem = overlay->TakeBase(); }
    } restore{m_, overlay};
    try {
        m_.strFileName = path;
        ResetBoard();
        SetNewFile();
    } catch (const std::exception &) {
    }
}

} // namespace quorvane
