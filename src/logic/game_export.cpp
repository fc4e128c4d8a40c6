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
#include <random>
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

std::string RecordPgn(ChsMain &form, const chess::Game *game) {
    if (!RecordLoaded(form))
        return {};
    return chess::toPgnWithOpening(game ? *game : form.ChessGame());
}

std::string AnalysedPgn(ChsMain &form, const chess::Game *changed) {
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
        return RecordPgn(form, changed);
    chess::Game game = changed ? *changed : form.ChessGame();
    engine::annotateGame(game, analysis);
    return chess::toPgnWithOpening(game);
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

namespace {

// The file a save to path writes: path itself, or the file a symbolic link
// there points to (through every link of a chain), so that saving over a link
// keeps the link, as an editor does. A link to nowhere gives its target.
std::string SaveTarget(const std::string &path) {
    std::string target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return target;
        std::string link(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0)
            return target;
        link.resize(static_cast<std::size_t>(n));
        const auto slash = target.find_last_of('/');
        target = link.front() == '/' || slash == std::string::npos ? link : target.substr(0, slash + 1) + link;
    }
    return target;
}

// A new file beside path with a short name of its own (".qv" and six random
// characters), so that a name as long as the folder allows can still be saved.
int CreateTemporaryBeside(const std::string &path, std::string &temporary) {
    static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder + ".qv";
        for (int i = 0; i < 6; ++i)
            temporary += kChars[random() % (sizeof kChars - 1)];
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

void WriteFileWhole(const std::string &requested, const std::string &bytes) {
    const std::string path = SaveTarget(requested);
    std::string temporary;
    const int fd = CreateTemporaryBeside(path, temporary);
    if (fd < 0)
        throw PlatformError("Cannot write " + requested, ErrnoReason(errno));
    auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temporary.c_str());
        throw PlatformError("Cannot write " + requested, ErrnoReason(error));
    };
    // The new file takes the place of the old one with its permissions (a
    // private file stays private) and, when we may, its owner; a new save is an
    // ordinary document.
    struct stat old {};
    const bool replacing = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    mode_t mode = 0;
    if (replacing) {
        mode = old.st_mode & 07777;
        if (::geteuid() == 0 && ::fchown(fd, old.st_uid, old.st_gid) != 0)
            fail(errno);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0)
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
        throw PlatformError("Cannot write " + requested, ErrnoReason(error));
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw PlatformError("Cannot write " + requested, ErrnoReason(error));
    }
}

bool SavePgn(ChsMain &form, SaveDialog &dialog, MessageBox &box, const chess::Game *game, bool withAnalysis) {
    if (!RecordLoaded(form))
        return false;
    const std::string title = withAnalysis ? "Save with Analysis" : "Save as PGN";
    const auto path = dialog.ShowSave(title, PgnPathFor(form.module().strFileName), "PGN files *.pgn|*.pgn");
    if (!path)
        return false;
    const std::string pgn = withAnalysis ? AnalysedPgn(form, game) : RecordPgn(form, game);
    try {
        WriteFileWhole(*path, pgn);
    } catch (const PlatformError &e) {
        box.Show("The game was not saved to " + *path + ":\r\n" + e.reason() + ".", vbCritical, title);
        return false;
    }
    return true;
}

} // namespace quorvane
