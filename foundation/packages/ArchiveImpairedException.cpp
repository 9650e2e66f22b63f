#include "foundation/packages/ArchiveImpairedException.h"

#include "foundation/packages/Archive.h"

namespace TAVO {

ArchiveImpairedException::ArchiveImpairedException(SourceLocation location, std::uint32_t status,
                                                   const Exception* previous)
    : Exception(location), status_(status), previous_(previous ? previous->clone() : nullptr) {}

ArchiveImpairedException::ArchiveImpairedException(const ArchiveImpairedException& other)
    : Exception(other), status_(other.status_), previous_(other.previous_ ? other.previous_->clone() : nullptr) {}

void ArchiveImpairedException::print(std::ostream& out) const {
    out << "Archive impaired, ";
    if (status_ != Archive::NORMAL)
        out << "end of index " << Archive::statusName(status_) << ", ";
    out << "modification prohibited. ";
    if (previous_)
        out << "\n  Previous exception " << *previous_;
}

} // namespace TAVO
