#pragma once
// What an X11 desktop says on its root window, read on a short connection
// of its own, for a backend that places windows some other way: i3's IPC
// socket, which i3 announces there, and the Xft.dpi setting that browsers
// scale their pages by.

#include <optional>
#include <string>

namespace quenlow {

struct x11_root_properties {
    std::string i3_socket_path;  // I3_SOCKET_PATH; "" when no i3 runs on this display
    double dpi = 96.0;           // Xft.dpi, or 96
};

// Nothing when no X server answers at `display` (nullptr: $DISPLAY).
std::optional<x11_root_properties> read_x11_root_properties(const char* display);

}  // namespace quenlow
