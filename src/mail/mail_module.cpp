#include "mail/mail_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>

namespace quorvane::mail {

ModuleMessageParser::ModuleMessageParser(std::vector<std::string> paths) : paths_(std::move(paths)) {}

// The module stays mapped to the end of the process (RTLD_NODELETE): GMime
// registers its shutdown with atexit.
ModuleMessageParser::~ModuleMessageParser() = default;

void ModuleMessageParser::load() {
    tried_ = true;
    std::string reasons;
    for (const std::string &path : paths_) {
        void *module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (!module) {
            const char *error = dlerror();
            reasons += (reasons.empty() ? "" : "; ") + std::string(error ? error : path.c_str());
            continue;
        }
        auto *create = reinterpret_cast<QuorvaneMailNewParser *>(dlsym(module, kQuorvaneMailEntry));
        if (!create) {
            reasons += (reasons.empty() ? "" : "; ") + path + ": no " + kQuorvaneMailEntry;
            continue;
        }
        parser_.reset(create());
        failure_.clear();
        return;
    }
    failure_ = "e-mail support (" + std::string(kModuleName) + ") could not be loaded: " +
               (reasons.empty() ? std::string("no place to look for it") : reasons);
    std::fprintf(stderr, "quorvane: %s\n", failure_.c_str());
}

std::vector<MessageTextPart> ModuleMessageParser::TextParts(std::string_view message) {
    if (!tried_)
        load();
    return parser_ ? parser_->TextParts(message) : std::vector<MessageTextPart>();
}

std::vector<std::string> modulePathsBesideProgram() {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return {};
    std::string folder(self, static_cast<std::size_t>(length));
    folder.erase(folder.rfind('/') + 1);
    std::vector<std::string> paths{folder + kModuleName};
    if (folder.size() > 1) {
        std::string parent = folder.substr(0, folder.size() - 1);
        parent.erase(parent.rfind('/') + 1);
        paths.push_back(parent + kModuleName);
    }
    return paths;
}

} // namespace quorvane::mail
