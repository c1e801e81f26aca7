#include "gnome_shell_bus.h"

#include "sd_bus_owners.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

namespace quenlow {

namespace {

constexpr char shell_service[] = "org.gnome.Shell";
constexpr char extension_service[] = "org.mobrell.Quenlow.Shell";
constexpr char extension_path[] = "/org/mobrell/Quenlow/Shell";
constexpr char extension_interface[] = "org.mobrell.Quenlow.Shell";
constexpr std::chrono::milliseconds action_bound{2000};
constexpr std::chrono::milliseconds stalled_pause{2000};
constexpr std::chrono::milliseconds stalled_evidence{500};
// GNOME Shell's ExtensionState values.
constexpr double state_enabled = 1, state_disabled = 2, state_initialized = 6;

// The "state" entry of an a{sv} extension description; nothing for an
// empty one, which is what GNOME Shell gives for an extension it does not
// know.
std::optional<double> state_of(sd_bus_message* info)
{
    std::optional<double> state;
    if (sd_bus_message_enter_container(info, 'a', "{sv}") < 0) return state;
    while (sd_bus_message_enter_container(info, 'e', "sv") > 0) {
        const char* key = nullptr;
        if (sd_bus_message_read(info, "s", &key) < 0) return state;
        double value = 0;
        // A "state" of another type reads as nothing and is skipped.
        if (key && std::strcmp(key, "state") == 0 && sd_bus_message_read(info, "v", "d", &value) > 0) {
            state = value;
        } else if (sd_bus_message_skip(info, "v") < 0) {
            return state;
        }
        if (sd_bus_message_exit_container(info) < 0) return state;
    }
    return state;
}

}  // namespace

std::unique_ptr<gnome_shell_bus> gnome_shell_bus::connect()
{
    std::unique_ptr<gnome_shell_bus> shell(new gnome_shell_bus);
    if (sd_bus_open_user(&shell->bus_) < 0) return nullptr;
    shell->begin_action();
    message_ref reply;
    int owned = 0;
    if (shell->call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
                    &reply.message, "s", shell_service) < 0 ||
        sd_bus_message_read(reply.message, "b", &owned) < 0 || !owned) {
        return nullptr;
    }
    return shell;
}

gnome_shell_bus::~gnome_shell_bus() { sd_bus_flush_close_unref(bus_); }

void gnome_shell_bus::begin_action() { deadline_ = clock::now() + action_bound; }

template <class... Args>
int gnome_shell_bus::call(const char* service, const char* path, const char* interface, const char* member,
                          sd_bus_message** reply, const char* types, Args... args)
{
    const auto now = clock::now();
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline_ - now);
    if (now < stalled_until_ || left.count() <= 0) return -ETIMEDOUT;
    sd_bus_set_method_call_timeout(bus_, static_cast<std::uint64_t>(left.count()));
    bus_error error;
    const int result = sd_bus_call_method(bus_, service, path, interface, member, &error.error, reply, types, args...);
    // Only a call that had time to spare and still got no answer says the
    // shell is stalled; one cut short by the action's end says nothing.
    if (result == -ETIMEDOUT && left >= stalled_evidence) stalled_until_ = clock::now() + stalled_pause;
    return result;
}

template <class... Args>
bool gnome_shell_bus::call_for_flag(const char* member, const char* types, Args... args)
{
    message_ref reply;
    int flag = 0;
    return call(extension_service, extension_path, extension_interface, member, &reply.message, types, args...) >= 0 &&
           sd_bus_message_read(reply.message, "b", &flag) >= 0 && flag;
}

gnome_shell_bus::extension_state gnome_shell_bus::extension()
{
    message_ref reply;
    if (call(shell_service, "/org/gnome/Shell", "org.gnome.Shell.Extensions", "GetExtensionInfo", &reply.message, "s",
             gnome_extension_uuid) < 0) {
        return extension_state::broken;
    }
    const auto state = state_of(reply.message);
    if (!state) return extension_state::unknown;
    if (*state == state_enabled) return extension_state::enabled;
    if (*state == state_disabled || *state == state_initialized) return extension_state::off;
    return extension_state::broken;  // an error, or made for another version of the shell
}

bool gnome_shell_bus::extension_answers()
{
    message_ref reply;
    int owned = 0;
    return call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
                &reply.message, "s", extension_service) >= 0 &&
           sd_bus_message_read(reply.message, "b", &owned) >= 0 && owned;
}

bool gnome_shell_bus::enable_extension()
{
    message_ref reply;
    if (call(shell_service, "/org/gnome/Shell", "org.gnome.Shell.Extensions", "EnableExtension", &reply.message, "s",
             gnome_extension_uuid) < 0) {
        return false;
    }
    // GNOME Shell turns it on when it sees its settings change, a moment
    // after it has answered.
    while (clock::now() < deadline_) {
        if (extension_answers()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::optional<std::string> gnome_shell_bus::list()
{
    message_ref reply;
    const char* json = nullptr;
    if (call(extension_service, extension_path, extension_interface, "List", &reply.message, "") < 0 ||
        sd_bus_message_read(reply.message, "s", &json) < 0 || !json) {
        return std::nullopt;
    }
    return std::string(json);
}

std::optional<gnome_rect> gnome_shell_bus::work_area()
{
    message_ref reply;
    gnome_rect area;
    if (call(extension_service, extension_path, extension_interface, "WorkArea", &reply.message, "") < 0 ||
        sd_bus_message_read(reply.message, "iiii", &area.x, &area.y, &area.width, &area.height) < 0) {
        return std::nullopt;
    }
    return area;
}

bool gnome_shell_bus::restore(std::uint64_t id) { return call_for_flag("Restore", "t", id); }

bool gnome_shell_bus::place(std::uint64_t id, gnome_rect frame)
{
    return call_for_flag("Place", "tiiii", id, frame.x, frame.y, frame.width, frame.height);
}

bool gnome_shell_bus::set_own_above(std::uint64_t id, bool above)
{
    return call_for_flag("SetOwnAbove", "tb", id, static_cast<int>(above));
}

}  // namespace quenlow
