#include "foundation/exceptions/ExceptionWriter.h"

#include "foundation/streams/CppOutStream.h"

namespace TAVO {

ExceptionWriter::ExceptionWriter(WriteStream& stream) : writer_(stream) {}

void ExceptionWriter::handle(const Exception& exception, const std::string& context) {
    Mutex::Guard guard(mutex_);
    describe(writer_, exception, context);
    ++count_;
}

unsigned int ExceptionWriter::count() const {
    Mutex::Guard guard(mutex_);
    return count_;
}

void ExceptionWriter::write(std::ostream& out, const Exception& exception, const std::string& context) {
    CppOutStream stream(out);
    ExceptionWriter writer(stream);
    writer.handle(exception, context);
}

void ExceptionWriter::write(std::ostream& out, const std::exception& exception, const std::string& context) {
    CppOutStream stream(out);
    ExceptionWriter writer(stream);
    writer.handleStdException(exception, context);
}

} // namespace TAVO
