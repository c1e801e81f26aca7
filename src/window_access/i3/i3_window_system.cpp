#include "i3_window_system.h"

#include "display_scale.h"
#include "read_back.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace quenlow {

namespace {

using clock = std::chrono::steady_clock;

// How long placing waits for the window to show the size asked for. The
// tree is read again every 15 ms while waiting; a rect that has not changed
// for 9 reads has settled, and is asked for again up to 5 times in all.
// sway shows the size asked for before an XWayland client has committed
// it, and the client may still commit its old size: the wanted rect, too,
// must hold that long.
constexpr std::chrono::milliseconds placement_bound{1500};
constexpr read_back_policy read_back{std::chrono::milliseconds{15}, 9, 9, 5};
// One request waits this long at most, within the user action's deadline.
constexpr std::chrono::microseconds request_bound{1'000'000};

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

std::optional<std::string> i3_window_system::ask(i3_ipc& ipc, std::uint32_t type, std::string_view payload)
{
    // A helper's own connection (see set_topmost) is no user action's.
    if (&ipc != ipc_.get()) return ipc.request(type, payload);
    const auto given = time_.left(request_bound);
    if (given.count() <= 0) return std::nullopt;
    auto reply = ipc.request(type, payload, std::chrono::duration_cast<std::chrono::milliseconds>(given));
    if (!reply && ipc.timed_out()) time_.ran_out(given);
    return reply;
}

std::vector<i3_view> i3_window_system::windows(i3_ipc& ipc)
{
    const auto tree = ask(ipc, i3_ipc::get_tree, "");
    return tree ? i3_views(*tree) : std::vector<i3_view>{};
}

bool i3_window_system::run(i3_ipc& ipc, const std::string& command)
{
    const auto reply = ask(ipc, i3_ipc::run_command, command);
    return reply && i3_command_succeeded(*reply);
}

void i3_window_system::begin_action() { time_.begin_action(); }

void i3_window_system::end_action() { time_.end_action(); }

void i3_window_system::enum_windows(const window_visitor& visit)
{
    time_.bound_calls();
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

std::uint32_t i3_window_system::process_id(window_handle window)
{
    time_.bound_calls();
    const auto view = view_of(window);
    return view && view->pid > 0 && view->pid <= 0xFFFFFFFF ? static_cast<std::uint32_t>(view->pid) : 0;
}

double i3_window_system::display_scale(window_handle) { return dpi_ ? scale_of_dpi(dpi_()) : 1.0; }

std::size_t i3_window_system::window_text_length(window_handle window)
{
    time_.bound_calls();
    const auto view = view_of(window);
    return view ? view->name.size() : 0;
}

std::size_t i3_window_system::window_text(window_handle window, char* buffer, std::size_t capacity)
{
    time_.bound_calls();
    const auto view = view_of(window);
    return copy_window_text(view ? std::string_view(view->name) : std::string_view{}, buffer, capacity);
}

window_handle i3_window_system::active_window()
{
    time_.bound_calls();
    for (const i3_view& view : windows(*ipc_)) {
        if (view.focused) return static_cast<window_handle>(view.id);
    }
    return no_window;
}

window_handle i3_window_system::find_window(std::string_view title)
{
    time_.bound_calls();
    for (const i3_view& view : windows(*ipc_)) {
        if (!view.name.empty() && view.name == title) return static_cast<window_handle>(view.id);
    }
    return no_window;
}

void i3_window_system::restore_window(window_handle window)
{
    time_.bound_calls();
    walk_.clear();  // the walk's states are about to change
    const auto view = view_of(window);
    if (!view) return;
    // The scratchpad is where i3 and sway hide a window; shown, it floats.
    if (view->in_scratchpad) run(*ipc_, criteria(window) + "scratchpad show");
    if (view->fullscreen_mode != 0) run(*ipc_, criteria(window) + "fullscreen disable");
}

placement_result i3_window_system::place_window(window_handle window, int width, int height)
{
    if (!dpi_) return place_window_exactly(window, width, height);
    const double dpi = dpi_();
    return place_window_exactly(window, device_pixels(width, dpi), device_pixels(height, dpi));
}

placement_result i3_window_system::place_window_exactly(window_handle window, int width, int height)
{
    using outcome = placement_result::outcome;
    walk_.clear();
    time_.bound_calls();
    const i3_rect wanted{0, 0, width, height};
    // "focus" also clears the iconic state sway gives an unfocused X11
    // window that asked to be minimised.
    const auto reply = ask(*ipc_, i3_ipc::run_command,
                           criteria(window) + "fullscreen disable, floating enable, resize set " + std::to_string(width) +
                               " " + std::to_string(height) + ", move absolute position 0 0, focus");
    if (!reply) return {outcome::no_answer};
    if (!i3_command_succeeded(*reply)) return {view_of(window) ? outcome::refused : outcome::gone};
    // Both size the whole window, title bar and border included. sway can
    // leave an XWayland window at the size its client committed last (its
    // old tile's): once the window has settled elsewhere, ask again.
    const std::string again = criteria(window) + "resize set " + std::to_string(width) + " " +
                              std::to_string(height) + ", move absolute position 0 0";
    const auto deadline = clock::now() + placement_bound;
    const auto read = [&] {
        read_back_sample<i3_rect> sample;
        const auto tree = ask(*ipc_, i3_ipc::get_tree, "");
        if (!tree) return sample;
        const auto views = i3_views(*tree);
        const auto found = std::find_if(views.begin(), views.end(),
                                        [&](const i3_view& v) { return static_cast<window_handle>(v.id) == window; });
        sample.what = found == views.end() ? decltype(sample)::seen::gone : decltype(sample)::seen::rect;
        if (found != views.end()) sample.rect = visible_rect(*found);
        return sample;
    };
    return read_back_until_held(wanted, read_back, read, [&] { return run(*ipc_, again); },
                                [&] { return clock::now() < deadline && time_.left().count() > 0; });
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
