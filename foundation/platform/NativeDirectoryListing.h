#pragma once

#include <string>
#include <vector>

namespace TAVO {

// The entries of one folder.
class NativeDirectoryListing {
public:
    struct Entry {
        std::string name;
        // A folder itself; a symbolic link is never reported as a folder, so
        // walks that descend into folders do not follow links.
        bool directory = false;
    };

    // Every entry of the folder, its own "." and ".." included, sorted by the
    // bytes of their names so that listings are reproducible. False when the
    // folder cannot be listed.
    static bool list(const std::string& folder, std::vector<Entry>& entries);
};

} // namespace TAVO
