#include "foundation/files/FSFileIterator.h"

#include "foundation/exceptions/SupportException.h"
#include "foundation/files/NativeFileIterator.h"

namespace TAVO {

FileIterator* FSFileIterator::create(const URI& uri) {
    if (uri.scheme != "file")
        throw SupportException(SourceLocation(), uri.scheme);
    return NativeFileIterator::create(uri.hierarchical.path.toString());
}

} // namespace TAVO
