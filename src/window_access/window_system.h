#pragma once
// The only door to other programs' windows. Everything that lists, finds,
// restores, places or raises a window goes through this interface, so the
// browser list and the resize command run the same against a real desktop
// (X11, Win32) and against the in-memory desktop the tests use.
//
// Common contract of every operation:
//  - A handle names a top-level window; 0 names none. Handles are opaque:
//    callers only pass back what the window system gave them.
//  - A window may vanish at any moment. An operation on a handle that no
//    longer names a window does nothing and reports an empty result (0, "");
//    it never throws and never aborts.
//  - Results are only those written below; a failed request leaves the
//    caller's state unchanged and says nothing.
//  - Titles are 8-bit text in the system's code page: UTF-8 on Linux and on
//    Windows (the program's manifest makes UTF-8 its code page there).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

namespace quenlow {

using window_handle = std::uint64_t;
inline constexpr window_handle no_window = 0;

// What the user has to do before a window system lists anything. GNOME
// Shell lists windows for the program only through the program's own Shell
// extension, and each of these keeps that extension from working.
enum class setup_step {
    none,
    // Log out and in again: GNOME Shell finds an extension installed after
    // it started only as it starts.
    log_in_again,
    // The extension is in none of the folders GNOME Shell reads.
    not_installed,
    // The user switched the extension off (the window switches it on again;
    // the command line changes no setting and only says so).
    switched_off,
    // The user switched every extension off.
    all_extensions_off,
    // The extension found is made for other versions of GNOME Shell.
    other_shell_version,
    // GNOME Shell could not load the extension.
    failed_to_load,
};

// A setup step and what the desktop said of it, for the words shown.
struct setup_need {
    setup_step step = setup_step::none;
    std::string shell_version;       // the running GNOME Shell's, "50.5"
    std::string extension_versions;  // the extension's, "45, 46, 47"
    std::string error;               // GNOME Shell's words on a failed load
    // A per-user copy of the extension that GNOME Shell reads before the
    // one installed for every user ("" when there is none or no other).
    std::string user_copy;
};

// What place_window did.
struct placement_result {
    enum class outcome {
        placed,      // read back at the size asked, or the platform confirmed it
        refused,     // the window manager, compositor or system said no
        no_answer,   // no answer came in time
        other_size,  // the window settled at another visible size, below
        gone,        // the window closed
    };
    outcome what = outcome::refused;
    int width = 0, height = 0;  // other_size: the size it has, in the backend's pixels
};

// A rectangle in the display's own pixels, from the screen's top-left
// corner; empty (0 x 0) where the window system does not say.
struct window_rect {
    int x = 0, y = 0, width = 0, height = 0;
    bool known() const { return width > 0 && height > 0; }
    friend bool operator==(const window_rect&, const window_rect&) = default;
};

// Where a window is now: `client` is the rectangle the program drawing it
// has (without the manager's frame), `visible` its visible outer
// rectangle, what place_window sets.
struct window_geometry {
    window_rect client, visible;
};

class window_system {
public:
    // Called once per top-level window; returning false ends the walk.
    using window_visitor = std::function<bool(window_handle)>;

    virtual ~window_system() = default;

    // Offers every top-level window to `visit`, top of the stacking order
    // first, synchronously on the calling thread, until `visit` returns false
    // or the windows run out. Hidden and minimised windows are offered too.
    virtual void enum_windows(const window_visitor& visit) = 0;

    // Length of the window's title in bytes; 0 for an untitled or vanished
    // window.
    virtual std::size_t window_text_length(window_handle window) = 0;

    // Copies at most capacity - 1 bytes of the title into `buffer` followed
    // by a NUL, and returns how many bytes it copied (0 when capacity is 0,
    // the title is empty or the window vanished). The title may have changed
    // since window_text_length: only the returned count is meaningful.
    virtual std::size_t window_text(window_handle window, char* buffer,
                                    std::size_t capacity) = 0;

    // The window the user is working in, as the window system reports it
    // (the active window, the one with the keyboard focus); no_window when
    // none is or the system does not say. A command from a shortcut key
    // acts on it.
    virtual window_handle active_window() = 0;

    // The top-level window whose title equals `title` byte for byte (letter
    // case counts); among several, the one highest in the stacking order.
    // no_window when none carries that title.
    virtual window_handle find_window(std::string_view title) = 0;

    // Brings a minimised or maximised window back to its normal state, so a
    // following place_window sizes the normal window. A normal window is left
    // as it is.
    virtual void restore_window(window_handle window) = 0;

    // Puts the window's visible outer rectangle at the screen's top-left
    // corner (0, 0) with the given size (on GNOME, where the top bar covers
    // the screen's top, at the corner of the area the bar leaves free), at the top of the stacking order
    // (below always-on-top windows), and shows it. The size is in pixels of
    // a 96-dpi screen: on a scaled display the backend makes it that many
    // of the browser's page pixels, i.e. scales it to device pixels.
    // Returns what happened, read back where the backend can.
    virtual placement_result place_window(window_handle window, int width, int height) = 0;

    // The process that owns the window (_NET_WM_PID on X11, the client's
    // process on Wayland), so its page area can be asked of that process;
    // 0 when the window system does not say or the window vanished.
    virtual std::uint32_t process_id(window_handle /*window*/) { return 0; }

    // How many of the display's own pixels one of place_window's pixels
    // takes where the window is: what place_window multiplies sizes by
    // (Xft.dpi / 96 on X11, the monitor's scale on Windows); 1 where it
    // scales nothing.
    virtual double display_scale(window_handle /*window*/) { return 1.0; }

    // place_window with the size already in the display's own pixels (what
    // place_window makes of its 96-dpi size), for a caller that measured in
    // them: on a scaled display not every device size is some whole 96-dpi
    // size times the scale.
    virtual placement_result place_window_exactly(window_handle window, int width, int height)
    {
        const double scale = display_scale(window);
        return place_window(window, static_cast<int>(width / scale + 0.5), static_cast<int>(height / scale + 0.5));
    }

    // Where the window is now (see window_geometry); nothing known by
    // default, and for a window that vanished.
    virtual window_geometry current_geometry(window_handle /*window*/) { return {}; }

    // Turns the window's always-on-top state on or off; its position, size
    // and visibility stay as they are. Works before the window is first
    // shown as well as after.
    virtual void set_topmost(window_handle window, bool topmost) = 0;

    // Keeps the program's own window out of the taskbar. Like set_topmost it
    // works before the window is first shown. Where the toolkit's tool-window
    // style already does this (Windows) it changes nothing.
    virtual void hide_from_taskbar(window_handle window) = 0;

    // What the user has to do before this window system works; decided once,
    // when it connects.
    virtual setup_need pending_setup() const { return {}; }

    // For the stand-in that reaches no desktop: what was looked for and not
    // found ("no display: ..."); "" for every window system that works.
    virtual std::string unreachable() const { return {}; }

    // Opens and closes one user action (a refresh, a Change Size, a whole
    // command line run). A backend that waits on another process bounds the
    // calls between them by one deadline together, instead of each call by
    // its own, so that a slow peer holds a user action once. Outside an
    // action every call is bounded on its own. See user_action below.
    virtual void begin_action() {}
    virtual void end_action() {}
};

// One user action on `windows`, for as long as it lives.
class user_action {
public:
    explicit user_action(window_system& windows) : windows_(windows) { windows_.begin_action(); }
    ~user_action() { windows_.end_action(); }
    user_action(const user_action&) = delete;
    user_action& operator=(const user_action&) = delete;

private:
    window_system& windows_;
};

// What window_text does with a title it has read: copies at most
// capacity - 1 bytes of `text` and a NUL into `buffer`, and returns how many
// bytes it copied.
inline std::size_t copy_window_text(std::string_view text, char* buffer, std::size_t capacity)
{
    if (capacity == 0) return 0;
    const std::size_t copied = text.size() < capacity - 1 ? text.size() : capacity - 1;
    if (copied > 0) std::memcpy(buffer, text.data(), copied);
    buffer[copied] = '\0';
    return copied;
}

}  // namespace quenlow
