#include "report/PrinterDevice.h"

#include <cmath>

#include <QFontDatabase>

#include "platform/core/MathUtils.h"
#include "platform/core/Strings.h"
#include "platform/gui/Prompts.h"
#include "report/FontMetrics.h"

namespace {

int RoundInt(double v) { return int(RoundHalfEven(v)); }

bool ContainsNoCase(const std::string& text, const std::string& part) {
    return AnsiUpperCase(text).find(AnsiUpperCase(part)) != std::string::npos;
}

std::unique_ptr<TVpPrinterDevice>& GlobalDevice() {
    static std::unique_ptr<TVpPrinterDevice> device;
    return device;
}

}  // namespace

// ------------------------------------------------------------------ base

TVPBaseDevice::TVPBaseDevice() = default;
TVPBaseDevice::~TVPBaseDevice() = default;

void TVPBaseDevice::InitPageSize() {
    PageWidth = RoundInt(GetXDPI() * 8.5);
    PageHeight = RoundInt(GetYDPI() * 11.0);
}

void TVPBaseDevice::SetBinNumber(int bin) {}

int TVPBaseDevice::GetBinNumber() {
    TVpPrinterDevice* device = GetPrinterDevice();
    TPrinterSettings* dm = device ? device->GetDevMode() : nullptr;
    return dm ? dm->DefaultSource : 0;
}

bool TVPBaseDevice::SelectBin(const std::string& name, bool exact) {
    Bin = name;
    return true;
}

bool TVPBaseDevice::SelectPaper(const std::string& name, bool exact) {
    Paper = name;
    return true;
}

bool TVPBaseDevice::SetPaperSize(int paperId, int width, int height) {
    if (width != 0 && height != 0) {
        PageWidth = RoundInt(GetXDPI() * width / 254.0);
        PageHeight = RoundInt(GetYDPI() * height / 254.0);
        return true;
    }
    const TPaperSizeRow* row = FindPaperSize(paperId);
    double w = row ? row->Width : 8.5;
    double h = row ? row->Height : 11.0;
    PageWidth = RoundInt(GetXDPI() * w);
    PageHeight = RoundInt(GetYDPI() * h);
    return true;
}

// --------------------------------------------------------------- render

TVPRenderDevice::TVPRenderDevice() : image_(10, 10, QImage::Format_RGB32) {
    EnsureGuiApplication();
    image_.fill(Qt::white);
    canvas_.SetSurface(&image_);
    canvas_.Font()->SetName("Arial");
    canvas_.Font()->SetHeight(-RoundInt(GetYDPI() * 10 / 72.0));
    InitPageSize();
    Printing = true;
}

int TVPRenderDevice::GetPageHeight() { return Orientation == poLandScape ? PageWidth : PageHeight; }

int TVPRenderDevice::GetPageWidth() { return Orientation == poLandScape ? PageHeight : PageWidth; }

int TVPRenderDevice::TextWidth(const std::string& text) {
    return FontManager().TextWidth(*canvas_.Font(), GetYDPI(), text);
}

// -------------------------------------------------------------- printer

TVpPrinterDevice::TVpPrinterDevice() : measureImage_(10, 10, QImage::Format_RGB32) {
    measureImage_.fill(Qt::white);
    InitPageSize();
}

TVpPrinterDevice::~TVpPrinterDevice() {
    if (job_) {
        try {
            job_->Abort();
        } catch (...) {
        }
    }
}

void TVpPrinterDevice::CheckPrinting() {
    if (!Printing) RaiseReportError(Trans("Invalid method call.  Device is not printing."));
}

void TVpPrinterDevice::CheckNotPrinting() {
    if (Printing) RaiseReportError(Trans("Invalid method call.  Device already printing."));
}

void TVpPrinterDevice::LoadPrinters() {
    if (printers_) return;
    std::vector<TVPDeviceItem> list;
    const TStringList& names = Printer()->Printers();
    for (int i = 0; i < names.Count(); ++i) list.push_back({names[i], "", ""});
    printers_ = std::move(list);
}

const std::vector<TVPDeviceItem>* TVpPrinterDevice::GetPrinters() {
    LoadPrinters();
    return &*printers_;
}

void TVpPrinterDevice::ReleasePrinter() {
    SetContextKind(0);
    if (!KeepDevMode) devMode_.reset();
    driver_.reset();
    metrics_.reset();
    bins_.reset();
    papers_.reset();
    fonts_.reset();
    deviceName_.clear();
    driverName_.clear();
    port_.clear();
}

void TVpPrinterDevice::SetPrinterIndex(int index) {
    CheckNotPrinting();
    noPrinter_ = false;
    LoadPrinters();
    int count = int(printers_->size());
    if (index == printerIndex_ || index >= count) return;
    if (index < 0) {
        index = count - 1;
        int def = Printer()->DefaultPrinterIndex();
        if (def >= 0 && def < count) {
            std::string name = Printer()->Printers()[def];
            for (int i = 0; i < count; ++i)
                if (SameText((*printers_)[i].DeviceName, name)) {
                    index = i;
                    break;
                }
        }
    }
    if (index < 0) return;
    ReleasePrinter();
    printerIndex_ = index;
    const TVPDeviceItem& item = (*printers_)[index];
    deviceName_ = item.DeviceName;
    driverName_ = item.DriverName;
    port_ = item.OutputName;
    driver_ = OpenPrinterDriver(deviceName_);
    if (!KeepDevMode) {
        DevModeChanged = false;
        if (driver_) devMode_ = driver_->DefaultSettings();
    }
    if (!driver_) devMode_.reset();
    if (devMode_) applied_ = *devMode_;
    KeepDevMode = false;
}

int TVpPrinterDevice::GetPrinterIndex() {
    if (printerIndex_ < 0) SetPrinterIndex(-1);
    return printerIndex_;
}

bool TVpPrinterDevice::SelectPrinter(const std::string& name, bool exact) {
    CheckNotPrinting();
    LoadPrinters();
    bool partial = !exact || name.find(" on ") != std::string::npos;
    for (int i = 0; i < int(printers_->size()); ++i) {
        const TVPDeviceItem& item = (*printers_)[i];
        bool match = partial ? ContainsNoCase(item.DeviceName + " on " + item.OutputName, name) : item.DeviceName == name;
        if (match) {
            if (i == printerIndex_ && KeepDevMode) {
                // The same printer keeps the settings the dialog returned.
                KeepDevMode = false;
                if (devMode_) applied_ = *devMode_;
                metrics_.reset();
            }
            SetPrinterIndex(i);
            return true;
        }
    }
    return false;
}

bool TVpPrinterDevice::NoPrinters() {
    if (noPrinter_) return true;
    LoadPrinters();
    if (!printers_->empty() && GetPrinterIndex() >= 0 && driver_) return false;
    noPrinter_ = true;
    return true;
}

TPrinterSettings* TVpPrinterDevice::GetDevMode() {
    if (NoPrinters()) return nullptr;
    return devMode_ ? &*devMode_ : nullptr;
}

void TVpPrinterDevice::SetContextKind(int kind) {
    if (kind == contextKind_ || (contextKind_ == 2 && kind == 1)) return;
    if (kind == 0) {
        contextKind_ = 0;
        return;
    }
    if (NoPrinters()) return;
    contextKind_ = kind;
}

void TVpPrinterDevice::ResetDevice(bool force) {
    // Outside a job a context made now would carry the changed settings.
    if (force || (contextKind_ != 2 && DevModeChanged)) {
        DevModeChanged = false;
        if (devMode_) applied_ = *devMode_;
        metrics_.reset();
    }
}

const TPageMetrics& TVpPrinterDevice::Metrics() {
    if (!metrics_) {
        TPageMetrics m;
        if (!NoPrinters() && driver_) m = driver_->Metrics(applied_);
        metrics_ = m;
    }
    return *metrics_;
}

TCanvas* TVpPrinterDevice::GetCanvas() {
    if (!canvas_) {
        EnsureGuiApplication();
        canvas_ = std::make_unique<TCanvas>(&measureImage_);
        canvas_->Font()->SetName("Arial");
        canvas_->Font()->SetHeight(-RoundInt(GetYDPI() * 10 / 72.0));
    }
    return canvas_.get();
}

int TVpPrinterDevice::GetXDPI() {
    int dpi = Metrics().XDPI;
    return dpi > 0 ? dpi : 100;
}

int TVpPrinterDevice::GetYDPI() {
    int dpi = Metrics().YDPI;
    return dpi > 0 ? dpi : 100;
}

TRect TVpPrinterDevice::GetWaste() {
    const TPageMetrics& m = Metrics();
    TRect r;
    r.Left = m.OffsetX;
    r.Top = m.OffsetY;
    r.Right = m.PhysicalWidth - m.OffsetX - m.PrintableWidth;
    r.Bottom = m.PhysicalHeight - m.OffsetY - m.PrintableHeight;
    return r;
}

int TVpPrinterDevice::GetPageHeight() {
    ResetDevice(false);
    return Metrics().PrintableHeight;
}

int TVpPrinterDevice::GetPageWidth() {
    ResetDevice(false);
    return Metrics().PrintableWidth;
}

int TVpPrinterDevice::TextWidth(const std::string& text) {
    return std::max(1, GetCanvas()->TextWidth(text));
}

void TVpPrinterDevice::SetBinNumber(int bin) {
    TVpPrinterDevice* device = GetPrinterDevice();
    TPrinterSettings* dm = device ? device->GetDevMode() : nullptr;
    if (!dm) return;
    dm->DefaultSource = bin;
    dm->Fields |= DM_DEFAULTSOURCE;
    device->DevModeChanged = true;
}

const std::vector<TPrinterBin>* TVpPrinterDevice::GetBins() {
    if (!bins_) bins_ = (!NoPrinters() && driver_) ? driver_->Bins() : std::vector<TPrinterBin>{};
    return &*bins_;
}

const std::vector<TPrinterPaper>* TVpPrinterDevice::GetPapers() {
    if (!papers_) papers_ = (!NoPrinters() && driver_) ? driver_->Papers() : std::vector<TPrinterPaper>{};
    return &*papers_;
}

const std::vector<std::string>* TVpPrinterDevice::GetFonts() {
    if (!fonts_) {
        std::vector<std::string> list;
        if (!NoPrinters()) {
            EnsureGuiApplication();
            for (const QString& family : QFontDatabase::families()) list.push_back(family.toStdString());
        }
        fonts_ = std::move(list);
    }
    return &*fonts_;
}

TOrientation TVpPrinterDevice::GetOrientation() {
    TPrinterSettings* dm = GetDevMode();
    return dm ? TOrientation(dm->Orientation - 1) : TOrientation(0);
}

void TVpPrinterDevice::SetOrientation(TOrientation value) {
    TPrinterSettings* dm = GetDevMode();
    if (!dm || value == poDefault) return;
    if (dm->Orientation != int(value) + 1) {
        dm->Orientation = int(value) + 1;
        dm->Fields |= DM_ORIENTATION;
        DevModeChanged = true;
    }
}

int TVpPrinterDevice::GetMaxCopies() { return (!NoPrinters() && driver_) ? std::max(1, driver_->MaxCopies()) : 1; }

void TVpPrinterDevice::SetCopies(int value) {
    CheckNotPrinting();
    TPrinterSettings* dm = GetDevMode();
    if (!dm || value < 1 || value > GetMaxCopies()) return;
    if (dm->Copies != value) {
        dm->Copies = value;
        dm->Fields |= DM_COPIES;
        DevModeChanged = true;
    }
}

int TVpPrinterDevice::GetCopies() {
    TPrinterSettings* dm = GetDevMode();
    return (dm && dm->Copies != 0) ? dm->Copies : 1;
}

void TVpPrinterDevice::SetDuplex(TDuplex value) {
    CheckNotPrinting();
    TPrinterSettings* dm = GetDevMode();
    if (!dm || !SupportsDuplex()) return;
    if (dm->Duplex != int(value) + 1) {
        dm->Duplex = int(value) + 1;
        dm->Fields |= DM_DUPLEX;
        DevModeChanged = true;
    }
}

TDuplex TVpPrinterDevice::GetDuplex() {
    TPrinterSettings* dm = GetDevMode();
    return (dm && dm->Duplex >= 1 && dm->Duplex <= 3) ? TDuplex(dm->Duplex - 1) : dupSimplex;
}

void TVpPrinterDevice::SetCollate(bool value) {
    CheckNotPrinting();
    TPrinterSettings* dm = GetDevMode();
    if (!dm || !SupportsCollate()) return;
    int v = value ? 1 : 0;
    if (dm->Collate != v) {
        dm->Collate = v;
        dm->Fields |= DM_COLLATE;
        DevModeChanged = true;
    }
}

bool TVpPrinterDevice::GetCollate() {
    TPrinterSettings* dm = GetDevMode();
    return dm && dm->Collate == 1;
}

bool TVpPrinterDevice::SelectBin(const std::string& name, bool exact) {
    const std::vector<TPrinterBin>* bins = GetBins();
    for (const TPrinterBin& bin : *bins) {
        if (exact ? bin.Name == name : ContainsNoCase(bin.Name, name)) {
            TPrinterSettings* dm = GetDevMode();
            if (!dm) return false;
            if (dm->DefaultSource != bin.Number || !(dm->Fields & DM_DEFAULTSOURCE)) {
                dm->DefaultSource = bin.Number;
                dm->Fields |= DM_DEFAULTSOURCE;
                DevModeChanged = true;
            }
            return true;
        }
    }
    return false;
}

bool TVpPrinterDevice::SelectPaper(const std::string& name, bool exact) {
    CheckNotPrinting();
    const std::vector<TPrinterPaper>* papers = GetPapers();
    for (const TPrinterPaper& paper : *papers) {
        if (exact ? paper.Name == name : ContainsNoCase(paper.Name, name)) {
            TPrinterSettings* dm = GetDevMode();
            if (!dm) return false;
            if (dm->PaperSize != paper.Id) {
                dm->PaperSize = paper.Id;
                dm->Fields |= DM_PAPERSIZE;
                DevModeChanged = true;
            }
            return true;
        }
    }
    return false;
}

void TVpPrinterDevice::GetPaperExtents(TPoint& minSize, TPoint& maxSize) {
    TSize mn, mx;
    if (!NoPrinters() && driver_ && driver_->PaperExtents(mn, mx)) {
        minSize = TPoint(mn.cx, mn.cy != 0 ? mn.cy : mn.cx);
        maxSize = TPoint(mx.cx, mx.cy != 0 ? mx.cy : mx.cx);
    } else {
        minSize = TPoint(1, 1);
        maxSize = TPoint(32767, 32767);
    }
}

bool TVpPrinterDevice::SetPaperSize(int paperId, int width, int height) {
    CheckNotPrinting();
    TPrinterSettings* dm = GetDevMode();
    if (!dm) return false;
    if (width == 0 || height == 0) {
        if (!SupportsPaper(paperId)) return false;
        dm->PaperSize = paperId;
        dm->PaperWidth = 0;
        dm->PaperLength = 0;
    } else {
        if (dm->PaperSize == DMPAPER_USER && dm->PaperWidth == width && dm->PaperLength == height) return true;
        TPoint mn, mx;
        GetPaperExtents(mn, mx);
        if (width < mn.X || width > mx.X || height < mn.Y || height > mx.Y) return false;
        dm->PaperSize = DMPAPER_USER;
        dm->PaperWidth = width;
        dm->PaperLength = height;
    }
    dm->Fields |= DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH;
    DevModeChanged = true;
    return true;
}

bool TVpPrinterDevice::SupportsBin(int number) {
    TPrinterSettings* dm = GetDevMode();
    if (!dm || !(dm->Fields & DM_DEFAULTSOURCE)) return false;
    for (const TPrinterBin& bin : *GetBins())
        if (bin.Number == number) return true;
    return false;
}

bool TVpPrinterDevice::SupportsPaper(int id) {
    TPrinterSettings* dm = GetDevMode();
    if (!dm || !(dm->Fields & DM_PAPERSIZE)) return false;
    for (const TPrinterPaper& paper : *GetPapers())
        if (paper.Id == id) return true;
    return false;
}

bool TVpPrinterDevice::SupportsOrientation() {
    TPrinterSettings* dm = GetDevMode();
    return dm && (dm->Fields & DM_ORIENTATION);
}

bool TVpPrinterDevice::SupportsDuplex() {
    TPrinterSettings* dm = GetDevMode();
    return dm && (dm->Fields & DM_DUPLEX);
}

bool TVpPrinterDevice::SupportsCollate() {
    TPrinterSettings* dm = GetDevMode();
    return dm && (dm->Fields & DM_COLLATE);
}

void TVpPrinterDevice::SetOutputName(const std::string& name) {
    CheckNotPrinting();
    outputName_ = name;
}

void TVpPrinterDevice::SendPassThrough(const std::string& data) {
    if (job_) job_->PassThrough(data);
}

void TVpPrinterDevice::StartPage() {
    if (!job_) return;
    TCanvas* page = job_->StartPage(applied_);
    GetCanvas()->SetSurface(page->Surface());
}

void TVpPrinterDevice::EndPage() {
    GetCanvas()->SetSurface(&measureImage_);
    if (job_) job_->EndPage();
}

void TVpPrinterDevice::StartJob() {
    CheckNotPrinting();
    ResetDevice(false);
    if (NoPrinters() || !driver_) RaiseReportError(Trans("No printers are installed or the printer cannot be used."));
    SetContextKind(2);
    job_ = driver_->StartJob(Title, outputName_, applied_);
    Printing = true;
    Aborted = false;
    PageStarted = false;
}

void TVpPrinterDevice::BeginDoc() {
    StartJob();
    StartPage();
    PageStarted = true;
}

void TVpPrinterDevice::EndDoc() {
    CheckPrinting();
    if (PageStarted) EndPage();
    PageStarted = false;
    if (job_ && !Aborted) job_->EndDoc();
    job_.reset();
    SetContextKind(0);
    Printing = false;
    Aborted = false;
    outputName_.clear();
}

void TVpPrinterDevice::AbortDoc() {
    CheckPrinting();
    if (job_) job_->Abort();
    job_.reset();
    PageStarted = false;
    GetCanvas()->SetSurface(&measureImage_);
    Aborted = true;
    EndDoc();
}

void TVpPrinterDevice::NewPage() {
    CheckPrinting();
    EndPage();
    if (DevModeChanged) ResetDevice(true);
    StartPage();
    PageStarted = true;
}

void TVpPrinterDevice::ClosePage(bool startNext) {
    CheckPrinting();
    if (PageStarted) EndPage();
    if (DevModeChanged) ResetDevice(true);
    if (startNext) StartPage();
    PageStarted = startNext;
}

bool TVpPrinterDevice::PrinterSetupDialog() {
    SetContextKind(1);
    std::string before = deviceName_;
    TPrinterSetupDialog dialog(nullptr);
    bool ok = dialog.Execute();
    if (ok) {
        // Settings stay with the printer they were made for.
        KeepDevMode = Printer()->PrinterName() == before;
        SelectPrinter(Printer()->PrinterName(), true);
        KeepDevMode = false;
    }
    DevModeChanged = true;
    return ok;
}

TVpPrinterDevice* GetPrinterDevice() {
    auto& device = GlobalDevice();
    if (!device) device = std::make_unique<TVpPrinterDevice>();
    return device.get();
}

void ResetPrinterDeviceForTesting() { GlobalDevice().reset(); }
