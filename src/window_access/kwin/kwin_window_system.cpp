#include "kwin_window_system.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <system_error>
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

void kwin_window_system::place_window(window_handle window, int width, int height)
{
    // A window just brought back from minimised (or one never shown yet)
    // is placed by KWin again as it appears: hold the place for a moment.
    constexpr int settle_ms = 150;
    const int settle = std::exchange(restored_, no_window) == window ? settle_ms : 0;
    if (const kwin_window* w = window_of(window)) {
        runner_->run(
            [&](const kwin_report_address& to) { return kwin_place_script(to, w->id, width, height, settle); });
    }
}

bool kwin_window_system::apply_topmost(kwin_script_runner& runner, window_handle window, bool topmost,
                                       std::uint64_t generation)
{
    const auto report =
        runner.run([](const kwin_report_address& to) { return kwin_own_windows_script(to, ::getpid()); });
    if (!report) return false;
    const std::vector<std::string> open = parse_kwin_id_list(*report);
    std::string id;
    {
        const std::lock_guard lock(own_windows_lock_);
        own_request& request = requests_[window];
        if (request.generation != generation) return true;  // a later request took over
        // A window of ours that closed frees its handle for a new one.
        std::erase_if(requests_, [&](const auto& entry) {
            const std::string& bound = entry.second.id;
            return !bound.empty() && std::find(open.begin(), open.end(), bound) == open.end() &&
                   entry.first != window;
        });
        if (!request.id.empty() && std::find(open.begin(), open.end(), request.id) == open.end()) {
            request = own_request{request.generation, {}, {}, false};
        }
        if (request.id.empty()) {
            if (!request.looked) {
                // Asked before it was shown: the windows open now are others.
                request.seen_before = open;
                request.looked = true;
            }
            std::vector<std::string> unnamed;
            for (const std::string& candidate : open) {
                const bool named = std::any_of(requests_.begin(), requests_.end(),
                                               [&](const auto& entry) { return entry.second.id == candidate; });
                const bool older = std::find(request.seen_before.begin(), request.seen_before.end(), candidate) !=
                                   request.seen_before.end();
                if (!named && !older) unnamed.push_back(candidate);
            }
            // Only a window that cannot be another's is taken for this one.
            if (unnamed.size() == 1) request.id = unnamed.front();
        }
        id = request.id;
    }
    if (id.empty()) return false;
    return runner.run([&](const kwin_report_address& to) { return kwin_keep_above_script(to, id, topmost); })
        .has_value();
}

void kwin_window_system::set_topmost(window_handle window, bool topmost)
{
    std::uint64_t generation = 0;
    {
        const std::lock_guard lock(own_windows_lock_);
        generation = ++requests_[window].generation;  // cancels a helper still waiting for this window
    }
    if (apply_topmost(*runner_, window, topmost, generation) || !topmost) return;
    std::erase_if(waiters_, [](waiter& w) {
        if (!*w.done) return false;
        w.thread.join();
        return true;
    });
    auto done = std::make_shared<std::atomic<bool>>(false);
    try {
        waiters_.push_back({std::thread([this, window, generation, done] {
                                keep_above_once_shown(window, generation);
                                *done = true;
                            }),
                            done});
    } catch (const std::system_error&) {
        // No thread to be had: the window is shown as an ordinary one.
    }
}

void kwin_window_system::keep_above_once_shown(window_handle window, std::uint64_t generation)
{
    // A window is shown a few milliseconds after it is asked for; a program
    // that is slow to start gets seconds.
    constexpr auto patience = std::chrono::seconds(5);
    constexpr auto interval = std::chrono::milliseconds(30);
    const auto runner = kwin_script_runner::connect();
    if (!runner) return;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    std::unique_lock lock(stop_lock_);
    while (!stopping_ && std::chrono::steady_clock::now() < deadline) {
        lock.unlock();
        if (apply_topmost(*runner, window, true, generation)) return;
        lock.lock();
        stop_.wait_for(lock, interval, [this] { return stopping_; });
    }
}

kwin_window_system::~kwin_window_system()
{
    {
        const std::lock_guard lock(stop_lock_);
        stopping_ = true;
    }
    stop_.notify_all();
    for (waiter& w : waiters_) w.thread.join();
}

}  // namespace quenlow
