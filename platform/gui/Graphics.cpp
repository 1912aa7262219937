#include "platform/gui/Graphics.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <mutex>

#include <fontconfig/fontconfig.h>

bool IntersectRect(TRect& dest, const TRect& a, const TRect& b) {
    TRect r(std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom));
    if (r.IsEmpty()) {
        dest = TRect();
        return false;
    }
    dest = r;
    return true;
}

bool UnionRect(TRect& dest, const TRect& a, const TRect& b) {
    if (a.IsEmpty()) {
        dest = b;
    } else if (b.IsEmpty()) {
        dest = a;
    } else {
        dest = TRect(std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                     std::max(a.Bottom, b.Bottom));
    }
    if (dest.IsEmpty()) {
        dest = TRect();
        return false;
    }
    return true;
}

bool PtInRect(const TRect& r, TPoint p) { return r.Contains(p); }

void InflateRect(TRect& r, int dx, int dy) {
    r.Left -= dx;
    r.Right += dx;
    r.Top -= dy;
    r.Bottom += dy;
}

void OffsetRect(TRect& r, int dx, int dy) {
    r.Left += dx;
    r.Right += dx;
    r.Top += dy;
    r.Bottom += dy;
}

// ----------------------------------------------------------------- colours

namespace {

// Fixed values of the system colours (a light, classic desktop scheme).
constexpr TColor kSystemColors[31] = {
    RGB(200, 200, 200),  // scroll bar
    RGB(0, 0, 0),        // background
    RGB(153, 180, 209),  // active caption
    RGB(191, 205, 219),  // inactive caption
    RGB(240, 240, 240),  // menu
    RGB(255, 255, 255),  // window
    RGB(100, 100, 100),  // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(0, 0, 0),        // caption text
    RGB(180, 180, 180),  // active border
    RGB(244, 247, 252),  // inactive border
    RGB(171, 171, 171),  // application work space
    RGB(51, 153, 255),   // highlight
    RGB(255, 255, 255),  // highlight text
    RGB(240, 240, 240),  // button face
    RGB(160, 160, 160),  // button shadow
    RGB(109, 109, 109),  // grey text
    RGB(0, 0, 0),        // button text
    RGB(67, 78, 84),     // inactive caption text
    RGB(255, 255, 255),  // button highlight
    RGB(105, 105, 105),  // 3D dark shadow
    RGB(227, 227, 227),  // 3D light
    RGB(0, 0, 0),        // info text
    RGB(255, 255, 225),  // info background
    RGB(0, 0, 0),        // (unused)
    RGB(0, 102, 204),    // hot light
    RGB(185, 209, 234),  // gradient active caption
    RGB(215, 228, 242),  // gradient inactive caption
    RGB(51, 153, 255),   // menu highlight
    RGB(240, 240, 240),  // menu bar
};

}  // namespace

TColor ColorToRGB(TColor c) {
    if (c == clNone) return clBlack;
    if (c == clDefault) return kSystemColors[5];
    if (c & clSystemColor) {
        int index = c & 0xFF;
        if (index < 31) return kSystemColors[index];
        return clBlack;
    }
    return c & 0xFFFFFF;
}

QColor ToQColor(TColor c) {
    TColor v = ColorToRGB(c);
    return QColor(GetRValue(v), GetGValue(v), GetBValue(v));
}

TColor FromQColor(const QColor& c) { return RGB(Byte(c.red()), Byte(c.green()), Byte(c.blue())); }

std::uint32_t ApplyPenMode(TPenMode mode, std::uint32_t p, std::uint32_t d) {
    std::uint32_t r = 0;
    switch (mode) {
        case pmBlack: r = 0; break;
        case pmWhite: r = 0xFFFFFF; break;
        case pmNop: r = d; break;
        case pmNot: r = ~d; break;
        case pmCopy: r = p; break;
        case pmNotCopy: r = ~p; break;
        case pmMergePenNot: r = p | ~d; break;
        case pmMaskPenNot: r = p & ~d; break;
        case pmMergeNotPen: r = ~p | d; break;
        case pmMaskNotPen: r = ~p & d; break;
        case pmMerge: r = p | d; break;
        case pmNotMerge: r = ~(p | d); break;
        case pmMask: r = p & d; break;
        case pmNotMask: r = ~(p & d); break;
        case pmXor: r = p ^ d; break;
        case pmNotXor: r = ~(p ^ d); break;
    }
    return r & 0xFFFFFF;
}

// ------------------------------------------------------------------- tools

void TPen::Assign(const TPen& o) {
    color_ = o.color_;
    width_ = o.width_;
    style_ = o.style_;
    mode_ = o.mode_;
    Changed();
}

void TBrush::SetColor(TColor c) {
    if (c == color_ && style_ != bsClear) return;
    color_ = c;
    if (style_ == bsClear) style_ = bsSolid;
    Changed();
}

void TBrush::Assign(const TBrush& o) {
    color_ = o.color_;
    style_ = o.style_;
    Changed();
}

namespace {

std::string Lower(std::string s) {
    for (char& ch : s) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

const std::map<std::string, std::string>& SubstitutionTable() {
    static const std::map<std::string, std::string> table = {
        {"arial", "Liberation Sans"},
        {"helvetica", "Liberation Sans"},
        {"ms sans serif", "Liberation Sans"},
        {"microsoft sans serif", "Liberation Sans"},
        {"ms shell dlg", "Liberation Sans"},
        {"ms shell dlg 2", "Liberation Sans"},
        {"tahoma", "Liberation Sans"},
        {"verdana", "Liberation Sans"},
        {"segoe ui", "Liberation Sans"},
        {"system", "Liberation Sans"},
        {"sans", "Liberation Sans"},
        {"sans-serif", "Liberation Sans"},
        {"liberation sans", "Liberation Sans"},
        {"times new roman", "Liberation Serif"},
        {"times", "Liberation Serif"},
        {"ms serif", "Liberation Serif"},
        {"serif", "Liberation Serif"},
        {"liberation serif", "Liberation Serif"},
        {"courier new", "Liberation Mono"},
        {"courier", "Liberation Mono"},
        {"lucida console", "Liberation Mono"},
        {"fixedsys", "Liberation Mono"},
        {"terminal", "Liberation Mono"},
        {"monospace", "Liberation Mono"},
        {"liberation mono", "Liberation Mono"},
    };
    return table;
}

}  // namespace

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    long long p = static_cast<long long>(a) * b;
    long long q = p / c, r = p % c;
    // Nearest, halves away from zero.
    if (2 * std::llabs(r) >= std::llabs(static_cast<long long>(c))) q += ((p < 0) != (c < 0)) ? -1 : 1;
    return static_cast<int>(q);
}

// Whether a face of exactly that family name (letter case aside) is
// installed; answers are kept, as fonts do not come and go while running.
bool FaceInstalled(const std::string& face) {
    static std::mutex mutex;
    static std::map<std::string, bool> known;
    std::lock_guard<std::mutex> lock(mutex);
    auto it = known.find(Lower(face));
    if (it != known.end()) return it->second;
    bool found = false;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
    FcObjectSet* fields = FcObjectSetBuild(FC_FAMILY, nullptr);
    if (FcFontSet* set = FcFontList(nullptr, pattern, fields)) {
        found = set->nfont > 0;
        FcFontSetDestroy(set);
    }
    FcObjectSetDestroy(fields);
    FcPatternDestroy(pattern);
    known[Lower(face)] = found;
    return found;
}

// Installed faces are used as they are; the table stands in only for faces
// that are not installed.
std::string SubstituteFontName(const std::string& requested) {
    if (!requested.empty() && FaceInstalled(requested)) return requested;
    auto& table = SubstitutionTable();
    auto it = table.find(Lower(requested));
    return it != table.end() ? it->second : "Liberation Sans";
}

int TFont::Size() const { return -MulDiv(height_, 72, PixelsPerInch); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, PixelsPerInch, 72)); }

void TFont::Assign(const TFont& o) {
    name_ = o.name_;
    height_ = o.height_;
    style_ = o.style_;
    color_ = o.color_;
    pitch_ = o.pitch_;
    charset_ = o.charset_;
    Changed();
}

QFont TFont::ToQFont() const {
    QFont f(QString::fromStdString(SubstituteFontName(name_)));
    // Explicit hinting and no synthesis from the machine's font settings, so
    // glyph shapes and advances depend only on the installed font files.
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setKerning(false);
    f.setBold(style_ & fsBold);
    f.setItalic(style_ & fsItalic);
    f.setUnderline(style_ & fsUnderline);
    f.setStrikeOut(style_ & fsStrikeOut);
    int px;
    if (height_ < 0) {
        px = -height_;
    } else if (height_ > 0) {
        // Positive heights are cell heights (ascent + descent): convert
        // through the face's own proportion.
        QFont probe = f;
        probe.setPixelSize(1000);
        QFontMetricsF m(probe);
        double cell = m.ascent() + m.descent();
        px = cell > 0 ? std::max(1, int(std::lround(height_ * 1000.0 / cell))) : height_;
    } else {
        px = 11;
    }
    f.setPixelSize(std::max(1, px));
    return f;
}

#include <QApplication>

void EnsureGuiApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "program";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

void CreateGuiApplication(int& argc, char** argv) {
    if (QCoreApplication::instance()) return;
    new QApplication(argc, argv);
}
