#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "foundation/exceptions/ExceptionHandler.h"

namespace TAVO {

class CppOutStream;
class ExceptionWriter;

// Writes exceptions to a file that is opened (and emptied) at the first one.
// Give it its first exception before sharing it between threads.
class ExceptionFileWriter : public ExceptionHandler {
public:
    explicit ExceptionFileWriter(std::string path);
    ~ExceptionFileWriter() override;

    // A file that cannot be opened throws StreamException; the next call tries again.
    void handle(const Exception& exception, const std::string& context) override;
    // 0 until the file is open.
    unsigned int count() const;

private:
    std::string path_;
    std::unique_ptr<std::ostream> file_;
    std::unique_ptr<CppOutStream> stream_;
    std::unique_ptr<ExceptionWriter> writer_;
};

} // namespace TAVO
