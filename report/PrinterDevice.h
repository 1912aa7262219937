#pragma once
// The report library's view of an output device: the printers, the selected
// one with its device-mode settings, resolution, page size, unprintable
// borders, papers, bins and fonts, copies, collation, duplex, orientation,
// and print jobs with their pages. A render device stands in, at 600 dots
// per inch, when no printer can be used.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QImage>

#include "platform/gui/Canvas.h"
#include "platform/print/PrintDevice.h"
#include "report/ReportDefs.h"

// One printer of the printer list.
struct TVPDeviceItem {
    std::string DeviceName;
    std::string DriverName;  // stays empty
    std::string OutputName;  // port; empty here
};

class TVPBaseDevice {
public:
    TVPBaseDevice();
    virtual ~TVPBaseDevice();
    TVPBaseDevice(const TVPBaseDevice&) = delete;
    TVPBaseDevice& operator=(const TVPBaseDevice&) = delete;

    std::string Title;
    bool Printing = false;
    bool Aborted = false;
    TOrientation Orientation = poLandScape;
    int Copies = 1;
    TDuplex Duplex = dupSimplex;
    bool Collate = false;
    int PageHeight = 0;
    int PageWidth = 0;
    std::string Bin;
    std::string Paper;

    virtual TCanvas* GetCanvas() = 0;
    virtual int GetXDPI() { return 96; }
    virtual int GetYDPI() { return 96; }
    // Unprintable borders in device pixels.
    virtual TRect GetWaste() { return TRect(); }
    virtual void SetBinNumber(int bin);
    virtual int GetBinNumber();
    virtual const std::vector<TPrinterBin>* GetBins() { return nullptr; }
    virtual const std::vector<TPrinterPaper>* GetPapers() { return nullptr; }
    virtual const std::vector<std::string>* GetFonts() { return nullptr; }
    virtual const std::vector<TVPDeviceItem>* GetPrinters() { return nullptr; }
    virtual TOrientation GetOrientation() { return Orientation; }
    virtual void SetOrientation(TOrientation value) { Orientation = value; }
    virtual int GetMaxCopies() { return 1; }
    virtual void SetCopies(int value) { Copies = value; }
    virtual int GetCopies() { return Copies; }
    virtual void SetDuplex(TDuplex value) { Duplex = value; }
    virtual TDuplex GetDuplex() { return Duplex; }
    virtual void SetCollate(bool value) { Collate = value; }
    virtual bool GetCollate() { return Collate; }
    virtual int GetPageHeight() { return PageHeight; }
    virtual int GetPageWidth() { return PageWidth; }
    virtual int TextWidth(const std::string& text) { return 0; }
    virtual void SendPassThrough(const std::string& data) {}
    virtual void BeginDoc() {}
    virtual void StartJob() {}
    virtual void EndDoc() {}
    virtual void AbortDoc() {}
    virtual void NewPage() {}
    virtual void ClosePage(bool startNext) {}
    virtual bool SelectBin(const std::string& name, bool exact);
    virtual bool SelectPaper(const std::string& name, bool exact);
    // Smallest and largest custom paper, tenths of a millimetre.
    virtual void GetPaperExtents(TPoint& minSize, TPoint& maxSize) {}
    // Paper by id, or a custom size in tenths of a millimetre.
    virtual bool SetPaperSize(int paperId, int width, int height);
    virtual bool SupportsBin(int number) { return true; }
    virtual bool SupportsPaper(int id) { return true; }
    virtual bool SupportsOrientation() { return true; }
    virtual bool SupportsDuplex() { return true; }
    virtual bool SupportsCollate() { return true; }

protected:
    void InitPageSize();
};

// The printer-less device: a 10 x 10 pixel bitmap at 600 dots per inch,
// measuring text through the font metrics cache.
class TVPRenderDevice : public TVPBaseDevice {
public:
    TVPRenderDevice();
    TCanvas* GetCanvas() override { return &canvas_; }
    int GetXDPI() override { return 600; }
    int GetYDPI() override { return 600; }
    int GetPageHeight() override;
    int GetPageWidth() override;
    int TextWidth(const std::string& text) override;

private:
    QImage image_;
    TCanvas canvas_;
};

class TVpPrinterDevice : public TVPBaseDevice {
public:
    TVpPrinterDevice();
    ~TVpPrinterDevice() override;

    TCanvas* GetCanvas() override;
    int GetXDPI() override;
    int GetYDPI() override;
    TRect GetWaste() override;
    void SetBinNumber(int bin) override;
    const std::vector<TPrinterBin>* GetBins() override;
    const std::vector<TPrinterPaper>* GetPapers() override;
    const std::vector<std::string>* GetFonts() override;
    const std::vector<TVPDeviceItem>* GetPrinters() override;
    TOrientation GetOrientation() override;
    void SetOrientation(TOrientation value) override;
    int GetMaxCopies() override;
    void SetCopies(int value) override;
    int GetCopies() override;
    void SetDuplex(TDuplex value) override;
    TDuplex GetDuplex() override;
    void SetCollate(bool value) override;
    bool GetCollate() override;
    int GetPageHeight() override;
    int GetPageWidth() override;
    int TextWidth(const std::string& text) override;
    void SendPassThrough(const std::string& data) override;
    void BeginDoc() override;
    void StartJob() override;
    void EndDoc() override;
    void AbortDoc() override;
    void NewPage() override;
    void ClosePage(bool startNext) override;
    bool SelectBin(const std::string& name, bool exact) override;
    bool SelectPaper(const std::string& name, bool exact) override;
    void GetPaperExtents(TPoint& minSize, TPoint& maxSize) override;
    bool SetPaperSize(int paperId, int width, int height) override;
    bool SupportsBin(int number) override;
    bool SupportsPaper(int id) override;
    bool SupportsOrientation() override;
    bool SupportsDuplex() override;
    bool SupportsCollate() override;

    int GetPrinterIndex();
    void SetPrinterIndex(int index);
    bool SelectPrinter(const std::string& name, bool exact);
    bool PrinterSetupDialog();
    void SetContextKind(int kind);
    int ContextKind() const { return contextKind_; }
    // The device-mode settings of the selected printer; null without one.
    TPrinterSettings* GetDevMode();
    std::string GetDeviceName() const { return deviceName_; }
    std::string GetDriverName() const { return driverName_; }
    std::string GetPort() const { return port_; }
    void SetOutputName(const std::string& name);
    // The running print job; null while not printing.
    TPrintJob* PrintJob() const { return job_.get(); }
    const std::string& OutputName() const { return outputName_; }
    bool NoPrinters();
    void ResetDevice(bool force);
    void CheckPrinting();
    void CheckNotPrinting();

    bool PageStarted = false;
    bool DevModeChanged = false;
    bool KeepDevMode = false;
    // A paper source picked in the print-setup dialog, for the printer renderer.
    bool SetupBinChosen = false;
    SmallInt SetupBin = 0;

private:
    void ReleasePrinter();
    void LoadPrinters();
    const TPageMetrics& Metrics();
    void StartPage();
    void EndPage();

    int printerIndex_ = -2;
    std::optional<std::vector<TVPDeviceItem>> printers_;
    std::optional<std::vector<TPrinterBin>> bins_;
    std::optional<std::vector<TPrinterPaper>> papers_;
    std::optional<std::vector<std::string>> fonts_;
    std::string deviceName_, driverName_, port_, outputName_;
    std::unique_ptr<TPrinterDriver> driver_;
    std::optional<TPrinterSettings> devMode_;
    // Settings the metrics and the current job pages use.
    TPrinterSettings applied_;
    std::optional<TPageMetrics> metrics_;
    int contextKind_ = 0;
    bool noPrinter_ = false;
    std::unique_ptr<TPrintJob> job_;
    QImage measureImage_;
    std::unique_ptr<TCanvas> canvas_;
};

// The process's printer device, made on first use.
TVpPrinterDevice* GetPrinterDevice();
// Drops the process's printer device so the next use reads the printers
// again (tests change the printer list).
void ResetPrinterDeviceForTesting();
