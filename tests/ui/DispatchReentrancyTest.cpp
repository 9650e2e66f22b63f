// Handlers that change the tree while an event walks it: a component that
// removes itself (a trash item restoring its game), one that adds to the
// panel being walked (a drop that makes a tray icon), one that takes its
// panel out of the tree. Run under AddressSanitizer these find any use of a
// component after it is gone.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Probe.h"
#include "TestShapes.h"
#include "ui/DecoratedComponent.h"
#include "ui/Panel.h"
#include "ui/Switch.h"

using namespace UiTest;
using TAVO::Point;
using TAVO::Tuple;
using TAVO::Vector;

namespace {

struct Tree {
    std::vector<std::string> log;
    Panel panel{Tuple<2, float>(800.0f, 600.0f), false};
    FrameTime frame;

    // A full-size probe on top of the others; returns it and a weak pointer.
    std::pair<Probe*, std::weak_ptr<Component>> add(const std::string& name, bool takes = false) {
        panel.add(std::make_unique<Probe>(name, Tuple<2, float>(800, 600), log, takes), centre, centre, true);
        return {static_cast<Probe*>(panel.children().back().get()), panel.children().back()};
    }
};

} // namespace

TEST(DispatchReentrancy, AComponentRemovingItselfWhileTakingAnEvent) {
    Tree tree;
    tree.add("below", true);
    auto [probe, weak] = tree.add("self");
    Panel& panel = tree.panel;
    probe->handler = [&panel, probe = probe] {
        panel.remove(*probe);
        return true;
    };
    probe->touchAfter = true;
    EXPECT_TRUE(tree.panel.pointerButton(tree.frame, middle, false));
    EXPECT_TRUE(weak.expired()) << "released once the event was over";
    EXPECT_EQ(tree.log, (std::vector<std::string>{"self release", "self after"}));
    EXPECT_EQ(tree.panel.children().size(), 1u);
}

TEST(DispatchReentrancy, AComponentRemovingItselfAndDecliningLetsTheOthersSeeTheEvent) {
    Tree tree;
    tree.add("first", false);
    tree.add("second", true);
    auto [probe, weak] = tree.add("self");
    Panel& panel = tree.panel;
    probe->handler = [&panel, probe = probe] {
        panel.remove(*probe);
        return false;
    };
    EXPECT_TRUE(tree.panel.pointerMotion(tree.frame, middle, false));
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(tree.log, (std::vector<std::string>{"self motion", "second motion"}));
}

TEST(DispatchReentrancy, AHandlerAddingToThePanelBeingWalked) {
    Tree tree;
    tree.add("first", false);
    auto [probe, weak] = tree.add("adder");
    Panel& panel = tree.panel;
    std::vector<std::string>& log = tree.log;
    probe->handler = [&panel, &log] {
        // Enough new children to move the vector's storage.
        for (int i = 0; i < 64; ++i)
            panel.add(std::make_unique<Probe>("new" + std::to_string(i), Tuple<2, float>(1, 1), log, true), centre,
                      centre, false);
        return false;
    };
    PlainDrag drag;
    EXPECT_FALSE(tree.panel.dragOver(tree.frame, middle, drag, true));
    EXPECT_EQ(tree.log, (std::vector<std::string>{"adder drop", "first drop"}));
    EXPECT_EQ(tree.panel.children().size(), 66u);
    tree.log.clear();
    probe->handler = nullptr;
    EXPECT_TRUE(tree.panel.pointerButton(tree.frame, middle, true));
    EXPECT_EQ(tree.log, (std::vector<std::string>{"new63 press"}));
}

TEST(DispatchReentrancy, AHandlerEmptyingThePanel) {
    Tree tree;
    std::vector<std::weak_ptr<Component>> all;
    for (int i = 0; i < 4; ++i)
        all.push_back(tree.add("p" + std::to_string(i)).second);
    auto [probe, weak] = tree.add("clearer");
    all.push_back(weak);
    Panel& panel = tree.panel;
    probe->handler = [&panel] {
        while (!panel.children().empty())
            panel.remove(*panel.children().front());
        return false;
    };
    EXPECT_FALSE(tree.panel.pointerButton(tree.frame, middle, true));
    EXPECT_EQ(tree.log, (std::vector<std::string>{"clearer press"}));
    for (const auto& w : all)
        EXPECT_TRUE(w.expired());
}

TEST(DispatchReentrancy, AHandlerRemovingAnEarlierSibling) {
    Tree tree;
    tree.add("a", false);
    auto [b, weakB] = tree.add("b", false);
    tree.add("c", false);
    auto [remover, weak] = tree.add("remover");
    Panel& panel = tree.panel;
    remover->handler = [&panel, b = b] {
        panel.remove(*b);
        return false;
    };
    EXPECT_FALSE(tree.panel.keyPress(tree.frame, Component::escapeKey));
    EXPECT_TRUE(weakB.expired());
    EXPECT_EQ(tree.log, (std::vector<std::string>{"remover key0", "c key0", "a key0"}));
}

TEST(DispatchReentrancy, UpdatesThatRemoveThemselvesAndOthers) {
    Tree tree;
    auto [a, weakA] = tree.add("a");
    auto [b, weakB] = tree.add("b");
    auto [c, weakC] = tree.add("c");
    Panel& panel = tree.panel;
    c->onUpdate = [&panel, a = a, c = c] {
        panel.remove(*c);
        panel.remove(*a);
    };
    tree.panel.update(tree.frame);
    EXPECT_EQ(tree.log, (std::vector<std::string>{"c update", "b update"}));
    EXPECT_TRUE(weakA.expired());
    EXPECT_TRUE(weakC.expired());
    EXPECT_FALSE(weakB.expired());
}

// The handler takes the whole panel the event is walking out of the tree.
TEST(DispatchReentrancy, AHandlerRemovingItsOwnPanel) {
    std::vector<std::string> log;
    Panel root(Tuple<2, float>(800, 600), false);
    root.add(std::make_unique<Probe>("under", Tuple<2, float>(800, 600), log, true), centre, centre, false);
    root.add(std::make_unique<Panel>(Tuple<2, float>(800, 600), false), centre, centre, false);
    auto& inner = static_cast<Panel&>(*root.children().back());
    std::weak_ptr<Component> weakInner = root.children().back();
    inner.add(std::make_unique<Probe>("earlier", Tuple<2, float>(800, 600), log, false), centre, centre, false);
    inner.add(std::make_unique<Probe>("leaf", Tuple<2, float>(800, 600), log, false), centre, centre, false);
    auto& leaf = static_cast<Probe&>(*inner.children().back());
    leaf.handler = [&root, &inner] {
        root.remove(inner);
        return false;
    };
    EXPECT_TRUE(root.pointerButton(FrameTime(), middle, true));
    EXPECT_TRUE(weakInner.expired());
    EXPECT_EQ(log, (std::vector<std::string>{"leaf press", "earlier press", "under press"}));
}

TEST(DispatchReentrancy, AFollowerRemovingItselfWhileBeingResized) {
    Tree tree;
    auto [a, weakA] = tree.add("a");
    tree.add("b");
    Panel& panel = tree.panel;
    struct Leaving : Probe {
        using Probe::Probe;
        Panel* panel = nullptr;
        void setGeometry(const Tuple<2, float>& size) override {
            Probe::setGeometry(size);
            Panel* p = panel;
            p->remove(*this);
        }
    };
    auto leaving = std::make_unique<Leaving>("leaving", Tuple<2, float>(1, 1), tree.log);
    leaving->panel = &panel;
    panel.add(std::move(leaving), centre, centre, true);
    tree.add("c");
    tree.panel.setGeometry(Tuple<2, float>(320, 200));
    EXPECT_EQ(tree.log, (std::vector<std::string>{"a geometry", "b geometry", "leaving geometry", "c geometry"}));
    EXPECT_EQ(tree.panel.children().size(), 3u);
    (void)a;
}

// A decorated component whose child replaces itself from inside its own
// event: the old child lives until that event is over.
TEST(DispatchReentrancy, ADecoratedChildReplacedFromItsOwnEvent) {
    std::vector<std::string> log;
    DecoratedComponent decorated(std::make_unique<Probe>("old", Tuple<2, float>(10, 10), log));
    auto& old = static_cast<Probe&>(decorated.child());
    old.handler = [&decorated, &log] {
        decorated.setChild(std::make_unique<Probe>("new", Tuple<2, float>(20, 20), log, true));
        return true;
    };
    old.touchAfter = true;
    EXPECT_TRUE(decorated.pointerButton(FrameTime(), middle, false));
    EXPECT_EQ(decorated.size(), (Tuple<2, float>(20, 20)));
    EXPECT_EQ(decorated.child().parent(), &decorated);
    EXPECT_TRUE(decorated.pointerButton(FrameTime(), middle, false));
    EXPECT_EQ(log, (std::vector<std::string>{"old release", "old after", "new release"}));
}
