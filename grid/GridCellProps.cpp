#include "grid/GridCellProps.h"

#include <memory>
#include <mutex>

#include "grid/GRGLib.h"
#include "grid/GRGLibValues.h"
#include "grid/TSDateTimeDef.h"
#include "platform/core/Strings.h"

namespace {

// Ids a cell record holds; the others (display position, sizes, visibility,
// selection and so on) live only on columns and rows.
bool IsRecordPropId(TgrPropId id) {
    switch (id) {
        case gpDisplayPos:
        case gpWidth:
        case gpHeight:
        case gpSelected:
        case gpVisible:
        case gpChanged:
        case gpHeadingButton:
        case gpSortPicture:
        case gpMaxLength:
        case gpUnused: return false;
        default: return id >= 0 && id <= grMaxPropId;
    }
}

bool ValidPictureKind(TgrPictureKind kind) { return kind >= pkStretchPicture && kind <= pkKeepAspectRatio; }

}  // namespace

// ------------------------------------------------------------ prop element

TgrCustomPropElement::TgrCustomPropElement(TgrPropGrid* grid) : TgrCustomElement(grid) {}

TgrCustomPropElement::~TgrCustomPropElement() {
    if (Combo && Grid) Grid->ComboReleased(Combo, true);
    if (DateTimeDef && Grid) Grid->ForgetDateTimeDefIfActive(DateTimeDef);
    delete Font;
    Font = nullptr;
    if (Combo && Grid) Grid->FreeComboObject(Combo);
    Combo = nullptr;
    if (DateTimeDef && Grid) Grid->UnlinkDateTimeDef(DateTimeDef);
    DateTimeDef = nullptr;
}

Byte* TgrCustomPropElement::PictureField(TgrPictureKind kind) {
    switch (kind) {
        case pkStretchPicture: return &StretchPicture;
        case pkShrinkPicture: return &ShrinkPicture;
        case pkCenterPicture: return &CenterPicture;
        case pkKeepAspectRatio: return &KeepAspectRatio;
        default: return nullptr;
    }
}

const Byte* TgrCustomPropElement::PictureField(TgrPictureKind kind) const {
    return const_cast<TgrCustomPropElement*>(this)->PictureField(kind);
}

Variant TgrCustomPropElement::GetValue(TgrPropId id, TgrPictureKind kind) const {
    switch (id) {
        case gpColor: return Variant(Integer(Color));
        case gpFont: return ObjectToVariant(Font);
        case gpReadOnlyFlag: return Variant(ReadOnlyFlag);
        case gpAlign: return Variant(Align);
        case gpAlignment: return Variant(Alignment);
        case gpIs3D: return Variant(Is3D);
        case gpWordWrap: return Variant(WordWrap);
        case gpButtonType: return Variant(ButtonType);
        case gpDropDownStyle: return Variant(Byte(GetDropDownStyle()));
        case gpReadOnly: return Variant(ReadOnly);
        case gpParentFont: return Variant(ParentFont);
        case gpMaskName: return Variant(MaskName);
        case gpCombo: return ObjectToVariant(Combo);
        case gpParentCombo: return Variant(ParentCombo);
        case gpPicture: {
            const Byte* f = PictureField(kind);
            return f ? Variant(*f) : Variant();
        }
        case gpControlType: return Variant(ControlType);
        case gpSpinOptions: return Variant(Byte(SpinOptions));
        case gpSpinIncrement: return Variant(SpinIncrement);
        case gpHorzAlignment: return Variant(HorzAlignment);
        case gpVertAlignment: return Variant(VertAlignment);
        case gpDateTimeDef: return ObjectToVariant(DateTimeDef);
        case gpTag: return Variant(Integer(Tag));
        case gpObject: return ObjectToVariant(Object);
        default: return Variant();
    }
}

void TgrCustomPropElement::SetValue(const Variant& value, TgrPropId id, TgrPictureKind kind) {
    switch (id) {
        case gpColor: Color = TColor(value.AsInteger()); break;
        case gpFont: SetFont(static_cast<TFont*>(VariantToObject(value))); break;
        case gpReadOnlyFlag: ReadOnlyFlag = value.AsBoolean(); break;
        case gpAlign: SetAlign(value.AsBoolean()); break;
        case gpAlignment: SetAlignment(TAlignment(value.AsByte())); break;
        case gpIs3D: Is3D = value.AsBoolean(); break;
        case gpWordWrap: WordWrap = value.AsByte(); break;
        case gpButtonType: SetButtonType(TgrButtonType(value.AsByte())); break;
        case gpDropDownStyle: SetDropDownStyle(TgrDropDownStyle(value.AsByte())); break;
        case gpReadOnly: ReadOnly = value.AsByte(); break;
        case gpParentFont: SetParentFont(value.AsBoolean()); break;
        case gpMaskName: MaskName = value.AsString(); break;
        case gpCombo: SetCombo(static_cast<const TgrCombo*>(VariantToObject(value))); break;
        case gpParentCombo: SetParentCombo(value.AsBoolean()); break;
        case gpPicture:
            if (Byte* f = PictureField(kind)) *f = value.AsByte();
            break;
        case gpControlType: ControlType = value.AsByte(); break;
        case gpSpinOptions: SpinOptions = value.AsByte(); break;
        case gpSpinIncrement: SpinIncrement = value.AsDouble(); break;
        case gpHorzAlignment: SetHorzAlignment(TgrHorzAlignment(value.AsByte())); break;
        case gpVertAlignment: VertAlignment = value.AsByte(); break;
        case gpDateTimeDef: SetDateTimeDef(static_cast<TgrDateTimeDefComponent*>(VariantToObject(value))); break;
        case gpTag: Tag = value.AsInteger(); break;
        case gpObject: Object = VariantToObject(value); break;
        default: break;
    }
}

void TgrCustomPropElement::SetAlignment(TAlignment value) {
    if (Byte(value) == Alignment) return;
    Alignment = Byte(value);
    HorzAlignment = Byte(AlignmentToHorzAlignment(value, Align));
}

void TgrCustomPropElement::SetAlign(bool value) {
    if (value == Align) return;
    Align = value;
    HorzAlignment = Byte(AlignmentToHorzAlignment(TAlignment(Alignment), Align));
}

void TgrCustomPropElement::SetHorzAlignment(TgrHorzAlignment value) {
    if (Byte(value) == HorzAlignment) return;
    HorzAlignment = Byte(value);
    Alignment = Byte(HorzAlignmentToAlignment(value));
    Align = value != htaDefault;
}

void TgrCustomPropElement::SetButtonType(TgrButtonType value) {
    if (Byte(value) == ButtonType) return;
    ButtonType = Byte(value);
    if ((value == btDateTimeDropDown || value == btDateTimePopup) && Grid) Grid->ForgetActiveDateTimeDef();
}

TgrDropDownStyle TgrCustomPropElement::GetDropDownStyle() const {
    if (Combo && Grid) return Grid->ComboDropDownStyle(Combo);
    return TgrDropDownStyle(DropDownStyle);
}

void TgrCustomPropElement::SetDropDownStyle(TgrDropDownStyle value) {
    if (value == GetDropDownStyle()) return;
    DropDownStyle = Byte(value);
    if (Combo && Grid) Grid->SetComboDropDownStyle(Combo, value);
}

void TgrCustomPropElement::CreateCombo() {
    if (Combo) return;
    Combo = Grid->CreateCombo();
    ParentCombo = false;
    if (Combo) Grid->SetComboDropDownStyle(Combo, TgrDropDownStyle(DropDownStyle));
}

void TgrCustomPropElement::FreeCombo() {
    if (!Combo) return;
    TgrCombo* c = Combo;
    if (Grid) Grid->ComboReleased(c, true);
    Combo = nullptr;
    if (Grid) Grid->FreeComboObject(c);
}

void TgrCustomPropElement::SetCombo(const TgrCombo* source) {
    if (source == Combo) return;
    if (!source) {
        FreeCombo();
        return;
    }
    CreateCombo();
    if (!Combo) return;
    Grid->AssignComboSettings(Combo, source);
    Grid->ComboReleased(Combo, false);
}

void TgrCustomPropElement::SetParentCombo(bool value) {
    if (value == ParentCombo) return;
    ParentCombo = value;
    if (value) FreeCombo();
}

void TgrCustomPropElement::SetDateTimeDef(TgrDateTimeDefComponent* def) {
    if (def == DateTimeDef) return;
    if (Grid) {
        Grid->ForgetActiveDateTimeDef();
        if (DateTimeDef) Grid->UnlinkDateTimeDef(DateTimeDef);
    }
    DateTimeDef = def;
    if (Grid && def) Grid->LinkDateTimeDef(def);
}

// ---- fonts

void TgrCustomPropElement::HookFont() {
    if (Font)
        Font->OnChange = [this](TGraphicsObject*) { FontChanged(); };
}

void TgrCustomPropElement::SetFontObject(const TFont* font) {
    if (font == Font) return;
    if (font) {
        if (!Font) {
            Font = new TFont();
            Font->Assign(*font);
            HookFont();
        } else {
            Font->Assign(*font);
        }
    } else {
        delete Font;
        Font = nullptr;
    }
}

void TgrCustomPropElement::SetFontObjectLocked(const TFont* font) {
    LockFontUpdate(false);
    try {
        SetFontObject(font);
    } catch (...) {
        LockFontUpdate(true);
        throw;
    }
    LockFontUpdate(true);
}

void TgrCustomPropElement::LockFontUpdate(bool unlock) {
    if (unlock) {
        if (FontUpdateCount > 0) --FontUpdateCount;
    } else {
        ++FontUpdateCount;
    }
}

void TgrCustomPropElement::DropParentFontCopy() {
    if (ParentFont && Font) SetFontObjectLocked(nullptr);
}

void TgrCustomPropElement::SetFont(TFont* font) {
    if (font == Font) return;
    SetFontObject(font);
    ParentFont = Font == nullptr;
}

void TgrCustomPropElement::FontChanged() {
    if (!IsFontUnlocked()) return;
    ParentFont = false;
}

void TgrCustomPropElement::SetParentFont(bool value) {
    if (value == ParentFont) return;
    ParentFont = value;
    if (!value) {
        SetFontObjectLocked(Grid->GridFont());
    } else if (KeepFontObject) {
        if (Font) SetFontObjectLocked(Grid->GridFont());
    } else {
        SetFontObjectLocked(nullptr);
    }
}

void TgrCustomPropElement::GridFontChanged() {
    if (ParentFont && Font) SetFontObjectLocked(Grid->GridFont());
}

// ---- default test and copying

bool TgrCustomPropElement::IsDefault() const {
    return Color == grColorNotSet && !Font && ParentFont && Alignment == Byte(taLeftJustify) && !Align &&
           HorzAlignment == Byte(htaDefault) && VertAlignment == Byte(vtaDefault) && !Is3D && !ReadOnlyFlag &&
           WordWrap == Byte(wwDefault) && ButtonType == Byte(btDefault) && DropDownStyle == Byte(ddDropDown) &&
           ReadOnly == Byte(roDefault) && MaskName.empty() && !KeepFontObject && !Combo && ParentCombo &&
           StretchPicture == Byte(dopDefault) && ShrinkPicture == Byte(dopDefault) &&
           CenterPicture == Byte(dopDefault) && KeepAspectRatio == Byte(dopDefault) &&
           ControlType == Byte(ctDefault) && SpinOptions == grAllSpinOptions && SpinIncrement == 1.0 &&
           !DateTimeDef && Tag == 0 && !Object;
}

void TgrCustomPropElement::CopyProperties(const TgrCustomPropElement& s) {
    Color = s.Color;
    Alignment = s.Alignment;
    Align = s.Align;
    HorzAlignment = s.HorzAlignment;
    VertAlignment = s.VertAlignment;
    Is3D = s.Is3D;
    ReadOnlyFlag = s.ReadOnlyFlag;
    WordWrap = s.WordWrap;
    DropDownStyle = s.DropDownStyle;
    ReadOnly = s.ReadOnly;
    MaskName = s.MaskName;
    StretchPicture = s.StretchPicture;
    ShrinkPicture = s.ShrinkPicture;
    CenterPicture = s.CenterPicture;
    KeepAspectRatio = s.KeepAspectRatio;
    ParentCombo = s.ParentCombo;
    ControlType = s.ControlType;
    SpinOptions = s.SpinOptions;
    SpinIncrement = s.SpinIncrement;
    SetButtonType(TgrButtonType(s.ButtonType));
    SetDateTimeDef(s.DateTimeDef);
    SetCombo(s.Combo);
    ParentFont = s.ParentFont;
    if (s.ParentFont)
        GridFontChanged();
    else
        SetFontObjectLocked(s.Font);
}

void TgrCustomPropElement::Assign(const TgrCustomPropElement& source) {
    if (&source == this) return;
    CopyProperties(source);
}

// --------------------------------------------------------------- cell record

TgrKeyValues CellKey(Integer dataCol, Integer dataRow) { return {Variant(dataCol), Variant(dataRow)}; }

TgrCellElement::TgrCellElement(TgrPropGrid* grid, Integer dataCol, Integer dataRow)
    : TgrCustomPropElement(grid), DataCol(dataCol), DataRow(dataRow) {
    if (Grid) Grid->ClearCellElementCache();
}

TgrCellElement::~TgrCellElement() {
    if (Grid) Grid->ClearCellElementCache();
}

namespace {
int CompareCellKeys(Integer col, Integer row, Integer keyCol, Integer keyRow) {
    if (keyRow > row) return grKeyAfter;
    if (keyRow < row) return grKeyBefore;
    if (keyCol > col) return grKeyAfter;
    if (keyCol < col) return grKeyBefore;
    return grKeyEqual;
}
}  // namespace

int TgrCellElement::CompareElement(TgrCustomSet*, const TgrSetElement* other) const {
    auto* o = dynamic_cast<const TgrCellElement*>(other);
    if (!o) return -1;
    return CompareCellKeys(DataCol, DataRow, o->DataCol, o->DataRow);
}

int TgrCellElement::CompareKey(TgrCustomSet*, const TgrKeyValues& key, Integer) const {
    if (key.size() < 2) return -1;
    return CompareCellKeys(DataCol, DataRow, key[0].AsInteger(), key[1].AsInteger());
}

std::string TgrCellElement::KeyText() const {
    std::string text;
    MakeKeyText("", DataCol, DataRow, text);
    return text;
}

void TgrCellElement::Assign(const TgrCustomPropElement& source) {
    if (auto* c = dynamic_cast<const TgrCellElement*>(&source)) {
        DataCol = c->DataCol;
        DataRow = c->DataRow;
    }
    TgrCustomPropElement::Assign(source);
}

void TgrCellElement::RepaintForFont() {
    if (!Grid) return;
    Integer dc = Grid->DisplayColOfData(DataCol);
    Integer dr = Grid->DisplayRowOfData(DataRow);
    if (Grid->InvalidateCellUnlessPainting(dc, dr) && dc == Grid->CurrentDisplayCol() &&
        dr == Grid->CurrentDisplayRow())
        Grid->ResetCellControl(true);
}

void TgrCellElement::FontChanged() {
    if (!IsFontUnlocked()) return;
    ParentFont = false;
    RepaintForFont();
}

void TgrCellElement::SetParentFont(bool value) {
    if (value == ParentFont) return;
    ParentFont = value;
    if (!value) {
        SetFontObjectLocked(Grid->GridFont());
    } else if (KeepFontObject) {
        if (Font) {
            SetFontObjectLocked(Grid->GridFont());
            RepaintForFont();
        }
    } else {
        SetFontObjectLocked(nullptr);
    }
}

void TgrCellElement::GridFontChanged() {
    if (ParentFont && Font) SetFontObjectLocked(Grid->EffectiveCellFont(DataCol, DataRow));
}

void TgrCellElement::CreateCombo() {
    if (Combo) return;
    TgrCustomPropElement::CreateCombo();
    if (Combo && DataCol >= 1 && DataCol <= Grid->Cols())
        Grid->SetComboDropDownWidth(Combo, Grid->DataColWidth(DataCol));
}

// --------------------------------------------------------------------- sets

TgrSetNode* TgrCustomPropSet::NewNode(const void* key) {
    if (CopyInProgress()) {
        auto* source = dynamic_cast<const TgrCustomPropElement*>(static_cast<const TgrSetElement*>(key));
        if (source) return new TgrObjectSetNode(CloneElement(*source));
    }
    return TgrObjectSet::NewNode(key);
}

void TgrCustomPropSet::AddElement(TgrCustomPropElement* element) { Add(element); }

bool TgrCustomPropSet::SetPropValueCore(const TgrKeyValues& key, TgrPictureKind kind, TgrPropId id,
                                        const Variant& value, TgrCustomPropElement*& element) {
    // An id a record does not hold cannot change a record (its "current"
    // value would read Empty and look different from every default).
    if (!IsRecordPropId(id)) return false;
    if (id == gpPicture && !ValidPictureKind(kind)) return false;
    Variant current = element ? element->GetValue(id, kind) : DefaultPropValue(id);
    if (PropValuesEqual(current, value)) return false;
    if (element) {
        element->SetValue(value, id, kind);
        if (PropValuesEqual(value, DefaultPropValue(id)) && RemoveIfDefault(element)) element = nullptr;
    } else {
        TgrCustomPropElement* e = CreateElement(key);
        try {
            e->SetValue(value, id, kind);
        } catch (...) {
            e->FreeElement(0);
            throw;
        }
        AddElement(e);
    }
    return true;
}

bool TgrCustomPropSet::SetPropValue(const TgrKeyValues& key, bool, TgrPictureKind kind, TgrPropId id,
                                    const Variant& value, TgrCustomPropElement*& element) {
    return SetPropValueCore(key, kind, id, value, element);
}

void TgrCustomPropSet::SetKeepFontObject(const TgrKeyValues& key, bool flag, TgrCustomPropElement*& element) {
    bool current = element ? element->KeepFontObject : false;
    if (current == flag) return;
    if (element) {
        element->KeepFontObject = flag;
        if (!flag && RemoveIfDefault(element)) element = nullptr;
    } else {
        element = CreateElement(key);
        element->KeepFontObject = flag;
        AddElement(element);
    }
}

void TgrCustomPropSet::ResetElementProperties(TgrCustomPropElement*& element, const TgrPropIdSet& ids,
                                              bool repaint) {
    static const TgrPropId order[] = {gpColor,       gpFont,        gpIs3D,          gpAlign,      gpAlignment,
                                      gpHorzAlignment, gpVertAlignment, gpReadOnlyFlag, gpWordWrap, gpButtonType,
                                      gpDropDownStyle, gpReadOnly,  gpParentFont,    gpCombo,      gpParentCombo,
                                      gpPicture,     gpControlType, gpSpinOptions,   gpSpinIncrement,
                                      gpDateTimeDef, gpMaskName,    gpSelected,      gpTag,        gpObject};
    const TgrKeyValues zeroKey = CellKey(0, 0);
    bool pending = repaint;
    for (TgrPropId id : order) {
        if (!element) return;
        if (!ids.Contains(id)) continue;
        if (id == gpPicture) {
            for (int k = pkStretchPicture; k <= pkKeepAspectRatio && element; ++k) {
                if (SetPropValue(zeroKey, pending, TgrPictureKind(k), id, DefaultPropValue(id), element))
                    pending = false;
            }
            continue;
        }
        switch (id) {
            case gpDateTimeDef: SetPropValue(zeroKey, false, pkNoPicture, id, DefaultPropValue(id), element); break;
            case gpMaskName: SetPropValue(zeroKey, true, pkNoPicture, id, DefaultPropValue(id), element); break;
            case gpSelected:
            case gpTag:
            case gpObject: SetPropValue(zeroKey, pending, pkNoPicture, id, DefaultPropValue(id), element); break;
            default:
                if (SetPropValue(zeroKey, pending, pkNoPicture, id, DefaultPropValue(id), element)) pending = false;
                break;
        }
    }
}

void TgrCustomPropSet::ResetProperties(const TgrPropIdSet& ids, bool repaint) {
    if (ids.Empty()) return;
    std::unique_ptr<TgrSetList> list(CreateOrderedList());
    for (int i = 1; i <= list->Count(); ++i) {
        auto* e = dynamic_cast<TgrCustomPropElement*>(static_cast<TgrSetElement*>(list->GetItem(i)));
        if (e) ResetElementProperties(e, ids, repaint);
    }
}

// ---- cell set

TgrCellPropSet::~TgrCellPropSet() { Clear(); }

TgrCustomPropElement* TgrCellPropSet::CreateElement(const TgrKeyValues& key) {
    Integer col = key.size() > 0 ? key[0].AsInteger() : 0;
    Integer row = key.size() > 1 ? key[1].AsInteger() : 0;
    return new TgrCellElement(Grid, col, row);
}

TgrCustomPropElement* TgrCellPropSet::CloneElement(const TgrCustomPropElement& source) {
    auto* c = dynamic_cast<const TgrCellElement*>(&source);
    auto* e = new TgrCellElement(Grid, c ? c->DataCol : 0, c ? c->DataRow : 0);
    e->Assign(source);
    return e;
}

void TgrCellPropSet::AddElement(TgrCustomPropElement* element) {
    Add(element);
    if (auto* c = dynamic_cast<TgrCellElement*>(element)) Grid->IndexCellElement(c);
}

void TgrCellPropSet::RemoveElement(TgrCustomPropElement* element) {
    auto* c = dynamic_cast<TgrCellElement*>(element);
    if (!c) return;
    Grid->UnindexCellElement(c);
    Remove(CellKey(c->DataCol, c->DataRow));
}

bool TgrCellPropSet::RemoveIfDefault(TgrCustomPropElement* element) {
    bool isDefault = element->IsDefault();
    if (isDefault) RemoveElement(element);
    return isDefault;
}

TgrCellElement* TgrCellPropSet::FindCell(Integer dataCol, Integer dataRow) {
    return dynamic_cast<TgrCellElement*>(Find(CellKey(dataCol, dataRow)));
}

bool TgrCellPropSet::SetPropValue(const TgrKeyValues& key, bool repaint, TgrPictureKind kind, TgrPropId id,
                                  const Variant& value, TgrCustomPropElement*& element) {
    Integer col, row;
    if (auto* c = dynamic_cast<TgrCellElement*>(element)) {
        col = c->DataCol;
        row = c->DataRow;
    } else {
        col = key.size() > 0 ? key[0].AsInteger() : 0;
        row = key.size() > 1 ? key[1].AsInteger() : 0;
    }
    if (!SetPropValueCore(key, kind, id, value, element)) return false;
    if (id == gpMaskName)
        Grid->CellMaskChanged(col, Variant(row));
    else if (repaint)
        RepaintCell(col, row, Grid->IsDrawingProperty(id));
    return true;
}

void TgrCellPropSet::SetKeepFontObject(const TgrKeyValues& key, bool flag, TgrCustomPropElement*& element) {
    Integer col, row;
    if (auto* c = dynamic_cast<TgrCellElement*>(element)) {
        col = c->DataCol;
        row = c->DataRow;
    } else {
        col = key.size() > 0 ? key[0].AsInteger() : 0;
        row = key.size() > 1 ? key[1].AsInteger() : 0;
    }
    TgrCustomPropSet::SetKeepFontObject(key, flag, element);
    TgrCoordList& list = Grid->KeptFontCells();
    if (element && element->KeepFontObject) {
        Integer i = 0, c = 0, r = 0;
        while (list.NextPair(i, c, r))
            if (c == col && r == row) return;
        list.AddPair(col, row);
    } else {
        list.RemovePair(col, row);
        if (element) {
            element->DropParentFontCopy();
            if (RemoveIfDefault(element)) element = nullptr;
        }
    }
}

void TgrCellPropSet::RepaintCell(Integer dataCol, Integer dataRow, bool drawingOnly) {
    if (Grid->IsUpdateSuspended() || Grid->IsDestroying()) return;
    if (dataCol < 0 || dataCol >= Grid->ColCount() || dataRow < 0 || dataRow >= Grid->RowCount()) return;
    Integer dc = Grid->DisplayColOfData(dataCol);
    Integer dr = Grid->DisplayRowOfData(dataRow);
    bool invalidated = true;
    if (drawingOnly)
        invalidated = Grid->InvalidateCellUnlessPainting(dc, dr);
    else
        Grid->InvalidateDisplayCell(dc, dr);
    if (invalidated && dc == Grid->CurrentDisplayCol() && dr == Grid->CurrentDisplayRow()) {
        Grid->ResetCellControl(true);
        Grid->InvalidateCellFocusFrame(dc, dr, false);
    }
}

// ------------------------------------------------------------ small helpers

Variant BitmapToVariant(const TBitmap* bitmap) { return ObjectToVariant(bitmap); }
TBitmap* VariantToBitmap(const Variant& value) { return static_cast<TBitmap*>(VariantToObject(value)); }

TgrCellRange MakeCellRange(Integer left, Integer top, Integer right, Integer bottom) {
    return TgrCellRange{left, top, right, bottom};
}

Byte AlignmentIdentValue(const std::string& ident) {
    std::string s = LowerCase(ident);
    if (s == "tarightjustify") return Byte(taRightJustify);
    if (s == "tacenter") return Byte(taCenter);
    return Byte(taLeftJustify);
}

Byte ReadAlignmentIdent(TReader& reader) { return AlignmentIdentValue(reader.ReadIdent()); }

// ------------------------------------------------------------- cell facade

namespace {

const std::vector<std::string> kButtonTypeNames = {"btNone",  "btNormal", "btCombo", "btDefault",
                                                   "btDateTimeDropDown", "btDateTimePopup", "btVertSpin",
                                                   "btHorzSpin"};
const std::vector<std::string> kDrawOptionNames = {"dopOn", "dopOff", "dopDefault"};
const std::vector<std::string> kControlTypeNames = {"ctNone", "ctText", "ctCheck", "ctPicture", "ctDefault"};
const std::vector<std::string> kDropDownStyleNames = {"ddDropDown", "ddDropDownList"};
const std::vector<std::string> kHorzAlignmentNames = {"htaLeft", "htaRight", "htaCenter", "htaDefault"};
const std::vector<std::string> kVertAlignmentNames = {"vtaTop", "vtaBottom", "vtaCenter", "vtaDefault"};
const std::vector<std::string> kReadOnlyNames = {"roOn", "roOff", "roDefault"};
const std::vector<std::string> kWordWrapNames = {"wwOn", "wwOff", "wwDefault"};

void RegisterCellProperties() {
    static std::once_flag once;
    std::call_once(once, [] {
        TPublished<TgrCell>()
            .Enumeration("ButtonType", kButtonTypeNames, &TgrCell::GetButtonType, &TgrCell::SetButtonType)
            .Enumeration("CenterPicture", kDrawOptionNames, &TgrCell::GetCenterPicture, &TgrCell::SetCenterPicture)
            .Integer("Color", &TgrCell::GetColor, &TgrCell::SetColor)
            .Enumeration("ControlType", kControlTypeNames, &TgrCell::GetControlType, &TgrCell::SetControlType)
            .Enumeration("DropDownStyle", kDropDownStyleNames, &TgrCell::GetDropDownStyle,
                         &TgrCell::SetDropDownStyle)
            .Enumeration("HorzAlignment", kHorzAlignmentNames, &TgrCell::GetHorzAlignment,
                         &TgrCell::SetHorzAlignment)
            .Boolean("Is3D", &TgrCell::GetIs3D, &TgrCell::SetIs3D)
            .Enumeration("KeepAspectRatio", kDrawOptionNames, &TgrCell::GetKeepAspectRatio,
                         &TgrCell::SetKeepAspectRatio)
            .String("MaskName", &TgrCell::GetMaskName, &TgrCell::SetMaskName)
            .Boolean("ParentCombo", &TgrCell::GetParentCombo, &TgrCell::SetParentCombo)
            .Boolean("ParentFont", &TgrCell::GetParentFont, &TgrCell::SetParentFont)
            .Enumeration("ReadOnly", kReadOnlyNames, &TgrCell::GetReadOnly, &TgrCell::SetReadOnly)
            .Enumeration("ShrinkPicture", kDrawOptionNames, &TgrCell::GetShrinkPicture, &TgrCell::SetShrinkPicture)
            .Float("SpinIncrement", &TgrCell::GetSpinIncrement, &TgrCell::SetSpinIncrement)
            .Integer("SpinOptions", &TgrCell::GetSpinOptions, &TgrCell::SetSpinOptions)
            .Enumeration("StretchPicture", kDrawOptionNames, &TgrCell::GetStretchPicture,
                         &TgrCell::SetStretchPicture)
            .Enumeration("VertAlignment", kVertAlignmentNames, &TgrCell::GetVertAlignment,
                         &TgrCell::SetVertAlignment)
            .Enumeration("WordWrap", kWordWrapNames, &TgrCell::GetWordWrap, &TgrCell::SetWordWrap);
    });
}

}  // namespace

TgrCell::TgrCell(TgrPropGrid* grid, Integer dataCol, const Variant& dataRow)
    : Grid(grid), DataCol(dataCol), DataRow(dataRow) {
    RegisterCellProperties();
}

Integer TgrCell::Row() const { return DataRow.IsEmpty() || DataRow.IsNull() ? 0 : DataRow.AsInteger(); }
Variant TgrCell::Get(TgrPropId id, TgrPictureKind kind) const { return Grid->GetCellProp(DataCol, Row(), id, kind); }
void TgrCell::Set(TgrPropId id, const Variant& value, TgrPictureKind kind) {
    Grid->SetCellProp(DataCol, Row(), id, kind, value);
}

TColor TgrCell::GetColor() const { return TColor(Get(gpColor).AsInteger()); }
void TgrCell::SetColor(TColor value) { Set(gpColor, Variant(Integer(value))); }
TgrControlType TgrCell::GetControlType() const { return TgrControlType(Get(gpControlType).AsByte()); }
void TgrCell::SetControlType(TgrControlType value) { Set(gpControlType, Variant(Byte(value))); }
TgrSpinOptions TgrCell::GetSpinOptions() const { return Get(gpSpinOptions).AsByte(); }
void TgrCell::SetSpinOptions(TgrSpinOptions value) { Set(gpSpinOptions, Variant(Byte(value))); }
double TgrCell::GetSpinIncrement() const { return Get(gpSpinIncrement).AsDouble(); }
void TgrCell::SetSpinIncrement(double value) { Set(gpSpinIncrement, Variant(value)); }
TFont* TgrCell::GetFont() const { return static_cast<TFont*>(VariantToObject(Get(gpFont))); }
void TgrCell::SetFont(TFont* value) { Set(gpFont, ObjectToVariant(value)); }
bool TgrCell::GetParentFont() const { return Get(gpParentFont).AsBoolean(); }
void TgrCell::SetParentFont(bool value) { Set(gpParentFont, Variant(value)); }
TAlignment TgrCell::GetAlignment() const { return TAlignment(Get(gpAlignment).AsByte()); }
void TgrCell::SetAlignment(TAlignment value) { Set(gpAlignment, Variant(Byte(value))); }
bool TgrCell::GetAlign() const { return Get(gpAlign).AsBoolean(); }
void TgrCell::SetAlign(bool value) { Set(gpAlign, Variant(value)); }
TgrHorzAlignment TgrCell::GetHorzAlignment() const { return TgrHorzAlignment(Get(gpHorzAlignment).AsByte()); }
void TgrCell::SetHorzAlignment(TgrHorzAlignment value) { Set(gpHorzAlignment, Variant(Byte(value))); }
TgrVertAlignment TgrCell::GetVertAlignment() const { return TgrVertAlignment(Get(gpVertAlignment).AsByte()); }
void TgrCell::SetVertAlignment(TgrVertAlignment value) { Set(gpVertAlignment, Variant(Byte(value))); }
bool TgrCell::GetIs3D() const { return Get(gpIs3D).AsBoolean(); }
void TgrCell::SetIs3D(bool value) { Set(gpIs3D, Variant(value)); }
TgrWordWrap TgrCell::GetWordWrap() const { return TgrWordWrap(Get(gpWordWrap).AsByte()); }
void TgrCell::SetWordWrap(TgrWordWrap value) { Set(gpWordWrap, Variant(Byte(value))); }
TgrButtonType TgrCell::GetButtonType() const { return TgrButtonType(Get(gpButtonType).AsByte()); }
void TgrCell::SetButtonType(TgrButtonType value) { Set(gpButtonType, Variant(Byte(value))); }
TgrDropDownStyle TgrCell::GetDropDownStyle() const { return TgrDropDownStyle(Get(gpDropDownStyle).AsByte()); }
void TgrCell::SetDropDownStyle(TgrDropDownStyle value) { Set(gpDropDownStyle, Variant(Byte(value))); }
TgrReadOnly TgrCell::GetReadOnly() const { return TgrReadOnly(Get(gpReadOnly).AsByte()); }
void TgrCell::SetReadOnly(TgrReadOnly value) { Set(gpReadOnly, Variant(Byte(value))); }
std::string TgrCell::GetMaskName() const { return Get(gpMaskName).AsString(); }
void TgrCell::SetMaskName(const std::string& value) { Set(gpMaskName, Variant(value)); }
TgrCombo* TgrCell::GetCombo() const { return static_cast<TgrCombo*>(VariantToObject(Get(gpCombo))); }
void TgrCell::SetCombo(TgrCombo* value) { Set(gpCombo, ObjectToVariant(value)); }
TgrCombo* TgrCell::CreateCombo() { return Grid->CreateCellCombo(DataCol, Row()); }
bool TgrCell::GetParentCombo() const { return Get(gpParentCombo).AsBoolean(); }
void TgrCell::SetParentCombo(bool value) { Set(gpParentCombo, Variant(value)); }
TgrDrawOption TgrCell::GetStretchPicture() const { return TgrDrawOption(Get(gpPicture, pkStretchPicture).AsByte()); }
void TgrCell::SetStretchPicture(TgrDrawOption v) { Set(gpPicture, Variant(Byte(v)), pkStretchPicture); }
TgrDrawOption TgrCell::GetShrinkPicture() const { return TgrDrawOption(Get(gpPicture, pkShrinkPicture).AsByte()); }
void TgrCell::SetShrinkPicture(TgrDrawOption v) { Set(gpPicture, Variant(Byte(v)), pkShrinkPicture); }
TgrDrawOption TgrCell::GetCenterPicture() const { return TgrDrawOption(Get(gpPicture, pkCenterPicture).AsByte()); }
void TgrCell::SetCenterPicture(TgrDrawOption v) { Set(gpPicture, Variant(Byte(v)), pkCenterPicture); }
TgrDrawOption TgrCell::GetKeepAspectRatio() const {
    return TgrDrawOption(Get(gpPicture, pkKeepAspectRatio).AsByte());
}
void TgrCell::SetKeepAspectRatio(TgrDrawOption v) { Set(gpPicture, Variant(Byte(v)), pkKeepAspectRatio); }
TgrDateTimeDefComponent* TgrCell::GetDateTimeDef() const {
    return static_cast<TgrDateTimeDefComponent*>(VariantToObject(Get(gpDateTimeDef)));
}
void TgrCell::SetDateTimeDef(TgrDateTimeDefComponent* value) { Set(gpDateTimeDef, ObjectToVariant(value)); }

bool TgrCell::GetKeepFontObject() const {
    TgrCellPropSet* set = Grid->CellPropSet();
    if (!set || set->Count() == 0) return false;
    TgrCellElement* e = set->FindCell(DataCol, Row());
    return e && e->KeepFontObject;
}

void TgrCell::SetKeepFontObject(bool value) {
    TgrCellPropSet* set = Grid->CellPropSet();
    if (!set) return;
    TgrCustomPropElement* e = set->FindCell(DataCol, Row());
    set->SetKeepFontObject(CellKey(DataCol, Row()), value, e);
}

bool TgrCell::IsComboStored() const { return GetCombo() != nullptr && GetButtonType() == btCombo; }

void TgrCell::Assign(const TPersistent* source) {
    auto* s = dynamic_cast<const TgrCell*>(source);
    if (!s) {
        TPersistent::Assign(source);
        return;
    }
    if (s == this) return;
    auto* src = const_cast<TgrCell*>(s);
    CopyPublishedProperties(*this, *src, "Font;ParentFont");
    SetDateTimeDef(src->GetDateTimeDef());
    SetCombo(src->GetCombo());
    SetParentFont(src->GetParentFont());
    if (!GetParentFont()) SetFont(src->GetFont());
}

std::vector<TgrCellElement*> CellRecords(TgrCellPropSet* set) {
    std::vector<TgrCellElement*> records;
    std::unique_ptr<TgrSetList> list(set->CreateOrderedList());
    for (int i = 1; list && i <= list->Count(); ++i)
        if (auto* e = dynamic_cast<TgrCellElement*>(static_cast<TgrSetElement*>(list->GetItem(i))))
            records.push_back(e);
    return records;
}
