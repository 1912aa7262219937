#pragma once
// TGroupSetupData: the question-groups dialog without its window. It edits
// the wizard's groups table (GGroupNo, GGroupDesc) and question-groups
// table (QQuestionNo, QGroups such as "(1,3)") in place and saves them to
// or reads them from a .TGS file. The window binds its two grids to the
// tables and its buttons to the handlers below; the current rows of the
// tables are the rows selected in the grids.

#include <memory>
#include <string>
#include <vector>

#include "platform/core/Component.h"
#include "platform/data/DataSet.h"
#include "platform/gui/Dialogs.h"

class TGroupSetupData : public TComponent {
public:
    explicit TGroupSetupData(TComponent* owner = nullptr);

    // Set by the wizard before the dialog is shown.
    TDataSet* GroupsTable = nullptr;
    TDataSet* QuestionGroupsTable = nullptr;

    std::string Caption;
    TSaveDialog* SaveDialog1 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;

    // Caption by the running program's brand; both tables on their first row.
    void FormShow();
    // "&New Group": asks for a name; a name that is not blank adds a group.
    void BitBtn3Click();
    // "&Delete Group": takes the current group out of every question's list
    // and deletes it; the overall group cannot be deleted.
    void btnDeleteGroupClick();
    // "&Add Question to Group" (and a double click on a question).
    void btnAddQuestionClick();
    void dbgQuestionsDblClick() { btnAddQuestionClick(); }
    // "&Remove Question from Group".
    void btnRemoveQuestionClick();
    // "Save Settings to File", "Read Settings from File": through the dialogs.
    void btnSaveClick();
    void btnReadClick();

    // The file itself, without the dialogs.
    void SaveToFile(const std::string& fileName);
    void ReadFromFile(const std::string& fileName);

    // Group list operations on one question's QGroups text.
    static bool GroupInList(const std::string& list, int group);
    static std::string AddGroupToList(const std::string& list, int group);
    static std::string RemoveGroupFromList(const std::string& list, int group);

private:
    int CurrentGroup() const;
};

// Line 1 of a .TGS file: the descriptions quoted, quotes inside doubled,
// separated by TAB; and back (false when the line is not such a list).
std::string GroupDescriptionsLine(const std::vector<std::string>& descriptions);
bool ParseGroupDescriptionsLine(const std::string& line, std::vector<std::string>& descriptions);
