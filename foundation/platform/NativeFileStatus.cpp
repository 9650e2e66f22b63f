#include "foundation/platform/NativeFileStatus.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace TAVO {

NativeFileStatus::Kind NativeFileStatus::of(const std::string& path) {
    std::string reason;
    return of(path, reason);
}

NativeFileStatus::Kind NativeFileStatus::of(const std::string& path, std::string& reason) {
    reason.clear();
    if (path.empty() || path.find('\0') != std::string::npos)
        return Kind::missing;
    struct stat status;
    if (stat(path.c_str(), &status) != 0) {
        if (errno != ENOENT && errno != ENOTDIR)
            reason = std::strerror(errno);
        return Kind::missing;
    }
    if (S_ISDIR(status.st_mode))
        return Kind::directory;
    if (S_ISREG(status.st_mode))
        return Kind::regularFile;
    return Kind::other;
}

} // namespace TAVO
