#include "reportproject/VzRun.h"

#include <string>
#include <vector>

#include "report/BaseReport.h"
#include "report/ReportDefs.h"
#include "reportproject/VzProj.h"

namespace {
// Everything a run touches: the report's own items and the project's data
// objects (data views open and close with the run).
std::vector<TVizeComponent*> RunItems(TVizeReport* report) {
    std::vector<TVizeComponent*> items{report};
    if (TVizeProjectManager* project = report->Project())
        for (TVizeProjectItem* item : project->DataObjects()) items.push_back(item);
    return items;
}
}  // namespace

void PrintVizeReport(TVizeReport* report, TBaseReport* canvas, int pageLimit) {
    if (!report || !canvas) throw EVizeException(Trans("No report or canvas to print on."));
    TVizeProjectManager* project = report->Project();
    std::vector<TVizePage*> pages = report->Pages();
    for (TVizePage* page : pages) page->SaveDesignState();
    struct Finish {
        TVizeProjectManager* project;
        TBaseReport* previousCanvas;
        std::vector<TVizePage*>& pages;
        std::vector<TVizeComponent*> items;
        bool started = false;
        ~Finish() {
            try {
                if (started)
                    for (TVizeComponent* c : items) c->AfterReport();
            } catch (...) {
                // The run's own error is the one the caller hears.
            }
            for (TVizePage* page : pages) page->RestoreDesignState();
            if (project) {
                project->SetPrinting(false);
                project->SetBaseReport(previousCanvas);
            }
        }
    } finish{project, project ? project->BaseReport() : nullptr, pages, RunItems(report)};
    if (project) {
        project->SetPrinting(true);
        project->SetBaseReport(canvas);
    }
    finish.started = true;
    for (TVizeComponent* c : finish.items) c->BeforeReport();
    int printed = 0;
    for (TVizePage* page : pages) {
        do {
            if (printed >= pageLimit)
                throw EVizeException(Trans("The report did not finish within ") + std::to_string(pageLimit) +
                                     Trans(" pages."));
            if (printed > 0) canvas->NewPage();
            ++printed;
            page->Print(canvas);
        } while (!page->IsPrintComplete());
    }
}
