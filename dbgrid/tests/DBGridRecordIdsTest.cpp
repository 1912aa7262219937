// Record ids: the grid bound to the students' memory table names each
// record by the id its OnGetRecordID handler reads from the record, the
// student's 64-bit number IDNo, and what it keeps by record follows that
// id.

#include "dbgrid/tests/DBGridTestSupport.h"

#include "grid/GridForm.h"
#include "platform/core/Streams.h"
#include "platform/core/Strings.h"
#include "platform/data/DataSet.h"

namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kGreen = 0x00FF00;
constexpr long long kNumberBase = 4000000000LL;

class DBGridRecordIds : public DBGridFixture {
protected:
    void SetUp() override {
        DBGridFixture::SetUp();
        table->Close();
        table->FieldDefs().Add("IDNo", ftLargeint);
        table->Open();
    }
    // Students 1..count, numbered kNumberBase + ID.
    void FillStudents(int count) {
        Fill(count);
        table->DisableControls();
        for (table->First(); !table->Eof(); table->Next()) {
            table->Edit();
            table->FieldByName("IDNo")->SetAsVariant(Id(table->FieldByName("ID")->AsInteger()));
            table->Post();
        }
        table->First();
        table->EnableControls();
    }
    void IdFromIDNo(TgrCustomDBGrid* g) {
        g->SetOnGetRecordID([this](TObject*, const Variant&, Variant& id) {
            ++idCalls;
            id = table->FieldByName("IDNo")->AsVariant();
        });
    }
    void UseIds() {
        IdFromIDNo(grid);
        grid->SetUseRecordIds(true);
    }
    void AddStudent(int id, const std::string& name, int score) {
        table->Append();
        table->FieldByName("ID")->SetAsInteger(id);
        table->FieldByName("IDNo")->SetAsVariant(Id(id));
        table->FieldByName("Name")->SetAsString(name);
        table->FieldByName("Score")->SetAsInteger(score);
        table->Post();
    }
    static Variant Id(int id) { return Variant(kNumberBase + id); }
    // The window row showing a Name, 0 when none does.
    Integer RowOfName(const std::string& name) {
        for (Integer r = 1; r <= grid->Rows(); ++r)
            if (NameAt(r) == name) return r;
        return 0;
    }
    // The colour painted near the corner of a cell (clear of its text).
    QRgb Painted(Integer dataCol, Integer row) {
        grid->Repaint();
        TRect cell = grid->CellPixels(grid->DisplayColOfData(dataCol), grid->DisplayRowOfData(row));
        return grid->Surface().pixel(cell.Right - 3, cell.Bottom - 3);
    }
    static QRgb Rgb(TColor c) { return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
    int idCalls = 0;
};

TEST_F(DBGridRecordIds, ColoursAndSelectionFollowTheIdThroughSortingAndReinsertion) {
    FillStudents(5);
    Bind();
    UseIds();
    ASSERT_TRUE(grid->UsesRecordIds());
    EXPECT_EQ(grid->DataRowOfRow(1), Id(1));
    EXPECT_EQ(grid->GetCurrentDataRow(), Id(1));
    grid->SetCellColor(2, Id(3), kRed);
    grid->SetRowColor(Id(5), kGreen);
    grid->SetRecordSelection(rseBookmarkSet);
    grid->SelectRows(Id(1), Id(2), true);
    // A bookmark is no name for a record now.
    EXPECT_FALSE(grid->IsRecordSelected(Variant(BookmarkOf(1))));

    // Sorted the other way round: N5 on top, the marks stay with the ids.
    table->SetSortFields("Score");
    table->Sort();
    table->First();
    ASSERT_EQ(Names(), "N5,N4,N3,N2,N1");
    EXPECT_EQ(grid->WindowPositionOfDataRow(Id(3)), 3);
    EXPECT_EQ(Painted(2, 3), Rgb(kRed));
    EXPECT_EQ(Painted(1, 1), Rgb(kGreen));
    EXPECT_EQ(Painted(2, 2), qRgb(255, 255, 255));  // the window colour
    EXPECT_TRUE(grid->IsRecordSelected(grid->DataRowOfRow(5)));  // N1
    EXPECT_TRUE(grid->IsRecordSelected(grid->DataRowOfRow(4)));  // N2
    EXPECT_FALSE(grid->IsRecordSelected(grid->DataRowOfRow(3)));

    // Deleted and entered again (a new bookmark), the record is the same.
    table->Locate("ID", Variant(3), {});
    table->Delete();
    table->Locate("ID", Variant(2), {});
    table->Delete();
    EXPECT_EQ(RowOfName("N3"), 0);
    EXPECT_EQ(grid->RecordCellProps().Count(), 1);
    AddStudent(3, "Again3", 50);
    AddStudent(2, "Again2", 51);
    Integer row3 = RowOfName("Again3"), row2 = RowOfName("Again2");
    ASSERT_GE(row3, 1);
    ASSERT_GE(row2, 1);
    EXPECT_EQ(grid->DataRowOfRow(row3), Id(3));
    EXPECT_EQ(Painted(2, row3), Rgb(kRed));
    EXPECT_TRUE(grid->IsRecordSelected(grid->DataRowOfRow(row2)));
    EXPECT_FALSE(grid->IsRecordSelected(grid->DataRowOfRow(row3)));

    // The selection names ids: deleting selected records through the grid
    // deletes the records that carry them, and keeps what is kept by id.
    grid->SetConfirmDelete(false);
    grid->DeleteSelectedRecords();
    EXPECT_EQ(RowOfName("N1"), 0);
    EXPECT_EQ(RowOfName("Again2"), 0);
    EXPECT_EQ(grid->RecordCellProps().Count(), 1);
}

TEST_F(DBGridRecordIds, RecordsOutsideTheWindowAreFoundByTheirId) {
    FillStudents(30);
    Bind();
    UseIds();
    // Events name the record by id.
    std::vector<Variant> changed;
    grid->OnRowChanged = [&](TObject*, const Variant& oldRow, const Variant& newRow) {
        changed = {oldRow, newRow};
    };
    table->Next();
    ASSERT_EQ(changed.size(), 2u);
    EXPECT_EQ(changed[0], Id(1));
    EXPECT_EQ(changed[1], Id(2));
    // Record 25 is not shown: its value is read through its id, the
    // dataset comes back, and going there makes it the current record.
    EXPECT_EQ(grid->WindowPositionOfDataRow(Id(25)), 0);
    EXPECT_EQ(grid->GetCellValue(2, Id(25)).AsString(), "N25");
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 2);
    EXPECT_TRUE(grid->GotoDataRow(Id(25)));
    EXPECT_EQ(grid->GetCurrentDataRow(), Id(25));
    EXPECT_EQ(changed[1], Id(25));
    EXPECT_FALSE(grid->GotoDataRow(Id(99)));
    // A range across the window selects every record between by id.
    grid->SelectRows(Id(24), Id(27), true);
    int selected = 0;
    grid->ForEachRecord([&](const Variant& row) { selected += grid->IsRecordSelected(row) ? 1 : 0; });
    EXPECT_EQ(selected, 4);
    EXPECT_TRUE(grid->IsRecordSelected(Id(27)));
    EXPECT_THROW(grid->SelectRows(Id(24), Id(99), true), EInvalidGridOperation);
    // The id of a record gone can still be deselected.
    grid->SelectRows(Id(99), Id(99), true);
    grid->SelectRows(Id(99), Id(99), false);
    EXPECT_FALSE(grid->IsRecordSelected(Id(99)));
    // Rows selected on screen select their records' ids.
    grid->DeselectAllRows();
    table->First();
    grid->SelectDisplayRows(grid->DisplayRowOfData(2), grid->DisplayRowOfData(3));
    table->Last();
    EXPECT_TRUE(grid->IsRecordSelected(Id(2)));
    EXPECT_TRUE(grid->IsRecordSelected(Id(3)));
    EXPECT_FALSE(grid->IsRecordSelected(Id(1)));
    EXPECT_FALSE(grid->IsRecordSelected(grid->DataRowOfRow(grid->Rows())));
}

TEST_F(DBGridRecordIds, SelectAllSelectsEveryRecordsIdAndASecondPressDeselectsThem) {
    FillStudents(20);
    Bind();
    UseIds();
    grid->SetRowSelectMode(rsMulti);
    table->Locate("ID", Variant(3), {});
    auto selected = [&] {
        std::string names;
        grid->ForEachRecord([&](const Variant& row) {
            if (grid->IsRecordSelected(row))
                names += (names.empty() ? "" : ",") + table->FieldByName("Name")->AsString();
        });
        return names;
    };
    std::string all;
    for (int id = 1; id <= 20; ++id) all += (id > 1 ? "," : "") + std::string("N") + std::to_string(id);
    for (TgrRecordSelection mode : {rseBookmarkRange, rseBookmarkSet}) {
        grid->SetRecordSelection(mode);
        // A press on the corner reads every record's id, in either mode.
        EXPECT_TRUE(PressCorner()) << "mode " << mode;
        EXPECT_EQ(grid->GridStatus(), gsRowsSelected);
        EXPECT_EQ(grid->RecordSelectionSet().Ids().Count(), 20) << "mode " << mode;
        EXPECT_EQ(selected(), all) << "mode " << mode;
        EXPECT_TRUE(grid->IsRecordSelected(Id(17)));
        EXPECT_FALSE(grid->IsRecordSelected(Variant(BookmarkOf(17))));
        EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 3);
        // All selected: the next press deselects them.
        grid->SelectAllRows(true);
        EXPECT_EQ(selected(), "") << "mode " << mode;
        // One id taken out: the press selects every record again.
        grid->SelectAllRows(true);
        grid->SelectRows(Id(12), Id(12), false);
        EXPECT_FALSE(grid->IsRecordSelected(Id(12)));
        grid->SelectAllRows(true);
        EXPECT_EQ(selected(), all) << "mode " << mode;
        // A run deselected by a walk also counts as a removal.
        grid->SelectRows(Id(4), Id(6), false);
        grid->SelectAllRows(true);
        EXPECT_EQ(selected(), all) << "mode " << mode;
        grid->DeselectAllRows();
    }
    // The ids stay selected through sorting; a record added later is not.
    grid->SelectAllRows(false);
    table->SetSortFields("Score");
    table->Sort();
    AddStudent(21, "N21", 0);
    EXPECT_TRUE(grid->IsRecordSelected(Id(1)));
    EXPECT_TRUE(grid->IsRecordSelected(Id(20)));
    EXPECT_FALSE(grid->IsRecordSelected(Id(21)));
}

TEST_F(DBGridRecordIds, RowBarPressesSelectIdsAndAShiftSpanReachesAnAnchorOffScreen) {
    FillStudents(30);
    Bind();
    UseIds();
    auto rowOf = [&](int id) {
        for (Integer r = 1; r <= grid->Rows(); ++r)
            if (grid->DataRowOfRow(r) == Id(id)) return grid->DisplayRowOfData(r);
        return Integer(0);
    };
    auto press = [&](int id, TShiftState shift) {
        Integer row = rowOf(id);
        ASSERT_GT(row, 0) << "N" << id << " is not shown";
        TRect r = grid->CellPixels(0, row);
        grid->MouseDown(mbLeft, shift, r.Left + 3, r.Top + 3);
        grid->MouseUp(mbLeft, shift, r.Left + 3, r.Top + 3);
    };
    auto show = [&](int id) { table->Locate("ID", Variant(id), {}); };
    auto selected = [&] { return IdRuns(30, [&](int id) { return grid->IsRecordSelected(Id(id)); }); };
    for (TgrRecordSelection mode : {rseBookmarkRange, rseBookmarkSet}) {
        grid->SetRecordSelection(mode);
        show(1);
        press(3, TShiftState());
        EXPECT_EQ(selected(), "3") << mode;
        press(2, TShiftState{ssCtrl});  // the anchor, selected
        EXPECT_EQ(selected(), "2-3") << mode;
        EXPECT_TRUE(grid->IsAnchorRowSelected());
        show(20);
        ASSERT_EQ(rowOf(2), 0);
        // Every record between the anchor and the pressed one, not only
        // those shown; the anchor stays, and so do the rows on screen.
        Integer shownAt = rowOf(20);
        press(20, TShiftState{ssShift});
        EXPECT_EQ(selected(), "2-20") << mode;
        EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 20);
        EXPECT_EQ(rowOf(20), shownAt);
        show(8);
        press(8, TShiftState{ssShift});
        EXPECT_EQ(selected(), "2-8") << mode;
        // Ctrl+Shift from an anchor taken out removes the span up to it.
        show(1);
        press(2, TShiftState{ssCtrl});
        show(20);
        press(20, TShiftState{ssCtrl, ssShift});
        EXPECT_EQ(selected(), "") << mode;
        // A cancelled scan changes nothing and ends the press.
        show(1);
        press(2, TShiftState());
        show(20);
        grid->OnScanRecords = [](TObject*, bool, TgrScanState state, Integer count, bool& cancel) {
            if (state == scsRecord && count == 3) cancel = true;
        };
        press(20, TShiftState{ssShift});
        grid->OnScanRecords = nullptr;
        EXPECT_EQ(selected(), "2") << mode;
        EXPECT_EQ(grid->MouseStatus(), msNone);
        grid->DeselectAllRows();
    }
}

TEST_F(DBGridRecordIds, OnCompareRecordIDDecidesWhichIdsAreEqual) {
    FillStudents(3);
    Bind();
    // Ids are the lower-cased names; the application compares them without
    // regard to case.
    grid->SetOnGetRecordID([this](TObject*, const Variant&, Variant& id) {
        id = Variant(LowerCase(table->FieldByName("Name")->AsString()));
    });
    grid->SetUseRecordIds(true);
    int compared = 0;
    grid->OnCompareRecordID = [&](TObject*, const Variant& a, const Variant& b, Integer& res) {
        ++compared;
        EXPECT_EQ(res, -2);
        int c = CompareText(a.AsString(), b.AsString());
        res = c < 0 ? -1 : c > 0 ? 1 : 0;
    };
    grid->SetCellColor(2, Variant("N2"), kRed);
    EXPECT_GT(compared, 0);
    EXPECT_EQ(grid->GetCellColor(2, grid->DataRowOfRow(2)), kRed);
    EXPECT_EQ(grid->WindowPositionOfDataRow(Variant("N3")), 3);
    EXPECT_EQ(grid->CompareRecordIds(Variant("n1"), Variant("N1")), 0);
    EXPECT_EQ(grid->CompareRecordIdentities(Variant("n2"), Variant("N2")), 0);
    EXPECT_EQ(grid->CompareRecordIdentities(Variant("n1"), Variant("N2")), -1);
    // Left at -2 the ids compare as variants, case and all.
    grid->OnCompareRecordID = [](TObject*, const Variant&, const Variant&, Integer&) {};
    EXPECT_EQ(grid->CompareRecordIds(Variant("n1"), Variant("N1")), 1);
    EXPECT_EQ(grid->CompareRecordIds(Variant(2), Variant(10)), -1);
    // An error of the handler reaches the caller as a grid error.
    grid->OnCompareRecordID = [](TObject*, const Variant&, const Variant&, Integer&) {
        throw Exception("ids cannot be compared");
    };
    try {
        grid->CompareRecordIds(Variant("a"), Variant("b"));
        FAIL() << "no error";
    } catch (const EInvalidGridOperation& e) {
        EXPECT_NE(std::string(e.what()).find("ids cannot be compared"), std::string::npos);
    }
}

TEST_F(DBGridRecordIds, SwitchingTheIdentityDropsWhatWasKeptByRecord) {
    FillStudents(3);
    Bind();
    std::string bm2 = BookmarkOf(2);
    grid->SetCellColor(2, Variant(bm2), kRed);
    grid->SetRowColor(Variant(bm2), kGreen);
    // Without a handler switching UseRecordIds changes nothing and the
    // handler is never asked.
    grid->SetUseRecordIds(true);
    EXPECT_FALSE(grid->UsesRecordIds());
    EXPECT_EQ(grid->GetCellColor(2, Variant(bm2)), kRed);
    grid->SetUseRecordIds(false);
    EXPECT_EQ(grid->RecordRowProps().Count(), 1);
    IdFromIDNo(grid);
    grid->Repaint();
    EXPECT_EQ(idCalls, 0);
    EXPECT_EQ(grid->DataRowOfRow(2), Variant(bm2));
    EXPECT_THROW(grid->SetCellColor(2, Variant(2), kRed), EInvalidGridOperation);
    EXPECT_EQ(grid->CompareRecordIdentities(Variant(bm2), Variant(BookmarkOf(3))), -1);
    EXPECT_EQ(grid->CompareRecordIdentities(Variant(2), Variant(3)), -2);

    // With the handler, each switch drops every property kept by record.
    grid->SetUseRecordIds(true);
    EXPECT_EQ(grid->RecordCellProps().Count(), 0);
    EXPECT_EQ(grid->RecordRowProps().Count(), 0);
    EXPECT_EQ(grid->DataRowOfRow(2), Id(2));
    EXPECT_GT(idCalls, 0);
    grid->SetCellColor(2, Id(2), kRed);
    grid->SelectRows(Id(1), Id(1), true);
    grid->SetUseRecordIds(false);
    EXPECT_EQ(grid->RecordCellProps().Count(), 0);
    EXPECT_FALSE(grid->IsRecordSelected(Variant(BookmarkOf(1))));
    EXPECT_EQ(grid->DataRowOfRow(2), Variant(bm2));
}

TEST_F(DBGridRecordIds, ANewRecordIsTheNullRecordUntilPosted) {
    FillStudents(2);
    Bind();
    UseIds();
    grid->AppendRecord();
    Integer row = grid->RecordWindow()->GetActiveRow();
    EXPECT_TRUE(grid->DataRowOfRow(row).IsNull());
    grid->SetCellColor(2, NullDataRow(), kRed);
    grid->SetRowColor(NullDataRow(), kGreen);
    table->FieldByName("IDNo")->SetAsVariant(Id(7));
    table->Post();
    // What was kept for the record while it was new was not its own.
    EXPECT_EQ(grid->RecordCellProps().Count(), 0);
    EXPECT_EQ(grid->RecordRowProps().Count(), 0);
    EXPECT_EQ(grid->GetCurrentDataRow(), Id(7));
}

TEST_F(DBGridRecordIds, EditingTheIdGivesTheRecordItsNewName) {
    FillStudents(3);
    Bind();
    UseIds();
    grid->SetCellColor(2, Id(8), kRed);
    table->Locate("ID", Variant(2), {});
    table->Edit();
    EXPECT_EQ(grid->DataRowOfRow(2), Id(2));
    table->FieldByName("IDNo")->SetAsVariant(Id(8));
    EXPECT_EQ(grid->DataRowOfRow(2), Id(8));
    EXPECT_EQ(grid->GetCellColor(2, grid->DataRowOfRow(2)), kRed);
    table->Post();
    EXPECT_EQ(Painted(2, 2), Rgb(kRed));
}

TEST_F(DBGridRecordIds, FormFilesKeepUseRecordIdsAndTheIdsOfTheRecords) {
    FillStudents(3);
    Bind();
    UseIds();
    grid->SetCellColor(2, Id(2), kRed);
    grid->SetRowColor(Id(3), kGreen);
    TMemoryStream s;
    SaveGridToFormStream(*grid, s, nullptr);
    std::string bytes(std::size_t(s.Size()), '\0');
    s.Seek(0, soBeginning);
    s.ReadBuffer(bytes.data(), Integer(bytes.size()));
    EXPECT_NE(bytes.find("UseRecordIds"), std::string::npos);
    TStringStream layout;
    grid->SaveLayoutToStreamAll(layout, false);
    EXPECT_NE(layout.DataString().find("UseRecordIds"), std::string::npos);

    auto* other = new TLogDBGrid(form);
    other->SetParent(form);
    TMemoryStream in;
    in.WriteBuffer(bytes.data(), Integer(bytes.size()));
    in.Seek(0, soBeginning);
    LoadGridFromFormStream(*other, in);
    EXPECT_TRUE(other->UseRecordIds());
    IdFromIDNo(other);
    other->SetDataSource(source);
    ASSERT_TRUE(other->DataActive());
    // The 64-bit ids came back as 64-bit values and name the same records.
    bool int64Key = false;
    for (TgrDBCellElement* e : other->RecordCellProps().Records())
        int64Key = e->DataRow.Type() == varInt64 && e->DataRow == Id(2);
    EXPECT_TRUE(int64Key);
    EXPECT_EQ(other->GetCellColor(2, other->DataRowOfRow(2)), kRed);
    EXPECT_EQ(other->GetRowColor(other->DataRowOfRow(3)), kGreen);
}

}  // namespace
