#include "foundation/files/FileSystem.h"

#include <cstdio>
#include <limits>

#include "foundation/exceptions/BoundException.h"
#include "foundation/files/PathException.h"
#include "foundation/platform/NativeDirectory.h"
#include "foundation/platform/NativeFileMove.h"
#include "foundation/platform/NativeFileStatus.h"
#include "foundation/streams/DynamicBuffer.h"
#include "foundation/streams/StreamException.h"

namespace TAVO::FileSystem {

namespace {

constexpr std::uint64_t largestSize = 0xFFFFFFFFull;
constexpr std::uint64_t unknownSize = std::numeric_limits<std::uint64_t>::max();

// The system's calls end a path at a zero byte; such a path would name
// another file, so it names none.
bool usable(const Path& path) {
    return !path.empty() && path.text().find('\0') == std::string::npos;
}

// The stream's size with the stream left at its start; unknownSize when the
// stream cannot tell it.
std::uint64_t measure(std::istream& stream) {
    stream.clear();
    stream.seekg(0, std::ios::end);
    const std::streamoff end = stream.tellg();
    stream.clear();
    stream.seekg(0, std::ios::beg);
    if (end < 0 || stream.fail())
        return unknownSize;
    return std::uint64_t(end);
}

std::uint32_t sizeOfOpenFile(const Path& path, std::ifstream& stream) {
    const std::uint64_t size = measure(stream);
    if (size == unknownSize)
        throw PathException(SourceLocation(), path.str(), "Read failed. ");
    if (size > largestSize)
        throw PathException(SourceLocation(), path.str(), "File too large. ");
    return std::uint32_t(size);
}

void readExactly(const Path& path, std::ifstream& stream, char* destination, std::uint32_t size) {
    if (size == 0)
        return;
    stream.read(destination, std::streamsize(size));
    if (stream.gcount() != std::streamsize(size))
        throw PathException(SourceLocation(), path.str(), "Read failed. ");
}

void writeBytes(const Path& path, const char* bytes, std::uint64_t count) {
    std::ofstream stream;
    if (usable(path))
        stream.open(path.str(), std::ios::out | std::ios::binary | std::ios::trunc);
    if (!stream.is_open() || !stream.good())
        throw PathException(SourceLocation(), path.str(), "Not found. ");
    if (count > 0)
        stream.write(bytes, std::streamsize(count));
    stream.close();
    if (stream.fail())
        throw PathException(SourceLocation(), path.str(), "Write failed. ");
}

} // namespace

void createDirectories(const Path& path) {
    const std::string& text = path.text();
    std::size_t pos = 0;
    for (;;) {
        const std::size_t p = text.find(Path::separator, pos + 1);
        const std::string prefix = p == std::string::npos ? text : text.substr(0, p);
        if (NativeDirectory::create(prefix) == NativeDirectory::Result::failed)
            throw PathException(SourceLocation(), prefix, "Failed to create directory. ");
        if (p == std::string::npos)
            return;
        pos = p;
    }
}

bool isDirectory(const Path& path) {
    return NativeFileStatus::isDirectory(path.str());
}

bool isReadableFile(const Path& path) {
    if (!NativeFileStatus::isRegularFile(path.str()))
        return false;
    std::ifstream stream(path.str(), std::ios::in | std::ios::binary);
    return stream.is_open() && stream.good();
}

std::uint32_t fileSize(const Path& path) {
    std::ifstream stream;
    openForReading(path, stream);
    return sizeOfOpenFile(path, stream);
}

std::uint32_t streamSize(std::istream& stream) {
    const std::uint64_t size = measure(stream);
    if (size == unknownSize)
        throw StreamException(SourceLocation(), "Failed to tell the size of input stream. ");
    if (size > largestSize)
        throw BoundException<unsigned long long>(SourceLocation(), size, largestSize);
    return std::uint32_t(size);
}

void readFile(const Path& path, std::string& contents) {
    std::ifstream stream;
    openForReading(path, stream);
    const std::uint32_t size = sizeOfOpenFile(path, stream);
    std::string result;
    result.resize(size);
    readExactly(path, stream, result.data(), size);
    contents = std::move(result);
}

void readFile(const Path& path, DynamicBuffer& contents) {
    std::ifstream stream;
    openForReading(path, stream);
    const std::uint32_t size = sizeOfOpenFile(path, stream);
    contents.setSize(size);
    readExactly(path, stream, reinterpret_cast<char*>(contents.data()), size);
}

void writeFile(const Path& path, const std::string& contents) {
    writeBytes(path, contents.data(), contents.size());
}

void writeFile(const Path& path, const Buffer& contents) {
    writeBytes(path, reinterpret_cast<const char*>(contents.data()), contents.size());
}

void move(const Path& from, const Path& to, bool replace) {
    if (isReadableFile(to) && !replace)
        return;
    const int code = NativeFileMove::move(from.str(), to.str(), replace);
    if (code != 0)
        throw PathException(SourceLocation(), from.str(),
                            "Could not move to " + to.str() + " (Windows System Error Code 0x" +
                                hexText(std::uint32_t(code)) + ")");
}

void remove(const Path& path) {
    if (!usable(path) || std::remove(path.str().c_str()) != 0)
        throw PathException(SourceLocation(), path.str(), "Remove failed. ");
}

void openForReading(const Path& path, std::ifstream& stream) {
    if (stream.is_open())
        stream.close();
    if (NativeFileStatus::isRegularFile(path.str()))
        stream.open(path.str(), std::ios::in | std::ios::binary);
    if (!stream.is_open() || stream.fail() || stream.bad())
        throw PathException(SourceLocation(), path.str(), "Not found. ");
    stream.clear();
}

std::string hexText(std::uint32_t value) {
    static const char digits[] = "0123456789abcdef";
    std::string result;
    do {
        result.insert(result.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return result;
}

} // namespace TAVO::FileSystem
