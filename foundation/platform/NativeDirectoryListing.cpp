#include "foundation/platform/NativeDirectoryListing.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace TAVO {

namespace {

class Folder {
public:
    explicit Folder(DIR* handle) : handle_(handle) {}
    ~Folder() {
        if (handle_ != nullptr)
            closedir(handle_);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    DIR* get() const { return handle_; }

private:
    DIR* handle_;
};

} // namespace

bool NativeDirectoryListing::list(const std::string& folder, std::vector<Entry>& entries) {
    entries.clear();
    if (folder.empty() || folder.find('\0') != std::string::npos)
        return false;
    Folder handle(opendir(folder.c_str()));
    if (handle.get() == nullptr)
        return false;
    for (;;) {
        errno = 0;
        const dirent* found = readdir(handle.get());
        if (found == nullptr) {
            if (errno != 0) {
                entries.clear();
                return false;
            }
            break;
        }
        Entry entry;
        entry.name = found->d_name;
        if (found->d_type == DT_UNKNOWN) {
            struct stat status;
            entry.directory = fstatat(dirfd(handle.get()), found->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                              S_ISDIR(status.st_mode);
        } else {
            entry.directory = found->d_type == DT_DIR;
        }
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return true;
}

} // namespace TAVO
