#pragma once

#include <string>
#include <type_traits>

#include "foundation/exceptions/Exception.h"
#include "foundation/platform/TypeName.h"

namespace TAVO {

// "Could not find <key> in <searched>. " The searched set is either a text or
// the type name of the container that was searched.
template <class K>
class NotFoundException : public Exception {
public:
    NotFoundException(SourceLocation location, K key, const char* searched)
        : Exception(location), key_(std::move(key)), searched_(searched) {}

    template <class Container>
        requires(!std::is_convertible_v<const Container&, const char*>)
    NotFoundException(SourceLocation location, K key, const Container& container)
        : Exception(location), key_(std::move(key)), searched_(TypeName::ofObject(container)) {}

    void print(std::ostream& out) const override {
        out << "Could not find ";
        printValue(out, key_);
        out << " in " << searched_ << ". ";
    }
    Exception* clone() const override { return new NotFoundException(*this); }

    const K& key() const { return key_; }
    const std::string& searched() const { return searched_; }

private:
    K key_;
    std::string searched_;
};

} // namespace TAVO
