#pragma once
// The session bus as the GNOME backend uses it (sd-bus): GNOME Shell's own
// extension interface, and the calls of the program's Shell extension
// (see gnome-extension/ in the source tree). Every call of one user
// action shares one deadline of two seconds, and a shell that let a call
// run out is left alone for the next two seconds, so that a stalled shell
// makes one action wait once and never freezes the program. A call that
// fails, is refused or runs out gives nothing.

#include "gnome_windows.h"

#include <systemd/sd-bus.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace quenlow {

inline constexpr char gnome_extension_uuid[] = "quenlow@mobrell.example";

class gnome_shell_bus {
public:
    // The session bus when org.gnome.Shell is on it; nullptr otherwise.
    static std::unique_ptr<gnome_shell_bus> connect();
    ~gnome_shell_bus();
    gnome_shell_bus(const gnome_shell_bus&) = delete;
    gnome_shell_bus& operator=(const gnome_shell_bus&) = delete;

    // Starts a user action: the calls until the next one share its deadline.
    void begin_action();

    // What GNOME Shell knows of the extension.
    enum class extension_state { enabled, off, unknown, broken };
    extension_state extension();
    // Asks GNOME Shell to turn the extension on, and waits (within the
    // action) until it answers; whether it does.
    bool enable_extension();

    // The extension's calls (see its interface description).
    std::optional<std::string> list();
    std::optional<gnome_rect> work_area();
    bool restore(std::uint64_t id);
    bool place(std::uint64_t id, gnome_rect frame);
    bool set_own_above(std::uint64_t id, bool above);

private:
    gnome_shell_bus() = default;
    using clock = std::chrono::steady_clock;
    // A method call within the action's deadline; notes one that ran out.
    template <class... Args>
    int call(const char* service, const char* path, const char* interface, const char* member,
             sd_bus_message** reply, const char* types, Args... args);
    template <class... Args>
    bool call_for_flag(const char* member, const char* types, Args... args);
    bool extension_answers();

    sd_bus* bus_ = nullptr;
    clock::time_point deadline_{};
    clock::time_point stalled_until_{};
};

}  // namespace quenlow
