#pragma once

#include "foundation/exceptions/Exception.h"

namespace TAVO::Migration {

// An importer or exporter used without a stream.
class StreamException : public Exception {
public:
    explicit StreamException(SourceLocation location) : Exception(location) {}
    void print(std::ostream& out) const override { out << "Migrator was not associated with a stream. "; }
    Exception* clone() const override { return new StreamException(*this); }
};

} // namespace TAVO::Migration
