#pragma once

#include <fstream>
#include <memory>
#include <string>

#include "foundation/files/Path.h"
#include "foundation/files/RecursiveFileIterator.h"
#include "foundation/packages/Package.h"
#include "foundation/streams/CppInStream.h"
#include "foundation/streams/CppOutStream.h"

namespace TAVO {

// A package whose entries are the files below a root folder. Entry names
// never reach outside the root: a name with a ".." component, an empty
// component, a leading '/', a backslash or a zero byte is refused with
// PathException "Invalid entry name. ".
class FSPackage : public Package {
public:
    class FSFileReader : public Package::Reader {
    public:
        // Opens a regular file; good() tells whether that worked.
        explicit FSFileReader(const Path& path);
        bool good() const { return stream_ != nullptr; }
        ReadStream& stream() override { return *stream_; }

    private:
        std::ifstream file_;
        std::unique_ptr<CppInStream> stream_;
    };

    class FSFileWriter : public Package::Writer {
    public:
        // Creates the missing folders above the file (throwing PathException
        // "Failed to create directory. "), then opens the file, creating it,
        // for appending or replacing; good() tells whether that worked.
        FSFileWriter(const Path& path, bool append);
        bool good() const { return stream_ != nullptr; }
        WriteStream& stream() override { return *stream_; }

    private:
        std::ofstream file_;
        std::unique_ptr<CppOutStream> stream_;
    };

    // The files below the root, depth first; names are relative to the root
    // with '/' separators. Folders whose names begin with '.' are not entered.
    class FSPackageIterator : public Package::PackageIterator {
    public:
        // Throws FileIterationException when the root cannot be listed.
        explicit FSPackageIterator(const std::string& root);
        std::string current() const override;
        PackageIterator& advance() override;
        bool valid() const override { return files_->hasCurrent(); }

    private:
        void skipDirectories();

        std::string root_;
        std::shared_ptr<RecursiveFileIterator> files_;
    };

    explicit FSPackage(std::string root) : root_(std::move(root)) {}

    const std::string& root() const { return root_; }
    // The file that holds an entry.
    Path resolve(const std::string& name) const;

    PackageIterator* iterate() const override;
    bool exists(const std::string& name) const override;
    // Throws PathException when the entry is missing.
    std::uint32_t size(const std::string& name) const override;
    std::unique_ptr<Reader> openReader(const std::string& name) const override;
    std::unique_ptr<Writer> openWriter(const std::string& name) override;
    std::unique_ptr<Writer> openAppender(const std::string& name) override;
    // Throws PathException "Remove failed. ".
    void remove(const std::string& name) override;
    // Replaces an existing target; throws PathException on failure.
    void rename(const std::string& from, const std::string& to) override;

private:
    std::string root_;
};

} // namespace TAVO
