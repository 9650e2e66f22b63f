#pragma once

#include <memory>
#include <sstream>
#include <string>

#include "foundation/packages/Archive.h"
#include "foundation/platform/NativeFile.h"
#include "foundation/platform/NativeFileReadStream.h"
#include "foundation/platform/NativeFileWriteStream.h"

namespace TAVO {

// An archive over a file on disk. A writable file is locked against other
// processes while it is open. Compaction copies the live entries into a new
// file that then replaces the old one.
class ArchiveFile {
public:
    // Opens the file at once; see open.
    ArchiveFile(std::string path, bool readOnly, bool create);
    ~ArchiveFile();
    ArchiveFile(const ArchiveFile&) = delete;
    ArchiveFile& operator=(const ArchiveFile&) = delete;

    // Opens the file and reads its index. A writable open uses the existing
    // file, or creates it when there is none; with create set the file is
    // emptied. When the file cannot be opened no archive is held and the
    // reason is added to the error text.
    void open(bool create);
    // Writes every live entry into a new file that replaces this one. False,
    // with the reason in the error text, when the file was not replaced.
    bool compact();
    void close();

    bool hasArchive() const { return archive_ != nullptr; }
    Archive* archive() { return archive_.get(); }
    std::string error() const { return error_.str(); }
    // The system's reason the last open failed; empty when it succeeded.
    const std::string& openFailure() const { return openFailure_; }
    // The last open failed because another process holds the file.
    bool inUse() const { return openFailure_ == NativeFile::inUseReason; }
    const std::string& path() const { return path_; }

private:
    // Closes the file, making what was written durable first.
    void closeChecked();

    std::string path_;
    bool readOnly_;
    NativeFile file_;
    std::unique_ptr<NativeFileReadStream> input_;
    std::unique_ptr<NativeFileWriteStream> output_;
    std::unique_ptr<Archive> archive_;
    std::ostringstream error_;
    std::string openFailure_;
};

} // namespace TAVO
