// Speed of report output: the same 1,000 pages (40 lines of three boxed tab
// cells each) written to a snapshot file, then to PDF from that file and
// from memory, and, in the same run, drawn through Qt's own QPdfWriter with
// the same texts and lines. Prints pages per second for each and the ratio
// of this PDF writer to Qt's (above 1 means this writer is faster), and the
// ratio of PDF from a file to PDF from memory (time; 1 means no cost for
// reading the file).
//
// Usage: report_bench [pages]

#include <QApplication>
#include <QPainter>
#include <QPdfWriter>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "report/RenderPDF.h"
#include "report/VSFWriter.h"

namespace {

constexpr int kLines = 40;

double Seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string Cell(int page, int line, int column) {
    return "p" + std::to_string(page) + " l" + std::to_string(line) + " c" + std::to_string(column);
}

void WriteReport(TVzVSFWriter& w, int pages) {
    w.OnPrint = [&](TObject*) {
        for (int p = 1; p <= pages; ++p) {
            if (p > 1) w.NewPage();
            w.SetFont("Arial", 10);
            w.ClearTabs();
            w.SetTab(0.5, pjLeft, 2.0, 0.05, BOXLINEALL, 0);
            w.SetTab(2.5, pjCenter, 2.0, 0.05, BOXLINEALL, 0);
            w.SetTab(4.5, pjRight, 2.0, 0.05, BOXLINEALL, 0);
            w.Home();
            for (int l = 0; l < kLines; ++l) {
                for (int c = 0; c < 3; ++c) w.PrintTab(Cell(p, l, c));
                w.NewLine();
            }
        }
    };
    w.Execute();
}

void QtReport(const std::string& path, int pages) {
    QPdfWriter pdf(QString::fromStdString(path));
    pdf.setResolution(600);
    pdf.setPageSize(QPageSize(QPageSize::Letter));
    QPainter painter(&pdf);
    QFont font("Liberation Sans");
    font.setPointSizeF(10);
    painter.setFont(font);
    const double dpi = 600, lineHeight = 0.1667;
    for (int p = 1; p <= pages; ++p) {
        if (p > 1) pdf.newPage();
        for (int l = 0; l < kLines; ++l) {
            double top = 0.5 + l * lineHeight;
            for (int c = 0; c < 3; ++c) {
                QRectF box((0.5 + 2.0 * c) * dpi, top * dpi, 2.0 * dpi, lineHeight * dpi);
                painter.drawRect(box);
                int align = c == 0 ? Qt::AlignLeft : c == 1 ? Qt::AlignHCenter : Qt::AlignRight;
                painter.drawText(box.adjusted(0.05 * dpi, 0, -0.05 * dpi, 0), align | Qt::AlignVCenter,
                                 QString::fromStdString(Cell(p, l, c)));
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    int pages = argc > 1 ? std::atoi(argv[1]) : 1000;
    if (pages < 1) pages = 1000;
    auto dir = std::filesystem::temp_directory_path() / ("replib-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::string snapshot = (dir / "report.vsf").string();

    double tSnapshot = Seconds([&] {
        TVzVSFWriter w(nullptr);
        w.StreamMode = smFile;
        w.FileName = snapshot;
        WriteReport(w, pages);
    });
    double tFile = Seconds([&] {
        TVzRenderPDF pdf(nullptr);
        pdf.OpenOutputFile((dir / "from-file.pdf").string());
        pdf.RenderFile(snapshot);
        pdf.CloseStreams();
    });
    TMemoryStream memory;
    memory.LoadFromFile(snapshot);
    double tMemory = Seconds([&] {
        TVzRenderPDF pdf(nullptr);
        pdf.OpenOutputFile((dir / "from-memory.pdf").string());
        pdf.Render(&memory);
        pdf.CloseStreams();
    });
    double tQt = Seconds([&] { QtReport((dir / "qt.pdf").string(), pages); });

    auto rate = [&](double t) { return t > 0 ? pages / t : 0.0; };
    std::printf("%d pages, %d lines of 3 tab cells each\n", pages, kLines);
    std::printf("snapshot file          %9.1f pages/s\n", rate(tSnapshot));
    std::printf("PDF from snapshot file %9.1f pages/s\n", rate(tFile));
    std::printf("PDF from memory        %9.1f pages/s\n", rate(tMemory));
    std::printf("Qt QPdfWriter          %9.1f pages/s\n", rate(tQt));
    std::printf("PDF file / memory time ratio      %.2f (target at most 1.20)\n", tFile / tMemory);
    std::printf("this PDF writer / QPdfWriter speed %.2f (target at least 1.00)\n", tQt / tMemory);
    auto kb = [&](const char* name) { return double(std::filesystem::file_size(dir / name)) / 1024; };
    std::printf("sizes: snapshot %.0f KB, PDF %.0f KB (from file %.0f KB), QPdfWriter %.0f KB\n", kb("report.vsf"),
                kb("from-memory.pdf"), kb("from-file.pdf"), kb("qt.pdf"));
    std::filesystem::remove_all(dir);
    return 0;
}
