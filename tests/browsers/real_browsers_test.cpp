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

class RealBrowsers : public ::testing::Test {
protected:
    RealBrowsers() : client(session.display()), backend(x11_window_system::connect(session.display().c_str()))
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

    finished_run quenlow(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), QUENLOW_PROGRAM);
        return testing::run_capturing(arguments, {{"DISPLAY", session.display()}, {"WAYLAND_DISPLAY", ""},
                                                  {"QT_QPA_PLATFORM", ""}});
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
            EXPECT_TRUE(eventually([&] { return client.find_managed(title) == window; })) << title;
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
    const auto chromium =
        start_chromium("sized.html", {"--force-renderer-accessibility"}, {{"ACCESSIBILITY_ENABLED", "1"}});
    sizes_pages_exactly(sized_page_title(" - Chromium", *chromium), " - Chromium");
}

}  // namespace
}  // namespace quenlow
