#include "command_line.h"

#include "app_version.h"
#include "browser_list.h"
#include "interruption.h"
#include "page_sizing.h"
#include "resize_command.h"
#include "setup_advice.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <csignal>
#include <optional>
#include <string_view>

namespace quenlow {

namespace {

// The signal that interrupted a --page run, to die of once the run has
// put back what it changed (the desktop's accessibility switch).
volatile std::sig_atomic_t interrupting_signal = 0;

extern "C" void interrupt_run(int signal)
{
    interrupting_signal = signal;
    request_interruption();
}

// Ctrl-C, SIGTERM and SIGHUP end a --page run along its normal way out
// while this lives.
class interruption_on_signals {
public:
    interruption_on_signals()
    {
        for (std::size_t i = 0; i < signals.size(); ++i) previous[i] = std::signal(signals[i], interrupt_run);
    }
    ~interruption_on_signals()
    {
        for (std::size_t i = 0; i < signals.size(); ++i) std::signal(signals[i], previous[i]);
    }
    interruption_on_signals(const interruption_on_signals&) = delete;
    interruption_on_signals& operator=(const interruption_on_signals&) = delete;

private:
#ifdef SIGHUP
    static constexpr std::array<int, 3> signals{SIGINT, SIGTERM, SIGHUP};
#else
    static constexpr std::array<int, 2> signals{SIGINT, SIGTERM};
#endif
    std::array<void (*)(int), signals.size()> previous{};
};

// After an interrupted run: ends the process as the signal would have.
void rethrow_interruption()
{
    if (interrupting_signal == 0) return;
    std::signal(interrupting_signal, SIG_DFL);
    std::raise(interrupting_signal);
}

constexpr int smallest_side = 100;
constexpr int largest_side = 8192;

// Kept in step with the manual page, quenlow.1.
constexpr char usage[] =
    "Usage: quenlow [--list | --size WIDTHxHEIGHT [--page] [--] [TITLE] | --help | --version]\n"
    "\n"
    "With no option, opens the program's window. Options go in any order.\n"
    "\n"
    "  --list       print the titles of the browser windows, one a line, top\n"
    "               window first, as Update List shows them (control\n"
    "               characters in a title shown as \\xHH)\n"
    "  --size WIDTHxHEIGHT, --size=WIDTHxHEIGHT [--page] [--] [TITLE]\n"
    "               restore one window and place it at the screen's top-left\n"
    "               corner with that visible outer size (each side 100 to 8192,\n"
    "               in pixels of a 96-dpi screen): the window titled exactly\n"
    "               TITLE; without TITLE, the active window when it is a\n"
    "               browser window, else the first browser window listed;\n"
    "               -- before a TITLE that begins with -\n"
    "  --page       with --size: make the page area (what the page sees as\n"
    "               innerWidth x innerHeight, what CSS breakpoints test) that\n"
    "               size instead of the whole window, in CSS pixels at 100 %\n"
    "               zoom (a page zoomed otherwise gets another innerWidth),\n"
    "               learnt from the browser through the desktop's accessibility\n"
    "               bus (at-spi2-core on Linux). Firefox on X11 needs nothing:\n"
    "               where accessibility is off, it is switched on while the\n"
    "               command runs, and back off. Firefox on Wayland must be\n"
    "               started with GNOME_ACCESSIBILITY=1; Chrome, Chromium, Edge\n"
    "               and the like with ACCESSIBILITY_ENABLED=1 and\n"
    "               --force-renderer-accessibility. A page narrower than the\n"
    "               browser allows (about 500) is told, with its smallest\n"
    "               (exit status 4)\n"
    "  --help, -h   print this help\n"
    "  --version    print the program's version\n"
    "\n"
    "Exit status:\n"
    "  0  done: listed, or placed and read back at that size\n"
    "  1  no such window\n"
    "  2  a usage error\n"
    "  3  the desktop needs a step of yours first (GNOME: the program's Shell\n"
    "     extension is not installed, needs a new log-in, is switched off (open\n"
    "     the program's window once, or run gnome-extensions enable\n"
    "     quenlow@mobrell.example), all extensions are off, it does not fit\n"
    "     this GNOME Shell or failed to load; the message says which and what\n"
    "     to do)\n"
    "  4  the window was found but not placed (refused, no answer in time, it\n"
    "     kept another size, it closed, or with --page its page area could not\n"
    "     be learnt or did not reach the size; the message says which and what\n"
    "     to do)\n"
    "  5  no desktop this program can reach (no display, an X display that\n"
    "     does not answer, or a Wayland session without sway, KWin or GNOME\n"
    "     Shell; the message says what was sought)\n"
    "  6  the output could not be written\n";

int usage_error(std::string& err, const std::string& message)
{
    err += "quenlow: " + message + "\nTry 'quenlow --help' for more information.\n";
    return command_usage_error;
}

// The arguments read the way GNU programs read theirs: options in any
// order, "--size=WxH" as well as "--size WxH", "--" ending the options.
struct parsed_arguments {
    std::vector<std::string> commands;  // --list, --size, --help, --version as given
    bool page = false;
    int pages_given = 0;
    std::optional<std::string> size;  // from --size=WxH
    std::vector<std::string> operands;
    std::string unknown;  // the first option not known
};

parsed_arguments parse(const std::vector<std::string>& arguments)
{
    parsed_arguments parsed;
    bool options_ended = false;
    for (const std::string& argument : arguments) {
        if (options_ended || argument.size() < 2 || argument[0] != '-') {
            parsed.operands.push_back(argument);
        } else if (argument == "--") {
            options_ended = true;
        } else if (argument == "--page") {
            ++parsed.pages_given;
        } else if (argument.starts_with("--size=")) {
            parsed.commands.push_back("--size");
            parsed.size = argument.substr(7);
        } else if (argument == "--size" || argument == "--list" || argument == "--version" || argument == "--help" ||
                   argument == "-h") {
            parsed.commands.push_back(argument == "-h" ? "--help" : argument);
        } else if (parsed.unknown.empty()) {
            parsed.unknown = argument;
        }
    }
    parsed.page = parsed.pages_given > 0;
    return parsed;
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

// The status for a desktop the command cannot work on, with what `err`
// says of it; 0 where it can.
int unusable(const window_system& windows, std::string& err)
{
    if (const std::string sought = windows.unreachable(); !sought.empty()) {
        err += "quenlow: no desktop this program can reach: " + sought + '\n';
        return command_no_desktop;
    }
    return windows.pending_setup().step != setup_step::none ? command_setup_needed : 0;
}

// A title as one line of --list: control characters (a newline would
// split it, an escape sequence would reach the terminal), the C1 ones
// (U+0080 to U+009F) too, as \xHH a byte.
std::string printable_title(std::string_view title)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string line;
    const auto escape = [&](unsigned char byte) {
        line += "\\x";
        line += hex[byte >> 4];
        line += hex[byte & 0xF];
    };
    for (std::size_t i = 0; i < title.size(); ++i) {
        const auto byte = static_cast<unsigned char>(title[i]);
        const auto next = i + 1 < title.size() ? static_cast<unsigned char>(title[i + 1]) : 0;
        if (byte < 0x20 || byte == 0x7F) {
            escape(byte);
        } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
            escape(byte);
            escape(next);
            ++i;
        } else {
            line += title[i];
        }
    }
    return line;
}

int list(window_system& windows, std::string& out)
{
    for (const std::string& title : browser_titles(windows)) out += printable_title(title) + '\n';
    return command_done;
}

// What the command line says of a window it found and could not place.
// Why a window was not placed. A size it kept is told in the pixels the
// user typed: the backends read it back in the display's own, `scale` of
// those each.
std::string not_placed(const placement_result& placed, double scale = 1.0)
{
    using outcome = placement_result::outcome;
    switch (placed.what) {
    case outcome::placed: return {};
    case outcome::refused: return "the window manager, compositor or system refused";
    case outcome::no_answer: return "no answer came in time";
    case outcome::gone: return "the window closed";
    case outcome::other_size:
        return "its size stayed " + std::to_string(std::lround(placed.width / scale)) + "x" +
               std::to_string(std::lround(placed.height / scale));
    }
    return {};
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
                     std::string& err, const std::function<std::unique_ptr<page_area_reader>()>& connect_pages)
{
    parsed_arguments parsed = parse(arguments);
    const auto asked_for = [&](const char* command) {
        return std::find(parsed.commands.begin(), parsed.commands.end(), command) != parsed.commands.end();
    };
    if (asked_for("--help")) {
        out += usage;
        return command_done;
    }
    if (asked_for("--version")) {
        out += std::string(build_info::title) + ' ' + std::to_string(build_info::version_major) + '.' +
               std::to_string(build_info::version_minor) + '.' + std::to_string(build_info::version_revision) + '\n';
        return command_done;
    }
    if (!parsed.unknown.empty()) return usage_error(err, "unknown option '" + parsed.unknown + "'");
    if (parsed.commands.size() > 1) {
        return usage_error(err, "'" + parsed.commands[0] + "' and '" + parsed.commands[1] + "' do not go together");
    }
    if (parsed.commands.empty()) {
        return usage_error(err, parsed.operands.empty() ? std::string("'--page' goes with '--size'")
                                                        : "what to do with '" + parsed.operands.front() +
                                                              "'? Give --list or --size");
    }
    const std::string& command = parsed.commands.front();
    if (command == "--list") {
        if (!parsed.operands.empty()) {
            return usage_error(err, "--list takes no argument: '" + parsed.operands.front() + "'");
        }
        if (parsed.page) return usage_error(err, "'--page' goes with '--size'");
        const auto windows = connected(connect, err);
        if (const int status = unusable(*windows, err)) return status;
        const user_action action(*windows);
        return list(*windows, out);
    }

    if (parsed.pages_given > 1) return usage_error(err, "'--page' is given twice");
    const bool page = parsed.page;
    std::vector<std::string> given = std::move(parsed.operands);
    if (parsed.size) given.insert(given.begin(), *parsed.size);
    if (given.empty()) return usage_error(err, "'--size' needs a size, such as 1024x768");
    if (given.size() > 2) return usage_error(err, "too many arguments: '" + given[2] + "'");
    const std::string_view size_text = given[0];
    const auto cross = size_text.find_first_of("xX");
    const auto width = cross == std::string_view::npos ? std::nullopt : side(size_text.substr(0, cross));
    const auto height = cross == std::string_view::npos ? std::nullopt : side(size_text.substr(cross + 1));
    if (!width || !height) return usage_error(err, "'" + given[0] + "' is not a size such as 1024x768");
    if (std::min(*width, *height) < smallest_side || std::max(*width, *height) > largest_side) {
        return usage_error(err, "'" + given[0] + "' is out of range: each side is 100 to 8192");
    }
    std::optional<std::string> title;
    if (given.size() == 2) {
        if (given[1].empty()) return usage_error(err, "the title is empty");
        title = given[1];
    }

    const auto windows = connected(connect, err);
    if (const int status = unusable(*windows, err)) return status;
    const user_action action(*windows);
    const window_handle window = window_to_size(*windows, title);
    if (window == no_window) {
        err += "quenlow: " + (title ? "no window is titled '" + *title + "'" : std::string("no browser window is open")) +
               '\n';
        return command_no_window;
    }
    const std::string found = read_window_title(*windows, window);
    if (page) {
        auto pages = connect_pages ? connect_pages() : nullptr;
        if (!pages) {
            err += "quenlow: '" + printable_title(found) + "' was left as it was: the page area cannot be learnt on " +
                   "this desktop\n";
            return command_not_placed;
        }
        const page_sizing_result sized = [&] {
            const interruption_on_signals stopping;
            page_sizing_result result = size_page_area(*windows, *pages, window, {*width, *height});
            pages.reset();  // puts back what reading changed, while a signal still waits
            return result;
        }();
        const std::string named = "quenlow: '" + printable_title(found) + "' ";
        const std::string reached =
            std::to_string(sized.placement.width) + "x" + std::to_string(sized.placement.height);
        if (sized.placement.what == placement_result::outcome::refused && !sized.why_not.empty()) {
            err += named + "was left as it was: its page area cannot be learnt: " + sized.why_not + '\n';
        } else if (sized.smallest) {
            err += named + "was placed at the browser's smallest page area, " + reached +
                   ": the browser makes its page no smaller (its developer tools' device mode shows smaller "
                   "pages)\n";
        } else if (sized.placement.what == placement_result::outcome::other_size) {
            err += named + "was placed, but its page area stayed " + reached + '\n';
        } else if (sized.placement.what == placement_result::outcome::no_answer && !sized.why_not.empty()) {
            err += named + "was moved, but its page area is not known to be the size asked: " + sized.why_not + '\n';
        } else if (sized.placement.what != placement_result::outcome::placed) {
            err += named + "was found but not placed: " + not_placed(sized.placement) + '\n';
        }
        rethrow_interruption();
        return sized.placement.what == placement_result::outcome::placed ? command_done : command_not_placed;
    }
    const placement_result placed = resize_window(*windows, window, {*width, *height});
    if (placed.what != placement_result::outcome::placed) {
        err += "quenlow: '" + printable_title(found) + "' was found but not placed: " +
               not_placed(placed, windows->display_scale(window)) + '\n';
        return command_not_placed;
    }
    return command_done;
}

}  // namespace quenlow
