#include "kwin_script_runner.h"

#include "sd_bus_owners.h"

#include <systemd/sd-bus.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <utility>

namespace quenlow {

namespace {

constexpr char kwin_service[] = "org.kde.KWin";
// A round trip takes a few milliseconds; a KWin that is busy gets far more.
constexpr std::chrono::milliseconds report_bound{600};
// KWin 5.27 numbers a script by the count of scripts loaded, so a new one
// can get the number of one just unloaded whose bus object is not gone yet;
// it then never runs. Loading it again, once that object is gone, does.
constexpr int attempts = 3;
constexpr std::chrono::microseconds call_bound{1'000'000};
// One run, its attempts and calls together, within the user action's time.
constexpr std::chrono::microseconds run_bound{1'500'000};

// A script file that is removed when it goes out of scope.
class script_file {
public:
    explicit script_file(const std::string& text)
    {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        std::string pattern = std::string(runtime && *runtime ? runtime : "/tmp") + "/quenlow-kwin-XXXXXX.js";
        const int fd = mkstemps(pattern.data(), 3);
        if (fd < 0) return;
        ::close(fd);
        std::ofstream(pattern, std::ios::binary | std::ios::trunc) << text;
        path_ = pattern;
    }
    ~script_file()
    {
        if (!path_.empty()) std::remove(path_.c_str());
    }
    script_file(const script_file&) = delete;
    script_file& operator=(const script_file&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace

std::unique_ptr<kwin_script_runner> kwin_script_runner::connect()
{
    std::unique_ptr<kwin_script_runner> runner(new kwin_script_runner);
    if (sd_bus_open_user(&runner->bus_) < 0) return nullptr;
    sd_bus_set_method_call_timeout(runner->bus_, call_bound.count());
    bus_error error;
    message_ref reply;
    int owned = 0;
    if (sd_bus_call_method(runner->bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                           "NameHasOwner", &error.error, &reply.message, "s", kwin_service) < 0 ||
        sd_bus_message_read(reply.message, "b", &owned) < 0 || !owned) {
        return nullptr;
    }
    const char* unique = nullptr;
    if (sd_bus_get_unique_name(runner->bus_, &unique) < 0 || !unique) return nullptr;
    runner->unique_name_ = unique;
    // One callback on the object reads the reports of every run.
    if (sd_bus_add_object(runner->bus_, &runner->report_slot_, kwin_report_path, &kwin_script_runner::on_report,
                          runner.get()) < 0) {
        return nullptr;
    }
    return runner;
}

kwin_script_runner::~kwin_script_runner()
{
    sd_bus_slot_unref(report_slot_);
    sd_bus_flush_close_unref(bus_);
}

int kwin_script_runner::on_report(sd_bus_message* message, void* self, sd_bus_error*)
{
    if (!sd_bus_message_is_method_call(message, kwin_report_interface, kwin_report_method)) return 0;
    const char* token = nullptr;
    const char* payload = nullptr;
    auto* runner = static_cast<kwin_script_runner*>(self);
    if (sd_bus_message_read(message, "ss", &token, &payload) >= 0 && token && payload &&
        runner->awaited_token_ == token) {
        runner->report_ = payload;
    }
    return sd_bus_reply_method_return(message, "");
}

template <class... Args>
int kwin_script_runner::call_kwin(clock::time_point deadline, const char* path, const char* interface,
                                  const char* member, sd_bus_message** reply, const char* types, Args... args)
{
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - clock::now());
    if (left.count() <= 0) return -ETIMEDOUT;
    sd_bus_set_method_call_timeout(bus_, static_cast<std::uint64_t>(std::min(left, call_bound).count()));
    bus_error error;
    const int result = sd_bus_call_method(bus_, kwin_service, path, interface, member, &error.error, reply, types,
                                          args...);
    if (result == -ETIMEDOUT) call_timed_out_ = true;
    return result;
}

bool kwin_script_runner::load_and_start(const std::string& path, const std::string& name, clock::time_point deadline)
{
    message_ref reply;
    std::int32_t id = -1;
    if (call_kwin(deadline, "/Scripting", "org.kde.kwin.Scripting", "loadScript", &reply.message, "ss", path.c_str(),
                  name.c_str()) < 0 ||
        sd_bus_message_read(reply.message, "i", &id) < 0 || id < 0) {
        // An answer that came too late, or never, may still have loaded it.
        unload(name);
        return false;
    }
    // Plasma 6 serves the script at /Scripting/Script<id>, 5.27 at /<id>.
    for (const std::string& object : {"/Scripting/Script" + std::to_string(id), "/" + std::to_string(id)}) {
        if (call_kwin(deadline, object.c_str(), "org.kde.kwin.Script", "run", nullptr, "") >= 0) return true;
    }
    unload(name);
    return false;
}

void kwin_script_runner::unload_and_wait(const std::string& name, clock::time_point deadline)
{
    if (call_kwin(deadline, "/Scripting", "org.kde.kwin.Scripting", "unloadScript", nullptr, "s", name.c_str()) < 0) {
        unload(name);  // unanswered: sent again, for KWin to handle when it can
    }
}

void kwin_script_runner::unload(const std::string& name)
{
    sd_bus_message* request = nullptr;
    if (sd_bus_message_new_method_call(bus_, &request, kwin_service, "/Scripting", "org.kde.kwin.Scripting",
                                       "unloadScript") >= 0 &&
        sd_bus_message_append(request, "s", name.c_str()) >= 0 && sd_bus_message_set_expect_reply(request, 0) >= 0) {
        sd_bus_send(bus_, request, nullptr);
        sd_bus_flush(bus_);
    }
    sd_bus_message_unref(request);
}

std::optional<std::string> kwin_script_runner::run(
    const std::function<std::string(const kwin_report_address&)>& make_script)
{
    time_.bound_calls();
    const auto given = time_.left(run_bound);
    if (given.count() <= 0) return std::nullopt;
    const auto deadline = clock::now() + given;
    call_timed_out_ = false;
    for (int attempt = 0; attempt < attempts && clock::now() < deadline; ++attempt) {
        if (auto report = run_once(make_script, deadline)) return report;
    }
    // A KWin that is only slow still answers within the run; one that left
    // the run without an answer is left alone for a while.
    if (call_timed_out_) time_.ran_out(given);
    return std::nullopt;
}

std::optional<std::string> kwin_script_runner::run_once(
    const std::function<std::string(const kwin_report_address&)>& make_script, clock::time_point run_deadline)
{
    // KWin knows loaded scripts by name, across every program on the bus:
    // the process id and a count shared by all runners make each one unique.
    // Each attempt has a token of its own, so a late report of an earlier
    // one is not taken for this one's.
    static std::atomic<unsigned long> scripts_started{0};
    const kwin_report_address address{unique_name_,
                                      std::to_string(::getpid()) + "-" + std::to_string(++scripts_started)};
    const script_file file(make_script(address));
    if (file.path().empty()) return std::nullopt;
    const std::string name = "quenlow-" + address.token;
    awaited_token_ = address.token;
    report_.reset();
    // KWin reads and starts the script asynchronously: only its report says
    // that it has run.
    if (!load_and_start(file.path(), name, run_deadline)) return std::nullopt;

    const auto deadline = std::min(clock::now() + report_bound, run_deadline);
    while (!report_) {
        // The deadline first: a client that keeps calling us must not hold
        // the wait open.
        const auto left =
            std::chrono::duration_cast<std::chrono::microseconds>(deadline - clock::now());
        if (left.count() <= 0) break;
        const int processed = sd_bus_process(bus_, nullptr);
        if (processed < 0) break;  // the bus is gone
        if (processed > 0) continue;
        sd_bus_wait(bus_, static_cast<std::uint64_t>(left.count()));
    }
    awaited_token_.clear();
    // Waited for, within the run: KWin 5.27 numbers a new script by the
    // count of loaded ones, and one loaded before this one's object is gone
    // would never run.
    unload_and_wait(name, run_deadline);
    return std::exchange(report_, std::nullopt);
}

}  // namespace quenlow
