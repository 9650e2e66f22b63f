#pragma once

namespace TAVO {

// The virtual base of every stream interface.
class Stream {
public:
    virtual ~Stream() = default;
};

} // namespace TAVO
