#pragma once
// The dialogs and the clipboard the program uses, as small interfaces: the
// windows get the Qt versions, tests get scripted ones.

#include <atomic>
#include <cstddef>
#include <functional>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvane {

class FileDialog {
public:
    virtual ~FileDialog() = default;
    // "description|pattern" pairs joined by "|", as "text files *.txt|*.txt";
    // the first pair is the one chosen when the dialog opens.
    std::string Filter;
    // The folder the dialog opens in; empty for the current folder.
    std::string InitDir;
    // The full path the dialog reported.
    std::string FileName;
    // Modal. False when the user cancelled; FileName is then left as it was.
    virtual bool ShowOpen() = 0;
};

// Where to save a file. The Qt version asks before it overwrites a file.
class SaveDialog {
public:
    virtual ~SaveDialog() = default;
    // Modal. proposedPath is offered first (its folder and name); the path the
    // user chose, or std::nullopt when the user cancelled.
    virtual std::optional<std::string> ShowSave(const std::string &title, const std::string &proposedPath,
                                                const std::string &filter) = 0;
};

// The system clipboard, for text.
class Clipboard {
public:
    // The most text a paste takes: as much as a record file may hold.
    static constexpr std::size_t kMaxPasteBytes = std::size_t{64} * 1024 * 1024;

    virtual ~Clipboard() = default;
    // Replaces the clipboard's contents with text (UTF-8).
    virtual void SetText(const std::string &text) = 0;
    // Its plain text as UTF-8; empty when it holds none. May raise
    // PlatformError ("too large") instead of converting more than
    // kMaxPasteBytes.
    virtual std::string Text() = 0;
};

// Message box styles: the button set plus the icon.
enum MessageBoxStyle : int {
    vbOKOnly = 0,
    vbCritical = 16,
};

class MessageBox {
public:
    // Shown when a box is given no title of its own.
    static constexpr const char *kProgramTitle = "Quorvane";

    virtual ~MessageBox() = default;
    // Modal; returns when the user closes the box.
    virtual void Show(const std::string &text, int style, const std::optional<std::string> &title = std::nullopt) = 0;
};

// A question with three answers, as "Save the variations first?".
enum class Answer { Yes, No, Cancel };
class Question {
public:
    virtual ~Question() = default;
    // Modal. Closing the box without choosing answers Cancel.
    virtual Answer Ask(const std::string &text, const std::string &title) = 0;
};

// The piece a pawn that reaches its last rank becomes.
class PromotionChooser {
public:
    virtual ~PromotionChooser() = default;
    // Modal. 'Q', 'R', 'B' or 'N', or std::nullopt when the user cancelled (Esc,
    // or the box closed).
    virtual std::optional<char> Choose(bool white) = 0;
};

// One line of the game list (UTF-8): what a file says of one of its games. A
// mailbox's games have no result, event, round or ECO code.
struct GameChoice {
    std::string date;
    std::string white;
    std::string black;
    // Moves (move lines of a record).
    int moveLines = 0;
    std::string result = {};
    std::string event = {};
    std::string round = {};
    std::string eco = {};
};

// The games of a file found a chunk at a time, for a list that shows them as
// they come: a PGN database's index, a mailbox's games.
class GameScan {
public:
    // Where a game lies in its file: offset and length.
    using Span = std::pair<std::uint64_t, std::uint64_t>;
    struct Chunk {
        std::vector<GameChoice> games;
        std::vector<Span> spans;
        // How far into the file the scan got, in bytes.
        std::uint64_t scanned = 0;
    };
    virtual ~GameScan() = default;
    // The bytes the whole scan goes through, for a progress bar.
    virtual std::uint64_t Bytes() const = 0;
    // Gives the games in file order, about chunkGames at a time, to chunk. Ends
    // at the end of the file, when chunk returns false, or soon after stop is
    // set. May run on a thread of its own: it touches nothing but what the scan
    // was given, which must stay unchanged while it runs.
    virtual void Scan(std::size_t chunkGames, const std::function<bool(Chunk &&)> &chunk,
                      const std::atomic<bool> &stop) = 0;
};

// Lets the user pick one of the games a file (a PGN database, a mailbox) holds.
class GameChooser {
public:
    virtual ~GameChooser() = default;
    // Modal. The index of the chosen game, or std::nullopt when the user
    // cancelled.
    virtual std::optional<std::size_t> Choose(const std::vector<GameChoice> &games) = 0;
    // The same for count games that game(index) gives one at a time, in order,
    // each once: a list of a million games need not be held twice. Unless a
    // chooser takes them so, they are gathered for Choose.
    virtual std::optional<std::size_t> ChooseAmong(std::size_t count,
                                                   const std::function<GameChoice(std::size_t)> &game) {
        std::vector<GameChoice> games;
        games.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            games.push_back(game(i));
        return Choose(games);
    }

    using Span = GameScan::Span;
    // Modal, for the games scan finds (alive until it returns): the index of
    // the chosen game, or std::nullopt. spans gets where each game found lies:
    // every game of the file, or the first ones only when a game was chosen
    // before the whole file was scanned. A window scans the file while it
    // shows the games found so far; this one scans it first and asks
    // ChooseAmong (logic/game_scan.cpp).
    virtual std::optional<std::size_t> ChooseScanned(GameScan &scan, std::vector<Span> &spans);
    // ChooseScanned for the bytes of a PGN database (alive until it returns).
    virtual std::optional<std::size_t> ChoosePgn(std::string_view bytes, std::vector<Span> &spans);
};

} // namespace quorvane
