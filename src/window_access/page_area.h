#pragma once
// The page area: the part of a browser window the page is drawn in, whose
// size a page sees as innerWidth x innerHeight (its scroll bars included).
// CSS breakpoints are that size, not the window's. Window systems do not
// know it; the browser tells it to assistive technology (AT-SPI on Linux)
// or keeps it as a child window of its own (Chrome on Windows), and a
// page_area_reader asks there.

#include "window_system.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>

namespace quenlow {

// The browser window whose page area is wanted.
struct page_window {
    window_handle window = no_window;
    std::uint32_t process_id = 0;  // its process, 0 when unknown
    std::string title;
    // Its client rectangle in display pixels where the window system tells
    // it: of several windows of one browser with one title, the one there.
    window_rect client;
};

// Sides a reading is believed within: a browser that answers more (or a
// value near INT_MAX) is lying, and sizing a window by it helps nobody.
inline constexpr int largest_page_side = 16384;

struct page_reading {
    bool found = false;
    // The page area of the active tab (never docked developer tools or a
    // side panel), in the display's own pixels (device pixels where the
    // window system scales the presets: see window_system::display_scale).
    // 1..largest_page_side when found.
    int width = 0, height = 0;
    // The browser window the page is in, as the browser tells it in the
    // same pixels (0 x 0 where it does not): what its bars and frame take
    // is the difference, known before anything moves.
    int frame_width = 0, frame_height = 0;
    // Not found: why, in words that tell the user what to do.
    std::string why_not;

    friend bool operator==(const page_reading&, const page_reading&) = default;
};

// Whether a reading's sides are ones a browser may truthfully tell.
inline bool plausible(const page_reading& reading)
{
    const auto side = [](int pixels) { return pixels >= 1 && pixels <= largest_page_side; };
    return side(reading.width) && side(reading.height) && (reading.frame_width == 0 || side(reading.frame_width)) &&
           (reading.frame_height == 0 || side(reading.frame_height));
}

// A reading that was not found, and why.
inline page_reading page_not_found(std::string why)
{
    page_reading reading;
    reading.why_not = std::move(why);
    return reading;
}

class page_area_reader {
public:
    using clock = std::chrono::steady_clock;

    virtual ~page_area_reader() = default;
    // The page area of the page shown in `window` (the selected tab's) as the
    // browser tells it now. Returns by `deadline` whatever the browser does
    // (every call to it is bounded by the time left); a reading cut short
    // says which step ran out. Never throws; a window or browser that went
    // away is a reading that was not found.
    virtual page_reading read(const page_window& window, clock::time_point deadline) = 0;
};

}  // namespace quenlow
