#pragma once
// The tokens of PGN text, as the reader and the index both see them, so that
// both cut a file into the same games. Views into the text; nothing is copied.
//
// Lenient where files in the wild are: a byte order mark anywhere between
// tokens is white space; a tag string ends at the end of its line if no quote
// does; a brace comment left open ends where a line starts with a tag pair, so
// one broken game does not swallow the rest of a file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane::chess::pgn {

enum class TokenKind : std::uint8_t {
    End,
    Tag,        // text: the name; value: the string as written, escapes kept
    Comment,    // text: inside the braces, or after ";" to the end of the line
    Nag,        // text: the digits after "$"
    Suffix,     // "!", "?", "!!", "??", "!?", "?!" or another run of them
    Open,       // "("
    Close,      // ")"
    MoveNumber, // "12.", "12...", "12"
    Result,     // "1-0", "0-1", "1/2-1/2", "*"
    Move,       // a SAN-like word: "e4", "Nbd7", "exd8=Q+", "O-O", "0-0"
    Junk,       // anything else, up to the next delimiter
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::string_view text;
    std::string_view value;
    std::size_t offset = 0; // where the token starts in the text
};

class Lexer {
public:
    explicit Lexer(std::string_view text, std::size_t position = 0) : text_(text), pos_(position) {
        lineStart_ = pos_ == 0 || text_[pos_ - 1] == '\n';
    }

    Token next();

    struct Mark {
        std::size_t pos;
        bool lineStart;
    };
    Mark mark() const { return {pos_, lineStart_}; }
    void reset(Mark m) {
        pos_ = m.pos;
        lineStart_ = m.lineStart;
    }
    std::size_t position() const { return pos_; }

    // Past the tokens of movetext without making them, exactly as next() and
    // nextGame would go through them: the move words at the outermost level
    // are added to moves, variations opened and closed change depth. Stops
    // before a tag pair (standing on its "["), after a result at the
    // outermost level, or at the end of the text. An index of a database
    // spends most of its time here, so this is one loop over the bytes.
    enum class MovetextStop : std::uint8_t { End, Tag, Result };
    MovetextStop skipMovetext(int &depth, std::uint32_t &moves);

private:
    bool tagLineAt(std::size_t i) const;
    void skipSpace();
    Token tag(std::size_t start);
    Token braceComment(std::size_t start);
    Token lineComment(std::size_t start);
    Token number(std::size_t start);
    Token word(std::size_t start, TokenKind kind);

    std::string_view text_;
    std::size_t pos_ = 0;
    bool lineStart_ = true;
};

// The next game from where lexer stands: it starts at its first token and ends
// after its result at the outermost level, before a tag pair that follows its
// movetext, or at the end of the text. onTag(name, rawValue) sees the tag pairs
// of its tag section. moves counts the move words outside variations (what
// was written, not what is legal). False when only white space and comments
// were left.
struct GameExtent {
    std::size_t offset = 0;
    std::size_t length = 0;
    std::uint32_t moves = 0;
};
template <class OnTag> bool nextGame(Lexer &lexer, GameExtent &game, OnTag &&onTag) {
    game = {};
    bool started = false, content = false, movetext = false;
    std::size_t end = 0;
    int depth = 0;
    while (true) {
        const Lexer::Mark before = lexer.mark();
        const Token t = lexer.next();
        if (t.kind == TokenKind::End) {
            end = t.offset;
            break;
        }
        if (!started) {
            started = true;
            game.offset = t.offset;
        }
        end = lexer.position();
        switch (t.kind) {
        case TokenKind::Tag:
            if (movetext) {
                lexer.reset(before);
                end = t.offset;
                goto done;
            }
            content = true;
            onTag(t.text, t.value);
            break;
        case TokenKind::Comment:
            break;
        case TokenKind::Open:
            ++depth;
            movetext = content = true;
            break;
        case TokenKind::Close:
            depth = depth > 0 ? depth - 1 : 0;
            movetext = content = true;
            break;
        case TokenKind::Result:
            movetext = content = true;
            if (depth == 0)
                goto done;
            break;
        case TokenKind::Move:
            if (depth == 0)
                ++game.moves;
            movetext = content = true;
            break;
        default:
            movetext = content = true;
            break;
        }
        if (movetext) {
            // The rest of the movetext needs no tokens, only their count.
            lexer.skipMovetext(depth, game.moves);
            end = lexer.position();
            break;
        }
    }
done:
    game.length = end - game.offset;
    return content;
}

// A tag value with PGN's two escapes undone (\" and \\).
std::string unescapeTagValue(std::string_view raw);

// True when bytes are well-formed UTF-8 (no overlong forms or surrogates).
bool isValidUtf8(std::string_view bytes);

} // namespace quorvane::chess::pgn
