#include "game/reader.h"

#include "platform/errors.h"
#include "platform/text.h"

#include <algorithm>
#include <exception>
#include <string_view>

namespace quorvane {

void CountMoveLines(Module1 &m, const std::function<void()> &callReset) {
    m.strCountFailure.clear();
    try {
        FileSystem &fs = m.FileSystemObject();
        const auto stream = fs.OpenTextFile(m.strFileName);
        int counter = 0;
        while (!stream->AtEndOfStream()) {
            stream->SkipLine();
            if (counter == kMaxRecordLines)
                throw PlatformError("Overflow: more than 32767 lines", "more than 32,767 lines");
            ++counter;
        }
        const int last = counter - kMinRecordLines;
        if (last < 0)
            throw PlatformError("Subscript out of range: fewer than six lines", "fewer than 6 lines");
        m.intLastMoveLine = last;
        m.arrMoveLines.assign(static_cast<std::size_t>(last) + 1, std::string());
    } catch (const PlatformError &e) {
        m.strCountFailure = e.reason().empty() ? "cannot be read" : e.reason();
        callReset();
    } catch (const std::exception &) {
        m.strCountFailure = "cannot be read";
        callReset();
    }
}

namespace {

// How many leading characters the move number takes, with the spaces after it.
std::size_t MoveNumberLength(std::string_view line) {
    // From move 100 on the number is longer than the fixed cut of three
    // characters, so "123. " is dropped whole.
    std::size_t digits = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9')
        ++digits;
    std::size_t cut = digits >= 3 && digits < line.size() && line[digits] == '.' ? digits + 1 : 3;
    while (cut < line.size() && line[cut] == ' ')
        ++cut;
    return std::min(cut, line.size());
}

} // namespace

std::string CutMoveNumber(const std::string &line) { return line.substr(MoveNumberLength(line)); }

void CutMoveNumberInPlace(std::string &line) { line.erase(0, MoveNumberLength(line)); }

std::pair<std::string_view, std::string_view> SplitHalfMoves(std::string_view line) {
    // Pieces 0 and 1 of the line split at every single space; the rest is not used.
    const auto first = line.find(' ');
    const std::string_view white = line.substr(0, first);
    const std::string_view rest = first == std::string_view::npos ? std::string_view() : line.substr(first + 1);
    return {white, rest.substr(0, rest.find(' '))};
}

void ReadGameFile(Module1 &m) {
    FileSystem &fs = m.FileSystemObject();
    const auto stream = fs.OpenTextFile(m.strFileName);
    m.strTitleLine = stream->ReadLine();
    m.strWhitePlayer = Mid(stream->ReadLine(), 2);
    m.strBlackPlayer = Mid(stream->ReadLine(), 2);
    m.strGameDate = Mid(stream->ReadLine(), 8);
    stream->SkipLine();
    const int last = m.intLastMoveLine;
    // Each line is read straight into its element and cut there, so even a
    // line of many megabytes is never copied.
    for (int i = 0; i <= last; ++i) {
        std::string &line = m.arrMoveLines.at(static_cast<std::size_t>(i));
        stream->ReadLineInto(line);
        CutMoveNumberInPlace(line);
    }
}

} // namespace quorvane
