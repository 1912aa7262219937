#include "app/fmAbout.h"

#include "app/Brand.h"
#include "app/BrandResources.h"
#include "app/ProgramVersion.h"
#include "app/uLogFileOq.h"
#include "platform/core/FileUtils.h"
#include "platform/core/Program.h"

TfrmAbout::TfrmAbout(TComponent* owner) : TForm(owner) {
    SetName("frmAbout");
    SetCaption("About Ombrix");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(360);
    SetClientHeight(200);

    Image1 = new TImage(this);
    Image1->SetName("Image1");
    Image1->SetParent(this);
    Image1->SetBounds(16, 16, 120, 72);
    Image1->SetStretch(true);
    Image1->SetProportional(true);
    LoadEmbeddedPicture(kOmbrixLogo, Image1->Picture());

    Image2 = new TImage(this);
    Image2->SetName("Image2");
    Image2->SetParent(this);
    Image2->SetBounds(200, 110, 120, 72);
    Image2->SetStretch(true);
    Image2->SetProportional(true);
    Image2->SetVisible(false);
    LoadEmbeddedPicture(kVeltraneLogo, Image2->Picture());

    lblName = new TLabel(this);
    lblName->SetName("lblName");
    lblName->SetParent(this);
    lblName->SetBounds(152, 24, 190, 16);
    lblName->SetAutoSize(false);
    lblName->Font()->SetStyle(fsBold);
    lblName->SetCaption("lblName");

    lblVersion = new TLabel(this);
    lblVersion->SetName("lblVersion");
    lblVersion->SetParent(this);
    lblVersion->SetBounds(152, 48, 190, 16);
    lblVersion->SetAutoSize(false);
    lblVersion->SetCaption("lblVersion");

    lblCopyright = new TLabel(this);
    lblCopyright->SetName("lblCopyright");
    lblCopyright->SetParent(this);
    lblCopyright->SetBounds(16, 104, 328, 32);
    lblCopyright->SetAutoSize(false);
    lblCopyright->SetWordWrap(true);
    lblCopyright->SetCaption(BrandMakerLine(TBrand::Ombrix));

    BitBtn1 = new TBitBtn(this);
    BitBtn1->SetName("BitBtn1");
    BitBtn1->SetParent(this);
    BitBtn1->SetBounds(142, 156, 75, 25);
    BitBtn1->SetKind(bkOK);
    BitBtn1->SetCancel(true);

    OnShow = [this](TObject* s) { FormShow(s); };
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
    DoCreate();
}

void TfrmAbout::ApplyBrand() {
    if (CurrentBrand() == TBrand::Ombrix) return;
    lblCopyright->SetCaption(BrandMakerLine(TBrand::Veltrane));
    Image2->SetBounds(Image1->Left(), Image1->Top(), Image1->Width(), Image1->Height());
    Image1->SetVisible(false);
    Image2->SetVisible(true);
    SetCaption("About Veltrane Wizard");
}

void TfrmAbout::FormShow(TObject*) {
    ApplyBrand();
    TProgramVersionInfo info = ProgramVersionInfo();
    if (!info.Present) return;  // both labels keep their design texts
    std::string version;
    if (!info.QueryValue(kFileVersionQuery, version)) version.clear();
    lblVersion->SetCaption("Version " + version);
    lblName->SetCaption(ExtractFileName(ProgramFileName()));
}

void TfrmAbout::FormClose(TObject*, TCloseAction&) { LogWrite("Close About Window"); }
