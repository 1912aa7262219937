// The grid's context menu: its three commands reach the grid's print,
// preview and export operations; an assigned menu gets them once.

#include <gtest/gtest.h>

#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"

namespace {

class MenuGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;
    using TgrBaseGrid::MouseUp;
    std::vector<std::string> Commands;

protected:
    void PreviewGrid() override { Commands.push_back("preview"); }
    void PrintGrid() override { Commands.push_back("print"); }
    void ExportGrid() override { Commands.push_back("export"); }
};

class GridMenu : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 300, 200);
        grid = new MenuGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 250, 150);
        form->Show();
    }
    void TearDown() override { Application->ResetForTesting(); }
    std::vector<std::string> Captions(TPopupMenu* m) {
        std::vector<std::string> c;
        for (int i = 0; i < m->Items()->Count(); ++i) c.push_back(m->Items()->Items(i)->Caption());
        return c;
    }
    TForm* form = nullptr;
    MenuGrid* grid = nullptr;
};

TEST_F(GridMenu, RightClickShowsTheGridsOwnMenuWhoseItemsRunTheCommands) {
    grid->MouseUp(mbRight, {}, 30, 30);
    TPopupMenu* menu = grid->GridMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Captions(menu), (std::vector<std::string>{"Preview Grid...", "Print Grid...", "Export Grid..."}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(menu->Items()->Items(i)->Tag(), TgrBaseGrid::GridMenuTag);
        menu->Items()->Items(i)->Click();
    }
    EXPECT_EQ(grid->Commands, (std::vector<std::string>{"preview", "print", "export"}));

    // Without ProvideGridMenu nothing is offered.
    TLogGrid* plain = new MenuGrid(form);
    plain->SetParent(form);
    plain->SetProvideGridMenu(false);
    static_cast<MenuGrid*>(plain)->MouseUp(mbRight, {}, 5, 5);
    EXPECT_EQ(plain->GridMenu(), nullptr);
}

TEST_F(GridMenu, AnAssignedMenuGetsASeparatorAndTheItemsOnce) {
    auto* own = new TPopupMenu(form);
    auto* mine = new TMenuItem(own);
    mine->SetCaption("Mine");
    own->Items()->Add(mine);
    grid->SetPopupMenu(own);
    grid->MouseUp(mbRight, {}, 30, 30);
    grid->MouseUp(mbRight, {}, 30, 30);
    EXPECT_EQ(Captions(own), (std::vector<std::string>{"Mine", "-", "Preview Grid...", "Print Grid...", "Export Grid..."}));
    EXPECT_EQ(grid->GridMenu(), nullptr);
}

}  // namespace
