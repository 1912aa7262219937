#include <gtest/gtest.h>

#include <map>

#include "grid/Grids_ts.h"
#include "platform/core/Clock.h"
#include "platform/gui/Forms.h"

namespace {

class TInputGrid : public TCustomGrid_ts {
public:
    explicit TInputGrid(TComponent* owner) : TCustomGrid_ts(owner) {}
    std::vector<std::pair<Integer, Integer>> columnMoves;
    std::map<std::pair<Integer, Integer>, std::string> texts;
    std::vector<TCellCoord_ts> painted;
    bool modifiable = true;
    using TCustomGrid_ts::DoKeyDown;
    using TCustomGrid_ts::DoKeyPress;
    using TCustomGrid_ts::MouseDown;
    using TCustomGrid_ts::MouseMove;
    using TCustomGrid_ts::MouseUp;

protected:
    void PaintCell(Integer col, Integer row, const TRect&, TGridDrawState_ts) override {
        painted.push_back({col, row});
    }
    void NotifyColumnMoved(Integer from, Integer to) override { columnMoves.push_back({from, to}); }
    std::string EditTextOf(Integer col, Integer row) override { return texts[{col, row}]; }
    void StoreEditText(Integer col, Integer row, const std::string& text) override { texts[{col, row}] = text; }
    bool TextModifiable() override { return modifiable; }
};

// A 5 x 5 grid of 64 x 24 cells with one fixed column and row, 330 x 130
// pixels (everything fits; no scroll bars), focused on a shown form.
class GridInput : public ::testing::Test {
protected:
    void SetUp() override {
        SetCurrentClock(&clock);
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 500, 400);
        grid = new TInputGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 330, 130);
        form->Show();
        grid->SetFocus();
        grid->Update();
    }
    void TearDown() override {
        Application->ResetForTesting();
        SetCurrentClock(nullptr);
    }
    void Press(int x, int y, TShiftState s = {}) { grid->MouseDown(mbLeft, s, x, y); }
    void Move(int x, int y) { grid->MouseMove(TShiftState{ssLeft}, x, y); }
    void Release(int x, int y) { grid->MouseUp(mbLeft, {}, x, y); }
    void Key(Word16 k, TShiftState s = {}) { grid->DoKeyDown(k, s); }
    void Tick() {
        clock.Advance(60);
        FireDueTimers();
    }
    TCellCoord_ts Cur() { return grid->CurrentCell(); }
    ManualClock clock{1000};
    TForm* form = nullptr;
    TInputGrid* grid = nullptr;
};

}  // namespace

TEST_F(GridInput, ResizeZoneAroundColumnEdges) {
    grid->SetGridOptions(grid->GridOptions() | gxColSizing | gxRowSizing);
    TGridLayout_ts l;
    grid->ComputeLayout(l);
    // Column 1 ends at pixel 65 + 64 = 129 (at 64 + 64 without lines).
    struct Case {
        Integer line, x, y;
        TGridState_ts state;
        Integer index;
    } cases[] = {
        {1, 125, 10, gstNormal, -1}, {1, 126, 10, gstColSizing, 1}, {1, 133, 10, gstColSizing, 1},
        {1, 134, 10, gstNormal, -1}, {1, 130, 40, gstNormal, -1},  // not from the scrolling area
        {1, 10, 50, gstRowSizing, 1},                               // row 1 ends at 25 + 24 = 49
        {0, 124, 10, gstNormal, -1},  {0, 125, 10, gstColSizing, 1}, {0, 132, 10, gstColSizing, 1}, {0, 133, 10, gstNormal, -1},
        {9, 136, 10, gstNormal, -1},    {9, 137, 10, gstColSizing, 1}, {9, 146, 10, gstColSizing, 1},
        {9, 147, 10, gstNormal, -1},
    };
    for (auto& k : cases) {
        grid->SetGridLinePixels(k.line);
        TGridLayout_ts lay;
        grid->ComputeLayout(lay);
        if (k.line == 0) grid->SetGridOptions(grid->GridOptions() & ~(gxVertLines | gxFixedVertLines));
        grid->ComputeLayout(lay);
        TGridState_ts state;
        Integer index = -1, pos = 0, off = 0;
        grid->SizingHit(k.x, k.y, lay, state, index, pos, off);
        EXPECT_EQ(state, k.state) << "line " << k.line << " at " << k.x << "," << k.y;
        EXPECT_EQ(index, k.index) << "line " << k.line << " at " << k.x << "," << k.y;
        grid->SetGridOptions(grid->GridOptions() | gxVertLines | gxFixedVertLines);
    }
}

TEST_F(GridInput, DraggingAColumnEdgeResizesIt) {
    grid->SetGridOptions(grid->GridOptions() | gxColSizing);
    Press(129, 10);
    EXPECT_EQ(grid->MouseState(), gstColSizing);
    EXPECT_EQ(grid->CursorAt(129, 10), crHSplit);
    Move(150, 10);
    Release(150, 10);
    EXPECT_EQ(grid->GetColWidthAt(1), 85);
    EXPECT_EQ(grid->MouseState(), gstNormal);
    // Narrower than 2 pixels: the width stays.
    Press(150, 10);
    Move(66, 10);
    Release(66, 10);
    EXPECT_EQ(grid->GetColWidthAt(1), 85);
}

TEST_F(GridInput, ClickingSelectsAndShiftExtends) {
    Press(140, 60);  // cell (2, 2)
    Release(140, 60);
    EXPECT_EQ(Cur(), (TCellCoord_ts{2, 2}));
    Press(210, 85, TShiftState{ssShift});  // cell (3, 3)
    Release(210, 85);
    EXPECT_EQ(grid->SelectionRange(), (TCellRange_ts{2, 2, 3, 3}));
    // Dragging extends the anchor.
    Press(80, 30);
    Move(210, 60);
    Release(210, 60);
    EXPECT_EQ(grid->SelectionRange(), (TCellRange_ts{1, 1, 3, 2}));
}

TEST_F(GridInput, HoldingThePointerPastTheCellsExtendsOnEveryTick) {
    grid->SetColTotal(12);
    grid->MoveCurrentCell(10, 2, true, true);
    Integer left = grid->TopLeftCell().Col;
    TRect r = grid->CellPixels(left + 1, 2);
    Press(r.Left + 5, r.Top + 5);
    Move(30, r.Top + 5);  // over the fixed column, left of the scrolling cells
    EXPECT_EQ(grid->AnchorCell().Col, left + 1);
    Tick();
    EXPECT_EQ(grid->AnchorCell().Col, left);
    Tick();
    EXPECT_EQ(grid->AnchorCell().Col, left - 1);
    EXPECT_EQ(grid->TopLeftCell().Col, left - 1);
    Release(30, r.Top + 5);
    Tick();
    EXPECT_EQ(grid->AnchorCell().Col, left - 1);
    EXPECT_FALSE(grid->DragTimer()->Enabled());
}

TEST_F(GridInput, MovingAColumnByItsHeading) {
    grid->SetGridOptions(grid->GridOptions() | gxColMoving);
    Press(100, 10);  // heading of column 1
    EXPECT_EQ(grid->MouseState(), gstColMoving);
    Move(230, 60);  // over column 3
    Release(230, 60);
    ASSERT_EQ(grid->columnMoves.size(), 1u);
    EXPECT_EQ(grid->columnMoves[0].first, 1);
    EXPECT_EQ(grid->columnMoves[0].second, 3);
    // A move that ends where it began moves nothing.
    Press(100, 10);
    Move(230, 60);
    Move(100, 60);
    Release(100, 60);
    EXPECT_EQ(grid->columnMoves.size(), 1u);
}

TEST_F(GridInput, DefaultKeyboard) {
    grid->SetColTotal(6);
    grid->SetRowTotal(6);
    struct Case {
        Word16 key;
        TShiftState shift;
        TCellCoord_ts cell;
    } cases[] = {
        {VK_DOWN, {}, {1, 2}},           {VK_RIGHT, {}, {2, 2}},         {VK_END, {}, {5, 2}},
        {VK_TAB, {}, {1, 3}},            {VK_TAB, {ssShift}, {5, 2}},    {VK_HOME, {}, {1, 2}},
        {VK_END, {ssCtrl}, {5, 5}},      {VK_TAB, {}, {1, 1}},           {VK_UP, {}, {1, 1}},
        {VK_HOME, {ssCtrl}, {1, 1}},     {VK_LEFT, {}, {1, 1}},
    };
    for (auto& k : cases) {
        Key(k.key, k.shift);
        EXPECT_EQ(Cur(), k.cell) << "key " << k.key;
    }
    Key(VK_DOWN, {ssShift});
    EXPECT_EQ(grid->SelectionRange(), (TCellRange_ts{1, 1, 1, 2}));
}

TEST_F(GridInput, EnterOpensAndClosesTheEditorWhichStoresItsText) {
    grid->SetGridOptions(grid->GridOptions() | gxEditing);
    grid->texts[std::make_pair(1, 1)] = "abc";
    char enter = '\r';
    grid->DoKeyPress(enter);
    ASSERT_NE(grid->Editor(), nullptr);
    EXPECT_TRUE(grid->Editor()->Visible());
    EXPECT_EQ(grid->Editor()->Text(), "abc");
    EXPECT_EQ(grid->Editor()->BoundsRect(), grid->CellPixels(1, 1));
    grid->Editor()->SetText("xyz");
    enter = '\r';
    grid->DoKeyPress(enter);
    EXPECT_FALSE(grid->Editor()->Visible());
    EXPECT_EQ(grid->texts[std::make_pair(1, 1)], "xyz");
    // Typing a character opens the editor with it in place of the text.
    char ch = 'Q';
    grid->DoKeyPress(ch);
    EXPECT_EQ(grid->Editor()->Text(), "Q");
    EXPECT_EQ(grid->texts[std::make_pair(1, 1)], "Q");
    // Moving away closes the editor.
    Key(VK_DOWN);
    EXPECT_FALSE(grid->Editor()->Visible());
    EXPECT_EQ(grid->EditorWindowRow(), -1);
}

TEST_F(GridInput, EditorRefusesTypingAndDeleteWhenTextIsNotModifiable) {
    grid->SetGridOptions(grid->GridOptions() | gxEditing);
    grid->OpenEditor();
    ASSERT_NE(grid->Editor(), nullptr);
    grid->modifiable = false;
    char a = 'a';
    EXPECT_TRUE(grid->Editor()->DoKeyPress(a));
    EXPECT_EQ(a, 0);
    Word16 del = VK_DELETE;
    EXPECT_TRUE(grid->Editor()->DoKeyDown(del, {}));
    // Tab goes to the grid, which moves on; with Alt it does not.
    Word16 tab = VK_TAB;
    grid->Editor()->DoKeyDown(tab, {});
    EXPECT_EQ(Cur(), (TCellCoord_ts{2, 1}));
}

TEST_F(GridInput, BasePaintingOfLinesCellsAndSelection) {
    grid->MoveCurrentCell(2, 2, true, true);
    grid->ExtendAnchor({3, 2});
    grid->painted.clear();
    grid->Repaint();
    TCanvas* c = grid->Canvas();
    struct Case {
        int x, y;
        TColor colour;
    } cases[] = {
        {64, 10, clBlack},       // vertical line in the fixed row
        {10, 24, clBlack},       // horizontal line in the fixed column
        {129, 60, clSilver},     // vertical line between scrolling cells
        {100, 49, clSilver},     // horizontal line between scrolling cells
        {30, 10, ColorToRGB(clBtnFace)},
        {100, 35, ColorToRGB(clWindow)},
        {250, 60, ColorToRGB(clHighlight)},  // selected, not focused
        {329, 125, ColorToRGB(clWindow)},    // beyond the last cells
    };
    for (auto& k : cases) EXPECT_EQ(c->GetPixel(k.x, k.y), k.colour) << k.x << "," << k.y;
    // The focused cell keeps the window colour inside its focus frame.
    EXPECT_EQ(c->GetPixel(160, 60), ColorToRGB(clWindow));
    EXPECT_EQ(grid->painted.size(), 25u);
}
