// The engine-cursor window's relative numbers, its learned record count,
// jumps, new records, deletes, filters and the change questions, over the
// test-only cursor of CursorTestTable.h.
#include "dbgrid/tests/DBGridTestSupport.h"

#include "dbgrid/DBGridCursor.h"
#include "dbgrid/tests/CursorTestTable.h"
#include "platform/data/DataSet.h"

namespace {

class DBGridCursorNumbering : public DBGridFixture {
protected:
    void Fill(int count, bool sequenced = false) {
        cursorTable = MakeNumberedCursorTable(form, count, sequenced);
        source->SetDataSet(cursorTable);
        grid->SetExactRowCount(false);
        Bind();
        window = dynamic_cast<TgrScrollDataset*>(grid->RecordWindow());
        ASSERT_NE(window, nullptr);
        v = window->GetRowCount();
    }
    // The Names of the window's rows.
    std::string Rows() {
        std::string s;
        for (Integer r = 1; r <= window->GetRowCount(); ++r) {
            std::string bm = window->GetRowBookmark(r);
            s += (r > 1 ? "," : "") + (bm.empty() ? std::string("*") : grid->GetCellValue(2, Variant(bm)).AsString());
        }
        return s;
    }
    std::string Names(int from, int to) {
        std::string s;
        for (int i = from; i <= to; ++i) s += (i > from ? "," : "") + ("R" + std::to_string(i));
        return s;
    }
    TCursorTable* cursorTable = nullptr;
    TgrScrollDataset* window = nullptr;
    Integer v = 0;
};

TEST_F(DBGridCursorNumbering, TheCountIsEstimatedUntilTheCursorMeetsAnEnd) {
    Fill(300);
    window->SetWindowSize(20);
    window->First();
    // 20 records known, count unknown: 20 + the larger of 2 and 20.
    EXPECT_FALSE(window->HasRecordCount());
    EXPECT_EQ(window->GetRecordCount(), 40);
    EXPECT_EQ(window->ScrollBy(80), 80);
    EXPECT_EQ(window->Top(), 81);
    EXPECT_EQ(window->Bottom(), 100);
    EXPECT_EQ(window->GetRecordCount(), 120);
    EXPECT_EQ(window->ScrollBy(150), 150);
    EXPECT_EQ(window->Bottom(), 250);
    EXPECT_EQ(window->GetRecordCount(), 275);
    EXPECT_EQ(Rows(), Names(231, 250));
    // Scrolling past the last record reads the window from the end, which
    // is now known exactly.
    EXPECT_EQ(window->ScrollBy(100), 50);
    EXPECT_TRUE(window->HasRecordCount());
    EXPECT_EQ(window->GetRecordCount(), 300);
    EXPECT_EQ(window->Bottom(), 300);
    EXPECT_EQ(Rows(), Names(281, 300));
    EXPECT_TRUE(window->GetEof());
    EXPECT_EQ(window->ScrollBy(1), 0);
}

TEST_F(DBGridCursorNumbering, AJumpToTheLastRecordNumbersFromTheEstimateAndLearnsAtTheStart) {
    Fill(60);
    window->SetWindowSize(10);
    window->First();
    window->Last();
    EXPECT_TRUE(window->EndReached());
    EXPECT_EQ(Rows(), Names(51, 60));
    // Counted down from the estimate (10 known + 10).
    EXPECT_EQ(window->Bottom(), 20);
    EXPECT_EQ(window->Top(), 11);
    // Walking up the numbers grow with what is seen; the start fixes them.
    EXPECT_EQ(window->ScrollBy(-20), -20);
    EXPECT_EQ(Rows(), Names(31, 40));
    // Numbers counted from a guess: the move reports what they say.
    EXPECT_LT(window->ScrollBy(-100), 0);
    EXPECT_EQ(Rows(), Names(1, 10));
    EXPECT_EQ(window->Top(), 1);
    EXPECT_TRUE(window->HasRecordCount());
    EXPECT_EQ(window->GetRecordCount(), 60);
    EXPECT_TRUE(window->GetBof());
    // A window larger than the table: the rows read move up, numbered
    // from 1.
    window->SetWindowSize(80);
    window->Last();
    EXPECT_EQ(window->GetRowCount(), 60);
    EXPECT_EQ(window->Top(), 1);
    EXPECT_EQ(window->Bottom(), 60);
    EXPECT_EQ(window->GetRowBookmark(1), window->GetRowBookmark(1));
    EXPECT_EQ(grid->GetCellValue(2, Variant(window->GetRowBookmark(1))).AsString(), "R1");
}

TEST_F(DBGridCursorNumbering, FewerRecordsThanRowsAreCountedByTheFirstRead) {
    Fill(4);
    window->SetWindowSize(10);
    window->First();
    EXPECT_EQ(window->GetRowCount(), 4);
    EXPECT_TRUE(window->GetBof());
    EXPECT_TRUE(window->HasRecordCount());
    EXPECT_EQ(window->GetRecordCount(), 4);
    // The end is known only once probed.
    EXPECT_FALSE(window->GetEof());
    EXPECT_TRUE(window->CheckEof());
    EXPECT_TRUE(window->GetEof());
}

TEST_F(DBGridCursorNumbering, SequenceNumbersCarryLongMovesAndNumberTheRows) {
    Fill(300, true);
    window->SetWindowSize(10);
    window->First();
    cursorTable->Steps = 0;
    // A move longer than the window jumps by sequence number.
    EXPECT_EQ(window->ScrollBy(200), 200);
    EXPECT_EQ(Rows(), Names(201, 210));
    EXPECT_EQ(window->Top(), 201);
    EXPECT_LT(cursorTable->Steps, 40);
    window->SetActiveRow(3);
    EXPECT_TRUE(window->IsSequenced());
    EXPECT_EQ(window->GetRecNo(), 203);
    EXPECT_EQ(window->GetRowRecNo(10), 210);
    // A jump to a bookmark: the rows take the engine's numbers.
    std::string far;
    cursorTable->DisableControls();
    cursorTable->First();
    cursorTable->MoveBy(49);
    far = cursorTable->GetBookmark();
    cursorTable->First();
    cursorTable->EnableControls();
    ASSERT_TRUE(window->ShowRecord(far));
    EXPECT_EQ(window->GetRowRecNo(window->GetBookmarkRow(far)), 50);
    EXPECT_EQ(window->Top(), 50 - window->GetBookmarkRow(far) + 1);
    EXPECT_FALSE(window->Uncertain());
}

TEST_F(DBGridCursorNumbering, WithoutSequenceNumbersAFarJumpIsAGuessAwayFromTheEnds) {
    Fill(300);
    window->SetWindowSize(10);
    window->First();
    std::string far;
    cursorTable->DisableControls();
    cursorTable->Last();
    cursorTable->MoveBy(-20);
    far = cursorTable->GetBookmark();
    cursorTable->First();
    cursorTable->EnableControls();
    ASSERT_TRUE(window->ShowRecord(far));
    EXPECT_EQ(window->GetBookmarkRow(far), 1);
    EXPECT_TRUE(window->Uncertain());
    Integer e = window->GetRecordCount();
    EXPECT_GE(window->Top(), e / 10);
    EXPECT_LE(window->Bottom(), e - e / 10);
    Integer n = window->GetRowCount();
    EXPECT_EQ(Rows(), Names(280, 280 + n - 1));
    // Scrolling on from there keeps the numbers consecutive.
    Integer top = window->Top();
    EXPECT_EQ(window->ScrollBy(3), 3);
    EXPECT_EQ(window->Top(), top + 3);
    EXPECT_EQ(Rows(), Names(283, 283 + n - 1));
}

TEST_F(DBGridCursorNumbering, APlaceholderMakesRoomAboveOrBelowAndGoesWhenCancelled) {
    Fill(40);
    window->SetWindowSize(6);
    window->First();
    window->ScrollBy(10);
    ASSERT_EQ(Rows(), Names(11, 16));
    std::string at = window->GetRowBookmark(4), nb = "x";
    // Room above: the rows above scroll up, the rows below stay.
    window->BeginInsert(true, at, nb);
    EXPECT_EQ(nb, "");
    EXPECT_TRUE(window->Inserting());
    EXPECT_EQ(Rows(), "R12,R13,*,R14,R15,R16");
    EXPECT_EQ(window->GetActiveRow(), 3);
    EXPECT_EQ(window->FindBookmarkRow(""), 3);
    EXPECT_EQ(window->GetRowDataRow(3), EmptyDataRow());
    // Counted: 16 records seen and the new one, plus a window.
    EXPECT_EQ(window->GetRecordCount(), 17 + 6);
    // Scrolling keeps the placeholder where it stands in the data.
    EXPECT_EQ(window->ScrollBy(2), 2);
    EXPECT_EQ(Rows(), "*,R14,R15,R16,R17,R18");
    EXPECT_EQ(window->ScrollBy(-3), -3);
    EXPECT_EQ(Rows(), "R11,R12,R13,*,R14,R15");
    std::string bookmark;
    bool moved = false;
    window->EndInsert(bookmark, true, moved, 1, true);
    EXPECT_FALSE(window->Inserting());
    // The new record is no longer counted; R18 was seen: 18 known plus a
    // window.
    EXPECT_EQ(window->GetRecordCount(), 18 + 6);
    EXPECT_EQ(Rows(), Names(11, 16));

    // Without room above the rows from the record down move down and the
    // last leaves the window.
    at = window->GetRowBookmark(1);
    window->BeginInsert(false, at, nb);
    EXPECT_EQ(Rows(), "*,R11,R12,R13,R14,R15");
    // At row 1 the record before it is the cursor's to find.
    std::string back = cursorTable->GetBookmark();
    cursorTable->Locate("ID", Variant(10), {});
    EXPECT_EQ(window->InsertionBookmark(), cursorTable->GetBookmark());
    cursorTable->GotoBookmark(back);
    window->EndInsert(bookmark, true, moved, 1, true);
    EXPECT_EQ(Rows(), Names(11, 16));
}

TEST_F(DBGridCursorNumbering, AppendingToAnEmptyTableGivesThePlaceholderNumberedOne) {
    Fill(0);
    std::string nb;
    window->BeginAppend(nb);
    EXPECT_EQ(window->GetRowCount(), 1);
    EXPECT_EQ(window->Top(), 1);
    EXPECT_EQ(window->GetRowBookmark(1), "");
    EXPECT_EQ(window->GetActiveRow(), 1);
}

TEST_F(DBGridCursorNumbering, TheGridFollowsInsertsPostsEditsAndDeletesInNotificationOrder) {
    Fill(30);
    grid->Take();
    // Inserted before the third record and posted: the placeholder, then
    // the new record in its place.
    cursorTable->MoveBy(2);
    grid->Take();
    cursorTable->Insert();
    EXPECT_EQ(grid->Take(), "editing changed");
    EXPECT_EQ(Rows().substr(0, 9), "R1,R2,*,R");
    cursorTable->Cancel();
    EXPECT_EQ(grid->Take(), "editing changed");
    EXPECT_FALSE(window->Inserting());
    EXPECT_EQ(Rows().substr(0, 9), "R1,R2,R3,");
    EXPECT_EQ(window->GetBookmarkRow(""), 0);

    // An edit posted: the window reads the record anew.
    cursorTable->First();
    grid->Take();
    cursorTable->Edit();
    cursorTable->FieldByName("Name")->SetAsString("First");
    cursorTable->Post();
    EXPECT_EQ(grid->Take(), "editing update editing changed");
    EXPECT_EQ(Rows().substr(0, 9), "First,R2,");

    // A record deleted: the rows close up.
    cursorTable->Next();
    cursorTable->Delete();
    EXPECT_EQ(Rows().substr(0, 12), "First,R3,R4,");
    EXPECT_EQ(grid->GetCurrentDataRow(), Variant(cursorTable->GetBookmark()));
}

TEST_F(DBGridCursorNumbering, FilterMasterAndUpdateKindChangesAreNoticed) {
    Fill(30);
    // Filter text alone changes nothing while the dataset is not filtered.
    cursorTable->SetFilter("ID > 10");
    EXPECT_FALSE(window->FilterChanged());
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "R1");
    // Filtering makes the grid read the window anew.
    cursorTable->SetFiltered(true);
    EXPECT_FALSE(window->FilterChanged());
    EXPECT_EQ(grid->GetCellValue(2, 1).AsString(), "R11");
    EXPECT_EQ(window->Top(), 1);
    EXPECT_FALSE(window->IsSequenced());
    // The kinds of updated records the cursor shows.
    EXPECT_FALSE(window->UpdateRecordTypesChanged());
    cursorTable->UpdateRecordTypes = 3;
    EXPECT_TRUE(window->UpdateRecordTypesChanged());
    window->Refresh(false);
    EXPECT_FALSE(window->UpdateRecordTypesChanged());
    // No master: the master question answers no.
    EXPECT_FALSE(window->MasterChanged());
}

TEST(DBGridCursorConversions, CurrenciesTravelAsBcdAndTypedNumbersAreChecked) {
    for (const char* text : {"0", "12.34", "-1234567.8901", "0.0001"}) {
        Currency c;
        ASSERT_TRUE(TextToFloat(text, c)) << text;
        Currency back;
        ASSERT_TRUE(BCDToCurr(CurrToBCD(c), back)) << text;
        EXPECT_EQ(back.Raw(), c.Raw()) << text;
    }
    Currency c;
    EXPECT_FALSE(BCDToCurr("short", c));
    double d = 5;
    for (const char* bad : {"", "1.2.3", "abc", "12x"}) EXPECT_FALSE(TextToFloat(bad, d)) << bad;
    EXPECT_TRUE(TextToFloat("2.5", d));
    EXPECT_EQ(d, 2.5);
}

}  // namespace
