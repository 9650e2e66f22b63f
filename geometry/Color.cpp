#include "geometry/Color.h"

#include <cmath>

#include "foundation/exceptions/BoundException.h"
#include "foundation/serialization/Serialization.h"

namespace TAVO {

const Color Color::interfaceColors[5] = {
    Color(0.75f, 0.75f, 0.75f), Color(0.25f, 0.25f, 0.25f), Color(0.6f, 0.4f, 0.2f),
    Color(0.2f, 0.6f, 0.5f),    Color(0.2f, 0.5f, 0.6f),
};

Color Color::fromHSL(float h, float s, float l) {
    const float chroma = l <= 0.5f ? 2.0f * l * s : 2.0f * s * (1.0f - l);
    Color color;
    color.setHueChroma(h, chroma, l - chroma * 0.5f);
    return color;
}

Color Color::fromHSV(float h, float s, float v) {
    Color color;
    color.setHueChroma(h, s * v, v - s * v);
    return color;
}

Color Color::fromYCbCr(float y, float cb, float cr, float kb, float kr) {
    Color color;
    color.setYCbCr(Tuple<3, float>(y, cb, cr), kb, kr);
    return color;
}

Color Color::mix(const Color& a, const Color& b, float t) {
    Color color;
    for (int i = 0; i < 3; ++i)
        color.rgb_[i] = (1.0f - t) * a.rgb_[i] + t * b.rgb_[i];
    return color;
}

Color Color::weightedSum(const Color& a, float wa, const Color& b, float wb) {
    Color color;
    for (int i = 0; i < 3; ++i)
        color.rgb_[i] = wa * a.rgb_[i] + wb * b.rgb_[i];
    return color;
}

void Color::setYCbCr(const Tuple<3, float>& ycbcr, float kb, float kr) {
    const float y = ycbcr[0], cb = ycbcr[1], cr = ycbcr[2];
    const float red = y + 2.0f * cr * (1.0f - kr);
    const float blue = y + 2.0f * cb * (1.0f - kb);
    const float green = (y - red * kr - blue * kb) / ((1.0f - kr) - kb);
    rgb_ = Tuple<3, float>(red, green, blue);
}

void Color::setHueChroma(float h, float chroma, float minimum) {
    // Anything not below 1 (not-a-number included) would be sector 6 or more.
    if (!(h < 1.0f))
        throw BoundException<float>(SourceLocation(), h, 1.0f);
    // The sector is truncated in floating point, so a huge negative hue never
    // meets an integer conversion; its half is the integer division k / 2.
    const double sector = std::trunc(static_cast<double>(6.0f * h));
    const float half = static_cast<float>(std::trunc(sector / 2.0));
    const float f = 3.0f * h - half;
    const float x = (1.0f - std::fabs(2.0f * f - 1.0f)) * chroma;
    float r, g, b;
    if (sector < 1.0) {
        r = chroma, g = x, b = 0.0f;
    } else if (sector == 1.0) {
        r = x, g = chroma, b = 0.0f;
    } else if (sector == 2.0) {
        r = 0.0f, g = chroma, b = x;
    } else if (sector == 3.0) {
        r = 0.0f, g = x, b = chroma;
    } else if (sector == 4.0) {
        r = x, g = 0.0f, b = chroma;
    } else {
        r = chroma, g = 0.0f, b = x;
    }
    rgb_ = Tuple<3, float>(r + minimum, g + minimum, b + minimum);
}

void Color::hueChromaRange(float& h, float& chroma, float& minimum, float& maximum) const {
    const float c[3] = {rgb_[0], rgb_[1], rgb_[2]};
    int k = 0;
    if (c[1] > c[k])
        k = 1;
    if (c[2] > c[k])
        k = 2;
    maximum = c[k];
    const float greenBlue = c[1] > c[2] ? c[2] : c[1];
    minimum = c[0] > greenBlue ? greenBlue : c[0];
    chroma = maximum - minimum;
    if (std::fabs(chroma) < epsilon) {
        h = 0.0f;
        return;
    }
    const float raw = ((c[(k + 1) % 3] - c[(k + 2) % 3]) / chroma + 2.0f * float(k)) / 6.0f;
    double whole = 0.0;
    h = static_cast<float>(std::modf(static_cast<double>(raw), &whole));
    if (h < 0.0f)
        h += 1.0f;
    // A fraction just below 1 (or just below 0, moved up) can round to 1 in
    // single precision; the hue must stay below 1. Not-a-number becomes 0 too.
    if (!(h < 1.0f) || std::isnan(h))
        h = 0.0f;
}

Tuple<3, float> Color::toHSL() const {
    float h, chroma, minimum, maximum;
    hueChromaRange(h, chroma, minimum, maximum);
    const float l = (maximum + minimum) * 0.5f;
    float s;
    if (std::fabs(l) < epsilon || std::fabs(l - 1.0f) < epsilon)
        s = 0.0f;
    else if (l <= 0.5f)
        s = 0.5f * chroma / l;
    else
        s = 0.5f * chroma / (1.0f - l);
    return Tuple<3, float>(h, s, l);
}

Tuple<3, float> Color::toHSV() const {
    float h, chroma, minimum, maximum;
    hueChromaRange(h, chroma, minimum, maximum);
    const float s = std::fabs(maximum) < epsilon ? 0.0f : chroma / maximum;
    return Tuple<3, float>(h, s, maximum);
}

Tuple<3, float> Color::toYCbCr(float kb, float kr) const {
    const float red = rgb_[0], green = rgb_[1], blue = rgb_[2];
    const float y = kr * red + (1.0f - kr - kb) * green + kb * blue;
    const float cb = (blue - y) / (1.0f - kb) * 0.5f;
    const float cr = (red - y) / (1.0f - kr) * 0.5f;
    return Tuple<3, float>(y, cb, cr);
}

void Color::serialize(Serialization& serialization) {
    serialization.serialize(rgb_);
}

} // namespace TAVO
