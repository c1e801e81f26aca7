#pragma once
// The program's purpose: make the picked browser window one of four common
// screen sizes at the screen's top-left corner.

#include "window_system.h"

#include <array>
#include <string_view>

namespace quenlow {

struct size_preset {
    std::string_view caption;  // fixed in every language
    int width;                 // outer size in pixels
    int height;
};

// In the order the size options are tested and shown.
inline constexpr std::array<size_preset, 4> size_presets{{
    {"  640 X 480", 640, 480},
    {"  800 X 600", 800, 600},
    {"1024 X 768", 1024, 768},
    {"1280 X 1024", 1280, 1024},
}};

struct window_size {
    int width = 0;
    int height = 0;
};

// The size of the first selected option, testing 640 first; 0 x 0 when none
// is selected.
window_size chosen_size(const std::array<bool, size_presets.size()>& selected);

// Restores the window and places it at (0, 0) with `size`; what placing did.
placement_result resize_window(window_system& windows, window_handle window, window_size size);

// Finds the window titled exactly `title`, restores it and places it at
// (0, 0) with `size`. Does nothing for an empty title or when no window has
// that title any longer. Returns the window it resized, or no_window.
window_handle resize_window_titled(window_system& windows, std::string_view title,
                                   window_size size);

// Fast Button mode is on for the checked (1) and the indeterminate (2) state.
constexpr bool fast_mode_on(int fast_button_state) { return fast_button_state > 0; }

// A released mouse button over a size option applies the size at once only
// for the left button (code 1) in fast mode.
inline constexpr int left_mouse_button = 1;
constexpr bool applies_on_release(int button, int fast_button_state)
{
    return button == left_mouse_button && fast_mode_on(fast_button_state);
}

}  // namespace quenlow
