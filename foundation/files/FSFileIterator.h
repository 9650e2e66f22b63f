#pragma once

#include "foundation/files/FileIterator.h"
#include "foundation/files/URI.h"

namespace TAVO {

// The file-system kind of folder cursor.
class FSFileIterator : public FileIterator {
public:
    ~FSFileIterator() override = default;

    // A listing (owned by the caller) of the folder named by a "file" URI's
    // path text (not percent-decoded). Any other scheme, the empty one
    // included, throws SupportException with the scheme.
    static FileIterator* create(const URI& uri);
};

} // namespace TAVO
