// Item lists: the grid for a given size, where items go, the selection kept
// on its item through insertions, removals and moves, clicks and hover
// against the calls the handler receives.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "Probe.h"
#include "RecordingShapeShader.h"
#include "ui/Border.h"
#include "ui/ItemSelect.h"

using namespace UiTest;
using TAVO::Point;
using TAVO::Tuple;

namespace {

struct Calls : ItemSelect::EventHandler {
    explicit Calls(std::vector<std::string>& log) : log(log) {}
    void pressed(std::uint32_t i) override { log.push_back("pressed " + std::to_string(i)); }
    void hoverEntered(std::uint32_t i) override { log.push_back("entered " + std::to_string(i)); }
    void hoverLeft(std::uint32_t i) override { log.push_back("left " + std::to_string(i)); }
    void hoverMoved(std::uint32_t i) override { log.push_back("moved " + std::to_string(i)); }
    std::vector<std::string>& log;
};

// A framed list of cells of 100 by 80 with gaps of 20 as the root of the
// window, holding items named "0", "1", ...
struct List {
    explicit List(int items) {
        for (int i = 0; i < items; ++i)
            list.append(item(std::to_string(i)));
    }
    std::unique_ptr<Probe> item(const std::string& name) {
        return std::make_unique<Probe>(name, Tuple<2, float>(100, 80), itemLog, true);
    }
    // The centre of item i, in the list's local space.
    Point<2, float> centreOf(std::uint32_t i) const {
        const ComponentTransform t = list.itemTransform(i), own = list.transform();
        Point<2, float> c;
        for (int a = 0; a < 2; ++a)
            c[a] = ((list.top(i).size()[a] / 2.0f - t.offset[a]) / t.scale[a]) * own.scale[a] + own.offset[a];
        return c;
    }
    Point<2, float> at(const Point<2, float>& local) const {
        const ComponentTransform own = list.transform();
        return Point<2, float>((local[0] - own.offset[0]) / own.scale[0], (local[1] - own.offset[1]) / own.scale[1]);
    }
    void click(std::uint32_t i) {
        list.pointerButton(frame, at(centreOf(i)), true);
        list.pointerButton(frame, at(centreOf(i)), false);
    }
    bool move(const Point<2, float>& local) {
        ++frame.motionEvents;
        return list.pointerMotion(frame, at(local), false);
    }
    std::string names() const {
        std::string result;
        for (std::uint32_t i = 0; i < list.count(); ++i)
            result += static_cast<Probe&>(static_cast<ItemSelect::ItemContainer&>(list.frame(i)->child()).child())
                          .name() + (list.frame(i)->highlighted() ? "* " : " ");
        return result;
    }

    RecordingShapeShader shader;
    std::vector<std::string> calls, itemLog;
    ItemSelect list{shader, TAVO::Color(0.95f, 0.95f, 0.95f), Tuple<2, float>(100, 80), 20.0f, true,
                    std::make_unique<Calls>(calls)};
    FrameTime frame;
};

} // namespace

TEST(ItemSelect, TheGridIsAsManyCellsAsFitFromOneToFive) {
    List l(0);
    EXPECT_EQ(l.list.size(), (Tuple<2, float>(360, 200))) << "3 by 2 when built";
    l.list.setGeometry(Tuple<2, float>(500, 250));
    EXPECT_EQ(l.list.grid(), (Tuple<2, unsigned int>(4, 2)));
    EXPECT_EQ(l.list.size(), (Tuple<2, float>(480, 200)));
    EXPECT_EQ(l.list.children().front()->size(), (Tuple<2, float>(480, 200))) << "the background covers the list";
    l.list.setGeometry(Tuple<2, float>(1000, 1000));
    EXPECT_EQ(l.list.grid(), (Tuple<2, unsigned int>(5, 5)));
    l.list.setGeometry(Tuple<2, float>(-500, std::numeric_limits<float>::quiet_NaN()));
    EXPECT_EQ(l.list.grid(), (Tuple<2, unsigned int>(1, 1)));
}

// Seven items in 3 by 2 cells: 0 to 2 across the top, 3 to 5 below; item 6
// lies far above the window. A click calls pressed once, on the release, and
// moves the frame; items never see the pointer.
TEST(ItemSelect, ItemsFillRowsFromTheTopLeftAndAClickSelects) {
    List l(7);
    const float expected[6][2] = {{60, 150}, {180, 150}, {300, 150}, {60, 50}, {180, 50}, {300, 50}};
    for (std::uint32_t i = 0; i < 6; ++i) {
        EXPECT_NEAR(l.centreOf(i)[0], expected[i][0], 1e-3) << i;
        EXPECT_NEAR(l.centreOf(i)[1], expected[i][1], 1e-3) << i;
    }
    EXPECT_GT(l.at(l.centreOf(6))[1], 1e6f);
    EXPECT_TRUE(l.list.pointerButton(l.frame, l.at(l.centreOf(4)), true));
    EXPECT_TRUE(l.calls.empty());
    l.list.pointerButton(l.frame, l.at(l.centreOf(4)), false);
    l.click(1);
    EXPECT_EQ(l.calls, (std::vector<std::string>{"pressed 4", "pressed 1"}));
    EXPECT_EQ(l.names(), "0 1* 2 3 4 5 6 ");
    EXPECT_TRUE(l.itemLog.empty());
    // A new item in its place, its frame refitted, still centred on its cell.
    l.list.setItem(1, std::make_unique<Probe>("wide", Tuple<2, float>(110, 90), l.itemLog));
    EXPECT_EQ(l.names(), "0 wide* 2 3 4 5 6 ");
    EXPECT_EQ(l.list.top(1).size(), (Tuple<2, float>(120, 100)));
    EXPECT_NEAR(l.centreOf(1)[0], 180.0f, 1e-3);
}

// Inserting before the selected item, or moving a later one in front of it,
// keeps it selected one further on; removing the selected item leaves the
// index where it was. "None" (the largest index) stays none rather than
// wrapping round to item 0.
TEST(ItemSelect, TheSelectionStaysOnItsItem) {
    List l(4);
    l.list.insert(0, l.item("a"));
    EXPECT_EQ(l.list.selectedIndex(), ItemSelect::none);
    l.click(2);
    l.list.insert(0, l.item("b"));
    EXPECT_EQ(l.names(), "b a 0 1* 2 3 ");
    l.list.move(5, 2);
    EXPECT_EQ(l.names(), "b a 3 0 1* 2 ");
    EXPECT_EQ(l.list.selectedIndex(), 4u);
    EXPECT_NEAR(l.centreOf(4)[0], 180.0f, 1e-3) << "laid out anew";
    l.list.remove(0);
    l.list.remove(3);
    EXPECT_EQ(l.list.selectedIndex(), 3u);
    l.list.remove(3);
    l.list.insert(0, l.item("c"));
    EXPECT_GE(l.list.selectedIndex(), l.list.count()) << "the index of a removed last item names none";
}

TEST(ItemSelect, IndicesOutOfRangeThrowAndChangeNothing) {
    List l(3);
    l.click(1);
    EXPECT_THROW(l.list.remove(3), std::out_of_range);
    EXPECT_THROW(l.list.move(0, 3), std::out_of_range);
    EXPECT_THROW(l.list.move(ItemSelect::none, 0), std::out_of_range);
    EXPECT_THROW(l.list.insert(4, l.item("x")), std::out_of_range);
    EXPECT_THROW(l.list.setItem(3, l.item("x")), std::out_of_range);
    EXPECT_EQ(l.names(), "0 1* 2 ");
    EXPECT_EQ(l.list.children().size(), 4u) << "the background and three items";
}

// From item 0 to item 1 and off the list: the hover ends at the first step
// after a motion that reached no item.
TEST(ItemSelect, HoverFollowsThePointerAndEndsAtTheNextStepOffTheItems) {
    List l(3);
    EXPECT_TRUE(l.move(l.centreOf(0)));
    EXPECT_TRUE(l.move(l.centreOf(0)));
    EXPECT_TRUE(l.move(l.centreOf(1)));
    l.list.update(l.frame);
    EXPECT_EQ(l.calls, (std::vector<std::string>{"entered 0", "moved 0", "moved 0", "left 0", "entered 1", "moved 1"}));
    EXPECT_FALSE(l.move(Point<2, float>(119, 150))) << "a gap";
    l.list.update(l.frame);
    l.list.update(l.frame);
    EXPECT_EQ(l.calls.back(), "left 1");
    EXPECT_EQ(l.calls.size(), 7u);
}
