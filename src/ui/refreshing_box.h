#pragma once
// The message box the window hands its logic: it brings the view in step before
// the box goes up, so a box that reports a reset shows over the reset window
// rather than over what was there before the command began.

#include "platform/dialogs.h"

#include <functional>
#include <utility>

namespace quorvane::ui {

class RefreshingMessageBox : public MessageBox {
public:
    RefreshingMessageBox(MessageBox &inner, std::function<void()> refresh)
        : inner_(inner), refresh_(std::move(refresh)) {}

    void Show(const std::string &text, int style, const std::optional<std::string> &title) override {
        refresh_();
        inner_.Show(text, style, title);
    }

private:
    MessageBox &inner_;
    std::function<void()> refresh_;
};

} // namespace quorvane::ui
