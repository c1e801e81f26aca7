#include "child_process.h"

#include "eventually.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace quenlow::testing {

child_process::child_process(std::vector<std::string> argv,
                             std::vector<std::pair<std::string, std::string>> environment)
{
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        std::vector<char*> args;
        for (auto& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
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

void child_process::stop()
{
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    if (!eventually([&] { return !running(); }, std::chrono::seconds(5))) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
}

}  // namespace quenlow::testing
