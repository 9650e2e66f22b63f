#include "support/UnprivilegedChild.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace KestruneTest {

void UnprivilegedChild::lend(const std::string& folder) {
    if (geteuid() != 0)
        return;
    namespace fs = std::filesystem;
    const fs::path root = fs::absolute(folder);
    for (fs::path above = root.parent_path(); !above.empty(); above = above.parent_path()) {
        struct stat status {};
        if (stat(above.c_str(), &status) != 0 || (status.st_mode & S_IXOTH) == 0) {
            ADD_FAILURE() << "user " << nobody << " cannot pass " << above << " to reach " << root;
            return;
        }
        if (above == above.root_path())
            break;
    }
    auto give = [](const fs::path& path) {
        if (lchown(path.c_str(), nobody, nobody) != 0)
            ADD_FAILURE() << "cannot hand " << path << " to user " << nobody;
    };
    give(root);
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error))
        give(it->path());
    if (error)
        ADD_FAILURE() << "cannot walk " << root << ": " << error.message();
}

std::string UnprivilegedChild::run(const std::function<std::string()>& work, std::chrono::milliseconds deadline) {
    return ChildProcess::run(
        [&] {
            if (geteuid() == 0 &&
                (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0 || geteuid() == 0))
                throw std::runtime_error("cannot give up root for user " + std::to_string(nobody));
            return work();
        },
        deadline);
}

} // namespace KestruneTest
