#include "foundation/threads/Log.h"

namespace TAVO {

TextWriter Log::line(EntrySession& session) {
    return TextWriter(session.stream());
}

} // namespace TAVO
