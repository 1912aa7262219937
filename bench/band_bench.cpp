// Speed of the band engine: the score report (a heading, a data band with
// team headers and footers holding totals, a grand total, a memo running
// over pages, a frame, a picture, a page footer and a Code 128 page) over
// 10,000 rows, saved as a project file, loaded again and run through the
// report system into a snapshot file, with the rows from a data view in
// memory, from a direct data view reading a connection of this process
// through the data channel, and from a direct data view of a memory table
// served by such a connection. Prints pages and rows per second.
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
#include "reportproject/VzDataChannel.h"
#include "reportproject/VzInit.h"
#include "reportproject/VzRun.h"
#include "reportproject/tests/BandProject.h"
#include "reportproject/tests/MemTableSource.h"

namespace {
struct Figures {
    int pages = 0;
    double seconds = 0;
    double megabytes = 0;
};

// Saves the score report, loads it again and runs it into a snapshot file.
Figures Run(int rows, const std::string& connection, const std::filesystem::path& dir) {
    const std::string projectFile = (dir / "scores.vzp").string();
    {
        TVizeProjectManager saved(nullptr);
        BuildScoresProject(saved, rows, connection);
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
    Figures f;
    system.OnPrint = [&](TObject* sender) {
        auto* canvas = static_cast<TBaseReport*>(sender);
        PrintVizeReport(project.ActiveReport(), canvas);
        f.pages = canvas->CurrentPage();
    };
    const auto start = std::chrono::steady_clock::now();
    system.RunReport();
    f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    f.megabytes = std::filesystem::file_size(dir / "scores.vsf") / 1e6;
    return f;
}

void Print(const char* source, int rows, const Figures& f) {
    std::printf("  %-34s %6d %9.3f %9.1f %12.0f %8.1f\n", source, f.pages, f.seconds, f.pages / f.seconds,
                rows / f.seconds, f.megabytes);
}
}  // namespace

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 10000;
    EnsureGuiApplication();
    InitializeReportProject();
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("rbands-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    VizeObjectNamePrefix() = "rbands-bench-" + std::to_string(getpid()) + "-";

    // A short run first: font metrics and the class registry warm up
    // outside the figures.
    Run(200, {}, dir);
    std::printf("band engine: the score report over %d rows into a snapshot file\n", rows);
    std::printf("  %-34s %6s %9s %9s %12s %8s\n", "rows from", "pages", "seconds", "pages/s", "rows/s", "MB");
    Print("a data view in memory", rows, Run(rows, {}, dir));
    {
        TVizeDataConnect connect(nullptr);
        connect.SetName("ScoreData");
        TScoreSource source{rows};
        source.Attach(connect);
        Print("a direct data view (this process)", rows, Run(rows, "ScoreData", dir));
    }
    {
        TqmtMemTable table(nullptr);
        FillScoresTable(table, rows);
        TVizeDataConnect connect(nullptr);
        connect.SetName("ScoreTable");
        TMemTableSource source(table);
        source.Attach(connect);
        Print("a memory table (direct data view)", rows, Run(rows, "ScoreTable", dir));
    }
    FreeVizeDataChannel();
    fs::remove_all(dir);
    return 0;
}
