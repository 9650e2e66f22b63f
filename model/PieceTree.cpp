#include "model/PieceTree.h"

#include <bit>

using TAVO::Point;
using TAVO::Vector;

static_assert(std::bit_cast<std::uint32_t>(PieceTree::shortest) == 0x358637BEu);

namespace {

// Squares summed in float.
float squaredLength(const Vector<2, float>& d) { return d[0] * d[0] + d[1] * d[1]; }

enum class Side { front, back, on };

} // namespace

bool PieceTree::makeNode(const Point<2, float>& a, const Point<2, float>& b, Node& node) {
    const Vector<2, float> d = b - a;
    if (!(squaredLength(d) >= shortest))
        return false;
    // n = (-(b.y - a.y) / len, (b.x - a.x) / len), len with the square root in double.
    const float len = TAVO::length(d);
    const Vector<2, float> normal(-d[1] / len, d[0] / len);
    // offset = n . a, summed from 0.
    node.plane = TAVO::Hyperplane<2, float>(normal, a);
    node.front = -1;
    node.back = -1;
    return true;
}

void PieceTree::insert(const Point<2, float>& a, const Point<2, float>& b) {
    if (nodes_.empty()) {
        Node root;
        if (makeNode(a, b, root))
            nodes_.push_back(root);
        return;
    }
    // Work in hand: a piece of segment bound for a child of a node (or for
    // the root itself). Taken last in, first out, and the back piece pushed
    // before the front piece, the front piece and all it splits into are
    // placed before the back piece, and the new nodes get their indices in
    // that order.
    struct Task {
        std::int32_t parent; // -1: the root
        bool front;
        Point<2, float> a, b;
    };
    std::vector<Task> tasks{{-1, true, a, b}};
    while (!tasks.empty()) {
        const Task task = tasks.back();
        tasks.pop_back();
        std::int32_t k = 0;
        if (task.parent >= 0) {
            std::int32_t& child = task.front ? nodes_[task.parent].front : nodes_[task.parent].back;
            if (child < 0) {
                Node node;
                if (makeNode(task.a, task.b, node)) {
                    child = std::int32_t(nodes_.size());
                    nodes_.push_back(node);
                }
                continue;
            }
            k = child;
        }
        if (!(squaredLength(task.b - task.a) >= shortest))
            continue;
        const TAVO::Hyperplane<2, float>& plane = nodes_[k].plane;
        auto side = [&](const Point<2, float>& e) {
            // s = n . e - d
            const float s = TAVO::dot(plane.normal(), Vector<2, float>(e[0], e[1])) - plane.offset();
            return s > onLine ? Side::front : s < -onLine ? Side::back : Side::on;
        };
        const Side sa = side(task.a), sb = side(task.b);
        bool hasFront = false, hasBack = false;
        Point<2, float> frontA, frontB, backA, backB;
        if ((sa == Side::front && sb == Side::back) || (sa == Side::back && sb == Side::front)) {
            // Split from the front end o towards the other end: t = (d - n.o) / (n.u).
            const Point<2, float>& o = sa == Side::front ? task.a : task.b;
            const Point<2, float>& other = sa == Side::front ? task.b : task.a;
            const Vector<2, float> u = TAVO::normalised(other - o);
            const float nu = TAVO::dot(plane.normal(), u);
            const float no = TAVO::dot(plane.normal(), Vector<2, float>(o[0], o[1]));
            const float t = (nu < parallel && nu > -parallel) ? 0.0f : (plane.offset() - no) / nu;
            const Point<2, float> split = o + u * t;
            hasFront = hasBack = true;
            if (sa == Side::front) {
                frontA = task.a, frontB = split, backA = split, backB = task.b;
            } else {
                backA = task.a, backB = split, frontA = split, frontB = task.b;
            }
        } else {
            hasFront = sa == Side::front || sb == Side::front || (sa == Side::on && sb == Side::on);
            hasBack = sa == Side::back || sb == Side::back || (sa == Side::on && sb == Side::on);
            frontA = backA = task.a;
            frontB = backB = task.b;
        }
        if (hasBack)
            tasks.push_back({k, false, backA, backB});
        if (hasFront)
            tasks.push_back({k, true, frontA, frontB});
    }
}

bool PieceTree::contains(const Point<2, float>& p) const {
    if (nodes_.empty())
        return false;
    std::int32_t k = 0;
    while (true) {
        const Node& node = nodes_[k];
        const float s = TAVO::dot(node.plane.normal(), Vector<2, float>(p[0], p[1])) - node.plane.offset();
        if (s > 0.0f) {
            if (node.front < 0)
                return true;
            k = node.front;
        } else {
            if (node.back < 0)
                return false;
            k = node.back;
        }
    }
}
