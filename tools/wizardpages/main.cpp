// Shows the scoring wizard on one of its pages, filled with a small class,
// until the window is closed: scripts/wizard-screenshots.sh starts it once
// per page and photographs the screen.
//
//   wizard_pages <page 0-5>
//
// It works in a fresh program folder (OMR_HOME, made here when unset) with
// no scanner attached.

#include <stdlib.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "app/ComSelectWindow.h"
#include "app/fmTestWork.h"
#include "platform/core/Program.h"
#include "platform/data/DB.h"
#include "platform/gui/Forms.h"
#include "tools/scansim/SimScript.h"

namespace {

std::string Frame(const std::string& id, const std::string& answers) {
    TSimScript script;
    script.Questions = 10;
    script.IdDigits = 3;
    TSimSheet sheet;
    sheet.Id = id;
    sheet.Answers = answers;
    return EncodeSimFrame(script, sheet, false);
}

// The configuration page filled in, and for later pages the road up to
// the page: point values, the key, twelve students.
void FillTo(TfrmTestWork* w, int page, const std::string& home) {
    w->edtTestName->SetText("Fractions");
    w->edtTestID->SetText("Q3");
    w->edtFormNo->SetText("1003");
    w->edtQty->SetText("12");
    w->cbNamesC->SetChecked(true);
    w->LoadNamesFile(home + "class.txt");
    if (page == 0) return;
    w->btnNext[0]->Click();
    w->PointEditors[1]->SetText("2");
    if (page == 1) return;
    w->btnNext[1]->Click();
    w->Work()->ActivePage = wpScanMaster;
    w->Work()->ReceiveBytes(Frame("", "ABCDEABCDE") + Frame("", "ABAAAAAAAA"));
    if (page == 2) return;
    w->btnNext[2]->Click();
    const char* answers[] = {"ABCDEABCDE", "ABCDDABCDE", "AB-DEABCDE", "ABCDEAB?DE", "EDCBAABCDE", "ABCDEABCDA"};
    for (int i = 0; i < 12; ++i)
        w->Work()->ReceiveBytes(Frame(std::to_string(101 + i), answers[i % 6]) +
                                Frame(std::to_string(101 + i), i % 4 == 0 ? "BBAAAAAAAA" : "ABAAAAAAAA"));
    if (page == 3) return;
    w->btnNext[3]->Click();
    if (page == 4) return;
    w->btnNext[4]->Click();
}

}  // namespace

int main(int argc, char** argv) {
    const int page = argc > 1 ? std::atoi(argv[1]) : 0;
    if (page < 0 || page > 5) {
        std::fprintf(stderr, "usage: wizard_pages <page 0-5>\n");
        return 2;
    }
    std::string home;
    if (const char* set = getenv("OMR_HOME")) {
        home = set;
    } else {
        char folder[] = "/tmp/wizard-pages-XXXXXX";
        if (!mkdtemp(folder)) return 1;
        home = folder;
        setenv("OMR_HOME", folder, 1);
    }
    if (home.back() != '/') home += '/';
    {
        std::ofstream names(home + "class.txt", std::ios::binary);
        names << "101\tAda Byron\n102\tAlan Turing\n103\tGrace Hopper\n104\tEdsger Dijkstra\n";
    }
    SetCommandLine(1, argv);
    Application->Initialize();
    InstallWindowServices();
    TfrmTestWork* wizard = nullptr;
    Application->CreateForm(wizard);
    bool filled = false;
    Application->OnIdle = [&](TObject*, bool&) {
        if (filled || !wizard->Visible()) return;
        filled = true;
        FillTo(wizard, page, home);
        std::printf("page %d shown\n", page);
        std::fflush(stdout);
    };
    Application->Run();
    RemoveWindowServices();
    return 0;
}
