// Games inside e-mail: saved messages in every common shape, mailboxes, pasted
// text and hostile messages, read with the real MIME parser. A game found in a
// message must replay exactly as the same record saved as a .txt file.

#include "cli/to_pgn.h"
#include "mail/gmime_parser.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace quorvane {
namespace {

using testing::Harness;

// What a load shows: the lists, the labels and the board at the last move.
struct Replay {
    std::vector<std::string> moves;
    std::vector<std::string> fields;
    std::string white, black, date, file;
    std::vector<testing::PieceState> end;
    bool operator==(const Replay &) const = default;
};

Replay ReplayOf(ChsMain &form) {
    Replay r{form.lstMoveList.Items(),
             form.lstFieldsList.Items(),
             form.lblWhitePlayer.Caption,
             form.lblBlackPlayer.Caption,
             form.lblDate.Caption,
             form.lblFileName.Caption,
             {}};
    if (form.lstMoveList.ListCount() > 0) {
        form.lstMoveList.SetListIndex(form.lstMoveList.ListCount() - 1);
        form.lstMoveList_DblClick();
    }
    r.end = testing::Snapshot(form);
    return r;
}

struct ScriptedChooser : GameChooser {
    std::optional<std::size_t> answer;
    std::vector<std::vector<GameChoice>> asked;
    std::optional<std::size_t> Choose(const std::vector<GameChoice> &games) override {
        asked.push_back(games);
        return answer;
    }
};

// The harness with the real parser.
struct MailHarness : Harness {
    mail::GMimeMessageParser parser;
    ScriptedChooser chooser;
    MailHarness() {
        form.MailParser = &parser;
        form.Chooser = &chooser;
    }
};

Replay LoadedAs(const std::string &path, const std::string &bytes) {
    MailHarness h;
    h.Open(path, bytes);
    EXPECT_TRUE(h.box.shown.empty()) << path;
    return ReplayOf(h.form);
}

std::string Latin1ToUtf8(const std::string &bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string Base64(const std::string &bytes) {
    static const char *digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            v |= static_cast<unsigned char>(bytes[i + 2]);
        out += digits[(v >> 18) & 63];
        out += digits[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? digits[(v >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? digits[v & 63] : '=';
        if ((i / 3 + 1) % 19 == 0)
            out += '\n';
    }
    return out + "\n";
}

// Quoted-printable with short lines, so that soft line breaks fall inside the
// record's lines.
std::string QuotedPrintable(const std::string &bytes) {
    std::string out;
    int column = 0;
    for (unsigned char c : bytes) {
        if (c == '\n') {
            out += '\n';
            column = 0;
            continue;
        }
        char piece[4] = {static_cast<char>(c), 0, 0, 0};
        if (c >= 0x80 || c == '=')
            std::snprintf(piece, sizeof piece, "=%02X", c);
        if (column >= 9) {
            out += "=\n";
            column = 0;
        }
        out += piece;
        column += static_cast<int>(std::string(piece).size());
    }
    return out;
}

std::string Message(const std::string &headers, const std::string &body) {
    return "From: Chess Room <games@example.org>\nTo: player@example.org\nSubject: Your game\n"
           "Date: Tue, 1 Jun 2004 20:11:16 +0000\nMIME-Version: 1.0\n" +
           headers + "\n" + body;
}

std::string Crlf(const std::string &text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

// A real record with a name the code page holds but ASCII does not.
std::string Record() {
    std::string text = testing::ReadTestData("game_015.txt");
    const auto white = text.find(";White: ");
    text.insert(white + 8, "Jos\xE9_");
    return text;
}

std::string Html(const std::string &record) {
    std::string html = "<html><head><style>div{}</style></head><body><div>Here is the game:</div><div><br></div>";
    std::size_t start = 0;
    while (start < record.size()) {
        std::size_t end = record.find('\n', start);
        if (end == std::string::npos)
            end = record.size();
        const std::string line = record.substr(start, end - start);
        html += line.empty() ? "<div><br></div>\n" : "<div>" + line + "</div>\n";
        start = end + 1;
    }
    std::string escaped;
    for (char c : html) {
        if (static_cast<unsigned char>(c) == 0xE9)
            escaped += "&eacute;";
        else
            escaped += c;
    }
    return escaped + "<p>Thanks for playing &amp; see you soon</p></body></html>";
}

std::string Quoted(const std::string &text) {
    std::string out = "> ";
    for (char c : text) {
        out += c;
        if (c == '\n')
            out += "> ";
    }
    return out;
}

// A UTF-8 part with no transfer encoding is handed over where it stands in the
// message; the same part labelled Latin-1 goes through decoding and conversion.
// The two must give the same text, to the byte, in every shape of message.
TEST(MailParts, TextReadWhereItStandsIsTheDecodedText) {
    auto shapes = [](const std::string &charset) {
        const std::string type = "Content-Type: text/plain; charset=" + charset + "\n";
        const std::string html = "Content-Type: text/html; charset=" + charset + "\n";
        return std::vector<std::pair<std::string, std::string>>{
            {"one part", "Subject: x\n" + type + "\n;Title: a\nline two\n"},
            {"one part, CR LF", "Subject: x\r\n" + type.substr(0, type.size() - 1) + "\r\n\r\n;Title: a\r\nb\r\n"},
            {"8bit", "Subject: x\n" + type + "Content-Transfer-Encoding: 8bit\n\nbody\n"},
            {"two parts",
             "Subject: x\nContent-Type: multipart/alternative; boundary=\"b\"\n\n--b\n" + type +
                 "\nplain text\n\n--b\n" + html + "\n<p>html</p>\n--b--\n"},
            {"an attached message",
             "Subject: x\nContent-Type: multipart/mixed; boundary=\"b\"\n\n--b\n" + type + "\nouter\n--b\n"
             "Content-Type: message/rfc822\n\nSubject: inner\n" + type + "\ninner text\n--b--\n"},
            {"quoted-printable", "Subject: x\n" + type + "Content-Transfer-Encoding: quoted-printable\n\na=3Db\n"},
        };
    };
    mail::GMimeMessageParser parser;
    const auto utf8 = shapes("utf-8");
    const auto latin1 = shapes("iso-8859-1");
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        SCOPED_TRACE(utf8[i].first);
        const std::vector<MessageTextPart> borrowed = parser.TextParts(utf8[i].second);
        const std::vector<MessageTextPart> decoded = parser.TextParts(latin1[i].second);
        ASSERT_EQ(borrowed.size(), decoded.size());
        ASSERT_FALSE(borrowed.empty());
        for (std::size_t k = 0; k < borrowed.size(); ++k) {
            EXPECT_EQ(borrowed[k].Text(), decoded[k].Text());
            EXPECT_EQ(borrowed[k].html, decoded[k].html);
            EXPECT_FALSE(decoded[k].borrowed);
            EXPECT_EQ(borrowed[k].borrowed, utf8[i].first != "quoted-printable");
        }
    }
}

TEST(MailOpen, EveryShapeOfMessageReplaysAsTheRecordInside) {
    const std::string record = Record();
    const std::string utf8 = Latin1ToUtf8(record);
    const std::string greeting = "Hello,\n\nthe game you asked for:\n\n";
    const std::string signature = "\n\n-- \nChess Room\n1. Unsubscribe at any time.\n";
    const Replay expected = [&] {
        Replay r = LoadedAs("/games/game.txt", record);
        r.file = "game.eml";
        return r;
    }();
    ASSERT_EQ(expected.white, "White: Jos\xE9_queen_pusher66");

    const std::string alternative = "Content-Type: multipart/alternative; boundary=\"b1\"\n";
    const struct {
        const char *name;
        std::string message;
    } rows[] = {
        {"plain", Message("Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: 8bit\n",
                          greeting + utf8 + signature)},
        {"quoted-printable with soft breaks",
         Message("Content-Type: text/plain; charset=iso-8859-1\nContent-Transfer-Encoding: quoted-printable\n",
                 QuotedPrintable(greeting + record + signature))},
        {"base64 UTF-8", Message("Content-Type: text/plain; charset=UTF-8\nContent-Transfer-Encoding: base64\n",
                                 Base64(greeting + utf8 + signature))},
        {"base64 ISO-8859-1",
         Message("Content-Type: text/plain; charset=ISO-8859-1\nContent-Transfer-Encoding: base64\n",
                 Base64(greeting + record + signature))},
        {"multipart/alternative",
         Message(alternative, "This is a multi-part message.\n--b1\nContent-Type: text/plain; charset=utf-8\n\n" +
                                  greeting + utf8 + signature +
                                  "\n--b1\nContent-Type: text/html; charset=utf-8\n\n<p>HTML</p>\n--b1--\n")},
        {"HTML only", Message("Content-Type: text/html; charset=us-ascii\n", Html(record))},
        {"forwarded with quoting",
         Message("Content-Type: text/plain; charset=utf-8\n",
                 "Have a look.\n\n---- Forwarded ----\n" + Quoted(greeting + utf8) + "\n> \n> " + signature)},
        {"signature right after the moves",
         Message("Content-Type: text/plain; charset=utf-8\n", utf8 + "\n-- \nsent from my phone\n")},
        {"CR LF", Crlf(Message("Content-Type: text/plain; charset=utf-8\n", greeting + utf8 + signature))},
        {"attached as a message",
         Message(
             "Content-Type: multipart/mixed; boundary=\"m\"\n",
             "--m\nContent-Type: text/plain\n\nSee attached.\n--m\nContent-Type: message/rfc822\n\n" +
                 Message("Content-Type: text/plain; charset=iso-8859-1\nContent-Transfer-Encoding: 8bit\n", record) +
                 "\n--m--\n")},
        {"a mailbox of one", "From games@example.org Tue Jun  1 20:11:16 2004\n" +
                                 Message("Content-Type: text/plain; charset=utf-8\n", greeting + utf8)},
    };
    for (const auto &row : rows) {
        MailHarness h;
        h.Open("/mail/game.eml", row.message);
        EXPECT_TRUE(h.box.shown.empty()) << row.name;
        EXPECT_TRUE(h.chooser.asked.empty()) << row.name;
        EXPECT_EQ(h.module.strFileName, "/mail/game.eml") << row.name;
        EXPECT_EQ(ReplayOf(h.form), expected) << row.name;
        // The file system is the one from before the load.
        EXPECT_EQ(h.module.objFileSystem.get(), h.files) << row.name;
    }
}

TEST(MailOpen, TheContentDecidesNotTheName) {
    const std::string record = testing::ReadTestData("game_032.txt");
    Replay expected = LoadedAs("game.eml", record);
    {
        // A record under a mail name is read as the record it is.
        Harness plain;
        plain.Open("game.eml", record);
        EXPECT_EQ(ReplayOf(plain.form), expected);
    }
    // Text that starts like a message is e-mail: with no record in it, it is
    // never read as one (its headers would be the players and its body the moves).
    const std::string notGame = "Subject: hello\n\nline 1\nline 2\nline 3\nline 4\n";
    MailHarness h;
    h.Open("note.eml", notGame);
    ASSERT_EQ(h.box.shown.size(), 1u);
    EXPECT_EQ(h.box.shown[0].title, std::optional<std::string>("Invalid File"));
    EXPECT_EQ(h.form.MailFailure, "no game record in the message");
    EXPECT_EQ(h.form.lstMoveList.ListCount(), 0);
    // The same message with a broken record in it is e-mail without a game.
    MailHarness broken;
    broken.Open("broken.eml", "Subject: x\n\n;Title: Chess Game\n;White: w\n\n1. e2-e4\n");
    ASSERT_EQ(broken.box.shown.size(), 1u);
    EXPECT_EQ(broken.box.shown[0].title, std::optional<std::string>("Invalid File"));
    EXPECT_EQ(broken.form.MailFailure, "no complete game record in the message");
    EXPECT_EQ(broken.form.lstMoveList.ListCount(), 0);
}

TEST(MailOpen, MailboxOfSeveralGamesGoesThroughTheChooser) {
    const std::string a = testing::ReadTestData("game_015.txt");
    const std::string b = testing::ReadTestData("game_073.txt");
    const std::string mbox = "From games@example.org Tue Jun  1 20:11:16 2004\n" +
                             Message("Content-Type: text/plain\n", a) +
                             "\n\nFrom friend@example.org Wed Jun  2 10:00:00 2004\n"
                             "From: friend@example.org\nSubject: hi\n\nNo game here.\n>From the park.\n\n"
                             "From games@example.org Thu Jun  3 20:11:16 2004\n" +
                             Message("Content-Type: text/plain\nContent-Transfer-Encoding: base64\n", Base64(b));
    Replay second = LoadedAs("box.mbox", b);

    MailHarness h;
    h.chooser.answer = 1;
    h.Open("/mail/box.mbox", mbox);
    ASSERT_EQ(h.chooser.asked.size(), 1u);
    const auto &games = h.chooser.asked[0];
    ASSERT_EQ(games.size(), 2u);
    EXPECT_EQ(games[0].white, "queen_pusher66");
    EXPECT_EQ(games[0].black, "castle_wolf50");
    EXPECT_EQ(games[0].date, "Wed Mar 17 21:35:25 GMT 1886");
    EXPECT_EQ(games[0].moveLines, 49);
    EXPECT_EQ(games[1].moveLines, second.moves.size());
    EXPECT_TRUE(h.box.shown.empty());
    EXPECT_EQ(ReplayOf(h.form), second);

    // Cancelled: the game on the board stays, and so does its position.
    const Replay before = ReplayOf(h.form);
    h.chooser.answer.reset();
    h.Open("/mail/other.mbox", mbox);
    EXPECT_EQ(h.chooser.asked.size(), 2u);
    EXPECT_EQ(h.module.strFileName, "/mail/box.mbox");
    EXPECT_EQ(ReplayOf(h.form), before);
    EXPECT_TRUE(h.box.shown.empty());
}

// A mailbox of one-move games between messages that hold none: a base64
// game, a message with no record and a line the mailbox quoted.
std::string ManyGames(int games) {
    std::string mbox;
    for (int i = 0; i < games; ++i) {
        const std::string record = ";Title: Chess Game\n;White: player_" + std::to_string(i) + "\n;Black: b\n;Date: d\n\n" +
                                   "1. e2-e4 e7-e5\n" + std::string(i % 3 == 0 ? "2. g1-f3 b8-c6\n" : "");
        mbox += "From x@example.org Tue Jun  1 20:11:16 2004\n";
        mbox += i % 5 == 4 ? Message("Content-Type: text/plain\nContent-Transfer-Encoding: base64\n", Base64(record))
                           : "From: x\n\n" + record;
        mbox += "\nFrom y@example.org Tue Jun  1 20:11:16 2004\nFrom: y\n\nNo game.\n>From here.\n\n";
    }
    return mbox;
}

TEST(MailScanChunks, GivesWhatTheWholeScanFindsInChunksAndStops) {
    const std::string mbox = ManyGames(23);
    mail::GMimeMessageParser parser;
    const MailScan whole = FindGames(mbox, parser, false);
    ASSERT_EQ(whole.games.size(), 23u);
    const MailScan firstTwo = FindGames(mbox, parser, false, 2);
    EXPECT_FALSE(firstTwo.complete);
    ASSERT_EQ(firstTwo.games.size(), 2u);
    EXPECT_EQ(firstTwo.games.record(0), whole.games.record(0));
    EXPECT_TRUE(whole.complete);

    const struct {
        const char *name;
        std::size_t chunk;
        std::size_t from; // a game's index: the scan starts after the one before
    } rows[] = {{"one game a chunk", 1, 0}, {"seven a chunk", 7, 0}, {"one chunk", 1000, 0},
                {"after the first two", 4, 2}, {"after the last", 3, 23}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const std::size_t from = row.from == 0 ? 0 : whole.games[row.from - 1].message.end;
        std::vector<FoundGame> found;
        std::vector<std::size_t> sizes;
        std::size_t scanned = 0;
        ScanMailGames(mbox, parser, from, row.chunk, [&](FoundGames &&games, std::size_t at) {
            EXPECT_GT(at, scanned);
            scanned = at;
            sizes.push_back(games.size());
            for (const FoundGame &game : games)
                found.push_back(game);
            return true;
        });
        ASSERT_EQ(found.size(), whole.games.size() - row.from);
        for (std::size_t i = 0; i < found.size(); ++i) {
            const FoundGame want = whole.games[row.from + i];
            EXPECT_EQ(found[i].white, want.white) << i;
            EXPECT_EQ(found[i].moveLines, want.moveLines) << i;
            EXPECT_EQ(found[i].message.begin, want.message.begin) << i;
            EXPECT_EQ(found[i].message.end, want.message.end) << i;
            EXPECT_TRUE(found[i].record.empty());
            EXPECT_EQ(RecordOfMessage(mbox, found[i].message, parser), RecordOf(whole, row.from + i, parser)) << i;
        }
        for (std::size_t i = 0; i + 1 < sizes.size(); ++i)
            EXPECT_EQ(sizes[i], row.chunk);
        if (!found.empty())
            EXPECT_GE(scanned, found.back().message.end);
        const std::optional<FoundGame> after = MailGameAfter(mbox, parser, from);
        ASSERT_EQ(after.has_value(), !found.empty());
        if (after)
            EXPECT_EQ(after->white, found[0].white);
    }

    // Stopped: by the chunk's answer, or by the flag before any message is read.
    int calls = 0;
    ScanMailGames(mbox, parser, 0, 5, [&](FoundGames &&, std::size_t) { return ++calls < 2; });
    EXPECT_EQ(calls, 2);
    const std::atomic<bool> stop = true;
    calls = 0;
    ScanMailGames(mbox, parser, 0, 5, [&](FoundGames &&, std::size_t) { return ++calls, true; }, &stop);
    EXPECT_EQ(calls, 0);
    // No mail at all gives no game.
    ScanMailGames("[Event \"x\"]\n", parser, 0, 5, [&](FoundGames &&, std::size_t) { return ++calls, true; });
    EXPECT_EQ(calls, 0);
}

// A chooser that picks a game from the first chunk, before the rest of the
// mailbox was scanned: the window knows those games only.
struct FirstChunkChooser : GameChooser {
    std::size_t chunk = 2;
    std::size_t answer = 0;
    std::size_t offered = 0;
    std::optional<std::size_t> Choose(const std::vector<GameChoice> &) override { return std::nullopt; }
    std::optional<std::size_t> ChooseScanned(GameScan &scan, std::vector<Span> &spans) override {
        const std::atomic<bool> never = false;
        scan.Scan(chunk, [&](GameScan::Chunk &&found) {
            spans = found.spans;
            offered = found.games.size();
            return false;
        }, never);
        return answer;
    }
};

TEST(MailOpen, CtrlPageDownGoesPastTheGamesTheListHadFound) {
    const std::string mbox = ManyGames(6);
    MailHarness h;
    FirstChunkChooser chooser;
    chooser.answer = 1;
    h.form.Chooser = &chooser;
    h.Open("/mail/box.mbox", mbox);
    // The first two games were found before the list was shown.
    EXPECT_EQ(chooser.offered, 2u);
    EXPECT_EQ(h.form.lblWhitePlayer.Caption, "White: player_1");
    for (const char *white : {"White: player_2", "White: player_3", "White: player_4", "White: player_5"}) {
        EXPECT_TRUE(h.form.OpenAdjacentGame(1));
        EXPECT_EQ(h.form.lblWhitePlayer.Caption, white);
    }
    EXPECT_FALSE(h.form.OpenAdjacentGame(1)) << "the mailbox's last game";
    EXPECT_EQ(h.form.GameOfFile(), std::optional<std::size_t>(5));
    EXPECT_TRUE(h.form.OpenAdjacentGame(-1));
    EXPECT_EQ(h.form.lblWhitePlayer.Caption, "White: player_4");
    EXPECT_EQ(h.form.lstMoveList.ListCount(), 1) << "its record of one move line";
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(h.form.OpenAdjacentGame(-1));
    EXPECT_EQ(h.form.lblWhitePlayer.Caption, "White: player_0");
    EXPECT_FALSE(h.form.OpenAdjacentGame(-1));
    EXPECT_TRUE(h.box.shown.empty());
}

TEST(MailPaste, ClipboardTextThroughTheSameFinder) {
    const std::string record = testing::ReadTestData("game_118.txt");
    Replay expected = LoadedAs("(pasted)", record);
    const struct {
        const char *name;
        std::string text;
        bool game;
        std::string message = {};
    } rows[] = {
        {"the record alone", record, true},
        {"copied from a web-mail page", "Inbox\nYour game\n\n" + Crlf(record) + "\n\nReply Forward", true},
        {"a whole message", Message("Content-Type: text/plain\nContent-Transfer-Encoding: base64\n", Base64(record)),
         true},
        {"quoted in a reply", "On Tuesday you wrote:\n" + Quoted(record), true},
        {"no game", "just some text\nof six\nlines\nor\nmore\nreally", false,
         "Nothing was pasted: the text holds no game record and no PGN game."},
        {"empty clipboard", "", false, "Nothing was pasted: the clipboard holds no text."},
    };
    for (const auto &row : rows) {
        MailHarness h;
        h.form.PasteGame(row.text);
        if (row.game) {
            EXPECT_TRUE(h.box.shown.empty()) << row.name;
            EXPECT_EQ(ReplayOf(h.form), expected) << row.name;
            EXPECT_EQ(h.module.strFileName, "(pasted)") << row.name;
        } else {
            // Pasting nothing usable never loads the text as a record, and the
            // game on the board stays where it was.
            ASSERT_EQ(h.box.shown.size(), 1u) << row.name;
            EXPECT_EQ(h.box.shown[0].title, std::optional<std::string>("Paste Game")) << row.name;
            EXPECT_EQ(h.box.shown[0].text, row.message) << row.name;
            EXPECT_EQ(h.form.lstMoveList.ListCount(), 0) << row.name;
        }
    }
}

TEST(MailPaste, APasteWithoutAGameLeavesTheGameOnTheBoard) {
    const struct {
        const char *name;
        std::string text;
        const char *message;
    } rows[] = {
        {"plain text", "just some text\nof six\nlines\nor\nmore\nreally",
         "Nothing was pasted: the text holds no game record and no PGN game."},
        {"a record cut short", ";Title: Chess Game\n;White: w\n;Black: b\n\n1. e2-e4",
         "Nothing was pasted: no complete game record in the message."},
        {"empty clipboard", "", "Nothing was pasted: the clipboard holds no text."},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        MailHarness h;
        h.Open("/games/game_118.txt", testing::ReadTestData("game_118.txt"));
        for (int i = 0; i < 7; ++i)
            h.form.cmdNext_Click();
        const std::vector<testing::PieceState> board = testing::Snapshot(h.form);
        const std::vector<std::string> lines = h.form.lstMoveList.Items();
        const std::int64_t selected = h.form.lstMoveList.ListIndex();
        const std::string white = h.form.lblWhitePlayer.Caption;
        h.form.PasteGame(row.text);
        ASSERT_EQ(h.box.shown.size(), 1u);
        EXPECT_EQ(h.box.shown[0].title, std::optional<std::string>("Paste Game"));
        EXPECT_EQ(h.box.shown[0].text, row.message);
        EXPECT_EQ(h.form.Position(), 7);
        EXPECT_EQ(testing::Snapshot(h.form), board);
        EXPECT_EQ(h.form.lstMoveList.Items(), lines);
        EXPECT_EQ(h.form.lstMoveList.ListIndex(), selected);
        EXPECT_EQ(h.form.lblWhitePlayer.Caption, white);
        EXPECT_EQ(h.form.lblFileName.Caption, "game_118.txt");
        EXPECT_EQ(h.module.strFileName, "/games/game_118.txt");
    }
}

TEST(MailToPgn, MessagesAndMailboxesOnTheCommandLine) {
    const auto dir = std::filesystem::temp_directory_path() / ("quorvane-mail-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto write = [&](const char *name, const std::string &text) {
        std::ofstream(dir / name, std::ios::binary) << text;
        return (dir / name).string();
    };
    const std::string a = testing::ReadTestData("game_015.txt");
    const std::string b = testing::ReadTestData("file1.txt");
    const std::string txtA = write("a.txt", a);
    const std::string txtB = write("b.txt", b);
    const std::string eml =
        write("a.eml", Message("Content-Type: text/plain\nContent-Transfer-Encoding: base64\n", Base64("Hi\n\n" + a)));
    const std::string mbox =
        write("two.mbox", "From x Tue Jun  1 20:11:16 2004\n" + Message("Content-Type: text/plain\n", b) +
                              "\nFrom y Tue Jun  1 20:11:16 2004\nSubject: none\n\nhello\n"
                              "\nFrom z Tue Jun  1 20:11:16 2004\n" +
                              Message("Content-Type: text/plain\n", a));
    const std::string empty = write("empty.eml", Message("Content-Type: text/plain\n", ";Title: x\n\n1. e2-e4\n"));
    mail::GMimeMessageParser parser;
    const auto convert = [&](const std::vector<std::string> &paths, std::string *err = nullptr) {
        std::ostringstream out, errors;
        cli::convertToPgn(paths, out, errors, &parser);
        if (err)
            *err = errors.str();
        return out.str();
    };
    // The same games as the records themselves, in mailbox order.
    EXPECT_EQ(convert({eml}), convert({txtA}));
    EXPECT_EQ(convert({mbox}), convert({txtB, txtA}));
    std::string err;
    EXPECT_EQ(convert({empty}, &err), "");
    EXPECT_EQ(err, empty + ": no complete game record in the message\n");
    // A message with no record at all is never written as a game made of its
    // headers.
    const std::string note = write("note.eml", Message("Content-Type: text/plain\n", "one\ntwo\nthree\nfour\n"));
    EXPECT_EQ(convert({note}, &err), "");
    EXPECT_EQ(err, note + ": no game record in the message\n");
    std::filesystem::remove_all(dir);
}

std::string Repeat(const std::string &piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

// The real parser, counting the messages it is given.
struct CountingParser : MessageParser {
    mail::GMimeMessageParser real;
    int calls = 0;
    std::vector<MessageTextPart> TextParts(std::string_view message) override {
        ++calls;
        return real.TextParts(message);
    }
};

TEST(MailToPgn, EachGameOfAMailboxIsWrittenAsItIsFound) {
    const auto path = std::filesystem::temp_directory_path() / ("quorvane-stream-" + std::to_string(::getpid()) + ".mbox");
    std::ofstream(path, std::ios::binary) << ManyGames(10);
    CountingParser parser;
    std::vector<std::pair<std::string, int>> seen; // White, parser calls by then
    const std::string failure = cli::forEachRecord(path.string(), &parser, [&](cli::GameRecord &&record) {
        seen.emplace_back(record.headers.whiteLine, parser.calls);
    });
    EXPECT_EQ(failure, "");
    ASSERT_EQ(seen.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_NE(seen[i].first.find("player_" + std::to_string(i)), std::string::npos) << seen[i].first;
        // Only games 4 and 9 are base64 and need the parser: each game is
        // given before the messages after it are read.
        EXPECT_EQ(seen[i].second, i < 4 ? 0 : i < 9 ? 1 : 2) << i;
    }
    std::ostringstream out, err;
    EXPECT_EQ(cli::convertToPgn({path.string()}, out, err, &parser.real), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    std::size_t games = 0;
    for (std::size_t at = out.str().find("[White \"player_"); at != std::string::npos;
         at = out.str().find("[White \"player_", at + 1))
        ++games;
    EXPECT_EQ(games, 10u);
    std::filesystem::remove(path);
}

TEST(MailHostile, BrokenMessagesNeverCrashOrHang) {
    const std::string record = testing::ReadTestData("file1.txt");
    std::string nested = Message("Content-Type: multipart/mixed; boundary=\"b0\"\n", "");
    for (int i = 1; i < 20000; ++i)
        nested += "--b" + std::to_string(i - 1) + "\nContent-Type: multipart/mixed; boundary=\"b" + std::to_string(i) +
                  "\"\n\n";
    nested += record;
    const struct {
        const char *name;
        std::string message;
        bool loads;
    } rows[] = {
        {"deeply nested multiparts", nested, true},
        {"boundary never closed",
         Message("Content-Type: multipart/mixed; boundary=\"x\"\n", "--x\nContent-Type: text/plain\n\n" + record),
         true},
        {"boundary missing", Message("Content-Type: multipart/mixed\n", "--x\n\n" + record), true},
        {"unknown charset", Message("Content-Type: text/plain; charset=x-no-such-charset\n", record), true},
        {"charset that lies", Message("Content-Type: text/plain; charset=utf-8\n", "caf\xE9\n" + record), true},
        {"huge header", Message("X-Long: " + std::string(1 << 20, 'a') + "\n", record), true},
        {"many headers", Message(Repeat("X-Many: value\n", 50000), record), true},
        {"many short parts",
         Message("Content-Type: multipart/mixed; boundary=\"p\"\n",
                 Repeat("--p\nContent-Type: text/plain\n\nx\n", 20000) + "--p\n\n" + record),
         true},
        {"binary attachment",
         Message("Content-Type: multipart/mixed; boundary=\"q\"\n",
                 "--q\nContent-Type: application/octet-stream\n\n" + std::string("\0\xFF\x01;Title:\n\n", 11) +
                     "\n--q\nContent-Type: text/plain\n\n" + record + "\n--q--\n"),
         true},
        // Nothing readable says "game": e-mail without a record.
        {"bad base64", Message("Content-Transfer-Encoding: base64\n", "!!!!====@@@@\n" + Base64(record)), false},
    };
    for (const auto &row : rows) {
        MailHarness h;
        h.Open("bad.eml", row.message);
        EXPECT_EQ(h.form.lstMoveList.ListCount() > 0, row.loads) << row.name;
        EXPECT_EQ(h.box.shown.size(), row.loads ? 0u : 1u) << row.name;
    }
}

std::string Utf16Le(const std::string &ascii) {
    std::string out;
    for (char c : ascii)
        out += c, out += '\0';
    return out;
}

std::string CrOnly(const std::string &text) {
    std::string out = text;
    for (char &c : out)
        c = c == '\n' ? '\r' : c;
    return out;
}

// Messages the finder once misread: each either replays the record inside, with
// its players' names whole, or is e-mail without a record and says so.
TEST(MailHostile, RecordsWhereverTheyAreAndNothingElse) {
    std::string record = testing::ReadTestData("game_015.txt");
    record.insert(record.find(";White: ") + 8, "Jos\xE9_M\xFC" "ller_");
    const std::string white = "White: Jos\xE9_M\xFC" "ller_queen_pusher66";
    const struct {
        const char *name;
        std::string message;
        bool loads;
    } rows[] = {
        {"Latin-1 labelled UTF-8", Message("Content-Type: text/plain; charset=utf-8\n", record), true},
        {"Latin-1 labelled UTF-8 in base64",
         Message("Content-Type: text/plain; charset=UTF-8\nContent-Transfer-Encoding: base64\n", Base64(record)),
         true},
        {"record in an octet-stream attachment",
         Message("Content-Type: multipart/mixed; boundary=\"a\"\n",
                 "--a\nContent-Type: text/plain\n\nThe game is attached.\n--a\n"
                 "Content-Type: application/octet-stream; name=\"game.txt\"\nContent-Transfer-Encoding: base64\n\n" +
                     Base64(record) + "--a--\n"),
         true},
        {"quoted-printable with the semicolon encoded",
         Message("Content-Type: text/plain; charset=iso-8859-1\nContent-Transfer-Encoding: quoted-printable\n",
                 "=3B" + QuotedPrintable(record).substr(1)),
         true},
        {"CR-only message", CrOnly(Message("Content-Type: text/plain; charset=iso-8859-1\n", record)), true},
        {"CR-only mailbox", CrOnly("From a Tue Jun  1 20:11:16 2004\n" +
                                   Message("Content-Type: text/plain; charset=iso-8859-1\n", record)),
         true},
        {"UTF-16 labelled UTF-8", Message("Content-Type: text/plain; charset=utf-8\n", Utf16Le(testing::ReadTestData("game_015.txt"))),
         false},
        {"record in an attachment that is no text",
         Message("Content-Type: multipart/mixed; boundary=\"a\"\n",
                 "--a\nContent-Type: image/png\nContent-Transfer-Encoding: base64\n\n" + Base64("\x89PNG no record") +
                     "--a--\n"),
         false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        MailHarness h;
        h.Open("/mail/odd.eml", row.message);
        if (row.loads) {
            EXPECT_TRUE(h.box.shown.empty());
            EXPECT_EQ(h.form.lblWhitePlayer.Caption, white);
            EXPECT_EQ(h.form.lstMoveList.ListCount(), 49);
        } else {
            ASSERT_EQ(h.box.shown.size(), 1u);
            EXPECT_EQ(h.box.shown[0].title, std::optional<std::string>("Invalid File"));
            EXPECT_EQ(h.form.MailFailure, "no game record in the message");
            EXPECT_EQ(h.form.lstMoveList.ListCount(), 0);
        }
    }
}

} // namespace
} // namespace quorvane
