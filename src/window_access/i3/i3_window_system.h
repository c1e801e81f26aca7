#pragma once
// The window system of i3 (X11) and sway (Wayland), through their IPC
// socket: both tile their windows and take no EWMH placement, and on
// Wayland nothing else lists or places another program's windows.
//
// Handles are the containers' con_ids. Native Wayland and XWayland windows
// are listed alike, most recently focused first. A user action waits on
// i3 or sway once, within one deadline (see action_deadline). Placing makes the window floating
// (the nearest to un-maximising in a tiling manager), shows it first when
// it is hidden in the scratchpad, leaves full screen, and gives it the size
// as its visible outer size at (0, 0), title bar and the user's border
// included, checked against the tree and asked again where the window has
// not taken it (sway can leave an XWayland window at its old tiled size).
// Neither has an always-on-top: the program's own window is made floating,
// which keeps it above tiled windows, and sticky, so it follows every
// workspace; off makes it no longer sticky and leaves it floating.

#include "action_deadline.h"
#include "i3_ipc.h"
#include "i3_tree.h"
#include "own_window_topmost.h"
#include "window_system.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quenlow {

class i3_window_system final : public window_system {
public:
    // Connects to the IPC socket at `socket_path`; nullptr when nothing
    // there answers. `dpi` gives the desktop's dots per inch at the moment
    // of placing (i3 on X11, where sizes are device pixels); without it
    // sizes are taken as they are (sway's logical pixels already are page
    // pixels).
    static std::unique_ptr<i3_window_system> connect(const std::string& socket_path,
                                                     std::function<double()> dpi = {});

    void enum_windows(const window_visitor& visit) override;
    std::size_t window_text_length(window_handle window) override;
    std::size_t window_text(window_handle window, char* buffer, std::size_t capacity) override;
    window_handle active_window() override;
    window_handle find_window(std::string_view title) override;
    void restore_window(window_handle window) override;
    placement_result place_window(window_handle window, int width, int height) override;
    placement_result place_window_exactly(window_handle window, int width, int height) override;
    // sway's; i3 does not say.
    std::uint32_t process_id(window_handle window) override;
    double display_scale(window_handle window) override;
    void set_topmost(window_handle window, bool topmost) override;
    void hide_from_taskbar(window_handle) override {}  // neither has a taskbar of its own
    void begin_action() override;
    void end_action() override;

private:
    i3_window_system(std::string socket_path, std::unique_ptr<i3_ipc> ipc, std::function<double()> dpi);
    // A request within the user action's time (see action_deadline).
    std::optional<std::string> ask(i3_ipc& ipc, std::uint32_t type, std::string_view payload);
    std::vector<i3_view> windows(i3_ipc& ipc);
    // The window as the last walk saw it, else as the tree says now.
    std::optional<i3_view> view_of(window_handle window);
    bool run(i3_ipc& ipc, const std::string& command);
    // Makes the own window `window` floating and sticky, or no longer
    // sticky; whether that is done or taken over by a later request.
    bool apply_topmost(i3_ipc& ipc, window_handle window, bool topmost, std::uint64_t request);

    std::string socket_path_;
    std::unique_ptr<i3_ipc> ipc_;
    action_deadline time_;
    std::function<double()> dpi_;
    std::vector<i3_view> walk_;  // the windows of the walk under way, or the last
    own_window_requests own_;
    background_retries retries_;  // last: its helpers end before the rest goes
};

}  // namespace quenlow
