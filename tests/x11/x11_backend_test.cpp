// The X11 backend against a real X server: titles of every encoding, exact
// lookup, restore and placement under openbox and with no window manager,
// the always-on-top switch, and windows that vanish mid-way.
#include "browser_list.h"
#include "child_process.h"
#include "eventually.h"
#include "lands_at.h"
#include "resize_command.h"
#include "x11_window_system.h"
#include "x_session.h"
#include "x_test_client.h"

#include "../unit/vector_list_sink.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace quenlow {
namespace {

using testing::eventually;
using testing::to_string;
using testing::vector_list_sink;
using testing::test_window;
using testing::x_rect;
using testing::x_session;
using testing::x_test_client;
using ::testing::ElementsAre;

class X11Desktop : public ::testing::Test {
protected:
    explicit X11Desktop(x_session::window_manager manager = x_session::window_manager::openbox)
        : session(manager), client(session.display()), backend(x11_window_system::connect(session.display().c_str()))
    {
    }
    void SetUp() override { ASSERT_NE(backend, nullptr); }

    std::vector<std::string> browser_titles()
    {
        vector_list_sink list;
        refresh_browser_list(*backend, list);
        return list.items;
    }
    std::vector<std::string> all_titles()
    {
        std::vector<std::string> titles;
        backend->enum_windows([&](window_handle w) {
            titles.push_back(read_window_title(*backend, w));
            return true;
        });
        return titles;
    }
    // A window like the program's own before its first show: titled, not mapped.
    xcb_window_t unmapped_own_window()
    {
        test_window wanted;
        wanted.net_wm_name = "Own window";
        wanted.map = false;
        return client.create(wanted);
    }
    ::testing::AssertionResult lands_at(xcb_window_t window, x_rect expected)
    {
        return testing::lands_at(client, window, expected);
    }

    x_session session;
    x_test_client client;
    std::unique_ptr<x11_window_system> backend;
};

class X11NoWindowManager : public X11Desktop {
protected:
    X11NoWindowManager() : X11Desktop(x_session::window_manager::none) {}
};

TEST_F(X11Desktop, ConnectingToNoServerGivesNothing)
{
    EXPECT_EQ(x11_window_system::connect(":4242"), nullptr);
}

TEST_F(X11Desktop, TitlesOfEveryPropertyTypeComeOutAsUtf8)
{
    test_window latin1;
    latin1.wm_name = "Caf\xE9 - Netscape";
    client.create(latin1);
    test_window utf8_wm_name;
    utf8_wm_name.wm_name = "Ñandú - Netscape";
    utf8_wm_name.wm_name_type = "UTF8_STRING";
    client.create(utf8_wm_name);
    test_window both;  // _NET_WM_NAME wins over WM_NAME
    both.net_wm_name = "Net name - Netscape";
    both.wm_name = "Old name - Netscape";
    client.create(both);
    client.create_titled("首頁 🌐 - Microsoft Internet Explorer");

    EXPECT_THAT(browser_titles(), ElementsAre("首頁 🌐 - Microsoft Internet Explorer", "Net name - Netscape",
                                              "Ñandú - Netscape", "Café - Netscape"));
}

TEST_F(X11Desktop, CompoundTextTitlesAreDecoded)
{
    const std::string title = "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E - Netscape";  // Café 日本語
    test_window wanted;
    wanted.wm_name = testing::compound_text(session.display(), title);
    wanted.wm_name_type = "COMPOUND_TEXT";
    ASSERT_NE(*wanted.wm_name, title);  // really encoded, not passed through
    client.create(wanted);

    EXPECT_THAT(browser_titles(), ElementsAre(title));
}

TEST_F(X11Desktop, LongGarbageAndEmptyTitlesAreHandled)
{
    const std::string long_title = std::string(64 * 1024 - 11, 'x') + " - Netscape";
    client.create_titled(long_title);
    client.create_titled("Bad \xFF\xFE bytes - Netscape");
    client.create_titled("");
    test_window untitled;
    client.create(untitled);

    const auto titles = browser_titles();
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_EQ(titles[0], "Bad \xEF\xBF\xBD\xEF\xBF\xBD bytes - Netscape");
    EXPECT_EQ(titles[1], long_title);
    // The garbled title is still found again by what the list shows.
    EXPECT_NE(backend->find_window(titles[0]), no_window);
}

TEST_F(X11Desktop, ListsOnlyExactMarkersTopFirstWithDuplicates)
{
    client.create_titled("lower - netscape");
    const xcb_window_t first = client.create_titled("Home - Netscape");
    client.create_titled("Microsoft Internet");
    const xcb_window_t second = client.create_titled("Home - Netscape");

    EXPECT_THAT(browser_titles(), ElementsAre("Home - Netscape", "Home - Netscape"));
    // The lookup gives the upper of the two equal titles.
    EXPECT_EQ(backend->find_window("Home - Netscape"), second);
    EXPECT_NE(backend->find_window("Home - Netscape"), first);
    EXPECT_EQ(backend->find_window("home - Netscape"), no_window);
    EXPECT_EQ(backend->find_window("Home - Netscap"), no_window);
}

TEST_F(X11Desktop, MinimisedWindowsAreStillListed)
{
    const xcb_window_t window = client.create_titled("Hidden - Netscape");
    client.iconify(window);
    EXPECT_THAT(browser_titles(), ElementsAre("Hidden - Netscape"));
}

TEST_F(X11Desktop, EveryPresetLandsExactlyAtTheOrigin)
{
    const xcb_window_t window = client.create_titled("Page - Netscape", {300, 200, 500, 400});
    for (const size_preset& preset : size_presets) {
        ASSERT_EQ(resize_window_titled(*backend, "Page - Netscape", {preset.width, preset.height}), window);
        EXPECT_TRUE(lands_at(window, {0, 0, preset.width, preset.height})) << preset.caption;
    }
    EXPECT_FALSE(client.cardinals(window, "_NET_FRAME_EXTENTS").empty());  // a real frame was included
}

TEST_F(X11Desktop, PresetsFollowTheDesktopsXftDpiReadAtEachChangeSize)
{
    const xcb_window_t window = client.create_titled("Scaled - Netscape", {300, 200, 500, 400});
    const auto xrdb = [&](const std::string& options, const std::string& resources) {
        return testing::run_to_end({"sh", "-c", "printf '" + resources + "' | xrdb -nocpp " + options},
                                   {{"DISPLAY", session.display()}});
    };
    ASSERT_EQ(xrdb("-merge", "Xft.antialias:\\t1\\nXft.dpi:\\t144\\n"), 0);
    resize_window_titled(*backend, "Scaled - Netscape", {800, 600});
    EXPECT_TRUE(lands_at(window, {0, 0, 1200, 900}));

    ASSERT_EQ(xrdb("-load", "Xft.dpi:\\t120\\n"), 0);
    resize_window_titled(*backend, "Scaled - Netscape", {800, 600});
    EXPECT_TRUE(lands_at(window, {0, 0, 1000, 750}));

    ASSERT_EQ(xrdb("-remove", ""), 0);
    resize_window_titled(*backend, "Scaled - Netscape", {800, 600});
    EXPECT_TRUE(lands_at(window, {0, 0, 800, 600}));
}

TEST_F(X11Desktop, MaximisedWindowIsRestoredThenPlaced)
{
    const xcb_window_t window = client.create_titled("Big - Netscape", {300, 200, 500, 400});
    client.maximise(window);

    resize_window_titled(*backend, "Big - Netscape", {800, 600});

    EXPECT_TRUE(lands_at(window, {0, 0, 800, 600}));
    EXPECT_FALSE(client.has_state(window, "_NET_WM_STATE_MAXIMIZED_VERT"));
    EXPECT_FALSE(client.has_state(window, "_NET_WM_STATE_MAXIMIZED_HORZ"));
}

TEST_F(X11Desktop, IconifiedWindowIsRestoredThenPlaced)
{
    const xcb_window_t window = client.create_titled("Small - Netscape", {300, 200, 500, 400});
    client.iconify(window);

    resize_window_titled(*backend, "Small - Netscape", {1024, 768});

    EXPECT_TRUE(eventually([&] { return client.viewable(window); }));
    EXPECT_TRUE(lands_at(window, {0, 0, 1024, 768}));
    EXPECT_EQ(client.icccm_state(window), 1u);
}

TEST_F(X11Desktop, PlacedWindowIsRaisedAboveOthers)
{
    const xcb_window_t browser = client.create_titled("Page - Netscape", {0, 0, 640, 480});
    const xcb_window_t other = client.create_titled("Editor", {100, 100, 300, 300});
    ASSERT_EQ(client.stacking_top_first().front(), other);

    resize_window_titled(*backend, "Page - Netscape", {640, 480});

    EXPECT_TRUE(eventually([&] { return client.stacking_top_first().front() == browser; }));
    EXPECT_TRUE(lands_at(browser, {0, 0, 640, 480}));
}

TEST_F(X11Desktop, ClientSideShadowsAreLeftOutOfTheVisibleSize)
{
    test_window wanted;
    wanted.net_wm_name = "Shadowed - Netscape";
    wanted.gtk_frame_extents = std::array<std::uint32_t, 4>{20, 20, 15, 25};
    const xcb_window_t window = client.create(wanted);

    resize_window_titled(*backend, "Shadowed - Netscape", {800, 600});

    EXPECT_TRUE(lands_at(window, {0, 0, 800, 600}));
}

TEST_F(X11Desktop, SizeHintsGiveTheNearestAllowedSize)
{
    test_window wanted;
    wanted.net_wm_name = "Terminal-like - Netscape";
    wanted.min_base_increment = std::array<int, 6>{20, 20, 4, 4, 7, 13};  // min, base, increments
    const xcb_window_t window = client.create(wanted);

    resize_window_titled(*backend, "Terminal-like - Netscape", {640, 480});

    x_rect seen;
    ASSERT_TRUE(eventually([&] {
        seen = client.visible_rect(window);
        return seen.x == 0 && seen.y == 0 && seen.width != 400;
    })) << to_string(seen);
    // The client area is base + k * increment, as close to the wish as allowed.
    const auto frame = client.cardinals(window, "_NET_FRAME_EXTENTS");
    ASSERT_EQ(frame.size(), 4u);
    const int client_width = seen.width - int(frame[0] + frame[1]);
    const int client_height = seen.height - int(frame[2] + frame[3]);
    EXPECT_EQ((client_width - 4) % 7, 0) << client_width;
    EXPECT_EQ((client_height - 4) % 13, 0) << client_height;
    EXPECT_LE(std::abs(seen.width - 640), 3);
    EXPECT_LE(std::abs(seen.height - 480), 6);
}

TEST_F(X11Desktop, TopmostSetBeforeTheFirstMapHoldsFromTheStart)
{
    const xcb_window_t window = unmapped_own_window();

    backend->set_topmost(window, true);
    xcb_map_window(client.connection(), window);
    client.flush();

    ASSERT_TRUE(eventually([&] { return client.managed(window); }));
    EXPECT_TRUE(client.has_state(window, "_NET_WM_STATE_ABOVE"));

    backend->set_topmost(window, false);
    EXPECT_TRUE(eventually([&] { return !client.has_state(window, "_NET_WM_STATE_ABOVE"); }));
    backend->set_topmost(window, true);
    EXPECT_TRUE(eventually([&] { return client.has_state(window, "_NET_WM_STATE_ABOVE"); }));
}

TEST_F(X11Desktop, UnmappedTopmostOffLeavesOtherStatesAlone)
{
    const xcb_window_t window = unmapped_own_window();
    const xcb_atom_t skip = client.atom("_NET_WM_STATE_SKIP_TASKBAR");
    xcb_change_property(client.connection(), XCB_PROP_MODE_REPLACE, window, client.atom("_NET_WM_STATE"),
                        XCB_ATOM_ATOM, 32, 1, &skip);
    client.sync();

    backend->set_topmost(window, true);
    EXPECT_THAT(client.net_wm_state(window), ElementsAre(skip, client.atom("_NET_WM_STATE_ABOVE")));
    backend->set_topmost(window, false);
    EXPECT_THAT(client.net_wm_state(window), ElementsAre(skip));
}

TEST_F(X11Desktop, VanishedWindowsEndEveryOperationQuietly)
{
    const xcb_window_t window = client.create_titled("Gone - Netscape");
    const window_handle found = backend->find_window("Gone - Netscape");
    ASSERT_EQ(found, window);
    client.destroy(window);
    ASSERT_TRUE(eventually([&] { return !client.managed(window); }));

    EXPECT_EQ(resize_window_titled(*backend, "Gone - Netscape", {640, 480}), no_window);
    backend->restore_window(found);
    backend->place_window(found, 640, 480);
    backend->set_topmost(found, true);
    EXPECT_EQ(read_window_title(*backend, found), "");
    EXPECT_TRUE(browser_titles().empty());
}

TEST_F(X11Desktop, RefreshesSurviveWindowsComingAndGoing)
{
    client.create_titled("Stays - Netscape");
    std::atomic<int> churned{0};
    std::thread churn([&] {
        x_test_client other(session.display());
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(other.connection())).data;
        for (int i = 0; i < 400; ++i) {
            const xcb_window_t w = xcb_generate_id(other.connection());
            xcb_create_window(other.connection(), XCB_COPY_FROM_PARENT, w, other.root(), 10, 10, 50, 50, 0,
                              XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
            const std::string title = "Churn " + std::to_string(i) + " - Netscape";
            xcb_change_property(other.connection(), XCB_PROP_MODE_REPLACE, w, other.atom("_NET_WM_NAME"),
                                other.atom("UTF8_STRING"), 8, title.size(), title.data());
            xcb_map_window(other.connection(), w);
            if (i % 2 == 1) xcb_destroy_window(other.connection(), w);
            xcb_destroy_window(other.connection(), w - 1);  // may already be gone: errors are fine
            other.flush();
            ++churned;
        }
    });
    int refreshes = 0;
    int saw_stays = 0;
    // At least 100 refreshes, and refreshing for as long as windows churn.
    for (; refreshes < 100 || churned < 400; ++refreshes) {
        const auto titles = browser_titles();
        saw_stays += std::count(titles.begin(), titles.end(), "Stays - Netscape");
        resize_window_titled(*backend, "Churn " + std::to_string(refreshes % 400) + " - Netscape", {640, 480});
    }
    churn.join();
    EXPECT_GE(refreshes, 100);
    EXPECT_EQ(saw_stays, refreshes);
    EXPECT_EQ(churned.load(), 400);
    EXPECT_EQ(read_window_title(*backend, backend->find_window("Stays - Netscape")), "Stays - Netscape");
}

TEST_F(X11NoWindowManager, ListsMappedTopLevelWindowsTopFirst)
{
    client.create_titled("A - Netscape");
    test_window hidden;
    hidden.net_wm_name = "Unmapped - Netscape";
    hidden.map = false;
    client.create(hidden);
    client.create_titled("B - Netscape");

    EXPECT_THAT(browser_titles(), ElementsAre("B - Netscape", "A - Netscape"));
}

TEST_F(X11NoWindowManager, EveryPresetLandsExactlyAtTheOrigin)
{
    const xcb_window_t window = client.create_titled("Bare - Netscape", {300, 200, 500, 400});
    const std::uint32_t border = 3;
    xcb_configure_window(client.connection(), window, XCB_CONFIG_WINDOW_BORDER_WIDTH, &border);
    client.sync();
    for (const size_preset& preset : size_presets) {
        // Read back with its own border, it says so.
        const placement_result placed = resize_window(*backend, window, {preset.width, preset.height});
        EXPECT_EQ(placed.what, placement_result::outcome::placed) << placed.width << "x" << placed.height;
        EXPECT_TRUE(lands_at(window, {0, 0, preset.width, preset.height})) << preset.caption;
    }
}

TEST_F(X11NoWindowManager, OwnAlwaysOnTopWindowStaysAboveThePlacedBrowserUntilCleared)
{
    const xcb_window_t own = client.create_titled("Own window", {700, 500, 300, 200});
    backend->set_topmost(own, true);
    const xcb_window_t browser = client.create_titled("Over - Netscape", {600, 400, 300, 200});
    const auto above = [&](xcb_window_t upper, xcb_window_t lower) {
        const auto order = client.children_top_first();
        return std::find(order.begin(), order.end(), upper) < std::find(order.begin(), order.end(), lower);
    };
    resize_window_titled(*backend, "Over - Netscape", {640, 480});
    ASSERT_TRUE(lands_at(browser, {0, 0, 640, 480}));
    EXPECT_TRUE(eventually([&] { return above(own, browser); }));  // created below the browser

    backend->set_topmost(own, false);
    EXPECT_FALSE(client.has_state(own, "_NET_WM_STATE_ABOVE"));
    resize_window_titled(*backend, "Over - Netscape", {800, 600});
    EXPECT_TRUE(eventually([&] { return above(browser, own); }));
}

TEST_F(X11NoWindowManager, TopmostIsKeptForAManagerThatComesLater)
{
    const xcb_window_t window = unmapped_own_window();
    backend->set_topmost(window, true);
    EXPECT_TRUE(client.has_state(window, "_NET_WM_STATE_ABOVE"));
}

}  // namespace
}  // namespace quenlow
