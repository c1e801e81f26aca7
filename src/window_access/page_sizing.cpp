#include "page_sizing.h"

#include "browser_list.h"
#include "interruption.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <thread>

namespace quenlow {

namespace {

using clock = std::chrono::steady_clock;
using outcome = placement_result::outcome;

struct size2 {
    int width = 0, height = 0;
    friend bool operator==(const size2&, const size2&) = default;
};

int scaled(int pixels, double scale) { return static_cast<int>(std::lround(pixels * scale)); }
size2 scaled(size2 size, double scale) { return {scaled(size.width, scale), scaled(size.height, scale)}; }
int clamped(int side) { return std::clamp(side, 1, largest_page_side); }

// A reading, with one whose sides no browser has taken as not found: a
// value near INT_MAX must not reach the sums below.
page_reading checked_read(page_area_reader& pages, const page_window& who, clock::time_point deadline)
{
    page_reading reading = pages.read(who, deadline);
    if (reading.found && !plausible(reading)) {
        return page_not_found("the browser told a page area of " + std::to_string(reading.width) + "x" +
                              std::to_string(reading.height) + ", which no screen has");
    }
    return reading;
}

// The page area after a placement, once the browser has laid the page out
// again: `expected` where it shows; else the reading that stayed the same
// for policy.unchanged_for once it changed, or for policy.unchanged_at_first
// where it never did (the browser may not have begun yet). A reading that
// was not found, the deadline or an interruption ends the wait.
page_reading settled_reading(page_area_reader& pages, const page_window& who, const page_reading& before,
                             const std::optional<size2>& expected, const page_sizing_policy& policy,
                             clock::time_point deadline)
{
    auto last_change = clock::now();
    page_reading last = before;
    bool changed = false;
    while (!interruption_requested()) {
        std::this_thread::sleep_for(policy.interval);
        const page_reading now = checked_read(pages, who, deadline);
        if (!now.found) return now;
        const auto time = clock::now();
        if (size2{now.width, now.height} != size2{last.width, last.height}) {
            last_change = time;
            changed = true;
        }
        last = now;
        if (expected && size2{now.width, now.height} == *expected) return now;
        const auto quiet = changed ? policy.unchanged_for : policy.unchanged_at_first;
        if (time - last_change >= quiet || time >= deadline) return last;
    }
    return last;
}

// Whether the page keeps the size `wanted` for `hold`.
bool holds(page_area_reader& pages, const page_window& who, size2 wanted, const page_sizing_policy& policy,
           std::chrono::milliseconds hold, clock::time_point deadline)
{
    for (const auto end = clock::now() + hold; clock::now() < end;) {
        if (interruption_requested() || clock::now() >= deadline) return false;
        std::this_thread::sleep_for(policy.interval);
        const page_reading now = checked_read(pages, who, deadline);
        if (!now.found || size2{now.width, now.height} != wanted) return false;
    }
    return true;
}

}  // namespace

page_sizing_result size_page_area(window_system& windows, page_area_reader& pages, window_handle window,
                                  window_size asked, const page_sizing_policy& policy)
{
    const auto deadline = clock::now() + policy.run_bound;
    const window_geometry before = windows.current_geometry(window);
    const page_window who{window, windows.process_id(window), read_window_title(windows, window), before.client};
    // Learnt before anything changes, so a page area that cannot be learnt
    // leaves the window as it was.
    page_reading seen = checked_read(pages, who, deadline);
    if (!seen.found) return {{outcome::refused}, seen.why_not};

    const double scale = windows.display_scale(window);
    // All sizes below are display pixels. Both Firefox and Chromium tell
    // their page in them on a scaled X11 desktop (Chromium its frame in
    // pixels of its own, the display's scale-th part: its frame is used
    // only where the window system tells no outer size).
    const auto page_of = [](const page_reading& reading) { return size2{reading.width, reading.height}; };
    const size2 wanted = scaled(size2{asked.width, asked.height}, scale);
    // The first guess: the window's outer size less its page, as it is now,
    // around the page wanted; else the page's size as the outer size.
    size2 outer = wanted;
    if (before.visible.known()) {
        const size2 page = page_of(seen);
        outer = {wanted.width + before.visible.width - page.width, wanted.height + before.visible.height - page.height};
    } else if (seen.frame_width > 0 && seen.frame_height > 0) {
        outer = {wanted.width + seen.frame_width - seen.width, wanted.height + seen.frame_height - seen.height};
    }
    size2 page{};
    const auto stopped_telling = [&]() -> page_sizing_result {
        return {{outcome::no_answer},
                "the browser stopped telling its page area once the window was placed: " + seen.why_not};
    };
    for (int placement = 0; placement < policy.placements; ++placement) {
        if (interruption_requested()) return {{placement == 0 ? outcome::refused : outcome::no_answer}, "interrupted"};
        outer = {clamped(outer.width), clamped(outer.height)};
        // Each placement is a user action of its own: the time spent asking
        // the browser between them is not the desktop's to answer in.
        const placement_result placed = [&] {
            const user_action placing(windows);
            if (placement == 0) windows.restore_window(window);
            return windows.place_window_exactly(window, outer.width, outer.height);
        }();
        if (placed.what != outcome::placed && placed.what != outcome::other_size) return {placed, {}};
        seen = settled_reading(pages, who, seen, wanted, policy, deadline);
        if (!seen.found) return stopped_telling();
        page = page_of(seen);
        if (page == wanted) {
            // Where the window system shows the window, the window must also
            // keep its size through the hold (a browser may give itself
            // another after ours, and the page follows only later).
            const bool shown = before.visible.known();
            const window_rect at_match = shown ? windows.current_geometry(window).visible : window_rect{};
            if (holds(pages, who, wanted, policy, shown ? policy.hold : policy.unseen_hold, deadline) &&
                (!shown || windows.current_geometry(window).visible == at_match)) {
                return {{outcome::placed}, {}};
            }
            // It moved on: where to, once settled.
            seen = settled_reading(pages, who, seen, std::nullopt, policy, deadline);
            if (!seen.found) return stopped_telling();
            page = page_of(seen);
        }
        if (interruption_requested()) return {{outcome::no_answer}, "interrupted"};
        if (clock::now() >= deadline) {
            return {{outcome::no_answer}, "the browser's page area did not settle in time"};
        }
        // The window's outer size now (where the window system does not
        // show it, as placing read it back), against its page now: the bars
        // may have changed with the size.
        const window_geometry now = windows.current_geometry(window);
        const size2 visible = now.visible.known()                  ? size2{now.visible.width, now.visible.height}
                              : placed.what == outcome::other_size ? size2{placed.width, placed.height}
                                                                   : outer;
        const size2 next{wanted.width + visible.width - page.width, wanted.height + visible.height - page.height};
        // A window kept larger than asked whose page is still larger than
        // wanted: the browser makes its page no smaller.
        const bool kept_wider = visible.width > outer.width && page.width > wanted.width;
        const bool kept_higher = visible.height > outer.height && page.height > wanted.height;
        if (placed.what == outcome::other_size && (kept_wider || kept_higher)) {
            return {{outcome::other_size, scaled(page.width, 1 / scale), scaled(page.height, 1 / scale)}, {}, true};
        }
        outer = next;
    }
    return {{outcome::other_size, scaled(page.width, 1 / scale), scaled(page.height, 1 / scale)}, {}};
}

}  // namespace quenlow
