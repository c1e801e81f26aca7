#include "accessibility_switch.h"

namespace quenlow::atspi {

namespace {
// Putting it back may come after the run's deadline (an interrupted or
// timed-out run): it has this long of its own.
constexpr auto putting_back_bound = std::chrono::milliseconds{1000};
}

bool accessibility_switch::turn_on()
{
    if (turned_on_ || bus_.status("IsEnabled") != false) return false;
    turned_on_ = bus_.set_status("IsEnabled", true);
    return turned_on_;
}

accessibility_switch::~accessibility_switch()
{
    if (!turned_on_) return;
    bus_.set_deadline(clock::now() + putting_back_bound);
    // A screen reader started meanwhile needs it on.
    if (bus_.status("ScreenReaderEnabled") == true) return;
    bus_.set_status("IsEnabled", false);
}

}  // namespace quenlow::atspi
