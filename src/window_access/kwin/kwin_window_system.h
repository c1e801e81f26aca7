#pragma once
// The window system of a Plasma desktop on Wayland, through KWin's
// scripting interface: Wayland gives an ordinary client no way to list or
// place other programs' windows, but KWin runs scripts for any program on
// the session bus. Native Wayland and XWayland windows are listed and
// placed alike.
//
// Each operation runs one small script (see kwin_scripts.h). Handles are
// numbers this backend hands out for the windows of one walk or lookup;
// they name KWin's window ids until the next one, and a stale handle names
// nothing. Sizes are KWin's logical pixels, which are already the page
// pixels of a scaled display: no further scaling applies.
//
// The program's own windows are found by its process id (see
// own_window_requests). A window asked to be always on top before it is
// shown is kept above once KWin shows it: a helper thread, with a bus
// connection of its own, looks for it for a few seconds. (A script left
// loaded to watch for it would do the same, but KWin 5.27 numbers scripts
// by their count, and one left loaded makes the numbers of later ones
// collide.)

#include "kwin_script_runner.h"
#include "own_window_topmost.h"
#include "window_system.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quenlow {

class kwin_window_system final : public window_system {
public:
    // Returns nullptr when there is no session bus or no KWin on it.
    static std::unique_ptr<kwin_window_system> connect();

    void enum_windows(const window_visitor& visit) override;
    std::size_t window_text_length(window_handle window) override;
    std::size_t window_text(window_handle window, char* buffer, std::size_t capacity) override;
    window_handle find_window(std::string_view title) override;
    // KWin's active window, named by a handle of a fresh walk.
    window_handle active_window() override;
    void restore_window(window_handle window) override;
    placement_result place_window(window_handle window, int width, int height) override;
    void begin_action() override;
    void end_action() override;
    std::uint32_t process_id(window_handle window) override;
    void set_topmost(window_handle window, bool topmost) override;
    // KWin scripts could, but Qt's tool windows already stay out of Plasma's
    // task manager.
    void hide_from_taskbar(window_handle) override {}

private:
    explicit kwin_window_system(std::unique_ptr<kwin_script_runner> runner);
    // Sets keep-above of the own window `window` names; whether that is
    // done, or taken over by a later request for the same handle.
    bool apply_topmost(kwin_script_runner& runner, window_handle window, bool topmost, std::uint64_t request);
    // Lists the windows afresh and hands out new handles for them.
    void refresh();
    const kwin_window* window_of(window_handle handle) const;

    std::unique_ptr<kwin_script_runner> runner_;
    std::vector<kwin_window> windows_;  // the last walk or lookup, top first
    window_handle first_handle_ = 1;    // the handle of windows_[0]
    window_handle restored_ = no_window;  // the window restore_window just changed
    own_window_requests own_;
    background_retries retries_;  // last: its helpers end before the rest goes
};

}  // namespace quenlow
