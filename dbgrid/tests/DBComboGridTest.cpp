#include "dbgrid/tests/DBGridTestSupport.h"

#include "dbgrid/DBComboGrid.h"
#include "platform/data/DataSet.h"

namespace {

using DBComboGrid = DBGridFixture;

TEST_F(DBComboGrid, TheGridMakesADataAwareListThatNamesItsOwnerInErrors) {
    grid->SetName("dbgData");
    std::unique_ptr<TgrBaseGrid> list(grid->CreateComboGrid());
    auto* combo = dynamic_cast<TgrDBComboGrid*>(list.get());
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(combo->IsComboGrid());
    EXPECT_EQ(combo->GetDropDownRows(), 4);
    EXPECT_EQ(combo->GetValueCol(), 1);
    EXPECT_EQ(combo->AutoSearch(), asNone);
    combo->SetAutoFill(true);
    EXPECT_EQ(combo->AutoSearch(), asTop);
    try {
        combo->GetCol(Variant("Nope"));
        FAIL() << "no error";
    } catch (const EInvalidGridOperation& e) {
        EXPECT_EQ(std::string(e.what()).rfind("dbgData.Combo: ", 0), 0u) << e.what();
    }
}

TEST_F(DBComboGrid, SearchFindsTheLongestMatchingPrefixAndStopsAtAWholeMatch) {
    struct Case {
        std::vector<std::string> values;
        bool wholeLength;
        std::string expected;  // the value of the record found, "" for none
        bool found;
    } cases[] = {
        {{"a", "abc", "ab"}, false, "abc", true},
        {{"a", "abc", "ab"}, true, "abc", true},
        {{"a", "b"}, false, "a", true},
        {{"a", "b"}, true, "", false},
        {{"AB", "x"}, true, "AB", true},  // case-insensitive by default
    };
    for (const Case& c : cases) {
        TqmtMemTable list(form);
        list.FieldDefs().Add("V", ftString, 10);
        list.Open();
        for (const std::string& v : c.values) list.AppendRecord({Variant(v)});
        list.First();
        TDataSource listSource(form);
        listSource.SetDataSet(&list);
        TgrDBComboGrid combo(form, grid);
        combo.SetDataSource(&listSource);
        bool found = false;
        std::string bookmark = combo.LocateValue("ab", c.wholeLength, found);
        EXPECT_EQ(found, c.found) << c.values[1] << " whole " << c.wholeLength;
        std::string value;
        if (!bookmark.empty()) {
            list.GotoBookmark(bookmark);
            value = list.FieldByName("V")->AsString();
        }
        EXPECT_EQ(value, c.expected) << c.values[1] << " whole " << c.wholeLength;
        combo.SetDataSource(nullptr);
    }
}

}  // namespace
