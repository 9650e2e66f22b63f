#include "foundation/platform/NativeFileWriteStream.h"

#include "foundation/platform/NativeFile.h"

namespace TAVO {

void NativeFileWriteStream::write(const void* source, std::uint64_t count) {
    if (count == 0)
        return;
    file_.writeAt(position_, source, count);
    position_ += count;
}

void NativeFileWriteStream::flush() { file_.sync(); }

std::uint64_t NativeFileWriteStream::size() { return file_.size(); }

} // namespace TAVO
