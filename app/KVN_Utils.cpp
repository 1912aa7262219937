#include "app/KVN_Utils.h"

namespace {
int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}
}  // namespace

std::string StrToHex(const std::string& s) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(s.size() * 2);
    for (unsigned char b : s) {
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 0x0F]);
    }
    return out;
}

std::string HexToStr(const std::string& hex, int count) {
    if (count <= 0) return {};
    std::string out(static_cast<size_t>(count), '\0');
    for (size_t i = 0; i < out.size(); ++i) {
        size_t p = i * 2;
        if (p + 1 >= hex.size()) break;
        // A pair holding anything but hex digits ends the decoding; the
        // program never writes one, so treating it as the end is safest.
        int hi = HexDigitValue(hex[p]);
        int lo = HexDigitValue(hex[p + 1]);
        if (hi < 0 || lo < 0) break;
        out[i] = static_cast<char>(hi * 16 + lo);
    }
    return out;
}
