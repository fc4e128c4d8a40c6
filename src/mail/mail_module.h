#pragma once
// The GMime parser loaded on demand from its module, quorvane_mail.so: a
// MessageParser that costs nothing until the first message is parsed. Plain C++
// and dlopen; it never links GMime itself.

#include "game/mail_finder.h"

#include <memory>
#include <string>
#include <vector>

// The module's one entry point (extern "C"): a new parser, owned by the caller.
using QuorvaneMailNewParser = quorvane::MessageParser *();
inline constexpr const char *kQuorvaneMailEntry = "quorvane_mail_new_parser";

namespace quorvane::mail {

// The module's file name.
inline constexpr const char *kModuleName = "quorvane_mail.so";

class ModuleMessageParser : public MessageParser {
public:
    // The module is looked for at each path in turn.
    explicit ModuleMessageParser(std::vector<std::string> paths);
    ~ModuleMessageParser() override;

    // Loads the module on the first call. Without it, a message has no parts:
    // the finder then reads it as plain lines, which still finds a record sent
    // as plain text, and failure() says why.
    std::vector<MessageTextPart> TextParts(std::string_view message) override;

    // Whether the module has been loaded (false before the first message).
    bool loaded() const { return parser_ != nullptr; }
    // Why the module could not be loaded; empty while it could or was not tried.
    const std::string &failure() const { return failure_; }

private:
    void load();

    std::vector<std::string> paths_;
    std::unique_ptr<MessageParser> parser_;
    bool tried_ = false;
    std::string failure_;
};

// Where the window program looks for the module: beside the running program
// (as installed, and in the build tree), then in its parent folder (the build
// tree's tests and benchmarks sit one folder below it).
std::vector<std::string> modulePathsBesideProgram();

} // namespace quorvane::mail
