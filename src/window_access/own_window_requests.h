#pragma once
// The program's own windows, for a window manager that knows them by ids
// of its own (KWin, sway and i3) while the toolkit hands out handles of
// its own: which id a handle names, and which request for it is the
// latest. Thread-safe, so helper threads that wait for a window to be
// shown can share it.
//
// A window of ours is taken for a handle only when no other handle names
// it and it was not open yet when that handle was first looked for: the
// program asks for a window's state before showing it, so the windows open
// then are others (the About box's request never takes the main window).
// A window that closes frees its handle for a new one.

#include "window_system.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace quenlow {

class own_window_requests {
public:
    // Notes a new request for `handle` and returns its number; the requests
    // before it are superseded.
    std::uint64_t request(window_handle handle);

    // Whether request number `request` is still the latest for `handle`.
    bool latest(window_handle handle, std::uint64_t request);

    struct answer {
        bool superseded = false;  // a later request for the handle was made
        std::string id;           // the manager's id of its window; "" while it cannot be told
    };
    // Answers request number `request` for `handle`, given the ids of this
    // process's windows open now.
    answer resolve(window_handle handle, std::uint64_t request, const std::vector<std::string>& open);

private:
    struct entry {
        std::uint64_t latest = 0;
        std::string id;
        std::vector<std::string> open_at_first_look;
        bool looked = false;
    };
    std::mutex lock_;
    std::map<window_handle, entry> entries_;
};

}  // namespace quenlow
