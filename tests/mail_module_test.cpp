// The GMime parser loaded from its module on demand, as the window program has
// it: nothing is loaded before the first message, the module's parser decodes
// what the linked one decodes, and a missing module still leaves plain-text
// messages readable, with the reason kept.
#include "mail/mail_module.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace quorvane {
namespace {

bool GMimeMapped() {
    std::ifstream maps("/proc/self/maps");
    std::stringstream text;
    text << maps.rdbuf();
    return text.str().find("libgmime") != std::string::npos;
}

// A saved message whose only part is the record in base64: only a MIME parser finds it.
std::string Base64Message(const std::string &record) {
    static const char *digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string encoded;
    for (std::size_t i = 0; i < record.size(); i += 3) {
        const std::size_t left = record.size() - i;
        unsigned v = static_cast<unsigned char>(record[i]) << 16;
        if (left > 1)
            v |= static_cast<unsigned char>(record[i + 1]) << 8;
        if (left > 2)
            v |= static_cast<unsigned char>(record[i + 2]);
        encoded += digits[(v >> 18) & 63];
        encoded += digits[(v >> 12) & 63];
        encoded += left > 1 ? digits[(v >> 6) & 63] : '=';
        encoded += left > 2 ? digits[v & 63] : '=';
        if (encoded.size() % 77 == 76)
            encoded += '\n';
    }
    return "From: chess-room@example.com\nSubject: Chess game history\nMIME-Version: 1.0\n"
           "Content-Type: text/plain; charset=us-ascii\nContent-Transfer-Encoding: base64\n\n" +
           encoded + "\n";
}

TEST(MailModule, LoadsOnTheFirstMessageAndDecodesIt) {
    ASSERT_FALSE(GMimeMapped()) << "this test program links no GMime";
    mail::ModuleMessageParser parser({"/nonexistent/quorvane_mail.so", QUORVANE_MAIL_MODULE});
    EXPECT_FALSE(parser.loaded());
    EXPECT_FALSE(GMimeMapped()) << "made, not yet loaded";

    const std::string record = testing::ReadTestData("file1.txt");
    const MailScan scan = FindGames(Base64Message(record), parser);
    EXPECT_TRUE(parser.loaded());
    EXPECT_TRUE(parser.failure().empty()) << parser.failure();
    EXPECT_TRUE(GMimeMapped());
    ASSERT_EQ(scan.games.size(), 1u);
    EXPECT_EQ(scan.games[0].white, "knightowl_77");
    EXPECT_EQ(scan.games[0].moveLines, 30);
}

TEST(MailModule, WithoutTheModuleAPlainMessageStillReads) {
    mail::ModuleMessageParser parser({"/nonexistent/quorvane_mail.so"});
    const std::string record = testing::ReadTestData("file1.txt");
    const std::string plain = "From: chess-room@example.com\nSubject: Chess game history\n\n" + record;
    const MailScan found = FindGames(plain, parser);
    ASSERT_EQ(found.games.size(), 1u) << "the record read as plain lines";
    EXPECT_EQ(found.games[0].moveLines, 30);
    // Encoded, it cannot be found without the parser: no game, and no crash.
    // (A plain message may never ask for the parser; this one must.)
    EXPECT_TRUE(FindGames(Base64Message(record), parser).games.empty());
    EXPECT_FALSE(parser.loaded());
    EXPECT_NE(parser.failure().find("quorvane_mail.so"), std::string::npos) << parser.failure();
}

TEST(MailModule, LooksBesideTheProgramThenInItsParentFolder) {
    const std::vector<std::string> paths = mail::modulePathsBesideProgram();
    ASSERT_EQ(paths.size(), 2u);
    // This program runs from build/tests; the module is built into build/.
    EXPECT_EQ(paths[1], QUORVANE_MAIL_MODULE);
    const std::string beside = "/tests/quorvane_mail.so";
    ASSERT_GT(paths[0].size(), beside.size());
    EXPECT_EQ(paths[0].substr(paths[0].size() - beside.size()), beside);
}

} // namespace
} // namespace quorvane
