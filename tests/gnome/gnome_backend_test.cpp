// The GNOME backend inside a headless GNOME Shell with the program's
// extension (run by run_under_gnome.sh, on Debian 12's GNOME Shell and in
// the newer tier's roots): a native Wayland and an XWayland browser
// window, maximised and minimised, listed and placed at the corner of the
// area the top bar leaves free, read back from the shell and from the
// clients, also on a scale-2 monitor; the program's own window kept above
// and released; the extension switched off (the command line says so and
// leaves it, the window switches it on) and all extensions off; and a
// shell that answers slowly, then not at all, within one action.
#include "browser_list.h"
#include "child_process.h"
#include "eventually.h"
#include "resize_command.h"
#include "scratch_folder.h"
#include "session_bus.h"
#include "window_system_for_platform.h"
#include "x_test_client.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <systemd/sd-bus.h>

#include <QApplication>
#include <QWidget>

#include <signal.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <thread>

namespace quenlow {
namespace {

using testing::child_process;
using testing::eventually;
using testing::x_rect;
using json = nlohmann::json;
using namespace std::chrono_literals;

sd_bus_message* extension_call(const char* member)
{
    return testing::session_call("org.gnome.Shell", "/org/mobrell/Quenlow/Shell",
                                 "org.mobrell.Quenlow.Shell", member, "");
}

bool extension_answers()
{
    sd_bus_message* reply = extension_call("WorkArea");
    sd_bus_message_unref(reply);
    return reply != nullptr;
}

// What the shell says of the window with that title.
std::optional<json> shell_says(const std::string& title)
{
    sd_bus_message* reply = extension_call("List");
    const char* text = nullptr;
    const auto windows = reply && sd_bus_message_read(reply, "s", &text) >= 0 ? json::parse(text) : json::array();
    sd_bus_message_unref(reply);
    for (const json& window : windows) {
        if (window["title"] == title) return window;
    }
    return std::nullopt;
}

x_rect frame_of(const json& window) { return {window["x"], window["y"], window["w"], window["h"]}; }

// Gives the primary (the only) monitor this scale through mutter's display
// configuration, for this session only; whether mutter took it.
bool set_monitor_scale(double scale)
{
    sd_bus_message* state = testing::session_call("org.gnome.Mutter.DisplayConfig", "/org/gnome/Mutter/DisplayConfig",
                                                  "org.gnome.Mutter.DisplayConfig", "GetCurrentState", "");
    if (!state) return false;
    std::uint32_t serial = 0;
    std::string connector, mode;
    sd_bus_message_read(state, "u", &serial);
    sd_bus_message_enter_container(state, 'a', "((ssss)a(siiddada{sv})a{sv})");
    sd_bus_message_enter_container(state, 'r', "(ssss)a(siiddada{sv})a{sv}");
    const char *name = nullptr, *vendor = nullptr, *product = nullptr, *number = nullptr;
    sd_bus_message_read(state, "(ssss)", &name, &vendor, &product, &number);
    connector = name ? name : "";
    sd_bus_message_enter_container(state, 'a', "(siiddada{sv})");
    const char* id = nullptr;  // a virtual monitor has the one mode
    if (sd_bus_message_enter_container(state, 'r', "siiddada{sv}") > 0) sd_bus_message_read(state, "s", &id);
    mode = id ? id : "";
    sd_bus_message_unref(state);

    sd_bus* bus = nullptr;
    sd_bus_message* call = nullptr;
    sd_bus_open_user(&bus);
    sd_bus_message_new_method_call(bus, &call, "org.gnome.Mutter.DisplayConfig", "/org/gnome/Mutter/DisplayConfig",
                                   "org.gnome.Mutter.DisplayConfig", "ApplyMonitorsConfig");
    sd_bus_message_append(call, "uu", serial, 1u);  // 1: temporary
    sd_bus_message_append(call, "a(iiduba(ssa{sv}))", 1, 0, 0, scale, 0u, 1, 1, connector.c_str(), mode.c_str(), 0);
    sd_bus_message_append(call, "a{sv}", 0);
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const bool applied = sd_bus_call(bus, call, 2'000'000, &error, nullptr) >= 0;
    if (!applied) std::cerr << "ApplyMonitorsConfig: " << (error.message ? error.message : "?") << "\n";
    sd_bus_error_free(&error);
    sd_bus_message_unref(call);
    sd_bus_flush_close_unref(bus);
    return applied;
}

// The command line's exit status and what it said.
testing::finished_run command_line(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), QUENLOW_PROGRAM);
    return testing::run_capturing(arguments);
}

void set_user_extensions(bool enabled)
{
    testing::run_capturing({"gsettings", "set", "org.gnome.shell", "disable-user-extensions", enabled ? "false" : "true"});
}

x_rect work_area()
{
    x_rect area;
    sd_bus_message* reply = extension_call("WorkArea");
    if (reply) sd_bus_message_read(reply, "iiii", &area.x, &area.y, &area.width, &area.height);
    sd_bus_message_unref(reply);
    return area;
}

std::unique_ptr<child_process> wayland_window(const std::string& title, const std::string& how,
                                              const std::string& report)
{
    return std::make_unique<child_process>(
        std::vector<std::string>{WAYLAND_TEST_WINDOW, title, how, "--report", report},
        // Without Qt's own title bar the client's size is its frame's.
        std::vector<std::pair<std::string, std::string>>{{"QT_QPA_PLATFORM", "wayland"},
                                                         {"QT_WAYLAND_DISABLE_WINDOWDECORATION", "1"}});
}

class GnomeDesktop : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // The top bar takes its place a moment after the shell answers.
        ASSERT_TRUE(eventually([] { return work_area().y > 0; }, 10s)) << "no top bar";
    }
    bool listed(window_system& windows, const std::string& title)
    {
        const auto titles = browser_titles(windows);
        return std::find(titles.begin(), titles.end(), title) != titles.end();
    }
};

TEST_F(GnomeDesktop, BrowserWindowsAreRestoredAndPlacedAtTheCornerOfTheWorkArea)
{
    const testing::scratch_folder scratch;
    const std::string report = (scratch.path() / "size").string();
    const auto native = wayland_window("Maximised page \u2014 Mozilla Firefox", "--maximised", report);
    testing::x_test_client x(std::getenv("DISPLAY"));
    const xcb_window_t xwayland = x.create_titled("Minimised page - Chromium");
    x.iconify(xwayland, false);  // mutter keeps it mapped: the shell says when it is done
    ASSERT_TRUE(eventually([] {
        const auto big = shell_says("Maximised page \u2014 Mozilla Firefox");
        const auto small = shell_says("Minimised page - Chromium");
        return big && (*big)["maximized"] == true && small && (*small)["minimized"] == true;
    }, 20s));

    const auto backend = window_system_for_platform("wayland");
    EXPECT_EQ(backend->pending_setup().step, setup_step::none);
    ASSERT_TRUE(listed(*backend, "Maximised page \u2014 Mozilla Firefox"));
    ASSERT_TRUE(listed(*backend, "Minimised page - Chromium"));
    // The process a page area is asked of.
    EXPECT_EQ(backend->process_id(backend->find_window("Maximised page \u2014 Mozilla Firefox")),
              std::uint32_t(native->pid()));
    const x_rect area = work_area();
    const x_rect wanted{area.x, area.y, 800, 600};
    EXPECT_NE(resize_window_titled(*backend, "Maximised page \u2014 Mozilla Firefox", {800, 600}), no_window);
    std::optional<json> seen;
    EXPECT_TRUE(eventually([&] {
        seen = shell_says("Maximised page \u2014 Mozilla Firefox");
        return seen && frame_of(*seen) == wanted && (*seen)["maximized"] == false;
    })) << (seen ? seen->dump() : "gone");
    std::string client_size;
    EXPECT_TRUE(eventually([&] { return (std::ifstream(report) >> client_size) && client_size == "800x600"; }))
        << client_size;

    // The command line goes the same way.
    const auto command = testing::run_capturing({QUENLOW_PROGRAM, "--size", "800x600", "Minimised page - Chromium"});
    EXPECT_EQ(command.status, 0) << command.err;
    EXPECT_TRUE(eventually([&] {
        seen = shell_says("Minimised page - Chromium");
        return seen && frame_of(*seen) == wanted && (*seen)["minimized"] == false;
    })) << (seen ? seen->dump() : "gone");
    EXPECT_EQ(to_string(x.visible_rect(xwayland)), to_string(wanted));
    std::cout << "work area " << to_string(area) << "; native client " << client_size << "; XWayland frame "
              << to_string(x.visible_rect(xwayland)) << "\n";
}

TEST_F(GnomeDesktop, OnAScaleTwoMonitorAPresetIsThatManyPagePixels)
{
    const testing::scratch_folder scratch;
    const std::string report = (scratch.path() / "size").string();
    const auto page = wayland_window("Scaled page - Chromium", "--maximised", report);
    const x_rect unscaled = work_area();
    ASSERT_TRUE(set_monitor_scale(2));
    struct back_to_scale_one {
        ~back_to_scale_one() { set_monitor_scale(1); }
    } restored;
    const auto backend = window_system_for_platform("wayland");
    ASSERT_TRUE(eventually([&] { return listed(*backend, "Scaled page - Chromium"); }, 20s));
    ASSERT_TRUE(eventually([&] { return !(work_area() == unscaled); })) << to_string(work_area());
    // Where mutter lays the 1920-pixel monitor out in physical pixels (43,
    // 48) the work area stays 1920 wide, and the page's 640x480 are a
    // 1280x960 frame; in logical ones (50) it is 960 wide and the frame
    // 640x480. The client sees 640x480 either way.
    const x_rect area = work_area();
    const int pixels_per_page_pixel = unscaled.width / area.width == 2 ? 1 : 2;
    EXPECT_NE(resize_window_titled(*backend, "Scaled page - Chromium", {640, 480}), no_window);
    std::optional<json> seen;
    EXPECT_TRUE(eventually([&] {
        seen = shell_says("Scaled page - Chromium");
        return seen && frame_of(*seen) == x_rect{area.x, area.y, 640 * pixels_per_page_pixel, 480 * pixels_per_page_pixel};
    })) << (seen ? seen->dump() : "gone");
    std::string client_size;
    EXPECT_TRUE(eventually([&] { return (std::ifstream(report) >> client_size) && client_size == "640x480"; }))
        << client_size;
    std::cout << "scale 2: work area " << to_string(area) << "; frame " << (seen ? to_string(frame_of(*seen)) : "-")
              << "; native client " << client_size << "\n";
}

TEST_F(GnomeDesktop, OwnWindowsAreKeptAboveAndReleased)
{
    const auto backend = window_system_for_platform("wayland");
    constexpr window_handle own_handle = 0x4201;  // what a toolkit would hand over
    backend->set_topmost(own_handle, true);       // before the window is shown
    QWidget own;
    own.setWindowTitle(QStringLiteral("Own window"));
    own.resize(300, 200);
    own.show();
    const auto above = [&](bool wanted) {
        return eventually([&] {
            QApplication::processEvents();
            const auto seen = shell_says("Own window");
            return seen && (*seen)["above"] == wanted;
        });
    };
    EXPECT_TRUE(above(true));
    backend->set_topmost(own_handle, false);
    EXPECT_TRUE(above(false));

    // The program itself, always on top from its start.
    const testing::scratch_folder config;
    const child_process program({QUENLOW_PROGRAM}, {{"QT_QPA_PLATFORM", "wayland"},
                                                     {"XDG_CONFIG_HOME", config.path().string()}});
    EXPECT_TRUE(eventually([&] {
        const auto seen = shell_says("Mobrell Quenlow - Ver.: 1.1.2");
        return seen && (*seen)["above"] == true;
    }, 20s));
}

TEST_F(GnomeDesktop, ExtensionsSwitchedOffAreToldAndOnlyTheWindowSwitchesOursOn)
{
    testing::session_call("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Extensions", "DisableExtension",
                          "s", "quenlow@mobrell.example");
    ASSERT_TRUE(eventually([] { return !extension_answers(); }));
    const child_process page({WAYLAND_TEST_WINDOW, "Switched - Netscape"}, {{"QT_QPA_PLATFORM", "wayland"}});
    const auto off = command_line({"--list"});
    EXPECT_EQ(off.status, 3);
    EXPECT_NE(off.err.find("is switched off"), std::string::npos) << off.err;
    EXPECT_FALSE(extension_answers());  // the command line changes no setting
    const auto backend = window_system_for_platform("wayland");  // the window's way: switches it on
    EXPECT_EQ(backend->pending_setup().step, setup_step::none);
    ASSERT_TRUE(eventually([&] { return listed(*backend, "Switched - Netscape"); }, 20s));

    set_user_extensions(false);
    ASSERT_TRUE(eventually([] { return !extension_answers(); }));
    const auto all_off = command_line({"--size", "800x600", "Switched - Netscape"});
    set_user_extensions(true);
    EXPECT_EQ(all_off.status, 3);
    EXPECT_NE(all_off.err.find("All GNOME Shell extensions are switched off"), std::string::npos) << all_off.err;
    EXPECT_TRUE(eventually([] { return extension_answers(); }, 10s));
}

TEST_F(GnomeDesktop, AShellThatAnswersSlowlyThenNotAtAllHoldsAnActionOnce)
{
    const child_process page({WAYLAND_TEST_WINDOW, "Stalled - Netscape"}, {{"QT_QPA_PLATFORM", "wayland"}});
    const auto backend = window_system_for_platform("wayland");
    ASSERT_TRUE(eventually([&] { return listed(*backend, "Stalled - Netscape"); }, 20s));
    const pid_t shell = testing::owner_pid("org.gnome.Shell");
    ASSERT_GT(shell, 0);

    const auto start = std::chrono::steady_clock::now();
    {
        const user_action action(*backend);
        const window_handle window = backend->find_window("Stalled - Netscape");
        ASSERT_NE(window, no_window);
        // Found: now the shell answers the next call after 1.5 s, and then
        // no more. Each call on a deadline of its own would wait 1.5 s and
        // then 2 s more.
        ::kill(shell, SIGSTOP);
        std::thread slow_then_stalled([shell] {
            std::this_thread::sleep_for(1500ms);
            ::kill(shell, SIGCONT);
            std::this_thread::sleep_for(100ms);
            ::kill(shell, SIGSTOP);
        });
        resize_window(*backend, window, {800, 600});
        slow_then_stalled.join();
    }
    const auto waited = std::chrono::steady_clock::now() - start;
    ::kill(shell, SIGCONT);
    EXPECT_LT(waited, 2500ms);
    EXPECT_TRUE(eventually([&] { return listed(*backend, "Stalled - Netscape"); }, 5s));
}

}  // namespace
}  // namespace quenlow

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "wayland");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
