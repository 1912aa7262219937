#pragma once
// A small banded report: a page header, a column header, a detail band
// filled once per record, and a summary band after the last record. Bands
// hold controls (labels, system data, shapes, rich text, images) placed in
// report pixels (1/96 inch). The report draws through the report library's
// TBaseReport and runs through TVzSystem, so preview, printers and report
// files work as for every other report of the program.
//
// Data comes from events: OnBeforePrint may refuse the run, OnNeedData is
// asked once per detail band until it answers no more data, and fills the
// detail controls itself.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Types.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/Graphics.h"
#include "report/ReportDefs.h"

class TBaseReport;
class TVzSystem;

enum TgrReportControlKind { rckLabel, rckSysData, rckShape, rckRichText, rckImage };
// What a system-data control shows.
enum TgrSysData { sdDateTime, sdPageNumber, sdReportTitle };
enum TgrBandKind { bkPageHeader, bkColumnHeader, bkDetail, bkSummary };

struct TgrReportControl {
    TgrReportControlKind Kind = rckLabel;
    std::string Name;
    Integer Left = 0, Top = 0, Width = 0, Height = 0;
    std::string Caption;
    TgrSysData Data = sdDateTime;
    std::string FontName = "Arial";
    double FontSize = 8;
    TFontStyles FontStyle = 0;
    TColor FontColor = clBlack;
    // clNone: transparent.
    TColor Color = clNone;
    TAlignment Alignment = taLeftJustify;
    bool WordWrap = false;
    // A line along the control's top edge (column totals).
    bool FrameTop = false;
    // Images: the picture to draw (nullptr draws nothing).
    std::shared_ptr<TBitmap> Picture;
};

struct TgrReportBand {
    TgrBandKind Kind = bkDetail;
    Integer Height = 0;
    TColor Color = clWhite;
    // A line along the band's bottom edge.
    bool FrameBottom = false;
    std::vector<TgrReportControl> Controls;
    TgrReportControl* Find(const std::string& name);
};

class TgrBandReport {
public:
    TgrBandReport();
    ~TgrBandReport();
    TgrBandReport(const TgrBandReport&) = delete;
    TgrBandReport& operator=(const TgrBandReport&) = delete;

    // Letter paper in report pixels; margins in report pixels too.
    TOrientation Orientation = poLandscape;
    Integer MarginLeft = 25, MarginRight = 25, MarginTop = 30, MarginBottom = 48;
    std::string Title;
    bool FrameAround = true;
    Integer PageWidth() const { return Orientation == poLandscape ? 1056 : 816; }
    Integer PageHeight() const { return Orientation == poLandscape ? 816 : 1056; }
    Integer PrintableWidth() const { return PageWidth() - MarginLeft - MarginRight; }

    TgrReportBand PageHeader{bkPageHeader, 40};
    TgrReportBand ColumnHeader{bkColumnHeader, 24};
    TgrReportBand Detail{bkDetail, 17};
    TgrReportBand Summary{bkSummary, 87};

    std::function<void(bool& printReport)> OnBeforePrint;
    std::function<void(bool& moreData)> OnNeedData;
    std::function<void()> OnAfterPrint;
    std::function<void()> OnAfterPreview;

    // The report system the runs go through (destination, renderer, setup).
    TVzSystem& System() { return *system_; }
    // Runs the report to the printer or into the preview window; a failure
    // comes back as Exception("Error previewing report " + message).
    void Print();
    void Preview();
    // Pages of the last run.
    Integer PageCount() const { return pageCount_; }

private:
    void Run(TReportDest dest);
    void Generate(TBaseReport& report);
    void DrawBand(TBaseReport& report, TgrReportBand& band, Integer top);
    void DrawControl(TBaseReport& report, const TgrReportControl& control, Integer bandTop);
    void DrawPicture(TBaseReport& report, TBitmap& picture, double left, double top, double right, double bottom);

    std::unique_ptr<TVzSystem> system_;
    Integer pageCount_ = 0;
    Integer pageNumber_ = 0;
};
