#include "grid/GridColRow.h"

#include "grid/GRGLib.h"
#include "grid/GRGLibValues.h"
#include "grid/GridCollections.h"
#include "grid/GridButtons.h"
#include "grid/TSGrid.h"

namespace {
constexpr const char* kCheckBoxValuesMessage =
    "Invalid CheckBoxValues. CheckBoxValues have the format 'Checked|Unchecked|Grayed'. The Grayed value is optional";

bool IsPictureKind(TgrPictureKind kind) { return kind >= pkStretchPicture && kind <= pkKeepAspectRatio; }

// The 1-based position of the accelerator '&' ("&&" is a literal '&').
Integer AcceleratorPosition(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (i + 1 < text.size() && text[i + 1] == '&') {
            ++i;
            continue;
        }
        return i + 1 < text.size() ? Integer(i + 1) : 0;
    }
    return 0;
}
}  // namespace

// ------------------------------------------------------------------ own font

void TgrOwnFont::SetObject(const TFont* font) {
    if (font == font_) return;
    if (!font) {
        delete font_;
        font_ = nullptr;
        return;
    }
    if (!font_) {
        font_ = new TFont();
        font_->Assign(*font);
        font_->OnChange = [this](TGraphicsObject*) {
            if (counter_ == 0 && OnUserChange) OnUserChange();
        };
    } else {
        font_->Assign(*font);
    }
}

void TgrOwnFont::SetObjectLocked(const TFont* font) {
    ++counter_;
    try {
        SetObject(font);
    } catch (...) {
        --counter_;
        throw;
    }
    if (counter_ > 0) --counter_;
}

// --------------------------------------------------------------- col and row

TgrColRowBase::TgrColRowBase(TgrPropGrid* grid) : grid_(grid) {
    font_.OnUserChange = [this] { OwnFontChanged(); };
}

void TgrColRowBase::ReleaseComboAndDateTimeDef() {
    if (combo_ && grid_) {
        grid_->ComboReleased(combo_, true);
        grid_->FreeComboObject(combo_);
    }
    combo_ = nullptr;
    if (dateTimeDef_ && grid_) {
        grid_->ForgetDateTimeDefIfActive(dateTimeDef_);
        grid_->UnlinkDateTimeDef(dateTimeDef_);
    }
    dateTimeDef_ = nullptr;
}

void TgrColRowBase::DrawingChanged(bool refreshControl) {
    if (InvalidateUnlessPainting() && refreshControl && HoldsCurrentCell()) grid_->ResetCellControl(true);
}

void TgrColRowBase::EditingChanged() {
    InvalidateItem();
    if (HoldsCurrentCell()) grid_->ResetCellControl(true);
}

// ---- fonts

TFont* TgrColRowBase::StreamedFont(TgrOwnFont& own, bool parent, bool heading) {
    if (parent && grid_->IsWriting()) return nullptr;
    if (!own.Get() && (grid_->IsReading() || keepFontObject_)) {
        own.SetObjectLocked(ParentFontObject(heading));
        return own.Get();
    }
    if (own.Get() && parent && !keepFontObject_ && !grid_->IsReading()) {
        own.SetObjectLocked(nullptr);
        return nullptr;
    }
    return own.Get();
}

bool TgrColRowBase::ReplaceOwnFont(TgrOwnFont& own, bool& parent, const TFont* value) {
    if (value == own.Get()) return false;
    own.SetObject(value);
    parent = own.Get() == nullptr;
    return true;
}

bool TgrColRowBase::ChangeParentFont(TgrOwnFont& own, bool& parent, bool value, bool heading) {
    if (value == parent) return false;
    parent = value;
    if (!value) {
        // The copy of the grid's font changes nothing on screen.
        own.SetObjectLocked(ParentFontObject(heading));
        return false;
    }
    if (keepFontObject_) {
        if (own.Get()) own.SetObjectLocked(ParentFontObject(heading));
    } else {
        own.SetObjectLocked(nullptr);
    }
    return true;
}

void TgrColRowBase::CopyOwnFont(TgrOwnFont& own, bool& parent, const TgrOwnFont& source, bool sourceParent,
                                bool heading) {
    parent = sourceParent;
    if (parent) {
        if (own.Get()) own.SetObjectLocked(ParentFontObject(heading));
    } else {
        own.SetObjectLocked(source.Get());
    }
}

TFont* TgrColRowBase::GetFont() { return StreamedFont(font_, parentFont_, false); }

void TgrColRowBase::SetFont(const TFont* value) {
    if (ReplaceOwnFont(font_, parentFont_, value)) DrawingChanged(true);
}

void TgrColRowBase::OwnFontChanged() {
    parentFont_ = false;
    DrawingChanged(true);
    grid_->RefreshKeptCellFonts();
}

void TgrColRowBase::FollowGridFont() {
    if (parentFont_ && font_.Get()) font_.SetObjectLocked(ParentFontObject(false));
}

void TgrColRowBase::SetParentFont(bool value) {
    if (ChangeParentFont(font_, parentFont_, value, false)) DrawingChanged(true);
}

// ---- drawing attributes

void TgrColRowBase::SetColor(TColor value) {
    if (value == color_) return;
    color_ = value;
    DrawingChanged(true);
}

void TgrColRowBase::SetAlignment(TAlignment value) {
    if (value == alignment_) return;
    alignment_ = value;
    horzAlignment_ = AlignmentToHorzAlignment(alignment_, align_);
    DrawingChanged(true);
}

void TgrColRowBase::SetAlign(bool value) {
    if (value == align_) return;
    align_ = value;
    horzAlignment_ = AlignmentToHorzAlignment(alignment_, align_);
    DrawingChanged(true);
}

void TgrColRowBase::SetHorzAlignment(TgrHorzAlignment value) {
    if (value == horzAlignment_) return;
    horzAlignment_ = value;
    alignment_ = HorzAlignmentToAlignment(value);
    align_ = value != htaDefault;
    DrawingChanged(true);
}

void TgrColRowBase::SetVertAlignment(TgrVertAlignment value) {
    if (value == vertAlignment_) return;
    vertAlignment_ = value;
    DrawingChanged(true);
}

void TgrColRowBase::SetWordWrap(TgrWordWrap value) {
    if (value == wordWrap_) return;
    wordWrap_ = value;
    DrawingChanged(true);
}

TgrDrawOption TgrColRowBase::GetPicture(TgrPictureKind kind) const {
    return IsPictureKind(kind) ? pictures_[kind - 1] : dopDefault;
}

void TgrColRowBase::SetPicture(TgrPictureKind kind, TgrDrawOption value) {
    if (!IsPictureKind(kind) || pictures_[kind - 1] == value) return;
    pictures_[kind - 1] = value;
    DrawingChanged(false);  // pictures need no in-cell control refresh
}

// ---- editing attributes

void TgrColRowBase::SetIs3D(bool value) {
    if (value == is3D_) return;
    is3D_ = value;
    EditingChanged();
}

void TgrColRowBase::SetButtonType(TgrButtonType value) {
    if (value == buttonType_ || grid_->IsComboGrid()) return;
    buttonType_ = value;
    if (value == btCombo) grid_->EnsureCombo();
    InvalidateItem();
    if (HoldsCurrentCell()) {
        grid_->ResetCellControl(true);
        if (value == btDateTimeDropDown || value == btDateTimePopup) grid_->ForgetActiveDateTimeDef();
    }
}

TgrDropDownStyle TgrColRowBase::GetDropDownStyle() const {
    return combo_ ? grid_->ComboDropDownStyle(combo_) : dropDownStyle_;
}

void TgrColRowBase::SetDropDownStyle(TgrDropDownStyle value) {
    if (value == GetDropDownStyle()) return;
    dropDownStyle_ = value;
    if (combo_) grid_->SetComboDropDownStyle(combo_, value);
    if (HoldsCurrentCell()) grid_->ResetCellControl(true);
}

void TgrColRowBase::SetMaskName(const std::string& value) {
    if (value == maskName_) return;
    maskName_ = value;
    if (IsCurrentDataItem()) grid_->ApplyEditorMask();
}

void TgrColRowBase::SetDateTimeDef(TgrDateTimeDefComponent* value) {
    if (value == dateTimeDef_) return;
    if (HoldsCurrentCell())
        grid_->ForgetActiveDateTimeDef();
    else if (dateTimeDef_)
        grid_->DropCachedDateTimeDef(dateTimeDef_);
    if (dateTimeDef_) grid_->UnlinkDateTimeDef(dateTimeDef_);
    dateTimeDef_ = value;
    if (value) grid_->LinkDateTimeDef(value);
}

// ---- combo

void TgrColRowBase::SetCombo(const TgrCombo* source) {
    if (grid_->IsComboGrid() || source == combo_) return;
    if (!source) {
        FreeCombo();
        return;
    }
    CreateCombo();
    if (!combo_) return;
    grid_->AssignComboSettings(combo_, source);
    if (HoldsCurrentCell())
        grid_->ComboReleased(combo_, false);
    else
        grid_->ForgetActiveCombo(combo_);
    ComboAssigned();
}

void TgrColRowBase::SetParentCombo(bool value) {
    if (value == parentCombo_) return;
    parentCombo_ = value;
    if (value) FreeCombo();
}

// ---- defaults, reset and copy

bool TgrColRowBase::IsCommonDefault() const {
    return color_ == grColorNotSet && !font_.Get() && parentFont_ && alignment_ == taLeftJustify && !align_ &&
           horzAlignment_ == htaDefault && vertAlignment_ == vtaDefault && wordWrap_ == wwDefault && visible_ &&
           !readOnly_ && !is3D_ && maskName_.empty() && !keepFontObject_ && font_.Counter() == 0 &&
           buttonType_ == btDefault && dropDownStyle_ == ddDropDown && !combo_ && parentCombo_ &&
           pictures_[0] == dopDefault && pictures_[1] == dopDefault && pictures_[2] == dopDefault &&
           pictures_[3] == dopDefault && controlType_ == ctDefault && spinOptions_ == grAllSpinOptions &&
           spinIncrement_ == 1.0 && !dateTimeDef_;
}

// The plain copies come first: the combo setters below read them.
void TgrColRowBase::CopyCommonProperties(const TgrColRowBase& s) {
    color_ = s.color_;
    alignment_ = s.alignment_;
    align_ = s.align_;
    horzAlignment_ = s.horzAlignment_;
    vertAlignment_ = s.vertAlignment_;
    wordWrap_ = s.wordWrap_;
    visible_ = s.visible_;
    readOnly_ = s.readOnly_;
    is3D_ = s.is3D_;
    maskName_ = s.maskName_;
    dropDownStyle_ = s.dropDownStyle_;
    parentCombo_ = s.parentCombo_;
    for (int i = 0; i < 4; ++i) pictures_[i] = s.pictures_[i];
    controlType_ = s.controlType_;
    spinOptions_ = s.spinOptions_;
    spinIncrement_ = s.spinIncrement_;
    SetButtonType(s.buttonType_);
    SetDateTimeDef(s.dateTimeDef_);
    SetCombo(s.combo_);
    CopyOwnFont(font_, parentFont_, s.font_, s.parentFont_, false);
}

bool TgrColRowBase::ResetCommonProperty(TgrPropId id) {
    switch (id) {
        case gpFont: SetFont(nullptr); return true;
        case gpIs3D: SetIs3D(false); return true;
        case gpAlign: SetAlign(false); return true;
        case gpAlignment: SetAlignment(taLeftJustify); return true;
        case gpHorzAlignment: SetHorzAlignment(htaDefault); return true;
        case gpVertAlignment: SetVertAlignment(vtaDefault); return true;
        case gpWordWrap: SetWordWrap(wwDefault); return true;
        case gpMaskName: SetMaskName(""); return true;
        case gpButtonType: SetButtonType(btDefault); return true;
        case gpCombo: SetCombo(nullptr); return true;
        case gpParentCombo: SetParentCombo(true); return true;
        case gpPicture:
            for (int k = pkStretchPicture; k <= pkKeepAspectRatio; ++k) SetPicture(TgrPictureKind(k), dopDefault);
            return true;
        case gpSpinOptions: spinOptions_ = grAllSpinOptions; return true;
        case gpSpinIncrement: spinIncrement_ = 1.0; return true;
        case gpDateTimeDef: SetDateTimeDef(nullptr); return true;
        default: return false;
    }
}

// ----------------------------------------------------------------------- col

TgrCol::TgrCol(TgrPropGrid* grid) : TgrColRowBase(grid) {
    headingFont_.OnUserChange = [this] { OwnHeadingFontChanged(); };
    if (grid_) width_ = requestedWidth_ = grid_->DefaultColWidth();
}

TgrCol::~TgrCol() {
    heading_.clear();
    DropNormalButton();
    ReleaseComboAndDateTimeDef();
}

void TgrCol::InitSlot(Integer displayCol, Integer width, Integer colId) {
    displayCol_ = displayCol;
    width_ = requestedWidth_ = width;
    colId_ = colId;
}

Integer TgrCol::GetDataCol() const { return grid_->DataColOfDisplay(displayCol_); }

bool TgrCol::HoldsCurrentCell() const { return displayCol_ == grid_->CurrentDisplayCol(); }

bool TgrCol::InvalidateUnlessPainting() { return grid_->InvalidateColUnlessPainting(displayCol_); }

void TgrCol::InvalidateItem() { grid_->InvalidateCol(displayCol_); }

bool TgrCol::IsCurrentDataItem() const { return GetDataCol() == grid_->CurrentDataCol(); }

void TgrCol::HeadingChanged() { grid_->InvalidateDisplayCell(displayCol_, 0); }

// ---- editing attributes

void TgrCol::SetAllowGrayed(bool value) {
    if (value == allowGrayed_) return;
    allowGrayed_ = value;
    EditingChanged();
}

void TgrCol::SetReadOnly(bool value) {
    if (value == readOnly_) return;
    readOnly_ = value;
    grid_->InvalidateCol(displayCol_);
    Integer current = grid_->CurrentDisplayCol();
    if (HoldsCurrentCell() || current <= 0)
        grid_->MoveToEnterableCol(current, true, false, grid_->SkipsReadOnly());
}

void TgrCol::SetControlType(TgrControlType value) {
    if (value == controlType_) return;
    bool current = HoldsCurrentCell();
    if (current) grid_->RepaintFocusCell(false);
    controlType_ = value;
    grid_->InvalidateCol(displayCol_);
    if (current) {
        grid_->ResetCellControl(true);
        grid_->RepaintFocusCell(false);
    }
    grid_->DropUnsuitedColValues(GetDataCol());
}

void TgrCol::SetMaxLength(Integer value) {
    if (value < 0) value = 0;
    if (value == maxLength_) return;
    maxLength_ = value;
    if (HoldsCurrentCell()) grid_->SetControlMaxLength(DisplayCol(), value);
}

void TgrCol::SetCheckBoxValues(const std::string& value) {
    if (value == checkBoxValues_) return;
    if (!IsValidCheckValues(value)) grid_->RaiseGridError(kCheckBoxValuesMessage);
    checkBoxValues_ = value;
    if (IsCurrentDataItem()) {
        grid_->RefreshCheckBoxValues();
        grid_->InvalidateCol(displayCol_);
    }
}

// ---- combo

void TgrCol::CreateCombo() {
    if (combo_) return;
    combo_ = grid_->CreateCombo();
    if (!combo_) return;
    parentCombo_ = false;
    grid_->SetComboDropDownStyle(combo_, dropDownStyle_);
    grid_->SetComboDropDownWidth(combo_, width_);
    if (HoldsCurrentCell()) grid_->RollUpCombo(false);
}

// The designer shows a drop-down list combo's new settings at once.
void TgrCol::ComboAssigned() {
    if (grid_->IsDesigning() && HoldsCurrentCell() && grid_->ComboDropDownStyle(combo_) == ddDropDownList) {
        grid_->SelectAllCurrentCell();
        grid_->ResetCellControl(true);
    }
}

void TgrCol::FreeCombo() {
    if (!combo_) return;
    TgrCombo* c = combo_;
    if (HoldsCurrentCell()) grid_->ResetCellControl(true);
    grid_->ComboReleased(c, true);
    combo_ = nullptr;
    grid_->FreeComboObject(c);
}

// ---- size, visibility, position, selection

void TgrCol::SetWidth(Integer value) {
    requestedWidth_ = value;
    SetWidthInternal(value);
}

void TgrCol::SetWidthInternal(Integer value) {
    if (value == width_) return;
    Integer old = width_;
    width_ = value;
    WidthChanged(old);
    grid_->ResetCellControl(true);
}

void TgrCol::WidthChanged(Integer oldWidth) {
    if (oldWidth == width_) return;
    if (visible_)
        grid_->SetColWidthEntry(displayCol_, width_);
    else if (grid_->DisplayColWidth(displayCol_) != 0)
        grid_->SetColWidthEntry(displayCol_, 0);
    grid_->ColResized(GetDataCol());
    if (combo_) grid_->SetComboDropDownWidth(combo_, width_);
    if (displayCol_ == 0 && !grid_->IsSizingRowBar()) grid_->SetRowBarWidth(width_);
}

void TgrCol::SetVisible(bool value) {
    if (value == visible_) return;
    if (HoldsCurrentCell() && !grid_->CanLeaveCell(0, grid_->CurrentDataRow(), false)) return;
    visible_ = value;
    if (displayCol_ > 0) {
        if (value)
            grid_->VisibleCols()->AddValue(displayCol_);
        else
            grid_->VisibleCols()->RemoveValue(displayCol_);
    }
    if (value) {
        grid_->SetColWidthEntry(displayCol_, width_);
        grid_->RecheckTopLeft(true);
        if (grid_->CurrentDisplayCol() <= 0) grid_->MoveToEnterableCol(0, false, false, grid_->SkipsReadOnly());
    } else {
        grid_->SetColWidthEntry(displayCol_, 0);
        if (displayCol_ > 0) {
            if (grid_->IsDisplayColSelected(displayCol_)) grid_->DeselectDisplayCols(displayCol_, displayCol_);
            if (HoldsCurrentCell()) grid_->MoveToEnterableCol(displayCol_, false, false, grid_->SkipsReadOnly());
            if (displayCol_ >= grid_->FirstScrollCol()) {
                grid_->LockUpdate();
                try {
                    grid_->RecheckTopLeft(true);
                } catch (...) {
                    grid_->UnlockUpdate();
                    throw;
                }
                grid_->UnlockUpdate();
            }
            grid_->ShrinkRangeOffCol(displayCol_);
        }
    }
    grid_->UpdateScrollBars();
    grid_->ResetCellControl(true);
    grid_->FireSelectChanged(false);
    grid_->CheckGridStatusChanged();
}

void TgrCol::SetDisplayCol(Integer value) {
    if (value == displayCol_ || value <= 0 || value > grid_->Cols()) return;
    Integer old = displayCol_;
    grid_->MoveColIndex(old, value);
    displayCol_ = value;
    grid_->MoveVisibleCol(old, value);
    grid_->MoveColWidth(old, value);
    grid_->MoveColSelection(old, value);
    grid_->MoveCurrentColIndex(old, value);
    grid_->DoColMoved(value, 1, false);
    Integer fixed = grid_->FixedCols();
    Integer first = grid_->FirstScrollCol();
    Integer last = grid_->LastVisibleCol();
    auto shown = [&](Integer c) { return c < fixed || (c >= first && c <= last); };
    if (shown(old) || shown(value)) grid_->InvalidateGrid();
    grid_->UpdateScrollBars();
    grid_->RecheckTopLeft(false);
    grid_->ResetCellControl(true);
}

bool TgrCol::GetSelected() const { return grid_->IsDisplayColSelected(displayCol_); }

void TgrCol::SetSelected(bool value) {
    if (value != GetSelected()) grid_->SelectDisplayCols(displayCol_, displayCol_, value);
}

// ---- heading

std::string TgrCol::GetHeading() const { return heading_.empty() ? fieldName_ : heading_; }

void TgrCol::SetHeading(const std::string& value) {
    if (value == heading_) return;
    heading_ = value;
    accelPos_ = AcceleratorPosition(value);
    HeadingChanged();
}

void TgrCol::SetHeadingButton(TgrColHeadingButton value) {
    if (value == headingButton_) return;
    headingButton_ = value;
    HeadingChanged();
}

void TgrCol::SetHeadingAlignment(TAlignment value) {
    if (value == headingAlignment_) return;
    headingAlignment_ = value;
    headingHorzAlignment_ = AlignmentToHorzAlignment(headingAlignment_, headingAlign_);
    HeadingChanged();
}

void TgrCol::SetHeadingAlign(bool value) {
    if (value == headingAlign_) return;
    headingAlign_ = value;
    headingHorzAlignment_ = AlignmentToHorzAlignment(headingAlignment_, headingAlign_);
    HeadingChanged();
}

void TgrCol::SetHeadingHorzAlignment(TgrHorzAlignment value) {
    if (value == headingHorzAlignment_) return;
    headingHorzAlignment_ = value;
    headingAlignment_ = HorzAlignmentToAlignment(value);
    headingAlign_ = value != htaDefault;
    HeadingChanged();
}

void TgrCol::SetHeadingVertAlignment(TgrVertAlignment value) {
    if (value == headingVertAlignment_) return;
    headingVertAlignment_ = value;
    HeadingChanged();
}

void TgrCol::SetHeadingWordWrap(TgrWordWrap value) {
    if (value == headingWordWrap_) return;
    headingWordWrap_ = value;
    HeadingChanged();
}

void TgrCol::SetHeadingColor(TColor value) {
    if (value == headingColor_) return;
    headingColor_ = value;
    HeadingChanged();
}

void TgrCol::SetSortPicture(TgrSortPicture value) {
    if (value == sortPicture_) return;
    sortPicture_ = value;
    HeadingChanged();
}

TFont* TgrCol::GetHeadingFont() { return StreamedFont(headingFont_, headingParentFont_, true); }

void TgrCol::SetHeadingFont(const TFont* value) {
    if (ReplaceOwnFont(headingFont_, headingParentFont_, value)) grid_->InvalidateCellUnlessPainting(displayCol_, 0);
}

void TgrCol::OwnHeadingFontChanged() {
    headingParentFont_ = false;
    grid_->InvalidateCellUnlessPainting(displayCol_, 0);
}

void TgrCol::SetHeadingParentFont(bool value) {
    if (ChangeParentFont(headingFont_, headingParentFont_, value, true))
        grid_->InvalidateCellUnlessPainting(displayCol_, 0);
}

void TgrCol::FollowGridHeadingFont() {
    if (headingParentFont_ && headingFont_.Get()) headingFont_.SetObjectLocked(ParentFontObject(true));
}

void TgrCol::SetKeepFontObject(bool value) {
    if (value == keepFontObject_) return;
    keepFontObject_ = value;
    grid_->SetKeptFontCol(GetDataCol(), value);
    if (!value) {
        if (parentFont_) font_.SetObjectLocked(nullptr);
        if (headingParentFont_) headingFont_.SetObjectLocked(nullptr);
    }
}

// ---- defaults, reset and copy

bool TgrCol::IsDefault() const {
    return IsCommonDefault() && displayCol_ == GetDataCol() && headingColor_ == grColorNotSet &&
           !headingFont_.Get() && headingParentFont_ && heading_.empty() && !allowGrayed_ &&
           headingAlignment_ == taLeftJustify && !headingAlign_ && headingHorzAlignment_ == htaDefault &&
           headingVertAlignment_ == vtaDefault && headingWordWrap_ == wwDefault && headingButton_ == cbGrid &&
           sortPicture_ == spNone && maxLength_ == 0 && fieldName_.empty() && width_ == grid_->DefaultColWidth() &&
           checkBoxValues_.empty();
}

void TgrCol::CopyProperties(const TgrCol& s) {
    heading_ = s.heading_;
    width_ = requestedWidth_ = s.width_;
    allowGrayed_ = s.allowGrayed_;
    headingButton_ = s.headingButton_;
    headingAlignment_ = s.headingAlignment_;
    headingAlign_ = s.headingAlign_;
    headingHorzAlignment_ = s.headingHorzAlignment_;
    headingVertAlignment_ = s.headingVertAlignment_;
    headingWordWrap_ = s.headingWordWrap_;
    headingColor_ = s.headingColor_;
    sortPicture_ = s.sortPicture_;
    maxLength_ = s.maxLength_;
    fieldName_ = s.fieldName_;
    accelPos_ = s.accelPos_;
    checkBoxValues_ = s.checkBoxValues_;
    CopyCommonProperties(s);
    CopyButton(s.normalButton_.get());
    CopyOwnFont(headingFont_, headingParentFont_, s.headingFont_, s.headingParentFont_, true);
}

// ---- normal button

void TgrCol::DropNormalButton() {
    if (!normalButton_) return;
    // The grid may hold it as its current button.
    if (auto* grid = dynamic_cast<TgrBaseGrid*>(grid_)) grid->ForgetCellButton(normalButton_.get());
    normalButton_.reset();
}

void TgrCol::SetButton(const TBitmap* glyph, Integer height, Integer width, TColor color) {
    DropNormalButton();
    if (glyph) normalButton_ = std::make_unique<TgrNormalButton>(dynamic_cast<TgrBaseGrid*>(grid_), height,
                                                                 width, color, glyph);
    DrawingChanged(true);
}

void TgrCol::FreeButton() {
    DropNormalButton();
    if (!grid_->IsDestroying()) InvalidateUnlessPainting();
}

void TgrCol::CopyButton(const TgrNormalButton* button) {
    if (button == normalButton_.get()) return;
    if (!button) {
        FreeButton();
        return;
    }
    auto copy = std::make_unique<TgrNormalButton>(dynamic_cast<TgrBaseGrid*>(grid_), button->GetHeight(),
                                                  button->GetWidth(), button->GetColor(), button->GetBitmap());
    DropNormalButton();
    normalButton_ = std::move(copy);
    DrawingChanged(true);
}

void TgrCol::CopyFrom(const TgrCol& source) {
    grid_ = source.grid_;
    displayCol_ = source.displayCol_;
    CopyProperties(source);
}

void TgrCol::Assign(const TPersistent* source) {
    auto* s = dynamic_cast<const TgrCol*>(source);
    if (!s) {
        TPersistent::Assign(source);
        return;
    }
    if (s == this) return;
    Integer old = width_;
    CopyProperties(*s);
    WidthChanged(old);
    EditingChanged();
}

void TgrCol::ResetProperties(const TgrPropIdSet& ids) {
    static const TgrPropId order[] = {0,  1,  8,  10, 3,  2,  6,  7,  28, 29, 13, 12, 14,
                                      5,  15, 21, 16, 22, 23, 24, 26, 27, 30, 9,  31, 32};
    for (TgrPropId id : order) {
        if (!ids.Contains(id)) continue;
        switch (id) {
            case gpColor:
                SetColor(grColorNotSet);
                SetHeadingColor(grColorNotSet);
                break;
            case gpVisible: SetVisible(true); break;
            case gpWidth: SetWidthInternal(requestedWidth_); break;
            case gpDisplayPos: SetDisplayCol(GetDataCol()); break;
            case gpSortPicture: SetSortPicture(spNone); break;
            case gpHeadingButton: SetHeadingButton(cbGrid); break;
            case gpMaxLength: SetMaxLength(0); break;
            case gpReadOnlyFlag: SetReadOnly(false); break;
            case gpSelected: SetSelected(false); break;
            case gpTag: tag_ = 0; break;
            case gpObject: object_ = nullptr; break;
            default: ResetCommonProperty(id); break;
        }
    }
}

void TgrCol::GetExportName(std::string& text) const {
    text = fieldName_.empty() ? GetHeading() : fieldName_;
    for (char& ch : text)
        if (ch == ' ') ch = '_';
}

// ----------------------------------------------------------------------- row

TgrRow::TgrRow(TgrPropGrid* grid) : TgrColRowBase(grid) {
    if (grid_) height_ = requestedHeight_ = grid_->DefaultRowHeight();
}

TgrRow::~TgrRow() {
    ReleaseComboAndDateTimeDef();
}

void TgrRow::InitSlot(Integer dataRow, Integer height, Integer requestedHeight) {
    dataRow_ = dataRow;
    height_ = height;
    requestedHeight_ = requestedHeight;
}

Integer TgrRow::GetDisplayRow() const { return grid_->GetDisplayRow(dataRow_); }
void TgrRow::SetDisplayRow(Integer value) { grid_->SetDisplayRow(dataRow_, value); }
bool TgrRow::HoldsCurrentCell() const { return GetDisplayRow() == grid_->CurrentDisplayRow(); }
void TgrRow::SetChanged(bool value) { grid_->SetRowProp(dataRow_, gpChanged, pkNoPicture, Variant(value)); }

bool TgrRow::InvalidateUnlessPainting() { return grid_->InvalidateRowUnlessPainting(GetDisplayRow()); }

void TgrRow::InvalidateItem() { grid_->InvalidateRow(GetDisplayRow()); }

bool TgrRow::IsCurrentDataItem() const { return dataRow_ == grid_->CurrentDataRow(); }

void TgrRow::SetReadOnly(bool value) {
    if (value == readOnly_) return;
    readOnly_ = value;
    grid_->InvalidateRow(GetDisplayRow());
    Integer current = grid_->CurrentDisplayRow();
    if (HoldsCurrentCell() || current <= 0) grid_->MoveToRow(current, true, false, grid_->SkipsReadOnly());
}

void TgrRow::SetControlType(TgrControlType value) {
    if (value == controlType_) return;
    bool current = HoldsCurrentCell();
    if (current) grid_->RepaintFocusCell(false);
    controlType_ = value;
    grid_->InvalidateRow(GetDisplayRow());
    if (current) {
        grid_->ResetCellControl(true);
        grid_->InvalidateFocusCell(false);
    }
    grid_->DropUnsuitedRowValues(dataRow_);
}

void TgrRow::CreateCombo() {
    if (combo_) return;
    combo_ = grid_->CreateCombo();
    if (!combo_) return;
    parentCombo_ = false;
    grid_->SetComboDropDownStyle(combo_, dropDownStyle_);
    if (HoldsCurrentCell()) {
        grid_->ResetCellControl(true);
        grid_->RollUpCombo(false);
    }
}

void TgrRow::FreeCombo() {
    if (!combo_) return;
    TgrCombo* c = combo_;
    if (HoldsCurrentCell()) {
        grid_->ResetCellControl(true);
        grid_->ComboReleased(c, true);
    } else {
        grid_->ForgetActiveCombo(c);
    }
    combo_ = nullptr;
    grid_->FreeComboObject(c);
}

void TgrRow::SetHeight(Integer value) {
    requestedHeight_ = value;
    ApplyHeight(value);
}

void TgrRow::ApplyHeight(Integer value) {
    if (value == height_) return;
    Integer old = height_;
    height_ = value;
    HeightChanged(old);
    grid_->ResetCellControl(true);
}

void TgrRow::HeightChanged(Integer oldHeight) {
    if (oldHeight == height_) return;
    Integer display = GetDisplayRow();
    if (visible_)
        grid_->SetRowHeightEntry(display, height_);
    else if (grid_->DisplayRowHeight(display) != 0)
        grid_->SetRowHeightEntry(display, 0);
    grid_->RowResized(dataRow_);
    if (dataRow_ == 0 && !grid_->IsSizingHeadingRow()) grid_->SetHeadingHeight(height_);
}

void TgrRow::SetVisible(bool value) {
    if (value == visible_) return;
    Integer display = GetDisplayRow();
    if (grid_->IsInsertRowPos(display)) return;
    if (HoldsCurrentCell() && !grid_->CanLeaveCell(grid_->CurrentDataCol(), 0, false)) return;
    visible_ = value;
    if (display > 0) {
        if (value)
            grid_->VisibleRows()->AddValue(display);
        else
            grid_->VisibleRows()->RemoveValue(display);
    }
    if (value) {
        grid_->SetRowHeightEntry(display, height_);
        grid_->RecheckTopLeft(true);
        if (grid_->CurrentDisplayRow() <= 0)
            grid_->MoveToRow(0, false, grid_->IsListBoxSelect(), grid_->SkipsReadOnly());
    } else {
        grid_->SetRowHeightEntry(display, 0);
        if (display > 0) {
            grid_->LockUpdate();
            try {
                if (HoldsCurrentCell())
                    grid_->MoveToRow(display, false, grid_->IsListBoxSelect(), grid_->SkipsReadOnly());
                if (display >= grid_->TopRow()) grid_->RecheckTopLeft(true);
            } catch (...) {
                grid_->UnlockUpdate();
                throw;
            }
            grid_->UnlockUpdate();
            grid_->ShrinkRangeOffRow(display);
        }
    }
    grid_->UpdateScrollBars();
    grid_->ResetCellControl(true);
    grid_->SyncListBoxSelection(false);
    grid_->FireSelectChanged(false);
    grid_->CheckGridStatusChanged();
}

void TgrRow::SetKeepFontObject(bool value) {
    if (value == keepFontObject_) return;
    keepFontObject_ = value;
    grid_->SetKeptFontRow(dataRow_, value);
    if (!value && parentFont_) font_.SetObjectLocked(nullptr);
}

bool TgrRow::IsDefault() const {
    return IsCommonDefault() && height_ == grid_->DefaultRowHeight() && requestedHeight_ == grid_->DefaultRowHeight();
}

void TgrRow::CopyProperties(const TgrRow& s) {
    height_ = requestedHeight_ = s.height_;
    CopyCommonProperties(s);
}

void TgrRow::CopyFrom(const TgrRow& source) {
    grid_ = source.grid_;
    CopyProperties(source);
}

void TgrRow::Assign(const TPersistent* source) {
    auto* s = dynamic_cast<const TgrRow*>(source);
    if (!s) {
        TPersistent::Assign(source);
        return;
    }
    if (s == this) return;
    SetDisplayRow(s->GetDisplayRow());
    Integer old = height_;
    CopyProperties(*s);
    HeightChanged(old);
    EditingChanged();
}

void TgrRow::ResetProperties(const TgrPropIdSet& ids) {
    static const TgrPropId order[] = {0,  1,  8,  10, 11, 4,  2,  6,  7,  28, 29,
                                      5,  15, 21, 16, 22, 23, 24, 26, 27, 30, 17};
    for (TgrPropId id : order) {
        if (!ids.Contains(id)) continue;
        switch (id) {
            case gpColor: SetColor(grColorNotSet); break;
            case gpVisible: SetVisible(true); break;
            case gpChanged: SetChanged(false); break;
            case gpHeight: ApplyHeight(requestedHeight_); break;
            case gpDisplayPos: SetDisplayRow(dataRow_); break;
            case gpReadOnlyFlag: SetReadOnly(false); break;
            case gpDropDownStyle: SetDropDownStyle(ddDropDown); break;
            default: ResetCommonProperty(id); break;
        }
    }
}

// ---------------------------------------------------------------- design row

TgrDesignRow::TgrDesignRow(TgrPropGrid* grid, const Variant& dataRow) : DataRow(dataRow), grid_(grid) {}

Integer TgrDesignRow::Row() const { return DataRow.IsEmpty() || DataRow.IsNull() ? 0 : DataRow.AsInteger(); }

Variant TgrDesignRow::Get(TgrPropId id, TgrPictureKind kind) const { return grid_->GetRowProp(Row(), id, kind); }

void TgrDesignRow::Set(TgrPropId id, const Variant& value, TgrPictureKind kind) {
    grid_->SetRowProp(Row(), id, kind, value);
}

void TgrDesignRow::Assign(const TPersistent* source) {
    auto* s = dynamic_cast<const TgrDesignRow*>(source);
    if (!s || typeid(*s) != typeid(*this)) {
        TPersistent::Assign(source);
        return;
    }
    if (s == this) return;
    TgrGridRows* rows = grid_->GridRows();
    TgrGridRows* sourceRows = s->grid_->GridRows();
    if (!rows || !sourceRows) return;
    TgrRow* mine = rows->GetRow(Row());
    TgrRow* theirs = sourceRows->GetRow(s->Row());
    if (!mine && !theirs) return;
    if (theirs) {
        mine = rows->EnsureRow(Row());
        if (mine) mine->Assign(theirs);
    } else {
        mine->ResetProperties(TgrPropIdSet::All());
    }
    rows->ReleaseIfDefault(Row());
}
