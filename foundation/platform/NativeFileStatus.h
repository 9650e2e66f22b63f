#pragma once

#include <string>

namespace TAVO {

// What a path names on disk, following symbolic links.
class NativeFileStatus {
public:
    enum class Kind { missing, directory, regularFile, other };

    // missing also covers a path that cannot be examined.
    static Kind of(const std::string& path);

    static bool isDirectory(const std::string& path) { return of(path) == Kind::directory; }
    static bool isRegularFile(const std::string& path) { return of(path) == Kind::regularFile; }
};

} // namespace TAVO
