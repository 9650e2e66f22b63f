#include "foundation/streams/CppInStream.h"

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

CppInStream::CppInStream(std::istream& stream) : stream_(stream), seekable_(false) {
    if (stream_.fail())
        throw StreamException(SourceLocation(), "Wrapping bad input stream. ");
    // Asking for the position moves nothing; a stream that cannot answer
    // cannot seek either.
    std::streambuf* buffer = stream_.rdbuf();
    seekable_ = buffer != nullptr && buffer->pubseekoff(0, std::ios::cur, std::ios::in) != std::streampos(-1);
}

void CppInStream::read(void* destination, std::uint64_t count) {
    if (count == 0)
        return;
    checkCount(count);
    stream_.read(static_cast<char*>(destination), std::streamsize(count));
    if (stream_.fail())
        throw StreamException(SourceLocation(), "Failed to read from input stream. ");
}

std::uint64_t CppInStream::readAtMost(void* destination, std::uint64_t count) {
    if (count == 0)
        return 0;
    checkCount(count);
    stream_.read(static_cast<char*>(destination), std::streamsize(count));
    const std::uint64_t got = std::uint64_t(stream_.gcount());
    if (stream_.bad() || (stream_.fail() && !stream_.eof()))
        throw StreamException(SourceLocation(), "Failed to read from input stream. ");
    // Reaching the end is no failure here; clear it as atEnd does.
    if (stream_.eof())
        stream_.clear(stream_.rdstate() & ~(std::ios::eofbit | std::ios::failbit));
    return got;
}

bool CppInStream::atEnd() {
    stream_.peek();
    const bool end = stream_.eof();
    // Clear the end-of-file state so that a later tell or size still works.
    if (end && !stream_.bad())
        stream_.clear(stream_.rdstate() & ~(std::ios::eofbit | std::ios::failbit));
    return end;
}

void CppInStream::seek(std::uint64_t position) {
    checkCount(position);
    stream_.clear();
    stream_.seekg(std::streamoff(position));
    if (stream_.fail())
        throw StreamException(SourceLocation(),
                              "Could not seek to position " + std::to_string(position) + " in input stream. ");
}

std::uint64_t CppInStream::tell() {
    const std::streamoff position = stream_.tellg();
    if (position < 0)
        throw StreamException(SourceLocation(), "Failed to tell current position in input stream. ");
    return std::uint64_t(position);
}

std::uint64_t CppInStream::size() {
    const std::uint64_t here = tell();
    stream_.seekg(0, std::ios::end);
    const std::uint64_t end = tell();
    seek(here);
    return end;
}

} // namespace TAVO
