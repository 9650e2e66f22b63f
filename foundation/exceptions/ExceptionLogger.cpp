#include "foundation/exceptions/ExceptionLogger.h"

#include <sstream>

#include "foundation/streams/CppOutStream.h"
#include "foundation/text/Text.h"
#include "foundation/text/TextWriter.h"
#include "foundation/threads/Log.h"

namespace TAVO {

void ExceptionLogger::handle(const Exception& exception, const std::string& context) {
    // Messages quote what they met (a line of a file, a file name): the
    // entry stays one printable line, ended by the description's line feed.
    std::ostringstream text;
    {
        CppOutStream stream(text);
        TextWriter writer(stream);
        describe(writer, exception, context);
    }
    std::string description = text.str();
    const bool lineEnd = !description.empty() && description.back() == '\n';
    if (lineEnd)
        description.pop_back();
    std::shared_ptr<Log::EntrySession> session = log_.entry();
    TextWriter writer = Log::line(session);
    writer << Text::printable(description);
    if (lineEnd)
        writer << "\n";
}

} // namespace TAVO
