#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/streams/ReadStream.h"
#include "geometry/Tuple.h"
#include "imaging/Signal.h"
#include "imaging/SignalFilterKernel.h"
#include "imaging/codecs/HuffmanTree.h"
#include "imaging/codecs/jpeg/InputBuffer.h"
#include "imaging/codecs/jpeg/QuantizationTable.h"

namespace TAVO {
class DynamicBuffer;
}

namespace TAVO::Migration {
class Metadata;
}

namespace TAVO::Migration::JPEG {

class FrameHeader;
class HuffmanTable;
class ScanHeader;

// Throws the decoder's FormatException ("jpeg") with the message.
[[noreturn]] void fail(const std::string& message);
// value / divisor rounded up, for sizes in 64 bits that fit 32 bits.
std::uint32_t ceilDivide(std::uint64_t value, std::uint64_t divisor);
// The size of a component's plane: the image size scaled by its sampling
// against the largest sampling, rounded up.
Tuple<2, unsigned int> componentPlaneSize(const Tuple<2, unsigned int>& size, const Tuple<2, unsigned int>& sampling,
                                          const Tuple<2, unsigned int>& maxSampling);

// The decoder state of one JPEG import: the frame layout, the Huffman and
// quantization tables, the entropy-coded data reader with its restart
// bookkeeping, the inverse DCT and the frame's mode, which decodes the scans
// and builds the picture at the end of the image.
class BlockReader {
public:
    // Delivers the bytes of entropy-coded data with the stuffing removed: an
    // 0xFF in the data stands for itself and is followed by a 0x00 that is
    // dropped. Reading stops at anything else after an 0xFF, which is a marker.
    class ByteUnstuffer : public ReadStream {
    public:
        enum Stop : std::uint8_t { None, Marker, End };

        explicit ByteUnstuffer(InputBuffer& input) : input_(input) {}

        // Takes one byte of data; false when a marker or the end of the input
        // comes first (stop() tells which; the input stays before the marker).
        bool fetch(std::uint8_t& byte) {
            if (input_.ensure(2)) {
                const std::uint8_t* p = input_.current();
                if (p[0] != 0xFF) {
                    byte = p[0];
                    input_.advance(1);
                    return true;
                }
                if (p[1] == 0) {
                    byte = 0xFF;
                    input_.advance(2);
                    return true;
                }
                stop_ = Marker;
                marker_ = p[1];
                return false;
            }
            return fetchLast(byte);
        }
        Stop stop() const { return stop_; }
        void stopAtMarker(std::uint8_t code) {
            stop_ = Marker;
            marker_ = code;
        }
        std::uint8_t marker() const { return marker_; }
        void clearStop() { stop_ = None; }
        // Fails as the data that ended at the stop would have: a marker met
        // inside the data reports its code, the end of the input fails in it.
        [[noreturn]] void failAtStop();

        // Unstuffed bytes; a marker fails with the stuff-byte message.
        void read(void* destination, std::uint64_t count) override;
        bool atEnd() override { return input_.atEnd(); }

        InputBuffer& input() { return input_; }

    private:
        bool fetchLast(std::uint8_t& byte);

        InputBuffer& input_;
        Stop stop_ = None;
        std::uint8_t marker_ = 0;
    };

    // One Huffman table: its decode tree, its values (a 0 added for the extra
    // code), and a lookup of the codes up to `fastBits` long built from the tree.
    struct HuffmanEntry {
        static constexpr unsigned fastBits = 9;
        std::unique_ptr<HuffmanTree> tree;
        std::vector<unsigned char> values;
        // Code length << 8 | value for each fastBits-bit prefix that starts
        // with a whole code; 0 where the code is longer or there is none.
        std::uint16_t fast[1u << fastBits] = {};
        // For an AC table: the coefficient a prefix codes whole, with its
        // extra bits: value << 8 | run << 4 | bits taken; 0 where the prefix
        // holds no whole code and its bits, or codes an end of band or a run
        // of 16 zeros.
        std::int32_t fastAC[1u << fastBits] = {};
    };

    // Bits of the entropy-coded data, most significant first, taken from the
    // unstuffer. Whole bytes are read ahead up to a marker; a request for bits
    // beyond the marker or the end of the input fails there.
    class BitReader {
    public:
        explicit BitReader(ByteUnstuffer& source) : source_(source) {}

        // Drops every bit held (the start of a scan).
        void clear() {
            bits_ = 0;
            count_ = 0;
            source_.clearStop();
        }
        // n bits as an unsigned number, the first bit most significant; 0 for
        // n = 0; n above 32 throws BoundException<unsigned int>(n, 32).
        std::uint32_t receiveBits(std::uint32_t n);
        // The same for 1 to 16 bits.
        std::uint32_t take(std::uint32_t n) {
            if (count_ < n) {
                fill();
                if (count_ < n)
                    source_.failAtStop();
            }
            const std::uint32_t value = std::uint32_t(bits_ >> (64 - n));
            bits_ <<= n;
            count_ -= n;
            return value;
        }
        // A coefficient the table's fastAC codes whole in the next bits: the
        // entry, its bits taken; 0 (nothing taken) where the slow way must
        // be gone.
        std::int32_t fastAC(const HuffmanEntry& table) {
            if (count_ < 16)
                fill();
            const std::int32_t entry = table.fastAC[bits_ >> (64 - HuffmanEntry::fastBits)];
            const unsigned length = unsigned(entry) & 15u;
            if (entry == 0 || length > count_)
                return 0;
            bits_ <<= length;
            count_ -= length;
            return entry;
        }
        // One Huffman symbol's value.
        unsigned decode(const HuffmanEntry& table) {
            if (count_ < 16)
                fill();
            const unsigned entry = table.fast[bits_ >> (64 - HuffmanEntry::fastBits)];
            if (entry != 0) {
                const unsigned length = entry >> 8;
                if (length <= count_) {
                    bits_ <<= length;
                    count_ -= length;
                    return entry & 0xFFu;
                }
            }
            return decodeSlow(table);
        }
        // Checks the restart marker that must follow the bits of an interval
        // (RSTn with n = expected) and drops the bits left of the last byte.
        void restart(std::uint32_t expected);
        // At the end of a scan's data: the next byte must start a marker, so
        // a whole byte of data still unread fails as the marker loop would.
        void finishScan();

    private:
        void fill() {
            // The common case without a call per byte: enough input is
            // buffered for the most bytes one fill can take (8, each of them
            // possibly a stuffed pair).
            InputBuffer& input = source_.input();
            if (input.available() < 16) {
                fillSlow();
                return;
            }
            const std::uint8_t* p = input.current();
            const std::uint8_t* const start = p;
            std::uint64_t bits = bits_;
            std::uint32_t count = count_;
            while (count <= 56) {
                const std::uint8_t byte = p[0];
                if (byte == 0xFF) {
                    if (p[1] != 0) {
                        source_.stopAtMarker(p[1]);
                        break;
                    }
                    p += 2;
                } else {
                    p += 1;
                }
                bits |= std::uint64_t(byte) << (56 - count);
                count += 8;
            }
            input.advance(std::size_t(p - start));
            bits_ = bits;
            count_ = count;
        }
        void fillSlow();
        unsigned decodeSlow(const HuffmanEntry& table);
        // The first whole unread byte, or -1 when none is held.
        int wholeByte() const;

        ByteUnstuffer& source_;
        std::uint64_t bits_ = 0;   // left-aligned
        std::uint32_t count_ = 0;  // bits held
    };

    // The decoding of one kind of frame. The modes keep the component planes
    // or coefficient stores and build the picture at the end of the image.
    class Mode {
    public:
        virtual ~Mode() = default;
        // The image size in pixels, or in blocks in eighth-scale mode.
        virtual void setup(const Tuple<2, unsigned int>& size, bool eighthScale) = 0;
        // A frame component: its position in the frame, id, the size its plane
        // is derived from, sampling factors and the frame's largest ones.
        virtual void addComponent(unsigned int index, unsigned int id, const Tuple<2, unsigned int>& size,
                                  const Tuple<2, unsigned int>& sampling,
                                  const Tuple<2, unsigned int>& maxSampling) = 0;
        // Decodes one scan; false when the scan was skipped unread.
        virtual bool readScan(const ScanHeader& header) = 0;
        // Builds the picture at the end of the image.
        virtual void finish(DynamicBuffer& buffer, Metadata& metadata) = 0;
    };

    explicit BlockReader(InputBuffer& input);
    ~BlockReader();
    BlockReader(const BlockReader&) = delete;
    BlockReader& operator=(const BlockReader&) = delete;

    // Segments.
    void storeHuffmanTable(const HuffmanTable& table);
    void storeQuantizationTable(const QuantizationTable& table);
    void setRestartInterval(std::uint32_t interval) { restartInterval_ = interval; }
    // Checks the frame header, creates the mode (progressive or sequential)
    // and lays the frame out.
    void startFrame(const FrameHeader& header, bool progressive, bool eighthScale);
    // Decodes one scan through the mode; false when it was skipped unread.
    bool readScan(const ScanHeader& header);
    // Builds the picture (the end of the image).
    void finish(DynamicBuffer& buffer, Metadata& metadata);

    // Frame layout.
    const Tuple<2, unsigned int>& imageSize() const { return imageSize_; }
    std::uint32_t componentCount() const { return componentCount_; }
    const Tuple<2, unsigned int>& mcuCount() const { return mcuCount_; }
    std::uint32_t blocksPerMCU() const { return blocksPerMCU_; }
    // A component's blocks in its own grid (a scan of it alone), in 64 bits
    // of the frame's size, sampling and largest sampling.
    Tuple<2, unsigned int> componentBlocks(unsigned int index) const;

    // Entropy-coded data.
    BitReader& bits() { return bitReader_; }
    // Huffman table entry 0 to 3 (DC) or 4 to 7 (AC); a selector above 3 or a
    // table no DHT defined throws FormatException.
    const HuffmanEntry& huffmanTable(unsigned int tableClass, unsigned int selector) const;
    unsigned decodeSymbol(const HuffmanEntry& table) { return bitReader_.decode(table); }
    std::uint32_t receiveBits(std::uint32_t n) { return bitReader_.receiveBits(n); }
    // The value that s received bits stand for.
    static int extend(std::uint32_t value, std::uint32_t s) {
        return value < (1u << (s - 1)) ? int(value) - (1 << s) + 1 : int(value);
    }
    Tuple<3, int>& predictors() { return predictors_; }
    // Before each MCU of a scan (each block of a scan of one component): a
    // restart marker is due before the first MCU of every interval but the
    // first. True when a marker was read (the DC predictors and the bits
    // are reset; a progressive scan also ends its end-of-band run there).
    bool checkRestart() {
        bool restarted = false;
        if (restartInterval_ != 0 && mcusSinceRestart_ == restartInterval_) {
            restart();
            restarted = true;
        }
        ++mcusSinceRestart_;
        return restarted;
    }
    std::uint32_t restartInterval() const { return restartInterval_; }

    // Reconstruction. Dequantizes a component's coefficients (in zig-zag
    // order) in place, transforms them and pastes the 8 x 8 samples into the
    // plane with the top-left corner at the position, clipped to the plane.
    void reconstructBlock(unsigned int component, Signal<2, unsigned char>& plane,
                          const Tuple<2, unsigned int>& position, short* coefficients) const;
    // The same for a block whose coefficients may be non-zero only at the
    // `count` zig-zag positions listed in increasing order; the coefficients
    // themselves are left as they are.
    void reconstructTerms(unsigned int component, Signal<2, unsigned char>& plane,
                          const Tuple<2, unsigned int>& position, const short* coefficients,
                          const unsigned char* positions, unsigned int count) const;
    // The one sample of a block in eighth-scale mode.
    unsigned char dcPixel(unsigned int component, short dc) const;
    // In eighth-scale mode, the plane of a component (one sample per block of
    // its MCU grid) whose blocks were coded by scans of the component alone:
    // those scans leave out the MCU fill blocks beyond the component's own
    // blocks, which are made here from the edge blocks as an encoder makes
    // them. A fill block right of a row takes the row's last block; a fill
    // block below the last row takes the block of the last row at the right
    // end of its MCU (or the row's last block, where that one is a fill block).
    void fillMCUBlocks(unsigned int component, Signal<2, unsigned char>& plane) const;
    // The quantization table a frame component uses.
    const QuantizationTable& quantization(unsigned int component) const { return *quantization_[component]; }

    // Output. A plane scaled to a target size, corner-aligned bilinear.
    static void upsampleComponent(const Signal<2, unsigned char>& source, Signal<2, unsigned char>& target);
    // One row of YCbCr samples as RGB pixels, the channels stored at the
    // order's places.
    static void convertRow(const unsigned char* y, const unsigned char* cb, const unsigned char* cr,
                           unsigned int width, const std::uint32_t order[3], unsigned char* out);
    // Three planes of one size as RGB pixels, bottom row first.
    static void convertYCbCr(const Signal<2, unsigned char>& y, const Signal<2, unsigned char>& cb,
                             const Signal<2, unsigned char>& cr, DynamicBuffer& buffer, Metadata& metadata);
    // One plane as grey pixels, bottom row first.
    static void outputIntensity(const Signal<2, unsigned char>& plane, DynamicBuffer& buffer, Metadata& metadata);
    // The picture of a mode's planes: one plane as grey, three scaled to the
    // image size and converted from YCbCr, a row at a time. A large picture's
    // rows are made in up to `threads` bands (0: one per core) side by side
    // as far as the process has threads to spare (TAVO::Bands), each row as
    // one pass from the top would make it. With `consume`, the planes are
    // done with once the picture is made: the memory of the image-sized
    // planes' rows goes back to the system as they are converted (their
    // samples are lost), so that those planes and the picture are never held
    // whole at once.
    static void output(const Signal<2, unsigned char>* const planes[], std::uint32_t count,
                       const Tuple<2, unsigned int>& size, DynamicBuffer& buffer, Metadata& metadata,
                       unsigned int threads = 0, bool consume = false);
    // Rows converted between two hand-backs of a consumed plane's memory.
    static constexpr unsigned int consumedRows = 64;
    // Pictures of fewer pixels than this a thread are made on the calling thread alone.
    static constexpr std::uint32_t pixelsPerThread = 1u << 18;

    // The inverse DCT with the exact single-precision sums: the dequantized
    // coefficients (zig-zag order) to 8 x 8 samples, rows `stride` apart,
    // clipped to width x height.
    void transform(const short* dequantized, unsigned char* samples, std::size_t stride, unsigned int width,
                   unsigned int height) const;

private:
    void restart();
    // The 8 x 8 samples of `count` terms: coefficient values (as floats) at
    // increasing zig-zag positions. A zero value may be among them: it adds
    // an exact zero.
    void sumTerms(const unsigned char* positions, const float* values, unsigned int count,
                  unsigned char* block) const;

    Tuple<2, unsigned int> imageSize_;
    std::uint32_t componentCount_ = 0;
    Tuple<2, unsigned int> mcuCount_;
    std::uint32_t blocksPerMCU_ = 0;
    ByteUnstuffer unstuffer_;
    BitReader bitReader_;
    HuffmanTree::CodeTable codes_;
    HuffmanEntry huffman_[8];
    QuantizationTable quantizationSlots_[4];
    Tuple<3, int> predictors_;
    std::uint32_t restartInterval_ = 0;
    std::uint32_t mcusSinceRestart_ = 0;
    std::uint32_t nextRestart_ = 0;
    SignalFilterKernel<float>::Dct<2> dct_;
    // The kernels' weights by coefficient: weights_[k][p] is weight k of
    // kernel p, so that one coefficient updates the 64 samples in a row.
    alignas(64) float weights_[64][64];
    bool dcUniform_ = false;
    std::unique_ptr<Mode> mode_;
    const QuantizationTable* quantization_[3] = {};
    // Sampling factors of the frame (for the component block grids).
    Tuple<2, unsigned int> sampling_[3];
    Tuple<2, unsigned int> maxSampling_;
};

} // namespace TAVO::Migration::JPEG
