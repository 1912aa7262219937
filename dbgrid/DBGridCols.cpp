#include "dbgrid/DBGridCols.h"

#include <algorithm>

#include "dbgrid/DBComboGrid.h"
#include "dbgrid/DBGridFields.h"
#include "grid/TSGrid.h"
#include "platform/gui/Canvas.h"
#include "platform/gui/Graphics.h"
#include "platform/core/Filer.h"
#include "platform/core/Strings.h"

namespace {

TgrHorzAlignment HorzOf(TAlignment a) {
    switch (a) {
        case taRightJustify: return htaRight;
        case taCenter: return htaCenter;
        default: return htaLeft;
    }
}

}  // namespace

void TgrDBCol::BindField(TgrDBField* adapter) {
    if (adapter == adapter_) return;
    UnbindField();
    adapter_ = adapter;
    if (!adapter_) return;
    adapter_->SetCol(this);
    ApplyFieldDefaults();
}

void TgrDBCol::UnbindField() {
    if (adapter_ && adapter_->Col() == this) adapter_->SetCol(nullptr);
    adapter_ = nullptr;
}

bool TgrDBCol::UsesCheckBoxValues() const {
    if (adapter_ && (adapter_->IsIntegerField() || adapter_->IsBooleanField())) return false;
    return TgrCol::UsesCheckBoxValues();
}

std::string TgrDBCol::GetHeading() const {
    TField* f = adapter_ ? adapter_->Field() : nullptr;
    return IsHeadingStored() || !f ? TgrCol::GetHeading() : f->DisplayLabel();
}

void TgrDBCol::ApplyDefaultWidth() {
    if (adapter_ && adapter_->Field() && !(assigned_ & avWidth)) TgrCol::SetWidth(DefaultWidth());
}

void TgrDBCol::ApplyDefaultVisible() {
    if (adapter_ && adapter_->Field() && !(assigned_ & avVisible)) TgrCol::SetVisible(adapter_->Field()->Visible());
}

void TgrDBCol::ApplyDefaultControlType() {
    if (adapter_ && adapter_->Field() && !(assigned_ & avControlType)) TgrCol::SetControlType(adapter_->DefaultControlType());
}

void TgrDBCol::ApplyDefaultMaxLength() {
    if (adapter_ && adapter_->Field() && !(assigned_ & avMaxLength)) TgrCol::SetMaxLength(adapter_->GetMaxLength());
}

void TgrDBCol::ApplyDefaultAllowGrayed() {
    TField* f = adapter_ ? adapter_->Field() : nullptr;
    if (f && !(assigned_ & avAllowGrayed) && adapter_->IsBooleanField()) TgrCol::SetAllowGrayed(!f->Required());
}

void TgrDBCol::ApplyFieldDefaults() {
    if (!adapter_ || !adapter_->Field()) return;
    ApplyDefaultWidth();
    ApplyDefaultVisible();
    ApplyDefaultControlType();
    ApplyDefaultMaxLength();
    ApplyDefaultAllowGrayed();
}

bool TgrDBCol::IsLookupColumn(const TgrCol* col) {
    auto* db = dynamic_cast<const TgrDBCol*>(col);
    TField* f = db && db->adapter_ ? db->adapter_->Field() : nullptr;
    return f && f->Lookup();
}

void TgrDBCol::WriteAssignedValues(TWriter& writer) { writer.WriteString(std::string(1, char(assigned_))); }

void TgrDBCol::ReadAssignedValues(TReader& reader) {
    std::string flags = reader.ReadString();
    assigned_ = flags.empty() ? 0 : Byte(flags[0]) & 63;
    if (adapter_) ApplyFieldDefaults();
}

void TgrDBCol::WriteOwnProperties(TWriter& writer) {
    writer.WriteString("Col.AssignedValues");
    WriteAssignedValues(writer);
}

void TgrDBCol::ResetWidthDefault() {
    if (!(assigned_ & avWidth)) return;
    assigned_ &= Byte(~avWidth);
    ApplyDefaultWidth();
}

void TgrDBCol::ResetVisibleDefault() {
    if (!(assigned_ & avVisible)) return;
    assigned_ &= Byte(~avVisible);
    ApplyDefaultVisible();
}

void TgrDBCol::ResetAlignmentDefault() {
    if (!(assigned_ & avAlignment)) return;
    assigned_ &= Byte(~avAlignment);
    auto* grid = dynamic_cast<TgrBaseGrid*>(Grid());
    if (!grid) return;
    grid->InvalidateCol(DisplayCol());
    // The editor over the current cell takes the field's alignment again.
    if (grid->CurrentDataCol() == GetDataCol()) grid->ResetCellControl(true);
}

void TgrDBCol::ResetMaxLengthDefault() {
    if (!(assigned_ & avMaxLength)) return;
    assigned_ &= Byte(~avMaxLength);
    ApplyDefaultMaxLength();
}

void TgrDBCol::ResetAllowGrayedDefault() {
    if (!(assigned_ & avAllowGrayed)) return;
    assigned_ &= Byte(~avAllowGrayed);
    ApplyDefaultAllowGrayed();
}

void TgrDBCol::ResetProperties(const TgrPropIdSet& ids) {
    TgrCol::ResetProperties(ids);
    // In the order width, visibility, alignment, maximum length,
    // AllowGrayed (id 19).
    if (ids.Contains(gpWidth)) ResetWidthDefault();
    if (ids.Contains(gpVisible)) ResetVisibleDefault();
    if (ids.Contains(gpAlignment)) ResetAlignmentDefault();
    if (ids.Contains(gpMaxLength)) ResetMaxLengthDefault();
    if (ids.Contains(gpUnused)) ResetAllowGrayedDefault();
}

bool TgrDBCol::IsDefault() const { return TgrCol::IsDefault() && assigned_ == 0; }

void TgrDBCol::CopyProperties(const TgrCol& source) {
    TgrCol::CopyProperties(source);
    if (const auto* db = dynamic_cast<const TgrDBCol*>(&source)) assigned_ = db->assigned_;
}

TDataSource* TgrDBCol::GetComboDatasource() const {
    auto* combo = dynamic_cast<TgrDBCombo*>(Combo());
    return combo && combo->DBComboGrid() ? combo->DBComboGrid()->DataSource() : nullptr;
}

void TgrDBCol::SetComboDatasource(TDataSource* source) {
    auto* combo = dynamic_cast<TgrDBCombo*>(Combo());
    if (combo && combo->DBComboGrid()) combo->DBComboGrid()->SetDataSource(source);
}

void TgrDBCol::RegisterPublished() {
    using C = TgrDBCol;
    auto name = [](C& c) {
        TDataSource* source = c.GetComboDatasource();
        return source ? source->Name() : std::string();
    };
    TPublished<C, TgrCol>().String(
        "ComboDatasource", name,
        [](C& c, const std::string& value) {
            if (value.empty()) {
                c.SetComboDatasource(nullptr);
                return;
            }
            auto* grid = dynamic_cast<TComponent*>(c.Grid());
            TComponent* owner = grid ? grid->Owner() : nullptr;
            if (auto* source = dynamic_cast<TDataSource*>(owner ? owner->FindComponent(value) : nullptr))
                c.SetComboDatasource(source);
        },
        [name](C& c) { return !name(c).empty(); });
}

bool TgrDBCol::ReadOwnProperty(const std::string& name, TReader& reader) {
    if (!SameText(name, "AssignedValues")) return false;
    ReadAssignedValues(reader);
    return true;
}

Integer TgrDBCol::DefaultWidth() const {
    TField* f = adapter_ ? adapter_->Field() : nullptr;
    if (!f) return Grid() ? Grid()->DefaultColWidth() : Width();
    // Measured with the column's own font unless it follows the grid's. A
    // canvas of its own measures as the grid's would, without touching the
    // font the grid paints with, and needs no window.
    TFont* font = OwnFont() && !ParentFont() ? OwnFont() : Grid() ? Grid()->GridFont() : nullptr;
    TCanvas canvas;
    if (font) canvas.Font()->Assign(*font);
    // The platform's fonts draw within their advance widths: no overhang.
    constexpr Integer overhang = 0;
    Integer width = (canvas.TextWidth("0") - overhang) * f->DisplayWidth() + overhang + 6;
    auto* grid = dynamic_cast<TgrBaseGrid*>(Grid());
    if (grid && grid->HeadingOn()) width = std::max<Integer>(width, canvas.TextWidth(GetHeading()) + 6);
    return width;
}

TAlignment TgrDBCol::GetAlignment() const {
    TField* f = adapter_ ? adapter_->Field() : nullptr;
    return !f || (assigned_ & avAlignment) ? TgrCol::GetAlignment() : f->Alignment();
}

TgrHorzAlignment TgrDBCol::GetHorzAlignment() const {
    TField* f = adapter_ ? adapter_->Field() : nullptr;
    return !f || (assigned_ & avAlignment) ? TgrCol::GetHorzAlignment() : HorzOf(f->Alignment());
}

bool TgrDBCol::GetReadOnly() const {
    TField* f = adapter_ ? adapter_->Field() : nullptr;
    return TgrCol::GetReadOnly() || (f && f->ReadOnly());
}

void TgrDBCol::SetAlignment(TAlignment value) {
    assigned_ |= avAlignment;
    TgrCol::SetAlignment(value);
}

void TgrDBCol::SetHorzAlignment(TgrHorzAlignment value) {
    assigned_ |= avAlignment;
    TgrCol::SetHorzAlignment(value);
}

void TgrDBCol::SetWidth(Integer value) {
    assigned_ |= avWidth;
    TgrCol::SetWidth(value);
}

void TgrDBCol::SetVisible(bool value) {
    assigned_ |= avVisible;
    TgrCol::SetVisible(value);
}

void TgrDBCol::SetMaxLength(Integer value) {
    assigned_ |= avMaxLength;
    TgrCol::SetMaxLength(value);
}

void TgrDBCol::SetControlType(TgrControlType value) {
    assigned_ |= avControlType;
    TgrCol::SetControlType(value);
}

void TgrDBCol::SetAllowGrayed(bool value) {
    assigned_ |= avAllowGrayed;
    TgrCol::SetAllowGrayed(value);
}
