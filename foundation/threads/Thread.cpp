#include "foundation/threads/Thread.h"

#include <exception>
#include <new>
#include <system_error>

#include "foundation/exceptions/AllocateException.h"
#include "foundation/platform/NativeThread.h"
#include "foundation/threads/Runnable.h"

namespace TAVO {

Thread::Thread(Runnable& runnable) : runnable_(runnable) {
    try {
        native_ = std::make_unique<NativeThread>([&runnable] { entry(runnable); });
    } catch (const std::system_error&) {
        throw AllocateException(SourceLocation(), "thread");
    } catch (const std::bad_alloc&) {
        throw AllocateException(SourceLocation(), "thread");
    }
}

Thread::~Thread() = default;

bool Thread::waitForEnd(unsigned int milliseconds) {
    return native_->waitForEnd(milliseconds);
}

bool Thread::isCurrent() const {
    return native_->isCurrent();
}

std::thread::id Thread::id() const {
    return native_->id();
}

int Thread::entry(Runnable& runnable) {
    try {
        runnable.run();
    } catch (const Exception& exception) {
        runnable.report(exception);
    } catch (const std::exception& exception) {
        runnable.reportStdException(exception);
    } catch (...) {
        // An exception outside both families would end the program here.
        runnable.reportUnknownException();
    }
    runnable.running_.store(false);
    runnable.active_.store(false);
    return 0;
}

} // namespace TAVO
