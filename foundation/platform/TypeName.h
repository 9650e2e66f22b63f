#pragma once

#include <string>
#include <typeinfo>

namespace TAVO {

// Readable names of C++ types from run-time type information ("TAVO::Date",
// "std::map<...>"), as exception messages print them.
class TypeName {
public:
    static std::string of(const std::type_info& type);

    template <class T>
    static std::string of() { return of(typeid(T)); }

    template <class T>
    static std::string ofObject(const T& object) { return of(typeid(object)); }
};

} // namespace TAVO
