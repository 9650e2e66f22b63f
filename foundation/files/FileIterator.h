#pragma once

#include <string>

namespace TAVO {

// A cursor over the entries of one folder.
class FileIterator {
public:
    virtual ~FileIterator() = default;

    // The current entry's name, without its folder.
    virtual std::string name() const = 0;
    // The folder prefix followed by the name.
    virtual std::string path() const = 0;
    virtual bool isDirectory() const = 0;
    // Starts the listing again from its first entry.
    virtual void rewind() = 0;
    // A new iterator (owned by the caller) over the current entry, which must
    // be a folder.
    virtual FileIterator* openDirectory() const = 0;
    virtual void next() = 0;
    // An entry is current.
    virtual bool valid() const = 0;
};

} // namespace TAVO
