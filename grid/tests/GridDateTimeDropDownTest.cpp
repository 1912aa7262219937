// The date-time drop-down of the grid class: the definition a cell takes,
// the registered editor opened with one init, one drop-down and one
// roll-up notification per opening, a second press closing it, and the
// editor's answer taken into the cell or given up.

#include <gtest/gtest.h>

#include <string>

#include "grid/GridCellProps.h"
#include "grid/GridColRow.h"
#include "grid/TSGrid.h"
#include "grid/tests/GridDateTimeSupport.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/gui/Forms.h"

namespace {

class TDateTimeGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;
    std::string Told;
    std::string Picked;  // what the get-value notification answers, if set

protected:
    void FireDateTimeInit(TgrDateTimeDefComponent*, Integer c, Integer r) override { Told += At("init", c, r); }
    void FireDateTimeDropDown(TgrDateTimeDefComponent*, Integer c, Integer r) override { Told += At("down", c, r); }
    void FireDateTimeRollUp(TgrDateTimeDefComponent*, Integer c, Integer r) override { Told += At("up", c, r); }
    void FireDateTimeGetValue(TgrDateTimeDefComponent*, Integer c, Integer r, Variant& value) override {
        Told += At("get " + value.AsString(), c, r);
        if (!Picked.empty()) value = Variant(Picked);
    }

private:
    static std::string At(const std::string& what, Integer c, Integer r) {
        return what + " " + std::to_string(c) + "," + std::to_string(r) + ";";
    }
};

// A 3 x 3 grid: column 1 drops a date-time editor down, the grid has a
// definition; the registered editor answers as the test says.
class GridDateTimeDropDown : public ::testing::Test {
protected:
    enum Answer { aNone, aAccept, aCancel };
    void SetUp() override {
        grid = ShownGrid<TDateTimeGrid>(form, 3, 3);
        gridDef = new TgrDateTimeDefComponent(form);
        grid->SetDateTimeDef(gridDef);
        grid->Col(1)->SetButtonType(btDateTimeDropDown);
        editors.Answer = [this](TgrDateTimeEditor& e) {
            if (answer == aAccept) {
                e.Value = Variant(std::string("2024-01-02"));
                e.OnAccept();
            }
            if (answer == aCancel) e.OnCancel();
        };
        editors.Register();
        form->Show();
        ASSERT_TRUE(grid->MoveToDisplayCell(1, 1));
    }
    void TearDown() override {
        Application->ResetForTesting();
    }
    TForm* form = nullptr;
    TDateTimeGrid* grid = nullptr;
    TgrDateTimeDefComponent* gridDef = nullptr;
    TTestDateTimeEditors editors;
    Answer answer = aNone;
};

}  // namespace

TEST_F(GridDateTimeDropDown, EachOpeningNotifiesOnceAndASecondPressClosesIt) {
    ASSERT_TRUE(grid->DropDownDateTime());
    EXPECT_TRUE(grid->IsDateTimeDropDownShown());
    EXPECT_TRUE(grid->IsAnyDropDownShown());
    EXPECT_EQ(grid->Told, "init 1,1;down 1,1;");
    // The same cell's button again: closed, one roll-up.
    EXPECT_TRUE(grid->ToggleDateTimeDropDown(1, 1));
    EXPECT_FALSE(grid->IsDateTimeDropDownShown());
    EXPECT_EQ(grid->Told, "init 1,1;down 1,1;up 1,1;");
    EXPECT_EQ(editors.Opened, 1);
    grid->CloseDropDowns();
    EXPECT_EQ(grid->Told, "init 1,1;down 1,1;up 1,1;") << "nothing open, nothing more";
    // A new opening initialises the editor again.
    grid->Told.clear();
    ASSERT_TRUE(grid->DropDownDateTime());
    ASSERT_TRUE(grid->DropDownDateTime()) << "the open cell's drop-down closes";
    EXPECT_FALSE(grid->IsDateTimeDropDownShown());
    EXPECT_EQ(grid->Told, "init 1,1;down 1,1;up 1,1;");
    EXPECT_FALSE(grid->IsDateTimePopup());
}

TEST_F(GridDateTimeDropDown, TheEditorsAnswerIsTakenOrGivenUp) {
    answer = aAccept;
    grid->Picked = "picked";
    ASSERT_TRUE(grid->DropDownDateTime());
    EXPECT_EQ(grid->GetCellValue(1, 1).AsString(), "picked");
    EXPECT_FALSE(grid->IsDateTimeDropDownShown());
    EXPECT_EQ(grid->Told, "init 1,1;down 1,1;get 2024-01-02 1,1;up 1,1;");

    grid->Told.clear();
    answer = aCancel;
    grid->Picked = "other";
    ASSERT_TRUE(grid->DropDownDateTime());
    EXPECT_EQ(grid->GetCellValue(1, 1).AsString(), "picked") << "cancelled: nothing changes";
    EXPECT_EQ(grid->Told, "init 1,1;down 1,1;up 1,1;");

    // An Empty answer takes nothing and still ends the drop-down.
    grid->Told.clear();
    answer = aNone;
    ASSERT_TRUE(grid->DropDownDateTime());
    grid->DateTimeEditor()->Value = Variant();
    EXPECT_FALSE(grid->ApplyDateTimeValue());
    EXPECT_EQ(grid->Told, "init 1,1;down 1,1;up 1,1;");
    EXPECT_EQ(grid->GetCellValue(1, 1).AsString(), "picked");
}

TEST_F(GridDateTimeDropDown, TheDefinitionFollowsTheButtonTypesAndDrawOverlap) {
    auto* colDef = new TgrDateTimeDefComponent(form);
    auto* rowDef = new TgrDateTimeDefComponent(form);
    auto* cellDef = new TgrDateTimeDefComponent(form);
    grid->Col(1)->SetDateTimeDef(colDef);
    grid->SetRowDateTimeDef(2, rowDef);
    grid->SetRowButtonType(2, btDateTimePopup);
    TgrCell cell(grid, 3, Variant(Integer(3)));
    cell.SetButtonType(btDateTimeDropDown);
    cell.SetDateTimeDef(cellDef);
    struct Case {
        const char* name;
        TgrDrawOverlap overlap;
        Integer col, row;
        TgrDateTimeDefComponent* expected;
    } cases[] = {
        {"a date-time cell: its own", doDrawColOnTop, 3, 3, cellDef},
        {"column on top", doDrawColOnTop, 1, 2, colDef},
        {"row on top", doDrawRowOnTop, 1, 2, rowDef},
        {"row on top, plain row: the column's", doDrawRowOnTop, 1, 1, colDef},
        {"column on top, plain column: the row's", doDrawColOnTop, 2, 2, rowDef},
        {"nothing set: the grid's", doDrawColOnTop, 2, 1, gridDef},
        {"outside the data cells", doDrawColOnTop, 4, 1, nullptr},
    };
    for (const Case& c : cases) {
        grid->SetDrawOverlap(c.overlap);
        EXPECT_EQ(grid->EffectiveDateTimeDef(c.col, c.row), c.expected) << c.name;
    }
    grid->SetDrawOverlap(doDrawColOnTop);
    ASSERT_TRUE(grid->DropDownDateTime());
    EXPECT_EQ(editors.LastDef, colDef);
    // The definition going away while its editor is open leaves no trace.
    delete colDef;
    EXPECT_EQ(grid->EffectiveDateTimeDef(1, 1), gridDef);
    grid->CloseDropDowns();
    grid->Told.clear();
    ASSERT_TRUE(grid->DropDownDateTime());
    EXPECT_EQ(editors.LastDef, gridDef);
    EXPECT_EQ(grid->Told, "init 1,1;down 1,1;");
}
