#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "geometry/Point.h"
#include "geometry/Tuple.h"

class Polygon;
class Puzzle;
class Table;

// The triangle meshes of every part of a game, built off the main thread and
// handed to the view. Vertices are in puzzle coordinates; the view places each
// part with its tray entry. Two kinds:
// - plain: the points of every piece outline, shared by its triangles, and
//   three vertex indices per triangle;
// - attribute: three vertices of its own per triangle, each carrying the
//   geometry of up to 12 nearby outline edges (4 floats each) from which the
//   part shader lights the piece edges.
class PartMeshSet {
public:
    // Where a part's triangles lie: the first index (plain) or vertex
    // (attribute), and three times the number of triangles.
    struct DrawRange {
        std::uint32_t first = 0;
        std::uint32_t count = 0;
    };

    // Appends the mesh of every part of every tray (trays in the table's
    // order, parts bottom first), one range per part. A piece outline that
    // cannot be cut into triangles throws PartMeshException naming the
    // piece (the first such piece in that order). Large tables are cut into
    // up to `threads` runs (0: one per core) built side by side as far as
    // the process has threads to spare (TAVO::Bands), which gives the same
    // bytes as building them one after the other. Every piece is cut into
    // triangles first, so that the meshes are sized once to what they hold
    // and each run writes its parts in place: the set holds no more memory
    // than its meshes take.
    void build(const Puzzle& puzzle, const Table& table, bool attributeLighting, unsigned int threads = 0);
    // Gives back the memory of every mesh and range: the set is empty, as
    // before build.
    void release();

    const std::map<unsigned int, std::vector<DrawRange>>& ranges() const { return ranges_; }
    // Two per vertex.
    const std::vector<float>& positions() const { return positions_; }
    // Plain meshes only: three per triangle.
    const std::vector<std::uint32_t>& indices() const { return indices_; }
    // Attribute meshes only: attributesPerVertex per vertex.
    const std::vector<float>& edgeAttributes() const { return edgeAttributes_; }
    std::uint32_t vertexCount() const { return std::uint32_t(positions_.size() / 2); }

    static constexpr std::uint32_t edgeSlots = 12;
    static constexpr std::uint32_t attributesPerVertex = 4 * edgeSlots;
    // Outline segments farther from a triangle than this fill no slot.
    static constexpr float nearbyDistance = 5.0f;
    // The distances an empty slot reports.
    static constexpr float emptySlotDistance = 1000.0f;

    // Fewer pieces than this a thread are built on the calling thread alone.
    static constexpr std::uint32_t piecesPerThread = 64;

private:
    using Triangles = std::vector<TAVO::Tuple<3, unsigned int>>;
    struct PieceMesh;

    // Writes the piece's plain mesh at its place in the set.
    void placePlain(const PieceMesh& piece);
    // Writes the piece's attribute mesh at its place in the set.
    void placeAttribute(const PieceMesh& piece);
    // Cuts one triangle into its vertices with their edge slots: two
    // positions and attributesPerVertex values a corner, written from the
    // pointers on.
    static void attributeTriangle(const Polygon& outline, const std::vector<std::uint32_t>& previous,
                                  const std::vector<std::uint32_t>& next, const TAVO::Tuple<3, unsigned int>& triangle,
                                  float* positions, float* attributes);

    std::map<unsigned int, std::vector<DrawRange>> ranges_;
    std::vector<float> positions_;
    std::vector<std::uint32_t> indices_;
    std::vector<float> edgeAttributes_;
};
