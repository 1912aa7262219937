#include "docexport/deMetafile.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

#include "docexport/deConsts.h"
#include "docexport/deCstDocEng.h"
#include "platform/core/CodePage.h"

namespace {

constexpr Integer kMapText = 1;
constexpr Integer kMapIsotropic = 7;
constexpr Integer kMapAnisotropic = 8;

// Alignment flags as the interpreter keeps them.
constexpr std::uint16_t kAlignNoUpdate = 1, kAlignUpdate = 2, kAlignLeft = 4, kAlignRight = 8, kAlignCenter = 0x10,
                        kAlignTop = 0x20, kAlignBottom = 0x40, kAlignBaseline = 0x80;

// Raster operations that fill with the brush or a constant when a bitmap
// record carries no bitmap.
constexpr std::uint32_t kFillRops[] = {0x42,     0x1100A6, 0x330008, 0x440328, 0x550009, 0x5A0049, 0x660046, 0x8800C6,
                                       0xBB0226, 0xC000CA, 0xCC0020, 0xEE0086, 0xF00021, 0xFB0A09, 0xFF0062};

double Round(double v) { return std::nearbyint(v); }  // halves to even

TColor ValidColor(std::uint32_t v) { return v >= 0x1000000u ? 0 : TColor(v); }

TPenStyle PenStyleOf(std::uint32_t s) {
    static const TPenStyle styles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame};
    return s <= 6 ? styles[s] : psSolid;
}

}  // namespace

// Record handling with the processor's state; kept out of the header.
class TdeMetafileProcessor::Impl {
public:
    TdeMetafileProcessor& p;
    explicit Impl(TdeMetafileProcessor& owner) : p(owner) {}

    double Kx() const { return double(ScreenPPI()) / std::max(1, p.engine_->InputXRes()); }
    double Ky() const { return double(ScreenPPI()) / std::max(1, p.engine_->InputYRes()); }
    bool Mapped() const { return p.mapMode_ == kMapIsotropic || p.mapMode_ == kMapAnisotropic; }

    TdePoint MapPoint(double x, double y) const {
        const float* m = p.xform_;
        double x1 = x * m[0] + y * m[2] + m[4];
        double y1 = x * m[1] + y * m[3] + m[5];
        if (Mapped())
            return {(x1 - p.winOrgX_) * p.mapScaleX_ * Kx() + p.vpOrgX_,
                    (y1 - p.winOrgY_) * p.mapScaleY_ * Ky() + p.vpOrgY_};
        return {(x1 - p.winOrgX_) * Kx() + p.vpOrgX_, (y1 - p.winOrgY_) * Ky() + p.vpOrgY_};
    }
    TdePoint MapOut(double x, double y) const {
        TdePoint q = MapPoint(x, y);
        return {q.X + p.offX_, q.Y + p.offY_};
    }
    TdeRect MapRect(const TRect& r) const {
        TdePoint a = MapPoint(r.Left, r.Top), b = MapPoint(r.Right, r.Bottom);
        return {a.X, a.Y, b.X, b.Y};
    }
    void Rescale() {
        if (!Mapped()) return;
        if (p.winExtX_ != 0) p.mapScaleX_ = double(p.vpExtX_) / p.winExtX_;
        if (p.winExtY_ != 0) p.mapScaleY_ = double(p.vpExtY_) / p.winExtY_;
    }
    double MapPenWidth(double w) const {
        double out = w;
        if (Mapped()) {
            double v = Round(p.vpExtX_ / Kx());
            if (v != 0 && p.winExtX_ != 0) out = Round(w / (double(p.winExtX_) / v) * Kx());
        }
        return out * p.xform_[0];
    }

    TdeItemList& Page() { return p.engine_->GraphicItems(); }
    TdeItemList& TextTarget() { return p.engine_->TextSort() ? p.engine_->TextItems() : p.engine_->GraphicItems(); }

    // ---- objects -------------------------------------------------------------

    TdeGDIOBJ& Store(std::uint32_t index) {
        auto obj = std::make_unique<TdeGDIOBJ>();
        TdeGDIOBJ& ref = *obj;
        if (index == 0 || index > p.objects_.size()) p.objects_.push_back(std::move(obj));
        else p.objects_[index - 1] = std::move(obj);
        return ref;
    }

    void SelectStock(std::uint32_t n) {
        auto brush = [&](TBrushStyle s, TColor c, bool setColor) {
            TBrush fresh;
            if (setColor) fresh.SetColor(c);
            fresh.SetStyle(s);
            p.brush_.Assign(fresh);
        };
        auto pen = [&](TPenStyle s, TColor c) {
            TPen fresh;
            fresh.SetColor(c);
            fresh.SetStyle(s);
            p.pen_.Assign(fresh);
        };
        switch (n) {
            case 0: case 18: brush(bsSolid, clWhite, false); break;
            case 1: brush(bsSolid, 0xC0C0C0, true); break;
            case 2: case 3: brush(bsSolid, 0x808080, true); break;
            case 4: brush(bsSolid, 0, true); break;
            case 5: brush(bsClear, clWhite, false); break;
            case 6: pen(psSolid, 0xFFFFFF); break;
            case 7: pen(psSolid, 0); break;
            case 8: pen(psClear, 0); break;
            case 19: pen(psSolid, clBlack); break;
            case 10: case 11: case 12: case 13: case 14: case 16: p.font_.Assign(TdeFont()); break;
            case 15: p.palette_ = TdePalette{}; break;
            default: break;
        }
    }

    void Select(std::uint32_t n) {
        if (n == 0 || (n & kStockObjectFlag)) {
            SelectStock(n & 0x7FFFFFFFu);
            return;
        }
        if (n > p.objects_.size()) return;
        const TdeGDIOBJ& o = *p.objects_[n - 1];
        switch (o.ObjKind) {
            case TdeGDIOBJ::Pen: p.pen_.Assign(o.PenObj); break;
            case TdeGDIOBJ::Brush: p.brush_.Assign(o.BrushObj); break;
            case TdeGDIOBJ::Font: {
                p.font_.Assign(o.FontObj);
                std::vector<int> sets;
                FontCharsets(o.FontObj.Name(), sets);
                p.symbolFont_ = (sets.size() == 1 && sets[0] == 2) ? -1 : 1;
                break;
            }
            default: break;
        }
    }

    // ---- shapes -----------------------------------------------------------------

    TdeShapeItem* NewShape(TdeShapeType type) {
        auto* s = new TdeShapeItem;
        s->ShapeType = type;
        s->Pen.Assign(p.pen_);
        s->Brush = std::make_unique<TBrush>();
        s->Brush->Assign(p.brush_);
        return s;
    }
    void AddMapped(TdeShapeItem* s, const std::vector<TPoint>& pts) {
        for (const TPoint& q : pts) s->Points.push_back(MapOut(q.X, q.Y));
    }

    void FlushPendingFill() {
        if (p.decorationCountdown_ > 0) --p.decorationCountdown_;
        if (!p.pendingFill_ || !p.wantShape_) {
            p.pendingFill_ = false;
            return;
        }
        double x1 = p.fillX1_ * Kx() + p.offX_, y1 = p.fillY1_ * Ky() + p.offY_;
        double x2 = p.fillX2_ * Kx() + p.offX_, y2 = p.fillY2_ * Ky() + p.offY_;
        TdeShapeItem* s;
        if (p.fillX1_ == p.fillX2_ || p.fillY1_ == p.fillY2_) {
            s = NewShape(stLine);
            s->Pen.SetColor(p.brush_.Color());
        } else {
            s = NewShape(stRectangle);
            if (p.bkMode_ == 2) s->Pen.SetColor(ValidColor(p.bkColor_));
            else s->Pen.SetStyle(psClear);
            if (p.rop2_ == 13) s->Pen.SetColor(s->Brush->Color());
        }
        s->Points = {{x1, y1}, {x2, y2}};
        Page().push_back(s);
        p.pendingFill_ = false;
    }

    void SetPendingFill(const TdeRect& r) {
        p.fillX1_ = r.Left;
        p.fillY1_ = r.Top;
        p.fillX2_ = r.Right;
        p.fillY2_ = r.Bottom;
        if (p.wantText_ && !TextTarget().empty()) {
            p.pendingFill_ = true;
            if (p.decorationCountdown_ > 0) --p.decorationCountdown_;
        } else if (p.wantShape_) {
            p.pendingFill_ = true;
        }
        FlushPendingFill();
    }

    // ---- pictures ---------------------------------------------------------------

    TdeImageItem* NewImage() {
        auto* item = new TdeImageItem;
        item->Settings.Assign(p.engine_->ImageSettings());
        if (!item->Settings.ActualSize) item->Settings.Stretch = true;
        item->ImageIndex = p.engine_->ReserveImageSlot();
        return item;
    }
    // A bitmap that is no valid image ends the interpretation with the
    // picture's error, as a record too short for its fields does.
    static std::unique_ptr<TBitmap> LoadDib(const std::vector<std::uint8_t>& file) {
        auto bmp = std::make_unique<TBitmap>();
        try {
            bmp->LoadFromBytes(file);
        } catch (const EInvalidGraphic& e) {
            throw EMetafileError("A bitmap in the metafile is not a valid image: " + e.Message);
        }
        return bmp;
    }
    // The bitmap of a new picture item; when it is no valid image the item
    // and its reserved slot go again before the error is raised.
    std::unique_ptr<TBitmap> LoadDibFor(TdeImageItem* item, const std::vector<std::uint8_t>& file) {
        try {
            return LoadDib(file);
        } catch (const EMetafileError&) {
            p.engine_->DropLastImageSlot();
            delete item;
            throw;
        }
    }
    bool ClipNonZero() const {
        return p.clipX1_ != 0 || p.clipY1_ != 0 || p.clipX2_ - p.clipX1_ != 0 || p.clipY2_ - p.clipY1_ != 0;
    }
    void ClipFromBounds(const TRect& b) {
        p.clipX1_ = b.Left;
        p.clipY1_ = b.Top;
        p.clipX2_ = b.Right;
        p.clipY2_ = b.Bottom;
    }
    void ClearClip() { p.clipX1_ = p.clipY1_ = p.clipX2_ = p.clipY2_ = 0; }

    // Combines into the page's last picture when it has the same place and
    // size; otherwise stores a new picture and adds the item.
    void Merge(TdeImageItem* item, const std::vector<std::uint8_t>& file, std::uint32_t rop) {
        std::unique_ptr<TBitmap> picture = LoadDibFor(item, file);
        if (!Page().empty()) {
            if (auto* last = dynamic_cast<TdeImageItem*>(Page().back())) {
                TGraphic* stored = p.engine_->GetImage(last->ImageIndex);
                if (stored && last->X == item->X && last->Y == item->Y && last->Width == item->Width &&
                    last->Height == item->Height) {
                    auto combined = std::make_unique<TBitmap>();
                    combined->Assign(stored);
                    combined->Canvas()->SetCopyMode(rop);
                    combined->Canvas()->Draw(0, 0, picture.get());
                    p.engine_->StoreImageSlot(last->ImageIndex, std::move(combined));
                    p.engine_->DropLastImageSlot();
                    delete item;
                    return;
                }
            }
        }
        auto out = std::make_unique<TBitmap>();
        out->SetPixelFormat(pf24bit);
        out->SetSize(picture->Width(), picture->Height());
        out->Canvas()->SetCopyMode(rop);
        out->Canvas()->Draw(0, 0, picture.get());
        p.engine_->StoreImageSlot(item->ImageIndex, std::move(out));
        Page().push_back(item);
    }

    void BitBlt(const TMetafileRecord& r) {
        TRect bounds = r.RectL(8);
        std::vector<std::uint8_t> file = MetafileBitmapFile(r, r.U32(84), r.U32(88), r.U32(92), r.U32(96));
        std::int32_t x = r.I32(24), y = r.I32(28), cx = r.I32(32), cy = r.I32(36);
        std::uint32_t rop = r.U32(40);
        if (!file.empty()) {
            TdeImageItem* item = NewImage();
            TdeRect B = MapRect(bounds);
            TdePoint pos = MapPoint(x, y), size = MapPoint(cx, cy);
            double w = B.Right - B.Left, h = B.Bottom - B.Top;
            item->X = pos.X;
            item->Y = pos.Y;
            item->Width = w;
            item->Height = h;
            if (p.clipActive_) ClipFromBounds(bounds);
            if (ClipNonZero()) {
                if (p.clipX1_ != pos.X || p.clipY1_ != pos.Y) item->Settings.Center = true;
                if (B.Left == p.clipX1_ && B.Top == p.clipY1_) {
                    item->X = p.clipX1_;
                    item->Y = p.clipY1_;
                }
                ClearClip();
            } else if (size.X != w || size.Y != h) {
                item->Settings.Stretch = true;
            }
            item->X += p.offX_;
            item->Y += p.offY_;
            item->BoxRect = {item->X, item->Y, item->X + item->Width, item->Y + item->Height};
            p.engine_->StoreImageSlot(item->ImageIndex, LoadDibFor(item, file));
            Page().push_back(item);
            return;
        }
        if (!p.wantShape_ || std::find(std::begin(kFillRops), std::end(kFillRops), rop) == std::end(kFillRops)) return;
        TdePoint a = MapPoint(x, y), b = MapPoint(x + cx, y + cy);
        TdeShapeItem* s = NewShape(stRectangle);
        s->Pen.SetStyle(psClear);
        s->Points = {{a.X * Kx() + p.offX_, a.Y * Ky() + p.offY_}, {b.X * Kx() + p.offX_, b.Y * Ky() + p.offY_}};
        Page().push_back(s);
    }

    void StretchBlt(const TMetafileRecord& r, bool mask) {
        if (!p.wantText_ && !p.wantImage_ && !p.wantShape_) return;
        TRect bounds = r.RectL(8);
        std::vector<std::uint8_t> file = MetafileBitmapFile(r, r.U32(84), r.U32(88), r.U32(92), r.U32(96));
        if (file.empty()) {
            SetPendingFill(mask ? MapRect(bounds)
                                : TdeRect{double(bounds.Left), double(bounds.Top), double(bounds.Right),
                                          double(bounds.Bottom)});
            return;
        }
        if (!p.wantImage_) return;
        std::int32_t x = r.I32(24), y = r.I32(28), cx = r.I32(32), cy = r.I32(36);
        TdeImageItem* item = NewImage();
        if (!mask && ClipNonZero()) ClipFromBounds(bounds);
        TdeRect B = MapRect(bounds);
        TdePoint pos = MapPoint(x, y), size = MapPoint(cx, cy);
        item->X = pos.X;
        item->Y = pos.Y;
        if (mask) {
            item->Width = B.Right - B.Left;
            item->Height = B.Bottom - B.Top;
        } else {
            item->Width = size.X;
            item->Height = size.Y;
        }
        if (p.clipActive_) ClipFromBounds(bounds);
        if (ClipNonZero()) {
            if (p.clipX1_ != pos.X || p.clipY1_ != pos.Y) item->Settings.Center = true;
            if (B.Left == p.clipX1_ && B.Top == p.clipY1_) {
                item->X = p.clipX1_;
                item->Y = p.clipY1_;
            }
            item->Width = p.clipX2_ - p.clipX1_;
            item->Height = p.clipY2_ - p.clipY1_;
            if (!mask) {
                std::int32_t cxSrc = r.I32(100), cySrc = r.I32(104);
                if ((cxSrc < 0) != (cx < 0)) item->Width = -item->Width;
                if ((cySrc < 0) != (cy < 0)) item->Height = -item->Height;
            } else {
                ClearClip();
            }
        } else {
            if (mask) {
                if (size.X != item->Width || size.Y != item->Height) item->Settings.Stretch = true;
                item->X = B.Left;
                item->Y = B.Top;
            } else {
                item->Settings.Stretch = true;
            }
        }
        item->X += p.offX_;
        item->Y += p.offY_;
        item->BoxRect = {item->X, item->Y, item->X + std::fabs(item->Width), item->Y + std::fabs(item->Height)};
        Merge(item, file, r.U32(40));
    }

    void SetDIBitsToDevice(const TMetafileRecord& r) {
        TRect bounds = r.RectL(8);
        TdeRect B = MapRect(bounds);
        std::vector<std::uint8_t> file = MetafileBitmapFile(r, r.U32(48), r.U32(52), r.U32(56), r.U32(60));
        if (file.empty()) {
            SetPendingFill(B);
            return;
        }
        if (!p.wantImage_) return;
        // A top-down band (negative height) is stored with the source height.
        std::int32_t height = std::int32_t(file[14 + 8] | (file[14 + 9] << 8) | (file[14 + 10] << 16) |
                                           (std::uint32_t(file[14 + 11]) << 24));
        if (height < 0) {
            std::uint32_t src = std::uint32_t(r.I32(44));
            for (int i = 0; i < 4; ++i) file[14 + 8 + i] = std::uint8_t(src >> (8 * i));
        }
        std::uint32_t firstScan = r.U32(68);
        if (firstScan == 0) {
            TdeImageItem* item = NewImage();
            item->X = B.Left + p.offX_;
            item->Y = B.Top + p.offY_;
            item->Width = B.Right - B.Left;
            item->Height = B.Bottom - B.Top;
            item->BoxRect = {item->X, item->Y, item->X + item->Width, item->Y + item->Height};
            Page().push_back(item);
        }
        auto* last = Page().empty() ? nullptr : dynamic_cast<TdeImageItem*>(Page().back());
        if (!last) return;
        std::unique_ptr<TBitmap> band = LoadDib(file);
        TGraphic* stored = p.engine_->GetImage(last->ImageIndex);
        int storedH = stored && stored->Width() > 0 ? stored->Height() : 0;
        auto joined = std::make_unique<TBitmap>();
        joined->SetSize(band->Width(), storedH + band->Height());
        if (storedH > 0) joined->Canvas()->Draw(0, 0, stored);
        joined->Canvas()->Draw(0, storedH, band.get());
        p.engine_->StoreImageSlot(last->ImageIndex, std::move(joined));
        if (firstScan != 0) {
            if (TGraphic* g = p.engine_->GetImage(last->ImageIndex)) last->Height = g->Height();
        }
    }

    void StretchDIBits(const TMetafileRecord& r) {
        if (!p.wantText_ && !p.wantImage_ && !p.wantShape_) return;
        TdeRect B = MapRect(r.RectL(8));
        std::vector<std::uint8_t> file = MetafileBitmapFile(r, r.U32(48), r.U32(52), r.U32(56), r.U32(60));
        if (file.empty()) {
            SetPendingFill(B);
            return;
        }
        if (!p.wantImage_) return;
        TdeImageItem* item = NewImage();
        TdePoint pos = MapPoint(r.I32(24), r.I32(28));
        double w, h;
        if (p.stretchMode_ == 4) {
            w = r.I32(72);
            h = r.I32(76);
        } else {
            TdePoint s = MapPoint(r.I32(72), r.I32(76));
            w = s.X;
            h = s.Y;
        }
        item->X = pos.X;
        item->Y = pos.Y;
        item->Width = w;
        item->Height = h;
        p.clipX1_ = pos.X;
        p.clipY1_ = pos.Y;
        p.clipX2_ = pos.X + w;
        p.clipY2_ = pos.Y + h;
        if (!ClipNonZero()) item->Settings.Stretch = true;
        item->X += p.offX_;
        item->Y += p.offY_;
        item->BoxRect = {item->X, item->Y, item->X + w, item->Y + h};
        Merge(item, file, r.U32(68));
    }

    // ---- text --------------------------------------------------------------------

    void CreateFont(const TMetafileRecord& r) {
        if (!p.wantText_) return;
        TdeGDIOBJ& o = Store(r.U32(8));
        o.ObjKind = TdeGDIOBJ::Font;
        TdeFont& f = o.FontObj;
        std::u16string face;
        const std::uint8_t* name = r.Bytes(40, 64);
        for (int k = 0; k < 32; ++k) {
            char16_t c = char16_t(name[2 * k] | (name[2 * k + 1] << 8));
            if (c == 0) break;
            face.push_back(c);
        }
        f.SetName(QString::fromStdU16String(face).toStdString());
        int charset = r.U8(35);
        if (charset == 1) {
            std::vector<int> sets;
            FontCharsets(f.Name(), sets);
            charset = sets.size() == 1 ? sets[0] : 0;  // the system code page here is 1252
        }
        f.SetCharset(charset);
        switch (r.U8(39) & 3) {
            case 1: f.SetPitch(fpFixed); break;
            case 2: f.SetPitch(fpVariable); break;
            default: f.SetPitch(fpDefault); break;
        }
        TFontStyles st = 0;
        if (r.U8(32)) st |= fsItalic;
        if (r.I32(28) == 700) st |= fsBold;
        if (r.U8(33)) st |= fsUnderline;
        if (r.U8(34)) st |= fsStrikeOut;
        f.SetStyle(st);
        std::int32_t height = r.I32(12);
        auto points = [](double h) { return std::fabs(Round(-h * 72.0 / ScreenPPI())); };
        if (p.mapMode_ == 0) {
            f.SetSize(int(Round(points(height * p.xform_[3]))));
        } else if (Mapped()) {
            f.SetSize(int(Round(points(height))));
            double v = Round(p.vpExtX_ / Kx());
            if (v != 0 && p.winExtX_ != 0) f.SetHeight(int(Round(f.Height() / (double(p.winExtX_) / v) * Kx())));
        } else {
            f.SetHeight(int(Round(height * p.xform_[3])));
        }
        f.Escapement = r.I32(20);
    }

    void SetTextAlign(std::uint32_t v) {
        std::uint16_t flags = kAlignTop | kAlignLeft | kAlignNoUpdate;
        if ((v & 0x18) == 0x18) flags = kAlignBaseline | kAlignLeft | kAlignNoUpdate;
        else if (v & 8) flags = kAlignBottom | kAlignLeft | kAlignNoUpdate;
        if ((v & 6) == 6) flags = std::uint16_t((flags & ~kAlignLeft) | kAlignCenter);
        else if (v & 2) flags = std::uint16_t((flags & ~kAlignLeft) | kAlignRight);
        if (v & 1) flags = std::uint16_t((flags & ~kAlignNoUpdate) | kAlignUpdate);
        p.textAlign_ = flags;
    }

    void PlaceText(TdeTextItem* t, const std::string& text) {
        double theta = t->Rotation * M_PI / 180.0;
        double S = t->Font.Size();
        QFontMetricsF m(t->Font.ToQFont());
        double D = -m.descent() * 72.0 / ScreenPPI();
        double B = S - D;
        TSize ext = p.engine_->TextExtent(text, t->Font);
        double w = ext.cx, h = ext.cy;
        std::uint16_t a = p.textAlign_;
        bool top = a & kAlignTop, base = a & kAlignBaseline, bottom = a & kAlignBottom;
        bool left = a & kAlignLeft, center = a & kAlignCenter, right = a & kAlignRight;
        auto turn = [&](double r0, double along) {
            double phi = theta - std::atan(r0 / along);
            double rr = std::hypot(r0, along);
            t->Y += rr * std::sin(phi);
            t->X -= rr * std::cos(phi);
        };
        if (base && left) {
            t->Y -= B * std::cos(theta);
            t->X -= B * std::sin(theta);
        } else if (bottom && left) {
            t->Y -= h * std::cos(theta);
            t->X -= h * std::sin(theta);
        } else if (top && center) {
            t->Y += (w / 2) * std::sin(theta);
            t->X -= (w / 2) * std::cos(theta);
        } else if (base && center && w > 0) {
            turn(B, w / 2);
        } else if (bottom && center && w > 0) {
            turn(h, w / 2);
        } else if (top && right) {
            t->Y += w * std::sin(theta);
            t->X -= w * std::cos(theta);
        } else if (base && right && w > 0) {
            turn(B, w);
        } else if (bottom && right && w > 0) {
            turn(h, w);
        }
    }

    void TextOut(const TMetafileRecord& r) {
        if (!p.wantText_) return;
        std::uint32_t options = r.U32(52);
        TRect rc = r.RectL(56);
        if ((options & 2) && !(rc.Left == 0 && rc.Top == 0 && rc.Right == -1 && rc.Bottom == -1)) {
            double x1 = rc.Left * Kx() + p.offX_, y1 = rc.Top * Ky() + p.offY_;
            double x2 = rc.Right * Kx() + p.offX_, y2 = rc.Bottom * Ky() + p.offY_;
            TdeShapeItem* s;
            if (rc.Right != rc.Left && rc.Bottom != rc.Top) {
                s = NewShape(stRectangle);
                if (p.bkMode_ == 2) s->Brush->SetColor(ValidColor(p.bkColor_));
                else s->Brush->SetStyle(bsClear);
                s->Pen.SetStyle(psClear);
            } else {
                s = NewShape(stLine);
                s->Pen.SetColor(p.brush_.Color());
            }
            s->Points = {{x1, y1}, {x2, y2}};
            Page().push_back(s);
        }
        std::uint32_t n = r.U32(44);
        if (n == 0) return;
        std::uint32_t offString = r.U32(48), offDx = r.U32(72);
        std::string text;
        if (r.Type == EMR_EXTTEXTOUTA) {
            const std::uint8_t* s = r.Bytes(offString, n);
            std::string bytes;
            for (std::uint32_t i = 0; i < n; ++i)
                if (s[i]) bytes.push_back(char(s[i]));
            text = Cp1252ToUtf8(bytes);
        } else {
            const std::uint8_t* s = r.Bytes(offString, std::size_t(n) * 2);
            if (p.symbolFont_ == 1) {
                std::u16string units;
                for (std::uint32_t i = 0; i < n; ++i) {
                    char16_t c = char16_t(s[2 * i] | (s[2 * i + 1] << 8));
                    if (c) units.push_back(c);
                }
                text = QString::fromStdU16String(units).toStdString();
            } else {
                std::string bytes;
                for (std::uint32_t i = 0; i < n; ++i)
                    if (s[2 * i]) bytes.push_back(char(s[2 * i]));
                text = Cp1252ToUtf8(bytes);
            }
        }
        auto* t = new TdeTextItem;
        t->FromMetafile = true;
        std::uint32_t dxAt = offDx & ~3u;
        if (offDx != 0 && r.Has(dxAt, std::size_t(n) * 4)) {
            double f = p.xform_[0] * (Mapped() ? p.mapScaleX_ : 1.0);
            std::vector<double> adv;
            for (std::uint32_t i = 0; i < n; ++i) adv.push_back(r.I32(dxAt + 4 * i) * f);
            t->Advances = std::move(adv);
        }
        bool update = (p.textAlign_ & kAlignUpdate) && p.CurrentPositionText;
        TdePoint at = update ? MapPoint(p.curX_, p.curY_) : MapPoint(r.I32(36), r.I32(40));
        if (update) at.X += p.textAdvance_;
        t->X = at.X + p.offX_;
        t->Y = at.Y + p.offY_;
        if (options & 4) {
            TdeRect c = MapRect(rc);
            t->SetClipped(true);
            t->ClipRect = {c.Left + p.offX_, c.Top + p.offY_, c.Right + p.offX_, c.Bottom + p.offY_};
        }
        t->Font.Assign(static_cast<const TFont&>(p.font_));
        t->Rotation = Integer(Round(p.font_.Escapement / 10.0));
        if (update) {
            double w = p.engine_->TextExtent(text, t->Font).cx;
            p.textAdvance_ += (p.textAlign_ & kAlignRight) ? -w : w;
        }
        PlaceText(t, text);
        t->Font.SetColor(ValidColor(p.textColor_));
        t->Brush.SetColor(ValidColor(p.bkColor_));
        if (p.bkMode_ == 1) t->Brush.SetStyle(bsClear);
        t->Lines.Add(text);
        TextTarget().push_back(t);
        p.decorationCountdown_ = 3;
    }

    // ---- state -------------------------------------------------------------------

    void Save() {
        auto s = std::make_unique<TdeMetaState>();
        s->Font.Assign(p.font_);
        s->Brush.Assign(p.brush_);
        s->Pen.Assign(p.pen_);
        s->BkMode = p.bkMode_;
        s->MapMode = p.mapMode_;
        std::copy(p.xform_, p.xform_ + 6, s->Xform);
        s->WindowExtX = p.winExtX_;
        s->WindowExtY = p.winExtY_;
        s->ViewportExtX = p.vpExtX_;
        s->ViewportExtY = p.vpExtY_;
        s->WindowOrgX = p.winOrgX_;
        s->WindowOrgY = p.winOrgY_;
        s->ViewportOrgX = p.vpOrgX_;
        s->ViewportOrgY = p.vpOrgY_;
        p.states_.emplace_back(std::to_string(p.states_.size()), std::move(s));
    }

    void Restore(std::int32_t rel) {
        if (!p.states_.empty() && rel != 0) {
            std::string key = std::to_string(rel < 0 ? rel + std::int64_t(p.states_.size()) : rel);
            auto it = std::find_if(p.states_.begin(), p.states_.end(), [&](auto& e) { return e.first == key; });
            if (it != p.states_.end()) {
                const TdeMetaState& s = *it->second;
                p.font_.Assign(s.Font);
                p.brush_.Assign(s.Brush);
                p.pen_.Assign(s.Pen);
                p.bkMode_ = s.BkMode;
                p.mapMode_ = s.MapMode;
                std::copy(s.Xform, s.Xform + 6, p.xform_);
                p.winExtX_ = s.WindowExtX;
                p.winExtY_ = s.WindowExtY;
                p.vpExtX_ = s.ViewportExtX;
                p.vpExtY_ = s.ViewportExtY;
                p.winOrgX_ = s.WindowOrgX;
                p.winOrgY_ = s.WindowOrgY;
                p.vpOrgX_ = s.ViewportOrgX;
                p.vpOrgY_ = s.ViewportOrgY;
                Rescale();
                p.states_.erase(it);
            }
        }
        ClearClip();
        auto* c = new TdeClipItem;
        c->Operation = 1;
        Page().push_back(c);
    }

    void Transform(const TMetafileRecord& r, bool modify) {
        float t[6];
        for (int i = 0; i < 6; ++i) t[i] = r.F32(8 + 4 * i);
        float* m = p.xform_;
        auto multiply = [](const float* a, const float* b, float* out) {
            // a then b, as row vectors: [x y 1] * A * B.
            float o[6] = {a[0] * b[0] + a[1] * b[2],        a[0] * b[1] + a[1] * b[3],
                          a[2] * b[0] + a[3] * b[2],        a[2] * b[1] + a[3] * b[3],
                          a[4] * b[0] + a[5] * b[2] + b[4], a[4] * b[1] + a[5] * b[3] + b[5]};
            std::copy(o, o + 6, out);
        };
        if (!modify) {
            std::copy(t, t + 6, m);
            return;
        }
        switch (r.U32(32)) {
            case 1: {
                const float id[6] = {1, 0, 0, 1, 0, 0};
                std::copy(id, id + 6, m);
                break;
            }
            case 2: multiply(t, m, m); break;
            case 3: multiply(m, t, m); break;
            default: std::copy(t, t + 6, m); break;
        }
    }

    void Clip(const TMetafileRecord& r) {
        std::uint32_t size = r.U32(8);
        auto* c = new TdeClipItem;
        if (size == 0) {
            ClearClip();
            c->Operation = 1;
            Page().push_back(c);
            return;
        }
        std::unique_ptr<TdeClipItem> guard(c);
        c->Operation = 0;
        c->Mode = Integer(r.U32(12));
        c->Pen.Assign(p.pen_);
        c->Brush = std::make_unique<TBrush>();
        c->Brush->Assign(p.brush_);
        std::uint32_t count = r.U32(16 + 8);
        r.Bytes(48, std::size_t(count) * 16);
        auto add = [&](const TRect& rc) {
            c->Points.push_back({Round(rc.Left + p.offX_), Round(rc.Top + p.offY_)});
            c->Points.push_back({Round(rc.Right + p.offX_), Round(rc.Bottom + p.offY_)});
        };
        add(r.RectL(16 + 16));  // the region's bounding rectangle
        for (std::uint32_t k = 1; k < count; ++k) add(r.RectL(48 + 16 * std::size_t(k)));
        if (count == 1) p.clipActive_ = true;
        Page().push_back(guard.release());
    }

    void Path(std::uint32_t type, const TMetafileRecord& r) {
        auto* item = new TdePathItem;
        switch (type) {
            case EMR_BEGINPATH: item->Operation = 0; break;
            case EMR_ENDPATH: item->Operation = 1; break;
            case EMR_CLOSEFIGURE: item->Operation = 2; break;
            case EMR_ABORTPATH: item->Operation = 3; break;
            case EMR_FILLPATH: item->Operation = 4; break;
            case EMR_STROKEANDFILLPATH: item->Operation = 5; break;
            case EMR_STROKEPATH: item->Operation = 6; break;
            default: item->Operation = 7; item->Mode = Integer(r.U32(8)); break;
        }
        if (item->Operation >= 4 && item->Operation <= 6) {
            item->Pen = std::make_unique<TPen>();
            item->Pen->Assign(p.pen_);
            item->Brush = std::make_unique<TBrush>();
            item->Brush->Assign(p.brush_);
            if (item->Operation != 6) item->AlternateFill = p.polyFillMode_ == 1;
        }
        Page().push_back(item);
    }

    void PolyPoly(const TMetafileRecord& r, bool wide, bool polygon) {
        if (!p.wantShape_) return;
        std::uint32_t polys = r.U32(24), total = r.U32(28);
        r.Bytes(32, std::size_t(polys) * 4);
        std::size_t at = 32 + std::size_t(polys) * 4;
        std::vector<TPoint> pts = wide ? r.Points32(at, total) : r.Points16(at, total);
        if (polygon) {
            auto* item = new TdePolyPolygonItem;
            item->PolygonCount = Integer(polys);
            item->Counts.push_back(Integer(total));
            for (std::uint32_t k = 0; k < polys; ++k) item->Counts.push_back(Integer(r.U32(32 + 4 * std::size_t(k))));
            for (const TPoint& q : pts) item->Points.push_back(MapOut(q.X, q.Y));
            item->Pen.Assign(p.pen_);
            item->Brush = std::make_unique<TBrush>();
            item->Brush->Assign(p.brush_);
            item->AlternateFill = p.polyFillMode_ == 1;
            Page().push_back(item);
            return;
        }
        std::unique_ptr<TdePolyShapeItem> container;
        if (!wide) container = std::make_unique<TdePolyShapeItem>();
        std::size_t next = 0;
        for (std::uint32_t k = 0; k < polys; ++k) {
            std::uint32_t c = r.U32(32 + 4 * std::size_t(k));
            if (c > pts.size() - next) break;  // counts beyond the points: the rest is not drawn
            TdeShapeItem* s = NewShape(stPolyLine);
            AddMapped(s, std::vector<TPoint>(pts.begin() + std::ptrdiff_t(next),
                                             pts.begin() + std::ptrdiff_t(next + c)));
            next += c;
            if (container) container->Items.emplace_back(s);
            else Page().push_back(s);
        }
        if (container) Page().push_back(container.release());
    }
};

TdeMetafileProcessor::TdeMetafileProcessor(TdeCustomDocumentEngine* engine) : engine_(engine) {
    const TdeItemsToRender items = engine->ItemsToRender();
    const auto caps = engine->Capabilities();
    wantText_ = (items & ItemBit(irText)) && (caps & capText);
    wantImage_ = (items & ItemBit(irImage)) && (caps & capImage);
    wantShape_ = (items & ItemBit(irShape)) && (caps & capShape);
}

TdeMetafileProcessor::~TdeMetafileProcessor() = default;

void TdeMetafileProcessor::Play(const TMetafile& metafile, double x, double y) { Play(metafile.Data(), x, y); }

void TdeMetafileProcessor::Play(const std::vector<std::uint8_t>& data, double x, double y) {
    offX_ = x;
    offY_ = y;
    WalkMetafile(data, [this](const TMetafileRecord& r) { return Record(r); });
}

bool TdeMetafileProcessor::Record(const TMetafileRecord& r) {
    Impl m(*this);
    switch (r.Type) {
        case EMR_SETWINDOWEXTEX:
            winExtX_ = r.I32(8);
            winExtY_ = r.I32(12);
            m.Rescale();
            break;
        case EMR_SETWINDOWORGEX:
            winOrgX_ = r.I32(8);
            winOrgY_ = r.I32(12);
            break;
        case EMR_SETVIEWPORTEXTEX:
            vpExtX_ = r.I32(8);
            vpExtY_ = r.I32(12);
            m.Rescale();
            break;
        case EMR_SETVIEWPORTORGEX:
            vpOrgX_ = r.I32(8);
            vpOrgY_ = r.I32(12);
            break;
        case EMR_EOF: {
            auto* e = new TdeEOFItem;
            e->Value = 1;
            m.Page().push_back(e);
            clipActive_ = false;
            break;
        }
        case EMR_SETMAPMODE:
            mapMode_ = r.I32(8);
            if (mapMode_ == kMapText) {
                winOrgX_ = winOrgY_ = vpOrgX_ = vpOrgY_ = 0;
                winExtX_ = winExtY_ = vpExtX_ = vpExtY_ = 1;
                mapScaleX_ = mapScaleY_ = 1.0;
            }
            break;
        case EMR_SETBKMODE: bkMode_ = Byte(r.U32(8) & 0xFF); break;
        case EMR_SETPOLYFILLMODE: polyFillMode_ = r.U32(8); break;
        case EMR_SETROP2: rop2_ = r.U32(8); break;
        case EMR_SETSTRETCHBLTMODE: stretchMode_ = r.U32(8); break;
        case EMR_SETTEXTALIGN: m.SetTextAlign(r.U32(8)); break;
        case EMR_SETTEXTCOLOR: textColor_ = std::uint32_t(ValidColor(r.U32(8))); break;
        case EMR_SETBKCOLOR: bkColor_ = std::uint32_t(ValidColor(r.U32(8))); break;
        case EMR_MOVETOEX:
            curX_ = r.I32(8);
            curY_ = r.I32(12);
            textAdvance_ = 0;
            break;
        case EMR_INTERSECTCLIPRECT: {
            clipActive_ = true;
            TdeRect c = m.MapRect(r.RectL(8));
            clipX1_ = c.Left;
            clipY1_ = c.Top;
            clipX2_ = c.Right;
            clipY2_ = c.Bottom;
            break;
        }
        case EMR_SCALEVIEWPORTEXTEX:
        case EMR_SCALEWINDOWEXTEX: {
            std::int32_t xn = r.I32(8), xd = r.I32(12), yn = r.I32(16), yd = r.I32(20);
            if (xd == 0 || yd == 0) break;  // a zero denominator scales nothing
            Integer& ex = r.Type == EMR_SCALEVIEWPORTEXTEX ? vpExtX_ : winExtX_;
            Integer& ey = r.Type == EMR_SCALEVIEWPORTEXTEX ? vpExtY_ : winExtY_;
            ex = Integer(std::int64_t(ex) * xn / xd);
            ey = Integer(std::int64_t(ey) * yn / yd);
            m.Rescale();
            break;
        }
        case EMR_SAVEDC: m.Save(); break;
        case EMR_RESTOREDC: m.Restore(r.I32(8)); break;
        case EMR_SETWORLDTRANSFORM: m.Transform(r, false); break;
        case EMR_MODIFYWORLDTRANSFORM: m.Transform(r, true); break;
        case EMR_SELECTOBJECT: m.Select(r.U32(8)); break;
        case EMR_CREATEPEN: {
            TdeGDIOBJ& o = m.Store(r.U32(8));
            o.ObjKind = TdeGDIOBJ::Pen;
            std::int32_t w = r.I32(16);
            int width = int(Round(m.MapPenWidth(w)));
            o.PenObj.SetWidth(width == 0 || w == 0 ? 1 : width);
            o.PenObj.SetStyle(PenStyleOf(r.U32(12)));
            o.PenObj.SetColor(ValidColor(r.U32(24)));
            break;
        }
        case EMR_EXTCREATEPEN: {
            TdeGDIOBJ& o = m.Store(r.U32(8));
            o.ObjKind = TdeGDIOBJ::Pen;
            std::int32_t w = r.I32(32);
            o.PenObj.SetWidth(int(Round(m.MapPenWidth(w == 0 ? 1 : w))));
            o.PenObj.SetStyle(PenStyleOf(r.U32(28) & 0xF));
            o.PenObj.SetColor(ValidColor(r.U32(40)));
            break;
        }
        case EMR_CREATEBRUSHINDIRECT: {
            TdeGDIOBJ& o = m.Store(r.U32(8));
            o.ObjKind = TdeGDIOBJ::Brush;
            o.BrushObj.SetColor(ValidColor(r.U32(16)));
            std::uint32_t style = r.U32(12), hatch = r.U32(20);
            if (style == 1) o.BrushObj.SetStyle(bsClear);
            else if (style == 2 && hatch <= 5) o.BrushObj.SetStyle(TBrushStyle(bsHorizontal + hatch));
            else o.BrushObj.SetStyle(bsSolid);
            break;
        }
        case EMR_DELETEOBJECT: {
            std::uint32_t n = r.U32(8);
            if (n >= 1 && n <= objects_.size()) objects_[n - 1] = std::make_unique<TdeGDIOBJ>();
            break;
        }
        case EMR_SELECTPALETTE: {
            std::uint32_t n = r.U32(8);
            if (n & kStockObjectFlag) {
                m.SelectStock(n & 0x7FFFFFFFu);
                break;
            }
            // A palette index naming no entry ends the interpretation.
            if (n == 0 || n > objects_.size()) return false;
            palette_ = objects_[n - 1]->PaletteObj;
            break;
        }
        case EMR_CREATEPALETTE: {
            TdeGDIOBJ& o = m.Store(r.U32(8));
            o.ObjKind = TdeGDIOBJ::Palette;
            o.PaletteObj.VersionAndCount = r.U32(12);
            o.PaletteObj.FirstEntry = r.Has(16, 4) ? r.U32(16) : 0;
            break;
        }
        case EMR_CREATEMONOBRUSH:
        case EMR_CREATEDIBPATTERNBRUSHPT: {
            std::uint32_t cbBmi = r.U32(20), cbBits = r.U32(28);
            if (cbBmi == 0 || cbBits == 0) break;
            TdeGDIOBJ& o = m.Store(r.U32(8));
            o.ObjKind = TdeGDIOBJ::Brush;
            // The pattern's first pixel stands for the brush colour: the
            // item model has no pattern bitmaps.
            auto bmp = Impl::LoadDib(MetafileBitmapFile(r, r.U32(16), cbBmi, r.U32(24), cbBits));
            if (bmp->Width() > 0 && bmp->Height() > 0) o.BrushObj.SetColor(bmp->Canvas()->GetPixel(0, 0));
            break;
        }
        case EMR_EXTCREATEFONTINDIRECTW: m.CreateFont(r); break;

        // ---- shapes ----
        case EMR_POLYBEZIER:
        case EMR_POLYBEZIER16:
        case EMR_POLYGON:
        case EMR_POLYGON16:
        case EMR_POLYLINE16:
        case EMR_POLYLINETO:
        case EMR_POLYLINETO16:
        case EMR_POLYBEZIERTO:
        case EMR_POLYBEZIERTO16: {
            bool bezier = r.Type == EMR_POLYBEZIER || r.Type == EMR_POLYBEZIER16 || r.Type == EMR_POLYBEZIERTO ||
                          r.Type == EMR_POLYBEZIERTO16;
            if (!bezier && !wantShape_) break;
            bool wide = r.Type == EMR_POLYBEZIER || r.Type == EMR_POLYGON || r.Type == EMR_POLYLINETO ||
                        r.Type == EMR_POLYBEZIERTO;
            std::vector<TPoint> pts = wide ? r.Points32(28, r.U32(24)) : r.Points16(28, r.U32(24));
            TdeShapeType type = bezier ? stPolyBezier
                                : (r.Type == EMR_POLYGON || r.Type == EMR_POLYGON16) ? stPolygon
                                                                                      : stPolyLine;
            TdeShapeItem* s = m.NewShape(type);
            bool to = r.Type == EMR_POLYBEZIERTO || r.Type == EMR_POLYBEZIERTO16;
            if (to) pts.insert(pts.begin(), TPoint(curX_, curY_));
            m.AddMapped(s, pts);
            if (to && pts.size() > 1) {
                curX_ = pts.back().X;
                curY_ = pts.back().Y;
                textAdvance_ = 0;
            }
            m.Page().push_back(s);
            break;
        }
        case EMR_POLYPOLYLINE16: m.PolyPoly(r, false, false); break;
        case EMR_POLYPOLYLINE: m.PolyPoly(r, true, false); break;
        case EMR_POLYPOLYGON: m.PolyPoly(r, true, true); break;
        case EMR_POLYPOLYGON16: m.PolyPoly(r, false, true); break;
        case EMR_ELLIPSE:
        case EMR_RECTANGLE:
        case EMR_ROUNDRECT: {
            if (!wantShape_) break;
            TRect b = r.RectL(8);
            TdeShapeItem* s = m.NewShape(r.Type == EMR_ELLIPSE ? stEllipse
                                         : r.Type == EMR_RECTANGLE ? stRectangle
                                                                   : stRoundRect);
            m.AddMapped(s, {b.TopLeft(), b.BottomRight()});
            if (r.Type == EMR_RECTANGLE && rop2_ == 11) s->Pen.SetColor(ValidColor(bkColor_));
            if (r.Type == EMR_ROUNDRECT) s->Points.push_back({r.I32(24) * mapScaleX_, r.I32(28) * mapScaleY_});
            m.Page().push_back(s);
            break;
        }
        case EMR_ARC:
        case EMR_CHORD:
        case EMR_PIE: {
            if (!wantShape_) break;
            TRect b = r.RectL(8);
            TdeShapeItem* s = m.NewShape(r.Type == EMR_ARC ? stArc : r.Type == EMR_CHORD ? stChord : stPie);
            m.AddMapped(s, {b.TopLeft(), b.BottomRight(), TPoint(r.I32(24), r.I32(28)), TPoint(r.I32(32), r.I32(36))});
            m.Page().push_back(s);
            break;
        }
        case EMR_LINETO: {
            if (!wantShape_) break;
            TdeShapeItem* s = m.NewShape(stLine);
            m.AddMapped(s, {TPoint(curX_, curY_), TPoint(r.I32(8), r.I32(12))});
            curX_ = r.I32(8);
            curY_ = r.I32(12);
            textAdvance_ = 0;
            m.Page().push_back(s);
            break;
        }
        case EMR_FILLRGN: {
            if (!wantShape_) break;
            std::uint32_t n = r.U32(28);
            // A brush index naming no entry ends the interpretation.
            if (n == 0 || n > objects_.size()) return false;
            TRect b = r.RectL(8);
            TdeShapeItem* s = m.NewShape(stRectangle);
            s->Pen.SetWidth(0);
            s->Brush->Assign(objects_[n - 1]->BrushObj);
            s->Points = {{b.Left + offX_, b.Top + offY_}, {b.Right + offX_, b.Bottom + offY_}};
            m.Page().push_back(s);
            break;
        }
        case EMR_POLYDRAW16: {
            std::uint32_t n = r.U32(24);
            if (n == 0) break;
            std::vector<TPoint> pts = r.Points16(28, n);
            const std::uint8_t* types = r.Bytes(28 + std::size_t(n) * 4, n);
            auto* item = new TdePolyDrawItem;
            for (const TPoint& q : pts) item->Points.push_back(m.MapOut(q.X, q.Y));
            item->PointTypes.assign(types, types + n);
            item->Pen.Assign(pen_);
            item->Brush = std::make_unique<TBrush>();
            item->Brush->Assign(brush_);
            m.Page().push_back(item);
            break;
        }
        case EMR_BEGINPATH:
        case EMR_ENDPATH:
        case EMR_CLOSEFIGURE:
        case EMR_ABORTPATH:
        case EMR_FILLPATH:
        case EMR_STROKEANDFILLPATH:
        case EMR_STROKEPATH:
        case EMR_SELECTCLIPPATH:
            m.Path(r.Type, r);
            break;
        case EMR_EXTSELECTCLIPRGN: m.Clip(r); break;

        // ---- text and pictures ----
        case EMR_EXTTEXTOUTA:
        case EMR_EXTTEXTOUTW: m.TextOut(r); break;
        case EMR_BITBLT: m.BitBlt(r); break;
        case EMR_STRETCHBLT: m.StretchBlt(r, false); break;
        case EMR_MASKBLT: m.StretchBlt(r, true); break;
        case EMR_SETDIBITSTODEVICE: m.SetDIBitsToDevice(r); break;
        case EMR_STRETCHDIBITS: m.StretchDIBits(r); break;
        default: break;  // records without an effect on the items
    }
    return true;
}
