#pragma once
// The window system of GNOME on Wayland, through the program's own GNOME
// Shell extension: Wayland gives an ordinary client no way to list or place
// other programs' windows, and GNOME Shell has no scripting interface, so
// the extension (gnome-extension/ in the source tree) lists and places
// them for us over the session bus. Native Wayland and XWayland windows
// are listed and placed alike.
//
// Handles are mutter's window ids. A size is in page pixels: where mutter
// lays monitors out in physical pixels (its default, fractional scaling
// off) a scale-2 monitor takes two of them a page pixel, and the frame is
// made that much larger; in the logical layout they are one. GNOME's top bar covers the
// top of the screen, so a window is placed at the top-left corner of the
// work area, not at (0, 0): at (0, 0) its own title bar and the top of the
// page would be hidden under the bar.
//
// At start-up pending_setup() learns what keeps the extension from working
// (not installed, installed after the shell started, switched off, made for
// another GNOME Shell, failed to load, all extensions off); an extension
// the user switched off is switched on again when settings may be changed
// (the window), never for the command line.

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
    static std::unique_ptr<gnome_window_system> connect(bool may_change_settings);

    void enum_windows(const window_visitor& visit) override;
    std::size_t window_text_length(window_handle window) override;
    std::size_t window_text(window_handle window, char* buffer, std::size_t capacity) override;
    window_handle active_window() override;
    window_handle find_window(std::string_view title) override;
    void restore_window(window_handle window) override;
    placement_result place_window(window_handle window, int width, int height) override;
    placement_result place_window_exactly(window_handle window, int width, int height) override;
    // The primary monitor's scale where mutter lays monitors out in
    // physical pixels (place_window multiplies by it); 1 in its logical layout.
    double display_scale(window_handle window) override;
    std::uint32_t process_id(window_handle window) override;
    void set_topmost(window_handle window, bool topmost) override;
    // GNOME has no taskbar; its dash shows applications, not windows.
    void hide_from_taskbar(window_handle) override {}
    setup_need pending_setup() const override { return pending_; }
    void begin_action() override;
    void end_action() override;

private:
    explicit gnome_window_system(std::unique_ptr<gnome_shell_bus> shell);
    std::vector<gnome_window> windows(gnome_shell_bus& shell);
    const gnome_window* seen(window_handle window);
    // Sets keep-above of the own window `window` names; whether that is
    // done, or taken over by a later request for the same handle.
    bool apply_topmost(gnome_shell_bus& shell, window_handle window, bool topmost, std::uint64_t request);

    std::unique_ptr<gnome_shell_bus> shell_;
    setup_need pending_;
    std::vector<gnome_window> walk_;  // the windows of the walk under way, or the last
    own_window_requests own_;
    background_retries retries_;  // last: its helpers end before the rest goes
};

}  // namespace quenlow
