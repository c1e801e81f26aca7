// The backend under window managers that differ from openbox in what they
// support: metacity; awesome 4.3, which takes no _NET_MOVERESIZE_WINDOW;
// icewm, which also speaks the older GNOME layer hints; i3, which tiles;
// and a client-side-decorated window whose shadow comes back only after it
// is restored.
#include "eventually.h"
#include "lands_at.h"
#include "resize_command.h"
#include "window_system_for_platform.h"
#include "x11_window_system.h"
#include "x_session.h"
#include "x_test_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>

namespace quenlow {
namespace {

using testing::eventually;
using testing::test_window;
using testing::to_string;
using testing::x_rect;
using testing::x_session;
using testing::x_test_client;
using manager = x_session::window_manager;

// A client-side-decorated window: no shadow while maximised, and its shadow
// margins back only once it has seen its normal size again, as GTK and
// Chromium do. It drops the shadow on whichever comes first, the maximised
// state or the maximised size: managers differ in that order.
class shadow_client {
public:
    shadow_client(const std::string& display, xcb_window_t window) : x_(display), window_(window)
    {
        const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(x_.connection(), window_, XCB_CW_EVENT_MASK, &mask);
        x_.sync();  // listening before the test maximises
        thread_ = std::thread([this] { run(); });
    }
    ~shadow_client()
    {
        stop_ = true;
        xcb_client_message_event_t wake{};
        wake.response_type = XCB_CLIENT_MESSAGE;
        wake.format = 32;
        wake.window = window_;
        xcb_send_event(x_.connection(), 0, window_, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&wake));
        x_.flush();
        thread_.join();
    }

private:
    void run()
    {
        while (!stop_) {
            std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event(xcb_wait_for_event(x_.connection()),
                                                                             &std::free);
            if (!event) return;  // the connection broke
            const auto type = event->response_type & 0x7F;
            const bool maximised = x_.has_state(window_, "_NET_WM_STATE_MAXIMIZED_VERT");
            const bool state_changed =
                type == XCB_PROPERTY_NOTIFY &&
                reinterpret_cast<const xcb_property_notify_event_t*>(event.get())->atom == x_.atom("_NET_WM_STATE");
            if (type != XCB_CONFIGURE_NOTIFY && !(state_changed && maximised)) continue;
            const std::array<std::uint32_t, 4> wanted =
                maximised ? std::array<std::uint32_t, 4>{} : std::array<std::uint32_t, 4>{20, 20, 15, 25};
            const auto now = x_.cardinals(window_, "_GTK_FRAME_EXTENTS");
            if (now.size() == 4 && std::equal(now.begin(), now.end(), wanted.begin())) continue;
            xcb_change_property(x_.connection(), XCB_PROP_MODE_REPLACE, window_, x_.atom("_GTK_FRAME_EXTENTS"),
                                XCB_ATOM_CARDINAL, 32, 4, wanted.data());
            x_.flush();
        }
    }

    x_test_client x_;
    xcb_window_t window_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class Manager : public ::testing::TestWithParam<manager> {
protected:
    Manager()
        : session(GetParam()),
          client(session.display()),
          backend(x11_window_system::connect(session.display().c_str()))
    {
    }
    void SetUp() override { ASSERT_NE(backend, nullptr); }

    ::testing::AssertionResult lands_at(xcb_window_t window, x_rect expected)
    {
        return testing::lands_at(client, window, expected);
    }
    // Like the program's own window: asks to be always on top before it is
    // first mapped.
    xcb_window_t own_window_on_top()
    {
        test_window own;
        own.net_wm_name = "Own window";
        own.map = false;
        const xcb_window_t window = client.create(own);
        backend->set_topmost(window, true);
        xcb_map_window(client.connection(), window);
        client.flush();
        if (!eventually([&] { return client.managed(window); })) ADD_FAILURE() << "the own window was not managed";
        return window;
    }

    x_session session;
    x_test_client client;
    std::unique_ptr<x11_window_system> backend;
};

using FloatingManager = Manager;
using TilingManager = Manager;
using StackingManager = Manager;

TEST_P(StackingManager, ShadowThatComesBackAfterRestoringIsLeftOut)
{
    test_window wanted;
    wanted.net_wm_name = "Decorated - Netscape";
    wanted.gtk_frame_extents = {20, 20, 15, 25};
    wanted.undecorated = true;
    const xcb_window_t window = client.create(wanted);
    const shadow_client shadows(session.display(), window);
    client.maximise(window);
    ASSERT_TRUE(eventually([&] { return client.cardinals(window, "_GTK_FRAME_EXTENTS")[0] == 0; }));
    // A shadow left out of the visible size, the placement says it took.
    EXPECT_EQ(resize_window(*backend, window, {1024, 768}).what, placement_result::outcome::placed);
    EXPECT_FALSE(client.has_state(window, "_NET_WM_STATE_MAXIMIZED_VERT"));
    EXPECT_EQ(client.cardinals(window, "_GTK_FRAME_EXTENTS")[0], 20u);
    EXPECT_TRUE(lands_at(window, {0, 0, 1024, 768}));
}

INSTANTIATE_TEST_SUITE_P(X11, StackingManager, ::testing::Values(manager::openbox, manager::metacity),
                         [](const auto& info) { return info.param == manager::openbox ? "openbox" : "metacity"; });

TEST_P(FloatingManager, PresetsLandExactlyAlsoFromIconifiedAndAlwaysOnTopSwitchesBothWays)
{
    const xcb_window_t window = client.create_titled("Page - Netscape", {300, 200, 500, 400});
    for (const auto& [width, height] : {std::pair{640, 480}, std::pair{1280, 1024}}) {
        const placement_result placed = resize_window(*backend, window, {width, height});
        EXPECT_EQ(placed.what, placement_result::outcome::placed) << placed.width << "x" << placed.height;
        EXPECT_TRUE(lands_at(window, {0, 0, width, height}));
    }
    client.iconify(window);
    resize_window_titled(*backend, "Page - Netscape", {800, 600});
    EXPECT_TRUE(eventually([&] { return client.viewable(window); }));
    EXPECT_TRUE(lands_at(window, {0, 0, 800, 600}));

    const xcb_window_t own = own_window_on_top();
    EXPECT_TRUE(eventually([&] { return client.has_state(own, "_NET_WM_STATE_ABOVE"); }));
    backend->set_topmost(own, false);
    EXPECT_TRUE(eventually([&] { return !client.has_state(own, "_NET_WM_STATE_ABOVE"); }));
    backend->set_topmost(own, true);
    EXPECT_TRUE(eventually([&] { return client.has_state(own, "_NET_WM_STATE_ABOVE"); }));
}

INSTANTIATE_TEST_SUITE_P(X11, FloatingManager, ::testing::Values(manager::metacity, manager::awesome, manager::icewm),
                         [](const auto& info) {
                             switch (info.param) {
                             case manager::metacity: return "metacity";
                             case manager::awesome: return "awesome";
                             default: return "icewm";
                             }
                         });

// i3 takes no EWMH placement: the program speaks its IPC instead.
TEST_P(TilingManager, PlacesExactlyThroughTheIpcAndFloatsTheOwnWindow)
{
    const auto ipc = window_system_for_platform("xcb", session.display());
    const xcb_window_t window = client.create_titled("Tiled - Netscape", {300, 200, 500, 400});
    ASSERT_TRUE(eventually([&] { return client.visible_rect(window).width > 1000; }));  // tiled
    EXPECT_NE(resize_window_titled(*ipc, "Tiled - Netscape", {800, 600}), no_window);
    EXPECT_TRUE(lands_at(window, {0, 0, 800, 600}));
    resize_window_titled(*ipc, "Tiled - Netscape", {1024, 768});
    EXPECT_TRUE(lands_at(window, {0, 0, 1024, 768}));

    // i3 has no always-on-top: the own window floats (above tiled ones),
    // at its own size instead of a tile's, and claims no state i3 ignores.
    test_window own;
    own.net_wm_name = "Own window";
    own.geometry = {100, 100, 300, 200};
    own.map = false;
    const xcb_window_t own_window = client.create(own);
    ipc->set_topmost(own_window, true);
    xcb_map_window(client.connection(), own_window);
    client.flush();
    x_rect seen;
    EXPECT_TRUE(eventually([&] { return client.managed(own_window) && (seen = client.visible_rect(own_window)).width < 400; }))
        << to_string(seen);
    EXPECT_FALSE(client.has_state(own_window, "_NET_WM_STATE_ABOVE"));

    // Restarted in place, i3 closes the connection the program kept: the
    // first action after it still works, on a new one.
    ASSERT_EQ(testing::run_to_end({"i3-msg", "restart"}, {{"DISPLAY", session.display()}}), 0);
    ASSERT_TRUE(eventually([&] {
        return testing::run_to_end({"i3-msg", "-t", "get_version"}, {{"DISPLAY", session.display()}}) == 0;
    }));
    EXPECT_NE(resize_window_titled(*ipc, "Tiled - Netscape", {800, 600}), no_window);
}

INSTANTIATE_TEST_SUITE_P(X11, TilingManager, ::testing::Values(manager::i3), [](const auto&) { return "i3"; });

}  // namespace
}  // namespace quenlow
