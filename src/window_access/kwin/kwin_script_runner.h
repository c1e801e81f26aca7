#pragma once
// Runs scripts inside KWin, the Plasma compositor, over the session bus
// (sd-bus): each one is written to a file, loaded through
// org.kde.kwin.Scripting, started, and unloaded once it has reported back
// to this program's own bus name, or once the bound is up. A script error,
// KWin going away or a report that never comes give nothing, in bounded
// time: a run, with its retries and every bus call in it, ends within a
// second and a half, and the runs of one user action within its deadline
// (see action_deadline). A run that ends with no answer after a call went
// unanswered takes KWin to be stalled, and the runs of the next two seconds
// give up at once, so that one user action (lookup, restore, place) waits
// once, not once a step. Every script loaded is unloaded, also when its load was answered
// late or not at all.

#include "action_deadline.h"
#include "kwin_scripts.h"

#include <systemd/sd-bus.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quenlow {

class kwin_script_runner {
public:
    // The session bus when org.kde.KWin is on it; nullptr otherwise.
    static std::unique_ptr<kwin_script_runner> connect();
    ~kwin_script_runner();
    kwin_script_runner(const kwin_script_runner&) = delete;
    kwin_script_runner& operator=(const kwin_script_runner&) = delete;

    // Runs the script `make_script` writes for the address it is given and
    // returns its report; nothing when the script could not run or did not
    // report within the bound.
    std::optional<std::string> run(const std::function<std::string(const kwin_report_address&)>& make_script);

    // A user action: the runs until end_action share one deadline.
    void begin_action() { time_.begin_action(); }
    void end_action() { time_.end_action(); }

private:
    kwin_script_runner() = default;
    static int on_report(sd_bus_message* message, void* self, sd_bus_error* error);
    using clock = std::chrono::steady_clock;
    // A method call to KWin that gives up at `deadline` (and after a second
    // at most); notes a KWin that did not answer in time.
    template <class... Args>
    int call_kwin(clock::time_point deadline, const char* path, const char* interface, const char* member,
                  sd_bus_message** reply, const char* types, Args... args);
    // Loads the script file under `name` and starts it; whether both went.
    bool load_and_start(const std::string& path, const std::string& name, clock::time_point deadline);
    // Writes, loads and starts the script, waits for its report and unloads it.
    std::optional<std::string> run_once(const std::function<std::string(const kwin_report_address&)>& make_script,
                                        clock::time_point deadline);
    // Asks KWin to unload the script without waiting for its answer: KWin
    // handles it after any load of the same name still on its way.
    void unload(const std::string& name);
    // Unloads the script and waits for KWin's answer until `deadline`.
    void unload_and_wait(const std::string& name, clock::time_point deadline);

    sd_bus* bus_ = nullptr;
    sd_bus_slot* report_slot_ = nullptr;
    std::string unique_name_;
    std::string awaited_token_;
    std::optional<std::string> report_;
    bool call_timed_out_ = false;  // in the run under way
    action_deadline time_;
};

}  // namespace quenlow
