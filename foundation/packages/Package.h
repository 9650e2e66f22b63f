#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace TAVO {

class ReadStream;
class WriteStream;

// A named store of byte entries. Names are '/'-separated paths such as
// "shaders/part.vert".
class Package {
public:
    // An open entry for reading; destroying it closes the entry.
    class Reader {
    public:
        virtual ~Reader() = default;
        virtual ReadStream& stream() = 0;
    };

    // An open entry for writing; destroying it completes the entry.
    class Writer {
    public:
        virtual ~Writer() = default;
        virtual WriteStream& stream() = 0;
    };

    // A cursor over the names of a package's entries.
    class PackageIterator {
    public:
        virtual ~PackageIterator() = default;
        virtual std::string current() const = 0;
        virtual PackageIterator& advance() = 0;
        // True while an entry is current.
        virtual bool valid() const = 0;
    };

    // A new iterator over the names, owned by the caller.
    virtual PackageIterator* iterate() const = 0;
    virtual ~Package() = default;

    // Copies every entry of the source into this package, skipping entries
    // this package already has unless overwrite is set. Throws
    // StreamException naming the entry when the source cannot open it for
    // reading or this package cannot open it for writing. Copying a package
    // into itself changes nothing.
    virtual void copyFrom(const Package& source, bool overwrite);
    // True when the entry can be opened for reading.
    virtual bool exists(const std::string& name) const;
    virtual std::uint32_t size(const std::string& name) const = 0;
    // Null when the entry cannot be read.
    virtual std::unique_ptr<Reader> openReader(const std::string& name) const = 0;
    // A writer that replaces the entry's content.
    virtual std::unique_ptr<Writer> openWriter(const std::string& name) = 0;
    // A writer that appends to the entry.
    virtual std::unique_ptr<Writer> openAppender(const std::string& name) = 0;
    virtual void remove(const std::string& name) = 0;
    virtual void rename(const std::string& from, const std::string& to) = 0;

    std::shared_ptr<PackageIterator> iterateShared() const { return std::shared_ptr<PackageIterator>(iterate()); }

protected:
    Package() = default;
    Package(const Package&) = default;
    Package& operator=(const Package&) = default;
};

} // namespace TAVO
