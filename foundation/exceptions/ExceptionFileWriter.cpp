#include "foundation/exceptions/ExceptionFileWriter.h"

#include <fstream>

#include "foundation/exceptions/ExceptionWriter.h"
#include "foundation/streams/CppOutStream.h"

namespace TAVO {

ExceptionFileWriter::ExceptionFileWriter(std::string path) : path_(std::move(path)) {}

ExceptionFileWriter::~ExceptionFileWriter() {
    writer_.reset();
    stream_.reset();
    file_.reset();
}

void ExceptionFileWriter::handle(const Exception& exception, const std::string& context) {
    if (!writer_) {
        auto file = std::make_unique<std::ofstream>(path_, std::ios::out | std::ios::trunc | std::ios::binary);
        auto stream = std::make_unique<CppOutStream>(*file);
        writer_ = std::make_unique<ExceptionWriter>(*stream);
        stream_ = std::move(stream);
        file_ = std::move(file);
    }
    writer_->handle(exception, context);
}

unsigned int ExceptionFileWriter::count() const {
    return writer_ ? writer_->count() : 0;
}

} // namespace TAVO
