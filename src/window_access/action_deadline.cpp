#include "action_deadline.h"

#include <algorithm>

namespace quenlow {

namespace {
// A call given less than this and cut short by the deadline says nothing
// about the peer.
constexpr std::chrono::milliseconds stalled_evidence{500};
}  // namespace

void action_deadline::begin_action()
{
    in_action_ = true;
    deadline_ = clock::now() + bound_;
}

void action_deadline::end_action() { in_action_ = false; }

void action_deadline::bound_calls()
{
    if (!in_action_) deadline_ = clock::now() + bound_;
}

std::chrono::microseconds action_deadline::left(std::chrono::microseconds at_most) const
{
    const auto now = clock::now();
    if (now < stalled_until_ || now >= deadline_) return std::chrono::microseconds{0};
    return std::min(std::chrono::duration_cast<std::chrono::microseconds>(deadline_ - now), at_most);
}

void action_deadline::ran_out(std::chrono::microseconds given)
{
    if (given >= stalled_evidence) stalled_until_ = clock::now() + stalled_pause_;
}

}  // namespace quenlow
