#pragma once
// How the backends that know the program's windows by ids of their own
// (KWin, GNOME Shell, i3 and sway) set an own window's always-on-top state:
// at once over their connection; asked for before the window is shown, on
// a helper thread with a connection of its own until the manager shows it
// (see background_retries) or a later request for the window takes over.

#include "background_retries.h"
#include "own_window_requests.h"
#include "window_system.h"

#include <cstdint>
#include <memory>

namespace quenlow {

// `apply(connection, window, topmost, request)` sets it for request number
// `request` and says whether that is done or superseded; `connect()` opens
// another connection, nullptr when there is none.
template <class Connection, class Connect, class Apply>
void set_own_window_topmost(own_window_requests& own, background_retries& retries, Connection& connection,
                            window_handle window, bool topmost, Connect connect, Apply apply)
{
    const std::uint64_t request = own.request(window);  // cancels a helper still waiting for this window
    if (apply(connection, window, topmost, request) || !topmost) return;
    retries.start([window, request, connect, apply, helper = std::shared_ptr<Connection>()]() mutable {
        if (!helper) helper = connect();
        return !helper || apply(*helper, window, true, request);
    });
}

}  // namespace quenlow
