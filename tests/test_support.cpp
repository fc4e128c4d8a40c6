#include "test_support.h"

#include "board/board.h"
#include "platform/errors.h"
#include "platform/text.h"

#include <fstream>
#include <sstream>

namespace quorvane::testing {

bool ScriptedDialog::ShowOpen() {
    ++shown;
    filtersSeen.push_back(Filter);
    initDirsSeen.push_back(InitDir);
    if (answers.empty())
        return false;
    const auto answer = answers.front();
    answers.pop_front();
    if (!answer)
        return false;
    FileName = *answer;
    return true;
}

namespace {
class StringStream : public TextStream {
public:
    explicit StringStream(std::string text) : text_(std::move(text)) {}
    bool AtEndOfStream() override { return pos_ >= text_.size(); }
    std::string ReadLine() override {
        if (AtEndOfStream())
            throw PlatformError("Input past end of file");
        const auto lf = text_.find('\n', pos_);
        std::string line = text_.substr(pos_, lf == std::string::npos ? std::string::npos : lf - pos_);
        pos_ = lf == std::string::npos ? text_.size() : lf + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return line;
    }

private:
    std::string text_;
    std::size_t pos_ = 0;
};
} // namespace

std::unique_ptr<TextStream> MemoryStream(std::string text) { return std::make_unique<StringStream>(std::move(text)); }

std::unique_ptr<TextStream> MemoryFileSystem::OpenTextFile(const std::string &path) {
    const auto found = files.find(path);
    if (path.empty() || found == files.end() || found->second.empty())
        throw PlatformError("File not found: " + path);
    const int n = opens[path]++;
    const auto &versions = found->second;
    const auto &text = versions[std::min<std::size_t>(static_cast<std::size_t>(n), versions.size() - 1)];
    return MemoryStream(text);
}

std::string ReadTestData(const std::string &name) {
    std::ifstream in(std::string(QUORVANE_TEST_DATA) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string MakeRecord(const std::vector<std::string> &moveLines, const std::string &white, const std::string &black,
                       const std::string &date) {
    std::string text = ";Title: Chess Game\n;" + white + "\n;" + black + "\n;Date: " + date + "\n\n";
    for (std::size_t i = 0; i < moveLines.size(); ++i)
        text += moveLines[i] + (i + 1 < moveLines.size() ? "\n" : "");
    return text;
}

Harness::Harness() : files(new MemoryFileSystem), form(module, dialog, box) {
    module.objFileSystem.reset(files);
    form.Form_Initialize();
}

void Harness::Open(const std::string &path, const std::string &text) {
    files->files[path] = {text};
    dialog.answers.push_back(path);
    form.mnuOpen_Click();
}

void Harness::LoadTokens(const std::vector<std::string> &tokens) {
    module.strFileName = "tokens.txt";
    form.ResetBoard();
    for (const auto &token : tokens)
        form.lstFieldsList.AddItem(token);
    form.FieldsPosition = 0;
}

void PrintTo(const PieceState &piece, std::ostream *out) {
    *out << '{' << piece.left << ", " << piece.top << (piece.visible ? ", shown, " : ", hidden, ") << '"' << piece.tag
         << '"';
    if (!piece.promoted.empty())
        *out << ", =" << piece.promoted;
    *out << '}';
}

std::vector<PieceState> Snapshot(const ChsMain &form) {
    std::vector<PieceState> state;
    for (const auto &piece : form.Image1)
        state.push_back({piece.Left, piece.Top, piece.Visible, piece.Tag, piece.Promoted});
    return state;
}

std::vector<PieceState> StartSnapshot() {
    std::vector<PieceState> state;
    for (const auto &piece : board::MakeStartPieces())
        state.push_back({piece.Left, piece.Top, piece.Visible, piece.Tag});
    return state;
}

ReferenceBoard::ReferenceBoard() {
    for (int slot = 0; slot < board::kPieceCount; ++slot)
        squares_[board::kPieceSlots[static_cast<std::size_t>(slot)].startSquare] = slot;
}

int ReferenceBoard::At(const std::string &square) const {
    const auto found = squares_.find(square);
    return found == squares_.end() ? -1 : found->second;
}

bool ReferenceBoard::Play(const std::string &token, std::int64_t n) {
    const bool white = n % 2 == 0;
    const std::string rank = white ? "1" : "8";
    auto castle = [&](const char *kingTo, const char *rookFrom, const char *rookTo) {
        squares_[kingTo + rank] = squares_.at("e" + rank);
        squares_.erase("e" + rank);
        squares_[rookTo + rank] = squares_.at(rookFrom + rank);
        squares_.erase(rookFrom + rank);
        return true;
    };
    if (token.rfind("o-o-o", 0) == 0)
        return castle("c", "a", "d");
    if (token.rfind("o-o", 0) == 0)
        return castle("g", "h", "f");
    const std::string from = token.substr(0, 2);
    const std::string to = token.substr(3, 2);
    const auto mover = squares_.find(from);
    if (mover == squares_.end())
        return false;
    const int slot = mover->second;
    squares_.erase(mover);
    const bool pawn =
        board::kPieceSlots[static_cast<std::size_t>(slot)].kind == PieceKind::Pawn && !promoted_.count(slot);
    if (pawn && from[0] != to[0] && !squares_.count(to))
        squares_.erase(std::string{to[0], from[1]}); // en passant
    if (pawn && (to[1] == '1' || to[1] == '8'))
        promoted_.insert(slot);
    squares_[to] = slot;
    return true;
}

std::vector<std::string> TokensOf(const std::string &recordText) {
    std::vector<std::string> tokens;
    std::istringstream in(recordText);
    std::string line;
    for (int i = 0; std::getline(in, line); ++i) {
        if (i < 5)
            continue;
        const auto pieces = SplitSpaces(LTrimSpaces(Mid(line, 4)));
        for (std::size_t k = 0; k < 2; ++k)
            tokens.push_back(k < pieces.size() ? pieces[k] : std::string());
    }
    return tokens;
}

} // namespace quorvane::testing
