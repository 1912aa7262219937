#pragma once
// The "Profiles" dialog: the saved profiles in a list, to pick one to load
// (select mode) or to name the set-up to save (save mode), to delete one
// with all its rows, and to exchange one as a .pff file through the
// ".pff Files" menu. The logic is TProfilesData; this window owns it,
// binds its control states to the controls and its handlers to the
// controls' events.
//
// The wizard sets ProfilesQuery and SelectMode, calls ShowModal and, after
// OK in save mode, reads GetProfileName().

#include <string>

#include "app/DialogGrid.h"
#include "app/ProfilesData.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"

class TfrmProfiles : public TForm {
public:
    explicit TfrmProfiles(TComponent* owner);
    ~TfrmProfiles() override;

    TProfilesData* Data;
    // Set before showing: the wizard's open query of all profiles ordered
    // by PFName, and the mode.
    TLdbQuery*& ProfilesQuery = Data->ProfilesQuery;
    bool& SelectMode = Data->SelectMode;

    TLabel* Label1;
    TDialogGrid* dbgProfiles;  // No, Name, Test Name, Test ID
    TLabel* lblSaveAs;
    TEdit* edtPFName;
    TButton* btnOK;  // "&Select"
    TButton* btnCancel;
    TButton* btnSave;
    TButton* btnDelete;
    TButton* btnFiles;
    TPopupMenu* pmFiles;
    TMenuItem* SaveSelectedFormtoFile1;
    TMenuItem* LoadFormFile1;

    std::string GetProfileName() const { return Data->GetProfileName(); }

    void FormShow(TObject* sender);
    void btnFilesClick(TObject* sender);

private:
    // Ends the dialog with OK when the logic decided so.
    void CloseIfDone();
};
