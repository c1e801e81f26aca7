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
// The program's own windows are found by its process id. A window asked to
// be always on top before it is shown is kept above once KWin shows it: a
// helper thread, with a bus connection of its own, looks for it for a few
// seconds. (A script left loaded to watch for it would do the same, but
// KWin 5.27 numbers scripts by their count, and one left loaded makes the
// numbers of later ones collide.)

#include "kwin_script_runner.h"
#include "window_system.h"

#include <atomic>
#include <cstdint>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
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
    void place_window(window_handle window, int width, int height) override;
    void set_topmost(window_handle window, bool topmost) override;
    // KWin scripts could, but Qt's tool windows already stay out of Plasma's
    // task manager.
    void hide_from_taskbar(window_handle) override {}

    ~kwin_window_system() override;

private:
    explicit kwin_window_system(std::unique_ptr<kwin_script_runner> runner);
    // Sets keep-above of the own window `window` names, naming it first if
    // it is the one window of ours that no other handle names and that was
    // not open yet when this handle was first asked for. Whether it is done:
    // set, or taken over by a later request for the same handle.
    bool apply_topmost(kwin_script_runner& runner, window_handle window, bool topmost, std::uint64_t generation);
    // On a helper thread: waits for the window to be shown, then keeps it
    // above, unless a later request for it comes first.
    void keep_above_once_shown(window_handle window, std::uint64_t generation);
    // Lists the windows afresh and hands out new handles for them.
    void refresh();
    const kwin_window* window_of(window_handle handle) const;

    std::unique_ptr<kwin_script_runner> runner_;
    std::vector<kwin_window> windows_;  // the last walk or lookup, top first
    window_handle first_handle_ = 1;    // the handle of windows_[0]
    window_handle restored_ = no_window;  // the window restore_window just changed
    // The program's own windows, by the handle its toolkit knows them by:
    // KWin's id once found, and the requests made for it.
    struct own_request {
        std::uint64_t generation = 0;          // counts the requests; a helper serves one
        std::string id;                        // KWin's id, once found
        std::vector<std::string> seen_before;  // our windows open at the first look: not this one
        bool looked = false;
    };
    std::mutex own_windows_lock_;
    std::map<window_handle, own_request> requests_;
    // Helper threads waiting for a window to be shown, and how they end.
    struct waiter {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<waiter> waiters_;
    std::mutex stop_lock_;
    std::condition_variable stop_;
    bool stopping_ = false;
};

}  // namespace quenlow
