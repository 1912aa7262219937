#include "platform/os/SerialPorts.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <set>

#include "platform/core/Program.h"

namespace {
std::string WithSlash(std::string s) {
    if (s.empty() || s.back() != '/') s += '/';
    return s;
}

std::string LinkPath(int n) { return SerialPortFolder() + "COM" + std::to_string(n); }

bool HasLink(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

std::string DefaultDevice(int n) {
    if (n >= 1 && n <= 8) return "/dev/ttyS" + std::to_string(n - 1);
    if (n >= 9 && n <= 16) return "/dev/ttyUSB" + std::to_string(n - 9);
    if (n >= 17 && n <= 24) return "/dev/ttyACM" + std::to_string(n - 17);
    return {};
}

bool IsCharDevice(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

// A legacy UART node exists whether or not a UART is fitted; the kernel
// reports an absent one with type 0.
bool UartFitted(const std::string& device) {
    std::string name = device.substr(device.rfind('/') + 1);
    std::ifstream in("/sys/class/tty/" + name + "/type");
    int type = -1;
    if (!(in >> type)) return true;
    return type != 0;
}

bool DefaultPresent(int n) {
    std::string dev = DefaultDevice(n);
    if (dev.empty() || !IsCharDevice(dev)) return false;
    if (n <= 8) return UartFitted(dev);
    return true;
}

// "COM<digits>" with a number from 1 up; 0 for any other name.
int PortNumberOfName(const std::string& name) {
    if (name.size() < 4 || name.compare(0, 3, "COM") != 0 || name.size() > 12) return 0;
    long n = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        n = n * 10 + (name[i] - '0');
    }
    if (name[3] == '0') return 0;
    return n > 0 && n < 1000000 ? static_cast<int>(n) : 0;
}
}  // namespace

std::string SerialPortFolder() {
    const char* env = std::getenv("OMR_PORTS");
    if (env && *env) return WithSlash(env);
    return ProgramFolder() + "ports/";
}

std::string SerialPortDevicePath(int n) {
    if (n <= 0) return {};
    std::string link = LinkPath(n);
    if (HasLink(link)) return link;
    return DefaultDevice(n);
}

bool SerialPortPresent(int n) {
    if (n <= 0) return false;
    std::string link = LinkPath(n);
    if (HasLink(link)) return IsCharDevice(link);
    return DefaultPresent(n);
}

bool ListSerialPorts(std::vector<std::string>& names) {
    names.clear();
    std::set<int> present;
    std::set<int> linked;
    std::string folder = SerialPortFolder();
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* e = readdir(dir)) {
            int n = PortNumberOfName(e->d_name);
            if (n == 0) continue;
            linked.insert(n);
            if (IsCharDevice(folder + e->d_name)) present.insert(n);
        }
        closedir(dir);
    } else if (errno != ENOENT && errno != ENOTDIR) {
        return false;
    }
    for (int n = 1; n <= 24; ++n)
        if (!linked.count(n) && DefaultPresent(n)) present.insert(n);
    for (int n : present) names.push_back("COM" + std::to_string(n));
    return true;
}
