// Code 128: the text becomes symbol values of code sets A, B and C.
#include "reportproject/VpBars.h"

namespace {

// Element widths of the values 0 to 102, then start A, start B, start C.
const char* const Patterns128[106] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131", "211412", "211214", "211232"};
const char* const Stop128 = "2331112";

constexpr unsigned char FNC1 = 0xF1, FNC2 = 0xF2, FNC3 = 0xF3, FNC4 = 0xF4, SelA = 0xF5, SelB = 0xF6,
                        SelC = 0xF7, Shift = 0xF8;

// Value of c in set A, or -1.
int ValueA(unsigned char c) {
    if (c >= 32 && c <= 95) return c - 32;
    if (c < 32) return c + 64;
    switch (c) {
        case FNC3: return 96;
        case FNC2: return 97;
        case Shift: return 98;
        case SelC: return 99;
        case SelB: return 100;
        case FNC4: return 101;
        case FNC1: return 102;
        default: return -1;
    }
}

// Value of c in set B, or -1.
int ValueB(unsigned char c) {
    if (c >= 32 && c <= 127) return c - 32;
    switch (c) {
        case FNC3: return 96;
        case FNC2: return 97;
        case Shift: return 98;
        case SelC: return 99;
        case FNC4: return 100;
        case SelA: return 101;
        case FNC1: return 102;
        default: return -1;
    }
}

bool Digit(unsigned char c) { return c >= '0' && c <= '9'; }

}  // namespace

TVPBarsCode128::TVPBarsCode128(TBaseReport* report) : TVPBarsBase(report) {
    Modulus = 103;
    UseChecksum = true;
}

bool TVPBarsCode128::IsValidChar(unsigned char ch) { return ch <= 127 || (ch >= FNC1 && ch <= Shift); }

std::vector<int> TVPBarsCode128::EncodeFrom(TCodePage128 s, size_t limit) const {
    const std::string& t = Text;
    auto at = [&](size_t i) -> unsigned char { return (unsigned char)t[i]; };
    int state = s;
    std::vector<int> out;
    // After a SHIFT the next character is taken from the other of sets A
    // and B only, as readers apply it.
    bool shifted = false;
    size_t p = 0;
    auto digitRun = [&](size_t from) {
        size_t n = 0;
        while (from + n < t.size() && Digit(at(from + n))) ++n;
        return n;
    };
    while (p < t.size()) {
        if (limit > 0 && out.size() >= limit) break;
        unsigned char c = at(p);
        if (Optimize && c >= SelA && c <= Shift) {
            ++p;
            continue;
        }
        if (Optimize && state != cpCodeC && !shifted) {
            size_t run = digitRun(p);
            if (run > 5 && run % 2 == 0) {
                out.push_back(99);
                state = cpCodeC;
            }
        }
        if (shifted) {
            int v = state == cpCodeA ? ValueB(c) : ValueA(c);
            if (v >= 0) out.push_back(v);
            shifted = false;
            ++p;
            continue;
        }
        if (state == cpCodeA) {
            ++p;
            if (c == SelA) continue;
            int v = ValueA(c);
            if (v >= 0) {
                out.push_back(v);
                if (v == 100) state = cpCodeB;
                else if (v == 99) state = cpCodeC;
                else if (v == 98) shifted = true;
            } else if ((v = ValueB(c)) >= 0) {
                out.push_back(100);
                out.push_back(v);
                state = cpCodeB;
            }
        } else if (state == cpCodeB) {
            ++p;
            if (c == SelB) continue;
            int v = ValueB(c);
            if (v >= 0) {
                out.push_back(v);
                if (v == 99) state = cpCodeC;
                else if (v == 101) state = cpCodeA;
                else if (v == 98) shifted = true;
            } else if ((v = ValueA(c)) >= 0) {
                out.push_back(101);
                out.push_back(v);
                state = cpCodeA;
            }
        } else {
            if (c == SelC) {
                ++p;
                continue;
            }
            if (p + 1 < t.size() && Digit(c) && Digit(at(p + 1))) {
                out.push_back((c - '0') * 10 + (at(p + 1) - '0'));
                p += 2;
                continue;
            }
            ++p;
            if (c == FNC1) {
                out.push_back(102);
            } else if (c == SelA) {
                out.push_back(101);
                state = cpCodeA;
            } else if (c == SelB) {
                out.push_back(100);
                state = cpCodeB;
            } else {
                int v;
                int next;
                if ((v = ValueB(c)) >= 0) {
                    out.push_back(100);
                    next = cpCodeB;
                } else if ((v = ValueA(c)) >= 0) {
                    out.push_back(101);
                    next = cpCodeA;
                } else {
                    continue;
                }
                out.push_back(v);
                if (v == 98) {
                    // A SHIFT just taken: the character it applies to follows
                    // in the set now left.
                    state = next;
                    shifted = true;
                } else if (digitRun(p) >= 4) {
                    out.push_back(99);
                } else {
                    state = next;
                }
            }
        }
    }
    return out;
}

std::vector<int> TVPBarsCode128::Encode() {
    if (!Optimize) {
        setUsed_ = CodePage;
        return EncodeFrom(CodePage, 0);
    }
    std::vector<int> best = EncodeFrom(cpCodeA, 0);
    setUsed_ = cpCodeA;
    for (TCodePage128 s : {cpCodeB, cpCodeC}) {
        std::vector<int> v = EncodeFrom(s, best.size());
        if (v.size() < best.size()) {
            best = std::move(v);
            setUsed_ = s;
        }
    }
    return best;
}

int TVPBarsCode128::CheckValue(const std::vector<int>& values) const {
    long sum = 103 + int(setUsed_);
    for (size_t i = 0; i < values.size(); ++i) sum += long(i + 1) * values[i];
    return int(sum % 103);
}

std::string TVPBarsCode128::ChecksumText() {
    std::vector<int> v = Encode();
    return std::string(1, char(CheckValue(v)));
}

std::string TVPBarsCode128::EncodeChar(int value) {
    if (value >= 0 && value < 106) return Patterns128[value];
    return "";
}

void TVPBarsCode128::ElementSize(char digit, double& width, double&, double&) {
    if (digit >= '1' && digit <= '9') width = (digit - '0') * BarWidth;
}

double TVPBarsCode128::SymbolWidth() {
    std::vector<int> v = Encode();
    return (11.0 * double(v.size()) + 35) * BarWidth;
}

void TVPBarsCode128::Print() {
    DrawProtected([this] {
        std::vector<int> values = Encode();
        int check = CheckValue(values);
        Start();
        DrawPattern(Patterns128[103 + int(setUsed_)], true, false);
        for (int v : values) DrawPattern(EncodeChar(v), true, false);
        DrawPattern(EncodeChar(check), true, false);
        DrawPattern(Stop128, true, false);
        PrintReadableText();
    });
}
