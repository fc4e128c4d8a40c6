#pragma once
// The window's two modal seams, answered without a word, so that a benchmark
// never stops for a dialog or a message box.

#include "platform/dialogs.h"

#include <optional>
#include <string>

namespace quorvane::bench {

class NoDialog : public FileDialog {
public:
    bool ShowOpen() override { return false; }
};

class SilentBox : public MessageBox {
public:
    void Show(const std::string &, int, const std::optional<std::string> &) override {}
};

} // namespace quorvane::bench
