#include "i3_window_system.h"

#include "display_scale.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace quenlow {

namespace {

using clock = std::chrono::steady_clock;

// How long placing waits for the window to show the size asked for, and how
// often it asks again where the window settled at another size.
constexpr std::chrono::milliseconds placement_bound{1500};
constexpr int placement_requests = 5;
// The tree is read again this often while waiting; a rect that has not
// changed for this many reads has settled. sway shows the size asked for
// before an XWayland client has committed it, and the client may still
// commit its old size: the wanted rect, too, must hold that long.
constexpr std::chrono::milliseconds tree_interval{15};
constexpr int settled_reads = 8;

std::string criteria(window_handle window) { return "[con_id=" + std::to_string(window) + "] "; }

}  // namespace

std::unique_ptr<i3_window_system> i3_window_system::connect(const std::string& socket_path,
                                                            std::function<double()> dpi)
{
    auto ipc = i3_ipc::connect(socket_path);
    if (!ipc || !ipc->request(i3_ipc::get_version, "")) return nullptr;
    return std::unique_ptr<i3_window_system>(new i3_window_system(socket_path, std::move(ipc), std::move(dpi)));
}

i3_window_system::i3_window_system(std::string socket_path, std::unique_ptr<i3_ipc> ipc,
                                   std::function<double()> dpi)
    : socket_path_(std::move(socket_path)), ipc_(std::move(ipc)), dpi_(std::move(dpi))
{
}

std::vector<i3_view> i3_window_system::windows(i3_ipc& ipc)
{
    const auto tree = ipc.request(i3_ipc::get_tree, "");
    return tree ? i3_views(*tree) : std::vector<i3_view>{};
}

bool i3_window_system::run(i3_ipc& ipc, const std::string& command)
{
    const auto reply = ipc.request(i3_ipc::run_command, command);
    return reply && i3_command_succeeded(*reply);
}

void i3_window_system::enum_windows(const window_visitor& visit)
{
    walk_ = windows(*ipc_);
    std::vector<window_handle> handles;
    for (const i3_view& view : walk_) {
        if (!view.name.empty()) handles.push_back(static_cast<window_handle>(view.id));
    }
    for (window_handle handle : handles) {
        if (!visit(handle)) break;
    }
}

std::optional<i3_view> i3_window_system::view_of(window_handle window)
{
    const auto in = [&](const std::vector<i3_view>& views) -> std::optional<i3_view> {
        const auto found = std::find_if(views.begin(), views.end(),
                                        [&](const i3_view& v) { return static_cast<window_handle>(v.id) == window; });
        return found == views.end() ? std::nullopt : std::optional<i3_view>(*found);
    };
    if (auto seen = in(walk_)) return seen;
    return in(windows(*ipc_));
}

std::size_t i3_window_system::window_text_length(window_handle window)
{
    const auto view = view_of(window);
    return view ? view->name.size() : 0;
}

std::size_t i3_window_system::window_text(window_handle window, char* buffer, std::size_t capacity)
{
    const auto view = view_of(window);
    return copy_window_text(view ? std::string_view(view->name) : std::string_view{}, buffer, capacity);
}

window_handle i3_window_system::active_window()
{
    for (const i3_view& view : windows(*ipc_)) {
        if (view.focused) return static_cast<window_handle>(view.id);
    }
    return no_window;
}

window_handle i3_window_system::find_window(std::string_view title)
{
    for (const i3_view& view : windows(*ipc_)) {
        if (!view.name.empty() && view.name == title) return static_cast<window_handle>(view.id);
    }
    return no_window;
}

void i3_window_system::restore_window(window_handle window)
{
    walk_.clear();  // the walk's states are about to change
    const auto view = view_of(window);
    if (!view) return;
    // The scratchpad is where i3 and sway hide a window; shown, it floats.
    if (view->in_scratchpad) run(*ipc_, criteria(window) + "scratchpad show");
    if (view->fullscreen_mode != 0) run(*ipc_, criteria(window) + "fullscreen disable");
}

void i3_window_system::place_window(window_handle window, int width, int height)
{
    walk_.clear();
    if (dpi_) {
        const double dpi = dpi_();
        width = device_pixels(width, dpi);
        height = device_pixels(height, dpi);
    }
    const i3_rect wanted{0, 0, width, height};
    // "focus" also clears the iconic state sway gives an unfocused X11
    // window that asked to be minimised.
    if (!run(*ipc_, criteria(window) + "fullscreen disable, floating enable, resize set " + std::to_string(width) +
                        " " + std::to_string(height) + ", move absolute position 0 0, focus")) {
        return;  // refused, or the window is gone
    }
    // Both size the whole window, title bar and border included. sway can
    // leave an XWayland window at the size its client committed last (its
    // old tile's): once the window has settled elsewhere, ask again.
    const std::string again = criteria(window) + "resize set " + std::to_string(width) + " " +
                              std::to_string(height) + ", move absolute position 0 0";
    const auto deadline = clock::now() + placement_bound;
    int requests = 1, unchanged = 0;
    std::optional<i3_rect> last;
    while (clock::now() < deadline) {
        const auto view = view_of(window);
        if (!view) return;
        const i3_rect seen = visible_rect(*view);
        unchanged = last && *last == seen ? unchanged + 1 : 0;
        last = seen;
        if (seen == wanted && unchanged >= settled_reads) return;
        if (seen != wanted && unchanged >= settled_reads && requests < placement_requests) {
            if (!run(*ipc_, again)) return;
            ++requests;
            unchanged = 0;
        }
        std::this_thread::sleep_for(tree_interval);
    }
}

bool i3_window_system::apply_topmost(i3_ipc& ipc, window_handle window, bool topmost, std::uint64_t request)
{
    const auto tree = ipc.request(i3_ipc::get_tree, "");
    if (!tree) return false;
    if (!own_.latest(window, request)) return true;
    // On X11 the toolkit's handle is the window's own id; on Wayland the
    // window is found among this process's (sway says which they are).
    std::string id;
    std::vector<std::string> own;
    for (const i3_view& view : i3_views(*tree)) {
        if (view.x11_window != 0 && static_cast<window_handle>(view.x11_window) == window) id = std::to_string(view.id);
        if (view.pid == ::getpid()) own.push_back(std::to_string(view.id));
    }
    if (id.empty()) {
        const auto answer = own_.resolve(window, request, own);
        if (answer.superseded) return true;
        id = answer.id;
    }
    if (id.empty()) return false;
    const std::string command = "[con_id=" + id + "] " + (topmost ? "floating enable, sticky enable" : "sticky disable");
    return run(ipc, command);
}

void i3_window_system::set_topmost(window_handle window, bool topmost)
{
    set_own_window_topmost(own_, retries_, *ipc_, window, topmost, [this] { return i3_ipc::connect(socket_path_); },
                           [this](i3_ipc& ipc, window_handle w, bool on, std::uint64_t request) {
                               return apply_topmost(ipc, w, on, request);
                           });
}

}  // namespace quenlow
