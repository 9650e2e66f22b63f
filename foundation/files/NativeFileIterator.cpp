#include "foundation/files/NativeFileIterator.h"

#include "foundation/files/FileIterationException.h"
#include "foundation/files/Path.h"

namespace TAVO {

NativeFileIterator::NativeFileIterator(const std::string& folder) {
    if (folder.empty())
        throw FileIterationException(SourceLocation(), std::string());
    prefix_ = folder;
    if (prefix_.back() != Path::separator)
        prefix_ += Path::separator;
    open();
}

void NativeFileIterator::open() {
    entries_.clear();
    index_ = 0;
    if (!NativeDirectoryListing::list(prefix_, entries_))
        throw FileIterationException(SourceLocation(), prefix_ + "*.*");
}

const NativeDirectoryListing::Entry& NativeFileIterator::current() const {
    if (!valid())
        throw FileIterationException(SourceLocation(), prefix_);
    return entries_[index_];
}

std::string NativeFileIterator::name() const {
    return current().name;
}

std::string NativeFileIterator::path() const {
    return prefix_ + current().name;
}

bool NativeFileIterator::isDirectory() const {
    return current().directory;
}

void NativeFileIterator::rewind() {
    open();
}

FileIterator* NativeFileIterator::openDirectory() const {
    if (!isDirectory())
        throw FileIterationException(SourceLocation(), path());
    return new NativeFileIterator(path());
}

void NativeFileIterator::next() {
    if (valid())
        ++index_;
}

} // namespace TAVO
