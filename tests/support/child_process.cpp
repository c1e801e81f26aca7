#include "child_process.h"

#include "eventually.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace quenlow::testing {

namespace {

// In a child just forked: sets the environment, connects the standard
// streams (-1: /dev/null) and runs the program.
[[noreturn]] void exec_in_child(std::vector<std::string>& argv,
                                const std::vector<std::pair<std::string, std::string>>& environment, int out,
                                int err)
{
    for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, STDIN_FILENO);
    dup2(out >= 0 ? out : null, STDOUT_FILENO);
    dup2(err >= 0 ? err : null, STDERR_FILENO);
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

}  // namespace

child_process::child_process(std::vector<std::string> argv,
                             std::vector<std::pair<std::string, std::string>> environment, group process_group)
    : own_group_(process_group == group::own)
{
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        if (own_group_) setpgid(0, 0);
        exec_in_child(argv, environment, -1, -1);
    }
    if (own_group_) setpgid(pid_, pid_);  // also here, so a signal sent at once reaches the group
}

child_process::~child_process() { stop(); }

int run_to_end(std::vector<std::string> argv, std::vector<std::pair<std::string, std::string>> environment)
{
    child_process child(std::move(argv), std::move(environment));
    const pid_t pid = child.pid();
    int status = 0;
    pid_t reaped = 0;
    if (!eventually([&] { return (reaped = waitpid(pid, &status, WNOHANG)) == pid; }, std::chrono::seconds(20))) {
        return -1;  // the child's destructor ends it
    }
    child.forget();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

finished_run run_capturing(std::vector<std::string> argv, std::vector<std::pair<std::string, std::string>> environment)
{
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe failed");
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) exec_in_child(argv, environment, out[1], err[1]);
    close(out[1]);
    close(err[1]);
    finished_run run;
    pollfd streams[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* texts[2] = {&run.out, &run.err};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int open_streams = 2;
    while (open_streams > 0 && std::chrono::steady_clock::now() < deadline) {
        if (poll(streams, 2, 100) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (streams[i].fd < 0 || !(streams[i].revents & (POLLIN | POLLHUP))) continue;
            char buffer[4096];
            const ssize_t got = read(streams[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                texts[i]->append(buffer, static_cast<std::size_t>(got));
            } else {
                close(streams[i].fd);
                streams[i].fd = -1;
                --open_streams;
            }
        }
    }
    for (const pollfd& stream : streams) {
        if (stream.fd >= 0) close(stream.fd);
    }
    int status = 0;
    if (!eventually([&] { return waitpid(pid, &status, WNOHANG) == pid; }, std::chrono::seconds(5))) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return run;
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

void child_process::forget() { pid_ = -1; }

bool child_process::running()
{
    if (pid_ <= 0) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        pid_ = -1;
        return false;
    }
    return true;
}

void child_process::signal(int number)
{
    kill(own_group_ ? -pid_ : pid_, number);
}

void child_process::stop()
{
    if (pid_ <= 0) return;
    const pid_t group = pid_;
    signal(SIGTERM);
    if (!eventually([&] { return !running(); }, std::chrono::seconds(5))) {
        signal(SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    // Helpers that outlived the program they belong to.
    if (own_group_) kill(-group, SIGKILL);
    pid_ = -1;
}

}  // namespace quenlow::testing
