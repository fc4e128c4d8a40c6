#include "game/module1.h"

namespace quorvane {

FileSystem &Module1::FileSystemObject() {
    if (!objFileSystem)
        objFileSystem = std::make_unique<DiskFileSystem>();
    return *objFileSystem;
}

} // namespace quorvane
