#pragma once
// The strategies through which the grid drives its in-cell windows: one
// interface over the plain window (cells not edited in place), the edit box
// (text cells) and the check box (check cells). The grid keeps one strategy
// per kind, chooses the one for the current cell's control type, and moves
// values in and out through it; what the kinds do differently is here.
// A strategy owns its window.

#include <memory>
#include <string>

#include "grid/GridCheckBox.h"
#include "grid/GridControl.h"
#include "grid/GridEditBox.h"
#include "platform/core/Variant.h"

class TgrCustomGridControl : public TObject {
public:
    ~TgrCustomGridControl() override;
    TgrGridControl* Window() const { return window_.get(); }

    // Window, appearance and capture.
    virtual TWinControl* GetGrid() const = 0;
    virtual void SetGrid(TWinControl* grid) = 0;
    virtual TColor GetColor() const = 0;
    virtual void SetColor(TColor color) = 0;
    virtual TFont* GetFont() const = 0;
    virtual void SetFont(const TFont& font) = 0;
    virtual bool GetVisible() const { return window_->Visible(); }
    virtual void SetVisible(bool v) {
        if (v != window_->Visible()) window_->SetVisible(v);
    }
    virtual void SetMouseCapture(bool capture) { window_->SetMouseCapture(capture); }
    virtual bool GetMouseCapture() const { return window_->MouseCapture(); }

    // Events of the window (set and read).
#define GR_EVENT(Name, Type, Member)                                  \
    virtual void Set##Name(Type handler) { window_->Member = handler; } \
    virtual Type Get##Name() const { return window_->Member; }
    GR_EVENT(OnEnter, TNotifyEvent, OnEnter)
    GR_EVENT(OnExit, TNotifyEvent, OnExit)
    GR_EVENT(OnKillFocus, TNotifyEvent, OnKillFocus)
    GR_EVENT(OnKeyDown, TKeyEvent, OnKeyDown)
    GR_EVENT(OnKeyUp, TKeyEvent, OnKeyUp)
    GR_EVENT(OnKeyPress, TKeyPressEvent, OnKeyPress)
    GR_EVENT(OnClick, TNotifyEvent, OnClick)
    GR_EVENT(OnDblClick, TNotifyEvent, OnDblClick)
    GR_EVENT(OnMouseDown, TMouseEvent, OnMouseDown)
    GR_EVENT(OnMouseMove, TMouseMoveEvent, OnMouseMove)
    GR_EVENT(OnMouseUp, TMouseEvent, OnMouseUp)
    GR_EVENT(OnAfterKeyDown, TgrKeyNotify, OnAfterKeyDown)
    GR_EVENT(OnAfterKeyUp, TgrKeyNotify, OnAfterKeyUp)
    GR_EVENT(OnAfterKeyPress, TgrKeyPressNotify, OnAfterKeyPress)
    GR_EVENT(OnCaretChange, TgrCaretChangeNotify, OnCaretChange)
    GR_EVENT(OnTextChange, TgrTextChangeNotify, OnTextChange)
    GR_EVENT(OnCanEdit, TgrCanEditNotify, OnCanEdit)
    GR_EVENT(OnCanChange, TgrCanChangeNotify, OnCanChange)
    GR_EVENT(OnUndo, TgrUndoNotify, OnUndo)
    GR_EVENT(OnWantKey, TgrWantKeyNotify, OnWantKey)
    GR_EVENT(OnMaskError, TgrMaskErrorNotify, OnMaskError)
    GR_EVENT(OnTextResize, TgrTextResizeNotify, OnTextResize)
#undef GR_EVENT

    // Values and behaviour.
    virtual void SetSelStart(int) {}
    virtual void SetSelLength(int) {}
    virtual void SetSelText(const std::string&) {}
    virtual void SetValue(const Variant& value) = 0;
    virtual void SetValueByUser(const Variant& value, bool byUser) = 0;
    virtual void SetAllowEdit(bool v) { window_->AllowEdit = v; }
    virtual void SetAllowSelect(bool v) { window_->AllowSelect = v; }
    virtual void SetCursor(TCursor c) { window_->SetCursor(c); }
    virtual void SetMaxLength(int) {}
    virtual void SetWantTabs(bool v) { window_->WantTabs = v; }
    virtual void SetMaskDefs(TgrMaskDefsComponent*) {}
    virtual void SetMaskName(const std::string&) {}
    virtual void SetAlwaysShowFocus(bool v) { window_->AlwaysShowFocus = v; }
    virtual Variant GetValue() const = 0;
    virtual int GetSelStart() const { return 0; }
    virtual int GetSelLength() const { return 0; }
    virtual std::string GetSelText() const { return {}; }
    virtual bool GetAllowEdit() const { return window_->AllowEdit; }
    virtual bool GetAllowSelect() const { return window_->AllowSelect; }
    virtual TCursor GetCursor() const { return window_->Cursor(); }
    virtual int GetMaxLength() const { return 0; }
    virtual bool GetWantTabs() const { return window_->WantTabs; }
    virtual TgrMaskDefsComponent* GetMaskDefs() const { return nullptr; }
    virtual std::string GetMaskName() const { return {}; }
    virtual bool GetAlwaysShowFocus() const { return window_->AlwaysShowFocus; }

    // Window operations.
    virtual void Hide() { SetVisible(false); }
    virtual void Show() { SetVisible(true); }
    virtual void Repaint() { window_->Repaint(); }
    virtual void Invalidate() { window_->Invalidate(); }
    // Paints a cell's value that is not being edited.
    virtual void PaintValue(TCanvas* canvas, int flag, int top, int left, const TRect& rect) = 0;
    virtual void SetFocus() { window_->SetFocus(); }
    virtual bool CanFocus() const { return window_->CanFocus(); }
    virtual TPoint ScreenToClient(TPoint p) const { return window_->ScreenToClient(p); }
    virtual void UpdateSelection() {}
    virtual bool Focused() const { return window_->Focused(); }
    // Whether the grid's edit colours replace the cell's in the window.
    virtual bool UsesEditColors() const = 0;
    virtual bool IsEditChar(char ch) { return window_->IsEditChar(ch); }
    virtual bool IsMultiLine() { return false; }
    virtual void CutToClipboard(bool) {}
    virtual void CopyToClipboard() {}
    virtual void PasteFromClipboard(bool) {}
    virtual void SelectAll() {}
    virtual void DblClick() { window_->DblClick(); }

    // Placement (a setter does nothing when the value is unchanged).
    int Left() const { return window_->Left(); }
    int Top() const { return window_->Top(); }
    int Width() const { return window_->Width(); }
    int Height() const { return window_->Height(); }
    void SetLeft(int v) {
        if (v != Left()) window_->SetLeft(v);
    }
    void SetTop(int v) {
        if (v != Top()) window_->SetTop(v);
    }
    void SetWidth(int v) {
        if (v != Width()) window_->SetWidth(v);
    }
    void SetHeight(int v) {
        if (v != Height()) window_->SetHeight(v);
    }
    TWinControl* Parent() const { return window_->Parent(); }
    void SetParent(TWinControl* p) {
        if (p != Parent()) window_->SetParent(p);
    }
    void SetCtl3D(bool v) { window_->Ctl3D = v; }
    // None while the window has no parent.
    QWidget* GetHandle() const { return window_->Parent() ? window_->Widget() : nullptr; }
    void SetHorzAlignment(TgrHorzAlignment v) { window_->SetHorzAlignment(v); }
    void SetVertAlignment(TgrVertAlignment v) { window_->SetVertAlignment(v); }
    void SetWordWrap(TgrWordWrap v) { window_->SetWordWrap(v); }
    void SetTextIndent(Integer v) { window_->SetTextIndent(v); }
    TgrHorzAlignment HorzAlignment() const { return window_->HorzAlignment(); }
    TgrVertAlignment VertAlignment() const { return window_->VertAlignment(); }
    TgrWordWrap WordWrap() const { return window_->WordWrap(); }
    Integer TextIndent() const { return window_->TextIndent(); }

protected:
    explicit TgrCustomGridControl(std::unique_ptr<TgrGridControl> window);
    std::unique_ptr<TgrGridControl> window_;
};

// Cells that are not edited in place: a plain window without a value.
class TgrDefaultGridControl : public TgrCustomGridControl {
public:
    explicit TgrDefaultGridControl(TWinControl* grid);
    TWinControl* GetGrid() const override { return window_->Grid(); }
    void SetGrid(TWinControl* grid) override { window_->SetGrid(grid); }
    TColor GetColor() const override { return clNone; }
    void SetColor(TColor) override {}
    TFont* GetFont() const override { return window_->Font(); }
    void SetFont(const TFont&) override {}
    Variant GetValue() const override { return Variant(); }
    void SetValue(const Variant&) override {}
    void SetValueByUser(const Variant&, bool) override {}
    void PaintValue(TCanvas*, int, int, int, const TRect&) override {}
    bool UsesEditColors() const override { return false; }
    // The grid paints these cells itself and keeps the focus: the plain
    // window never shows and never takes the focus.
    void Show() override {}
    void SetFocus() override {}
};

// Text cells, through the edit box.
class TgrEditGridControl : public TgrCustomGridControl {
public:
    explicit TgrEditGridControl(TWinControl* grid);
    TgrGridEditBox* EditBox() const { return static_cast<TgrGridEditBox*>(window_.get()); }
    TWinControl* GetGrid() const override { return window_->Grid(); }
    void SetGrid(TWinControl* grid) override { window_->SetGrid(grid); }
    TColor GetColor() const override { return window_->Color(); }
    void SetColor(TColor c) override { window_->SetColor(c); }
    TFont* GetFont() const override { return window_->Font(); }
    void SetFont(const TFont& font) override;
    Variant GetValue() const override { return Variant(EditBox()->Text()); }
    void SetValue(const Variant& value) override { EditBox()->SetTextIfAllowed(VariantToString(value)); }
    void SetValueByUser(const Variant& value, bool byUser) override {
        EditBox()->SetTextByUser(VariantToString(value), byUser);
    }
    void PaintValue(TCanvas* canvas, int flag, int top, int left, const TRect& rect) override {
        EditBox()->PaintText(canvas, flag, left, top, rect);
    }
    bool UsesEditColors() const override { return true; }
    // The selection in characters; setting the start moves the caret there.
    void SetSelStart(int n) override {
        EditBox()->SetSelStartChars(n);
        EditBox()->CaretToSelStart();
    }
    void SetSelLength(int n) override { EditBox()->SetSelLengthChars(n); }
    int GetSelStart() const override { return EditBox()->GetSelStartChars(); }
    int GetSelLength() const override { return EditBox()->GetSelLengthChars(); }
    void SetSelText(const std::string& text) override { EditBox()->SetSelText(text); }
    std::string GetSelText() const override { return EditBox()->GetSelText(); }
    void SetMaxLength(int n) override { EditBox()->SetMaxLength(n); }
    int GetMaxLength() const override { return EditBox()->MaxLength(); }
    void SetMaskDefs(TgrMaskDefsComponent* defs) override { EditBox()->SetMaskDefs(defs); }
    TgrMaskDefsComponent* GetMaskDefs() const override { return EditBox()->MaskDefs(); }
    void SetMaskName(const std::string& name) override { EditBox()->SetMaskName(name); }
    std::string GetMaskName() const override { return EditBox()->MaskName(); }
    bool IsMultiLine() override { return EditBox()->LineCount() > 1; }
    void CutToClipboard(bool byUser) override { EditBox()->CutToClipboard(byUser); }
    void CopyToClipboard() override { EditBox()->CopyToClipboard(); }
    void PasteFromClipboard(bool byUser) override { EditBox()->PasteFromClipboard(byUser); }
    void SelectAll() override { EditBox()->SelectAll(); }
    void UpdateSelection() override;

private:
    static std::string VariantToString(const Variant& value);
};

// Check cells, through the check box.
class TgrCheckGridControl : public TgrCustomGridControl {
public:
    explicit TgrCheckGridControl(TWinControl* grid);
    TgrGridCheckBox* CheckBox() const { return static_cast<TgrGridCheckBox*>(window_.get()); }
    TWinControl* GetGrid() const override { return window_->Grid(); }
    void SetGrid(TWinControl* grid) override { window_->SetGrid(grid); }
    TColor GetColor() const override { return window_->Color(); }
    void SetColor(TColor c) override { window_->SetColor(c); }
    TFont* GetFont() const override { return window_->Font(); }
    void SetFont(const TFont& font) override;
    Variant GetValue() const override { return CheckBox()->Value(); }
    void SetValue(const Variant& value) override { CheckBox()->SetValueIfAllowed(value); }
    void SetValueByUser(const Variant& value, bool byUser) override { CheckBox()->SetValueByUser(value, byUser); }
    // flag: draw the focus.
    void PaintValue(TCanvas* canvas, int flag, int top, int left, const TRect& rect) override;
    bool UsesEditColors() const override { return false; }
    // Releasing the capture also clears the pressed look.
    void SetMouseCapture(bool capture) override;

    void SetCheckBoxStyle(TgrCheckBoxStyle style) { CheckBox()->SetCheckBoxStyle(style); }
    TBitmap* GetCheckPicture(TCheckBoxState state, TCopyMode& copyMode, bool pressedAllowed, TRect& source) {
        return CheckBox()->GetGlyph(state, copyMode, pressedAllowed, source);
    }
    void SetAllowGrayed(bool v) { CheckBox()->SetAllowGrayed(v); }
    const std::string& GetCheckBoxValues() const { return CheckBox()->CheckBoxValues(); }
    void SetCheckBoxValues(const std::string& values) { CheckBox()->SetCheckBoxValues(values); }
};
