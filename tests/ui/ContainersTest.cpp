// Decorated components, switches, visible components and shared components.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "Probe.h"
#include "TestShapes.h"
#include "RecordingShapeShader.h"
#include "ui/DecoratedComponent.h"
#include "ui/Panel.h"
#include "ui/Shape.h"
#include "ui/SharedComponent.h"
#include "ui/Switch.h"
#include "ui/VisibleComponent.h"

using namespace UiTest;
using TAVO::Point;
using TAVO::Tuple;
using TAVO::Vector;

namespace {

std::unique_ptr<Probe> probe(const std::string& name, float w, float h, std::vector<std::string>& log,
                             bool takes = true) {
    return std::make_unique<Probe>(name, Tuple<2, float>(w, h), log, takes);
}

} // namespace

TEST(Containers, ADecoratedChildLiesExactlyOnItsDecoration) {
    std::vector<std::string> log;
    Panel root(Tuple<2, float>(800, 600), false);
    root.add(std::make_unique<DecoratedComponent>(probe("inner", 100, 50, log)), Vector<2, float>(1, 1),
             Vector<2, float>(1, 1), false);
    auto& decorated = static_cast<DecoratedComponent&>(*root.children().back());
    EXPECT_EQ(decorated.size(), (Tuple<2, float>(100, 50)));
    const ComponentTransform own = decorated.transform();
    const ComponentTransform child = decorated.child().transform();
    EXPECT_EQ(child.scale, own.scale);
    EXPECT_EQ(child.offset, own.offset);
    EXPECT_EQ(decorated.child().parent(), &decorated);

    FrameTime frame;
    PlainDrag drag;
    EXPECT_TRUE(root.pointerButton(frame, Point<2, float>(0.9f, 0.9f), true));
    EXPECT_TRUE(decorated.pointerMotion(frame, middle, true));
    EXPECT_TRUE(decorated.dragOver(frame, middle, drag, false));
    EXPECT_TRUE(decorated.keyPress(frame, 1));
    decorated.update(frame);
    decorated.draw();
    decorated.setGeometry(Tuple<2, float>(7, 8));
    EXPECT_EQ(decorated.size(), (Tuple<2, float>(7, 8)));
    EXPECT_EQ(log, (std::vector<std::string>{"inner press", "inner motion", "inner drag", "inner key1",
                                             "inner update", "inner draw", "inner geometry"}));
}

TEST(Containers, SetChildReplacesAndReleasesTheOldChild) {
    std::vector<std::string> log;
    DecoratedComponent decorated(probe("old", 1, 1, log));
    Component& old = decorated.child();
    decorated.setChild(probe("new", 2, 3, log));
    EXPECT_NE(&decorated.child(), &old);
    EXPECT_EQ(decorated.size(), (Tuple<2, float>(2, 3)));
    EXPECT_THROW(decorated.setChild(nullptr), TAVO::Exception);
    EXPECT_EQ(decorated.size(), (Tuple<2, float>(2, 3))) << "a refused child changes nothing";
}

TEST(Containers, ASwitchShowsOnlyItsCurrentChild) {
    std::vector<std::string> log;
    Switch pages;
    EXPECT_EQ(pages.add(probe("zero", 10, 10, log)), 0u);
    EXPECT_EQ(pages.add(probe("one", 20, 30, log)), 1u);
    FrameTime frame;
    EXPECT_EQ(pages.size(), (Tuple<2, float>(10, 10)));
    pages.select(1);
    EXPECT_EQ(pages.size(), (Tuple<2, float>(20, 30)));
    EXPECT_TRUE(pages.keyPress(frame, 0));
    EXPECT_TRUE(pages.pointerButton(frame, middle, true));
    pages.update(frame);
    pages.draw();
    EXPECT_EQ(log, (std::vector<std::string>{"one key0", "one press", "one update", "one draw"}));
    EXPECT_EQ(pages.current().parent(), &pages);
    EXPECT_EQ(pages.current().transform().offset, pages.transform().offset);
}

TEST(Containers, SetGeometryOfASwitchReachesTheHiddenChildrenToo) {
    std::vector<std::string> log;
    Switch pages;
    pages.add(probe("zero", 10, 10, log));
    pages.add(probe("one", 10, 10, log));
    pages.setGeometry(Tuple<2, float>(640, 480));
    EXPECT_EQ(log, (std::vector<std::string>{"zero geometry", "one geometry"}));
    pages.select(1);
    EXPECT_EQ(pages.size(), (Tuple<2, float>(640, 480)));
}

TEST(Containers, ASwitchIndexNamingNoChildIsAnOutOfRangeError) {
    std::vector<std::string> log;
    Switch pages;
    FrameTime frame;
    EXPECT_THROW(pages.size(), std::out_of_range) << "an empty switch";
    EXPECT_THROW(pages.add(nullptr), TAVO::Exception);
    pages.add(probe("zero", 10, 10, log));
    pages.select(5);
    EXPECT_EQ(pages.currentIndex(), 5u);
    try {
        pages.draw();
        FAIL() << "drew";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "invalid vector subscript");
    }
    EXPECT_THROW(pages.keyPress(frame, 0), std::out_of_range);
    EXPECT_THROW(pages.update(frame), std::out_of_range);
    EXPECT_THROW(pages.current(), std::out_of_range);
    EXPECT_NO_THROW(pages.setGeometry(Tuple<2, float>(1, 1)));
    EXPECT_TRUE(log.size() == 1 && log[0] == "zero geometry");
}

// Hidden, the child keeps its place: the panel lays its neighbours out as if
// it were shown.
TEST(Containers, AHiddenComponentKeepsItsSizeAndTakesNothing) {
    std::vector<std::string> log;
    Panel row(Tuple<2, float>(300, 100), false);
    row.add(std::make_unique<VisibleComponent>(probe("hidden", 120, 80, log), false), lowerLeft, lowerLeft, false);
    auto& visible = static_cast<VisibleComponent&>(*row.children().back());
    EXPECT_FALSE(visible.visible());
    EXPECT_EQ(visible.size(), (Tuple<2, float>(120, 80)));
    FrameTime frame;
    EXPECT_FALSE(row.pointerButton(frame, Point<2, float>(-0.9f, -0.9f), true));
    EXPECT_FALSE(row.keyPress(frame, 0));
    row.draw();
    row.update(frame);
    EXPECT_TRUE(log.empty());

    visible.setVisible(true);
    EXPECT_TRUE(row.pointerButton(frame, Point<2, float>(-0.9f, -0.9f), true));
    row.draw();
    EXPECT_EQ(log, (std::vector<std::string>{"hidden press", "hidden draw"}));
    visible.setVisible(false);
    visible.setGeometry(Tuple<2, float>(60, 40));
    EXPECT_EQ(visible.size(), (Tuple<2, float>(60, 40))) << "the hidden child was resized too";
}

// One shape drawn by two shared components: twice per frame, each time in
// its drawer's place, and with no parent between draws.
TEST(Containers, ASharedComponentIsDrawnWhereEachDrawerIs) {
    RecordingShapeShader shader;
    auto shape = std::make_shared<Shape>(shader, square(0, 0, 1), unit, Tuple<2, float>(100, 100),
                                         TAVO::Color(1, 0, 0), false);
    Panel root(Tuple<2, float>(800, 600), false);
    root.add(std::make_unique<SharedComponent>(std::shared_ptr<Component>(shape)), lowerLeft, lowerLeft, false);
    root.add(std::make_unique<SharedComponent>(std::shared_ptr<Component>(shape)), Vector<2, float>(1, 1),
             Vector<2, float>(1, 1), false);
    EXPECT_EQ(root.children().front()->size(), (Tuple<2, float>(100, 100)));
    root.draw();
    ASSERT_EQ(shader.draws.size(), 2u);
    // The unit square lands on the window's lower-left and upper-right 100 by 100 pixels.
    EXPECT_FLOAT_EQ(shader.draws[0].state.offset[0], -1.0f);
    EXPECT_FLOAT_EQ(shader.draws[0].state.offset[1], -1.0f);
    EXPECT_FLOAT_EQ(shader.draws[1].state.offset[0], 1.0f - 100.0f / 400.0f);
    EXPECT_FLOAT_EQ(shader.draws[1].state.offset[1], 1.0f - 100.0f / 300.0f);
    EXPECT_EQ(shader.draws[0].mesh, shader.draws[1].mesh);
    EXPECT_EQ(shape->parent(), nullptr);

    // Input and sizes never reach it through the sharer.
    std::vector<std::string> log;
    auto sharedProbe = std::make_shared<Probe>("shared", Tuple<2, float>(800, 600), log, true);
    SharedComponent sharer{std::shared_ptr<Component>(sharedProbe)};
    EXPECT_FALSE(sharer.pointerButton(FrameTime(), middle, true));
    EXPECT_FALSE(sharer.keyPress(FrameTime(), 0));
    sharer.setGeometry(Tuple<2, float>(1, 1));
    sharer.update(FrameTime());
    EXPECT_TRUE(log.empty());
}

// A component that also lives in a tree of its own keeps its place there.
TEST(Containers, ASharedComponentGetsItsOwnParentBackAfterADraw) {
    std::vector<std::string> log;
    Panel home(Tuple<2, float>(800, 600), false);
    home.add(probe("title", 10, 10, log), centre, centre, false);
    const std::shared_ptr<Component> title = home.children().back();
    SharedComponent elsewhere(title);
    elsewhere.draw();
    EXPECT_EQ(title->parent(), &home);
    EXPECT_EQ(log, (std::vector<std::string>{"title draw"}));
}

TEST(Containers, AnEmptySharedComponentIsNothing) {
    SharedComponent empty{std::unique_ptr<Component>()};
    EXPECT_EQ(empty.size(), (Tuple<2, float>(0, 0)));
    EXPECT_NO_THROW(empty.draw());
}
