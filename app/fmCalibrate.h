#pragma once
// The calibration dialog: leads the user through feeding 4 or 8 blank
// sheets (by the scanner's version) and stores the result in the scanner.
// It borrows the welcome window's serial port from the set-up dialog.

#include <string>

#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "serial/SioComPort.h"

class TfrmCalibrate : public TForm {
public:
    explicit TfrmCalibrate(TComponent* owner);
    ~TfrmCalibrate() override;

    TLabel* lblInst;    // instruction
    TLabel* lblText;    // status
    TLabel* lblNumber;  // the counter "1" "of 8"
    TLabel* lblTtl;
    TButton* btnStore;
    TButton* btnCancel;

    TSioComPort* SioComPort1 = nullptr;  // borrowed

    // Before showing: the scanner's version picks 4 or 8 sheets.
    void SetFirmwareVersion(double v);
    void ApplyBrand();

    void FormCreate(TObject* sender);
    void FormShow(TObject* sender);
    void FormActivate(TObject* sender);
    void FormDestroy(TObject* sender);
    void btnCancelClick(TObject* sender);
    void btnStoreClick(TObject* sender);
    void SioComPort1TriggerAvail(TObject* cp, Word count);

    bool FourSheets() const { return fourSheets_; }
    double FirmwareVersion() const { return version_; }
    const std::string& BrandNameText() const { return brandName_; }

private:
    void Prompt(const char* text, int sheet);

    std::string brandName_ = "Ombrix";
    double version_ = 0;
    bool fourSheets_ = false;
    bool cancelled_ = false;
    bool complete_ = false;
};
