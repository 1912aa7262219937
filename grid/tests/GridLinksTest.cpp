// The grid's links to its image list and date-time definitions on the real
// grid class: a changed image list repaints the grid, and a definition
// component that goes away leaves no reference behind in the grid, its
// columns, rows and cells (nor the grid's link in the component).

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "grid/GridCellProps.h"
#include "grid/TSGrid.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/gui/Forms.h"

namespace {

class FakeImageList : public TgrImageListComponent {
public:
    using TgrImageListComponent::TgrImageListComponent;
    void AddLink(TgrImageLink* link) override {
        links.push_back(link);
        link->ImageListComponent = this;
    }
    void RemoveLink(TgrImageLink* link) override {
        std::erase(links, link);
        link->ImageListComponent = nullptr;
    }
    std::vector<TgrImageLink*> links;
};

class GridClassLinks : public ::testing::Test {
protected:
    void SetUp() override {
        grid = ShownGrid<TLogGrid>(form, 3, 3);
        form->Show();
    }
    void TearDown() override { Application->ResetForTesting(); }
    TForm* form = nullptr;
    TLogGrid* grid = nullptr;
};

TEST_F(GridClassLinks, AChangedOrRemovedImageListRepaintsTheGrid) {
    FakeImageList list(nullptr);
    grid->SetImageList(&list);
    ASSERT_EQ(list.links.size(), 1u);
    using Notify = void (TgrImageLink::*)();
    for (Notify notify : {&TgrImageLink::ImageListChanged, &TgrImageLink::ImageListRemoved}) {
        grid->Take();
        (list.links[0]->*notify)();
        EXPECT_NE(grid->Take().find("all"), std::string::npos);
    }
    grid->SetImageList(nullptr);
    EXPECT_TRUE(list.links.empty());
}

TEST_F(GridClassLinks, AGoneDateTimeDefinitionLeavesNoReference) {
    auto* gone = new TgrDateTimeDefComponent(nullptr);
    auto kept = std::make_unique<TgrDateTimeDefComponent>(nullptr);
    grid->SetDateTimeDef(gone);
    grid->Col(1)->SetDateTimeDef(gone);
    grid->Col(2)->SetDateTimeDef(kept.get());
    grid->SetRowDateTimeDef(2, gone);
    TgrCell(grid, 1, Variant(Integer(2))).SetDateTimeDef(gone);
    TgrCell(grid, 3, Variant(Integer(3))).SetDateTimeDef(gone);
    TgrCell(grid, 3, Variant(Integer(1))).SetDateTimeDef(kept.get());
    grid->Col(3)->SetButtonType(btDateTimeDropDown);
    ASSERT_EQ(gone->LinkCount(), 1);
    ASSERT_EQ(grid->GetCellDateTimeDef(1, 2), gone);

    delete gone;
    EXPECT_EQ(grid->DateTimeDef(), nullptr);
    EXPECT_EQ(grid->Col(1)->DateTimeDef(), nullptr);
    EXPECT_EQ(grid->GetRowDateTimeDef(2), nullptr);
    EXPECT_EQ(grid->GetCellDateTimeDef(1, 2), nullptr);
    EXPECT_EQ(grid->GetCellDateTimeDef(3, 3), nullptr);
    // References to another component stay, counted as before.
    EXPECT_EQ(grid->Col(2)->DateTimeDef(), kept.get());
    EXPECT_EQ(grid->GetCellDateTimeDef(3, 1), kept.get());
    EXPECT_EQ(kept->LinkCount(), 1);
    // The grid still paints and answers for the cells that referred to it.
    grid->Invalidate();
    grid->Update();
    EXPECT_FALSE(grid->CanDropDownDateTime(3, 3));
}

TEST_F(GridClassLinks, AGridGoingFirstLeavesNoLinkInTheComponent) {
    auto def = std::make_unique<TgrDateTimeDefComponent>(nullptr);
    grid->SetDateTimeDef(def.get());
    grid->Col(1)->SetDateTimeDef(def.get());
    grid->SetRowDateTimeDef(1, def.get());
    TgrCell(grid, 2, Variant(Integer(2))).SetDateTimeDef(def.get());
    ASSERT_EQ(def->LinkCount(), 1);
    delete grid;
    EXPECT_EQ(def->LinkCount(), 0);
    // Destroying the component now tells no link that is gone.
    def.reset();
}

}  // namespace
