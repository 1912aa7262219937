#include "app/ProfilesData.h"

#include <memory>
#include <vector>

#include "app/ProfileStore.h"
#include "app/WorkPrompts.h"
#include "app/uLogFileOq.h"
#include "platform/core/FileUtils.h"
#include "platform/core/Strings.h"
#include "platform/data/Field.h"

namespace {

// The child tables of a profile, in the order the file holds them, with
// the columns written for each row.
struct TChildTable {
    const char* Table;
    const char* Tag;
    const char* KeyColumn;
    std::vector<const char*> Columns;
    const char* StopList;
};

const TChildTable kChildTables[] = {
    {"Groups", "GROUPS", "PGProfile", {"PGGroupNo", "PGDesc"}, "GROUPQ,MASTER,POINTS,/PROFILES"},
    {"GroupQ", "GROUPQ", "PGQProfile", {"PGQQuestion", "PGQGroups"}, "GROUP,MASTER,POINTS,/PROFILES"},
    {"Master", "MASTER", "PMProfile", {"PMQuestion", "PMValue"}, "GROUPQ,GROUPS,POINTS,/PROFILES"},
    {"Points", "POINTS", "PVProfile", {"PVQuestion", "PVValue", "PVPenalty"}, "GROUPQ,MASTER,GROUPS,/PROFILES"},
};

std::string Element(const std::string& indent, const std::string& name, const std::string& value) {
    return indent + "<" + name + ">" + value + "</" + name + ">";
}

}  // namespace

TProfilesData::TProfilesData(TComponent* owner) : TComponent(owner) {
    SaveDialog1 = new TSaveDialog(this);
    SaveDialog1->DefaultExt = "pff";
    SaveDialog1->Filter = "Profile File (*.pff)|*.pff";
    OpenDialog1 = new TOpenDialog(this);
    OpenDialog1->DefaultExt = "pff";
    OpenDialog1->Filter = "Profile File (*.pff)|*.pff";
}

void TProfilesData::FormShow() {
    edtPFName.SetVisible(!SelectMode);
    lblSaveAs.SetVisible(!SelectMode);
    btnSave.SetVisible(!SelectMode);
    btnOK.SetVisible(SelectMode);
    if (!SelectMode) edtPFName.SetText("");
    const bool any = !ProfilesQuery->IsEmpty();
    btnOK.SetEnabled(any);
    btnSave.SetEnabled(any);
    btnDelete.SetEnabled(any);
}

void TProfilesData::edtPFNameChange() { btnSave.SetEnabled(!Trim(edtPFName.Text()).empty()); }

void TProfilesData::dbgProfilesClick() {
    if (SelectMode || ProfilesQuery->IsEmpty()) return;
    edtPFName.SetText(ProfilesQuery->FieldByName("PFName")->AsString());
    edtPFNameChange();
}

void TProfilesData::dbgProfilesDblClick() {
    if (SelectMode) {
        if (!ProfilesQuery->IsEmpty()) CloseWithOk = true;
        return;
    }
    dbgProfilesClick();
    btnSaveClick();
}

void TProfilesData::btnSaveClick() {
    LogWrite("Profile Save Clicked");
    edtPFName.SetText(Trim(edtPFName.Text()));
    if (!ProfilesQuery->Locate("PFName", Variant(edtPFName.Text()), 0) ||
        WorkConfirm("Do you want to replace this profile?"))
        CloseWithOk = true;
}

int TProfilesData::SelectedProfileNo() const { return ProfilesQuery->FieldByName("PFNo")->AsInteger(); }

void TProfilesData::btnDeleteClick() {
    LogWrite("Profile Delete Selected Profile Clicked");
    if (ProfilesQuery->IsEmpty()) return;
    if (!WorkConfirm("Are you sure you want to delete the selected profile?")) return;
    auto* connection = ProfilesQuery->Connection();
    if (!connection) throw Exception("The profiles are not open.");
    TProfileStore(connection).DeleteProfile(SelectedProfileNo(), ProfilesQuery);
    if (ProfilesQuery->IsEmpty()) btnDelete.SetEnabled(false);
}

void TProfilesData::btnFilesClick() { LogWrite("Profile .pff Files Clicked"); }

int TProfilesData::NextProfileNo() {
    auto* connection = ProfilesQuery->Connection();
    if (!connection) throw Exception("The profiles are not open.");
    return TProfileStore(connection).NextProfileNo();
}

void TProfilesData::SaveProfileToFile(const std::string& fileName) {
    if (ProfilesQuery->IsEmpty()) throw Exception("There is no profile to save.");
    std::vector<std::string> lines{"<PROFILES>"};
    for (int k = 0; k < ProfilesQuery->FieldCount(); ++k) {
        TField* f = ProfilesQuery->Fields()[k];
        if (UpperCase(f->FieldName()) == "PFNO") continue;
        lines.push_back(Element("  ", f->FieldName(), f->AsString()));
    }
    const int pf = SelectedProfileNo();
    for (const TChildTable& child : kChildTables) {
        TLdbQuery q(this);
        q.SetDatabaseName(ProfilesQuery->DatabaseName());
        q.SQL().SetText(std::string("select * from ") + child.Table + " where " + child.KeyColumn + " = :pPF");
        q.ParamByName("pPF")->SetAsInteger(pf);
        q.Open();
        for (; !q.Eof(); q.Next()) {
            lines.push_back(std::string("  <") + child.Tag + ">");
            for (const char* column : child.Columns) {
                TField* f = q.FindField(column);
                lines.push_back(Element("    ", column, f ? f->AsString() : std::string()));
            }
            lines.push_back(std::string("  </") + child.Tag + ">");
        }
    }
    lines.push_back("</PROFILES>");
    SaveHexLines(fileName, lines);
}

void TProfilesData::SaveSelectedFormtoFile1Click() {
    if (ProfilesQuery->IsEmpty()) return;
    SaveDialog1->FileName =
        ExtractFilePath(SaveDialog1->FileName) + ProfilesQuery->FieldByName("PFName")->AsString() + ".pff";
    if (!SaveDialog1->Execute()) return;
    SaveProfileToFile(SaveDialog1->FileName);
}

void TProfilesData::LoadProfileFromFile(const std::string& fileName) {
    THyperParse parser;
    TokenizeSavedLines(parser, LoadHexLines(fileName), fileName);
    TSavedFileReader reader(this, ProfilesQuery->DatabaseName(), fileName);
    const TSectionRule profileRule{"Profiles", "Profiles section", "GROUPS,GROUPQ,MASTER,POINTS,/PROFILES",
                                   false, true, true};
    Int64 p = 0;
    int i = 0;
    try {
        while (i < parser.Count()) {
            const int before = i;
            if (parser.Items(i).TagName == "PROFILES") {
                p = NextProfileNo();
                reader.ReadSection(parser, i, profileRule, {{"PFNo", p}});
            }
            for (const TChildTable& child : kChildTables) {
                if (i >= parser.Count() || parser.Items(i).TagName != child.Tag) continue;
                const TSectionRule rule{child.Table, std::string(child.Table) + " section", child.StopList,
                                        true, false, false};
                reader.ReadSection(parser, i, rule, {{child.KeyColumn, p}});
            }
            if (i == before) ++i;
        }
    } catch (...) {
        Reopen(ProfilesQuery);
        throw;
    }
    Reopen(ProfilesQuery);
}

void TProfilesData::Reopen(TLdbQuery* query) {
    query->Close();
    query->Open();
}

void TProfilesData::LoadFormFile1Click() {
    if (!OpenDialog1->Execute()) return;
    LoadProfileFromFile(OpenDialog1->FileName);
}
