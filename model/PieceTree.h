#pragma once

#include <cstdint>
#include <vector>

#include "geometry/Hyperplane.h"
#include "geometry/Point.h"

// A binary space partition of one piece's outline for hit tests. Its lines
// are the outline's segments, each with the piece's inside on its front
// side; a walk from the root ends inside when it leaves through a front side.
class PieceTree {
public:
    struct Node {
        // A point p is in front when normal . p - offset > 0.
        TAVO::Hyperplane<2, float> plane;
        std::int32_t front = -1; // -1: no child
        std::int32_t back = -1;
    };

    // Adds the segment from a to b, splitting it where it crosses node lines.
    // Segments shorter than 0.001 are ignored.
    void insert(const TAVO::Point<2, float>& a, const TAVO::Point<2, float>& b);
    // Whether the point lies inside; a point on a line counts as behind it.
    bool contains(const TAVO::Point<2, float>& p) const;

    // Gives back the room the nodes were grown with beyond those made: a
    // tree is made once and kept for the game.
    void shrink() { nodes_.shrink_to_fit(); }

    const std::vector<Node>& nodes() const { return nodes_; }
    bool empty() const { return nodes_.empty(); }

    // |b - a|^2 below this makes no node.
    static constexpr float shortest = 1.0000001e-6f;
    // Ends closer than this to a line count as on it.
    static constexpr float onLine = 0.001f;
    // |n . u| below this counts as parallel when splitting.
    static constexpr float parallel = 1.1920929e-7f;

private:
    // The node of the segment from a to b; false when it is too short.
    static bool makeNode(const TAVO::Point<2, float>& a, const TAVO::Point<2, float>& b, Node& node);

    std::vector<Node> nodes_;
};
