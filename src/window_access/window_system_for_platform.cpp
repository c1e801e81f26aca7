#include "window_system_for_platform.h"

#include "display_scale.h"
#include "null_window_system.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cstdlib>

#ifdef QUENLOW_HAVE_X11
#include "x11_root_properties.h"
#include "x11_window_system.h"
#endif
#ifdef QUENLOW_HAVE_I3
#include "i3_window_system.h"
#endif
#ifdef QUENLOW_HAVE_KWIN
#include "kwin_window_system.h"
#endif
#ifdef QUENLOW_HAVE_GNOME
#include "gnome_window_system.h"
#endif
#ifdef _WIN32
#include "win32_page_area.h"
#include "win32_window_system.h"
#endif
#ifdef QUENLOW_HAVE_ATSPI
#include "atspi_page_area.h"
#endif

namespace quenlow {

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return std::string(value ? value : "");
}

// What the program looked for on a platform where it found no way in.
std::string sought_in(std::string_view platform_name, const std::string& x11_display)
{
    if (platform_name.empty()) return "no display: neither WAYLAND_DISPLAY nor DISPLAY is set";
    if (platform_name == "xcb") {
        const std::string display = x11_display.empty() ? environment("DISPLAY") : x11_display;
        if (display.empty()) return "X11 asked for, but DISPLAY is not set";
        return "the X display '" + display + "' does not answer";
    }
    if (platform_name == "wayland") {
        return "Wayland, but neither sway ($SWAYSOCK) nor KWin nor GNOME Shell (on the session bus) answers";
    }
    return "the platform '" + std::string(platform_name) + "' shows no desktop's windows";
}

#ifndef _WIN32
// Whether a Wayland compositor's socket is where Qt would look for it.
bool wayland_display_there()
{
    std::string name = environment("WAYLAND_DISPLAY");
    if (name.empty()) name = "wayland-0";
    const std::string path = name.front() == '/' ? name : environment("XDG_RUNTIME_DIR") + "/" + name;
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode);
}
#endif

}  // namespace

std::unique_ptr<window_system> window_system_for_platform(std::string_view platform_name,
                                                          [[maybe_unused]] const std::string& x11_display,
                                                          [[maybe_unused]] desktop_settings settings)
{
#ifdef QUENLOW_HAVE_X11
    if (platform_name == "xcb") {
        const char* display = x11_display.empty() ? nullptr : x11_display.c_str();
#ifdef QUENLOW_HAVE_I3
        // i3 takes no EWMH placement; it announces its IPC socket on the root
        // window of the display it manages, which is Qt's.
        if (const auto root = read_x11_root_properties(display); root && !root->i3_socket_path.empty()) {
            const std::string named = x11_display;
            auto dpi = [named] {
                const auto now = read_x11_root_properties(named.empty() ? nullptr : named.c_str());
                return now ? now->dpi : reference_dpi;
            };
            if (auto i3 = i3_window_system::connect(root->i3_socket_path, dpi)) return i3;
        }
#endif
        if (auto x11 = x11_window_system::connect(display)) return x11;
    }
#endif
#ifdef QUENLOW_HAVE_I3
    if (platform_name == "wayland") {
        if (const char* sway = std::getenv("SWAYSOCK"); sway && *sway) {
            if (auto ipc = i3_window_system::connect(sway)) return ipc;
        }
    }
#endif
#ifdef QUENLOW_HAVE_KWIN
    if (platform_name == "wayland") {
        if (auto kwin = kwin_window_system::connect()) return kwin;
    }
#endif
#ifdef QUENLOW_HAVE_GNOME
    if (platform_name == "wayland") {
        if (auto gnome = gnome_window_system::connect(settings == desktop_settings::may_change)) return gnome;
    }
#endif
#ifdef _WIN32
    if (platform_name == "windows") return std::make_unique<win32_window_system>();
#endif
    return std::make_unique<null_window_system>(sought_in(platform_name, x11_display));
}

std::string platform_of_session()
{
#ifdef _WIN32
    return "windows";
#else
    // Qt takes the first of the platforms named that starts: one whose
    // display is there ("wayland;xcb" in an X11 session is xcb).
    if (const std::string chosen = environment("QT_QPA_PLATFORM"); !chosen.empty()) {
        std::string first;  // where none is there, Qt fails on the first: so does the command
        std::size_t at = 0;
        while (at <= chosen.size()) {
            const std::size_t end = std::min(chosen.find(';', at), chosen.size());
            std::string name = chosen.substr(at, end - at);
            name = name.substr(0, name.find(':'));  // options follow a colon
            at = end + 1;
            if (first.empty()) first = name.starts_with("wayland") ? "wayland" : name;
            if (name.starts_with("wayland")) {  // wayland-egl and the like
                if (wayland_display_there()) return "wayland";
            } else if (name == "xcb") {
                if (!environment("DISPLAY").empty()) return "xcb";
            } else if (!name.empty()) {
                return name;
            }
        }
        return first;
    }
    if (!environment("WAYLAND_DISPLAY").empty() || environment("XDG_SESSION_TYPE") == "wayland") return "wayland";
    if (!environment("DISPLAY").empty()) return "xcb";
    return {};
#endif
}

std::unique_ptr<page_area_reader> page_area_reader_for_platform(std::string_view platform_name)
{
#ifdef _WIN32
    if (platform_name == "windows") return std::make_unique<win32_page_area>();
#endif
#ifdef QUENLOW_HAVE_ATSPI
    // The accessibility switch brings Firefox onto the bus on X11 only.
    if (platform_name == "xcb" || platform_name.starts_with("wayland")) {
        return std::make_unique<atspi_page_area>(platform_name == "xcb");
    }
#endif
    (void)platform_name;
    return nullptr;
}

}  // namespace quenlow
