// PGN in: a game's tags, start position and movetext into the one game model,
// with the variations walked by an explicit stack so that no nesting in the
// input can exhaust the call stack.

#include "chess/pgn_reader.h"

#include "chess/pgn.h"
#include "chess/pgn_lexer.h"

#include <algorithm>
#include <array>
#include <unordered_set>

namespace quorvane::chess {

namespace {

using pgn::Lexer;
using pgn::Token;
using pgn::TokenKind;

// What one game may hold. A real game, however annotated, is far below each;
// past them the rest is left out (tags, variations) or the line stops (moves),
// so a hostile file costs bounded memory.
constexpr std::size_t kMaxGameBytes = 16u << 20;
constexpr std::size_t kMaxMoves = 200000;
constexpr std::size_t kMaxTags = 1000;
constexpr std::size_t kMaxDepth = 500;
// A stop keeps this much of the text it could not read.
constexpr std::size_t kMaxStopText = 200;

constexpr std::array<std::string_view, 7> kRoster{"Event", "Site", "Date", "Round", "White", "Black", "Result"};

bool isResult(std::string_view text) {
    return text == "1-0" || text == "0-1" || text == "1/2-1/2" || text == "*";
}

std::string_view skipBom(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    return bytes;
}

// White space runs become one space, and the ends are trimmed, so a comment
// reads the same however a writer wrapped it.
void appendComment(std::string &to, std::string_view text) {
    bool space = !to.empty();
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            space = !to.empty();
            continue;
        }
        if (space) {
            to += ' ';
            space = false;
        }
        to += c;
    }
}

std::string cutText(std::string_view text) {
    if (text.size() <= kMaxStopText)
        return std::string(text);
    std::size_t cut = kMaxStopText;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return std::string(text.substr(0, cut));
}

std::optional<std::uint8_t> suffixNag(std::string_view s) {
    static constexpr std::array<std::string_view, 6> kSuffixes{"!", "?", "!!", "??", "!?", "?!"};
    for (std::size_t i = 0; i < kSuffixes.size(); ++i)
        if (s == kSuffixes[i])
            return static_cast<std::uint8_t>(i + 1);
    return std::nullopt;
}

// A word shaped like SAN (so that a word that is none is "unreadable", and
// one that is but names no legal move "not a legal move").
bool shapedLikeSan(std::string_view w) {
    while (!w.empty() && (w.back() == '+' || w.back() == '#'))
        w.remove_suffix(1);
    if (w == "O-O" || w == "O-O-O" || w == "0-0" || w == "0-0-0" || w == "o-o" || w == "o-o-o")
        return true;
    if (w.empty())
        return false;
    if (std::string_view("NBRQK").find(w.front()) != std::string_view::npos)
        w.remove_prefix(1);
    if (w.size() >= 2 && w[w.size() - 2] == '=')
        w.remove_suffix(2);
    else if (w.size() >= 3 && std::string_view("NBRQnbrq").find(w.back()) != std::string_view::npos &&
             (w[w.size() - 2] == '1' || w[w.size() - 2] == '8'))
        w.remove_suffix(1);
    if (w.size() < 2 || w.size() > 5)
        return false;
    for (const char c : w)
        if (!((c >= 'a' && c <= 'h') || (c >= '1' && c <= '8') || c == 'x' || c == ':' || c == '-'))
            return false;
    return true;
}

bool standardVariant(std::string_view v) {
    std::string lower;
    for (const char c : v)
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower.empty() || lower == "standard" || lower == "chess" || lower == "normal" ||
           lower == "from position" || lower == "?";
}

class GameReader {
public:
    explicit GameReader(std::string_view text) : lexer_(text) {}

    PgnGameRead read() {
        PgnGameRead out;
        bool movetext = false;
        while (true) {
            const Lexer::Mark before = lexer_.mark();
            const Token t = lexer_.next();
            if (t.kind == TokenKind::End)
                break;
            if (t.kind == TokenKind::Tag) {
                if (movetext) {
                    lexer_.reset(before);
                    break;
                }
                addTag(t);
                continue;
            }
            if (!movetext && t.kind != TokenKind::Comment) {
                movetext = true;
                if (!begin(out.error))
                    return out;
            }
            if (!movetext) {
                appendComment(game_.gameComment, t.text);
                continue;
            }
            if (!movetextToken(t))
                break;
        }
        if (!movetext && !begin(out.error))
            return out;
        while (!frames_.empty())
            closeFrame();
        if (tags_.empty() && game_.mainLine.moves.empty() && !game_.mainLine.stop && !resultRead_) {
            out.error = "no moves and no tags";
            return out;
        }
        finishTags();
        out.game = std::move(game_);
        return out;
    }

private:
    struct Frame {
        Line *line;
        Position position;   // after the line's last move
        Position beforeLast; // before it: where a variation to it starts
        bool stopped = false;
        bool afterVariation = false;
        std::string pendingComment; // for the next move
    };

    void addTag(const Token &t) {
        if (tags_.size() >= kMaxTags || !names_.insert(t.text).second)
            return;
        tags_.push_back({std::string(t.text), pgn::unescapeTagValue(t.value)});
    }

    const std::string *tag(std::string_view name) const {
        for (const TagPair &t : tags_)
            if (t.name == name)
                return &t.value;
        return nullptr;
    }

    // The start position from the tags; false with the reason when the game
    // is not one of standard chess or its position is none.
    bool begin(std::string &error) {
        if (begun_)
            return true;
        begun_ = true;
        if (const std::string *variant = tag("Variant"); variant && !standardVariant(*variant)) {
            error = "not a standard chess game: Variant \"" + *variant + "\"";
            return false;
        }
        const std::string *fen = tag("FEN");
        const std::string *setUp = tag("SetUp");
        if (fen && !(setUp && *setUp == "0")) {
            // Chess960 names its castling rooks by file ("HAha"); standard FEN says KQkq.
            std::size_t field = 0, i = 0;
            while (i < fen->size() && field < 2) {
                if ((*fen)[i] == ' ') {
                    ++field;
                    while (i < fen->size() && (*fen)[i] == ' ')
                        ++i;
                } else {
                    ++i;
                }
            }
            const std::string castling = fen->substr(i, fen->find(' ', i) - i);
            if (castling.find_first_not_of("KQkq-") != std::string::npos) {
                error = "not a standard chess game: Chess960 castling \"" + castling + "\" in the FEN tag";
                return false;
            }
            std::string why;
            const auto position = Position::fromFen(*fen, &why);
            if (!position) {
                error = "the FEN tag is no position: " + why;
                return false;
            }
            game_.start = *position;
            game_.setUp = true;
        }
        frames_.push_back({&game_.mainLine, game_.start, game_.start, false, false, {}});
        return true;
    }

    // False when the game ends here (its result).
    bool movetextToken(const Token &t) {
        if (skipDepth_ > 0) {
            if (t.kind == TokenKind::Open)
                ++skipDepth_;
            else if (t.kind == TokenKind::Close)
                --skipDepth_;
            return true;
        }
        Frame &f = frames_.back();
        switch (t.kind) {
        case TokenKind::Result:
            if (frames_.size() == 1) {
                game_.result = std::string(t.text);
                resultRead_ = true;
                return false;
            }
            return true;
        case TokenKind::Open:
            // A variation is an alternative to the move before it: none there,
            // or one that could not be played, and it has nothing to follow.
            if (f.stopped || f.line->moves.empty() || frames_.size() > kMaxDepth) {
                skipDepth_ = 1;
                return true;
            }
            {
                std::vector<Line> &variations = f.line->moves.back().variations;
                variations.emplace_back();
                const Position start = f.beforeLast;
                frames_.push_back({&variations.back(), start, start, false, false, {}});
            }
            return true;
        case TokenKind::Close:
            if (frames_.size() > 1) {
                // A comment after a variation is the next move's; after one
                // that was dropped it stays the move's before it, as it will
                // read once written again.
                if (closeFrame())
                    frames_.back().afterVariation = true;
            }
            return true;
        case TokenKind::Comment:
            if (f.stopped)
                return true;
            if (frames_.size() == 1 && f.line->moves.empty())
                appendComment(game_.gameComment, t.text);
            else if (f.line->moves.empty() || f.afterVariation)
                appendComment(f.pendingComment, t.text);
            else
                appendComment(f.line->moves.back().commentAfter, t.text);
            return true;
        case TokenKind::Nag:
        case TokenKind::Suffix: {
            if (f.stopped || f.line->moves.empty() || f.afterVariation)
                return true;
            std::optional<std::uint8_t> nag;
            if (t.kind == TokenKind::Suffix) {
                nag = suffixNag(t.text);
            } else if (t.text.size() <= 3) {
                int n = 0;
                for (const char c : t.text)
                    n = n * 10 + (c - '0');
                if (n <= 255)
                    nag = static_cast<std::uint8_t>(n);
            }
            if (nag)
                f.line->moves.back().nags.push_back(*nag);
            return true;
        }
        case TokenKind::MoveNumber:
            return true;
        case TokenKind::Move:
        case TokenKind::Junk:
            if (!f.stopped)
                playMove(f, t);
            return true;
        default:
            return true;
        }
    }

    void stopLine(Frame &f, std::string_view text, std::string reason) {
        f.line->stop = LineStop{f.line->moves.size(), cutText(text), std::move(reason)};
        f.stopped = true;
    }

    void playMove(Frame &f, const Token &t) {
        if (t.kind == TokenKind::Junk) {
            stopLine(f, t.text, "unreadable token");
            return;
        }
        if (moves_ >= kMaxMoves) {
            stopLine(f, t.text, "more than " + std::to_string(kMaxMoves) + " moves in one game");
            return;
        }
        const std::optional<Move> move = f.position.parseSan(t.text);
        if (!move) {
            stopLine(f, t.text, shapedLikeSan(t.text) ? cutText(t.text) + " is not a legal move" : "unreadable token");
            return;
        }
        MoveNode &node = f.line->moves.emplace_back();
        node.move = *move;
        node.san = f.position.toSan(*move);
        node.commentBefore = std::move(f.pendingComment);
        f.pendingComment.clear();
        f.beforeLast = f.position;
        f.position.makeMove(*move);
        f.afterVariation = false;
        ++moves_;
    }

    // Ends the innermost line: a comment left over goes to its last move, and
    // a variation with nothing in it is dropped. True when the line was kept.
    bool closeFrame() {
        Frame &f = frames_.back();
        if (!f.pendingComment.empty()) {
            if (!f.line->moves.empty())
                appendComment(f.line->moves.back().commentAfter, f.pendingComment);
            else if (frames_.size() == 1)
                appendComment(game_.gameComment, f.pendingComment);
        }
        const bool empty = f.line->moves.empty() && !f.line->stop;
        frames_.pop_back();
        if (empty && !frames_.empty())
            frames_.back().line->moves.back().variations.pop_back();
        return !empty;
    }

    // The roster first, in its order (what a game lacks as PGN's "unknown"),
    // then SetUp and FEN for a set-up start, then the others as read: the
    // order toPgn writes, so a game read back from its PGN is the same.
    void finishTags() {
        if (!resultRead_) {
            const std::string *result = tag("Result");
            game_.result = result && isResult(*result) ? *result : "*";
        }
        std::vector<TagPair> tags;
        tags.reserve(tags_.size() + 9);
        for (const std::string_view name : kRoster) {
            const std::string *value = tag(name);
            if (name == "Result")
                tags.push_back({"Result", game_.result});
            else
                tags.push_back({std::string(name), value ? *value : name == "Date" ? "????.??.??" : "?"});
        }
        if (game_.setUp) {
            tags.push_back({"SetUp", "1"});
            tags.push_back({"FEN", game_.start.toFen()});
        }
        for (TagPair &t : tags_)
            if (std::find(kRoster.begin(), kRoster.end(), t.name) == kRoster.end() && t.name != "SetUp" &&
                t.name != "FEN")
                tags.push_back(std::move(t));
        game_.tags = std::move(tags);
    }

    Lexer lexer_;
    Game game_;
    std::vector<TagPair> tags_;
    std::unordered_set<std::string_view> names_;
    std::vector<Frame> frames_;
    std::size_t skipDepth_ = 0;
    std::size_t moves_ = 0;
    bool begun_ = false;
    bool resultRead_ = false;
};

// The first game's extent in bytes.
std::optional<pgn::GameExtent> firstGame(std::string_view bytes) {
    Lexer lexer(bytes);
    pgn::GameExtent extent;
    if (!pgn::nextGame(lexer, extent, [](std::string_view, std::string_view) {}))
        return std::nullopt;
    return extent;
}

} // namespace

PgnGameRead readPgnGame(std::string_view bytes) {
    bytes = skipBom(bytes);
    const std::optional<pgn::GameExtent> extent = firstGame(bytes);
    if (!extent)
        return {std::nullopt, "no moves and no tags"};
    if (extent->length > kMaxGameBytes)
        return {std::nullopt, "the game is larger than 16 MiB"};
    const std::string_view text = bytes.substr(extent->offset, extent->length);
    // Decided per game: a database may hold games from many sources.
    if (pgn::isValidUtf8(text))
        return GameReader(text).read();
    const std::string converted = windows1252ToUtf8(text);
    return GameReader(converted).read();
}

std::vector<PgnGameSpan> splitPgnGames(std::string_view bytes) {
    std::vector<PgnGameSpan> spans;
    Lexer lexer(bytes);
    pgn::GameExtent extent;
    while (pgn::nextGame(lexer, extent, [](std::string_view, std::string_view) {}))
        spans.push_back({extent.offset, extent.length});
    return spans;
}

std::vector<PgnGameSpan> firstPgnGames(std::string_view bytes, std::size_t count) {
    std::vector<PgnGameSpan> spans;
    Lexer lexer(bytes);
    pgn::GameExtent extent;
    while (spans.size() < count && pgn::nextGame(lexer, extent, [](std::string_view, std::string_view) {}))
        spans.push_back({extent.offset, extent.length});
    return spans;
}

std::optional<PgnGameSpan> pgnGameAfter(std::string_view bytes, std::size_t offset) {
    if (offset >= bytes.size())
        return std::nullopt;
    Lexer lexer(bytes, offset);
    pgn::GameExtent extent;
    if (!pgn::nextGame(lexer, extent, [](std::string_view, std::string_view) {}))
        return std::nullopt;
    return PgnGameSpan{extent.offset, extent.length};
}

bool looksLikePgn(std::string_view text) {
    text = skipBom(text);
    Lexer lexer(text);
    Token t = lexer.next();
    while (t.kind == TokenKind::Comment && text[t.offset] == '{')
        t = lexer.next();
    if (t.kind == TokenKind::Tag) {
        // [Name "value"]: the quote after the name.
        const std::size_t after = static_cast<std::size_t>(t.value.data() - text.data());
        return t.value.data() > text.data() && after > 0 && text[after - 1] == '"';
    }
    if (t.kind != TokenKind::MoveNumber || t.text.find('.') == std::string_view::npos)
        return false;
    t = lexer.next();
    if (t.kind == TokenKind::Move)
        return Position().parseSan(t.text).has_value();
    return false;
}

} // namespace quorvane::chess
