#include "window_system_for_platform.h"

#include "null_window_system.h"

#include <cstdlib>

#ifdef QUENLOW_HAVE_X11
#include "x11_window_system.h"
#endif
#ifdef QUENLOW_HAVE_KWIN
#include "kwin_window_system.h"
#endif
#ifdef _WIN32
#include "win32_window_system.h"
#endif

namespace quenlow {

std::unique_ptr<window_system> window_system_for_platform(std::string_view platform_name,
                                                          [[maybe_unused]] const std::string& x11_display)
{
#ifdef QUENLOW_HAVE_X11
    if (platform_name == "xcb") {
        if (auto x11 = x11_window_system::connect(x11_display.empty() ? nullptr : x11_display.c_str())) return x11;
    }
#endif
#ifdef QUENLOW_HAVE_KWIN
    if (platform_name == "wayland") {
        if (auto kwin = kwin_window_system::connect()) return kwin;
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
