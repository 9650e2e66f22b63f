#pragma once

#include <cstdint>
#include <string>

namespace TAVO {

// The operating system's view of path texts: which texts are relative and the
// full form of a path. Texts use '/' as their only separator.
class NativePath {
public:
    static constexpr char separator = '/';

    // True unless the text begins with the separator (the empty text is relative).
    static bool isRelative(const std::string& text);

    // The full path of a text: a relative text is taken from the working
    // folder, and "." and ".." components are resolved by their text alone.
    // When the result and its terminating NUL fit into capacity bytes they are
    // written to buffer and the result's length (NUL excluded) is returned;
    // otherwise nothing is written and the size needed (NUL included) is
    // returned. 0 means failure (an empty text, an embedded NUL, no working
    // folder).
    static std::uint32_t fullPath(const std::string& text, char* buffer, std::uint32_t capacity);

    // The folder a file's path names it in, by the text alone: "." for a bare
    // name, "/" for a name in the root.
    static std::string folderOf(const std::string& path);
};

} // namespace TAVO
