#include "reportproject/VzInit.h"

#include "reportproject/VzClass.h"
#include "reportproject/VzControl.h"
#include "reportproject/VzCsBars.h"
#include "reportproject/VzCsData.h"
#include "reportproject/VzCsDraw.h"
#include "reportproject/VzCsStd.h"
#include "reportproject/VzData.h"
#include "reportproject/VzDatabase.h"
#include "reportproject/VzDataField.h"
#include "reportproject/VzDataView.h"
#include "reportproject/VzDriverDataView.h"
#include "reportproject/VzLEModule.h"
#include "reportproject/VzProj.h"
#include "reportproject/VzSecurity.h"
#include "reportproject/VpCon.h"

void InitializeReportProject() {
    static bool done = false;
    if (done) return;
    done = true;
    InitializeVzClass();
    InitializeVzControl();
    InitializeVzProj();
    InitializeVzData();
    InitializeVzDataField();
    InitializeVzDataView();
    InitializeVpCon();
    InitializeVzCsDraw();
    InitializeVzSecurity();
    InitializeVzCsBars();
    InitializeVzCsStd();
    InitializeVzCsData();
    InitializeVzDatabase();
    InitializeVzDriverDataView();
    // Compiled modules of loaded projects run on the byte-code machine.
    InitializeScriptEngine();
    for (const TVizeRegistration& r : RegistrationList()) r.Procedure();
}
