#pragma once
// Firing an event handler safely: the handler is copied before the call, so
// a handler that replaces or clears its own event (a window detaching itself
// from a port while it handles that port's event) keeps its captured state
// alive until it returns.

#include <utility>

template <class Handler, class... Args>
void FireEvent(const Handler& handler, Args&&... args) {
    if (!handler) return;
    Handler call = handler;
    call(std::forward<Args>(args)...);
}
