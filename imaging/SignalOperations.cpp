#include "imaging/SignalOperations.h"

#include <climits>

#include "foundation/exceptions/SupportException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "imaging/SignalSizeException.h"

namespace TAVO {

namespace {

using ConstBytes3 = SignalConstBorrow<3, unsigned char>;

int clampToInt(std::int64_t value) {
    return int(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

// The bound tests of copyRegion and paste: the region of `size` at `origin`
// must lie inside `outer`. Computed signed in 64 bits.
void checkRegion(const Tuple<3, unsigned int>& outer, const Tuple<3, int>& origin, const Tuple<3, unsigned int>& size) {
    for (int d = 0; d < 3; ++d) {
        if (origin[d] < 0)
            throw BoundException<int>(SourceLocation(), origin[d], 0);
        const std::int64_t bound = std::int64_t(outer[d]) - std::int64_t(size[d]);
        if (std::int64_t(origin[d]) > bound)
            throw BoundException<int>(SourceLocation(), origin[d], clampToInt(bound));
    }
}

// Copies the runs of a region between two signals: the region has `size`,
// starts at `from` in a signal of size `fromSize` and at `to` in one of size `toSize`.
void copyRuns(const unsigned char* source, const Tuple<3, unsigned int>& fromSize, const Tuple<3, int>& from,
              unsigned char* target, const Tuple<3, unsigned int>& toSize, const Tuple<3, int>& to,
              const Tuple<3, unsigned int>& size) {
    if (size[0] == 0 || size[1] == 0 || size[2] == 0)
        return;
    for (std::uint64_t z = 0; z < size[2]; ++z) {
        for (std::uint64_t y = 0; y < size[1]; ++y) {
            const std::uint64_t f = std::uint64_t(from[0]) +
                                    std::uint64_t(fromSize[0]) * (from[1] + y + std::uint64_t(fromSize[1]) * (from[2] + z));
            const std::uint64_t t =
                std::uint64_t(to[0]) + std::uint64_t(toSize[0]) * (to[1] + y + std::uint64_t(toSize[1]) * (to[2] + z));
            std::memmove(target + t, source + f, size[0]);
        }
    }
}

// One line of the halving filter: `length` input samples `stride` apart give
// `halved` output samples `outStride` apart.
inline void halveLine(const unsigned char* in, std::uint64_t stride, unsigned char* out, std::uint64_t outStride,
                      std::uint32_t halved) {
    auto at = [&](std::uint64_t i) { return int(in[i * stride]); };
    out[0] = static_cast<unsigned char>((6 * at(0) + 4 * at(1) + at(2)) / 11);
    for (std::uint64_t n = 1; n + 1 < halved; ++n)
        out[n * outStride] = static_cast<unsigned char>(
            (at(2 * n - 2) + 4 * at(2 * n - 1) + 6 * at(2 * n) + 4 * at(2 * n + 1) + at(2 * n + 2)) >> 4);
    const std::uint64_t m = halved;
    out[(m - 1) * outStride] = static_cast<unsigned char>((at(2 * m - 4) + 4 * at(2 * m - 3) + 6 * at(2 * m - 2)) / 11);
}

// Halving with the channel count fixed at compile time.
template <std::uint32_t C>
void halveChannels(const ConstBytes3& source, ByteSignal3& target, std::uint32_t axis) {
    const std::uint64_t width = source.size()[1];
    const std::uint64_t height = source.size()[2];
    const unsigned char* in = source.data();
    unsigned char* out = target.data();
    const std::uint32_t halved = target.size()[axis + 1];
    if (axis == 0) {
        for (std::uint64_t y = 0; y < height; ++y)
            for (std::uint32_t c = 0; c < C; ++c)
                halveLine(in + y * width * C + c, C, out + y * halved * C + c, C, halved);
    } else {
        for (std::uint64_t x = 0; x < width; ++x)
            for (std::uint32_t c = 0; c < C; ++c)
                halveLine(in + x * C + c, width * C, out + x * C + c, width * C, halved);
    }
}

} // namespace

void copyRegion(const ConstBytes3& source, const Tuple<3, int>& origin, const Tuple<3, unsigned int>& size,
                ByteSignal3& target) {
    checkRegion(source.size(), origin, size);
    if (static_cast<const void*>(target.data()) == static_cast<const void*>(source.data()) && target.count() > 0) {
        // The target is the source itself: copy out of a snapshot.
        Signal<3, unsigned char> copy;
        copy.resize(source.size(), false);
        std::memcpy(copy.data(), source.data(), source.count());
        copyRegion(copy, origin, size, target);
        return;
    }
    target.setSize(size);
    copyRuns(source.data(), source.size(), origin, target.data(), target.size(), Tuple<3, int>(0, 0, 0), size);
}

void paste(ByteSignal3& target, const Tuple<3, int>& offset, const ConstBytes3& source) {
    checkRegion(target.size(), offset, source.size());
    copyRuns(source.data(), source.size(), Tuple<3, int>(0, 0, 0), target.data(), target.size(), offset,
             source.size());
}

void swapDimensions(ByteSignal3& signal, std::uint32_t a, std::uint32_t b) {
    if (a == b)
        return;
    if (a > 2)
        throw BoundException<unsigned int>(SourceLocation(), a, 2);
    if (b > 2)
        throw BoundException<unsigned int>(SourceLocation(), b, 2);
    const Tuple<3, unsigned int> old = signal.size();
    Signal<3, unsigned char> aside;
    aside.resize(old, false);
    if (signal.count() > 0)
        std::memcpy(aside.data(), signal.data(), signal.count());
    Tuple<3, unsigned int> swapped = old;
    std::swap(swapped[a], swapped[b]);
    signal.setSize(swapped);
    Tuple<3, int> c;
    for (c[2] = 0; c[2] < int(old[2]); ++c[2])
        for (c[1] = 0; c[1] < int(old[1]); ++c[1])
            for (c[0] = 0; c[0] < int(old[0]); ++c[0]) {
                Tuple<3, int> moved = c;
                std::swap(moved[a], moved[b]);
                signal[signal.index(moved)] = aside[aside.index(c)];
            }
}

void reorder(ByteSignal3& signal, const Tuple<3, unsigned int>& order) {
    bool seen[3] = {false, false, false};
    for (int i = 0; i < 3; ++i) {
        if (order[i] > 2 || seen[order[i]])
            throw UnexpectedValueException(SourceLocation(), "order tuple", "a tuple with all dimensions represented");
        seen[order[i]] = true;
    }
    std::uint32_t current[3] = {0, 1, 2};
    for (std::uint32_t i = 0; i < 3; ++i) {
        if (current[i] == order[i])
            continue;
        std::uint32_t j = i + 1;
        while (current[j] != order[i])
            ++j;
        swapDimensions(signal, i, j);
        std::swap(current[i], current[j]);
    }
}

void multiply(SignalBorrow<1, short>& signal, const SignalConstBorrow<1, unsigned char>& factors) {
    if (!(signal.size() == factors.size()))
        throw SignalSizeException(SourceLocation());
    for (std::uint32_t i = 0; i < signal.count(); ++i)
        signal[i] = static_cast<short>(int(signal[i]) * int(factors[i]));
}

float bilinear(const SignalConstBorrow<2, unsigned char>& signal, float x, float y) {
    // Points whose corner lies beyond the coordinate range see only samples outside.
    if (!(x > -2147483520.0f && x < 2147483520.0f && y > -2147483520.0f && y < 2147483520.0f))
        return 0.0f;
    const int x0 = int(x);
    const int y0 = int(y);
    const float fx = x - float(x0);
    const float fy = y - float(y0);
    const float s00 = signal.sample(Tuple<2, int>(x0, y0));
    const float s10 = signal.sample(Tuple<2, int>(x0 + 1, y0));
    const float s01 = signal.sample(Tuple<2, int>(x0, y0 + 1));
    const float s11 = signal.sample(Tuple<2, int>(x0 + 1, y0 + 1));
    return (1 - fy) * ((1 - fx) * s00 + fx * s10) + fy * ((1 - fx) * s01 + fx * s11);
}

void sampleGrid(ByteSignal2& target, const SignalGridSampler& sampler) {
    const int width = int(std::min<std::uint32_t>(target.size()[0], INT_MAX));
    const int height = int(std::min<std::uint32_t>(target.size()[1], INT_MAX));
    unsigned char* out = target.data();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float value = bilinear(sampler.source, float(x) * sampler.step[0] + sampler.offset[0],
                                         float(y) * sampler.step[1] + sampler.offset[1]);
            *out++ = static_cast<unsigned char>(int(value) & 0xFF);
        }
    }
}

void resample(const ConstBytes3& source, ByteSignal3& target, const Vector<2, float>& step) {
    if (source.empty())
        throw SignalSizeException(SourceLocation());
    const std::uint32_t channels = source.size()[0];
    if (target.size()[0] < channels)
        throw SignalSizeException(SourceLocation());
    Signal<3, unsigned char> planes;
    planes.resize(source.size(), false);
    std::memcpy(planes.data(), source.data(), source.count());
    const Tuple<3, unsigned int> planar(1, 2, 0);
    reorder(planes, planar);
    reorder(target, planar);
    const std::uint32_t sourceWidth = planes.size()[0];
    const std::uint32_t sourceHeight = planes.size()[1];
    const std::uint32_t width = target.size()[0];
    const std::uint32_t height = target.size()[1];
    const std::uint64_t sourcePlane = std::uint64_t(sourceWidth) * sourceHeight;
    const std::uint64_t targetPlane = std::uint64_t(width) * height;
    for (std::uint32_t c = 0; c < channels; ++c) {
        const SignalConstBorrow<2, unsigned char> plane(planes.data() + c * sourcePlane,
                                                        Tuple<2, unsigned int>(sourceWidth, sourceHeight));
        unsigned char* out = target.data() + c * targetPlane;
        for (std::uint32_t y = 0; y < height; ++y) {
            for (std::uint32_t x = 0; x < width; ++x) {
                const float value = bilinear(plane, float(x) * step[0], float(y) * step[1]);
                *out++ = static_cast<unsigned char>(std::clamp(value, 0.0f, 255.0f));
            }
        }
    }
    reorder(target, Tuple<3, unsigned int>(2, 0, 1));
}

void scale(const ConstBytes3& source, ByteSignal3& target) {
    const std::uint32_t width = target.size()[1];
    const std::uint32_t height = target.size()[2];
    if (width < 2)
        throw BoundException<unsigned int>(SourceLocation(), width, 2);
    if (height < 2)
        throw BoundException<unsigned int>(SourceLocation(), height, 2);
    const Vector<2, float> step(float(source.size()[1] - 1) * (1.0f / float(width - 1)),
                                float(source.size()[2] - 1) * (1.0f / float(height - 1)));
    if (source.empty())
        throw SignalSizeException(SourceLocation());
    resample(source, target, step);
}

void halve(const ConstBytes3& source, ByteSignal3& target, std::uint32_t axis) {
    if (axis > 1)
        throw BoundException<unsigned int>(SourceLocation(), axis, 1);
    Tuple<3, unsigned int> size = source.size();
    size[int(axis) + 1] /= 2;
    target.setSize(size);
    std::fill(target.data(), target.data() + target.count(), static_cast<unsigned char>(0));
    const std::uint32_t halved = size[int(axis) + 1];
    if (size[0] > 4)
        throw SupportException(SourceLocation(), "more than 4 channels");
    if (halved < 2)
        throw BoundException<unsigned int>(SourceLocation(), halved, 2);
    switch (size[0]) {
    case 1: halveChannels<1>(source, target, axis); break;
    case 2: halveChannels<2>(source, target, axis); break;
    case 3: halveChannels<3>(source, target, axis); break;
    case 4: halveChannels<4>(source, target, axis); break;
    default: break;
    }
}

void reduce(SignalReduceWork& work, ByteSignal3& target) {
    const std::uint64_t width = target.size()[1];
    const std::uint64_t height = target.size()[2];
    if (width < 2)
        throw BoundException<unsigned int>(SourceLocation(), std::uint32_t(width), 2);
    if (height < 2)
        throw BoundException<unsigned int>(SourceLocation(), std::uint32_t(height), 2);
    while (work.current().size()[1] >= 2 * width && work.current().size()[2] >= 2 * height) {
        halve(work.current(), work.other(), 0);
        halve(work.other(), work.current(), 1);
    }
    scale(work.current(), target);
}

} // namespace TAVO
