#include "dbgrid/BandReport.h"

#include <cmath>

#include "platform/core/DateTime.h"
#include "platform/core/Exception.h"
#include "platform/core/Format.h"
#include "report/BaseReport.h"
#include "report/ReportSystem.h"

namespace {

// Report pixels per inch: the report's user unit is one pixel.
constexpr double kPixelsPerInch = 96.0;

}  // namespace

TgrReportControl* TgrReportBand::Find(const std::string& name) {
    for (TgrReportControl& c : Controls)
        if (c.Name == name) return &c;
    return nullptr;
}

TgrBandReport::TgrBandReport() : system_(std::make_unique<TVzSystem>(nullptr)) {
    system_->OnPrint = [this](TObject* sender) { Generate(*static_cast<TBaseReport*>(sender)); };
}

TgrBandReport::~TgrBandReport() = default;

void TgrBandReport::Print() {
    Run(rdPrinter);
    if (OnAfterPrint) OnAfterPrint();
}

void TgrBandReport::Preview() {
    Run(rdPreview);
    if (OnAfterPreview) OnAfterPreview();
}

void TgrBandReport::Run(TReportDest dest) {
    pageCount_ = 0;
    bool print = true;
    if (OnBeforePrint) OnBeforePrint(print);
    if (!print) return;
    TVzSystem& s = *system_;
    // A renderer and file chosen on the system send every run to that file.
    s.DefaultDest = s.FileRenderer() && !s.OutputFileName.empty() ? rdFile : dest;
    s.SystemPrinter.Units = unUser;
    s.SystemPrinter.UnitsFactor = kPixelsPerInch;
    s.SystemPrinter.Orientation = Orientation;
    s.SystemPrinter.Title = Title.empty() ? s.SystemPrinter.Title : Title;
    try {
        s.RunReport();
    } catch (const std::exception& e) {
        throw Exception(std::string("Error previewing report ") + e.what());
    }
}

void TgrBandReport::Generate(TBaseReport& report) {
    pageNumber_ = 1;
    Integer bottom = PageHeight() - MarginBottom;
    Integer y = MarginTop;
    auto frame = [&] {
        if (!FrameAround) return;
        report.SetPen(clBlack, psSolid, 1, pmCopy);
        report.SetBrush(clWhite, bsClear, nullptr);
        report.Rectangle(MarginLeft, MarginTop, PageWidth() - MarginRight, bottom);
    };
    auto headers = [&] {
        y = MarginTop;
        DrawBand(report, PageHeader, y);
        y += PageHeader.Height;
        DrawBand(report, ColumnHeader, y);
        y += ColumnHeader.Height;
    };
    auto newPage = [&] {
        frame();
        report.NewPage();
        ++pageNumber_;
        headers();
    };
    headers();
    // The data source answers one record per call; the number of calls is
    // its business, but a detail band that never fits would loop forever.
    for (;;) {
        bool more = false;
        if (OnNeedData) OnNeedData(more);
        if (!more) break;
        if (Detail.Height <= 0) continue;
        if (y + Detail.Height > bottom) {
            if (MarginTop + PageHeader.Height + ColumnHeader.Height + Detail.Height > bottom) break;
            newPage();
        }
        DrawBand(report, Detail, y);
        y += Detail.Height;
    }
    if (y + Summary.Height > bottom) newPage();
    DrawBand(report, Summary, y);
    frame();
    pageCount_ = pageNumber_;
}

void TgrBandReport::DrawBand(TBaseReport& report, TgrReportBand& band, Integer top) {
    if (band.Height <= 0) return;
    if (band.Color != clWhite && band.Color != clNone) {
        report.SetPen(band.Color, psSolid, 1, pmCopy);
        report.SetBrush(band.Color, bsSolid, nullptr);
        report.Rectangle(MarginLeft, top, PageWidth() - MarginRight, top + band.Height);
    }
    for (const TgrReportControl& c : band.Controls) DrawControl(report, c, top);
    if (band.FrameBottom) {
        report.SetPen(clBlack, psSolid, 1, pmCopy);
        report.MoveTo(MarginLeft, top + band.Height - 1);
        report.LineTo(PageWidth() - MarginRight, top + band.Height - 1);
    }
}

void TgrBandReport::DrawPicture(TBaseReport& report, TBitmap& picture, double left, double top, double right,
                                double bottom) {
    // At its own size from the control's top left, the part beyond the
    // control cut off (the control does not size itself to the picture).
    int width = std::min<int>(picture.Width(), int(right - left));
    int height = std::min<int>(picture.Height(), int(bottom - top));
    if (width <= 0 || height <= 0) return;
    if (width == picture.Width() && height == picture.Height()) {
        report.PrintBitmapRect(left, top, left + width, top + height, &picture);
        return;
    }
    TBitmap part;
    part.SetSize(width, height);
    part.Canvas()->CopyRect(TRect(0, 0, width, height), picture.Canvas(), TRect(0, 0, width, height));
    report.PrintBitmapRect(left, top, left + width, top + height, &part);
}

void TgrBandReport::DrawControl(TBaseReport& report, const TgrReportControl& c, Integer bandTop) {
    double left = MarginLeft + c.Left, top = bandTop + c.Top;
    double right = left + c.Width, bottom = top + c.Height;
    if (c.Color != clNone && c.Kind != rckImage) {
        report.SetPen(c.Color, psSolid, 1, pmCopy);
        report.SetBrush(c.Color, bsSolid, nullptr);
        report.Rectangle(left, top, right, bottom);
    }
    if (c.FrameTop) {
        report.SetPen(clBlack, psSolid, 1, pmCopy);
        report.MoveTo(left, top);
        report.LineTo(right, top);
    }
    switch (c.Kind) {
        case rckShape:
            report.SetPen(c.FontColor, psSolid, 1, pmCopy);
            report.SetBrush(clWhite, bsClear, nullptr);
            report.Rectangle(left, top, right, bottom);
            return;
        case rckImage:
            if (c.Picture && !c.Picture->Empty()) DrawPicture(report, *c.Picture, left, top, right, bottom);
            return;
        default: break;
    }
    std::string text = c.Caption;
    if (c.Kind == rckSysData) {
        switch (c.Data) {
            case sdDateTime: text = FormatDateTime("m/d/yyyy h:nn:ss AM/PM", Now()); break;
            case sdPageNumber: text = std::to_string(pageNumber_); break;
            case sdReportTitle: text = Title; break;
        }
    }
    if (text.empty()) return;
    report.SetFont(c.FontName, c.FontSize);
    report.SetBold((c.FontStyle & fsBold) != 0);
    report.SetItalic((c.FontStyle & fsItalic) != 0);
    report.SetUnderline((c.FontStyle & fsUnderline) != 0);
    report.SetFontColor(c.FontColor);
    // The baseline sits one ascent below the control's top.
    double ascent = std::round(c.FontSize * kPixelsPerInch / 72.0 * 0.9);
    report.SetYPos(top + ascent);
    if (c.Width > 0 && report.TextWidth(text) > c.Width && c.Kind != rckSysData)
        text = report.TruncateText(text, c.Width);
    switch (c.Alignment) {
        case taRightJustify: report.PrintRight(text, right - 1); break;
        case taCenter: report.PrintCenter(text, (left + right) / 2); break;
        default: report.PrintLeft(text, left + 1); break;
    }
}
