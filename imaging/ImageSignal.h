#pragma once

#include "imaging/SignalConstBorrow.h"

namespace TAVO {
class Buffer;
}

namespace TAVO::Migration {

class ImageMetadata;

// The read-only signal view, of size (channels, width, height), of an image
// buffer whose rows carry no unused bytes. Only T = unsigned char exists.
template <class T>
class ImageSignal : public SignalConstBorrow<3, T> {
public:
    // Samples must be 8-bit unsigned little-endian (else UnexpectedValueException
    // with both type texts); alignments that leave bytes between pixels or rows
    // throw SupportException "image signal alignment"; a buffer smaller than
    // the image throws SpaceException<unsigned long long>(needed, size); an
    // image of more than 32 bits of samples BoundException.
    ImageSignal(const ImageMetadata& metadata, const Buffer& buffer);
};

extern template class ImageSignal<unsigned char>;

} // namespace TAVO::Migration
