// `quenlow --list` and `quenlow --size` as a script or a shortcut key runs
// them: the real program on a private X server with openbox, its output and
// exit status read as a shell would, the windows' rectangles from the server.
#include "child_process.h"
#include "eventually.h"
#include "lands_at.h"
#include "x_session.h"
#include "x_test_client.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>

namespace quenlow {
namespace {

using testing::finished_run;
using testing::lands_at;
using testing::run_capturing;
using testing::run_to_end;
using testing::x_rect;
using testing::x_session;
using testing::x_test_client;

class CommandLine : public ::testing::Test {
protected:
    CommandLine() : client(session.display()) {}

    finished_run quenlow(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), QUENLOW_PROGRAM);
        return run_capturing(arguments, {{"DISPLAY", session.display()},
                                         {"XDG_CONFIG_HOME", config.path().toStdString()},
                                         {"XDG_RUNTIME_DIR", config.path().toStdString()}});
    }
    void activate(xcb_window_t window)
    {
        ASSERT_EQ(run_to_end({"xdotool", "windowactivate", "--sync", std::to_string(window)},
                             {{"DISPLAY", session.display()}}),
                  0);
    }

    x_session session;
    x_test_client client;
    QTemporaryDir config;
};

TEST_F(CommandLine, ListPrintsTheBrowserTitlesByteForByteTopFirstAndWritesNoSetting)
{
    client.create_titled("Example Domain \u2014 Mozilla Firefox");
    client.create_titled("Terminal");
    client.create_titled("\u9996\u9801 \U0001F310 - Chromium");
    client.create_titled("Example Domain \u2014 Mozilla Firefox");
    const finished_run run = quenlow({"--list"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Example Domain \xE2\x80\x94 Mozilla Firefox\n"
                       "\xE9\xA6\x96\xE9\xA0\x81 \xF0\x9F\x8C\x90 - Chromium\n"
                       "Example Domain \xE2\x80\x94 Mozilla Firefox\n");
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(QDir(config.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

TEST_F(CommandLine, SizePlacesTheTitledWindowElseTheActiveBrowserElseTheFirstListed)
{
    const xcb_window_t firefox = client.create_titled("Page \u2014 Mozilla Firefox", {300, 200, 500, 400});
    const xcb_window_t chromium = client.create_titled("Page - Chromium", {350, 250, 500, 400});
    const xcb_window_t editor = client.create_titled("Notes - Editor", {400, 300, 300, 200});

    EXPECT_EQ(quenlow({"--size", "800x600", "Page \u2014 Mozilla Firefox"}).status, 0);
    EXPECT_TRUE(lands_at(client, firefox, {0, 0, 800, 600}));

    activate(chromium);
    EXPECT_EQ(quenlow({"--size", "1024x768"}).status, 0);
    EXPECT_TRUE(lands_at(client, chromium, {0, 0, 1024, 768}));

    // The active window is no browser: the first one listed, the one on top.
    activate(firefox);
    activate(editor);
    const finished_run run = quenlow({"--size", "333x222"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out + run.err, "");
    EXPECT_TRUE(lands_at(client, firefox, {0, 0, 333, 222}));
    EXPECT_EQ(client.visible_rect(chromium), (x_rect{0, 0, 1024, 768}));
}

TEST_F(CommandLine, BadArgumentsAndMissingWindowsChangeNothing)
{
    const xcb_window_t browser = client.create_titled("Page - Chromium", {300, 200, 500, 400});
    const x_rect before = client.visible_rect(browser);
    struct bad_call {
        std::vector<std::string> arguments;
        std::string named;  // what the message names
    };
    for (const bad_call& call : std::vector<bad_call>{{{"--size", "800"}, "800"},
                                                      {{"--size", "800x"}, "800x"},
                                                      {{"--size", "-800x600"}, "-800x600"},
                                                      {{"--size", "800x600x"}, "800x600x"},
                                                      {{"--size", "99x600"}, "99x600"},
                                                      {{"--size", "800x8193"}, "800x8193"},
                                                      {{"--size"}, "--size"},
                                                      {{"--size", "800x600", "Page - Chromium", "more"}, "more"},
                                                      {{"--list", "Page - Chromium"}, "Page - Chromium"},
                                                      {{"--lsit"}, "--lsit"},
                                                      {{"Page - Chromium"}, "Page - Chromium"}}) {
        const finished_run run = quenlow(call.arguments);
        EXPECT_EQ(run.status, 2) << call.named;
        EXPECT_NE(run.err.find("'" + call.named + "'"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("\nTry 'quenlow --help' for more information.\n"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    const finished_run missing = quenlow({"--size", "800x600", "Page - chromium"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Page - chromium"), std::string::npos) << missing.err;
    EXPECT_EQ(client.visible_rect(browser), before);
}

TEST_F(CommandLine, ItSaysTrulyWhenNothingWasPlacedListedOrWritten)
{
    // Size steps of 7x13 (a terminal's) forbid 800x600 exactly: found, not placed.
    testing::test_window stepped;
    stepped.net_wm_name = "Stepped - Chromium";
    stepped.min_base_increment = std::array<int, 6>{20, 20, 4, 4, 7, 13};
    client.create(stepped);
    const finished_run kept = quenlow({"--size", "800x600", "Stepped - Chromium"});
    EXPECT_EQ(kept.status, 4) << kept.err;
    EXPECT_NE(kept.err.find("'Stepped - Chromium' was found but not placed: its size stayed "), std::string::npos)
        << kept.err;

    // Qt would fall back to xcb where no Wayland compositor runs: so does
    // the command line.
    const finished_run fallen_back = run_capturing({QUENLOW_PROGRAM, "--list"},
                                                   {{"DISPLAY", session.display()},
                                                    {"QT_QPA_PLATFORM", "wayland;xcb"},
                                                    {"XDG_RUNTIME_DIR", config.path().toStdString()}});
    EXPECT_EQ(fallen_back.status, 0) << fallen_back.err;
    EXPECT_EQ(fallen_back.out, "Stepped - Chromium\n");

    // No display at all (ssh, cron): said, not an empty list.
    const finished_run nowhere = run_capturing(
        {QUENLOW_PROGRAM, "--list"},
        {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"XDG_SESSION_TYPE", ""}, {"QT_QPA_PLATFORM", ""}});
    EXPECT_EQ(nowhere.status, 5) << nowhere.err;
    EXPECT_NE(nowhere.err.find("no desktop this program can reach: no display"), std::string::npos) << nowhere.err;

    // A list that could not be written is no success.
    const finished_run full = run_capturing({"sh", "-c", std::string(QUENLOW_PROGRAM) + " --list >/dev/full"},
                                            {{"DISPLAY", session.display()}});
    EXPECT_EQ(full.status, 6) << full.err;
    EXPECT_NE(full.err.find("cannot write the output"), std::string::npos) << full.err;

    // Nor is one whose reader has gone (quenlow --list | head -0): a pipe
    // whose reading end is closed before the list is written.
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    close(ends[0]);
    const pid_t lister = fork();
    if (lister == 0) {
        dup2(ends[1], STDOUT_FILENO);
        setenv("DISPLAY", session.display().c_str(), 1);
        execl(QUENLOW_PROGRAM, QUENLOW_PROGRAM, "--list", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ends[1]);
    int status = 0;
    ASSERT_EQ(waitpid(lister, &status, 0), lister);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 6) << "status " << status;
}

}  // namespace
}  // namespace quenlow
