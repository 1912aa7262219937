#include "platform/gui/MetafileWmf.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <utility>

#include "platform/gui/Metafile.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Words = std::vector<std::uint16_t>;

std::uint16_t W(long long v) { return std::uint16_t(std::int16_t(std::clamp<long long>(v, -32768, 32767))); }

// The Western code page's bytes 0x80-0x9F; 0 marks a byte it leaves unused.
constexpr char16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::uint8_t ToCp1252(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return std::uint8_t(c);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] != 0 && kCp1252High[i] == c) return std::uint8_t(0x80 + i);
    return '?';
}

// Largest point count one 16-bit polygon record can carry.
constexpr std::size_t kMaxPoints = 32000;
// Segments a cubic curve is flattened into: the older form has no curves.
constexpr int kBezierSteps = 12;
constexpr std::uint32_t kSrcCopy = 0x00CC0020;

enum : char { kPen = 'P', kBrush = 'B', kFont = 'F' };

// What the 16-bit device context holds, as far as the conversion must put
// it back after undoing a clip.
struct TState {
    int Pen = -1, Brush = -1, Font = -1;
    std::optional<std::uint32_t> TextColor, BkColor;
    std::optional<std::uint16_t> BkMode, TextAlign, PolyFill, Rop2, Stretch;
    TPoint Current;
    bool Clipped = false;
};

// A save on the 16-bit stack: one the source asked for, or one the
// conversion made so that a clip can be undone (the older form cannot
// reset a clip region otherwise).
enum class TSaveKind { Source, Clip };

class TWmfConverter {
public:
    TWmfConverter(int left, int top, int width, int height) {
        Emit(WMF_SETMAPMODE, {8});
        Emit(WMF_SETWINDOWORG, {W(top), W(left)});
        Emit(WMF_SETWINDOWEXT, {W(std::max(1, height)), W(std::max(1, width))});
    }

    bool Play(const TMetafileRecord& r);
    Bytes Finish();

private:
    void Emit(std::uint16_t function, const Words& words, const Bytes& tail = {});
    static void PutColor(Words& w, std::uint32_t c) {
        w.push_back(std::uint16_t(c & 0xFFFF));
        w.push_back(std::uint16_t((c >> 16) & 0xFF));
    }
    static void PutBox(Words& w, const TRect& b) {
        w.push_back(W(b.Bottom));
        w.push_back(W(b.Right));
        w.push_back(W(b.Top));
        w.push_back(W(b.Left));
    }

    int NewSlot(char kind);
    void Create(std::uint32_t handle, char kind, std::uint16_t function, const Words& words);
    void Select(std::uint32_t handle);
    void SelectSlot(int slot);
    void Delete(std::uint32_t handle);
    int StockSlot(std::uint32_t number);

    void Polyline(const std::vector<TPoint>& pts);
    void Polygon(const std::vector<TPoint>& pts);
    static std::vector<TPoint> Flatten(TPoint start, const std::vector<TPoint>& controls);
    void Text(const TMetafileRecord& r, bool wide);
    void StretchDib(const TMetafileRecord& r, TRect dest, TRect src, std::uint32_t rop, std::uint32_t usage,
                    std::uint32_t offBmi, std::uint32_t cbBmi, std::uint32_t offBits, std::uint32_t cbBits);
    void Blit(const TMetafileRecord& r);
    void IntersectClip(const TRect& rc);
    void ResetClip();
    void SaveSource();
    void RestoreSource(std::int32_t index);
    void Reapply();

    Bytes records_;
    std::uint32_t maxRecord_ = 0;
    std::vector<char> slots_;  // 0: free, else the kind of object held
    std::map<std::uint32_t, int> handles_;
    std::map<std::uint32_t, int> stock_;
    TState s_;
    std::vector<std::pair<TSaveKind, TState>> saves_;
};

void TWmfConverter::Emit(std::uint16_t function, const Words& words, const Bytes& tail) {
    const std::size_t size = 3 + words.size() + (tail.size() + 1) / 2;
    maxRecord_ = std::max<std::uint32_t>(maxRecord_, std::uint32_t(size));
    auto put16 = [&](std::uint16_t v) {
        records_.push_back(std::uint8_t(v));
        records_.push_back(std::uint8_t(v >> 8));
    };
    put16(std::uint16_t(size & 0xFFFF));
    put16(std::uint16_t(size >> 16));
    put16(function);
    for (std::uint16_t w : words) put16(w);
    records_.insert(records_.end(), tail.begin(), tail.end());
    if (tail.size() % 2) records_.push_back(0);
}

// The older form puts a new object into the lowest free slot of its table;
// the conversion mirrors that to know each object's slot.
int TWmfConverter::NewSlot(char kind) {
    auto free = std::find(slots_.begin(), slots_.end(), 0);
    if (free != slots_.end()) {
        *free = kind;
        return int(free - slots_.begin());
    }
    slots_.push_back(kind);
    return int(slots_.size()) - 1;
}

void TWmfConverter::Create(std::uint32_t handle, char kind, std::uint16_t function, const Words& words) {
    Delete(handle);  // a handle created again without a delete replaces its object
    Emit(function, words);
    handles_[handle] = NewSlot(kind);
}

void TWmfConverter::SelectSlot(int slot) {
    if (slot < 0 || slot >= int(slots_.size()) || slots_[std::size_t(slot)] == 0) return;
    Emit(WMF_SELECTOBJECT, {std::uint16_t(slot)});
    switch (slots_[std::size_t(slot)]) {
        case kPen: s_.Pen = slot; break;
        case kBrush: s_.Brush = slot; break;
        case kFont: s_.Font = slot; break;
    }
}

void TWmfConverter::Select(std::uint32_t handle) {
    if (handle & kStockObjectFlag) {
        SelectSlot(StockSlot(handle & ~kStockObjectFlag));
        return;
    }
    auto it = handles_.find(handle);
    if (it != handles_.end()) SelectSlot(it->second);  // objects the older form has no record for are left out
}

void TWmfConverter::Delete(std::uint32_t handle) {
    auto it = handles_.find(handle);
    if (it == handles_.end()) return;
    const int slot = it->second;
    Emit(WMF_DELETEOBJECT, {std::uint16_t(slot)});
    slots_[std::size_t(slot)] = 0;
    handles_.erase(it);
    for (int* sel : {&s_.Pen, &s_.Brush, &s_.Font})
        if (*sel == slot) *sel = -1;
}

// The older form has no stock objects: each one used is made once, kept
// for the whole picture.
int TWmfConverter::StockSlot(std::uint32_t number) {
    auto it = stock_.find(number);
    if (it != stock_.end()) return it->second;
    Words w;
    char kind = 0;
    std::uint16_t function = 0;
    static const std::uint32_t kGreys[5] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
    if (number <= 5) {
        kind = kBrush;
        function = WMF_CREATEBRUSHINDIRECT;
        w.push_back(number == 5 ? 1 : 0);  // the null brush is hollow
        PutColor(w, number == 5 ? 0 : kGreys[number]);
        w.push_back(0);
    } else if (number <= 8) {
        kind = kPen;
        function = WMF_CREATEPENINDIRECT;
        w = {std::uint16_t(number == 8 ? 5 : 0), 0, 0};  // the null pen draws nothing
        PutColor(w, number == 6 ? 0xFFFFFF : 0);
    } else if (number >= 10 && number <= 17 && number != 15) {
        kind = kFont;
        function = WMF_CREATEFONTINDIRECT;
        w = {W(-16), 0, 0, 0, 400, 0, 0, 0, 0};
        const char face[] = "Arial";
        Bytes name(32, 0);
        std::copy(face, face + 5, name.begin());
        for (std::size_t i = 0; i < 32; i += 2) w.push_back(std::uint16_t(name[i] | (name[i + 1] << 8)));
    } else {
        return stock_[number] = -1;  // palettes and unknown numbers
    }
    Emit(function, w);
    return stock_[number] = NewSlot(kind);
}

void TWmfConverter::Polyline(const std::vector<TPoint>& pts) {
    if (pts.size() < 2) return;
    // Long lines go out in pieces that share their joining point.
    for (std::size_t from = 0; from + 1 < pts.size(); from += kMaxPoints - 1) {
        const std::size_t n = std::min(kMaxPoints, pts.size() - from);
        Words w{std::uint16_t(n)};
        for (std::size_t i = from; i < from + n; ++i) {
            w.push_back(W(pts[i].X));
            w.push_back(W(pts[i].Y));
        }
        Emit(WMF_POLYLINE, w);
    }
}

void TWmfConverter::Polygon(const std::vector<TPoint>& pts) {
    if (pts.empty()) return;
    const std::size_t n = std::min(kMaxPoints, pts.size());
    Words w{std::uint16_t(n)};
    for (std::size_t i = 0; i < n; ++i) {
        w.push_back(W(pts[i].X));
        w.push_back(W(pts[i].Y));
    }
    Emit(WMF_POLYGON, w);
}

std::vector<TPoint> TWmfConverter::Flatten(TPoint start, const std::vector<TPoint>& controls) {
    std::vector<TPoint> out{start};
    TPoint p0 = start;
    for (std::size_t i = 0; i + 2 < controls.size(); i += 3) {
        const TPoint p1 = controls[i], p2 = controls[i + 1], p3 = controls[i + 2];
        for (int k = 1; k <= kBezierSteps; ++k) {
            const double t = double(k) / kBezierSteps, u = 1 - t;
            const double x = u * u * u * p0.X + 3 * u * u * t * p1.X + 3 * u * t * t * p2.X + t * t * t * p3.X;
            const double y = u * u * u * p0.Y + 3 * u * u * t * p1.Y + 3 * u * t * t * p2.Y + t * t * t * p3.Y;
            out.emplace_back(int(std::lround(x)), int(std::lround(y)));
        }
        p0 = p3;
    }
    return out;
}

void TWmfConverter::Text(const TMetafileRecord& r, bool wide) {
    const std::uint32_t n = r.U32(44), offString = r.U32(48), options = r.U32(52), offDx = r.U32(72);
    const TPoint ref(r.I32(36), r.I32(40));
    const TRect rc = r.RectL(56);
    std::vector<std::int32_t> dx;
    if (offDx != 0 && n != 0) {
        r.Bytes(offDx, std::size_t(n) * 4);
        for (std::uint32_t i = 0; i < n; ++i) dx.push_back(r.I32(offDx + 4 * std::size_t(i)));
    }
    Bytes text;
    std::vector<std::int32_t> advances;
    if (wide) {
        const std::uint8_t* s = r.Bytes(offString, std::size_t(n) * 2);
        for (std::uint32_t i = 0; i < n; ++i) {
            const char16_t c = char16_t(s[2 * i] | (s[2 * i + 1] << 8));
            std::int32_t advance = dx.empty() ? 0 : dx[i];
            // A pair of surrogates is one character, shown as '?'.
            if (c >= 0xD800 && c < 0xDC00 && i + 1 < n) {
                const char16_t next = char16_t(s[2 * i + 2] | (s[2 * i + 3] << 8));
                if (next >= 0xDC00 && next < 0xE000) {
                    if (!dx.empty()) advance += dx[i + 1];
                    ++i;
                }
                text.push_back('?');
            } else {
                text.push_back(ToCp1252(c));
            }
            advances.push_back(advance);
        }
    } else {
        const std::uint8_t* s = r.Bytes(offString, n);
        text.assign(s, s + n);
        for (std::uint32_t i = 0; i < n; ++i) advances.push_back(dx.empty() ? 0 : dx[i]);
    }
    if (text.size() > kMaxPoints) {
        text.resize(kMaxPoints);
        advances.resize(kMaxPoints);
    }
    const std::uint16_t opts = std::uint16_t(options & 0x0006);  // opaque and clipped
    Words w{W(ref.Y), W(ref.X), std::uint16_t(text.size()), opts};
    if (opts) {
        w.push_back(W(rc.Left));
        w.push_back(W(rc.Top));
        w.push_back(W(rc.Right));
        w.push_back(W(rc.Bottom));
    }
    Bytes tail = text;
    if (tail.size() % 2) tail.push_back(0);
    if (!dx.empty())
        for (std::int32_t a : advances) {
            const std::uint16_t v = W(a);
            tail.push_back(std::uint8_t(v));
            tail.push_back(std::uint8_t(v >> 8));
        }
    Emit(WMF_EXTTEXTOUT, w, tail);
}

void TWmfConverter::StretchDib(const TMetafileRecord& r, TRect dest, TRect src, std::uint32_t rop,
                               std::uint32_t usage, std::uint32_t offBmi, std::uint32_t cbBmi, std::uint32_t offBits,
                               std::uint32_t cbBits) {
    // dest and src hold (x, y, width, height).
    if (cbBmi == 0 || cbBits == 0) {
        Emit(WMF_PATBLT, {std::uint16_t(rop & 0xFFFF), std::uint16_t(rop >> 16), W(dest.Bottom), W(dest.Right),
                          W(dest.Top), W(dest.Left)});
        return;
    }
    if (cbBmi < 40) throw EMetafileError("Metafile bitmap header is too short");
    const std::uint8_t* bmi = r.Bytes(offBmi, cbBmi);
    const std::uint8_t* bits = r.Bytes(offBits, cbBits);
    Bytes tail(bmi, bmi + cbBmi);
    tail.insert(tail.end(), bits, bits + cbBits);
    Emit(WMF_STRETCHDIB,
         {std::uint16_t(rop & 0xFFFF), std::uint16_t(rop >> 16), std::uint16_t(usage & 0xFFFF), W(src.Bottom),
          W(src.Right), W(src.Top), W(src.Left), W(dest.Bottom), W(dest.Right), W(dest.Top), W(dest.Left)},
         tail);
}

void TWmfConverter::Blit(const TMetafileRecord& r) {
    const TRect dest(r.I32(24), r.I32(28), r.I32(32), r.I32(36));
    const bool stretch = r.Type == EMR_STRETCHBLT;
    const TRect src(r.I32(44), r.I32(48), stretch ? r.I32(100) : dest.Right, stretch ? r.I32(104) : dest.Bottom);
    StretchDib(r, dest, src, r.U32(40), r.U32(80), r.U32(84), r.U32(88), r.U32(92), r.U32(96));
}

void TWmfConverter::IntersectClip(const TRect& rc) {
    if (!s_.Clipped) {
        Emit(WMF_SAVEDC, {});
        saves_.emplace_back(TSaveKind::Clip, s_);
        s_.Clipped = true;
    }
    Words w;
    PutBox(w, rc);
    Emit(WMF_INTERSECTCLIPRECT, w);
}

// Undoes the clip by restoring the save made before it. Saves the source
// made on top of that one are made again (unclipped) so that its later
// restores still find them.
void TWmfConverter::ResetClip() {
    if (!s_.Clipped) return;
    std::size_t k = saves_.size();
    while (k > 0 && saves_[k - 1].first != TSaveKind::Clip) --k;
    if (k == 0) return;  // clipped without a save of ours: cannot happen
    const std::size_t popped = saves_.size() - (k - 1);
    std::vector<TState> above;
    for (std::size_t i = k; i < saves_.size(); ++i) above.push_back(saves_[i].second);
    saves_.resize(k - 1);
    Emit(WMF_RESTOREDC, {W(-std::int64_t(popped))});
    for (TState st : above) {
        st.Clipped = false;
        Emit(WMF_SAVEDC, {});
        saves_.emplace_back(TSaveKind::Source, st);
    }
    s_.Clipped = false;
    Reapply();
}

void TWmfConverter::SaveSource() {
    Emit(WMF_SAVEDC, {});
    saves_.emplace_back(TSaveKind::Source, s_);
}

void TWmfConverter::RestoreSource(std::int32_t index) {
    std::size_t sources = 0;
    for (const auto& e : saves_) sources += e.first == TSaveKind::Source;
    // Negative: that many saves back; positive: the n-th save from the bottom.
    const long long want = index < 0 ? -static_cast<long long>(index) : static_cast<long long>(sources) - index + 1;
    if (want <= 0 || want > static_cast<long long>(sources)) return;  // the source's own mistake: nothing to undo
    std::size_t popped = 0;
    long long left = want;
    TState restored = s_;
    while (left > 0) {
        restored = saves_.back().second;
        if (saves_.back().first == TSaveKind::Source) --left;
        saves_.pop_back();
        ++popped;
    }
    Emit(WMF_RESTOREDC, {W(-std::int64_t(popped))});
    s_ = restored;
}

void TWmfConverter::Reapply() {
    for (int slot : {s_.Pen, s_.Brush, s_.Font})
        if (slot >= 0) SelectSlot(slot);
    Words w;
    if (s_.TextColor) {
        PutColor(w, *s_.TextColor);
        Emit(WMF_SETTEXTCOLOR, w);
        w.clear();
    }
    if (s_.BkColor) {
        PutColor(w, *s_.BkColor);
        Emit(WMF_SETBKCOLOR, w);
    }
    if (s_.BkMode) Emit(WMF_SETBKMODE, {*s_.BkMode});
    if (s_.TextAlign) Emit(WMF_SETTEXTALIGN, {*s_.TextAlign});
    if (s_.PolyFill) Emit(WMF_SETPOLYFILLMODE, {*s_.PolyFill});
    if (s_.Rop2) Emit(WMF_SETROP2, {*s_.Rop2});
    if (s_.Stretch) Emit(WMF_SETSTRETCHBLTMODE, {*s_.Stretch});
    Emit(WMF_MOVETO, {W(s_.Current.Y), W(s_.Current.X)});
}

bool TWmfConverter::Play(const TMetafileRecord& r) {
    auto setting = [&](std::optional<std::uint16_t>& field, std::uint16_t function) {
        field = std::uint16_t(r.U32(8) & 0xFFFF);
        Emit(function, {*field});
    };
    auto color = [&](std::optional<std::uint32_t>& field, std::uint16_t function) {
        field = r.U32(8) & 0xFFFFFF;
        Words w;
        PutColor(w, *field);
        Emit(function, w);
    };
    switch (r.Type) {
        case EMR_EOF: return false;
        case EMR_SETBKMODE: setting(s_.BkMode, WMF_SETBKMODE); break;
        case EMR_SETTEXTALIGN: setting(s_.TextAlign, WMF_SETTEXTALIGN); break;
        case EMR_SETPOLYFILLMODE: setting(s_.PolyFill, WMF_SETPOLYFILLMODE); break;
        case EMR_SETROP2: setting(s_.Rop2, WMF_SETROP2); break;
        case EMR_SETSTRETCHBLTMODE: setting(s_.Stretch, WMF_SETSTRETCHBLTMODE); break;
        case EMR_SETTEXTCOLOR: color(s_.TextColor, WMF_SETTEXTCOLOR); break;
        case EMR_SETBKCOLOR: color(s_.BkColor, WMF_SETBKCOLOR); break;
        case EMR_SAVEDC: SaveSource(); break;
        case EMR_RESTOREDC: RestoreSource(r.I32(8)); break;
        case EMR_SELECTOBJECT: Select(r.U32(8)); break;
        case EMR_DELETEOBJECT: Delete(r.U32(8)); break;
        case EMR_CREATEPEN: {
            Words w{std::uint16_t(r.U32(12) & 0xFFFF), W(r.I32(16)), 0};
            PutColor(w, r.U32(24));
            Create(r.U32(8), kPen, WMF_CREATEPENINDIRECT, w);
            break;
        }
        case EMR_EXTCREATEPEN: {
            const bool hollow = r.U32(36) == 1;
            Words w{std::uint16_t(hollow ? 5 : (r.U32(28) & 0xFFFF)), W(r.I32(32)), 0};
            PutColor(w, r.U32(40));
            Create(r.U32(8), kPen, WMF_CREATEPENINDIRECT, w);
            break;
        }
        case EMR_CREATEBRUSHINDIRECT: {
            Words w{std::uint16_t(r.U32(12) & 0xFFFF)};
            PutColor(w, r.U32(16));
            w.push_back(std::uint16_t(r.U32(20) & 0xFFFF));
            Create(r.U32(8), kBrush, WMF_CREATEBRUSHINDIRECT, w);
            break;
        }
        case EMR_EXTCREATEFONTINDIRECTW: {
            Words w{W(r.I32(12)), W(r.I32(16)), W(r.I32(20)), W(r.I32(24)), W(r.I32(28))};
            const std::uint8_t* b = r.Bytes(32, 8 + 64);
            // Text goes out in the Western code page; only a symbol font
            // keeps its own character set.
            const std::uint8_t charset = b[3] == 2 ? 2 : 0;
            w.push_back(std::uint16_t(b[0] | (b[1] << 8)));
            w.push_back(std::uint16_t(b[2] | (charset << 8)));
            w.push_back(std::uint16_t(b[4] | (b[5] << 8)));
            w.push_back(std::uint16_t(b[6] | (b[7] << 8)));
            Bytes face(32, 0);
            for (std::size_t i = 0; i < 31; ++i) {
                const char16_t c = char16_t(b[8 + 2 * i] | (b[9 + 2 * i] << 8));
                if (c == 0) break;
                face[i] = ToCp1252(c);
            }
            for (std::size_t i = 0; i < 32; i += 2) w.push_back(std::uint16_t(face[i] | (face[i + 1] << 8)));
            Create(r.U32(8), kFont, WMF_CREATEFONTINDIRECT, w);
            break;
        }
        case EMR_CREATEPALETTE:
        case EMR_CREATEMONOBRUSH:
        case EMR_CREATEDIBPATTERNBRUSHPT:
            Delete(r.U32(8));  // not carried over; selecting it later changes nothing
            break;
        case EMR_MOVETOEX:
            s_.Current = TPoint(r.I32(8), r.I32(12));
            Emit(WMF_MOVETO, {W(s_.Current.Y), W(s_.Current.X)});
            break;
        case EMR_LINETO:
            s_.Current = TPoint(r.I32(8), r.I32(12));
            Emit(WMF_LINETO, {W(s_.Current.Y), W(s_.Current.X)});
            break;
        case EMR_POLYLINE16:
        case EMR_POLYLINE:
            Polyline(r.Type == EMR_POLYLINE ? r.Points32(28, r.U32(24)) : r.Points16(28, r.U32(24)));
            break;
        case EMR_POLYLINETO16:
        case EMR_POLYLINETO: {
            std::vector<TPoint> pts{s_.Current};
            const auto more = r.Type == EMR_POLYLINETO ? r.Points32(28, r.U32(24)) : r.Points16(28, r.U32(24));
            pts.insert(pts.end(), more.begin(), more.end());
            Polyline(pts);
            s_.Current = pts.back();
            Emit(WMF_MOVETO, {W(s_.Current.Y), W(s_.Current.X)});
            break;
        }
        case EMR_POLYGON16:
        case EMR_POLYGON:
            Polygon(r.Type == EMR_POLYGON ? r.Points32(28, r.U32(24)) : r.Points16(28, r.U32(24)));
            break;
        case EMR_POLYBEZIER16:
        case EMR_POLYBEZIER: {
            auto pts = r.Type == EMR_POLYBEZIER ? r.Points32(28, r.U32(24)) : r.Points16(28, r.U32(24));
            if (pts.empty()) break;
            Polyline(Flatten(pts.front(), std::vector<TPoint>(pts.begin() + 1, pts.end())));
            break;
        }
        case EMR_POLYBEZIERTO16:
        case EMR_POLYBEZIERTO: {
            auto pts = r.Type == EMR_POLYBEZIERTO ? r.Points32(28, r.U32(24)) : r.Points16(28, r.U32(24));
            auto line = Flatten(s_.Current, pts);
            Polyline(line);
            s_.Current = line.back();
            Emit(WMF_MOVETO, {W(s_.Current.Y), W(s_.Current.X)});
            break;
        }
        case EMR_POLYPOLYLINE16:
        case EMR_POLYPOLYGON16:
        case EMR_POLYPOLYLINE:
        case EMR_POLYPOLYGON: {
            const bool wide = r.Type == EMR_POLYPOLYLINE || r.Type == EMR_POLYPOLYGON;
            const std::uint32_t polys = r.U32(24), total = r.U32(28);
            r.Bytes(32, std::size_t(polys) * 4);
            const auto pts = wide ? r.Points32(32 + std::size_t(polys) * 4, total)
                                  : r.Points16(32 + std::size_t(polys) * 4, total);
            std::vector<std::uint32_t> counts;
            std::uint64_t sum = 0;
            for (std::uint32_t k = 0; k < polys; ++k) {
                counts.push_back(r.U32(32 + 4 * std::size_t(k)));
                sum += counts.back();
            }
            if (sum > total) throw EMetafileError("Metafile poly-polygon counts more points than it holds");
            const bool filled = r.Type == EMR_POLYPOLYGON16 || r.Type == EMR_POLYPOLYGON;
            if (filled && polys > 0 && polys <= kMaxPoints && sum <= kMaxPoints) {
                Words w{std::uint16_t(polys)};
                for (std::uint32_t c : counts) w.push_back(std::uint16_t(c));
                for (std::size_t i = 0; i < sum; ++i) {
                    w.push_back(W(pts[i].X));
                    w.push_back(W(pts[i].Y));
                }
                Emit(WMF_POLYPOLYGON, w);
                break;
            }
            std::size_t at = 0;
            for (std::uint32_t c : counts) {
                std::vector<TPoint> part(pts.begin() + std::ptrdiff_t(at), pts.begin() + std::ptrdiff_t(at + c));
                if (filled) Polygon(part);
                else Polyline(part);
                at += c;
            }
            break;
        }
        case EMR_RECTANGLE:
        case EMR_ELLIPSE: {
            Words w;
            PutBox(w, r.RectL(8));
            Emit(r.Type == EMR_RECTANGLE ? WMF_RECTANGLE : WMF_ELLIPSE, w);
            break;
        }
        case EMR_ROUNDRECT: {
            Words w{W(r.I32(28)), W(r.I32(24))};
            PutBox(w, r.RectL(8));
            Emit(WMF_ROUNDRECT, w);
            break;
        }
        case EMR_ARC:
        case EMR_CHORD:
        case EMR_PIE: {
            Words w{W(r.I32(36)), W(r.I32(32)), W(r.I32(28)), W(r.I32(24))};
            PutBox(w, r.RectL(8));
            Emit(r.Type == EMR_ARC ? WMF_ARC : r.Type == EMR_CHORD ? WMF_CHORD : WMF_PIE, w);
            break;
        }
        case EMR_EXTTEXTOUTW: Text(r, true); break;
        case EMR_EXTTEXTOUTA: Text(r, false); break;
        case EMR_BITBLT:
        case EMR_STRETCHBLT:
        case EMR_MASKBLT: Blit(r); break;
        case EMR_STRETCHDIBITS:
            StretchDib(r, TRect(r.I32(24), r.I32(28), r.I32(72), r.I32(76)),
                       TRect(r.I32(32), r.I32(36), r.I32(40), r.I32(44)), r.U32(68), r.U32(64), r.U32(48), r.U32(52),
                       r.U32(56), r.U32(60));
            break;
        case EMR_SETDIBITSTODEVICE:
            StretchDib(r, TRect(r.I32(24), r.I32(28), r.I32(40), r.I32(44)),
                       TRect(r.I32(32), r.I32(36), r.I32(40), r.I32(44)), kSrcCopy, r.U32(64), r.U32(48), r.U32(52),
                       r.U32(56), r.U32(60));
            break;
        case EMR_INTERSECTCLIPRECT: IntersectClip(r.RectL(8)); break;
        case EMR_EXTSELECTCLIPRGN: {
            const std::uint32_t size = r.U32(8), mode = r.U32(12);
            if (mode == 5) ResetClip();  // copy: a new region replaces the old one
            if (size >= 32 && (mode == 1 || mode == 5)) IntersectClip(r.RectL(32));  // the region's bounds
            break;
        }
        default: break;  // mapping, paths and the rest have no 16-bit counterpart here
    }
    return true;
}

Bytes TWmfConverter::Finish() {
    Emit(WMF_EOF, {});
    const std::size_t total = (kWmfHeaderSize + records_.size()) / 2;
    Bytes out;
    out.reserve(kWmfHeaderSize + records_.size());
    auto put16 = [&](std::uint32_t v) {
        out.push_back(std::uint8_t(v));
        out.push_back(std::uint8_t(v >> 8));
    };
    put16(1);  // kept in memory, not on disk
    put16(kWmfHeaderSize / 2);
    put16(0x0300);
    put16(std::uint32_t(total & 0xFFFF));
    put16(std::uint32_t(total >> 16));
    put16(std::uint32_t(std::max<std::size_t>(slots_.size(), 1)));
    put16(maxRecord_ & 0xFFFF);
    put16(maxRecord_ >> 16);
    put16(0);
    out.insert(out.end(), records_.begin(), records_.end());
    return out;
}

}  // namespace

std::vector<std::uint8_t> MetafileToWindowsMetafile(const std::vector<std::uint8_t>& emf, int width, int height) {
    const TMetafileHeader h = ReadMetafileHeader(emf);
    // The frame's corner in pixels at 96 per inch becomes the window's origin.
    const int left = int(std::lround(h.Frame.Left * 96.0 / 2540.0));
    const int top = int(std::lround(h.Frame.Top * 96.0 / 2540.0));
    TWmfConverter c(left, top, width, height);
    WalkMetafile(emf, [&](const TMetafileRecord& r) { return r.Type == EMR_HEADER || c.Play(r); });
    return c.Finish();
}
