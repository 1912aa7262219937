#pragma once
// The setup dialog of the plain-sheet engines: the document dialog with
// active hyperlinks, the items to render, the picture settings and the
// document information bound to the engine.

#include "docexport/deDocDlg.h"

class TdePlainSheetDlg : public TdeDocumentDlg {
public:
    explicit TdePlainSheetDlg(TComponent* owner);

    TCheckBox* ActiveHyperLinksCheck = nullptr;

    void LoadCaptions() override;
    void DoShow() override;
    void OkClick() override;
    void ImageClick();
};
