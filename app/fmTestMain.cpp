#include "app/fmTestMain.h"

#include <algorithm>
#include <vector>

#include "app/AppSettings.h"
#include "app/Brand.h"
#include "app/BrandResources.h"
#include "app/fmAbout.h"
#include "app/fmSetup.h"
#include "app/fmTestWork.h"
#include "app/uLogFileOq.h"
#include "platform/core/Program.h"
#include "platform/core/Strings.h"
#include "platform/os/SerialPorts.h"

namespace {
void Place(TControl* c, TWinControl* parent, const char* name, int left, int top, int width, int height) {
    c->SetName(name);
    c->SetParent(parent);
    c->SetBounds(left, top, width, height);
}
}  // namespace

TfrmMain::TfrmMain(TComponent* owner) : TForm(owner) {
    SetName("frmMain");
    SetCaption("Ombrix Scorvane");
    SetPosition(poScreenCenter);
    SetBounds(0, 0, 494, 399);
    // The controls keep their places: a smaller window would hide buttons.
    SetConstraints({494, 399});

    lblTitle = new TLabel(this);
    Place(lblTitle, this, "lblTitle", 16, 14, 400, 24);
    lblTitle->Font()->SetSize(14);
    lblTitle->Font()->SetStyle(fsBold);
    lblTitle->Font()->SetColor(clNavy);
    lblTitle->SetCaption("Welcome to the Ombrix Scorvane!");

    Image1 = new TImage(this);
    Place(Image1, this, "Image1", 16, 60, 240, 144);
    Image1->SetStretch(true);
    Image1->SetProportional(true);
    LoadEmbeddedPicture(kOmbrixLogo, Image1->Picture());

    Image2 = new TImage(this);
    Place(Image2, this, "Image2", 250, 230, 190, 114);
    Image2->SetStretch(true);
    Image2->SetProportional(true);
    Image2->SetVisible(false);
    LoadEmbeddedPicture(kVeltraneLogo, Image2->Picture());

    btnAbout = new TSpeedButton(this);
    Place(btnAbout, this, "btnAbout", 440, 10, 32, 32);
    btnAbout->SetHint("About");
    btnAbout->SetShowHint(true);
    {
        TBitmap glyph;
        LoadEmbeddedBitmap(kOmbrixAboutGlyph, &glyph);
        btnAbout->SetGlyph(&glyph);
    }

    sbGen = new TSpeedButton(this);
    Place(sbGen, this, "sbGen", 400, 10, 32, 32);
    sbGen->SetVisible(false);
    {
        TBitmap glyph;
        LoadEmbeddedBitmap(kVeltraneAboutGlyph, &glyph);
        sbGen->SetGlyph(&glyph);
    }

    btnSetup = new TButton(this);
    Place(btnSetup, this, "btnSetup", 300, 80, 160, 36);
    btnSetup->SetCaption("Setup");

    btnStart = new TButton(this);
    Place(btnStart, this, "btnStart", 300, 130, 160, 36);
    btnStart->SetCaption("&Start  ");

    btnExit = new TButton(this);
    Place(btnExit, this, "btnExit", 300, 180, 160, 36);
    btnExit->SetCaption("Exit");

    lblCopyright = new TLabel(this);
    Place(lblCopyright, this, "lblCopyright", 16, 326, 456, 16);
    lblCopyright->SetAutoSize(false);
    lblCopyright->SetCaption(BrandMakerLine(TBrand::Ombrix));

    SioComPort1 = new TSioComPort(this);
    SioComPort1->SetName("SioComPort1");
    SioComPort1->SetBufferFull(3686);
    SioComPort1->SetBufferResume(409);
    // The serial trace and dispatch log go to the program folder, beside
    // the diagnostic log.
    SioComPort1->SetTraceName(ProgramFolder() + "SIO.TRC");
    SioComPort1->SetLogName(ProgramFolder() + "SIO.LOG");
    SioComPort1->SetUseEventWord(false);

    tmrCommDetect = new TTimer(this);
    tmrCommDetect->SetName("tmrCommDetect");
    tmrCommDetect->SetEnabled(false);
    tmrCommDetect->SetInterval(5000);

    OnShow = [this](TObject* s) { FormShow(s); };
    OnDestroy = [this](TObject* s) { FormDestroy(s); };
    btnStart->OnClick = [this](TObject* s) { btnStartClick(s); };
    btnSetup->OnClick = [this](TObject* s) { btnSetupClick(s); };
    btnExit->OnClick = [this](TObject* s) { btnExitClick(s); };
    btnAbout->OnClick = [this](TObject* s) { btnAboutClick(s); };
    tmrCommDetect->OnTimer = [this](TObject* s) { tmrCommDetectTimer(s); };
    DoCreate();
}

TfrmMain::~TfrmMain() { DoDestroy(); }

void TfrmMain::ApplyBrand() {
    brandName_ = BrandName(TBrand::Ombrix);
    settingsFileName_ = BrandSettingsFileName(TBrand::Ombrix);
    if (CurrentBrand() == TBrand::Ombrix) return;
    brandName_ = BrandName(TBrand::Veltrane);
    settingsFileName_ = BrandSettingsFileName(TBrand::Veltrane);
    btnAbout->SetGlyph(sbGen->Glyph());
    Image2->SetLeft(Image1->Left() + 26);
    Image2->SetTop(Image1->Top() + 2);
    Image1->SetVisible(false);
    Image2->SetVisible(true);
    lblCopyright->SetCaption(BrandMakerLine(TBrand::Veltrane));
    lblTitle->SetCaption("Welcome to the Veltrane Scorvane!");
    SetCaption("Veltrane Scorvane");
}

void TfrmMain::FormShow(TObject*) {
    // Serial diagnostics follow the first argument as the diagnostic log
    // does: "TRACE", also behind one leading character ("/TRACE").
    TTraceLogState diagnostics = IsTraceArgument(ParamStr(1)) ? tlOn : tlOff;
    SioComPort1->SetLogging(diagnostics);
    SioComPort1->SetTracing(diagnostics);
    LogWrite("Application Show Main Form");
    ApplyBrand();
    portNo_ = ReadPortNo(ProgramFolder() + settingsFileName_);
    if (portNo_ != 0) {
        SioComPort1->SetComNumber(static_cast<Word>(portNo_));
    } else {
        MessageDlg("Com Port not set up yet.  Setup dialog will now open.", mtInformation, {mbOK});
        btnSetup->Click();
    }
}

void TfrmMain::FormDestroy(TObject*) { LogWrite("Close Main Form"); }

void TfrmMain::btnSetupClick(TObject*) {
    LogWrite("Click Setup");
    auto* setup = new TfrmSetup(this);
    try {
        setup->SioComPort1 = SioComPort1;
        setup->SetPortNo(portNo_);
        if (setup->ShowModal() == mrOk) {
            LogWrite("Setup OK Clicked");
            portNo_ = setup->GetPortNo();
            WritePortNo(ProgramFolder() + settingsFileName_, portNo_);
        }
    } catch (...) {
        delete setup;
        throw;
    }
    delete setup;
}

void TfrmMain::btnStartClick(TObject*) {
    LogWrite("Start Clicked");
    tmrCommDetect->SetEnabled(true);
    auto* work = new TfrmTestWork(this);
    try {
        work->SioComPort1 = SioComPort1;
        work->ShowModal();
    } catch (...) {
        delete work;
        throw;
    }
    delete work;
}

void TfrmMain::btnExitClick(TObject*) {
    LogWrite("Click Exit");
    if (MessageDlg("Are you sure you want to exit?", mtConfirmation, mbYesNo) == mrYes) Application->Terminate();
}

void TfrmMain::btnAboutClick(TObject*) {
    LogWrite("Click About");
    auto* about = new TfrmAbout(this);
    try {
        about->ShowModal();
    } catch (...) {
        delete about;
        throw;
    }
    delete about;
}

void TfrmMain::tmrCommDetectTimer(TObject*) {
    // Off for the whole check, so its message boxes cannot stack up.
    tmrCommDetect->SetEnabled(false);
    std::vector<std::string> ports;
    if (!ListSerialPorts(ports)) {
        ShowMessage("Error opening registry to check comm ports");
    } else {
        int port = SioComPort1->ComNumber();
        std::string wanted = "COM" + IntToStr(port);
        if (std::find(ports.begin(), ports.end(), wanted) == ports.end()) {
            MessageDlg(brandName_ + " machine not found on comm port " + IntToStr(port) + "\r\n" +
                           "The application cannot continue if the machine is unplugged.  This application will close.",
                       mtError, {mbOK});
            Application->Terminate();
        }
    }
    tmrCommDetect->SetEnabled(true);
}
