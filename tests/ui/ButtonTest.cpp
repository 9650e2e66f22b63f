// Buttons and borders: presses, releases and keys against the calls button
// handlers receive; the size a border adds (its frame's pixels are checked
// in the drawing tests).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Probe.h"
#include "RecordingShapeShader.h"
#include "TestShapes.h"
#include "ui/Border.h"
#include "ui/Button.h"
#include "ui/Panel.h"

using namespace UiTest;
using TAVO::Tuple;

namespace {

struct Counter : Button::EventHandler {
    explicit Counter(int& count) : count(count) {}
    void invoke() override { ++count; }
    int& count;
};

// A button over a probe that takes everything, in an 800 by 600 window.
struct Window {
    Window(std::unique_ptr<Button::EventHandler> handler, std::uint32_t key) {
        root.add(std::make_unique<Probe>("below", Tuple<2, float>(300, 300), log, true), centre, centre, false);
        root.add(std::make_unique<Button>(std::make_unique<Probe>("face", Tuple<2, float>(100, 50), log, true),
                                          std::move(handler), key),
                 centre, centre, false);
    }
    void click() {
        EXPECT_TRUE(root.pointerButton(frame, middle, true));
        EXPECT_TRUE(root.pointerButton(frame, middle, false));
    }
    std::vector<std::string> log;
    Panel root{Tuple<2, float>(800, 600), false};
    FrameTime frame;
};

} // namespace

// The press is taken and does nothing; every release fires once, also one
// whose press began elsewhere. Only the button's own key fires it; other
// keys go on past it, and its face sees nothing. Without a handler the
// click and the key go to the panel below.
TEST(Button, ReleasesAndItsKeyFireIt) {
    int fired = 0;
    Window w(std::make_unique<Counter>(fired), Component::escapeKey);
    EXPECT_TRUE(w.root.pointerButton(w.frame, middle, true));
    EXPECT_EQ(fired, 0);
    w.click();
    EXPECT_TRUE(w.root.pointerButton(w.frame, middle, false));
    EXPECT_TRUE(w.root.keyPress(w.frame, Component::escapeKey));
    EXPECT_TRUE(w.root.keyPress(w.frame, Component::enterKey));
    EXPECT_EQ(fired, 3);
    EXPECT_EQ(w.log, (std::vector<std::string>{"below key1"}));

    Window plain(nullptr, Component::enterKey);
    plain.click();
    plain.root.keyPress(plain.frame, Component::enterKey);
    EXPECT_EQ(plain.log, (std::vector<std::string>{"below press", "below release", "below key1"}));
}

// A handler that takes its own button out of the tree runs to its end and
// nothing of the button is touched afterwards (the sanitizer build runs this).
TEST(Button, AHandlerMayRemoveItsOwnButton) {
    struct Closer : Button::EventHandler {
        explicit Closer(Panel& panel) : panel(panel) {}
        void invoke() override { panel.remove(*panel.children().back()); }
        Panel& panel;
    };
    Window w(nullptr, Button::noKey);
    w.root.add(std::make_unique<Button>(std::make_unique<Probe>("closer", Tuple<2, float>(10, 10), w.log),
                                        std::make_unique<Closer>(w.root), Component::escapeKey),
               centre, centre, false);
    EXPECT_TRUE(w.root.keyPress(w.frame, Component::escapeKey));
    EXPECT_EQ(w.root.children().size(), 2u);
}

// Width 5 around 100 by 50: 110 by 60, the child's space 5 in; setGeometry
// gives the child what is left, never less than nothing.
TEST(Border, AddsTwiceItsWidthAroundTheChild) {
    RecordingShapeShader shader;
    Border border(shader,
                  std::make_unique<Shape>(shader, square(0, 0, 1), unit, Tuple<2, float>(100, 50), TAVO::Color(), false),
                  5.0f, TAVO::Color());
    EXPECT_EQ(border.size(), (Tuple<2, float>(110, 60)));
    EXPECT_EQ(border.child().transform().offset[0], border.transform().offset[0] - 5.0f);
    border.setGeometry(Tuple<2, float>(200, 100));
    EXPECT_EQ(border.child().size(), (Tuple<2, float>(190, 90)));
    EXPECT_EQ(border.frame().size(), (Tuple<2, float>(200, 100)));
    border.setGeometry(Tuple<2, float>(8, 8));
    EXPECT_EQ(border.child().size(), (Tuple<2, float>(0, 0)));
    EXPECT_EQ(border.size(), (Tuple<2, float>(10, 10)));
}
