#include "foundation/files/RecursiveFileIterator.h"

#include "foundation/files/FileIterationException.h"

namespace TAVO {

RecursiveFileIterator::RecursiveFileIterator(std::shared_ptr<FileIterator> root) {
    if (root)
        stack_.push_back(std::move(root));
    settle();
}

FileIterator& RecursiveFileIterator::current() const {
    if (stack_.empty())
        throw FileIterationException(SourceLocation(), std::string());
    return *stack_.back();
}

void RecursiveFileIterator::advance() {
    if (stack_.empty())
        throw FileIterationException(SourceLocation(), std::string());
    stack_.back()->next();
    settle();
}

void RecursiveFileIterator::settle() {
    while (!stack_.empty()) {
        FileIterator& top = *stack_.back();
        if (!top.valid()) {
            stack_.pop_back();
            continue;
        }
        if (!top.isDirectory())
            return;
        const std::string name = top.name();
        if (!name.empty() && name[0] == '.') {
            top.next();
            continue;
        }
        std::shared_ptr<FileIterator> child(top.openDirectory());
        top.next();
        stack_.push_back(std::move(child));
    }
}

} // namespace TAVO
