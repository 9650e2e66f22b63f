#include "foundation/streams/RandomStream.h"

namespace TAVO {

void RandomStream::seek(std::uint64_t offset, std::uint32_t origin) {
    switch (origin) {
    case Begin:
        seek(offset);
        break;
    case BackFromEnd: {
        const std::uint64_t end = size();
        seek(offset > end ? 0 : end - offset);
        break;
    }
    case Forward: {
        const std::uint64_t here = tell();
        const std::uint64_t end = size();
        seek(offset > end || here > end - offset ? end : here + offset);
        break;
    }
    case BackFromCurrent: {
        const std::uint64_t here = tell();
        seek(offset > here ? 0 : here - offset);
        break;
    }
    default:
        break;
    }
}

} // namespace TAVO
