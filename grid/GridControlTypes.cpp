#include "grid/GridControlTypes.h"

TgrCustomGridControl::TgrCustomGridControl(std::unique_ptr<TgrGridControl> window) : window_(std::move(window)) {}

TgrCustomGridControl::~TgrCustomGridControl() = default;

namespace {

template <class T>
std::unique_ptr<T> NewWindow(TWinControl* grid) {
    // The strategy owns the window; the grid places it.
    auto w = std::make_unique<T>(nullptr);
    w->SetGrid(grid);
    w->SetVisible(false);
    w->Ctl3D = false;
    return w;
}

}  // namespace

TgrDefaultGridControl::TgrDefaultGridControl(TWinControl* grid)
    : TgrCustomGridControl(NewWindow<TgrGridControl>(grid)) {}

TgrEditGridControl::TgrEditGridControl(TWinControl* grid) : TgrCustomGridControl(NewWindow<TgrGridEditBox>(grid)) {
    window_->SetBounds(0, 0, 1, 1);
}

void TgrEditGridControl::SetFont(const TFont& font) {
    window_->Font()->Assign(font);
    window_->ApplyFont();
}

std::string TgrEditGridControl::VariantToString(const Variant& value) {
    if (value.IsEmpty() || value.IsNull()) return {};
    return value.AsString();
}

void TgrEditGridControl::UpdateSelection() {
    int start = GetSelStart();
    int length = GetSelLength();
    SetSelStart(start);
    SetSelLength(length);
}

TgrCheckGridControl::TgrCheckGridControl(TWinControl* grid)
    : TgrCustomGridControl(NewWindow<TgrGridCheckBox>(grid)) {
    window_->SetCaption("");
    window_->SetTabStop(false);
    window_->SetBounds(0, 0, 1, 1);
}

void TgrCheckGridControl::SetFont(const TFont& font) {
    window_->Font()->Assign(font);
    window_->ApplyFont();
}

void TgrCheckGridControl::PaintValue(TCanvas* canvas, int flag, int top, int left, const TRect& rect) {
    TRect r = rect;
    OffsetRect(r, left - rect.Left, top - rect.Top);
    CheckBox()->PaintCheck(canvas, r, flag != 0);
}

void TgrCheckGridControl::SetMouseCapture(bool capture) {
    TgrCustomGridControl::SetMouseCapture(capture);
    if (!capture) CheckBox()->CaptureReleased();
}
