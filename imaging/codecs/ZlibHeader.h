#pragma once

#include "foundation/serialization/Serializable.h"

namespace TAVO::Migration::PNG {

// The two bytes that open a zlib stream (RFC 1950). Serialise it through a
// byte-swapping serialization; its fields are single bytes in this order.
class ZlibHeader : public Serializable {
public:
    ZlibHeader() = default;
    ZlibHeader(unsigned char cmf, unsigned char flg) : cmf(cmf), flg(flg) {}

    void serialize(Serialization& serialization) override;

    unsigned char cmf = 0;
    unsigned char flg = 0;
};

} // namespace TAVO::Migration::PNG
