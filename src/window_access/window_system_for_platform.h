#pragma once
// Picks the window system once, at start-up, from the toolkit's platform
// name: "xcb" gets the X11 backend, "windows" the Win32 one, anything else
// (offscreen, wayland, or a backend that cannot connect) one that lists
// nothing and changes nothing, so the program still runs.

#include "window_system.h"

#include <memory>
#include <string_view>

namespace quenlow {

std::unique_ptr<window_system> window_system_for_platform(std::string_view platform_name);

}  // namespace quenlow
