#pragma once
// The session bus as the GNOME backend uses it (sd-bus): GNOME Shell's own
// extension interface, mutter's display configuration, and the calls of the
// program's Shell extension (see gnome-extension/ in the source tree),
// which it exports on GNOME Shell's own connection: they go to
// org.gnome.Shell, so no other program can take them by owning a name.
//
// Time: see action_deadline; a user action (begin_action to end_action)
// has two seconds. A call that fails, is refused or runs out gives nothing.

#include "action_deadline.h"
#include "gnome_windows.h"

#include <systemd/sd-bus.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace quenlow {

inline constexpr char gnome_extension_uuid[] = "quenlow@mobrell.example";

// What GNOME Shell says of the program's extension.
struct gnome_extension_info {
    bool known = false;        // false: GNOME Shell has never seen it
    int state = 0;             // GNOME Shell's ExtensionState
    std::string error;         // why it failed to load
    std::string path;          // the folder it was read from
    bool per_user = false;     // read from the user's own folder
};

// GNOME Shell's ExtensionState values (the names changed over the years,
// the numbers did not).
namespace gnome_extension_state {
inline constexpr int enabled = 1, disabled = 2, error = 3, out_of_date = 4, downloading = 5, initialized = 6,
                     disabling = 7, enabling = 8;
}

class gnome_shell_bus {
public:
    // The session bus when org.gnome.Shell is on it; nullptr otherwise.
    static std::unique_ptr<gnome_shell_bus> connect();
    ~gnome_shell_bus();
    gnome_shell_bus(const gnome_shell_bus&) = delete;
    gnome_shell_bus& operator=(const gnome_shell_bus&) = delete;

    // A user action: the calls until end_action share one deadline.
    void begin_action();
    void end_action();
    // Called before the calls of one backend operation: outside a user
    // action they get a deadline of their own.
    void bound_calls();
    // Whether the calls have time left.
    bool time_left() const { return time_.left().count() > 0; }

    // GNOME Shell's version ("50.5"); "" when it does not say.
    std::string shell_version();
    // Whether the user lets extensions run at all; nothing when unknown.
    std::optional<bool> user_extensions_enabled();
    // What GNOME Shell says of the extension; nothing when it does not answer.
    std::optional<gnome_extension_info> extension();
    // Asks GNOME Shell to turn the extension on, and waits (within the
    // calls' deadline) until it answers; whether it does.
    bool enable_extension();

    // How many layout pixels one page pixel takes on the primary monitor:
    // its scale where mutter lays monitors out in physical pixels (its
    // default), 1 where it lays them out in logical ones (fractional
    // scaling on). 1 when mutter does not say.
    double primary_layout_scale();

    // The extension's calls (see its interface description).
    std::optional<std::string> list();
    std::optional<gnome_rect> work_area();
    bool restore(std::uint64_t id);
    // Whether the extension found the window; nothing when it did not answer.
    std::optional<bool> place(std::uint64_t id, gnome_rect frame);
    bool set_own_above(std::uint64_t id, bool above);

private:
    gnome_shell_bus() = default;
    // A method call within the deadline; notes one that ran out.
    template <class... Args>
    int call(const char* service, const char* path, const char* interface, const char* member,
             sd_bus_message** reply, const char* types, Args... args);
    template <class... Args>
    int call_extension(const char* member, sd_bus_message** reply, const char* types, Args... args);
    template <class... Args>
    std::optional<bool> call_for_flag(const char* member, const char* types, Args... args);
    bool extension_answers();

    sd_bus* bus_ = nullptr;
    action_deadline time_;
};

}  // namespace quenlow
