#pragma once
// How long the backends that wait on another process (KWin, GNOME Shell,
// i3 and sway) let one user action take. Within a user action (begin to
// end) every call shares one deadline; outside one, each group of calls
// (bound_calls) gets its own. A peer that let a call run out although the
// call had time to spare is taken to be stalled and left alone for a
// while: every call then gives up at once, so a stalled peer holds one
// action once and never freezes the program.

#include <chrono>

namespace quenlow {

class action_deadline {
public:
    using clock = std::chrono::steady_clock;

    explicit action_deadline(std::chrono::milliseconds bound = std::chrono::milliseconds{2000},
                             std::chrono::milliseconds stalled_pause = std::chrono::milliseconds{2000})
        : bound_(bound), stalled_pause_(stalled_pause)
    {
    }

    void begin_action();
    void end_action();
    // Before the calls of one operation: outside an action, a fresh deadline.
    void bound_calls();

    // What the next call may take: the time left, no more than `at_most`;
    // zero when it is spent or the peer is resting after a stall.
    std::chrono::microseconds left(std::chrono::microseconds at_most = std::chrono::microseconds::max()) const;
    clock::time_point deadline() const { return deadline_; }
    // A call that was given `given` got no answer in time: a stall, when
    // that was time enough for an answer.
    void ran_out(std::chrono::microseconds given);

private:
    std::chrono::milliseconds bound_;
    std::chrono::milliseconds stalled_pause_;
    bool in_action_ = false;
    clock::time_point deadline_{};
    clock::time_point stalled_until_{};
};

}  // namespace quenlow
