#include "imaging/ImageSignal.h"

#include "foundation/exceptions/SupportException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/streams/Buffer.h"
#include "imaging/ImageMetadata.h"

namespace TAVO::Migration {

namespace {

// Checks the metadata before the view is made; gives the view's size.
Tuple<3, unsigned int> checkedSize(const ImageMetadata& metadata, const Buffer& buffer) {
    const Value byte(Value::UInt8, 0);
    if (!(metadata.type() == byte))
        throw UnexpectedValueException(SourceLocation(), metadata.type().toString(), byte.toString());
    const std::uint64_t pixelBits = std::uint64_t(8) * metadata.channels();
    const std::uint32_t p = metadata.pixelAlignment();
    const std::uint32_t l = metadata.lineAlignment();
    if (p > 0 && pixelBits % p != 0)
        throw SupportException(SourceLocation(), "image signal alignment");
    if (l > 0) {
        const std::uint64_t alignedPixel = p > 0 ? (pixelBits + p - 1) / p * p : pixelBits;
        if ((alignedPixel * metadata.width()) % l != 0)
            throw SupportException(SourceLocation(), "image signal alignment");
    }
    const Tuple<3, unsigned int> size(metadata.channels(), metadata.width(), metadata.height());
    const std::uint32_t count = SignalBase<3, unsigned char, const unsigned char*>::countOf(size);
    if (count > buffer.size())
        throw SpaceException<unsigned long long>(SourceLocation(), count, buffer.size());
    return size;
}

} // namespace

template <class T>
ImageSignal<T>::ImageSignal(const ImageMetadata& metadata, const Buffer& buffer)
    : SignalConstBorrow<3, T>(buffer.data(), checkedSize(metadata, buffer)) {}

template class ImageSignal<unsigned char>;

} // namespace TAVO::Migration
