#include "app/ProgramStart.h"

#include <cstdio>
#include <exception>

#include "app/Brand.h"
#include "app/BrandResources.h"
#include "app/ComSelectWindow.h"
#include "app/fmTestMain.h"
#include "app/uLogFileOq.h"
#include "platform/core/Exception.h"
#include "platform/core/Program.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "reportproject/VzInit.h"

int RunProgram(int& argc, char** argv) {
    // Qt takes its own options off the command line first, so the first
    // argument the program reads is its own ("TRACE", "GREEN").
    CreateGuiApplication(argc, argv);
    SetCommandLine(argc, argv);
    UseBrandDataFolder();
    try {
        InitializeLogModule();
    } catch (const std::exception& e) {
        // Diagnostics were asked for and cannot be written: say why where
        // the user looks, not only on a terminal.
        Exception reason(ProgramFolder() + "SIOUSR.LOG: " + e.what());
        std::fprintf(stderr, "%s\n", reason.what());
        Application->ShowException(reason);
        return 1;
    }
    Application->Initialize();
    // The report project engine's modules register their classes.
    InitializeReportProject();
    {
        TBitmap icon;
        LoadEmbeddedBitmap(CurrentBrand() == TBrand::Ombrix ? kOmbrixAboutGlyph : kVeltraneAboutGlyph, &icon);
        Application->SetIcon(&icon);
    }
    InstallWindowServices();
    TfrmMain* frmMain = nullptr;
    Application->CreateForm(frmMain);
    Application->Run();
    RemoveWindowServices();
    FinalizeLogModule();
    return 0;
}
