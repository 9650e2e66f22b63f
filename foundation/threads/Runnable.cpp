#include "foundation/threads/Runnable.h"

#include <sstream>

#include "foundation/exceptions/AllocateException.h"
#include "foundation/exceptions/CppException.h"
#include "foundation/exceptions/ExceptionDiscarder.h"
#include "foundation/platform/NativeThread.h"
#include "foundation/platform/TypeName.h"
#include "foundation/threads/Duration.h"

namespace TAVO {


Runnable::Runnable() try : sleepSemaphore_(0, 1) {
} catch (const AllocateException&) {
    throw AllocateException(SourceLocation(), "thread sleep semaphore");
}

Runnable::~Runnable() = default;

std::string Runnable::context() const {
    std::ostringstream text;
    text << TypeName::ofObject(*this) << " (" << static_cast<const void*>(this) << ")";
    return text.str();
}

void Runnable::setExceptionHandler(ExceptionHandler* handler) {
    handler_.store(handler);
}

ExceptionHandler& Runnable::exceptionHandler() const {
    ExceptionHandler* handler = handler_.load();
    if (handler != nullptr)
        return *handler;
    return ExceptionDiscarder::instance();
}

void Runnable::sleep(const Duration& duration) {
    NativeThread::sleep(duration.count());
}

void Runnable::report(const Exception& exception) const {
    try {
        exceptionHandler().handle(exception, context());
    } catch (...) {
        // A handler that fails while reporting must not end the thread.
    }
}

void Runnable::reportStdException(const std::exception& exception) const {
    try {
        exceptionHandler().handleStdException(exception, context());
    } catch (...) {
    }
}

void Runnable::reportUnknownException() const {
    report(CppException(SourceLocation(), "an exception of unknown type", "unknown"));
}

} // namespace TAVO
