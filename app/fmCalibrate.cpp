#include "app/fmCalibrate.h"

#include "app/Brand.h"
#include "app/ScannerProtocol.h"
#include "app/UiPause.h"
#include "app/uLogFileOq.h"
#include "platform/core/Strings.h"

namespace {
std::string Instruction(const std::string& brand, int sheets) {
    return "To calibrate your " + brand + " machine you will need  to drop " + IntToStr(sheets) +
           " blank test sheets through your machine.  ";
}

const char* const kSheetTexts[] = {
    "Please drop the first sheet through now.",   "Please drop the second sheet through now.",
    "Please drop the third sheet through now.",   "Please drop the fourth sheet through now.",
    "Please drop the fifth sheet through now.",   "Please drop the sixth sheet through now.",
    "Please drop the seventh sheet through now.", "Please drop the eighth sheet through now.",
};
}  // namespace

TfrmCalibrate::TfrmCalibrate(TComponent* owner) : TForm(owner) {
    SetName("frmCalibrate");
    SetCaption("Calibrate Ombrix Machine");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(360);
    SetClientHeight(196);

    lblInst = new TLabel(this);
    lblInst->SetName("lblInst");
    lblInst->SetParent(this);
    lblInst->SetAutoSize(false);
    lblInst->SetBounds(12, 12, 336, 48);
    lblInst->SetAlignment(taCenter);
    lblInst->SetWordWrap(true);
    lblInst->SetCaption(Instruction("Ombrix", 8));

    lblText = new TLabel(this);
    lblText->SetName("lblText");
    lblText->SetParent(this);
    lblText->SetAutoSize(false);
    lblText->SetBounds(12, 68, 336, 40);
    lblText->SetAlignment(taCenter);
    lblText->SetWordWrap(true);
    lblText->SetCaption("Starting Calibration.  Please Wait...");

    lblNumber = new TLabel(this);
    lblNumber->SetName("lblNumber");
    lblNumber->SetParent(this);
    lblNumber->SetAutoSize(false);
    lblNumber->SetBounds(120, 116, 52, 20);
    lblNumber->SetAlignment(taRightJustify);
    lblNumber->Font()->SetStyle(fsBold);
    lblNumber->SetCaption("1");

    lblTtl = new TLabel(this);
    lblTtl->SetName("lblTtl");
    lblTtl->SetParent(this);
    lblTtl->SetBounds(178, 116, 60, 20);
    lblTtl->Font()->SetStyle(fsBold);
    lblTtl->SetCaption("of 8");

    btnStore = new TButton(this);
    btnStore->SetName("btnStore");
    btnStore->SetParent(this);
    btnStore->SetBounds(84, 154, 110, 29);
    btnStore->SetCaption("&Store Results");
    btnStore->SetDefault(true);

    btnCancel = new TButton(this);
    btnCancel->SetName("btnCancel");
    btnCancel->SetParent(this);
    btnCancel->SetBounds(202, 154, 80, 29);
    btnCancel->SetCaption("Cancel");
    btnCancel->SetCancel(true);

    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnShow = [this](TObject* s) { FormShow(s); };
    OnActivate = [this](TObject* s) { FormActivate(s); };
    OnDestroy = [this](TObject* s) { FormDestroy(s); };
    btnStore->OnClick = [this](TObject* s) { btnStoreClick(s); };
    btnCancel->OnClick = [this](TObject* s) { btnCancelClick(s); };
    DoCreate();
}

TfrmCalibrate::~TfrmCalibrate() { DoDestroy(); }

void TfrmCalibrate::ApplyBrand() {
    brandName_ = BrandName(TBrand::Ombrix);
    if (CurrentBrand() == TBrand::Ombrix) return;
    brandName_ = BrandName(TBrand::Veltrane);
    SetCaption("Calibrate Veltmach");
}

void TfrmCalibrate::SetFirmwareVersion(double v) {
    ApplyBrand();
    version_ = v;
    fourSheets_ = UsesFourSheetCalibration(v);
    if (fourSheets_) {
        lblTtl->SetCaption("of 4");
        lblInst->SetCaption(Instruction(brandName_, 4));
    } else {
        lblInst->SetCaption(Instruction(brandName_, 8));
    }
}

void TfrmCalibrate::FormCreate(TObject*) {}

void TfrmCalibrate::FormShow(TObject*) {
    ApplyBrand();
    SioComPort1->SetOnTriggerAvail([this](TObject* cp, Word count) { SioComPort1TriggerAvail(cp, count); });
    btnStore->SetEnabled(false);
}

void TfrmCalibrate::FormActivate(TObject*) {
    cancelled_ = false;
    complete_ = false;
    SioComPort1->WriteString(kScanCmdAttention);
}

void TfrmCalibrate::FormDestroy(TObject*) {
    LogWrite("Calibrate Closed");
    if (SioComPort1) SioComPort1->SetOnTriggerAvail(nullptr);
}

void TfrmCalibrate::btnCancelClick(TObject*) {
    cancelled_ = true;
    SioComPort1->WriteString(kScanCmdAttention);
}

void TfrmCalibrate::btnStoreClick(TObject*) {
    LogWrite("Calibrate Store Results Clicked");
    Screen->SetCursor(crHourGlass);
    SioComPort1->WriteString(kScanCmdAttention);
}

void TfrmCalibrate::Prompt(const char* text, int sheet) {
    lblText->SetCaption(text);
    lblNumber->SetCaption(IntToStr(sheet));
}

void TfrmCalibrate::SioComPort1TriggerAvail(TObject*, Word count) {
    std::string reply;
    for (Word i = 0; i < count; ++i) reply += SioComPort1->ReadChar();

    TCalibrationReply kind = ClassifyCalibrationReply(reply);
    int sheet = CalibrationSheetNumber(kind, fourSheets_);
    if (sheet > 0) {
        Prompt(kSheetTexts[sheet - 1], sheet);
        return;
    }
    switch (kind) {
    case crReady:
        if (cancelled_)
            Close();
        else if (complete_)
            SioComPort1->WriteString(kScanCmdStore);
        else
            SioComPort1->WriteString(kScanCmdCalibrate);
        break;
    case crComplete:
        lblText->SetCaption("Calibration complete.\r\nClick \"Store Results\" to save the calibration data.");
        complete_ = true;
        Screen->SetCursor(crHourGlass);
        BlockingPause(5000);
        btnStore->SetEnabled(true);
        btnStore->Click();
        break;
    case crStored:
        Screen->SetCursor(crDefault);
        MessageDlg("Calibration data stored successfully!", mtInformation, {mbOK});
        Close();
        break;
    case crStoreFailed:
        MessageDlg("Error, calibration data failed to store.  Machine MUST be re-calibrated.", mtError, {mbOK});
        btnCancel->Click();
        break;
    case crTimedOut:
        MessageDlg("Timed out starting the calibration.  Try again.", mtInformation, {mbOK});
        Close();
        break;
    default:
        break;
    }
}
