#include "foundation/threads/Semaphore.h"

#include <new>

#include "foundation/exceptions/AllocateException.h"
#include "foundation/exceptions/ReleaseException.h"
#include "foundation/platform/NativeSemaphore.h"

namespace TAVO {

Semaphore::Semaphore(unsigned int initial, unsigned int maximum) {
    if (maximum == 0 || initial > maximum)
        throw AllocateException(SourceLocation(), "semaphore");
    try {
        native_ = std::make_unique<NativeSemaphore>(initial, maximum);
    } catch (const std::bad_alloc&) {
        throw AllocateException(SourceLocation(), "semaphore");
    }
}

Semaphore::~Semaphore() = default;

void Semaphore::acquire() {
    native_->acquire();
}

void Semaphore::release() {
    if (!native_->release())
        throw ReleaseException(SourceLocation(), "semaphore");
}

} // namespace TAVO
