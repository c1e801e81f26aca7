#pragma once
// A plain X client for tests: makes real top-level windows with the title
// properties a test asks for, drives them as a user or their program would
// (maximise, iconify, retitle, destroy), and reads their state straight
// from the server, independent of the code under test.

#include <xcb/xcb.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace quenlow::testing {

struct x_rect {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const x_rect&, const x_rect&) = default;
};
std::string to_string(const x_rect& r);

// `utf8` as Xlib encodes it for a COMPOUND_TEXT property ("" on failure).
std::string compound_text(const std::string& display, const std::string& utf8);

struct test_window {
    std::optional<std::string> net_wm_name;  // UTF8_STRING
    std::optional<std::string> wm_name;      // bytes, of type wm_name_type
    std::string wm_name_type = "STRING";
    x_rect geometry{200, 150, 400, 300};
    std::optional<std::array<std::uint32_t, 4>> gtk_frame_extents;
    // Asks the manager for no frame (_MOTIF_WM_HINTS), as a window that draws
    // its own decorations does.
    bool undecorated = false;
    // WM_NORMAL_HINTS: minimum size, base size and increments.
    std::optional<std::array<int, 6>> min_base_increment;
    bool map = true;
};

class x_test_client {
public:
    explicit x_test_client(const std::string& display);
    ~x_test_client();
    x_test_client(const x_test_client&) = delete;
    x_test_client& operator=(const x_test_client&) = delete;

    xcb_connection_t* connection() const { return c_; }
    xcb_window_t root() const { return root_; }
    xcb_atom_t atom(const std::string& name);

    // Creates the window and, when mapped, waits until it is viewable (and
    // under a window manager, until the manager lists it).
    xcb_window_t create(const test_window& wanted);
    xcb_window_t create_titled(const std::string& net_wm_name, x_rect geometry = {200, 150, 400, 300});
    void destroy(xcb_window_t window);
    void set_net_wm_name(xcb_window_t window, const std::string& title);
    // Both wait until the window manager has done it, unless told not to.
    void maximise(xcb_window_t window, bool wait = true);
    void iconify(xcb_window_t window, bool wait = true);
    // Asks the window manager to make the window the active one, as a
    // taskbar does, and waits until it has.
    void activate(xcb_window_t window);
    // Asks the window manager to close the window, as its close box does.
    void close_via_manager(xcb_window_t window);
    void flush();
    // Flushes and waits until the server has handled every request sent so
    // far, so another connection (the code under test) sees their effects.
    void sync();

    // Raw state.
    bool viewable(xcb_window_t window);
    std::vector<xcb_atom_t> net_wm_state(xcb_window_t window);
    bool has_state(xcb_window_t window, const std::string& state);
    std::uint32_t icccm_state(xcb_window_t window);  // 0 withdrawn, 1 normal, 3 iconic
    std::vector<std::uint32_t> cardinals(xcb_window_t window, const std::string& property);
    std::vector<xcb_window_t> stacking_top_first();
    // The root's children as the server stacks them, top first: the order
    // with no manager to keep a list.
    std::vector<xcb_window_t> children_top_first();
    bool managed(xcb_window_t window);
    // The managed window whose _NET_WM_NAME is `title`, or XCB_NONE.
    xcb_window_t find_managed(const std::string& title);
    // Every managed window of that title, in the order they were mapped.
    std::vector<xcb_window_t> all_managed(const std::string& title);
    std::string net_wm_name(xcb_window_t window);
    // The rectangle a user sees: the frame's outer rectangle (or the window
    // with its X border when unmanaged), less any _GTK_FRAME_EXTENTS.
    x_rect visible_rect(xcb_window_t window);

private:
    // The window's ancestor that is a child of the root (its frame, when a
    // manager reparented it), or the window itself.
    xcb_window_t top_level_ancestor(xcb_window_t window);
    void send_to_root(xcb_window_t window, xcb_atom_t type, std::array<std::uint32_t, 5> data);

    xcb_connection_t* c_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
};

}  // namespace quenlow::testing
