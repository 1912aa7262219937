#include "app/GroupSetupData.h"

#include "app/Brand.h"
#include "app/SavedFiles.h"
#include "app/WorkPrompts.h"
#include "platform/core/Exception.h"
#include "platform/core/Strings.h"
#include "platform/data/Field.h"

TGroupSetupData::TGroupSetupData(TComponent* owner) : TComponent(owner) {
    SaveDialog1 = new TSaveDialog(this);
    SaveDialog1->DefaultExt = "TGS";
    SaveDialog1->Filter = "Test Group Settings (*.TGS)|*.TGS";
    OpenDialog1 = new TOpenDialog(this);
    OpenDialog1->DefaultExt = "TGS";
    OpenDialog1->Filter = "Test Group Settings (*.TGS)|*.TGS";
}

void TGroupSetupData::FormShow() {
    Caption = CurrentBrand() == TBrand::Ombrix ? "Ombrix Question Groups Setup" : "Veltmach Question Groups Setup";
    GroupsTable->First();
    QuestionGroupsTable->First();
}

int TGroupSetupData::CurrentGroup() const { return GroupsTable->FieldByName("GGroupNo")->AsInteger(); }

bool TGroupSetupData::GroupInList(const std::string& list, int group) {
    const std::string g = "," + std::to_string(group);
    return list.find(g + ",") != std::string::npos || list.find(g + ")") != std::string::npos;
}

std::string TGroupSetupData::AddGroupToList(const std::string& list, int group) {
    const std::size_t close = list.find(')');
    // A list without its closing parenthesis is not a group list; it is
    // left as it is rather than made worse.
    if (group == 1 || close == std::string::npos || GroupInList(list, group)) return list;
    return list.substr(0, close) + "," + std::to_string(group) + list.substr(close);
}

std::string TGroupSetupData::RemoveGroupFromList(const std::string& list, int group) {
    const std::string g = "," + std::to_string(group);
    std::size_t at = list.find(g + ",");
    if (at != std::string::npos) return list.substr(0, at) + list.substr(at + g.size());
    at = list.find(g + ")");
    if (at != std::string::npos) return list.substr(0, at) + list.substr(at + g.size());
    return list;
}

void TGroupSetupData::BitBtn3Click() {
    std::string name;
    if (!WorkInputQuery("New Group", "Enter a new group name.", name) || Trim(name).empty()) return;
    // The highest number + 1, so a number is never given twice.
    int next = 1;
    GroupsTable->First();
    for (; !GroupsTable->Eof(); GroupsTable->Next()) next = std::max(next, CurrentGroup() + 1);
    GroupsTable->Append();
    GroupsTable->FieldByName("GGroupNo")->SetAsInteger(next);
    GroupsTable->FieldByName("GGroupDesc")->SetAsString(name);
    GroupsTable->Post();
}

void TGroupSetupData::btnDeleteGroupClick() {
    if (GroupsTable->IsEmpty()) return;
    const int g = CurrentGroup();
    if (g == 1) {
        WorkMessage(wmInformation, "Cannot delete the overall group.");
        return;
    }
    if (!WorkConfirm("Are you sure that you want to delete this group?")) return;
    TField* groups = QuestionGroupsTable->FieldByName("QGroups");
    for (QuestionGroupsTable->First(); !QuestionGroupsTable->Eof(); QuestionGroupsTable->Next()) {
        const std::string list = groups->AsString();
        const std::string changed = RemoveGroupFromList(list, g);
        if (changed == list) continue;
        QuestionGroupsTable->Edit();
        groups->SetAsString(changed);
        QuestionGroupsTable->Post();
    }
    GroupsTable->Delete();
    GroupsTable->First();
    QuestionGroupsTable->First();
}

void TGroupSetupData::btnAddQuestionClick() {
    if (GroupsTable->IsEmpty() || QuestionGroupsTable->IsEmpty()) return;
    TField* groups = QuestionGroupsTable->FieldByName("QGroups");
    const std::string list = groups->AsString();
    const std::string changed = AddGroupToList(list, CurrentGroup());
    if (changed == list) return;
    QuestionGroupsTable->Edit();
    groups->SetAsString(changed);
    QuestionGroupsTable->Post();
}

void TGroupSetupData::btnRemoveQuestionClick() {
    if (GroupsTable->IsEmpty() || QuestionGroupsTable->IsEmpty()) return;
    TField* groups = QuestionGroupsTable->FieldByName("QGroups");
    const std::string list = groups->AsString();
    const std::string changed = RemoveGroupFromList(list, CurrentGroup());
    if (changed == list) return;
    QuestionGroupsTable->Edit();
    groups->SetAsString(changed);
    QuestionGroupsTable->Post();
}

std::string GroupDescriptionsLine(const std::vector<std::string>& descriptions) {
    std::string line;
    for (std::size_t k = 0; k < descriptions.size(); ++k) {
        if (k) line += '\t';
        line += '"' + StringReplace(descriptions[k], "\"", "\"\"", {rfReplaceAll}) + '"';
    }
    return line;
}

bool ParseGroupDescriptionsLine(const std::string& line, std::vector<std::string>& descriptions) {
    descriptions.clear();
    std::size_t i = 0;
    while (true) {
        std::string item;
        if (i < line.size() && line[i] == '"') {
            ++i;
            while (true) {
                if (i >= line.size()) return false;  // the closing quote is missing
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += line[i++];
            }
        }
        // Text after the quoted part, or an item written without quotes.
        while (i < line.size() && line[i] != '\t') item += line[i++];
        descriptions.push_back(item);
        if (i >= line.size()) return true;
        ++i;  // the TAB
    }
}

void TGroupSetupData::SaveToFile(const std::string& fileName) {
    std::vector<std::string> descriptions;
    for (GroupsTable->First(); !GroupsTable->Eof(); GroupsTable->Next())
        descriptions.push_back(GroupsTable->FieldByName("GGroupDesc")->AsString());
    std::vector<std::string> lines{GroupDescriptionsLine(descriptions)};
    for (QuestionGroupsTable->First(); !QuestionGroupsTable->Eof(); QuestionGroupsTable->Next())
        lines.push_back(QuestionGroupsTable->FieldByName("QGroups")->AsString());
    GroupsTable->First();
    QuestionGroupsTable->First();
    SaveHexLines(fileName, lines);
}

namespace {

// "(1)" or "(1,3,4)": the overall group first, then group numbers.
bool IsGroupList(const std::string& list) {
    if (list.size() < 3 || list.compare(0, 2, "(1") != 0 || list.back() != ')') return false;
    bool digitBefore = true;
    for (std::size_t k = 2; k + 1 < list.size(); ++k) {
        const char c = list[k];
        if (c == ',') {
            if (!digitBefore) return false;
            digitBefore = false;
        } else if (c >= '0' && c <= '9') {
            if (k == 2) return false;  // "(12)" does not begin with group 1
            digitBefore = true;
        } else {
            return false;
        }
    }
    return digitBefore;
}

}  // namespace

void TGroupSetupData::ReadFromFile(const std::string& fileName) {
    // The whole file is checked before the tables are touched: a file that
    // is not a question groups file changes nothing.
    const std::vector<std::string> lines = LoadHexLines(fileName);
    std::vector<std::string> descriptions;
    bool valid = !lines.empty() && ParseGroupDescriptionsLine(lines[0], descriptions);
    for (std::size_t k = 1; valid && k < lines.size(); ++k) valid = IsGroupList(lines[k]);
    if (!valid) throw Exception("The file \"" + fileName + "\" is not a question groups file.");

    while (!GroupsTable->IsEmpty()) {
        GroupsTable->First();
        GroupsTable->Delete();
    }
    for (std::size_t k = 0; k < descriptions.size(); ++k) {
        GroupsTable->Append();
        GroupsTable->FieldByName("GGroupNo")->SetAsInteger(static_cast<int>(k) + 1);
        GroupsTable->FieldByName("GGroupDesc")->SetAsString(descriptions[k]);
        GroupsTable->Post();
    }
    std::size_t line = 1;
    for (QuestionGroupsTable->First(); !QuestionGroupsTable->Eof() && line < lines.size(); QuestionGroupsTable->Next()) {
        QuestionGroupsTable->Edit();
        QuestionGroupsTable->FieldByName("QGroups")->SetAsString(lines[line++]);
        QuestionGroupsTable->Post();
    }
    GroupsTable->First();
    QuestionGroupsTable->First();
}

void TGroupSetupData::btnSaveClick() {
    if (!SaveDialog1->Execute()) return;
    SaveToFile(SaveDialog1->FileName);
}

void TGroupSetupData::btnReadClick() {
    if (!OpenDialog1->Execute()) return;
    ReadFromFile(OpenDialog1->FileName);
}
