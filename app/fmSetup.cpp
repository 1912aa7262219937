#include "app/fmSetup.h"

#include <exception>

#include "app/Brand.h"
#include "app/fmCalibrate.h"
#include "app/uLogFileOq.h"
#include "platform/core/Program.h"
#include "platform/core/UiQueue.h"
#include "platform/core/Strings.h"

namespace {
constexpr int kLastPort = 24;
const int kTraceHeight = 132;  // room for the trace memo when it is shown
}  // namespace

TfrmSetup::TfrmSetup(TComponent* owner) : TForm(owner) {
    SetName("frmSetup");
    SetCaption("Ombrix Setup");
    SetBorderStyle(bsDialog);
    SetBorderIcons(biSystemMenu);
    SetPosition(poScreenCenter);
    SetClientWidth(330);
    SetClientHeight(204);

    GroupBox1 = new TGroupBox(this);
    GroupBox1->SetName("GroupBox1");
    GroupBox1->SetParent(this);
    GroupBox1->SetBounds(12, 8, 306, 96);
    GroupBox1->SetCaption(" COM Port ");

    cbComPort = new TComboBox(this);
    cbComPort->SetName("cbComPort");
    cbComPort->SetParent(GroupBox1);
    cbComPort->SetBounds(16, 26, 120, 24);
    cbComPort->SetStyle(csDropDownList);
    for (int k = 1; k <= kLastPort; ++k) cbComPort->Items()->Add("Port " + IntToStr(k));

    btnAutodetect = new TButton(this);
    btnAutodetect->SetName("btnAutodetect");
    btnAutodetect->SetParent(GroupBox1);
    btnAutodetect->SetBounds(156, 24, 134, 27);
    btnAutodetect->SetCaption("&Autodetect Port");

    lblCheck = new TLabel(this);
    lblCheck->SetName("lblCheck");
    lblCheck->SetParent(GroupBox1);
    lblCheck->SetBounds(16, 64, 200, 16);
    lblCheck->Font()->SetColor(clNavy);
    lblCheck->SetCaption("Checking Port 1");
    lblCheck->SetVisible(false);

    btnCalibrate = new TButton(this);
    btnCalibrate->SetName("btnCalibrate");
    btnCalibrate->SetParent(this);
    btnCalibrate->SetBounds(12, 116, 306, 29);
    btnCalibrate->SetCaption("&Calibrate Ombrix Machine");

    btnOK = new TButton(this);
    btnOK->SetName("btnOK");
    btnOK->SetParent(this);
    btnOK->SetBounds(150, 162, 80, 29);
    btnOK->SetCaption("OK");
    btnOK->SetDefault(true);
    btnOK->SetModalResult(mrOk);

    btnCancel = new TButton(this);
    btnCancel->SetName("btnCancel");
    btnCancel->SetParent(this);
    btnCancel->SetBounds(238, 162, 80, 29);
    btnCancel->SetCaption("Cancel");
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);

    memTrace = new TMemo(this);
    memTrace->SetName("memTrace");
    memTrace->SetParent(this);
    memTrace->SetBounds(12, 204, 306, kTraceHeight - 12);
    memTrace->SetScrollBars(ssBoth);
    memTrace->SetWordWrap(false);
    memTrace->SetReadOnly(true);
    memTrace->SetVisible(false);

    Timer1 = new TTimer(this);
    Timer1->SetName("Timer1");
    Timer1->SetEnabled(false);
    Timer1->SetInterval(4000);

    OnShow = [this](TObject* s) { FormShow(s); };
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
    OnDestroy = [this](TObject* s) { FormDestroy(s); };
    btnCalibrate->OnClick = [this](TObject* s) { btnCalibrateClick(s); };
    btnAutodetect->OnClick = [this](TObject* s) { btnAutodetectClick(s); };
    cbComPort->OnChange = [this](TObject* s) { cbComPortChange(s); };
    Timer1->OnTimer = [this](TObject* s) { Timer1Timer(s); };
    DoCreate();
}

TfrmSetup::~TfrmSetup() {
    alive_.reset();
    DoDestroy();
}

void TfrmSetup::ApplyBrand() {
    brandName_ = BrandName(TBrand::Ombrix);
    if (CurrentBrand() == TBrand::Ombrix) return;
    brandName_ = BrandName(TBrand::Veltrane);
    btnCalibrate->SetCaption("&Calibrate Veltmach");
    SetCaption("Veltmach Setup");
}

void TfrmSetup::SetPortNo(int n) {
    cbComPort->SetItemIndex(n - 1);
    probePort_ = n;
}

int TfrmSetup::GetPortNo() const { return cbComPort->ItemIndex() + 1; }

void TfrmSetup::UpdateButtons() {
    bool chosen = cbComPort->ItemIndex() >= 0;
    btnOK->SetEnabled(chosen);
    btnCalibrate->SetEnabled(chosen);
}

double TfrmSetup::ParseVersion(const std::string& reply) const { return ParseScannerVersion(reply); }

void TfrmSetup::AttachReceiver() {
    SioComPort1->SetOnTriggerAvail([this](TObject* cp, Word count) { SioComPort1TriggerAvail(cp, count); });
}

void TfrmSetup::DetachReceiver() {
    if (SioComPort1) SioComPort1->SetOnTriggerAvail(nullptr);
}

void TfrmSetup::FormShow(TObject*) {
    ApplyBrand();
    if (ParamStr(1) == "TRACE") {
        memTrace->SetVisible(true);
        SetClientHeight(204 + kTraceHeight);
    }
    btnOK->SetEnabled(false);
    btnCalibrate->SetEnabled(false);
    calibrateRequested_ = false;
    AttachReceiver();
    if (probePort_ == 0) {
        SioComPort1->SetComNumber(0);
        btnAutodetect->Click();
        return;
    }
    try {
        SioComPort1->SetComNumber(static_cast<Word>(probePort_));
        SioComPort1->WriteString(kScanCmdAttention);
    } catch (const Exception&) {
        // The stored port cannot be opened (the scanner was moved or
        // unplugged). Say so, but keep the dialog: it is the place to pick
        // or detect another port.
        Application->HandleException(std::current_exception());
    }
}

void TfrmSetup::FormClose(TObject*, TCloseAction&) { LogWrite("Close Setup Window"); }

void TfrmSetup::FormDestroy(TObject*) { DetachReceiver(); }

void TfrmSetup::cbComPortChange(TObject*) {
    probePort_ = cbComPort->ItemIndex() + 1;
    SioComPort1->SetComNumber(static_cast<Word>(probePort_));
    UpdateButtons();
    SioComPort1->WriteString(kScanCmdAttention);
}

void TfrmSetup::btnAutodetectClick(TObject*) {
    LogWrite("Setup AutoDetect Clicked");
    Screen->SetCursor(crHourGlass);
    probePort_ = 0;
    found_ = false;
    lblCheck->SetVisible(true);
    ProbeNextPort();
}

void TfrmSetup::ProbeNextPort() {
    if (found_) return;
    bool sent = false;
    while (!sent && probePort_ < kLastPort) {
        ++probePort_;
        lblCheck->SetCaption("Checking Port " + IntToStr(probePort_));
        lblCheck->Repaint();
        try {
            SioComPort1->SetComNumber(static_cast<Word>(probePort_));
            SioComPort1->WriteString(kScanCmdAttention);
            sent = true;
        } catch (const std::exception&) {
            // A port that cannot be opened: try the next one at once.
        }
    }
    Timer1->SetEnabled(true);
}

void TfrmSetup::Timer1Timer(TObject*) {
    Timer1->SetEnabled(false);
    if (probePort_ >= kLastPort) {
        Screen->SetCursor(crDefault);
        lblCheck->SetVisible(false);
        MessageDlg("Error!  Could not detect " + brandName_ + " machine.\r\nCheck all cable and driver installations.",
                   mtError, {mbOK});
    } else {
        ProbeNextPort();
    }
}

void TfrmSetup::btnCalibrateClick(TObject*) {
    LogWrite("Setup Calibrate Clicked");
    calibrateRequested_ = true;
    SioComPort1->WriteString(kScanCmdAttention);
}

void TfrmSetup::SioComPort1TriggerAvail(TObject*, Word count) {
    std::string received;
    for (Word i = 0; i < count; ++i) received += SioComPort1->ReadChar();
    // Line ends ahead of a reply are dropped: a stray CR or LF before "K"
    // would otherwise keep the buffer from ever being recognised.
    std::string buffer = receiver_.Buffer() + received;
    buffer.erase(0, std::min(buffer.size(), buffer.find_first_not_of("\r\n")));
    receiver_.Clear();
    receiver_.Append(buffer);
    if (ParamStr(1) == "TRACE") memTrace->Lines()->Add("*****\r\n" + receiver_.Buffer());

    std::string reply;
    switch (receiver_.Classify(&reply)) {
    case srReady: ReadyReply(); break;
    case srVersion: VersionReport(reply); break;
    case srDiscarded:
    case srWaiting: break;
    }
}

void TfrmSetup::ReadyReply() {
    Timer1->SetEnabled(false);
    if (calibrateRequested_) {
        SioComPort1->WriteString(kScanCmdVersion);
        return;
    }
    Screen->SetCursor(crDefault);
    cbComPort->SetItemIndex(probePort_ - 1);
    found_ = true;
    MessageDlg(brandName_ + " machine found on COM port " + IntToStr(probePort_) + ".", mtInformation, {mbOK});
    SioComPort1->SetComNumber(static_cast<Word>(probePort_));
    lblCheck->SetVisible(false);
    btnOK->SetEnabled(true);
    btnCalibrate->SetEnabled(true);
}

void TfrmSetup::VersionReport(const std::string& reply) {
    DetachReceiver();
    // The calibration dialog opens once this notification has returned: the
    // port announces nothing more while one of its handlers is running, and
    // the dialog lives on the scanner's replies.
    double version = ParseVersion(reply);
    std::weak_ptr<bool> alive = alive_;
    UiQueue::Post([this, alive, version] {
        if (alive.lock()) RunCalibration(version);
    });
}

void TfrmSetup::RunCalibration(double version) {
    auto* calibrate = new TfrmCalibrate(this);
    try {
        calibrate->SioComPort1 = SioComPort1;
        calibrate->SetFirmwareVersion(version);
        calibrate->ShowModal();
    } catch (...) {
        delete calibrate;
        AttachReceiver();
        throw;
    }
    delete calibrate;
    AttachReceiver();
}
