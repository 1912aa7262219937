#pragma once
// The RTF writer's setup dialog ("RTF Setup"): the plain-sheet dialog
// without the formats RTF cannot hold, with picture-data and encoding
// choices and the background picture.

#include "docexport/dePlnDlg.h"

class TdeRTFEngineDlg : public TdePlainSheetDlg {
public:
    explicit TdeRTFEngineDlg(TComponent* owner);

    TCheckBox* GraphicDataInBinaryCheck = nullptr;
    TRadioGroup* EncodingGroup = nullptr;

    void LoadCaptions() override;
    void DoShow() override;
    void OkClick() override;
};
