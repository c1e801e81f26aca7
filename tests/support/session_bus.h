#pragma once
// Calls a test makes on the session bus itself, not through the code under
// test: what a compositor says of its windows, and who owns a bus name.

#include <systemd/sd-bus.h>
#include <sys/types.h>

#include <cstdint>

namespace quenlow::testing {

inline sd_bus* session_bus()
{
    static sd_bus* const bus = [] {
        sd_bus* opened = nullptr;
        sd_bus_open_user(&opened);
        return opened;
    }();
    return bus;
}

// The reply, which the caller unrefs; nullptr when the call failed.
template <class... Args>
sd_bus_message* session_call(const char* service, const char* path, const char* interface, const char* member,
                             const char* types, Args... args)
{
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    sd_bus_call_method(session_bus(), service, path, interface, member, &error, &reply, types, args...);
    sd_bus_error_free(&error);
    return reply;
}

// The process that owns `name` on the session bus; 0 when none does.
inline pid_t owner_pid(const char* name)
{
    sd_bus_message* reply = session_call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                         "GetConnectionUnixProcessID", "s", name);
    std::uint32_t pid = 0;
    if (reply && sd_bus_message_read(reply, "u", &pid) < 0) pid = 0;
    sd_bus_message_unref(reply);
    return static_cast<pid_t>(pid);
}

}  // namespace quenlow::testing
