// The Linux program's entry point. A command from a shell or a shortcut key
// runs here, on the window-system backends alone: Qt is not even loaded, so
// it is done in milliseconds. Only for the window does it load the Qt
// module (quenlow_window_main) and hand over.
#include "command_line.h"
#include "window_system_for_platform.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Qt's own options, which still open the window.
const std::vector<std::string> qt_options{
    "-display", "-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-qwindowgeometry",
    "-qwindowicon", "-qwindowtitle", "-reverse", "-session", "-geometry", "-style", "-stylesheet",
    "-widgetcount", "-name", "-title", "-visual", "-sync", "-nograb", "-dograb"};

// The folder this executable is in, with a trailing slash; "" when the
// system does not say (never the current folder: a module found there
// could be anyone's).
std::string own_folder()
{
    std::string path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0) return {};
    path.resize(static_cast<std::size_t>(length));
    return path.substr(0, path.rfind('/') + 1);
}

// The window module: beside the executable in the build tree, in the
// library folder once installed.
void* load_window_module()
{
    const std::string folder = own_folder();
    if (folder.empty()) {
        std::fprintf(stderr, "quenlow: /proc/self/exe does not say where this program is, so its window is not loaded\n");
        return nullptr;
    }
    for (const std::string& path : {folder + QUENLOW_WINDOW_MODULE, folder + QUENLOW_INSTALLED_WINDOW_MODULE}) {
        if (access(path.c_str(), R_OK) != 0) continue;
        if (void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return module;
        std::fprintf(stderr, "quenlow: %s\n", dlerror());
        return nullptr;
    }
    std::fprintf(stderr, "quenlow: %s is missing beside %s\n", QUENLOW_WINDOW_MODULE, folder.c_str());
    return nullptr;
}

}  // namespace

int main(int argc, char* argv[])
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (quenlow::wants_command_line(arguments, qt_options)) {
        // A reader that has gone (quenlow --list | head -0) is a write that
        // failed, told by its status, not a death by SIGPIPE.
        std::signal(SIGPIPE, SIG_IGN);
        std::string out, err;
        // The command line changes no desktop setting.
        const auto connect = [] {
            return quenlow::window_system_for_platform(quenlow::platform_of_session(), {},
                                                       quenlow::desktop_settings::left_alone);
        };
        int status = quenlow::run_command_line(arguments, connect, out, err, [] {
            return quenlow::page_area_reader_for_platform(quenlow::platform_of_session());
        });
        std::fwrite(out.data(), 1, out.size(), stdout);
        // A list that did not reach its reader (a full disk, a closed pipe)
        // is no success.
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
            err += std::string("quenlow: cannot write the output: ") + std::strerror(errno) + '\n';
            status = quenlow::command_output_failed;
        }
        std::fwrite(err.data(), 1, err.size(), stderr);
        return status;
    }
    void* module = load_window_module();
    if (!module) return 1;
    using window_main = int (*)(int, char**);
    const auto run_window = reinterpret_cast<window_main>(dlsym(module, "quenlow_window_main"));
    if (!run_window) {
        std::fprintf(stderr, "quenlow: %s\n", dlerror());
        return 1;
    }
    return run_window(argc, argv);
}
