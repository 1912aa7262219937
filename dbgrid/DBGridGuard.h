#pragma once
// Nesting counters of the data-aware grid's files.

#include "platform/core/Types.h"

// Raises a counter for a scope and lowers it again, also when an
// exception passes; the counter never goes below 0.
class TCounterGuard {
public:
    explicit TCounterGuard(Integer& counter) : counter_(counter) { ++counter_; }
    ~TCounterGuard() {
        if (counter_ > 0) --counter_;
    }
    TCounterGuard(const TCounterGuard&) = delete;
    TCounterGuard& operator=(const TCounterGuard&) = delete;

private:
    Integer& counter_;
};
