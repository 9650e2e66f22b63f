#pragma once

#include "foundation/streams/Buffer.h"

namespace TAVO {

// A buffer whose size can change.
class DynamicBuffer : public Buffer {
public:
    // The contents need not survive.
    virtual void setSize(std::uint32_t size) = 0;
    // The contents up to the smaller of the two sizes survive.
    virtual void resize(std::uint32_t size) = 0;

    virtual void assign(const Buffer& other);
    virtual void assign(const void* bytes, std::uint32_t count);

    // Grows by count bytes (contents kept) and returns the new, uninitialised space.
    virtual std::uint8_t* append(std::uint32_t count);
    virtual void append(const Buffer& other);
    virtual void append(const void* bytes, std::uint32_t count);

    DynamicBuffer& operator=(const Buffer& other);
    void assignFrom(const Buffer& other) { assign(other); }

    void clear() { setSize(0); }

protected:
    DynamicBuffer() = default;
    DynamicBuffer(const DynamicBuffer&) = default;
    DynamicBuffer& operator=(const DynamicBuffer&) = default;
};

} // namespace TAVO
