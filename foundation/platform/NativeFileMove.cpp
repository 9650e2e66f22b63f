#include "foundation/platform/NativeFileMove.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "foundation/platform/NativePath.h"

namespace TAVO {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// Makes a finished rename durable; failures here do not undo the move.
void syncFolder(const std::string& path) {
    Descriptor folder(open(NativePath::folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0)
        fsync(folder.get());
}

// 0 or an error number.
int renameFile(const std::string& from, const std::string& to, bool replace) {
    if (replace)
        return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // The file system cannot refuse the replacement itself.
    struct stat status;
    if (lstat(to.c_str(), &status) == 0)
        return EEXIST;
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int copyAll(int source, int target) {
    std::vector<char> chunk(1 << 16);
    for (;;) {
        const ssize_t got = read(source, chunk.data(), chunk.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (got == 0)
            return 0;
        ssize_t done = 0;
        while (done < got) {
            const ssize_t put = write(target, chunk.data() + done, std::size_t(got - done));
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            done += put;
        }
    }
}

// Copies the source next to the target under a temporary name, renames it
// into place (on the target's file system) and deletes the source, so the
// target is never left half written.
int copyAcross(const std::string& from, const std::string& to, bool replace) {
    Descriptor source(open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (source.get() < 0)
        return errno;
    struct stat status;
    if (fstat(source.get(), &status) != 0)
        return errno;
    if (!S_ISREG(status.st_mode))
        return EXDEV;

    std::string temporary = to + ".move-XXXXXX";
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    Descriptor target(mkstemp(name.data()));
    if (target.get() < 0)
        return errno;
    temporary = name.data();

    int error = copyAll(source.get(), target.get());
    if (error == 0 && fchmod(target.get(), status.st_mode & 07777) != 0)
        error = errno;
    if (error == 0 && fsync(target.get()) != 0)
        error = errno;
    if (error == 0 && close(target.release()) != 0)
        error = errno;
    if (error == 0)
        error = renameFile(temporary, to, replace);
    if (error != 0) {
        unlink(temporary.c_str());
        return error;
    }
    syncFolder(to);
    if (unlink(from.c_str()) != 0)
        return errno;
    return 0;
}

} // namespace

int NativeFileMove::move(const std::string& from, const std::string& to, bool replace) {
    if (from.empty() || to.empty() || from.find('\0') != std::string::npos || to.find('\0') != std::string::npos)
        return ENOENT;
    const int error = renameFile(from, to, replace);
    if (error == EXDEV)
        return copyAcross(from, to, replace);
    if (error == 0)
        syncFolder(to);
    return error;
}

} // namespace TAVO
