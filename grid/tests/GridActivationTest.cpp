// The in-cell control on the real grid class, shown on a form: where it
// shows, where it goes and what it takes, edit mode, and keys and clicks as
// the window system delivers them to the focused control.

#include <gtest/gtest.h>

#include <functional>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "grid/GridCheckBox.h"
#include "grid/GridEditBox.h"
#include "grid/tests/GridOnForm.h"

namespace {

class GridActivation : public TGridOnFormTest {
protected:
    void SetUp() override {
        ShowGrid(400, 200, 4, 5);
        // The form is the active window, so that focus moves as on a desktop.
        form->Widget()->activateWindow();
        QApplication::processEvents();
        grid->SetFocus();
        grid->SetStoreData(true);
        for (Integer c = 1; c <= 4; ++c)
            for (Integer r = 1; r <= 5; ++r)
                grid->PutCellValue(c, r, Variant(std::to_string(c) + "," + std::to_string(r)));
        Paint();
    }
    // The window system paints: a waiting control shows after the paint.
    void Paint() { grid->Update(); }
    TgrCustomGridControl* Control() { return grid->ActiveControl(); }
    bool ControlShown() { return Control() && Control()->GetVisible(); }
    // A key pressed and released where the window system sends it: the
    // focused window.
    void Press(int qtKey, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QKeyEvent down(QEvent::KeyPress, qtKey, mods, text);
        QApplication::sendEvent(target, &down);
        QKeyEvent up(QEvent::KeyRelease, qtKey, mods, text);
        QApplication::sendEvent(target, &up);
        Paint();
    }
    void TypeText(const std::string& s) {
        for (char ch : s) Press(Qt::Key_A + (ch >= 'a' && ch <= 'z' ? ch - 'a' : 0), QString(QChar(ch)));
    }
    void Click(QWidget* w, QPoint at) {
        QMouseEvent down(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(w, &down);
        QMouseEvent up(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                       Qt::NoModifier);
        QApplication::sendEvent(w, &up);
        Paint();
    }
    QPoint Inside(Integer col, Integer row) {
        TRect r = grid->CellPixels(col, row);
        return QPoint(r.Left + r.Width() / 2, r.Top + r.Height() / 2);
    }
    std::string Value(Integer c, Integer r) { return grid->GetCellValue(c, r).AsString(); }
};

TEST_F(GridActivation, TheControlStaysOnEveryEditableCurrentCellAndHasTheFocus) {
    ASSERT_TRUE(ControlShown());
    EXPECT_EQ(Control(), grid->EditControl());
    EXPECT_TRUE(Control()->Focused());
    EXPECT_TRUE(grid->IsGridFocused());
    EXPECT_EQ(Control()->GetValue().AsString(), "1,1");
    // It moves with the current cell and takes the new cell's value.
    grid->MoveToDisplayCell(2, 3);
    Paint();
    ASSERT_TRUE(ControlShown());
    EXPECT_EQ(Control()->GetValue().AsString(), "2,3");
    TRect cell = grid->CellPixels(2, 3);
    EXPECT_EQ(Control()->Left(), cell.Left + 3);
    EXPECT_EQ(Control()->Top(), cell.Top);
    EXPECT_TRUE(Control()->Focused());
    EXPECT_FALSE(grid->EndEditing()) << "AlwaysShowEditor keeps edit mode";
    EXPECT_FALSE(grid->StartEditing(0, false)) << "in edit mode already";
}

TEST_F(GridActivation, WhereTheControlNeverShows) {
    struct Case {
        const char* name;
        std::function<void()> set;
    } cases[] = {
        {"read-only cell", [&] { grid->Col(2)->SetReadOnly(true); }},
        {"browse mode", [&] { grid->SetGridMode(gmBrowse); }},
        {"list-box mode", [&] { grid->SetGridMode(gmListBox); }},
        {"selected rows", [&] {
             grid->SelectDisplayRows(1, 2);
             grid->UpdateSelectType();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid->SetSkipReadOnly(false);
        grid->MoveToDisplayCell(2, 1);
        c.set();
        grid->ResetCellControl(true);
        Paint();
        EXPECT_FALSE(grid->CanEditNow());
        EXPECT_FALSE(ControlShown());
        EXPECT_FALSE(grid->StartEditing(0, false));
        // Out of sight: the focus went back to the grid.
        EXPECT_FALSE(Control()->Focused());
        TearDown();
        SetUp();
    }
}

TEST_F(GridActivation, TheControlTakesTheCellsPlaceLessItsButtonAndLines) {
    grid->Col(2)->SetWidth(60);
    grid->MoveToDisplayCell(2, 1);
    Paint();
    ASSERT_TRUE(ControlShown());
    EXPECT_EQ(Control()->Width(), 60 - 1 - 3);
    EXPECT_EQ(Control()->Height(), grid->GetRowHeightAt(1) - 1);
    EXPECT_TRUE(Control()->GetAllowEdit());
    // A list-only combo: the button's width is the cell's, and no typing.
    grid->Col(2)->SetButtonType(btCombo);
    Integer button = grid->CellButtonWidth(2, 1);
    ASSERT_GT(button, 0);
    grid->Col(2)->CreateCombo();
    grid->Col(2)->Combo()->SetDropDownStyle(ddDropDownList);
    Paint();
    EXPECT_EQ(Control()->Width(), 60 - 1 - 3 - button);
    EXPECT_FALSE(Control()->GetAllowEdit());
    // A column narrower than the margins gives a control of no width.
    grid->Col(2)->SetButtonType(btNone);
    grid->Col(2)->SetWidth(2);
    Paint();
    EXPECT_EQ(Control()->Width(), 0);
}

TEST_F(GridActivation, KeysTypedIntoTheFocusedEditorEditStoreUndoAndMove) {
    std::string log;
    grid->OnKeyDown = [&](TObject*, Word16& key, TShiftState) { log += "down " + std::to_string(key) + ";"; };
    grid->OnStartCellEdit = [&](TObject*, Integer c, Integer r, bool&) {
        log += "start " + std::to_string(c) + "," + std::to_string(r) + ";";
    };
    TypeText("hi");
    EXPECT_TRUE(grid->IsCellEditing());
    EXPECT_EQ(Value(1, 1), "hi") << "the first key replaces the selected text";
    // The editor's keys fire the grid's key event once each.
    EXPECT_EQ(log, "down 72;start 1,1;down 73;");
    Press(Qt::Key_Return);
    EXPECT_FALSE(grid->IsCellEditing());
    EXPECT_EQ(Value(1, 1), "hi");
    EXPECT_EQ(grid->CurrentDisplayCol(), 2) << "Enter moves on";
    ASSERT_TRUE(ControlShown());
    EXPECT_TRUE(Control()->Focused());

    Press(Qt::Key_Tab);
    EXPECT_EQ(grid->CurrentDisplayCol(), 3);
    Press(Qt::Key_Down);
    EXPECT_EQ(grid->CurrentDisplayRow(), 2);
    EXPECT_EQ(Control()->GetValue().AsString(), "3,2");
}

TEST_F(GridActivation, EscInTheFocusedEditorRestoresTheValueFromBeforeTheEdit) {
    // Esc on the first edit of a row brings the cell's old value back.
    TypeText("x");
    ASSERT_TRUE(grid->IsCellEditing());
    Press(Qt::Key_Escape);
    EXPECT_FALSE(grid->IsCellEditing());
    EXPECT_EQ(Value(1, 1), "1,1");
    EXPECT_EQ(Control()->GetValue().AsString(), "1,1");
    ASSERT_TRUE(ControlShown());
    EXPECT_TRUE(Control()->Focused());

    // After the first edit of a row is stored, Esc on the next cell's edit
    // brings that cell's old value back, never an empty one, and leaves
    // the stored edit alone; a second Esc takes back the row.
    Press(Qt::Key_Down);
    ASSERT_EQ(grid->CurrentDisplayRow(), 2);
    TypeText("x");
    Press(Qt::Key_Return);
    ASSERT_EQ(grid->CurrentDisplayCol(), 2);
    TypeText("yz");
    EXPECT_EQ(Value(2, 2), "yz");
    Press(Qt::Key_Escape);
    EXPECT_FALSE(grid->IsCellEditing());
    EXPECT_EQ(Value(2, 2), "2,2");
    EXPECT_EQ(Control()->GetValue().AsString(), "2,2");
    EXPECT_EQ(Value(1, 2), "x");
    Press(Qt::Key_Escape);
    EXPECT_EQ(Value(1, 2), "1,2");
    EXPECT_EQ(Value(2, 2), "2,2");
    EXPECT_EQ(Control()->GetValue().AsString(), "2,2");
}

TEST_F(GridActivation, CheckBoxesToggleBySpaceInTheControlAndByClick) {
    grid->Col(2)->SetControlType(ctCheck);
    grid->PutCellValue(2, 1, Variant(0));
    grid->MoveToDisplayCell(2, 1);
    Paint();
    ASSERT_EQ(Control(), grid->CheckControl());
    ASSERT_TRUE(ControlShown());
    ASSERT_TRUE(Control()->Focused());
    Press(Qt::Key_Space, " ");
    EXPECT_EQ(grid->GetCellValue(2, 1).AsInteger(), 1);
    // A click on another check cell makes it current; its control follows.
    grid->PutCellValue(2, 3, Variant(0));
    Click(grid->Widget(), Inside(2, 3));
    EXPECT_EQ(grid->CurrentDisplayRow(), 3);
    EXPECT_TRUE(ControlShown());
    EXPECT_EQ(grid->GetCellValue(2, 3).AsInteger(), 0) << "the first click only makes it current";
}

TEST_F(GridActivation, AClickOnATextCellPlacesTheEditorsCaretThere) {
    grid->PutCellValue(2, 2, Variant(std::string("abcdefgh")));
    TRect cell = grid->CellPixels(2, 2);
    Click(grid->Widget(), QPoint(cell.Left + 5, cell.Top + cell.Height() / 2));
    ASSERT_TRUE(ControlShown());
    EXPECT_TRUE(Control()->Focused());
    EXPECT_EQ(grid->EditControl()->GetSelLength(), 0);
    EXPECT_LT(grid->EditControl()->EditBox()->CaretPos(), 3) << "near the left edge, not at the end";
}

TEST_F(GridActivation, APutValueReachesTheShownEditorUnlessTheUserIsEditingIt) {
    ASSERT_TRUE(ControlShown());
    ASSERT_EQ(Control()->GetValue().AsString(), "1,1");
    grid->PutCellValue(1, 1, Variant(std::string("new")));
    Paint();
    ASSERT_TRUE(ControlShown());
    EXPECT_EQ(Control()->GetValue().AsString(), "new");
    EXPECT_EQ(grid->EditControl()->GetSelLength(), 3) << "the whole new text is selected";
    // A value put while the user types in the editor leaves the typed text.
    TypeText("ab");
    ASSERT_TRUE(grid->IsCellEditing());
    grid->PutCellValue(1, 1, Variant(std::string("other")));
    Paint();
    EXPECT_EQ(Control()->GetValue().AsString(), "ab");
    EXPECT_EQ(Value(1, 1), "ab") << "during the edit the cell answers with its edit value";
    // Another cell's value does not touch the editor.
    grid->PutCellValue(2, 1, Variant(std::string("elsewhere")));
    Paint();
    EXPECT_EQ(Control()->GetValue().AsString(), "ab");
}

TEST_F(GridActivation, F2SentToTheFocusedGridStartsEditingWithoutAlwaysShowEditor) {
    grid->SetAlwaysShowEditor(false);
    grid->MoveToDisplayCell(2, 2);
    Paint();
    EXPECT_FALSE(ControlShown());
    ASSERT_EQ(QApplication::focusWidget(), grid->Widget());
    Press(Qt::Key_F2);
    ASSERT_TRUE(ControlShown()) << "F2 shows the editor";
    EXPECT_TRUE(Control()->Focused());
    EXPECT_EQ(Control()->GetValue().AsString(), "2,2");
    EXPECT_FALSE(grid->IsCellEditing()) << "no edit before the first change";
    // Typing in it edits after the caret F2 put at the end; Enter keeps
    // the value and edit mode ends with it.
    TypeText("q");
    EXPECT_TRUE(grid->IsCellEditing());
    Press(Qt::Key_Return);
    EXPECT_EQ(Value(2, 2), "2,2q");
    EXPECT_FALSE(grid->IsCellEditing());
    EXPECT_FALSE(ControlShown()) << "edit mode ended with the edit";
    EXPECT_EQ(QApplication::focusWidget(), grid->Widget()) << "the focus is back with the grid";
}

}  // namespace
