#pragma once
// Strings of the report language. A string value is a 32-bit handle into a
// process-wide pool of reference-counted texts; handle 0 is the empty
// string. Handles let 32-bit cells of byte code hold strings on a 64-bit
// platform.

#include <cstdint>
#include <string>

using TScriptString = std::uint32_t;

namespace ScriptStrings {
// A new handle holding text with one reference (0 for empty text).
TScriptString Make(const std::string& text);
// The text of a handle; an unknown handle raises EReportPrinter.
const std::string& Text(TScriptString h);
void AddRef(TScriptString h);
void Release(TScriptString h);
// *slot := h with reference counting (h gains a reference, the old loses one).
void Assign(TScriptString& slot, TScriptString h);
// Number of live handles, for leak checks.
std::size_t LiveCount();
}  // namespace ScriptStrings
