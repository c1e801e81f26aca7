// Latency of Change Size on a crowded desktop: lookup by title, restore and
// place, until the window manager has put the window's frame at (0, 0) with
// the asked size. Prints the median and the 90th percentile in ms.
//   bench_resize TITLE ROUNDS
#include "resize_command.h"
#include "x11_window_system.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {
template <class T>
using owned = std::unique_ptr<T, decltype(&std::free)>;

// The frame's outer rectangle as the server has it now.
bool frame_at(xcb_connection_t* c, xcb_window_t window, xcb_atom_t frame_extents, int width, int height)
{
    owned<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr), &std::free);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    owned<xcb_translate_coordinates_reply_t> t(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, root, 0, 0), nullptr), &std::free);
    owned<xcb_get_property_reply_t> f(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, frame_extents, XCB_ATOM_CARDINAL, 0, 4), nullptr),
        &std::free);
    if (!g || !t || !f || xcb_get_property_value_length(f.get()) != 16) return false;
    const auto* e = static_cast<const std::uint32_t*>(xcb_get_property_value(f.get()));
    return t->dst_x - int(e[0]) == 0 && t->dst_y - int(e[2]) == 0 && g->width + int(e[0] + e[1]) == width &&
           g->height + int(e[2] + e[3]) == height;
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_resize TITLE ROUNDS\n");
        return 2;
    }
    const auto windows = quenlow::x11_window_system::connect();
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (!windows || xcb_connection_has_error(c)) return 1;
    const char name[] = "_NET_FRAME_EXTENTS";
    owned<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr),
                                        &std::free);
    const int rounds = std::atoi(argv[2]);
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        const quenlow::size_preset& preset = quenlow::size_presets[std::size_t(i) % quenlow::size_presets.size()];
        const auto start = std::chrono::steady_clock::now();
        const quenlow::window_handle w = quenlow::resize_window_titled(*windows, argv[1], {preset.width, preset.height});
        if (w == quenlow::no_window) return 1;
        while (!frame_at(c, xcb_window_t(w), atom->atom, preset.width, preset.height)) {
            if (std::chrono::steady_clock::now() - start > std::chrono::seconds(5)) return 1;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%.2f %.2f\n", ms[ms.size() / 2], ms[ms.size() * 9 / 10]);
    return 0;
}
