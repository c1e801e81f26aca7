#include "x11_root_properties.h"

#include "display_scale.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace quenlow {

namespace {

struct free_deleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using owned = std::unique_ptr<T, free_deleter>;

// The property's bytes when it is 8-bit text, else "".
std::string text_property(xcb_connection_t* c, xcb_window_t root, xcb_atom_t property, xcb_atom_t type)
{
    if (property == XCB_NONE) return {};
    const owned<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, property, type, 0, 1u << 18), nullptr));
    if (!reply || reply->format != 8 || reply->type != type) return {};
    return {static_cast<const char*>(xcb_get_property_value(reply.get())),
            static_cast<std::size_t>(xcb_get_property_value_length(reply.get()))};
}

}  // namespace

std::optional<x11_root_properties> read_x11_root_properties(const char* display)
{
    int screen_number = 0;
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> c(xcb_connect(display, &screen_number),
                                                                          &xcb_disconnect);
    if (xcb_connection_has_error(c.get())) return std::nullopt;
    xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(c.get()));
    for (int i = 0; i < screen_number && screen.rem > 0; ++i) xcb_screen_next(&screen);
    if (screen.rem == 0) return std::nullopt;
    const xcb_window_t root = screen.data->root;

    constexpr char i3_socket_name[] = "I3_SOCKET_PATH";
    const owned<xcb_intern_atom_reply_t> i3_socket(xcb_intern_atom_reply(
        c.get(), xcb_intern_atom(c.get(), 1, std::strlen(i3_socket_name), i3_socket_name), nullptr));
    const owned<xcb_intern_atom_reply_t> utf8(
        xcb_intern_atom_reply(c.get(), xcb_intern_atom(c.get(), 1, 11, "UTF8_STRING"), nullptr));
    x11_root_properties properties;
    // i3 writes the path as UTF8_STRING.
    properties.i3_socket_path =
        text_property(c.get(), root, i3_socket ? i3_socket->atom : xcb_atom_t{XCB_NONE},
                      utf8 ? utf8->atom : xcb_atom_t{XCB_ATOM_STRING});
    // xrdb keeps the database on the first screen's root.
    const xcb_window_t first_root = xcb_setup_roots_iterator(xcb_get_setup(c.get())).data->root;
    properties.dpi = xft_dpi(text_property(c.get(), first_root, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING));
    return properties;
}

}  // namespace quenlow
