#include "page_sizing.h"

#include "browser_list.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <thread>

namespace quenlow {

namespace {

using clock = std::chrono::steady_clock;

// The page area after a placement, once the browser has laid the page out
// again: `expected` where it shows; else the reading that stayed the same
// for policy.unchanged_for once it changed, or for policy.unchanged_at_first
// where it never did (the browser may not have begun yet). A reading that
// was not found ends the wait.
page_reading settled_reading(page_area_reader& pages, const page_window& who, const page_reading& before,
                             const std::optional<page_reading>& expected, const page_sizing_policy& policy)
{
    const auto start = clock::now();
    auto last_change = start;
    page_reading last = before;
    bool changed = false;
    while (true) {
        std::this_thread::sleep_for(policy.interval);
        const page_reading now = pages.read(who);
        if (!now.found) return now;
        const auto time = clock::now();
        if (now != last) {
            last = now;
            last_change = time;
            changed = true;
        }
        if (expected && now == *expected) return now;
        const auto quiet = changed ? policy.unchanged_for : policy.unchanged_at_first;
        if (time - last_change >= quiet || time - start >= policy.settle_limit) return last;
    }
}

int page_pixels(int display_pixels, double scale) { return static_cast<int>(std::lround(display_pixels / scale)); }

}  // namespace

page_sizing_result size_page_area(window_system& windows, page_area_reader& pages, window_handle window,
                                  window_size wanted, const page_sizing_policy& policy)
{
    using outcome = placement_result::outcome;
    const page_window who{window, windows.process_id(window), read_window_title(windows, window)};
    // Learnt before anything changes, so a page area that cannot be learnt
    // leaves the window as it was.
    page_reading seen = pages.read(who);
    if (!seen.found) return {{outcome::refused}, seen.why_not};

    const double scale = windows.display_scale(window);
    // The first guess is the page's size as the outer size; each reading
    // then tells how much the browser's own bars and frame take.
    window_size outer = wanted;
    std::optional<page_reading> expected;
    window_size page{};
    // Whether the latest reading is the size wanted, in page pixels.
    const auto reached = [&] {
        page = {page_pixels(seen.width, scale), page_pixels(seen.height, scale)};
        return seen.found && page.width == wanted.width && page.height == wanted.height;
    };
    for (int placement = 0; placement < policy.placements; ++placement) {
        // Each placement is a user action of its own: the time spent asking
        // the browser between them is not the desktop's to answer in.
        const placement_result placed = [&] {
            const user_action placing(windows);
            return placement == 0 ? resize_window(windows, window, outer)
                                  : windows.place_window(window, outer.width, outer.height);
        }();
        if (placed.what != outcome::placed && placed.what != outcome::other_size) return {placed, {}};
        seen = settled_reading(pages, who, seen, expected, policy);
        if (reached()) {
            // A reading the browser had not yet replaced may match by
            // chance: the page must keep the size a while.
            page_sizing_policy holding = policy;
            holding.unchanged_at_first = policy.unchanged_for;
            seen = settled_reading(pages, who, seen, std::nullopt, holding);
            if (reached()) return {{outcome::placed}, {}};
        }
        // The browser stopped answering once the window was placed.
        if (!seen.found) return {{outcome::no_answer}, {}};
        const window_size missing{wanted.width - page.width, wanted.height - page.height};
        outer = {std::max(1, outer.width + missing.width), std::max(1, outer.height + missing.height)};
        expected = seen;
        expected->width += static_cast<int>(std::lround(missing.width * scale));
        expected->height += static_cast<int>(std::lround(missing.height * scale));
    }
    return {{outcome::other_size, page.width, page.height}, {}};
}

}  // namespace quenlow
