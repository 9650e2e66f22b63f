#include "foundation/exceptions/ExceptionLogger.h"

#include "foundation/threads/Log.h"

namespace TAVO {

void ExceptionLogger::handle(const Exception& exception, const std::string& context) {
    std::shared_ptr<Log::EntrySession> session = log_.entry();
    TextWriter writer = Log::line(session);
    describe(writer, exception, context);
}

} // namespace TAVO
