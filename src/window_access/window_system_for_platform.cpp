#include "window_system_for_platform.h"

#include "display_scale.h"
#include "null_window_system.h"

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
#include "win32_window_system.h"
#endif

namespace quenlow {

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
    return std::make_unique<null_window_system>();
}

std::string platform_of_session()
{
#ifdef _WIN32
    return "windows";
#else
    const auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    if (const std::string chosen = variable("QT_QPA_PLATFORM"); !chosen.empty()) {
        return chosen.substr(0, chosen.find_first_of(";:"));
    }
    if (!variable("WAYLAND_DISPLAY").empty() || variable("XDG_SESSION_TYPE") == "wayland") return "wayland";
    if (!variable("DISPLAY").empty()) return "xcb";
    return {};
#endif
}

}  // namespace quenlow
