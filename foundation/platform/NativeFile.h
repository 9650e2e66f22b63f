#pragma once

#include <cstdint>
#include <string>

namespace TAVO {

// An open file of the operating system, read and written at explicit
// positions so that several views of one file never disturb each other.
// Failures throw StreamException with the system's reason.
class NativeFile {
public:
    enum class Mode {
        Read,           // an existing file, read only
        ReadWrite,      // an existing file, or a new one when none exists; never truncated
        ReadWriteEmpty, // created, or emptied when it exists
    };

    // The reason a writable open gives when another process holds the lock.
    static constexpr const char* inUseReason = "the file is in use by another process";

    NativeFile() = default;
    ~NativeFile();
    NativeFile(const NativeFile&) = delete;
    NativeFile& operator=(const NativeFile&) = delete;

    // Opens the file. Returns false, with the reason in `error`, when it cannot.
    // A writable open also takes an exclusive advisory lock without waiting:
    // when another process holds it the open fails.
    bool open(const std::string& path, Mode mode, std::string& error);
    bool isOpen() const { return fd_ >= 0; }

    // Reads exactly count bytes at position; false when the file ends first.
    bool readAt(std::uint64_t position, void* destination, std::uint64_t count);
    // Reads what there is, up to count bytes, at position; returns the count read.
    std::uint64_t readSomeAt(std::uint64_t position, void* destination, std::uint64_t count);
    // Rises with every write, so that readers know when what they hold is stale.
    std::uint64_t generation() const { return generation_; }
    void writeAt(std::uint64_t position, const void* source, std::uint64_t count);
    std::uint64_t size();
    // Makes everything written so far durable.
    void sync();
    // Closes the file, reporting a failed close.
    void close();

    // Makes a rename or creation inside the folder durable.
    static void syncFolder(const std::string& folder);

private:
    int fd_ = -1;
    std::string path_;
    std::uint64_t generation_ = 0;
};

} // namespace TAVO
