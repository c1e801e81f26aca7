#include "x_test_client.h"

#include "eventually.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace quenlow::testing {

namespace {
struct free_deleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using owned = std::unique_ptr<T, free_deleter>;
}  // namespace

std::string to_string(const x_rect& r)
{
    return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
           std::to_string(r.height);
}

std::string compound_text(const std::string& display_name, const std::string& utf8)
{
    Display* display = XOpenDisplay(display_name.c_str());
    if (!display) return {};
    char* list[] = {const_cast<char*>(utf8.c_str())};
    XTextProperty property{};
    std::string encoded;
    if (Xutf8TextListToTextProperty(display, list, 1, XCompoundTextStyle, &property) >= Success) {
        encoded.assign(reinterpret_cast<const char*>(property.value), property.nitems);
        XFree(property.value);
    }
    XCloseDisplay(display);
    return encoded;
}

x_test_client::x_test_client(const std::string& display)
{
    c_ = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(c_)) throw std::runtime_error("cannot connect to " + display);
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
}

x_test_client::~x_test_client() { xcb_disconnect(c_); }

xcb_atom_t x_test_client::atom(const std::string& name)
{
    owned<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c_, xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr));
    return reply ? reply->atom : XCB_NONE;
}

void x_test_client::flush() { xcb_flush(c_); }

void x_test_client::sync() { std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }

xcb_window_t x_test_client::create(const test_window& wanted)
{
    const xcb_window_t window = xcb_generate_id(c_);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    const std::uint32_t values[] = {screen->white_pixel};
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, window, root_, static_cast<std::int16_t>(wanted.geometry.x),
                      static_cast<std::int16_t>(wanted.geometry.y), static_cast<std::uint16_t>(wanted.geometry.width),
                      static_cast<std::uint16_t>(wanted.geometry.height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_BACK_PIXEL, values);
    if (wanted.net_wm_name) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8,
                            static_cast<std::uint32_t>(wanted.net_wm_name->size()), wanted.net_wm_name->data());
    }
    if (wanted.wm_name) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, atom(wanted.wm_name_type), 8,
                            static_cast<std::uint32_t>(wanted.wm_name->size()), wanted.wm_name->data());
    }
    if (wanted.gtk_frame_extents) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, atom("_GTK_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 32,
                            4, wanted.gtk_frame_extents->data());
    }
    if (wanted.undecorated) {
        const std::uint32_t motif_hints[5] = {2, 0, 0, 0, 0};  // decorations given: none
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, atom("_MOTIF_WM_HINTS"), atom("_MOTIF_WM_HINTS"),
                            32, 5, motif_hints);
    }
    // Ask to be placed where the test says, not where the manager likes.
    std::array<std::uint32_t, 18> hints{};
    hints[0] = 1 | 2;  // USPosition | USSize
    hints[1] = static_cast<std::uint32_t>(wanted.geometry.x);
    hints[2] = static_cast<std::uint32_t>(wanted.geometry.y);
    hints[3] = static_cast<std::uint32_t>(wanted.geometry.width);
    hints[4] = static_cast<std::uint32_t>(wanted.geometry.height);
    if (wanted.min_base_increment) {
        const auto& m = *wanted.min_base_increment;
        hints[0] |= 16 | 64 | 256;  // PMinSize | PResizeInc | PBaseSize
        hints[5] = m[0];
        hints[6] = m[1];
        hints[15] = m[2];
        hints[16] = m[3];
        hints[9] = m[4];
        hints[10] = m[5];
    }
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32,
                        hints.size(), hints.data());
    if (wanted.map) {
        xcb_map_window(c_, window);
        flush();
        const bool wm = !cardinals(root_, "_NET_SUPPORTING_WM_CHECK").empty();
        if (!eventually([&] { return viewable(window) && (!wm || managed(window)); })) {
            throw std::runtime_error("test window did not appear");
        }
    } else {
        flush();
    }
    return window;
}

xcb_window_t x_test_client::create_titled(const std::string& net_wm_name, x_rect geometry)
{
    test_window wanted;
    wanted.net_wm_name = net_wm_name;
    wanted.geometry = geometry;
    return create(wanted);
}

void x_test_client::destroy(xcb_window_t window)
{
    xcb_destroy_window(c_, window);
    flush();
}

void x_test_client::set_net_wm_name(xcb_window_t window, const std::string& title)
{
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8,
                        static_cast<std::uint32_t>(title.size()), title.data());
    flush();
}

void x_test_client::send_to_root(xcb_window_t window, xcb_atom_t type, std::array<std::uint32_t, 5> data)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::copy(data.begin(), data.end(), event.data.data32);
    xcb_send_event(c_, 0, root_, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    flush();
}

void x_test_client::maximise(xcb_window_t window, bool wait)
{
    send_to_root(window, atom("_NET_WM_STATE"),
                 {1, atom("_NET_WM_STATE_MAXIMIZED_VERT"), atom("_NET_WM_STATE_MAXIMIZED_HORZ"), 1, 0});
    if (wait && !eventually([&] {
            return has_state(window, "_NET_WM_STATE_MAXIMIZED_VERT") &&
                   has_state(window, "_NET_WM_STATE_MAXIMIZED_HORZ");
        })) {
        throw std::runtime_error("window was not maximised");
    }
}

void x_test_client::iconify(xcb_window_t window, bool wait)
{
    constexpr std::uint32_t iconic_state = 3;
    send_to_root(window, atom("WM_CHANGE_STATE"), {iconic_state, 0, 0, 0, 0});
    if (wait && !eventually([&] { return icccm_state(window) == iconic_state && !viewable(window); })) {
        throw std::runtime_error("window was not iconified");
    }
}

void x_test_client::activate(xcb_window_t window)
{
    constexpr std::uint32_t from_pager = 2;
    send_to_root(window, atom("_NET_ACTIVE_WINDOW"), {from_pager, XCB_CURRENT_TIME, 0, 0, 0});
    if (!eventually([&] {
            const std::vector<std::uint32_t> active = cardinals(root_, "_NET_ACTIVE_WINDOW");
            return active.size() == 1 && active.front() == window;
        })) {
        throw std::runtime_error("window was not activated");
    }
}

void x_test_client::close_via_manager(xcb_window_t window)
{
    constexpr std::uint32_t from_pager = 2;
    send_to_root(window, atom("_NET_CLOSE_WINDOW"), {XCB_CURRENT_TIME, from_pager, 0, 0, 0});
}

bool x_test_client::viewable(xcb_window_t window)
{
    owned<xcb_get_window_attributes_reply_t> a(
        xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, window), nullptr));
    return a && a->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::vector<std::uint32_t> x_test_client::cardinals(xcb_window_t window, const std::string& property)
{
    owned<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, window, atom(property), XCB_GET_PROPERTY_TYPE_ANY, 0, 1u << 16), nullptr));
    if (!reply || reply->format != 32) return {};
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return {data, data + xcb_get_property_value_length(reply.get()) / 4};
}

std::vector<xcb_atom_t> x_test_client::net_wm_state(xcb_window_t window)
{
    return cardinals(window, "_NET_WM_STATE");
}

bool x_test_client::has_state(xcb_window_t window, const std::string& state)
{
    const auto states = net_wm_state(window);
    return std::find(states.begin(), states.end(), atom(state)) != states.end();
}

std::uint32_t x_test_client::icccm_state(xcb_window_t window)
{
    const auto state = cardinals(window, "WM_STATE");
    return state.empty() ? 0 : state[0];
}

std::vector<xcb_window_t> x_test_client::stacking_top_first()
{
    auto list = cardinals(root_, "_NET_CLIENT_LIST_STACKING");
    std::reverse(list.begin(), list.end());
    return {list.begin(), list.end()};
}

std::vector<xcb_window_t> x_test_client::children_top_first()
{
    owned<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr));
    if (!tree) return {};
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    return {std::make_reverse_iterator(children + xcb_query_tree_children_length(tree.get())),
            std::make_reverse_iterator(children)};
}

bool x_test_client::managed(xcb_window_t window)
{
    const auto list = cardinals(root_, "_NET_CLIENT_LIST");
    return std::find(list.begin(), list.end(), window) != list.end();
}

xcb_window_t x_test_client::find_managed(const std::string& title)
{
    const std::vector<xcb_window_t> found = all_managed(title);
    return found.empty() ? XCB_NONE : found.front();
}

std::vector<xcb_window_t> x_test_client::all_managed(const std::string& title)
{
    std::vector<xcb_window_t> found;
    for (const std::uint32_t window : cardinals(root_, "_NET_CLIENT_LIST")) {
        if (net_wm_name(window) == title) found.push_back(window);
    }
    return found;
}

std::string x_test_client::net_wm_name(xcb_window_t window)
{
    owned<xcb_get_property_reply_t> name(xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, window, atom("_NET_WM_NAME"), XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr));
    return name ? std::string(static_cast<const char*>(xcb_get_property_value(name.get())),
                              xcb_get_property_value_length(name.get()))
                : std::string();
}

xcb_window_t x_test_client::top_level_ancestor(xcb_window_t window)
{
    while (true) {
        owned<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c_, xcb_query_tree(c_, window), nullptr));
        if (!tree || tree->parent == root_ || tree->parent == XCB_NONE) return window;
        window = tree->parent;
    }
}

x_rect x_test_client::visible_rect(xcb_window_t window)
{
    owned<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, window), nullptr));
    owned<xcb_translate_coordinates_reply_t> t(
        xcb_translate_coordinates_reply(c_, xcb_translate_coordinates(c_, window, root_, 0, 0), nullptr));
    if (!g || !t) return {};
    int left = g->border_width, right = g->border_width, top = g->border_width, bottom = g->border_width;
    if (const auto frame = cardinals(window, "_NET_FRAME_EXTENTS"); frame.size() == 4 && managed(window)) {
        left = static_cast<int>(frame[0]);
        right = static_cast<int>(frame[1]);
        top = static_cast<int>(frame[2]);
        bottom = static_cast<int>(frame[3]);
    } else if (const xcb_window_t frame_window = top_level_ancestor(window);
               frame_window != window && managed(window)) {
        // A manager that draws a frame but does not say how wide (i3): the
        // frame window is what a user sees.
        return visible_rect(frame_window);
    }
    x_rect r{t->dst_x - left, t->dst_y - top, g->width + left + right, g->height + top + bottom};
    if (const auto shadow = cardinals(window, "_GTK_FRAME_EXTENTS"); shadow.size() == 4) {
        r.x += static_cast<int>(shadow[0]);
        r.y += static_cast<int>(shadow[2]);
        r.width -= static_cast<int>(shadow[0] + shadow[1]);
        r.height -= static_cast<int>(shadow[2] + shadow[3]);
    }
    return r;
}

}  // namespace quenlow::testing
