#include "docexport/deUtils.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <QFontDatabase>
#include <QFontMetrics>
#include <QList>
#include <QString>

#include <QPainter>

#include "docexport/deConsts.h"
#include "platform/core/MathUtils.h"
#include "platform/core/Strings.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/Controls.h"
#include "platform/gui/StdCtrls.h"

namespace {

// The characters of s, one string each.
std::vector<std::string> Chars(const std::string& s) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = Utf8CharSize(s, i);
        if (n == 0) n = 1;
        out.push_back(s.substr(i, n));
        i += n;
    }
    return out;
}

int Width(const std::string& s, const TFont& font) { return TextSize(s, font).cx; }

}  // namespace

TSize TextSize(const std::string& s, const TFont& font) {
    EnsureGuiApplication();
    QFontMetrics m(font.ToQFont());
    return {m.horizontalAdvance(QString::fromStdString(s)), m.ascent() + m.descent()};
}

int FindFrom(const std::string& sub, const std::string& s, int offset) {
    if (sub.empty()) return 0;
    if (offset < 1) offset = 1;
    if (static_cast<std::size_t>(offset) > s.size()) return 0;
    auto p = s.find(sub, static_cast<std::size_t>(offset - 1));
    return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}

std::string ReplaceIgnoreCase(const std::string& text, const std::string& pattern, const std::string& value) {
    if (text.empty()) return {};
    if (pattern.empty()) return text;
    std::vector<std::string> t = Chars(text), p = Chars(pattern);
    for (auto& c : t) c = AnsiUpperCase(c);
    for (auto& c : p) c = AnsiUpperCase(c);
    std::string out;
    std::size_t byte = 0;  // byte offset of t[i] in text
    std::vector<std::size_t> offsets;
    offsets.reserve(t.size() + 1);
    for (std::size_t i = 0; i < text.size();) {
        offsets.push_back(i);
        std::size_t n = Utf8CharSize(text, i);
        i += n == 0 ? 1 : n;
    }
    offsets.push_back(text.size());
    std::size_t i = 0;
    while (i < t.size()) {
        bool match = i + p.size() <= t.size();
        for (std::size_t k = 0; match && k < p.size(); ++k) match = t[i + k] == p[k];
        if (match) {
            out += value;
            i += p.size();
        } else {
            byte = offsets[i];
            out.append(text, byte, offsets[i + 1] - byte);
            ++i;
        }
    }
    return out;
}

std::string ReverseText(const std::string& s) {
    auto c = Chars(s);
    std::string out;
    out.reserve(s.size());
    for (auto it = c.rbegin(); it != c.rend(); ++it) out += *it;
    return out;
}

std::string StripTrailingLineBreak(const std::string& s) {
    if (s.size() >= 2 && s.compare(s.size() - 2, 2, "\r\n") == 0) return s.substr(0, s.size() - 2);
    return s;
}

std::string ReverseHexPairs(const std::string& s) {
    std::string out;
    for (std::size_t end = s.size(); end >= 2; end -= 2) out.append(s, end - 2, 2);
    return out;
}

std::string BytesToHex(const std::uint8_t* bytes, int n) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

std::string BytesToHex(const std::vector<std::uint8_t>& bytes) {
    return BytesToHex(bytes.data(), static_cast<int>(bytes.size()));
}

std::string JustifyText(const std::string& text, const TFont& font, double width) {
    if (text.empty()) return {};
    std::vector<std::string> chars = Chars(text);
    const int n = static_cast<int>(chars.size());
    // Word ends: from the first non-blank character on, each blank or the
    // last character ends a word (the blank belongs to it).
    int first = 0;
    while (first < n && chars[first] == " ") ++first;
    std::vector<std::string> words;
    int start = 0;
    for (int i = first; i < n; ++i) {
        if (chars[i] == " " || i == n - 1) {
            std::string w;
            for (int k = start; k <= i; ++k) w += chars[k];
            words.push_back(w);
            start = i + 1;
        }
    }
    if (words.empty()) words.push_back(text);  // blanks only
    int blank = Width(" ", font);
    int extra = blank > 0 ? static_cast<int>(std::trunc((width - Width(text, font)) / blank)) : 0;
    std::string out;
    if (words.size() < 2) {
        for (int j = 0; j < n; ++j) {
            out += chars[j];
            int after = n - 1 - j;
            if (after > 0 && extra > 0) {
                int add = extra / after;
                out.append(static_cast<std::size_t>(add), ' ');
                extra -= add;
            }
        }
        return out;
    }
    const int w = static_cast<int>(words.size());
    for (int b = 0; b < w; ++b) {
        out += words[b];
        int after = w - 1 - b;
        if (after > 0 && extra > 0) {
            int add = extra / after;
            out.append(static_cast<std::size_t>(add), ' ');
            extra -= add;
        }
    }
    return out;
}

void FontCharsets(const std::string& faceName, std::vector<int>& list) {
    EnsureGuiApplication();
    QString family = QString::fromStdString(SubstituteFontName(faceName));
    auto systems = QFontDatabase::writingSystems(family);
    auto has = [&](QFontDatabase::WritingSystem w) { return systems.contains(w); };
    bool latin = has(QFontDatabase::Latin);
    // The kept sets, in their order, with the writing system that stands for
    // each.
    const std::pair<int, bool> sets[] = {
        {0, latin},
        {2, has(QFontDatabase::Symbol)},
        {128, has(QFontDatabase::Japanese)},
        {129, has(QFontDatabase::Korean)},
        {134, has(QFontDatabase::SimplifiedChinese)},
        {136, has(QFontDatabase::TraditionalChinese)},
        {161, has(QFontDatabase::Greek)},
        {162, latin},
        {163, has(QFontDatabase::Vietnamese)},
        {177, has(QFontDatabase::Hebrew)},
        {178, has(QFontDatabase::Arabic)},
        {186, latin},
        {204, has(QFontDatabase::Cyrillic)},
        {222, has(QFontDatabase::Thai)},
        {238, latin},
    };
    for (auto [set, present] : sets) {
        if (!present) continue;
        bool listed = false;
        for (int v : list) listed = listed || v == set;
        if (!listed) list.push_back(set);
    }
}

double UnitFactor(TdeUnitType unit) {
    switch (unit) {
        case muPixels: return 1.0;
        case muInches: return PointsToPixels() * 72;
        case muMM: return PointsToPixels() * 2.83464;
        case muPoints: return PointsToPixels();
        case muTwips: return PointsToPixels() * 0.05;
    }
    return 1.0;
}

double PixelsToPoints(double x) { return x / ScreenPPI() * 72; }
double PointsToPixelsValue(double x) { return x * PointsToPixels(); }
double DegToRad(double a) { return a * std::numbers::pi / 180; }

TdeRect MakeRect(double left, double top, double right, double bottom) { return {left, top, right, bottom}; }

TdeRect ScaleRect(const TdeRect& r, double factor) {
    return {r.Left * factor, r.Top * factor, r.Right * factor, r.Bottom * factor};
}

TdeRotatedBox RotatedTextBox(int angle, int w, int h) {
    angle %= 360;
    if (angle < 0) angle += 360;
    double phi;
    if (angle < 90)
        phi = 90 - angle;
    else if (angle < 180)
        phi = angle - 90;
    else if (angle < 270)
        phi = 270 - angle;
    else
        phi = angle - 270;
    const double r = DegToRad(phi);
    auto round = [](double v) { return static_cast<int>(RoundHalfEven(v)); };
    TdeRotatedBox b;
    b.W0 = round(std::sin(r) * w);
    b.H0 = round(std::cos(r) * h);
    b.W1 = round(w * std::cos(r));
    b.H1 = round(h * std::sin(r));
    b.TotalWidth = b.W0 + b.H0;
    b.TotalHeight = b.W1 + b.H1;
    if (angle < 90) {
        b.OriginX = 0;
        b.OriginY = b.W1;
    } else if (angle < 180) {
        b.OriginX = b.W0;
        b.OriginY = b.TotalHeight;
    } else if (angle < 270) {
        b.OriginX = b.TotalWidth;
        b.OriginY = b.H1;
    } else {
        b.OriginX = b.H0;
        b.OriginY = 0;
    }
    return b;
}

void RotatedTextBitmap(const std::string& text, const TFont& font, int angle, TBitmap& bitmap, double& x,
                       double& y, int maxSide) {
    // Metrics of a font far beyond any page may come back negative.
    const TSize size = TextSize(text, font);
    const TdeRotatedBox box = RotatedTextBox(angle, std::max(size.cx, 0), std::max(size.cy, 0));
    const int longer = std::max(box.TotalWidth, box.TotalHeight);
    const double scale = longer > maxSide ? double(std::max(maxSide, 1)) / longer : 1.0;
    auto scaled = [scale](int v) { return static_cast<int>(std::lround(v * scale)); };
    bitmap.SetSize(std::max(scaled(box.TotalWidth), 1), std::max(scaled(box.TotalHeight), 1));
    bitmap.Image().fill(Qt::white);
    bitmap.SetTransparentColor(clWhite);
    bitmap.SetTransparent(true);
    {
        QPainter p(&bitmap.Image());
        p.setFont(font.ToQFont());
        p.setPen(ToQColor(font.Color()));
        p.scale(scale, scale);
        p.translate(box.OriginX, box.OriginY);
        p.rotate(-angle);  // counter-clockwise on the page
        p.drawText(0, QFontMetrics(font.ToQFont()).ascent(), QString::fromStdString(text));
    }
    x -= scaled(box.OriginX);
    y -= scaled(box.OriginY);
}

void EnableControls(TWinControl* parent, bool enabled) {
    if (!parent) return;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        c->SetEnabled(enabled);
        if (dynamic_cast<TEdit*>(c) || dynamic_cast<TComboBox*>(c))
            c->SetColor(enabled ? clWindow : clInactiveBorder);
        if (auto* w = dynamic_cast<TWinControl*>(c)) EnableControls(w, enabled);
    }
}
