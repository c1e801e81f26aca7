// The fake stands in for a real desktop in every other test, so the
// behaviours they rely on are pinned down here.
#include "fake_window_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quenlow {
namespace {

using ::testing::ElementsAre;

TEST(FakeDesktop, WalkOffersTopFirstAndStopsWhenAsked)
{
    fake_window_system desktop;
    const window_handle bottom = desktop.open_window("bottom");
    const window_handle top = desktop.open_window("top");

    std::vector<window_handle> seen;
    desktop.enum_windows([&](window_handle w) { seen.push_back(w); return true; });
    EXPECT_THAT(seen, ElementsAre(top, bottom));

    seen.clear();
    desktop.enum_windows([&](window_handle w) { seen.push_back(w); return false; });
    EXPECT_THAT(seen, ElementsAre(top));
}

TEST(FakeDesktop, TextReadHonoursCapacityAndVanishedWindows)
{
    fake_window_system desktop;
    const window_handle w = desktop.open_window("Netscape");
    char buffer[5] = {'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(desktop.window_text(w, buffer, sizeof buffer), 4u);
    EXPECT_STREQ(buffer, "Nets");

    desktop.close_window(w);
    EXPECT_EQ(desktop.window_text_length(w), 0u);
    EXPECT_EQ(desktop.window_text(w, buffer, sizeof buffer), 0u);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(desktop.find_window("Netscape"), no_window);
}

TEST(FakeDesktop, AlwaysOnTopWindowsStayAboveRaisedOnes)
{
    fake_window_system desktop;
    const window_handle own = desktop.open_window("own");
    const window_handle browser = desktop.open_window("Netscape");
    desktop.set_topmost(own, true);
    EXPECT_THAT(desktop.stacking_order(), ElementsAre(own, browser));

    desktop.place_window(browser, 640, 480);
    EXPECT_THAT(desktop.stacking_order(), ElementsAre(own, browser));

    desktop.set_topmost(own, false);
    desktop.place_window(browser, 640, 480);
    EXPECT_THAT(desktop.stacking_order(), ElementsAre(browser, own));
}

TEST(FakeDesktop, PlacingWithoutRestoreLeavesAMaximisedWindowMaximised)
{
    fake_window_system desktop;
    const window_handle w =
        desktop.open_window("Netscape", {5, 5, 300, 300}, show_state::maximised);
    desktop.place_window(w, 640, 480);
    EXPECT_EQ(desktop.geometry(w), fake_window_system::screen);
}

}  // namespace
}  // namespace quenlow
