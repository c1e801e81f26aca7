#pragma once
// The desktop's accessibility bus (AT-SPI), as the page-area reader asks
// it: the bus's address from org.a11y.Bus on the session bus, then method
// calls on the objects applications show there. Every call is bounded by
// the time left until the deadline given (never sd-bus's own 25 s, nor the
// 90 s its connection may wait), so a browser that hangs holds a run only
// until its deadline. An object that does not answer is an empty result.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

typedef struct sd_bus sd_bus;

namespace quenlow {
struct message_ref;
}

namespace quenlow::atspi {

using clock = std::chrono::steady_clock;

struct object_ref {
    std::string owner, path;
};

struct extents {
    int x = 0, y = 0, width = 0, height = 0;
};

// AT-SPI's numbers (atspi-constants.h).
namespace role {
inline constexpr std::uint32_t frame = 23, window = 69, document_web = 95;
}
namespace state {
inline constexpr unsigned active = 1, showing = 25;
}
inline constexpr std::uint32_t relation_embeds = 13;

inline bool has(std::uint64_t states, unsigned which) { return (states >> which) & 1u; }

// Whether `address` is one this program connects to: a local socket
// ("unix:" transports only). Any other (a "unixexec:" would start a program
// named in it) is refused.
bool plain_socket_address(const std::string& address);

class accessibility_bus {
public:
    // Connects by `deadline`: "" and a bus, or why not in words for the user.
    static std::unique_ptr<accessibility_bus> connect(clock::time_point deadline, std::string& why_not);
    ~accessibility_bus();
    accessibility_bus(const accessibility_bus&) = delete;
    accessibility_bus& operator=(const accessibility_bus&) = delete;

    // The calls below answer by `deadline`; timed_out() says whether one
    // ran out of time since the last clear_timed_out().
    void set_deadline(clock::time_point deadline) { deadline_ = deadline; }
    bool timed_out() const { return timed_out_; }
    void clear_timed_out() { timed_out_ = false; }

    std::vector<object_ref> applications();
    std::vector<object_ref> children(const object_ref& object);
    std::optional<std::uint32_t> role_of(const object_ref& object);
    std::optional<std::uint64_t> states(const object_ref& object);
    std::string name(const object_ref& object);
    // Screen coordinates; nothing when it does not answer.
    std::optional<extents> extents_of(const object_ref& object);
    // The targets of the object's relations of `type`.
    std::vector<object_ref> related(const object_ref& object, std::uint32_t type);
    // The process behind a connection on the accessibility bus.
    std::optional<std::uint32_t> process_of(const std::string& owner);

    // The desktop's accessibility switch and screen reader
    // (org.a11y.Status on the session bus); nothing when unreadable.
    std::optional<bool> status(const char* property);
    bool set_status(const char* property, bool on);

private:
    accessibility_bus() = default;
    // Bounds the next call on `bus` by the time left; false when none is.
    bool bound(sd_bus* bus);
    // One method call on the accessibility bus, so bounded; whether it
    // answered (a call that ran out of time is noted).
    template <class... Args>
    bool call(message_ref& reply, const object_ref& object, const char* interface, const char* member,
              const char* types, Args... args);

    sd_bus* session_ = nullptr;
    sd_bus* accessibility_ = nullptr;
    clock::time_point deadline_{};
    bool timed_out_ = false;
};

}  // namespace quenlow::atspi
