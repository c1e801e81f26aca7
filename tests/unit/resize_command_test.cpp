#include "fake_window_system.h"
#include "resize_command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quenlow {
namespace {

using ::testing::ElementsAre;

constexpr window_size size_800{800, 600};

TEST(ChosenSize, EachOptionGivesItsPresetAndTheFirstSelectedWins)
{
    EXPECT_EQ(chosen_size({true, false, false, false}).width, 640);
    EXPECT_EQ(chosen_size({false, true, false, false}).height, 600);
    EXPECT_EQ(chosen_size({false, false, true, false}).width, 1024);
    const window_size largest = chosen_size({false, false, false, true});
    EXPECT_EQ(largest.width, 1280);
    EXPECT_EQ(largest.height, 1024);
    EXPECT_EQ(chosen_size({false, true, true, false}).width, 800);
    EXPECT_EQ(chosen_size({false, false, false, false}).width, 0);
}

TEST(SizePresets, CaptionsMatchTheirSizes)
{
    EXPECT_EQ(size_presets[0].caption, "  640 X 480");
    EXPECT_EQ(size_presets[1].caption, "  800 X 600");
    EXPECT_EQ(size_presets[2].caption, "1024 X 768");
    EXPECT_EQ(size_presets[3].caption, "1280 X 1024");
}

class ResizeCommand : public ::testing::Test {
protected:
    fake_window_system desktop;
};

TEST_F(ResizeCommand, EmptySelectionTouchesNothing)
{
    desktop.open_window("");
    EXPECT_EQ(resize_window_titled(desktop, "", size_800), no_window);
    EXPECT_TRUE(desktop.calls().empty());
}

TEST_F(ResizeCommand, ClosedBrowserEndsTheCommandAfterTheLookup)
{
    const window_handle browser = desktop.open_window("Gone - Netscape");
    desktop.close_window(browser);

    EXPECT_EQ(resize_window_titled(desktop, "Gone - Netscape", size_800), no_window);
    EXPECT_THAT(desktop.calls(), ElementsAre("find Gone - Netscape"));
}

TEST_F(ResizeCommand, LookupIsExactSoAnotherCaseIsNotResized)
{
    desktop.open_window("home - netscape");
    EXPECT_EQ(resize_window_titled(desktop, "Home - Netscape", size_800), no_window);
    EXPECT_EQ(resize_window_titled(desktop, "Home - Netscape ", size_800), no_window);
}

TEST_F(ResizeCommand, MaximisedAndMinimisedWindowsAreRestoredBeforeSizing)
{
    for (show_state state : {show_state::maximised, show_state::minimised}) {
        fake_window_system desk;
        const window_handle browser =
            desk.open_window("Page - Netscape", {300, 200, 900, 700}, state);

        ASSERT_EQ(resize_window_titled(desk, "Page - Netscape", size_800), browser);

        const std::string h = std::to_string(browser);
        EXPECT_THAT(desk.calls(), ElementsAre("find Page - Netscape", "restore " + h,
                                              "place " + h + " 800x600"));
        EXPECT_EQ(desk.window(browser)->state, show_state::normal);
        EXPECT_EQ(desk.geometry(browser), (rect{0, 0, 800, 600}));
    }
}

TEST_F(ResizeCommand, WindowAlreadyAtTheSizeIsStillMovedAndRaised)
{
    const window_handle browser = desktop.open_window("Page - Netscape", {50, 60, 800, 600});
    const window_handle above = desktop.open_window("Editor");

    resize_window_titled(desktop, "Page - Netscape", size_800);

    EXPECT_EQ(desktop.geometry(browser), (rect{0, 0, 800, 600}));
    EXPECT_THAT(desktop.stacking_order(), ElementsAre(browser, above));
}

TEST_F(ResizeCommand, OfEqualTitlesOnlyTheTopOneIsResized)
{
    const window_handle lower = desktop.open_window("Home - Netscape", {10, 10, 300, 300});
    const window_handle upper = desktop.open_window("Home - Netscape", {20, 20, 400, 400});

    EXPECT_EQ(resize_window_titled(desktop, "Home - Netscape", {1024, 768}), upper);
    EXPECT_EQ(desktop.geometry(upper), (rect{0, 0, 1024, 768}));
    EXPECT_EQ(desktop.geometry(lower), (rect{10, 10, 300, 300}));
}

TEST(FastApply, OnlyALeftReleaseInFastModeApplies)
{
    constexpr int right = 2;
    constexpr int middle = 4;
    for (int state : {0, 1, 2}) {
        EXPECT_EQ(applies_on_release(left_mouse_button, state), state > 0) << state;
        EXPECT_FALSE(applies_on_release(right, state)) << state;
        EXPECT_FALSE(applies_on_release(middle, state)) << state;
    }
    EXPECT_FALSE(fast_mode_on(0));
    EXPECT_TRUE(fast_mode_on(1));
    EXPECT_TRUE(fast_mode_on(2));  // indeterminate counts as on
}

}  // namespace
}  // namespace quenlow
