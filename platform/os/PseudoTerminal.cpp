#include "platform/os/PseudoTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>

PseudoTerminal::PseudoTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) throw std::runtime_error("posix_openpt failed");
    char name[128];
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname_r(master_, name, sizeof name) != 0) {
        ::close(master_);
        throw std::runtime_error("cannot prepare the pseudo-terminal");
    }
    slavePath_ = name;
    // Raw from the start, so nothing is echoed or translated before the
    // program sets its own line settings.
    termios t{};
    tcgetattr(master_, &t);
    cfmakeraw(&t);
    tcsetattr(master_, TCSANOW, &t);
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        ::close(master_);
        throw std::runtime_error("cannot open the pseudo-terminal's slave");
    }
    int flags = fcntl(master_, F_GETFL);
    fcntl(master_, F_SETFL, flags | O_NONBLOCK);
}

PseudoTerminal::~PseudoTerminal() { Close(); }

bool PseudoTerminal::ReleaseStaleExclusive() {
    int exclusive = 0;
    if (slave_ < 0 || ::ioctl(slave_, TIOCGEXCL, &exclusive) != 0 || exclusive == 0) return false;
    // The serial device layer holds an advisory lock while the port is
    // open; when it can be taken, nobody has the port open any more.
    if (::flock(slave_, LOCK_EX | LOCK_NB) != 0) return false;
    ::ioctl(slave_, TIOCNXCL);
    ::flock(slave_, LOCK_UN);
    return true;
}

void PseudoTerminal::Close() {
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
    master_ = slave_ = -1;
}

bool PseudoTerminal::Write(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        if (master_ < 0) return false;
        ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return false;
        pollfd p{master_, POLLOUT, 0};
        poll(&p, 1, 1000);
    }
    return true;
}

std::string PseudoTerminal::Read(int timeoutMs) {
    std::string out;
    if (master_ < 0) return out;
    pollfd p{master_, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0 || !(p.revents & POLLIN)) return out;
    char buf[4096];
    for (;;) {
        ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) {
            out.append(buf, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        break;
    }
    return out;
}

std::string PseudoTerminal::ReadExactly(std::size_t count, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string out;
    while (out.size() < count) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) break;
        out += Read(static_cast<int>(left));
    }
    return out;
}
