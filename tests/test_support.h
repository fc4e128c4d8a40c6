#pragma once
// Scripted dialogs, an in-memory file system and a ready main-window logic for
// the core tests.

#include "logic/chs_main.h"
#include "game/module1.h"
#include "platform/dialogs.h"
#include "platform/text_file.h"

#include <deque>
#include <functional>
#include <map>
#include <ostream>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quorvane::testing {

// Reports the queued answers in turn: a path, or std::nullopt for "cancelled".
class ScriptedDialog : public FileDialog {
public:
    std::deque<std::optional<std::string>> answers;
    int shown = 0;
    std::vector<std::string> filtersSeen;
    std::vector<std::string> initDirsSeen;
    bool ShowOpen() override;
};

struct ShownBox {
    std::string text;
    int style;
    std::optional<std::string> title;
};

class RecordingBox : public MessageBox {
public:
    std::vector<ShownBox> shown;
    void Show(const std::string &text, int style, const std::optional<std::string> &title) override {
        shown.push_back({text, style, title});
    }
};

// Files held in memory. Each path may hold a list of versions: the n-th open
// gets version n (the last one from then on), so a file can change between the
// two passes of a load.
class MemoryFileSystem : public FileSystem {
public:
    std::map<std::string, std::vector<std::string>> files;
    std::map<std::string, int> opens;
    std::unique_ptr<TextStream> OpenTextFile(const std::string &path) override;
};

// A stream over text held in memory, with the disk stream's line rules.
std::unique_ptr<TextStream> MemoryStream(std::string text);

std::string ReadTestData(const std::string &name);

// Makes a record: the five header lines, then the move lines as given.
std::string MakeRecord(const std::vector<std::string> &moveLines, const std::string &white = "White: w",
                       const std::string &black = "Black: b", const std::string &date = "Tue Jun 01 20:11:16 GMT 2004");

// The main window's logic with scripted dialogs and an in-memory file system.
struct Harness {
    Module1 module;
    ScriptedDialog dialog;
    RecordingBox box;
    MemoryFileSystem *files;
    ChsMain form;

    Harness();
    // Opens text through File > Open under the given path.
    void Open(const std::string &path, const std::string &text);
    // Fills the half-move list directly, as if a game with these tokens was loaded.
    void LoadTokens(const std::vector<std::string> &tokens);
};

// All that the board state is: Left, Top, Visible, Tag and Promoted of every piece.
struct PieceState {
    float left;
    float top;
    bool visible;
    std::string tag;
    std::string promoted = {};
    bool operator==(const PieceState &) const = default;
};
void PrintTo(const PieceState &piece, std::ostream *out);
std::vector<PieceState> Snapshot(const ChsMain &form);
std::vector<PieceState> StartSnapshot();

// A second, independent replay: a map from square to piece slot, played by plain
// chess bookkeeping. The engine must agree with it at every position.
class ReferenceBoard {
public:
    ReferenceBoard();
    // Plays half-move n; false when its from-square is empty.
    bool Play(const std::string &token, std::int64_t n);
    // The slot on square, or -1.
    int At(const std::string &square) const;
    const std::map<std::string, int> &Squares() const { return squares_; }

private:
    std::map<std::string, int> squares_;
    std::set<int> promoted_;
};

// Splits a record's move lines into half-move tokens.
std::vector<std::string> TokensOf(const std::string &recordText);

} // namespace quorvane::testing
