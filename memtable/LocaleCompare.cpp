#include "memtable/LocaleCompare.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

// Weight of one character at the three levels. Primary 0 marks a character
// that is skipped until the final tie-break (hyphen, apostrophe, soft hyphen).
struct Weight {
    std::uint32_t primary;
    std::uint16_t secondary;
    std::uint8_t tertiary;
};

constexpr std::uint32_t kControlBase = 1;
constexpr std::uint32_t kSymbolBase = 100;
constexpr std::uint32_t kDigitBase = 200;
constexpr std::uint32_t kLetterBase = 300;
constexpr std::uint32_t kOtherBase = 10000;

// Punctuation in the order a word list puts it.
constexpr const char kSymbolOrder[] = " !\"#$%&()*,./:;?@[\\]^_`{|}~+<=>";

struct AsciiTable {
    std::array<Weight, 128> w{};
    AsciiTable() {
        for (int c = 0; c < 128; ++c) w[c] = {kOtherBase + static_cast<std::uint32_t>(c), 0, 0};
        for (int c = 0; c < 32; ++c) w[c] = {kControlBase + static_cast<std::uint32_t>(c), 0, 0};
        w[127] = {kControlBase + 32, 0, 0};
        for (std::size_t i = 0; kSymbolOrder[i]; ++i)
            w[static_cast<unsigned char>(kSymbolOrder[i])] = {kSymbolBase + static_cast<std::uint32_t>(i), 0, 0};
        for (int c = '0'; c <= '9'; ++c) w[c] = {kDigitBase + static_cast<std::uint32_t>(c - '0'), 0, 0};
        for (int c = 'a'; c <= 'z'; ++c) {
            std::uint32_t p = kLetterBase + static_cast<std::uint32_t>(c - 'a') * 4;
            w[c] = {p, 0, 0};
            w[c - 'a' + 'A'] = {p, 0, 1};
        }
        w['-'] = {0, 0, 0};
        w['\''] = {0, 0, 0};
    }
};

const AsciiTable& Ascii() {
    static const AsciiTable table;
    return table;
}

std::uint32_t LetterPrimary(char base) { return kLetterBase + static_cast<std::uint32_t>(base - 'a') * 4; }

// Latin-1 supplement letters fold to their base letter at the first level.
Weight LatinWeight(std::uint32_t cp) {
    static const char* const kLower = "aaaaaaaceeeeiiiidnooooo/ouuuuyty";  // U+00E0..U+00FF
    if (cp == 0xAD) return {0, 0, 0};
    if (cp == 0xDF) return {LetterPrimary('s'), 1, 0};
    if (cp >= 0xC0 && cp <= 0xFF && cp != 0xD7 && cp != 0xF7) {
        bool upper = cp < 0xE0;
        std::uint32_t lower = upper ? cp + 0x20 : cp;
        char base = kLower[lower - 0xE0];
        if (base == 't') return {LetterPrimary('z') + 1, 0, static_cast<std::uint8_t>(upper)};  // thorn
        return {LetterPrimary(base), static_cast<std::uint16_t>(lower - 0xDF),
                static_cast<std::uint8_t>(upper)};
    }
    // Latin-1 punctuation follows the ASCII punctuation, before the digits.
    if (cp < 0xC0) return {kSymbolBase + 32 + (cp - 0x80), 0, 0};
    return {kOtherBase + cp, 0, 0};
}

// Reads the next code point; invalid bytes stand for themselves.
std::uint32_t NextCodePoint(const unsigned char*& p, const unsigned char* end) {
    unsigned c = *p++;
    if (c < 0x80) return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (extra == 0 || end - p < extra) return 0xFFFD0000u | c;
    std::uint32_t cp = c & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0xFFFD0000u | c;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    p += extra;
    return cp;
}

Weight WeightOf(std::uint32_t cp) {
    if (cp < 128) return Ascii().w[cp];
    if (cp < 0x100) return LatinWeight(cp);
    return {kOtherBase + (cp & 0xFFFFFFu), 0, 0};
}

class Cursor {
public:
    explicit Cursor(std::string_view s)
        : p_(reinterpret_cast<const unsigned char*>(s.data())), end_(p_ + s.size()) {}
    // Next character that counts at the first three levels; false at the end.
    bool Next(Weight& w) {
        while (p_ < end_) {
            if (*p_ < 0x80) {
                w = Ascii().w[*p_++];
            } else {
                w = WeightOf(NextCodePoint(p_, end_));
            }
            if (w.primary != 0) return true;
        }
        return false;
    }

private:
    const unsigned char* p_;
    const unsigned char* end_;
};

int Sign(long long v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

int CompareLevel(std::string_view a, std::string_view b, int level) {
    Cursor ca(a), cb(b);
    Weight wa{}, wb{};
    for (;;) {
        bool ha = ca.Next(wa), hb = cb.Next(wb);
        if (!ha || !hb) return ha ? 1 : hb ? -1 : 0;
        long long d = level == 0 ? static_cast<long long>(wa.primary) - wb.primary
                    : level == 1 ? static_cast<long long>(wa.secondary) - wb.secondary
                                 : static_cast<long long>(wa.tertiary) - wb.tertiary;
        if (d != 0) return Sign(d);
    }
}

}  // namespace

int LocaleCompareText(std::string_view a, std::string_view b, bool ignoreCase) {
    // Fast first level for plain ASCII text: most keys differ here.
    const AsciiTable& t = Ascii();
    std::size_t i = 0, j = 0;
    const unsigned char* pa = reinterpret_cast<const unsigned char*>(a.data());
    const unsigned char* pb = reinterpret_cast<const unsigned char*>(b.data());
    bool ascii = true;
    for (;;) {
        while (i < a.size() && pa[i] < 0x80 && t.w[pa[i]].primary == 0) ++i;
        while (j < b.size() && pb[j] < 0x80 && t.w[pb[j]].primary == 0) ++j;
        if (i == a.size() || j == b.size()) {
            if (i == a.size() && j == b.size()) break;
            // One side may still hold only skipped non-ASCII characters.
            ascii = false;
            break;
        }
        if (pa[i] >= 0x80 || pb[j] >= 0x80) {
            ascii = false;
            break;
        }
        std::uint32_t wa = t.w[pa[i]].primary, wb = t.w[pb[j]].primary;
        if (wa != wb) return wa < wb ? -1 : 1;
        ++i;
        ++j;
    }
    int r = ascii ? 0 : CompareLevel(a, b, 0);
    if (r == 0) r = CompareLevel(a, b, 1);
    if (r == 0 && !ignoreCase) r = CompareLevel(a, b, 2);
    if (r != 0) return r;
    // Equal but for skipped characters: fewer of them first, then bytes.
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    if (ignoreCase) return 0;
    int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

int OrdinalCompareText(std::string_view a, std::string_view b, bool ignoreCase) {
    if (!ignoreCase) {
        int c = a.compare(b);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t k = 0; k < n; ++k) {
        unsigned char ca = static_cast<unsigned char>(a[k]), cb = static_cast<unsigned char>(b[k]);
        if (ca >= 'a' && ca <= 'z') ca -= 32;
        if (cb >= 'a' && cb <= 'z') cb -= 32;
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

void AppendLocaleSortKey(std::string& out, std::string_view text, bool ignoreCase) {
    // Level 1: primary weights, two bytes each (0xFF and three bytes for the
    // rare large ones), then two zero bytes. Levels 2 and 3: one byte per
    // character (weight + 1), trailing lowest weights dropped, then a zero.
    // Then the length, then (with case, and only when the text holds
    // characters whose weights do not tell them apart: skipped ones or
    // non-ASCII) the bytes themselves.
    const size_t n = text.size();
    char local[2 * 128];
    std::string heap;
    char* secondary = local;
    char* tertiary = local + 128;
    if (n > 128) {
        heap.resize(2 * n);
        secondary = heap.data();
        tertiary = heap.data() + n;
    }
    const size_t base = out.size();
    out.resize(base + 4 * n + 2 + 2 * n + 2 + 4 + n + 1);
    char* p = out.data() + base;
    size_t count = 0, lastSecondary = 0, lastTertiary = 0;
    bool plain = true;
    const unsigned char* it = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* end = it + n;
    const AsciiTable& table = Ascii();
    while (it < end) {
        Weight w;
        if (*it < 0x80) {
            w = table.w[*it++];
        } else {
            plain = false;
            w = WeightOf(NextCodePoint(it, end));
        }
        if (w.primary == 0) {
            plain = false;
            continue;
        }
        if (w.primary < 0xFF00) {
            *p++ = static_cast<char>(w.primary >> 8);
            *p++ = static_cast<char>(w.primary & 0xFF);
        } else {
            *p++ = static_cast<char>(0xFF);
            *p++ = static_cast<char>((w.primary >> 16) & 0xFF);
            *p++ = static_cast<char>((w.primary >> 8) & 0xFF);
            *p++ = static_cast<char>(w.primary & 0xFF);
        }
        secondary[count] = static_cast<char>(w.secondary + 1);
        tertiary[count] = static_cast<char>(w.tertiary + 1);
        ++count;
        if (w.secondary != 0) lastSecondary = count;
        if (w.tertiary != 0) lastTertiary = count;
    }
    *p++ = '\0';
    *p++ = '\0';
    for (size_t i = 0; i < lastSecondary; ++i) *p++ = secondary[i];
    *p++ = '\0';
    if (!ignoreCase) {
        for (size_t i = 0; i < lastTertiary; ++i) *p++ = tertiary[i];
        *p++ = '\0';
    }
    const std::uint32_t len = static_cast<std::uint32_t>(n);
    *p++ = static_cast<char>((len >> 24) & 0xFF);
    *p++ = static_cast<char>((len >> 16) & 0xFF);
    *p++ = static_cast<char>((len >> 8) & 0xFF);
    *p++ = static_cast<char>(len & 0xFF);
    if (!ignoreCase && !plain) {
        // Text holds no NUL bytes: the terminator sorts a prefix first.
        for (size_t i = 0; i < n; ++i) *p++ = text[i];
        *p++ = '\0';
    }
    out.resize(static_cast<size_t>(p - out.data()));
}
