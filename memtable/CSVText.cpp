#include "memtable/CSVText.h"

#include "memtable/MemTableErrors.h"

std::string QuoteValue(std::string_view text, char q) {
    if (q == '\0') return std::string(text);
    std::string r;
    r.reserve(text.size() + 2);
    r += q;
    for (char c : text) {
        r += c;
        if (c == q) r += q;
    }
    r += q;
    return r;
}

std::string UnquoteValue(std::string_view text, char q) {
    if (q == '\0') return std::string(text);
    if (text.empty() || text[0] != q) return {};
    std::string r;
    for (size_t i = 1; i < text.size(); ++i) {
        if (text[i] == q) {
            if (i + 1 < text.size() && text[i + 1] == q) {
                r += q;
                ++i;
            } else {
                break;
            }
        } else {
            r += text[i];
        }
    }
    return r;
}

std::string EscapeText(std::string_view text) {
    std::string r;
    r.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\0': r += "%0"; break;
            case '\n': r += "%n"; break;
            case '\r': r += "%c"; break;
            case '%': r += "%%"; break;
            default: r += c; break;
        }
    }
    return r;
}

std::string UnescapeText(std::string_view text) {
    std::string r;
    r.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '%') {
            r += c;
            continue;
        }
        if (i + 1 >= text.size()) break;
        char n = text[++i];
        switch (n) {
            case '%': r += '%'; break;
            case '0': r += '\0'; break;
            case 'c': r += '\r'; break;
            case 'n': r += '\n'; break;
            default:
                r += '%';
                r += n;
                break;
        }
    }
    return r;
}

std::string EncodeSixBit(std::string_view bytes) {
    std::string r;
    r.reserve((bytes.size() * 4 + 2) / 3);
    unsigned acc = 0;
    int bits = 0;
    for (unsigned char b : bytes) {
        acc |= static_cast<unsigned>(b) << bits;
        bits += 8;
        while (bits >= 6) {
            r += static_cast<char>(32 + (acc & 63));
            acc >>= 6;
            bits -= 6;
        }
    }
    if (bits > 0) r += static_cast<char>(32 + (acc & 63));
    return r;
}

std::string DecodeSixBit(std::string_view text) {
    if (text.size() % 4 == 1) throw EMemTableError(qmtmsg::BadSixBit);
    std::string r;
    r.reserve(text.size() * 3 / 4);
    unsigned acc = 0;
    int bits = 0;
    for (unsigned char c : text) {
        if (c < 32 || c > 95) throw EMemTableError(qmtmsg::BadSixBit);
        acc |= static_cast<unsigned>(c - 32) << bits;
        bits += 6;
        if (bits >= 8) {
            r += static_cast<char>(acc & 255);
            acc >>= 8;
            bits -= 8;
        }
    }
    // Padding bits left over must be zero, as the encoder writes them.
    if (acc != 0) throw EMemTableError(qmtmsg::BadSixBit);
    return r;
}
