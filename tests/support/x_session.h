#pragma once
// A private X server (Xvfb, on a display number it picks itself) and,
// when asked, an openbox window manager on it. Both end with the object.

#include "child_process.h"

#include <memory>
#include <string>
#include <sys/types.h>

namespace quenlow::testing {

class x_session {
public:
    enum class window_manager { none, openbox };

    // Starts the server (and the manager, waiting until it has announced
    // itself). Throws std::runtime_error when either does not come up.
    explicit x_session(window_manager manager = window_manager::openbox);
    ~x_session();
    x_session(const x_session&) = delete;
    x_session& operator=(const x_session&) = delete;

    // ":N", for xcb_connect, DISPLAY and child processes.
    const std::string& display() const { return display_; }

private:
    void stop_server();

    pid_t server_ = -1;
    std::unique_ptr<child_process> manager_;
    std::string display_;
};

}  // namespace quenlow::testing
