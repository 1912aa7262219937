#pragma once
// Runs a check in a child process with no more rights than an ordinary
// user: as root the child drops to the user and group "nobody" (65534), so
// that file permissions apply to it. The child's answer comes back as text.

#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

inline std::string RunUnprivileged(const std::function<std::string()>& body) {
    int fds[2];
    if (::pipe(fds) != 0) return "pipe failed";
    pid_t pid = ::fork();
    if (pid < 0) return "fork failed";
    if (pid == 0) {
        ::close(fds[0]);
        ::alarm(20);  // a check that hangs ends the child, not the test
        std::string answer;
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            answer = "cannot drop root rights";
        else
            answer = body();
        ssize_t ignored = ::write(fds[1], answer.data(), answer.size());
        (void)ignored;
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string answer;
    char buf[512];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) answer.append(buf, std::size_t(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status)) return "the child did not end normally";
    return answer;
}
