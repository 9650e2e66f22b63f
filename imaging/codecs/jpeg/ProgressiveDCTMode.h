#pragma once

#include <vector>

#include "imaging/codecs/jpeg/BlockReader.h"

namespace TAVO::Migration::JPEG {

// Progressive frames: spectral selection and successive approximation. The
// scans gather coefficients in a store per component; the picture is
// reconstructed from the stores at the end of the image. In eighth-scale
// mode only the DC coefficients are kept and the AC scans are skipped unread.
class ProgressiveDCTMode : public BlockReader::Mode {
public:
    explicit ProgressiveDCTMode(BlockReader& reader) : reader_(reader) {}

    void setup(const Tuple<2, unsigned int>& size, bool eighthScale) override;
    void addComponent(unsigned int index, unsigned int id, const Tuple<2, unsigned int>& size,
                      const Tuple<2, unsigned int>& sampling, const Tuple<2, unsigned int>& maxSampling) override;
    bool readScan(const ScanHeader& header) override;
    void finish(DynamicBuffer& buffer, Metadata& metadata) override;

    // Pictures of fewer blocks than this a thread are reconstructed on the decoding thread alone.
    static constexpr std::uint64_t blocksPerThread = 4096;

private:
    struct Component {
        unsigned char id = 0;
        Tuple<2, unsigned int> planeSize;
        // Blocks in raster order, the values of a block in zig-zag order.
        std::vector<short> store;
        // Per block, bit k set when AC coefficient k of the store is not
        // zero (none in eighth-scale mode).
        std::vector<std::uint64_t> nonZero;
        Tuple<2, unsigned int> sampling;
        // The block edge: 8, or 1 when only DC coefficients are kept.
        std::uint32_t edge = 8;
        // Blocks per row and rows of the store.
        Tuple<2, unsigned int> blocks;
        // A DC scan of the component alone was read (its MCU fill blocks
        // are not all coded).
        bool alone = false;
    };

    // The frame component with the id; NotFoundException when there is none.
    unsigned int find(unsigned int id) const;
    void readDCScan(const ScanHeader& header);
    void readFirstACScan(Component& component, const BlockReader::HuffmanEntry& table, unsigned start,
                         unsigned end, unsigned low);
    void readRefinementACScan(Component& component, const BlockReader::HuffmanEntry& table, unsigned start,
                              unsigned end, unsigned low);
    // Decodes the DC part of block (bx, by) of component c, stored only when
    // the block lies in the store.
    void decodeDC(unsigned int c, unsigned int bx, unsigned int by, bool first, unsigned low);

    BlockReader& reader_;
    Component components_[3];
    Tuple<2, unsigned int> size_;
    bool eighthScale_ = false;
    const BlockReader::HuffmanEntry* dcTables_[3] = {};
};

} // namespace TAVO::Migration::JPEG
