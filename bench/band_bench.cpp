// Speed of the band engine: the score report (a heading, a data band with
// team headers and footers holding totals, a grand total, a memo running
// over pages, a frame, a picture, a page footer and a Code 128 page) over
// 10,000 rows, saved as a project file, loaded again and run through the
// report system into a snapshot file. Prints pages and rows per second.
//
// Usage: band_bench [rows]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "platform/gui/Graphics.h"
#include "report/ReportSystem.h"
#include "reportproject/VzInit.h"
#include "reportproject/VzRun.h"
#include "reportproject/tests/BandProject.h"

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 10000;
    EnsureGuiApplication();
    InitializeReportProject();
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("rbands-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string projectFile = (dir / "scores.vzp").string();
    {
        TVizeProjectManager saved(nullptr);
        BuildScoresProject(saved, rows);
        saved.SaveToFile(projectFile);
    }
    TVizeProjectManager project(nullptr);
    project.LoadFromFile(projectFile);

    TVzSystem system(nullptr);
    system.SystemSetups &= ~(1u << ssAllowSetup);
    system.SystemOptions &= ~(1u << soShowStatus);
    system.DefaultDest = rdFile;
    system.PrinterFileOutput = false;
    system.OutputFileName = (dir / "scores.vsf").string();
    int pages = 0;
    system.OnPrint = [&](TObject* sender) {
        auto* canvas = static_cast<TBaseReport*>(sender);
        PrintVizeReport(project.ActiveReport(), canvas);
        pages = canvas->CurrentPage();
    };
    const auto start = std::chrono::steady_clock::now();
    system.RunReport();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto bytes = fs::file_size(dir / "scores.vsf");
    fs::remove_all(dir);

    std::printf("band engine: %d rows, %d pages to a snapshot file of %.1f MB\n", rows, pages, bytes / 1e6);
    std::printf("  %-22s %10.3f s\n", "time", seconds);
    std::printf("  %-22s %10.1f\n", "pages per second", pages / seconds);
    std::printf("  %-22s %10.0f\n", "rows per second", rows / seconds);
    return 0;
}
