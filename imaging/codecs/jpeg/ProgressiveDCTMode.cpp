#include "imaging/codecs/jpeg/ProgressiveDCTMode.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <vector>

#include "foundation/exceptions/AllocateException.h"
#include "foundation/exceptions/NotFoundException.h"
#include "foundation/threads/Bands.h"
#include "imaging/FormatException.h"
#include "imaging/codecs/jpeg/ScanHeader.h"

namespace TAVO::Migration::JPEG {

namespace {

// value x 2^shift kept in 16 bits.
inline short scaled(int value, unsigned shift) {
    return static_cast<short>(static_cast<unsigned short>(std::uint32_t(value) * (1u << shift)));
}

[[noreturn]] void failRun() { fail("Run of AC coefficients past the end of the spectral band. "); }

} // namespace

void ProgressiveDCTMode::setup(const Tuple<2, unsigned int>& size, bool eighthScale) {
    size_ = size;
    eighthScale_ = eighthScale;
}

void ProgressiveDCTMode::addComponent(unsigned int index, unsigned int id, const Tuple<2, unsigned int>& size,
                                      const Tuple<2, unsigned int>& sampling,
                                      const Tuple<2, unsigned int>& maxSampling) {
    Component& component = components_[index];
    component.id = static_cast<unsigned char>(id);
    component.sampling = sampling;
    component.planeSize = componentPlaneSize(size, sampling, maxSampling);
    component.edge = eighthScale_ ? 1 : 8;
    component.blocks = Tuple<2, unsigned int>(ceilDivide(component.planeSize[0], component.edge),
                                              ceilDivide(component.planeSize[1], component.edge));
    const std::uint64_t values =
        std::uint64_t(component.blocks[0]) * component.blocks[1] * component.edge * component.edge;
    try {
        component.store.assign(values, 0);
        if (!eighthScale_)
            component.nonZero.assign(std::uint64_t(component.blocks[0]) * component.blocks[1], 0);
    } catch (const std::bad_alloc&) {
        throw AllocateException(SourceLocation(), "JPEG coefficients");
    }
}

unsigned int ProgressiveDCTMode::find(unsigned int id) const {
    for (unsigned int c = 0; c < reader_.componentCount(); ++c)
        if (components_[c].id == id)
            return c;
    throw NotFoundException<unsigned int>(SourceLocation(), id, "defined channels");
}

bool ProgressiveDCTMode::readScan(const ScanHeader& header) {
    const unsigned start = header.spectralStart, end = header.spectralEnd;
    const unsigned high = header.approximationHigh(), low = header.approximationLow();
    if (start > end || end > 63 || high > 13 || low > 13)
        fail("Progressive scan with a spectral selection or approximation out of range. ");
    if (start != 0) {
        if (eighthScale_)
            return false;
        if (header.components.size() != 1)
            fail("Only one component may be specified per AC scan of progressive JPEG. ");
        Component& component = components_[find(header.components[0].id)];
        const BlockReader::HuffmanEntry& table = reader_.huffmanTable(1, header.components[0].acTable());
        if (high == 0)
            readFirstACScan(component, table, start, end, low);
        else
            readRefinementACScan(component, table, start, end, low);
    } else {
        if (end != 0)
            fail("DC component of progressive JPEG not alone. ");
        readDCScan(header);
    }
    reader_.bits().finishScan();
    return true;
}

void ProgressiveDCTMode::readDCScan(const ScanHeader& header) {
    const std::uint32_t frameCount = reader_.componentCount();
    const std::uint32_t count = std::uint32_t(header.components.size());
    if (count == 0 || count > frameCount)
        fail("All components must be specified for DC in single scan of progressive JPEG. ");
    const bool first = header.approximationHigh() == 0;
    const unsigned low = header.approximationLow();
    bool named[3] = {false, false, false};
    for (const ScanHeader::ScanComponent& scanComponent : header.components) {
        const unsigned int c = find(scanComponent.id);
        if (named[c])
            fail("Scan names a component twice. ");
        named[c] = true;
        if (first)
            dcTables_[c] = &reader_.huffmanTable(0, scanComponent.dcTable());
    }

    if (count == 1) {
        // One component alone: its own blocks in raster order.
        const unsigned int c = unsigned(std::find(named, named + 3, true) - named);
        components_[c].alone = true;
        const Tuple<2, unsigned int> blocks = reader_.componentBlocks(c);
        for (unsigned int by = 0; by < blocks[1]; ++by)
            for (unsigned int bx = 0; bx < blocks[0]; ++bx) {
                reader_.checkRestart();
                decodeDC(c, bx, by, first, low);
            }
        return;
    }
    // Interleaved, in MCU order; the components in frame order.
    const Tuple<2, unsigned int>& mcus = reader_.mcuCount();
    for (unsigned int row = 0; row < mcus[1]; ++row)
        for (unsigned int column = 0; column < mcus[0]; ++column) {
            reader_.checkRestart();
            for (unsigned int c = 0; c < frameCount; ++c) {
                if (!named[c])
                    continue;
                const unsigned int h = components_[c].sampling[0];
                const unsigned int v = components_[c].sampling[1];
                for (unsigned int y = 0; y < v; ++y)
                    for (unsigned int x = 0; x < h; ++x)
                        decodeDC(c, column * h + x, row * v + y, first, low);
            }
        }
}

void ProgressiveDCTMode::decodeDC(unsigned int c, unsigned int bx, unsigned int by, bool first, unsigned low) {
    BlockReader::BitReader& bits = reader_.bits();
    Component& component = components_[c];
    const bool inside = bx < component.blocks[0] && by < component.blocks[1];
    short* dc = inside ? component.store.data() +
                             (std::size_t(by) * component.blocks[0] + bx) * component.edge * component.edge
                       : nullptr;
    if (first) {
        const unsigned s = bits.decode(*dcTables_[c]);
        if (s > 11)
            fail("More than 11 DC extend bits encountered. ");
        int& predictor = reader_.predictors()[int(c)];
        if (s != 0)
            predictor = int(std::uint32_t(predictor) + std::uint32_t(BlockReader::extend(bits.take(s), s)));
        if (dc != nullptr)
            *dc = scaled(static_cast<unsigned short>(predictor), low);
    } else {
        if (bits.take(1) != 0 && dc != nullptr)
            *dc = static_cast<short>(static_cast<unsigned short>(*dc) | (1u << low));
    }
}

void ProgressiveDCTMode::readFirstACScan(Component& component, const BlockReader::HuffmanEntry& table,
                                         unsigned start, unsigned end, unsigned low) {
    BlockReader::BitReader& bits = reader_.bits();
    const std::size_t total = std::size_t(component.blocks[0]) * component.blocks[1];
    short* store = component.store.data();
    std::uint64_t* nonZero = component.nonZero.data();
    std::uint32_t run = 0;  // blocks left in the current end-of-band run
    for (std::size_t b = 0; b < total; ++b) {
        // A restart marker ends any end-of-band run (the encoder closes its
        // runs before the marker; a run said to reach past it is cut there).
        if (reader_.checkRestart())
            run = 0;
        if (run != 0) {
            --run;
            continue;
        }
        short* block = store + b * 64;
        std::uint64_t mask = nonZero[b];
        // A value scaled out of 16 bits may be stored as zero.
        auto put = [&](unsigned k, int value) {
            block[k] = scaled(value, low);
            if (block[k] != 0)
                mask |= std::uint64_t(1) << k;
            else
                mask &= ~(std::uint64_t(1) << k);
        };
        for (unsigned k = start; k <= end;) {
            const std::int32_t fast = bits.fastAC(table);
            if (fast != 0) {
                k += (unsigned(fast) >> 4) & 15u;
                if (k > end)
                    failRun();
                put(k, fast >> 8);
                ++k;
                continue;
            }
            const unsigned rs = bits.decode(table);
            const unsigned r = rs >> 4;
            const unsigned s = rs & 15u;
            if (s != 0) {
                if (s > 10)
                    fail("More than 10 AC extend bits encountered. ");
                k += r;
                if (k > end)
                    failRun();
                put(k, BlockReader::extend(bits.take(s), s));
                ++k;
            } else if (r == 15) {
                k += 16;
                if (k > end + 1)
                    failRun();
            } else {
                // An end-of-band run: this block and the next run - 1 end here.
                run = 1u << r;
                if (r != 0)
                    run += bits.take(r);
                --run;
                break;
            }
        }
        nonZero[b] = mask;
    }
}

namespace {

// Bits first to last (inclusive) of a 64-bit mask.
inline std::uint64_t bitRange(unsigned first, unsigned last) {
    const std::uint64_t upTo = last >= 63 ? ~std::uint64_t(0) : (std::uint64_t(1) << (last + 1)) - 1;
    return upTo & ~((std::uint64_t(1) << first) - 1);
}

} // namespace

void ProgressiveDCTMode::readRefinementACScan(Component& component, const BlockReader::HuffmanEntry& table,
                                              unsigned start, unsigned end, unsigned low) {
    BlockReader::BitReader& bits = reader_.bits();
    const std::size_t total = std::size_t(component.blocks[0]) * component.blocks[1];
    short* store = component.store.data();
    std::uint64_t* nonZero = component.nonZero.data();
    const std::uint32_t bit = 1u << low;
    // One correction bit, in coefficient order, for each non-zero coefficient
    // of the positions set in `which`: a 1 adds 2^low to its magnitude (the
    // value stays non-zero).
    auto correct = [&](short* block, std::uint64_t which) {
        for (; which != 0; which &= which - 1)
            if (bits.take(1) != 0) {
                const unsigned k = unsigned(std::countr_zero(which));
                const std::uint32_t value = std::uint16_t(block[k]);
                block[k] = static_cast<short>(static_cast<unsigned short>(block[k] >= 0 ? value + bit : value - bit));
            }
    };
    std::uint32_t run = 0;  // blocks left in the current end-of-band run
    for (std::size_t b = 0; b < total; ++b) {
        if (reader_.checkRestart())
            run = 0;
        short* block = store + b * 64;
        std::uint64_t mask = nonZero[b];
        unsigned k = start;
        if (run == 0) {
            while (k <= end) {
                const unsigned rs = bits.decode(table);
                const unsigned r = rs >> 4;
                const unsigned s = rs & 15u;
                int value = 0;
                if (s != 0) {
                    if (s > 1)
                        fail("More than 1 AC extend bits encountered. ");
                    value = BlockReader::extend(bits.take(1), 1);
                } else if (r != 15) {
                    run = 1u << r;
                    if (r != 0)
                        run += bits.take(r);
                    break;
                }
                // Pass r zero coefficients, correcting the non-zero ones met;
                // stop at the next zero: it takes the new value (or ends a run
                // of 16).
                const std::uint64_t ahead = bitRange(k, end);
                std::uint64_t zeros = ~mask & ahead;
                for (unsigned i = 0; i < r && zeros != 0; ++i)
                    zeros &= zeros - 1;
                if (zeros == 0) {
                    // The band ends first: the coefficients met are still
                    // corrected before the failure.
                    correct(block, mask & ahead);
                    failRun();
                }
                const unsigned zero = unsigned(std::countr_zero(zeros));
                correct(block, mask & ahead & ((std::uint64_t(1) << zero) - 1));
                k = zero;
                if (value != 0) {
                    block[k] = scaled(value, low);
                    mask |= std::uint64_t(1) << k;
                }
                ++k;
            }
            nonZero[b] = mask;
            if (run == 0)
                continue;
        }
        // The block lies in an end-of-band run: only corrections remain.
        if (k <= end)
            correct(block, mask & bitRange(k, end));
        --run;
    }
}

void ProgressiveDCTMode::finish(DynamicBuffer& buffer, Metadata& metadata) {
    Signal<2, unsigned char> planes[3];
    for (unsigned int c = 0; c < reader_.componentCount(); ++c) {
        Component& component = components_[c];
        Signal<2, unsigned char>& plane = planes[c];
        plane.resize(component.planeSize, false);
        if (eighthScale_) {
            for (std::size_t i = 0; i < component.store.size(); ++i)
                plane.data()[i] = reader_.dcPixel(c, component.store[i]);
            if (component.alone)
                reader_.fillMCUBlocks(c, plane);
            continue;
        }
        // The terms of a block: the DC coefficient and the AC ones not zero.
        // A row of blocks covers plane rows no other row touches, so bands of
        // rows are reconstructed side by side, each block as in place.
        auto rows = [&, c](unsigned int first, unsigned int last) {
            unsigned char positions[64];
            for (unsigned int by = first; by < last; ++by)
                for (unsigned int bx = 0; bx < component.blocks[0]; ++bx) {
                    const std::size_t b = std::size_t(by) * component.blocks[0] + bx;
                    positions[0] = 0;
                    unsigned count = 1;
                    for (std::uint64_t mask = component.nonZero[b] & ~std::uint64_t(1); mask != 0; mask &= mask - 1)
                        positions[count++] = static_cast<unsigned char>(std::countr_zero(mask));
                    reader_.reconstructTerms(c, plane, Tuple<2, unsigned int>(bx * 8, by * 8),
                                             component.store.data() + b * 64, positions, count);
                }
        };
        const unsigned int height = component.blocks[1];
        Bands::runRows(height, Bands::count(std::uint64_t(component.blocks[0]) * height, blocksPerThread),
                       [&rows](std::uint64_t first, std::uint64_t last) { rows(unsigned(first), unsigned(last)); });
        // The coefficients are done with: their memory goes before the
        // picture's is taken.
        std::vector<short>().swap(component.store);
        std::vector<std::uint64_t>().swap(component.nonZero);
    }
    const Signal<2, unsigned char>* pointers[3] = {&planes[0], &planes[1], &planes[2]};
    BlockReader::output(pointers, reader_.componentCount(), size_, buffer, metadata, 0, true);
}

} // namespace TAVO::Migration::JPEG
