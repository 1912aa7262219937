#pragma once
// TProfilesData: the profiles dialog without its window. It lists the saved
// profiles through the wizard's profiles query, lets the user pick one to
// load or name one to save, deletes a profile with all its rows, and
// exchanges a profile with other installations as a .pff file (tagged
// text, each line stored hex-encoded). The window binds its grid to
// ProfilesQuery (the grid's row is the query's current row), binds the
// control states below to its controls and its events to the handlers.

#include <string>

#include "app/DialogControls.h"
#include "app/SavedFiles.h"
#include "dbclient/LdbQuery.h"
#include "platform/core/Component.h"
#include "platform/gui/Dialogs.h"

class TProfilesData : public TComponent {
public:
    explicit TProfilesData(TComponent* owner = nullptr);

    // Set by the wizard before the dialog is shown: its open query of all
    // profiles ordered by PFName, and the mode.
    TLdbQuery* ProfilesQuery = nullptr;
    bool SelectMode = false;

    // Controls: the name edit, its label and the buttons "&Select",
    // "&Save" and "Delete Selected Profile".
    TDialogControl edtPFName, lblSaveAs, btnOK, btnSave, btnDelete;
    TSaveDialog* SaveDialog1 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;
    // Set when the dialog ends with OK ("&Select", or a save confirmed).
    bool CloseWithOk = false;

    std::string GetProfileName() const { return edtPFName.Text(); }

    void FormShow();
    void edtPFNameChange();
    void dbgProfilesClick();
    void dbgProfilesDblClick();
    void btnSaveClick();
    void btnDeleteClick();
    void btnFilesClick();
    // "Save Selected Profile to .pff File", "Load Profile From .pff File".
    void SaveSelectedFormtoFile1Click();
    void LoadFormFile1Click();

    // The file transfer without the dialogs.
    void SaveProfileToFile(const std::string& fileName);
    void LoadProfileFromFile(const std::string& fileName);

    // Highest PFNo + 1; 1 for no profiles (the profile store's numbering).
    int NextProfileNo();

private:
    int SelectedProfileNo() const;
    void Reopen(TLdbQuery* query);
};
