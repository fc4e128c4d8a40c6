// The reader and the loader on any bytes at all, written to a real file and
// opened as File > Open does.
//
// Inputs stay small (scripts/fuzz caps them at 16 KiB), so the upper line
// limit is left to the reader's tests: a run near 32,767 lines costs a hundred
// times a small one, and the fuzzer would spend its minute there.
//
// Whatever the bytes, an open ends one of two ways: the count found 6 to 32,767
// lines and the game is loaded (two half-moves per move line, position 0, no
// message), or it did not and there is one "Invalid File" box and an empty
// window.

#include "chess/pgn_reader.h"
#include "fuzz_support.h"
#include "game/reader.h"

#include <cstdint>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

using quorvane::fuzz::Window;

std::string g_path;
int g_fd = -1;

void RemoveFile() {
    if (!g_path.empty())
        ::unlink(g_path.c_str());
}

// The reader's idea of lines: every LF ends one, and a last line without an LF
// counts too. A lone CR ends nothing.
std::int64_t CountLines(const std::string &bytes) {
    std::int64_t lines = 0;
    for (char c : bytes)
        lines += c == '\n';
    if (!bytes.empty() && bytes.back() != '\n')
        ++lines;
    return lines;
}

// Overwrites, then cuts to length: truncating to zero first makes some file
// systems flush the old contents on every run.
void WriteFile(const std::string &bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::pwrite(g_fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        QUORVANE_FUZZ_CHECK(wrote > 0);
        done += static_cast<std::size_t>(wrote);
    }
    QUORVANE_FUZZ_CHECK(::ftruncate(g_fd, static_cast<off_t>(bytes.size())) == 0);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    const char *dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/quorvane-fuzz-XXXXXX.txt";
    g_fd = ::mkstemps(pattern.data(), 4);
    QUORVANE_FUZZ_CHECK(g_fd >= 0);
    g_path = pattern;
    std::atexit(RemoveFile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    WriteFile(bytes);
    const std::int64_t lines = CountLines(bytes);
    const bool valid = lines >= quorvane::kMinRecordLines && lines <= quorvane::kMaxRecordLines;

    Window w;
    w.form.OpenFile(g_path);
    auto &form = w.form;
    QUORVANE_FUZZ_CHECK(form.Status);
    // Content that reads as PGN goes to the PGN reader, not the record's;
    // its own target checks it.
    if (quorvane::chess::looksLikePgn(bytes))
        return 0;
    if (valid) {
        QUORVANE_FUZZ_CHECK(w.box.shown == 0);
        QUORVANE_FUZZ_CHECK(form.lstMoveList.ListCount() == lines - 5);
        QUORVANE_FUZZ_CHECK(form.lstFieldsList.ListCount() == 2 * form.lstMoveList.ListCount());
        QUORVANE_FUZZ_CHECK(form.FieldsPosition.has_value() && *form.FieldsPosition == 0);
        QUORVANE_FUZZ_CHECK(form.lstMoveList.ListIndex() == -1);
        QUORVANE_FUZZ_CHECK(form.lblFileName.Caption == quorvane::FileSystem::GetFileName(g_path));
        QUORVANE_FUZZ_CHECK(form.lstMoveList.List(0).rfind("1. ", 0) == 0);
    } else {
        QUORVANE_FUZZ_CHECK(w.box.shown == 1);
        QUORVANE_FUZZ_CHECK(w.box.lastTitle == std::optional<std::string>("Invalid File"));
        QUORVANE_FUZZ_CHECK(form.lstMoveList.ListCount() == 0);
        QUORVANE_FUZZ_CHECK(form.lstFieldsList.ListCount() == 0);
        QUORVANE_FUZZ_CHECK(form.lblFileName.Caption.empty());
        QUORVANE_FUZZ_CHECK(!form.FieldsPosition.has_value());
        return 0;
    }

    // Play what was loaded, a bounded number of steps: Next, a jump to the last
    // line, back to the start.
    const std::int64_t count = form.lstFieldsList.ListCount();
    for (int i = 0; i < 64; ++i) {
        form.cmdNext_Click();
        QUORVANE_FUZZ_CHECK(form.Position() >= 0 && form.Position() <= count);
    }
    if (count <= 2048) {
        form.lstMoveList.SetListIndex(form.lstMoveList.ListCount() - 1);
        form.lstMoveList_DblClick();
        QUORVANE_FUZZ_CHECK(form.Position() >= 0 && form.Position() <= count);
        while (form.Position() > 0)
            form.cmdBack_Click();
    }
    QUORVANE_FUZZ_CHECK(w.box.shown == 0);
    return 0;
}
