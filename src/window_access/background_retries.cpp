#include "background_retries.h"

#include <chrono>
#include <system_error>

namespace quenlow {

void background_retries::start(std::function<bool()> attempt)
{
    std::erase_if(helpers_, [](helper& h) {
        if (!*h.done) return false;
        h.thread.join();
        return true;
    });
    auto done = std::make_shared<std::atomic<bool>>(false);
    try {
        helpers_.push_back({std::thread([this, attempt = std::move(attempt), done]() mutable {
                                // A window is shown a few milliseconds after it is asked
                                // for; a program that is slow to start gets seconds.
                                constexpr auto patience = std::chrono::seconds(5);
                                constexpr auto interval = std::chrono::milliseconds(30);
                                const auto deadline = std::chrono::steady_clock::now() + patience;
                                std::unique_lock lock(stop_lock_);
                                while (!stopping_ && std::chrono::steady_clock::now() < deadline) {
                                    lock.unlock();
                                    if (attempt()) break;
                                    lock.lock();
                                    stop_.wait_for(lock, interval, [this] { return stopping_; });
                                }
                                *done = true;
                            }),
                            done});
    } catch (const std::system_error&) {
        // No thread: the window is shown as an ordinary one.
    }
}

background_retries::~background_retries()
{
    {
        const std::lock_guard lock(stop_lock_);
        stopping_ = true;
    }
    stop_.notify_all();
    for (helper& h : helpers_) h.thread.join();
}

}  // namespace quenlow
