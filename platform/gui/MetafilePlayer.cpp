// Plays metafile records with a QPainter: the drawing state the records
// change is kept here, and every shape, text and picture is drawn through
// one transform: world transform, window-to-viewport mapping, then the fit
// of the metafile's frame into the target rectangle.

#include <QFontMetricsF>
#include <QImage>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "platform/gui/MetafilePrivate.h"

namespace metafile_detail {

namespace {

constexpr std::uint32_t kRopPatCopy = 0xF00021;
constexpr std::uint32_t kRopBlackness = 0x42;
constexpr std::uint32_t kRopWhiteness = 0xFF0062;
constexpr std::uint32_t kRopSrcAnd = 0x8800C6;
constexpr std::uint32_t kRopSrcPaint = 0xEE0086;
constexpr std::uint32_t kRopSrcInvert = 0x660046;

constexpr int kMapIsotropic = 7;
constexpr int kMapAnisotropic = 8;

Qt::PenStyle QtPenStyle(std::uint32_t style) {
    switch (style & 0xF) {
        case 1: return Qt::DashLine;
        case 2: return Qt::DotLine;
        case 3: return Qt::DashDotLine;
        case 4: return Qt::DashDotDotLine;
        case 5: return Qt::NoPen;
        default: return Qt::SolidLine;
    }
}

Qt::BrushStyle QtHatch(std::uint32_t hatch) {
    switch (hatch) {
        case 0: return Qt::HorPattern;
        case 1: return Qt::VerPattern;
        case 2: return Qt::FDiagPattern;
        case 3: return Qt::BDiagPattern;
        case 4: return Qt::CrossPattern;
        case 5: return Qt::DiagCrossPattern;
        default: return Qt::SolidPattern;
    }
}

QPolygonF ToPolygon(const std::vector<TPoint>& pts) {
    QPolygonF poly;
    poly.reserve(qsizetype(pts.size()));
    for (const TPoint& p : pts) poly << QPointF(p.X, p.Y);
    return poly;
}

}  // namespace

TPainterPlayer::TPainterPlayer(QPainter& painter, const TMetafileHeader& h, const QRectF& target) : p_(painter) {
    // The frame (hundredths of a millimetre) in reference-device pixels.
    double kx = (h.Device.cx > 0 && h.Millimeters.cx > 0) ? double(h.Device.cx) / (h.Millimeters.cx * 100.0)
                                                            : 96.0 / 2540.0;
    double ky = (h.Device.cy > 0 && h.Millimeters.cy > 0) ? double(h.Device.cy) / (h.Millimeters.cy * 100.0)
                                                            : 96.0 / 2540.0;
    // Whole pixels: a frame a hair off its pixel size would otherwise shift
    // every aliased edge by one.
    double x0 = std::round(h.Frame.Left * kx), y0 = std::round(h.Frame.Top * ky);
    // Worked out wide: the corners may lie at the ends of the integer range.
    double x1 = std::round((double(h.Frame.Right) + 1) * kx), y1 = std::round((double(h.Frame.Bottom) + 1) * ky);
    double w = x1 - x0, hh = y1 - y0;
    if (std::fabs(w) < 1e-9 || std::fabs(hh) < 1e-9) {
        // No usable frame: the bounds (device pixels) stand in.
        x0 = h.Bounds.Left;
        y0 = h.Bounds.Top;
        w = std::max(1.0, double(h.Bounds.Right) - h.Bounds.Left + 1);
        hh = std::max(1.0, double(h.Bounds.Bottom) - h.Bounds.Top + 1);
    }
    fit_ = QTransform::fromTranslate(-x0, -y0) * QTransform::fromScale(target.width() / w, target.height() / hh) *
           QTransform::fromTranslate(target.x(), target.y());
    p_.setRenderHint(QPainter::Antialiasing, false);
    p_.setRenderHint(QPainter::TextAntialiasing, true);
    TFont defaultFont;
    s_.Font.Font = defaultFont.ToQFont();
}

QColor TPainterPlayer::Color(std::uint32_t v) const {
    // Palette-index forms have no palette here: black.
    if (v >= 0x1000000u) return QColor(0, 0, 0);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

void TPainterPlayer::Apply() {
    QTransform map;
    if (s_.MapMode == kMapIsotropic || s_.MapMode == kMapAnisotropic) {
        double sx = s_.WindowExt.width() != 0 ? s_.ViewportExt.width() / s_.WindowExt.width() : 1.0;
        double sy = s_.WindowExt.height() != 0 ? s_.ViewportExt.height() / s_.WindowExt.height() : 1.0;
        map = QTransform::fromTranslate(-s_.WindowOrg.x(), -s_.WindowOrg.y()) * QTransform::fromScale(sx, sy) *
              QTransform::fromTranslate(s_.ViewportOrg.x(), s_.ViewportOrg.y());
    } else {
        map = QTransform::fromTranslate(s_.ViewportOrg.x() - s_.WindowOrg.x(), s_.ViewportOrg.y() - s_.WindowOrg.y());
    }
    p_.setWorldTransform(s_.World * map * fit_);
    p_.setPen(s_.Pen);
    p_.setBrush(s_.Brush);
}

void TPainterPlayer::SelectStock(std::uint32_t n) {
    switch (n) {
        case 0: s_.Brush = QBrush(Qt::white); break;
        case 1: s_.Brush = QBrush(QColor(0xC0, 0xC0, 0xC0)); break;
        case 2:
        case 3: s_.Brush = QBrush(QColor(0x80, 0x80, 0x80)); break;
        case 4: s_.Brush = QBrush(Qt::black); break;
        case 5: s_.Brush = QBrush(Qt::NoBrush); break;
        case 6: s_.Pen = QPen(Qt::white, 0); break;
        case 7: s_.Pen = QPen(Qt::black, 0); break;
        case 8: s_.Pen = QPen(Qt::NoPen); break;
        case 10: case 11: case 12: case 13: case 14: case 16: {
            TFont f;
            s_.Font = TPlayFont{f.ToQFont(), 0};
            break;
        }
        default: break;
    }
}

bool TPainterPlayer::Select(std::uint32_t index) {
    if (index == 0 || (index & kStockObjectFlag)) {
        SelectStock(index & 0x7FFFFFFFu);
        return true;
    }
    if (index >= objects_.size()) return false;
    const TPlayObject& o = objects_[index];
    if (auto pen = std::get_if<TPlayPen>(&o)) s_.Pen = pen->Pen;
    else if (auto brush = std::get_if<TPlayBrush>(&o)) s_.Brush = brush->Brush;
    else if (auto font = std::get_if<TPlayFont>(&o)) s_.Font = *font;
    return true;
}

QRectF TPainterPlayer::Box(const TMetafileRecord& r, std::size_t at) const {
    TRect b = r.RectL(at);
    int l = std::min(b.Left, b.Right), t = std::min(b.Top, b.Bottom);
    int rr = std::max(b.Left, b.Right), bb = std::max(b.Top, b.Bottom);
    // Sides taken apart in double: the corners may lie at the ends of the
    // integer range.
    return QRectF(l, t, double(rr) - l, double(bb) - t);
}

void TPainterPlayer::FillBox(const QRectF& box, std::uint32_t rop) {
    Apply();
    if (rop == kRopBlackness) p_.fillRect(box, Qt::black);
    else if (rop == kRopWhiteness) p_.fillRect(box, Qt::white);
    else if (rop == kRopPatCopy && s_.Brush.style() != Qt::NoBrush) p_.fillRect(box, s_.Brush);
}

void TPainterPlayer::Picture(const TMetafileRecord& r, const QRectF& dest, std::uint32_t offBmi, std::uint32_t cbBmi,
                             std::uint32_t offBits, std::uint32_t cbBits, QRectF source, std::uint32_t rop) {
    std::vector<std::uint8_t> file = MetafileBitmapFile(r, offBmi, cbBmi, offBits, cbBits);
    if (file.empty()) {
        FillBox(dest.normalized(), rop);
        return;
    }
    QImage img;
    if (!img.loadFromData(file.data(), int(file.size()), "BMP")) return;  // undecodable pictures draw nothing
    if (source.isEmpty()) source = QRectF(0, 0, img.width(), img.height());
    Apply();
    QPainter::CompositionMode old = p_.compositionMode();
    if (rop == kRopSrcAnd) p_.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    else if (rop == kRopSrcPaint) p_.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    else if (rop == kRopSrcInvert) p_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p_.drawImage(dest, img.convertToFormat(QImage::Format_RGB32), source);
    p_.setCompositionMode(old);
}

void TPainterPlayer::ArcShape(const TMetafileRecord& r, int kind) {
    QRectF box = Box(r, 8);
    QPointF c = box.center();
    auto angle = [&](int x, int y) { return std::atan2(-(y - c.y()), x - c.x()) * 180.0 / M_PI; };
    double a1 = angle(r.I32(24), r.I32(28)), a2 = angle(r.I32(32), r.I32(36));
    double span = a2 - a1;
    while (span <= 0) span += 360.0;
    Apply();
    QRectF outline(box.x(), box.y(), box.width() - 1, box.height() - 1);
    int start = int(std::lround(a1 * 16)), len = int(std::lround(span * 16));
    if (kind == EMR_ARC) p_.drawArc(outline, start, len);
    else if (kind == EMR_CHORD) p_.drawChord(outline, start, len);
    else p_.drawPie(outline, start, len);
}

void TPainterPlayer::Text(const TMetafileRecord& r) {
    std::uint32_t n = r.U32(44), offString = r.U32(48), options = r.U32(52), offDx = r.U32(72);
    QPointF ref(r.I32(36), r.I32(40));
    TRect rc = r.RectL(56);
    QRectF rect(rc.Left, rc.Top, double(rc.Right) - rc.Left, double(rc.Bottom) - rc.Top);
    QString text;
    if (r.Type == EMR_EXTTEXTOUTW) {
        const std::uint8_t* p = r.Bytes(offString, std::size_t(n) * 2);
        for (std::uint32_t i = 0; i < n; ++i) text.append(QChar(char16_t(p[2 * i] | (p[2 * i + 1] << 8))));
    } else {
        const std::uint8_t* p = r.Bytes(offString, n);
        text = QString::fromLatin1(reinterpret_cast<const char*>(p), qsizetype(n));
    }
    std::vector<double> dx;
    if (offDx != 0 && r.Has(offDx & ~3u, std::size_t(n) * 4))
        for (std::uint32_t i = 0; i < n; ++i) dx.push_back(r.I32((offDx & ~3u) + 4 * i));
    Apply();
    p_.save();
    if ((options & ETO_OPAQUE) && rc.Right >= rc.Left && !(rc.Left == 0 && rc.Top == 0 && rc.Right == -1))
        p_.fillRect(rect, s_.BkColor);
    if (options & ETO_CLIPPED) p_.setClipRect(rect, Qt::IntersectClip);
    if (n == 0) {
        p_.restore();
        return;
    }
    QFontMetricsF m(s_.Font.Font);
    double width = 0;
    if (dx.empty()) width = m.horizontalAdvance(text);
    else
        for (double d : dx) width += d;
    if (s_.TextAlign & TA_UPDATECP) ref = s_.Current;
    double left = 0;
    unsigned h = s_.TextAlign & TA_CENTER;
    if (h == TA_CENTER) left = -width / 2;
    else if (h == TA_RIGHT) left = -width;
    double base;
    unsigned v = s_.TextAlign & TA_BASELINE;
    if (v == TA_BASELINE) base = 0;
    else if (v == TA_BOTTOM) base = -m.descent();
    else base = m.ascent();
    if (s_.TextAlign & TA_UPDATECP) {
        if (h == TA_RIGHT) s_.Current.setX(ref.x() - width);
        else if (h != TA_CENTER) s_.Current.setX(ref.x() + width);
    }
    p_.translate(ref);
    if (s_.Font.Escapement != 0) p_.rotate(-s_.Font.Escapement / 10.0);
    if (s_.BkMode == 2 && !(options & ETO_OPAQUE))
        p_.fillRect(QRectF(left, base - m.ascent(), width, m.ascent() + m.descent()), s_.BkColor);
    p_.setFont(s_.Font.Font);
    p_.setPen(s_.TextColor);
    if (dx.empty()) {
        p_.drawText(QPointF(left, base), text);
    } else {
        double x = left;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i).isLowSurrogate()) continue;
            int len = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
            p_.drawText(QPointF(x, base), text.mid(i, len));
            x += dx[std::size_t(i)];
            if (len == 2 && std::size_t(i + 1) < dx.size()) x += dx[std::size_t(i + 1)];
        }
    }
    p_.restore();
}

bool TPainterPlayer::Play(const TMetafileRecord& r) {
    switch (r.Type) {
        case EMR_SETWINDOWEXTEX: s_.WindowExt = QSizeF(r.I32(8), r.I32(12)); break;
        case EMR_SETWINDOWORGEX: s_.WindowOrg = QPointF(r.I32(8), r.I32(12)); break;
        case EMR_SETVIEWPORTEXTEX: s_.ViewportExt = QSizeF(r.I32(8), r.I32(12)); break;
        case EMR_SETVIEWPORTORGEX: s_.ViewportOrg = QPointF(r.I32(8), r.I32(12)); break;
        case EMR_SETMAPMODE: s_.MapMode = r.I32(8); break;
        case EMR_SETBKMODE: s_.BkMode = int(r.U32(8) & 0xFF); break;
        case EMR_SETPOLYFILLMODE: s_.FillRule = r.U32(8) == 2 ? Qt::WindingFill : Qt::OddEvenFill; break;
        case EMR_SETTEXTALIGN: s_.TextAlign = r.U32(8); break;
        case EMR_SETTEXTCOLOR: s_.TextColor = Color(r.U32(8)); break;
        case EMR_SETBKCOLOR: s_.BkColor = Color(r.U32(8)); break;
        case EMR_MOVETOEX: s_.Current = QPointF(r.I32(8), r.I32(12)); break;
        case EMR_SCALEVIEWPORTEXTEX:
        case EMR_SCALEWINDOWEXTEX: {
            std::int32_t xd = r.I32(12), yd = r.I32(20);
            if (xd == 0 || yd == 0) break;
            QSizeF& e = r.Type == EMR_SCALEVIEWPORTEXTEX ? s_.ViewportExt : s_.WindowExt;
            e = QSizeF(std::trunc(e.width() * r.I32(8) / xd), std::trunc(e.height() * r.I32(16) / yd));
            break;
        }
        case EMR_SETWORLDTRANSFORM:
            s_.World = QTransform(r.F32(8), r.F32(12), r.F32(16), r.F32(20), r.F32(24), r.F32(28));
            break;
        case EMR_MODIFYWORLDTRANSFORM: {
            QTransform t(r.F32(8), r.F32(12), r.F32(16), r.F32(20), r.F32(24), r.F32(28));
            switch (r.U32(32)) {
                case 1: s_.World = QTransform(); break;
                case 2: s_.World = t * s_.World; break;
                case 3: s_.World = s_.World * t; break;
                default: s_.World = t; break;
            }
            break;
        }
        case EMR_SAVEDC:
            saved_.push_back(s_);
            p_.save();
            break;
        case EMR_RESTOREDC: {
            std::int32_t rel = r.I32(8);
            std::int64_t keep = rel < 0 ? std::int64_t(saved_.size()) + rel : std::int64_t(rel) - 1;
            if (keep < 0 || keep >= std::int64_t(saved_.size())) break;
            while (std::int64_t(saved_.size()) > keep + 1) {
                saved_.pop_back();
                p_.restore();
            }
            s_ = saved_.back();
            saved_.pop_back();
            p_.restore();
            break;
        }
        case EMR_SELECTOBJECT:
            return Select(r.U32(8));
        case EMR_DELETEOBJECT: {
            std::uint32_t i = r.U32(8);
            if (i < objects_.size()) objects_[i] = std::monostate{};
            break;
        }
        case EMR_CREATEPEN:
        case EMR_EXTCREATEPEN:
        case EMR_CREATEBRUSHINDIRECT:
        case EMR_EXTCREATEFONTINDIRECTW:
        case EMR_CREATEPALETTE:
        case EMR_CREATEMONOBRUSH:
        case EMR_CREATEDIBPATTERNBRUSHPT: {
            std::uint32_t i = r.U32(8);
            // The table grows only as far as the header allows objects.
            if (i == 0 || i > 0xFFFF) return false;
            if (i >= objects_.size()) objects_.resize(i + 1);
            if (r.Type == EMR_CREATEPEN) {
                QPen pen(Color(r.U32(24)), r.I32(16), QtPenStyle(r.U32(12)), Qt::RoundCap, Qt::RoundJoin);
                if (r.I32(16) <= 1) pen.setWidth(0);
                objects_[i] = TPlayPen{pen};
            } else if (r.Type == EMR_EXTCREATEPEN) {
                QPen pen(Color(r.U32(40)), r.I32(32), QtPenStyle(r.U32(28)), Qt::RoundCap, Qt::RoundJoin);
                if (r.I32(32) <= 1) pen.setWidth(0);
                objects_[i] = TPlayPen{pen};
            } else if (r.Type == EMR_CREATEBRUSHINDIRECT) {
                std::uint32_t style = r.U32(12);
                QBrush b = style == 1 ? QBrush(Qt::NoBrush)
                           : style == 2 ? QBrush(Color(r.U32(16)), QtHatch(r.U32(20)))
                                        : QBrush(Color(r.U32(16)));
                objects_[i] = TPlayBrush{b};
            } else if (r.Type == EMR_EXTCREATEFONTINDIRECTW) {
                TFont f;
                QString face;
                const std::uint8_t* p = r.Bytes(40, 64);
                for (int k = 0; k < 32; ++k) {
                    char16_t c = char16_t(p[2 * k] | (p[2 * k + 1] << 8));
                    if (c == 0) break;
                    face.append(QChar(c));
                }
                f.SetName(face.toStdString());
                f.SetHeight(r.I32(12) == 0 ? -12 : r.I32(12));
                TFontStyles st = 0;
                if (r.I32(28) >= 700) st |= fsBold;
                if (r.U8(32)) st |= fsItalic;
                if (r.U8(33)) st |= fsUnderline;
                if (r.U8(34)) st |= fsStrikeOut;
                f.SetStyle(st);
                objects_[i] = TPlayFont{f.ToQFont(), r.I32(20)};
            } else if (r.Type == EMR_CREATEPALETTE) {
                objects_[i] = std::monostate{};
            } else {
                // Pattern brushes: the pattern's first pixel colours the brush.
                std::vector<std::uint8_t> file = MetafileBitmapFile(r, r.U32(16), r.U32(20), r.U32(24), r.U32(28));
                QImage img;
                QBrush b(Qt::black);
                if (!file.empty() && img.loadFromData(file.data(), int(file.size()), "BMP")) b = QBrush(img);
                objects_[i] = TPlayBrush{b};
            }
            break;
        }
        case EMR_SELECTPALETTE: {
            std::uint32_t i = r.U32(8);
            if (!(i & kStockObjectFlag) && i >= objects_.size()) return false;
            break;
        }
        case EMR_LINETO: {
            QPointF to(r.I32(8), r.I32(12));
            Apply();
            p_.drawLine(s_.Current, to);
            s_.Current = to;
            break;
        }
        case EMR_POLYLINE16:
        case EMR_POLYLINETO16:
        case EMR_POLYLINE:
        case EMR_POLYLINETO: {
            bool wide = r.Type == EMR_POLYLINE || r.Type == EMR_POLYLINETO;
            std::uint32_t n = r.U32(24);
            QPolygonF poly = ToPolygon(wide ? r.Points32(28, n) : r.Points16(28, n));
            if (r.Type == EMR_POLYLINETO16 || r.Type == EMR_POLYLINETO) {
                poly.prepend(s_.Current);
                if (!poly.isEmpty()) s_.Current = poly.back();
            }
            Apply();
            p_.drawPolyline(poly);
            break;
        }
        case EMR_POLYGON16:
        case EMR_POLYGON: {
            std::uint32_t n = r.U32(24);
            QPolygonF poly = ToPolygon(r.Type == EMR_POLYGON ? r.Points32(28, n) : r.Points16(28, n));
            Apply();
            p_.drawPolygon(poly, s_.FillRule);
            break;
        }
        case EMR_POLYBEZIER16:
        case EMR_POLYBEZIER:
        case EMR_POLYBEZIERTO16:
        case EMR_POLYBEZIERTO: {
            bool wide = r.Type == EMR_POLYBEZIER || r.Type == EMR_POLYBEZIERTO;
            std::uint32_t n = r.U32(24);
            QPolygonF poly = ToPolygon(wide ? r.Points32(28, n) : r.Points16(28, n));
            if (r.Type == EMR_POLYBEZIERTO16 || r.Type == EMR_POLYBEZIERTO) poly.prepend(s_.Current);
            if (poly.size() < 4) break;
            QPainterPath path(poly[0]);
            for (qsizetype i = 1; i + 2 < poly.size(); i += 3) path.cubicTo(poly[i], poly[i + 1], poly[i + 2]);
            if (r.Type == EMR_POLYBEZIERTO16 || r.Type == EMR_POLYBEZIERTO) s_.Current = path.currentPosition();
            Apply();
            p_.setBrush(Qt::NoBrush);
            p_.drawPath(path);
            break;
        }
        case EMR_POLYPOLYLINE16:
        case EMR_POLYPOLYGON16:
        case EMR_POLYPOLYLINE:
        case EMR_POLYPOLYGON: {
            bool wide = r.Type == EMR_POLYPOLYLINE || r.Type == EMR_POLYPOLYGON;
            std::uint32_t polys = r.U32(24), total = r.U32(28);
            r.Bytes(32, std::size_t(polys) * 4);
            std::vector<TPoint> pts = wide ? r.Points32(32 + std::size_t(polys) * 4, total)
                                           : r.Points16(32 + std::size_t(polys) * 4, total);
            Apply();
            QPainterPath path;
            path.setFillRule(s_.FillRule);
            std::size_t at = 0;
            for (std::uint32_t k = 0; k < polys; ++k) {
                std::uint32_t c = r.U32(32 + 4 * std::size_t(k));
                if (c > pts.size() - at) break;
                std::vector<TPoint> part(pts.begin() + std::ptrdiff_t(at), pts.begin() + std::ptrdiff_t(at + c));
                at += c;
                if (r.Type == EMR_POLYPOLYLINE16 || r.Type == EMR_POLYPOLYLINE) p_.drawPolyline(ToPolygon(part));
                else path.addPolygon(ToPolygon(part)), path.closeSubpath();
            }
            if (r.Type == EMR_POLYPOLYGON16 || r.Type == EMR_POLYPOLYGON) p_.drawPath(path);
            break;
        }
        case EMR_RECTANGLE: {
            QRectF b = Box(r, 8);
            Apply();
            if (s_.Brush.style() != Qt::NoBrush) p_.fillRect(b, s_.Brush);
            if (s_.Pen.style() != Qt::NoPen && b.width() >= 1 && b.height() >= 1) {
                p_.setBrush(Qt::NoBrush);
                p_.drawRect(QRectF(b.x(), b.y(), b.width() - 1, b.height() - 1));
            }
            break;
        }
        case EMR_ROUNDRECT: {
            QRectF b = Box(r, 8);
            Apply();
            p_.drawRoundedRect(QRectF(b.x(), b.y(), b.width() - 1, b.height() - 1), r.I32(24) / 2.0,
                               r.I32(28) / 2.0);
            break;
        }
        case EMR_ELLIPSE: {
            QRectF b = Box(r, 8);
            Apply();
            p_.drawEllipse(QRectF(b.x(), b.y(), b.width() - 1, b.height() - 1));
            break;
        }
        case EMR_ARC:
        case EMR_CHORD:
        case EMR_PIE:
            ArcShape(r, int(r.Type));
            break;
        case EMR_FILLRGN: {
            std::uint32_t brush = r.U32(28);
            if (!(brush & kStockObjectFlag) && brush >= objects_.size()) return false;
            QRectF b = Box(r, 8);
            Apply();
            if (auto br = std::get_if<TPlayBrush>(&objects_[brush & 0xFFFF]))
                p_.fillRect(QRectF(b.x(), b.y(), b.width() + 1, b.height() + 1), br->Brush);
            break;
        }
        case EMR_INTERSECTCLIPRECT: {
            Apply();
            p_.setClipRect(Box(r, 8), Qt::IntersectClip);
            break;
        }
        case EMR_EXTSELECTCLIPRGN: {
            std::uint32_t size = r.U32(8), mode = r.U32(12);
            if (size == 0) {
                p_.setClipping(false);
                break;
            }
            // Region data: a 32-byte header (count at 8), then rectangles
            // in device pixels.
            std::uint32_t count = r.U32(16 + 8);
            r.Bytes(48, std::size_t(count) * 16);
            QRegion region;
            for (std::uint32_t k = 0; k < count; ++k) {
                // Held far beyond any device, so that sides and Qt's own
                // arithmetic on them stay within the integer range.
                TRect rc = r.RectL(48 + 16 * std::size_t(k));
                auto held = [](int v) { return std::clamp(v, -(1 << 28), 1 << 28); };
                const int l = held(rc.Left), t = held(rc.Top);
                region += QRect(l, t, held(rc.Right) - l, held(rc.Bottom) - t);
            }
            p_.setWorldTransform(fit_);
            p_.setClipRegion(region, mode == 1 ? Qt::IntersectClip : Qt::ReplaceClip);
            break;
        }
        case EMR_EXTTEXTOUTA:
        case EMR_EXTTEXTOUTW:
            Text(r);
            break;
        case EMR_BITBLT:
        case EMR_STRETCHBLT:
        case EMR_MASKBLT: {
            QRectF dest(r.I32(24), r.I32(28), r.I32(32), r.I32(36));
            QRectF src(r.I32(44), r.I32(48), r.Type == EMR_STRETCHBLT ? r.I32(100) : dest.width(),
                       r.Type == EMR_STRETCHBLT ? r.I32(104) : dest.height());
            Picture(r, dest, r.U32(84), r.U32(88), r.U32(92), r.U32(96), src, r.U32(40));
            break;
        }
        case EMR_STRETCHDIBITS: {
            QRectF dest(r.I32(24), r.I32(28), r.I32(72), r.I32(76));
            QRectF src(r.I32(32), r.I32(36), r.I32(40), r.I32(44));
            Picture(r, dest, r.U32(48), r.U32(52), r.U32(56), r.U32(60), src, r.U32(68));
            break;
        }
        case EMR_SETDIBITSTODEVICE: {
            QRectF dest(r.I32(24), r.I32(28), r.I32(40), r.I32(44));
            Picture(r, dest, r.U32(48), r.U32(52), r.U32(56), r.U32(60), QRectF(), 0xCC0020);
            break;
        }
        case EMR_EOF:
            return false;
        default:
            break;  // records without a drawing effect here
    }
    return true;
}

void TPainterPlayer::Finish() {
    for (std::size_t i = 0; i < saved_.size(); ++i) p_.restore();
    saved_.clear();
}

}  // namespace metafile_detail
