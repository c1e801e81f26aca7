#pragma once
// What the program tells the user when the desktop needs a step of theirs
// before any window can be listed (GNOME Shell and the program's extension),
// in either caption language: the window shows it once, the command line
// writes it in English.

#include "captions.h"
#include "window_system.h"

#include <string>

namespace quenlow {

// The advice for `need`; "" for setup_step::none.
std::string setup_advice(const setup_need& need, caption_language language);

// What the window says where the window system reaches no desktop (see
// window_system::unreachable); "" where it does.
std::string unreachable_advice(const window_system& windows, caption_language language);

}  // namespace quenlow
