#include "foundation/packages/FSPackage.h"

#include "foundation/files/FileSystem.h"
#include "foundation/files/NativeFileIterator.h"
#include "foundation/files/PathException.h"
#include "foundation/files/URI.h"

namespace TAVO {

namespace {

bool leavesRoot(const std::string& name) {
    if (name.empty() || name.front() == '/' || name.find('\\') != std::string::npos ||
        name.find('\0') != std::string::npos)
        return true;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = name.find('/', start);
        if (end == std::string::npos)
            end = name.size();
        const std::string_view component(name.data() + start, end - start);
        if (component.empty() || component == "..")
            return true;
        if (end == name.size())
            return false;
        start = end + 1;
    }
}

} // namespace

// Reader and writer ---------------------------------------------------------

FSPackage::FSFileReader::FSFileReader(const Path& path) {
    if (!FileSystem::isReadableFile(path))
        return;
    file_.open(path.str(), std::ios::in | std::ios::binary);
    if (file_.good())
        stream_ = std::make_unique<CppInStream>(file_);
}

FSPackage::FSFileWriter::FSFileWriter(const Path& path, bool append) {
    const Path folder = Path::directory(path);
    // An empty folder is the working folder, which exists.
    if (!folder.empty())
        FileSystem::createDirectories(folder);
    if (append)
        file_.open(path.str(), std::ios::out | std::ios::binary | std::ios::app);
    if (!append || !file_.is_open()) {
        file_.clear();
        file_.open(path.str(), std::ios::out | std::ios::binary | std::ios::trunc);
    }
    if (file_.good())
        stream_ = std::make_unique<CppOutStream>(file_);
}

// Iterator ---------------------------------------------------------------------

FSPackage::FSPackageIterator::FSPackageIterator(const std::string& root)
    : root_(root),
      files_(std::make_shared<RecursiveFileIterator>(std::shared_ptr<FileIterator>(NativeFileIterator::create(root)))) {
    skipDirectories();
}

void FSPackage::FSPackageIterator::skipDirectories() {
    while (files_->hasCurrent() && files_->current().isDirectory())
        files_->advance();
}

std::string FSPackage::FSPackageIterator::current() const {
    const Path relative = Path::relativeTo(Path(files_->current().path()), Path(root_));
    return Path::toURIPath(relative).toString();
}

Package::PackageIterator& FSPackage::FSPackageIterator::advance() {
    files_->advance();
    skipDirectories();
    return *this;
}

// Package ----------------------------------------------------------------------

Path FSPackage::resolve(const std::string& name) const {
    if (leavesRoot(name))
        throw PathException(SourceLocation(), name, "Invalid entry name. ");
    return Path(root_) / Path::fromURIPath(URI::Hierarchical::Path::parse(name));
}

Package::PackageIterator* FSPackage::iterate() const {
    return new FSPackageIterator(root_);
}

bool FSPackage::exists(const std::string& name) const {
    return FileSystem::isReadableFile(resolve(name));
}

std::uint32_t FSPackage::size(const std::string& name) const {
    return FileSystem::fileSize(resolve(name));
}

std::unique_ptr<Package::Reader> FSPackage::openReader(const std::string& name) const {
    auto reader = std::make_unique<FSFileReader>(resolve(name));
    if (!reader->good())
        return nullptr;
    return reader;
}

std::unique_ptr<Package::Writer> FSPackage::openWriter(const std::string& name) {
    auto writer = std::make_unique<FSFileWriter>(resolve(name), false);
    if (!writer->good())
        return nullptr;
    return writer;
}

std::unique_ptr<Package::Writer> FSPackage::openAppender(const std::string& name) {
    auto writer = std::make_unique<FSFileWriter>(resolve(name), true);
    if (!writer->good())
        return nullptr;
    return writer;
}

void FSPackage::remove(const std::string& name) {
    FileSystem::remove(resolve(name));
}

void FSPackage::rename(const std::string& from, const std::string& to) {
    FileSystem::move(resolve(from), resolve(to), true);
}

} // namespace TAVO
