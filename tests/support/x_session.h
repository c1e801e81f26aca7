#pragma once
// A private X server (Xvfb, on a display number it picks itself) and,
// when asked, a window manager on it. Both end with the object.

#include "child_process.h"

#include <memory>
#include <string>
#include <sys/types.h>

namespace quenlow::testing {

// The screen's size, and the desktop's dots per inch: other than 96, set as
// a scaled desktop sets it, both as Xft.dpi and over XSETTINGS (from which
// browsers take their devicePixelRatio; Xft.dpi alone leaves them at 1).
struct x_screen {
    int width = 1920, height = 1080, dpi = 96;
};

class x_session {
public:
    // openbox and metacity stack (floating) managers; awesome, whose 4.3
    // takes no _NET_MOVERESIZE_WINDOW, in its default floating layout;
    // icewm, which also speaks the older GNOME hints; i3, a tiling one.
    enum class window_manager { none, openbox, metacity, awesome, icewm, i3 };

    // Starts the server (and the manager, waiting until it has announced
    // itself). Throws std::runtime_error when either does not come up.
    explicit x_session(window_manager manager = window_manager::openbox, x_screen size = {});
    ~x_session();
    x_session(const x_session&) = delete;
    x_session& operator=(const x_session&) = delete;

    // ":N", for xcb_connect, DISPLAY and child processes.
    const std::string& display() const { return display_; }

private:
    void stop_server();

    pid_t server_ = -1;
    std::unique_ptr<child_process> manager_;
    std::unique_ptr<child_process> settings_;  // the XSETTINGS daemon of a scaled desktop
    std::string display_;
    std::string config_dir_;  // the manager's private configuration and home, the scale's settings
};

}  // namespace quenlow::testing
