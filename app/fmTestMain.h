#pragma once
// The welcome window: the program's main window. It owns the one serial
// port of the scanner and the unplug watchdog, and opens the port set-up
// dialog, the scoring wizard and the About box.

#include <string>

#include "platform/gui/Buttons.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "serial/SioComPort.h"

class TfrmMain : public TForm {
public:
    explicit TfrmMain(TComponent* owner);
    ~TfrmMain() override;

    TLabel* lblTitle;
    TLabel* lblCopyright;
    TImage* Image1;  // Ombrix logo
    TImage* Image2;  // Veltrane logo, hidden
    TSpeedButton* btnAbout;
    TSpeedButton* sbGen;  // hidden; holds the Veltrane About glyph
    TButton* btnExit;
    TButton* btnSetup;
    TButton* btnStart;
    TSioComPort* SioComPort1;
    TTimer* tmrCommDetect;  // the unplug watchdog

    void ApplyBrand();

    void FormShow(TObject* sender);
    void FormDestroy(TObject* sender);
    void btnStartClick(TObject* sender);
    void btnSetupClick(TObject* sender);
    void btnExitClick(TObject* sender);
    void btnAboutClick(TObject* sender);
    void tmrCommDetectTimer(TObject* sender);

    const std::string& BrandNameText() const { return brandName_; }
    const std::string& SettingsFileName() const { return settingsFileName_; }
    int PortNo() const { return portNo_; }

private:
    std::string brandName_ = "Ombrix";
    std::string settingsFileName_ = "OmbrixSettings.ini";
    int portNo_ = 0;  // 0: not set up
};
