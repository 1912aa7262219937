#include "platform/gui/Canvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <unordered_map>
#include <cmath>

#include "platform/gui/Bitmap.h"

namespace {

// 0x00BBGGRR to the surface's 0x00RRGGBB layout.
std::uint32_t ToSurface(TColor c) {
    TColor v = ColorToRGB(c);
    return (std::uint32_t(GetRValue(v)) << 16) | (std::uint32_t(GetGValue(v)) << 8) | GetBValue(v);
}

TColor FromSurface(std::uint32_t px) {
    return RGB(Byte((px >> 16) & 0xFF), Byte((px >> 8) & 0xFF), Byte(px & 0xFF));
}

// On/off runs of the one-pixel pen styles.
const std::vector<int>& StylePattern(TPenStyle s) {
    static const std::vector<int> solid;
    static const std::vector<int> dash{18, 6};
    static const std::vector<int> dot{3, 3};
    static const std::vector<int> dashDot{9, 6, 3, 6};
    static const std::vector<int> dashDotDot{9, 3, 3, 3, 3, 3};
    switch (s) {
        case psDash: return dash;
        case psDot: return dot;
        case psDashDot: return dashDot;
        case psDashDotDot: return dashDotDot;
        default: return solid;
    }
}

bool PatternOn(const std::vector<int>& pattern, int pos) {
    if (pattern.empty()) return true;
    int total = 0;
    for (int v : pattern) total += v;
    int p = pos % total;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (p < pattern[i]) return i % 2 == 0;
        p -= pattern[i];
    }
    return true;
}

bool HatchOn(TBrushStyle s, int x, int y) {
    int hx = x & 7, hy = y & 7;
    switch (s) {
        case bsHorizontal: return hy == 0;
        case bsVertical: return hx == 0;
        case bsFDiagonal: return ((hx - hy) & 7) == 0;
        case bsBDiagonal: return ((hx + hy) & 7) == 7;
        case bsCross: return hx == 0 || hy == 0;
        case bsDiagCross: return ((hx - hy) & 7) == 0 || ((hx + hy) & 7) == 7;
        default: return true;
    }
}

double RadialAngle(double cx, double cy, int x, int y) {
    double a = std::atan2(-(y - cy), x - cx) * 180.0 / M_PI;
    if (a < 0) a += 360.0;
    return a;
}

}  // namespace

std::uint32_t ApplyRop3(TCopyMode rop, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
    unsigned index = (rop >> 16) & 0xFF;
    std::uint32_t r = 0;
    for (unsigned i = 0; i < 8; ++i) {
        if (!(index & (1u << i))) continue;
        std::uint32_t term = ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
        r |= term;
    }
    return r & 0xFFFFFF;
}

// A coverage mask over an area of the surface, drawn with an aliased painter.
class TCanvas::Mask {
public:
    explicit Mask(const TRect& a) : area(a) {
        if (!area.IsEmpty()) {
            img = QImage(area.Width(), area.Height(), QImage::Format_ARGB32_Premultiplied);
            img.fill(0);
        }
    }
    bool Empty() const { return area.IsEmpty(); }
    bool Get(int x, int y) const {
        if (!area.Contains({x, y})) return false;
        return qAlpha(reinterpret_cast<const QRgb*>(img.constScanLine(y - area.Top))[x - area.Left]) > 127;
    }
    void Set(int x, int y) {
        if (!area.Contains({x, y})) return;
        reinterpret_cast<QRgb*>(img.scanLine(y - area.Top))[x - area.Left] = 0xFF000000u;
    }
    // A painter in surface coordinates.
    std::unique_ptr<QPainter> Painter() {
        auto p = std::make_unique<QPainter>(&img);
        p->setRenderHint(QPainter::Antialiasing, false);
        p->translate(-area.Left, -area.Top);
        return p;
    }

    TRect area;
    QImage img;
};

TCanvas::TCanvas() = default;

TCanvas::TCanvas(QImage* surface) { SetSurface(surface); }

TCanvas::~TCanvas() = default;

void TCanvas::SetSurface(QImage* surface) {
    surface_ = surface;
    if (surface_ && !surface_->isNull() && surface_->format() != QImage::Format_RGB32 &&
        surface_->format() != QImage::Format_ARGB32) {
        *surface_ = surface_->convertToFormat(QImage::Format_RGB32);
    }
}

bool TCanvas::Ready() const { return surface_ && !surface_->isNull(); }

TRect TCanvas::SurfaceRect() const { return Ready() ? TRect(0, 0, surface_->width(), surface_->height()) : TRect(); }

TRect TCanvas::EffectiveClip() const {
    TRect s = SurfaceRect();
    if (!clipped_) return s;
    TRect r;
    IntersectRect(r, s, clip_);
    return r;
}

TRect TCanvas::ClipRect() const { return clipped_ ? clip_ : SurfaceRect(); }

void TCanvas::SetClipRect(const TRect& r) {
    clipped_ = true;
    clip_ = r;
}

void TCanvas::IntersectClipRect(const TRect& r) {
    TRect c = ClipRect();
    TRect out;
    IntersectRect(out, c, r);
    SetClipRect(out);
}

void TCanvas::ResetClip() { clipped_ = false; }

unsigned TCanvas::SetTextAlign(unsigned flags) {
    unsigned old = textAlign_;
    textAlign_ = flags;
    return old;
}

void TCanvas::Changed() {
    if (OnChange) OnChange(this);
}

std::unique_ptr<QPainter> TCanvas::BeginPainter() {
    if (!Ready()) return nullptr;
    auto p = std::make_unique<QPainter>(surface_);
    TRect c = EffectiveClip();
    p->setClipRect(QRect(c.Left, c.Top, c.Width(), c.Height()));
    return p;
}

void TCanvas::Plot(int x, int y, std::uint32_t rgb, TPenMode mode) {
    TRect c = EffectiveClip();
    if (!c.Contains({x, y})) return;
    QRgb* line = reinterpret_cast<QRgb*>(surface_->scanLine(y));
    std::uint32_t d = line[x] & 0xFFFFFF;
    line[x] = 0xFF000000u | ApplyPenMode(mode, rgb, d);
}

std::uint32_t TCanvas::BrushPixel(int x, int y, bool& draw) const {
    draw = brush_.Style() != bsClear && HatchOn(brush_.Style(), x, y);
    return ToSurface(brush_.Color());
}

TColor TCanvas::GetPixel(int x, int y) const {
    if (!Ready() || !SurfaceRect().Contains({x, y})) return clNone;
    return FromSurface(reinterpret_cast<const QRgb*>(surface_->constScanLine(y))[x] & 0xFFFFFF);
}

void TCanvas::SetPixel(int x, int y, TColor c) {
    if (!Ready()) return;
    Plot(x, y, ToSurface(c), pmCopy);
    Changed();
}

// ------------------------------------------------------------------ lines

namespace {

// Every pen pattern repeats after this many pixels.
constexpr std::int64_t kPatternPeriod = 24;
// Lines are walked pixel by pixel only within this distance of the origin,
// far beyond any surface.
constexpr double kLineReach = 1 << 18;

bool Far(int v) { return v < -kLineReach || v > kLineReach; }

// Cuts a line to its part within kLineReach of the origin and advances the
// pattern position by the pixels cut off before that part. Returns false
// when no part is within reach.
bool CutToReach(int& x0, int& y0, int& x1, int& y1, int& patternPos) {
    const double dx = double(x1) - x0, dy = double(y1) - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 + kLineReach, kLineReach - x0, y0 + kLineReach, kLineReach - y0};
    double t0 = 0, t1 = 1;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0) t0 = std::max(t0, r);
        else t1 = std::min(t1, r);
    }
    if (t0 > t1) return false;
    const int nx0 = int(std::lround(x0 + t0 * dx)), ny0 = int(std::lround(y0 + t0 * dy));
    const int nx1 = int(std::lround(x0 + t1 * dx)), ny1 = int(std::lround(y0 + t1 * dy));
    const std::int64_t skipped = std::max(std::llabs(std::int64_t(nx0) - x0), std::llabs(std::int64_t(ny0) - y0));
    patternPos = int((patternPos + skipped) % kPatternPeriod);
    x0 = nx0, y0 = ny0, x1 = nx1, y1 = ny1;
    return true;
}

}  // namespace

void TCanvas::StyledLine(int x0, int y0, int x1, int y1, int& patternPos,
                         std::vector<std::pair<int, int>>* on, std::vector<std::pair<int, int>>* off) {
    // A line reaching far outside any surface (a coordinate clamped from a
    // damaged file, say) is walked only within reach: walking it whole would
    // take seconds and gigabytes. The pattern goes on as if it were whole.
    const bool cut = Far(x0) || Far(y0) || Far(x1) || Far(y1);
    int endPos = patternPos;
    if (cut) {
        const std::int64_t steps = std::max(std::llabs(std::int64_t(x1) - x0), std::llabs(std::int64_t(y1) - y0));
        endPos = int((patternPos + steps) % kPatternPeriod);
        if (!CutToReach(x0, y0, x1, y1, patternPos)) {
            patternPos = endPos;
            return;
        }
    }
    const auto& pattern = StylePattern(pen_.Style());
    int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int x = x0, y = y0;
    while (x != x1 || y != y1) {
        if (PatternOn(pattern, patternPos)) {
            if (on) on->emplace_back(x, y);
        } else if (off) {
            off->emplace_back(x, y);
        }
        ++patternPos;
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    if (cut) patternPos = endPos;
}

void TCanvas::StrokePolyline(const std::vector<TPoint>& pts, bool closed) {
    if (!Ready() || pts.size() < 2 || pen_.Style() == psClear) return;
    std::vector<TPoint> path = pts;
    if (closed && !(path.front() == path.back())) path.push_back(path.front());
    if (pen_.Width() <= 1) {
        std::vector<std::pair<int, int>> on, off;
        int pos = 0;
        for (std::size_t i = 0; i + 1 < path.size(); ++i)
            StyledLine(path[i].X, path[i].Y, path[i + 1].X, path[i + 1].Y, pos, &on,
                       OpaqueBackground() ? &off : nullptr);
        std::uint32_t pc = ToSurface(pen_.Color());
        std::uint32_t bc = ToSurface(brush_.Color());
        if (path.size() == 2) {
            // One segment never visits a pixel twice: no mark-off needed.
            TRect clip = EffectiveClip();
            for (auto [x, y] : on)
                if (clip.Contains({x, y})) Plot(x, y, pc, pen_.Mode());
            for (auto [x, y] : off)
                if (clip.Contains({x, y})) Plot(x, y, bc, pen_.Mode());
            return;
        }
        // Each pixel gets the raster operation once even where segments meet;
        // the mark-off mask covers only the path's bounds, not the whole clip
        // (grids draw hundreds of short lines per paint).
        TRect bounds(path[0].X, path[0].Y, path[0].X + 1, path[0].Y + 1);
        for (const TPoint& p : path) {
            bounds.Left = std::min(bounds.Left, p.X);
            bounds.Top = std::min(bounds.Top, p.Y);
            bounds.Right = std::max(bounds.Right, p.X + 1);
            bounds.Bottom = std::max(bounds.Bottom, p.Y + 1);
        }
        TRect area;
        if (!IntersectRect(area, bounds, EffectiveClip())) return;
        Mask done(area);
        for (auto [x, y] : on) {
            if (done.Get(x, y) || !done.area.Contains({x, y})) continue;
            done.Set(x, y);
            Plot(x, y, pc, pen_.Mode());
        }
        for (auto [x, y] : off) {
            if (done.Get(x, y) || !done.area.Contains({x, y})) continue;
            done.Set(x, y);
            Plot(x, y, bc, pen_.Mode());
        }
        return;
    }
    // Wide pens: solid, round ends and joins, centred on the pixel centres.
    Mask penMask(EffectiveClip());
    if (penMask.Empty()) return;
    {
        auto p = penMask.Painter();
        QPainterPath qp;
        qp.moveTo(path[0].X + 0.5, path[0].Y + 0.5);
        for (std::size_t i = 1; i < path.size(); ++i) qp.lineTo(path[i].X + 0.5, path[i].Y + 0.5);
        if (closed) qp.closeSubpath();
        p->strokePath(qp, QPen(Qt::black, pen_.Width(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
    Mask none(TRect{});
    ApplyMasks(none, &penMask, nullptr);
}

void TCanvas::MoveTo(int x, int y) { penPos_ = {x, y}; }

void TCanvas::LineTo(int x, int y) {
    StrokePolyline({penPos_, {x, y}}, false);
    penPos_ = {x, y};
    Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
    StrokePolyline(points, false);
    Changed();
}

void TCanvas::ApplyMasks(const Mask& fill, const Mask* pen, const Mask* gaps) {
    TRect area;
    UnionRect(area, fill.area, pen ? pen->area : TRect());
    TRect clip = EffectiveClip();
    IntersectRect(area, area, clip);
    std::uint32_t pc = ToSurface(pen_.Color());
    std::uint32_t bc = ToSurface(brush_.Color());
    for (int y = area.Top; y < area.Bottom; ++y) {
        for (int x = area.Left; x < area.Right; ++x) {
            if (pen && pen->Get(x, y)) {
                Plot(x, y, pc, pen_.Mode());
            } else if (gaps && gaps->Get(x, y)) {
                Plot(x, y, bc, pen_.Mode());
            } else if (fill.Get(x, y)) {
                bool draw;
                std::uint32_t c = BrushPixel(x, y, draw);
                if (draw) Plot(x, y, c, pen_.Mode());
            }
        }
    }
}

// ----------------------------------------------------------------- shapes

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    if (!Ready()) return;
    int l = std::min(x1, x2), r = std::max(x1, x2), t = std::min(y1, y2), b = std::max(y1, y2);
    // Sides may span more than an int holds (far coordinates from a file).
    if (std::int64_t(r) - l < 1 || std::int64_t(b) - t < 1) return;
    TRect clip = EffectiveClip();
    bool penVisible = pen_.Style() != psClear;
    if (!penVisible) {
        // Without a pen the filled area is one pixel smaller on the right and
        // bottom, as the platform draws it.
        Mask fill(clip);
        TRect f;
        if (IntersectRect(f, TRect(l, t, r - 1, b - 1), clip)) {
            for (int y = f.Top; y < f.Bottom; ++y)
                for (int x = f.Left; x < f.Right; ++x) fill.Set(x, y);
        }
        ApplyMasks(fill, nullptr, nullptr);
        Changed();
        return;
    }
    int w = pen_.Width();
    if (w <= 1) {
        Mask fill(clip);
        TRect f;
        if (IntersectRect(f, TRect(l + 1, t + 1, r - 1, b - 1), clip)) {
            for (int y = f.Top; y < f.Bottom; ++y)
                for (int x = f.Left; x < f.Right; ++x) fill.Set(x, y);
        }
        ApplyMasks(fill, nullptr, nullptr);
        if (std::int64_t(r) - l == 1 || std::int64_t(b) - t == 1) {
            // Degenerate: a single row or column, all pen; only its part
            // within the clip is visited (it may be a billion pixels long).
            std::uint32_t pc = ToSurface(pen_.Color());
            TRect line;
            if (IntersectRect(line, TRect(l, t, r, b), clip))
                for (int y = line.Top; y < line.Bottom; ++y)
                    for (int x = line.Left; x < line.Right; ++x) Plot(x, y, pc, pen_.Mode());
        } else {
            StrokePolyline({{l, t}, {r - 1, t}, {r - 1, b - 1}, {l, b - 1}}, true);
        }
        Changed();
        return;
    }
    double inset = pen_.Style() == psInsideFrame ? w / 2.0 : 0.5;
    QRectF path(l + inset, t + inset, (double(r) - l) - 2 * inset, (double(b) - t) - 2 * inset);
    Mask fill(clip), penMask(clip);
    if (!fill.Empty()) {
        auto fp = fill.Painter();
        fp->fillRect(path, Qt::black);
        auto pp = penMask.Painter();
        QPainterPath qp;
        qp.addRect(path);
        pp->strokePath(qp, QPen(Qt::black, w, Qt::SolidLine, Qt::SquareCap,
                                pen_.Style() == psInsideFrame ? Qt::MiterJoin : Qt::RoundJoin));
    }
    ApplyMasks(fill, &penMask, nullptr);
    Changed();
}

void TCanvas::DrawShape(Shape shape, TRect bounds, const std::vector<TPoint>& pts, int rx, int ry, double start,
                        double span) {
    if (!Ready()) return;
    // The masks cover only the shape's bounds (with room for a wide pen)
    // within the clip; nothing outside them is drawn.
    TRect reach = pts.empty() ? bounds : TRect(pts[0].X, pts[0].Y, pts[0].X + 1, pts[0].Y + 1);
    for (const TPoint& p : pts) {
        reach.Left = std::min(reach.Left, p.X);
        reach.Top = std::min(reach.Top, p.Y);
        reach.Right = std::max(reach.Right, p.X + 1);
        reach.Bottom = std::max(reach.Bottom, p.Y + 1);
    }
    int grow = std::max(1, pen_.Width()) + 1;
    reach = TRect(reach.Left - grow, reach.Top - grow, reach.Right + grow, reach.Bottom + grow);
    TRect clip;
    if (!IntersectRect(clip, reach, EffectiveClip())) return;
    Mask fill(clip), penMask(clip), full(clip);
    if (fill.Empty()) return;
    int l = bounds.Left, t = bounds.Top, r = bounds.Right, b = bounds.Bottom;
    bool penVisible = pen_.Style() != psClear;
    int w = pen_.Width();
    double inset = (pen_.Style() == psInsideFrame && w > 1) ? w / 2.0 : 0.5;
    // The geometric outline passes through pixel centres.
    QRectF geo(l + inset, t + inset, (r - l) - 2 * inset, (b - t) - 2 * inset);
    // Cosmetic aliased outlines land right of and below the given points.
    QRectF cosmetic(l, t, (r - l) - 1, (b - t) - 1);
    int a16 = int(std::lround(start * 16)), s16 = int(std::lround(span * 16));
    auto drawGeometry = [&](QPainter& p, const QRectF& rc) {
        switch (shape) {
            case Shape::Ellipse: p.drawEllipse(rc); break;
            case Shape::RoundRect: p.drawRoundedRect(rc, rx / 2.0, ry / 2.0); break;
            case Shape::Arc: p.drawArc(rc, a16, s16); break;
            case Shape::Pie: p.drawPie(rc, a16, s16); break;
            case Shape::Chord: p.drawChord(rc, a16, s16); break;
            case Shape::Polygon: break;
        }
    };
    // Fill.
    if (shape != Shape::Arc) {
        auto p = fill.Painter();
        p->setPen(Qt::NoPen);
        p->setBrush(Qt::black);
        if (shape == Shape::Polygon) {
            QPolygonF poly;
            for (auto& pt : pts) poly << QPointF(pt.X, pt.Y);
            p->drawPolygon(poly, Qt::OddEvenFill);
        } else {
            drawGeometry(*p, penVisible ? geo : QRectF(l, t, r - l, b - t));
        }
    }
    const Mask* gapsPtr = nullptr;
    if (penVisible && shape != Shape::Polygon) {
        auto strokeInto = [&](Mask& m, bool dashed) {
            auto p = m.Painter();
            p->setBrush(Qt::NoBrush);
            if (w <= 1) {
                QPen qpen(Qt::black, 0);
                if (dashed && !StylePattern(pen_.Style()).empty()) {
                    QVector<qreal> dashes;
                    for (int v : StylePattern(pen_.Style())) dashes << v;
                    qpen.setDashPattern(dashes);
                }
                p->setPen(qpen);
                drawGeometry(*p, cosmetic);
            } else {
                p->setPen(QPen(Qt::black, w, Qt::SolidLine, Qt::FlatCap,
                               pen_.Style() == psInsideFrame ? Qt::MiterJoin : Qt::RoundJoin));
                drawGeometry(*p, geo);
            }
        };
        strokeInto(penMask, true);
        if (w <= 1 && !StylePattern(pen_.Style()).empty() && OpaqueBackground()) {
            strokeInto(full, false);
            gapsPtr = &full;
        }
    }
    ApplyMasks(fill, penVisible && shape != Shape::Polygon ? &penMask : nullptr, gapsPtr);
    if (penVisible && shape == Shape::Polygon) StrokePolyline(pts, true);
    Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    TRect r(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
    if (r.Width() < 1 || r.Height() < 1) return;
    DrawShape(Shape::Ellipse, r, {}, 0, 0, 0, 0);
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
    TRect r(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
    if (r.Width() < 1 || r.Height() < 1) return;
    DrawShape(Shape::RoundRect, r, {}, std::min(x3, r.Width()), std::min(y3, r.Height()), 0, 0);
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
    if (points.size() < 2) return;
    DrawShape(Shape::Polygon, {}, points, 0, 0, 0, 0);
}

namespace {
void ArcAngles(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, double& start, double& span) {
    double cx = (x1 + x2) / 2.0, cy = (y1 + y2) / 2.0;
    start = RadialAngle(cx, cy, x3, y3);
    double end = RadialAngle(cx, cy, x4, y4);
    span = end - start;
    while (span <= 0) span += 360.0;
    if (x3 - cx == 0 && y3 - cy == 0) span = 360.0;
}
}  // namespace

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    double start, span;
    ArcAngles(x1, y1, x2, y2, x3, y3, x4, y4, start, span);
    DrawShape(Shape::Arc, TRect(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)), {}, 0, 0,
              start, span);
}

void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    double start, span;
    ArcAngles(x1, y1, x2, y2, x3, y3, x4, y4, start, span);
    DrawShape(Shape::Pie, TRect(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)), {}, 0, 0,
              start, span);
}

void TCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    double start, span;
    ArcAngles(x1, y1, x2, y2, x3, y3, x4, y4, start, span);
    DrawShape(Shape::Chord, TRect(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)), {}, 0,
              0, start, span);
}

namespace {
// Hands put every pixel of the rectangle's outline that lies inside the
// clip, each once: the top and bottom rows, then the side columns between
// them. Only the part of each edge inside the clip is walked, so a frame
// far larger than the surface costs no more than the surface.
template <class Put>
void WalkFrame(const TRect& rect, const TRect& clip, Put put) {
    const int x0 = std::max(rect.Left, clip.Left), x1 = std::min(rect.Right, clip.Right);
    for (int x = x0; x < x1; ++x) {
        put(x, rect.Top);
        if (rect.Bottom - 1 > rect.Top) put(x, rect.Bottom - 1);
    }
    const int y0 = std::max(rect.Top + 1, clip.Top), y1 = std::min(rect.Bottom - 1, clip.Bottom);
    for (int y = y0; y < y1; ++y) {
        put(rect.Left, y);
        if (rect.Right - 1 > rect.Left) put(rect.Right - 1, y);
    }
}
}  // namespace

void TCanvas::FillRect(const TRect& rect) {
    if (!Ready() || brush_.Style() == bsClear) return;
    TRect r;
    if (!IntersectRect(r, rect, EffectiveClip())) return;
    std::uint32_t c = 0xFF000000u | ToSurface(brush_.Color());
    bool solid = brush_.Style() == bsSolid;
    for (int y = r.Top; y < r.Bottom; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(surface_->scanLine(y));
        if (solid) {
            std::fill(line + r.Left, line + r.Right, c);
            continue;
        }
        for (int x = r.Left; x < r.Right; ++x)
            if (HatchOn(brush_.Style(), x, y)) line[x] = c;
    }
    Changed();
}

void TCanvas::FrameRect(const TRect& rect) {
    if (!Ready() || brush_.Style() == bsClear || rect.IsEmpty()) return;
    TRect c = EffectiveClip();
    std::uint32_t color = ToSurface(brush_.Color());
    auto put = [&](int x, int y) {
        if (c.Contains({x, y}) && HatchOn(brush_.Style(), x, y)) Plot(x, y, color, pmCopy);
    };
    WalkFrame(rect, c, put);
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& rect) {
    if (!Ready() || rect.IsEmpty()) return;
    auto inv = [&](int x, int y) {
        if (((x + y) & 1) == 0) Plot(x, y, 0xFFFFFF, pmXor);
    };
    WalkFrame(rect, EffectiveClip(), inv);
    Changed();
}

void TCanvas::FloodFill(int x, int y, TColor color, TFillStyle style) {
    if (!Ready() || brush_.Style() == bsClear) return;
    TRect clip = EffectiveClip();
    if (!clip.Contains({x, y})) return;
    std::uint32_t target = ToSurface(color);
    auto pixel = [&](int px, int py) {
        return reinterpret_cast<const QRgb*>(surface_->constScanLine(py))[px] & 0xFFFFFF;
    };
    auto inside = [&](int px, int py) {
        std::uint32_t v = pixel(px, py);
        return style == fsSurface ? v == target : v != target;
    };
    if (!inside(x, y)) return;
    Mask seen(clip);
    std::vector<TPoint> stack{{x, y}};
    std::uint32_t bc = ToSurface(brush_.Color());
    while (!stack.empty()) {
        TPoint p = stack.back();
        stack.pop_back();
        if (!clip.Contains(p) || seen.Get(p.X, p.Y) || !inside(p.X, p.Y)) continue;
        seen.Set(p.X, p.Y);
        stack.push_back({p.X + 1, p.Y});
        stack.push_back({p.X - 1, p.Y});
        stack.push_back({p.X, p.Y + 1});
        stack.push_back({p.X, p.Y - 1});
    }
    for (int py = clip.Top; py < clip.Bottom; ++py)
        for (int px = clip.Left; px < clip.Right; ++px)
            if (seen.Get(px, py) && HatchOn(brush_.Style(), px, py)) Plot(px, py, bc, pmCopy);
    Changed();
}

// ------------------------------------------------------------------- text

struct TCanvas::FontCache {
    std::string Name;
    int Height;
    TFontStyles Style;
    TFontPitch Pitch;
    int Charset;
    QFont Font;
    QFontMetrics Metrics;
    TTextMetric Tm;
    // Widths of measured texts; dropped whole when it grows large.
    std::unordered_map<std::string, int> Widths;
};

const TCanvas::FontCache& TCanvas::CachedFont() const {
    const FontCache* c = fontCache_.get();
    if (c && c->Name == font_.Name() && c->Height == font_.Height() && c->Style == font_.Style() &&
        c->Pitch == font_.Pitch() && c->Charset == font_.Charset())
        return *c;
    QFont f = font_.ToQFont();
    QFontMetrics m(f);
    TTextMetric tm;
    tm.tmAscent = m.ascent();
    tm.tmDescent = m.descent();
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = std::max(0, tm.tmHeight - f.pixelSize());
    tm.tmExternalLeading = std::max(0, m.leading());
    tm.tmAveCharWidth = m.averageCharWidth();
    tm.tmMaxCharWidth = m.maxWidth();
    fontCache_ = std::make_shared<FontCache>(
        FontCache{font_.Name(), font_.Height(), font_.Style(), font_.Pitch(), font_.Charset(), f, m, tm, {}});
    return *fontCache_;
}

int TCanvas::CachedWidth(const std::string& text) const {
    const FontCache& c = CachedFont();
    auto& widths = const_cast<FontCache&>(c).Widths;
    if (auto it = widths.find(text); it != widths.end()) return it->second;
    if (widths.size() >= 8192) widths.clear();
    int w = c.Metrics.horizontalAdvance(QString::fromStdString(text));
    widths.emplace(text, w);
    return w;
}

int TCanvas::TextWidth(const std::string& text) const { return TextExtent(text).cx; }

int TCanvas::TextHeight(const std::string& text) const { return TextExtent(text).cy; }

TSize TCanvas::TextExtent(const std::string& text) const {
    const FontCache& c = CachedFont();
    return {CachedWidth(text), c.Tm.tmHeight};
}

TTextMetric TCanvas::TextMetrics() const { return CachedFont().Tm; }

void TCanvas::TextOutImpl(int x, int y, const std::string& text, const TRect* clipRect, bool opaqueRect) {
    if (!Ready()) return;
    const FontCache& cache = CachedFont();
    const QFont& f = cache.Font;
    QString qs = QString::fromStdString(text);
    int width = CachedWidth(text);
    int ascent = cache.Tm.tmAscent, descent = cache.Tm.tmDescent;
    if (textAlign_ & TA_UPDATECP) {
        x = penPos_.X;
        y = penPos_.Y;
    }
    int left = x;
    unsigned h = textAlign_ & TA_CENTER;
    if (h == TA_CENTER) left = x - width / 2;
    else if (h == TA_RIGHT) left = x - width;
    int baseline;
    unsigned v = textAlign_ & TA_BASELINE;
    if (v == TA_BASELINE) baseline = y;
    else if (v == TA_BOTTOM) baseline = y - descent;
    else baseline = y + ascent;
    if (textAlign_ & TA_UPDATECP) {
        if (h == TA_RIGHT) penPos_.X = left;
        else if (h != TA_CENTER) penPos_.X = left + width;
    }

    TRect clip = EffectiveClip();
    if (clipRect) IntersectRect(clip, clip, *clipRect);
    QPainter p(surface_);
    p.setClipRect(QRect(clip.Left, clip.Top, clip.Width(), clip.Height()));
    bool opaque = brush_.Style() != bsClear;
    if (opaqueRect && clipRect && opaque) {
        p.fillRect(QRect(clipRect->Left, clipRect->Top, clipRect->Width(), clipRect->Height()),
                   ToQColor(brush_.Color()));
    } else if (opaque && width > 0) {
        p.fillRect(QRect(left, baseline - ascent, width, ascent + descent), ToQColor(brush_.Color()));
    }
    p.setFont(f);
    p.setPen(ToQColor(font_.Color()));
    p.drawText(QPoint(left, baseline), qs);
    p.end();
    Changed();
}

void TCanvas::TextOut(int x, int y, const std::string& text) { TextOutImpl(x, y, text, nullptr, false); }

void TCanvas::TextRect(const TRect& r, int x, int y, const std::string& text) { TextOutImpl(x, y, text, &r, true); }

// ----------------------------------------------------------------- images

void TCanvas::DrawImage(const QImage& image, const TRect& dest, const TRect& sourceRect, bool transparent,
                        TColor transparentColor) {
    if (!Ready() || image.isNull() || dest.IsEmpty() || sourceRect.IsEmpty()) return;
    QImage src = image.copy(sourceRect.Left, sourceRect.Top, sourceRect.Width(), sourceRect.Height())
                     .convertToFormat(QImage::Format_RGB32);
    if (src.width() != dest.Width() || src.height() != dest.Height())
        src = src.scaled(dest.Width(), dest.Height(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    TRect area;
    if (!IntersectRect(area, dest, EffectiveClip())) return;
    std::uint32_t key = ToSurface(transparentColor);
    std::uint32_t pat = ToSurface(brush_.Color());
    for (int y = area.Top; y < area.Bottom; ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(y - dest.Top));
        QRgb* d = reinterpret_cast<QRgb*>(surface_->scanLine(y));
        for (int x = area.Left; x < area.Right; ++x) {
            std::uint32_t sv = s[x - dest.Left] & 0xFFFFFF;
            if (transparent && sv == key) continue;
            std::uint32_t dv = d[x] & 0xFFFFFF;
            d[x] = 0xFF000000u | (copyMode_ == cmSrcCopy ? sv : ApplyRop3(copyMode_, pat, sv, dv));
        }
    }
    Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect) {
    if (!source || !source->Ready()) return;
    // A copy first, so that overlapping copies within one canvas are right.
    QImage snapshot = *source->surface_;
    DrawImage(snapshot, dest, sourceRect);
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
    if (!graphic || graphic->Empty()) return;
    graphic->Draw(this, Bounds(x, y, graphic->Width(), graphic->Height()));
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
    if (!graphic || graphic->Empty()) return;
    graphic->Draw(this, r);
}
