#pragma once

#include "imaging/codecs/jpeg/BlockReader.h"

namespace TAVO::Migration::JPEG {

// Baseline and extended sequential frames: every scan's blocks are decoded
// and reconstructed into the component planes at once; no coefficients are
// kept. Scans may hold all components interleaved or a part of them (one
// component alone is decoded in its own block grid).
class SequentialDCTMode : public BlockReader::Mode {
public:
    explicit SequentialDCTMode(BlockReader& reader) : reader_(reader) {}

    void setup(const Tuple<2, unsigned int>& size, bool eighthScale) override;
    void addComponent(unsigned int index, unsigned int id, const Tuple<2, unsigned int>& size,
                      const Tuple<2, unsigned int>& sampling, const Tuple<2, unsigned int>& maxSampling) override;
    bool readScan(const ScanHeader& header) override;
    void finish(DynamicBuffer& buffer, Metadata& metadata) override;

private:
    struct Component {
        unsigned char id = 0;
        Signal<2, unsigned char> plane;
        Tuple<2, unsigned int> sampling;
        // A scan of the component alone was read (its MCU fill blocks are
        // not coded).
        bool alone = false;
    };

    // Decodes one block of component c into coefficients_ (zig-zag order),
    // listing the positions it sets in positions_ and their count in terms_.
    void decodeBlock(unsigned int c);
    // Reconstructs coefficients_ as block (bx, by) of component c and clears
    // the positions set.
    void placeBlock(unsigned int c, unsigned int bx, unsigned int by);

    BlockReader& reader_;
    Component components_[3];
    Tuple<2, unsigned int> size_;
    bool eighthScale_ = false;
    // All zero between blocks.
    short coefficients_[64] = {};
    unsigned char positions_[64] = {};
    unsigned int terms_ = 0;
    const BlockReader::HuffmanEntry* dcTables_[3] = {};
    const BlockReader::HuffmanEntry* acTables_[3] = {};
};

} // namespace TAVO::Migration::JPEG
