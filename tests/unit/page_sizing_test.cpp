// Sizing a page area over the in-memory desktop, with a browser whose bars
// take part of its window and change as it is resized.
#include "command_line.h"
#include "fake_window_system.h"
#include "page_sizing.h"
#ifdef QUENLOW_HAVE_ATSPI
#include "accessibility_bus.h"
#endif

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

#include <gmock/gmock.h>
#include <gtest/gtest.h>


namespace quenlow {
namespace {

using outcome = placement_result::outcome;

// A browser whose page is its window less a toolbar; once the window has
// been resized a notification bar takes `bar_after_first` more (as a
// warning bar does once it appears), and `growth` more with every new size.
struct browser_pages : page_area_reader {
    explicit browser_pages(fake_window_system& desktop) : desktop(desktop) {}
    ~browser_pages() override
    {
        if (calls_at_end) *calls_at_end = desktop.calls();
    }
    page_reading read(const page_window& window, clock::time_point) override
    {
        if (!why_not.empty()) return page_not_found(why_not);
        const rect outer = desktop.geometry(window.window);
        if (outer.width == 0) return page_not_found("gone");
        if (told_width) return {true, told_width, 600, outer.width, outer.height, {}};
        if (sizes_seen.empty() || sizes_seen.back() != std::pair(outer.width, outer.height)) {
            sizes_seen.emplace_back(outer.width, outer.height);
        }
        const int sizes = static_cast<int>(sizes_seen.size());
        const int bar = (sizes >= 2 ? bar_after_first : 0) + growth * sizes;
        return {true, outer.width - 2, outer.height - 85 - bar, outer.width, outer.height, {}};
    }
    fake_window_system& desktop;
    std::string why_not;
    int bar_after_first = 0;
    int growth = 0;
    int told_width = 0;  // a width the browser tells whatever its window
    std::vector<std::pair<int, int>> sizes_seen;
    std::vector<std::string>* calls_at_end = nullptr;
};

constexpr page_sizing_policy quick{4,
                                   std::chrono::milliseconds(1),
                                   std::chrono::milliseconds(5),
                                   std::chrono::milliseconds(10),
                                   std::chrono::milliseconds(3),
                                   std::chrono::milliseconds(2000)};

TEST(PageSizing, ThePageComesToTheSizeAskedEvenWhenABarAppearsOnTheWay)
{
    fake_window_system desktop;
    const window_handle browser = desktop.open_window("Page - Chromium", {300, 200, 500, 400}, show_state::maximised);
    browser_pages pages(desktop);
    pages.bar_after_first = 30;
    const page_sizing_result sized = size_page_area(desktop, pages, browser, {1024, 768}, quick);
    EXPECT_EQ(sized.placement.what, outcome::placed);
    EXPECT_EQ(desktop.geometry(browser), (rect{0, 0, 1026, 768 + 85 + 30}));
    EXPECT_EQ(desktop.window(browser)->state, show_state::normal);

    // A browser whose bars never stop changing: placed, and the page's
    // last size told.
    pages.growth = 10;
    const page_sizing_result moving = size_page_area(desktop, pages, browser, {800, 600}, quick);
    EXPECT_EQ(moving.placement.what, outcome::other_size);
    const page_reading last = pages.read({browser, 0, "", {}}, {});
    EXPECT_EQ(std::pair(moving.placement.width, moving.placement.height), std::pair(last.width, last.height));
    EXPECT_NE(std::pair(last.width, last.height), std::pair(800, 600));
}

TEST(PageSizing, OnAScaledDisplayThePageIsTheSizeAskedInPagePixelsAtTheFirstPlacement)
{
    // 150 %: not every device size is a whole page size times 1.5, and the
    // window's own bars are known before it moves.
    fake_window_system desktop;
    desktop.scale = 1.5;
    const window_handle browser = desktop.open_window("Page - Chromium", {300, 200, 500, 400}, show_state::maximised);
    browser_pages pages(desktop);
    for (const auto& [width, height] : {std::pair{1024, 768}, std::pair{683, 511}}) {
        desktop.forget_calls();
        EXPECT_EQ(size_page_area(desktop, pages, browser, {width, height}, quick).placement.what, outcome::placed);
        const rect outer = desktop.geometry(browser);
        EXPECT_EQ(std::pair(outer.width - 2, outer.height - 85), std::pair(int(std::lround(width * 1.5)),
                                                                           int(std::lround(height * 1.5))));
        EXPECT_EQ(std::count_if(desktop.calls().begin(), desktop.calls().end(),
                                [](const std::string& call) { return call.starts_with("place"); }),
                  1);
    }
}

TEST(PageSizing, APageSmallerThanTheBrowserAllowsIsToldWithTheBrowsersSmallest)
{
    // A phone's width in a browser whose window is at least 502 wide, where
    // the window system shows the window's size and where only placing
    // tells it.
    for (const bool shows_geometry : {true, false}) {
        fake_window_system desktop;
        desktop.shows_geometry = shows_geometry;
        const window_handle browser = desktop.open_window("Page - Chromium");
        desktop.set_smallest(browser, 502, 100);
        browser_pages pages(desktop);
        const page_sizing_result sized = size_page_area(desktop, pages, browser, {375, 667}, quick);
        EXPECT_TRUE(sized.smallest) << shows_geometry;
        EXPECT_EQ(std::tuple(sized.placement.what, sized.placement.width, sized.placement.height),
                  std::tuple(outcome::other_size, 500, 667));
        EXPECT_EQ(desktop.geometry(browser), (rect{0, 0, 502, 667 + 85}));
    }
}

TEST(PageSizing, ABrowserThatLiesOrStallsIsToldWithinTheRunsBound)
{
    fake_window_system desktop;
    const window_handle browser = desktop.open_window("Page - Chromium", {300, 200, 500, 400});
    browser_pages pages(desktop);
    // A size no screen has, which the correction must not add up: the
    // window stays where it was.
    pages.told_width = std::numeric_limits<int>::max();
    const page_sizing_result lying = size_page_area(desktop, pages, browser, {800, 600}, quick);
    EXPECT_EQ(lying.placement.what, outcome::refused);
    EXPECT_THAT(lying.why_not, ::testing::HasSubstr("2147483647x600"));
    EXPECT_EQ(desktop.geometry(browser), (rect{300, 200, 500, 400}));

    // A page that never relays out, against a bound shorter than its wait.
    pages.told_width = 700;
    page_sizing_policy bounded = quick;
    bounded.unchanged_at_first = std::chrono::seconds(10);
    bounded.run_bound = std::chrono::milliseconds(50);
    const page_sizing_result stalled = size_page_area(desktop, pages, browser, {800, 600}, bounded);
    EXPECT_EQ(stalled.placement.what, outcome::no_answer);
    EXPECT_THAT(stalled.why_not, ::testing::HasSubstr("in time"));
}

#ifdef QUENLOW_HAVE_ATSPI
TEST(AccessibilityBus, OnlyLocalSocketsAreConnectedTo)
{
    EXPECT_TRUE(atspi::plain_socket_address("unix:path=/run/user/1000/at-spi/bus_0,guid=ab"));
    EXPECT_TRUE(atspi::plain_socket_address("unix:abstract=/tmp/dbus-x;unix:path=/tmp/y"));
    EXPECT_FALSE(atspi::plain_socket_address("unixexec:path=/bin/sh,argv1=-c"));
    EXPECT_FALSE(atspi::plain_socket_address("unix:path=/tmp/y;tcp:host=example.org,port=1"));
    EXPECT_FALSE(atspi::plain_socket_address(""));
}
#endif

TEST(PageSizing, APageAreaThatCannotBeLearntLeavesTheWindowAsItWasAndSaysWhy)
{
    // The command line over a minimised browser; the calls it made, as the
    // page reader (which goes first) last sees them: the window is found,
    // and neither restored nor placed.
    std::string out, err;
    fake_window_system* desktop = nullptr;
    std::vector<std::string> calls;
    const int status = run_command_line(
        {"--size", "1024x768", "--page", "Page - Chromium"},
        [&]() -> std::unique_ptr<window_system> {
            auto made = std::make_unique<fake_window_system>();
            made->open_window("Page - Chromium", {300, 200, 500, 400}, show_state::minimised);
            desktop = made.get();
            return made;
        },
        out, err, [&]() -> std::unique_ptr<page_area_reader> {
            auto pages = std::make_unique<browser_pages>(*desktop);
            pages->why_not = "start the browser with --force-renderer-accessibility";
            pages->calls_at_end = &calls;
            return pages;
        });
    EXPECT_EQ(status, command_not_placed);
    EXPECT_EQ(err, "quenlow: 'Page - Chromium' was left as it was: its page area cannot be learnt: start the browser "
                   "with --force-renderer-accessibility\n");
    EXPECT_THAT(calls, ::testing::ElementsAre("find Page - Chromium"));
}

}  // namespace
}  // namespace quenlow
