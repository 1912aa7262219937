#pragma once
// TTestSetsData: the test sets dialog without its window. It saves the
// wizard's students' table as a named test set in the database (DataSets
// and DataDetail), loads a saved set into the students' table by replacing
// or appending, deletes sets, and exchanges a set with other installations
// as a .tsf file (tagged text, each line stored hex-encoded). The window
// binds its grid to qrySets (the grid's row is the query's current row),
// its edit to edtPFName, its progress bars to pbRecords and pbQuest and
// its buttons to the handlers below.

#include <functional>
#include <memory>
#include <string>

#include "app/SavedFiles.h"
#include "dbclient/LdbQuery.h"
#include "platform/core/Component.h"
#include "platform/data/DataSet.h"
#include "platform/gui/Dialogs.h"

struct TProgressState {
    bool Visible = false;
    int Max = 100;
    int Position = 0;
};

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

    // Controls.
    std::string edtPFName;
    TDialogControlState btnDelete, btnReplace, btnAppend, btnSave;
    TProgressState pbRecords, pbQuest;
    TSaveDialog* SaveDialog1 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;
    bool CloseWithOk = false;
    // The highest record number in DataTable after a load; the wizard
    // numbers the next scanned student after it.
    int LastRecNo = 0;
    // Told after each step of a save, so the window repaints its bars.
    std::function<void()> OnProgress;

    std::string GetSetName() const { return edtPFName; }

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
    // row, which is in edit or insert state.
    void SaveTestSetData();
    // Appends the selected set's students to DataTable.
    void LoadTestSetData();

private:
    std::unique_ptr<TLdbQuery> NewQuery(const std::string& sql);
    bool ConfirmQuestionCount();
    void UpdateButtons();
};
