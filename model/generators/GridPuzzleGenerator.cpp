#include "model/generators/GridPuzzleGenerator.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "foundation/exceptions/BoundException.h"
#include "imaging/ImageMetadata.h"
#include "model/Puzzle.h"
#include "model/edges/EdgeFactory.h"
#include "model/edges/RandomDirectionEdgeFactory.h"
#include "model/generators/PuzzleGenerationException.h"

using TAVO::Point;
using TAVO::Tuple;

namespace {

void checkSide(GridPuzzleGenerator::Side side) {
    if (side >= 4)
        throw TAVO::BoundException<GridPuzzleGenerator::Side>(TAVO::SourceLocation(), side,
                                                              GridPuzzleGenerator::Side(4));
}

// truncate(value) for a value the caller knows to lie in [0, 2^32); anything
// else (not-a-number, negative, too large) saturates instead of being undefined.
template <class F>
std::uint32_t toCount(F value) {
    if (!(value >= F(0)))
        return 0;
    if (value >= F(4294967296.0))
        return 0xFFFFFFFFu;
    return std::uint32_t(value);
}

// |cShort * cLong - N| with the difference taken in signed 32-bit arithmetic
// (wrapping), its magnitude in 64 bits so that the lowest value has one.
long long distanceTo(std::uint32_t a, std::uint32_t b, std::uint32_t count) {
    const std::int32_t difference = std::int32_t(a * b - count);
    return std::llabs(static_cast<long long>(difference));
}

} // namespace

// Which lines a pass walks: pass 1 the rows (sides atY and atNextY), pass 2
// the columns (sides atX and atNextX).
struct GridPuzzleGenerator::Pass {
    bool rows;
    int parity;

    int lineCount(const Layout& layout) const { return rows ? layout.size[1] : layout.size[0]; }
    int lineLength(const Layout& layout) const { return rows ? layout.size[0] : layout.size[1]; }
    Side nearSide() const { return rows ? atY : atX; }
    Side farSide() const { return rows ? atNextY : atNextX; }
    // Cell coordinates of position i on line l.
    int x(int line, int i) const { return rows ? i : line; }
    int y(int line, int i) const { return rows ? line : i; }
};

GridPuzzleGenerator::Cell& GridPuzzleGenerator::Layout::cell(int x, int y) {
    if (x < 0 || y < 0 || x >= size[0] || y >= size[1])
        throw PuzzleGenerationException(TAVO::SourceLocation(),
                                        "(" + std::to_string(x) + "," + std::to_string(y) + ") out of bound. ");
    return cells[std::size_t(y) * std::size_t(size[0]) + std::size_t(x)];
}

const Point<2, float>& GridPuzzleGenerator::Layout::corner(int i, int j) const {
    return corners[std::size_t(j) * std::size_t(size[0] + 1) + std::size_t(i)];
}

GridPuzzleGenerator::GridPuzzleGenerator(TAVO::RandomSource* random, std::shared_ptr<EdgeFactory> inner,
                                         std::shared_ptr<EdgeFactory> border)
    : random_(random), inner_(std::move(inner)), border_(std::move(border)) {}

Tuple<2, int> GridPuzzleGenerator::startCorner(Side side, int x, int y) {
    checkSide(side);
    static const int dx[4] = {1, 1, 0, 0}, dy[4] = {0, 1, 1, 0};
    return Tuple<2, int>(x + dx[side], y + dy[side]);
}

Tuple<2, int> GridPuzzleGenerator::neighbour(Side side, int x, int y) {
    checkSide(side);
    static const int dx[4] = {1, 0, -1, 0}, dy[4] = {0, 1, 0, -1};
    return Tuple<2, int>(x + dx[side], y + dy[side]);
}

GridPuzzleGenerator::Side GridPuzzleGenerator::opposite(Side side) {
    checkSide(side);
    return Side((side + 2) % 4);
}

void GridPuzzleGenerator::createSide(Puzzle& puzzle, Layout& layout, EdgeFactory& factory, int x, int y,
                                     Side side) {
    Cell& cell = layout.cell(x, y);
    const Tuple<2, int> from = startCorner(side, x, y);
    const Tuple<2, int> to = startCorner(Side((side + 1) % 4), x, y);
    std::unique_ptr<Edge> edge;
    factory.create(edge, layout.corner(from[0], from[1]), layout.corner(to[0], to[1]));
    cell.edges[side] = puzzle.addEdge(std::move(edge));
    cell.reversed[side] = 0;
}

void GridPuzzleGenerator::shareSide(Layout& layout, int x, int y, Side side) {
    const Tuple<2, int> across = neighbour(side, x, y);
    const Side mirrored = opposite(side);
    const Cell& other = layout.cell(across[0], across[1]);
    const std::uint32_t edge = other.edges[mirrored];
    const std::uint8_t reversed = other.reversed[mirrored] ? 0 : 1;
    Cell& cell = layout.cell(x, y);
    cell.edges[side] = edge;
    cell.reversed[side] = reversed;
}

void GridPuzzleGenerator::runRandomPass(Puzzle& puzzle, Layout& layout, const Pass& pass) {
    const int lines = pass.lineCount(layout), length = pass.lineLength(layout);
    RandomDirectionEdgeFactory randomDirection(inner_.get(), random_);
    for (int i = 0; i < length; ++i)
        createSide(puzzle, layout, *border_, pass.x(0, i), pass.y(0, i), pass.nearSide());
    for (int l = 1; l < lines; ++l)
        for (int i = 0; i < length; ++i)
            createSide(puzzle, layout, randomDirection, pass.x(l, i), pass.y(l, i), pass.nearSide());
    for (int l = 0; l + 1 < lines; ++l)
        for (int i = 0; i < length; ++i)
            shareSide(layout, pass.x(l, i), pass.y(l, i), pass.farSide());
    for (int i = 0; i < length; ++i)
        createSide(puzzle, layout, *border_, pass.x(lines - 1, i), pass.y(lines - 1, i), pass.farSide());
}

void GridPuzzleGenerator::runAlternatingPass(Puzzle& puzzle, Layout& layout, const Pass& pass) {
    const int lines = pass.lineCount(layout), length = pass.lineLength(layout);
    const int p = pass.parity;
    // A cell at position i on line l makes its inner edges when i + l + p is even.
    for (int i = 0; i < length; ++i)
        createSide(puzzle, layout, *border_, pass.x(0, i), pass.y(0, i), pass.nearSide());
    if (lines >= 2)
        for (int i = p; i < length; i += 2)
            createSide(puzzle, layout, *inner_, pass.x(0, i), pass.y(0, i), pass.farSide());
    for (int l = 1; l < lines; ++l) {
        const int q = (p + l) % 2;
        for (int i = q; i < length; i += 2)
            createSide(puzzle, layout, *inner_, pass.x(l, i), pass.y(l, i), pass.nearSide());
        if (l + 1 < lines)
            for (int i = q; i < length; i += 2)
                createSide(puzzle, layout, *inner_, pass.x(l, i), pass.y(l, i), pass.farSide());
    }
    for (int i = 0; i < length; ++i)
        createSide(puzzle, layout, *border_, pass.x(lines - 1, i), pass.y(lines - 1, i), pass.farSide());
    for (int l = 0; l < lines; ++l) {
        const int q = (p + l) % 2;
        if (l > 0)
            for (int i = 1 - q; i < length; i += 2)
                shareSide(layout, pass.x(l, i), pass.y(l, i), pass.nearSide());
        if (l + 1 < lines)
            for (int i = 1 - q; i < length; i += 2)
                shareSide(layout, pass.x(l, i), pass.y(l, i), pass.farSide());
    }
}

std::unique_ptr<Puzzle> GridPuzzleGenerator::generate(const Tuple<2, float>& size, const TAVO::Buffer&,
                                                      const TAVO::Migration::ImageMetadata&) {
    const std::uint32_t columns = grid_[0], rows = grid_[1];
    auto puzzle = std::make_unique<Puzzle>();
    if (columns == 0 && rows == 0)
        return puzzle;
    // A grid with one zero dimension has no cell (0, 0) to start from.
    if (columns == 0 || rows == 0)
        throw PuzzleGenerationException(TAVO::SourceLocation(), "(0,0) out of bound. ");
    if (std::uint64_t(columns) * rows > maximumPieces)
        throw PuzzleGenerationException(TAVO::SourceLocation(),
                                        "A grid of " + std::to_string(columns) + " x " + std::to_string(rows) +
                                            " pieces has more than " + std::to_string(maximumPieces) + ". ");
    Layout layout;
    layout.size = Tuple<2, int>(int(columns), int(rows));
    layout.cells.resize(std::size_t(columns) * rows);
    layout.corners.reserve(std::size_t(columns + 1) * (rows + 1));
    for (std::uint32_t j = 0; j <= rows; ++j)
        for (std::uint32_t i = 0; i <= columns; ++i)
            // Corner (i, j) = ((float(i) / float(C)) * W, (float(j) / float(R)) * H).
            layout.corners.emplace_back((float(i) / float(columns)) * size[0], (float(j) / float(rows)) * size[1]);

    const Pass rowPass{true, 0}, columnPass{false, 1};
    if (randomDirection_) {
        runRandomPass(*puzzle, layout, rowPass);
        runRandomPass(*puzzle, layout, columnPass);
    } else {
        runAlternatingPass(*puzzle, layout, rowPass);
        runAlternatingPass(*puzzle, layout, columnPass);
    }

    for (Cell& cell : layout.cells)
        cell.piece = puzzle->addPiece();
    for (int y = 0; y < layout.size[1]; ++y)
        for (int x = 0; x < layout.size[0]; ++x) {
            const Cell& cell = layout.cell(x, y);
            Puzzle::Piece& piece = puzzle->piece(cell.piece);
            piece.reserve(4);
            for (std::uint32_t s = 0; s < 4; ++s) {
                const Tuple<2, int> across = neighbour(Side(s), x, y);
                const bool inside = across[0] >= 0 && across[1] >= 0 && across[0] < layout.size[0] &&
                                    across[1] < layout.size[1];
                PieceEdge record;
                record.neighbour = inside ? layout.cell(across[0], across[1]).piece : PieceEdge::border;
                record.edge = cell.edges[s];
                record.reversed = cell.reversed[s];
                record.startsContour = s == 0 ? 1 : 0;
                piece.push_back(record);
            }
        }
    return puzzle;
}

Tuple<2, unsigned int> GridPuzzleGenerator::gridSizeFor(std::uint32_t count,
                                                        const TAVO::Migration::ImageMetadata& description) {
    // No pieces: no grid (the square root below would be infinite and its
    // quotient not a number).
    if (count == 0)
        return Tuple<2, unsigned int>(0u, 0u);
    const std::uint32_t width = description.width(), height = description.height();
    std::uint32_t longSide = width > height ? width : height;
    std::uint32_t area = width * height;
    if (area == 0)
        longSide = area = 1;
    // All in double: side = sqrt(area / N); nLong = trunc(long / side + 0.5);
    // nShort = trunc(N / nLong + 0.5).
    const double side = std::sqrt(double(area) / double(count));
    const std::uint32_t nLong = toCount(double(longSide) / side + 0.5);
    const std::uint32_t nShort = toCount(double(count) / double(nLong) + 0.5);
    if (height > width)
        return Tuple<2, unsigned int>(nShort, nLong);
    return Tuple<2, unsigned int>(nLong, nShort);
}

Tuple<2, unsigned int> GridPuzzleGenerator::searchGridSize(std::uint32_t count, std::uint32_t width,
                                                           std::uint32_t height, float limit) {
    const std::uint32_t longSide = width >= height ? width : height;
    const std::uint32_t shortSide = width >= height ? height : width;
    if (longSide == 0 || shortSide == 0 || count == 0)
        return Tuple<2, unsigned int>(1u, 1u);
    // Everything below in float; a limit above 1 becomes 1.0f / limit.
    if (limit > 1.0f)
        limit = 1.0f / limit;
    const float L = float(longSide), S = float(shortSide), N = float(count);
    // x = (L * N) / S; nLong = trunc(roundf(sqrtf(x))); nShort = trunc(roundf(N / nLong));
    // nMax = trunc(ceilf(sqrtf(x / limit))).
    const float x = (L * N) / S;
    const std::uint32_t nLong0 = toCount(std::round(std::sqrt(x)));
    std::uint32_t nLong = nLong0;
    std::uint32_t nShort = toCount(std::round(N / float(nLong)));
    const std::uint32_t nMax = toCount(std::ceil(std::sqrt(x / limit)));
    const std::uint32_t spread = nMax > nLong0 ? nMax - nLong0 : nLong0 - nMax;
    const std::uint32_t steps = spread < 1 ? 1 : spread > 20 ? 20 : spread;
    // The aspect of a pair: (cShort * L) / (S * cLong), 1 / a when above 1.
    auto aspect = [&](std::uint32_t cLong, std::uint32_t cShort) {
        const float a = (float(cShort) * L) / (S * float(cLong));
        return a > 1.0f ? 1.0f / a : a;
    };
    for (std::uint32_t k = 1; k <= steps; ++k) {
        for (int sign = -1; sign <= 1; sign += 2) {
            // Candidates below one column are skipped: dividing by 0 would
            // give an infinite count that converts to no integer.
            if (sign < 0 && k >= nLong0)
                continue;
            const std::uint32_t cLong = sign < 0 ? nLong0 - k : nLong0 + k;
            const std::uint32_t cShort = toCount(std::round(N / float(cLong)));
            const float a = aspect(cLong, cShort);
            const float b = aspect(nLong, nShort);
            if (!(a > limit || a > b))
                continue;
            const long long candidate = distanceTo(cShort, cLong, count), best = distanceTo(nShort, nLong, count);
            if (candidate < best || (candidate == best && a > b)) {
                nLong = cLong;
                nShort = cShort;
            }
        }
    }
    // A very long picture can round its short side to 0 pieces. It gets
    // one, and the long side then takes the requested count, which a single
    // row or column realises exactly (the long side was searched for the
    // short side's zero and would multiply the count).
    if (nShort == 0) {
        nShort = 1;
        nLong = count;
    }
    if (nLong == 0)
        nLong = 1;
    if (width >= height)
        return Tuple<2, unsigned int>(nLong, nShort);
    return Tuple<2, unsigned int>(nShort, nLong);
}
