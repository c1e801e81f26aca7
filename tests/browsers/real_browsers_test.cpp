// Real Firefox ESR and Chromium, each with a throwaway profile, on a private
// X server under openbox, each showing a local page titled "Example
// Domain": the list finds both by their own window titles, and Change Size
// gives each exactly the visible rectangle asked for.
#include "browser_list.h"
#include "child_process.h"
#include "eventually.h"
#include "lands_at.h"
#include "resize_command.h"
#include "scratch_folder.h"
#include "x11_window_system.h"
#include "x_session.h"
#include "x_test_client.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>


#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

namespace quenlow {
namespace {

using testing::child_process;
using testing::eventually;
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

    std::unique_ptr<child_process> start(std::vector<std::string> argv)
    {
        const std::string home = (folder.path() / "home").string();
        return std::make_unique<child_process>(
            std::move(argv),
            std::vector<std::pair<std::string, std::string>>{
                {"DISPLAY", session.display()}, {"HOME", home}, {"XDG_CONFIG_HOME", home + "/config"},
                {"XDG_CACHE_HOME", home + "/cache"}, {"XDG_RUNTIME_DIR", folder.path().string()},
                {"WAYLAND_DISPLAY", ""}, {"MOZ_ENABLE_WAYLAND", "0"}, {"MOZ_CRASHREPORTER_DISABLE", "1"}},
            child_process::group::own);
    }

    scratch_folder folder;  // the page and both profiles
    x_session session;
    x_test_client client;
    std::unique_ptr<x11_window_system> backend;
};

TEST_F(RealBrowsers, FirefoxAndChromiumAreListedByTheirOwnTitlesAndSizedExactly)
{
    ASSERT_NE(backend, nullptr);
    const std::string page = "file://" + (folder.path() / "page.html").string();
    const auto firefox = start({"firefox-esr", "--no-remote", "--new-instance", "--profile",
                                (folder.path() / "firefox").string(), page});
    const auto chromium =
        start({"chromium", "--no-sandbox", "--no-first-run", "--no-default-browser-check", "--disable-gpu",
               "--disable-background-networking", "--disable-component-update", "--disable-sync",
               "--password-store=basic", "--user-data-dir=" + (folder.path() / "chromium").string(), page});

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

}  // namespace
}  // namespace quenlow
