// Placing components by anchors, hit tests and the order in which a panel
// offers events, draws and updates.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Probe.h"
#include "TestShapes.h"
#include "foundation/exceptions/NotFoundException.h"
#include "ui/Panel.h"

using namespace UiTest;
using TAVO::Point;
using TAVO::Tuple;
using TAVO::Vector;

namespace {

// The normalised window point over a pixel of an 800 by 600 root: worked out
// by hand from the window's coordinates, not through any transform.
Point<2, float> overPixel(float x, float y) { return Point<2, float>(x / 400.0f - 1.0f, y / 300.0f - 1.0f); }

// Local points worked out through float transforms land within rounding.
void expectAt(const Point<2, float>& p, float x, float y) {
    EXPECT_NEAR(p[0], x, 1e-3);
    EXPECT_NEAR(p[1], y, 1e-3);
}

std::vector<std::string> eventsOf(const std::vector<std::string>& log, const std::string& kind) {
    std::vector<std::string> picked;
    for (const std::string& line : log)
        if (line.size() > kind.size() && line.substr(line.size() - kind.size()) == kind)
            picked.push_back(line);
    return picked;
}

struct Root {
    std::vector<std::string> log;
    Panel panel{Tuple<2, float>(800.0f, 600.0f), false};
    FrameTime frame;

    Probe& add(const std::string& name, Tuple<2, float> size, Vector<2, float> childAnchor,
               Vector<2, float> parentAnchor, bool takes = true, Vector<2, float> offset = Vector<2, float>(0, 0)) {
        auto probe = std::make_unique<Probe>(name, size, log, takes);
        Probe& raw = *probe;
        panel.add(std::move(probe), childAnchor, parentAnchor, offset, false);
        return raw;
    }
};

} // namespace

TEST(ComponentLayout, ARootMapsTheWindowOntoItsSize) {
    Panel root(Tuple<2, float>(800.0f, 600.0f), false);
    const ComponentTransform t = root.transform();
    EXPECT_EQ(t.apply(Point<2, float>(-1.0f, -1.0f)), (Point<2, float>(0.0f, 0.0f)));
    EXPECT_EQ(t.apply(Point<2, float>(0.0f, 0.0f)), (Point<2, float>(400.0f, 300.0f)));
    EXPECT_EQ(t.apply(Point<2, float>(1.0f, 1.0f)), (Point<2, float>(800.0f, 600.0f)));
    EXPECT_EQ(root.parent(), nullptr);
}

TEST(ComponentLayout, ARectangleOntoARectangle) {
    const TAVO::Hyperrectangle<2, float> a(Point<2, float>(-1, -1), Tuple<2, float>(2, 2));
    const TAVO::Hyperrectangle<2, float> b(Point<2, float>(10, 20), Tuple<2, float>(100, 50));
    const ComponentTransform t = ComponentTransform::between(a, b);
    EXPECT_EQ(t.apply(Point<2, float>(-1, -1)), (Point<2, float>(10, 20)));
    EXPECT_EQ(t.apply(Point<2, float>(1, 1)), (Point<2, float>(110, 70)));
    EXPECT_EQ(t.apply(Point<2, float>(0, 0)), (Point<2, float>(60, 45)));
}

// A centred 100 by 50 child covers (350, 275) to (450, 325) of the panel:
// lower bounds inclusive, upper bounds exclusive.
TEST(ComponentLayout, ACentredChildIsHitInsideItsHalfOpenRectangle) {
    Root root;
    Probe& child = root.add("child", Tuple<2, float>(100, 50), centre, centre);
    const std::pair<Point<2, float>, bool> cases[] = {
        {overPixel(350, 275), true},  {overPixel(449, 324), true},  {overPixel(450, 300), false},
        {overPixel(400, 325), false}, {overPixel(349, 300), false}, {overPixel(400, 274), false},
    };
    for (const auto& [position, hit] : cases) {
        root.log.clear();
        EXPECT_EQ(root.panel.pointerButton(root.frame, position, true), hit) << position[0] << ", " << position[1];
        EXPECT_EQ(root.log.size(), hit ? 1u : 0u);
        if (hit) {
            // The position reaches the child unchanged, in window coordinates.
            EXPECT_EQ(child.lastPosition, position);
        }
    }
    // The child's own transform puts the panel's (350, 275) at its origin.
    expectAt(child.transform().apply(overPixel(350, 275)), 0, 0);
    EXPECT_EQ(child.parent(), &root.panel);
}

TEST(ComponentLayout, CornerAnchorsAndOffsetsPlaceTheChild) {
    Root root;
    Probe& upperLeft = root.add("ul", Tuple<2, float>(100, 50), Vector<2, float>(0, 1), Vector<2, float>(0, 1));
    Probe& lowerRight = root.add("lr", Tuple<2, float>(100, 50), Vector<2, float>(1, 0), Vector<2, float>(1, 0));
    Probe& shifted = root.add("sh", Tuple<2, float>(10, 10), lowerLeft, lowerLeft, true, Vector<2, float>(30, 40));
    // Each child's lower-left corner is its local origin.
    expectAt(upperLeft.transform().apply(overPixel(0, 550)), 0, 0);
    expectAt(lowerRight.transform().apply(overPixel(700, 0)), 0, 0);
    expectAt(shifted.transform().apply(overPixel(30, 40)), 0, 0);
    EXPECT_EQ(anchorPoint(upperLeft, Vector<2, float>(0.5f, 1.0f)), (Point<2, float>(50, 50)));

    root.panel.setAnchors(shifted, centre, centre);
    // The offset stays.
    expectAt(shifted.transform().apply(overPixel(425, 335)), 0, 0);
    root.panel.setLayout(shifted, Vector<2, float>(1, 1), Vector<2, float>(1, 1), Vector<2, float>(0, 0));
    expectAt(shifted.transform().apply(overPixel(790, 590)), 0, 0);
}

// Nested panels keep the root's pixel scale; offsets add up.
TEST(ComponentLayout, NestedPanelsAddTheirPlacements) {
    Root root;
    auto inner = std::make_unique<Panel>(Tuple<2, float>(200, 100), false);
    Panel& innerRef = *inner;
    std::vector<std::string> log;
    auto leaf = std::make_unique<Probe>("leaf", Tuple<2, float>(20, 20), log, true);
    Probe& leafRef = *leaf;
    innerRef.add(std::move(leaf), lowerLeft, lowerLeft, Vector<2, float>(10, 20), false);
    root.panel.add(std::move(inner), centre, centre, false);
    // The inner panel covers (300, 250) to (500, 350); the leaf starts at (310, 270).
    const ComponentTransform t = leafRef.transform();
    EXPECT_EQ(t.scale, (Vector<2, float>(400, 300)));
    expectAt(t.apply(overPixel(310, 270)), 0, 0);
    EXPECT_TRUE(root.panel.pointerMotion(root.frame, overPixel(329, 289), false));
    EXPECT_FALSE(root.panel.pointerMotion(root.frame, overPixel(331, 289), false));
    EXPECT_EQ(log, (std::vector<std::string>{"leaf motion"}));
}

TEST(ComponentLayout, TheLaterOfTwoOverlappingChildrenIsOfferedFirstAndDrawnOnTop) {
    Root root;
    Probe& below = root.add("below", Tuple<2, float>(200, 200), centre, centre, true);
    Probe& above = root.add("above", Tuple<2, float>(100, 100), centre, centre, false);
    EXPECT_TRUE(root.panel.pointerButton(root.frame, overPixel(400, 300), true));
    EXPECT_EQ(root.log, (std::vector<std::string>{"above press", "below press"}));

    root.log.clear();
    above.takes = true;
    EXPECT_TRUE(root.panel.pointerButton(root.frame, overPixel(400, 300), false));
    EXPECT_EQ(root.log, (std::vector<std::string>{"above release"}));

    root.log.clear();
    root.panel.draw();
    EXPECT_EQ(root.log, (std::vector<std::string>{"below draw", "above draw"}));
    root.log.clear();
    root.panel.update(root.frame);
    EXPECT_EQ(root.log, (std::vector<std::string>{"above update", "below update"}));
    (void)below;
}

TEST(ComponentLayout, AnEmptyAreaAnswersWithTheOpaqueFlag) {
    std::vector<std::string> log;
    PlainDrag drag;
    FrameTime frame;
    for (bool opaque : {false, true}) {
        Panel panel(Tuple<2, float>(800, 600), opaque);
        panel.add(std::make_unique<Probe>("p", Tuple<2, float>(10, 10), log, true), lowerLeft, lowerLeft, false);
        EXPECT_EQ(panel.pointerButton(frame, overPixel(400, 300), true), opaque);
        EXPECT_EQ(panel.pointerMotion(frame, overPixel(400, 300), true), opaque);
        EXPECT_EQ(panel.dragOver(frame, overPixel(400, 300), drag, true), opaque);
        // A child that does not take the event leaves the answer to the flag too.
        panel.add(std::make_unique<Probe>("q", Tuple<2, float>(800, 600), log, false), lowerLeft, lowerLeft, false);
        EXPECT_EQ(panel.pointerButton(frame, overPixel(400, 300), true), opaque);
        EXPECT_EQ(panel.keyPress(frame, Component::escapeKey), true) << "p takes every key";
    }
    EXPECT_TRUE(eventsOf(log, "drag").empty()) << "the drag reached no child under it";
}

TEST(ComponentLayout, DragsReachTheChildUnderThePointer) {
    Root root;
    PlainDrag drag;
    root.add("a", Tuple<2, float>(100, 100), lowerLeft, lowerLeft, true);
    root.add("b", Tuple<2, float>(100, 100), Vector<2, float>(1, 1), Vector<2, float>(1, 1), true);
    EXPECT_TRUE(root.panel.dragOver(root.frame, overPixel(50, 50), drag, false));
    EXPECT_TRUE(root.panel.dragOver(root.frame, overPixel(750, 550), drag, true));
    EXPECT_FALSE(root.panel.dragOver(root.frame, overPixel(400, 300), drag, true));
    EXPECT_EQ(root.log, (std::vector<std::string>{"a drag", "b drop"}));
}

TEST(ComponentLayout, KeysGoToEveryChildLastToFirstWhereverThePointerIs) {
    Root root;
    root.add("first", Tuple<2, float>(10, 10), lowerLeft, lowerLeft, true);
    root.add("second", Tuple<2, float>(10, 10), centre, centre, false);
    root.add("third", Tuple<2, float>(10, 10), Vector<2, float>(1, 1), Vector<2, float>(1, 1), false);
    EXPECT_TRUE(root.panel.keyPress(root.frame, Component::enterKey));
    EXPECT_EQ(root.log, (std::vector<std::string>{"third key1", "second key1", "first key1"}));
}

TEST(ComponentLayout, SetGeometryResizesOnlyTheFollowersToTheFullSize) {
    std::vector<std::string> log;
    Panel panel(Tuple<2, float>(100, 100), false);
    auto follower = std::make_unique<Probe>("follower", Tuple<2, float>(1, 1), log);
    auto fixed = std::make_unique<Probe>("fixed", Tuple<2, float>(5, 5), log);
    Probe& f = *follower;
    Probe& x = *fixed;
    panel.add(std::move(follower), centre, centre, true);
    panel.add(std::move(fixed), centre, centre, false);
    panel.setGeometry(Tuple<2, float>(640, 480));
    EXPECT_EQ(panel.size(), (Tuple<2, float>(640, 480)));
    EXPECT_EQ(f.size(), (Tuple<2, float>(640, 480)));
    EXPECT_EQ(x.size(), (Tuple<2, float>(5, 5)));
    EXPECT_EQ(log, (std::vector<std::string>{"follower geometry"}));
}

// The layout of a component that is not a child is an error, not a new
// entry at the origin.
TEST(ComponentLayout, AComponentThatIsNotAChildHasNoLayout) {
    Root root;
    std::vector<std::string> log;
    Probe stranger("stranger", Tuple<2, float>(10, 10), log);
    Probe& child = root.add("child", Tuple<2, float>(10, 10), centre, centre);
    using NotFound = TAVO::NotFoundException<std::string>;
    EXPECT_THROW(root.panel.childTransform(stranger), NotFound);
    EXPECT_THROW(root.panel.layout(stranger), NotFound);
    EXPECT_THROW(root.panel.setAnchors(stranger, centre, centre), NotFound);
    EXPECT_THROW(root.panel.setLayout(stranger, centre, centre, centre), NotFound);
    EXPECT_THROW(root.panel.layout(stranger), NotFound) << "no entry was made on the way";
    EXPECT_NO_THROW(root.panel.layout(child));
    EXPECT_THROW(root.panel.add(nullptr, centre, centre, true), TAVO::Exception);
    EXPECT_EQ(root.panel.children().size(), 1u);
}

// A removed child keeps no pointer to its old parent, and the panel keeps no
// layout or follower entry for it.
TEST(ComponentLayout, ARemovedChildIsARootAgain) {
    std::vector<std::string> log;
    Panel panel(Tuple<2, float>(800, 600), false);
    auto probe = std::make_unique<Probe>("gone", Tuple<2, float>(100, 50), log, true);
    std::shared_ptr<Probe> kept;
    Probe& raw = *probe;
    panel.add(std::move(probe), Vector<2, float>(1, 1), Vector<2, float>(1, 1), true);
    kept = std::static_pointer_cast<Probe>(panel.children().back());
    panel.remove(raw);
    EXPECT_EQ(kept->parent(), nullptr);
    EXPECT_TRUE(panel.children().empty());
    EXPECT_THROW(panel.layout(raw), TAVO::NotFoundException<std::string>);
    // As a root it maps the window onto its own size.
    EXPECT_EQ(kept->transform().apply(Point<2, float>(-1, -1)), (Point<2, float>(0, 0)));
    panel.setGeometry(Tuple<2, float>(10, 10));
    EXPECT_EQ(kept->size(), (Tuple<2, float>(100, 50))) << "no longer a follower";
    EXPECT_FALSE(panel.pointerButton(FrameTime(), overPixel(799, 599), true));
    panel.remove(raw); // not a child any more: nothing happens
}

TEST(ComponentLayout, AChildOutlivingItsPanelHasNoParent) {
    std::vector<std::string> log;
    std::shared_ptr<Component> kept;
    {
        Panel panel(Tuple<2, float>(800, 600), false);
        panel.add(std::make_unique<Probe>("p", Tuple<2, float>(1, 1), log), centre, centre, false);
        kept = panel.children().front();
        EXPECT_EQ(kept->parent(), &panel);
    }
    EXPECT_EQ(kept->parent(), nullptr);
}

TEST(ComponentLayout, ADragKeepingTheDefaultsIgnoresTheTrayBar) {
    PlainDrag drag;
    EXPECT_FALSE(drag.hoverTrayBar(Point<2, float>(0.9f, 0.0f), true));
    EXPECT_FALSE(drag.hoverTrayBar(Point<2, float>(0.9f, 0.0f), false));
    EXPECT_FALSE(drag.dropIntoTray(3));
    EXPECT_FALSE(drag.dropIntoNewTray());
    drag.update();
}
