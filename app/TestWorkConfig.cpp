// The configuration and point-value pages' logic: the form number, the
// answer labels, the checks of Configuration Next, the key record the point
// editors write into, and the parts of a loaded profile (groups, point
// values, answer key) that apply when it was saved for the same number of
// questions.

#include <string>
#include <vector>

#include "app/ProfileStore.h"
#include "app/TestWorkData.h"
#include "platform/core/Format.h"
#include "platform/core/Strings.h"
#include "platform/data/DB.h"

namespace {

constexpr int kMaxQuestions = 300;

// The number in characters [from, from + 2) of the form number; 0 when
// they are no number.
int FormDigits(const std::string& text, std::size_t from) {
    if (from >= text.size()) return 0;
    Integer value = 0;
    return TryStrToInt(text.substr(from, 2), value) ? value : 0;
}

void EditOrAppend(TDataSet* table) {
    if (table->IsEmpty())
        table->Append();
    else if (table->State() != dsEdit && table->State() != dsInsert)
        table->Edit();
}

}  // namespace

std::string TTestWorkData::ParseFormNumber(const std::string& text) {
    const std::string trimmed = Trim(text);
    Q = FormDigits(trimmed, 0);
    D = FormDigits(trimmed, 2);
    return trimmed;
}

std::string TTestWorkData::NormaliseAnswerLabels(const std::string& labels) {
    if (labels.empty()) return kDefaultAnswerLabels;
    std::string set = labels.substr(0, 6);
    set.resize(6, '-');
    return set;
}

std::string TTestWorkData::ReadAnswerLabels(const std::vector<std::string>& edits) {
    std::string set;
    for (std::size_t i = 0; i < 6; ++i) {
        const std::string text = i < edits.size() ? Trim(edits[i]) : std::string();
        set += text.empty() ? '-' : text[0];
    }
    return set;
}

TTestWorkData::TConfigCheck TTestWorkData::CheckConfiguration(const std::string& testName,
                                                              const std::string& formNo,
                                                              const std::string& qtyText, int& n) {
    if (Trim(testName).empty() || Trim(formNo).empty()) return ccNameOrFormMissing;
    Integer qty = 0;
    if (!TryStrToInt(Trim(qtyText), qty)) qty = -1;
    if (qty > kMaxQuestions) return ccTooManyQuestions;
    if (qty < 1) return ccTooFewQuestions;
    n = qty;
    return ccOk;
}

std::string TTestWorkData::ConfigCheckMessage(TConfigCheck check) {
    switch (check) {
    case ccNameOrFormMissing: return "Test Name and Form Number must be entered.";
    case ccTooManyQuestions:
        return "Max Qty of questions is too large.  It cannot exceed 300.\r\n"
               "Check form number and number of releveant questions to make sure that it is correct.";
    case ccTooFewQuestions: return "Number of Questions is not in the valid range.";
    case ccOk: break;
    }
    return {};
}

void TTestWorkData::ConfigurationNext(int n, bool soundsOn) {
    N = n;
    DropSounds.Configure(soundsOn);
    RebuildTables();
    LoadGroups();
}

void TTestWorkData::LoadGroups() {
    for (TqmtMemTable* table : {qmtGroups, qmtQGroups}) {
        table->Close();
        table->Open();
    }
    if (ProfileFits()) {
        TProfileStore store(Connection);
        for (const TProfileGroup& g : store.LoadGroups(ProfileNo)) {
            qmtGroups->Append();
            qmtGroupsGGroupNo->SetAsInteger(g.GroupNo);
            qmtGroupsGGroupDesc->SetAsString(g.Desc);
            qmtGroups->Post();
        }
        for (const TProfileQuestionGroups& q : store.LoadGroupQuestions(ProfileNo)) {
            qmtQGroups->Append();
            qmtQGroupsQQuestionNo->SetAsInteger(q.Question);
            qmtQGroupsQGroups->SetAsString(q.Groups);
            qmtQGroups->Post();
        }
        return;
    }
    qmtGroups->Append();
    qmtGroupsGGroupNo->SetAsInteger(1);
    qmtGroupsGGroupDesc->SetAsString("Overall Group");
    qmtGroups->Post();
    for (int q = 1; q <= N; ++q) {
        qmtQGroups->Append();
        qmtQGroupsQQuestionNo->SetAsInteger(q);
        qmtQGroupsQGroups->SetAsString("(1)");
        qmtQGroups->Post();
    }
}

void TTestWorkData::PreparePointKey() {
    EditOrAppend(qmtMaster);
    for (TField* p : masterP_) p->SetAsString("1");
    if (!ProfileFits()) return;
    TProfileStore store(Connection);
    const std::vector<TProfilePoints> points = store.LoadPoints(ProfileNo, N);
    for (std::size_t i = 0; i < points.size() && i < masterP_.size(); ++i) {
        masterP_[i]->SetAsString(points[i].Value);
        masterS_[i]->SetAsString(points[i].Penalty);
    }
}

void TTestWorkData::SetAllPoints(const std::string& text) {
    double value = 1;
    if (!TryStrToFloat(Trim(text), value)) value = 1;
    EditOrAppend(qmtMaster);
    const std::string decimal = FloatToStr(value);
    for (TField* p : masterP_) p->SetAsString(decimal);
}

void TTestWorkData::PointValuesNext() {
    auto post = [this] {
        if (qmtMaster->State() != dsEdit && qmtMaster->State() != dsInsert) return;
        if (masterRecNo_) masterRecNo_->SetAsInteger(1);
        qmtMaster->Post();
    };
    post();
    TotalPossible = TotalPossiblePoints();
    PrepareScanMaster();
    if (ProfileFits()) {
        TProfileStore store(Connection);
        const std::vector<std::string> key = store.LoadAnswerKey(ProfileNo, N);
        EditOrAppend(qmtMaster);
        for (std::size_t i = 0; i < key.size() && i < masterQ_.size(); ++i) masterQ_[i]->SetAsString(key[i]);
        post();
        ShowMasterGrid();
    }
    ActivePage = wpScanMaster;
    ControlsChanged();
}

void TTestWorkData::ClearMasterAnswers() {
    if (qmtMaster->IsEmpty()) return;
    EditOrAppend(qmtMaster);
    for (TField* q : masterQ_) q->Clear();
}

int TTestWorkData::SaveProfile(TDataSet& profiles, const std::string& name, const TProfileData& data) {
    TProfileStore store(Connection);
    const int pf = store.WriteProfile(profiles, name, data);

    std::vector<TProfileGroup> groups;
    for (qmtGroups->First(); !qmtGroups->Eof(); qmtGroups->Next())
        groups.push_back({qmtGroupsGGroupNo->AsInteger(), qmtGroupsGGroupDesc->AsString()});
    std::vector<TProfileQuestionGroups> questions;
    for (qmtQGroups->First(); !qmtQGroups->Eof(); qmtQGroups->Next())
        questions.push_back({qmtQGroupsQQuestionNo->AsInteger(), qmtQGroupsQGroups->AsString()});
    std::vector<std::string> key;
    std::vector<TProfilePoints> points;
    const bool hasKey = qmtMaster->Active() && !qmtMaster->IsEmpty();
    for (std::size_t i = 0; i < masterQ_.size(); ++i) {
        key.push_back(hasKey ? masterQ_[i]->AsString() : std::string());
        points.push_back({hasKey ? masterP_[i]->AsString() : std::string(),
                          hasKey ? masterS_[i]->AsString() : std::string()});
    }
    store.SaveGroups(pf, groups);
    store.SaveGroupQuestions(pf, questions);
    store.SaveMasterAndPoints(pf, key, points);
    return pf;
}
