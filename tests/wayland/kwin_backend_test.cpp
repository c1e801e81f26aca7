// The KWin backend inside a headless KWin (run by run_under_kwin.sh):
// native Wayland and XWayland windows listed, found, restored and placed,
// read back from KWin's own window information; the program's own window
// kept above; a script that never reports; the program itself started on
// Wayland; and a KWin that answers late or not at all.
#include "browser_list.h"
#include "child_process.h"
#include "eventually.h"
#include "kwin_script_runner.h"
#include "kwin_window_system.h"
#include "resize_command.h"
#include "session_bus.h"

#include <gtest/gtest.h>

#include <systemd/sd-bus.h>

#include <signal.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QWidget>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace quenlow {
namespace {

using testing::child_process;
using testing::eventually;

// What KWin itself says of a window, asked over D-Bus, not through the backend.
struct kwin_info {
    double x = -1, y = -1, width = 0, height = 0;
    bool keep_above = false, minimized = false, maximized = false;
};

std::optional<kwin_info> window_info(const std::string& uuid)
{
    sd_bus_message* reply =
        testing::session_call("org.kde.KWin", "/KWin", "org.kde.KWin", "getWindowInfo", "s", uuid.c_str());
    std::optional<kwin_info> info;
    if (reply && sd_bus_message_enter_container(reply, 'a', "{sv}") > 0) {
        info.emplace();
        while (sd_bus_message_enter_container(reply, 'e', "sv") > 0) {
            const char* key = nullptr;
            const char* contents = nullptr;
            sd_bus_message_read(reply, "s", &key);
            sd_bus_message_peek_type(reply, nullptr, &contents);
            const std::string name = key ? key : "";
            if (contents && std::string(contents) == "d") {
                double value = 0;
                sd_bus_message_read(reply, "v", "d", &value);
                if (name == "x") info->x = value;
                if (name == "y") info->y = value;
                if (name == "width") info->width = value;
                if (name == "height") info->height = value;
            } else if (contents && std::string(contents) == "b") {
                int value = 0;
                sd_bus_message_read(reply, "v", "b", &value);
                if (name == "keepAbove") info->keep_above = value;
                if (name == "minimized") info->minimized = value;
            } else if (contents && std::string(contents) == "i") {
                std::int32_t value = 0;
                sd_bus_message_read(reply, "v", "i", &value);
                if (name == "maximizeHorizontal" || name == "maximizeVertical") info->maximized |= value != 0;
            } else {
                sd_bus_message_skip(reply, "v");
            }
            sd_bus_message_exit_container(reply);
        }
    }
    sd_bus_message_unref(reply);
    return info;
}

// KWin's id of the window with that caption, listed by a script of our own.
std::string uuid_of(const std::string& caption)
{
    static const auto runner = kwin_script_runner::connect();
    if (!runner) return {};
    const auto report = runner->run([](const kwin_report_address& to) { return kwin_list_script(to); });
    for (const kwin_window& w : parse_kwin_window_list(report.value_or(""))) {
        if (w.caption == caption) return w.id;
    }
    return {};
}

std::unique_ptr<child_process> wayland_window(const std::string& title, const std::string& how = "")
{
    std::vector<std::string> argv{WAYLAND_TEST_WINDOW, title};
    if (!how.empty()) argv.push_back(how);
    return std::make_unique<child_process>(argv, std::vector<std::pair<std::string, std::string>>{
                                                     {"QT_QPA_PLATFORM", "wayland"}});
}

class KWinDesktop : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(backend, nullptr) << "no KWin on the session bus"; }
    bool listed(const std::string& title)
    {
        const auto titles = browser_titles(*backend);
        return std::find(titles.begin(), titles.end(), title) != titles.end();
    }
    ::testing::AssertionResult placed_at_800_by_600(const std::string& caption)
    {
        std::optional<kwin_info> info;
        if (eventually([&] {
                info = window_info(uuid_of(caption));
                return info && info->x == 0 && info->y == 0 && info->width == 800 && info->height == 600 &&
                       !info->minimized && !info->maximized;
            })) {
            return ::testing::AssertionSuccess();
        }
        if (!info) return ::testing::AssertionFailure() << caption << ": KWin knows no such window";
        return ::testing::AssertionFailure() << caption << " at " << info->x << "," << info->y << " " << info->width
                                             << "x" << info->height << (info->minimized ? " minimised" : "")
                                             << (info->maximized ? " maximised" : "");
    }

    std::unique_ptr<kwin_window_system> backend = kwin_window_system::connect();
};

TEST_F(KWinDesktop, ListsNativeAndXWaylandWindowsAndFindsExactTitles)
{
    const auto native = wayland_window("Native page - Netscape");
    const child_process xwayland({"xmessage", "-title", "XWayland page - Netscape", "a browser"});
    const auto other = wayland_window("Not a browser");
    // KWin tells equal captions of X11 windows apart by a suffix of its own
    // (" <2>"); the list shows the windows' own titles.
    const auto firefox = wayland_window("Example Domain \u2014 Mozilla Firefox");
    const auto second_firefox = wayland_window("Example Domain \u2014 Mozilla Firefox");
    const child_process chromium({"xmessage", "-title", "Example Domain - Chromium", "a browser"});
    const child_process second_chromium({"xmessage", "-title", "Example Domain - Chromium", "a browser"});
    const auto counted = [&](const std::string& title) {
        const auto titles = browser_titles(*backend);
        return std::count(titles.begin(), titles.end(), title);
    };
    ASSERT_TRUE(eventually([&] { return listed("Native page - Netscape") && listed("XWayland page - Netscape"); },
                           std::chrono::seconds(20)));
    EXPECT_TRUE(eventually([&] {
        return counted("Example Domain \u2014 Mozilla Firefox") == 2 && counted("Example Domain - Chromium") == 2;
    }, std::chrono::seconds(20))) << ::testing::PrintToString(browser_titles(*backend));
    EXPECT_FALSE(listed("Not a browser"));
    EXPECT_NE(backend->find_window("XWayland page - Netscape"), no_window);
    // The process a page area is asked of.
    EXPECT_EQ(backend->process_id(backend->find_window("Native page - Netscape")), std::uint32_t(native->pid()));
    EXPECT_EQ(backend->process_id(backend->find_window("xwayland page - netscape")), 0u);
    EXPECT_EQ(backend->find_window("xwayland page - netscape"), no_window);
    EXPECT_EQ(backend->find_window("XWayland page"), no_window);
}

TEST_F(KWinDesktop, MaximisedAndMinimisedWindowsAreRestoredThenPlaced)
{
    const auto maximised = wayland_window("Maximised - Netscape", "--maximised");
    const auto minimised = wayland_window("Minimised - Netscape", "--minimised");
    const child_process xwayland({"xmessage", "-title", "Old - Microsoft Internet Explorer", "a browser"});
    // The clients ask for their state once shown; wait until KWin has it.
    ASSERT_TRUE(eventually([&] {
        const auto big = window_info(uuid_of("Maximised - Netscape"));
        const auto small = window_info(uuid_of("Minimised - Netscape"));
        return big && big->maximized && small && small->minimized;
    }, std::chrono::seconds(20)));
    for (const std::string title :
         {"Maximised - Netscape", "Minimised - Netscape", "Old - Microsoft Internet Explorer"}) {
        ASSERT_TRUE(eventually([&] { return listed(title); }, std::chrono::seconds(20))) << title;
        EXPECT_NE(resize_window_titled(*backend, title, {800, 600}), no_window) << title;
        EXPECT_TRUE(placed_at_800_by_600(title));
    }
}

TEST_F(KWinDesktop, AStaleHandleOrAScriptThatNeverReportsChangesNothing)
{
    const auto stays = wayland_window("Stays - Netscape");
    auto closing = wayland_window("Closing - Netscape");
    ASSERT_TRUE(eventually([&] { return listed("Closing - Netscape") && listed("Stays - Netscape"); },
                           std::chrono::seconds(20)));
    const window_handle stale = backend->find_window("Closing - Netscape");
    closing.reset();
    ASSERT_TRUE(eventually([&] { return !listed("Closing - Netscape"); }));
    backend->restore_window(stale);
    backend->place_window(stale, 800, 600);
    EXPECT_EQ(resize_window_titled(*backend, "Closing - Netscape", {800, 600}), no_window);

    const auto runner = kwin_script_runner::connect();
    ASSERT_NE(runner, nullptr);
    EXPECT_FALSE(runner->run([](const kwin_report_address&) { return std::string("this is not ( JavaScript"); }));
    EXPECT_FALSE(runner->run([](const kwin_report_address&) { return std::string("var quiet = 1;"); }));
    EXPECT_TRUE(listed("Stays - Netscape"));  // and the next script runs as before
}

TEST_F(KWinDesktop, OwnWindowIsKeptAboveFromItsFirstShowUntilCleared)
{
    constexpr window_handle own_handle = 0x4201;  // what a toolkit would hand over
    backend->set_topmost(own_handle, true);       // before the window is shown
    QWidget own;
    own.setWindowTitle(QStringLiteral("Own window"));
    own.resize(300, 200);
    own.show();
    const auto keeps_above = [&](bool wanted) {
        return eventually([&] {
            QApplication::processEvents();
            const auto info = window_info(uuid_of("Own window"));
            return info && info->keep_above == wanted;
        });
    };
    EXPECT_TRUE(keeps_above(true));
    backend->set_topmost(own_handle, false);
    EXPECT_TRUE(keeps_above(false));
    backend->set_topmost(own_handle, true);
    EXPECT_TRUE(keeps_above(true));

    // Turned off before it is shown, a window is not kept above once it is.
    constexpr window_handle later_handle = 0x4202;
    backend->set_topmost(later_handle, true);
    backend->set_topmost(later_handle, false);
    QWidget later;
    later.setWindowTitle(QStringLiteral("Later window"));
    later.resize(300, 200);
    later.show();
    ASSERT_TRUE(eventually([&] {
        QApplication::processEvents();
        return window_info(uuid_of("Later window")).has_value();
    }));
    // The helper that waited for it looked every 30 ms.
    EXPECT_FALSE(eventually([&] {
        QApplication::processEvents();
        const auto info = window_info(uuid_of("Later window"));
        return info && info->keep_above;
    }, std::chrono::seconds(1)));
}

TEST_F(KWinDesktop, TheProgramRunsOnWaylandThroughKWin)
{
    // From the command line, too.
    const auto page = wayland_window("Command line page - Netscape");
    ASSERT_TRUE(eventually([&] { return listed("Command line page - Netscape"); }, std::chrono::seconds(20)));
    const auto command = testing::run_capturing({QUENLOW_PROGRAM, "--size", "640x480", "Command line page - Netscape"});
    EXPECT_EQ(command.status, 0) << command.err;
    std::optional<kwin_info> info;
    EXPECT_TRUE(eventually([&] {
        info = window_info(uuid_of("Command line page - Netscape"));
        return info && info->x == 0 && info->y == 0 && info->width == 640 && info->height == 480;
    }));

    QTemporaryDir config;
    const child_process program({QUENLOW_PROGRAM}, {{"QT_QPA_PLATFORM", "wayland"},
                                                     {"XDG_CONFIG_HOME", config.path().toStdString()}});
    // Only a program on the KWin backend keeps its window above from the start.
    EXPECT_TRUE(eventually([&] {
        const auto info = window_info(uuid_of("Mobrell Quenlow - Ver.: 1.1.2"));
        return info && info->keep_above;
    }, std::chrono::seconds(20)));
}

// Last, as it stops KWin for a while: a KWin that answers late (stopped for
// 1.5 s) or not at all while the actions run. Each action still ends
// within its bound, and every script the backend asked KWin to load, its
// load answered late or never, is unloaded once KWin runs again.
TEST_F(KWinDesktop, AStoppedKWinHoldsNoActionLongAndKeepsNoScriptLoaded)
{
    using namespace std::chrono_literals;
    const pid_t kwin = testing::owner_pid("org.kde.KWin");
    ASSERT_GT(kwin, 0);
    const auto timed = [](auto action) {
        const auto start = std::chrono::steady_clock::now();
        action();
        return std::chrono::steady_clock::now() - start;
    };
    for (const bool late : {true, false}) {
        ::kill(kwin, SIGSTOP);
        std::thread resume;
        if (late) resume = std::thread([kwin] { std::this_thread::sleep_for(1500ms); ::kill(kwin, SIGCONT); });
        {
            const auto stalled = kwin_window_system::connect();
            ASSERT_NE(stalled, nullptr);
            EXPECT_LT(timed([&] { browser_titles(*stalled); }), 2500ms) << late;
            EXPECT_LT(timed([&] { resize_window_titled(*stalled, "Page - Netscape", {800, 600}); }), 2500ms);
            EXPECT_LT(timed([&] { stalled->set_topmost(0x4201, true); }), 2500ms);
        }  // ends the backend's helpers too
        if (resume.joinable()) resume.join();
        ::kill(kwin, SIGCONT);
        // Scripts are named by this process's id and a count of its runs.
        const auto loaded = [] {
            for (int run = 1; run <= 1500; ++run) {  // this process runs some 300
                const std::string name = "quenlow-" + std::to_string(::getpid()) + "-" + std::to_string(run);
                sd_bus_message* reply = testing::session_call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting",
                                                              "isScriptLoaded", "s", name.c_str());
                int is_loaded = 0;
                if (reply) sd_bus_message_read(reply, "b", &is_loaded);
                sd_bus_message_unref(reply);
                if (is_loaded) return name;
            }
            return std::string();
        };
        std::string left;
        EXPECT_TRUE(eventually([&] { return (left = loaded()).empty(); }, 5s)) << left << " is still loaded";
    }
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
