#include "foundation/streams/CppOutStream.h"

#include <string>

#include "foundation/exceptions/BoundException.h"
#include "foundation/streams/StreamException.h"

namespace TAVO {

namespace {
constexpr std::uint64_t largest = 0x7FFFFFFFFFFFFFFFull;

void checkCount(std::uint64_t count) {
    if (count > largest)
        throw BoundException<unsigned long long>(SourceLocation(), count, largest);
}
} // namespace

CppOutStream::CppOutStream(std::ostream& stream) : stream_(stream) {
    if (stream_.fail())
        throw StreamException(SourceLocation(), "Wrapping bad output stream. ");
}

void CppOutStream::write(const void* source, std::uint64_t count) {
    if (count == 0)
        return;
    checkCount(count);
    stream_.write(static_cast<const char*>(source), std::streamsize(count));
    if (stream_.fail())
        throw StreamException(SourceLocation(), "Failed to write to output stream. ");
}

void CppOutStream::flush() {
    stream_.flush();
    if (stream_.fail())
        throw StreamException(SourceLocation(), "Failed to flush output stream. ");
}

void CppOutStream::seek(std::uint64_t position) {
    checkCount(position);
    stream_.clear();
    stream_.seekp(std::streamoff(position));
    if (stream_.fail())
        throw StreamException(SourceLocation(),
                              "Failed to seek to position " + std::to_string(position) + " in output stream. ");
}

std::uint64_t CppOutStream::tell() {
    const std::streamoff position = stream_.tellp();
    if (position < 0)
        throw StreamException(SourceLocation(), "Failed to tell current position in output stream. ");
    return std::uint64_t(position);
}

std::uint64_t CppOutStream::size() {
    const std::uint64_t here = tell();
    stream_.seekp(0, std::ios::end);
    const std::uint64_t end = tell();
    seek(here);
    return end;
}

} // namespace TAVO
