// Opening a game that arrives as e-mail: a saved message, a mailbox or pasted
// text. The record found in it goes through the same reader and loader as a
// record file, so the replay and every rule of the load are the same.

#include "logic/chs_main.h"

#include "logic/game_scan.h"
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
    // again when it opens. The first two games tell one game from several; the
    // rest are the game list's to find, so that it shows while it scans.
    std::optional<MailScan> scan = ScanMailFile(m_.FileSystemObject(), path, *MailParser, false, 2);
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
    if (scan.games.empty()) {
        MailFailure = scan.titleSeen || !scan.isMail ? kNoGameInMail : kNoRecordInMail;
        // An empty record fails the count, which shows the designed box.
        LoadRecordText(path, std::string());
        m_.strCountFailure = MailFailure;
        return;
    }
    if (scan.games.size() == 1 && scan.complete) {
        LoadRecordText(path, scan.games.takeRecord(0));
        ShowNotation();
        return;
    }
    if (!Chooser)
        return;
    GameSource source;
    source.path = path;
    source.mail = std::make_shared<const MailScan>(std::move(scan));
    source.partial = !source.mail->complete;
    std::optional<std::size_t> picked;
    try {
        MailGameScan games(source.mail, *MailParser);
        picked = Chooser->ChooseScanned(games, source.spans);
    } catch (const std::exception &) {
    }
    // Cancelled: the game on the board stays as it was.
    if (!picked || *picked >= source.spans.size())
        return;
    source.current = *picked;
    LoadRecordText(path, MailRecordOf(source));
    // Ctrl+Page Down and Up go on through the mailbox's other games.
    source_ = std::move(source);
    sourceRevision_ = lstFieldsList.Revision();
    ShowNotation();
}

std::string ChsMain::MailRecordOf(const GameSource &source) {
    // The games the first scan found keep what it knows of them (the first
    // one its record); the list's later games are decoded from their message.
    if (source.current < source.mail->games.size())
        return RecordOf(*source.mail, source.current, *MailParser);
    const auto [offset, length] = source.spans.at(source.current);
    return RecordOfMessage(source.mail->bytes, {offset, offset + length}, *MailParser);
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
