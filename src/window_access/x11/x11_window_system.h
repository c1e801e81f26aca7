#pragma once
// The window system of an X11 desktop, spoken to over a connection of its
// own (so nothing it does can raise an X error on the toolkit's connection).
//
// Under a window manager that follows EWMH it works through the manager:
// the stacking list, _NET_WM_STATE, _NET_ACTIVE_WINDOW and
// _NET_MOVERESIZE_WINDOW. With no window manager it walks the root's mapped
// children and configures them itself.
//
// Titles are UTF-8: _NET_WM_NAME first, else WM_NAME as STRING (Latin-1),
// UTF8_STRING or COMPOUND_TEXT. One walk fetches all titles in one pipelined
// round, not one round trip per window; length and text queries during the
// walk are answered from that round.

#include "window_system.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace quenlow {

class x11_window_system final : public window_system {
public:
    // Connects to `display_name` (nullptr: $DISPLAY). Returns nullptr when no
    // X server answers.
    static std::unique_ptr<x11_window_system> connect(const char* display_name = nullptr);
    ~x11_window_system() override;

    void enum_windows(const window_visitor& visit) override;
    std::size_t window_text_length(window_handle window) override;
    std::size_t window_text(window_handle window, char* buffer, std::size_t capacity) override;
    window_handle find_window(std::string_view title) override;
    // The manager's _NET_ACTIVE_WINDOW; with no manager, the focus window
    // when it is a top-level one.
    window_handle active_window() override;
    void restore_window(window_handle window) override;
    placement_result place_window(window_handle window, int width, int height) override;
    placement_result place_window_exactly(window_handle window, int width, int height) override;
    window_geometry current_geometry(window_handle window) override;
    std::uint32_t process_id(window_handle window) override;  // _NET_WM_PID
    double display_scale(window_handle window) override;      // Xft.dpi / 96
    void set_topmost(window_handle window, bool topmost) override;
    void hide_from_taskbar(window_handle window) override;

    struct connection;  // xcb and EWMH state; defined in the .cpp

private:
    // Adds or removes one _NET_WM_STATE entry of the program's own window.
    void change_net_wm_state(window_handle window, std::uint32_t state, bool on);
    // With no window manager, restacks the windows set always-on-top above
    // every other (but `placed`, already raised) and forgets vanished ones.
    void keep_topmost_windows_above(window_handle placed);
    explicit x11_window_system(std::unique_ptr<connection> x);
    std::string title_of(window_handle window);

    std::unique_ptr<connection> x_;
    // Titles fetched for the walk under way (or the last one); a window not
    // in here is asked directly.
    std::unordered_map<window_handle, std::string> walk_titles_;
    // Windows set always-on-top, oldest first.
    std::vector<window_handle> topmost_;
};

}  // namespace quenlow
