#include "docexport/dePlnDlg.h"

#include "docexport/deCstPlnEng.h"
#include "docexport/deDocSettings.h"
#include "platform/core/Strings.h"

TdePlainSheetDlg::TdePlainSheetDlg(TComponent* owner) : TdeDocumentDlg(owner) {
    ActiveHyperLinksCheck = new TCheckBox(this);
    ActiveHyperLinksCheck->SetParent(PrefPage);
    ActiveHyperLinksCheck->SetBounds(8, 212, 250, 17);
    ActiveHyperLinksCheck->SetCaption("Active HyperLinks");
    ImageCheck->OnClick = [this](TObject*) { ImageClick(); };
}

void TdePlainSheetDlg::LoadCaptions() {
    TdeDocumentDlg::LoadCaptions();
    if (ActiveHyperLinksCheck) ActiveHyperLinksCheck->SetCaption("Active HyperLinks");
}

void TdePlainSheetDlg::DoShow() {
    if (!Engine) return;
    if (auto* plain = dynamic_cast<TdeCustomPlainsheetEngine*>(Engine))
        ActiveHyperLinksCheck->SetChecked(plain->Preferences()->ActiveHyperLinks);
    TdeItemsToRender items = Engine->ItemsToRender();
    TextCheck->SetChecked(items & ItemBit(irText));
    ShapeCheck->SetChecked(items & ItemBit(irShape));
    ImageCheck->SetChecked(items & ItemBit(irImage));
    ImageGroup->SetEnabled(ImageCheck->Checked());
    SelectValue(PixelFormatList, PixelFormatValues, Engine->ImageSettings()->ImagePixelFormat);
    SourceDpiEdit->SetText(std::to_string(Engine->ImageSettings()->SourceDPI));
    TdeDocInfo* info = Engine->DocInfo();
    AuthorEdit->SetText(info->Author());
    CreatorEdit->SetText(info->Creator());
    KeywordsEdit->SetText(info->Keywords());
    SubjectEdit->SetText(info->Subject());
    TitleEdit->SetText(info->Title());
    TdeDocumentDlg::DoShow();
}

void TdePlainSheetDlg::ImageClick() {
    ImageGroup->SetEnabled(ImageCheck->Checked());
    UpdateJpegQuality();
}

void TdePlainSheetDlg::OkClick() {
    if (!Engine) {
        TdeDocumentDlg::OkClick();
        return;
    }
    if (auto* plain = dynamic_cast<TdeCustomPlainsheetEngine*>(Engine))
        plain->Preferences()->ActiveHyperLinks = ActiveHyperLinksCheck->Checked();
    TdeItemsToRender items = Engine->ItemsToRender();
    auto apply = [&](TCheckBox* box, TdeItemToRender item) {
        if (box->Checked())
            items |= ItemBit(item);
        else
            items &= ~ItemBit(item);
    };
    apply(TextCheck, irText);
    apply(ShapeCheck, irShape);
    apply(ImageCheck, irImage);
    Engine->SetItemsToRender(items);
    TdeImageSettings* image = Engine->ImageSettings();
    image->SetOutputImageFormat(
        TdeOutputImageFormat(SelectedValue(OutputFormatList, OutputFormatValues, image->OutputImageFormat())));
    Integer quality = 0;
    if (!JpegQualityEdit->Text().empty() && TryStrToInt(JpegQualityEdit->Text(), quality))
        image->JPEGQuality = quality;
    image->ImagePixelFormat =
        TPixelFormat(SelectedValue(PixelFormatList, PixelFormatValues, image->ImagePixelFormat));
    // A text that is not a number raises the conversion error here; the
    // dialog stays open with the rest unwritten.
    image->SourceDPI = StrToInt(SourceDpiEdit->Text());
    TdeDocInfo* info = Engine->DocInfo();
    info->SetAuthor(AuthorEdit->Text());
    info->SetCreator(CreatorEdit->Text());
    info->SetKeywords(KeywordsEdit->Text());
    info->SetSubject(SubjectEdit->Text());
    info->SetTitle(TitleEdit->Text());
    TdeDocumentDlg::OkClick();
}
