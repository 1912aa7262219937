// Row selection by record through presses on the row bar: Shift ranges
// from an anchor record off screen, Ctrl+Shift spans, single selection,
// list-box selection, cancelled scans and refused presses.

#include "dbgrid/DBGridSelection.h"
#include "dbgrid/tests/DBGridTestSupport.h"

namespace {

class DBGridRowSelect : public DBGridFixture {
protected:
    std::string Selected(int records) { return SelectedRuns(records); }
    // The display row showing a record (0 when it is off screen).
    Integer RowOf(int id) {
        std::string bm = BookmarkOf(id);
        for (Integer r = 1; r <= grid->Rows(); ++r)
            if (grid->DataRowOfRow(r) == Variant(bm)) return r;
        return 0;
    }
    // A press on the row bar of the row showing a record.
    void Press(int id, TShiftState shift) {
        Integer row = RowOf(id);
        ASSERT_GT(row, 0) << "record " << id << " is not shown";
        TRect r = grid->CellPixels(0, row);
        Integer x = (r.Left + r.Right) / 2, y = (r.Top + r.Bottom) / 2;
        grid->MouseDown(mbLeft, shift, x, y);
        grid->MouseUp(mbLeft, shift, x, y);
    }
    void Show(int id) { table->Locate("ID", Variant(id), {}); }
    int CurrentId() { return table->FieldByName("ID")->AsInteger(); }
};

TEST_F(DBGridRowSelect, ShiftPressSelectsFromAnAnchorRecordOffScreen) {
    Fill(30);
    Bind();
    for (TgrRecordSelection mode : {rseBookmarkRange, rseBookmarkSet}) {
        grid->SetRecordSelection(mode);
        Show(1);
        Press(2, TShiftState{ssCtrl});  // record 2 selected, the anchor
        Show(20);
        ASSERT_EQ(RowOf(2), 0);
        std::string scans;
        grid->OnScanRecords = [&](TObject*, bool, TgrScanState state, Integer, bool&) {
            if (state == scsStart || state == scsEnd) scans += std::to_string(int(state));
        };
        Press(18, TShiftState{ssShift});
        grid->OnScanRecords = nullptr;
        EXPECT_EQ(Selected(30), "2-18") << mode;
        EXPECT_EQ(CurrentId(), 18) << mode;
        EXPECT_EQ(grid->GridStatus(), gsRowsSelected);
        // Range mode needs no scan; set mode walks to the anchor.
        EXPECT_EQ(scans, mode == rseBookmarkRange ? "" : "03") << mode;
        // The anchor stays: a second Shift press spans from record 2 again.
        Press(16, TShiftState{ssShift});
        EXPECT_EQ(Selected(30), "2-16") << mode;
        EXPECT_EQ(grid->AnchorSide(), 1);
        grid->DeselectAllRows();
    }
}

TEST_F(DBGridRowSelect, ShiftPressWithTheAnchorNotSelectedDeselectsAll) {
    Fill(10);
    Bind();
    Press(2, TShiftState{ssCtrl});
    Press(4, TShiftState{ssCtrl});
    Press(4, TShiftState{ssCtrl});  // anchor 4, no longer selected
    EXPECT_EQ(Selected(10), "2");
    Press(5, TShiftState{ssShift});
    EXPECT_EQ(Selected(10), "");
    EXPECT_EQ(CurrentId(), 5);
    EXPECT_EQ(grid->GridStatus(), gsNormal);
}

TEST_F(DBGridRowSelect, CtrlShiftPressAddsOrRemovesTheSpanAndMovesTheAnchor) {
    Fill(30);
    Bind();
    for (TgrRecordSelection mode : {rseBookmarkRange, rseBookmarkSet}) {
        grid->SetRecordSelection(mode);
        Show(1);
        Press(2, TShiftState{ssCtrl});
        Press(4, TShiftState{ssCtrl});
        Show(25);
        Press(24, TShiftState{ssCtrl, ssShift});  // anchor 4 selected: adds 4..24
        EXPECT_EQ(Selected(30), "2,4-24") << mode;
        Press(24, TShiftState{ssCtrl});  // anchor 24, now not selected
        Show(12);
        Press(10, TShiftState{ssCtrl, ssShift});  // removes 10..24
        EXPECT_EQ(Selected(30), "2,4-9") << mode;
        EXPECT_EQ(CurrentId(), 10);
        EXPECT_EQ(grid->GetRangeAnchorBookmark(), BookmarkOf(10));
        grid->DeselectAllRows();
    }
}

TEST_F(DBGridRowSelect, CancelledScanLeavesTheSelectionAndCancelsThePress) {
    Fill(30);
    Bind();
    grid->SetRecordSelection(rseBookmarkSet);
    Press(2, TShiftState{ssCtrl});
    Press(3, TShiftState{ssCtrl});
    Show(20);
    std::string ends;
    for (TShiftState shift : {TShiftState{ssShift}, TShiftState{ssCtrl, ssShift}}) {
        grid->OnScanRecords = [&](TObject*, bool, TgrScanState state, Integer count, bool& cancel) {
            if (state == scsRecord && count == 5) cancel = true;
            if (state == scsEnd) ends += std::to_string(count);
        };
        Press(18, shift);
        EXPECT_EQ(Selected(30), "2-3");
        EXPECT_EQ(grid->MouseStatus(), msNone);
        EXPECT_FALSE(grid->ScanningRecords());
    }
    EXPECT_EQ(ends, "00");
}

TEST_F(DBGridRowSelect, SingleSelectionKeepsOneRecord) {
    Fill(10);
    Bind();
    grid->SetRowSelectMode(rsSingle);
    Press(2, TShiftState());
    EXPECT_EQ(Selected(10), "2");
    Press(4, TShiftState{ssCtrl});
    EXPECT_EQ(Selected(10), "4");
    Press(3, TShiftState{ssShift});
    EXPECT_EQ(Selected(10), "3");
    EXPECT_EQ(CurrentId(), 3);
    grid->SetDataRowSelected(Variant(BookmarkOf(5)), true);
    EXPECT_EQ(Selected(10), "5");
    // The record selected already: refused, nothing changes.
    EXPECT_FALSE(grid->SelectPositionRange(MakeAtPosition(BookmarkOf(5)), MakeAtPosition(BookmarkOf(5)), true, false));
    EXPECT_TRUE(grid->SelectPositionRange(MakeAtPosition(BookmarkOf(7)), MakeAtPosition(BookmarkOf(7)), true, false));
    EXPECT_EQ(Selected(10), "7");
    grid->SetDataRowSelected(Variant(BookmarkOf(7)), false);
    EXPECT_EQ(Selected(10), "");
}

TEST_F(DBGridRowSelect, PositionRangeRefusals) {
    Fill(10);
    Bind();
    TgrBkmPos b2 = MakeAtPosition(BookmarkOf(2)), b5 = MakeAtPosition(BookmarkOf(5));
    for (TgrRecordSelection mode : {rseBookmarkRange, rseBookmarkSet}) {
        grid->SetRecordSelection(mode);
        EXPECT_FALSE(grid->SelectPositionRange(b5, b2, true, false)) << mode;  // start after end
        EXPECT_FALSE(grid->SelectPositionRange(MakeAtPosition(""), b2, true, false)) << mode;
        EXPECT_FALSE(grid->SelectPositionRange(b2, b5, false, false)) << mode;  // nothing selected
        EXPECT_EQ(Selected(10), "") << mode;
        EXPECT_TRUE(grid->SelectPositionRange(b2, b5, true, false)) << mode;
        EXPECT_EQ(Selected(10), "2-5") << mode;
        EXPECT_TRUE(grid->SelectPositionRange(MakeBeforeFirstPosition(), MakeAfterLastPosition(), false, false));
        EXPECT_EQ(Selected(10), "") << mode;
    }
    grid->SetRowSelectMode(rsNone);
    EXPECT_FALSE(grid->SelectPositionRange(b2, b5, true, false));
    // A range in list-box selection.
    grid->SetRowSelectMode(rsSingle);
    grid->SetGridMode(gmListBox);
    EXPECT_FALSE(grid->SelectPositionRange(b2, b5, true, false));
}

TEST_F(DBGridRowSelect, ListBoxSelectionFollowsTheCurrentRecord) {
    Fill(20);
    Bind();
    grid->SetRowSelectMode(rsSingle);
    grid->SetGridMode(gmListBox);
    for (TgrRecordSelection mode : {rseBookmarkRange, rseBookmarkSet}) {
        grid->SetRecordSelection(mode);
        table->First();
        grid->SyncListBoxSelection(false);
        EXPECT_EQ(Selected(20), "1") << mode;
        Press(3, TShiftState());
        EXPECT_EQ(Selected(20), "3") << mode;
        // Ctrl in list-box selection selects too, never deselects.
        Press(3, TShiftState{ssCtrl});
        EXPECT_EQ(Selected(20), "3") << mode;
        Word16 key = VK_DOWN;
        grid->ProcessKeyDown(key, TShiftState());
        EXPECT_EQ(Selected(20), "4") << mode;
    }
}

TEST_F(DBGridRowSelect, TheAnchorRecordAnswersForTheShiftRange) {
    Fill(30);
    Bind();
    Press(2, TShiftState{ssCtrl});  // record 2 selected, the anchor
    Show(20);
    EXPECT_EQ(grid->GetRangeAnchorRow(), 0);  // off screen
    EXPECT_TRUE(grid->IsAnchorRowSelected());
    EXPECT_FALSE(grid->IsDisplayRowSelected(grid->CurrentDisplayRow()));
    // The Shift press makes the pressed record current and leaves the
    // anchor on record 2.
    Press(19, TShiftState{ssShift});
    EXPECT_EQ(CurrentId(), 19);
    EXPECT_EQ(grid->GetRangeAnchorBookmark(), BookmarkOf(2));
    // Taken out of the selection, the anchor no longer spans.
    grid->SetDataRowSelected(Variant(BookmarkOf(2)), false);
    EXPECT_FALSE(grid->IsAnchorRowSelected());
    Press(17, TShiftState{ssShift});
    EXPECT_EQ(Selected(30), "");
    EXPECT_EQ(CurrentId(), 17);
    // Not active: no anchor is selected.
    table->Close();
    EXPECT_FALSE(grid->IsAnchorRowSelected());
}

TEST_F(DBGridRowSelect, ListBoxSelectionFollowsEveryMoveAndOtherGridsSelectNothingByMoving) {
    Fill(40);
    Bind();
    grid->SetRowSelectMode(rsSingle);
    grid->SetGridMode(gmListBox);
    auto key = [&](Word16 k, TShiftState shift = {}) { grid->ProcessKeyDown(k, shift); };
    table->First();
    key(VK_NEXT);
    EXPECT_EQ(Selected(40), std::to_string(CurrentId()));
    EXPECT_GT(CurrentId(), 1);
    key(VK_END, TShiftState{ssCtrl});
    EXPECT_EQ(CurrentId(), 40);
    EXPECT_EQ(Selected(40), "40");
    key(VK_HOME, TShiftState{ssCtrl});
    EXPECT_EQ(Selected(40), "1");
    // Moves of the dataset from outside the grid, within the window and
    // far off it.
    table->Next();
    EXPECT_EQ(Selected(40), "2");
    Show(33);
    EXPECT_EQ(Selected(40), "33");
    EXPECT_EQ(grid->GridStatus(), gsRowsSelected);

    // A grid with several selectable rows and nothing selected selects
    // nothing by moving.
    grid->SetGridMode(gmBrowse);
    grid->SetRowSelectMode(rsMulti);
    grid->DeselectAllRows();
    table->First();
    key(VK_DOWN);
    key(VK_NEXT);
    key(VK_END, TShiftState{ssCtrl});
    Show(12);
    EXPECT_EQ(Selected(40), "");
    EXPECT_EQ(grid->GridStatus(), gsNormal);
}

TEST_F(DBGridRowSelect, SelectionColourPresses) {
    Fill(30);
    Bind();
    constexpr TColor kBlue = 0xFF0000;
    const QRgb blue = qRgb(0, 0, 255);
    grid->SetSelectionColor(kBlue);
    grid->SetSelectionType(sltColor);
    auto shown = [&](int id) {
        TRect cell = grid->CellPixels(1, RowOf(id));
        return grid->Surface().pixel(cell.Right - 3, cell.Bottom - 3);
    };
    // The press alone shows its result in the selection colour when it
    // returns (the release would repaint anyway).
    TPoint at;
    auto press = [&](int id, TShiftState shift) {
        TRect r = grid->CellPixels(0, RowOf(id));
        at = TPoint(r.Left + 3, r.Top + 3);
        grid->MouseDown(mbLeft, shift, at.X, at.Y);
        EXPECT_FALSE(grid->IsUpdateSuspended());
    };
    auto release = [&] { grid->MouseUp(mbLeft, TShiftState(), at.X, at.Y); };
    for (TgrRecordSelection mode : {rseBookmarkRange, rseBookmarkSet}) {
        grid->SetRecordSelection(mode);
        Show(1);
        grid->Repaint();
        press(2, TShiftState());
        EXPECT_EQ(shown(2), blue) << mode;
        release();
        press(4, TShiftState{ssShift});
        EXPECT_EQ(Selected(30), "2-4") << mode;
        EXPECT_EQ(shown(3), blue) << mode;
        EXPECT_EQ(shown(4), blue) << mode;
        release();
        press(5, TShiftState{ssCtrl, ssShift});  // anchor 2 selected: adds 2..5
        EXPECT_EQ(Selected(30), "2-5") << mode;
        EXPECT_EQ(shown(5), blue) << mode;
        release();
        press(1, TShiftState());
        EXPECT_EQ(shown(1), blue) << mode;
        EXPECT_NE(shown(3), blue) << mode;
        release();
        grid->DeselectAllRows();
    }
}

TEST_F(DBGridRowSelect, PressIsRefusedWhileAnEditCannotBeLeft) {
    Fill(10);
    Bind();
    grid->SetRecordSelection(rseBookmarkRange);
    Press(2, TShiftState{ssCtrl});
    Show(1);
    // Looked up now: finding a record moves the dataset, which posts.
    std::vector<std::string> bm{""};
    for (int id = 1; id <= 10; ++id) bm.push_back(BookmarkOf(id));
    auto selected = [&] {
        std::string s;
        for (int id = 1; id <= 10; ++id)
            if (grid->IsDataRowSelected(Variant(bm[id]))) s += std::to_string(id);
        return s;
    };
    TRect r = grid->CellPixels(0, RowOf(4));
    // The Name column of the first record.
    grid->MoveCurrentCell(2, 1, false, true);
    grid->ChangeCurrentCell(2, 1);
    table->BeforePost = [](TDataSet* ds) {
        if (ds->FieldByName("Name")->AsString().empty()) throw Exception("Name is required");
    };
    for (TShiftState shift : {TShiftState(), TShiftState{ssCtrl}, TShiftState{ssShift}, TShiftState{ssCtrl, ssShift}}) {
        prompts->Answer(mrOk, "Name is required");
        ASSERT_TRUE(grid->EditCurrentCell(""));
        grid->MouseDown(mbLeft, shift, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        grid->MouseUp(mbLeft, shift, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        EXPECT_EQ(selected(), "2");
        EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 1);
        EXPECT_EQ(table->State(), dsEdit);
        prompts->Answer(mrOk, "Name is required");
        EXPECT_FALSE(grid->SelectPositionRange(MakeAtPosition(bm[5]), MakeAtPosition(bm[6]), true, false));
        EXPECT_EQ(selected(), "2");
        table->Cancel();
    }
}

TEST_F(DBGridRowSelect, PlainGridKeepsTheGridClassPresses) {
    // Not bound: the rows themselves are selected.
    grid->SetRows(8);
    auto press = [&](Integer row, TShiftState shift) {
        TRect r = grid->CellPixels(0, row);
        Integer x = (r.Left + r.Right) / 2, y = (r.Top + r.Bottom) / 2;
        grid->MouseDown(mbLeft, shift, x, y);
        grid->MouseUp(mbLeft, shift, x, y);
    };
    press(2, TShiftState());
    press(4, TShiftState{ssShift});
    EXPECT_TRUE(grid->IsDataRowSelected(Variant(3)));
    EXPECT_FALSE(grid->IsDataRowSelected(Variant(5)));
    grid->SetDataRowSelected(Variant(6), true);
    EXPECT_TRUE(grid->IsDataRowSelected(Variant(6)));
}

}  // namespace
