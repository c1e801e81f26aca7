#include "i3_ipc.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quenlow {

namespace {

constexpr char magic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr std::size_t header_size = sizeof magic + 8;
// A tree of thousands of windows is a few MiB; more is not an answer.
constexpr std::uint32_t largest_payload = 64u << 20;

using clock = std::chrono::steady_clock;

int milliseconds_left(clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for `events` on `fd` until the deadline; whether they came.
bool ready(int fd, short events, clock::time_point deadline)
{
    pollfd wanted{fd, events, 0};
    while (true) {
        const int result = poll(&wanted, 1, milliseconds_left(deadline));
        if (result > 0) return (wanted.revents & events) != 0;
        if (result == 0 || errno != EINTR) return false;
    }
}

bool send_all(int fd, const char* data, std::size_t size, clock::time_point deadline)
{
    while (size > 0) {
        if (!ready(fd, POLLOUT, deadline)) return false;
        const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

bool receive_all(int fd, char* data, std::size_t size, clock::time_point deadline)
{
    while (size > 0) {
        if (!ready(fd, POLLIN, deadline)) return false;
        const ssize_t got = ::recv(fd, data, size, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        data += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace

namespace {

// A connected socket, or -1.
int connected_socket(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return -1;
    std::memcpy(address.sun_path, path.data(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

std::unique_ptr<i3_ipc> i3_ipc::connect(const std::string& path)
{
    const int fd = connected_socket(path);
    return fd < 0 ? nullptr : std::unique_ptr<i3_ipc>(new i3_ipc(path, fd));
}

i3_ipc::~i3_ipc() { close_connection(); }

void i3_ipc::close_connection()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::optional<std::string> i3_ipc::request(std::uint32_t type, std::string_view payload,
                                           std::chrono::milliseconds timeout)
{
    timed_out_ = false;
    const auto deadline = clock::now() + timeout;
    // A connection kept from an earlier request may have been closed by
    // the other end (i3 restarted in place): one that fails before any
    // reply is tried once more on a new connection.
    const bool reused = fd_ >= 0;
    bool replied = false;
    auto reply = exchange(type, payload, deadline, replied);
    if (!reply && reused && !replied && !timed_out_ && clock::now() < deadline) {
        reply = exchange(type, payload, deadline, replied);
    }
    return reply;
}

std::optional<std::string> i3_ipc::exchange(std::uint32_t type, std::string_view payload, clock_time deadline,
                                            bool& replied)
{
    if (fd_ < 0) fd_ = connected_socket(path_);
    if (fd_ < 0 || payload.size() > largest_payload) return std::nullopt;
    const auto fail = [&](bool timed_out) -> std::optional<std::string> {
        timed_out_ = timed_out && clock::now() >= deadline;
        close_connection();
        return std::nullopt;
    };
    std::string message(magic, sizeof magic);
    const auto length = static_cast<std::uint32_t>(payload.size());
    message.append(reinterpret_cast<const char*>(&length), 4);
    message.append(reinterpret_cast<const char*>(&type), 4);
    message.append(payload);
    if (!send_all(fd_, message.data(), message.size(), deadline)) return fail(true);
    // No events are subscribed to, so the next message is the reply.
    char header[header_size];
    std::uint32_t reply_length = 0, reply_type = 0;
    if (!receive_all(fd_, header, sizeof header, deadline)) return fail(true);
    replied = true;
    if (std::memcmp(header, magic, sizeof magic) != 0) return fail(false);
    std::memcpy(&reply_length, header + sizeof magic, 4);
    std::memcpy(&reply_type, header + sizeof magic + 4, 4);
    std::string reply(reply_length <= largest_payload ? reply_length : 0, '\0');
    if (reply_length > largest_payload || reply_type != type) return fail(false);
    if (!receive_all(fd_, reply.data(), reply.size(), deadline)) return fail(true);
    return reply;
}

}  // namespace quenlow
