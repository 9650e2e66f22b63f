#pragma once

#include <deque>
#include <memory>

#include "foundation/files/FileIterator.h"

namespace TAVO {

// A depth-first walk over a folder tree that rests only on files. Folders
// whose names begin with '.' ("." and "..", hidden folders) are not entered;
// files whose names begin with '.' are visited.
class RecursiveFileIterator {
public:
    // Afterwards the first file of the tree is current, or there is none.
    explicit RecursiveFileIterator(std::shared_ptr<FileIterator> root);

    bool hasCurrent() const { return !stack_.empty(); }
    // The listing that rests on the current file. Throws
    // FileIterationException when the walk is over.
    FileIterator& current() const;
    // Moves to the next file. Throws FileIterationException when the walk is
    // over. A sub-folder that cannot be listed throws from here; the walk
    // still rests before it and the next advance passes it over.
    void advance();

private:
    void settle();

    std::deque<std::shared_ptr<FileIterator>> stack_;
};

} // namespace TAVO
