#include "x11_connection.h"

#include "display_scale.h"

#include <poll.h>

#include <algorithm>

namespace quenlow {

std::vector<xcb_window_t> x11_window_system::connection::top_level_windows()
{
    const auto stacking_cookie = ask_property(root, ewmh._NET_CLIENT_LIST_STACKING, 1u << 20);
    const auto client_cookie = ask_property(root, ewmh._NET_CLIENT_LIST, 1u << 20);
    const auto stacking = property_reply(stacking_cookie);
    const auto clients = property_reply(client_cookie);
    if (window_manager_running()) {
        auto list = cardinals(stacking ? stacking.get() : clients.get());
        std::reverse(list.begin(), list.end());
        return {list.begin(), list.end()};
    }
    return mapped_root_children();
}

std::vector<xcb_window_t> x11_window_system::connection::mapped_root_children()
{
    const auto tree = reply_to(xcb_query_tree_reply, c, xcb_query_tree(c, root));
    if (!tree) return {};
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    cookies.reserve(count);
    for (int i = 0; i < count; ++i) cookies.push_back(xcb_get_window_attributes_unchecked(c, children[i]));
    std::vector<xcb_window_t> result;
    for (int i = count - 1; i >= 0; --i) {
        const auto attributes = reply_to(xcb_get_window_attributes_reply, c, cookies[i]);
        if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
            !attributes->override_redirect) {
            result.push_back(children[i]);
        }
    }
    return result;
}

std::vector<std::string> x11_window_system::connection::titles(const std::vector<xcb_window_t>& windows)
{
    std::vector<xcb_get_property_cookie_t> cookies;
    cookies.reserve(windows.size());
    for (xcb_window_t window : windows) cookies.push_back(ask_property(window, ewmh._NET_WM_NAME));
    std::vector<std::string> result(windows.size());
    std::vector<std::size_t> without_net_name;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const auto reply = property_reply(cookies[i]);
        result[i] = decode_x11_title(bytes(reply.get()), x11_text_encoding::utf8);
        if (result[i].empty()) without_net_name.push_back(i);
    }
    cookies.clear();
    for (std::size_t i : without_net_name) cookies.push_back(ask_property(windows[i], XCB_ATOM_WM_NAME));
    for (std::size_t k = 0; k < without_net_name.size(); ++k) {
        const auto reply = property_reply(cookies[k]);
        if (!reply) continue;
        result[without_net_name[k]] = decode_x11_title(bytes(reply.get()), encoding_of(reply->type));
    }
    return result;
}

double x11_window_system::connection::desktop_dpi()
{
    // xrdb keeps the database on the first screen's root, as text.
    const auto reply = property_reply(ask_property(ewmh.screens[0]->root, XCB_ATOM_RESOURCE_MANAGER, 1u << 18));
    if (!reply || reply->type != XCB_ATOM_STRING) return reference_dpi;
    return xft_dpi(bytes(reply.get()));
}

std::pair<extents, extents> x11_window_system::connection::margins(xcb_window_t window)
{
    const auto frame_cookie = ask_property(window, ewmh._NET_FRAME_EXTENTS, 4);
    const auto shadow_cookie = ask_property(window, gtk_frame_extents, 4);
    return {extents_from(cardinals(property_reply(frame_cookie).get(), XCB_ATOM_CARDINAL)),
            extents_from(cardinals(property_reply(shadow_cookie).get(), XCB_ATOM_CARDINAL))};
}

void x11_window_system::connection::leave_legacy_top_layer(xcb_window_t window)
{
    constexpr std::uint32_t on_top_layer = 6, normal_layer = 4;
    const auto layer = cardinals(property_reply(ask_property(window, win_layer, 1)).get(), XCB_ATOM_CARDINAL);
    if (layer.empty() || layer[0] != on_top_layer) return;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = win_layer;
    message.data.data32[0] = normal_layer;
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&message));
}

bool x11_window_system::connection::supports(xcb_atom_t atom)
{
    const auto supported =
        cardinals(property_reply(ask_property(root, ewmh._NET_SUPPORTED, 4096)).get(), XCB_ATOM_ATOM);
    return std::find(supported.begin(), supported.end(), atom) != supported.end();
}

bool x11_window_system::connection::window_manager_running()
{
    const auto on_root = cardinals(property_reply(ask_property(root, ewmh._NET_SUPPORTING_WM_CHECK, 1)).get());
    if (on_root.empty()) return false;
    const auto on_child = cardinals(
        property_reply(ask_property(on_root[0], ewmh._NET_SUPPORTING_WM_CHECK, 1)).get());
    return !on_child.empty() && on_child[0] == on_root[0];
}

wait_end x11_window_system::connection::wait_for(xcb_window_t window, const std::function<bool()>& done,
                                                 std::chrono::milliseconds bound,
                                                 std::optional<std::uint32_t> answer_after)
{
    const auto deadline = std::chrono::steady_clock::now() + bound;
    bool answered = false;
    while (!broken()) {
        if (done()) return wait_end::held;
        if (answered) return wait_end::answered;
        // The bound holds even while events keep coming: a window that
        // another program keeps changing must not hold us here.
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return wait_end::timed_out;
        const event_news news = read_events(window, answer_after);
        if (news.gone) return wait_end::gone;
        answered = news.answered;
        if (news.any) continue;
        pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
        ::poll(&fd, 1, static_cast<int>(left.count()) + 1);
    }
    return wait_end::gone;
}

void x11_window_system::connection::wait_until_settled(xcb_window_t window, std::chrono::milliseconds quiet,
                                                       std::chrono::milliseconds bound)
{
    const auto deadline = std::chrono::steady_clock::now() + bound;
    auto quiet_until = std::chrono::steady_clock::now() + quiet;
    while (!broken()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= quiet_until || now >= deadline) return;
        const event_news news = read_events(window, std::nullopt);
        if (news.gone) return;
        if (news.reshaped) quiet_until = std::chrono::steady_clock::now() + quiet;
        if (news.any) continue;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::min(quiet_until, deadline) - now);
        pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
        ::poll(&fd, 1, static_cast<int>(left.count()) + 1);
    }
}

x11_window_system::connection::event_news x11_window_system::connection::read_events(
    xcb_window_t window, std::optional<std::uint32_t> answer_after)
{
    event_news news;
    while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
        x_owned<xcb_generic_event_t> owned(event);
        news.any = true;
        const auto type = event->response_type & 0x7F;
        if (type == XCB_DESTROY_NOTIFY &&
            reinterpret_cast<xcb_destroy_notify_event_t*>(event)->window == window) {
            news.gone = true;
        }
        if (type == XCB_CONFIGURE_NOTIFY &&
            reinterpret_cast<xcb_configure_notify_event_t*>(event)->window == window) {
            news.reshaped = true;
            if (answer_after && event->full_sequence - *answer_after < 0x80000000u) news.answered = true;
        }
        if (type == XCB_PROPERTY_NOTIFY) {
            const xcb_atom_t property = reinterpret_cast<xcb_property_notify_event_t*>(event)->atom;
            if (property == ewmh._NET_FRAME_EXTENTS || property == gtk_frame_extents ||
                property == ewmh._NET_WM_STATE || property == wm_state) {
                news.reshaped = true;
            }
        }
    }
    return news;
}

}  // namespace quenlow
