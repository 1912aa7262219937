// The question groups dialog's logic: group and question edits on the
// wizard's tables, and the .TGS file written and read back.

#include <gtest/gtest.h>

#include "app/GroupSetupData.h"
#include "app/tests/SavedFilesTestSupport.h"
#include "app/tests/WorkTestSupport.h"

namespace {

class GroupSetupDataTest : public WorkFixture {
protected:
    void SetUp() override {
        Configure(3, 3, 4);
        dialog = std::make_unique<TGroupSetupData>();
        dialog->GroupsTable = work->qmtGroups;
        dialog->QuestionGroupsTable = work->qmtQGroups;
    }
    std::vector<std::string> Groups() {
        std::vector<std::string> rows;
        for (work->qmtGroups->First(); !work->qmtGroups->Eof(); work->qmtGroups->Next())
            rows.push_back(work->qmtGroupsGGroupNo->AsString() + " " + work->qmtGroupsGGroupDesc->AsString());
        return rows;
    }
    std::vector<std::string> Lists() {
        std::vector<std::string> rows;
        for (work->qmtQGroups->First(); !work->qmtQGroups->Eof(); work->qmtQGroups->Next())
            rows.push_back(work->qmtQGroupsQGroups->AsString());
        return rows;
    }
    void SelectGroup(int g) { ASSERT_TRUE(work->qmtGroups->Locate("GGroupNo", Variant(g), 0)); }
    void SelectQuestion(int n) { ASSERT_TRUE(work->qmtQGroups->Locate("QQuestionNo", Variant(n), 0)); }
    std::string Path(const std::string& name) const { return home.Dir() + name; }

    std::unique_ptr<TGroupSetupData> dialog;
};

TEST(GroupListTest, AddingAndRemovingGroupsInAQuestionsList) {
    struct Case {
        const char* list;
        int group;
        const char* added;
        const char* removed;
    };
    const Case cases[] = {
        {"(1)", 2, "(1,2)", "(1)"},
        {"(1,3)", 2, "(1,3,2)", "(1,3)"},  // numbers stay in the order they were added
        {"(1,2,12)", 12, "(1,2,12)", "(1,2)"},
        {"(1,12,2)", 2, "(1,12,2)", "(1,12)"},  // 12 is not 2
        {"(1,2)", 1, "(1,2)", "(1,2)"},         // the overall group is never added or removed
        {"(1,2", 3, "(1,2", "(1,2"},            // no closing parenthesis: left alone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.list) + " group " + std::to_string(c.group));
        EXPECT_EQ(TGroupSetupData::AddGroupToList(c.list, c.group), c.added);
        EXPECT_EQ(TGroupSetupData::RemoveGroupFromList(c.list, c.group), c.removed);
    }
}

TEST_F(GroupSetupDataTest, GroupsAreAddedAssignedAndDeleted) {
    prompts.Input("Cells", "Enter a new group name.").Input("   ").Cancel();
    dialog->BitBtn3Click();
    dialog->BitBtn3Click();
    dialog->BitBtn3Click();
    EXPECT_EQ(Groups(), (std::vector<std::string>{"1 Overall Group", "2 Cells"}));

    SelectGroup(2);
    SelectQuestion(2);
    dialog->btnAddQuestionClick();
    dialog->dbgQuestionsDblClick();  // already in the group: nothing
    SelectQuestion(3);
    dialog->dbgQuestionsDblClick();
    EXPECT_EQ(Lists(), (std::vector<std::string>{"(1)", "(1,2)", "(1,2)"}));
    SelectGroup(2);
    SelectQuestion(3);
    dialog->btnRemoveQuestionClick();
    EXPECT_EQ(Lists(), (std::vector<std::string>{"(1)", "(1,2)", "(1)"}));

    SelectGroup(1);
    prompts.Ok("Cannot delete the overall group.");
    dialog->btnDeleteGroupClick();
    SelectGroup(2);
    prompts.No("Are you sure that you want to delete this group?");
    dialog->btnDeleteGroupClick();
    EXPECT_EQ(Groups().size(), 2u);
    prompts.Yes("Are you sure that you want to delete this group?");
    dialog->btnDeleteGroupClick();
    EXPECT_EQ(Groups(), std::vector<std::string>{"1 Overall Group"});
    EXPECT_EQ(Lists(), (std::vector<std::string>{"(1)", "(1)", "(1)"}));
}

TEST_F(GroupSetupDataTest, ATgsFileIsWrittenByteExactAndReadsBackRenumbered) {
    AddGroup(2, "He said \"hi\"");
    AddGroup(3, "Odd");
    AddGroup(4, "Even");
    SetQuestionGroups(2, "(1,2,4)");
    SetQuestionGroups(3, "(1,3,2)");
    SelectGroup(3);
    prompts.Yes();
    dialog->btnDeleteGroupClick();
    dialog->SaveToFile(Path("groups.TGS"));
    EXPECT_EQ(ReadBytes(Path("groups.TGS")), ReadBytes(SavedGolden("groups.TGS")));

    Configure(4, 4, 4);
    dialog->GroupsTable = work->qmtGroups;
    dialog->QuestionGroupsTable = work->qmtQGroups;
    dialog->ReadFromFile(Path("groups.TGS"));
    // Numbered in file order; the lists still name group 4. The fourth
    // question has no line and keeps its list.
    EXPECT_EQ(Groups(), (std::vector<std::string>{"1 Overall Group", "2 He said \"hi\"", "3 Even"}));
    EXPECT_EQ(Lists(), (std::vector<std::string>{"(1)", "(1,2,4)", "(1,2)", "(1)"}));
}

TEST_F(GroupSetupDataTest, AFileThatIsNoGroupsFileLeavesTheTablesAlone) {
    const std::vector<std::vector<std::string>> files{
        {},                              // empty
        {"\"Overall\"", "(1)", "junk"},  // a line that is no group list
        {"\"Overall", "(1)"},            // a quote left open
    };
    for (const auto& lines : files) {
        WriteEncoded(Path("bad.TGS"), lines);
        EXPECT_THROW(dialog->ReadFromFile(Path("bad.TGS")), Exception);
    }
    std::ofstream(Path("text.TGS"), std::ios::binary) << "\"Overall\"\r\n(1)\r\n";
    EXPECT_THROW(dialog->ReadFromFile(Path("text.TGS")), Exception);
    EXPECT_EQ(Groups(), std::vector<std::string>{"1 Overall Group"});
    EXPECT_EQ(Lists(), (std::vector<std::string>{"(1)", "(1)", "(1)"}));
}

}  // namespace
