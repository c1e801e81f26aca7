#include "accessibility_bus.h"

#include "sd_bus_owners.h"

#include <systemd/sd-bus.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace quenlow::atspi {

namespace {

constexpr char accessible_interface[] = "org.a11y.atspi.Accessible";
constexpr char component_interface[] = "org.a11y.atspi.Component";
constexpr std::uint32_t screen_coordinates = 0;

std::uint64_t microseconds_left(clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - clock::now()).count();
    return left > 0 ? static_cast<std::uint64_t>(left) : 0;
}

// Waits until `bus` has finished its authentication and hello, by
// `deadline` (sd-bus itself would wait 90 s and 25 s for them).
bool ready_by(sd_bus* bus, clock::time_point deadline)
{
    while (true) {
        const int ready = sd_bus_is_ready(bus);
        if (ready != 0) return ready > 0;
        const int processed = sd_bus_process(bus, nullptr);
        if (processed < 0) return false;
        if (processed > 0) continue;
        const std::uint64_t left = microseconds_left(deadline);
        if (left == 0 || sd_bus_wait(bus, left) < 0) return false;
    }
}

}  // namespace

bool plain_socket_address(const std::string& address)
{
    // A D-Bus address may list several, separated by ';': each must be a
    // local socket.
    if (address.empty()) return false;
    std::size_t start = 0;
    while (start <= address.size()) {
        const std::size_t end = std::min(address.find(';', start), address.size());
        if (end > start && address.compare(start, 5, "unix:") != 0) return false;
        start = end + 1;
    }
    return true;
}

std::unique_ptr<accessibility_bus> accessibility_bus::connect(clock::time_point deadline, std::string& why_not)
{
    std::unique_ptr<accessibility_bus> made(new accessibility_bus);
    made->deadline_ = deadline;
    if (sd_bus_open_user(&made->session_) < 0 || !ready_by(made->session_, deadline)) {
        why_not = "there is no session bus (D-Bus), which the accessibility bus the page area is read on needs";
        return nullptr;
    }
    message_ref reply;
    bus_error error;
    const char* address = nullptr;
    if (!made->bound(made->session_) ||
        sd_bus_call_method(made->session_, "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                           &error.error, &reply.message, nullptr) < 0 ||
        sd_bus_message_read(reply.message, "s", &address) <= 0 || !address || !*address) {
        why_not = made->timed_out_ ? "the session bus did not answer in time (asked for the accessibility bus)"
                                   : "the accessibility bus does not answer (org.a11y.Bus on the session bus): install "
                                     "at-spi2-core and log in again";
        return nullptr;
    }
    if (!plain_socket_address(address)) {
        why_not = "the accessibility bus's address is not a local socket, and is not used: " + std::string(address);
        return nullptr;
    }
    sd_bus* bus = nullptr;
    if (sd_bus_new(&bus) < 0) {
        why_not = "out of memory";
        return nullptr;
    }
    made->accessibility_ = bus;
    if (sd_bus_set_address(bus, address) < 0 || sd_bus_set_bus_client(bus, 1) < 0 ||
        sd_bus_set_method_call_timeout(bus, std::max<std::uint64_t>(microseconds_left(deadline), 1)) < 0 ||
        sd_bus_start(bus) < 0 || !ready_by(bus, deadline)) {
        why_not = "the accessibility bus at " + std::string(address) + " does not let this program in in time";
        return nullptr;
    }
    return made;
}

accessibility_bus::~accessibility_bus()
{
    sd_bus_flush_close_unref(accessibility_);
    sd_bus_flush_close_unref(session_);
}

template <class... Args>
bool accessibility_bus::call(message_ref& reply, const object_ref& object, const char* interface, const char* member,
                             const char* types, Args... args)
{
    if (!bound(accessibility_)) return false;
    bus_error error;
    const int result = sd_bus_call_method(accessibility_, object.owner.c_str(), object.path.c_str(), interface, member,
                                          &error.error, &reply.message, types, args...);
    if (result == -ETIMEDOUT) timed_out_ = true;
    return result >= 0;
}

bool accessibility_bus::bound(sd_bus* bus)
{
    const std::uint64_t left = microseconds_left(deadline_);
    if (left == 0) {
        timed_out_ = true;
        return false;
    }
    sd_bus_set_method_call_timeout(bus, left);
    return true;
}

std::vector<object_ref> accessibility_bus::applications()
{
    return children({"org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root"});
}

std::vector<object_ref> accessibility_bus::children(const object_ref& object)
{
    std::vector<object_ref> found;
    message_ref reply;
    if (!call(reply, object, accessible_interface, "GetChildren", nullptr)) {
        return found;
    }
    if (sd_bus_message_enter_container(reply.message, 'a', "(so)") <= 0) return found;
    const char* owner = nullptr;
    const char* path = nullptr;
    while (sd_bus_message_read(reply.message, "(so)", &owner, &path) > 0) {
        if (owner && path && *owner) found.push_back({owner, path});
    }
    return found;
}

std::optional<std::uint32_t> accessibility_bus::role_of(const object_ref& object)
{
    message_ref reply;
    std::uint32_t role = 0;
    if (!call(reply, object, accessible_interface, "GetRole", nullptr) ||
        sd_bus_message_read(reply.message, "u", &role) <= 0) {
        return std::nullopt;
    }
    return role;
}

std::optional<std::uint64_t> accessibility_bus::states(const object_ref& object)
{
    message_ref reply;
    if (!call(reply, object, accessible_interface, "GetState", nullptr)) {
        return std::nullopt;
    }
    const void* words = nullptr;
    std::size_t size = 0;
    if (sd_bus_message_read_array(reply.message, 'u', &words, &size) < 0) return std::nullopt;
    std::uint64_t bits = 0;
    const auto* word = static_cast<const std::uint32_t*>(words);
    for (std::size_t i = 0; i < size / 4 && i < 2; ++i) bits |= std::uint64_t{word[i]} << (32 * i);
    return bits;
}

std::string accessibility_bus::name(const object_ref& object)
{
    bus_error error;
    char* text = nullptr;
    if (!bound(accessibility_)) return {};
    const int result = sd_bus_get_property_string(accessibility_, object.owner.c_str(), object.path.c_str(),
                                                  accessible_interface, "Name", &error.error, &text);
    if (result == -ETIMEDOUT) timed_out_ = true;
    if (result < 0) return {};
    std::string name = text ? text : "";
    std::free(text);
    return name;
}

std::optional<extents> accessibility_bus::extents_of(const object_ref& object)
{
    message_ref reply;
    std::int32_t x = 0, y = 0, width = 0, height = 0;
    if (!call(reply, object, component_interface, "GetExtents", "u", screen_coordinates) ||
        sd_bus_message_read(reply.message, "(iiii)", &x, &y, &width, &height) <= 0) {
        return std::nullopt;
    }
    return extents{x, y, width, height};
}

std::vector<object_ref> accessibility_bus::related(const object_ref& object, std::uint32_t type)
{
    std::vector<object_ref> found;
    message_ref reply;
    if (!call(reply, object, accessible_interface, "GetRelationSet", nullptr) ||
        sd_bus_message_enter_container(reply.message, 'a', "(ua(so))") <= 0) {
        return found;
    }
    while (sd_bus_message_enter_container(reply.message, 'r', "ua(so)") > 0) {
        std::uint32_t kind = 0;
        if (sd_bus_message_read(reply.message, "u", &kind) <= 0 ||
            sd_bus_message_enter_container(reply.message, 'a', "(so)") <= 0) {
            break;
        }
        const char* owner = nullptr;
        const char* path = nullptr;
        while (sd_bus_message_read(reply.message, "(so)", &owner, &path) > 0) {
            if (kind == type && owner && path && *owner) found.push_back({owner, path});
        }
        if (sd_bus_message_exit_container(reply.message) < 0 || sd_bus_message_exit_container(reply.message) < 0) {
            break;
        }
    }
    return found;
}

std::optional<std::uint32_t> accessibility_bus::process_of(const std::string& owner)
{
    message_ref reply;
    std::uint32_t pid = 0;
    if (!call(reply, {"org.freedesktop.DBus", "/org/freedesktop/DBus"},
              "org.freedesktop.DBus", "GetConnectionUnixProcessID", "s", owner.c_str()) ||
        sd_bus_message_read(reply.message, "u", &pid) <= 0) {
        return std::nullopt;
    }
    return pid;
}

std::optional<bool> accessibility_bus::status(const char* property)
{
    bus_error error;
    message_ref reply;
    int on = 0;
    if (!bound(session_) ||
        sd_bus_get_property(session_, "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Status", property, &error.error,
                            &reply.message, "b") < 0 ||
        sd_bus_message_read(reply.message, "b", &on) <= 0) {
        return std::nullopt;
    }
    return on != 0;
}

bool accessibility_bus::set_status(const char* property, bool on)
{
    bus_error error;
    return bound(session_) && sd_bus_set_property(session_, "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Status",
                                                  property, &error.error, "b", on ? 1 : 0) >= 0;
}

}  // namespace quenlow::atspi
