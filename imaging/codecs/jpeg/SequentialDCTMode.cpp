#include "imaging/codecs/jpeg/SequentialDCTMode.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "foundation/exceptions/SupportException.h"
#include "imaging/FormatException.h"
#include "imaging/codecs/jpeg/RowPipeline.h"
#include "imaging/codecs/jpeg/ScanHeader.h"

namespace TAVO::Migration::JPEG {

void SequentialDCTMode::setup(const Tuple<2, unsigned int>& size, bool eighthScale) {
    size_ = size;
    eighthScale_ = eighthScale;
}

void SequentialDCTMode::addComponent(unsigned int index, unsigned int id, const Tuple<2, unsigned int>& size,
                                     const Tuple<2, unsigned int>& sampling,
                                     const Tuple<2, unsigned int>& maxSampling) {
    Component& component = components_[index];
    component.id = static_cast<unsigned char>(id);
    component.sampling = sampling;
    component.plane.resize(componentPlaneSize(size, sampling, maxSampling), false);
}

template <class Use>
void SequentialDCTMode::decodeMCU(const unsigned int indices[], std::uint32_t count, unsigned int column,
                                  unsigned int row, Use&& use) {
    reader_.checkRestart();
    for (std::uint32_t i = 0; i < count; ++i) {
        const unsigned int c = indices[i];
        const unsigned int h = components_[c].sampling[0];
        const unsigned int v = components_[c].sampling[1];
        for (unsigned int y = 0; y < v; ++y)
            for (unsigned int x = 0; x < h; ++x) {
                decodeBlock(c);
                use(c, column * h + x, row * v + y);
            }
    }
}

bool SequentialDCTMode::readScan(const ScanHeader& header) {
    const std::uint32_t frameCount = reader_.componentCount();
    const std::uint32_t count = std::uint32_t(header.components.size());
    if (count == 0 || count > frameCount)
        fail("Sequential DCT scan does not have same number of components as frame. ");
    // The scan's components, in frame order.
    unsigned int indices[3];
    unsigned int next = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        while (next < frameCount && components_[next].id != header.components[i].id)
            ++next;
        if (next == frameCount)
            fail("Sequential DCT scan component does not match frame component. ");
        indices[i] = next++;
    }
    if (header.spectralStart != 0)
        throw SupportException(SourceLocation(), "Sequential DCT JPEG with other than 0 start spectral selection");
    if (header.spectralEnd != 63)
        throw SupportException(SourceLocation(), "Sequential DCT JPEG with other than 63 end spectral selection");
    if (header.approximation != 0)
        throw SupportException(SourceLocation(), "Sequential DCT JPEG with other than 0 successive approximation");
    for (std::uint32_t i = 0; i < count; ++i) {
        dcTables_[indices[i]] = &reader_.huffmanTable(0, header.components[i].dcTable());
        acTables_[indices[i]] = &reader_.huffmanTable(1, header.components[i].acTable());
    }

    if (count == 1) {
        // One component alone: its own blocks in raster order, one per MCU.
        const unsigned int c = indices[0];
        components_[c].alone = true;
        const Tuple<2, unsigned int> blocks = reader_.componentBlocks(c);
        for (unsigned int by = 0; by < blocks[1]; ++by)
            for (unsigned int bx = 0; bx < blocks[0]; ++bx) {
                reader_.checkRestart();
                decodeBlock(c);
                placeBlock(c, bx, by);
            }
    } else if (!eighthScale_ && reader_.mcuCount()[1] >= pipelinedRows) {
        readRowsPipelined(indices, count);
    } else {
        const Tuple<2, unsigned int>& mcus = reader_.mcuCount();
        for (unsigned int row = 0; row < mcus[1]; ++row)
            for (unsigned int column = 0; column < mcus[0]; ++column)
                decodeMCU(indices, count, column, row,
                          [this](unsigned int c, unsigned int bx, unsigned int by) { placeBlock(c, bx, by); });
    }
    reader_.bits().finishScan();
    return true;
}

void SequentialDCTMode::decodeBlock(unsigned int c) {
    BlockReader::BitReader& bits = reader_.bits();

    const unsigned s = bits.decode(*dcTables_[c]);
    if (s > 11)
        fail("More than 11 DC extend bits encountered. ");
    int& predictor = reader_.predictors()[int(c)];
    if (s != 0)
        predictor = int(std::uint32_t(predictor) + std::uint32_t(BlockReader::extend(bits.take(s), s)));
    coefficients_[0] = static_cast<short>(static_cast<unsigned short>(predictor));
    positions_[0] = 0;
    unsigned n = 1;

    const BlockReader::HuffmanEntry& ac = *acTables_[c];
    for (unsigned k = 1; k < 64;) {
        // Most coefficients come whole from the fast table.
        const std::int32_t fast = bits.fastAC(ac);
        if (fast != 0) {
            k += (unsigned(fast) >> 4) & 15u;
            if (k > 63)
                fail("Run of AC coefficients past the end of a block. ");
            coefficients_[k] = static_cast<short>(fast >> 8);
            positions_[n++] = static_cast<unsigned char>(k);
            ++k;
            continue;
        }
        const unsigned rs = bits.decode(ac);
        const unsigned r = rs >> 4;
        const unsigned size = rs & 15u;
        if (size != 0) {
            if (size > 10)
                fail("More than 10 AC extend bits encountered. ");
            k += r;
            if (k > 63)
                fail("Run of AC coefficients past the end of a block. ");
            coefficients_[k] = static_cast<short>(BlockReader::extend(bits.take(size), size));
            positions_[n++] = static_cast<unsigned char>(k);
            ++k;
        } else if (r == 15) {
            k += 16;
            if (k > 64)
                fail("Run of AC coefficients past the end of a block. ");
        } else {
            if (r != 0) {
                bits.take(r);
                fail("Encountered larger than EOB0 in sequential mode. ");
            }
            break;
        }
    }
    terms_ = n;
}

void SequentialDCTMode::placeBlock(unsigned int c, unsigned int bx, unsigned int by) {
    Signal<2, unsigned char>& plane = components_[c].plane;
    if (!eighthScale_) {
        reader_.reconstructTerms(c, plane, Tuple<2, unsigned int>(bx * 8, by * 8), coefficients_, positions_, terms_);
    } else if (bx < plane.size()[0] && by < plane.size()[1]) {
        plane.data()[std::size_t(by) * plane.size()[0] + bx] = reader_.dcPixel(c, coefficients_[0]);
    }
    for (unsigned i = 0; i < terms_; ++i)
        coefficients_[positions_[i]] = 0;
    terms_ = 0;
}

void SequentialDCTMode::keepBlock(unsigned int c, unsigned int bx, unsigned int by, CodedBlock& block) {
    block.bx = static_cast<unsigned short>(bx);
    block.by = static_cast<unsigned short>(by);
    block.component = static_cast<unsigned char>(c);
    block.terms = static_cast<unsigned char>(terms_);
    for (unsigned i = 0; i < terms_; ++i) {
        block.positions[i] = positions_[i];
        block.values[i] = coefficients_[positions_[i]];
        coefficients_[positions_[i]] = 0;
    }
    terms_ = 0;
}

void SequentialDCTMode::placeKept(const CodedBlock& block, short* scratch) {
    for (unsigned i = 0; i < block.terms; ++i)
        scratch[block.positions[i]] = block.values[i];
    reader_.reconstructTerms(block.component, components_[block.component].plane,
                             Tuple<2, unsigned int>(unsigned(block.bx) * 8, unsigned(block.by) * 8), scratch,
                             block.positions, block.terms);
    for (unsigned i = 0; i < block.terms; ++i)
        scratch[block.positions[i]] = 0;
}

void SequentialDCTMode::readRowsPipelined(const unsigned int indices[], std::uint32_t count) {
    const Tuple<2, unsigned int>& mcus = reader_.mcuCount();
    unsigned int perMCU = 0;
    for (std::uint32_t i = 0; i < count; ++i)
        perMCU += components_[indices[i]].sampling[0] * components_[indices[i]].sampling[1];
    // Leaving this scope, by its end or by a failure, stops the threads:
    // nothing is written after the scan.
    RowPipeline pipeline(pipelineThreads, [this](const RowPipeline::Row& blocks) {
        short scratch[64] = {};
        for (const CodedBlock& block : blocks)
            placeKept(block, scratch);
    });
    for (unsigned int row = 0; row < mcus[1]; ++row) {
        std::unique_ptr<RowPipeline::Row> blocks = pipeline.take();
        blocks->resize(std::size_t(mcus[0]) * perMCU);
        std::size_t next = 0;
        for (unsigned int column = 0; column < mcus[0]; ++column)
            decodeMCU(indices, count, column, row, [&](unsigned int c, unsigned int bx, unsigned int by) {
                keepBlock(c, bx, by, (*blocks)[next++]);
            });
        pipeline.hand(std::move(blocks));
    }
    pipeline.finish();
}

void SequentialDCTMode::finish(DynamicBuffer& buffer, Metadata& metadata) {
    if (eighthScale_)
        for (unsigned int c = 0; c < reader_.componentCount(); ++c)
            if (components_[c].alone)
                reader_.fillMCUBlocks(c, components_[c].plane);
    const Signal<2, unsigned char>* planes[3] = {&components_[0].plane, &components_[1].plane, &components_[2].plane};
    // The planes are not read again: their memory goes as the picture is made.
    BlockReader::output(planes, reader_.componentCount(), size_, buffer, metadata, 0, true);
}

} // namespace TAVO::Migration::JPEG
