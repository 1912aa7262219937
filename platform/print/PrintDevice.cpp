#include "platform/print/PrintDevice.h"

#include <cmath>

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include "platform/gui/Graphics.h"

namespace {

std::function<std::unique_ptr<TPrinterDriver>(const std::string&)>& Factory() {
    static std::function<std::unique_ptr<TPrinterDriver>(const std::string&)> f;
    return f;
}

// Paper size in tenths of a millimetre, landscape swapping the sides.
TSize PaperTenths(const TPrinterSettings& s, const std::vector<TPrinterPaper>& papers) {
    TSize size(2159, 2794);
    if (s.PaperSize == DMPAPER_USER && s.PaperWidth > 0 && s.PaperLength > 0) {
        size = TSize(s.PaperWidth, s.PaperLength);
    } else {
        for (const auto& p : papers)
            if (p.Id == s.PaperSize) size = TSize(p.Width, p.Length);
    }
    if (s.Orientation == DMORIENT_LANDSCAPE) std::swap(size.cx, size.cy);
    return size;
}

int TenthsToPixels(int tenths, int dpi) { return int(std::lround(tenths / 254.0 * dpi)); }

// ------------------------------------------------------------ recording

class TRecordingJob : public TPrintJob {
public:
    TRecordingJob(TRecordingPrinterDriver* driver, size_t index) : driver_(driver), index_(index) {}
    TCanvas* StartPage(const TPrinterSettings& settings) override {
        TPageMetrics m = driver_->Metrics(settings);
        TRecordedPage page;
        page.Settings = settings;
        page.Image = QImage(std::max(1, m.PrintableWidth), std::max(1, m.PrintableHeight), QImage::Format_RGB32);
        page.Image.fill(Qt::white);
        Job().Pages.push_back(std::move(page));
        canvas_ = std::make_unique<TCanvas>(&Job().Pages.back().Image);
        return canvas_.get();
    }
    void EndPage() override { canvas_.reset(); }
    void EndDoc() override {
        canvas_.reset();
        Job().Ended = true;
    }
    void Abort() override {
        canvas_.reset();
        Job().Aborted = true;
    }
    void PassThrough(const std::string& data) override { Job().PassThrough.push_back(data); }

private:
    TRecordedJob& Job() { return RecordedPrintJobs().at(index_); }
    TRecordingPrinterDriver* driver_;
    size_t index_;
    std::unique_ptr<TCanvas> canvas_;
};

// ------------------------------------------------------------------- Qt

QPageLayout LayoutFor(const TPrinterSettings& s) {
    QPageSize size;
    if (s.PaperSize == DMPAPER_USER && s.PaperWidth > 0 && s.PaperLength > 0)
        size = QPageSize(QSizeF(s.PaperWidth / 10.0, s.PaperLength / 10.0), QPageSize::Millimeter);
    else
        size = QPageSize(QPageSize::id(s.PaperSize));
    if (!size.isValid()) size = QPageSize(QPageSize::Letter);
    return QPageLayout(size, s.Orientation == DMORIENT_LANDSCAPE ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0));
}

void ApplySettings(QPrinter& p, const TPrinterSettings& s) {
    QPageLayout layout = LayoutFor(s);
    p.setPageSize(layout.pageSize());
    p.setPageOrientation(layout.orientation());
    p.setCopyCount(std::max(1, s.Copies));
    p.setCollateCopies(s.Collate == 1);
    p.setDuplex(s.Duplex == 2 ? QPrinter::DuplexLongSide
                : s.Duplex == 3 ? QPrinter::DuplexShortSide
                                : QPrinter::DuplexNone);
}

// The smallest rectangle holding every pixel that is not white.
QRect InkBounds(const QImage& image) {
    int left = image.width(), right = -1, top = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int first = -1, last = -1;
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] & 0xFFFFFF) != 0xFFFFFF) {
                if (first < 0) first = x;
                last = x;
            }
        if (first < 0) continue;
        if (top < 0) top = y;
        bottom = y;
        left = std::min(left, first);
        right = std::max(right, last);
    }
    return top < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// Pages are drawn on an image at this resolution (text goes to the printer
// as text): at a printer's full resolution a page image would take hundreds
// of megabytes.
constexpr int kRasterDpi = 300;

class TQtJob : public TPrintJob {
public:
    TQtJob(std::unique_ptr<QPrinter> printer, const TPrinterSettings& settings)
        : printer_(std::move(printer)), settings_(settings) {}
    ~TQtJob() override {
        if (painter_.isActive()) painter_.end();
    }
    TCanvas* StartPage(const TPrinterSettings& settings) override {
        if (!started_) {
            ApplySettings(*printer_, settings);
            if (!painter_.begin(printer_.get())) throw EPrinter("The printer could not start the print job");
            started_ = true;
        } else {
            if (!(settings == settings_)) printer_->setPageLayout(LayoutFor(settings));
            printer_->newPage();
        }
        settings_ = settings;
        QRect r = printer_->pageLayout().paintRectPixels(printer_->resolution());
        image_ = QImage(std::max(1, r.width()), std::max(1, r.height()), QImage::Format_RGB32);
        image_.fill(Qt::white);
        canvas_ = std::make_unique<TCanvas>(&image_);
        return canvas_.get();
    }
    // The page's drawing goes first as one picture, then its texts as text,
    // so readers of the printed file find them.
    void EndPage() override {
        if (canvas_) {
            // Only the part that holds drawing goes to the printer.
            QRect used = InkBounds(image_);
            if (!used.isEmpty()) painter_.drawImage(used.topLeft(), image_, used);
        }
        for (const TPrintText& t : texts_) {
            painter_.save();
            painter_.setFont(t.Font);
            painter_.setPen(t.Color);
            painter_.translate(t.X, t.Y);
            if (t.Angle != 0) painter_.rotate(-t.Angle);
            painter_.drawText(QPoint(t.Offset, 0), t.Text);
            painter_.restore();
        }
        texts_.clear();
        canvas_.reset();
    }
    bool DrawText(const TPrintText& text) override {
        if (!canvas_) return false;
        texts_.push_back(text);
        return true;
    }
    void EndDoc() override {
        if (canvas_) EndPage();
        if (painter_.isActive()) painter_.end();
    }
    void Abort() override {
        canvas_.reset();
        printer_->abort();
        if (painter_.isActive()) painter_.end();
    }

private:
    std::unique_ptr<QPrinter> printer_;
    TPrinterSettings settings_;
    QPainter painter_;
    QImage image_;
    std::vector<TPrintText> texts_;
    std::unique_ptr<TCanvas> canvas_;
    bool started_ = false;
};

class TQtPrinterDriver : public TPrinterDriver {
public:
    explicit TQtPrinterDriver(QPrinterInfo info) : info_(std::move(info)) {}
    std::string Name() const override { return info_.printerName().toStdString(); }
    TPrinterSettings DefaultSettings() override {
        TPrinterSettings s;
        s.Fields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES | DM_COLLATE;
        if (info_.supportedDuplexModes().size() > 1) s.Fields |= DM_DUPLEX;
        int id = info_.defaultPageSize().windowsId();
        s.PaperSize = id > 0 ? id : DMPAPER_LETTER;
        s.Duplex = DMDUP_SIMPLEX;
        return s;
    }
    TPageMetrics Metrics(const TPrinterSettings& s) override {
        QPrinter p(info_, QPrinter::HighResolution);
        p.setResolution(kRasterDpi);
        ApplySettings(p, s);
        int dpi = p.resolution();
        TPageMetrics m;
        m.XDPI = m.YDPI = dpi;
        QRect full = p.pageLayout().fullRectPixels(dpi);
        QRect paint = p.pageLayout().paintRectPixels(dpi);
        m.PhysicalWidth = full.width();
        m.PhysicalHeight = full.height();
        m.OffsetX = paint.left();
        m.OffsetY = paint.top();
        m.PrintableWidth = paint.width();
        m.PrintableHeight = paint.height();
        return m;
    }
    std::vector<TPrinterBin> Bins() override { return {{7, "Automatically Select"}}; }
    std::vector<TPrinterPaper> Papers() override {
        std::vector<TPrinterPaper> list;
        for (const QPageSize& size : info_.supportedPageSizes()) {
            QSizeF mm = size.size(QPageSize::Millimeter);
            list.push_back({size.windowsId(), size.name().toStdString(), int(std::lround(mm.width() * 10)),
                            int(std::lround(mm.height() * 10))});
        }
        return list;
    }
    int MaxCopies() override { return 999; }
    bool PaperExtents(TSize& minSize, TSize& maxSize) override {
        if (!info_.supportsCustomPageSizes()) return false;
        QSizeF mn = info_.minimumPhysicalPageSize().size(QPageSize::Millimeter);
        QSizeF mx = info_.maximumPhysicalPageSize().size(QPageSize::Millimeter);
        if (mn.isEmpty() || mx.isEmpty()) return false;
        minSize = TSize(int(std::lround(mn.width() * 10)), int(std::lround(mn.height() * 10)));
        maxSize = TSize(int(std::lround(mx.width() * 10)), int(std::lround(mx.height() * 10)));
        return true;
    }
    std::unique_ptr<TPrintJob> StartJob(const std::string& title, const std::string& outputName,
                                        const TPrinterSettings& settings) override {
        auto p = std::make_unique<QPrinter>(info_, QPrinter::HighResolution);
        p->setResolution(kRasterDpi);
        p->setDocName(QString::fromStdString(title));
        if (!outputName.empty()) p->setOutputFileName(QString::fromStdString(outputName));
        ApplySettings(*p, settings);
        return std::make_unique<TQtJob>(std::move(p), settings);
    }

private:
    QPrinterInfo info_;
};

}  // namespace

TRecordingPrinterDriver::TRecordingPrinterDriver(std::string name, TRecordingPrinterSpec spec)
    : name_(std::move(name)), spec_(std::move(spec)) {}

TPrinterSettings TRecordingPrinterDriver::DefaultSettings() {
    TPrinterSettings s = spec_.Defaults;
    s.Fields = spec_.Fields;
    return s;
}

TPageMetrics TRecordingPrinterDriver::Metrics(const TPrinterSettings& settings) {
    TSize paper = PaperTenths(settings, spec_.Papers);
    TPageMetrics m;
    m.XDPI = spec_.XDPI;
    m.YDPI = spec_.YDPI;
    m.PhysicalWidth = TenthsToPixels(paper.cx, m.XDPI);
    m.PhysicalHeight = TenthsToPixels(paper.cy, m.YDPI);
    m.OffsetX = spec_.LeftWaste;
    m.OffsetY = spec_.TopWaste;
    m.PrintableWidth = m.PhysicalWidth - spec_.LeftWaste - spec_.RightWaste;
    m.PrintableHeight = m.PhysicalHeight - spec_.TopWaste - spec_.BottomWaste;
    return m;
}

bool TRecordingPrinterDriver::PaperExtents(TSize& minSize, TSize& maxSize) {
    minSize = spec_.MinExtent;
    maxSize = spec_.MaxExtent;
    return true;
}

std::unique_ptr<TPrintJob> TRecordingPrinterDriver::StartJob(const std::string& title, const std::string& outputName,
                                                             const TPrinterSettings&) {
    TRecordedJob job;
    job.Printer = name_;
    job.Title = title;
    job.OutputName = outputName;
    RecordedPrintJobs().push_back(std::move(job));
    return std::make_unique<TRecordingJob>(this, RecordedPrintJobs().size() - 1);
}

std::vector<TRecordedJob>& RecordedPrintJobs() {
    static std::vector<TRecordedJob> jobs;
    return jobs;
}

void SetPrinterDriverFactoryForTesting(std::function<std::unique_ptr<TPrinterDriver>(const std::string&)> factory) {
    Factory() = std::move(factory);
}

std::unique_ptr<TPrinterDriver> OpenPrinterDriver(const std::string& name) {
    if (Factory()) return Factory()(name);
    EnsureGuiApplication();
    QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromStdString(name));
    if (info.isNull()) return nullptr;
    return std::make_unique<TQtPrinterDriver>(info);
}
