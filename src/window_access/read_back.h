#pragma once
// How the backends that place windows through another process (GNOME
// Shell, i3 and sway) learn whether a placement took: the window's
// rectangle is read back until it holds. A Wayland client takes a new size
// when it next draws, and a compositor may still be un-maximising or
// showing the window: the rectangle must read as asked for `held_reads`
// reads in a row. One that has stayed elsewhere for `settled_reads` reads is
// asked for again, up to `requests` requests in all (the first included);
// after that it stays where it is (a terminal's size steps).

#include "window_system.h"

#include <chrono>
#include <optional>
#include <thread>

namespace quenlow {

struct read_back_policy {
    std::chrono::milliseconds interval;
    int held_reads;
    int settled_reads;
    int requests;
};

// One reading of the window's rectangle.
template <class Rect>
struct read_back_sample {
    enum class seen { rect, gone, no_answer } what = seen::no_answer;
    Rect rect{};
};

// `read()` gives a read_back_sample<Rect>; `ask_again()` asks for `wanted`
// once more and says whether the request went; `time_left()` says whether
// there is time for another reading. Rect has width and height and ==.
template <class Rect, class Read, class AskAgain, class TimeLeft>
placement_result read_back_until_held(const Rect& wanted, const read_back_policy& policy, Read read,
                                      AskAgain ask_again, TimeLeft time_left)
{
    using outcome = placement_result::outcome;
    using seen = typename read_back_sample<Rect>::seen;
    int requests = 1, unchanged = 0;
    std::optional<Rect> last;
    while (time_left()) {
        std::this_thread::sleep_for(policy.interval);
        const read_back_sample<Rect> sample = read();
        if (sample.what == seen::gone) return {outcome::gone};
        if (sample.what == seen::no_answer) break;
        unchanged = last && *last == sample.rect ? unchanged + 1 : 0;
        last = sample.rect;
        if (sample.rect == wanted) {
            if (unchanged + 1 >= policy.held_reads) return {outcome::placed};
            continue;
        }
        if (unchanged + 1 < policy.settled_reads) continue;
        if (requests == policy.requests) return {outcome::other_size, last->width, last->height};
        if (!ask_again()) return {outcome::refused};
        ++requests;
        unchanged = 0;
    }
    // Out of time: where it was last seen.
    if (!last) return {outcome::no_answer};
    if (*last == wanted) return {outcome::placed};
    return {outcome::other_size, last->width, last->height};
}

}  // namespace quenlow
