#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "foundation/files/FSFileIterator.h"
#include "foundation/platform/NativeDirectoryListing.h"

namespace TAVO {

// The listing of one folder of the file system. Every entry is listed, the
// folder's own "." and ".." included, in the byte order of their names. A
// symbolic link is never a folder here, so walks do not follow links.
class NativeFileIterator : public FSFileIterator {
public:
    // Lists the folder and makes its first entry current. An empty folder
    // path, or a folder that cannot be listed, throws FileIterationException
    // (the detail for the latter is the folder prefix followed by "*.*").
    explicit NativeFileIterator(const std::string& folder);
    ~NativeFileIterator() override = default;

    static FileIterator* create(const std::string& folder) { return new NativeFileIterator(folder); }

    // These three throw FileIterationException with the prefix as detail when
    // no entry is current.
    std::string name() const override;
    std::string path() const override;
    bool isDirectory() const override;
    void rewind() override;
    // Throws FileIterationException with path() as detail unless the current
    // entry is a folder.
    FileIterator* openDirectory() const override;
    void next() override;
    bool valid() const override { return index_ < entries_.size(); }

    // The folder path with one separator at its end.
    const std::string& prefix() const { return prefix_; }

private:
    void open();
    const NativeDirectoryListing::Entry& current() const;

    std::vector<NativeDirectoryListing::Entry> entries_;
    std::size_t index_ = 0;
    std::string prefix_;
};

} // namespace TAVO
