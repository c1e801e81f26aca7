#include "kwin_window_system.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <utility>

namespace quenlow {

std::unique_ptr<kwin_window_system> kwin_window_system::connect()
{
    auto runner = kwin_script_runner::connect();
    if (!runner) return nullptr;
    return std::unique_ptr<kwin_window_system>(new kwin_window_system(std::move(runner)));
}

kwin_window_system::kwin_window_system(std::unique_ptr<kwin_script_runner> runner) : runner_(std::move(runner)) {}

void kwin_window_system::refresh()
{
    first_handle_ += windows_.size();  // the last walk's handles name nothing from now on
    const auto report = runner_->run([](const kwin_report_address& to) { return kwin_list_script(to); });
    windows_ = report ? parse_kwin_window_list(*report) : std::vector<kwin_window>{};
}

const kwin_window* kwin_window_system::window_of(window_handle handle) const
{
    if (handle < first_handle_ || handle - first_handle_ >= windows_.size()) return nullptr;
    return &windows_[handle - first_handle_];
}

void kwin_window_system::enum_windows(const window_visitor& visit)
{
    refresh();
    const window_handle first = first_handle_;
    const std::size_t count = windows_.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (!visit(first + i)) break;
    }
}

std::uint32_t kwin_window_system::process_id(window_handle window)
{
    const kwin_window* w = window_of(window);
    return w && w->pid > 0 && w->pid <= 0xFFFFFFFF ? static_cast<std::uint32_t>(w->pid) : 0;
}

std::size_t kwin_window_system::window_text_length(window_handle window)
{
    const kwin_window* w = window_of(window);
    return w ? w->caption.size() : 0;
}

std::size_t kwin_window_system::window_text(window_handle window, char* buffer, std::size_t capacity)
{
    const kwin_window* w = window_of(window);
    return copy_window_text(w ? std::string_view(w->caption) : std::string_view{}, buffer, capacity);
}

window_handle kwin_window_system::find_window(std::string_view title)
{
    refresh();
    const auto found =
        std::find_if(windows_.begin(), windows_.end(), [&](const kwin_window& w) { return w.caption == title; });
    return found == windows_.end() ? no_window : first_handle_ + (found - windows_.begin());
}

window_handle kwin_window_system::active_window()
{
    const auto id = runner_->run([](const kwin_report_address& to) { return kwin_active_window_script(to); });
    if (!id || id->empty()) return no_window;
    refresh();
    const auto found =
        std::find_if(windows_.begin(), windows_.end(), [&](const kwin_window& w) { return w.id == *id; });
    return found == windows_.end() ? no_window : first_handle_ + (found - windows_.begin());
}

void kwin_window_system::restore_window(window_handle window)
{
    if (const kwin_window* w = window_of(window)) {
        const auto report =
            runner_->run([&](const kwin_report_address& to) { return kwin_restore_script(to, w->id); });
        restored_ = report == "restored" ? window : no_window;
    }
}

placement_result kwin_window_system::place_window(window_handle window, int width, int height)
{
    using outcome = placement_result::outcome;
    // A window just brought back from minimised (or one never shown yet)
    // is placed by KWin again as it appears, which a busy client can delay:
    // hold the place for a moment, three times, so a placement KWin makes
    // in between is undone. A window found elsewhere after a pass gets
    // another, up to four in all.
    constexpr int settle_ms = 150;
    constexpr int most_passes = 4;
    const bool restored = std::exchange(restored_, no_window) == window;
    const kwin_window* w = window_of(window);
    if (!w) return {outcome::gone};
    placement_result result{outcome::no_answer};
    for (int pass = 0; pass < most_passes; ++pass) {
        const auto report = runner_->run([&](const kwin_report_address& to) {
            return kwin_place_script(to, w->id, width, height, restored ? settle_ms : 0);
        });
        if (!report) break;
        result = placement_from_report(*report);
        if (result.what != outcome::other_size && !(restored && pass < 2)) break;
    }
    return result;
}

void kwin_window_system::begin_action() { runner_->begin_action(); }

void kwin_window_system::end_action() { runner_->end_action(); }

bool kwin_window_system::apply_topmost(kwin_script_runner& runner, window_handle window, bool topmost,
                                       std::uint64_t request)
{
    const auto report =
        runner.run([](const kwin_report_address& to) { return kwin_own_windows_script(to, ::getpid()); });
    if (!report) return false;
    const auto answer = own_.resolve(window, request, parse_kwin_id_list(*report));
    if (answer.superseded) return true;
    if (answer.id.empty()) return false;
    return runner.run([&](const kwin_report_address& to) { return kwin_keep_above_script(to, answer.id, topmost); })
        .has_value();
}

void kwin_window_system::set_topmost(window_handle window, bool topmost)
{
    set_own_window_topmost(own_, retries_, *runner_, window, topmost, [] { return kwin_script_runner::connect(); },
                           [this](kwin_script_runner& runner, window_handle w, bool on, std::uint64_t request) {
                               return apply_topmost(runner, w, on, request);
                           });
}

}  // namespace quenlow
