#include "gnome_shell_bus.h"

#include "sd_bus_owners.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

namespace quenlow {

namespace {

constexpr char shell_service[] = "org.gnome.Shell";
constexpr char extension_path[] = "/org/mobrell/Quenlow/Shell";
constexpr char extension_interface[] = "org.mobrell.Quenlow.Shell";
constexpr char properties_interface[] = "org.freedesktop.DBus.Properties";
// mutter's layout modes (org.gnome.Mutter.DisplayConfig "layout-mode").
constexpr std::uint32_t physical_layout = 2;

// Reads the entries of an a{sv} the message is at, handing each key to
// `read_value`, which reads the variant and says whether it did; the
// variants it leaves are skipped.
template <class ReadValue>
void read_dictionary(sd_bus_message* message, ReadValue read_value)
{
    if (sd_bus_message_enter_container(message, 'a', "{sv}") <= 0) return;
    while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
        const char* key = nullptr;
        if (sd_bus_message_read(message, "s", &key) < 0 || !key) return;
        if (!read_value(std::string_view(key)) && sd_bus_message_skip(message, "v") < 0) return;
        if (sd_bus_message_exit_container(message) < 0) return;
    }
    sd_bus_message_exit_container(message);
}

// A variant of the given basic type, read into `value`; false (and the
// variant left unread) when it holds another type.
template <class T>
bool read_variant(sd_bus_message* message, const char* type, T* value)
{
    const char* contents = nullptr;
    if (sd_bus_message_peek_type(message, nullptr, &contents) < 0 || !contents || std::strcmp(contents, type) != 0) {
        return false;
    }
    return sd_bus_message_read(message, "v", type, value) > 0;
}

}  // namespace

std::unique_ptr<gnome_shell_bus> gnome_shell_bus::connect()
{
    std::unique_ptr<gnome_shell_bus> shell(new gnome_shell_bus);
    if (sd_bus_open_user(&shell->bus_) < 0) return nullptr;
    shell->bound_calls();
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

void gnome_shell_bus::begin_action() { time_.begin_action(); }

void gnome_shell_bus::end_action() { time_.end_action(); }

void gnome_shell_bus::bound_calls() { time_.bound_calls(); }

template <class... Args>
int gnome_shell_bus::call(const char* service, const char* path, const char* interface, const char* member,
                          sd_bus_message** reply, const char* types, Args... args)
{
    const auto left = time_.left();
    if (left.count() <= 0) return -ETIMEDOUT;
    sd_bus_set_method_call_timeout(bus_, static_cast<std::uint64_t>(left.count()));
    bus_error error;
    const int result = sd_bus_call_method(bus_, service, path, interface, member, &error.error, reply, types, args...);
    if (result == -ETIMEDOUT) time_.ran_out(left);
    return result;
}

template <class... Args>
int gnome_shell_bus::call_extension(const char* member, sd_bus_message** reply, const char* types, Args... args)
{
    return call(shell_service, extension_path, extension_interface, member, reply, types, args...);
}

template <class... Args>
std::optional<bool> gnome_shell_bus::call_for_flag(const char* member, const char* types, Args... args)
{
    message_ref reply;
    int flag = 0;
    if (call_extension(member, &reply.message, types, args...) < 0 ||
        sd_bus_message_read(reply.message, "b", &flag) < 0) {
        return std::nullopt;
    }
    return flag != 0;
}

std::string gnome_shell_bus::shell_version()
{
    message_ref reply;
    const char* version = nullptr;
    if (call(shell_service, "/org/gnome/Shell", properties_interface, "Get", &reply.message, "ss", "org.gnome.Shell",
             "ShellVersion") < 0 ||
        !read_variant(reply.message, "s", &version) || !version) {
        return {};
    }
    return version;
}

std::optional<bool> gnome_shell_bus::user_extensions_enabled()
{
    message_ref reply;
    int enabled = 0;
    if (call(shell_service, "/org/gnome/Shell", properties_interface, "Get", &reply.message, "ss",
             "org.gnome.Shell.Extensions", "UserExtensionsEnabled") < 0 ||
        !read_variant(reply.message, "b", &enabled)) {
        return std::nullopt;
    }
    return enabled != 0;
}

std::optional<gnome_extension_info> gnome_shell_bus::extension()
{
    message_ref reply;
    if (call(shell_service, "/org/gnome/Shell", "org.gnome.Shell.Extensions", "GetExtensionInfo", &reply.message, "s",
             gnome_extension_uuid) < 0) {
        return std::nullopt;
    }
    // GNOME Shell describes an extension it has never seen as an empty
    // dictionary.
    gnome_extension_info info;
    read_dictionary(reply.message, [&](std::string_view key) {
        double number = 0;
        const char* text = nullptr;
        if (key == "state" && read_variant(reply.message, "d", &number)) {
            info.known = true;
            info.state = static_cast<int>(number);
        } else if (key == "type" && read_variant(reply.message, "d", &number)) {
            info.per_user = number == 2;
        } else if ((key == "error" || key == "path") && read_variant(reply.message, "s", &text) && text) {
            (key == "error" ? info.error : info.path) = text;
        } else {
            return false;
        }
        return true;
    });
    return info;
}

bool gnome_shell_bus::extension_answers()
{
    message_ref reply;
    return call_extension("WorkArea", &reply.message, "") >= 0;
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
    while (time_.left().count() > 0) {
        if (extension_answers()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

double gnome_shell_bus::primary_layout_scale()
{
    message_ref reply;
    if (call("org.gnome.Mutter.DisplayConfig", "/org/gnome/Mutter/DisplayConfig", "org.gnome.Mutter.DisplayConfig",
             "GetCurrentState", &reply.message, "") < 0) {
        return 1;
    }
    sd_bus_message* m = reply.message;
    std::uint32_t serial = 0;
    if (sd_bus_message_read(m, "u", &serial) < 0 || sd_bus_message_skip(m, "a((ssss)a(siiddada{sv})a{sv})") < 0 ||
        sd_bus_message_enter_container(m, 'a', "(iiduba(ssss)a{sv})") <= 0) {
        return 1;
    }
    double primary_scale = 1;
    while (sd_bus_message_enter_container(m, 'r', "iiduba(ssss)a{sv}") > 0) {
        int x = 0, y = 0, primary = 0;
        double scale = 1;
        std::uint32_t transform = 0;
        if (sd_bus_message_read(m, "iidub", &x, &y, &scale, &transform, &primary) < 0 ||
            sd_bus_message_skip(m, "a(ssss)a{sv}") < 0 || sd_bus_message_exit_container(m) < 0) {
            return 1;
        }
        if (primary) primary_scale = scale;
    }
    if (sd_bus_message_exit_container(m) < 0) return 1;
    std::uint32_t layout_mode = 0;
    read_dictionary(m, [&](std::string_view key) {
        return key == "layout-mode" && read_variant(m, "u", &layout_mode);
    });
    // Scales mutter would never offer are not believed.
    if (layout_mode != physical_layout || !(primary_scale >= 1 && primary_scale <= 4)) return 1;
    return primary_scale;
}

std::optional<std::string> gnome_shell_bus::list()
{
    message_ref reply;
    const char* json = nullptr;
    if (call_extension("List", &reply.message, "") < 0 || sd_bus_message_read(reply.message, "s", &json) < 0 || !json) {
        return std::nullopt;
    }
    return std::string(json);
}

std::optional<gnome_rect> gnome_shell_bus::work_area()
{
    message_ref reply;
    gnome_rect area;
    if (call_extension("WorkArea", &reply.message, "") < 0 ||
        sd_bus_message_read(reply.message, "iiii", &area.x, &area.y, &area.width, &area.height) < 0) {
        return std::nullopt;
    }
    return area;
}

bool gnome_shell_bus::restore(std::uint64_t id) { return call_for_flag("Restore", "t", id).value_or(false); }

std::optional<bool> gnome_shell_bus::place(std::uint64_t id, gnome_rect frame)
{
    return call_for_flag("Place", "tiiii", id, frame.x, frame.y, frame.width, frame.height);
}

bool gnome_shell_bus::set_own_above(std::uint64_t id, bool above)
{
    return call_for_flag("SetOwnAbove", "tb", id, static_cast<int>(above)).value_or(false);
}

}  // namespace quenlow
