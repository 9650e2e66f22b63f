#pragma once

#include <cstdint>
#include <memory>

#include "foundation/exceptions/Exception.h"

namespace TAVO {

// A change refused because the archive's tail was found damaged or an earlier
// write failed: "Archive impaired, [end of index <status>, ]modification prohibited. "
// followed by the earlier failure, when there is one.
class ArchiveImpairedException : public Exception {
public:
    ArchiveImpairedException(SourceLocation location, std::uint32_t status, const Exception* previous);
    ArchiveImpairedException(const ArchiveImpairedException& other);

    void print(std::ostream& out) const override;
    Exception* clone() const override { return new ArchiveImpairedException(*this); }

    std::uint32_t status() const { return status_; }
    const Exception* previous() const { return previous_.get(); }

private:
    std::uint32_t status_;
    std::unique_ptr<Exception> previous_;
};

} // namespace TAVO
