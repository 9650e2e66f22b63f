#include "ui/menu/MenuBuilder.h"

#include <algorithm>
#include <cmath>
#include <numbers>

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

namespace {

const TAVO::Vector<2, float> centre(0.5f, 0.5f);
const TAVO::Hyperrectangle<2, float> unitRectangle(TAVO::Point<2, float>(0.0f, 0.0f),
                                                   TAVO::Tuple<2, float>(1.0f, 1.0f));

// The distance between neighbouring pieces of a puzzle icon, in cells.
constexpr float iconPieceDistance = 1.75f;
// The segments of a disc.
constexpr unsigned int discSegments = 16;

// The smallest rectangle around the points; empty at the origin for none.
TAVO::Hyperrectangle<2, float> boundsOf(const std::vector<TAVO::Point<2, float>>& points) {
    if (points.empty())
        return TAVO::Hyperrectangle<2, float>(TAVO::Point<2, float>(0.0f, 0.0f), TAVO::Tuple<2, float>(0.0f, 0.0f));
    TAVO::Point<2, float> low = points.front(), high = low;
    for (const auto& p : points)
        for (int i = 0; i < 2; ++i) {
            low[i] = std::min(low[i], p[i]);
            high[i] = std::max(high[i], p[i]);
        }
    return TAVO::Hyperrectangle<2, float>(low, TAVO::Tuple<2, float>(high[0] - low[0], high[1] - low[1]));
}

} // namespace

const char* const MenuBuilder::roundSquareName = "assets/roundsquare.dat";

MenuBuilder::MenuBuilder(Shape::ShapeShader& shader, const TAVO::Package& package,
                         std::shared_ptr<Component> busyIndicator, const MenuStyle& style)
    : shader_(shader), package_(package), style_(style),
      busyIndicator_(std::make_unique<SharedComponent>(std::move(busyIndicator))) {}

const ShapeFile& MenuBuilder::loadShape(const std::string& name) {
    loadShapeFile(scratch_, package_, name);
    return scratch_;
}

std::unique_ptr<Shape> MenuBuilder::rectangle(const TAVO::Tuple<2, float>& size, const TAVO::Color& color) {
    Polygon square;
    square.insertRectangle(unitRectangle);
    return std::make_unique<Shape>(shader_, square, unitRectangle, size, color, false);
}

std::unique_ptr<Shape> MenuBuilder::rectangleWithAlpha(const TAVO::Tuple<2, float>& size, const TAVO::Color& color,
                                                       float alpha) {
    std::unique_ptr<Shape> shape = rectangle(size, color);
    shape->setColor(color, alpha);
    return shape;
}

std::unique_ptr<Shape> MenuBuilder::texturedSquare(Shape::ShapeShader& shader, const TAVO::Tuple<2, float>& size,
                                                   const TAVO::Color& color, std::shared_ptr<Shape::Texture> texture,
                                                   const TAVO::Hyperrectangle<2, float>& region) {
    Polygon square;
    square.insertRectangle(unitRectangle);
    if (!texture) {
        auto shape = std::make_unique<Shape>(shader, square, unitRectangle, size, color, true);
        shape->setTextureRegion(region);
        return shape;
    }
    return std::make_unique<Shape>(shader, square, unitRectangle, size, color, std::move(texture), region);
}

std::unique_ptr<SharedComponent> MenuBuilder::busyIndicator() {
    return std::make_unique<SharedComponent>(busyIndicator_->shared());
}

std::unique_ptr<Component> MenuBuilder::onBackground(const TAVO::Tuple<2, float>& size,
                                                     const std::shared_ptr<Component>& outer,
                                                     const std::shared_ptr<Component>& inner,
                                                     std::unique_ptr<Component> component) {
    const TAVO::Vector<2, float> raised(0.0f, style_.itemMargin / 2.0f);
    auto panel = std::make_unique<Panel>(size, false);
    panel->add(std::make_unique<SharedComponent>(outer), centre, centre, false);
    panel->add(std::make_unique<SharedComponent>(inner), centre, centre, raised, false);
    panel->add(std::move(component), centre, centre, raised, false);
    return panel;
}

std::unique_ptr<Component> MenuBuilder::onRoundedSquare(std::unique_ptr<Component> component) {
    const TAVO::Tuple<2, float> size = style_.itemSize;
    const float m = style_.itemMargin;
    if (!outerSquare_)
        outerSquare_ = std::make_shared<Shape>(shader_, loadShape(roundSquareName), size, style_.outerColor, false);
    if (!innerSquare_)
        innerSquare_ = std::make_shared<Shape>(shader_, loadShape(roundSquareName),
                                               TAVO::Tuple<2, float>(size[0] - 2.0f * m, size[1] - 3.0f * m),
                                               style_.innerColor, false);
    return onBackground(size, outerSquare_, innerSquare_, std::move(component));
}

std::unique_ptr<Component> MenuBuilder::iconButtonFace(const std::string& name) {
    return onRoundedSquare(std::make_unique<Shape>(shader_, loadShape(name), style_.iconSize, style_.iconColor, false));
}

std::shared_ptr<Component> MenuBuilder::disc(const TAVO::Tuple<2, float>& size, const TAVO::Color& color) {
    // A fan around the centre: point 0 the centre, points 1 to 16 on the
    // circle counter-clockwise from angle 0.
    std::vector<TAVO::Point<2, float>> points{TAVO::Point<2, float>(0.0f, 0.0f)};
    for (unsigned int i = 0; i < discSegments; ++i) {
        const double a = 2.0 * std::numbers::pi * double(i) / double(discSegments);
        points.emplace_back(static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a)));
    }
    std::vector<TAVO::Tuple<3, unsigned int>> triangles;
    for (unsigned int i = 1; i < discSegments; ++i)
        triangles.emplace_back(0u, i, i + 1u);
    triangles.emplace_back(0u, discSegments, 1u);
    const TAVO::Hyperrectangle<2, float> bounds(TAVO::Point<2, float>(-1.0f, -1.0f), TAVO::Tuple<2, float>(2.0f, 2.0f));
    return std::make_shared<Shape>(shader_, points, triangles, bounds, size, color, false);
}

std::unique_ptr<Component> MenuBuilder::onDisc(std::unique_ptr<Component> component) {
    const TAVO::Tuple<2, float> size = style_.discSize;
    const float m = style_.itemMargin;
    if (!outerDisc_)
        outerDisc_ = disc(size, style_.outerColor);
    if (!innerDisc_)
        innerDisc_ = disc(TAVO::Tuple<2, float>(size[0] - 2.0f * m, size[1] - 3.0f * m), style_.innerColor);
    return onBackground(size, outerDisc_, innerDisc_, std::move(component));
}

std::pair<std::unique_ptr<Component>, std::unique_ptr<Component>> MenuBuilder::segmentFaces(
    const std::shared_ptr<Component>& content) {
    const ShapeFile& square = loadShape(roundSquareName);
    auto face = [&](const TAVO::Color& color) {
        auto panel = std::make_unique<Panel>(style_.itemSize, false);
        panel->add(std::make_unique<Shape>(shader_, square, style_.itemSize, color, false), centre, centre, false);
        panel->add(std::make_unique<SharedComponent>(content), centre, centre, false);
        return panel;
    };
    std::unique_ptr<Component> selected = face(style_.iconColor);
    std::unique_ptr<Component> normal = face(style_.innerColor);
    return {std::move(selected), std::move(normal)};
}

std::vector<Polygon> MenuBuilder::puzzlePieces(std::uint32_t count, std::uint32_t seed) {
    TAVO::MersenneTwister random;
    // The seed's four bytes in memory order: the picture depends on it alone.
    random.seed(TAVO::BorrowConstBuffer(&seed, sizeof seed));
    auto inner = std::make_shared<ClassicEdgeFactory>(&random, 1.0f, 16u, 0.0f);
    auto border = std::make_shared<StraightEdgeFactory>();
    GridPuzzleGenerator generator(&random, inner, border);
    // A square picture of three 8-bit channels, without pixels.
    const TAVO::Migration::ImageMetadata description(1, 1, 3, 24);
    const TAVO::Tuple<2, unsigned int> grid = GridPuzzleGenerator::gridSizeFor(count, description);
    generator.setGridSize(grid);
    generator.setRandomDirection(false);
    const TAVO::IncrementalBuffer noPixels;
    const std::unique_ptr<Puzzle> puzzle = generator.generate(
        TAVO::Tuple<2, float>(static_cast<float>(grid[0]), static_cast<float>(grid[1])), noPixels, description);

    std::vector<Polygon> pieces;
    for (std::uint32_t i = 0; i < puzzle->pieceCount(); ++i) {
        Polygon piece;
        puzzle->pieceOutline(i, piece);
        const TAVO::Hyperrectangle<2, float> bounds = boundsOf(piece.points());
        const float cx = bounds.origin()[0] + bounds.extent()[0] / 2.0f;
        const float cy = bounds.origin()[1] + bounds.extent()[1] / 2.0f;
        double turn = 0.0, direction = 0.0;
        float reach = 0.0f;
        random.readDouble(&turn, 1, 1.0);
        random.readFloat(&reach, 1, 0.2f);
        random.readDouble(&direction, 1, 1.0);
        const double angle = 2.0 * std::numbers::pi * turn;
        const float c = static_cast<float>(std::cos(angle)), s = static_cast<float>(std::sin(angle));
        const float rho = reach + 0.05f;
        const double phi = 2.0 * std::numbers::pi * direction;
        const float dx = iconPieceDistance * static_cast<float>(i % grid[0]) + rho * static_cast<float>(std::cos(phi));
        const float dy = iconPieceDistance * static_cast<float>(i / grid[0]) + rho * static_cast<float>(std::sin(phi));
        for (auto& p : piece.points()) {
            const float x = p[0] - cx, y = p[1] - cy;
            p = TAVO::Point<2, float>(c * x - s * y + dx, s * x + c * y + dy);
        }
        pieces.push_back(std::move(piece));
    }
    return pieces;
}

std::unique_ptr<Component> MenuBuilder::puzzleIcon(std::uint32_t count, std::uint32_t seed) {
    // Each piece is triangulated on its own: turned and nudged pieces may
    // overlap their neighbours, and overlapping outlines cannot be
    // triangulated together. Overlaps are drawn twice in one colour, which
    // shows the same as their union.
    std::vector<TAVO::Point<2, float>> points;
    std::vector<TAVO::Tuple<3, unsigned int>> triangles;
    for (const Polygon& piece : puzzlePieces(count, seed)) {
        const auto base = static_cast<unsigned int>(points.size());
        std::vector<TAVO::Tuple<3, unsigned int>> own;
        PolygonTriangulator(piece, TAVO::Vector<2, float>(0.0f, 1.0f), true).triangulate(own);
        points.insert(points.end(), piece.points().begin(), piece.points().end());
        for (const auto& t : own)
            triangles.emplace_back(base + t[0], base + t[1], base + t[2]);
    }
    return onRoundedSquare(std::make_unique<Shape>(shader_, points, triangles, boundsOf(points), style_.iconSize,
                                                   style_.iconColor, false));
}
