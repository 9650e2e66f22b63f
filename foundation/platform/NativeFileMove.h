#pragma once

#include <string>

namespace TAVO {

// Moving or renaming a file. A move to another file system copies the file
// and then deletes the source. The move is on disk when it returns.
class NativeFileMove {
public:
    // 0 on success, otherwise the system's error number. Without replace an
    // existing target makes the move fail.
    static int move(const std::string& from, const std::string& to, bool replace);
};

} // namespace TAVO
