#pragma once
// The X connection of the X11 backend and what it reads and waits for:
// typed property reads that treat a lying or absent property as nothing,
// the window lists, titles, frame and shadow margins, what the manager
// supports, and bounded waits for a window's events. Internal to the
// backend: nothing outside src/window_access includes it.

#include "x11_placement.h"
#include "x11_title_decoder.h"
#include "x11_window_system.h"

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quenlow {

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

    struct event_news {
        bool any = false;       // some event came
        bool gone = false;      // the window was destroyed
        bool answered = false;  // a ConfigureNotify made after the request came
        bool reshaped = false;  // its geometry, frame, shadow or state changed
    };

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
    bool window_manager_running();

    // Top-level client windows, top of the stack first.
    std::vector<xcb_window_t> top_level_windows();

    // With no window manager: the root's viewable, non-override-redirect
    // children, top first.
    std::vector<xcb_window_t> mapped_root_children();

    // Titles of `windows`, in the same order, in two pipelined rounds:
    // _NET_WM_NAME for all, then WM_NAME for those without one.
    std::vector<std::string> titles(const std::vector<xcb_window_t>& windows);

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

    // The Xft.dpi setting of the desktop, which browsers scale their pages
    // by. Read afresh each time: a user may change it while we run.
    double desktop_dpi();

    // The client area's size, or (0, 0) for a window that is gone.
    std::pair<int, int> client_size(xcb_window_t window)
    {
        const auto geometry = reply_to(xcb_get_geometry_reply, c, xcb_get_geometry_unchecked(c, window));
        return geometry ? std::pair<int, int>{geometry->width, geometry->height} : std::pair<int, int>{0, 0};
    }

    // The manager's frame and the client's shadow margins, as they are now.
    std::pair<extents, extents> margins(xcb_window_t window);

    // A manager that also speaks the older GNOME hints (icewm) keeps a
    // window that asked for _NET_WM_STATE_ABOVE when first mapped in its
    // on-top layer (_WIN_LAYER 6) after that state is removed; ask it for
    // the normal layer (4) too. Only where the manager gave the window a
    // layer, so no other manager sees a message it does not know.
    void leave_legacy_top_layer(xcb_window_t window);

    // Whether the window manager lists `atom` in _NET_SUPPORTED.
    bool supports(xcb_atom_t atom);

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
                      std::optional<std::uint32_t> answer_after = std::nullopt);

    // Waits, under a watch of the window, until its geometry, frame, shadow
    // and state have not changed for `quiet`, for at most `bound`.
    void wait_until_settled(xcb_window_t window, std::chrono::milliseconds quiet, std::chrono::milliseconds bound);

    // Reads the events that have come, and drops them.
    event_news read_events(xcb_window_t window, std::optional<std::uint32_t> answer_after);
};

}  // namespace quenlow
