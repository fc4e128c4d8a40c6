// File > Open and the loader behind it: the main window's side of reading a game.

#include "logic/chs_main.h"
#include "game/reader.h"

#include <charconv>
#include <exception>
#include <filesystem>
#include <string_view>

namespace quorvane {

namespace {

// The open dialog's filters, the one chosen at first on top; each is
// "description|pattern", patterns separated by ";".
// Saved messages are offered only when a message parser is there to read them.
struct OpenFilterRow {
    std::string_view filter;
    bool needsMail;
};
constexpr OpenFilterRow kOpenFilters[] = {
    {"text files *.txt|*.txt", false},
    {"e-mail messages|*.eml;*.mbox", true},
    {"PGN games|*.pgn", false},
    {"All files|*", false},
};

std::string OpenFilter(bool mail) {
    std::string filter;
    for (const OpenFilterRow &row : kOpenFilters)
        if (mail || !row.needsMail)
            filter.append(filter.empty() ? "" : "|").append(row.filter);
    return filter;
}

// The folder of a path as the file system spells it; empty for a bare name.
std::string FolderOf(const std::string &path) { return std::filesystem::path(path).parent_path().string(); }

} // namespace

void ChsMain::Form_Initialize() { Status = true; }

void ChsMain::mnuOpen_Click() {
    try {
        CommonDialog1.Filter = OpenFilter(MailParser != nullptr);
        // Where the record opened last lies (by the dialog, a drop or the command
        // line): the next one is most likely beside it.
        CommonDialog1.InitDir = FolderOf(m_.strFileName);
        // A cancelled dialog leaves the game on the board as it was.
        if (!CommonDialog1.ShowOpen())
            return;
    } catch (const std::exception &) {
        return;
    }
    OpenFile(CommonDialog1.FileName);
}

void ChsMain::OpenFile(const std::string &path) {
    MailFailure.clear();
    if (MailParser && OpenMailFile(path))
        return;
    try {
        if (OpenPgnFile(path))
            return;
    } catch (const std::exception &) {
        // Out of memory for the index of a huge file: the game on the board stays.
        return;
    }
    // Any failure from here on ends the command quietly; what was done stays.
    try {
        m_.strFileName = path;
        ResetBoard();
        SetNewFile();
        ShowNotation();
    } catch (const std::exception &) {
    }
}

void ChsMain::CallReset() {
    ResetBoard();
    Status = false;
    if (BeforeInvalidBox)
        BeforeInvalidBox(m_.strFileName, MailFailure.empty() ? m_.strCountFailure : MailFailure);
    box_.Show("File not valid.\r\nView Help on loading procedure.", vbCritical, "Invalid File");
}

void ChsMain::SetNewFile() {
    CountMoveLines(m_, [this] { CallReset(); });
    if (!Status) {
        Status = true;
        return;
    }
    ReadGameFile(m_);
    const int last = m_.intLastMoveLine;
    lstMoveList.Reserve(lstMoveList.ListCount() + last + 1);
    for (int i = 0; i <= last; ++i) {
        const std::string &moves = m_.arrMoveLines.at(static_cast<std::size_t>(i));
        char number[16];
        const auto digits = std::to_chars(number, number + sizeof number, i + 1).ptr - number;
        std::string item;
        item.reserve(static_cast<std::size_t>(digits) + 2 + moves.size());
        item.append(number, static_cast<std::size_t>(digits)).append(". ").append(moves);
        lstMoveList.AddItem(std::move(item));
    }
    lblBlackPlayer.Caption = m_.strBlackPlayer;
    lblWhitePlayer.Caption = m_.strWhitePlayer;
    lblDate.Caption = m_.strGameDate;
    lblFileName.Caption = FileSystem::GetFileName(m_.strFileName);
    FillFieldsList();
    FieldsPosition = 0;
}

void ChsMain::FillFieldsList() {
    const int last = m_.intLastMoveLine;
    lstFieldsList.Reserve(lstFieldsList.ListCount() + 2 * (std::int64_t{last} + 1));
    for (int i = 0; i <= last; ++i) {
        // A line that holds White's half-move alone (a game that ended on
        // White's move), or nothing, still gives two entries, the missing ones
        // empty, so White's half-moves stay at even indexes.
        const auto [white, black] = SplitHalfMoves(m_.arrMoveLines.at(static_cast<std::size_t>(i)));
        lstFieldsList.AddItem(std::string(white));
        lstFieldsList.AddItem(std::string(black));
    }
}

} // namespace quorvane
