#pragma once
// Runs scripts inside KWin, the Plasma compositor, over the session bus
// (sd-bus): each one is written to a file, loaded through
// org.kde.kwin.Scripting, started, and unloaded once it has reported back
// to this program's own bus name, or once the bound is up. A script error,
// KWin going away or a report that never comes give nothing, in bounded
// time: every bus call has a timeout too.

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

private:
    kwin_script_runner() = default;
    static int on_report(sd_bus_message* message, void* self, sd_bus_error* error);
    // Loads the script file under `name` and starts it; whether both went.
    bool load_and_start(const std::string& path, const std::string& name);
    // Writes, loads and starts the script, waits for its report and unloads it.
    std::optional<std::string> run_once(const std::function<std::string(const kwin_report_address&)>& make_script);
    void unload(const std::string& name);

    sd_bus* bus_ = nullptr;
    sd_bus_slot* report_slot_ = nullptr;
    std::string unique_name_;
    std::string awaited_token_;
    std::optional<std::string> report_;
};

}  // namespace quenlow
