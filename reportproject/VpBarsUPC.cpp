// UPC-A and EAN-13: guard bars, seven-module digits, the EAN-13 parity of
// the leading digit and the weight 3/1 check digit.
#include "reportproject/VpBars.h"

namespace {

const char* const DigitWidths[10] = {"3211", "2221", "2122", "1411", "1132",
                                     "1231", "1114", "1312", "1213", "3112"};

// Whether the left-half digit at position pos (1 to 6) takes the reversed
// (even-parity) pattern for the leading digit p.
bool Reversed(int pos, int p) {
    static const char* const table[10] = {"LLLLLL", "LLGLGG", "LLGGLG", "LLGGGL", "LGLLGG",
                                          "LGGLLG", "LGGGLL", "LGLGLG", "LGLGGL", "LGGLGL"};
    return p >= 0 && p <= 9 && table[p][pos - 1] == 'G';
}

int DigitValue(char c) { return c >= '0' && c <= '9' ? c - '0' : 0; }

}  // namespace

TVPBarsUPC::TVPBarsUPC(TBaseReport* report) : TVPBarsBase(report) {
    Modulus = 10;
    SetUseChecksum(true);
    validLength_ = 11;
}

TVPBarsEAN::TVPBarsEAN(TBaseReport* report) : TVPBarsUPC(report) { validLength_ = 12; }

bool TVPBarsUPC::IsValidChar(unsigned char ch) { return ch >= '0' && ch <= '9'; }

void TVPBarsUPC::SetText(const std::string& text) {
    TVPBarsBase::SetText(text);
    size_t n = size_t(validLength_);
    if (Text.size() > n) Text.resize(n);
    if (Text.size() < n) Text.insert(0, n - Text.size(), '0');
}

std::string TVPBarsUPC::ChecksumText() {
    std::string s = Text;
    int f = 0;
    if (validLength_ == 12 && !s.empty()) {
        f = DigitValue(s[0]);
        s.erase(0, 1);
    }
    int a = 0, b = 0;
    for (size_t i = 0; i < s.size(); ++i) (i % 2 == 0 ? a : b) += DigitValue(s[i]);
    int m = Modulus;
    return std::string(1, char('0' + (m - (3 * a + b + f) % m) % m));
}

std::string TVPBarsUPC::CodedText() { return UseChecksum ? Text + ChecksumText() : Text; }

std::string TVPBarsUPC::EncodeChar(int ch) {
    return ch >= '0' && ch <= '9' ? DigitWidths[ch - '0'] : "";
}

void TVPBarsUPC::ElementSize(char digit, double& width, double& height, double&) {
    width = (digit - '0') * BarWidth;
    if (guard_ || !PrintReadable)
        height = BarHeight;
    else
        height = BarHeight - ReadableHeight() / 2;
}

void TVPBarsUPC::Print() {
    DrawProtected([this] {
        std::string c = CodedText();
        int p = 0;
        if (validLength_ == 12 && !c.empty()) {
            p = DigitValue(c[0]);
            c.erase(0, 1);
        }
        bool report = !IsOverride(false);
        double savedSize = report ? BaseReport->GetFontSize() : 0;
        if (report) BaseReport->SetFontSize(ReadableFontSize());
        auto body = [&] {
            Start();
            guard_ = true;
            DrawPattern("111", true, false);
            for (size_t i = 0; i < c.size() && i < 12; ++i) {
                int pos = int(i) + 1;
                std::string pat = EncodeChar(c[i]);
                guard_ = false;
                if (pos <= 6) {
                    if (Reversed(pos, p)) pat = std::string(pat.rbegin(), pat.rend());
                    DrawPattern(pat, false, false);
                    if (pos == 6) {
                        guard_ = true;
                        DrawPattern("11111", false, false);
                    }
                } else {
                    DrawPattern(pat, true, false);
                }
            }
            guard_ = true;
            DrawPattern("111", true, false);
            guard_ = false;
            if (PrintReadable) PrintReadableText();
        };
        try {
            body();
        } catch (...) {
            guard_ = false;
            if (report) BaseReport->SetFontSize(savedSize);
            throw;
        }
        if (report) BaseReport->SetFontSize(savedSize);
    });
}

namespace {

double FitFontSize(TVPBarsUPC& bars, TBaseReport& r, int zeros) {
    double s0 = r.GetFontSize(), s = s0;
    std::string z(size_t(zeros), '0');
    for (;;) {
        if (bars.SymbolWidth() - 11 * bars.BarWidth >= r.TextWidth(z)) break;
        s -= 0.1;
        if (s <= 0) {
            s = s0;
            break;
        }
        r.SetFontSize(s);
    }
    r.SetFontSize(s0);
    return s * 0.9;
}

}  // namespace

double TVPBarsUPC::ReadableFontSize() { return BaseReport ? FitFontSize(*this, *BaseReport, 10) : 0; }

double TVPBarsEAN::ReadableFontSize() { return BaseReport ? FitFontSize(*this, *BaseReport, 12) : 0; }

void TVPBarsUPC::PrintReadableText() {
    if (IsOverride(false) || !BaseReport) return;
    TBaseReport& r = *BaseReport;
    int savedRotation = r.GetFontRotation();
    std::string t = Text;
    t.resize(11, '0');
    std::string d1 = t.substr(0, 1), left = t.substr(1, 5), right = t.substr(6, 5), k = ChecksumText();
    double size = r.GetFontSize(), small = size - size / 3;
    double bw = BarWidth, e = LeftEdge(), rr = RightEdge(), b = Bottom();
    double w5 = r.TextWidth("00000"), q = (42 * bw - w5) / 2;
    auto inSmall = [&](const std::function<void()>& f) {
        r.SetFontSize(small);
        f();
        r.SetFontSize(size);
    };
    switch (BarCodeRotation) {
        case Rot0: {
            r.SetFontRotation(0);
            double l = r.GetLineHeight();
            r.SetLineTop(BarBottom() - l / 2);
            inSmall([&] { r.PrintRight(d1, e - 2 * bw); });
            r.PrintCenter(left, e + 24 * bw);
            r.PrintCenter(right, e + 71 * bw);
            inSmall([&] { r.PrintLeft(k, rr + 2 * bw); });
            break;
        }
        case Rot90:
            r.SetFontRotation(90);
            inSmall([&] {
                r.SetXPos(b - r.GetLineHeight() / 2);
                r.SetYPos(e + 2 * bw + r.TextWidth("0"));
                r.Print(d1);
            });
            r.SetYPos(e - 6 * bw - q);
            r.Print(left);
            r.SetYPos(e - 50 * bw - q);
            r.Print(right);
            inSmall([&] {
                r.SetYPos(rr - 2 * bw);
                r.Print(k);
            });
            break;
        case Rot180:
            r.SetFontRotation(180);
            inSmall([&] {
                r.SetXPos(e + r.TextWidth("0"));
                r.SetYPos(b + r.GetLineHeight() / 2);
                r.Print(d1);
            });
            r.SetXPos(e - 3 * bw - q);
            r.Print(left);
            r.SetXPos(e - 50 * bw - q);
            r.Print(right);
            inSmall([&] {
                r.SetXPos(rr - 2 * bw);
                r.Print(k);
            });
            break;
        case Rot270:
            r.SetFontRotation(270);
            inSmall([&] {
                r.SetXPos(b + r.GetLineHeight() / 2);
                r.SetYPos(e - 2 * bw - r.TextWidth("0"));
                r.Print(d1);
            });
            r.SetYPos(e + 4 * bw + q);
            r.Print(left);
            r.SetYPos(e + 50 * bw + q);
            r.Print(right);
            inSmall([&] {
                r.SetYPos(rr + 2 * bw);
                r.Print(k);
            });
            break;
    }
    r.SetFontRotation(savedRotation);
}

void TVPBarsEAN::PrintReadableText() {
    if (IsOverride(false) || !BaseReport) return;
    TBaseReport& r = *BaseReport;
    int savedRotation = r.GetFontRotation();
    std::string t = Text;
    t.resize(12, '0');
    t += ChecksumText();
    std::string d1 = t.substr(0, 1), left = t.substr(1, 6), right = t.substr(7, 6);
    double bw = BarWidth, e = LeftEdge(), b = Bottom();
    double w6 = r.TextWidth("000000"), q = (42 * bw - w6) / 2;
    double l = r.GetLineHeight(), w0 = r.TextWidth("0");
    switch (BarCodeRotation) {
        case Rot0:
            r.SetFontRotation(0);
            r.SetLineTop(BarBottom() - l / 2);
            r.PrintRight(d1, e - 2 * bw);
            r.PrintCenter(left, e + 24 * bw);
            r.PrintCenter(right, e + 71 * bw);
            break;
        case Rot90:
            r.SetFontRotation(90);
            r.SetXPos(b - 2 * l / 3);
            r.SetYPos(e + 2 * bw + w0);
            r.Print(d1);
            r.SetYPos(e - 6 * bw - q);
            r.Print(left);
            r.SetYPos(e - 50 * bw - q);
            r.Print(right);
            break;
        case Rot180:
            r.SetFontRotation(180);
            r.SetXPos(e + w0);
            r.SetYPos(b + 2 * l / 3);
            r.Print(d1);
            r.SetXPos(e - 3 * bw - q);
            r.Print(left);
            r.SetXPos(e - 50 * bw - q);
            r.Print(right);
            break;
        case Rot270:
            r.SetFontRotation(270);
            r.SetXPos(b + 2 * l / 3);
            r.SetYPos(e - 2 * bw - w0);
            r.Print(d1);
            r.SetYPos(e + 4 * bw + q);
            r.Print(left);
            r.SetYPos(e + 50 * bw + q);
            r.Print(right);
            break;
    }
    r.SetFontRotation(savedRotation);
}
