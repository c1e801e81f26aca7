#pragma once
// The window system of a Windows desktop, on user32.
//
// Titles are read with the wide calls and handed out as UTF-8, so titles
// outside the legacy code page (CJK, emoji) come through intact and are
// found again. The title lookup compares exactly (letter case counts),
// where FindWindow does not, and keeps its choice of the top-most window
// among equal titles. Placing allows for the invisible resize borders of
// Windows 10 and later, so the visible frame lands at the origin.

#include "window_system.h"

#include <string>

namespace quenlow {

class win32_window_system final : public window_system {
public:
    void enum_windows(const window_visitor& visit) override;
    std::size_t window_text_length(window_handle window) override;
    std::size_t window_text(window_handle window, char* buffer, std::size_t capacity) override;
    window_handle find_window(std::string_view title) override;
    // GetForegroundWindow.
    window_handle active_window() override;
    void restore_window(window_handle window) override;
    // Scales by the primary monitor's DPI, where the window goes.
    placement_result place_window(window_handle window, int width, int height) override;
    placement_result place_window_exactly(window_handle window, int width, int height) override;
    std::uint32_t process_id(window_handle window) override;
    // The scale of the monitor at the corner, where place_window puts it.
    double display_scale(window_handle window) override;
    void set_topmost(window_handle window, bool topmost) override;
    // A tool window (the toolkit's style for the About box) has no taskbar
    // button on Windows already.
    void hide_from_taskbar(window_handle) override {}

    // The title as UTF-8; "" for an untitled or vanished window.
    static std::string title_of(window_handle window);
};

}  // namespace quenlow
