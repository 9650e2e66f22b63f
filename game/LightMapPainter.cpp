#include "game/LightMapPainter.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <vector>

#include "foundation/streams/CppOutStream.h"
#include "foundation/threads/Bands.h"
#include "imaging/ImageMetadata.h"
#include "model/Puzzle.h"
#include "sdlgl/TextureException.h"

using TAVO::Point;
using TAVO::Vector;

namespace {

constexpr double twoPi = 6.283185307179586476925286766559;

// A coordinate truncated towards zero, kept within [-2^40, 2^40] first so the
// conversion is defined for every float.
std::int64_t truncated(float value) {
    const float bound = 1099511627776.0f;
    return static_cast<std::int64_t>(std::clamp(value, -bound, bound));
}

// The range [first, last) of pixel columns (or rows) a segment spanning
// from a to b reaches, widened by the edge size and one pixel and kept
// within [0, side).
void span(float a, float b, std::uint32_t side, std::int64_t& first, std::int64_t& last) {
    float low = 0.0f;
    float width = 0.0f;
    if (a > b) {
        low = b;
        width = a - b;
    } else {
        low = a;
        width = b - a + 1.0f;
    }
    const float r = LightMapPainter::edgeSize;
    first = std::max<std::int64_t>(truncated(low - r) - 1, 0);
    last = std::min<std::int64_t>(truncated(low + width + r) + 1, side);
}

std::uint8_t code(float value) { return static_cast<std::uint8_t>(std::clamp(value * 255.0f, 0.0f, 255.0f)); }

std::uint8_t angleCode(double angle) {
    return static_cast<std::uint8_t>(std::clamp(angle / twoPi * 255.0, 0.0, 255.0));
}

} // namespace

TAVO::Tuple<2, unsigned int> LightMapPainter::mapSize(const TAVO::Tuple<2, float>& puzzleSize,
                                                      std::uint32_t sideLimit) {
    std::uint64_t sides[2] = {1, 1};
    for (int i = 0; i < 2; ++i) {
        const float side = puzzleSize[i];
        // Not above the limit (NaN included): the comparison is made in
        // float, before any conversion.
        if (!(side < float(sideLimit) + 1.0f))
            throw TAVO::IK::SDLGL::TextureException(
                TAVO::SourceLocation(), "A light map for a puzzle of " + std::to_string(puzzleSize[0]) + " x " +
                                            std::to_string(puzzleSize[1]) + " units is larger than the largest texture, " +
                                            std::to_string(sideLimit) + " pixels a side. ");
        // A side below one unit (a damaged save) still gets one pixel.
        sides[i] = side >= 1.0f ? std::uint64_t(side) : 1;
        if (sides[i] > sideLimit)
            sides[i] = sideLimit;
    }
    const std::uint64_t pixels = sides[0] * sides[1];
    if (pixels > TAVO::Migration::ImageMetadata::maximumPixels || sides[0] == 0 || sides[1] == 0)
        throw TAVO::IK::SDLGL::TextureException(
            TAVO::SourceLocation(), "A light map of " + std::to_string(sides[0]) + " x " + std::to_string(sides[1]) +
                                        " pixels is larger than the largest picture. ");
    return TAVO::Tuple<2, unsigned int>(std::uint32_t(sides[0]), std::uint32_t(sides[1]));
}

LightMapPainter::LightMapPainter(std::uint32_t width, std::uint32_t height)
    : width_(width), height_(height), bytes_(std::uint64_t(width) * height * 4, 255) {}

void LightMapPainter::paintSegment(const Point<2, float>& start, const Vector<2, float>& direction, float length) {
    paintRows(Segment{start, direction, length}, 0, height_);
}

void LightMapPainter::paintRows(const Segment& segment, std::int64_t first, std::int64_t last) {
    const float sx = segment.start[0], sy = segment.start[1];
    const float ux = segment.direction[0], uy = segment.direction[1];
    const float length = segment.length;
    if (!(std::isfinite(sx) && std::isfinite(sy) && std::isfinite(ux) && std::isfinite(uy) && std::isfinite(length)))
        return;
    const float ex = sx + length * ux;
    const float ey = sy + length * uy;
    std::int64_t x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    span(sx, ex, width_, x0, x1);
    span(sy, ey, height_, y0, y1);
    y0 = std::max(y0, first);
    y1 = std::min(y1, last);
    for (std::int64_t y = y0; y < y1; ++y) {
        std::uint8_t* row = bytes_.data() + std::size_t(y) * width_ * 4;
        const float cy = static_cast<float>(y) + 0.5f;
        for (std::int64_t x = x0; x < x1; ++x) {
            const float cx = static_cast<float>(x) + 0.5f;
            const float t = (cx - sx) * ux + (cy - sy) * uy;
            float nx = sx, ny = sy;
            if (!(t < 0.0f)) {
                const float along = std::min(t, length);
                nx = sx + along * ux;
                ny = sy + along * uy;
            }
            const float vx = cx - nx;
            const float vy = cy - ny;
            const float squared = vx * vx + vy * vy;
            // Six units or more away the code is 255, which changes nothing.
            if (!(squared < (edgeSize + 1.0f) * (edgeSize + 1.0f)))
                continue;
            const float d = std::sqrt(squared);
            const std::uint8_t distance = code(d / (edgeSize + 1.0f));
            // Only a code below a stored one changes the pixel.
            std::uint8_t* p = row + x * 4;
            if (!(distance < p[1] || distance < p[3]))
                continue;
            double angle = std::atan2(static_cast<double>(vy), static_cast<double>(vx));
            if (angle < 0.0)
                angle += twoPi;
            const std::uint8_t direction8 = angleCode(angle);
            if (distance < p[1]) {
                p[2] = p[0];
                p[3] = p[1];
                p[0] = direction8;
                p[1] = distance;
            } else {
                p[2] = direction8;
                p[3] = distance;
            }
        }
    }
}

void LightMapPainter::paintPuzzle(const Puzzle& puzzle, unsigned int threads) {
    const float diagonal = static_cast<float>(1.0 / std::sqrt(2.0));
    std::vector<Segment> segments;
    for (std::uint32_t e = 0; e < puzzle.edgeCount(); ++e) {
        const Edge& edge = puzzle.edge(e);
        const std::uint32_t count = edge.pointCount();
        Point<2, float> before = edge.point(0);
        for (std::uint32_t i = 1; i < count; ++i) {
            const Point<2, float> p = edge.point(i);
            const float dx = before[0] - p[0];
            const float dy = before[1] - p[1];
            const float length = std::sqrt(dx * dx + dy * dy);
            if (length == 0.0f)
                segments.push_back(Segment{p, Vector<2, float>(diagonal, diagonal), 0.0f});
            else
                segments.push_back(Segment{p, Vector<2, float>(dx / length, dy / length), length});
            before = p;
        }
    }
    // A pixel's codes depend on the segments it meets and their order alone:
    // bands of rows that meet every segment in order give each pixel what
    // one pass does.
    auto band = [&](std::int64_t first, std::int64_t last) {
        for (const Segment& segment : segments)
            paintRows(segment, first, last);
    };
    TAVO::Bands::runRows(height_, TAVO::Bands::count(std::uint64_t(width_) * height_, pixelsPerThread, threads),
                         [&band](std::uint64_t first, std::uint64_t last) {
                             band(std::int64_t(first), std::int64_t(last));
                         });
}

void LightMapPainter::dump(const std::string& path, std::ostream& out) const {
    {
        std::ofstream file(path, std::ios::out | std::ios::binary | std::ios::trunc);
        TAVO::CppOutStream stream(file);
        stream.write(bytes_.data(), bytes_.size());
        stream.flush();
    }
    out << "Saved raw edge lighting data " << width_ << "x" << height_ << " to " << path << ", decode with:"
        << std::endl;
    out << "f = fopen('" << path << "', 'rb');" << std::endl;
    out << "data = fread(f, Inf, 'uint8');" << std::endl;
    out << "fclose(f);" << std::endl;
    out << "map = permute(reshape(data, 4, " << width_ << ", " << height_ << "), [2 3 1]);" << std::endl;
}
