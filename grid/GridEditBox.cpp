#include "grid/GridEditBox.h"

#include <algorithm>
#include <cmath>

#include "grid/GRCommon.h"
#include "platform/gui/Caret.h"
#include "platform/gui/Clipboard.h"

namespace {

std::string_view Slice(const std::string& text, int from, int to) {
    int n = static_cast<int>(text.size());
    from = std::clamp(from, 0, n);
    to = std::clamp(to, from, n);
    return std::string_view(text).substr(std::size_t(from), std::size_t(to - from));
}

int CharCount(std::string_view s) {
    int n = static_cast<int>(s.size());
    return CharsInBytes(s, n, n);
}

// Width of a piece with its line breaks shown as blanks.
int PieceWidth(TCanvas* canvas, const TgrTextMetric& tm, std::string_view s) {
    int w = 0;
    TextWidthWithBreaks(canvas, tm, s, w, false, false, static_cast<int>(s.size()));
    return w;
}

// Every CR that is not followed by an LF gets one.
std::string WithLineFeeds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')) out += '\n';
    }
    return out;
}

}  // namespace

void TgrEditMaskLink::MaskDefsChanged() { box_->ClearCachedMask(); }
void TgrEditMaskLink::MaskDefsRemoved() { box_->ClearCachedMask(); }

TgrGridEditBox::TgrGridEditBox(TComponent* owner)
    : TgrGridControl(owner), maskLink_(std::make_unique<TgrEditMaskLink>(this)), alive_(std::make_shared<bool>(true)) {
    lines_.Add(0);
    SetCursor(crDefault);
    measure_.SetSize(1, 1);
}

TgrGridEditBox::~TgrGridEditBox() {
    *alive_ = false;
    if (CaretState().Owner == this) DestroyCaret();
}

TCanvas* TgrGridEditBox::MeasureCanvas() {
    TCanvas* c = measure_.Canvas();
    c->Font()->Assign(*Font());
    return c;
}

int TgrGridEditBox::LineHeight() { return LinePitch(GetTextMetric(MeasureCanvas())); }

bool TgrGridEditBox::MultiLineMode() {
    TgrTextMetric tm = GetTextMetric(MeasureCanvas());
    return WordWrap() != wwOff && WrapPossible(Height() - ExtraLineSpacing(tm), LinePitch(tm));
}

TCursor TgrGridEditBox::CursorShown() const { return (AllowEdit || AllowSelect) ? crIBeam : Cursor(); }

// ------------------------------------------------------------------ layout

void TgrGridEditBox::Layout() {
    TCanvas* c = MeasureCanvas();
    WrapIntoLineList(c, text_, Height(), 0, lines_, WordWrap() != wwOff, HorzAlignment(), Width());
    rightMargin_ = RightAligned() ? 1 : 0;
    scrollOffset_ = RightAligned() ? Length() : 0;
    topLine_ = std::clamp(topLine_, 0, std::max(0, lines_.Count() - 1));
    PlaceCaret();
    KeepCaretVisible(0.25);
}

void TgrGridEditBox::PlaceCaret() {
    caretPos_ = std::clamp(caretPos_, 0, Length());
    ComputeCaretLine();
    ComputeCaretPoint();
}

int TgrGridEditBox::LineEnd(int line) const { return line + 1 < lines_.Count() ? lines_[line + 1] : Length(); }

int TgrGridEditBox::DrawnLineEnd(int line) const {
    int end = LineEnd(line);
    std::string_view t(text_);
    if (end > lines_[line] && EndsWithLineBreak(t.substr(0, std::size_t(end)), end)) end -= PrevCharLength(t, end);
    return std::max(end, lines_[line]);
}

void TgrGridEditBox::ComputeCaretLine() {
    int count = lines_.Count();
    int line = count - 1;
    for (int i = 0; i < count; ++i)
        if (LineEnd(i) >= caretPos_) {
            line = i;
            break;
        }
    if (line + 1 < count && caretPos_ == LineEnd(line) &&
        (caretAtNextLine_ || EndsWithLineBreak(text_, caretPos_)))
        ++line;
    caretLine_ = line;
    caretColumn_ = caretPos_ - lines_[line];
}

int TgrGridEditBox::FirstLineY() {
    TCanvas* c = MeasureCanvas();
    TgrTextMetric tm = GetTextMetric(c);
    int extra = ExtraLineSpacing(tm);
    TgrIntegerList shown;
    for (int i = topLine_; i < lines_.Count(); ++i) shown.Add(lines_[i]);
    return FirstLineTop(extra, TRect(-TextIndent(), 0, Width(), Height()), &shown, tm, VertAlignment(), extra);
}

int TgrGridEditBox::XAt(int line, int pos) {
    TCanvas* c = MeasureCanvas();
    TgrTextMetric tm = GetTextMetric(c);
    int w = Width();
    if (MultiLineMode()) {
        line = std::clamp(line, 0, lines_.Count() - 1);
        int start = lines_[line];
        int end = DrawnLineEnd(line);
        pos = std::clamp(pos, start, end);
        switch (HorzAlignment()) {
            case htaRight: {
                int drawnStart = start + SkipBlanks(Slice(text_, start, end), end - start);
                int lineWidth = PieceWidth(c, tm, Slice(text_, drawnStart, end));
                int x0 = w - rightMargin_ - tm.tmOverhang - lineWidth;
                return x0 + PieceWidth(c, tm, Slice(text_, drawnStart, std::max(pos, drawnStart)));
            }
            case htaCenter: {
                int lineWidth = PieceWidth(c, tm, Slice(text_, start, end));
                int x0 = std::max(0, (w + TextIndent() - lineWidth - tm.tmOverhang) / 2 - TextIndent());
                return x0 + PieceWidth(c, tm, Slice(text_, start, pos));
            }
            default: return PieceWidth(c, tm, Slice(text_, start, pos));
        }
    }
    pos = std::clamp(pos, 0, Length());
    int s = std::clamp(scrollOffset_, 0, Length());
    auto offset = [&] {
        return pos >= s ? PieceWidth(c, tm, Slice(text_, s, pos)) : -PieceWidth(c, tm, Slice(text_, pos, s));
    };
    switch (HorzAlignment()) {
        case htaRight: return w - rightMargin_ - tm.tmOverhang + offset();
        case htaCenter: {
            int whole = PieceWidth(c, tm, Slice(text_, s, Length()));
            int room = (w - whole) / 2;
            return std::max(0, room) + offset();
        }
        default: return offset();
    }
}

void TgrGridEditBox::ComputeCaretPoint() {
    TgrTextMetric tm = GetTextMetric(MeasureCanvas());
    if (MultiLineMode()) {
        caretPoint_.X = XAt(caretLine_, caretPos_);
        caretPoint_.Y = FirstLineY() + (caretLine_ - topLine_) * LinePitch(tm);
        return;
    }
    caretPoint_.X = XAt(0, caretPos_);
    int top = ExtraLineSpacing(tm);
    int y = top;
    if (VertAlignment() == vtaBottom) y = Height() - tm.tmHeight;
    else if (VertAlignment() == vtaCenter && Height() - top - tm.tmHeight > 1)
        y = top + (Height() - top - tm.tmHeight) / 2;
    caretPoint_.Y = y;
}

bool TgrGridEditBox::KeepCaretVisible(double fraction) {
    bool scrolled = false;
    TgrTextMetric tm = GetTextMetric(MeasureCanvas());
    if (MultiLineMode()) {
        int pitch = LinePitch(tm);
        while (caretPoint_.Y + pitch > Height() && topLine_ < caretLine_) {
            ++topLine_;
            scrolled = true;
            ComputeCaretPoint();
        }
        while (caretPoint_.Y < 0 && topLine_ > 0) {
            --topLine_;
            scrolled = true;
            ComputeCaretPoint();
        }
    } else {
        int w = Width();
        int ov = tm.tmOverhang;
        if (caretPoint_.X + ov >= w) {
            int limit = static_cast<int>(std::floor((1.0 - fraction) * w));
            while (caretPoint_.X + ov >= limit && caretPoint_.X > 0 && scrollOffset_ < Length()) {
                scrollOffset_ += std::max(1, CharLengthAt(text_, scrollOffset_));
                scrolled = true;
                ComputeCaretPoint();
            }
        } else if (caretPoint_.X < 0) {
            int limit = static_cast<int>(std::floor(fraction * w));
            while (caretPoint_.X < limit && scrollOffset_ > 0) {
                scrollOffset_ -= std::max(1, PrevCharLength(text_, scrollOffset_));
                scrolled = true;
                ComputeCaretPoint();
            }
        }
    }
    MoveSystemCaret();
    if (scrolled) Invalidate();
    return scrolled;
}

void TgrGridEditBox::MoveSystemCaret() {
    if (caretCreated_ && CaretState().Owner == this) SetCaretPos(caretPoint_.X, caretPoint_.Y);
}

int TgrGridEditBox::LineAtY(int y) {
    if (!MultiLineMode()) return 0;
    int pitch = LineHeight();
    int rel = y - FirstLineY();
    int line = topLine_ + (rel >= 0 ? rel / pitch : -((-rel + pitch - 1) / pitch));
    return std::clamp(line, 0, lines_.Count() - 1);
}

int TgrGridEditBox::PosAtX(int line, int x, bool& atLineEnd) {
    atLineEnd = false;
    int start = 0, end = Length();
    bool multi = MultiLineMode();
    if (multi) {
        line = std::clamp(line, 0, lines_.Count() - 1);
        start = lines_[line];
        end = DrawnLineEnd(line);
    }
    int best = start;
    int bestDistance = std::abs(XAt(line, start) - x);
    for (int p = start; p < end;) {
        p += std::max(1, CharLengthAt(text_, p));
        p = std::min(p, end);
        int d = std::abs(XAt(line, p) - x);
        if (d < bestDistance) {
            best = p;
            bestDistance = d;
        }
    }
    atLineEnd = multi && line + 1 < lines_.Count() && best == LineEnd(line);
    return best;
}

// --------------------------------------------------------------- the text

void TgrGridEditBox::SetText(const std::string& text, bool edited, bool byUser) {
    if (edited && byUser && (AllowEdit || AllowSelect)) {
        SaveUndo();
    } else {
        undoText_.clear();
        undoSaved_ = false;
    }
    text_ = text;
    pendingLead_.clear();
    caretPos_ = 0;
    selStart_ = 0;
    selLength_ = 0;
    ClearCharCache();
    caretAtNextLine_ = true;
    topLine_ = 0;
    Layout();
    if (edited && NotifyTextChanged(byUser)) Layout();
    scrollOffset_ = RightAligned() ? Length() : 0;
    caretPos_ = (MultiLineMode() || !RightAligned()) ? 0 : Length();
    selStart_ = caretPos_;
    PlaceCaret();
    KeepCaretVisible(0);
    Invalidate();
    if (OnCaretChange) OnCaretChange(this, true);
    if (OnTextChange) OnTextChange(this, edited, false, byUser);
}

void TgrGridEditBox::SetTextIfAllowed(const std::string& text) {
    if (CanChange(false)) SetText(text, false, false);
}

void TgrGridEditBox::SetTextByUser(const std::string& text, bool byUser) {
    if (CanEdit(false)) SetText(text, true, byUser);
}

bool TgrGridEditBox::NotifyTextChanged(bool byUser) {
    int height = Height();
    if (OnCaretChange) OnCaretChange(this, true);
    if (OnTextResize) OnTextResize(this, byUser);
    return Height() != height;
}

void TgrGridEditBox::SaveUndo() {
    if (undoSaved_) return;
    undoText_ = text_;
    undoSaved_ = true;
}

void TgrGridEditBox::EraseSelection() {
    if (selLength_ <= 0) return;
    text_.erase(std::size_t(selStart_), std::size_t(selLength_));
    caretPos_ = selStart_;
    selLength_ = 0;
    ClearCharCache();
}

bool TgrGridEditBox::InsertText(std::string text, bool byUser) {
    text = WithLineFeeds(text);
    if (maxLength_ > 0 &&
        CharCount(text_) + CharCount(text) - CharCount(Slice(text_, selStart_, selStart_ + selLength_)) > maxLength_)
        return false;
    if (!CanEdit(byUser)) return false;
    if (auto* mask = dynamic_cast<TgrEditMask*>(Mask())) {
        std::string adjusted = text;
        if (!mask->ValidateInsert(text_, selStart_ + 1, selLength_, adjusted)) {
            bool accept = false;
            if (OnMaskError) OnMaskError(this, text, accept);
            if (!accept) return false;
        } else {
            text = WithLineFeeds(adjusted);
        }
    }
    if (selLength_ > 0) caretPos_ = selStart_;
    SaveUndo();
    EraseSelection();
    int pos = std::clamp(caretPos_, 0, Length());
    text_.insert(std::size_t(pos), text);
    int n = static_cast<int>(text.size());
    if (pos < scrollOffset_) scrollOffset_ += n;
    caretPos_ = pos;
    selStart_ = pos;
    ClearCharCache();
    Layout();
    if (NotifyTextChanged(byUser)) Layout();
    caretPos_ = pos + n;
    selStart_ = caretPos_;
    caretAtNextLine_ = true;
    PlaceCaret();
    KeepCaretVisible(0.25);
    Invalidate();
    return true;
}

bool TgrGridEditBox::DeleteAtCaret(bool forward) {
    int from, to;
    if (selLength_ > 0) {
        from = selStart_;
        to = selStart_ + selLength_;
    } else if (forward) {
        if (caretPos_ >= Length()) return false;
        from = caretPos_;
        to = caretPos_ + std::max(1, CharLengthAt(text_, caretPos_));
    } else {
        if (caretPos_ <= 0) return false;
        to = caretPos_;
        from = caretPos_ - std::max(1, PrevCharLength(text_, caretPos_));
    }
    if (!CanEdit(true)) return false;
    SaveUndo();
    text_.erase(std::size_t(from), std::size_t(to - from));
    caretPos_ = from;
    selStart_ = from;
    selLength_ = 0;
    ClearCharCache();
    caretAtNextLine_ = true;
    Layout();
    if (NotifyTextChanged(true)) Layout();
    PlaceCaret();
    KeepCaretVisible(0.25);
    Invalidate();
    return true;
}

bool TgrGridEditBox::RequestUndo(bool& undone) {
    undone = false;
    if (!undoSaved_) return false;
    // Taken before the handler runs: a grid that ends its cell edit there
    // puts a value into this box, which forgets what was saved, and the
    // text from before the edit must not turn into an empty one.
    std::string saved = undoText_;
    bool cancel = false;
    if (OnUndo) OnUndo(this, true, cancel);
    if (!cancel) {
        SetText(saved, false, false);
        NotifyTextChanged(false);
        undoSaved_ = false;
        undone = true;
    }
    return true;
}

// -------------------------------------------------------------- selection

void TgrGridEditBox::SetSelStart(int p) {
    if (p < 0 || p > Length()) return;
    if (p == selStart_ && selLength_ == 0) return;
    selStart_ = p;
    selLength_ = 0;
    ClearCharCache();
    Invalidate();
    if (OnCaretChange) OnCaretChange(this, false);
}

void TgrGridEditBox::SetSelLength(int n) {
    if (n < 0) return;
    if (selStart_ + n > Length()) n = Length() - selStart_;
    if (n == selLength_) return;
    selLength_ = n;
    selLengthChars_ = -1;
    Invalidate();
    if (OnCaretChange) OnCaretChange(this, false);
}

int TgrGridEditBox::GetSelStartChars() {
    if (selStartChars_ < 0) selStartChars_ = CharsInBytes(text_, selStart_, selStart_);
    return selStartChars_;
}

int TgrGridEditBox::GetSelLengthChars() {
    if (selLengthChars_ < 0) selLengthChars_ = CharCount(Slice(text_, selStart_, selStart_ + selLength_));
    return selLengthChars_;
}

void TgrGridEditBox::SetSelStartChars(int n) {
    if (n < 0) return;
    SetSelStart(BytesForChars(text_, n, Length(), false));
}

void TgrGridEditBox::SetSelLengthChars(int n) {
    if (n < 0) return;
    std::string_view rest = Slice(text_, selStart_, Length());
    SetSelLength(BytesForChars(rest, n, static_cast<int>(rest.size()), false));
}

std::string TgrGridEditBox::GetSelText() const { return std::string(Slice(text_, selStart_, selStart_ + selLength_)); }

void TgrGridEditBox::SetSelText(const std::string& text) {
    if (text.empty() && selLength_ == 0) return;
    if (!CanEdit(false)) return;
    text_.replace(std::size_t(selStart_), std::size_t(selLength_), text);
    caretPos_ = selStart_ + static_cast<int>(text.size());
    selStart_ = caretPos_;
    selLength_ = 0;
    ClearCharCache();
    caretAtNextLine_ = true;
    Layout();
    Invalidate();
    if (OnCaretChange) OnCaretChange(this, true);
    if (OnTextChange) OnTextChange(this, true, false, false);
}

void TgrGridEditBox::SelectAll() {
    caretPos_ = (RightAligned() && !MultiLineMode()) ? Length() : 0;
    caretAtNextLine_ = true;
    SetSelStart(0);
    SetSelLength(Length());
    PlaceCaret();
    KeepCaretVisible(0);
}

void TgrGridEditBox::CaretToSelStart() {
    if (caretPos_ == selStart_) return;
    caretPos_ = selStart_;
    caretAtNextLine_ = true;
    PlaceCaret();
    KeepCaretVisible(0.25);
}

int TgrGridEditBox::SelectionAnchor() const {
    if (selLength_ == 0) return caretPos_;
    return caretPos_ == selStart_ ? selStart_ + selLength_ : selStart_;
}

void TgrGridEditBox::SetSelection(int anchor, int caret) {
    int from = std::min(anchor, caret);
    int length = std::abs(anchor - caret);
    if (from != selStart_) {
        selStart_ = from;
        selLength_ = -1;  // forces the change below
        selStartChars_ = -1;
    }
    if (length != selLength_) {
        selLength_ = length;
        selLengthChars_ = -1;
        Invalidate();
        if (OnCaretChange) OnCaretChange(this, false);
    }
}

bool TgrGridEditBox::MoveCaretTo(int pos, bool extend, double fraction, bool atNextLine) {
    pos = std::clamp(pos, 0, Length());
    int anchor = SelectionAnchor();
    if (!extend && selLength_ > 0) SetSelStart(caretPos_);
    int oldPos = caretPos_;
    int oldLine = caretLine_;
    caretPos_ = pos;
    caretAtNextLine_ = atNextLine;
    if (extend) SetSelection(anchor, pos);
    else SetSelStart(pos);
    PlaceCaret();
    KeepCaretVisible(fraction);
    return pos != oldPos || caretLine_ != oldLine;
}

// -------------------------------------------------------------- clipboard

void TgrGridEditBox::CopyToClipboard() {
    if (selLength_ > 0) Clipboard()->SetAsText(GetSelText());
}

void TgrGridEditBox::CutToClipboard(bool byUser) {
    if (selLength_ <= 0 || !CanEdit(byUser)) return;
    CopyToClipboard();
    SaveUndo();
    EraseSelection();
    selStart_ = caretPos_;
    caretAtNextLine_ = true;
    Layout();
    if (NotifyTextChanged(byUser)) Layout();
    KeepCaretVisible(0.25);
    Invalidate();
    if (OnCaretChange) OnCaretChange(this, true);
    if (OnTextChange) OnTextChange(this, true, false, byUser);
}

void TgrGridEditBox::PasteFromClipboard(bool byUser) {
    if (!Clipboard()->HasText()) return;
    if (!InsertText(Clipboard()->AsText(), byUser)) return;
    if (OnCaretChange) OnCaretChange(this, true);
    if (OnTextChange) OnTextChange(this, true, true, byUser);
}

// ------------------------------------------------------------------ masks

void TgrGridEditBox::SetMaskDefs(TgrMaskDefsComponent* defs) {
    maskLink_->SetMaskDefs(defs);
    cachedMask_ = nullptr;
}

void TgrGridEditBox::SetMaskName(const std::string& name) {
    if (name == maskName_) return;
    maskName_ = name;
    cachedMask_ = nullptr;
}

TObject* TgrGridEditBox::Mask() {
    if (!cachedMask_) cachedMask_ = maskLink_->FindMask(maskName_);
    return cachedMask_;
}

// --------------------------------------------------------------- settings

void TgrGridEditBox::SetHorzAlignment(TgrHorzAlignment value) {
    TgrGridControl::SetHorzAlignment(value);
    Layout();
    Invalidate();
}

void TgrGridEditBox::SetVertAlignment(TgrVertAlignment value) {
    TgrGridControl::SetVertAlignment(value);
    Layout();
    Invalidate();
}

void TgrGridEditBox::SetWordWrap(TgrWordWrap value) {
    TgrGridControl::SetWordWrap(value);
    Layout();
    Invalidate();
}

void TgrGridEditBox::SetBounds(int left, int top, int width, int height) {
    bool sized = width != Width() || height != Height();
    TgrGridControl::SetBounds(left, top, width, height);
    if (sized) Layout();
}

void TgrGridEditBox::ApplyFont() {
    TgrGridControl::ApplyFont();
    Layout();
}

// --------------------------------------------------------------- painting

void TgrGridEditBox::PaintText(TCanvas* canvas, int height, int x, int y, const TRect& rect) {
    bool showSelection = HasFocusOrGridHas() || AlwaysShowFocus;
    DrawEditText(canvas, text_, height, WordWrap() != wwOff, VertAlignment(), HorzAlignment(), clHighlightText,
                 clHighlight, showSelection ? selLength_ : 0, selStart_, &lines_, topLine_, scrollOffset_, y, x,
                 rect);
}

void TgrGridEditBox::PaintWindow(TCanvas* canvas) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->Font()->Assign(*Font());
    PaintText(canvas, Height(), 0, 0, TRect(-TextIndent(), 0, Width(), Height()));
}
