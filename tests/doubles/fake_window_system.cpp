#include "fake_window_system.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quenlow {

window_handle fake_window_system::open_window(std::string title, rect geometry,
                                              show_state state)
{
    const window_handle handle = next_handle_++;
    windows_[handle] = fake_window{handle, std::move(title), state, geometry, true, false};
    stack_.insert(stack_.begin(), handle);
    raise(handle);
    return handle;
}

void fake_window_system::close_window(window_handle window)
{
    windows_.erase(window);
    std::erase(stack_, window);
}

void fake_window_system::set_title(window_handle window, std::string title)
{
    if (fake_window* w = find(window)) w->title = std::move(title);
}

void fake_window_system::retitle_after_length_query(window_handle window, std::string title)
{
    pending_retitles_[window] = std::move(title);
}

void fake_window_system::close_when_offered(window_handle window)
{
    close_when_offered_.push_back(window);
}

std::optional<fake_window> fake_window_system::window(window_handle handle) const
{
    const auto it = windows_.find(handle);
    if (it == windows_.end()) return std::nullopt;
    return it->second;
}

rect fake_window_system::geometry(window_handle handle) const
{
    const auto w = window(handle);
    if (!w) return {};
    return w->state == show_state::maximised ? screen : w->normal_geometry;
}

std::vector<window_handle> fake_window_system::stacking_order() const { return stack_; }

fake_window* fake_window_system::find(window_handle handle)
{
    const auto it = windows_.find(handle);
    return it == windows_.end() ? nullptr : &it->second;
}

// Moves the window to the top of its band: always-on-top windows above all
// others, the rest below them.
void fake_window_system::raise(window_handle handle)
{
    const fake_window* w = find(handle);
    if (!w) return;
    std::erase(stack_, handle);
    auto first_of_band = stack_.begin();
    if (!w->topmost) {
        first_of_band = std::find_if(stack_.begin(), stack_.end(), [&](window_handle other) {
            return !windows_.at(other).topmost;
        });
    }
    stack_.insert(first_of_band, handle);
}

void fake_window_system::enum_windows(const window_visitor& visit)
{
    // Like a real desktop, the walk works on a snapshot taken when it starts.
    const std::vector<window_handle> snapshot = stack_;
    for (window_handle handle : snapshot) {
        if (std::erase(close_when_offered_, handle) > 0) close_window(handle);
        if (!visit(handle)) break;
    }
}

std::size_t fake_window_system::window_text_length(window_handle window)
{
    const fake_window* w = find(window);
    const std::size_t length = w ? w->title.size() : 0;
    if (const auto it = pending_retitles_.find(window); it != pending_retitles_.end()) {
        set_title(window, it->second);
        pending_retitles_.erase(it);
    }
    return length;
}

std::size_t fake_window_system::window_text(window_handle window, char* buffer,
                                            std::size_t capacity)
{
    const fake_window* w = find(window);
    return copy_window_text(w ? std::string_view(w->title) : std::string_view(), buffer, capacity);
}

window_handle fake_window_system::find_window(std::string_view title)
{
    calls_.push_back("find " + std::string(title));
    for (window_handle handle : stack_) {
        if (windows_.at(handle).title == title) return handle;
    }
    return no_window;
}

void fake_window_system::restore_window(window_handle window)
{
    calls_.push_back("restore " + std::to_string(window));
    if (fake_window* w = find(window)) {
        w->state = show_state::normal;
        w->visible = true;
    }
}

placement_result fake_window_system::place_window(window_handle window, int width, int height)
{
    return place_window_exactly(window, static_cast<int>(std::lround(width * scale)),
                                static_cast<int>(std::lround(height * scale)));
}

placement_result fake_window_system::place_window_exactly(window_handle window, int width, int height)
{
    calls_.push_back("place " + std::to_string(window) + " " + std::to_string(width) + "x" +
                     std::to_string(height));
    fake_window* w = find(window);
    if (!w) return {placement_result::outcome::gone};
    if (placement_answer) return *placement_answer;
    // A maximised or minimised window keeps its state: only restore_window
    // leaves it, so a missing restore shows in the tests.
    w->normal_geometry = {0, 0, std::max(width, w->smallest_width), std::max(height, w->smallest_height)};
    w->visible = true;
    raise(window);
    if (w->normal_geometry.width != width || w->normal_geometry.height != height) {
        return {placement_result::outcome::other_size, w->normal_geometry.width, w->normal_geometry.height};
    }
    return {placement_result::outcome::placed};
}

window_geometry fake_window_system::current_geometry(window_handle window)
{
    if (!shows_geometry) return {};
    const rect now = geometry(window);
    const window_rect seen{now.x, now.y, now.width, now.height};
    return {seen, seen};
}

void fake_window_system::set_smallest(window_handle window, int width, int height)
{
    if (fake_window* w = find(window)) {
        w->smallest_width = width;
        w->smallest_height = height;
    }
}

void fake_window_system::set_topmost(window_handle window, bool topmost)
{
    calls_.push_back("topmost " + std::to_string(window) + (topmost ? " on" : " off"));
    if (fake_window* w = find(window)) {
        w->topmost = topmost;
        raise(window);
    }
}

void fake_window_system::hide_from_taskbar(window_handle window)
{
    calls_.push_back("no-taskbar " + std::to_string(window));
}

}  // namespace quenlow

