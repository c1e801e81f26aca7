#pragma once
// A connection to the IPC socket of i3 or sway: each message is "i3-ipc",
// a 32-bit payload length and a 32-bit type in the machine's byte order,
// then the payload (JSON). Every request waits for its reply with a
// deadline; a socket that is gone, slow or answers something else gives
// nothing, never a hang or a crash.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace quenlow {

class i3_ipc {
public:
    static constexpr std::uint32_t run_command = 0;
    static constexpr std::uint32_t get_tree = 4;
    static constexpr std::uint32_t get_version = 7;

    // Connects to the socket at `path`; nullptr when nothing listens there.
    static std::unique_ptr<i3_ipc> connect(const std::string& path);
    ~i3_ipc();
    i3_ipc(const i3_ipc&) = delete;
    i3_ipc& operator=(const i3_ipc&) = delete;

    // Sends a message of `type` and returns the payload of its reply;
    // nothing on any failure or once `timeout` is up. After a failure the
    // connection is closed, and the next request connects afresh (i3 and
    // sway may have restarted in place); a kept connection that fails
    // before any reply is replaced at once and the message sent again.
    std::optional<std::string> request(std::uint32_t type, std::string_view payload,
                                       std::chrono::milliseconds timeout = std::chrono::seconds(1));
    // Whether the last request failed because its time was up.
    bool timed_out() const { return timed_out_; }

private:
    i3_ipc(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
    using clock_time = std::chrono::steady_clock::time_point;
    // One message and its reply on the connection (made first when there is
    // none); `replied` says whether any of the reply came.
    std::optional<std::string> exchange(std::uint32_t type, std::string_view payload, clock_time deadline,
                                        bool& replied);
    void close_connection();

    std::string path_;
    int fd_ = -1;
    bool timed_out_ = false;
};

}  // namespace quenlow
