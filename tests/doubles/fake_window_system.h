#pragma once
// An in-memory desktop for tests. Production code sees it only as a
// window_system; the test controls (adding, retitling and closing windows,
// inspecting their state and the calls made) live on this class alone.
//
// It behaves like a real desktop where the program relies on it: windows are
// offered top of the stack first, lookups are exact and pick the top-most of
// equal titles, restoring brings back the normal geometry, placing raises the
// window to the top of its band (always-on-top windows stay above the rest).

#include "window_system.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quenlow {

enum class show_state { normal, minimised, maximised };

struct rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const rect&, const rect&) = default;
};

struct fake_window {
    window_handle handle = no_window;
    std::string title;          // bytes, as the window system reports them
    show_state state = show_state::normal;
    rect normal_geometry;       // where the window is when neither minimised nor maximised
    bool visible = true;
    bool topmost = false;
    // The smallest outer size the window takes (a browser's own minimum).
    int smallest_width = 1, smallest_height = 1;
};

class fake_window_system final : public window_system {
public:
    static constexpr rect screen{0, 0, 1920, 1080};

    // --- test controls -----------------------------------------------------
    // Opens a window at the top of its band and returns its handle.
    window_handle open_window(std::string title, rect geometry = {100, 100, 500, 400},
                              show_state state = show_state::normal);
    void close_window(window_handle window);
    void set_title(window_handle window, std::string title);
    // The next length query of `window` answers for its current title, and
    // the title then changes to `title` before it can be read.
    void retitle_after_length_query(window_handle window, std::string title);
    // The window is destroyed right before the walk offers it.
    void close_when_offered(window_handle window);
    // Gives the window a smallest size, as a browser does.
    void set_smallest(window_handle window, int width, int height);

    // The window's state, or nothing once it is closed.
    std::optional<fake_window> window(window_handle handle) const;
    // Outer geometry as seen on screen (the whole screen while maximised).
    rect geometry(window_handle handle) const;
    // Handles top of the stack first.
    std::vector<window_handle> stacking_order() const;
    // Every call made through the window_system interface, in order, as
    // "find <title>", "restore <h>", "place <h> <w>x<h>", "topmost <h> on|off",
    // "no-taskbar <h>".
    const std::vector<std::string>& calls() const { return calls_; }
    void forget_calls() { calls_.clear(); }

    // --- window_system ------------------------------------------------------
    void enum_windows(const window_visitor& visit) override;
    std::size_t window_text_length(window_handle window) override;
    std::size_t window_text(window_handle window, char* buffer, std::size_t capacity) override;
    window_handle find_window(std::string_view title) override;
    window_handle active_window() override { return no_window; }  // none is active
    void restore_window(window_handle window) override;
    // Scales by `scale`, as a desktop of that scale does.
    placement_result place_window(window_handle window, int width, int height) override;
    placement_result place_window_exactly(window_handle window, int width, int height) override;
    window_geometry current_geometry(window_handle window) override;
    double display_scale(window_handle) override { return scale; }
    void set_topmost(window_handle window, bool topmost) override;
    void hide_from_taskbar(window_handle window) override;
    setup_need pending_setup() const override { return pending; }

    std::string unreachable() const override { return sought; }

    // What pending_setup() and unreachable() report.
    setup_need pending;
    std::string sought;
    // Display pixels per 96-dpi pixel.
    double scale = 1.0;
    // Whether current_geometry tells where windows are (Wayland
    // compositors do not).
    bool shows_geometry = true;
    // Where set, what every placement answers, changing nothing.
    std::optional<placement_result> placement_answer;

private:
    fake_window* find(window_handle handle);
    void raise(window_handle handle);

    window_handle next_handle_ = 0x10;
    std::map<window_handle, fake_window> windows_;
    std::vector<window_handle> stack_;  // top first
    std::map<window_handle, std::string> pending_retitles_;
    std::vector<window_handle> close_when_offered_;
    std::vector<std::string> calls_;
};

}  // namespace quenlow
