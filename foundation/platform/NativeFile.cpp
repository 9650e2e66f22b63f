#include "foundation/platform/NativeFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/streams/StreamException.h"

namespace TAVO {

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path) {
    const int code = errno;
    throw StreamException(SourceLocation(), what + " " + path + ": " + std::strerror(code) + ". ");
}

} // namespace

NativeFile::~NativeFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool NativeFile::open(const std::string& path, Mode mode, std::string& error) {
    if (fd_ >= 0)
        close();
    int fd = -1;
    switch (mode) {
    case Mode::Read:
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        break;
    case Mode::ReadWrite:
        fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0 && errno == ENOENT)
            fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        break;
    case Mode::ReadWriteEmpty:
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        break;
    }
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "not a regular file";
        ::close(fd);
        return false;
    }
    if (mode != Mode::Read) {
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            error = errno == EWOULDBLOCK ? inUseReason : std::strerror(errno);
            ::close(fd);
            return false;
        }
        // Emptied only once the lock is ours.
        if (mode == Mode::ReadWriteEmpty && ::ftruncate(fd, 0) != 0) {
            error = std::strerror(errno);
            ::close(fd);
            return false;
        }
    }
    fd_ = fd;
    path_ = path;
    return true;
}

bool NativeFile::readAt(std::uint64_t position, void* destination, std::uint64_t count) {
    return readSomeAt(position, destination, count) == count;
}

std::uint64_t NativeFile::readSomeAt(std::uint64_t position, void* destination, std::uint64_t count) {
    auto* out = static_cast<char*>(destination);
    std::uint64_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd_, out + done, count - done, off_t(position + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            fail("Failed to read", path_);
        }
        if (got == 0)
            break;
        done += std::uint64_t(got);
    }
    return done;
}

void NativeFile::writeAt(std::uint64_t position, const void* source, std::uint64_t count) {
    const auto* in = static_cast<const char*>(source);
    while (count > 0) {
        const ssize_t put = ::pwrite(fd_, in, count, off_t(position));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            fail("Failed to write", path_);
        }
        ++generation_;
        in += put;
        position += std::uint64_t(put);
        count -= std::uint64_t(put);
    }
}

std::uint64_t NativeFile::size() {
    struct stat info;
    if (::fstat(fd_, &info) != 0)
        fail("Failed to size", path_);
    return std::uint64_t(info.st_size);
}

void NativeFile::sync() {
    if (::fdatasync(fd_) != 0)
        fail("Failed to sync", path_);
}

void NativeFile::close() {
    if (fd_ < 0)
        return;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        fail("Failed to close", path_);
}

void NativeFile::syncFolder(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        fail("Failed to open folder", folder);
    const int result = ::fsync(fd);
    const int code = errno;
    ::close(fd);
    errno = code;
    if (result != 0)
        fail("Failed to sync folder", folder);
}

} // namespace TAVO
