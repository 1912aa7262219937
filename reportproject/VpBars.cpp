#include "reportproject/VpBars.h"

#include <cstring>
#include <memory>

#include "report/ReportDefs.h"

// =============================================================== base

TVPBarsBase::TVPBarsBase(TBaseReport* report) : BaseReport(report) {
    if (report) {
        Top = report->YPos();
        position_ = report->XPos();
    }
}

void TVPBarsBase::SetText(const std::string& text) {
    Text.clear();
    for (unsigned char c : text)
        if (IsValidChar(c)) Text += char(c);
}

void TVPBarsBase::SetBarCodeJustify(TPrintJustify j) {
    if (j == barCodeJustify_) return;
    double p;
    if (j == pjCenter)
        p = CenterX();
    else if (j == pjRight)
        p = RightEdge();
    else
        p = LeftEdge();
    position_ = p;
    barCodeJustify_ = j;
}

void TVPBarsBase::SetLeft(double v) {
    barCodeJustify_ = pjLeft;
    position_ = v;
}

void TVPBarsBase::SetRight(double v) {
    barCodeJustify_ = pjRight;
    position_ = v;
}

void TVPBarsBase::SetCenter(double v) {
    barCodeJustify_ = pjCenter;
    position_ = v;
}

// Offsets from the anchor, for the forward direction (Rot0, Rot270); the
// other rotations run the other way.
double TVPBarsBase::LeftEdge() {
    double w = SymbolWidth(), s = Forward() ? 1 : -1;
    switch (barCodeJustify_) {
        case pjRight: return position_ - s * w;
        case pjCenter: return position_ - s * w / 2;
        default: return position_;
    }
}

double TVPBarsBase::RightEdge() {
    double w = SymbolWidth(), s = Forward() ? 1 : -1;
    switch (barCodeJustify_) {
        case pjRight: return position_;
        case pjCenter: return position_ + s * w / 2;
        default: return position_ + s * w;
    }
}

double TVPBarsBase::CenterX() {
    double w = SymbolWidth(), s = Forward() ? 1 : -1;
    switch (barCodeJustify_) {
        case pjRight: return position_ - s * w / 2;
        case pjCenter: return position_;
        default: return position_ + s * w / 2;
    }
}

double TVPBarsBase::ReadableHeight() {
    if (!BaseReport || !PrintReadable) return 0;
    BaseReport->ResetLineHeight();
    return BaseReport->GetLineHeight();
}

double TVPBarsBase::Bottom() {
    double r = ReadableHeight();
    return Upside() ? Top + BarHeight + r : Top - BarHeight - r;
}

void TVPBarsBase::SetBottom(double v) { Top = v - BarHeight - ReadableHeight(); }

double TVPBarsBase::BarTop() {
    if (!PrintTop) return Top;
    double r = ReadableHeight();
    return Upside() ? Top + r : Top - r;
}

void TVPBarsBase::SetBarTop(double v) { Top = PrintTop ? v - ReadableHeight() : v; }

double TVPBarsBase::BarBottom() {
    double r = PrintTop ? ReadableHeight() : 0;
    return Upside() ? Top + BarHeight + r : Top - BarHeight - r;
}

bool TVPBarsBase::IsOverride(bool recheck) {
    if (recheck) override_ = bool(BarCallback) || bool(TextCallback);
    return override_;
}

void TVPBarsBase::CheckReport() {
    if (!IsOverride(true) && !BaseReport) RaiseReportError(Trans("TBaseReport object not defined.  Printing Aborted."));
}

void TVPBarsBase::DrawBar(double x1, double y1, double x2, double y2) {
    if (IsOverride(false)) {
        if (BarCallback) BarCallback(x1, y1, x2, y2);
        return;
    }
    // One device pixel off the second X keeps neighbouring bars apart.
    BaseReport->Rectangle(x1, y1, x2 - BaseReport->InchesToUnitsX(1.0 / BaseReport->XDPI()), y2);
}

void TVPBarsBase::DrawPattern(const std::string& pattern, bool barFirst, bool trailingGap) {
    double w = BarWidth, h = BarHeight, y = curY_;
    double dir = Forward() ? 1 : -1;
    for (size_t k = 0; k < pattern.size(); ++k) {
        size_t i = k + 1;
        ElementSize(pattern[k], w, h, y);
        bool bar = (i % 2 == 1) == barFirst;
        if (bar) {
            double x = curX_;
            switch (BarCodeRotation) {
                case Rot0: DrawBar(x, y, x + w, y + h); break;
                case Rot90: DrawBar(y, x, y + h, x - w); break;
                case Rot180: DrawBar(x, y, x - w, y - h); break;
                case Rot270: DrawBar(y, x, y - h, x + w); break;
            }
        }
        curX_ += dir * w;
    }
    if (trailingGap) curX_ += dir * BarWidth;
}

void TVPBarsBase::Start() {
    curX_ = LeftEdge();
    curY_ = BarTop();
}

void TVPBarsBase::DrawProtected(const std::function<void()>& body) {
    CheckReport();
    if (IsOverride(false)) {
        body();
        return;
    }
    TCanvas* canvas = BaseReport->GetCanvas();
    auto savedBrush = std::make_unique<TBrush>();
    auto savedPen = std::make_unique<TPen>();
    savedBrush->Assign(*canvas->Brush());
    savedPen->Assign(*canvas->Pen());
    auto restore = [&] {
        TCanvas* c = BaseReport->GetCanvas();
        c->Pen()->Assign(*savedPen);
        c->Brush()->Assign(*savedBrush);
    };
    try {
        BaseReport->SetBrush(clBlack, bsSolid, nullptr);
        BaseReport->SetPen(clBlack, psInsideFrame, 1, pmCopy);
        body();
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

std::string TVPBarsBase::ReadableFilter(const std::string& s) const {
    std::string out;
    for (unsigned char c : s)
        if (c <= 200) out += char(c);
    return out;
}

void TVPBarsBase::PrintReadableText() {
    if (IsOverride(false) || !BaseReport) return;
    TBaseReport& r = *BaseReport;
    int savedRotation = r.GetFontRotation();
    if (PrintReadable) {
        if (PrintTop)
            r.SetLineBottom(BarTop());
        else
            r.SetLineTop(BarBottom());
        std::string text = Text;
        if (PrintChecksum) text += ChecksumText();
        text = ReadableFilter(text);
        double w = r.TextWidth(text), d = r.GetDescentHeight(), l = r.GetLineHeight();
        double t = Top, h = BarHeight;
        auto along = [&](double sign) {
            // Where the text starts along the bars for the rotated cases.
            switch (TextJustify) {
                case pjCenter: return CenterX() + sign * w / 2;
                case pjRight: return RightEdge() + sign * w;
                default: return LeftEdge();
            }
        };
        switch (BarCodeRotation) {
            case Rot0:
                r.SetFontRotation(0);
                if (TextJustify == pjCenter)
                    r.PrintCenter(text, CenterX());
                else if (TextJustify == pjRight)
                    r.PrintRight(text, RightEdge());
                else
                    r.PrintLeft(text, LeftEdge());
                break;
            case Rot90:
                r.SetFontRotation(90);
                r.SetXPos(PrintTop ? l + t - d : l + t + h - d);
                r.SetYPos(along(1));
                r.Print(text);
                break;
            case Rot180:
                r.SetFontRotation(180);
                r.SetYPos(PrintTop ? d + BarTop() : d + Bottom());
                r.SetXPos(along(1));
                r.Print(text);
                break;
            case Rot270:
                r.SetFontRotation(270);
                r.SetXPos(PrintTop ? d + t - l : d + t - h - l);
                r.SetYPos(along(-1));
                r.Print(text);
                break;
        }
    }
    r.SetFontRotation(savedRotation);
}

// ============================================================ PostNet

namespace {
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
}  // namespace

TVPBarsPostNet::TVPBarsPostNet(TBaseReport* report) : TVPBarsBase(report) {
    BarHeight = 0.125;
    BarWidth = 0.02;
    Modulus = 10;
    UseChecksum = true;
}

bool TVPBarsPostNet::IsValidChar(unsigned char ch) { return IsDigit(ch); }

void TVPBarsPostNet::SetText(const std::string& text) {
    TVPBarsBase::SetText(text);
    if (Text.size() > 11) Text.resize(11);
    if (Text.size() < 5) Text.insert(0, 5 - Text.size(), '0');
}

std::string TVPBarsPostNet::ChecksumText() {
    int sum = 0;
    for (char c : Text) sum += c - '0';
    return std::string(1, char('0' + (10 - sum % 10) % 10));
}

std::string TVPBarsPostNet::CodedText() { return UseChecksum ? Text + ChecksumText() : Text; }

std::string TVPBarsPostNet::EncodeChar(int ch) {
    static const char* const table[10] = {"2020101010", "1010102020", "1010201020", "1010202010", "1020101020",
                                          "1020102010", "1020201010", "2010101020", "2010102010", "2010201010"};
    return IsDigit((unsigned char)ch) ? table[ch - '0'] : "";
}

double TVPBarsPostNet::SpaceWidth() const { return BaseReport ? BaseReport->InchesToUnitsX(0.0254) : 0.0254; }

void TVPBarsPostNet::ElementSize(char digit, double& width, double& height, double& top) {
    if (digit == '0') {
        width = SpaceWidth();
    } else if (digit == '1') {
        width = BarWidth;
        height = 0.4 * BarHeight;
        top = Upside() ? curY_ + BarHeight - height : curY_ - BarHeight + height;
    } else if (digit == '2') {
        width = BarWidth;
        height = BarHeight;
        top = curY_;
    }
}

double TVPBarsPostNet::SymbolWidth() {
    double s = SpaceWidth(), n = double(Text.size());
    double w = (5 * n + 2) * BarWidth + (5 * n + 1) * s;
    if (UseChecksum) w += 5 * BarWidth + 5 * s;
    return w;
}

void TVPBarsPostNet::Print() {
    DrawProtected([this] {
        std::string coded = CodedText();
        Start();
        DrawPattern("20", true, false);
        for (char c : coded) DrawPattern(EncodeChar(c), true, false);
        DrawPattern("2", true, false);
        PrintReadableText();
    });
}

// ==================================================== Interleaved 2 of 5

TVPBars2of5::TVPBars2of5(TBaseReport* report) : TVPBarsBase(report) {
    WideFactor = 3.0;
    Modulus = 10;
    UseChecksum = false;
}

bool TVPBars2of5::IsValidChar(unsigned char ch) { return IsDigit(ch); }

std::string TVPBars2of5::EncodeChar(int ch) {
    static const char* const table[10] = {"11221", "21112", "12112", "22111", "11212",
                                          "21211", "12211", "11122", "21121", "12121"};
    return IsDigit((unsigned char)ch) ? table[ch - '0'] : "";
}

void TVPBars2of5::ElementSize(char digit, double& width, double&, double&) {
    if (digit == '1') width = BarWidth;
    else if (digit == '2') width = BarWidth * WideFactor;
}

std::string TVPBars2of5::ChecksumText() {
    int a = 0, b = 0, n = int(Text.size());
    for (int i = n; i >= 1; i -= 2) a += Text[i - 1] - '0';
    for (int i = n - 1; i >= 1; i -= 2) b += Text[i - 1] - '0';
    int r = (3 * a + b) % 10;
    return std::string(1, r == 0 ? '0' : char('0' + 10 - r));
}

std::string TVPBars2of5::CodedText() {
    std::string s = UseChecksum ? Text + ChecksumText() : Text;
    if (s.size() % 2 == 1) s.insert(0, "0");
    return s;
}

double TVPBars2of5::SymbolWidth() {
    int n = int(Text.size()) + (UseChecksum ? 1 : 0);
    int pairs = (n + 1) / 2;
    double wf = WideFactor;
    return (wf + (2 * wf + 3) * 2 * pairs + 6) * BarWidth;
}

void TVPBars2of5::Print() {
    DrawProtected([this] {
        std::string coded = CodedText();
        Start();
        DrawPattern("1111", true, false);
        for (size_t i = 0; i + 1 < coded.size(); i += 2) {
            std::string bars = EncodeChar(coded[i]), spaces = EncodeChar(coded[i + 1]), both;
            for (size_t k = 0; k < 5; ++k) {
                both += bars[k];
                both += spaces[k];
            }
            DrawPattern(both, true, false);
        }
        DrawPattern("211", true, false);
        PrintReadableText();
    });
}

void TVPBars2of5::PrintReadableText() {
    if (!PrintChecksum) {
        TVPBarsBase::PrintReadableText();
        return;
    }
    // The readable line shows the digits as coded: check digit and the
    // leading zero that evens the length.
    std::string kept = Text;
    std::string shown = Text + ChecksumText();
    if (shown.size() % 2 == 1) shown.insert(0, "0");
    Text = shown;
    PrintChecksum = false;
    try {
        TVPBarsBase::PrintReadableText();
    } catch (...) {
        Text = kept;
        PrintChecksum = true;
        throw;
    }
    Text = kept;
    PrintChecksum = true;
}

// ============================================================= Code 39

namespace {

const char Code39Set[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";

int Code39Value(char c) {
    const char* p = std::strchr(Code39Set, c);
    return (p && c) ? int(p - Code39Set) : -1;
}

// Widths of the 43 characters, in set order: bar, space, ..., bar.
const char* const Code39Patterns[43] = {
    "111221211", "211211112", "112211112", "212211111", "111221112", "211221111", "112221111", "111211212",
    "211211211", "112211211", "211112112", "112112112", "212112111", "111122112", "211122111", "112122111",
    "111112212", "211112211", "112112211", "111122211", "211111122", "112111122", "212111121", "111121122",
    "211121121", "112121121", "111111222", "211111221", "112111221", "111121221", "221111112", "122111112",
    "222111111", "121121112", "221121111", "122121111", "121111212", "221111211", "122111211", "121212111",
    "121211121", "121112121", "111212121"};
const char* const Code39Star = "121121211";

// Full ASCII form of the codes 0 to 127.
std::string FullAscii(unsigned char c) {
    if (c == 0) return "%U";
    if (c >= 1 && c <= 26) return std::string("$") + char('A' + c - 1);
    if (c >= 27 && c <= 31) return std::string("%") + char('A' + c - 27);
    if (c == ' ' || c == '-' || c == '.' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'))
        return std::string(1, char(c));
    if (c >= 33 && c <= 44) return std::string("/") + char('A' + c - 33);
    if (c == '/') return "/O";
    if (c == ':') return "/Z";
    if (c >= 59 && c <= 63) return std::string("%") + char('F' + c - 59);
    if (c == '@') return "%V";
    if (c >= 91 && c <= 95) return std::string("%") + char('K' + c - 91);
    if (c == '`') return "%W";
    if (c >= 'a' && c <= 'z') return std::string("+") + char('A' + c - 'a');
    if (c >= 123 && c <= 127) return std::string("%") + char('P' + c - 123);
    return "";
}

}  // namespace

TVPBarsCode39::TVPBarsCode39(TBaseReport* report) : TVPBarsBase(report) {
    WideFactor = 3.0;
    Modulus = 43;
    UseChecksum = false;
}

bool TVPBarsCode39::IsValidChar(unsigned char ch) {
    if (Extended) return ch <= 127;
    return Code39Value(char(ch)) >= 0;
}

std::string TVPBarsCode39::ExtendedText() {
    std::string s;
    for (unsigned char c : Text) s += FullAscii(c);
    return s;
}

std::string TVPBarsCode39::ChecksumText() {
    int sum = 0;
    for (char c : Extended ? ExtendedText() : Text) {
        int v = Code39Value(c);
        if (v >= 0) sum += v;
    }
    return std::string(1, Code39Set[sum % 43]);
}

std::string TVPBarsCode39::CodedText() {
    std::string s = Extended ? ExtendedText() : Text;
    if (UseChecksum) s += ChecksumText();
    return s;
}

std::string TVPBarsCode39::EncodeChar(int ch) {
    if (ch == '*') return Code39Star;
    int v = Code39Value(char(ch));
    return v >= 0 ? Code39Patterns[v] : "";
}

void TVPBarsCode39::ElementSize(char digit, double& width, double&, double&) {
    if (digit == '1') width = BarWidth;
    else if (digit == '2') width = BarWidth * WideFactor;
}

double TVPBarsCode39::SymbolWidth() {
    double n = double(CodedText().size()), wf = WideFactor;
    return (3 * wf + 6) * (n + 2) * BarWidth + (n + 1) * BarWidth;
}

void TVPBarsCode39::Print() {
    DrawProtected([this] {
        std::string coded = CodedText();
        Start();
        DrawPattern(Code39Star, true, true);
        for (char c : coded) DrawPattern(EncodeChar(c), true, true);
        DrawPattern(Code39Star, true, true);
        PrintReadableText();
    });
}
