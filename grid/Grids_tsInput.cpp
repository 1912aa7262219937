// The interactive side of the grid base: the mouse state machine
// (selecting, resizing and moving lines, with a 60 ms timer while the
// pointer is held past the cells), the resize zone and its cursors, the
// default keyboard, and the in-place editor with the grid's side of editing.

#include <algorithm>

#include "grid/Grids_ts.h"
#include "platform/core/Clock.h"
#include "platform/gui/Forms.h"

namespace {
constexpr Cardinal kDragTimerMs = 60;
}

// ------------------------------------------------------------ resize zone

void TCustomGrid_ts::SizingHit(Integer x, Integer y, const TGridLayout_ts& l, TGridState_ts& state, Integer& index,
                               Integer& position, Integer& offset) {
    state = gstNormal;
    index = -1;
    TGridOptions_ts options = gridOptions_;
    if (Designing()) options |= designGridOptions_;
    if (!(options & (gxRowSizing | gxColSizing))) return;
    auto axisTest = [&](const TAxisLayout_ts& a, Integer n, TGridState_ts hitState) {
        Integer lw = a.LineWidth;
        Integer zone = std::max(lw, 7);
        Integer lead = lw < 7 ? (7 - lw) / 2 : 0;
        Integer e = a.FixedEnd;
        for (Integer i = a.FirstScrollCell; i < a.CellCount; ++i) {
            e += a.ExtentOf(i);
            if (e > a.GridEnd) break;
            if (e - lead <= n && n <= e - lead + zone) {
                state = hitState;
                position = e;
                offset = e - n;
                index = i;
                return;
            }
            e += lw;
        }
        if (a.GridEnd == a.ClientExtent && a.ClientExtent - lead <= n && n <= a.ClientExtent) {
            state = hitState;
            position = a.ClientExtent;
            offset = a.ClientExtent - n;
            index = a.LastFullCell + 1;
        }
    };
    Integer hx = rightToLeft_ ? ClientWidth() - x : x;
    if (hx > l.Horz.FixedEnd && (options & gxColSizing)) {
        if (y < l.Vert.FixedEnd) axisTest(l.Horz, hx, gstColSizing);
    } else if (y > l.Vert.FixedEnd && (options & gxRowSizing) && hx < l.Horz.FixedEnd) {
        axisTest(l.Vert, y, gstRowSizing);
    }
}

bool TCustomGrid_ts::IsOnSizingLine(Integer x, Integer y) {
    if (mouseState_ != gstNormal) return true;
    TGridLayout_ts l;
    ComputeLayout(l);
    TGridState_ts state;
    Integer index, position, offset;
    SizingHit(x, y, l, state, index, position, offset);
    return state != gstNormal;
}

TCursor TCustomGrid_ts::CursorAt(Integer x, Integer y) {
    TGridState_ts state = mouseState_;
    if (state == gstNormal) {
        TGridLayout_ts l;
        ComputeLayout(l);
        Integer index, position, offset;
        SizingHit(x, y, l, state, index, position, offset);
    }
    if (state == gstRowSizing) return crVSplit;
    if (state == gstColSizing) return crHSplit;
    return Cursor();
}

bool TCustomGrid_ts::CursorRequest(int x, int y, TCursor& cursor) {
    cursor = CursorAt(x, y);
    return true;
}

// ---------------------------------------------------------------- markers

void TCustomGrid_ts::DrawSizeLine(const TGridLayout_ts& l) {
    TCanvas* c = Canvas();
    TPen saved;
    saved.Assign(*c->Pen());
    c->Pen()->SetStyle(psDot);
    c->Pen()->SetMode(pmXor);
    c->Pen()->SetWidth(1);
    c->Pen()->SetColor(clWhite);
    if (mouseState_ == gstRowSizing) {
        c->MoveTo(0, sizePos_);
        c->LineTo(l.Horz.GridEnd, sizePos_);
    } else {
        c->MoveTo(sizePos_, 0);
        c->LineTo(sizePos_, l.Vert.GridEnd);
    }
    c->Pen()->Assign(saved);
}

void TCustomGrid_ts::DrawMoveMarker() {
    TCanvas* c = Canvas();
    TPen saved;
    saved.Assign(*c->Pen());
    c->Pen()->SetStyle(psDot);
    c->Pen()->SetMode(pmXor);
    c->Pen()->SetWidth(5);
    c->Pen()->SetColor(clWhite);
    if (mouseState_ == gstRowMoving) {
        TRect r = CellPixels(0, moveToIndex_);
        Integer y = moveFromIndex_ < moveToIndex_ ? r.Bottom : r.Top;
        c->MoveTo(0, y);
        c->LineTo(ClientWidth(), y);
    } else {
        TRect r = CellPixels(moveToIndex_, 0);
        bool after = moveFromIndex_ < moveToIndex_;
        if (rightToLeft_) after = !after;
        Integer x = after ? r.Right : r.Left;
        c->MoveTo(x, 0);
        c->LineTo(x, ClientHeight());
    }
    c->Pen()->Assign(saved);
}

void TCustomGrid_ts::DragScroll(Integer n, Integer cellIndex, const TAxisLayout_ts& axis, bool horizontal) {
    if (horizontal && rightToLeft_) n = ClientWidth() - n;
    Integer lastLine = axis.CellCount - 1;
    if (cellIndex == moveToIndex_ || (moveToIndex_ == axis.FixedCount && n < axis.FixedEnd) ||
        (moveToIndex_ == lastLine && n > axis.GridEnd))
        return;
    DrawMoveMarker();
    Integer target = cellIndex;
    if (n < axis.FixedEnd) {
        target = axis.FirstScrollCell;
        if (moveToIndex_ > axis.FixedCount) {
            HandleScroll(horizontal, 0, 0, false);
            Update();
            TGridLayout_ts l;
            ComputeLayout(l);
            target = (horizontal ? l.Horz : l.Vert).FirstScrollCell;
        }
    } else if (n >= axis.FullCellsEnd) {
        target = axis.LastFullCell;
        if (moveToIndex_ == axis.LastFullCell && moveToIndex_ != lastLine) {
            HandleScroll(horizontal, 1, 0, false);
            Update();
            TGridLayout_ts l;
            ComputeLayout(l);
            target = (horizontal ? l.Horz : l.Vert).LastFullCell;
        }
    } else if (cellIndex < 0) {
        target = moveToIndex_;
    }
    TPoint p = lastMouse_;
    bool accepted = horizontal ? AcceptColumnDragTarget(moveFromIndex_, target, p)
                               : AcceptRowDragTarget(moveFromIndex_, target, p);
    if (accepted) moveToIndex_ = target;
    DrawMoveMarker();
}

void TCustomGrid_ts::EndMouseMode() {
    switch (mouseState_) {
        case gstSelecting: timer_->SetEnabled(false); break;
        case gstRowSizing:
        case gstColSizing: {
            TGridLayout_ts l;
            ComputeLayout(l);
            DrawSizeLine(l);
            break;
        }
        case gstRowMoving:
        case gstColMoving:
            DrawMoveMarker();
            timer_->SetEnabled(false);
            break;
        default: break;
    }
    mouseState_ = gstNormal;
}

// ------------------------------------------------------------------ mouse

void TCustomGrid_ts::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    lastMouse_ = TPoint(x, y);
    hitTestPoint_ = lastMouse_;
    if (button == mbLeft && editor_) editor_->ClickTime = CurrentClock().TickMs();
    RemoveEditor();
    if (!Designing() && (CanFocus() || !GetParentForm(this))) {
        if (CanFocus() && !IsFocusHolder(this)) SetFocus();
        if (!IsFocusHolder(this)) {
            SetMouseCapture(false);
            return;
        }
    }
    bool startedMove = false;
    if (!shift.Contains(ssDouble) && button == mbLeft) {
        TGridLayout_ts l;
        ComputeLayout(l);
        TGridState_ts state;
        Integer index = -1, position = 0, offset = 0;
        SizingHit(x, y, l, state, index, position, offset);
        if (state != gstNormal) {
            mouseState_ = state;
            sizeIndex_ = index;
            sizePos_ = rightToLeft_ ? ClientWidth() - position : position;
            sizeOffset_ = offset;
            SetMouseCapture(true);
            DrawSizeLine(l);
            return;
        }
        TCellCoord_ts cell = CellAtPoint(x, y, l);
        if (cell.Col < 0 || cell.Row < 0) {
            // Outside every cell: nothing to select.
        } else if (cell.Col < fixedColTotal_ || cell.Row < fixedRowTotal_) {
            TPoint p(x, y);
            if ((gridOptions_ & gxRowMoving) && cell.Col < fixedColTotal_ && cell.Row >= fixedRowTotal_) {
                moveFromIndex_ = moveToIndex_ = cell.Row;
                if (StartRowDrag(moveFromIndex_, moveToIndex_, p)) {
                    mouseState_ = gstRowMoving;
                    Update();
                    DrawMoveMarker();
                    timer_->SetEnabled(true);
                    startedMove = true;
                }
            } else if ((gridOptions_ & gxColMoving) && cell.Row < fixedRowTotal_ && cell.Col >= fixedColTotal_) {
                moveFromIndex_ = moveToIndex_ = cell.Col;
                if (StartColumnDrag(moveFromIndex_, moveToIndex_, p)) {
                    mouseState_ = gstColMoving;
                    Update();
                    DrawMoveMarker();
                    timer_->SetEnabled(true);
                    startedMove = true;
                }
            }
        } else if (gridOptions_ & gxEditing) {
            if (cell == current_) OpenEditor();
            else {
                MoveCurrentCell(cell.Col, cell.Row, true, true);
                PlaceEditor();
            }
            Click();
        } else {
            mouseState_ = gstSelecting;
            timer_->SetEnabled(true);
            if (shift.Contains(ssShift)) ExtendAnchor(cell);
            else MoveCurrentCell(cell.Col, cell.Row, true, true);
        }
        if (mouseState_ != gstNormal) SetMouseCapture(true);
    }
    try {
        TCustomControl::MouseDown(button, shift, x, y);
    } catch (...) {
        if (startedMove) DrawMoveMarker();
        throw;
    }
}

void TCustomGrid_ts::MouseMove(TShiftState shift, int x, int y) {
    lastMouse_ = TPoint(x, y);
    hitTestPoint_ = lastMouse_;
    switch (mouseState_) {
        case gstRowSizing:
        case gstColSizing: {
            TGridLayout_ts l;
            ComputeLayout(l);
            DrawSizeLine(l);
            sizePos_ = (mouseState_ == gstRowSizing ? y : x) + sizeOffset_;
            DrawSizeLine(l);
            break;
        }
        case gstSelecting:
        case gstRowMoving:
        case gstColMoving: {
            TGridLayout_ts l;
            ComputeLayout(l);
            TCellCoord_ts cell = CellAtPoint(x, y, l);
            if (cell.Col >= fixedColTotal_ && cell.Row >= fixedRowTotal_ && cell.Col <= l.Horz.LastFullCell + 1 &&
                cell.Row <= l.Vert.LastFullCell + 1) {
                if (mouseState_ == gstSelecting) {
                    if (!(cell == anchor_)) ExtendAnchor(cell);
                } else if (mouseState_ == gstRowMoving) {
                    DragScroll(y, cell.Row, l.Vert, false);
                } else {
                    DragScroll(x, cell.Col, l.Horz, true);
                }
            }
            break;
        }
        default: break;
    }
    TCustomControl::MouseMove(shift, x, y);
}

void TCustomGrid_ts::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    struct Reset {
        TCustomGrid_ts* g;
        ~Reset() {
            g->mouseState_ = gstNormal;
            g->SetMouseCapture(false);
        }
    } reset{this};
    lastMouse_ = TPoint(x, y);
    switch (mouseState_) {
        case gstSelecting:
            MouseMove(shift, x, y);
            timer_->SetEnabled(false);
            PlaceEditor();
            Click();
            break;
        case gstRowSizing:
        case gstColSizing: {
            TGridLayout_ts l;
            ComputeLayout(l);
            DrawSizeLine(l);
            if (rightToLeft_) sizePos_ = ClientWidth() - sizePos_;
            const TAxisLayout_ts& a = mouseState_ == gstColSizing ? l.Horz : l.Vert;
            Integer start = a.FixedEnd;
            for (Integer i = a.FirstScrollCell; i < sizeIndex_; ++i) start += a.ExtentOf(i) + a.LineWidth;
            Integer size = sizePos_ - start;
            // A line cannot be dragged narrower than 2 pixels; an index past
            // the last line (a cut-off edge) names no line.
            Integer count = mouseState_ == gstColSizing ? colTotal_ : rowTotal_;
            if (size >= 2 && sizeIndex_ >= 0 && sizeIndex_ < count) {
                if (mouseState_ == gstColSizing) SetColWidthAt(sizeIndex_, size);
                else SetRowHeightAt(sizeIndex_, size);
                NotifyDesignerModified();
            }
            break;
        }
        case gstRowMoving:
        case gstColMoving: {
            DrawMoveMarker();
            timer_->SetEnabled(false);
            TPoint p(x, y);
            bool rows = mouseState_ == gstRowMoving;
            bool ok = rows ? FinishRowDrag(moveFromIndex_, moveToIndex_, p)
                           : FinishColumnDrag(moveFromIndex_, moveToIndex_, p);
            if (ok && moveFromIndex_ != moveToIndex_) {
                mouseState_ = gstNormal;
                if (rows) MoveRowTo(moveFromIndex_, moveToIndex_);
                else MoveColumnTo(moveFromIndex_, moveToIndex_);
                NotifyDesignerModified();
            }
            PlaceEditor();
            break;
        }
        default: PlaceEditor(); break;
    }
    TCustomControl::MouseUp(button, shift, x, y);
}

void TCustomGrid_ts::TimerTick() {
    if (mouseState_ != gstSelecting && mouseState_ != gstRowMoving && mouseState_ != gstColMoving) return;
    // The pointer's last known client position (the grid holds the mouse
    // capture, so every move reaches it).
    Integer x = lastMouse_.X, y = lastMouse_.Y;
    TGridLayout_ts l;
    ComputeLayout(l);
    TCellCoord_ts cell = CellAtPoint(x, y, l);
    if (mouseState_ == gstSelecting) {
        unsigned mask = 0;
        if (rightToLeft_) {
            if (x < ClientWidth() - l.Horz.FullCellsEnd) mask |= 2;
            if (x > ClientWidth() - l.Horz.FixedEnd) mask |= 1;
        } else {
            if (x < l.Horz.FixedEnd) mask |= 1;
            if (x > l.Horz.FullCellsEnd) mask |= 2;
        }
        if (y < l.Vert.FixedEnd) mask |= 4;
        if (y > l.Vert.FullCellsEnd) mask |= 8;
        if (mask) AutoExtendSelection(mask);
    } else if (mouseState_ == gstRowMoving) {
        DragScroll(y, cell.Row, l.Vert, false);
    } else {
        DragScroll(x, cell.Col, l.Horz, true);
    }
}

// --------------------------------------------------------------- keyboard

void TCustomGrid_ts::KeyDown(Word16& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    if (key == 0 || !AcceptsGridKey(key, shift)) return;
    ProcessKeyDown(key, shift);
}

void TCustomGrid_ts::ProcessKeyDown(Word16& key, TShiftState shift) {
    TGridLayout_ts l;
    ComputeLayout(l);
    Integer hPage = std::max(1, l.Horz.LastFullCell - topLeft_.Col);
    Integer vPage = std::max(1, l.Vert.LastFullCell - topLeft_.Row);
    Integer d = rightToLeft_ ? -1 : 1;
    bool rowSelect = gridOptions_ & gxRowSelect;
    TCellCoord_ts cell = current_, top = topLeft_;
    bool ctrl = shift.Contains(ssCtrl);
    bool handled = true;
    switch (key) {
        case VK_PRIOR:
            if (ctrl) cell.Row = topLeft_.Row;
            else {
                cell.Row -= vPage;
                top.Row -= vPage;
            }
            break;
        case VK_NEXT:
            if (ctrl) cell.Row = l.Vert.LastFullCell;
            else {
                cell.Row += vPage;
                top.Row += vPage;
            }
            break;
        case VK_HOME:
            if (ctrl) cell = {fixedColTotal_, fixedRowTotal_};
            else if (rowSelect) cell.Row = fixedRowTotal_;
            else cell.Col = fixedColTotal_;
            break;
        case VK_END:
            if (ctrl) cell = {colTotal_ - 1, rowTotal_ - 1};
            else if (rowSelect) cell.Row = rowTotal_ - 1;
            else cell.Col = colTotal_ - 1;
            break;
        case VK_LEFT:
        case VK_RIGHT: {
            Integer step = key == VK_LEFT ? -d : d;
            if (ctrl) {
                if (!rowSelect) {
                    cell.Col += step * hPage;
                    top.Col += step * hPage;
                }
            } else if (rowSelect) cell.Row += step;
            else cell.Col += step;
            break;
        }
        case VK_UP:
            if (ctrl) top.Row -= 1;
            else cell.Row -= 1;
            break;
        case VK_DOWN:
            if (ctrl) top.Row += 1;
            else cell.Row += 1;
            break;
        case VK_TAB:
            if (ctrl || shift.Contains(ssAlt)) {
                handled = false;
                break;
            }
            if (shift.Contains(ssShift)) {
                if (--cell.Col < fixedColTotal_) {
                    cell.Col = colTotal_ - 1;
                    if (--cell.Row < fixedRowTotal_) cell.Row = rowTotal_ - 1;
                }
            } else if (++cell.Col >= colTotal_) {
                cell.Col = fixedColTotal_;
                if (++cell.Row >= rowTotal_) cell.Row = fixedRowTotal_;
            }
            break;
        case VK_F2:
            if (ctrl) handled = false;
            else SetEditingActive(true);
            break;
        default: handled = false; break;
    }
    if (!handled) return;
    TCellCoord_ts last = LastTopLeft({colTotal_ - 1, rowTotal_ - 1}, l);
    top.Col = std::clamp(top.Col, fixedColTotal_, std::max(fixedColTotal_, last.Col));
    top.Row = std::clamp(top.Row, fixedRowTotal_, std::max(fixedRowTotal_, last.Row));
    if (!(top == topLeft_)) SetTopLeftCell(top.Col, top.Row);
    cell.Col = std::clamp(cell.Col, fixedColTotal_, colTotal_ - 1);
    cell.Row = std::clamp(cell.Row, fixedRowTotal_, rowTotal_ - 1);
    if (!(cell == current_)) FocusCellAt(cell.Col, cell.Row, !shift.Contains(ssShift));
    if (rightToLeft_ && ctrl && (key == VK_HOME || key == VK_END)) Invalidate();
}

void TCustomGrid_ts::KeyPress(char& key) {
    TCustomControl::KeyPress(key);
    if (key == 0) return;
    if (!(gridOptions_ & gxAlwaysShowEditor) && key == '\r') {
        if (editingActive_) CloseEditor();
        else OpenEditor();
        key = 0;
        return;
    }
    // The character message: typing opens the editor with the character.
    if ((gridOptions_ & gxEditing) && (key == '\b' || static_cast<unsigned char>(key) >= 32)) {
        OpenEditorWithChar(key);
        key = 0;
    }
}

// ----------------------------------------------------------------- editor

bool TCustomGrid_ts::IsFocusHolder(TWinControl* control) const {
    if (TCustomForm* form = GetParentForm(control)) return form->ActiveControl() == control;
    return control->Focused();
}

bool TCustomGrid_ts::EditorAllowed() {
    return (gridOptions_ & gxEditing) && !(gridOptions_ & gxRowSelect) && editingActive_ && !Designing() &&
           Widget() && ((gridOptions_ & gxAlwaysShowEditor) || IsFocusHolder(this));
}

TInplaceEdit* TCustomGrid_ts::NewEditor() { return new TInplaceEdit(this); }

void TCustomGrid_ts::OpenEditor() {
    editingActive_ = true;
    PlaceEditor();
}

void TCustomGrid_ts::CloseEditor() {
    editingActive_ = false;
    RemoveEditor();
}

void TCustomGrid_ts::OpenEditorWithChar(char ch) {
    OpenEditor();
    if (!editor_ || !editor_->Visible()) return;
    // The character goes to the editor as if typed: it replaces the
    // selected text.
    char key = ch;
    if (editor_->DoKeyPress(key)) return;
    std::string text = editor_->Text();
    int start = std::clamp(editor_->SelStart(), 0, int(text.size()));
    int length = std::clamp(editor_->SelLength(), 0, int(text.size()) - start);
    if (key == '\b') {
        if (length == 0 && start > 0) length = 1, --start;
        text.erase(std::size_t(start), std::size_t(length));
    } else {
        text.replace(std::size_t(start), std::size_t(length), 1, key);
        ++start;
    }
    editor_->SetText(text);
    editor_->SetSelStart(start);
    editor_->SetSelLength(0);
    StoreEditorText();
}

void TCustomGrid_ts::SetEditingActive(bool active) {
    if (active) {
        OpenEditor();
        if (editor_) editor_->CaretToEnd();
    } else {
        CloseEditor();
    }
}

void TCustomGrid_ts::PlaceEditor() {
    if (!EditorAllowed()) return;
    auto fill = [this] {
        editorWindowCol_ = current_.Col;
        editorWindowRow_ = current_.Row;
        editor_->LoadFromGrid();
        canModifyText_ = editor_->MaxLength() != -1;
        editor_->SelectAll();
    };
    if (!editor_) {
        editor_ = NewEditor();
        editor_->AttachToGrid(this);
        editor_->SetParent(this);
        fill();
    } else if (current_.Col != editorWindowCol_ || current_.Row != editorWindowRow_) {
        RemoveEditor();
        fill();
    }
    if (EditorAllowed()) editor_->PlaceAndRedraw(CellPixels(current_.Col, current_.Row));
}

void TCustomGrid_ts::RemoveEditor() {
    if (editor_) StoreEditorText();
    editorWindowCol_ = editorWindowRow_ = -1;
    if (editor_) editor_->HideEditorWindow();
}

void TCustomGrid_ts::StoreEditorText() {
    if (editorWindowCol_ != -1 && editorWindowRow_ != -1 && editor_)
        StoreEditText(editorWindowCol_, editorWindowRow_, editor_->Text());
}

void TCustomGrid_ts::FocusEntered(TWinControl* from) {
    if (editor_ && from == editor_) return;
    RepaintRange(SelectionRange());
    PlaceEditor();
}

void TCustomGrid_ts::FocusLeft(TWinControl* to) {
    RepaintRange(SelectionRange());
    if (!editor_ || to != editor_) RemoveEditor();
    if (!(gridOptions_ & gxAlwaysShowEditor) && (!editor_ || to != editor_)) CloseEditor();
}

// ------------------------------------------------------------ TInplaceEdit

TInplaceEdit::TInplaceEdit(TComponent* owner) : TEdit(owner) {
    SetTabStop(false);
    SetVisible(false);
}

void TInplaceEdit::AttachToGrid(TCustomGrid_ts* grid) { grid_ = grid; }

void TInplaceEdit::CaretToEnd() {
    SetSelStart(int(Text().size()));
    SetSelLength(0);
}

void TInplaceEdit::HideEditorWindow() {
    if (!Visible()) return;
    bool hadFocus = Focused() || (grid_ && GetParentForm(this) && GetParentForm(this)->ActiveControl() == this);
    if (grid_) grid_->InvalidateRect(BoundsRect());
    SetVisible(false);
    if (hadFocus && grid_ && grid_->CanFocus()) grid_->SetFocus();
}

void TInplaceEdit::MoveTo(const TRect& r, bool redraw) {
    if (r.IsEmpty()) {
        HideEditorWindow();
        return;
    }
    if (grid_ && (redraw || !Visible())) grid_->InvalidateRect(BoundsRect());
    SetBounds(r.Left, r.Top, r.Width(), r.Height());
    SetVisible(true);
    SetTextMargins();
    if (grid_ && grid_->IsFocusHolder(grid_) && CanFocus()) SetFocus();
}

void TInplaceEdit::LoadFromGrid() {
    SetText("");
    if (!grid_) return;
    TCellCoord_ts c = grid_->CurrentCell();
    editMask_ = grid_->EditMaskOf(c.Col, c.Row);
    SetText(grid_->EditTextOf(c.Col, c.Row));
    SetMaxLength(grid_->EditMaxLength());
}

bool TInplaceEdit::DoKeyDown(Word16& key, TShiftState shift) {
    if (!grid_) return TEdit::DoKeyDown(key, shift);
    auto toGrid = [&] {
        grid_->DoKeyDown(key, shift);
        key = 0;
        return true;
    };
    bool modifiable = grid_->TextModifiable();
    int len = int(Text().size()), ss = SelStart(), se = SelStart() + SelLength();
    switch (key) {
        case VK_ESCAPE:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_UP:
        case VK_DOWN: return toGrid();
        case VK_TAB:
            if (!shift.Contains(ssAlt)) return toGrid();
            break;
        case VK_END:
        case VK_RIGHT:
            if ((grid_->GridOptions() & gxAlwaysShowEditor) &&
                (shift.Contains(ssCtrl) || ((ss == 0 || ss == se) && se == len)))
                return toGrid();
            break;
        case VK_HOME:
        case VK_LEFT:
            if ((grid_->GridOptions() & gxAlwaysShowEditor) &&
                (shift.Contains(ssCtrl) || (ss == 0 && (se == 0 || se == len))))
                return toGrid();
            break;
        case VK_INSERT:
            if (shift.Empty()) return toGrid();
            if (shift.Contains(ssShift) && !modifiable) {
                key = 0;
                return true;
            }
            break;
        case VK_F2:
            if (grid_->OnKeyDown) grid_->OnKeyDown(grid_, key, shift);
            if (key == VK_F2) CaretToEnd();
            key = 0;
            return true;
        case VK_DELETE:
            if (!modifiable) {
                key = 0;
                return true;
            }
            break;
        default: break;
    }
    if (grid_->OnKeyDown) grid_->OnKeyDown(grid_, key, shift);
    if (key == 0) return true;
    return TEdit::DoKeyDown(key, shift);
}

bool TInplaceEdit::DoKeyPress(char& key) {
    if (!grid_) return TEdit::DoKeyPress(key);
    if (grid_->OnKeyPress) grid_->OnKeyPress(grid_, key);
    unsigned char k = static_cast<unsigned char>(key);
    if (k >= 32 && !grid_->AcceptsEditKey(key)) {
        key = 0;  // refused: the platform beeps
        return true;
    }
    bool modifiable = grid_->TextModifiable();
    if (!modifiable && (key == '\b' || key == 0x16 || key == 0x18 || k >= 32)) {
        key = 0;
        return true;
    }
    if (key == '\r') {
        int len = int(Text().size());
        if (SelStart() > 0 || SelLength() != len) SelectAll();
        else CaretToEnd();
        key = 0;
        return true;
    }
    if (key == '\t' || key == 0x1B) {
        key = 0;
        return true;
    }
    return TEdit::DoKeyPress(key);
}
