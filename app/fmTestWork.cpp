#include "app/fmTestWork.h"

#include "app/Brand.h"
#include "app/fmAbout.h"

TfrmTestWork::TfrmTestWork(TComponent* owner) : TForm(owner) {
    SetName("frmTestWork");
    SetCaption("Ombrix Scorvane");
    SetPosition(poScreenCenter);
    SetBounds(0, 0, 640, 480);
    OnShow = [this](TObject* s) { FormShow(s); };
    DoCreate();
}

void TfrmTestWork::ApplyBrand() {
    brandName_ = BrandName(TBrand::Ombrix);
    settingsFileName_ = BrandSettingsFileName(TBrand::Ombrix);
    if (CurrentBrand() == TBrand::Ombrix) return;
    brandName_ = BrandName(TBrand::Veltrane);
    settingsFileName_ = BrandSettingsFileName(TBrand::Veltrane);
    SetCaption("Veltrane Scorvane");
}

void TfrmTestWork::ShowAbout() {
    auto* about = new TfrmAbout(this);
    try {
        about->ShowModal();
    } catch (...) {
        delete about;
        throw;
    }
    delete about;
}

void TfrmTestWork::FormShow(TObject*) { ApplyBrand(); }
