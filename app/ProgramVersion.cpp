#include "app/ProgramVersion.h"

#include "app/BuildVersion.h"

const char* const kFileVersionQuery = "StringFileInfo\\040904E4\\FileVersion";

namespace {
const TProgramVersionInfo* g_override = nullptr;
}

bool TProgramVersionInfo::QueryValue(const std::string& path, std::string& value) const {
    if (!Present) return false;
    auto it = Values.find(path);
    if (it == Values.end()) return false;
    value = it->second;
    return true;
}

TProgramVersionInfo ProgramVersionInfo() {
    if (g_override) return *g_override;
    TProgramVersionInfo info;
    info.Present = true;
    info.Values[kFileVersionQuery] = OMR_FILE_VERSION;
    return info;
}

void SetProgramVersionInfoForTesting(const TProgramVersionInfo* info) { g_override = info; }
