// Sliders and segmented controls: event sequences against the values and
// selections their handlers receive, where the knob goes and which looks
// the segments show.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Probe.h"
#include "TestShapes.h"
#include "ui/SegmentedControl.h"
#include "ui/Slider.h"

using namespace UiTest;
using TAVO::Point;
using TAVO::Tuple;

namespace {

struct Values : Slider::EventHandler, SegmentedControl::EventHandler {
    explicit Values(std::vector<float>& values) : values(values) {}
    void valueChanged(float value) override { values.push_back(value); }
    void selected(std::uint32_t index) override { values.push_back(float(index)); }
    std::vector<float>& values;
};

} // namespace

// A slider 200 by 20 at (100, 100) of an 800 by 600 window, x counted from
// its left edge. The initial value places the knob silently; a press 50 in
// reports 0.25 and centres the knob on 50. A drag follows held motions until
// a release or a motion without the button reaches the slider; a release
// elsewhere leaves it on.
TEST(Slider, PressesAndDragsSetTheValueUnderThePointer) {
    std::vector<std::string> log;
    std::vector<float> values;
    Panel root(Tuple<2, float>(800, 600), false);
    root.add(std::make_unique<Slider>(std::make_unique<Probe>("track", Tuple<2, float>(200, 20), log),
                                      std::make_unique<Probe>("knob", Tuple<2, float>(10, 20), log),
                                      std::make_unique<Values>(values), 0.75f),
             lowerLeft, lowerLeft, TAVO::Vector<2, float>(100, 100), false);
    auto& slider = static_cast<Slider&>(*root.children().back());
    auto at = [](float x) { return Point<2, float>((100 + x) / 400.0f - 1.0f, 110 / 300.0f - 1.0f); };
    auto knob = [&] {
        const ComponentTransform t = slider.children().back()->transform();
        return ((5.0f - t.offset[0]) / t.scale[0] + 1.0f) * 400.0f - 100.0f;
    };
    FrameTime f;
    EXPECT_NEAR(knob(), 150.0f, 1e-3);
    EXPECT_TRUE(values.empty());
    EXPECT_TRUE(root.pointerButton(f, at(50), true));
    EXPECT_NEAR(knob(), 50.0f, 1e-3);
    EXPECT_TRUE(root.pointerMotion(f, at(100), true));
    EXPECT_TRUE(root.pointerButton(f, at(100), false));
    EXPECT_TRUE(root.pointerMotion(f, at(150), true)) << "taken, though no drag goes on";
    root.pointerButton(f, at(20), true);
    EXPECT_FALSE(root.pointerButton(f, Point<2, float>(0.9f, 0.9f), false)) << "released elsewhere";
    root.pointerMotion(f, at(180), true);
    EXPECT_NEAR(knob(), 180.0f, 1e-3);
    EXPECT_TRUE(root.pointerMotion(f, at(170), false));
    root.pointerMotion(f, at(60), true);
    EXPECT_EQ(values, (std::vector<float>{0.25f, 0.5f, 0.1f, 0.9f}));
}

// Segments whose wider looks are 40, 60 and 50 wide arrange to 180 with
// centres at 1/6, 1/2 and 5/6. None shows its selected look before the
// first selection. Pressing segment 2 while 0 is selected swaps their looks
// and reports 2 once, on the release, and again on a second release; keys do
// nothing. An index that names no segment is kept and reported.
TEST(SegmentedControl, AReleaseOnASegmentSelectsItAndReportsIt) {
    std::vector<std::string> log;
    std::vector<float> seen;
    std::vector<SegmentedControl::Segment> segments;
    const float widths[3][2] = {{40, 30}, {20, 60}, {50, 50}};
    for (int i = 0; i < 3; ++i) {
        const std::string n = std::to_string(i);
        segments.push_back({std::make_unique<Probe>("selected" + n, Tuple<2, float>(widths[i][0], 30.0f + i), log),
                            std::make_unique<Probe>("normal" + n, Tuple<2, float>(widths[i][1], 30), log)});
    }
    const Tuple<2, float> size = SegmentedControl::arrange(segments);
    EXPECT_EQ(size, (Tuple<2, float>(180, 32)));
    EXPECT_FLOAT_EQ(segments[0].parentAnchor[0], 1.0f / 6.0f);
    EXPECT_FLOAT_EQ(segments[2].parentAnchor[0], 5.0f / 6.0f);
    SegmentedControl control(size, std::move(segments), std::make_unique<Values>(seen));
    control.draw();
    EXPECT_EQ(log, (std::vector<std::string>{"normal0 draw", "normal1 draw", "normal2 draw"}));

    control.select(0);
    FrameTime frame;
    const Point<2, float> segment2(2.0f * (5.0f / 6.0f) - 1.0f, 0.0f);
    EXPECT_TRUE(control.pointerButton(frame, segment2, true));
    EXPECT_EQ(seen, (std::vector<float>{0}));
    EXPECT_TRUE(control.pointerButton(frame, segment2, false));
    EXPECT_FALSE(control.showsSelected(0));
    EXPECT_TRUE(control.showsSelected(2));
    control.pointerButton(frame, segment2, false);
    EXPECT_FALSE(control.keyPress(frame, Component::enterKey));
    EXPECT_FALSE(control.keyPress(frame, Component::escapeKey));
    control.select(7);
    EXPECT_FALSE(control.showsSelected(2));
    EXPECT_EQ(control.selectedIndex(), 7u);
    EXPECT_EQ(seen, (std::vector<float>{0, 2, 2, 7}));
}
