#include "x11_window_system.h"

#include "display_scale.h"
#include "x11_connection.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>
#include <vector>

namespace quenlow {

namespace {

// How long restore waits for the window manager to act before placing.
constexpr std::chrono::milliseconds restore_bound{500};

// How long placing waits for the window manager to answer before checking
// that the frame it allowed for is still the window's.
constexpr std::chrono::milliseconds placement_bound{300};
// A window just restored has settled once its frame, shadow and geometry
// have not changed for this long: the manager gives the frame back and a
// client-side-decorated browser its shadow only after the state changes.
constexpr std::chrono::milliseconds settle_period{100};
// How often a placement is asked again while the margins keep changing.
constexpr int placement_rounds = 3;

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

window_handle x11_window_system::active_window()
{
    if (x_->broken()) return no_window;
    connection& x = *x_;
    if (x.window_manager_running()) {
        const auto cookie = x.ask_property(x.root, x.ewmh._NET_ACTIVE_WINDOW, 1);
        const auto active = connection::cardinals(x.property_reply(cookie).get(), XCB_ATOM_WINDOW);
        x.discard_events();
        return active.empty() ? no_window : active.front();
    }
    const auto focus = reply_to(xcb_get_input_focus_reply, x.c, xcb_get_input_focus(x.c));
    const std::vector<xcb_window_t> windows = x.mapped_root_children();
    x.discard_events();
    if (!focus || std::find(windows.begin(), windows.end(), focus->focus) == windows.end()) return no_window;
    return focus->focus;
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

placement_result x11_window_system::place_window(window_handle handle, int width, int height)
{
    if (x_->broken()) return {placement_result::outcome::gone};
    const double dpi = x_->desktop_dpi();
    return place_window_exactly(handle, device_pixels(width, dpi), device_pixels(height, dpi));
}

window_geometry x11_window_system::current_geometry(window_handle handle)
{
    if (x_->broken() || handle == no_window || handle > 0xFFFFFFFFu) return {};
    const auto window = static_cast<xcb_window_t>(handle);
    connection& x = *x_;
    const auto [width, height] = x.client_size(window);
    const auto corner = reply_to(xcb_translate_coordinates_reply, x.c,
                                 xcb_translate_coordinates_unchecked(x.c, window, x.ewmh.screens[0]->root, 0, 0));
    if (width == 0 || !corner) return {};
    const auto [frame, shadow] = x.margins(window);
    window_geometry seen;
    seen.client = {corner->dst_x, corner->dst_y, width, height};
    seen.visible = {corner->dst_x - frame.left + shadow.left,
                    corner->dst_y - frame.top + shadow.top,
                    width + frame.left + frame.right - shadow.left - shadow.right,
                    height + frame.top + frame.bottom - shadow.top - shadow.bottom};
    return seen;
}

placement_result x11_window_system::place_window_exactly(window_handle handle, int width, int height)
{
    using outcome = placement_result::outcome;
    if (x_->broken() || handle == no_window || handle > 0xFFFFFFFFu) return {outcome::gone};
    const auto window = static_cast<xcb_window_t>(handle);
    connection& x = *x_;
    const bool managed = x.window_manager_running();
    const bool moveresize = managed && x.supports(x.ewmh._NET_MOVERESIZE_WINDOW);
    const connection::watch watch(x, window);
    std::optional<placement> sent = x.request_placement(window, width, height, managed, moveresize);
    if (!sent) return {outcome::gone};
    // With no manager, raising the window put it above ours too.
    if (!managed) keep_topmost_windows_above(handle);
    const auto deadline = std::chrono::steady_clock::now() + placement_bound;
    wait_end end = wait_end::held;
    for (int round = 1; managed; ++round) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        end = x.wait_for(window, [&] {
            return x.client_size(window) == sent->client_size &&
                   x.margins(window) == std::pair{sent->frame, sent->shadow};
        }, std::max(left, std::chrono::milliseconds{0}), sent->sequence);
        if (end == wait_end::held || end == wait_end::gone || round == placement_rounds) break;
        // The manager has answered (or the bound is up) with another size.
        // Where the frame or the shadow changed under the request, ask again
        // for them; otherwise the manager keeps the window where it is (a
        // tiling manager, a panel at the corner, a screen too small), and
        // there is nothing to wait for.
        if (x.margins(window) == std::pair{sent->frame, sent->shadow}) break;
        sent = x.request_placement(window, width, height, managed, moveresize);
        if (!sent) return {outcome::gone};
    }
    x.discard_events();
    if (end == wait_end::gone) return {outcome::gone};
    // What the window has now, read back from the server: its visible outer
    // size is the client's with the manager's frame (or its own border),
    // less the shadow.
    const auto [client_width, client_height] = x.client_size(window);
    if (client_width == 0) return {outcome::gone};
    auto [frame, shadow] = x.margins(window);
    if (!managed) frame = sent->frame;  // no manager's frame: the window's own X border
    const int visible_width = client_width + frame.left + frame.right - shadow.left - shadow.right;
    const int visible_height = client_height + frame.top + frame.bottom - shadow.top - shadow.bottom;
    if (visible_width == width && visible_height == height) return {outcome::placed};
    if (end == wait_end::timed_out) return {outcome::no_answer};
    return {outcome::other_size, visible_width, visible_height};
}

std::uint32_t x11_window_system::process_id(window_handle handle)
{
    if (x_->broken() || handle == no_window || handle > 0xFFFFFFFFu) return 0;
    connection& x = *x_;
    const auto reply = x.property_reply(x.ask_property(static_cast<xcb_window_t>(handle), x.ewmh._NET_WM_PID, 1));
    const std::vector<std::uint32_t> pid = connection::cardinals(reply.get(), XCB_ATOM_CARDINAL);
    return pid.empty() ? 0 : pid.front();
}

double x11_window_system::display_scale(window_handle)
{
    return x_->broken() ? 1.0 : scale_of_dpi(x_->desktop_dpi());
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
        // Not managed yet, or no manager runs: a window manager reads
        // _NET_WM_STATE when it first manages the window, so edit the
        // property itself, and finish with a round trip so whoever maps it
        // next sees the change. A manager that does not know the state
        // would leave it there for good, claiming what nobody does.
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
