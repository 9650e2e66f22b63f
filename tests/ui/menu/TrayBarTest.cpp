// The tray bar without drawing: its column of icons, how it follows tray
// notifications that may disagree with it, drags over it and clicks on it.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "../Probe.h"
#include "../RecordingShapeShader.h"
#include "../TestPackages.h"
#include "MenuTestSupport.h"
#include "foundation/exceptions/ExceptionLogger.h"
#include "model/Workspace.h"
#include "ui/Border.h"
#include "ui/menu/MenuBuilder.h"
#include "ui/menu/TrayBar.h"

using namespace MenuTest;
using TAVO::Point;
using TAVO::Tuple;
using TAVO::Vector;

namespace {

struct Bar {
    UiTest::BuiltInPackage builtIn;
    UiTest::RecordingShapeShader shader;
    std::vector<std::string> calls;
    MenuBuilder builder{shader, builtIn.archive, std::make_shared<UiTest::Probe>("dots", Tuple<2, float>(50, 50), calls)};
    MemoryLog log;
    TAVO::ExceptionLogger logger{log};
    Workspace workspace{log, logger, configuration(true)};
    StandInView view;
    TrayBar bar{builder, view, workspace, std::make_unique<UiTest::Probe>("header", Tuple<2, float>(48, 48), calls)};
    FrameTime frame;

    Bar() { bar.setGeometry(Tuple<2, float>(500, 700)); }

    std::vector<std::uint32_t> order() const {
        std::vector<std::uint32_t> trays;
        for (const Component* icon : bar.icons())
            if (const auto* tray = dynamic_cast<const TrayBar::TrayIcon*>(icon))
                trays.push_back(tray->tray());
        return trays;
    }
    // Distance of the icon's top below the bar's top.
    float top(const Component& icon) const { return -bar.layout(icon).offset[1]; }
    Point<2, float> on(std::uint32_t tray) const { return windowPoint(*bar.icon(tray)); }
    Point<2, float> onNewTray() const { return windowPoint(*bar.icons().back()); }
    // Below every icon.
    Point<2, float> onBackground() const { return windowPoint(bar, Vector<2, float>(0.5f, 0.02f)); }
};

} // namespace

// Icons hang under the header a margin apart, in the table's order, the
// new-tray icon last; the bar is as wide as an icon and two margins.
TEST(TrayBar, IconsHangUnderTheHeaderInTrayOrder) {
    Bar b;
    b.bar.setTrays({5, 2, 9});
    EXPECT_EQ(b.order(), (std::vector<std::uint32_t>{5, 2, 9}));
    ASSERT_EQ(b.bar.icons().size(), 4u);
    EXPECT_NE(dynamic_cast<TrayBar::NewTrayIcon*>(b.bar.icons().back()), nullptr);
    const float m = 6.2f, icon = 62.0f + 2 * 5.0f;
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_NEAR(b.top(*b.bar.icons()[i]), m + 48.0f + float(i) * (icon + m), 1e-3f) << i;
    EXPECT_NEAR(b.bar.size()[0], 112.4f, 1e-4f);
    EXPECT_EQ(b.bar.size()[1], 700.0f);
    EXPECT_NEAR(b.bar.icons()[0]->size()[0], 110.0f, 1e-4f);
    // The header keeps its own size: it is a button, not a cover of the bar.
    EXPECT_EQ(std::count(b.calls.begin(), b.calls.end(), "header geometry"), 0);
    // Every new icon waits for its picture.
    for (std::uint32_t tray : {5u, 2u, 9u})
        EXPECT_TRUE(b.bar.dirty(tray));
}

TEST(TrayBar, AnAddedTrayGoesJustAboveTheNewTrayIcon) {
    Bar b;
    b.bar.setTrays({5, 2, 9});
    b.bar.addTray(1);
    EXPECT_EQ(b.order(), (std::vector<std::uint32_t>{5, 2, 9, 1}));
    EXPECT_LT(b.top(*b.bar.icon(1)), b.top(*b.bar.icons().back()));
    EXPECT_GT(b.top(*b.bar.icon(1)), b.top(*b.bar.icon(9)));
}

// Tiles are only handed out: a tray added after another was removed gets a
// fresh one, and the fifth tile opens a second page.
TEST(TrayBar, RemovedTraysDoNotGiveTheirTilesBack) {
    Bar b;
    b.bar.setTrays({0, 1, 2});
    EXPECT_EQ(b.bar.tile(1), 1u);
    b.bar.removeTray(1);
    EXPECT_EQ(b.bar.icon(1), nullptr);
    EXPECT_EQ(b.order(), (std::vector<std::uint32_t>{0, 2}));
    b.bar.addTray(3);
    EXPECT_EQ(b.bar.tile(3), 3u);
    EXPECT_EQ(b.bar.pages().size(), 1u);
    b.bar.addTray(4);
    EXPECT_EQ(b.bar.tile(4), 4u);
    EXPECT_EQ(b.bar.pages().size(), 2u);
    // The column closed up where tray 1 was.
    EXPECT_NEAR(b.top(*b.bar.icon(2)) - b.top(*b.bar.icon(0)), 72.0f + 6.2f, 1e-3f);
}

// The bar and the table may disagree: a tray that has an icon keeps its one
// icon, and ids without one are ignored.
TEST(TrayBar, NotificationsThatDisagreeWithTheBarChangeNothingWrong) {
    Bar b;
    b.bar.setTrays({0, 4});
    TrayBar::TrayIcon* first = b.bar.icon(4);
    const std::uint32_t tile = b.bar.tile(4);
    b.bar.addTray(4);
    EXPECT_EQ(b.order(), (std::vector<std::uint32_t>{0, 4}));
    EXPECT_EQ(b.bar.icon(4), first);
    EXPECT_EQ(b.bar.tile(4), tile);
    b.bar.removeTray(77);
    b.bar.invalidate(77);
    b.bar.highlight(77);
    EXPECT_EQ(b.order(), (std::vector<std::uint32_t>{0, 4}));
    EXPECT_EQ(b.bar.icon(77), nullptr);
    // A tray order with an id twice still gives it one icon.
    b.bar.setTrays({3, 3, 1});
    EXPECT_EQ(b.order(), (std::vector<std::uint32_t>{3, 1}));
}

TEST(TrayBar, TheSelectedTrayAloneHasTheSelectedBorder) {
    Bar b;
    b.bar.setTrays({0, 1, 2});
    b.bar.highlight(1);
    const MenuStyle& style = MenuStyle::standard;
    EXPECT_EQ(b.bar.border(1)->color(), style.selectedTrayBorderColor);
    EXPECT_EQ(b.bar.border(0)->color(), style.trayBorderColor);
    b.bar.highlight(2);
    EXPECT_EQ(b.bar.border(1)->color(), style.trayBorderColor);
    EXPECT_EQ(b.bar.border(2)->color(), style.selectedTrayBorderColor);
}

// Over an icon the drag hears it is on one, elsewhere on the bar that it is
// not; a drop on an icon goes into its tray, a drop between icons into
// nothing. The bar takes every drag event either way.
TEST(TrayBar, DragsAreToldWhereTheyAreAndDropsGoWhereTheyFall) {
    Bar b;
    b.bar.setTrays({0, 2});
    RecordingDrag drag;
    EXPECT_TRUE(b.bar.dragOver(b.frame, b.on(2), drag, false));
    EXPECT_TRUE(b.bar.dragOver(b.frame, b.onBackground(), drag, false));
    EXPECT_TRUE(b.bar.dragOver(b.frame, b.onNewTray(), drag, false));
    EXPECT_TRUE(b.bar.dragOver(b.frame, b.on(2), drag, true));
    EXPECT_TRUE(b.bar.dragOver(b.frame, b.onBackground(), drag, true));
    drag.takes = false;
    EXPECT_TRUE(b.bar.dragOver(b.frame, b.on(0), drag, true));
    EXPECT_EQ(drag.calls, (std::vector<std::string>{"hover icon", "hover bar", "hover icon", "into 2", "into 0"}));
}

// The drop on the new-tray icon makes a tray, whose notification adds an
// icon to the bar while the bar is still handing out the drop.
TEST(TrayBar, ADropIntoANewTrayMayAddAnIconDuringItsOwnDispatch) {
    Bar b;
    b.bar.setTrays({0});
    RecordingDrag drag;
    drag.onNewTray = [&] { b.bar.addTray(6); };
    EXPECT_TRUE(b.bar.dragOver(b.frame, b.onNewTray(), drag, true));
    EXPECT_EQ(drag.calls, (std::vector<std::string>{"into new"}));
    EXPECT_EQ(b.order(), (std::vector<std::uint32_t>{0, 6}));
    // A drop that removes the very icon it falls on.
    struct RemovingDrag : RecordingDrag {
        TrayBar* bar = nullptr;
        bool dropIntoTray(std::uint32_t tray) override {
            bar->removeTray(tray);
            return RecordingDrag::dropIntoTray(tray);
        }
    } self;
    self.bar = &b.bar;
    EXPECT_TRUE(b.bar.dragOver(b.frame, b.on(6), self, true));
    EXPECT_EQ(self.calls, (std::vector<std::string>{"into 6"}));
    EXPECT_EQ(b.order(), (std::vector<std::uint32_t>{0}));
}

// The release selects the tray; the press is left to the bar, which takes it.
TEST(TrayBar, AnIconSelectsItsTrayOnRelease) {
    Bar b;
    b.view.menu = nullptr;
    b.bar.setTrays({0, 3});
    EXPECT_TRUE(b.bar.pointerButton(b.frame, b.on(3), true));
    EXPECT_TRUE(b.view.selected.empty());
    EXPECT_FALSE(b.bar.icon(3)->pointerButton(b.frame, b.on(3), true));
    EXPECT_TRUE(b.bar.pointerButton(b.frame, b.on(3), false));
    EXPECT_EQ(b.view.selected, (std::vector<std::uint32_t>{3}));
    // The bar's background and the new-tray icon select nothing.
    EXPECT_TRUE(b.bar.pointerButton(b.frame, b.onBackground(), false));
    EXPECT_TRUE(b.bar.pointerButton(b.frame, b.onNewTray(), false));
    EXPECT_EQ(b.view.selected, (std::vector<std::uint32_t>{3}));
}
