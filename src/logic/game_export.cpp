#include "logic/game_export.h"

#include "chess/openings.h"
#include "chess/pgn.h"
#include "engine/annotated_pgn.h"
#include "engine/line.h"
#include "chess/record_game.h"
#include "platform/errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

namespace {

bool RecordLoaded(const ChsMain &form) { return form.lstMoveList.ListCount() > 0; }

std::string ErrnoReason(int error) {
    if (error == EACCES || error == EPERM || error == EROFS)
        return "the folder cannot be written to (" + std::string(std::strerror(error)) + ")";
    if (error == ENOSPC || error == EDQUOT)
        return "the disk is full";
    if (error == ENOENT || error == ENOTDIR)
        return "the folder does not exist";
    return std::strerror(error);
}

} // namespace

std::string RecordPgn(ChsMain &form) {
    if (!RecordLoaded(form))
        return {};
    return chess::toPgnWithOpening(form.ChessGame());
}

std::string AnalysedPgn(ChsMain &form) {
    if (!RecordLoaded(form))
        return {};
    const engine::GameAnalysis &analysis = form.Analysis();
    const std::vector<chess::Position> &positions = form.ChessPositions();
    // Where the game is over the rules know the score without an engine; only
    // a searched position makes the game analysed.
    bool searched = false;
    for (std::size_t i = 0; i < analysis.size() && i < positions.size() && !searched; ++i)
        searched = analysis.at(i) && !engine::finalScore(positions[i]);
    if (!searched)
        return chess::toPgn(form.ChessGame());
    chess::Game game = form.ChessGame();
    engine::annotateGame(game, analysis);
    return chess::toPgn(game);
}

BoardFen PositionFen(ChsMain &form) {
    if (!RecordLoaded(form))
        return {{}, "No game is loaded"};
    const chess::Game &game = form.ChessGame();
    const std::vector<chess::Position> &positions = form.ChessPositions();
    const auto at = static_cast<std::size_t>(form.GamePly());
    if (at < positions.size())
        return {positions[at].toFen(), {}};
    return {{}, "Not a legal chess position: " + (game.stop() ? chess::describeStop(game.start, *game.stop()) : "")};
}

std::string PgnPathFor(const std::string &recordPath) {
    const auto slash = recordPath.find_last_of('/');
    const auto dot = recordPath.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return (hasExtension ? recordPath.substr(0, dot) : recordPath) + ".pgn";
}

void WriteFileWhole(const std::string &path, const std::string &bytes) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        throw PlatformError("Cannot write " + path, ErrnoReason(errno));
    auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temporary.c_str());
        throw PlatformError("Cannot write " + path, ErrnoReason(error));
    };
    // mkstemp makes the file readable by its owner only; a saved game is an
    // ordinary document.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0666 & ~mask) != 0)
        fail(errno);
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0)
        fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw PlatformError("Cannot write " + path, ErrnoReason(error));
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw PlatformError("Cannot write " + path, ErrnoReason(error));
    }
}

bool SavePgn(ChsMain &form, SaveDialog &dialog, MessageBox &box, bool withAnalysis) {
    if (!RecordLoaded(form))
        return false;
    const std::string title = withAnalysis ? "Save with Analysis" : "Save as PGN";
    const auto path = dialog.ShowSave(title, PgnPathFor(form.module().strFileName), "PGN files *.pgn|*.pgn");
    if (!path)
        return false;
    const std::string pgn = withAnalysis ? AnalysedPgn(form) : RecordPgn(form);
    try {
        WriteFileWhole(*path, pgn);
    } catch (const PlatformError &e) {
        box.Show("The game was not saved to " + *path + ":\r\n" + e.reason() + ".", vbCritical, title);
        return false;
    }
    return true;
}

} // namespace quorvane
