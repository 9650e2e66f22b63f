// Reading shape files: the shipped files through the built-in archive, and
// damaged or hostile files as a user's resource folder might hold them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "RecordingShapeShader.h"
#include "ShapeFileBytes.h"
#include "TestPackages.h"
#include "TestShapes.h"
#include "foundation/exceptions/NotFoundException.h"
#include "foundation/streams/StreamException.h"
#include "ui/Shape.h"
#include "ui/ShapeFile.h"
#include "ui/ShapeFileException.h"

using namespace UiTest;
using TAVO::Tuple;

namespace {

double cross(const Vec2& o, const Vec2& a, const Vec2& b) {
    return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
}

struct MeshCheck {
    std::size_t samples = 0;
    std::size_t wrong = 0;
    double triangleArea = 0.0;
    bool turned = false;
};

// Samples a grid over the bounds: every point the even-odd rule puts inside
// a layer must be covered by exactly one triangle of that layer's mesh, every
// other point by none. A hole given the wrong way round is filled by the
// triangulation and shows up here.
MeshCheck checkMesh(const ShapeFile& file, const Shape::MeshData& mesh, std::size_t firstIndex,
                    const ShapeFile::Layer& layer, std::size_t layerIndexCount, std::size_t pointBase) {
    MeshCheck check;
    const auto r = rings(layer);
    auto meshPoint = [&](std::uint32_t i) { return Vec2{mesh.positions[2 * i], mesh.positions[2 * i + 1]}; };
    std::vector<std::array<Vec2, 3>> triangles;
    for (std::size_t t = firstIndex; t < firstIndex + layerIndexCount; t += 3) {
        std::array<Vec2, 3> tri = {meshPoint(mesh.indices[t]), meshPoint(mesh.indices[t + 1]),
                                   meshPoint(mesh.indices[t + 2])};
        EXPECT_GE(mesh.indices[t], pointBase);
        const double area = cross(tri[0], tri[1], tri[2]) / 2.0;
        check.turned = check.turned || area < -1e-12;
        check.triangleArea += std::fabs(area);
        triangles.push_back(tri);
    }
    const int n = 101;
    for (int iy = 0; iy < n; ++iy)
        for (int ix = 0; ix < n; ++ix) {
            const Vec2 p = {file.bounds.origin()[0] + (ix + 0.5) / n * file.bounds.extent()[0],
                            file.bounds.origin()[1] + (iy + 0.5) / n * file.bounds.extent()[1]};
            // Points on an outline or on a diagonal the triangulation drew
            // belong to no triangle or to two.
            bool nearEdge = edgeDistance(r, p) < 1e-6;
            for (std::size_t t = 0; t < triangles.size() && !nearEdge; ++t)
                for (int k = 0; k < 3 && !nearEdge; ++k)
                    nearEdge = distanceToSegment(p, triangles[t][k], triangles[t][(k + 1) % 3]) < 1e-6;
            if (nearEdge)
                continue;
            int covered = 0;
            for (const auto& t : triangles) {
                const double a = cross(t[0], t[1], p), b = cross(t[1], t[2], p), c = cross(t[2], t[0], p);
                if ((a > 0 && b > 0 && c > 0) || (a < 0 && b < 0 && c < 0))
                    ++covered;
            }
            ++check.samples;
            if (covered != (evenOddInside(r, p) ? 1 : 0))
                ++check.wrong;
        }
    return check;
}

// The filled area by the even-odd rule, from the rings alone: a ring's area
// counts positive at even nesting depth and negative at odd depth.
double filledArea(const ShapeFile::Layer& layer) {
    const auto r = rings(layer);
    double total = 0.0;
    for (std::size_t c = 0; c < r.size(); ++c) {
        double twice = 0.0;
        for (std::size_t i = 0; i < r[c].size(); ++i)
            twice += cross({0.0, 0.0}, r[c][i], r[c][(i + 1) % r[c].size()]);
        std::vector<std::vector<Vec2>> others;
        for (std::size_t o = 0; o < r.size(); ++o)
            if (o != c)
                others.push_back(r[o]);
        int depth = 0;
        for (const auto& other : others)
            if (evenOddInside({other}, r[c][0]))
                ++depth;
        total += (depth % 2 == 0 ? 1.0 : -1.0) * std::fabs(twice) / 2.0;
    }
    return total;
}

ShapeFile load(const TAVO::Package& package, const std::string& name) {
    ShapeFile file;
    loadShapeFile(file, package, name);
    return file;
}

// Expects the load to end in a TAVO exception whose message names the file.
void expectRefused(const std::string& bytes, const std::string& why) {
    FolderPackage package;
    package.put("assets/bad.dat", bytes);
    ShapeFile file;
    try {
        loadShapeFile(file, package, "assets/bad.dat");
        ADD_FAILURE() << why << ": loaded";
    } catch (const TAVO::Exception& e) {
        EXPECT_NE(e.message().find("assets/bad.dat"), std::string::npos) << why << ": " << e.message();
    }
}

// The loader's answer to any bytes: loaded, or a TAVO exception. Loaded
// content is then also built into a shape, which may refuse it the same way.
void loadAnything(const std::string& bytes) {
    FolderPackage package;
    package.put("assets/any.dat", bytes);
    RecordingShapeShader shader;
    try {
        ShapeFile file;
        loadShapeFile(file, package, "assets/any.dat");
        Shape shape(shader, file, Tuple<2, float>(50.0f, 50.0f), TAVO::Color(1, 1, 1), false);
        shape.draw();
    } catch (const TAVO::Exception&) {
    }
}

} // namespace

TEST(ShapeFileLoading, PlayIsOneLayerOfSixPointsInOneContour) {
    BuiltInPackage builtIn;
    const ShapeFile play = load(builtIn.archive, "assets/play.dat");
    EXPECT_EQ(builtIn.entry("assets/play.dat").size(), 108u);
    EXPECT_EQ(play.name, "assets/play.dat");
    EXPECT_EQ(play.bounds.origin()[0], 0.0f);
    EXPECT_EQ(play.bounds.origin()[1], 0.0f);
    EXPECT_EQ(play.bounds.extent()[0], 1.0f);
    EXPECT_EQ(play.bounds.extent()[1], 1.0f);
    ASSERT_EQ(play.layers.size(), 1u);
    EXPECT_TRUE(play.layers[0].colors.empty());
    // The stored words, as the file's bytes give them.
    const std::uint32_t words[6][2] = {{0x3eae6666, 0x3e433333}, {0x3f50cccd, 0x3eee6666}, {0x3f50cccd, 0x3f08cccd},
                                       {0x3eae6666, 0x3f4f3333}, {0x3e900000, 0x3f466666}, {0x3e900000, 0x3e666666}};
    const auto& points = play.layers[0].polygon.points();
    ASSERT_EQ(points.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i)
        for (int k = 0; k < 2; ++k) {
            float expected;
            std::memcpy(&expected, &words[i][k], 4);
            EXPECT_EQ(points[i][k], expected) << "point " << i;
        }
    ASSERT_EQ(play.layers[0].polygon.contourCount(), 1u);
    EXPECT_EQ(play.layers[0].polygon.contour(0), (Polygon::Contour{0, 1, 2, 3, 4, 5}));
}

TEST(ShapeFileLoading, EveryShippedFileLoadsWithItsLayersAndColours) {
    BuiltInPackage builtIn;
    const std::vector<std::string> names = builtIn.shapeFileNames();
    EXPECT_EQ(names.size(), 22u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ShapeFile file;
        ASSERT_NO_THROW(loadShapeFile(file, builtIn.archive, name));
        ASSERT_FALSE(file.layers.empty());
        if (name == "assets/digits.dat") {
            EXPECT_EQ(file.layers.size(), 10u);
        } else if (name != "assets/title.dat") {
            EXPECT_EQ(file.layers.size(), 1u);
        }
        if (name == "assets/title.dat") {
            EXPECT_EQ(file.bounds.extent()[0], 4.0625f);
            EXPECT_EQ(file.bounds.extent()[1], 1.0f);
        }
        for (const auto& layer : file.layers) {
            if (name == "assets/title.dat") {
                EXPECT_EQ(layer.colors.size(), layer.polygon.points().size());
            } else {
                EXPECT_TRUE(layer.colors.empty());
            }
        }
        if (name == "assets/error.dat") {
            EXPECT_EQ(file.layers[0].polygon.points().size(), 8u);
            ASSERT_EQ(file.layers[0].polygon.contourCount(), 2u);
            EXPECT_EQ(file.layers[0].polygon.contour(0).size(), 4u);
            EXPECT_EQ(file.layers[0].polygon.contour(1).size(), 4u);
        }
    }
}

// Each shipped file made into a shape: its mesh covers exactly what the
// even-odd rule fills, triangle areas add up to the filled area, and no
// triangle is turned over.
TEST(ShapeFileLoading, EveryShippedFileTriangulatesToItsFilledArea) {
    BuiltInPackage builtIn;
    RecordingShapeShader shader;
    for (const std::string& name : builtIn.shapeFileNames()) {
        SCOPED_TRACE(name);
        const ShapeFile file = load(builtIn.archive, name);
        std::unique_ptr<Shape> shape;
        ASSERT_NO_THROW(shape = std::make_unique<Shape>(shader, file, Tuple<2, float>(50.0f, 50.0f),
                                                        TAVO::Color(1, 1, 1), false));
        const Shape::MeshData& mesh = RecordingShapeShader::recorded(*shape).data;
        std::size_t pointBase = 0, index = 0;
        // A layer's triangles follow those of the layers before it; their
        // count is told by the points they use.
        for (std::size_t l = 0; l < file.layers.size(); ++l) {
            SCOPED_TRACE("layer " + std::to_string(l));
            const std::size_t points = file.layers[l].polygon.points().size();
            std::size_t end = index;
            while (end < mesh.indices.size() && mesh.indices[end] < pointBase + points)
                ++end;
            const MeshCheck check = checkMesh(file, mesh, index, file.layers[l], end - index, pointBase);
            const double filled = filledArea(file.layers[l]);
            EXPECT_GT(filled, 0.0);
            EXPECT_NEAR(check.triangleArea, filled, 1e-5 * filled);
            EXPECT_FALSE(check.turned);
            EXPECT_EQ(check.wrong, 0u) << "of " << check.samples << " samples";
            pointBase += points;
            index = end;
        }
        EXPECT_EQ(index, mesh.indices.size());
    }
}

TEST(ShapeFileLoading, AMissingEntryIsNotFoundByName) {
    FolderPackage package;
    ShapeFile file;
    try {
        loadShapeFile(file, package, "assets/none.dat");
        FAIL() << "loaded";
    } catch (const TAVO::NotFoundException<std::string>& e) {
        EXPECT_EQ(e.key(), "assets/none.dat");
    }
}

TEST(ShapeFileLoading, AFileFromAUsersFolderLoads) {
    ShapeFileBytes bytes;
    bytes.bounds(0, 0, 2, 1).u32(1).layer({}, squarePoints(0.5f, 0.25f, 0.5f), {{0, 1, 2, 3}});
    FolderPackage package;
    package.put("assets/square.dat", bytes.bytes());
    const ShapeFile file = load(package, "assets/square.dat");
    EXPECT_EQ(file.bounds.extent()[0], 2.0f);
    ASSERT_EQ(file.layers.size(), 1u);
    EXPECT_EQ(file.layers[0].polygon.points()[2][0], 1.0f);
    EXPECT_EQ(file.layers[0].polygon.points()[2][1], 0.75f);
}

TEST(ShapeFileLoading, ALoadReplacesTheContentAndAFailedOneKeepsIt) {
    FolderPackage package;
    ShapeFileBytes two, one;
    two.bounds(0, 0, 1, 1).u32(2).layer({}, squarePoints(0, 0, 0.4f), {{0, 1, 2, 3}});
    two.layer({}, squarePoints(0.5f, 0.5f, 0.4f), {{0, 1, 2, 3}});
    one.bounds(0, 0, 3, 3).u32(1).layer({}, squarePoints(1, 1, 1), {{0, 1, 2, 3}});
    package.put("two.dat", two.bytes());
    package.put("one.dat", one.bytes());
    package.put("short.dat", one.bytes().substr(0, 30));

    ShapeFile file;
    loadShapeFile(file, package, "two.dat");
    ASSERT_EQ(file.layers.size(), 2u);
    loadShapeFile(file, package, "one.dat");
    ASSERT_EQ(file.layers.size(), 1u);
    EXPECT_EQ(file.bounds.extent()[0], 3.0f);
    EXPECT_EQ(file.name, "one.dat");

    EXPECT_THROW(loadShapeFile(file, package, "short.dat"), TAVO::Exception);
    ASSERT_EQ(file.layers.size(), 1u);
    EXPECT_EQ(file.name, "one.dat");
    EXPECT_EQ(file.layers[0].polygon.points().size(), 4u);
}

// Files that end early, cut at every byte: the stream's error, naming the file.
TEST(ShapeFileHostile, EveryTruncationIsAStreamErrorNamingTheFile) {
    BuiltInPackage builtIn;
    for (const char* name : {"assets/error.dat", "assets/title.dat"}) {
        const std::string whole = builtIn.entry(name);
        for (std::size_t cut = 0; cut < whole.size(); ++cut) {
            FolderPackage package;
            package.put(name, whole.substr(0, cut));
            ShapeFile file;
            try {
                loadShapeFile(file, package, name);
                ADD_FAILURE() << name << " cut at " << cut << " loaded";
            } catch (const TAVO::StreamException& e) {
                EXPECT_NE(e.message().find(name), std::string::npos) << e.message();
            } catch (const ShapeFileException& e) {
                // A count that no longer fits in the bytes left.
                EXPECT_EQ(e.name(), name);
            }
        }
    }
}

TEST(ShapeFileHostile, AColourCountOtherThanNoneOrOnePerPointIsRefused) {
    ShapeFileBytes fewer, more;
    const std::vector<float> red = {1, 0, 0, 1};
    fewer.bounds(0, 0, 1, 1).u32(1).layer({red, red, red}, squarePoints(0, 0, 1), {{0, 1, 2, 3}});
    more.bounds(0, 0, 1, 1).u32(1).layer({red, red, red, red, red}, squarePoints(0, 0, 1), {{0, 1, 2, 3}});
    expectRefused(fewer.bytes(), "three colours for four points");
    expectRefused(more.bytes(), "five colours for four points");

    ShapeFileBytes right;
    right.bounds(0, 0, 1, 1).u32(1).layer({red, red, red, red}, squarePoints(0, 0, 1), {{0, 1, 2, 3}});
    FolderPackage package;
    package.put("right.dat", right.bytes());
    EXPECT_EQ(load(package, "right.dat").layers[0].colors.size(), 4u);
}

// Counts far beyond the file's bytes are refused before anything is made
// for them.
TEST(ShapeFileHostile, CountsBeyondTheBytesLeftAreRefused) {
    const std::uint32_t huge[] = {0xFFFFFFFFu, 0x80000000u, 0x10000000u, 1000u};
    for (std::uint32_t n : huge) {
        SCOPED_TRACE(n);
        expectRefused(ShapeFileBytes().bounds(0, 0, 1, 1).u32(n).bytes(), "layers");
        expectRefused(ShapeFileBytes().bounds(0, 0, 1, 1).u32(1).u32(n).f32(1).bytes(), "colours");
        expectRefused(ShapeFileBytes().bounds(0, 0, 1, 1).u32(1).u32(0).u32(n).f32(0).f32(0).bytes(), "points");
        expectRefused(ShapeFileBytes().bounds(0, 0, 1, 1).u32(1).u32(0).u32(0).u32(n).u32(3).bytes(), "contours");
        ShapeFileBytes indices;
        indices.bounds(0, 0, 1, 1).u32(1).u32(0).u32(3).f32(0).f32(0).f32(1).f32(0).f32(1).f32(1).u32(1).u32(n);
        indices.u32(0).u32(1).u32(2);
        expectRefused(indices.bytes(), "indices");
    }
}

// A package that claims far more bytes than its entry holds: the counts pass
// the first check, and the lists only grow as their items arrive, so the
// short data ends the read.
TEST(ShapeFileHostile, APackageClaimingMoreBytesThanItHasEndsInAStreamError) {
    FolderPackage package;
    package.claimedSize = 0xFFFFFFF0u;
    package.put("points.dat", ShapeFileBytes().bounds(0, 0, 1, 1).u32(1).u32(0).u32(0x10000000u).f32(0).bytes());
    package.put("layers.dat", ShapeFileBytes().bounds(0, 0, 1, 1).u32(0x10000000u).u32(0).bytes());
    ShapeFile file;
    EXPECT_THROW(loadShapeFile(file, package, "points.dat"), TAVO::StreamException);
    EXPECT_THROW(loadShapeFile(file, package, "layers.dat"), TAVO::StreamException);
}

TEST(ShapeFileHostile, IndicesBeyondTheLayersPointsAreRefused) {
    ShapeFileBytes bytes;
    bytes.bounds(0, 0, 1, 1).u32(1).layer({}, squarePoints(0, 0, 1), {{0, 1, 2, 4}});
    expectRefused(bytes.bytes(), "index 4 of four points");
    ShapeFileBytes second;
    // Indices count within their own layer: layer 1 has only three points.
    second.bounds(0, 0, 1, 1).u32(2).layer({}, squarePoints(0, 0, 0.5f), {{0, 1, 2, 3}});
    second.layer({}, {{0.6f, 0.6f}, {0.9f, 0.6f}, {0.9f, 0.9f}}, {{0, 1, 3}});
    expectRefused(second.bytes(), "index 3 of three points");
}

TEST(ShapeFileHostile, BoundsAndPointsMustBeFiniteAndTheBoundsNotEmpty) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    auto withBounds = [](float x, float y, float w, float h) {
        return ShapeFileBytes().bounds(x, y, w, h).u32(1).layer({}, squarePoints(0, 0, 1), {{0, 1, 2, 3}}).bytes();
    };
    expectRefused(withBounds(nan, 0, 1, 1), "a bound not a number");
    expectRefused(withBounds(0, 0, inf, 1), "an infinite bound");
    expectRefused(withBounds(0, 0, 0, 1), "no width");
    expectRefused(withBounds(0, 0, 1, -1), "a negative height");
    expectRefused(ShapeFileBytes().bounds(0, 0, 1, 1).u32(1).layer({}, {{0, 0}, {1, nan}, {1, 1}}, {{0, 1, 2}}).bytes(),
                  "a point not a number");
}

// Seeded damage to real files: flipped bytes and words overwritten with
// large or small numbers. Every load ends in content or an exception, never
// in a crash, a hang or a runaway allocation (the sanitizer build runs this).
TEST(ShapeFileHostile, DamagedFilesLoadOrFailCleanly) {
    BuiltInPackage builtIn;
    std::mt19937 random(20250120u);
    for (const char* name : {"assets/play.dat", "assets/error.dat", "assets/digits.dat", "assets/title.dat"}) {
        const std::string original = builtIn.entry(name);
        for (int round = 0; round < 400; ++round) {
            const std::string bytes = damaged(original, random);
            loadAnything(bytes);
        }
    }
}
