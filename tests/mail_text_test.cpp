// The plain-text steps of reading e-mail: first-line detection, mailbox cutting,
// quoting, HTML, Windows-1252 and finding the record's lines.

#include "game/mail_finder.h"
#include "game/mail_text.h"

#include <gtest/gtest.h>

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
                                        "Subject: two\n\nbody two\n"}));
    // Not a mailbox: one message, byte for byte.
    EXPECT_EQ(SplitMailbox("Subject: x\r\n\r\n>From y"), (std::vector<std::string>{"Subject: x\r\n\r\n>From y"}));
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

} // namespace
} // namespace quorvane
