// The GNOME backend inside a headless GNOME Shell with the program's
// extension (run by run_under_gnome.sh): a native Wayland and an XWayland
// browser window, maximised and minimised, listed and placed at the corner
// of the area the top bar leaves free, read back from the shell and from
// the clients; the program's own window kept above and released; the
// extension turned back on when it is off; and a stalled shell.
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

TEST_F(GnomeDesktop, AnExtensionTurnedOffIsTurnedOnAndAStalledShellHoldsAnActionOnce)
{
    testing::session_call("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Extensions", "DisableExtension",
                          "s", "quenlow@mobrell.example");
    ASSERT_TRUE(eventually([] { return !extension_answers(); }));
    const child_process page({WAYLAND_TEST_WINDOW, "Stalled - Netscape"}, {{"QT_QPA_PLATFORM", "wayland"}});
    const auto backend = window_system_for_platform("wayland");  // turns it on again
    ASSERT_TRUE(eventually([&] { return listed(*backend, "Stalled - Netscape"); }, 20s));

    const pid_t shell = testing::owner_pid("org.gnome.Shell");
    ASSERT_GT(shell, 0);
    ::kill(shell, SIGSTOP);
    const auto start = std::chrono::steady_clock::now();
    resize_window_titled(*backend, "Stalled - Netscape", {800, 600});
    const auto waited = std::chrono::steady_clock::now() - start;
    ::kill(shell, SIGCONT);
    // One action's deadline (2 s), not one per call.
    EXPECT_LT(waited, 3500ms);
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
