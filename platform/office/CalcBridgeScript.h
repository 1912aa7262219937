#pragma once
// The Python source of the spreadsheet automation helper (private to the
// office folder).
extern const char* const kCalcBridgeScript;
