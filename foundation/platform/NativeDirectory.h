#pragma once

#include <string>

namespace TAVO {

// Creation of one folder.
class NativeDirectory {
public:
    // alreadyExists when anything (a folder or not) has that name.
    enum class Result { created, alreadyExists, failed };

    static Result create(const std::string& path);
};

} // namespace TAVO
