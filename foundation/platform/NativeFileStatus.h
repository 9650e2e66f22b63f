#pragma once

#include <string>

namespace TAVO {

// What a path names on disk, following symbolic links.
class NativeFileStatus {
public:
    enum class Kind { missing, directory, regularFile, other };

    // missing also covers a path that cannot be examined.
    static Kind of(const std::string& path);
    // The same; when the path cannot be examined for another reason than
    // its not being there (a folder on the way that may not be searched),
    // missing comes with the system's reason, otherwise the reason is emptied.
    static Kind of(const std::string& path, std::string& reason);

    static bool isDirectory(const std::string& path) { return of(path) == Kind::directory; }
    static bool isRegularFile(const std::string& path) { return of(path) == Kind::regularFile; }
};

} // namespace TAVO
