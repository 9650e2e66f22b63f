#include "imaging/codecs/jpeg/BlockReader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/SupportException.h"
#include "foundation/platform/NativeMemory.h"
#include "foundation/streams/DynamicBuffer.h"
#include "foundation/text/Text.h"
#include "foundation/threads/Bands.h"
#include "imaging/FormatException.h"
#include "imaging/ImageLayout.h"
#include "imaging/ImageMetadata.h"
#include "imaging/codecs/jpeg/FrameHeader.h"
#include "imaging/codecs/jpeg/HuffmanTable.h"
#include "imaging/codecs/jpeg/ProgressiveDCTMode.h"
#include "imaging/codecs/jpeg/ScanHeader.h"
#include "imaging/codecs/jpeg/ByteConversion.h"
#include "imaging/codecs/jpeg/PlaneRowScaler.h"
#include "imaging/codecs/jpeg/SequentialDCTMode.h"

namespace TAVO::Migration::JPEG {

void fail(const std::string& message) { throw FormatException(SourceLocation(), "jpeg", message); }

std::uint32_t ceilDivide(std::uint64_t value, std::uint64_t divisor) {
    return static_cast<std::uint32_t>((value + divisor - 1) / divisor);
}

Tuple<2, unsigned int> componentPlaneSize(const Tuple<2, unsigned int>& size, const Tuple<2, unsigned int>& sampling,
                                          const Tuple<2, unsigned int>& maxSampling) {
    return Tuple<2, unsigned int>(ceilDivide(std::uint64_t(size[0]) * sampling[0], maxSampling[0]),
                                  ceilDivide(std::uint64_t(size[1]) * sampling[1], maxSampling[1]));
}

// --- ByteUnstuffer --------------------------------------------------------

bool BlockReader::ByteUnstuffer::fetchLast(std::uint8_t& byte) {
    // Fewer than two bytes are left: a last byte other than 0xFF is data; an
    // 0xFF without its stuff byte is the end.
    if (input_.available() == 1 && input_.current()[0] != 0xFF) {
        byte = input_.current()[0];
        input_.advance(1);
        return true;
    }
    stop_ = End;
    return false;
}

void BlockReader::ByteUnstuffer::failAtStop() {
    if (stop_ == Marker)
        fail("Expected stuff byte (0x00), got 0x" + Text::hexText(marker_));
    // At most a lone 0xFF is left: reading on fails in the input stream.
    std::uint8_t bytes[2];
    input_.read(bytes, 2);
    fail("Unexpected end of entropy-coded data. ");
}

void BlockReader::ByteUnstuffer::read(void* destination, std::uint64_t count) {
    auto* target = static_cast<std::uint8_t*>(destination);
    for (std::uint64_t i = 0; i < count; ++i)
        if (!fetch(target[i]))
            failAtStop();
}

// --- BitReader ------------------------------------------------------------

std::uint32_t BlockReader::BitReader::receiveBits(std::uint32_t n) {
    if (n > 32)
        throw BoundException<unsigned int>(SourceLocation(), n, 32);
    if (n == 0)
        return 0;
    if (n <= 16)
        return take(n);
    const std::uint32_t high = take(n - 16);
    return (high << 16) | take(16);
}

unsigned BlockReader::BitReader::decodeSlow(const HuffmanEntry& table) {
    const HuffmanTree& tree = *table.tree;
    const unsigned symbols = tree.symbolCount();
    if (count_ < 16)
        fill();
    unsigned node = 0;
    for (unsigned i = 0;; ++i) {
        if (i >= count_)
            source_.failAtStop();
        const unsigned value = tree.step(node, unsigned(bits_ >> (63 - i)) & 1u);
        if (value < symbols) {
            bits_ <<= i + 1;
            count_ -= i + 1;
            return table.values[value];
        }
        node = value - symbols;
    }
}

void BlockReader::BitReader::fillSlow() {
    while (count_ <= 56) {
        std::uint8_t byte;
        if (!source_.fetch(byte))
            return;
        bits_ |= std::uint64_t(byte) << (56 - count_);
        count_ += 8;
    }
}

int BlockReader::BitReader::wholeByte() const {
    if (count_ < 8)
        return -1;
    return int((bits_ << (count_ % 8)) >> 56);
}

void BlockReader::BitReader::restart(std::uint32_t expected) {
    // Only the bits of the last byte begun may be dropped; the marker must
    // come right after it.
    const int pending = wholeByte();
    if (pending == 0xFF)
        fail("Expected reset marker, got 0x0");  // the 0xFF of a stuffed pair
    if (pending >= 0)
        fail("Expected marker. ");
    InputBuffer& input = source_.input();
    std::uint8_t byte;
    input.read(&byte, 1);
    if (byte != 0xFF)
        fail("Expected marker. ");
    input.read(&byte, 1);
    if (byte < 0xD0 || byte > 0xD7)
        fail("Expected reset marker, got 0x" + Text::hexText(byte));
    if (std::uint32_t(byte - 0xD0) != expected)
        fail("Expected reset count " + Text::toString(expected) + ", got " + Text::toString(byte - 0xD0u));
    clear();
}

void BlockReader::BitReader::finishScan() {
    const int pending = wholeByte();
    if (pending == 0xFF)
        throw SupportException(SourceLocation(), "JPEG marker 0");  // the stuff byte read as a marker code
    if (pending >= 0)
        fail("Expected start of marker segment. ");
}

// --- BlockReader ----------------------------------------------------------

BlockReader::BlockReader(InputBuffer& input)
    : unstuffer_(input), bitReader_(unstuffer_), dct_() {
    for (unsigned p = 0; p < 64; ++p)
        for (unsigned k = 0; k < 64; ++k)
            weights_[k][p] = dct_.kernels()[p].data()[k];
    dcUniform_ = std::all_of(&weights_[0][0], &weights_[0][0] + 64, [&](float w) { return w == weights_[0][0]; });
    for (QuantizationTable& slot : quantizationSlots_)
        slot = QuantizationTable();
}

BlockReader::~BlockReader() = default;

void BlockReader::storeHuffmanTable(const HuffmanTable& table) {
    codes_.clear();
    for (unsigned length = 1; length <= 16; ++length)
        for (unsigned i = 0; i < table.counts[length - 1]; ++i)
            codes_.push_back({length, 0});
    if (codes_.empty())
        fail("Empty huffman table. ");
    // The all-ones code of the longest length is not a real code; it gets a
    // symbol of its own, value 0, so that the tree has no hole there.
    codes_.push_back({codes_.back().length, 0});
    HuffmanTree::assignCodes(codes_, "jpeg");
    if (table.destination() >= 4)
        throw BoundException<unsigned int>(SourceLocation(), table.destination(), 4);
    if (table.tableClass() >= 2)
        throw BoundException<unsigned int>(SourceLocation(), table.tableClass(), 2);
    auto tree = std::make_unique<HuffmanTree>(codes_, "jpeg");

    HuffmanEntry& entry = huffman_[table.destination() + 4 * table.tableClass()];
    entry.values.assign(table.values.begin(), table.values.end());
    entry.values.resize(codes_.size(), 0);
    const auto& slots = tree->slots();
    const unsigned symbols = tree->symbolCount();
    for (unsigned prefix = 0; prefix < (1u << HuffmanEntry::fastBits); ++prefix) {
        std::uint16_t result = 0;
        unsigned node = 0;
        for (unsigned i = 0; i < HuffmanEntry::fastBits; ++i) {
            const unsigned value = slots[node + ((prefix >> (HuffmanEntry::fastBits - 1 - i)) & 1u)];
            if (value == HuffmanTree::emptySlot)
                break;
            if (value < symbols) {
                result = std::uint16_t(((i + 1) << 8) | entry.values[value]);
                break;
            }
            node = value - symbols;
        }
        entry.fast[prefix] = result;
        // A coefficient coded whole within the prefix: its run, size and
        // extra bits (a size above 10 is refused the slow way).
        entry.fastAC[prefix] = 0;
        const unsigned length = result >> 8, size = result & 15u, run = (result >> 4) & 15u;
        if (result != 0 && size != 0 && size <= 10 && length + size <= HuffmanEntry::fastBits) {
            const unsigned extra = (prefix >> (HuffmanEntry::fastBits - length - size)) & ((1u << size) - 1);
            entry.fastAC[prefix] = extend(extra, size) * 256 + std::int32_t(run * 16 + length + size);
        }
    }
    entry.tree = std::move(tree);
}

void BlockReader::storeQuantizationTable(const QuantizationTable& table) {
    if (table.destination() >= 4)
        throw BoundException<unsigned int>(SourceLocation(), table.destination(), 4);
    quantizationSlots_[table.destination()] = table;
}

const BlockReader::HuffmanEntry& BlockReader::huffmanTable(unsigned int tableClass, unsigned int selector) const {
    if (selector > 3)
        fail("Huffman table selector " + Text::toString(selector) + " above 3. ");
    const HuffmanEntry& entry = huffman_[selector + 4 * tableClass];
    if (!entry.tree)
        fail(std::string(tableClass == 0 ? "DC" : "AC") + " huffman table " + Text::toString(selector) +
             " used but not defined. ");
    return entry;
}

void BlockReader::startFrame(const FrameHeader& header, bool progressive, bool eighthScale) {
    if (header.precision != 8)
        throw SupportException(SourceLocation(), "JPEG with other than 8-bit sample precision");
    const std::uint32_t count = std::uint32_t(header.components.size());
    if (count != 1 && count != 3)
        throw SupportException(SourceLocation(), "JPEG with channels other than 1 or 3");
    // Everything the layout divides by or allocates from is checked first.
    if (header.width == 0 || header.height == 0)
        fail("Frame without width or height. ");
    for (const FrameHeader::ImageComponent& component : header.components) {
        if (component.horizontalSampling() < 1 || component.horizontalSampling() > 4 ||
            component.verticalSampling() < 1 || component.verticalSampling() > 4)
            fail("Sampling factor outside 1 to 4. ");
        if (component.quantizationTable > 3)
            fail("Quantization table selector above 3. ");
    }
    ImageMetadata::checkSize(header.width, header.height);

    mode_.reset();
    if (progressive)
        mode_ = std::make_unique<ProgressiveDCTMode>(*this);
    else
        mode_ = std::make_unique<SequentialDCTMode>(*this);

    const std::uint32_t width = header.width;
    const std::uint32_t height = header.height;
    imageSize_ = Tuple<2, unsigned int>(width, height);
    componentCount_ = count;
    maxSampling_ = Tuple<2, unsigned int>(0u, 0u);
    for (std::uint32_t i = 0; i < count; ++i) {
        const FrameHeader::ImageComponent& component = header.components[i];
        sampling_[i] = count == 1 ? Tuple<2, unsigned int>(1u, 1u)
                                  : Tuple<2, unsigned int>(component.horizontalSampling(),
                                                           component.verticalSampling());
        maxSampling_[0] = std::max(maxSampling_[0], sampling_[i][0]);
        maxSampling_[1] = std::max(maxSampling_[1], sampling_[i][1]);
        quantization_[i] = &quantizationSlots_[component.quantizationTable];
    }
    mcuCount_ = Tuple<2, unsigned int>(ceilDivide(width, 8ull * maxSampling_[0]),
                                       ceilDivide(height, 8ull * maxSampling_[1]));
    blocksPerMCU_ = 0;
    for (std::uint32_t i = 0; i < count; ++i)
        blocksPerMCU_ += sampling_[i][0] * sampling_[i][1];

    if (!eighthScale) {
        mode_->setup(imageSize_, false);
        for (std::uint32_t i = 0; i < count; ++i)
            mode_->addComponent(i, header.components[i].id, imageSize_, sampling_[i], maxSampling_);
    } else {
        mode_->setup(Tuple<2, unsigned int>(mcuCount_[0] * maxSampling_[0], mcuCount_[1] * maxSampling_[1]), true);
        for (std::uint32_t i = 0; i < count; ++i)
            mode_->addComponent(i, header.components[i].id,
                                Tuple<2, unsigned int>(sampling_[i][0] * mcuCount_[0], sampling_[i][1] * mcuCount_[1]),
                                sampling_[i], sampling_[i]);
    }
}

Tuple<2, unsigned int> BlockReader::componentBlocks(unsigned int index) const {
    const Tuple<2, unsigned int> plane = componentPlaneSize(imageSize_, sampling_[index], maxSampling_);
    return Tuple<2, unsigned int>(ceilDivide(plane[0], 8), ceilDivide(plane[1], 8));
}

bool BlockReader::readScan(const ScanHeader& header) {
    if (!mode_)
        fail("Start of scan before any frame header. ");
    bitReader_.clear();
    predictors_ = Tuple<3, int>(0, 0, 0);
    mcusSinceRestart_ = 0;
    nextRestart_ = 0;
    return mode_->readScan(header);
}

void BlockReader::finish(DynamicBuffer& buffer, Metadata& metadata) {
    if (!mode_)
        fail("End of image before any frame header. ");
    mode_->finish(buffer, metadata);
}

void BlockReader::restart() {
    bitReader_.restart(nextRestart_);
    predictors_ = Tuple<3, int>(0, 0, 0);
    nextRestart_ = (nextRestart_ + 1) % 8;
    mcusSinceRestart_ = 0;
}

// --- Reconstruction -------------------------------------------------------

void BlockReader::sumTerms(const unsigned char* positions, const float* values, unsigned int count,
                           unsigned char* block) const {
    // Each sample is the sum over the terms in increasing order of value
    // times the weight of its kernel, from 0.0, in single precision, + 128.5,
    // for many samples at a time.
    if (count == 0) {
        std::memset(block, 128, 64);  // 0 + 128.5, truncated
        return;
    }
    if (count == 1 && positions[0] == 0 && dcUniform_) {
        std::memset(block, toByte(values[0] * weights_[0][0] + 128.5f), 64);
        return;
    }
    alignas(16) float sum[64];
#ifdef KESTRUNE_JPEG_SSE2
    // Half a block at a time, so that the sums stay in registers.
    const __m128 offset = _mm_set1_ps(128.5f);
    for (int half = 0; half < 64; half += 32) {
        const float* w = weights_[positions[0]] + half;
        __m128 c = _mm_set1_ps(values[0]);
        __m128 s0 = _mm_mul_ps(c, _mm_load_ps(w)), s1 = _mm_mul_ps(c, _mm_load_ps(w + 4));
        __m128 s2 = _mm_mul_ps(c, _mm_load_ps(w + 8)), s3 = _mm_mul_ps(c, _mm_load_ps(w + 12));
        __m128 s4 = _mm_mul_ps(c, _mm_load_ps(w + 16)), s5 = _mm_mul_ps(c, _mm_load_ps(w + 20));
        __m128 s6 = _mm_mul_ps(c, _mm_load_ps(w + 24)), s7 = _mm_mul_ps(c, _mm_load_ps(w + 28));
        for (unsigned int i = 1; i < count; ++i) {
            w = weights_[positions[i]] + half;
            c = _mm_set1_ps(values[i]);
            s0 = _mm_add_ps(s0, _mm_mul_ps(c, _mm_load_ps(w)));
            s1 = _mm_add_ps(s1, _mm_mul_ps(c, _mm_load_ps(w + 4)));
            s2 = _mm_add_ps(s2, _mm_mul_ps(c, _mm_load_ps(w + 8)));
            s3 = _mm_add_ps(s3, _mm_mul_ps(c, _mm_load_ps(w + 12)));
            s4 = _mm_add_ps(s4, _mm_mul_ps(c, _mm_load_ps(w + 16)));
            s5 = _mm_add_ps(s5, _mm_mul_ps(c, _mm_load_ps(w + 20)));
            s6 = _mm_add_ps(s6, _mm_mul_ps(c, _mm_load_ps(w + 24)));
            s7 = _mm_add_ps(s7, _mm_mul_ps(c, _mm_load_ps(w + 28)));
        }
        float* out = sum + half;
        _mm_store_ps(out, _mm_add_ps(s0, offset));
        _mm_store_ps(out + 4, _mm_add_ps(s1, offset));
        _mm_store_ps(out + 8, _mm_add_ps(s2, offset));
        _mm_store_ps(out + 12, _mm_add_ps(s3, offset));
        _mm_store_ps(out + 16, _mm_add_ps(s4, offset));
        _mm_store_ps(out + 20, _mm_add_ps(s5, offset));
        _mm_store_ps(out + 24, _mm_add_ps(s6, offset));
        _mm_store_ps(out + 28, _mm_add_ps(s7, offset));
    }
#else
    for (int p = 0; p < 64; ++p)
        sum[p] = values[0] * weights_[positions[0]][p];
    for (unsigned int i = 1; i < count; ++i) {
        const float c = values[i];
        const float* w = weights_[positions[i]];
        for (int p = 0; p < 64; ++p)
            sum[p] += c * w[p];
    }
    for (int p = 0; p < 64; ++p)
        sum[p] += 128.5f;
#endif
    toBytes64(sum, block);
}

namespace {

// Pastes an 8 x 8 block at samples, rows stride apart, clipped to width x height.
void paste(const unsigned char* block, unsigned char* samples, std::size_t stride, unsigned int width,
           unsigned int height) {
    if (width >= 8 && height >= 8) {
        for (int y = 0; y < 8; ++y)
            std::memcpy(samples + y * stride, block + 8 * y, 8);
    } else {
        for (unsigned y = 0; y < std::min(height, 8u); ++y)
            std::memcpy(samples + y * stride, block + 8 * y, std::min(width, 8u));
    }
}

} // namespace

void BlockReader::transform(const short* dequantized, unsigned char* samples, std::size_t stride,
                            unsigned int width, unsigned int height) const {
    // Zero coefficients add exact zeros and are left out.
    unsigned char positions[64];
    float values[64];
    unsigned int n = 0;
    for (unsigned int k = 0; k < 64; ++k)
        if (dequantized[k] != 0) {
            positions[n] = static_cast<unsigned char>(k);
            values[n] = float(dequantized[k]);
            ++n;
        }
    alignas(16) unsigned char block[64];
    sumTerms(positions, values, n, block);
    paste(block, samples, stride, width, height);
}

void BlockReader::reconstructBlock(unsigned int component, Signal<2, unsigned char>& plane,
                                   const Tuple<2, unsigned int>& position, short* coefficients) const {
    const unsigned char* q = quantization_[component]->values;
    for (int k = 0; k < 64; ++k)
        coefficients[k] = static_cast<short>(static_cast<unsigned short>(coefficients[k] * q[k]));
    const unsigned planeWidth = plane.size()[0];
    const unsigned planeHeight = plane.size()[1];
    if (position[0] >= planeWidth || position[1] >= planeHeight)
        return;
    transform(coefficients, plane.data() + std::size_t(position[1]) * planeWidth + position[0], planeWidth,
              planeWidth - position[0], planeHeight - position[1]);
}

void BlockReader::reconstructTerms(unsigned int component, Signal<2, unsigned char>& plane,
                                   const Tuple<2, unsigned int>& position, const short* coefficients,
                                   const unsigned char* positions, unsigned int count) const {
    const unsigned planeWidth = plane.size()[0];
    const unsigned planeHeight = plane.size()[1];
    if (position[0] >= planeWidth || position[1] >= planeHeight)
        return;
    const unsigned char* q = quantization_[component]->values;
    float values[64];
    for (unsigned int i = 0; i < count; ++i) {
        const unsigned k = positions[i];
        values[i] = float(static_cast<short>(static_cast<unsigned short>(coefficients[k] * q[k])));
    }
    alignas(16) unsigned char block[64];
    sumTerms(positions, values, count, block);
    paste(block, plane.data() + std::size_t(position[1]) * planeWidth + position[0], planeWidth,
          planeWidth - position[0], planeHeight - position[1]);
}

unsigned char BlockReader::dcPixel(unsigned int component, short dc) const {
    const short value = static_cast<short>(static_cast<unsigned short>(dc * quantization_[component]->values[0]));
    return toByte(float(value) * 0.125f + 128.5f);
}

void BlockReader::fillMCUBlocks(unsigned int component, Signal<2, unsigned char>& plane) const {
    const Tuple<2, unsigned int> own = componentBlocks(component);
    const unsigned width = plane.size()[0], height = plane.size()[1];
    const unsigned mcuWidth = sampling_[component][0];
    if (own[0] == 0 || own[1] == 0)
        return;
    unsigned char* samples = plane.data();
    for (unsigned by = 0; by < height; ++by)
        for (unsigned bx = by < own[1] ? own[0] : 0; bx < width; ++bx) {
            const unsigned sy = std::min(by, own[1] - 1);
            const unsigned mcuEnd = bx / mcuWidth * mcuWidth + mcuWidth - 1;
            const unsigned sx = by < own[1] ? own[0] - 1 : std::min(mcuEnd, own[0] - 1);
            samples[std::size_t(by) * width + bx] = samples[std::size_t(sy) * width + sx];
        }
}

// --- Output ---------------------------------------------------------------

void BlockReader::upsampleComponent(const Signal<2, unsigned char>& source, Signal<2, unsigned char>& target) {
    const unsigned sw = source.size()[0], sh = source.size()[1];
    const unsigned tw = target.size()[0], th = target.size()[1];
    if (sw == tw && sh == th) {
        std::memcpy(target.data(), source.data(), std::size_t(sw) * sh);
        return;
    }
    PlaneRowScaler scaler(source, tw, th);
    for (unsigned y = 0; y < th; ++y)
        scaler.row(y, target.data() + std::size_t(y) * tw);
}

void BlockReader::convertRow(const unsigned char* py, const unsigned char* pb, const unsigned char* pr,
                             unsigned int width, const std::uint32_t order[3], unsigned char* out) {
    // Sixteen pixels at a time, so that the work rows stay small.
    constexpr unsigned chunk = 16;
    alignas(16) float rs[chunk], gs[chunk], bs[chunk];
    unsigned char r8[chunk], g8[chunk], b8[chunk];
    const std::uint32_t red = order[0], green = order[1], blue = order[2];
    for (unsigned from = 0; from < width; from += chunk) {
        const unsigned n = std::min(chunk, width - from);
        const unsigned char* y = py + from;
        const unsigned char* b = pb + from;
        const unsigned char* r = pr + from;
        unsigned x = 0;
#ifdef KESTRUNE_JPEG_SSE2
        const __m128i zero = _mm_setzero_si128();
        const __m128 half = _mm_set1_ps(128.0f);
        const __m128 kr = _mm_set1_ps(1.402f), kgb = _mm_set1_ps(0.3441f), kgr = _mm_set1_ps(0.7141f),
                     kb = _mm_set1_ps(1.772f);
        // Four bytes from p as four floats.
        auto floats = [&](const unsigned char* p) {
            std::int32_t word;
            std::memcpy(&word, p, 4);
            const __m128i bytes = _mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero);
            return _mm_cvtepi32_ps(_mm_unpacklo_epi16(bytes, zero));
        };
        for (; x + 4 <= n; x += 4) {
            const __m128 luma = floats(y + x);
            const __m128 blueDiff = _mm_sub_ps(floats(b + x), half);
            const __m128 redDiff = _mm_sub_ps(floats(r + x), half);
            _mm_store_ps(rs + x, _mm_add_ps(_mm_mul_ps(redDiff, kr), luma));
            _mm_store_ps(gs + x, _mm_sub_ps(_mm_sub_ps(luma, _mm_mul_ps(blueDiff, kgb)), _mm_mul_ps(redDiff, kgr)));
            _mm_store_ps(bs + x, _mm_add_ps(_mm_mul_ps(blueDiff, kb), luma));
        }
#endif
        for (; x < n; ++x) {
            const float luma = float(y[x]);
            const float blueDiff = float(b[x]) - 128.0f;
            const float redDiff = float(r[x]) - 128.0f;
            rs[x] = redDiff * 1.402f + luma;
            gs[x] = (luma - blueDiff * 0.3441f) - redDiff * 0.7141f;
            bs[x] = blueDiff * 1.772f + luma;
        }
        toBytes(rs, r8, n);
        toBytes(gs, g8, n);
        toBytes(bs, b8, n);
        unsigned char* pixel = out + std::size_t(from) * 3;
        for (unsigned i = 0; i < n; ++i, pixel += 3) {
            pixel[red] = r8[i];
            pixel[green] = g8[i];
            pixel[blue] = b8[i];
        }
    }
}

void BlockReader::convertYCbCr(const Signal<2, unsigned char>& y, const Signal<2, unsigned char>& cb,
                               const Signal<2, unsigned char>& cr, DynamicBuffer& buffer, Metadata& metadata) {
    const unsigned width = y.size()[0], height = y.size()[1];
    const ImageMetadata image(width, height, 3, 24);
    metadata = image;
    const ImageLayout layout(image);
    buffer.setSize(layout.bufferSize());
    const std::uint32_t order[3] = {layout.channelOrder()[0], layout.channelOrder()[1], layout.channelOrder()[2]};
    for (unsigned row = 0; row < height; ++row) {
        const std::size_t offset = std::size_t(row) * width;
        convertRow(y.data() + offset, cb.data() + offset, cr.data() + offset, width, order,
                   buffer.data() + std::size_t(height - 1 - row) * layout.bytesPerRow());
    }
}

void BlockReader::outputIntensity(const Signal<2, unsigned char>& plane, DynamicBuffer& buffer, Metadata& metadata) {
    const unsigned width = plane.size()[0], height = plane.size()[1];
    ImageMetadata image(width, height, 1, 8);
    image.setFormat(ImageMetadata::Format::Intensity);
    metadata = image;
    buffer.setSize(ImageLayout(image).bufferSize());
    for (unsigned row = 0; row < height; ++row)
        std::memcpy(buffer.data() + std::size_t(height - 1 - row) * width, plane.data() + std::size_t(row) * width,
                    width);
}

void BlockReader::output(const Signal<2, unsigned char>* const planes[], std::uint32_t count,
                         const Tuple<2, unsigned int>& size, DynamicBuffer& buffer, Metadata& metadata,
                         unsigned int threads, bool consume) {
    if (count == 1) {
        outputIntensity(*planes[0], buffer, metadata);
        return;
    }
    const unsigned width = size[0], height = size[1];
    const ImageMetadata image(width, height, 3, 24);
    const ImageLayout layout(image);
    metadata = image;
    buffer.setSize(layout.bufferSize());
    const std::uint32_t order[3] = {layout.channelOrder()[0], layout.channelOrder()[1], layout.channelOrder()[2]};
    unsigned char* const pixels = buffer.data();
    const std::size_t bytesPerRow = layout.bytesPerRow();
    // Row by row: a plane of another size is scaled one row at a time as the
    // colours of that row are made, so no scaled plane is ever held whole.
    // A band of rows has scalers of its own, which make every row of it as
    // scalers going from the top would. A consumed plane read as it is hands
    // back the band's rows behind it (a scaled one reads rows round each
    // one, also those of the next band).
    auto band = [&](unsigned first, unsigned last) {
        // Every hand-back gives the band's rows up to the row given, from its
        // first on, so that a page across two hand-backs goes too.
        unsigned handedBack = first;
        auto handBack = [&](unsigned row) {
            handedBack = row;
            if (!consume)
                return;
            for (std::uint32_t c = 0; c < 3; ++c)
                if (planes[c]->size() == size)
                    NativeMemory::discard(const_cast<unsigned char*>(planes[c]->data()) + std::size_t(first) * width,
                                          std::size_t(row - first) * width);
        };
        std::unique_ptr<PlaneRowScaler> scalers[3];
        std::vector<unsigned char> scaledRows[3];
        for (std::uint32_t c = 0; c < 3; ++c)
            if (!(planes[c]->size() == size)) {
                scalers[c] = std::make_unique<PlaneRowScaler>(*planes[c], width, height);
                scaledRows[c].resize(width);
            }
        for (unsigned row = first; row < last; ++row) {
            const unsigned char* rows[3];
            for (std::uint32_t c = 0; c < 3; ++c) {
                if (scalers[c]) {
                    scalers[c]->row(row, scaledRows[c].data());
                    rows[c] = scaledRows[c].data();
                } else {
                    rows[c] = planes[c]->data() + std::size_t(row) * width;
                }
            }
            convertRow(rows[0], rows[1], rows[2], width, order, pixels + std::size_t(height - 1 - row) * bytesPerRow);
            if (row + 1 - handedBack >= consumedRows)
                handBack(row + 1);
        }
        handBack(last);
    };
    Bands::runRows(height, Bands::count(std::uint64_t(width) * height, pixelsPerThread, threads),
                   [&band](std::uint64_t first, std::uint64_t last) { band(unsigned(first), unsigned(last)); });
}

} // namespace TAVO::Migration::JPEG
