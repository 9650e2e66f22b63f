#include "imaging/codecs/jpeg/PlaneRowScaler.h"

#include <algorithm>
#include <utility>

#include "imaging/codecs/jpeg/ByteConversion.h"

namespace TAVO::Migration::JPEG {

namespace {

// Corner-aligned source positions of t target samples over s source samples:
// the whole part and the fraction.
void positions(unsigned s, unsigned t, std::vector<unsigned>& index, std::vector<float>& fraction) {
    index.resize(t);
    fraction.resize(t);
    const float step = t > 1 ? float(s - 1) * (1.0f / float(t - 1)) : 0.0f;
    for (unsigned i = 0; i < t; ++i) {
        if (s == t) {
            index[i] = i;
            fraction[i] = 0.0f;
        } else {
            const float p = step * float(i);
            index[i] = unsigned(p);
            fraction[i] = p - float(index[i]);
        }
    }
}

// out = a t + u b, four at a time in a form the compiler turns into vector
// operations.
void blend(float* __restrict out, const float* __restrict t, const float* __restrict u, float a, float b,
           unsigned n) {
    unsigned x = 0;
    for (; x + 4 <= n; x += 4) {
        out[x] = a * t[x] + u[x] * b;
        out[x + 1] = a * t[x + 1] + u[x + 1] * b;
        out[x + 2] = a * t[x + 2] + u[x + 2] * b;
        out[x + 3] = a * t[x + 3] + u[x + 3] * b;
    }
    for (; x < n; ++x)
        out[x] = a * t[x] + u[x] * b;
}

// out = the bytes as floats.
void widen(float* __restrict out, const unsigned char* __restrict bytes, unsigned n) {
    unsigned x = 0;
    for (; x + 4 <= n; x += 4) {
        out[x] = float(bytes[x]);
        out[x + 1] = float(bytes[x + 1]);
        out[x + 2] = float(bytes[x + 2]);
        out[x + 3] = float(bytes[x + 3]);
    }
    for (; x < n; ++x)
        out[x] = float(bytes[x]);
}

// out[x] = (1 - a) row[x0] + row[x0 + 1] a for x0 = xs[x], a = ax[x] and
// 1 - a given as bx[x].
void mixAcross(float* __restrict out, const float* __restrict row, const unsigned* __restrict xs,
               const float* __restrict ax, const float* __restrict bx, unsigned n) {
    unsigned x = 0;
    for (; x + 4 <= n; x += 4) {
        out[x] = bx[x] * row[xs[x]] + row[xs[x] + 1] * ax[x];
        out[x + 1] = bx[x + 1] * row[xs[x + 1]] + row[xs[x + 1] + 1] * ax[x + 1];
        out[x + 2] = bx[x + 2] * row[xs[x + 2]] + row[xs[x + 2] + 1] * ax[x + 2];
        out[x + 3] = bx[x + 3] * row[xs[x + 3]] + row[xs[x + 3] + 1] * ax[x + 3];
    }
    for (; x < n; ++x)
        out[x] = bx[x] * row[xs[x]] + row[xs[x] + 1] * ax[x];
}

} // namespace

PlaneRowScaler::PlaneRowScaler(const Signal<2, unsigned char>& source, unsigned int targetWidth,
                               unsigned int targetHeight)
    : source_(source), targetWidth_(targetWidth), rowA_(targetWidth), rowB_(targetWidth), zeros_(targetWidth, 0.0f),
      mixed_(targetWidth), top_(&rowA_), bottom_(&rowB_) {
    positions(source.size()[0], targetWidth, xs_, ax_);
    positions(source.size()[1], targetHeight, ys_, ay_);
    bx_.resize(targetWidth);
    for (unsigned x = 0; x < targetWidth; ++x)
        bx_[x] = 1.0f - ax_[x];
    sourceRow_.resize(std::size_t(source.size()[0]) + 1, 0.0f);
}

void PlaneRowScaler::mixRow(unsigned int y, std::vector<float>& mixed) {
    const unsigned sw = source_.size()[0];
    // sourceRow_[sw] stays 0: the neighbour beyond the last sample.
    widen(sourceRow_.data(), source_.data() + std::size_t(y) * sw, sw);
    mixAcross(mixed.data(), sourceRow_.data(), xs_.data(), ax_.data(), bx_.data(), targetWidth_);
}

void PlaneRowScaler::row(unsigned int y, unsigned char* target) {
    const unsigned sh = source_.size()[1];
    const unsigned y0 = ys_[y];
    // Keep the two mixed rows in step with y0 and y0 + 1.
    if (loadedTop_ != y0) {
        if (loadedBottom_ == y0) {
            std::swap(top_, bottom_);
            std::swap(loadedTop_, loadedBottom_);
        } else {
            mixRow(y0, *top_);
            loadedTop_ = y0;
        }
    }
    const std::vector<float>* below = &zeros_;
    if (y0 + 1 < sh) {
        if (loadedBottom_ != y0 + 1) {
            mixRow(y0 + 1, *bottom_);
            loadedBottom_ = y0 + 1;
        }
        below = bottom_;
    }
    const float b = ay_[y];
    const float a = 1.0f - b;
    blend(mixed_.data(), top_->data(), below->data(), a, b, targetWidth_);
    // The mix lies in 0..255 (up to rounding), so clamping and truncating is
    // the same as truncating.
    toBytes(mixed_.data(), target, targetWidth_);
}

} // namespace TAVO::Migration::JPEG
