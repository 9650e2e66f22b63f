#pragma once

#include "foundation/serialization/Serializable.h"
#include "geometry/Tuple.h"

namespace TAVO {

// A colour as red, green and blue floats, nominally in 0..1; nothing clamps.
class Color : public Serializable {
public:
    // The zero test of the reverse conversions: |x| < epsilon counts as zero.
    static constexpr float epsilon = 1.1920929e-7f;

    // Black.
    Color() = default;
    Color(float red, float green, float blue) : rgb_(red, green, blue) {}

    // Hue in [0, 1); a hue of 1 or more throws BoundException<float>.
    static Color fromHSL(float h, float s, float l);
    static Color fromHSV(float h, float s, float v);
    static Color fromYCbCr(float y, float cb, float cr, float kb, float kr);
    // Per component (1 - t) a + t b.
    static Color mix(const Color& a, const Color& b, float t);
    // Per component wa a + wb b.
    static Color weightedSum(const Color& a, float wa, const Color& b, float wb);

    Tuple<3, float>& rgb() { return rgb_; }
    const Tuple<3, float>& rgb() const { return rgb_; }
    void setRGB(const Tuple<3, float>& rgb) { rgb_ = rgb; }
    void setYCbCr(const Tuple<3, float>& ycbcr, float kb, float kr);
    // From a hue in [0, 1), a chroma and a minimum. A hue of 1 or more (or not a
    // number) throws BoundException<float> with the hue and 1; the colour is unchanged.
    void setHueChroma(float h, float chroma, float minimum);

    Tuple<3, float> toHSL() const;
    Tuple<3, float> toHSV() const;
    // The hue in [0, 1), the chroma, the smallest and the largest component.
    void hueChromaRange(float& h, float& chroma, float& minimum, float& maximum) const;
    Tuple<3, float> toYCbCr(float kb, float kr) const;

    bool operator==(const Color& other) const { return rgb_ == other.rgb_; }

    void serialize(Serialization& serialization) override;

    // The five tray colours the interface offers; the first is the default.
    static const Color interfaceColors[5];

private:
    Tuple<3, float> rgb_;
};

} // namespace TAVO
