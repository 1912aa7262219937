#include "dbgrid/tests/DBGridTestSupport.h"

#include "dbgrid/DBComboGrid.h"
#include "grid/GridControlTypes.h"
#include "grid/GridEditBox.h"
#include "platform/core/Clock.h"
#include "platform/core/Strings.h"
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"
#include "platform/data/StdFields.h"

namespace {

// The Name column of the students carries a combo over a list of fruit;
// the grid stands on the first student's Name.
class DBComboSearch : public DBGridFixture {
protected:
    void SetUp() override {
        DBGridFixture::SetUp();
        Fill(3);
        fruit = new TqmtMemTable(form);
        fruit->FieldDefs().Add("Name", ftString, 12);
        fruit->Open();
        for (const char* name : {"Apple", "Avocado", "Banana", "Blueberry", "Cherry", "Date", "Elder", "Fig",
                                 "Grape", "Kiwi"})
            fruit->AppendRecord({Variant(std::string(name))});
        fruit->First();
        fruitSource = new TDataSource(form);
        fruitSource->SetDataSet(fruit);
        Bind();
        grid->Col(2)->SetButtonType(btCombo);
        grid->Col(2)->CreateCombo();
        combo = dynamic_cast<TgrDBCombo*>(grid->Col(2)->Combo());
        ASSERT_NE(combo, nullptr);
        list = combo->DBComboGrid();
        list->SetDataSource(fruitSource);
        combo->SetDropDownRows(3);
        ASSERT_TRUE(grid->CanSelectCell(2, 1));
        grid->MoveCurrentCell(2, 1, false, true);
        grid->ChangeCurrentCell(2, 1);
        SetCurrentClock(&clock);
    }
    void TearDown() override {
        SetCurrentClock(nullptr);
        DBGridFixture::TearDown();
    }
    void Key(Word16 key, TShiftState shift = {}) { grid->ProcessKeyDown(key, shift); }
    void Type(char c) { grid->DoKeyPress(c); }
    std::string Cell() { return grid->GetCellValue(2, grid->GetCurrentDataRow()).AsString(); }
    std::string ListRecord() { return fruit->FieldByName("Name")->AsString(); }
    // The list that drops down and is searched: the working combo's, loaded
    // from the column's combo (list).
    TgrDBComboGrid* Shown() { return grid->GetWorkCombo()->DBComboGrid(); }
    std::string BookmarkOfFruit(const std::string& name) {
        std::string back = fruit->GetBookmark();
        fruit->Locate("Name", Variant(name), {});
        std::string bm = fruit->GetBookmark();
        fruit->GotoBookmark(back);
        return bm;
    }

    ManualClock clock{1000};
    TqmtMemTable* fruit = nullptr;
    TDataSource* fruitSource = nullptr;
    TgrDBCombo* combo = nullptr;
    TgrDBComboGrid* list = nullptr;
};

TEST_F(DBComboSearch, FoundRecordIsPlacedByTheSearchKind) {
    struct Case {
        TgrComboAutoSearchType kind;
        const char* record;
        Integer row;  // the window row it is shown in (3 rows shown)
    } cases[] = {
        {asTop, "Elder", 1},   {asCenter, "Elder", 2}, {asBottom, "Elder", 3},
        // Near the start the list cannot move back far enough.
        {asBottom, "Apple", 1}, {asCenter, "Apple", 1}, {asBottom, "Avocado", 2},
    };
    list->SetBounds(0, 0, 120, list->CalcDropDownHeight(3));
    for (const Case& c : cases) {
        // Looked up before the list moves: looking up moves the dataset.
        std::string bookmark = BookmarkOfFruit(c.record);
        combo->SetAutoSearch(c.kind);
        list->ShowComboRecord(bookmark);
        EXPECT_EQ(ListRecord(), c.record) << c.record << " kind " << int(c.kind);
        EXPECT_EQ(list->GetCellValue(1, c.row).AsString(), c.record) << " kind " << int(c.kind);
        EXPECT_EQ(list->RecordWindow()->GetBookmarkRow(bookmark), c.row) << c.record << " kind " << int(c.kind);
        EXPECT_TRUE(list->IsRecordSelected(Variant(bookmark))) << c.record;
    }
}

TEST_F(DBComboSearch, SameFirstLetterCyclesThroughTheUnsortedListAndWraps) {
    combo->SetAutoSearch(asTop);
    Key(VK_F4);
    ASSERT_EQ(grid->DroppedCombo(), grid->GetWorkCombo());
    std::vector<std::string> seen;
    for (int i = 0; i < 3; ++i) {
        Type('b');
        seen.push_back(Cell() + "/" + ListRecord());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"Banana/Banana", "Blueberry/Blueberry", "Banana/Banana"}));
    // A letter no record starts with leaves cell and list as they are.
    Type('z');
    EXPECT_EQ(Cell(), "Banana");
    EXPECT_EQ(ListRecord(), "Banana");
    Key(VK_RETURN);
    ASSERT_TRUE(grid->PostEdit());
    table->First();
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "Banana");
}

TEST_F(DBComboSearch, SortedListJoinsKeysTypedWithinTwoSeconds) {
    combo->SetAutoSearch(asTop);
    combo->SetValueColSorted(true);
    Key(VK_F4);
    Type('b');
    EXPECT_EQ(ListRecord(), "Banana");
    clock.Advance(500);
    Type('l');
    EXPECT_EQ(ListRecord(), "Blueberry");
    clock.Advance(2500);
    Type('c');
    EXPECT_EQ(ListRecord(), "Cherry");
    EXPECT_EQ(Shown()->SearchText(), "c");
    // Within the time again: "ch" still matches, "cx" matches nothing.
    Type('h');
    EXPECT_EQ(Shown()->SearchText(), "ch");
    Type('x');
    EXPECT_EQ(ListRecord(), "Cherry");
    EXPECT_EQ(Shown()->SearchText(), "ch");
}

TEST_F(DBComboSearch, GetValueAndCellLoadedEventsNameTheListAndRecords) {
    std::vector<std::string> loaded;
    grid->OnComboCellLoaded = [&](TObject* sender, TgrDBComboGrid* c, Integer col, const Variant&, Variant& value) {
        if (sender == grid && c == Shown() && col == 1 && loaded.size() < 2) loaded.push_back(value.AsString());
        value = Variant(UpperCase(value.AsString()));
    };
    std::string comboRecord;
    grid->OnComboGetValue = [&](TObject*, TgrDBComboGrid* c, Integer col, const Variant& gridRow,
                                const Variant& comboRow, Variant& value) {
        EXPECT_EQ(c, Shown());
        EXPECT_EQ(col, 2);
        EXPECT_EQ(gridRow, Variant(BookmarkOf(1)));
        comboRecord = comboRow.AsString();
        value = Variant(std::string("picked"));
    };
    Key(VK_F4);
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_EQ(comboRecord, BookmarkOfFruit("Avocado"));
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "picked");
    ASSERT_FALSE(loaded.empty());
    EXPECT_EQ(loaded[0], "Apple");
}

TEST_F(DBComboSearch, AutoFillCompletesTheTypedTextAndSelectsTheRest) {
    struct Case {
        TgrConvertCase convert;
        std::string typed, cell;
        Integer selStart, selLength;
    } cases[] = {
        {afcOnEdit, "bl", "Blueberry", 2, 7},
        {afcNone, "bl", "blueberry", 2, 7},
        // A whole text only has its case put right while editing (no
        // selection is checked where nothing was filled in).
        {afcOnEdit, "FIG", "Fig", -1, -1},
        {afcNone, "FIG", "FIG", -1, -1},
        // No entry starts with "bx": what the first key filled in stays.
        {afcOnEdit, "bx", "Bx", -1, -1},
    };
    combo->SetAutoFill(true);
    ASSERT_EQ(combo->GetAutoSearch(), asTop);
    for (const Case& c : cases) {
        // The column's combo refreshed: the next key loads its new setting.
        combo->SetAutoFillConvertCase(c.convert);
        combo->Refresh();
        grid->UndoEdit();
        grid->UndoEdit();
        ASSERT_EQ(table->State(), dsBrowse);
        for (char ch : c.typed) Type(ch);
        EXPECT_EQ(Cell(), c.cell) << c.typed << " " << int(c.convert);
        TgrGridEditBox* box = grid->EditControl()->EditBox();
        if (c.selStart < 0) continue;
        EXPECT_EQ(box->GetSelStartChars(), c.selStart) << c.typed << " " << int(c.convert);
        EXPECT_EQ(box->GetSelLengthChars(), c.selLength) << c.typed << " " << int(c.convert);
    }
}

// A lookup column: the students store a fruit number, the grid shows and
// lists the fruit's name, the record takes the number chosen.
TEST(DBComboLookup, ChoosingARecordStoresItsKey) {
    Application->Initialize();
    TScriptedPrompts prompts;
    SetPromptService(&prompts);
    auto* form = new TForm(Application);
    form->SetBounds(0, 0, 400, 200);
    auto* fruit = new TqmtMemTable(form);
    fruit->FieldDefs().Add("No", ftInteger);
    fruit->FieldDefs().Add("Fruit", ftString, 10);
    fruit->Open();
    fruit->AppendRecord({1, Variant(std::string("Apple"))});
    fruit->AppendRecord({2, Variant(std::string("Banana"))});
    fruit->AppendRecord({3, Variant(std::string("Cherry"))});
    auto* orders = new TqmtMemTable(form);
    auto* key = new TIntegerField(orders);
    key->SetFieldName("FruitNo");
    key->SetDataSet(orders);
    auto* name = new TStringField(orders);
    name->SetFieldName("FruitName");
    name->SetSize(10);
    name->SetFieldKind(fkLookup);
    name->SetLookupDataSet(fruit);
    name->SetKeyFields("FruitNo");
    name->SetLookupKeyFields("No");
    name->SetLookupResultField("Fruit");
    name->SetDataSet(orders);
    orders->Open();
    orders->AppendRecord({1});
    orders->First();
    auto* source = new TDataSource(form);
    source->SetDataSet(orders);
    auto* grid = new TLogDBGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 300, 150);
    form->Show();
    grid->SetDataSource(source);
    ASSERT_EQ(grid->Cols(), 2);
    // The column has no combo of its own: the working combo lists the
    // lookup dataset's result field by itself (a column's own combo keeps
    // the columns it was given).
    grid->Col(2)->SetButtonType(btCombo);
    ASSERT_TRUE(grid->MoveToDisplayCell(2, 1));
    Word16 f4 = VK_F4;
    grid->ProcessKeyDown(f4, TShiftState());
    TgrDBCombo* combo = grid->GetWorkCombo();
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(grid->DroppedCombo(), combo);
    TgrDBComboGrid* list = combo->DBComboGrid();
    EXPECT_TRUE(list->ShowsAutoLookup());
    EXPECT_EQ(list->Cols(), 1);
    EXPECT_EQ(combo->GetAutoSearch(), asTop);
    // It opens on the record the cell shows.
    EXPECT_EQ(fruit->FieldByName("Fruit")->AsString(), "Apple");
    Word16 down = VK_DOWN, enter = VK_RETURN;
    grid->ProcessKeyDown(down, TShiftState());
    grid->ProcessKeyDown(enter, TShiftState());
    EXPECT_EQ(orders->State(), dsEdit);
    EXPECT_EQ(key->AsInteger(), 2);
    EXPECT_EQ(name->AsString(), "Banana");
    ASSERT_TRUE(grid->PostEdit());
    EXPECT_EQ(orders->FieldByName("FruitNo")->AsInteger(), 2);
    SetPromptService(nullptr);
    Application->ResetForTesting();
}

}  // namespace
