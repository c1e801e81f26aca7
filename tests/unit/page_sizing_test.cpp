// Sizing a page area over the in-memory desktop, with a browser whose bars
// take part of its window and change as it is resized.
#include "command_line.h"
#include "fake_window_system.h"
#include "page_sizing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>


namespace quenlow {
namespace {

using outcome = placement_result::outcome;

// A browser whose page is its window less a toolbar; from the second size
// on a notification bar takes `bar_after_first` more (as a warning bar
// does once it appears), and `growth` more with every new size.
struct browser_pages : page_area_reader {
    explicit browser_pages(fake_window_system& desktop) : desktop(desktop) {}
    ~browser_pages() override
    {
        if (calls_at_end) *calls_at_end = desktop.calls();
    }
    page_reading read(const page_window& window) override
    {
        if (!why_not.empty()) return {false, 0, 0, why_not};
        const rect outer = desktop.geometry(window.window);
        if (outer.width == 0) return {false, 0, 0, "gone"};
        if (sizes_seen.empty() || sizes_seen.back() != std::pair(outer.width, outer.height)) {
            sizes_seen.emplace_back(outer.width, outer.height);
        }
        const int sizes = static_cast<int>(sizes_seen.size());
        const int bar = (sizes > 2 ? bar_after_first : 0) + growth * sizes;
        return {true, outer.width - 2, outer.height - 85 - bar, {}};
    }
    fake_window_system& desktop;
    std::string why_not;
    int bar_after_first = 0;
    int growth = 0;
    std::vector<std::pair<int, int>> sizes_seen;
    std::vector<std::string>* calls_at_end = nullptr;
};

constexpr page_sizing_policy quick{4, std::chrono::milliseconds(1), std::chrono::milliseconds(200),
                                   std::chrono::milliseconds(5), std::chrono::milliseconds(10)};

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
    const page_reading last = pages.read({browser, 0, ""});
    EXPECT_EQ(std::pair(moving.placement.width, moving.placement.height), std::pair(last.width, last.height));
    EXPECT_NE(std::pair(last.width, last.height), std::pair(800, 600));
}

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
