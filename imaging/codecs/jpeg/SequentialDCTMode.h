#pragma once

#include "imaging/codecs/jpeg/BlockReader.h"
#include "imaging/codecs/jpeg/CodedBlock.h"

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

    // Pictures of fewer MCU rows than this are reconstructed as they are decoded.
    static constexpr unsigned int pipelinedRows = 8;
    // The most threads reconstructing rows beside the decoding.
    static constexpr unsigned int pipelineThreads = 3;

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
    // Decodes the blocks of the MCU at (column, row) of an interleaved scan
    // in their coded order, after a restart marker where one is due, handing
    // each to use(c, bx, by) while it is in coefficients_.
    template <class Use>
    void decodeMCU(const unsigned int indices[], std::uint32_t count, unsigned int column, unsigned int row,
                   Use&& use);
    // Reconstructs coefficients_ as block (bx, by) of component c and clears
    // the positions set.
    void placeBlock(unsigned int c, unsigned int bx, unsigned int by);
    // Moves the block just decoded (coefficients_) into the record, clearing
    // the positions set.
    void keepBlock(unsigned int c, unsigned int bx, unsigned int by, CodedBlock& block);
    // Reconstructs a kept block into its plane, with scratch coefficients
    // that are all zero before and after.
    void placeKept(const CodedBlock& block, short* scratch);
    // An interleaved scan at full size whose MCU rows are reconstructed on
    // other threads while the next rows are decoded here.
    void readRowsPipelined(const unsigned int indices[], std::uint32_t count);

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
