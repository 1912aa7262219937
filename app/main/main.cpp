// Program entry: module start-up in dependency order, then the user
// interface, then shut-down in reverse order.

#include <cstdio>
#include <exception>

#include "app/Brand.h"
#include "app/BrandResources.h"
#include "app/ComSelectWindow.h"
#include "app/fmTestMain.h"
#include "app/uLogFileOq.h"
#include "platform/core/Program.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"

int main(int argc, char** argv) {
    // Qt takes its own options off the command line first, so the first
    // argument the program reads is its own ("TRACE", "GREEN").
    CreateGuiApplication(argc, argv);
    SetCommandLine(argc, argv);
    UseBrandDataFolder();
    try {
        InitializeLogModule();
    } catch (const std::exception& e) {
        // The diagnostic log was asked for and cannot be written: say why
        // where the user looks, not only on a terminal.
        std::fprintf(stderr, "%s\n", e.what());
        Application->ShowException(e);
        return 1;
    }
    Application->Initialize();
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
