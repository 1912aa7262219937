#pragma once
// Test helper: a forked child process that runs a function and exits with
// its result. Waiting is bounded: a child that outlives the deadline is
// killed. The child must not touch Qt or the test's fixtures.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>

class ChildProcess {
public:
    explicit ChildProcess(const std::function<int()>& body) {
        pid_ = fork();
        if (pid_ == 0) _exit(body());
    }
    ~ChildProcess() { Wait(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The exit status, or -1 when the child had to be killed.
    int Wait() {
        if (pid_ <= 0) return status_;
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        int status = 0;
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > until) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
                pid_ = 0;
                return status_ = -1;
            }
            usleep(5000);
        }
        pid_ = 0;
        return status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    bool Started() const { return pid_ != -1; }

private:
    pid_t pid_ = -1;
    int status_ = -1;
};
