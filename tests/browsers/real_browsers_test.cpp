// Real Firefox ESR and Chromium, each with a throwaway profile, on a private
// X server under openbox, each showing a local page titled "Example
// Domain": the list finds both by their own window titles, and Change Size
// gives each exactly the visible rectangle asked for. On a page that puts
// its innerWidth x innerHeight in its title, `quenlow --size WxH --page`
// gives the page exactly that size, learnt through the accessibility bus of
// the session bus the tier runs under (dbus-run-session).
#include "browser_list.h"
#include "child_process.h"
#include "eventually.h"
#include "lands_at.h"
#include "resize_command.h"
#include "scratch_folder.h"
#include "session_bus.h"
#include "sized_page.h"
#include "x11_window_system.h"
#include "x_session.h"
#include "x_test_client.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>


#include <algorithm>
#include <cctype>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>

namespace quenlow {
namespace {

using testing::child_process;
using testing::eventually;
using testing::finished_run;
using testing::scratch_folder;
using testing::x_session;
using testing::x_test_client;
namespace fs = std::filesystem;

constexpr char firefox_title[] = "Example Domain \u2014 Mozilla Firefox";
constexpr char chromium_title[] = "Example Domain - Chromium";
constexpr char firefox_suffix[] = " \u2014 Mozilla Firefox";
constexpr char chromium_suffix[] = " - Chromium";

class RealBrowsers : public ::testing::Test {
protected:
    explicit RealBrowsers(testing::x_screen screen = {})
        : session(x_session::window_manager::openbox, screen), client(session.display()),
          backend(x11_window_system::connect(session.display().c_str()))
    {
        std::ofstream(folder.path() / "page.html")
            << "<!doctype html><html><head><meta charset=\"utf-8\"><title>Example Domain</title></head>"
               "<body><h1>Example Domain</h1></body></html>\n";
        testing::write_sized_page(folder.path() / "sized.html");
        fs::create_directories(folder.path() / "firefox");
        // No first-run pages, default-browser question or crash-restore prompt,
        // so the window shows the page and nothing else.
        std::ofstream(folder.path() / "firefox" / "user.js")
            << "user_pref(\"browser.shell.checkDefaultBrowser\", false);\n"
               "user_pref(\"browser.startup.homepage_override.mstone\", \"ignore\");\n"
               "user_pref(\"browser.aboutwelcome.enabled\", false);\n"
               "user_pref(\"datareporting.policy.dataSubmissionEnabled\", false);\n"
               "user_pref(\"toolkit.telemetry.reportingpolicy.firstRun\", false);\n"
               "user_pref(\"browser.sessionstore.resume_from_crash\", false);\n"
               "user_pref(\"app.normandy.enabled\", false);\n";
    }

    std::unique_ptr<child_process> start(std::vector<std::string> argv,
                                         std::vector<std::pair<std::string, std::string>> environment = {})
    {
        const std::string home = (folder.path() / "home").string();
        environment.insert(environment.end(),
                           {{"DISPLAY", session.display()}, {"HOME", home}, {"XDG_CONFIG_HOME", home + "/config"},
                            {"XDG_CACHE_HOME", home + "/cache"}, {"XDG_RUNTIME_DIR", folder.path().string()},
                            {"WAYLAND_DISPLAY", ""}, {"MOZ_ENABLE_WAYLAND", "0"}, {"MOZ_CRASHREPORTER_DISABLE", "1"}});
        return std::make_unique<child_process>(std::move(argv), std::move(environment), child_process::group::own);
    }

    std::unique_ptr<child_process> start_firefox(const std::string& page = "page.html")
    {
        return start({"firefox-esr", "--no-remote", "--new-instance", "--profile",
                      (folder.path() / "firefox").string(), address_of(page)});
    }

    std::unique_ptr<child_process> start_accessible_chromium(std::vector<std::string> options = {})
    {
        options.push_back("--force-renderer-accessibility");
        return start_chromium("sized.html", std::move(options), {{"ACCESSIBILITY_ENABLED", "1"}});
    }

    std::unique_ptr<child_process> start_chromium(const std::string& page = "page.html",
                                                  std::vector<std::string> options = {},
                                                  std::vector<std::pair<std::string, std::string>> environment = {})
    {
        std::vector<std::string> argv{"chromium", "--no-sandbox", "--no-first-run", "--no-default-browser-check",
                                      "--disable-gpu", "--disable-background-networking", "--disable-component-update",
                                      "--disable-sync", "--password-store=basic",
                                      "--user-data-dir=" + (folder.path() / "chromium").string()};
        argv.insert(argv.end(), options.begin(), options.end());
        argv.push_back(address_of(page));
        return start(std::move(argv), std::move(environment));
    }

    std::string address_of(const std::string& page) const { return "file://" + (folder.path() / page).string(); }

    std::vector<std::pair<std::string, std::string>> quenlow_environment() const
    {
        return {{"DISPLAY", session.display()}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}};
    }

    finished_run quenlow(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), QUENLOW_PROGRAM);
        return testing::run_capturing(arguments, quenlow_environment());
    }

    // The title of the browser window that shows sized.html (a size and
    // `suffix`), once it does; "" when none does within a minute.
    std::string sized_page_title(const std::string& suffix, child_process& browser)
    {
        std::string found;
        const auto shown = [&] {
            for (const std::string& title : browser_titles(*backend)) {
                if (title.ends_with(suffix) && !title.empty() && std::isdigit(static_cast<unsigned char>(title[0]))) {
                    found = title;
                    return true;
                }
            }
            return false;
        };
        EXPECT_TRUE(eventually(shown, std::chrono::seconds(60))) << suffix << "; running " << browser.running();
        return found;
    }

    // `--page` at each size: the page reports exactly that size (its title,
    // read from X, says innerWidth x innerHeight) and the window's corner is
    // at the screen's. The window's title after.
    std::string sizes_pages_exactly(std::string title, const std::string& browser_suffix,
                                    const std::vector<std::string>& sizes = {"1024x768", "800x600"})
    {
        const xcb_window_t window = client.find_managed(title);
        EXPECT_NE(window, XCB_NONE) << title;
        for (const std::string& size : sizes) {
            const finished_run run = quenlow({"--size", size, "--page", title});
            EXPECT_EQ(run.status, 0) << size << ": " << run.err;
            title = size + browser_suffix;
            EXPECT_TRUE(eventually([&] { return client.find_managed(title) == window; }))
                << title << " wanted, the page shows " << client.net_wm_name(window);
            title = client.net_wm_name(window);  // the next size is asked of this window, whatever it shows
            const testing::x_rect seen = client.visible_rect(window);
            EXPECT_EQ(std::pair(seen.x, seen.y), std::pair(0, 0)) << size;
        }
        return title;
    }

    // The desktop's accessibility switch, read on the session bus.
    static bool accessibility_on()
    {
        sd_bus_message* reply =
            testing::session_call("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Get", "ss",
                                  "org.a11y.Status", "IsEnabled");
        int on = -1;
        if (!reply || sd_bus_message_read(reply, "v", "b", &on) < 0) on = -1;
        sd_bus_message_unref(reply);
        return on == 1;
    }

    // Whatever a test leaves, the next starts with the desktop's
    // accessibility off, as each expects.
    void TearDown() override
    {
        sd_bus_message_unref(testing::session_call("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties",
                                                   "Set", "ssv", "org.a11y.Status", "IsEnabled", "b", 0));
    }

    // The GSettings key the accessibility bus keeps that switch in, which
    // outlives the session: "true" or "false".
    static std::string toolkit_accessibility()
    {
        const finished_run run =
            testing::run_capturing({"gsettings", "get", "org.gnome.desktop.interface", "toolkit-accessibility"});
        return run.out.substr(0, run.out.find('\n'));
    }

    scratch_folder folder;  // the page and both profiles
    x_session session;
    x_test_client client;
    std::unique_ptr<x11_window_system> backend;
};

TEST_F(RealBrowsers, FirefoxAndChromiumAreListedByTheirOwnTitlesAndSizedExactly)
{
    ASSERT_NE(backend, nullptr);
    const auto firefox = start_firefox();
    const auto chromium = start_chromium();

    using ::testing::UnorderedElementsAre;
    std::vector<std::string> titles;
    // A browser shows "Mozilla Firefox" alone until the page has its title.
    const auto both_pages_shown = [&] {
        titles = browser_titles(*backend);
        return std::count(titles.begin(), titles.end(), firefox_title) == 1 &&
               std::count(titles.begin(), titles.end(), chromium_title) == 1;
    };
    ASSERT_TRUE(eventually(both_pages_shown, std::chrono::seconds(60)))
        << "listed: " << ::testing::PrintToString(titles) << "; firefox running " << firefox->running()
        << ", chromium running " << chromium->running();
    EXPECT_THAT(titles, UnorderedElementsAre(firefox_title, chromium_title));

    for (const char* title : {firefox_title, chromium_title}) {
        const xcb_window_t window = client.find_managed(title);
        ASSERT_NE(window, XCB_NONE) << title;
        const placement_result placed = resize_window(*backend, window, {800, 600});
        EXPECT_EQ(placed.what, placement_result::outcome::placed) << title << ": " << placed.width << "x" << placed.height;
        EXPECT_TRUE(testing::lands_at(client, window, {0, 0, 800, 600})) << title;
    }
}

TEST_F(RealBrowsers, FirefoxsPageIsSizedExactlyAndAChromiumWithoutAccessibilityIsLeftAsItWas)
{
    ASSERT_NE(backend, nullptr);
    const auto firefox = start_firefox("sized.html");
    const auto chromium = start_chromium("sized.html");

    // Firefox comes onto the accessibility bus, and builds its tree there,
    // once the desktop's accessibility is switched on, which is off again
    // after. Then, its window's process untold (as in a sandbox with process
    // numbers of its own), it is known there by its window's title.
    ASSERT_FALSE(accessibility_on());
    const std::string suffix = " \u2014 Mozilla Firefox";
    const std::string firefox_page = sizes_pages_exactly(sized_page_title(suffix, *firefox), suffix, {"1024x768"});
    EXPECT_FALSE(accessibility_on());
    xcb_delete_property(client.connection(), client.find_managed(firefox_page), client.atom("_NET_WM_PID"));
    client.sync();
    sizes_pages_exactly(firefox_page, suffix, {"800x600"});

    // A Chromium started without accessibility shows no page area: the
    // window stays as it was and the message says how to start it.
    const std::string chromium_page = sized_page_title(" - Chromium", *chromium);
    const xcb_window_t chromium_window = client.find_managed(chromium_page);
    ASSERT_NE(chromium_window, XCB_NONE) << chromium_page;
    const testing::x_rect before = client.visible_rect(chromium_window);
    const finished_run refused = quenlow({"--size", "1024x768", "--page", chromium_page});
    EXPECT_EQ(refused.status, 4);
    EXPECT_THAT(refused.err, ::testing::HasSubstr("--force-renderer-accessibility")) << refused.err;
    EXPECT_EQ(client.visible_rect(chromium_window), before);
}

TEST_F(RealBrowsers, ChromiumStartedWithRendererAccessibilityHasItsPageSizedExactly)
{
    ASSERT_NE(backend, nullptr);
    const auto chromium = start_accessible_chromium();
    sizes_pages_exactly(sized_page_title(chromium_suffix, *chromium), chromium_suffix);
}

TEST_F(RealBrowsers, ChromiumWithItsDeveloperToolsDockedHasItsPageSizedExactly)
{
    ASSERT_NE(backend, nullptr);
    // The tools show a page of their own beside the one sized, in the same
    // window. They dock once the page has loaded, which is then narrower
    // than the window by their width.
    const auto chromium = start_accessible_chromium({"--auto-open-devtools-for-tabs"});
    std::string title;
    const auto docked = [&] {
        title = sized_page_title(chromium_suffix, *chromium);
        const xcb_window_t window = client.find_managed(title);
        return window != XCB_NONE && !title.empty() &&
               std::stoi(title) + 100 < client.visible_rect(window).width;
    };
    ASSERT_TRUE(eventually(docked, std::chrono::seconds(30))) << title;
    sizes_pages_exactly(title, chromium_suffix, {"800x600"});
}

TEST_F(RealBrowsers, CtrlCDuringARunOnFirefoxLeavesTheAccessibilitySwitchAsItWas)
{
    ASSERT_NE(backend, nullptr);
    const auto firefox = start_firefox("sized.html");
    const std::string title = sized_page_title(firefox_suffix, *firefox);
    ASSERT_FALSE(accessibility_on());
    ASSERT_EQ(toolkit_accessibility(), "false");

    // A Firefox too busy to come onto the accessibility bus: the run waits
    // for it, with the switch, and its key, on, when Ctrl-C comes.
    kill(-firefox->pid(), SIGSTOP);
    child_process run({QUENLOW_PROGRAM, "--size", "800x600", "--page", title}, quenlow_environment());
    ASSERT_TRUE(eventually([] { return accessibility_on(); }, std::chrono::seconds(10)));
    ASSERT_TRUE(eventually([] { return toolkit_accessibility() == "true"; }));
    kill(run.pid(), SIGINT);
    kill(-firefox->pid(), SIGCONT);
    ASSERT_TRUE(eventually([&] { return !run.running(); }, std::chrono::seconds(10)));
    EXPECT_EQ(run.exit_code(), -1) << "the run ended before Ctrl-C, not by it";
    EXPECT_FALSE(accessibility_on());
    EXPECT_TRUE(eventually([] { return toolkit_accessibility() == "false"; })) << toolkit_accessibility();
}

// A 150 % desktop on X11, as GNOME or Xfce sets one: both browsers run at
// devicePixelRatio 1.5, on a screen that holds a 1024x768 page at it.
class ScaledDesktop : public RealBrowsers {
protected:
    ScaledDesktop() : RealBrowsers({2560, 1600, 144}) {}
};

TEST_F(ScaledDesktop, FirefoxAndChromiumPagesAreSizedInCssPixels)
{
    ASSERT_NE(backend, nullptr);
    const auto firefox = start_firefox("sized.html");
    const auto chromium = start_accessible_chromium();
    for (const auto& [suffix, browser] :
         {std::pair{firefox_suffix, firefox.get()}, std::pair{chromium_suffix, chromium.get()}}) {
        const std::string title = sized_page_title(suffix, *browser);
        const xcb_window_t window = client.find_managed(title);
        sizes_pages_exactly(title, suffix);
        // The desktop's scale held: the last page, 800 CSS pixels wide, takes
        // 1200 of the screen's.
        EXPECT_GE(client.visible_rect(window).width, 1200) << suffix;
    }
}

// Two windows of one Firefox, one page in each, so one title for both; the
// one opened first is picked by being the active window, the other by the
// title (the active one of that title is the one on top).
class TwinFirefoxWindows : public RealBrowsers, public ::testing::WithParamInterface<int> {};

TEST_P(TwinFirefoxWindows, OnlyThePickedWindowsPageIsSized)
{
    ASSERT_NE(backend, nullptr);
    const auto firefox = start_firefox("sized.html");
    const std::string title = sized_page_title(firefox_suffix, *firefox);
    // Without --no-remote, the running Firefox opens the window.
    const auto opener = start({"firefox-esr", "--profile", (folder.path() / "firefox").string(), "--new-window",
                               address_of("sized.html")});
    std::vector<xcb_window_t> twins;
    ASSERT_TRUE(eventually([&] { return (twins = client.all_managed(title)).size() == 2; }, std::chrono::seconds(60)))
        << title;
    const xcb_window_t picked = twins[GetParam()], other = twins[1 - GetParam()];
    client.activate(picked);
    const testing::x_rect other_before = client.visible_rect(other);

    std::vector<std::string> arguments{"--size", "800x600", "--page"};
    if (GetParam() == 1) arguments.push_back(title);
    const finished_run run = quenlow(arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(eventually([&] { return client.net_wm_name(picked) == "800x600" + std::string(firefox_suffix); }))
        << client.net_wm_name(picked);
    EXPECT_EQ(client.net_wm_name(other), title);
    EXPECT_EQ(client.visible_rect(other), other_before);
}

INSTANTIATE_TEST_SUITE_P(FirstActiveOrSecondByTitle, TwinFirefoxWindows, ::testing::Values(0, 1));

}  // namespace
}  // namespace quenlow
