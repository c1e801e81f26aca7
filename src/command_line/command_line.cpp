#include "command_line.h"

#include "app_version.h"
#include "browser_list.h"
#include "resize_command.h"
#include "setup_advice.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

namespace quenlow {

namespace {

constexpr int smallest_side = 100;
constexpr int largest_side = 8192;

// Kept in step with the manual page, quenlow.1.
constexpr char usage[] =
    "Usage: quenlow [--list | --size WIDTHxHEIGHT [TITLE] | --help | --version]\n"
    "\n"
    "With no option, opens the program's window.\n"
    "\n"
    "  --list       print the titles of the browser windows, one a line, top\n"
    "               window first, as Update List shows them\n"
    "  --size WIDTHxHEIGHT [TITLE]\n"
    "               restore one window and place it at the screen's top-left\n"
    "               corner with that visible outer size (each side 100 to 8192,\n"
    "               in pixels of a 96-dpi screen): the window titled exactly\n"
    "               TITLE; without TITLE, the active window when it is a\n"
    "               browser window, else the first browser window listed\n"
    "  --help, -h   print this help\n"
    "  --version    print the program's version\n"
    "\n"
    "Exit status: 0 done, 1 no such window, 2 a usage error, 3 the desktop needs\n"
    "a step of yours first (GNOME: the program's Shell extension is not\n"
    "installed, needs a new log-in, is switched off or does not fit this GNOME\n"
    "Shell; the message says which and what to do).\n";

int usage_error(std::string& err, const std::string& message)
{
    err += "quenlow: " + message + "\n\n" + usage;
    return command_usage_error;
}

// One side of WIDTHxHEIGHT: decimal digits only, no sign, no spaces.
std::optional<int> side(std::string_view digits)
{
    if (digits.empty() || digits.size() > 6) return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

// The desktop's window system; where the user must do something first
// before it lists anything, `err` says what.
std::unique_ptr<window_system> connected(const std::function<std::unique_ptr<window_system>()>& connect,
                                         std::string& err)
{
    auto windows = connect();
    if (const std::string advice = setup_advice(windows->pending_setup(), caption_language::english);
        !advice.empty()) {
        err += "quenlow: " + advice + '\n';
    }
    return windows;
}

bool needs_setup(const window_system& windows) { return windows.pending_setup().step != setup_step::none; }

int list(window_system& windows, std::string& out)
{
    for (const std::string& title : browser_titles(windows)) out += title + '\n';
    return command_done;
}

// The window --size acts on: by title, else the active browser window,
// else the first one listed.
window_handle window_to_size(window_system& windows, const std::optional<std::string>& title)
{
    if (title) return windows.find_window(*title);
    const window_handle active = windows.active_window();
    if (active != no_window && is_browser_title(read_window_title(windows, active))) return active;
    const std::vector<std::string> titles = browser_titles(windows);
    return titles.empty() ? no_window : windows.find_window(titles.front());
}

}  // namespace

bool wants_command_line(const std::vector<std::string>& arguments, const std::vector<std::string>& toolkit_options)
{
    if (arguments.empty()) return false;
    return std::find(toolkit_options.begin(), toolkit_options.end(), arguments.front()) == toolkit_options.end();
}

int run_command_line(const std::vector<std::string>& arguments,
                     const std::function<std::unique_ptr<window_system>()>& connect, std::string& out,
                     std::string& err)
{
    const std::string command = arguments.empty() ? std::string() : arguments.front();
    const std::size_t operands = arguments.empty() ? 0 : arguments.size() - 1;
    if (command == "--help" || command == "-h") {
        out += usage;
        return command_done;
    }
    if (command == "--version") {
        out += std::string(build_info::title) + ' ' + std::to_string(build_info::version_major) + '.' +
               std::to_string(build_info::version_minor) + '.' + std::to_string(build_info::version_revision) + '\n';
        return command_done;
    }
    if (command == "--list") {
        if (operands > 0) return usage_error(err, "--list takes no argument: '" + arguments[1] + "'");
        const auto windows = connected(connect, err);
        const user_action action(*windows);
        if (needs_setup(*windows)) return command_setup_needed;
        return list(*windows, out);
    }
    if (command != "--size") return usage_error(err, "unknown option '" + command + "'");

    if (operands == 0) return usage_error(err, "'--size' needs a size, such as 1024x768");
    if (operands > 2) return usage_error(err, "too many arguments: '" + arguments[3] + "'");
    const std::string_view size_text = arguments[1];
    const auto cross = size_text.find_first_of("xX");
    const auto width = cross == std::string_view::npos ? std::nullopt : side(size_text.substr(0, cross));
    const auto height = cross == std::string_view::npos ? std::nullopt : side(size_text.substr(cross + 1));
    if (!width || !height) return usage_error(err, "'" + arguments[1] + "' is not a size such as 1024x768");
    if (std::min(*width, *height) < smallest_side || std::max(*width, *height) > largest_side) {
        return usage_error(err, "'" + arguments[1] + "' is out of range: each side is 100 to 8192");
    }
    std::optional<std::string> title;
    if (operands == 2) {
        if (arguments[2].empty()) return usage_error(err, "the title is empty");
        title = arguments[2];
    }

    const auto windows = connected(connect, err);
    const user_action action(*windows);
    if (needs_setup(*windows)) return command_setup_needed;
    const window_handle window = window_to_size(*windows, title);
    if (window == no_window) {
        err += "quenlow: " + (title ? "no window is titled '" + *title + "'" : std::string("no browser window is open")) +
               '\n';
        return command_no_window;
    }
    resize_window(*windows, window, {*width, *height});
    return command_done;
}

}  // namespace quenlow
