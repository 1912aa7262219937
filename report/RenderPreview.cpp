#include "report/RenderPreview.h"
#include "report/ReportNumbers.h"

#include <algorithm>
#include <cmath>

#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

namespace {

int Round(double v) { return SafeRound(v); }

bool HasLeftRuler(TRulerType t) { return t == rtVertCm || t == rtBothCm || t == rtVertIn || t == rtBothIn; }
bool HasTopRuler(TRulerType t) { return t == rtHorizCm || t == rtBothCm || t == rtHorizIn || t == rtBothIn; }
bool Metric(TRulerType t) { return t == rtHorizCm || t == rtVertCm || t == rtBothCm; }

}  // namespace

TVzRenderPreview::TVzRenderPreview(TComponent* owner) : TVzRenderCanvas(owner) { Active = false; }

TVzRenderPreview::~TVzRenderPreview() = default;

void TVzRenderPreview::SetZoomFactor(double value) {
    if (value <= -1.9)
        value = ZoomPageWidthFactor();
    else if (value < 0)
        value = ZoomPageFactor();
    else if (value < 10)
        value = 10;
    else if (value > 200)
        value = 200;
    zoom_ = value;
    if (OnZoomChange)
        OnZoomChange(this);
    else
        RedrawPage();
}

void TVzRenderPreview::SetMonochrome(bool value) {
    monochrome_ = value;
    if (value) shadow_ = 0;
}

void TVzRenderPreview::SetShadowDepth(int value) {
    shadow_ = std::max(0, value);
    if (shadow_ > 0) monochrome_ = false;
}

TBitmap* TVzRenderPreview::PageBitmap() const { return image_ ? image_->Picture()->Bitmap() : nullptr; }

TCanvas* TVzRenderPreview::GetCanvas() {
    if (!image_) RaiseReportError(Trans("ScrollBox must be assigned for RenderPreview component"));
    return image_->Picture()->Bitmap()->Canvas();
}

int TVzRenderPreview::GetXDPI() { return Screen->PixelsPerInch(); }
int TVzRenderPreview::GetYDPI() { return Screen->PixelsPerInch(); }
int TVzRenderPreview::XToDevice(double x) { return Round(GetXDPI() * x * zoom_ / 100) + leftRuler_; }
int TVzRenderPreview::YToDevice(double y) { return Round(GetYDPI() * y * zoom_ / 100) + topRuler_; }

double TVzRenderPreview::TextWidth(const std::string& text) {
    return TVzRenderCanvas::TextWidth(text) * 100 / zoom_;
}

void TVzRenderPreview::PrintBitmapRect(double x1, double y1, double x2, double y2, TBitmap* bitmap) {
    if (!bitmap) return;
    GetCanvas()->StretchDraw(TRect(XToDevice(x1), YToDevice(y1), XToDevice(x2), YToDevice(y2)), bitmap);
}

QScrollArea* TVzRenderPreview::Area() const {
    return ScrollBox ? qobject_cast<QScrollArea*>(ScrollBox->Widget()) : nullptr;
}

void TVzRenderPreview::SetInputStream(TStream* stream) {
    ownedInput_.reset();
    input_ = stream;
}

void TVzRenderPreview::OpenFile(const std::string& name) {
    ReportFileName = name;
    ownedInput_ = std::make_unique<TFileStream>(name, fmOpenRead | fmShareDenyWrite);
    input_ = ownedInput_.get();
    pageCount_ = 0;
    RenderPage(1);
}

void TVzRenderPreview::FreeInputStream() {
    ownedInput_.reset();
    input_ = nullptr;
}

void TVzRenderPreview::Render(TStream* stream) {
    if (busy_) return;
    if (stream) {
        if (stream != input_) ownedInput_.reset();
        input_ = stream;
    } else if (!input_) {
        ownedInput_ = std::make_unique<TFileStream>(ReportFileName, fmOpenRead | fmShareDenyWrite);
        input_ = ownedInput_.get();
    }
    pageCount_ = 0;
    RenderPage(1);
}

void TVzRenderPreview::RenderPage(int page) {
    if (page < 1) page = 1;
    if (pageCount_ > 0 && page > pageCount_) page = pageCount_;
    currentPage_ = page;
    if (busy_) return;
    Convert(page);
}

int TVzRenderPreview::GetPageCount() { return pageCount_; }

void TVzRenderPreview::NextPage() {
    int n = currentPage_ + PageInc;
    if (n > GetPageCount()) {
        if (currentPage_ == 1) return;
        n = 1;
    }
    RenderPage(n);
}

void TVzRenderPreview::PreviousPage() {
    int n = currentPage_ - PageInc;
    if (n < 1) {
        if (currentPage_ == GetPageCount()) return;
        n = GetPageCount();
    }
    RenderPage(n);
}

void TVzRenderPreview::ZoomOut() {
    if (zoom_ > ZoomInc) SetZoomFactor(zoom_ - ZoomInc);
}

double TVzRenderPreview::PageW() const {
    if (PageWidth > 0) return PageWidth;
    return converter_ ? converter_->ReportHeader.PaperWidth : 8.5;
}

double TVzRenderPreview::PageH() const {
    if (PageHeight > 0) return PageHeight;
    return converter_ ? converter_->ReportHeader.PaperHeight : 11;
}

void TVzRenderPreview::MeasureScrollBox() {
    QScrollArea* a = Area();
    if (!a) return;
    int extent = a->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, a);
    hBar_ = extent;
    vBar_ = extent;
    borderW_ = 2 * a->frameWidth();
    borderH_ = 2 * a->frameWidth();
}

double TVzRenderPreview::ZoomPageFactor() {
    if (!ScrollBox) return zoom_;
    MeasureScrollBox();
    int lr = HasLeftRuler(RulerType) ? 20 : 0, tr = HasTopRuler(RulerType) ? 20 : 0;
    double xd = GetXDPI(), yd = GetYDPI(), pw = PageW(), ph = PageH(), mp = MarginPercent;
    double aw = ScrollBox->Width() - shadow_ - lr - 4;
    double ah = ScrollBox->Height() - shadow_ - tr - 4;
    double zx, zy;
    if (MarginMethod == mmFixed) {
        double m = 2 * Round(xd * pw * mp / 100);
        zx = (aw - m) / (xd * pw);
        zy = (ah - m) / (yd * ph);
    } else {
        zx = aw / (xd * pw * (mp / 50 + 1));
        zy = ah / (yd * ph + xd * pw * mp / 50);
    }
    return 100 * std::min(zx, zy);
}

double TVzRenderPreview::ZoomPageWidthFactor() {
    if (!ScrollBox) return zoom_;
    MeasureScrollBox();
    int lr = HasLeftRuler(RulerType) ? 20 : 0, tr = HasTopRuler(RulerType) ? 20 : 0;
    double xd = GetXDPI(), yd = GetYDPI(), pw = PageW(), ph = PageH(), mp = MarginPercent;
    auto factor = [&](double b) {
        if (MarginMethod == mmFixed) return (b - (borderW_ + 2 * Round(xd * pw * mp / 100))) / (xd * pw);
        return (b - borderW_) / (xd * pw * (mp / 50 + 1));
    };
    double b = ScrollBox->Width() - shadow_ - lr;
    double z = factor(b);
    double g = MarginMethod == mmFixed ? Round(xd * pw * mp / 100) : Round(xd * pw * mp / 100 * z);
    if (ScrollBox->Height() - shadow_ - tr - borderH_ < z * yd * ph + 2 * g) z = factor(b - vBar_);
    return 100 * z;
}

void TVzRenderPreview::BeginPage() {
    if (!ScrollBox) RaiseReportError(Trans("ScrollBox must be assigned for RenderPreview component"));
    pageCount_ = converter_ ? converter_->ReportHeader.PageCount : pageCount_;
    MeasureScrollBox();
    if (!image_ || image_->Parent() != ScrollBox) {
        TComponent* owner = ScrollBox->Owner() ? ScrollBox->Owner() : ScrollBox;
        image_ = new TImage(owner);
        image_->SetParent(ScrollBox);
        image_->SetAlign(alNone);
        image_->SetAutoSize(true);
    }
    TBitmap* bmp = image_->Picture()->Bitmap();
    bmp->SetPixelFormat(monochrome_ ? pf1bit : pfDevice);
    if (monochrome_) shadow_ = 0;
    leftRuler_ = HasLeftRuler(RulerType) ? 20 : 0;
    topRuler_ = HasTopRuler(RulerType) ? 20 : 0;
    savedCursor_ = Screen->Cursor();
    Screen->SetCursor(crHourGlass);
    if (OnPageChange) OnPageChange(this);
    QScrollArea* a = Area();
    if (a) {
        savedH_ = a->horizontalScrollBar()->value();
        savedV_ = a->verticalScrollBar()->value();
        a->horizontalScrollBar()->setValue(0);
        a->verticalScrollBar()->setValue(0);
    }
    int xd = GetXDPI(), yd = GetYDPI();
    double pw = PageW(), ph = PageH();
    int pageW = Round(xd * pw * zoom_ / 100), pageH = Round(yd * ph * zoom_ / 100);
    int w = pageW + shadow_ + leftRuler_, h = pageH + shadow_ + topRuler_;
    bmp->SetSize(0, 0);
    bmp->SetSize(w, h);
    TCanvas* c = bmp->Canvas();
    TPen savedPen;
    savedPen.Assign(*c->Pen());
    TBrush savedBrush;
    savedBrush.Assign(*c->Brush());
    // Outside the page, then the shadow.
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(ScrollBox->Color());
    c->FillRect(TRect(0, 0, w, h));
    if (shadow_ > 0) {
        c->Brush()->SetColor(clBlack);
        c->FillRect(TRect(w - shadow_, topRuler_ + shadow_, w, h));
        c->FillRect(TRect(leftRuler_ + shadow_, h - shadow_, w, h));
    }
    if (leftRuler_ > 0 && topRuler_ > 0) {
        c->Brush()->SetColor(TColor(0xC0C0C0));
        c->FillRect(TRect(0, 0, leftRuler_, topRuler_));
    }
    DrawRulers(c, pageW, pageH);
    // The page.
    c->Pen()->SetColor(clBlack);
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetWidth(1);
    c->Pen()->SetMode(pmCopy);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clWhite);
    c->Rectangle(leftRuler_, topRuler_, w - shadow_, h - shadow_);
    // The grid.
    c->Pen()->Assign(gridPen_);
    if (GridHoriz > 0) {
        double step = yd * GridHoriz * zoom_ / 100;
        for (double y = topRuler_ + step; y < h - shadow_ - 1; y += step) {
            c->MoveTo(leftRuler_ + 1, Round(y));
            c->LineTo(w - shadow_ - 1, Round(y));
        }
    }
    if (GridVert > 0) {
        double step = xd * GridVert * zoom_ / 100;
        for (double x = leftRuler_ + step; x < w - shadow_ - 1; x += step) {
            c->MoveTo(Round(x), topRuler_ + 1);
            c->LineTo(Round(x), h - shadow_ - 1);
        }
    }
    c->Pen()->Assign(savedPen);
    c->Brush()->Assign(savedBrush);
    margin_ = MarginMethod == mmFixed ? Round(xd * pw * MarginPercent / 100)
                                      : Round(xd * pw * MarginPercent / 100 * zoom_ / 100);
    image_->SetBounds(margin_, margin_, w, h);
    ScrollBox->SetScrollAreaSize(w + 2 * margin_, h + 2 * margin_);
    if (a) {
        a->horizontalScrollBar()->setValue(savedH_);
        a->verticalScrollBar()->setValue(savedV_);
    }
}

void TVzRenderPreview::DrawRulers(TCanvas* c, int pageW, int pageH) {
    if (RulerType == rtNone) return;
    bool metric = Metric(RulerType);
    double pw = PageW(), ph = PageH();
    // Ticks per page side: millimetres or eighths of an inch.
    double unitsW = metric ? pw * 25.4 : pw * 8, unitsH = metric ? ph * 25.4 : ph * 8;
    auto tickLength = [metric](int i, bool& number) {
        number = false;
        if (metric) {
            if (i % 10 == 0) { number = true; return 18; }
            return i % 5 == 0 ? 15 : 5;
        }
        if (i % 8 == 0) { number = true; return 18; }
        if (i % 4 == 0) return 15;
        return i % 8 == 2 || i % 8 == 6 ? 10 : 5;
    };
    auto label = [metric](int i) {
        std::string s = std::to_string(metric ? i / 10 : i / 8);
        return s.substr(0, 3);
    };
    c->Font()->SetName("Arial");
    c->Font()->SetSize(7);
    c->Font()->SetColor(clBlack);
    c->Font()->SetStyle(0);
    c->Pen()->SetColor(clBlack);
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetWidth(1);
    c->Pen()->SetMode(pmCopy);
    unsigned savedAlign = c->TextAlign();
    if (topRuler_ > 0) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(RGB(255, 255, 128));
        c->Rectangle(leftRuler_, 0, leftRuler_ + pageW, topRuler_);
        c->Brush()->SetStyle(bsClear);
        double step = pageW / unitsW;
        for (int i = 1; i * step < pageW; ++i) {
            bool number;
            int len = tickLength(i, number);
            int x = leftRuler_ + Round(i * step);
            c->MoveTo(x, topRuler_ - 1);
            c->LineTo(x, topRuler_ - 1 - len);
            if (number) {
                std::string t = label(i);
                c->SetTextAlign(TA_LEFT | TA_TOP);
                c->TextOut(x - 1 - c->TextWidth(t), 0, t);
            }
        }
    }
    if (leftRuler_ > 0) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(RGB(255, 255, 128));
        c->Rectangle(0, topRuler_, leftRuler_, topRuler_ + pageH);
        c->Brush()->SetStyle(bsClear);
        double step = pageH / unitsH;
        for (int i = 1; i * step < pageH; ++i) {
            bool number;
            int len = tickLength(i, number);
            int y = topRuler_ + Round(i * step);
            c->MoveTo(leftRuler_ - 1, y);
            c->LineTo(leftRuler_ - 1 - len, y);
            if (number) {
                std::string t = label(i);
                c->SetTextAlign(TA_LEFT | TA_TOP);
                c->TextOut(2, y - 1 - c->TextHeight(t), t);
            }
        }
    }
    c->SetTextAlign(savedAlign);
}

void TVzRenderPreview::EndPage() {
    if (image_ && monochrome_) {
        TBitmap* bmp = image_->Picture()->Bitmap();
        bmp->SetImage(bmp->Image().convertToFormat(QImage::Format_Mono, Qt::ThresholdDither));
    }
    if (image_) image_->Invalidate();
    Screen->SetCursor(savedCursor_);
}
