#pragma once
// What the fuzz targets share: dialogs that need no display, and a check that
// stops the run with a message the fuzzer keeps beside the input that broke it.

#include "logic/chs_main.h"
#include "platform/dialogs.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace quorvane::fuzz {

#define QUORVANE_FUZZ_CHECK(condition)                                                                                 \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);                         \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

// Never used by the targets' paths (they call OpenFile directly); cancels if asked.
class CancelDialog : public FileDialog {
public:
    bool ShowOpen() override { return false; }
};

class CountingBox : public MessageBox {
public:
    int shown = 0;
    std::optional<std::string> lastTitle;
    void Show(const std::string &, int, const std::optional<std::string> &title) override {
        ++shown;
        lastTitle = title;
    }
};

// The main window's logic, ready for events.
struct Window {
    Module1 module;
    CancelDialog dialog;
    CountingBox box;
    ChsMain form{module, dialog, box};
    Window() { form.Form_Initialize(); }
};

} // namespace quorvane::fuzz
