#include "foundation/threads/Mutex.h"

#include <new>

#include "foundation/exceptions/AcquireException.h"
#include "foundation/exceptions/AllocateException.h"
#include "foundation/exceptions/ReleaseException.h"
#include "foundation/platform/NativeMutex.h"

namespace TAVO {

Mutex::Guard::~Guard() {
    try {
        mutex_.release();
    } catch (const Exception&) {
        // The guard acquired on this thread, so the release cannot fail.
    }
}

Mutex::Mutex() {
    try {
        native_ = std::make_unique<NativeMutex>();
    } catch (const std::bad_alloc&) {
        throw AllocateException(SourceLocation(), "mutex");
    }
}

Mutex::~Mutex() = default;

void Mutex::acquire() {
    if (!native_->acquire())
        throw AcquireException(SourceLocation(), "mutex");
}

void Mutex::release() {
    if (!native_->release())
        throw ReleaseException(SourceLocation(), "mutex");
}

} // namespace TAVO
