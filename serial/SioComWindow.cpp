#include "serial/SioComWindow.h"

#include <map>
#include <memory>
#include <mutex>

#include "platform/core/UiQueue.h"

namespace {
struct Registry {
    std::mutex lock;
    std::map<TSioWindow, std::shared_ptr<TSioWindowProc>> windows;
    TSioWindow next = 1;
};

Registry& R() {
    static Registry r;
    return r;
}

std::shared_ptr<TSioWindowProc> Find(TSioWindow window) {
    std::lock_guard<std::mutex> l(R().lock);
    auto it = R().windows.find(window);
    return it == R().windows.end() ? nullptr : it->second;
}

void Deliver(TSioWindow window, Cardinal message, Cardinal param, Integer second) {
    if (auto proc = Find(window)) (*proc)(window, message, param, second);
}
}  // namespace

TSioWindow SioCreateWindow(TSioWindowProc proc) {
    std::lock_guard<std::mutex> l(R().lock);
    TSioWindow w = R().next++;
    if (R().next <= 0) R().next = 1;
    R().windows[w] = std::make_shared<TSioWindowProc>(std::move(proc));
    return w;
}

void SioDestroyWindow(TSioWindow window) {
    std::lock_guard<std::mutex> l(R().lock);
    R().windows.erase(window);
}

bool SioIsWindow(TSioWindow window) { return Find(window) != nullptr; }

void SioPostMessage(TSioWindow window, Cardinal message, Cardinal param, Integer second) {
    UiQueue::Post([=] { Deliver(window, message, param, second); });
}

bool SioSendMessageTimeout(TSioWindow window, Cardinal message, Cardinal param, Integer second,
                           Cardinal timeoutMs) {
    if (!SioIsWindow(window)) return false;
    try {
        return UiQueue::Send([=] { Deliver(window, message, param, second); }, timeoutMs);
    } catch (...) {
        // The window procedure ran and failed; the sender only cares that it ran.
        return true;
    }
}
