// A crowded desktop for the benchmarks: opens COUNT real top-level windows
// on DISPLAY, every tenth titled like a browser, waits until the window
// manager lists them all, prints "ready" and keeps them open until its
// standard input closes.
//   window_crowd COUNT
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <unordered_set>
#include <unistd.h>

namespace {
xcb_atom_t intern(xcb_connection_t* c, const char* name)
{
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr), &std::free);
    return reply ? reply->atom : XCB_NONE;
}

// How many of `ours` the window manager lists as its clients.
std::size_t listed(xcb_connection_t* c, xcb_window_t root, xcb_atom_t client_list,
                   const std::unordered_set<xcb_window_t>& ours)
{
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, client_list, XCB_ATOM_WINDOW, 0, 1u << 20), nullptr),
        &std::free);
    if (!reply) return 0;
    const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return std::size_t(std::count_if(windows, windows + count, [&](xcb_window_t w) { return ours.count(w) > 0; }));
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_crowd COUNT\n");
        return 2;
    }
    const int count = std::atoi(argv[1]);
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return 1;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_atom_t net_wm_name = intern(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = intern(c, "UTF8_STRING");
    const xcb_atom_t client_list = intern(c, "_NET_CLIENT_LIST");
    std::unordered_set<xcb_window_t> ours;
    for (int i = 0; i < count; ++i) {
        const xcb_window_t w = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, std::int16_t(i % 1500), std::int16_t(i % 900),
                          200, 150, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        const std::string title = "Window " + std::to_string(i) + (i % 10 == 0 ? " - Netscape" : " - Editor");
        // Both title properties, as real programs set them.
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, net_wm_name, utf8, 8, std::uint32_t(title.size()),
                            title.data());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            std::uint32_t(title.size()), title.data());
        // A program-given position, as most real programs set: the window
        // manager keeps it instead of searching the screen for free room,
        // which costs it time that grows with the square of the windows open.
        std::uint32_t hints[18] = {};
        hints[0] = 4;  // PPosition
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, 18,
                            hints);
        xcb_map_window(c, w);
        ours.insert(w);
        if (i % 100 == 99) std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }
    xcb_flush(c);
    while (listed(c, screen->root, client_list, ours) < ours.size()) {
        if (xcb_connection_has_error(c)) return 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::printf("ready\n");
    std::fflush(stdout);
    char buffer[64];
    while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    xcb_disconnect(c);
    return 0;
}
