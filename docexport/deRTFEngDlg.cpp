#include "docexport/deRTFEngDlg.h"

#include "docexport/deDocSettings.h"
#include "docexport/deRTFEng.h"

TdeRTFEngineDlg::TdeRTFEngineDlg(TComponent* owner) : TdePlainSheetDlg(owner) {
    GraphicDataInBinaryCheck = new TCheckBox(this);
    GraphicDataInBinaryCheck->SetParent(PrefPage);
    GraphicDataInBinaryCheck->SetBounds(8, 236, 250, 17);
    EncodingGroup = new TRadioGroup(this);
    EncodingGroup->SetParent(PrefPage);
    EncodingGroup->SetBounds(8, 260, 313, 45);
    EncodingGroup->SetColumns(2);
    LoadCaptions();
    RemoveItem(OutputFormatList, OutputFormatValues, "GIF");
    RemoveItem(DisplayTypeList, DisplayTypeValues, "Tile");
    BackgroundColorLabel->SetVisible(false);
    BackgroundColorBox->SetVisible(false);
}

void TdeRTFEngineDlg::LoadCaptions() {
    TdePlainSheetDlg::LoadCaptions();
    SetCaption("RTF Setup");
    if (!GraphicDataInBinaryCheck) return;  // still being built
    GraphicDataInBinaryCheck->SetCaption("Graphic Data In Binary");
    EncodingGroup->SetCaption("Encoding Type");
    EncodingGroup->Items()->Clear();
    EncodingGroup->Items()->Add("Positional Accuracy");
    EncodingGroup->Items()->Add("Ease Of Editing");
}

void TdeRTFEngineDlg::DoShow() {
    auto* rtf = dynamic_cast<TdeRTFEngine*>(Engine);
    if (rtf) {
        GraphicDataInBinaryCheck->SetChecked(rtf->Preferences()->GraphicDataInBinary);
        EncodingGroup->SetItemIndex(rtf->DocumentEncodingType());
        SelectValue(OutputFormatList, OutputFormatValues, rtf->ImageSettings()->OutputImageFormat());
        JpegQualityEdit->SetText(std::to_string(rtf->ImageSettings()->JPEGQuality));
        UpdateJpegQuality();
        TGraphic* g = rtf->BackgroundImage()->Graphic();
        BackgroundImage->Picture()->SetGraphic(g);
        SelectValue(DisplayTypeList, DisplayTypeValues, rtf->BackgroundImageDisplayType());
        if (!g || g->Empty()) ClearImageClick();
    }
    TdePlainSheetDlg::DoShow();
    UpdateJpegQuality();
}

void TdeRTFEngineDlg::OkClick() {
    auto* rtf = dynamic_cast<TdeRTFEngine*>(Engine);
    TdePlainSheetDlg::OkClick();
    if (!rtf) return;
    rtf->Preferences()->GraphicDataInBinary = GraphicDataInBinaryCheck->Checked();
    rtf->SetDocumentEncodingType(EncodingGroup->ItemIndex() == 1 ? etEaseOfEditing : etPositionalAccuracy);
    rtf->BackgroundImage()->SetGraphic(BackgroundImage->Picture()->Graphic());
    int type = SelectedValue(DisplayTypeList, DisplayTypeValues, rtf->BackgroundImageDisplayType());
    rtf->SetBackgroundImageDisplayType(TdeBackgroundDisplayType(type));
}
