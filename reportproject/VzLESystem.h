#pragma once
// The system-function table: native routines that compiled report-language
// code calls through the native slots of the module named after each group.

#include <string>
#include <vector>

#include "reportproject/VzLERun.h"

struct TVizeFuncItem {
    TNativeEntry Entry;
    const char* Name;
    const char* Module;
};

// The table in registration order.
const std::vector<TVizeFuncItem>& SystemFunctions();
// Passes every item of the table to RegisterNative.
void RegisterSystemFunctions();
