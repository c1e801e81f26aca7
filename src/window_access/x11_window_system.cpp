#include "x11_window_system.h"

#include "display_scale.h"
#include "x11_placement.h"
#include "x11_title_decoder.h"

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace quenlow {

namespace {

struct free_deleter {
    void operator()(void* p) const { std::free(p); }
};
// Every xcb reply and error is owned by one of these.
template <class T>
using x_owned = std::unique_ptr<T, free_deleter>;

// The reply to `cookie`, or nullptr when the request failed (most often: the
// window is gone). The error, if any, is freed: a failure is a normal answer.
template <class Reply, class Cookie>
x_owned<Reply> reply_to(Reply* (*read)(xcb_connection_t*, Cookie, xcb_generic_error_t**), xcb_connection_t* c,
                        Cookie cookie)
{
    xcb_generic_error_t* error = nullptr;
    x_owned<Reply> reply(read(c, cookie, &error));
    std::free(error);
    return reply;
}

// How long restore waits for the window manager to act before placing.
constexpr std::chrono::milliseconds restore_bound{500};
// Titles are read up to this many bytes.
constexpr std::uint32_t max_title_units = 1u << 16;  // 32-bit units: 256 KiB

// What a placement request assumed, to tell later whether it still holds.
struct placement {
    extents frame;                    // the window manager's frame it allowed for
    extents shadow;                   // the client's shadow margins it allowed for
    std::pair<int, int> client_size;  // the client area it asked for
    std::uint32_t sequence = 0;       // its last request: events made after it answer it
};

// What ended a wait.
enum class wait_end { held, answered, gone, timed_out };

// How long placing waits for the window manager to answer before checking
// that the frame it allowed for is still the window's.
constexpr std::chrono::milliseconds placement_bound{300};
// A window just restored has settled once its frame, shadow and geometry
// have not changed for this long: the manager gives the frame back and a
// client-side-decorated browser its shadow only after the state changes.
constexpr std::chrono::milliseconds settle_period{100};
// How often a placement is asked again while the margins keep changing.
constexpr int placement_rounds = 3;

}  // namespace

struct x11_window_system::connection {
    xcb_connection_t* c = nullptr;
    xcb_ewmh_connection_t ewmh{};
    bool ewmh_ready = false;
    int screen_number = 0;
    xcb_window_t root = XCB_NONE;
    xcb_atom_t wm_state = XCB_NONE;
    xcb_atom_t compound_text = XCB_NONE;
    xcb_atom_t gtk_frame_extents = XCB_NONE;
    xcb_atom_t win_layer = XCB_NONE;

    ~connection()
    {
        if (ewmh_ready) xcb_ewmh_connection_wipe(&ewmh);
        if (c) xcb_disconnect(c);
    }

    bool broken() const { return xcb_connection_has_error(c) != 0; }

    // Errors of requests without replies arrive as events; nobody needs them.
    void discard_events()
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) std::free(event);
    }

    xcb_atom_t intern(const char* name)
    {
        const auto cookie = xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
        x_owned<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c, cookie, nullptr));
        return reply ? reply->atom : XCB_NONE;
    }

    xcb_get_property_cookie_t ask_property(xcb_window_t window, xcb_atom_t property,
                                           std::uint32_t units = max_title_units)
    {
        return xcb_get_property_unchecked(c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, units);
    }

    // The reply, or nullptr when the window is gone or the property absent.
    x_owned<xcb_get_property_reply_t> property_reply(xcb_get_property_cookie_t cookie)
    {
        auto reply = reply_to(xcb_get_property_reply, c, cookie);
        if (!reply || reply->type == XCB_NONE) return nullptr;
        return reply;
    }

    // The 32-bit values of a property of type `type` (any type: XCB_NONE);
    // nothing for a property of another type or format, which says nothing
    // we could trust.
    static std::vector<std::uint32_t> cardinals(const xcb_get_property_reply_t* reply, xcb_atom_t type = XCB_NONE)
    {
        if (!reply || reply->format != 32 || (type != XCB_NONE && reply->type != type)) return {};
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        return {data, data + xcb_get_property_value_length(reply) / 4};
    }

    static std::string bytes(const xcb_get_property_reply_t* reply)
    {
        if (!reply || reply->format != 8) return {};
        const auto* data = static_cast<const char*>(xcb_get_property_value(reply));
        return {data, static_cast<std::size_t>(xcb_get_property_value_length(reply))};
    }

    // True when a window manager that follows EWMH is running: the window
    // named by the root's _NET_SUPPORTING_WM_CHECK names itself.
    bool window_manager_running()
    {
        const auto on_root = cardinals(property_reply(ask_property(root, ewmh._NET_SUPPORTING_WM_CHECK, 1)).get());
        if (on_root.empty()) return false;
        const auto on_child = cardinals(
            property_reply(ask_property(on_root[0], ewmh._NET_SUPPORTING_WM_CHECK, 1)).get());
        return !on_child.empty() && on_child[0] == on_root[0];
    }

    // Top-level client windows, top of the stack first.
    std::vector<xcb_window_t> top_level_windows()
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

    // With no window manager: the root's viewable, non-override-redirect
    // children, top first.
    std::vector<xcb_window_t> mapped_root_children()
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

    // Titles of `windows`, in the same order, in two pipelined rounds:
    // _NET_WM_NAME for all, then WM_NAME for those without one.
    std::vector<std::string> titles(const std::vector<xcb_window_t>& windows)
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

    x11_text_encoding encoding_of(xcb_atom_t type) const
    {
        if (type == XCB_ATOM_STRING) return x11_text_encoding::latin1;
        if (type == compound_text) return x11_text_encoding::compound_text;
        return x11_text_encoding::utf8;
    }

    std::vector<xcb_atom_t> net_wm_state(xcb_window_t window)
    {
        return cardinals(property_reply(ask_property(window, ewmh._NET_WM_STATE, 1024)).get());
    }

    std::vector<std::uint32_t> property_cardinals(xcb_window_t window, xcb_atom_t property, std::uint32_t units)
    {
        return cardinals(property_reply(ask_property(window, property, units)).get());
    }

    // The Xft.dpi setting of the desktop, which browsers scale their pages
    // by. Read afresh each time: a user may change it while we run.
    double desktop_dpi()
    {
        // xrdb keeps the database on the first screen's root, as text.
        const auto reply = property_reply(ask_property(ewmh.screens[0]->root, XCB_ATOM_RESOURCE_MANAGER, 1u << 18));
        if (!reply || reply->type != XCB_ATOM_STRING) return reference_dpi;
        return xft_dpi(bytes(reply.get()));
    }

    extents frame_extents(xcb_window_t window)
    {
        return extents_from(cardinals(property_reply(ask_property(window, ewmh._NET_FRAME_EXTENTS, 4)).get(),
                                      XCB_ATOM_CARDINAL));
    }

    // The client area's size, or (0, 0) for a window that is gone.
    std::pair<int, int> client_size(xcb_window_t window)
    {
        const auto geometry = reply_to(xcb_get_geometry_reply, c, xcb_get_geometry_unchecked(c, window));
        return geometry ? std::pair<int, int>{geometry->width, geometry->height} : std::pair<int, int>{0, 0};
    }

    // The manager's frame and the client's shadow margins, as they are now.
    std::pair<extents, extents> margins(xcb_window_t window)
    {
        const auto frame_cookie = ask_property(window, ewmh._NET_FRAME_EXTENTS, 4);
        const auto shadow_cookie = ask_property(window, gtk_frame_extents, 4);
        return {extents_from(cardinals(property_reply(frame_cookie).get(), XCB_ATOM_CARDINAL)),
                extents_from(cardinals(property_reply(shadow_cookie).get(), XCB_ATOM_CARDINAL))};
    }

    // A manager that also speaks the older GNOME hints (icewm) keeps a
    // window that asked for _NET_WM_STATE_ABOVE when first mapped in its
    // on-top layer (_WIN_LAYER 6) after that state is removed; ask it for
    // the normal layer (4) too. Only where the manager gave the window a
    // layer, so no other manager sees a message it does not know.
    void leave_legacy_top_layer(xcb_window_t window)
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

    // Whether the window manager lists `atom` in _NET_SUPPORTED.
    bool supports(xcb_atom_t atom)
    {
        const auto supported =
            cardinals(property_reply(ask_property(root, ewmh._NET_SUPPORTED, 4096)).get(), XCB_ATOM_ATOM);
        return std::find(supported.begin(), supported.end(), atom) != supported.end();
    }

    // Asks for the window's visible outer rectangle to become (0, 0, width,
    // height), raised and mapped: through the manager when one runs
    // (_NET_MOVERESIZE_WINDOW, or a plain configure request where the
    // manager does not take that), by configuring the window itself
    // otherwise. Returns what the request assumed, or nothing when the
    // window is gone.
    std::optional<placement> request_placement(xcb_window_t window, int width, int height, bool managed,
                                               bool moveresize);

    // While one of these lives, this connection hears the window's property
    // and structure changes. Made before a request, so the answer is heard.
    class watch {
    public:
        watch(connection& x, xcb_window_t window) : x_(x), window_(window)
        {
            const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
            xcb_change_window_attributes(x_.c, window_, XCB_CW_EVENT_MASK, &mask);
        }
        ~watch()
        {
            const std::uint32_t none = 0;
            xcb_change_window_attributes(x_.c, window_, XCB_CW_EVENT_MASK, &none);
            xcb_flush(x_.c);
        }
        watch(const watch&) = delete;
        watch& operator=(const watch&) = delete;

    private:
        connection& x_;
        xcb_window_t window_;
    };

    // Waits, under a watch of the window, until `done` holds, for at most
    // `bound`. It ends at once when the window is destroyed and, given the
    // sequence number of a request, when a ConfigureNotify of the window
    // comes that the server made after that request: the manager's answer.
    wait_end wait_for(xcb_window_t window, const std::function<bool()>& done, std::chrono::milliseconds bound,
                      std::optional<std::uint32_t> answer_after = std::nullopt)
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

    // Waits, under a watch of the window, until nothing about it has changed
    // for `quiet`, for at most `bound`.
    void wait_until_settled(xcb_window_t window, std::chrono::milliseconds quiet, std::chrono::milliseconds bound)
    {
        const auto deadline = std::chrono::steady_clock::now() + bound;
        auto quiet_until = std::chrono::steady_clock::now() + quiet;
        while (!broken()) {
            const auto now = std::chrono::steady_clock::now();
            if (now >= quiet_until || now >= deadline) return;
            const event_news news = read_events(window, std::nullopt);
            if (news.gone) return;
            if (news.any) {
                quiet_until = std::chrono::steady_clock::now() + quiet;
                continue;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(std::min(quiet_until, deadline) - now);
            pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
            ::poll(&fd, 1, static_cast<int>(left.count()) + 1);
        }
    }

    struct event_news {
        bool any = false;       // some event came
        bool gone = false;      // the window was destroyed
        bool answered = false;  // a ConfigureNotify made after the request came
    };

    // Reads the events that have come, and drops them.
    event_news read_events(xcb_window_t window, std::optional<std::uint32_t> answer_after)
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
            if (type == XCB_CONFIGURE_NOTIFY && answer_after &&
                reinterpret_cast<xcb_configure_notify_event_t*>(event)->window == window &&
                event->full_sequence - *answer_after < 0x80000000u) {
                news.answered = true;
            }
        }
        return news;
    }
};

namespace {

bool contains(const std::vector<xcb_atom_t>& atoms, xcb_atom_t atom)
{
    return std::find(atoms.begin(), atoms.end(), atom) != atoms.end();
}

}  // namespace

std::optional<placement> x11_window_system::connection::request_placement(xcb_window_t window, int width,
                                                                          int height, bool managed,
                                                                          bool moveresize)
{
    const auto geometry_cookie = xcb_get_geometry_unchecked(c, window);
    const auto attributes_cookie = xcb_get_window_attributes_unchecked(c, window);
    const auto hints_cookie = ask_property(window, XCB_ATOM_WM_NORMAL_HINTS, 18);
    auto [frame, shadow] = margins(window);
    const auto geometry = reply_to(xcb_get_geometry_reply, c, geometry_cookie);
    const auto attributes = reply_to(xcb_get_window_attributes_reply, c, attributes_cookie);
    const size_hints hints =
        size_hints_from(cardinals(property_reply(hints_cookie).get(), XCB_ATOM_WM_SIZE_HINTS));
    if (!geometry || !attributes) return std::nullopt;  // the window is gone
    if (!managed) {
        const int border = geometry->border_width;
        frame = {border, border, border, border};
    }

    const client_request request = placement_for(width, height, frame, shadow, hints);
    const bool unmapped = attributes->map_state == XCB_MAP_STATE_UNMAPPED;
    const auto u32 = [](int v) { return static_cast<std::uint32_t>(v); };
    if (managed && moveresize) {
        const auto flags = static_cast<xcb_ewmh_moveresize_window_opt_flags_t>(
            XCB_EWMH_MOVERESIZE_WINDOW_X | XCB_EWMH_MOVERESIZE_WINDOW_Y | XCB_EWMH_MOVERESIZE_WINDOW_WIDTH |
            XCB_EWMH_MOVERESIZE_WINDOW_HEIGHT);
        xcb_ewmh_request_moveresize_window(&ewmh, screen_number, window, XCB_GRAVITY_NORTH_WEST,
                                           XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, flags, u32(request.x),
                                           u32(request.y), u32(request.width), u32(request.height));
    } else {
        // The manager (if any) reads a plain request by the client's gravity.
        const client_request configure = managed ? configure_request_for(request, frame, hints) : request;
        const std::uint32_t values[] = {u32(configure.x), u32(configure.y), u32(configure.width),
                                        u32(configure.height)};
        xcb_configure_window(c, window,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                 XCB_CONFIG_WINDOW_HEIGHT,
                             values);
    }
    if (unmapped) xcb_map_window(c, window);
    if (managed) {
        xcb_ewmh_request_change_active_window(&ewmh, screen_number, window, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER,
                                              XCB_CURRENT_TIME, XCB_NONE);
    }
    // Last, so that the manager's answer to it (a ConfigureNotify, even
    // where it refuses to move the window) follows its handling of the rest.
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    const xcb_void_cookie_t last = xcb_configure_window(c, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_flush(c);
    return placement{frame, shadow, {request.width, request.height}, last.sequence};
}

std::unique_ptr<x11_window_system> x11_window_system::connect(const char* display_name)
{
    auto x = std::make_unique<connection>();
    x->c = xcb_connect(display_name, &x->screen_number);
    if (x->broken()) return nullptr;
    xcb_intern_atom_cookie_t* ewmh_cookies = xcb_ewmh_init_atoms(x->c, &x->ewmh);
    if (!ewmh_cookies || !xcb_ewmh_init_atoms_replies(&x->ewmh, ewmh_cookies, nullptr)) return nullptr;
    x->ewmh_ready = true;
    if (x->screen_number < 0 || x->screen_number >= x->ewmh.nb_screens) return nullptr;
    x->root = x->ewmh.screens[x->screen_number]->root;
    x->wm_state = x->intern("WM_STATE");
    x->compound_text = x->intern("COMPOUND_TEXT");
    x->gtk_frame_extents = x->intern("_GTK_FRAME_EXTENTS");
    x->win_layer = x->intern("_WIN_LAYER");
    return std::unique_ptr<x11_window_system>(new x11_window_system(std::move(x)));
}

x11_window_system::x11_window_system(std::unique_ptr<connection> x) : x_(std::move(x)) {}
x11_window_system::~x11_window_system() = default;

void x11_window_system::enum_windows(const window_visitor& visit)
{
    if (x_->broken()) return;
    const std::vector<xcb_window_t> windows = x_->top_level_windows();
    const std::vector<std::string> titles = x_->titles(windows);
    walk_titles_.clear();
    for (std::size_t i = 0; i < windows.size(); ++i) walk_titles_[windows[i]] = titles[i];
    struct forget_titles {
        std::unordered_map<window_handle, std::string>& titles;
        ~forget_titles() { titles.clear(); }
    } forget{walk_titles_};
    x_->discard_events();
    for (xcb_window_t window : windows) {
        if (!visit(window)) break;
    }
}

std::string x11_window_system::title_of(window_handle window)
{
    if (const auto it = walk_titles_.find(window); it != walk_titles_.end()) return it->second;
    if (x_->broken() || window > 0xFFFFFFFFu) return {};
    return x_->titles({static_cast<xcb_window_t>(window)}).front();
}

std::size_t x11_window_system::window_text_length(window_handle window)
{
    return title_of(window).size();
}

std::size_t x11_window_system::window_text(window_handle window, char* buffer, std::size_t capacity)
{
    return copy_window_text(title_of(window), buffer, capacity);
}

window_handle x11_window_system::find_window(std::string_view title)
{
    if (x_->broken()) return no_window;
    const std::vector<xcb_window_t> windows = x_->top_level_windows();
    const std::vector<std::string> titles = x_->titles(windows);
    x_->discard_events();
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (titles[i] == title) return windows[i];
    }
    return no_window;
}

void x11_window_system::restore_window(window_handle handle)
{
    if (x_->broken() || handle == no_window || handle > 0xFFFFFFFFu) return;
    const auto window = static_cast<xcb_window_t>(handle);
    connection& x = *x_;
    const auto& atoms = x.ewmh;

    const auto attributes_cookie = xcb_get_window_attributes_unchecked(x.c, window);
    const auto wm_state_cookie = x.ask_property(window, x.wm_state, 2);
    const auto attributes = reply_to(xcb_get_window_attributes_reply, x.c, attributes_cookie);
    const auto icccm_state = connection::cardinals(x.property_reply(wm_state_cookie).get());
    if (!attributes) {  // the window is gone
        x.discard_events();
        return;
    }

    if (!x.window_manager_running()) {
        if (attributes->map_state == XCB_MAP_STATE_UNMAPPED) xcb_map_window(x.c, window);
        xcb_flush(x.c);
        x.discard_events();
        return;
    }

    constexpr std::uint32_t iconic_state = 3;
    const auto states = x.net_wm_state(window);
    // A state the manager does not list is one it neither set nor clears.
    const bool maximised = (contains(states, atoms._NET_WM_STATE_MAXIMIZED_VERT) ||
                            contains(states, atoms._NET_WM_STATE_MAXIMIZED_HORZ)) &&
                           (x.supports(atoms._NET_WM_STATE_MAXIMIZED_VERT) ||
                            x.supports(atoms._NET_WM_STATE_MAXIMIZED_HORZ));
    const bool full_screen =
        contains(states, atoms._NET_WM_STATE_FULLSCREEN) && x.supports(atoms._NET_WM_STATE_FULLSCREEN);
    const bool iconic = (!icccm_state.empty() && icccm_state[0] == iconic_state) ||
                        contains(states, atoms._NET_WM_STATE_HIDDEN) ||
                        attributes->map_state != XCB_MAP_STATE_VIEWABLE;

    if (!full_screen && !maximised && !iconic) return;
    const connection::watch watch(x, window);
    if (full_screen) {
        xcb_ewmh_request_change_wm_state(&x.ewmh, x.screen_number, window, XCB_EWMH_WM_STATE_REMOVE,
                                         atoms._NET_WM_STATE_FULLSCREEN, XCB_NONE,
                                         XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
    }
    if (maximised) {
        xcb_ewmh_request_change_wm_state(&x.ewmh, x.screen_number, window, XCB_EWMH_WM_STATE_REMOVE,
                                         atoms._NET_WM_STATE_MAXIMIZED_VERT,
                                         atoms._NET_WM_STATE_MAXIMIZED_HORZ,
                                         XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
    }
    if (iconic) {
        xcb_ewmh_request_change_active_window(&x.ewmh, x.screen_number, window,
                                              XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, XCB_CURRENT_TIME,
                                              XCB_NONE);
        xcb_map_window(x.c, window);
    }
    xcb_flush(x.c);

    const auto deadline = std::chrono::steady_clock::now() + restore_bound;
    bool vanished = false;
    const wait_end end = x.wait_for(window, [&] {
        const auto now =
            reply_to(xcb_get_window_attributes_reply, x.c, xcb_get_window_attributes_unchecked(x.c, window));
        if (!now) return vanished = true;  // nothing left to wait for
        const auto s = x.net_wm_state(window);
        return now->map_state == XCB_MAP_STATE_VIEWABLE && !contains(s, atoms._NET_WM_STATE_HIDDEN) &&
               !contains(s, atoms._NET_WM_STATE_MAXIMIZED_VERT) &&
               !contains(s, atoms._NET_WM_STATE_MAXIMIZED_HORZ) &&
               !contains(s, atoms._NET_WM_STATE_FULLSCREEN);
    }, restore_bound);
    if (end == wait_end::held && !vanished) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        x.wait_until_settled(window, settle_period, std::max(left, std::chrono::milliseconds{0}));
    }
    x.discard_events();
}

void x11_window_system::place_window(window_handle handle, int width, int height)
{
    if (x_->broken() || handle == no_window || handle > 0xFFFFFFFFu) return;
    const auto window = static_cast<xcb_window_t>(handle);
    connection& x = *x_;
    const double dpi = x.desktop_dpi();
    width = device_pixels(width, dpi);
    height = device_pixels(height, dpi);
    const bool managed = x.window_manager_running();
    const bool moveresize = managed && x.supports(x.ewmh._NET_MOVERESIZE_WINDOW);
    const connection::watch watch(x, window);
    std::optional<placement> sent = x.request_placement(window, width, height, managed, moveresize);
    // With no manager, raising the window put it above ours too.
    if (sent && !managed) keep_topmost_windows_above(handle);
    const auto deadline = std::chrono::steady_clock::now() + placement_bound;
    for (int round = 1; sent && managed; ++round) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        const wait_end end = x.wait_for(window, [&] {
            return x.client_size(window) == sent->client_size && x.margins(window) == std::pair{sent->frame, sent->shadow};
        }, std::max(left, std::chrono::milliseconds{0}), sent->sequence);
        if (end == wait_end::held || end == wait_end::gone || round == placement_rounds) break;
        // The manager has answered (or the bound is up) with another size.
        // Where the frame or the shadow changed under the request, ask again
        // for them; otherwise the manager keeps the window where it is (a
        // tiling manager, a panel at the corner, a screen too small), and
        // there is nothing to wait for.
        if (x.margins(window) == std::pair{sent->frame, sent->shadow}) break;
        sent = x.request_placement(window, width, height, managed, moveresize);
    }
    x.discard_events();
}

void x11_window_system::set_topmost(window_handle handle, bool topmost)
{
    if (x_->broken() || handle == no_window || handle > 0xFFFFFFFFu) return;
    std::erase(topmost_, handle);
    if (topmost) topmost_.push_back(handle);
    change_net_wm_state(handle, x_->ewmh._NET_WM_STATE_ABOVE, topmost);
    if (topmost && !x_->window_manager_running()) keep_topmost_windows_above(no_window);
}

void x11_window_system::keep_topmost_windows_above(window_handle placed)
{
    connection& x = *x_;
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    for (window_handle window : topmost_) {
        cookies.push_back(xcb_get_window_attributes_unchecked(x.c, static_cast<xcb_window_t>(window)));
    }
    std::vector<window_handle> still_there;
    for (std::size_t i = 0; i < topmost_.size(); ++i) {
        if (reply_to(xcb_get_window_attributes_reply, x.c, cookies[i])) still_there.push_back(topmost_[i]);
    }
    topmost_ = std::move(still_there);
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    for (window_handle window : topmost_) {
        if (window != placed) {
            xcb_configure_window(x.c, static_cast<xcb_window_t>(window), XCB_CONFIG_WINDOW_STACK_MODE, &above);
        }
    }
    xcb_flush(x.c);
}

void x11_window_system::hide_from_taskbar(window_handle handle)
{
    if (x_->broken()) return;
    change_net_wm_state(handle, x_->ewmh._NET_WM_STATE_SKIP_TASKBAR, true);
}

void x11_window_system::change_net_wm_state(window_handle handle, std::uint32_t state, bool on)
{
    if (x_->broken() || handle == no_window || handle > 0xFFFFFFFFu) return;
    const auto window = static_cast<xcb_window_t>(handle);
    connection& x = *x_;

    const auto wm_state_cookie = x.ask_property(window, x.wm_state, 2);
    const auto attributes_cookie = xcb_get_window_attributes_unchecked(x.c, window);
    const bool withdrawn = !x.property_reply(wm_state_cookie);
    const auto attributes = reply_to(xcb_get_window_attributes_reply, x.c, attributes_cookie);
    if (!attributes) {
        x.discard_events();
        return;
    }

    const bool managed = x.window_manager_running();
    if ((withdrawn && attributes->map_state == XCB_MAP_STATE_UNMAPPED) || !managed) {
        // Not yet managed: the window manager reads _NET_WM_STATE when the
        // window is first mapped, so edit the property itself, and finish
        // with a round trip so whoever maps it next sees the change. A
        // manager that does not know the state would leave it there for
        // good, claiming what nobody does.
        if (managed && !x.supports(state)) {
            x.discard_events();
            return;
        }
        std::vector<xcb_atom_t> states = x.net_wm_state(window);
        std::erase(states, state);
        if (on) states.push_back(state);
        xcb_change_property(x.c, XCB_PROP_MODE_REPLACE, window, x.ewmh._NET_WM_STATE, XCB_ATOM_ATOM, 32,
                            static_cast<std::uint32_t>(states.size()), states.data());
    } else {
        xcb_ewmh_request_change_wm_state(&x.ewmh, x.screen_number, window,
                                         on ? XCB_EWMH_WM_STATE_ADD : XCB_EWMH_WM_STATE_REMOVE, state,
                                         XCB_NONE, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
        if (state == x.ewmh._NET_WM_STATE_ABOVE && !on) x.leave_legacy_top_layer(window);
    }
    reply_to(xcb_get_input_focus_reply, x.c, xcb_get_input_focus(x.c));  // the round trip
    x.discard_events();
}

}  // namespace quenlow
