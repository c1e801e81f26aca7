#pragma once
// The page area: the part of a browser window the page is drawn in, whose
// size a page sees as innerWidth x innerHeight (its scroll bars included).
// CSS breakpoints are that size, not the window's. Window systems do not
// know it; the browser tells it to assistive technology (AT-SPI on Linux)
// or keeps it as a child window of its own (Chrome on Windows), and a
// page_area_reader asks there.

#include "window_system.h"

#include <cstdint>
#include <string>

namespace quenlow {

// The browser window whose page area is wanted.
struct page_window {
    window_handle window = no_window;
    std::uint32_t process_id = 0;  // its process, 0 when unknown
    std::string title;
};

struct page_reading {
    bool found = false;
    // The page area, in the display's own pixels (device pixels where the
    // window system scales the presets: see window_system::display_scale).
    int width = 0, height = 0;
    // Not found: why, in words that tell the user what to do.
    std::string why_not;

    friend bool operator==(const page_reading&, const page_reading&) = default;
};

class page_area_reader {
public:
    virtual ~page_area_reader() = default;
    // The page area of the page shown in `window` (the selected tab's) as the
    // browser tells it now. Never throws; a window or browser that went away
    // is a reading that was not found.
    virtual page_reading read(const page_window& window) = 0;
};

}  // namespace quenlow
