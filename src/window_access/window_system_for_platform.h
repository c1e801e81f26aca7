#pragma once
// Picks the window system once, at start-up, from the toolkit's platform
// name: "xcb" gets the i3 IPC backend where i3 manages that display, the
// X11 (EWMH) one everywhere else; "wayland" the i3 IPC backend under sway
// ($SWAYSOCK answers), else the KWin one when KWin is on the session bus,
// else the GNOME one when GNOME Shell is;
// "windows" the Win32 one; anything else (offscreen, another Wayland
// compositor, or a backend that cannot connect) one that lists nothing and
// changes nothing, so the program still runs, and says what it looked for.
// `x11_display` is the display the toolkit itself is on ("" for $DISPLAY):
// the X11 backend must speak to the same server, so that the always-on-top
// switch reaches the program's own window and no other server's.

#include "page_area.h"
#include "window_system.h"

#include <memory>
#include <string>
#include <string_view>

namespace quenlow {

// Whether the backend may change the desktop's settings to work (GNOME:
// switch the program's extension back on). The window may; the command
// line, which promises to change no setting, may not.
enum class desktop_settings { may_change, left_alone };

std::unique_ptr<window_system> window_system_for_platform(std::string_view platform_name,
                                                          const std::string& x11_display = {},
                                                          desktop_settings settings = desktop_settings::may_change);

// What reads a browser window's page area on that platform: AT-SPI on X11
// and Wayland, the page's own window or MSAA on Windows; nullptr
// elsewhere.
std::unique_ptr<page_area_reader> page_area_reader_for_platform(std::string_view platform_name);

// The platform a toolkit would start on in this session, read from the
// environment as Qt reads it, for a run that starts no toolkit: "windows"
// on Windows; else the first name in QT_QPA_PLATFORM whose display is there
// (a "wayland" one's socket, xcb's DISPLAY; "wayland-egl" is "wayland"),
// or the first name when none is;
// else "wayland" in a Wayland session (WAYLAND_DISPLAY or
// XDG_SESSION_TYPE), "xcb" with a DISPLAY; "" with neither.
std::string platform_of_session();

}  // namespace quenlow
