#include "foundation/platform/NativeDirectory.h"

#include <cerrno>
#include <sys/stat.h>

namespace TAVO {

NativeDirectory::Result NativeDirectory::create(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos)
        return Result::failed;
    if (mkdir(path.c_str(), 0777) == 0)
        return Result::created;
    return errno == EEXIST ? Result::alreadyExists : Result::failed;
}

} // namespace TAVO
