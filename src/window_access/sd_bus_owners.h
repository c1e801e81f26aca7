#pragma once
// Owners of what sd-bus hands out to the backends that use the session bus
// (KWin, GNOME): an error and a message, freed when the owner goes.

#include <systemd/sd-bus.h>

namespace quenlow {

struct bus_error {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    bus_error() = default;
    bus_error(const bus_error&) = delete;
    bus_error& operator=(const bus_error&) = delete;
    ~bus_error() { sd_bus_error_free(&error); }
};

struct message_ref {
    sd_bus_message* message = nullptr;
    message_ref() = default;
    message_ref(const message_ref&) = delete;
    message_ref& operator=(const message_ref&) = delete;
    ~message_ref() { sd_bus_message_unref(message); }
};

}  // namespace quenlow
