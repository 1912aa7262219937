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

// Gives a variable a value for a scope and puts the old one back, also
// when an exception passes.
template <class T>
class TScopedValue {
public:
    TScopedValue(T& variable, T value) : variable_(variable), old_(variable) { variable_ = value; }
    ~TScopedValue() { variable_ = old_; }
    TScopedValue(const TScopedValue&) = delete;
    TScopedValue& operator=(const TScopedValue&) = delete;

private:
    T& variable_;
    T old_;
};
