#pragma once
// A program the test starts and ends: stdin from /dev/null, output
// discarded, extra environment variables set; terminated (then killed, if it
// lingers) when the object goes. A program that starts helpers of its own (a
// browser) gets a process group of its own, and the whole group is ended.

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

namespace quenlow::testing {

class child_process {
public:
    enum class group { shared, own };
    child_process(std::vector<std::string> argv,
                  std::vector<std::pair<std::string, std::string>> environment = {},
                  group process_group = group::shared);
    ~child_process();
    child_process(const child_process&) = delete;
    child_process& operator=(const child_process&) = delete;

    pid_t pid() const { return pid_; }
    // Still running (not exited and not yet reaped).
    bool running();
    // How it ended, once running() has said it did: its exit code, or -1
    // when a signal ended it. A sanitizer report makes the code non-zero.
    int exit_code() const { return exit_code_; }
    void stop();
    // Stops tracking a child that was reaped elsewhere.
    void forget();

private:
    void signal(int number);

    pid_t pid_ = -1;
    int exit_code_ = -1;
    bool own_group_ = false;
};

// Runs a program to its end (at most 20 s) and returns its exit status, or
// -1 when it did not end normally.
int run_to_end(std::vector<std::string> argv, std::vector<std::pair<std::string, std::string>> environment = {});

// The same, keeping what the program printed.
struct finished_run {
    int status = -1;
    std::string out, err;
};
finished_run run_capturing(std::vector<std::string> argv,
                           std::vector<std::pair<std::string, std::string>> environment = {});

}  // namespace quenlow::testing
