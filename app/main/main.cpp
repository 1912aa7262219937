// Program entry: module start-up in dependency order, then the user
// interface, then shut-down in reverse order.

#include <cstdio>

#include "app/ComSelectWindow.h"
#include "app/fmTestMain.h"
#include "app/uLogFileOq.h"
#include "platform/core/Exception.h"
#include "platform/core/Program.h"
#include "platform/gui/Forms.h"

int main(int argc, char** argv) {
    SetCommandLine(argc, argv);
    try {
        InitializeLogModule();
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message.c_str());
        return 1;
    }
    Application->Initialize();
    InstallWindowServices();
    TfrmMain* frmMain = nullptr;
    Application->CreateForm(frmMain);
    Application->Run();
    RemoveWindowServices();
    FinalizeLogModule();
    return 0;
}
