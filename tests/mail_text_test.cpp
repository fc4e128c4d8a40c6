// The plain-text steps of reading e-mail: first-line detection, mailbox cutting,
// quoting, HTML, Windows-1252 and finding the record's lines.

#include "game/mail_finder.h"
#include "game/mail_text.h"

#include <gtest/gtest.h>

#include <random>

#include <sys/resource.h>

namespace quorvane {
namespace {

TEST(MailText, FirstLineOfAMessage) {
    const struct {
        const char *line;
        bool mail;
    } rows[] = {
        {"From: Player <p@example.org>", true},
        {"Received: from mx.example.org", true},
        {"Return-Path: <p@example.org>\r", true},
        {"delivered-to: p@example.org", true},
        {"MIME-Version: 1.0", true},
        {"Content-Type: text/plain", true},
        {"Subject: game", true},
        {"Date: Tue, 1 Jun 2004 20:11:16 +0000", true},
        {"Message-ID: <1@x>", true},
        {"X-Mailer: something", true},
        {"From player@example.org Tue Jun  1 20:11:16 2004", true},
        {";Title: Chess Game", false},
        {"1. e2-e4 e7-e5", false},
        {"X-: empty name", false},
        {"Note: a field no message starts with", false},
        {"From:", true},
        {"Subject : a space before the colon", false},
        {"", false},
        {"From", false},
    };
    for (const auto &row : rows)
        EXPECT_EQ(StartsLikeMail(row.line), row.mail) << row.line;
}

TEST(MailText, MailboxIsCutAtFromLinesAfterAnEmptyLine) {
    const std::string mbox = "From a@x Tue Jun  1 20:11:16 2004\n"
                             "Subject: one\n\nbody one\n>From the start\n>>From deeper\n>not from\n"
                             "From inside the body, no empty line before\n\n"
                             "From b@x Wed Jun  2 20:11:16 2004\r\n"
                             "Subject: two\r\n\r\nbody two";
    EXPECT_EQ(SplitMailbox(mbox),
              (std::vector<std::string>{"Subject: one\n\nbody one\nFrom the start\n>From deeper\n>not from\n"
                                        "From inside the body, no empty line before\n\n",
                                        "Subject: two\r\n\r\nbody two"}));
    // Not a mailbox: one message, byte for byte.
    EXPECT_EQ(SplitMailbox("Subject: x\r\n\r\n>From y"), (std::vector<std::string>{"Subject: x\r\n\r\n>From y"}));
}

// Cutting out only the messages around given places must give exactly the
// messages the whole cut gives there, whatever the line ends and quoting.
TEST(MailText, MessagesAroundPlacesAreThoseOfTheWholeCut) {
    const char *pieces[] = {"From a", ">From b", ">>From c", "From ", "\n", "\n", "\r\n", "\r", "x", "X", " "};
    std::mt19937 random(19);
    for (int round = 0; round < 4000; ++round) {
        std::string bytes = round % 5 == 0 ? "" : "From m";
        const int count = static_cast<int>(random() % 30);
        for (int i = 0; i < count; ++i)
            bytes += pieces[random() % std::size(pieces)];
        struct Given {
            std::string message;
            std::size_t begin, end;
            bool operator==(const Given &) const = default;
        };
        std::vector<Given> every, withX, all, aroundX;
        ForEachMessage(bytes, [&](std::string_view message, MessageSpan span) {
            const Given given{std::string(message), span.begin, span.end};
            if (span.begin < span.end)
                every.push_back(given);
            if (bytes.substr(span.begin, span.end - span.begin).find('X') != std::string::npos)
                withX.push_back(given);
        });
        ForEachMessageAround(
            bytes, [&](std::size_t from) { return from < bytes.size() ? from : std::string::npos; },
            [&](std::string_view message, MessageSpan span) {
                all.push_back({std::string(message), span.begin, span.end});
            });
        ForEachMessageAround(
            bytes, [&](std::size_t from) { return bytes.find('X', from); },
            [&](std::string_view message, MessageSpan span) {
                aroundX.push_back({std::string(message), span.begin, span.end});
            });
        ASSERT_EQ(all, every) << testing::PrintToString(bytes);
        ASSERT_EQ(aroundX, withX) << testing::PrintToString(bytes);
    }
}

TEST(MailText, TitleLinesOnceQuotingIsRemoved) {
    const struct {
        const char *text;
        bool title;
    } rows[] = {
        {";Title: x", true},          {"> ;Title: x", true},       {">> ;Title: x", true},
        {"> > ;Title: x", true},      {">  ;Title: x", false},     {" ;Title: x", false},
        {"x;Title: x", false},        {"a\r;Title: x", true},      {"a\r\n> ;Title: x", true},
        {"a;Title:\n;Title:", true}, {"a;Title: > ;Title:", false}, {"", false},
        {"a\n>x ;Title:", false},    {">\n;Title:", true},
    };
    for (const auto &row : rows)
        EXPECT_EQ(HasTitleLine(row.text), row.title) << testing::PrintToString(std::string(row.text));
}

TEST(MailText, QuotingIsRemoved) {
    EXPECT_EQ(StripQuoting("> ;Title: x\n>> ;White: a\n> > ;Black: b\n>\n>1. e2-e4\r\nplain"),
              ";Title: x\n;White: a\n;Black: b\n\n1. e2-e4\nplain\n");
}

TEST(MailText, HtmlBecomesLines) {
    const struct {
        const char *name;
        const char *html;
        const char *text;
    } rows[] = {
        {"breaks", "a<br>b<BR/>c<br />", "a\nb\nc\n"},
        {"block ends", "<div>a</div><div>b</div><p>c</p>", "a\nb\nc\n"},
        {"empty div with a break is one empty line", "<div>a</div><div><br></div><div>b</div>", "a\n\nb\n"},
        {"no-break space keeps an empty paragraph", "<p>a</p><p>&nbsp;</p><p>b</p>", "a\n\nb\n"},
        {"white space collapses", "<p>\n  a \n  b  </p>\n\n<p> c</p>", "a b\nc\n"},
        {"entities", "&lt;&amp;&gt; &eacute;&#233;&#xE9; &euro; &bogus; & x",
         "<&> \xC3\xA9\xC3\xA9\xC3\xA9 \xE2\x82\xAC &bogus; & x\n"},
        {"script, style and comments", "<head><style>p{}</style></head><script>x<y</SCRIPT>a<!-- b -->c", "ac\n"},
        {"pre keeps its lines", "<pre>1. e2-e4  e7-e5\n2. g1-f3 b8-c6</pre>", "1. e2-e4  e7-e5\n2. g1-f3 b8-c6\n"},
        {"inline tags vanish", "<b>bold</b> <span style=\"x\">and</span> <a href='y'>link</a>", "bold and link\n"},
        {"unfinished tag", "a<div", "a\n"},
        {"unfinished comment", "a<!-- b", "a\n"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(HtmlToText(row.html), row.text) << row.name;
}

TEST(MailText, Windows1252) {
    const struct {
        const char *name;
        std::string utf8;
        std::string bytes;
    } rows[] = {
        {"ascii", "e2-e4", "e2-e4"},
        {"latin-1 letters", "Jos\xC3\xA9 M\xC3\xBCller", "Jos\xE9 M\xFCller"},
        {"the code page's own extras", "\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D \xC5\x92", "\x80 \x93q\x94 \x8C"},
        {"what it cannot hold", "\xE6\x97\xA5 \xF0\x9F\x98\x80 \xC2\x81", "? ? ?"},
        {"invalid UTF-8 kept as bytes", "caf\xE9 \xC3", "caf\xE9 \xC3"},
        {"overlong and surrogate forms", "\xC0\xAF \xED\xA0\x80", "\xC0\xAF \xED\xA0\x80"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(ToWindows1252(row.utf8), row.bytes) << row.name;
}

TEST(MailText, RecordLines) {
    const std::string header = ";Title: Chess Game\n;White: w\n;Black: b\n;Date: Tue Jun 01 20:11:16 GMT 2004\n";
    using Lines = std::vector<std::string>;
    const Lines whole = {";Title: Chess Game", ";White: w", ";Black: b", ";Date: Tue Jun 01 20:11:16 GMT 2004", "",
                         "1. e2-e4 e7-e5",     "2. g1-f3"};
    const struct {
        const char *name;
        std::string text;
        Lines lines;
    } rows[] = {
        {"alone", header + "\n1. e2-e4 e7-e5\n2. g1-f3", whole},
        {"greeting and signature", "Hi,\n\n" + header + "\n1. e2-e4 e7-e5\n2. g1-f3\n\n-- \nMe\n1. not a move", whole},
        {"signature right after the moves", header + "\n1. e2-e4 e7-e5\n2. g1-f3\n-- \n", whole},
        {"CR LF",
         ";Title: Chess Game\r\n;White: w\r\n;Black: b\r\n;Date: Tue Jun 01 20:11:16 GMT 2004\r\n\r\n"
         "1. e2-e4 e7-e5\r\n2. g1-f3\r\n",
         whole},
        {"spaces on the empty line", header + "  \n1. e2-e4 e7-e5\n2. g1-f3\n", whole},
        {"a quoted mention first", ";Title: mentioned\nthen text\n\n" + header + "\n1. e2-e4 e7-e5\n2. g1-f3", whole},
        {"no move line", header + "\nThanks for the game", {}},
        {"fifth line not empty", header + "x\n1. e2-e4 e7-e5", {}},
        {"too short", ";Title: x\n;White: w\n\n1. e2-e4", {}},
        {"no title", "Hello\n\n1. e2-e4", {}},
    };
    for (const auto &row : rows)
        EXPECT_EQ(RecordLines(row.text), row.lines) << row.name;
}

// A parser with no MIME at all: the body after the first empty line is the one
// plain part. It counts the messages it is asked about.
struct BodyParser : MessageParser {
    int calls = 0;
    std::vector<MessageTextPart> TextParts(std::string_view message) override {
        ++calls;
        const std::size_t blank = message.find("\n\n");
        return {{std::string(blank == std::string_view::npos ? message : message.substr(blank + 2)), false}};
    }
};

std::string Repeat(std::string_view piece, std::size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

// The largest resident size the process has had so far, in MiB.
long PeakMib() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

constexpr std::string_view kGame = ";Title: Chess Game\n;White: w\n;Black: b\n;Date: d\n\n1. e2-e4 e7-e5\n";

TEST(MailText, LoneCarriageReturnsEndMailLines) {
    std::string cr(kGame);
    for (char &c : cr)
        c = c == '\n' ? '\r' : c;
    const std::string mbox = "From a\rSubject: one\r\r" + cr + "\rFrom b\rSubject: two\r\r" + cr;
    const std::vector<std::string> messages = SplitMailbox(mbox);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1], "Subject: two\n\n" + std::string(kGame));
    BodyParser parser;
    const MailScan scan = FindGames(mbox, parser);
    ASSERT_EQ(scan.games.size(), 2u);
    EXPECT_EQ(scan.games[0].record, kGame);
    EXPECT_EQ(scan.games[1].white, "w");
    // A lone CR in a message that is no mailbox also ends its lines for MIME.
    EXPECT_EQ(SplitMailbox("Subject: x\r\r;Title:\r\n1."), (std::vector<std::string>{"Subject: x\n\n;Title:\n1.\n"}));
}

TEST(MailText, ASummaryScanDecodesTheChosenGameAgain) {
    const std::string mbox = "From a\nSubject: 1\n\n" + std::string(kGame) + "\nFrom b\nSubject: 2\n\n>From x\n" +
                             std::string(kGame) + "2. g1-f3\n";
    BodyParser parser;
    const MailScan scan = FindGames(mbox, parser, false);
    ASSERT_EQ(scan.games.size(), 2u);
    EXPECT_EQ(scan.games[0].record, kGame);
    EXPECT_EQ(scan.games[1].record, "");
    EXPECT_EQ(scan.games[1].moveLines, 2);
    EXPECT_EQ(RecordOf(scan, 1, parser), std::string(kGame) + "2. g1-f3\n");
    EXPECT_EQ(RecordOf(scan, 0, parser), kGame);
    EXPECT_EQ(RecordOf(scan, 2, parser), "");
}

// Inputs built to freeze or bloat the finder. Each must give the right answer,
// ask the parser only about messages that may hold a record, and stay within
// a small multiple of its size in memory.
TEST(MailText, HostileInputsCostAboutTheirSize) {
    const std::string game(kGame);
    auto boundaries = [](std::string_view form) {
        return "Content-Type: multipart/mixed; " + Repeat(std::string(form) + "x; ", 300) + "\n";
    };
    const std::string mime = "Subject: x\nContent-Type: text/plain\n";
    const struct {
        const char *name;
        std::string mail;
        std::size_t games;
        int parserCalls;
    } rows[] = {
        {"a million empty messages and one game", Repeat("From a\n\n", 1000000) + "From a\n" + mime + "\n" + game, 1,
         1},
        {"100,000 games without MIME fields", Repeat("From a\nSubject: x\n\n" + game + "\n", 100000), 100000, 0},
        {"16 MiB of empty lines after the header", mime + "\n" + std::string(16 << 20, '\n') + game, 1, 1},
        {"16 MiB of lone CRs after the header", "Subject: x\rContent-Type: text/plain\r\r" +
                                                    std::string(16 << 20, '\r') + game,
         1, 1},
        {"a title line of 16 MiB",
         mime + "\n;Title: " + std::string(16 << 20, 'x') + game.substr(game.find('\n')), 1, 1},
        {"boundary= 300 times", "Subject: x\n" + boundaries("boundary=") + "\n" + game, 1, 0},
        {"boundary = 300 times", "Subject: x\n" + boundaries("boundary =") + "\n" + game, 1, 0},
        {"boundary*= 300 times", "Subject: x\n" + boundaries("boundary*=''") + "\n" + game, 1, 0},
        {"boundary*0= 300 times", "Subject: x\n" + boundaries("BOUNDARY*0=") + "\n" + game, 1, 0},
        {"boundary*0*= folded 300 times", "Subject: x\n" + boundaries("Boundary*0*\n =") + "\n" + game, 1, 0},
        {"no title anywhere", Repeat("From a\n" + mime + "\nhello\n\n", 100000), 0, 0},
        {"base64 title", mime + "Content-Transfer-Encoding: base64\n\nOzE7VGl0bGU6\n", 0, 1},
        {"quoted-printable title", mime + "Content-Transfer-Encoding: quoted-printable\n\n=3BTi=\ntle: x\n", 0, 1},
        {"UTF-16 title", mime + "\n" + std::string(";\0T\0i\0t\0l\0e\0:\0", 14), 0, 1},
        {"each form of title in a mailbox's messages, among empty ones",
         Repeat("From a\n\n", 1000) + "From a\n" + mime + "Content-Transfer-Encoding: base64\n\nOzE7VGl0bGU6\n\n" +
             Repeat("From a\n\n", 1000) + "From a\n" + mime + "\n" + game + "\nFrom a\n" + mime +
             "Content-Transfer-Encoding: quoted-printable\n\n=3BTi=\ntle: x\n\nFrom a\n" + mime + "\n" +
             std::string(";\0T\0i\0t\0l\0e\0:\0", 14) + "\n\nFrom a\n" + mime + "\n>From b\n;Ti\n>tle: x\n",
         1, 4},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        BodyParser parser;
        const long before = PeakMib();
        const MailScan scan = FindGames(row.mail, parser);
        EXPECT_TRUE(scan.isMail);
        EXPECT_EQ(scan.games.size(), row.games);
        EXPECT_EQ(parser.calls, row.parserCalls);
#ifndef __SANITIZE_ADDRESS__
        // AddressSanitizer's shadow memory and quarantine make peaks meaningless.
        EXPECT_LT(PeakMib() - before, static_cast<long>(row.mail.size() >> 20) * 3 + 16);
#endif
    }
}

TEST(MailText, ManyAmpersandsCostTheirLength) {
    // Each "&" once looked for its ";" through the whole rest of the text.
    const std::string amps(4 << 20, '&');
    EXPECT_EQ(HtmlToText(amps + "&amp;"), amps + "&\n");
    EXPECT_EQ(HtmlToText("&amp" + std::string(20, 'x') + ";"), "&amp" + std::string(20, 'x') + ";\n");
    EXPECT_EQ(HtmlToText("&#x10FFFF;&hellip;"), "\xF4\x8F\xBF\xBF\xE2\x80\xA6\n");
}

TEST(MailText, MislabelledBytesReadAsWindows1252) {
    const struct {
        const char *name;
        std::string bytes;
        std::string utf8;
    } rows[] = {
        {"valid UTF-8 stays", "Jos\xC3\xA9", "Jos\xC3\xA9"},
        {"Latin-1 letters", "Jos\xE9_M\xFCller", "Jos\xC3\xA9_M\xC3\xBCller"},
        {"Windows-1252 quotes and euro", "\x93\x80\x94", "\xE2\x80\x9C\xE2\x82\xAC\xE2\x80\x9D"},
        {"an unused byte stays", "a\x81\xE9", "a\x81\xC3\xA9"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Utf8OrWindows1252(row.bytes), row.utf8);
        // And back to the record's bytes unchanged.
        EXPECT_EQ(ToWindows1252(Utf8OrWindows1252(row.bytes)), IsUtf8(row.bytes) ? ToWindows1252(row.bytes) : row.bytes);
    }
}

} // namespace
} // namespace quorvane
