#pragma once
// The window system of GNOME on Wayland, through the program's own GNOME
// Shell extension: Wayland gives an ordinary client no way to list or place
// other programs' windows, and GNOME Shell has no scripting interface, so
// the extension (gnome-extension/ in the source tree) lists and places
// them for us over the session bus. Native Wayland and XWayland windows
// are listed and placed alike.
//
// Handles are mutter's window ids. Sizes are logical pixels, which are
// already the page pixels of a scaled display. GNOME's top bar covers the
// top of the screen, so a window is placed at the top-left corner of the
// work area, not at (0, 0): at (0, 0) its own title bar and the top of the
// page would be hidden under the bar.
//
// At start-up the extension is turned on when GNOME Shell knows it but it
// is off. GNOME Shell finds a newly installed extension only when it
// starts: until the user has logged out and in once, nothing is listed
// and pending_setup() says so.

#include "gnome_shell_bus.h"
#include "gnome_windows.h"
#include "own_window_topmost.h"
#include "window_system.h"

#include <memory>
#include <vector>

namespace quenlow {

class gnome_window_system final : public window_system {
public:
    // Returns nullptr when there is no session bus or no GNOME Shell on it.
    static std::unique_ptr<gnome_window_system> connect();

    void enum_windows(const window_visitor& visit) override;
    std::size_t window_text_length(window_handle window) override;
    std::size_t window_text(window_handle window, char* buffer, std::size_t capacity) override;
    window_handle active_window() override;
    window_handle find_window(std::string_view title) override;
    void restore_window(window_handle window) override;
    void place_window(window_handle window, int width, int height) override;
    void set_topmost(window_handle window, bool topmost) override;
    // GNOME has no taskbar; its dash shows applications, not windows.
    void hide_from_taskbar(window_handle) override {}
    setup_step pending_setup() const override { return pending_; }

private:
    explicit gnome_window_system(std::unique_ptr<gnome_shell_bus> shell);
    std::vector<gnome_window> windows(gnome_shell_bus& shell);
    const gnome_window* seen(window_handle window);
    // Sets keep-above of the own window `window` names; whether that is
    // done, or taken over by a later request for the same handle.
    bool apply_topmost(gnome_shell_bus& shell, window_handle window, bool topmost, std::uint64_t request);

    std::unique_ptr<gnome_shell_bus> shell_;
    setup_step pending_ = setup_step::none;
    std::vector<gnome_window> walk_;  // the windows of the walk under way, or the last
    own_window_requests own_;
    background_retries retries_;  // last: its helpers end before the rest goes
};

}  // namespace quenlow
