#pragma once
// Tries something again on a helper thread until it is done: how a
// backend keeps a window above once the window manager shows it, when it
// was asked for before the window existed. Each attempt runs every 30 ms
// for at most five seconds; the object's end stops and joins every helper.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace quenlow {

class background_retries {
public:
    background_retries() = default;
    ~background_retries();
    background_retries(const background_retries&) = delete;
    background_retries& operator=(const background_retries&) = delete;

    // Calls `attempt` on a helper thread until it returns true, the time is
    // up or the object ends. Without a thread to be had, it is not tried.
    void start(std::function<bool()> attempt);

private:
    struct helper {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<helper> helpers_;
    std::mutex stop_lock_;
    std::condition_variable stop_;
    bool stopping_ = false;
};

}  // namespace quenlow
