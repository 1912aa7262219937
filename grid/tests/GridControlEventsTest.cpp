// The events of the in-cell control as the window system delivers them to
// the shown control: its keys fire the grid's key events under the key lock
// before the grid navigates, Esc is wanted only while something can be
// undone, a character the mask refuses fires the invalid-mask-edit event, a
// click is a click on the current cell; and the grid's window coming into
// place with a parent.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "grid/GridEditBox.h"
#include "grid/TSMask.h"
#include "grid/tests/GridOnForm.h"

namespace {

// A mask of digits only.
class DigitsMask : public TgrEditMask {
public:
    bool ValidateInsert(const std::string&, int, int, std::string& inserted) override {
        for (char ch : inserted)
            if (ch < '0' || ch > '9') return false;
        return true;
    }
};

class DigitsMasks : public TgrMaskDefsComponent {
public:
    DigitsMasks() : TgrMaskDefsComponent(nullptr) {}
    void AddLink(TgrMaskLink* link) override { link->MaskDefsComponent = this; }
    void RemoveLink(TgrMaskLink* link) override { link->MaskDefsComponent = nullptr; }
    TObject* FindMask(const Variant& name) override { return name.AsString() == "digits" ? &digits : nullptr; }
    DigitsMask digits;
};

// The grid notes the notifications a descendant turns into its events.
class TEventGrid : public TInputGrid {
public:
    using TInputGrid::TInputGrid;
    void FireInvalidMaskEdit(const std::string& keys, bool& accept) override { Log.push_back("mask edit " + keys); }
    bool FireClickCell(Integer downCol, Integer downRow, Integer upCol, Integer upRow, TgrClickPosition downPos,
                       TgrClickPosition upPos) override {
        Log.push_back("click cell " + std::to_string(downCol) + "," + std::to_string(downRow) + " " +
                      std::to_string(upCol) + "," + std::to_string(upRow) + " " + std::to_string(int(downPos)) +
                      std::to_string(int(upPos)));
        return true;
    }
};

class GridControlEvents : public ::testing::Test {
protected:
    void SetUp() override {
        grid = ShownGrid<TEventGrid>(form, 3, 4);
        for (Integer c = 1; c <= 3; ++c)
            for (Integer r = 1; r <= 4; ++r)
                grid->PutCellValue(c, r, Variant(std::to_string(c) + "," + std::to_string(r)));
        form->Show();
        form->Widget()->activateWindow();
        QApplication::processEvents();
        grid->SetFocus();
        grid->Update();
        grid->Log.clear();
    }
    void TearDown() override {
        grid->SetMaskDefs(nullptr);
        Application->ResetForTesting();
    }
    TgrGridControl* Editor() { return grid->EditControl()->Window(); }
    // A key pressed or released where the window system sends it: the
    // focused window (the shown in-cell control).
    void Send(QEvent::Type type, int qtKey, const QString& text = {}) {
        QWidget* target = QApplication::focusWidget();
        ASSERT_EQ(target, Editor()->Widget());
        QKeyEvent e(type, qtKey, Qt::NoModifier, text);
        QApplication::sendEvent(target, &e);
        grid->Update();
    }
    void Press(int qtKey, const QString& text = {}) {
        Send(QEvent::KeyPress, qtKey, text);
        Send(QEvent::KeyRelease, qtKey, text);
    }
    void TypeChar(char ch) { Press(Qt::Key_A, QString(QChar(ch))); }

    DigitsMasks masks;
    TForm* form = nullptr;
    TEventGrid* grid = nullptr;
};

TEST_F(GridControlEvents, TheControlsKeysFireTheGridsKeyEventsUnderTheKeyLockThenTheGridNavigates) {
    ASSERT_TRUE(Editor()->Visible());
    std::string seen;
    grid->OnKeyDown = [&](TObject* sender, Word16& key, TShiftState) {
        seen += "down " + std::to_string(key) + (grid->KeysUnlocked() ? " unlocked" : " locked") + " row " +
                std::to_string(grid->CurrentDataRow()) + (sender == grid ? "" : " foreign sender") + ";";
    };
    grid->OnKeyUp = [&](TObject*, Word16& key, TShiftState) { seen += "up " + std::to_string(key) + ";"; };
    grid->OnKeyPress = [&](TObject*, char& key) {
        seen += std::string("press ") + key + (grid->KeysUnlocked() ? " unlocked" : " locked") + ";";
    };

    // The arrow fires the grid's key-down while the lock holds; the move
    // of the current cell comes after, once.
    Press(Qt::Key_Down);
    EXPECT_EQ(seen, "down 40 locked row 1;up 40;");
    EXPECT_EQ(grid->CurrentDataRow(), 2);
    EXPECT_TRUE(grid->KeysUnlocked());

    // A typed character fires the grid's key-press under the lock and goes
    // into the control once: the grid does not type it a second time.
    seen.clear();
    TypeChar('z');
    EXPECT_EQ(seen, "down 65 locked row 2;press z locked;up 65;");
    EXPECT_EQ(grid->EditControl()->GetValue().AsString(), "z");
    EXPECT_TRUE(grid->KeysUnlocked());

    // A key-down handler that takes the key leaves the control and the
    // grid's navigation without it.
    grid->OnKeyDown = [&](TObject*, Word16& key, TShiftState) { key = 0; };
    Press(Qt::Key_Down);
    EXPECT_EQ(grid->CurrentDataRow(), 2);
}

TEST_F(GridControlEvents, EscIsWantedOnlyWhileSomethingCanBeUndone) {
    ASSERT_TRUE(Editor()->Visible());
    EXPECT_FALSE(Editor()->WantsKey(VK_ESCAPE)) << "nothing edited yet";
    EXPECT_TRUE(Editor()->WantsKey(VK_RETURN));
    TypeChar('7');
    ASSERT_TRUE(grid->IsCellEditing());
    EXPECT_TRUE(Editor()->WantsKey(VK_ESCAPE)) << "a cell edit runs";
    // Esc in the control undoes the cell and the row edit.
    Press(Qt::Key_Escape);
    EXPECT_FALSE(grid->IsCellEditing());
    EXPECT_EQ(grid->EditControl()->GetValue().AsString(), "1,1");
    EXPECT_FALSE(Editor()->WantsKey(VK_ESCAPE)) << "nothing left to undo";
}

TEST_F(GridControlEvents, ACharacterTheMaskRefusesFiresTheInvalidMaskEditEvent) {
    grid->SetMaskDefs(&masks);
    grid->Col(1)->SetMaskName("digits");
    grid->ResetCellControl(true);
    grid->Update();
    ASSERT_TRUE(Editor()->Visible());
    grid->Log.clear();
    TypeChar('x');
    EXPECT_NE(grid->Take().find("mask edit x;"), std::string::npos);
    EXPECT_EQ(grid->EditControl()->GetValue().AsString(), "1,1") << "the refused character is not typed";
    TypeChar('5');
    EXPECT_EQ(grid->Take().find("mask edit"), std::string::npos);
    EXPECT_EQ(grid->EditControl()->GetValue().AsString(), "5");
}

TEST_F(GridControlEvents, AClickOnTheControlIsAClickOnTheCurrentCell) {
    grid->MoveToDisplayCell(2, 3);
    grid->Update();
    ASSERT_TRUE(Editor()->Visible());
    int clicks = 0;
    grid->OnClick = [&](TObject* sender) { clicks += sender == grid ? 1 : 100; };
    grid->Log.clear();
    SendLeftMouse(Editor()->Widget(), QEvent::MouseButtonPress, TPoint(4, 4));
    SendLeftMouse(Editor()->Widget(), QEvent::MouseButtonRelease, TPoint(4, 4));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(grid->MouseDownCell().Col, 2);
    EXPECT_EQ(grid->MouseDownCell().Row, 3);
    EXPECT_EQ(grid->MouseUpCell().Col, 2);
    EXPECT_EQ(grid->MouseUpCell().Row, 3);
    std::string log = grid->Take();
    EXPECT_NE(log.find("click cell 2,3 2,3 " + std::to_string(int(cpCell)) + std::to_string(int(cpCell))),
              std::string::npos)
        << log;
}

TEST_F(GridControlEvents, AGridTakingAParentSetsUpItsWindowAtOnce) {
    // Made without a parent, with more rows than its height shows.
    auto* later = new TEventGrid(form);
    later->SetBounds(0, 130, 200, 60);
    later->SetRows(30);
    later->SetStoreData(true);
    later->PutCellValue(1, 1, Variant(std::string("first")));
    later->SetParent(form);
    // The scroll bars, the controls and the current cell's control follow
    // without waiting for a paint or a key.
    EXPECT_TRUE(later->ScrollBarShown(TCustomControl::sbVertical));
    EXPECT_EQ(later->EditControl()->Window()->Parent(), later);
    later->Update();
    ASSERT_TRUE(later->EditControl()->GetVisible());
    EXPECT_EQ(later->EditControl()->GetValue().AsString(), "first");
    EXPECT_EQ(later->EditControl()->GetSelLength(), 5) << "the whole text selected";
}

}  // namespace
