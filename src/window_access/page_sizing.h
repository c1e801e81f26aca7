#pragma once
// Makes a browser window's page area (see page_area.h) a given size: the
// window is restored and placed at the screen's top-left corner like a
// preset, its page area read, and the window's outer size changed by what
// is missing, until the page area is exact or a few tries are spent (the
// browser's bars may change between one size and the next).

#include "page_area.h"
#include "resize_command.h"
#include "window_system.h"

#include <chrono>
#include <string>

namespace quenlow {

struct page_sizing_result {
    // placed: the page area is exactly the size asked, and stayed so a
    // moment. other_size: the window was placed, but the page area settled
    // at width x height (page pixels). refused with `why_not`: the page area
    // could not be learnt, and the window was left as it was. no_answer:
    // the browser stopped telling it once the window was placed. Otherwise
    // what placing the window did.
    placement_result placement;
    std::string why_not;
};

struct page_sizing_policy {
    int placements = 4;  // the first included
    // How often the page area is read while the browser lays the page out
    // again, and for how long at most after each placement.
    std::chrono::milliseconds interval{20};
    std::chrono::milliseconds settle_limit{2000};
    // A reading that stays the same this long after it changed, where no
    // other was expected, is where the page settled; one that never changed,
    // after unchanged_at_first (the browser may not have begun).
    std::chrono::milliseconds unchanged_for{300};
    std::chrono::milliseconds unchanged_at_first{800};
};

page_sizing_result size_page_area(window_system& windows, page_area_reader& pages, window_handle window,
                                  window_size wanted, const page_sizing_policy& policy = {});

}  // namespace quenlow
