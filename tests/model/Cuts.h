#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "foundation/random/MersenneTwister.h"
#include "foundation/random/RandomSource.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "geometry/Polygon.h"
#include "imaging/ImageMetadata.h"
#include "imaging/Picture.h"
#include "model/Puzzle.h"
#include "model/Setup.h"
#include "model/edges/ClassicEdgeFactory.h"
#include "model/edges/StraightEdgeFactory.h"
#include "model/generators/GridPuzzleGenerator.h"

namespace ModelTest {

// A random source that records every call made of it. Floats and choices are
// served from the queues when they hold values, otherwise from a seeded
// twister; every served value counts as one draw.
class ScriptedSource : public TAVO::RandomSource {
public:
    explicit ScriptedSource(std::uint32_t seed = 0) : RandomSource(0xFFFFFFFFu) {
        twister_.seed(TAVO::BorrowConstBuffer(&seed, sizeof seed));
    }

    void seed(const TAVO::Buffer& buffer) override { twister_.seed(buffer); }
    void readDouble(double* out, std::uint32_t count, double scale) override {
        draws += count;
        twister_.readDouble(out, count, scale);
    }
    void readFloat(float* out, std::uint32_t count, float scale) override {
        for (std::uint32_t i = 0; i < count; ++i) {
            ++draws;
            floatScales.push_back(scale);
            if (!floats.empty()) {
                out[i] = floats.front();
                floats.pop_front();
            } else {
                twister_.readFloat(out + i, 1, scale);
            }
        }
    }
    void readBytes(unsigned char* out, std::uint32_t count, unsigned char modulus) override {
        draws += count;
        twister_.readBytes(out, count, modulus);
    }
    void readChoices(std::uint32_t* out, std::uint32_t count, std::uint32_t modulus) override {
        for (std::uint32_t i = 0; i < count; ++i) {
            ++draws;
            choiceModuli.push_back(modulus);
            if (!choices.empty()) {
                out[i] = choices.front();
                choices.pop_front();
            } else {
                twister_.readChoices(out + i, 1, modulus);
            }
        }
    }
    void readWords(std::uint32_t* out, std::uint32_t count) override {
        draws += count;
        twister_.readWords(out, count);
    }

    std::deque<float> floats;
    std::deque<std::uint32_t> choices;
    std::vector<float> floatScales;
    std::vector<std::uint32_t> choiceModuli;
    std::uint64_t draws = 0;

private:
    TAVO::MersenneTwister twister_;
};

// The cut of a new game: classic inner edges (scale 1, automatic samples,
// spacing 7.5) and straight border edges, drawn from the seed.
inline std::unique_ptr<Puzzle> gridCut(std::uint32_t seed, std::uint32_t columns, std::uint32_t rows, float width,
                                       float height, std::uint64_t* draws = nullptr, bool randomDirection = true) {
    ScriptedSource random(seed);
    GridPuzzleGenerator generator(&random, std::make_shared<ClassicEdgeFactory>(&random, 1.0f, 0u, 7.5f),
                                  std::make_shared<StraightEdgeFactory>());
    generator.setGridSize(TAVO::Tuple<2, unsigned int>(columns, rows));
    generator.setRandomDirection(randomDirection);
    const TAVO::IncrementalBuffer pixels;
    auto puzzle = generator.generate(TAVO::Tuple<2, float>(width, height), pixels, TAVO::Migration::ImageMetadata());
    if (draws)
        *draws = random.draws;
    return puzzle;
}

// The set-up of a new game for a picture "pictures/WxH.png" of the size: the
// set-up reads only its size, so no pixels are made.
inline ::Setup setupOf(std::uint32_t width, std::uint32_t height, std::uint32_t requested) {
    Picture picture;
    picture.metadata() = TAVO::Migration::ImageMetadata(width, height, 3, 24);
    ::Setup setup;
    setup.setPicture("pictures/" + std::to_string(width) + "x" + std::to_string(height) + ".png", picture);
    setup.setRequestedPieceCount(requested);
    return setup;
}

inline Polygon outlineOf(const Puzzle& puzzle, std::uint32_t piece) {
    Polygon polygon;
    puzzle.pieceOutline(piece, polygon);
    return polygon;
}

// The signed area of every contour, in double.
inline double shoelace(const Polygon& polygon) {
    double sum = 0.0;
    for (const auto& contour : polygon.contours())
        for (std::size_t i = 0; i < contour.size(); ++i) {
            const auto& a = polygon.points()[contour[i]];
            const auto& b = polygon.points()[contour[(i + 1) % contour.size()]];
            sum += 0.5 * (double(a[0]) * b[1] - double(b[0]) * a[1]);
        }
    return sum;
}

// Even-odd crossing test over every contour, in double.
inline bool insideOutline(const Polygon& polygon, double x, double y) {
    bool inside = false;
    for (const auto& contour : polygon.contours())
        for (std::size_t i = 0, j = contour.size() - 1; i < contour.size(); j = i++) {
            const auto& a = polygon.points()[contour[i]];
            const auto& b = polygon.points()[contour[j]];
            if ((a[1] > y) != (b[1] > y)) {
                const double cross = a[0] + (y - a[1]) * (double(b[0]) - a[0]) / (double(b[1]) - a[1]);
                if (x < cross)
                    inside = !inside;
            }
        }
    return inside;
}

inline double segmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0.0;
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    const double qx = ax + t * dx - px, qy = ay + t * dy - py;
    return std::sqrt(qx * qx + qy * qy);
}

// The distance from a point to the nearest outline segment, in double.
inline double outlineDistance(const Polygon& polygon, double x, double y) {
    double best = INFINITY;
    for (const auto& contour : polygon.contours())
        for (std::size_t i = 0, j = contour.size() - 1; i < contour.size(); j = i++) {
            const auto& a = polygon.points()[contour[i]];
            const auto& b = polygon.points()[contour[j]];
            best = std::min(best, segmentDistance(x, y, a[0], a[1], b[0], b[1]));
        }
    return best;
}

inline std::uint32_t bitsOf(float value) {
    std::uint32_t bits;
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

} // namespace ModelTest
