#pragma once
// The scoring wizard's window. For now an empty window with the wizard's
// caption and brand; the wizard's pages come with the scoring wizard.

#include <string>

#include "platform/gui/Forms.h"
#include "serial/SioComPort.h"

class TfrmTestWork : public TForm {
public:
    explicit TfrmTestWork(TComponent* owner);

    // The welcome window's port, borrowed while the wizard is open.
    TSioComPort* SioComPort1 = nullptr;

    void ApplyBrand();
    // Opens the About box.
    void ShowAbout();

    void FormShow(TObject* sender);

    const std::string& BrandNameText() const { return brandName_; }
    const std::string& SettingsFileName() const { return settingsFileName_; }

private:
    std::string brandName_ = "Ombrix";
    std::string settingsFileName_ = "OmbrixSettings.ini";
};
