#include "platform/core/UiQueue.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace {

enum class SendState { Pending, Running, Done, Cancelled };

// Shared between a waiting sender and the UI thread.
struct SendTicket {
    SendState State = SendState::Pending;
    std::exception_ptr Error;
};

struct Item {
    UiQueue::TProc Fn;
    std::shared_ptr<SendTicket> Ticket;  // null for posted callbacks
};

struct QueueState {
    std::mutex Lock;
    std::condition_variable Changed;
    std::deque<Item> Items;
    bool Closed = false;
    std::shared_ptr<UiQueue::TProc> Wake;
    std::shared_ptr<UiQueue::TProc> Hook;
};

// Never destroyed: worker threads may still post while the process exits.
QueueState& Q() {
    static QueueState* q = new QueueState;
    return *q;
}

// Rounds of draining per ProcessPending; each round runs what was queued
// when it began.
constexpr int kMaxRounds = 32;

void CallWake() {
    std::shared_ptr<UiQueue::TProc> wake;
    {
        std::lock_guard<std::mutex> lock(Q().Lock);
        wake = Q().Wake;
    }
    if (wake && *wake) (*wake)();
}

// Runs the first queued callback; false when there was none.
bool RunOne() {
    QueueState& q = Q();
    std::unique_lock<std::mutex> lock(q.Lock);
    if (q.Items.empty()) return false;
    Item item = std::move(q.Items.front());
    q.Items.pop_front();
    if (!item.Ticket) {
        lock.unlock();
        item.Fn();
        return true;
    }
    item.Ticket->State = SendState::Running;
    lock.unlock();
    std::exception_ptr error;
    try {
        item.Fn();
    } catch (...) {
        error = std::current_exception();
    }
    item.Fn = nullptr;  // release what it holds before the sender returns
    lock.lock();
    item.Ticket->Error = error;
    item.Ticket->State = SendState::Done;
    q.Changed.notify_all();
    return true;
}

// Withdraws everything queued; the callbacks are destroyed after the lock
// is released, since their destructors may queue again.
std::deque<Item> WithdrawAll(QueueState& q) {
    std::deque<Item> items;
    items.swap(q.Items);
    for (Item& item : items)
        if (item.Ticket) item.Ticket->State = SendState::Cancelled;
    q.Changed.notify_all();
    return items;
}

}  // namespace

void UiQueue::SetUiThread() { SetMainThread(); }

bool UiQueue::IsUiThread() { return IsMainThread(); }

void UiQueue::Post(TProc fn) {
    if (!fn) return;
    {
        QueueState& q = Q();
        std::lock_guard<std::mutex> lock(q.Lock);
        if (q.Closed) return;
        q.Items.push_back(Item{std::move(fn), nullptr});
        q.Changed.notify_all();
    }
    CallWake();
}

bool UiQueue::Send(TProc fn, Cardinal timeoutMs) {
    if (!fn) return true;
    if (IsUiThread()) {
        fn();
        return true;
    }
    QueueState& q = Q();
    auto ticket = std::make_shared<SendTicket>();
    {
        std::lock_guard<std::mutex> lock(q.Lock);
        if (q.Closed) return false;
        q.Items.push_back(Item{std::move(fn), ticket});
        q.Changed.notify_all();
    }
    CallWake();

    std::unique_lock<std::mutex> lock(q.Lock);
    auto settled = [&] {
        return ticket->State == SendState::Done || ticket->State == SendState::Cancelled;
    };
    if (timeoutMs == INFINITE) {
        q.Changed.wait(lock, settled);
    } else {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        if (!q.Changed.wait_until(lock, deadline, settled)) {
            if (ticket->State == SendState::Pending) {
                // Not taken yet: withdraw it so it never runs.
                auto it = std::find_if(q.Items.begin(), q.Items.end(),
                                       [&](const Item& i) { return i.Ticket == ticket; });
                Item withdrawn;
                if (it != q.Items.end()) {
                    withdrawn = std::move(*it);
                    q.Items.erase(it);
                }
                ticket->State = SendState::Cancelled;
                lock.unlock();
                return false;  // withdrawn is destroyed here, unlocked
            }
            // Already running on the UI thread: it uses our locals, so wait.
            q.Changed.wait(lock, settled);
        }
    }
    if (ticket->State == SendState::Cancelled) return false;
    std::exception_ptr error = ticket->Error;
    lock.unlock();
    if (error) std::rethrow_exception(error);
    return true;
}

int UiQueue::ProcessPending() {
    if (!IsUiThread())
        throw EInvalidOperation("The UI call queue can only be processed on the UI thread");
    int ran = 0;
    for (int round = 0; round < kMaxRounds; ++round) {
        std::size_t count;
        {
            std::lock_guard<std::mutex> lock(Q().Lock);
            count = Q().Items.size();
        }
        if (count == 0) break;
        for (std::size_t i = 0; i < count && RunOne(); ++i) ++ran;
    }
    return ran;
}

bool UiQueue::HasPending() {
    std::lock_guard<std::mutex> lock(Q().Lock);
    return !Q().Items.empty();
}

bool UiQueue::ProcessUntil(const std::function<bool()>& done, Cardinal timeoutMs) {
    if (!IsUiThread())
        throw EInvalidOperation("The UI call queue can only be processed on the UI thread");
    QueueState& q = Q();
    const bool forever = timeoutMs == INFINITE;
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(forever ? 0 : timeoutMs);
    for (;;) {
        ProcessPending();
        std::unique_lock<std::mutex> lock(q.Lock);
        auto ready = [&] { return done() || !q.Items.empty(); };
        if (forever) {
            q.Changed.wait(lock, ready);
        } else if (!q.Changed.wait_until(lock, deadline, ready)) {
            return false;
        }
        if (done()) return true;
    }
}

void UiQueue::WakeWaiters() {
    std::lock_guard<std::mutex> lock(Q().Lock);
    Q().Changed.notify_all();
}

void UiQueue::SetWakeHandler(TProc handler) {
    auto h = handler ? std::make_shared<TProc>(std::move(handler)) : nullptr;
    std::lock_guard<std::mutex> lock(Q().Lock);
    Q().Wake = std::move(h);
}

void UiQueue::SetProcessMessagesHook(TProc hook) {
    auto h = hook ? std::make_shared<TProc>(std::move(hook)) : nullptr;
    std::lock_guard<std::mutex> lock(Q().Lock);
    Q().Hook = std::move(h);
}

void UiQueue::Shutdown() {
    std::deque<Item> dropped;
    std::shared_ptr<TProc> wake, hook;
    {
        QueueState& q = Q();
        std::lock_guard<std::mutex> lock(q.Lock);
        q.Closed = true;
        dropped = WithdrawAll(q);
        wake = std::move(q.Wake);
        hook = std::move(q.Hook);
    }
}

void UiQueue::Reset() {
    Shutdown();
    SetUiThread();
    std::lock_guard<std::mutex> lock(Q().Lock);
    Q().Closed = false;
}

void ProcessMessages() {
    if (!UiQueue::IsUiThread()) return;
    std::shared_ptr<UiQueue::TProc> hook;
    {
        std::lock_guard<std::mutex> lock(Q().Lock);
        hook = Q().Hook;
    }
    if (hook && *hook) (*hook)();
    UiQueue::ProcessPending();
}
