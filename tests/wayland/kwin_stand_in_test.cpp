// The KWin backend against a stand-in for a KWin that owns its bus name but
// answers loadScript late or never, on a private session bus (the test runs
// under dbus-run-session): Update List
// and Change Size each give up within their deadline, and every script the
// backend asked to load is unloaded again.
#include "browser_list.h"
#include "eventually.h"
#include "kwin_window_system.h"
#include "resize_command.h"

#include <gtest/gtest.h>

#include <systemd/sd-bus.h>


#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace quenlow {
namespace {

using namespace std::chrono_literals;
using testing::eventually;
using clock_type = std::chrono::steady_clock;

// Owns org.kde.KWin and serves org.kde.kwin.Scripting on a thread of its
// own, answering loadScript after `answer_after` (never when zero), and
// noting every script loaded and unloaded.
class stalling_kwin {
public:
    explicit stalling_kwin(std::chrono::milliseconds answer_after) : answer_after_(answer_after)
    {
        if (sd_bus_open_user(&bus_) < 0 || sd_bus_request_name(bus_, "org.kde.KWin", 0) < 0 ||
            sd_bus_add_object(bus_, nullptr, "/Scripting", &stalling_kwin::on_call, this) < 0) {
            throw std::runtime_error("the stand-in could not take KWin's name");
        }
        thread_ = std::thread([this] { serve(); });
    }
    ~stalling_kwin()
    {
        stop_ = true;
        thread_.join();
        for (auto& [due, message] : pending_) sd_bus_message_unref(message);
        sd_bus_flush_close_unref(bus_);
    }
    // Scripts loaded and not unloaded since.
    std::set<std::string> still_loaded()
    {
        const std::lock_guard lock(lock_);
        std::set<std::string> left = loaded_;
        for (const std::string& name : unloaded_) left.erase(name);
        return left;
    }
    std::size_t loads()
    {
        const std::lock_guard lock(lock_);
        return loaded_.size();
    }

private:
    static int on_call(sd_bus_message* message, void* self_pointer, sd_bus_error*)
    {
        auto& self = *static_cast<stalling_kwin*>(self_pointer);
        const char* name = nullptr;
        if (sd_bus_message_is_method_call(message, "org.kde.kwin.Scripting", "loadScript")) {
            const char* path = nullptr;
            sd_bus_message_read(message, "ss", &path, &name);
            const std::lock_guard lock(self.lock_);
            self.loaded_.insert(name ? name : "");
            if (self.answer_after_.count() > 0) {
                self.pending_.emplace_back(clock_type::now() + self.answer_after_, sd_bus_message_ref(message));
            }
            return 1;  // answered later, or never
        }
        if (sd_bus_message_is_method_call(message, "org.kde.kwin.Scripting", "unloadScript")) {
            sd_bus_message_read(message, "s", &name);
            {
                const std::lock_guard lock(self.lock_);
                self.unloaded_.insert(name ? name : "");
            }
            return sd_bus_reply_method_return(message, "b", 1);
        }
        return 0;
    }
    void serve()
    {
        while (!stop_) {
            while (sd_bus_process(bus_, nullptr) > 0) {}
            sd_bus_wait(bus_, 10'000);
            const std::lock_guard lock(lock_);
            std::erase_if(pending_, [&](auto& entry) {
                if (clock_type::now() < entry.first) return false;
                sd_bus_reply_method_return(entry.second, "i", 7);
                sd_bus_message_unref(entry.second);
                return true;
            });
        }
    }

    std::chrono::milliseconds answer_after_;
    sd_bus* bus_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::set<std::string> loaded_, unloaded_;
    std::vector<std::pair<clock_type::time_point, sd_bus_message*>> pending_;
};

// How long `action` took.
template <class Action>
std::chrono::milliseconds timed(Action action)
{
    const auto start = clock_type::now();
    action();
    return std::chrono::duration_cast<std::chrono::milliseconds>(clock_type::now() - start);
}

TEST(StallingKWin, EachActionEndsWithinItsDeadlineAndLeavesNoScriptLoaded)
{
    for (const auto answer_after : {1500ms, 0ms}) {  // late, then never
        stalling_kwin kwin(answer_after);
        {
            const auto backend = kwin_window_system::connect();
            ASSERT_NE(backend, nullptr);
            EXPECT_LT(timed([&] { browser_titles(*backend); }), 2500ms) << answer_after.count();
            EXPECT_LT(timed([&] { resize_window_titled(*backend, "Page - Netscape", {800, 600}); }), 2500ms);
            EXPECT_LT(timed([&] { backend->set_topmost(0x4201, true); }), 2500ms);
        }  // ends the backend's helpers too
        EXPECT_GT(kwin.loads(), 0u);
        // Every load, answered late or not at all, is followed by its unload.
        EXPECT_TRUE(eventually([&] { return kwin.still_loaded().empty(); }, 5s))
            << kwin.still_loaded().size() << " scripts left loaded";
    }
}

}  // namespace
}  // namespace quenlow
