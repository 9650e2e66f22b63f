#include "model/edges/ClassicEdgeFactory.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "foundation/random/RandomSource.h"
#include "model/edges/ClassicEdge.h"

namespace {

// The width of each draw's range (high - low), rounded to float as stored.
constexpr float neckWidthRange = 0.35f - 0.25f;
constexpr float centreShiftRange = 0.1f - -0.1f;
constexpr float neckLiftRange = -0.01f - -0.03f;
constexpr float headHeightRange = 0.3f - 0.2f;
constexpr float headShiftRange = 0.05f - -0.05f;
constexpr float tangentRange = 0.3f - 0.2f;
constexpr float headTangentRange = 0.56f - 0.45f;
static_assert(std::bit_cast<std::uint32_t>(neckWidthRange) == 0x3DCCCCCCu);
static_assert(std::bit_cast<std::uint32_t>(centreShiftRange) == 0x3E4CCCCDu);
static_assert(std::bit_cast<std::uint32_t>(neckLiftRange) == 0x3CA3D70Au);
static_assert(std::bit_cast<std::uint32_t>(headHeightRange) == 0x3DCCCCCEu);
static_assert(std::bit_cast<std::uint32_t>(headShiftRange) == 0x3DCCCCCDu);
static_assert(std::bit_cast<std::uint32_t>(tangentRange) == 0x3DCCCCCEu);
static_assert(std::bit_cast<std::uint32_t>(headTangentRange) == 0x3DE147B0u);

} // namespace

ClassicEdgeFactory::ClassicEdgeFactory(TAVO::RandomSource* random, float scale, std::uint32_t sampleCount,
                                       float sampleSpacing)
    : random_(random), scale_(scale), sampleCount_(sampleCount), sampleSpacing_(sampleSpacing) {}

std::uint32_t ClassicEdgeFactory::samplesFor(float length) const {
    // A fixed count + 1, in 32-bit arithmetic (0xFFFFFFFF wraps to automatic).
    const std::uint32_t fixed = sampleCount_ + 1u;
    if (fixed >= 2u)
        return std::min(fixed, maximumSamples);
    // trunc(ceilf((L * 1.5f) / spacing)) + 1, clamped to [2, 128] while still
    // a float, so that a spacing of 0, not-a-number or a huge quotient
    // converts nothing out of range.
    const float quotient = std::ceil((length * 1.5f) / sampleSpacing_);
    if (!(quotient >= 1.0f))
        return 2;
    if (quotient >= float(maximumSamples - 1))
        return maximumSamples;
    return std::max<std::uint32_t>(std::uint32_t(quotient) + 1u, 2u);
}

std::unique_ptr<Edge>& ClassicEdgeFactory::create(std::unique_ptr<Edge>& out, const TAVO::Point<2, float>& from,
                                                  const TAVO::Point<2, float>& to) {
    auto draw = [this](float range) {
        float r = 0.0f;
        // r = (float(word) * range) / 4294967296.0f, inside the source.
        random_->readFloat(&r, 1, range);
        return r;
    };
    const float k = scale_;
    ClassicEdge::Shape s;
    // Offset first, then the factory's scale; s1 alone is not scaled.
    s[0] = (draw(neckWidthRange) + 0.25f) * k;
    s[1] = draw(centreShiftRange) - 0.1f;
    s[2] = (draw(neckLiftRange) - 0.03f) * k;
    s[3] = (draw(neckLiftRange) - 0.03f) * k;
    s[4] = (draw(headHeightRange) + 0.2f) * k;
    s[5] = (draw(headShiftRange) - 0.05f) * k;
    s[6] = (draw(tangentRange) + 0.2f) * k;
    s[7] = (draw(headTangentRange) + 0.45f) * k;
    s[8] = (draw(tangentRange) + 0.2f) * k;
    s[9] = (draw(headTangentRange) + 0.45f) * k;
    // Length of T - F: squares summed in float, square root in double.
    const std::uint32_t samples = samplesFor(TAVO::length(to - from));
    out = std::make_unique<ClassicEdge>(from, to, s, samples + 2u);
    return out;
}
