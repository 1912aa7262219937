#include "grid/TSMbcs.h"

#include <algorithm>

#include "platform/core/Strings.h"

namespace {
inline int Size(std::string_view t) { return static_cast<int>(t.size()); }
inline bool IsBreakByte(char c) { return c == '\r' || c == '\n'; }
}  // namespace

bool IsLineBreakAt(std::string_view text, int i) { return i >= 0 && i < Size(text) && IsBreakByte(text[std::size_t(i)]); }

bool SkipLineBreak(std::string_view text, int& i) {
    if (!IsLineBreakAt(text, i)) return false;
    char first = text[std::size_t(i)];
    ++i;
    if (i < Size(text) && IsBreakByte(text[std::size_t(i)]) && text[std::size_t(i)] != first) ++i;
    return true;
}

bool IsEndOfText(std::string_view text, int i) { return i >= Size(text); }

int CharLengthAt(std::string_view text, int i) {
    if (i < 0 || i >= Size(text)) return 0;
    if (IsLineBreakAt(text, i)) {
        int j = i;
        SkipLineBreak(text, j);
        return j - i;
    }
    return static_cast<int>(Utf8CharSize(text, std::size_t(i)));
}

int PrevCharLength(std::string_view text, int n) {
    n = std::min(n, Size(text));
    if (n <= 0) return 0;
    if (n == 1) return 1;
    if (IsLineBreakAt(text, n - 2)) {
        int j = n - 2;
        SkipLineBreak(text, j);
        if (j == n) return 2;
    }
    // Walk back over continuation bytes to the character's first byte.
    for (int start = n - 1; start >= std::max(0, n - 4); --start) {
        unsigned char b = static_cast<unsigned char>(text[std::size_t(start)]);
        if ((b & 0xC0) != 0x80) {
            return static_cast<int>(Utf8CharSize(text, std::size_t(start))) == n - start ? n - start : 1;
        }
    }
    return 1;
}

int FindByte(std::string_view text, char value, int n) {
    n = std::min(n, Size(text));
    for (int i = 0; i < n; ++i)
        if (text[std::size_t(i)] == value) return i;
    return -1;
}

int FindByteBack(std::string_view text, char value, int n) {
    n = std::min(n, Size(text));
    for (int i = n - 1; i >= 0; --i)
        if (text[std::size_t(i)] == value) return i;
    return -1;
}

int FindChar(std::string_view text, char ch, int n) {
    n = std::min(n, Size(text));
    for (int i = 0; i < n;) {
        int len = std::max(1, static_cast<int>(Utf8CharSize(text, std::size_t(i))));
        if (len == 1 && text[std::size_t(i)] == ch) return i;
        i += len;
    }
    return -1;
}

int FindCharBack(std::string_view text, char ch, int n) {
    n = std::min(n, Size(text));
    int found = -1;
    for (int i = 0; i < n;) {
        int len = std::max(1, static_cast<int>(Utf8CharSize(text, std::size_t(i))));
        if (len == 1 && text[std::size_t(i)] == ch) found = i;
        i += len;
    }
    return found;
}

bool IsLeadByte(unsigned char b) { return IsUtf8LeadByte(b); }
