#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grid/GRCommon.h"
#include "grid/GridEditBox.h"
#include "platform/core/Clock.h"
#include "platform/core/UiQueue.h"
#include "platform/gui/Caret.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/Forms.h"

namespace {

class TStandInGrid : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
};

// An edit box on a shown form beside a stand-in grid; the notifications are
// recorded.
class EditBox : public ::testing::Test {
protected:
    void SetUp() override {
        SetCurrentClock(&clock);
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 400, 300);
        grid = new TStandInGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 300, 200);
        box = new TgrGridEditBox(form);
        box->SetParent(form);
        box->SetGrid(grid);
        box->Font()->SetName("Arial");
        box->Font()->SetHeight(-12);
        box->SetBounds(10, 10, 100, Single());
        form->Show();
        box->OnAfterKeyDown = [this](TObject*, Word16& key, TShiftState) { passed.push_back(key); };
        box->OnTextChange = [this](TObject*, bool edited, bool inserted, bool byUser) {
            textChanges.push_back({edited, inserted, byUser});
        };
    }
    void TearDown() override {
        Application->ResetForTesting();
        SetCurrentClock(nullptr);
    }
    int Pitch() { return box->LineHeight(); }
    int Single() { return box->LineHeight() + 2; }
    // A key press and release; returns whether the box consumed it.
    bool Key(Word16 k, TShiftState s = {}) {
        bool consumed = box->DoKeyDown(k, s);
        Word16 up = k;
        box->DoKeyUp(up, s);
        return consumed;
    }
    void Type(const std::string& s) {
        for (char ch : s) box->DoKeyPress(ch);
    }
    void Sel(int start, int length) {
        box->SetSelStart(start);
        box->SetSelLength(length);
    }
    struct Change {
        bool edited, inserted, byUser;
        bool operator==(const Change&) const = default;
    };
    ManualClock clock{1000};
    TForm* form = nullptr;
    TStandInGrid* grid = nullptr;
    TgrGridEditBox* box = nullptr;
    std::vector<Word16> passed;
    std::vector<Change> textChanges;
};

}  // namespace

// ------------------------------------------------------------------ layout

TEST_F(EditBox, MultiLineModeNeedsWordWrapAndRoomForAThirdOfALine) {
    int p = Pitch();
    struct Case {
        int height;
        TgrWordWrap wrap;
        bool multi;
    } cases[] = {
        {p + p / 3, wwOn, true}, {p + p / 3 - 1, wwOn, false}, {3 * p, wwOff, false}, {3 * p, wwDefault, true},
    };
    for (const Case& c : cases) {
        box->SetWordWrap(c.wrap);
        box->SetBounds(10, 10, 100, c.height);
        EXPECT_EQ(box->MultiLineMode(), c.multi) << c.height << " " << c.wrap;
    }
}

TEST_F(EditBox, WrapsAtBlanksAndLineBreaks) {
    box->SetBounds(10, 10, 40, 5 * Pitch());
    struct Case {
        std::string text;
        std::vector<int> starts;
    } cases[] = {
        {"abc", {0}},
        {"ab\r\ncd", {0, 4}},
        {"ab\r\n", {0, 4}},
        {"aaaa bbbb cccc", {0, 5, 10}},
    };
    for (const Case& c : cases) {
        box->SetText(c.text);
        std::vector<int> starts;
        for (int i = 0; i < box->LineCount(); ++i) starts.push_back(box->LineStart(i));
        EXPECT_EQ(starts, c.starts) << c.text;
    }
    // A single-line box keeps one line whatever the text holds.
    box->SetBounds(10, 10, 60, Single());
    box->SetText("aaaa bbbb cccc\r\nd");
    EXPECT_EQ(box->LineCount(), 1);
}

TEST_F(EditBox, SetTextPutsTheCaretAtTheStartOrAtTheEndWhenRightAligned) {
    box->SetText("hello", true, false);
    EXPECT_EQ(box->CaretPos(), 0);
    EXPECT_EQ(box->SelStart(), 0);
    EXPECT_EQ(textChanges.back(), (Change{true, false, false}));
    box->SetHorzAlignment(htaRight);
    box->SetText("hello");
    EXPECT_EQ(box->CaretPos(), 5);
    EXPECT_EQ(box->ScrollOffset(), 5);
    EXPECT_EQ(box->CaretPoint().X, box->Width() - 1);
}

// ---------------------------------------------------------- caret movement

TEST_F(EditBox, CaretKeysMoveAndSelect) {
    box->SetBounds(10, 10, 48, 5 * Pitch());
    // Lines: "one two" | "three " after the CR LF | "four".
    const std::string text = "one two\r\nthree four";
    struct Case {
        const char* what;
        int caret;
        Word16 key;
        TShiftState shift;
        int caretAfter, selStart, selLength;
    } cases[] = {
        {"right", 0, VK_RIGHT, {}, 1, 1, 0},
        {"right over CR LF", 7, VK_RIGHT, {}, 9, 9, 0},
        {"left over CR LF", 9, VK_LEFT, {}, 7, 7, 0},
        {"ctrl right: word and blanks", 0, VK_RIGHT, {ssCtrl}, 4, 4, 0},
        {"ctrl left", 7, VK_LEFT, {ssCtrl}, 4, 4, 0},
        {"shift right extends", 2, VK_RIGHT, {ssShift}, 3, 2, 1},
        {"shift ctrl left extends", 7, VK_LEFT, {ssShift, ssCtrl}, 4, 4, 3},
        {"home", 11, VK_HOME, {}, 9, 9, 0},
        {"end stops before the line break", 1, VK_END, {}, 7, 7, 0},
        {"shift end", 1, VK_END, {ssShift}, 7, 1, 6},
        {"ctrl end", 1, VK_END, {ssCtrl}, 19, 19, 0},
        {"ctrl home", 12, VK_HOME, {ssCtrl}, 0, 0, 0},
        {"home on a wrapped line", 17, VK_HOME, {}, 15, 15, 0},
        {"end of a wrapped line", 9, VK_END, {}, 15, 15, 0},
    };
    for (const Case& c : cases) {
        box->SetText(text);
        ASSERT_EQ(box->LineCount(), 3);
        box->SetSelStart(c.caret);
        box->CaretToSelStart();
        EXPECT_TRUE(Key(c.key, c.shift)) << c.what;
        EXPECT_EQ(box->CaretPos(), c.caretAfter) << c.what;
        EXPECT_EQ(box->SelStart(), c.selStart) << c.what;
        EXPECT_EQ(box->SelLength(), c.selLength) << c.what;
    }
    // End leaves the caret at the end of the wrapped line, not at the start
    // of the next one.
    box->SetText(text);
    box->SetSelStart(10);
    box->CaretToSelStart();
    Key(VK_END);
    EXPECT_EQ(box->CaretLine(), 1);
    Key(VK_LEFT);
    Key(VK_RIGHT);
    EXPECT_EQ(box->CaretLine(), 2);
    // Up and down go to the line above or below, near the same x.
    box->SetText(text);
    box->SetSelStart(2);
    box->CaretToSelStart();
    int x = box->CaretPoint().X;
    EXPECT_TRUE(Key(VK_DOWN));
    EXPECT_EQ(box->CaretLine(), 1);
    EXPECT_NEAR(box->CaretPoint().X, x, 5);
    int from = box->CaretPos();
    EXPECT_TRUE(Key(VK_DOWN, {ssShift}));
    EXPECT_EQ(box->CaretLine(), 2);
    EXPECT_EQ(box->SelStart(), from);
    EXPECT_EQ(box->SelLength(), box->CaretPos() - from);
    EXPECT_FALSE(Key(VK_DOWN, {ssShift}));
    EXPECT_TRUE(Key(VK_UP));
    EXPECT_TRUE(Key(VK_UP));
    EXPECT_EQ(box->CaretLine(), 0);
    EXPECT_FALSE(Key(VK_UP));
}

TEST_F(EditBox, AMoveAtTheEdgePassesItsKeyToTheGridUnlessRepeating) {
    box->SetText("abc");
    box->SetSelStart(3);
    box->CaretToSelStart();
    EXPECT_FALSE(Key(VK_RIGHT));
    EXPECT_EQ(passed, std::vector<Word16>{VK_RIGHT});
    // Held down: the second key-down repeats and is consumed.
    Word16 k = VK_RIGHT;
    EXPECT_FALSE(box->DoKeyDown(k, {}));
    k = VK_RIGHT;
    EXPECT_TRUE(box->DoKeyDown(k, {}));
    // Up and Down in a single-line box, Home and End always consumed.
    Word16 up = VK_RIGHT;
    box->DoKeyUp(up, {});
    EXPECT_FALSE(Key(VK_UP));
    EXPECT_FALSE(Key(VK_NEXT));
    EXPECT_TRUE(Key(VK_END));
    box->SetSelStart(0);
    box->CaretToSelStart();
    EXPECT_FALSE(Key(VK_LEFT));
    EXPECT_TRUE(Key(VK_HOME));
}

TEST_F(EditBox, WithTheWholeTextSelectedArrowsGoToTheGridAndKeepTheSelection) {
    box->SetText("abcdef");
    box->SelectAll();
    passed.clear();
    EXPECT_FALSE(Key(VK_LEFT));
    EXPECT_EQ(passed, std::vector<Word16>{VK_LEFT});
    EXPECT_EQ(box->SelLength(), 6);
    // With Shift the box handles it.
    EXPECT_TRUE(Key(VK_RIGHT, {ssShift}) || box->SelLength() == 6);
}

TEST_F(EditBox, PageKeysMoveTheCaretAndTheTopLineByAPage) {
    int p = Pitch();
    box->SetBounds(10, 10, 40, 3 * p);
    box->SetText("a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh");
    ASSERT_EQ(box->LineCount(), 8);
    EXPECT_TRUE(Key(VK_NEXT));
    EXPECT_EQ(box->CaretLine(), 3);
    EXPECT_EQ(box->TopLine(), 3);
    EXPECT_TRUE(Key(VK_NEXT));
    EXPECT_EQ(box->CaretLine(), 6);
    EXPECT_EQ(box->TopLine(), 5);  // the view stops at the last line
    EXPECT_TRUE(Key(VK_NEXT));
    EXPECT_EQ(box->CaretLine(), 7);
    EXPECT_FALSE(Key(VK_NEXT));  // at the last line: to the grid
    EXPECT_TRUE(Key(VK_PRIOR, {ssShift}));
    EXPECT_EQ(box->CaretLine(), 4);
    EXPECT_GT(box->SelLength(), 0);
    // The caret stays inside the view.
    EXPECT_GE(box->CaretPoint().Y, 0);
    EXPECT_LE(box->CaretPoint().Y + p, box->Height());
}

TEST_F(EditBox, F2DropsTheSelectionAndKeepsTheCaret) {
    box->SetText("abcdef");
    box->SetSelStart(2);
    box->CaretToSelStart();
    Key(VK_RIGHT, {ssShift});
    Key(VK_RIGHT, {ssShift});
    EXPECT_TRUE(Key(VK_F2));
    EXPECT_EQ(box->SelLength(), 0);
    EXPECT_EQ(box->CaretPos(), 4);
    EXPECT_EQ(box->SelStart(), 4);
}

// ---------------------------------------------------------------- editing

TEST_F(EditBox, TypingInsertsAtTheCaretAndReplacesTheSelection) {
    box->SetText("ace");
    box->SetSelStart(1);
    box->CaretToSelStart();
    textChanges.clear();
    Type("b");
    EXPECT_EQ(box->Text(), "abce");
    EXPECT_EQ(box->CaretPos(), 2);
    EXPECT_EQ(textChanges.back(), (Change{true, true, true}));
    Sel(0, 2);
    Type("X");
    EXPECT_EQ(box->Text(), "Xce");
    EXPECT_EQ(box->SelLength(), 0);
    // Control characters are keys, not text.
    Type(std::string("\x01\x08\x09\x0d\x1b", 5));
    EXPECT_EQ(box->Text(), "Xce");
}

TEST_F(EditBox, DeletingCharactersAndLineBreaks) {
    struct Case {
        std::string text;
        int caret;
        Word16 key;
        std::string after;
        int caretAfter;
    } cases[] = {
        {"abc", 1, VK_BACK, "bc", 0},       {"abc", 1, VK_DELETE, "ac", 1},
        {"ab\r\ncd", 4, VK_BACK, "abcd", 2}, {"ab\r\ncd", 2, VK_DELETE, "abcd", 2},
        {"abc", 0, VK_BACK, "abc", 0},      {"abc", 3, VK_DELETE, "abc", 3},
        {"\xC3\xA9t\xC3\xA9", 2, VK_BACK, "t\xC3\xA9", 0},
    };
    box->SetBounds(10, 10, 100, 4 * Pitch());
    for (const Case& c : cases) {
        box->SetText(c.text);
        box->SetSelStart(c.caret);
        box->CaretToSelStart();
        EXPECT_TRUE(Key(c.key)) << c.text;
        EXPECT_EQ(box->Text(), c.after) << c.text;
        EXPECT_EQ(box->CaretPos(), c.caretAfter) << c.text;
    }
    box->SetText("abcdef");
    Sel(1, 3);
    Key(VK_DELETE);
    EXPECT_EQ(box->Text(), "aef");
}

TEST_F(EditBox, MaxLengthCountsCharactersAndALineBreakAsTwo) {
    box->SetBounds(10, 10, 100, 4 * Pitch());
    box->SetMaxLength(5);
    box->SetText("abcde");
    box->SetSelStart(5);
    box->CaretToSelStart();
    Type("f");
    EXPECT_EQ(box->Text(), "abcde");
    Sel(4, 1);
    Type("f");
    EXPECT_EQ(box->Text(), "abcdf");
    // Multi-byte characters count once.
    box->SetText("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9");
    box->SetSelStart(8);
    box->CaretToSelStart();
    Type("x");
    EXPECT_EQ(box->Text(), "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9x");
    // Ctrl+Enter needs room for two.
    box->SetText("abcd");
    box->SetSelStart(4);
    box->CaretToSelStart();
    Key(VK_RETURN, {ssCtrl});
    EXPECT_EQ(box->Text(), "abcd");
    box->SetText("abc");
    box->SetSelStart(1);
    box->CaretToSelStart();
    EXPECT_TRUE(Key(VK_RETURN, {ssCtrl}));
    EXPECT_EQ(box->Text(), "a\r\nbc");
    EXPECT_EQ(box->CaretPos(), 3);
    EXPECT_EQ(box->CaretLine(), 1);
    box->SetMaxLength(-3);
    EXPECT_EQ(box->MaxLength(), 0);
}

TEST_F(EditBox, RefusedEditsChangeNothingAndNotifyNothing) {
    box->SetText("abc");
    box->SetSelStart(1);
    box->CaretToSelStart();
    bool cancel = true;
    box->OnCanEdit = [&](TObject*, bool& c) { c = cancel; };
    textChanges.clear();
    Type("x");
    Key(VK_BACK);
    Key(VK_RETURN, {ssCtrl});
    EXPECT_EQ(box->Text(), "abc");
    EXPECT_EQ(box->CaretPos(), 1);
    EXPECT_TRUE(textChanges.empty());
    // CanChange refusing a change by the user also refuses.
    cancel = false;
    box->OnCanChange = [](TObject*, bool byUser, bool& c) { c = byUser; };
    Type("x");
    EXPECT_EQ(box->Text(), "abc");
    box->SetTextIfAllowed("grid");
    EXPECT_EQ(box->Text(), "grid");
    box->AllowEdit = false;
    box->OnCanChange = nullptr;
    Type("x");
    EXPECT_EQ(box->Text(), "grid");
}

TEST_F(EditBox, UTF8CharactersTypedByteByByteArriveWhole) {
    box->SetText("");
    Type("\xC3");
    EXPECT_EQ(box->Text(), "");
    Type("\xA9");
    EXPECT_EQ(box->Text(), "\xC3\xA9");
    Type("\xE2\x82\xAC");
    EXPECT_EQ(box->Text(), "\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(box->GetSelStartChars(), 2);
    // A lead byte followed by a plain character was an 8-bit character: it
    // is kept, not lost.
    Type("\xC9" "a");
    EXPECT_EQ(box->Text(), "\xC3\xA9\xE2\x82\xAC\xC3\x89" "a");
}

TEST_F(EditBox, EscapeUndoesTheEditUnlessCancelled) {
    box->SetText("start");
    box->SetSelStart(5);
    box->CaretToSelStart();
    Type("ed");
    EXPECT_TRUE(box->UndoSaved());
    EXPECT_EQ(box->UndoText(), "start");
    bool cancel = true;
    box->OnUndo = [&](TObject*, bool byUser, bool& c) { c = cancel; };
    EXPECT_TRUE(Key(VK_ESCAPE));
    EXPECT_EQ(box->Text(), "started");
    cancel = false;
    EXPECT_TRUE(Key('Z', {ssCtrl}));
    EXPECT_EQ(box->Text(), "start");
    passed.clear();
    EXPECT_FALSE(Key(VK_ESCAPE));
    EXPECT_EQ(passed, std::vector<Word16>{VK_ESCAPE});
    // An edit by the user through SetText keeps the older undo text.
    box->SetText("one");
    box->SetText("two", true, true);
    box->SetText("three", true, true);
    EXPECT_EQ(box->UndoText(), "one");
}

// -------------------------------------------------------------- selection

TEST_F(EditBox, SelectionSettersLimitAndCountCharacters) {
    box->SetText("0123456789");
    box->SetSelStart(4);
    box->SetSelLength(100);
    EXPECT_EQ(box->SelLength(), 6);
    box->SetSelLength(-1);
    EXPECT_EQ(box->SelLength(), 6);
    box->SetSelStart(11);
    EXPECT_EQ(box->SelStart(), 4);
    box->SetText("a\xC3\xA9" "b\xE2\x82\xAC" "c");
    box->SetSelStartChars(2);
    EXPECT_EQ(box->SelStart(), 3);
    box->SetSelLengthChars(2);
    EXPECT_EQ(box->SelLength(), 4);
    EXPECT_EQ(box->GetSelText(), "b\xE2\x82\xAC");
    EXPECT_EQ(box->GetSelStartChars(), 2);
    EXPECT_EQ(box->GetSelLengthChars(), 2);
    box->SetSelText("Z");
    EXPECT_EQ(box->Text(), "a\xC3\xA9Zc");
    box->SetSelStartChars(99);
    EXPECT_EQ(box->SelStart(), 5);
}

// -------------------------------------------------------------- clipboard

TEST_F(EditBox, CutCopyAndPasteThroughTheClipboard) {
    box->SetText("hello world");
    Sel(6, 5);
    EXPECT_TRUE(Key('C', {ssCtrl}));
    EXPECT_EQ(Clipboard()->AsText(), "world");
    Sel(0, 5);
    EXPECT_TRUE(Key(VK_DELETE, {ssShift}));
    EXPECT_EQ(Clipboard()->AsText(), "hello");
    EXPECT_EQ(box->Text(), " world");
    box->SetSelStart(6);
    box->CaretToSelStart();
    EXPECT_TRUE(Key(VK_INSERT, {ssShift}));
    EXPECT_EQ(box->Text(), " worldhello");
    EXPECT_EQ(textChanges.back(), (Change{true, true, true}));
    // Nothing selected: copy and cut leave the clipboard alone.
    box->SetSelStart(0);
    box->CaretToSelStart();
    Key('X', {ssCtrl});
    EXPECT_EQ(Clipboard()->AsText(), "hello");
    EXPECT_EQ(box->Text(), " worldhello");
    // Pasted line breaks, limited by MaxLength.
    Clipboard()->SetAsText("a\rb");
    box->SetMaxLength(13);
    box->PasteFromClipboard(true);
    EXPECT_EQ(box->Text(), " worldhello");
    box->SetMaxLength(0);
    box->PasteFromClipboard(true);
    EXPECT_EQ(box->Text(), "a\r\nb worldhello");
}

// ------------------------------------------------------------------ mouse

TEST_F(EditBox, PressPlacesTheCaretAndDraggingSelects) {
    box->SetText("abcdefgh");
    int xC = box->CaretPoint().X;  // caret at 0
    box->SetSelStart(3);
    box->CaretToSelStart();
    int x3 = box->CaretPoint().X;
    box->SetSelStart(6);
    box->CaretToSelStart();
    int x6 = box->CaretPoint().X;
    box->MouseDown(mbLeft, {ssLeft}, x3 + 1, 5);
    EXPECT_EQ(box->CaretPos(), 3);
    EXPECT_EQ(box->SelLength(), 0);
    EXPECT_TRUE(box->MouseCapture());
    box->MouseMove({ssLeft}, x6 - 1, 5);
    EXPECT_EQ(box->SelStart(), 3);
    EXPECT_EQ(box->SelLength(), 3);
    box->MouseMove({ssLeft}, xC, 5);
    EXPECT_EQ(box->SelStart(), 0);
    EXPECT_EQ(box->SelLength(), 3);
    box->MouseUp(mbLeft, {}, xC, 5);
    EXPECT_FALSE(box->MouseCapture());
    EXPECT_EQ(box->CursorShown(), crIBeam);
    box->AllowEdit = box->AllowSelect = false;
    EXPECT_EQ(box->CursorShown(), crDefault);
}

TEST_F(EditBox, HoldingTheMouseRightOfASingleLineBoxKeepsScrolling) {
    box->SetText(std::string(60, 'm'));
    box->MouseDown(mbLeft, {ssLeft}, box->Width() - 2, 5);
    box->MouseMove({ssLeft}, 150, 5);
    int first = box->ScrollOffset();
    EXPECT_GT(first, 0);
    // The posted move repeats the step while the mouse stands still.
    EXPECT_TRUE(UiQueue::HasPending());
    UiQueue::ProcessPending();
    EXPECT_GT(box->ScrollOffset(), first);
    box->MouseUp(mbLeft, {}, 150, 5);
    UiQueue::ProcessPending();
    EXPECT_FALSE(UiQueue::HasPending());
    EXPECT_GT(box->SelLength(), 0);
}

TEST_F(EditBox, APressRightAfterTheGridsPressAtTheSamePlaceSelectsAll) {
    box->SetText("abcdef");
    SetDoubleClickTime(500);
    int dbl = 0;
    box->OnDblClick = [&](TObject*) { ++dbl; };
    TPoint p(20, 5);
    RecordGridPress(box->ClientToScreen(p), true);
    clock.Advance(200);
    box->MouseDown(mbLeft, {ssLeft}, p.X, p.Y);
    EXPECT_EQ(box->SelLength(), 6);
    EXPECT_EQ(dbl, 1);
    box->MouseUp(mbLeft, {}, p.X, p.Y);
    // Too late, or elsewhere: an ordinary press.
    RecordGridPress(box->ClientToScreen(p), true);
    clock.Advance(501);
    box->MouseDown(mbLeft, {ssLeft}, p.X, p.Y);
    EXPECT_EQ(box->SelLength(), 0);
    box->MouseUp(mbLeft, {}, p.X, p.Y);
    clock.Advance(1000);
    RecordGridPress(box->ClientToScreen(p), true);
    box->MouseDown(mbLeft, {ssLeft}, p.X + 1, p.Y);
    EXPECT_EQ(box->SelLength(), 0);
    box->MouseUp(mbLeft, {}, p.X, p.Y);
    // The box's own double click.
    clock.Advance(1000);
    box->MouseDown(mbLeft, {ssLeft}, p.X, p.Y);
    box->MouseUp(mbLeft, {}, p.X, p.Y);
    box->MouseDown(mbLeft, {ssLeft, ssDouble}, p.X, p.Y);
    EXPECT_EQ(box->SelLength(), 6);
}

// ------------------------------------------------------------- scrolling

TEST_F(EditBox, TypingPastTheRightEdgeScrollsAQuarterInside) {
    box->SetText("");
    Type(std::string(40, 'w'));
    EXPECT_GT(box->ScrollOffset(), 0);
    int x = box->CaretPoint().X;
    EXPECT_LT(x, box->Width());
    EXPECT_GE(x, box->Width() * 3 / 4 - 20);
    // Home scrolls back to the start.
    Key(VK_HOME);
    EXPECT_EQ(box->ScrollOffset(), 0);
    EXPECT_EQ(box->CaretPoint().X, 0);
}

TEST_F(EditBox, DownInATallTextScrollsByLines) {
    int p = Pitch();
    box->SetBounds(10, 10, 40, 2 * p);
    box->SetText("a\r\nb\r\nc\r\nd");
    Key(VK_DOWN);
    EXPECT_EQ(box->TopLine(), 0);
    Key(VK_DOWN);
    EXPECT_EQ(box->CaretLine(), 2);
    EXPECT_EQ(box->TopLine(), 1);
    Key(VK_UP);
    Key(VK_UP);
    EXPECT_EQ(box->TopLine(), 0);
}

// --------------------------------------------------------- caret, painting

TEST_F(EditBox, FocusCreatesTheCaretAndLosingItDestroysIt) {
    box->SetText("abc");
    box->FocusReceived();
    EXPECT_EQ(CaretState().Owner, box);
    EXPECT_TRUE(CaretState().Shown());
    EXPECT_EQ(CaretState().Width, 1);
    Key(VK_END);
    EXPECT_EQ(CaretState().Pos, box->CaretPoint());
    int killed = 0;
    box->OnKillFocus = [&](TObject*) { ++killed; };
    box->FocusLost();
    EXPECT_EQ(CaretState().Owner, nullptr);
    EXPECT_EQ(killed, 1);
}

TEST_F(EditBox, PaintsTheSelectionInHighlightColoursOnlyWhenFocusIsShown) {
    box->SetColor(clWhite);
    box->SetText("mmmmmm");
    Sel(0, 6);
    box->Repaint();

    auto count = [&](TColor c) {
        int n = 0;
        for (int y = 0; y < box->Height(); ++y)
            for (int x = 0; x < box->Width(); ++x)
                if (box->Canvas()->GetPixel(x, y) == ColorToRGB(c)) ++n;
        return n;
    };
    EXPECT_EQ(count(clHighlight), 0);
    EXPECT_LT(count(clWhite), box->Width() * box->Height() - 20);  // the text
    box->AlwaysShowFocus = true;
    box->Repaint();
    EXPECT_GT(count(clHighlight), 20);
    // PaintText draws the same into another canvas.
    TBitmap other;
    other.SetSize(box->Width(), box->Height());
    other.Canvas()->Brush()->SetColor(clWhite);
    other.Canvas()->Font()->Assign(*box->Font());
    box->PaintText(other.Canvas(), box->Height(), 0, 0, TRect(0, 0, box->Width(), box->Height()));
    EXPECT_EQ(other.Image(), box->Surface());
}
