#include "platform/core/CodePage.h"

#include "platform/core/Strings.h"

namespace {

// Characters of the bytes 0x80-0x9F; the undefined ones keep their number.
constexpr char32_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

char32_t Cp1252ToChar(unsigned char byte) {
    return (byte >= 0x80 && byte <= 0x9F) ? kHigh[byte - 0x80] : static_cast<char32_t>(byte);
}

bool CharToCp1252(char32_t cp, unsigned char& byte) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        byte = static_cast<unsigned char>(cp);
        return true;
    }
    for (unsigned i = 0; i < 32; ++i) {
        if (kHigh[i] == cp) {
            byte = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}

std::string Utf8ToCp1252(std::string_view s, char replacement) {
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        char32_t cp;
        const std::size_t n = Utf8DecodeChar(s, i, cp);
        unsigned char b;
        const bool malformed = n == 1 && static_cast<unsigned char>(s[i]) >= 0x80;
        out += (!malformed && CharToCp1252(cp, b)) ? static_cast<char>(b) : replacement;
        i += n;
    }
    return out;
}

std::string Cp1252ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 4);
    for (char c : s) Utf8AppendChar(out, Cp1252ToChar(static_cast<unsigned char>(c)));
    return out;
}
