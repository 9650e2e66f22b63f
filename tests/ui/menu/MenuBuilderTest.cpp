// The menu builder: items on shared backgrounds, the height-only wrapper,
// and the puzzle icons checked against a puzzle cut apart from the builder.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "../Probe.h"
#include "../RecordingShapeShader.h"
#include "../TestPackages.h"
#include "../TestShapes.h"
#include "foundation/random/MersenneTwister.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "geometry/PolygonTriangulator.h"
#include "imaging/ImageMetadata.h"
#include "model/Puzzle.h"
#include "model/edges/ClassicEdgeFactory.h"
#include "model/edges/StraightEdgeFactory.h"
#include "model/generators/GridPuzzleGenerator.h"
#include "ui/Panel.h"
#include "ui/menu/HeightOnlyResize.h"
#include "ui/menu/MenuBuilder.h"

using namespace UiTest;
using TAVO::Tuple;
using TAVO::Vector;

namespace {

struct Builder {
    BuiltInPackage builtIn;
    RecordingShapeShader shader;
    std::vector<std::string> log;
    std::shared_ptr<Component> dots = std::make_shared<Probe>("dots", Tuple<2, float>(50, 50), log);
    MenuBuilder builder{shader, builtIn.archive, dots};

    // Layer i of an item (outer background, inner background, content).
    static const Component& layer(const Component& item, std::size_t i) {
        return *static_cast<const Panel&>(item).children().at(i);
    }
    static const Shape& background(const Component& item, std::size_t i) {
        return static_cast<const Shape&>(*static_cast<const SharedComponent&>(layer(item, i)).shared());
    }
};

double meshArea(const Shape::MeshData& mesh) {
    double area = 0.0;
    for (std::size_t t = 0; t < mesh.indices.size(); t += 3) {
        const float* a = &mesh.positions[2 * mesh.indices[t]];
        const float* b = &mesh.positions[2 * mesh.indices[t + 1]];
        const float* c = &mesh.positions[2 * mesh.indices[t + 2]];
        area += 0.5 * ((double(b[0]) - a[0]) * (double(c[1]) - a[1]) - (double(c[0]) - a[0]) * (double(b[1]) - a[1]));
    }
    return area;
}

} // namespace

// Two faces share one outer and one inner rounded square (70 by 70 and 64
// by 61); the inner one and the 50 by 50 icon sit 1.5 above the centre.
// Disc items the same at 40 by 40: fans of 16 counter-clockwise triangles.
TEST(MenuBuilder, ItemsShareTheirBackgrounds) {
    Builder b;
    auto play = b.builder.iconButtonFace("assets/play.dat");
    auto add = b.builder.iconButtonFace("assets/add.dat");
    EXPECT_EQ(b.shader.meshes.size(), 4u) << "two backgrounds and two icons";
    EXPECT_EQ(&Builder::background(*play, 0), &Builder::background(*add, 0));
    EXPECT_EQ(&Builder::background(*play, 1), &Builder::background(*add, 1));
    EXPECT_EQ(Builder::background(*play, 0).size(), (Tuple<2, float>(70, 70)));
    EXPECT_EQ(Builder::background(*play, 1).size(), (Tuple<2, float>(64, 61)));
    EXPECT_EQ(Builder::layer(*play, 2).size(), (Tuple<2, float>(50, 50)));
    const auto& panel = static_cast<const Panel&>(*play);
    EXPECT_EQ(panel.layout(Builder::layer(*play, 1)).offset, (Vector<2, float>(0, 1.5f)));
    EXPECT_EQ(panel.layout(Builder::layer(*play, 2)).offset, (Vector<2, float>(0, 1.5f)));

    auto disc = b.builder.onDisc(std::make_unique<Probe>("icon", Tuple<2, float>(25, 25), b.log));
    EXPECT_EQ(disc->size(), (Tuple<2, float>(40, 40)));
    EXPECT_EQ(Builder::background(*disc, 1).size(), (Tuple<2, float>(34, 31)));
    const auto& fan = RecordingShapeShader::recorded(Builder::background(*disc, 0)).data;
    EXPECT_EQ(fan.indices.size(), 3u * 16u);
    EXPECT_NEAR(meshArea(fan), 16 * 0.5 * std::sin(2 * M_PI / 16), 1e-5);
}

TEST(HeightOnlyResize, PassesOnOnlyTheHeight) {
    std::vector<std::string> log;
    HeightOnlyResize wrapper(std::make_unique<Probe>("opener", Tuple<2, float>(48, 48), log));
    wrapper.setGeometry(Tuple<2, float>(500, 80));
    EXPECT_EQ(wrapper.size(), (Tuple<2, float>(48, 80)));
}

namespace {

// The icon's puzzle, cut here as the game cuts it.
std::vector<Polygon> cutPieces(std::uint32_t count, std::uint32_t seed, Tuple<2, unsigned int>& grid) {
    TAVO::MersenneTwister random;
    random.seed(TAVO::BorrowConstBuffer(&seed, 4));
    GridPuzzleGenerator generator(&random, std::make_shared<ClassicEdgeFactory>(&random, 1.0f, 16u, 0.0f),
                                  std::make_shared<StraightEdgeFactory>());
    const TAVO::Migration::ImageMetadata square(1, 1, 3, 24);
    grid = GridPuzzleGenerator::gridSizeFor(count, square);
    generator.setGridSize(grid);
    generator.setRandomDirection(false);
    const auto puzzle =
        generator.generate(Tuple<2, float>(float(grid[0]), float(grid[1])), TAVO::IncrementalBuffer(), square);
    std::vector<Polygon> pieces(puzzle->pieceCount());
    for (std::uint32_t i = 0; i < puzzle->pieceCount(); ++i)
        puzzle->pieceOutline(i, pieces[i]);
    return pieces;
}

} // namespace

// Every piece is in the icon as its own outline, moved rigidly: the centre
// of its bounding rectangle lands on 1.75 times its cell, nudged by 0.05 to
// 0.25. The same seed gives the same picture.
TEST(PuzzleIcon, EveryPieceTurnedAndPlacedOnItsCell) {
    for (std::uint32_t count : {2u, 9u}) {
        SCOPED_TRACE(count);
        Tuple<2, unsigned int> grid;
        const std::vector<Polygon> cut = cutPieces(count, 0, grid);
        EXPECT_EQ(grid, count == 2 ? (Tuple<2, unsigned int>(1, 2)) : (Tuple<2, unsigned int>(3, 3)));
        const std::vector<Polygon> icon = MenuBuilder::puzzlePieces(count, 0);
        ASSERT_EQ(icon.size(), cut.size());
        for (std::size_t i = 0; i < cut.size(); ++i) {
            const auto& from = cut[i].points();
            const auto& to = icon[i].points();
            ASSERT_EQ(from.size(), to.size());
            double low[2] = {1e9, 1e9}, high[2] = {-1e9, -1e9};
            for (const auto& p : from)
                for (int a = 0; a < 2; ++a) {
                    low[a] = std::min(low[a], double(p[a]));
                    high[a] = std::max(high[a], double(p[a]));
                }
            const std::size_t far = from.size() / 2;
            const double turn = std::atan2(to[far][1] - to[0][1], to[far][0] - to[0][0]) -
                                std::atan2(from[far][1] - from[0][1], from[far][0] - from[0][0]);
            const double c = std::cos(turn), s = std::sin(turn);
            // Where the centre goes, seen from every point: one place for all.
            auto centreSeenFrom = [&](std::size_t k) {
                const double x = from[k][0] - (low[0] + high[0]) / 2, y = from[k][1] - (low[1] + high[1]) / 2;
                return std::array<double, 2>{to[k][0] - (c * x - s * y), to[k][1] - (s * x + c * y)};
            };
            const std::array<double, 2> moved = centreSeenFrom(0);
            for (std::size_t k = 1; k < from.size(); ++k) {
                ASSERT_NEAR(centreSeenFrom(k)[0], moved[0], 1e-4) << "piece " << i << " point " << k;
                ASSERT_NEAR(centreSeenFrom(k)[1], moved[1], 1e-4) << "piece " << i << " point " << k;
            }
            const double nudge =
                std::hypot(moved[0] - 1.75 * double(i % grid[0]), moved[1] - 1.75 * double(i / grid[0]));
            EXPECT_GE(nudge, 0.05 - 1e-4) << "piece " << i;
            EXPECT_LE(nudge, 0.25 + 1e-4) << "piece " << i;
        }
        EXPECT_EQ(MenuBuilder::puzzlePieces(count, 0)[1].points(), icon[1].points());
        EXPECT_NE(MenuBuilder::puzzlePieces(count, 1)[1].points(), icon[1].points());
    }
}

// Turned pieces may overlap their neighbours (seed 3 of nine pieces does),
// and overlapping outlines cannot be triangulated as one polygon. Each piece
// is triangulated on its own, so the icon is still made and fills them all.
TEST(PuzzleIcon, OverlappingPiecesStillMakeTheIcon) {
    Polygon all;
    for (const Polygon& p : MenuBuilder::puzzlePieces(9, 3))
        all.append(p);
    std::vector<Tuple<3, unsigned int>> triangles;
    EXPECT_THROW(PolygonTriangulator(all, Vector<2, float>(0, 1), true).triangulate(triangles), TAVO::Exception);
    for (std::uint32_t seed : {0u, 3u}) {
        Builder b;
        const auto icon = b.builder.puzzleIcon(9, seed);
        const auto& shape = static_cast<const Shape&>(Builder::layer(*icon, 2));
        EXPECT_EQ(shape.size(), (Tuple<2, float>(50, 50)));
        EXPECT_NEAR(meshArea(RecordingShapeShader::recorded(shape).data), 9.0, 1e-3);
    }
}
