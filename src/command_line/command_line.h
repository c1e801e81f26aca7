#pragma once
// The program's command line, for scripts and shortcut keys:
//   quenlow --list                       the browser list, one title a line
//   quenlow --size WIDTHxHEIGHT [--page] [--] [TITLE]  places one browser
//                                        window (--page: sizes its page area)
//   quenlow --help | --version
// It lists and places exactly as Update List and Change Size do, through the
// same window_system, with no toolkit, no window and no stored setting.

#include "page_area.h"
#include "window_system.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quenlow {

// Exit statuses.
inline constexpr int command_done = 0;
inline constexpr int command_no_window = 1;
inline constexpr int command_usage_error = 2;
// The desktop needs a step of the user's before any window can be listed
// (GNOME Shell's extension); the message says which.
inline constexpr int command_setup_needed = 3;
// The window was found, but placing it did not give it that size; the
// message says why (refused, no answer in time, another size).
inline constexpr int command_not_placed = 4;
// No desktop this program can reach (no display, a compositor it has no
// way into); the message says what was looked for.
inline constexpr int command_no_desktop = 5;
// The entry point could not write what the command printed.
inline constexpr int command_output_failed = 6;

// Whether the arguments (without the program's name) ask for the command
// line rather than the window: anything but none at all, or toolkit options
// that begin with one of `toolkit_options` (the Qt front-end's "-display",
// "-platform", ...).
bool wants_command_line(const std::vector<std::string>& arguments,
                        const std::vector<std::string>& toolkit_options = {});

// Runs the command the arguments name and returns its exit status, with
// what it prints (UTF-8) in `out` and its messages in `err`, for the entry
// point to write where its platform wants them. (Plain strings: iostreams
// would double the size of the Windows program.) `connect` is called only
// when a command needs the desktop; it never returns nullptr.
// `connect_pages` gives what reads page areas (--page), once the window is
// found; where it is empty or gives nullptr, --page places nothing and says
// so.
int run_command_line(const std::vector<std::string>& arguments,
                     const std::function<std::unique_ptr<window_system>()>& connect, std::string& out,
                     std::string& err, const std::function<std::unique_ptr<page_area_reader>()>& connect_pages = {});

}  // namespace quenlow
