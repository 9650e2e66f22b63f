// Times a new game from the cut to the meshes the view draws, for 1000 and
// 10000 pieces (or the counts given): the cut of the set-up, the scatter onto
// the table, the plain and the attribute meshes; then the triangulator on piece
// outlines and on the outer outline of joined blocks of pieces, the meshes of a
// part of every piece, and the worst joins of a large part.
//
//   bench_puzzle_table [requested pieces ...]

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "geometry/Polygon.h"
#include "geometry/PolygonTriangulator.h"
#include "imaging/ImageMetadata.h"
#include "imaging/Picture.h"
#include "model/PartMeshSet.h"
#include "model/Puzzle.h"
#include "model/Setup.h"
#include "model/Table.h"

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

Setup setupFor(unsigned requested) {
    Picture picture;
    picture.metadata() = TAVO::Migration::ImageMetadata(4000, 3000, 3, 24);
    Setup setup;
    setup.setPicture("picture", picture);
    setup.setRequestedPieceCount(requested);
    return setup;
}

double triangulate(const Polygon& outline, std::size_t& triangles) {
    const auto start = Clock::now();
    PolygonTriangulator triangulator(outline, TAVO::Vector<2, float>(0.0f, 1.0f), true);
    std::vector<TAVO::Tuple<3, unsigned int>> out;
    triangulator.triangulate(out);
    triangles = out.size();
    return since(start);
}

// The outer outline of the block of pieces [x0, x0 + n) x [y0, y0 + n) of a
// grid: the records of the block's pieces that face a piece outside it,
// chained end to start.
Polygon blockOutline(const Puzzle& puzzle, unsigned columns, unsigned x0, unsigned y0, unsigned n) {
    auto inside = [&](std::uint32_t piece) {
        if (piece == PieceEdge::border)
            return false;
        const unsigned x = piece % columns, y = piece / columns;
        return x >= x0 && x < x0 + n && y >= y0 && y < y0 + n;
    };
    struct Walk {
        std::vector<TAVO::Point<2, float>> points;
    };
    std::multimap<std::pair<long, long>, Walk> byStart;
    auto key = [](const TAVO::Point<2, float>& p) { return std::make_pair(std::lround(p[0] * 8), std::lround(p[1] * 8)); };
    for (unsigned y = y0; y < y0 + n; ++y)
        for (unsigned x = x0; x < x0 + n; ++x)
            for (const PieceEdge& record : puzzle.piece(y * columns + x)) {
                if (inside(record.neighbour))
                    continue;
                const Edge& edge = puzzle.edge(record.edge);
                Walk walk;
                for (std::uint32_t j = 0; j < edge.pointCount(); ++j)
                    walk.points.push_back(edge.point(record.reversed ? edge.pointCount() - 1 - j : j));
                byStart.emplace(key(walk.points.front()), walk);
            }
    Polygon outline;
    Polygon::Contour contour;
    auto it = byStart.begin();
    while (it != byStart.end()) {
        const Walk walk = it->second;
        byStart.erase(it);
        for (std::size_t j = 1; j < walk.points.size(); ++j)
            contour.push_back(outline.addPoint(walk.points[j]));
        it = byStart.find(key(walk.points.back()));
    }
    outline.addContour(contour);
    return outline;
}

void newGame(unsigned requested) {
    Setup setup = setupFor(requested);
    auto start = Clock::now();
    const std::unique_ptr<Puzzle> puzzle = setup.generate();
    const double cut = since(start);
    const double pieces = puzzle->pieceCount();

    Table table;
    start = Clock::now();
    table.scatter(puzzle.get(), setup.puzzleSize());
    const double scatter = since(start);

    PartMeshSet plain;
    start = Clock::now();
    plain.build(*puzzle, table, false);
    const double plainTime = since(start);

    PartMeshSet attribute;
    start = Clock::now();
    attribute.build(*puzzle, table, true);
    const double attributeTime = since(start);

    std::printf("new game of %u pieces (grid %u x %u)\n", puzzle->pieceCount(), setup.grid()[0], setup.grid()[1]);
    std::printf("  cut              %9.1f ms  %7.1f us a piece\n", cut, 1000.0 * cut / pieces);
    std::printf("  scatter          %9.1f ms  %7.1f us a piece\n", scatter, 1000.0 * scatter / pieces);
    std::printf("  plain meshes     %9.1f ms  %7.1f us a piece  (%u vertices)\n", plainTime,
                1000.0 * plainTime / pieces, plain.vertexCount());
    std::printf("  attribute meshes %9.1f ms  %7.1f us a piece  (%u vertices)\n", attributeTime,
                1000.0 * attributeTime / pieces, attribute.vertexCount());
    std::printf("  cut + scatter + plain meshes %.1f ms, with attribute meshes %.1f ms\n",
                cut + scatter + plainTime, cut + scatter + attributeTime);
}

// Every part of the tray joined into part `into` in one join each, in piece order.
void joins(unsigned requested) {
    Setup setup = setupFor(requested);
    const std::unique_ptr<Puzzle> puzzle = setup.generate();
    const unsigned columns = setup.grid()[0];
    const std::uint32_t count = puzzle->pieceCount();

    // Piece outlines and the outer outlines of joined blocks.
    std::size_t triangles = 0, points = 0;
    double pieceTime = 0.0, worstPiece = 0.0;
    for (std::uint32_t p = 0; p < count; ++p) {
        Polygon outline;
        puzzle->pieceOutline(p, outline);
        points += outline.points().size();
        const double t = triangulate(outline, triangles);
        pieceTime += t;
        worstPiece = std::max(worstPiece, t);
    }
    std::printf("triangulator on %u piece outlines (%.1f points each): %.1f us each, worst %.1f us\n", count,
                double(points) / count, 1000.0 * pieceTime / count, 1000.0 * worstPiece);
    for (unsigned n : {5u, 10u, 20u, 40u, 70u}) {
        if (n > columns || n > setup.grid()[1])
            break;
        const Polygon outline = blockOutline(*puzzle, columns, 0, 0, n);
        const double t = triangulate(outline, triangles);
        std::printf("  outer outline of %5u joined pieces (%6zu points): %9.2f ms\n", n * n, outline.points().size(), t);
    }

    // A part of every piece: its mesh is the meshes of its pieces.
    Table table;
    table.scatter(puzzle.get(), setup.puzzleSize());
    std::vector<std::uint32_t> ids;
    for (auto parts = table.tray(0).parts(); parts.valid(); parts.next())
        ids.push_back(parts.current());
    // One by one into the part holding piece 0: every other join drops the
    // large part onto a piece, the others a piece onto the large part. Each
    // moves the large part's trees and recomputes its neighbours.
    std::uint32_t whole = 0;
    for (std::uint32_t id : ids)
        if (table.part(id).pieces().front() == 0)
            whole = id;
    const std::uint32_t first = whole;
    double joinTime = 0.0, worstJoin = 0.0;
    std::uint32_t joinsDone = 0;
    for (std::uint32_t id : ids) {
        if (id == first)
            continue;
        const bool dropLarge = joinsDone % 2 == 0;
        const std::uint32_t dropped = dropLarge ? whole : id, lying = dropLarge ? id : whole;
        const auto start = Clock::now();
        whole = table.joinParts(0, dropped, table.tray(0).partPose(dropped), {lying});
        const double t = since(start);
        joinTime += t;
        worstJoin = std::max(worstJoin, t);
        ++joinsDone;
    }
    std::printf("%u joins into one part of %u pieces: %.3f ms each, worst %.3f ms\n", joinsDone, count,
                joinTime / joinsDone, worstJoin);

    PartMeshSet meshes;
    auto start = Clock::now();
    meshes.build(*puzzle, table, false);
    std::printf("  plain mesh of the whole part: %.1f ms\n", since(start));
}

} // namespace

int main(int argc, char** argv) {
    std::vector<unsigned> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(unsigned(std::atoi(argv[i])));
    if (counts.empty())
        counts = {1000, 10000};
    for (unsigned requested : counts)
        newGame(requested);
    for (unsigned requested : counts)
        joins(requested);
    return 0;
}
