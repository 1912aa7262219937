#pragma once
// Locale-aware comparison of UTF-8 text, used by the in-memory table for
// keys that do not ask for ordinal comparison. It orders text the way a user
// expects a word list to be ordered: punctuation before digits before
// letters, letters without regard to accents and case first, then accents,
// then case (lower before upper); hyphens and apostrophes only break ties.
// It never depends on the machine's locale settings.

#include <string>
#include <string_view>

// Returns -1, 0 or 1. ignoreCase skips the case level.
int LocaleCompareText(std::string_view a, std::string_view b, bool ignoreCase);

// Byte-wise comparison (-1, 0, 1); with ignoreCase ASCII letters are folded.
int OrdinalCompareText(std::string_view a, std::string_view b, bool ignoreCase);

// Appends a binary key for text such that comparing two keys byte-wise
// (memcmp, shorter first on a common prefix) orders the texts exactly as
// LocaleCompareText does. No key is a proper prefix of another.
void AppendLocaleSortKey(std::string& out, std::string_view text, bool ignoreCase);
