// Scoring: the live score line and errors list of the current student,
// earned and possible points with point values, penalties and question
// groups, and the student's name.

#include <climits>
#include <string>

#include "app/TestWorkData.h"
#include "platform/core/Strings.h"
#include "platform/data/DB.h"

namespace {

// A question's group list, "(1,3,4)", names group g: g is only found behind
// a comma, as lists always start with group 1.
bool GroupListHasGroup(const std::string& list, Integer group) {
    const std::string g = std::to_string(group);
    return list.find("," + g + ",") != std::string::npos || list.find("," + g + ")") != std::string::npos;
}

// Walks a table from its first record with its controls held still, and
// puts the cursor back where it was.
template <class TVisit>
void WalkTable(TDataSet* table, TVisit visit) {
    if (!table->Active() || table->IsEmpty()) return;
    table->DisableControls();
    const TBookmark mark = table->GetBookmark();
    try {
        for (table->First(); !table->Eof(); table->Next())
            if (!visit()) break;
    } catch (...) {
        table->EnableControls();
        throw;
    }
    if (!mark.empty() && table->BookmarkValid(mark)) table->GotoBookmark(mark);
    table->EnableControls();
}

}  // namespace

TTestWorkData::TKeySnapshot TTestWorkData::ReadKey() const {
    TKeySnapshot key;
    const std::size_t count = masterQ_.size();
    key.Answer.resize(count);
    key.PointText.resize(count);
    key.PenaltyText.resize(count);
    key.Points.assign(count, 1.0);
    key.Penalty.assign(count, 0.0);
    key.HasPenalty.assign(count, false);
    const bool hasRecord = qmtMaster->Active() && !qmtMaster->IsEmpty();
    for (std::size_t i = 0; i < count; ++i) {
        if (hasRecord) {
            key.Answer[i] = masterQ_[i]->AsString();
            key.PointText[i] = masterP_[i]->AsString();
            key.PenaltyText[i] = masterS_[i]->AsString();
        }
        key.Points[i] = ReadPointValue(key.PointText[i]);
        // An empty penalty text means no penalty; it is never read.
        key.HasPenalty[i] = !key.PenaltyText[i].empty();
        if (key.HasPenalty[i]) key.Penalty[i] = ReadPointValue(key.PenaltyText[i]);
    }
    return key;
}

std::vector<std::string> TTestWorkData::ReadAnswers() const {
    std::vector<std::string> answers(static_cast<std::size_t>(N > 0 ? N : 0));
    if (!qmtData->Active() || qmtData->IsEmpty()) return answers;
    for (std::size_t i = 0; i < answers.size() && i < dataQ_.size(); ++i) answers[i] = dataQ_[i]->AsString();
    return answers;
}

double TTestWorkData::Earned(const std::vector<std::string>& answers, const TKeySnapshot& key,
                             const std::vector<bool>* questions) const {
    double earned = 0;
    const std::size_t count = std::min(answers.size(), key.Answer.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (questions && !(i < questions->size() && (*questions)[i])) continue;
        const std::string& answer = answers[i];
        if (answer == key.Answer[i])
            earned += key.Points[i];
        else if (answer != "-" && key.HasPenalty[i] && answer != "?")
            earned -= key.Penalty[i];
    }
    return earned;
}

void TTestWorkData::ScoreCurrentRecord() {
    if (Locating || exporting_) return;
    qmtError->Close();
    qmtError->Open();
    double possible = 0, lost = 0;
    qmtErrorQNo->SetReadOnly(false);
    qmtErrorVal->SetReadOnly(false);
    qmtErrorRghtVal->SetReadOnly(false);
    // The errors grid is told once, when the list is complete, instead of
    // after every appended row.
    qmtError->DisableControls();
    try {
        if (qmtData->Active() && !qmtData->IsEmpty()) {
            const TKeySnapshot key = ReadKey();
            const std::vector<std::string> answers = ReadAnswers();
            for (std::size_t i = 0; i < answers.size() && i < key.Answer.size(); ++i) {
                possible += key.Points[i];
                const std::string& answer = answers[i];
                if (answer == key.Answer[i]) continue;
                lost += key.Points[i];
                if (answer != "-" && key.HasPenalty[i] && answer != "?") lost += key.Penalty[i];
                qmtError->Append();
                qmtErrorQNo->SetAsInteger(static_cast<Integer>(i + 1));
                qmtErrorVal->SetAsString(answer);
                qmtErrorRghtVal->SetAsString(key.Answer[i]);
                const TColor base = ErrorAnswerColor(answer);
                qmtErrordColor->SetAsInteger(base == kColorMultiple ? MultipleColor
                                             : base == kColorBlank  ? BlankColor
                                                                    : WrongColor);
                qmtError->Post();
            }
        }
    } catch (...) {
        qmtError->EnableControls();
        qmtErrorQNo->SetReadOnly(true);
        qmtErrorVal->SetReadOnly(true);
        qmtErrorRghtVal->SetReadOnly(true);
        throw;
    }
    qmtError->EnableControls();
    qmtErrorQNo->SetReadOnly(true);
    qmtErrorVal->SetReadOnly(true);
    qmtErrorRghtVal->SetReadOnly(true);
    const double score = possible - lost;
    lblScore.SetText("Score: " + F(score) + "/" + F(possible) + ", " + F(P(score, possible)) + "%");
    ControlsChanged();
}

Integer TTestWorkData::CurrentGroupNo() const {
    if (!qmtGroups->Active() || qmtGroups->IsEmpty()) return 0;
    return qmtGroupsGGroupNo->AsInteger();
}

bool TTestWorkData::QuestionInGroup(int n) {
    const Integer group = CurrentGroupNo();
    if (group == 1) return true;
    bool found = false;
    WalkTable(qmtQGroups, [&] {
        const Integer questionNo = qmtQGroupsQQuestionNo->AsInteger();
        // The table is in question order.
        if (questionNo > n) return false;
        if (questionNo == n && GroupListHasGroup(qmtQGroupsQGroups->AsString(), group)) {
            found = true;
            return false;
        }
        return true;
    });
    return found;
}

std::vector<bool> TTestWorkData::GroupMembership(Integer group) {
    const std::size_t count = static_cast<std::size_t>(N > 0 ? N : 0);
    if (group == 1) return std::vector<bool>(count, true);
    std::vector<bool> questions(count, false);
    // The same rule as QuestionInGroup for every question in one pass: the
    // walk for question n stops at the first record beyond n, so a record
    // counts only when no record before it has a higher question number.
    Integer highest = INT_MIN;
    WalkTable(qmtQGroups, [&] {
        const Integer questionNo = qmtQGroupsQQuestionNo->AsInteger();
        if (highest <= questionNo && questionNo >= 1 && static_cast<std::size_t>(questionNo) <= count &&
            GroupListHasGroup(qmtQGroupsQGroups->AsString(), group))
            questions[static_cast<std::size_t>(questionNo - 1)] = true;
        if (questionNo > highest) highest = questionNo;
        return true;
    });
    return questions;
}

double TTestWorkData::EarnedPoints(bool groupOnly) {
    const TKeySnapshot key = ReadKey();
    const std::vector<std::string> answers = ReadAnswers();
    if (!groupOnly) return Earned(answers, key, nullptr);
    const std::vector<bool> questions = GroupMembership(CurrentGroupNo());
    return Earned(answers, key, &questions);
}

double TTestWorkData::PossiblePoints() { return ReadGroup(CurrentGroupNo(), ReadKey()).Possible; }

TTestWorkData::TGroupSnapshot TTestWorkData::ReadGroup(Integer group, const TKeySnapshot& key) {
    TGroupSnapshot snapshot;
    snapshot.GroupNo = group;
    snapshot.Questions = GroupMembership(group);
    for (std::size_t i = 0; i < snapshot.Questions.size() && i < key.Points.size(); ++i)
        if (snapshot.Questions[i]) snapshot.Possible += key.Points[i];
    return snapshot;
}

TTestWorkData::TScoreContext TTestWorkData::ReadScoreContext() {
    TScoreContext context;
    context.Key = ReadKey();
    std::vector<Integer> groups;
    WalkTable(qmtGroups, [&] {
        groups.push_back(qmtGroupsGGroupNo->AsInteger());
        return true;
    });
    for (Integer group : groups) context.Groups.push_back(ReadGroup(group, context.Key));
    return context;
}

double TTestWorkData::TotalPossiblePoints() {
    const TKeySnapshot key = ReadKey();
    double total = 0;
    for (double points : key.Points) total += points;
    return total;
}

void TTestWorkData::ShowStudentName() {
    if (ActivePage != wpScanTests) return;
    if (qmtNames->Active())
        lblStudent.SetText(LookupStudentName(dataIdNo_ && qmtData->Active() ? dataIdNo_->AsLargeInt() : 0));
    else
        lblStudent.SetText(" ");
    ControlsChanged();
}

std::string TTestWorkData::LookupStudentName(Int64 id) {
    const std::string idText = PadLeft('0', D, std::to_string(id));
    if (!cbNames || !qmtNames->Active() || qmtNames->IsEmpty()) return std::string();
    qmtNames->First();
    if (!qmtNames->Locate("ID", Variant(idText), 0)) return std::string();
    return qmtNamesName->AsString();
}

std::string TTestWorkData::FormatId(const std::string& text) const {
    return cbZeros ? PadLeft('0', D, text) : text;
}

void TTestWorkData::qmtDataAfterPost(TDataSet*) { ScoreCurrentRecord(); }

void TTestWorkData::qmtDataAfterScroll(TDataSet*) {
    if (exporting_) return;
    ScoreCurrentRecord();
    ShowStudentName();
}

void TTestWorkData::qmtDataAfterDelete(TDataSet*) { ScoreCurrentRecord(); }
