#include "x_session.h"

#include "eventually.h"
#include "x_test_client.h"

#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace quenlow::testing {

namespace {

bool window_manager_announced(const std::string& display)
{
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> owned(c, xcb_disconnect);
    if (xcb_connection_has_error(c)) return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const auto root_property = [&](const std::string& name) {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, name.size(), name.data()), nullptr), &std::free);
        return std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)>(
            xcb_get_property_reply(c, xcb_get_property(c, 0, root, atom ? atom->atom : XCB_NONE,
                                                       XCB_GET_PROPERTY_TYPE_ANY, 0, 1), nullptr),
            &std::free);
    };
    // openbox announces itself before it handles map requests; it publishes
    // its client list once it does.
    const auto check = root_property("_NET_SUPPORTING_WM_CHECK");
    return check && xcb_get_property_value_length(check.get()) == 4;
}

// The manager's command line, with its own configuration where the
// distribution's default would start more than the manager (i3's bar).
std::vector<std::string> manager_command(x_session::window_manager manager, const std::string& config_dir)
{
    switch (manager) {
    case x_session::window_manager::openbox: return {"openbox", "--sm-disable"};
    case x_session::window_manager::metacity: return {"metacity", "--sm-disable"};
    case x_session::window_manager::awesome: return {"awesome"};
    case x_session::window_manager::icewm: return {"icewm"};
    case x_session::window_manager::i3: {
        const std::string config = config_dir + "/i3.config";
        std::ofstream(config) << "font pango:monospace 8\n";
        return {"i3", "-c", config};
    }
    case x_session::window_manager::none: break;
    }
    return {};
}

// openbox announces itself before its event loop runs and drops the map
// requests that come in between: map a probe window until one is managed.
bool window_manager_maps_windows(const std::string& display)
{
    x_test_client probe(display);
    test_window wanted;
    wanted.map = false;
    const xcb_window_t window = probe.create(wanted);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    bool managed = false;
    while (!managed && std::chrono::steady_clock::now() < deadline) {
        xcb_unmap_window(probe.connection(), window);
        xcb_map_window(probe.connection(), window);
        probe.flush();
        managed = eventually([&] { return probe.managed(window); }, std::chrono::milliseconds(300));
    }
    probe.destroy(window);
    return managed && eventually([&] { return !probe.managed(window); });
}

// Sets the desktop's scale as Xft.dpi and, through xsettingsd, as
// XSETTINGS' Xft/DPI (in 1024ths), waiting until the daemon owns the
// settings selection so a program started next reads it.
std::unique_ptr<child_process> scale_desktop(const std::string& display, int dpi, const std::string& folder)
{
    const std::vector<std::pair<std::string, std::string>> environment{{"DISPLAY", display}};
    std::ofstream(folder + "/Xresources") << "Xft.dpi: " << dpi << "\n";
    std::ofstream(folder + "/xsettingsd.conf") << "Xft/DPI " << dpi * 1024 << "\n";
    if (run_to_end({"xrdb", "-merge", folder + "/Xresources"}, environment) != 0) {
        throw std::runtime_error("xrdb did not set Xft.dpi on " + display);
    }
    auto daemon = std::make_unique<child_process>(
        std::vector<std::string>{"xsettingsd", "-c", folder + "/xsettingsd.conf"}, environment);
    x_test_client probe(display);
    const xcb_atom_t selection = probe.atom("_XSETTINGS_S0");
    const auto owned = [&] {
        std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
            xcb_get_selection_owner_reply(probe.connection(), xcb_get_selection_owner(probe.connection(), selection),
                                          nullptr),
            &std::free);
        return owner && owner->owner != XCB_NONE;
    };
    if (!eventually(owned, std::chrono::seconds(10))) {
        throw std::runtime_error("xsettingsd did not start on " + display + " (is the xsettingsd package installed?)");
    }
    return daemon;
}

}  // namespace

x_session::x_session(window_manager manager, x_screen size)
{
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
    server_ = fork();
    if (server_ < 0) throw std::runtime_error("fork failed");
    if (server_ == 0) {
        close(fds[0]);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        const std::string fd = std::to_string(fds[1]);
        const std::string geometry = std::to_string(size.width) + "x" + std::to_string(size.height) + "x24";
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", geometry.c_str(), "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        if (poll(&wait, 1, 200) <= 0) continue;
        char buffer[32];
        const ssize_t got = read(fds[0], buffer, sizeof buffer);
        if (got <= 0) break;
        number.append(buffer, static_cast<std::size_t>(got));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        stop_server();
        throw std::runtime_error("Xvfb did not start (is the xvfb package installed?)");
    }
    display_ = ":" + number.substr(0, number.find('\n'));

    if (manager != window_manager::none || size.dpi != 96) {
        char home[] = "/tmp/quenlow-wm-XXXXXX";
        if (mkdtemp(home) == nullptr) {
            stop_server();
            throw std::runtime_error("no folder for the window manager's configuration");
        }
        config_dir_ = home;
    }
    if (size.dpi != 96) {
        try {
            settings_ = scale_desktop(display_, size.dpi, config_dir_);
        } catch (...) {
            stop_server();
            std::filesystem::remove_all(config_dir_);
            throw;
        }
    }
    if (manager != window_manager::none) {
        const std::vector<std::string> command = manager_command(manager, config_dir_);
        manager_ = std::make_unique<child_process>(
            command, std::vector<std::pair<std::string, std::string>>{
                         {"DISPLAY", display_}, {"HOME", config_dir_}, {"XDG_CONFIG_HOME", config_dir_},
                         {"XDG_CACHE_HOME", config_dir_}, {"XDG_RUNTIME_DIR", config_dir_}});
        if (!eventually([&] { return window_manager_announced(display_); }, std::chrono::seconds(20)) ||
            !window_manager_maps_windows(display_)) {
            manager_.reset();
            stop_server();
            std::filesystem::remove_all(config_dir_);
            throw std::runtime_error(command.front() + " did not start on " + display_);
        }
    }
}

x_session::~x_session()
{
    manager_.reset();
    settings_.reset();
    stop_server();
    if (!config_dir_.empty()) std::filesystem::remove_all(config_dir_);
}

void x_session::stop_server()
{
    if (server_ <= 0) return;
    kill(server_, SIGTERM);
    int status = 0;
    const bool ended = eventually([&] { return waitpid(server_, &status, WNOHANG) == server_; },
                                  std::chrono::seconds(5));
    if (!ended) {
        kill(server_, SIGKILL);
        waitpid(server_, &status, 0);
    }
    server_ = -1;
}

}  // namespace quenlow::testing
