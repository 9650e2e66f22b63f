#include "support/ThumbnailReference.h"

#include <algorithm>

namespace KestruneTest {

ThumbnailReference::Image ThumbnailReference::halve(const Image& in, int axis) {
    const std::uint32_t n = axis == 0 ? in.w : in.h;
    const std::uint32_t m = n / 2;
    Image out{axis == 0 ? m : in.w, axis == 0 ? in.h : m, in.c, {}};
    out.data.assign(std::size_t(out.w) * out.h * out.c, 0);
    const std::uint32_t lines = axis == 0 ? in.h : in.w;
    for (std::uint32_t line = 0; line < lines; ++line)
        for (std::uint32_t ch = 0; ch < in.c; ++ch) {
            auto get = [&](std::uint32_t i) -> int {
                return axis == 0 ? in.at(ch, i, line) : in.at(ch, line, i);
            };
            for (std::uint32_t o = 0; o < m; ++o) {
                int v;
                if (o == 0)
                    v = (6 * get(0) + 4 * get(1) + get(2)) / 11;
                else if (o == m - 1)
                    v = (get(2 * m - 4) + 4 * get(2 * m - 3) + 6 * get(2 * m - 2)) / 11;
                else
                    v = (get(2 * o - 2) + 4 * get(2 * o - 1) + 6 * get(2 * o) + 4 * get(2 * o + 1) + get(2 * o + 2)) >> 4;
                const std::uint32_t x = axis == 0 ? o : line, y = axis == 0 ? line : o;
                out.data[(y * out.w + x) * out.c + ch] = std::uint8_t(v);
            }
        }
    return out;
}

ThumbnailReference::Image ThumbnailReference::of(const Image& picture, std::uint32_t side) {
    const float scale = std::max(float(side) / float(picture.w), float(side) / float(picture.h));
    std::uint32_t rw = picture.w, rh = picture.h;
    if (std::uint32_t(float(picture.w) * scale) != side || std::uint32_t(float(picture.h) * scale) != side)
        rw = rh = std::min(picture.w, picture.h);
    const std::uint32_t x0 = picture.w / 2 - rw / 2, y0 = picture.h / 2 - rh / 2;
    Image work{rw, rh, picture.c, {}};
    for (std::uint32_t y = 0; y < rh; ++y)
        for (std::uint32_t x = 0; x < rw; ++x)
            for (std::uint32_t ch = 0; ch < picture.c; ++ch)
                work.data.push_back(picture.at(ch, x0 + x, y0 + y));
    while (work.w >= 2 * side && work.h >= 2 * side)
        work = halve(halve(work, 0), 1);
    Image out{side, side, picture.c, std::vector<std::uint8_t>(std::size_t(side) * side * picture.c)};
    const float sx = float(work.w - 1) * (1.0f / float(side - 1));
    const float sy = float(work.h - 1) * (1.0f / float(side - 1));
    for (std::uint32_t ch = 0; ch < picture.c; ++ch)
        for (std::uint32_t y = 0; y < side; ++y)
            for (std::uint32_t x = 0; x < side; ++x) {
                const float px = float(x) * sx, py = float(y) * sy;
                const int ix = int(px), iy = int(py);
                const float fx = px - float(ix), fy = py - float(iy);
                auto s = [&](int xx, int yy) -> float {
                    return (xx < int(work.w) && yy < int(work.h)) ? float(work.at(ch, xx, yy)) : 0.0f;
                };
                const float top = (1 - fx) * s(ix, iy) + fx * s(ix + 1, iy);
                const float bottom = (1 - fx) * s(ix, iy + 1) + fx * s(ix + 1, iy + 1);
                const float v = std::clamp((1 - fy) * top + fy * bottom, 0.0f, 255.0f);
                out.data[(y * side + x) * picture.c + ch] = std::uint8_t(v);
            }
    return out;
}

} // namespace KestruneTest
