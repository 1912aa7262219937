#pragma once
// The scanner port set-up dialog: finds the port the scanner is attached
// to, by probing the chosen port or every port from 1 to 24 in turn, and
// starts a calibration. It borrows the welcome window's serial port.

#include <memory>
#include <string>

#include "app/ScannerProtocol.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "serial/SioComPort.h"

class TfrmSetup : public TForm {
public:
    explicit TfrmSetup(TComponent* owner);
    ~TfrmSetup() override;

    TGroupBox* GroupBox1;
    TComboBox* cbComPort;  // "Port 1" to "Port 24"; item k - 1 is port k
    TButton* btnAutodetect;
    TLabel* lblCheck;
    TButton* btnOK;
    TButton* btnCancel;
    TButton* btnCalibrate;
    TMemo* memTrace;
    TTimer* Timer1;  // the time each probed port has to answer

    // The welcome window's port, borrowed while the dialog is open.
    TSioComPort* SioComPort1 = nullptr;

    // Before showing: the stored port (0: none).
    void SetPortNo(int n);
    // After OK: the chosen port (0: none).
    int GetPortNo() const;
    void UpdateButtons();
    void ProbeNextPort();
    double ParseVersion(const std::string& reply) const;
    void ApplyBrand();

    void FormShow(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void FormDestroy(TObject* sender);
    void btnCalibrateClick(TObject* sender);
    void cbComPortChange(TObject* sender);
    void btnAutodetectClick(TObject* sender);
    void Timer1Timer(TObject* sender);
    void SioComPort1TriggerAvail(TObject* cp, Word count);

    const std::string& BrandNameText() const { return brandName_; }
    int ProbePortNo() const { return probePort_; }
    bool Found() const { return found_; }

private:
    void AttachReceiver();
    void DetachReceiver();
    void ReadyReply();
    void VersionReport(const std::string& reply);
    void RunCalibration(double version);

    std::string brandName_ = "Ombrix";
    int probePort_ = 0;  // 0 to 24
    bool found_ = false;
    bool calibrateRequested_ = false;
    TScannerSetupReceiver receiver_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // for work posted to later
};
