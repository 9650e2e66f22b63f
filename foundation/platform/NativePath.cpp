#include "foundation/platform/NativePath.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace TAVO {

namespace {

bool workingFolder(std::string& result) {
    std::vector<char> buffer(4096);
    for (;;) {
        if (getcwd(buffer.data(), buffer.size()) != nullptr) {
            result = buffer.data();
            return true;
        }
        if (errno != ERANGE || buffer.size() > (1u << 24))
            return false;
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

bool NativePath::isRelative(const std::string& text) {
    return text.empty() || text[0] != separator;
}

std::uint32_t NativePath::fullPath(const std::string& text, char* buffer, std::uint32_t capacity) {
    if (text.empty() || text.find('\0') != std::string::npos)
        return 0;
    std::string whole;
    if (isRelative(text)) {
        if (!workingFolder(whole))
            return 0;
        whole += separator;
    }
    whole += text;

    std::vector<std::string> components;
    std::size_t start = 0;
    while (start <= whole.size()) {
        std::size_t end = whole.find(separator, start);
        if (end == std::string::npos)
            end = whole.size();
        const std::string component = whole.substr(start, end - start);
        if (component == "..") {
            if (!components.empty())
                components.pop_back();
        } else if (!component.empty() && component != ".") {
            components.push_back(component);
        }
        start = end + 1;
    }
    std::string result;
    for (const std::string& component : components)
        result += separator + component;
    if (result.empty())
        result = std::string(1, separator);

    if (result.size() >= 0xFFFFFFFFu)
        return 0;
    const std::uint32_t length = std::uint32_t(result.size());
    if (length + 1 > capacity)
        return length + 1;
    std::memcpy(buffer, result.c_str(), length + 1);
    return length;
}

std::string NativePath::folderOf(const std::string& path) {
    const std::size_t slash = path.rfind(separator);
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace TAVO
