#pragma once

#include <cstdint>
#include <string>

#include "foundation/files/URI.h"
#include "foundation/platform/NativePath.h"

namespace TAVO {

// One file-system path text, copied by value. '/' is the only separator; a
// path is absolute when it begins with it. No operation resolves "." or ".."
// except absolute(), and only for a relative path.
class Path {
public:
    static constexpr char separator = NativePath::separator;

    // Walks the components of a path: the maximal runs of characters other
    // than the separator, left to right (empty runs are skipped).
    class ComponentIterator {
    public:
        explicit ComponentIterator(std::string text);
        bool valid() const { return begin_ < text_.size(); }
        std::string current() const { return text_.substr(begin_, end_ - begin_); }
        // Start and end index of the current run in the path text.
        std::size_t begin() const { return begin_; }
        std::size_t end() const { return end_; }
        void next();

    private:
        void settle(std::size_t from);

        std::string text_;
        std::size_t begin_ = 0;
        std::size_t end_ = 0;
    };

    Path() = default;
    // Both text constructors strip trailing separators.
    Path(const std::string& text);
    Path(const char* text);
    // The same as fromURIPath.
    Path(const URI::Hierarchical::Path& uriPath);

    std::string str() const { return text_; }
    const std::string& text() const { return text_; }
    bool empty() const { return text_.empty(); }

    // Removes trailing separators while at least two characters remain, so a
    // lone separator stays.
    void stripTrailingSeparators();
    static std::string stripTrailingSeparators(std::string text);

    // Appends a path: an absolute one replaces this one, an empty one changes
    // nothing; one separator is put between the two unless this path is empty
    // or already ends with one.
    Path& operator/=(const Path& other);
    friend Path operator/(Path left, const Path& right) { return left /= right; }

    bool operator==(const Path& other) const = default;

    bool isAbsolute() const;
    ComponentIterator components() const { return ComponentIterator(text_); }

    // A relative path taken from the working folder with "." and ".."
    // resolved; an absolute path unchanged. Throws PathException
    // "Unable to make absolute." (an empty path included).
    static Path absolute(const Path& path);

    // The folder that holds the path: the path itself when it names an
    // existing folder (or is empty), otherwise the path without its last
    // component. The root of an absolute path is kept ("/x" gives "/").
    static Path directory(const Path& path);

    // The last component; empty when the path names an existing folder.
    static std::string fileName(const Path& path);

    // ".." repeated n times ("" for 0, "../.." for 2).
    static Path upward(std::uint32_t n);

    // The path as seen from base: their common leading components are dropped,
    // each remaining component of base becomes "..", then come the path's
    // remaining components. The root of an absolute path counts as a leading
    // component, so an absolute path seen from a relative base stays absolute.
    static Path relativeTo(const Path& path, const Path& base);
    void relativeTo(const Path& base) { *this = relativeTo(*this, base); }

    // The segments appended one by one (not percent-decoded), after a lone
    // separator when the URI path is absolute. Empty segments vanish.
    static Path fromURIPath(const URI::Hierarchical::Path& uriPath);
    // Absolute when the path is; the components as segments, so repeated and
    // trailing separators leave no empty segments.
    static URI::Hierarchical::Path toURIPath(const Path& path);

private:
    std::string text_;
};

} // namespace TAVO
