#include "foundation/files/Path.h"

#include <vector>

#include "foundation/files/PathException.h"
#include "foundation/platform/NativeFileStatus.h"
#include "foundation/streams/IncrementalBuffer.h"

namespace TAVO {

namespace {

// The components of a path, the root of an absolute path first as a lone
// separator.
std::vector<std::string> rootedComponents(const Path& path) {
    std::vector<std::string> result;
    if (path.isAbsolute())
        result.emplace_back(1, Path::separator);
    for (Path::ComponentIterator i = path.components(); i.valid(); i.next())
        result.push_back(i.current());
    return result;
}

} // namespace

Path::ComponentIterator::ComponentIterator(std::string text) : text_(std::move(text)) {
    settle(0);
}

void Path::ComponentIterator::settle(std::size_t from) {
    begin_ = text_.find_first_not_of(separator, from);
    if (begin_ == std::string::npos) {
        begin_ = end_ = text_.size();
        return;
    }
    end_ = text_.find(separator, begin_);
    if (end_ == std::string::npos)
        end_ = text_.size();
}

void Path::ComponentIterator::next() {
    if (valid())
        settle(end_);
}

Path::Path(const std::string& text) : text_(stripTrailingSeparators(text)) {}

Path::Path(const char* text) : Path(std::string(text != nullptr ? text : "")) {}

Path::Path(const URI::Hierarchical::Path& uriPath) : Path(fromURIPath(uriPath)) {}

void Path::stripTrailingSeparators() {
    while (text_.size() >= 2 && text_.back() == separator)
        text_.pop_back();
}

std::string Path::stripTrailingSeparators(std::string text) {
    while (text.size() >= 2 && text.back() == separator)
        text.pop_back();
    return text;
}

Path& Path::operator/=(const Path& other) {
    if (other.isAbsolute()) {
        text_ = other.text_;
        return *this;
    }
    if (other.empty())
        return *this;
    if (!text_.empty() && text_.back() != separator)
        text_ += separator;
    text_ += other.text_;
    return *this;
}

bool Path::isAbsolute() const {
    return !text_.empty() && !NativePath::isRelative(text_);
}

Path Path::absolute(const Path& path) {
    if (path.isAbsolute())
        return path;
    IncrementalBuffer buffer(0, 0);
    std::uint32_t n = 4096;
    do {
        buffer.setSize(n);
        n = NativePath::fullPath(path.text_, reinterpret_cast<char*>(buffer.data()), buffer.size());
    } while (n > buffer.size());
    if (n == 0)
        throw PathException(SourceLocation(), path.text_, "Unable to make absolute.");
    return Path(std::string(reinterpret_cast<const char*>(buffer.data()), n));
}

Path Path::directory(const Path& path) {
    if (path.empty() || NativeFileStatus::isDirectory(path.text_))
        return path;
    const std::vector<std::string> components = rootedComponents(path);
    Path result;
    for (std::size_t i = 0; i + 1 < components.size(); ++i)
        result /= Path(components[i]);
    return result;
}

std::string Path::fileName(const Path& path) {
    if (NativeFileStatus::isDirectory(path.text_))
        return std::string();
    std::string last;
    for (ComponentIterator i = path.components(); i.valid(); i.next())
        last = i.current();
    return last;
}

Path Path::upward(std::uint32_t n) {
    Path result;
    for (std::uint32_t i = 0; i < n; ++i)
        result /= Path("..");
    return result;
}

Path Path::relativeTo(const Path& path, const Path& base) {
    const std::vector<std::string> mine = rootedComponents(path);
    const std::vector<std::string> theirs = rootedComponents(base);
    std::size_t common = 0;
    while (common < mine.size() && common < theirs.size() && mine[common] == theirs[common])
        ++common;
    Path result = upward(std::uint32_t(theirs.size() - common));
    for (std::size_t i = common; i < mine.size(); ++i)
        result /= Path(mine[i]);
    return result;
}

Path Path::fromURIPath(const URI::Hierarchical::Path& uriPath) {
    Path result;
    if (uriPath.absolute)
        result.text_ = std::string(1, separator);
    for (const std::string& segment : uriPath.segments)
        result /= Path(segment);
    return result;
}

URI::Hierarchical::Path Path::toURIPath(const Path& path) {
    URI::Hierarchical::Path result;
    result.absolute = path.isAbsolute();
    for (ComponentIterator i = path.components(); i.valid(); i.next())
        result.segments.push_back(i.current());
    return result;
}

} // namespace TAVO
