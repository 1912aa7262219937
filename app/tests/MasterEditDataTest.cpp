// The logic of the answer-key editor and the penalty dialog, without their
// windows.

#include <gtest/gtest.h>

#include "app/MasterEditData.h"
#include "app/tests/WorkTestSupport.h"

namespace {

TEST(MasterEditData, KeysAreUpperCasedAndOnlyLabelsBlankAndMultipleMarksPass) {
    TEditMasterData data;
    data.AllowedLabels = "abcdefTFTFTF";
    struct Case {
        char typed, passed;
    } const cases[] = {
        {'a', 'A'}, {'F', 'F'}, {'t', 'T'}, {'-', '-'}, {'?', '?'}, {'\b', '\b'},
        {'g', 0},   {'1', 0},   {' ', 0},   {'*', 0},
    };
    for (const Case& c : cases) {
        char key = c.typed;
        data.KeyPress(key);
        EXPECT_EQ(key, c.passed) << "typed " << c.typed;
    }
}

TEST(MasterEditData, MissingBlankAndMultipleKeyAnswersAreHighlighted) {
    for (const char* v : {"?", "-", "", "  "}) EXPECT_TRUE(TEditMasterData::Highlighted(v)) << '"' << v << '"';
    for (const char* v : {"A", "T", "1"}) EXPECT_FALSE(TEditMasterData::Highlighted(v)) << v;
    TEditMasterData data;
    data.FormShow();
    EXPECT_EQ(data.HighlightColor, 0x4444FF);
}

TEST(PenaltySetupData, TenEditorsAColumnWithTheColumnRoundedUp) {
    struct Case {
        int n;
        TPenaltySetupData::TPlace place;
    } const cases[] = {
        {1, {8, 14, 40, 10}},      {10, {8, 239, 40, 235}},   {11, {88, 14, 120, 10}},
        {20, {88, 239, 120, 235}}, {21, {168, 14, 200, 10}}, {25, {168, 114, 200, 110}},
    };
    for (const Case& c : cases) {
        const auto p = TPenaltySetupData::PlaceOf(c.n);
        EXPECT_EQ(std::vector<int>({p.LabelLeft, p.LabelTop, p.EditLeft, p.EditTop}),
                  std::vector<int>({c.place.LabelLeft, c.place.LabelTop, c.place.EditLeft, c.place.EditTop}))
            << "question " << c.n;
    }
    for (char key : {'-', 'a', ',', ' '}) {
        char k = key;
        TPenaltySetupData::PenaltyKeyPress(k);
        EXPECT_EQ(k, 0) << key;
    }
    for (char key : {'0', '9', '.', '\b'}) {
        char k = key;
        TPenaltySetupData::PenaltyKeyPress(k);
        EXPECT_EQ(k, key);
    }
}

class PenaltySetupDataTest : public WorkFixture {};

TEST_F(PenaltySetupDataTest, ShowingEditsTheKeyRowAndSetAllStoresNumbers) {
    Configure(3, 3, 2);
    TPenaltySetupData data;
    data.MasterTable = work->qmtMaster;
    data.QtyQuestions = 3;
    // An empty key gets a row; missing penalties read 0.
    data.PrepareKey();
    EXPECT_EQ(work->qmtMaster->State(), dsInsert);
    EXPECT_EQ(data.edtDPoint.Text(), "0");
    EXPECT_EQ(work->qmtMaster->FieldByName("S2")->AsString(), "0");
    const struct {
        const char* typed;
        const char* stored;
    } cases[] = {{"0.25", "0.25"}, {"abc", "1"}, {"", "1"}, {"2", "2"}};
    for (const auto& c : cases) {
        data.edtDPoint.SetText(c.typed);
        data.BitBtn1Click();
        for (int n = 1; n <= 3; ++n)
            EXPECT_EQ(work->qmtMaster->FieldByName("S" + std::to_string(n))->AsString(), c.stored) << c.typed;
    }
    work->qmtMaster->Post();
    // A posted key is put into edit state again, keeping its penalties.
    data.PrepareKey();
    EXPECT_EQ(work->qmtMaster->State(), dsEdit);
    EXPECT_EQ(work->qmtMaster->FieldByName("S1")->AsString(), "2");
    work->qmtMaster->Cancel();
}

}  // namespace
