#pragma once
// A scoring work unit set up as the wizard leaves it after the
// configuration page, with a recorded conversation: every question asked,
// every drop sound requested, every command sent to the scanner.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/TestWorkData.h"
#include "app/tests/TestHome.h"
#include "app/tests/PromptScript.h"
#include "tools/scansim/SimScript.h"

class WorkFixture : public ::testing::Test {
protected:
    // N relevant questions, Q per sheet, D ID digits; groups table holds the
    // overall group, every question is in it.
    void Configure(int n, int q, int d) {
        work = std::make_unique<TTestWorkData>(nullptr);
        work->N = n;
        work->Q = q;
        work->D = d;
        work->RebuildTables();
        work->qmtGroups->Open();
        AddGroup(1, "Overall Group");
        work->qmtQGroups->Open();
        for (int i = 1; i <= n; ++i) AddQuestionGroups(i, "(1)");
        work->OnDropSound = [this](TObject*, bool good) { sounds.push_back(good); };
        work->OnSendCommand = [this](const std::string& command) { sent.push_back(command); };
    }

    void AddGroup(int no, const std::string& description) {
        work->qmtGroups->Append();
        work->qmtGroupsGGroupNo->SetAsInteger(no);
        work->qmtGroupsGGroupDesc->SetAsString(description);
        work->qmtGroups->Post();
    }
    void AddQuestionGroups(int question, const std::string& groups) {
        work->qmtQGroups->Append();
        work->qmtQGroupsQQuestionNo->SetAsInteger(question);
        work->qmtQGroupsQGroups->SetAsString(groups);
        work->qmtQGroups->Post();
    }
    // Replaces the group list of one question.
    void SetQuestionGroups(int question, const std::string& groups) {
        ASSERT_TRUE(work->qmtQGroups->Locate("QQuestionNo", Variant(question), 0));
        work->qmtQGroups->Edit();
        work->qmtQGroupsQGroups->SetAsString(groups);
        work->qmtQGroups->Post();
    }

    // The key typed in: answers (one character per question, a space
    // leaves it empty), point values and penalties (empty: none).
    void SetKey(const std::string& answers, const std::vector<std::string>& points = {},
                const std::vector<std::string>& penalties = {}) {
        TqmtMemTable* key = work->qmtMaster;
        if (key->IsEmpty())
            key->Append();
        else
            key->Edit();
        key->FieldByName("RecNo")->SetAsInteger(1);
        for (int n = 1; n <= work->N; ++n) {
            const std::string no = std::to_string(n);
            const std::size_t i = static_cast<std::size_t>(n - 1);
            if (i < answers.size() && answers[i] != ' ')
                key->FieldByName("Q" + no)->SetAsString(answers.substr(i, 1));
            key->FieldByName("P" + no)->SetAsString(i < points.size() ? points[i] : "1");
            if (i < penalties.size() && !penalties[i].empty())
                key->FieldByName("S" + no)->SetAsString(penalties[i]);
        }
        key->Post();
    }

    // A student typed in, as a scanned sheet would leave it.
    void AddStudent(Int64 id, const std::string& answers) {
        TqmtMemTable* data = work->qmtData;
        data->Append();
        data->FieldByName("RecNo")->SetAsInteger(++work->RecordCounter);
        data->FieldByName("IDNo")->SetAsLargeInt(id);
        for (std::size_t i = 0; i < answers.size() && i < static_cast<std::size_t>(work->N); ++i)
            if (answers[i] != ' ')
                data->FieldByName("Q" + std::to_string(i + 1))->SetAsString(answers.substr(i, 1));
        data->Post();
    }

    void AddName(const std::string& id, const std::string& name) {
        if (!work->qmtNames->Active()) work->qmtNames->Open();
        work->qmtNames->Append();
        work->qmtNamesID->SetAsString(id);
        work->qmtNamesName->SetAsString(name);
        work->qmtNames->Post();
    }

    // The frame the scanner sends for a sheet: answers as the simulator's
    // script writes them (label characters, "-" blank, "?" several marks),
    // the ID as digits.
    std::string SheetFrame(const std::string& id, const std::string& answers, bool raw = false) const {
        TSimScript script;
        script.Questions = work->Q;
        script.IdDigits = work->D;
        script.OddLabels = work->OddLabels;
        script.EvenLabels = work->EvenLabels;
        TSimSheet sheet;
        sheet.Id = id;
        sheet.Answers = answers;
        return EncodeSimFrame(script, sheet, raw);
    }

    std::string Answer(int n) const { return work->qmtData->FieldByName("Q" + std::to_string(n))->AsString(); }
    std::string KeyAnswer(int n) const {
        return work->qmtMaster->FieldByName("Q" + std::to_string(n))->AsString();
    }
    // Q1..Qcount of the current student, a space for an empty answer.
    std::string Answers(int count) const {
        std::string text;
        for (int n = 1; n <= count; ++n) {
            std::string a = Answer(n);
            text += a.empty() ? " " : a;
        }
        return text;
    }
    Int64 CurrentId() const { return work->qmtData->FieldByName("IDNo")->AsLargeInt(); }

    void TearDown() override { EXPECT_EQ(prompts.Pending(), 0u) << "prompts scripted but never asked"; }

    // The prompts so far, as "Error: text" lines.
    std::vector<std::string> Prompted() const { return prompts.Lines(); }

    TestHome home;
    TPromptScript prompts;
    std::unique_ptr<TTestWorkData> work;
    std::vector<bool> sounds;
    std::vector<std::string> sent;
};
