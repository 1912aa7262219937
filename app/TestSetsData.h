#pragma once
// TTestSetsData: the test sets dialog without its window. It saves the
// wizard's students' table as a named test set in the database (DataSets
// and DataDetail), loads a saved set into the students' table by replacing
// or appending, deletes sets, and exchanges a set with other installations
// as a .tsf file (tagged text, each line stored hex-encoded). The window
// binds its grid to qrySets (the grid's row is the query's current row),
// the control states below to its controls and its events to the
// handlers. Every save and delete runs in one database transaction, so a
// failure or a kill leaves the old set or the new one, never a mix.

#include <functional>
#include <memory>
#include <string>

#include "app/DialogControls.h"
#include "app/SavedFiles.h"
#include "dbclient/LdbQuery.h"
#include "platform/core/Component.h"
#include "platform/data/DataSet.h"
#include "platform/gui/Dialogs.h"

class TTestSetsData : public TComponent {
public:
    explicit TTestSetsData(TComponent* owner = nullptr);

    // Set by the wizard before the dialog is shown.
    std::string DatabaseName;
    int QtyQuestions = 0;
    TDataSet* DataTable = nullptr;  // students: RecNo, IDNo, Q<n>, P<n>
    std::string TestName, TestID;
    TLdbQuery* ProfilesQuery = nullptr;

    // The saved test sets: "select * from DataSets D where DSType = 'TEST'".
    TLdbQuery* qrySets = nullptr;

    // Controls: the name edit, the buttons, the two progress bars and
    // their labels "Save Records" and "Save Question".
    TDialogControl edtPFName, btnDelete, btnReplace, btnAppend, btnSave, lblRecords, lblQuest;
    TDialogProgress pbRecords, pbQuest;
    TSaveDialog* SaveDialog1 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;
    bool CloseWithOk = false;
    // The highest record number in DataTable after a load; the wizard
    // numbers the next scanned student after it.
    int LastRecNo = 0;
    // Told after each step of a save, after the bars are repainted.
    std::function<void()> OnProgress;

    std::string GetSetName() const { return edtPFName.Text(); }

    void FormShow();
    void edtPFNameChange();
    void dbgTestSetsClick();
    void btnSaveClick();
    void btnDeleteClick();
    void btnReplaceClick();
    void btnAppendClick();
    // "Save Selected Test Set to .tsf File", "Load Test Set From .tsf File".
    void SaveSelectedFormtoFile1Click();
    void LoadFormFile1Click();

    void SaveTestSetToFile(const std::string& fileName);
    void LoadTestSetFromFile(const std::string& fileName);

    int NextDataSetId();
    int NextDetailId();
    void DeleteDetails();
    // Writes the students of DataTable as the details of qrySets' current
    // row, which is in edit or insert state. The caller holds the
    // transaction.
    void SaveTestSetData();
    // Appends the selected set's students to DataTable.
    void LoadTestSetData();

private:
    std::unique_ptr<TLdbQuery> NewQuery(const std::string& sql);
    TLdbConnection* Connection();
    void ShowProgress(bool shown, bool both);
    void Step();
    bool ConfirmQuestionCount();
    void UpdateButtons();
};
