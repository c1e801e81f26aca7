// The command line's answers over the in-memory desktop: what it prints,
// and an exit status that means one thing each.
#include "command_line.h"
#include "fake_window_system.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace quenlow {
namespace {

struct command_run {
    int status = -1;
    std::string out, err;
};

// Runs the command line on a fresh in-memory desktop that `prepare` sets up.
command_run run(const std::vector<std::string>& arguments,
                const std::function<void(fake_window_system&)>& prepare = {})
{
    command_run result;
    result.status = run_command_line(
        arguments,
        [&]() -> std::unique_ptr<window_system> {
            auto desktop = std::make_unique<fake_window_system>();
            if (prepare) prepare(*desktop);
            return desktop;
        },
        result.out, result.err);
    return result;
}

TEST(CommandLineStatus, EachOutcomeHasAStatusOfItsOwnAndSaysWhy)
{
    const auto browser = [](fake_window_system& desktop) { desktop.open_window("Page - Chromium"); };
    EXPECT_EQ(run({"--size", "800x600", "Page - Chromium"}, browser).status, command_done);

    // Found, and the desktop kept it at another size.
    const auto kept = run({"--size", "800x600"}, [&](fake_window_system& desktop) {
        browser(desktop);
        desktop.placement_answer = placement_result{placement_result::outcome::other_size, 796, 600};
    });
    EXPECT_EQ(kept.status, command_not_placed);
    EXPECT_EQ(kept.err, "quenlow: 'Page - Chromium' was found but not placed: its size stayed 796x600\n");
    // On a 150 % desktop, told in the pixels typed, not the display's.
    const auto kept_scaled = run({"--size", "640x480"}, [&](fake_window_system& desktop) {
        browser(desktop);
        desktop.scale = 1.5;
        desktop.placement_answer = placement_result{placement_result::outcome::other_size, 1200, 900};
    });
    EXPECT_EQ(kept_scaled.err, "quenlow: 'Page - Chromium' was found but not placed: its size stayed 800x600\n");

    // The desktop needs a step of the user's: said, and nothing listed.
    const auto setup = run({"--list"}, [&](fake_window_system& desktop) {
        browser(desktop);
        desktop.pending.step = setup_step::all_extensions_off;
    });
    EXPECT_EQ(setup.status, command_setup_needed);
    EXPECT_EQ(setup.out, "");
    EXPECT_NE(setup.err.find("All GNOME Shell extensions are switched off"), std::string::npos) << setup.err;

}

TEST(CommandLineStatus, TitlesPrintOneALineAndDashDashEndsTheOptions)
{
    const auto odd = [](fake_window_system& desktop) {
        desktop.open_window("-v - Chromium");
        desktop.open_window("Two\nlines\x1b[31m\xC2\x9B" "2J - Chromium");
    };
    const auto listed = run({"--list"}, odd);
    EXPECT_EQ(listed.status, command_done);
    EXPECT_EQ(listed.out, "Two\\x0Alines\\x1B[31m\\xC2\\x9B2J - Chromium\n-v - Chromium\n");
    EXPECT_EQ(run({"--size", "800x600", "--", "-v - Chromium"}, odd).status, command_done);
    EXPECT_EQ(run({"--size", "--", "800x600", "-v - Chromium"}, odd).status, command_done);
    EXPECT_EQ(run({"--size", "800x600", "--", "-v - Chromium", "more"}, odd).status, command_usage_error);

    // As GNU programs take theirs: the size after '=', options in any order
    // (--page here, with no page reader, reaches the page step), and a usage
    // error in one line.
    EXPECT_EQ(run({"--size=800x600", "--", "-v - Chromium"}, odd).status, command_done);
    EXPECT_EQ(run({"--page", "--size", "800x600", "--", "-v - Chromium"}, odd).status, command_not_placed);
    EXPECT_EQ(run({"--list", "--size", "800x600"}, odd).err,
              "quenlow: '--list' and '--size' do not go together\nTry 'quenlow --help' for more information.\n");
}

}  // namespace
}  // namespace quenlow
