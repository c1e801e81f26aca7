#pragma once
// Makes a browser window's page area (see page_area.h) a given size in page
// pixels (CSS pixels at 100 % zoom: what innerWidth x innerHeight report on
// a page the user has not zoomed). The page area is read before anything
// moves; the window is then restored and placed at the screen's top-left
// corner with the outer size that leaves the page exactly that size (the
// window's own difference between its outer size and its page, learnt
// before), and, where the browser's bars changed on the way, placed again
// with the new difference, a few times at most. The whole run is bounded by
// one deadline that every read of the browser shares.

#include "page_area.h"
#include "resize_command.h"
#include "window_system.h"

#include <chrono>
#include <string>

namespace quenlow {

struct page_sizing_result {
    // placed: the page area is exactly the size asked, and stayed so a
    // moment. other_size: the window was placed, but the page area settled
    // at width x height (page pixels); `smallest` when that is because the
    // browser makes its page no smaller (a phone's width in a desktop
    // browser). refused with `why_not`: the page area could not be learnt,
    // and the window was left as it was. no_answer with `why_not`: the
    // browser stopped telling its page area, or the run's time ran out, once
    // the window had moved. Otherwise what placing the window did.
    placement_result placement;
    std::string why_not;
    bool smallest = false;
};

struct page_sizing_policy {
    int placements = 4;  // the first included
    // How often the page area is read while the browser lays the page out
    // again.
    std::chrono::milliseconds interval{10};
    // Where the page did not come to the size expected: a reading that
    // stays the same this long after it changed is where it settled; one
    // that never changed, after unchanged_at_first (the browser may not
    // have begun).
    std::chrono::milliseconds unchanged_for{300};
    std::chrono::milliseconds unchanged_at_first{800};
    // A page that came to the size asked must keep it this long: a reading
    // the browser had not yet replaced may match by chance.
    std::chrono::milliseconds hold{30};
    // The whole run, whatever the browser does.
    std::chrono::milliseconds run_bound{4000};
    // The hold where the window system does not show the window's size
    // (the Wayland compositors): the browser may yet give its window a size
    // of its own after the compositor's (Firefox on sway restores the size
    // it remembers once its window leaves a tile), unseen but on its page.
    std::chrono::milliseconds unseen_hold{300};
};

page_sizing_result size_page_area(window_system& windows, page_area_reader& pages, window_handle window,
                                  window_size wanted, const page_sizing_policy& policy = {});

}  // namespace quenlow
