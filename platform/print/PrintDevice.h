#pragma once
// Page output to a printer: what a printer can do (resolution, papers, bins,
// copies, duplex, collation, paper extents), its device-mode settings, and
// print jobs whose pages are drawn on a platform canvas. Real printers go
// through Qt PrintSupport; tests install a recording driver that keeps every
// page as an image, so no test needs a printer.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QColor>
#include <QFont>
#include <QImage>

#include "platform/gui/Canvas.h"
#include "platform/print/Printers.h"

// Bits of TPrinterSettings::Fields: which settings the printer honours.
inline constexpr unsigned DM_ORIENTATION = 0x00000001;
inline constexpr unsigned DM_PAPERSIZE = 0x00000002;
inline constexpr unsigned DM_PAPERLENGTH = 0x00000004;
inline constexpr unsigned DM_PAPERWIDTH = 0x00000008;
inline constexpr unsigned DM_COPIES = 0x00000100;
inline constexpr unsigned DM_DEFAULTSOURCE = 0x00000200;
inline constexpr unsigned DM_DUPLEX = 0x00001000;
inline constexpr unsigned DM_COLLATE = 0x00008000;

inline constexpr int DMORIENT_PORTRAIT = 1;
inline constexpr int DMORIENT_LANDSCAPE = 2;
inline constexpr int DMPAPER_LETTER = 1;
inline constexpr int DMPAPER_USER = 256;
inline constexpr int DMDUP_SIMPLEX = 1;

// The device-mode record of one printer: the settings a job is printed with.
struct TPrinterSettings {
    unsigned Fields = 0;
    int Orientation = DMORIENT_PORTRAIT;
    int PaperSize = DMPAPER_LETTER;  // paper id
    int PaperLength = 0;             // tenths of a millimetre, custom paper
    int PaperWidth = 0;
    int Copies = 1;
    int DefaultSource = 0;           // bin number
    int Duplex = DMDUP_SIMPLEX;      // 1 simplex, 2 vertical, 3 horizontal
    int Collate = 0;
    bool operator==(const TPrinterSettings&) const = default;
};

struct TPrinterBin {
    int Number = 0;
    std::string Name;
};

struct TPrinterPaper {
    int Id = 0;
    std::string Name;
    // Paper size in tenths of a millimetre (portrait).
    int Width = 0;
    int Length = 0;
};

// Device metrics of a page printed with given settings (device pixels).
struct TPageMetrics {
    int XDPI = 0;
    int YDPI = 0;
    int PhysicalWidth = 0;
    int PhysicalHeight = 0;
    int OffsetX = 0;  // unprintable border at the left and top
    int OffsetY = 0;
    int PrintableWidth = 0;
    int PrintableHeight = 0;
};

// A line of text handed to a job that keeps text as text: the baseline
// starts at (X, Y) pixels of the printable area, turned counter-clockwise by
// Angle degrees about that point, and the text begins Offset pixels along it.
struct TPrintText {
    int X = 0, Y = 0;
    int Offset = 0;
    int Angle = 0;
    QFont Font;  // pixel sized at the printer's resolution
    QColor Color;
    QString Text;
};

// One print job. Pages are drawn on the canvas of the current page, whose
// origin is the top-left corner of the printable area.
class TPrintJob {
public:
    virtual ~TPrintJob() = default;
    // Starts a page with the settings in force now (paper, bin, orientation).
    virtual TCanvas* StartPage(const TPrinterSettings& settings) = 0;
    virtual void EndPage() = 0;
    virtual void EndDoc() = 0;
    virtual void Abort() = 0;
    // Raw bytes for the printer; printers without a raw channel drop them.
    virtual void PassThrough(const std::string& data) {}
    // Text kept as text on the printed page, above the page's drawing;
    // false when the job has no such channel and the text belongs on the
    // canvas.
    virtual bool DrawText(const TPrintText& text) { return false; }
};

// One installed printer.
class TPrinterDriver {
public:
    virtual ~TPrinterDriver() = default;
    virtual std::string Name() const = 0;
    virtual TPrinterSettings DefaultSettings() = 0;
    virtual TPageMetrics Metrics(const TPrinterSettings& settings) = 0;
    virtual std::vector<TPrinterBin> Bins() = 0;
    virtual std::vector<TPrinterPaper> Papers() = 0;
    virtual int MaxCopies() = 0;
    // Smallest and largest custom paper, tenths of a millimetre; false when
    // the printer does not say.
    virtual bool PaperExtents(TSize& minSize, TSize& maxSize) = 0;
    // Starts a job; a non-empty output name prints to that file.
    virtual std::unique_ptr<TPrintJob> StartJob(const std::string& title, const std::string& outputName,
                                                const TPrinterSettings& settings) = 0;
};

// The driver of the named printer, or null when the printer cannot be used.
std::unique_ptr<TPrinterDriver> OpenPrinterDriver(const std::string& name);

// A simulated printer for tests: fixed capabilities, pages recorded as
// images at the printer's resolution.
struct TRecordedPage {
    TPrinterSettings Settings;
    QImage Image;
};
struct TRecordedJob {
    std::string Printer;
    std::string Title;
    std::string OutputName;
    std::vector<TRecordedPage> Pages;
    std::vector<std::string> PassThrough;  // raw pieces, in order
    bool Ended = false;
    bool Aborted = false;
};

struct TRecordingPrinterSpec {
    int XDPI = 100;
    int YDPI = 100;
    // Unprintable borders in device pixels.
    int LeftWaste = 25, TopWaste = 20, RightWaste = 25, BottomWaste = 30;
    unsigned Fields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES |
                      DM_DEFAULTSOURCE | DM_DUPLEX | DM_COLLATE;
    std::vector<TPrinterBin> Bins{{1, "Upper tray"}, {4, "Manual feed"}, {7, "Automatically select"}};
    std::vector<TPrinterPaper> Papers{{1, "Letter", 2159, 2794}, {5, "Legal", 2159, 3556}, {9, "A4", 2100, 2970}};
    int MaxCopies = 99;
    TSize MinExtent{1000, 1500};
    TSize MaxExtent{3000, 4500};
    TPrinterSettings Defaults;
};

class TRecordingPrinterDriver : public TPrinterDriver {
public:
    TRecordingPrinterDriver(std::string name, TRecordingPrinterSpec spec);
    std::string Name() const override { return name_; }
    TPrinterSettings DefaultSettings() override;
    TPageMetrics Metrics(const TPrinterSettings& settings) override;
    std::vector<TPrinterBin> Bins() override { return spec_.Bins; }
    std::vector<TPrinterPaper> Papers() override { return spec_.Papers; }
    int MaxCopies() override { return spec_.MaxCopies; }
    bool PaperExtents(TSize& minSize, TSize& maxSize) override;
    std::unique_ptr<TPrintJob> StartJob(const std::string& title, const std::string& outputName,
                                        const TPrinterSettings& settings) override;

private:
    std::string name_;
    TRecordingPrinterSpec spec_;
};

// Jobs printed on recording drivers, oldest first.
std::vector<TRecordedJob>& RecordedPrintJobs();

// Replaces how printers are opened (tests): the factory is asked for each
// printer by name. An empty function returns to Qt's printers.
void SetPrinterDriverFactoryForTesting(std::function<std::unique_ptr<TPrinterDriver>(const std::string&)> factory);
