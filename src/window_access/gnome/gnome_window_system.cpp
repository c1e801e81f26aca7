#include "gnome_window_system.h"

#include "gnome_extension_setup.h"
#include "read_back.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <chrono>
#include <string>
#include <thread>

namespace quenlow {

namespace {

// GNOME Shell may still finish un-maximising or showing a window after
// placing it: the frame is read back until it holds the rectangle asked for
// (two reads in a row), and placed again where it settled elsewhere.
constexpr read_back_policy read_back{std::chrono::milliseconds{10}, 2, 6, 3};
constexpr std::chrono::milliseconds passing_state_interval{100};
constexpr std::chrono::milliseconds passing_state_bound{1500};

}  // namespace

std::unique_ptr<gnome_window_system> gnome_window_system::connect(bool may_change_settings)
{
    auto shell = gnome_shell_bus::connect();
    if (!shell) return nullptr;
    std::unique_ptr<gnome_window_system> system(new gnome_window_system(std::move(shell)));
    auto& bus = *system->shell_;
    bus.bound_calls();
    auto info = bus.extension();
    // A state GNOME Shell only passes through is read again until it
    // settles (or the calls' time is spent).
    const auto settle_until = std::chrono::steady_clock::now() + passing_state_bound;
    while (info && gnome_extension_state_passing(*info) && std::chrono::steady_clock::now() < settle_until) {
        std::this_thread::sleep_for(passing_state_interval);
        const auto again = bus.extension();
        if (!again) break;
        info = again;
    }
    bus.bound_calls();
    auto need = gnome_setup_need(info, bus.user_extensions_enabled(), bus.shell_version(),
                                 find_gnome_extension_copies());
    if (need.step == setup_step::switched_off && may_change_settings) {
        bus.bound_calls();
        if (bus.enable_extension()) need = {};
    }
    system->pending_ = need;
    return system;
}

void gnome_window_system::begin_action() { shell_->begin_action(); }

void gnome_window_system::end_action() { shell_->end_action(); }

gnome_window_system::gnome_window_system(std::unique_ptr<gnome_shell_bus> shell) : shell_(std::move(shell)) {}

std::vector<gnome_window> gnome_window_system::windows(gnome_shell_bus& shell)
{
    const auto json = shell.list();
    return json ? parse_gnome_window_list(*json) : std::vector<gnome_window>{};
}

const gnome_window* gnome_window_system::seen(window_handle window)
{
    const auto in_walk = [&] {
        return std::find_if(walk_.begin(), walk_.end(), [&](const gnome_window& w) { return w.id == window; });
    };
    if (auto found = in_walk(); found != walk_.end()) return &*found;
    shell_->bound_calls();
    walk_ = windows(*shell_);
    const auto found = in_walk();
    return found == walk_.end() ? nullptr : &*found;
}

void gnome_window_system::enum_windows(const window_visitor& visit)
{
    shell_->bound_calls();
    walk_ = windows(*shell_);
    std::vector<window_handle> handles;
    for (const gnome_window& window : walk_) handles.push_back(window.id);
    for (window_handle handle : handles) {
        if (!visit(handle)) break;
    }
}

std::uint32_t gnome_window_system::process_id(window_handle window)
{
    const gnome_window* w = seen(window);
    return w && w->pid > 0 && w->pid <= 0xFFFFFFFF ? static_cast<std::uint32_t>(w->pid) : 0;
}

std::size_t gnome_window_system::window_text_length(window_handle window)
{
    const gnome_window* w = seen(window);
    return w ? w->title.size() : 0;
}

std::size_t gnome_window_system::window_text(window_handle window, char* buffer, std::size_t capacity)
{
    const gnome_window* w = seen(window);
    return copy_window_text(w ? std::string_view(w->title) : std::string_view{}, buffer, capacity);
}

window_handle gnome_window_system::active_window()
{
    shell_->bound_calls();
    for (const gnome_window& window : windows(*shell_)) {
        if (window.focus) return window.id;
    }
    return no_window;
}

window_handle gnome_window_system::find_window(std::string_view title)
{
    shell_->bound_calls();
    for (const gnome_window& window : windows(*shell_)) {
        if (!window.title.empty() && window.title == title) return window.id;
    }
    return no_window;
}

void gnome_window_system::restore_window(window_handle window)
{
    walk_.clear();  // the walk's states are about to change
    shell_->bound_calls();
    shell_->restore(window);
}

placement_result gnome_window_system::place_window(window_handle window, int width, int height)
{
    // Where mutter lays monitors out in physical pixels, a page pixel is
    // `scale` of them.
    const double scale = display_scale(window);
    return place_window_exactly(window, static_cast<int>(std::lround(width * scale)),
                                static_cast<int>(std::lround(height * scale)));
}

double gnome_window_system::display_scale(window_handle)
{
    shell_->bound_calls();
    return shell_->primary_layout_scale();
}

placement_result gnome_window_system::place_window_exactly(window_handle window, int width, int height)
{
    using outcome = placement_result::outcome;
    walk_.clear();
    shell_->bound_calls();
    const auto area = shell_->work_area();
    if (!area) return {outcome::no_answer};
    const gnome_rect wanted{area->x, area->y, width, height};
    const auto placed = shell_->place(window, wanted);
    if (!placed) return {outcome::no_answer};
    if (!*placed) return {outcome::gone};
    const auto read = [&] {
        read_back_sample<gnome_rect> sample;
        const auto json = shell_->list();
        if (!json) return sample;
        const auto now = parse_gnome_window_list(*json);
        const auto found = std::find_if(now.begin(), now.end(), [&](const gnome_window& w) { return w.id == window; });
        sample.what = found == now.end() ? decltype(sample)::seen::gone : decltype(sample)::seen::rect;
        if (found != now.end()) sample.rect = found->frame;
        return sample;
    };
    return read_back_until_held(
        wanted, read_back, read, [&] { return shell_->place(window, wanted).value_or(false); },
        [&] { return shell_->time_left(); });
}

bool gnome_window_system::apply_topmost(gnome_shell_bus& shell, window_handle window, bool topmost,
                                        std::uint64_t request)
{
    shell.bound_calls();
    const auto json = shell.list();
    if (!json) return false;
    std::vector<std::string> own;
    for (const gnome_window& w : parse_gnome_window_list(*json)) {
        if (w.pid == ::getpid()) own.push_back(std::to_string(w.id));
    }
    const auto answer = own_.resolve(window, request, own);
    if (answer.superseded) return true;
    if (answer.id.empty()) return false;
    return shell.set_own_above(std::stoull(answer.id), topmost);
}

void gnome_window_system::set_topmost(window_handle window, bool topmost)
{
    set_own_window_topmost(own_, retries_, *shell_, window, topmost, [] { return gnome_shell_bus::connect(); },
                           [this](gnome_shell_bus& shell, window_handle w, bool on, std::uint64_t request) {
                               return apply_topmost(shell, w, on, request);
                           });
}

}  // namespace quenlow
