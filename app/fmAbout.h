#pragma once
// The About box: the program's name and version, the maker line and the
// brand's picture.

#include "platform/gui/Buttons.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TfrmAbout : public TForm {
public:
    explicit TfrmAbout(TComponent* owner);

    TLabel* lblName;
    TLabel* lblVersion;
    TLabel* lblCopyright;
    TImage* Image1;  // Ombrix picture
    TImage* Image2;  // Veltrane picture, hidden
    TBitBtn* BitBtn1;

    // Ombrix texts and picture, or the Veltrane ones by the program's name.
    void ApplyBrand();

    void FormShow(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
};
