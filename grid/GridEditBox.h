#pragma once
// The grid's own text editor for text cells: a single- and multi-line edit
// window with word wrap, a caret, keyboard and mouse selection, the
// clipboard, one level of undo, a length limit in characters and edit
// masks. Text is UTF-8; positions are byte offsets from 0 and every step
// over the text moves by a whole character (a CR LF or LF CR pair counts as
// one). Positions the grid sees are counted in characters.
//
// In multi-line mode (word wrap on and room for more than one line) the
// text is broken into display lines and scrolls by lines; otherwise it is
// one line that scrolls horizontally, line breaks shown as blanks.

#include <memory>
#include <string>

#include "grid/GridControl.h"
#include "grid/TSMask.h"
#include "grid/TSSetLib.h"
#include "platform/gui/Bitmap.h"

class TgrGridEditBox;

// A mask definition as the edit box uses it (supplied by a mask
// definitions component). ValidateInsert checks the whole text with
// inserted placed at position (1-based byte position of the selection
// start, the selection replaced) and may adjust inserted; False rejects.
class TgrEditMask : public TObject {
public:
    virtual bool ValidateInsert(const std::string& text, int position, int selLength, std::string& inserted) = 0;
};

// The edit box's link to the mask definitions: either notification makes
// the box look its mask up again by name.
class TgrEditMaskLink : public TgrMaskLink {
public:
    explicit TgrEditMaskLink(TgrGridEditBox* box) : box_(box) {}
    void MaskDefsChanged() override;
    void MaskDefsRemoved() override;

private:
    TgrGridEditBox* box_;
};

class TgrGridEditBox : public TgrGridControl {
public:
    explicit TgrGridEditBox(TComponent* owner);
    ~TgrGridEditBox() override;

    // ------------------------------------------------------------ text
    std::string Text() const override { return text_; }
    void SetText(const std::string& text) override { SetText(text, false, false); }
    // Stores the text with the caret at the start (at the end for
    // right-aligned single-line text). Edited tells the grid; an edit by
    // the user on an editable box keeps the undo text, anything else
    // clears it.
    void SetText(const std::string& text, bool edited, bool byUser);
    // Only when CanChange(False) allows.
    void SetTextIfAllowed(const std::string& text);
    // Only when CanEdit(False) allows.
    void SetTextByUser(const std::string& text, bool byUser);
    // Tells the grid the text changed (it may resize the box); True when
    // the height changed.
    bool NotifyTextChanged(bool byUser);

    // ------------------------------------------------------- selection
    int SelStart() const { return selStart_; }
    int SelLength() const { return selLength_; }
    // Ignored outside 0..length; collapses the selection.
    void SetSelStart(int p);
    // Ignored when negative; limited to the end of the text.
    void SetSelLength(int n);
    int GetSelStartChars();
    int GetSelLengthChars();
    void SetSelStartChars(int n);
    void SetSelLengthChars(int n);
    std::string GetSelText() const;
    void SetSelText(const std::string& text);
    void SelectAll();
    void CaretToSelStart();

    void CutToClipboard(bool byUser);
    void CopyToClipboard();
    void PasteFromClipboard(bool byUser);

    // 0: no limit (a negative value becomes 0).
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int n) { maxLength_ = n < 0 ? 0 : n; }
    TgrMaskDefsComponent* MaskDefs() const { return maskLink_->MaskDefs(); }
    void SetMaskDefs(TgrMaskDefsComponent* defs);
    const std::string& MaskName() const { return maskName_; }
    void SetMaskName(const std::string& name);
    // The mask in force (looked up by name when first needed), or none.
    TObject* Mask();
    void ClearCachedMask() { cachedMask_ = nullptr; }

    // Draws the text as the box shows it (the grid paints its current cell
    // with this while the window is hidden).
    void PaintText(TCanvas* canvas, int height, int x, int y, const TRect& rect);

    // ---------------------------------------------------------- layout
    int CaretPos() const { return caretPos_; }
    TPoint CaretPoint() const { return caretPoint_; }
    int CaretLine() const { return caretLine_; }
    int CaretColumn() const { return caretColumn_; }
    int ScrollOffset() const { return scrollOffset_; }
    int TopLine() const { return topLine_; }
    int LineCount() const { return lines_.Count(); }
    int LineStart(int line) const { return lines_[line]; }
    int LineHeight();
    bool MultiLineMode();
    bool UndoSaved() const { return undoSaved_; }
    const std::string& UndoText() const { return undoText_; }
    // crIBeam when editing or selecting is allowed, else Cursor.
    TCursor CursorShown() const;

    bool IsEditChar(char ch) override { return ch == 8 || static_cast<unsigned char>(ch) >= 32; }
    void SetHorzAlignment(TgrHorzAlignment value) override;
    void SetVertAlignment(TgrVertAlignment value) override;
    void SetWordWrap(TgrWordWrap value) override;
    void SetBounds(int left, int top, int width, int height) override;
    void ApplyFont() override;

    // ----------------------------------------------------------- input
    bool DoKeyDown(Word16& key, TShiftState shift) override;
    bool DoKeyPress(char& key) override;
    void DoKeyUp(Word16& key, TShiftState shift) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void FocusReceived() override;
    void FocusLost() override;

protected:
    void PaintWindow(TCanvas* canvas) override;
    void LeftButtonDown(TShiftState shift, int x, int y) override;
    void LeftDoubleClick(TShiftState shift, int x, int y) override;

private:
    friend class TgrEditMaskLink;
    TCanvas* MeasureCanvas();
    int Length() const { return static_cast<int>(text_.size()); }
    bool RightAligned() const { return HorzAlignment() == htaRight; }
    // Breaks the text into lines, places the caret and keeps it visible.
    void Layout();
    void PlaceCaret();
    void ComputeCaretLine();
    void ComputeCaretPoint();
    // The x of a position on a display line (single-line mode: line 0).
    int XAt(int line, int pos);
    int LineEnd(int line) const;
    int DrawnLineEnd(int line) const;
    // The position nearest x on a line; atLineEnd tells that it is the end
    // of a wrapped line (shown there, not at the next line's start).
    int PosAtX(int line, int x, bool& atLineEnd);
    int LineAtY(int y);
    int FirstLineY();
    // Returns whether anything scrolled.
    bool KeepCaretVisible(double fraction);
    void MoveSystemCaret();
    // Moves the caret; with extend the selection runs from the anchor to
    // the caret, else it collapses at the caret. True when the caret moved.
    bool MoveCaretTo(int pos, bool extend, double fraction, bool atNextLine = true);
    int SelectionAnchor() const;
    void SetSelection(int anchor, int caret);
    void ClearCharCache() { selStartChars_ = selLengthChars_ = -1; }
    void SaveUndo();
    // Typing, Ctrl+Enter and paste: False when refused (nothing changed).
    bool InsertText(std::string text, bool byUser);
    // Backspace and Delete: False when nothing was deleted.
    bool DeleteAtCaret(bool forward);
    void EraseSelection();
    // Esc and Ctrl+Z: False when there is no undo text (the key passes).
    bool RequestUndo(bool& undone);
    bool HandleKey(Word16 key, TShiftState shift, bool& textChanged, bool& undone);
    void ExtendByMouse(int x, int y);
    void PostAutoScroll(int x, int y);
    void CreateSystemCaret();

    std::string text_;
    std::string undoText_;
    bool undoSaved_ = false;
    int selStartChars_ = -1;
    int selLengthChars_ = -1;
    int selStart_ = 0;
    int selLength_ = 0;
    int caretPos_ = 0;
    int scrollOffset_ = 0;
    int topLine_ = 0;
    TgrIntegerList lines_;
    TPoint caretPoint_;
    int caretLine_ = 0;
    int caretColumn_ = 0;
    bool caretAtNextLine_ = true;
    bool caretCreated_ = false;
    bool insideMouseDown_ = false;
    bool caretShowPending_ = false;
    bool tracking_ = false;
    bool autoScrollPosted_ = false;
    int anchor_ = 0;
    TPoint mouseDownPoint_;
    bool mouseNotMoved_ = false;
    bool keyRepeating_ = false;
    int rightMargin_ = 0;
    std::unique_ptr<TBitmap> slantedCaret_;
    int maxLength_ = 0;
    std::string pendingLead_;
    TObject* cachedMask_ = nullptr;
    std::unique_ptr<TgrEditMaskLink> maskLink_;
    std::string maskName_;
    TBitmap measure_;
    std::shared_ptr<bool> alive_;
};
