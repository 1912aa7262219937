// The grid in a form file: its published properties (registered here for
// the grid, its columns and rows), its own defined properties and the
// column, row and cell collections that carry the attributes.

#include <algorithm>
#include <map>
#include <mutex>

#include "grid/GRGLib.h"
#include "grid/GridCombo.h"
#include "grid/GridComboGrid.h"
#include "grid/GridForm.h"
#include "platform/core/Exception.h"
#include "platform/core/Strings.h"

namespace {

// Counts a form file may set; larger ones are refused before anything grows.
constexpr Int64 kMaxFormCols = 10000;
constexpr Int64 kMaxFormRows = 10000000;

[[noreturn]] void Refuse(const std::string& what) { throw EReadError("Invalid grid form file: " + what); }

const std::vector<std::string> kGridModeNames = {"gmListBox", "gmEdit", "gmEditInsert", "gmBrowse"};
const std::vector<std::string> kRowSelectModeNames = {"rsNone", "rsSingle", "rsMulti"};
const std::vector<std::string> kColSelectModeNames = {"csNone", "csSingle", "csMulti"};
const std::vector<std::string> kCellSelectModeNames = {"cmNone", "cmRange"};
const std::vector<std::string> kSelectionTypeNames = {"sltDefault", "sltColor"};
const std::vector<std::string> kResizeColsNames = {"rcNone", "rcSingle", "rcAll"};
const std::vector<std::string> kResizeRowsNames = {"rrNone", "rrSingle", "rrAll"};
const std::vector<std::string> kGridLinesNames = {"glNone", "glHorizontal", "glVertical", "glBoth"};
const std::vector<std::string> kDrawOverlapNames = {"doDrawRowOnTop", "doDrawColOnTop"};
const std::vector<std::string> kHeadingButtonNames = {"hbNone", "hbCell", "hbButton"};
const std::vector<std::string> kRowChangedNames = {"riOff", "riOn", "riAutoReset"};
const std::vector<std::string> kFocusBorderNames = {"fbNone", "fbDot", "fbSingle", "fbDouble"};
const std::vector<std::string> kCheckBoxStyleNames = {"stCross", "stCheck", "stFlat"};
const std::vector<std::string> kScrollStyleNames = {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"};
const std::vector<std::string> kScrollSpeedNames = {"spLow", "spHigh", "spVariable"};
const std::vector<std::string> kInactiveButtonNames = {"ibsNone", "ibsBackGround", "ibsPicture"};
const std::vector<std::string> kPrintModeNames = {"pmPortrait", "pmLandscape"};
const std::vector<std::string> kHorzAlignmentNames = {"htaLeft", "htaRight", "htaCenter", "htaDefault"};
const std::vector<std::string> kVertAlignmentNames = {"vtaTop", "vtaBottom", "vtaCenter", "vtaDefault"};
const std::vector<std::string> kWordWrapNames = {"wwOn", "wwOff", "wwDefault"};
const std::vector<std::string> kButtonTypeNames = {"btNone",  "btNormal", "btCombo", "btDefault",
                                                   "btDateTimeDropDown", "btDateTimePopup", "btVertSpin",
                                                   "btHorzSpin"};
const std::vector<std::string> kDrawOptionNames = {"dopOn", "dopOff", "dopDefault"};
const std::vector<std::string> kControlTypeNames = {"ctNone", "ctText", "ctCheck", "ctPicture", "ctDefault"};
const std::vector<std::string> kDropDownStyleNames = {"ddDropDown", "ddDropDownList"};
const std::vector<std::string> kColHeadingButtonNames = {"cbCell", "cbButton", "cbGrid", "cbNone"};
const std::vector<std::string> kSortPictureNames = {"spUp", "spDown", "spBullet", "spNone"};

template <class T>
auto Picture(TgrPictureKind kind) {
    return std::make_pair([kind](T& o) { return o.GetPicture(kind); },
                          [kind](T& o, TgrDrawOption v) { o.SetPicture(kind, v); });
}

void RegisterGrid() {
    using G = TgrBaseGrid;
    TPublished<G>()
        .Integer("Cols", [](G& g) { return g.GetCols(); }, [](G& g, Integer v) { g.SetCols(v); })
        .Integer("Rows", &G::Rows, &G::SetRows)
        .Integer("DefaultColWidth", [](G& g) { return g.DefaultColWidth(); },
                 [](G& g, Integer v) { g.SetDefaultColWidth(v); })
        .Integer("DefaultRowHeight", [](G& g) { return g.DefaultRowHeight(); },
                 [](G& g, Integer v) { g.SetDefaultRowHeight(v); })
        .Boolean("HeadingOn", &G::HeadingOn, &G::SetHeadingOn)
        .Integer("HeadingHeight", &G::HeadingHeight, &G::SetHeadingHeight)
        .Boolean("RowBarOn", &G::RowBarOn, &G::SetRowBarOn)
        .Integer("RowBarWidth", &G::RowBarWidth, &G::SetRowBarWidth)
        .Integer("FixedColCount", &G::FixedColCount, &G::SetFixedColCount)
        .Integer("FixedRowCount", &G::FixedRowCount, &G::SetFixedRowCount)
        .Enumeration("GridMode", kGridModeNames, &G::GridMode, &G::SetGridMode)
        .Enumeration("RowSelectMode", kRowSelectModeNames, &G::RowSelectMode, &G::SetRowSelectMode)
        .Enumeration("ColSelectMode", kColSelectModeNames, &G::ColSelectMode, &G::SetColSelectMode)
        .Enumeration("CellSelectMode", kCellSelectModeNames, &G::CellSelectMode, &G::SetCellSelectMode)
        .Enumeration("SelectionType", kSelectionTypeNames, &G::SelectionType, &G::SetSelectionType)
        .Integer("SelectionColor", &G::SelectionColor, &G::SetSelectionColor)
        .Integer("SelectionFontColor", &G::SelectionFontColor, &G::SetSelectionFontColor)
        .Boolean("SelectFixed", &G::SelectFixed, &G::SetSelectFixed)
        .Boolean("ColMoving", &G::ColMoving, &G::SetColMoving)
        .Boolean("RowMoving", &G::RowMoving, &G::SetRowMoving)
        .Enumeration("ResizeCols", kResizeColsNames, &G::ResizeCols, &G::SetResizeCols)
        .Enumeration("ResizeRows", kResizeRowsNames, &G::ResizeRows, &G::SetResizeRows)
        .Boolean("ResizeColsInGrid", &G::ResizeColsInGrid, &G::SetResizeColsInGrid)
        .Boolean("ResizeRowsInGrid", &G::ResizeRowsInGrid, &G::SetResizeRowsInGrid)
        .Enumeration("GridLines", kGridLinesNames, &G::GridLines, &G::SetGridLines)
        .Integer("LineColor", &G::LineColor, &G::SetLineColor)
        .Integer("FixedLineColor", &G::FixedLineColor, &G::SetFixedLineColor)
        .Enumeration("DrawOverlap", kDrawOverlapNames, &G::DrawOverlap, &G::SetDrawOverlap)
        .Integer("Color", [](G& g) { return g.Color(); }, [](G& g, TColor v) { g.SetColor(v); })
        .Boolean("Is3D", &G::Is3D, &G::SetIs3D)
        .Boolean("Heading3D", &G::Heading3D, &G::SetHeading3D)
        .Integer("HeadingColor", &G::HeadingColor, &G::SetHeadingColor)
        .Boolean("HeadingParentFont", &G::HeadingParentFont, &G::SetHeadingParentFont)
        .Enumeration("HeadingHorzAlignment", kHorzAlignmentNames, &G::HeadingHorzAlignment,
                     &G::SetHeadingHorzAlignment)
        .Enumeration("HeadingVertAlignment", kVertAlignmentNames, &G::HeadingVertAlignment,
                     &G::SetHeadingVertAlignment)
        .Enumeration("HeadingWordWrap", kWordWrapNames, &G::HeadingWordWrap, &G::SetHeadingWordWrap)
        .Enumeration("HeadingButton", kHeadingButtonNames, &G::HeadingButton, &G::SetHeadingButton)
        .Enumeration("HorzAlignment", kHorzAlignmentNames, &G::HorzAlignment, &G::SetHorzAlignment)
        .Enumeration("VertAlignment", kVertAlignmentNames, &G::VertAlignment, &G::SetVertAlignment)
        .Enumeration("RowBarAlignment", kVertAlignmentNames, &G::RowBarAlignment, &G::SetRowBarAlignment)
        .Boolean("RowBarIndicator", &G::RowBarIndicator, &G::SetRowBarIndicator)
        .Enumeration("RowChangedIndicator", kRowChangedNames, &G::RowChangedIndicator, &G::SetRowChangedIndicator)
        .Enumeration("WordWrap", kWordWrapNames, &G::WordWrap, &G::SetWordWrap)
        .Integer("EditColor", &G::EditColor, &G::SetEditColor)
        .Integer("EditFontColor", &G::EditFontColor, &G::SetEditFontColor)
        .Enumeration("FocusBorder", kFocusBorderNames, &G::FocusBorder, &G::SetFocusBorder)
        .Integer("FocusColor", &G::FocusColor, &G::SetFocusColor)
        .Integer("FocusFontColor", &G::FocusFontColor, &G::SetFocusFontColor)
        .Boolean("AlwaysShowEditor", &G::AlwaysShowEditor, &G::SetAlwaysShowEditor)
        .Boolean("AlwaysShowFocus", &G::AlwaysShowFocus, &G::SetAlwaysShowFocus)
        .Boolean("SkipReadOnly", &G::SkipReadOnly, &G::SetSkipReadOnly)
        .Boolean("TabRowWrap", &G::TabRowWrap, &G::SetTabRowWrap)
        .Boolean("WantTabs", &G::WantTabs, &G::SetWantTabs)
        .Boolean("CheckMouseFocus", &G::CheckMouseFocus, &G::SetCheckMouseFocus)
        .Enumeration("CheckBoxStyle", kCheckBoxStyleNames, &G::CheckBoxStyle, &G::SetCheckBoxStyle)
        .String("CheckBoxValues", [](G& g) { return g.CheckBoxValues(); },
                [](G& g, const std::string& v) { g.SetCheckBoxValues(v); })
        .Enumeration("ScrollBars", kScrollStyleNames, &G::ScrollBars, &G::SetScrollBars)
        .Enumeration("AlwaysShowScrollBar", kScrollStyleNames, &G::AlwaysShowScrollBar, &G::SetAlwaysShowScrollBar)
        .Enumeration("ScrollSpeed", kScrollSpeedNames, &G::ScrollSpeed, &G::SetScrollSpeed)
        .Boolean("ThumbTracking", &G::ThumbTracking, &G::SetThumbTracking)
        .Boolean("FlatButtons", &G::FlatButtons, &G::SetFlatButtons)
        .Boolean("ReadOnlyButton", &G::ReadOnlyButton, &G::SetReadOnlyButton)
        .Integer("ButtonEdgeWidth", &G::ButtonEdgeWidth, &G::SetButtonEdgeWidth)
        .Integer("DefaultButtonWidth", &G::DefaultButtonWidth, &G::SetDefaultButtonWidth)
        .Integer("DefaultButtonHeight", &G::DefaultButtonHeight, &G::SetDefaultButtonHeight)
        .Integer("SpinButtonWidth", &G::SpinButtonWidth, &G::SetSpinButtonWidth)
        .Integer("SpinButtonHeight", &G::SpinButtonHeight, &G::SetSpinButtonHeight)
        .Integer("SpinStartDelay", &G::SpinStartDelay, &G::SetSpinStartDelay)
        .Integer("SpinRepeatDelay", &G::SpinRepeatDelay, &G::SetSpinRepeatDelay)
        .Enumeration("InactiveButtonState", kInactiveButtonNames, &G::InactiveButtonState,
                     &G::SetInactiveButtonState)
        .Boolean("StretchPicture", &G::StretchPicture, &G::SetStretchPicture)
        .Boolean("ShrinkPicture", &G::ShrinkPicture, &G::SetShrinkPicture)
        .Boolean("CenterPicture", &G::CenterPicture, &G::SetCenterPicture)
        .Boolean("KeepAspectRatio", &G::KeepAspectRatio, &G::SetKeepAspectRatio)
        .Integer("TransparentColor", &G::TransparentColor, &G::SetTransparentColor)
        .Boolean("StoreData", &G::StoreData, &G::SetStoreData)
        .Boolean("AutoScale", &G::GetAutoScale, &G::SetAutoScale)
        .String("PrintTitle", &G::PrintTitle, &G::SetPrintTitle)
        .Integer("PrintLinesPerPage", &G::PrintLinesPerPage, &G::SetPrintLinesPerPage)
        .Enumeration("PrintOrientation", kPrintModeNames, &G::PrintOrientation, &G::SetPrintOrientation)
        .Boolean("PrintTotals", &G::PrintTotals, &G::SetPrintTotals)
        .Integer("PrintCols", &G::PrintCols, &G::SetPrintCols)
        .Boolean("PrintWithGridFormats", &G::PrintWithGridFormats, &G::SetPrintWithGridFormats)
        .Boolean("ProvideGridMenu", &G::ProvideGridMenu, &G::SetProvideGridMenu);
}

void RegisterCol() {
    using C = TgrCol;
    auto stretch = Picture<C>(pkStretchPicture), shrink = Picture<C>(pkShrinkPicture),
         center = Picture<C>(pkCenterPicture), aspect = Picture<C>(pkKeepAspectRatio);
    TPublished<C>()
        .Boolean("AllowGrayed", [](C& c) { return c.GetAllowGrayed(); }, [](C& c, bool v) { c.SetAllowGrayed(v); })
        .Enumeration("ButtonType", kButtonTypeNames, &C::ButtonType, &C::SetButtonType)
        .String("CheckBoxValues", [](C& c) { return c.CheckBoxValues(); },
                [](C& c, const std::string& v) { c.SetCheckBoxValues(v); })
        .Enumeration("CenterPicture", kDrawOptionNames, center.first, center.second)
        .Integer("Color", &C::Color, &C::SetColor)
        .Enumeration("ControlType", kControlTypeNames, &C::ControlType,
                     [](C& c, TgrControlType v) { c.SetControlType(v); })
        .Integer("DisplayCol", &C::DisplayCol, [](C& c, Integer v) { c.SetDisplayCol(v); })
        .Enumeration("DropDownStyle", kDropDownStyleNames, &C::GetDropDownStyle, &C::SetDropDownStyle)
        .String("FieldName", [](C& c) { return c.FieldName(); },
                [](C& c, const std::string& v) { c.SetFieldName(v); })
        .String("Heading", [](C& c) { return c.HeadingText(); }, [](C& c, const std::string& v) { c.SetHeading(v); })
        .Enumeration("HeadingButton", kColHeadingButtonNames, &C::HeadingButton, &C::SetHeadingButton)
        .Enumeration("HeadingHorzAlignment", kHorzAlignmentNames, &C::HeadingHorzAlignment,
                     &C::SetHeadingHorzAlignment)
        .Boolean("HeadingParentFont", &C::HeadingParentFont, &C::SetHeadingParentFont)
        .Enumeration("HeadingVertAlignment", kVertAlignmentNames, &C::HeadingVertAlignment,
                     &C::SetHeadingVertAlignment)
        .Enumeration("HeadingWordWrap", kWordWrapNames, &C::HeadingWordWrap, &C::SetHeadingWordWrap)
        .Integer("HeadingColor", &C::HeadingColor, &C::SetHeadingColor)
        .Boolean("Is3D", &C::Is3D, &C::SetIs3D)
        .Enumeration("KeepAspectRatio", kDrawOptionNames, aspect.first, aspect.second)
        .String("MaskName", [](C& c) { return c.MaskName(); }, [](C& c, const std::string& v) { c.SetMaskName(v); })
        .Integer("MaxLength", &C::MaxLength, [](C& c, Integer v) { c.SetMaxLength(v); })
        .Boolean("ParentCombo", &C::ParentCombo, &C::SetParentCombo)
        .Boolean("ParentFont", &C::ParentFont, &C::SetParentFont)
        .Boolean("ReadOnly", [](C& c) { return c.GetReadOnly(); }, &C::SetReadOnly)
        .Enumeration("ShrinkPicture", kDrawOptionNames, shrink.first, shrink.second)
        .Enumeration("SortPicture", kSortPictureNames, &C::SortPicture, &C::SetSortPicture)
        .Float("SpinIncrement", &C::SpinIncrement, &C::SetSpinIncrement)
        .Integer("SpinOptions", &C::SpinOptions, &C::SetSpinOptions)
        .Enumeration("StretchPicture", kDrawOptionNames, stretch.first, stretch.second)
        .Enumeration("HorzAlignment", kHorzAlignmentNames, [](C& c) { return c.GetHorzAlignment(); },
                     [](C& c, TgrHorzAlignment v) { c.SetHorzAlignment(v); })
        .Enumeration("VertAlignment", kVertAlignmentNames, &C::VertAlignment, &C::SetVertAlignment)
        .Boolean("Visible", &C::Visible, [](C& c, bool v) { c.SetVisible(v); })
        .Integer("Width", &C::Width, [](C& c, Integer v) { c.SetWidth(v); })
        .Enumeration("WordWrap", kWordWrapNames, &C::WordWrap, &C::SetWordWrap)
        .Boolean("PrintTotals", &C::PrintTotals, &C::SetPrintTotals);
}

void RegisterRow() {
    using R = TgrRow;
    auto stretch = Picture<R>(pkStretchPicture), shrink = Picture<R>(pkShrinkPicture),
         center = Picture<R>(pkCenterPicture), aspect = Picture<R>(pkKeepAspectRatio);
    TPublished<R>()
        .Enumeration("ButtonType", kButtonTypeNames, &R::ButtonType, &R::SetButtonType)
        .Enumeration("CenterPicture", kDrawOptionNames, center.first, center.second)
        .Integer("Color", &R::Color, &R::SetColor)
        .Enumeration("ControlType", kControlTypeNames, &R::ControlType, &R::SetControlType)
        .Enumeration("DropDownStyle", kDropDownStyleNames, &R::GetDropDownStyle, &R::SetDropDownStyle)
        .Integer("Height", &R::Height, &R::SetHeight)
        .Enumeration("HorzAlignment", kHorzAlignmentNames, &R::HorzAlignment,
                     [](R& r, TgrHorzAlignment v) { r.SetHorzAlignment(v); })
        .Boolean("Is3D", &R::Is3D, &R::SetIs3D)
        .Enumeration("KeepAspectRatio", kDrawOptionNames, aspect.first, aspect.second)
        .String("MaskName", [](R& r) { return r.MaskName(); }, [](R& r, const std::string& v) { r.SetMaskName(v); })
        .Boolean("ParentCombo", &R::ParentCombo, &R::SetParentCombo)
        .Boolean("ParentFont", &R::ParentFont, &R::SetParentFont)
        .Boolean("ReadOnly", &R::ReadOnly, &R::SetReadOnly)
        .Enumeration("ShrinkPicture", kDrawOptionNames, shrink.first, shrink.second)
        .Float("SpinIncrement", &R::SpinIncrement, &R::SetSpinIncrement)
        .Integer("SpinOptions", &R::SpinOptions, &R::SetSpinOptions)
        .Enumeration("StretchPicture", kDrawOptionNames, stretch.first, stretch.second)
        .Enumeration("VertAlignment", kVertAlignmentNames, &R::VertAlignment, &R::SetVertAlignment)
        .Boolean("Visible", &R::Visible, &R::SetVisible)
        .Enumeration("WordWrap", kWordWrapNames, &R::WordWrap, &R::SetWordWrap);
}

// ------------------------------------------------------- value writing

void WriteValueOf(TWriter& w, const TPropInfo& p, TObject& o) {
    TPropValue v = p.Get(o);
    switch (p.Kind) {
        case pkString: w.WriteString(std::get<std::string>(v)); break;
        case pkInteger: w.WriteInteger(std::get<Int64>(v)); break;
        case pkBoolean: w.WriteBoolean(std::get<bool>(v)); break;
        case pkFloat: w.WriteFloat(std::get<double>(v)); break;
        case pkEnumeration: {
            Int64 i = std::get<Int64>(v);
            w.WriteIdent(i >= 0 && i < Int64(p.EnumNames.size()) ? p.EnumNames[std::size_t(i)] : "");
            break;
        }
        case pkBinary: {
            const std::string& b = std::get<std::string>(v);
            w.WriteBinary(std::vector<Byte>(b.begin(), b.end()));
            break;
        }
    }
}

TPropValue ReadValueFor(TReader& r, const TPropInfo& p) {
    switch (p.Kind) {
        case pkString: return r.ReadString();
        case pkInteger: return Int64(r.ReadInt64());
        case pkBoolean: return r.ReadBoolean();
        case pkFloat: return r.ReadFloat();
        case pkEnumeration: {
            std::string ident = r.ReadIdent();
            for (std::size_t i = 0; i < p.EnumNames.size(); ++i)
                if (SameText(p.EnumNames[i], ident)) return Int64(i);
            Refuse("\"" + ident + "\" is no value of " + p.Name);
        }
        case pkBinary: {
            std::vector<Byte> b = r.ReadBinary();
            return std::string(b.begin(), b.end());
        }
    }
    Refuse("property " + p.Name);
}

// Whether a column's or row's property is written at all: a column's
// display position only when it moved, its heading text only when set, a
// spin step only when not 1.
bool StoredAttribute(TObject& o, const std::string& name) {
    // A descendant grid may keep its counts out of the file.
    if (auto* g = dynamic_cast<TgrBaseGrid*>(&o)) {
        if (name == "Cols") return g->IsColsStored();
        if (name == "Rows") return g->IsRowsStored();
    }
    if (auto* c = dynamic_cast<TgrCol*>(&o)) {
        if (name == "DisplayCol") return c->IsDisplayColStored();
        if (name == "Heading") return c->IsHeadingStored();
        if (name == "SpinIncrement") return c->IsSpinIncrementStored();
    }
    if (auto* r = dynamic_cast<TgrRow*>(&o))
        if (name == "SpinIncrement") return r->IsSpinIncrementStored();
    return true;
}

// Every stored published property of o under a prefix ("Col." ...); with a
// reference object only those whose value differs from its value.
void WritePublished(TWriter& w, TObject& o, const std::string& prefix, TObject* reference) {
    for (const TPropInfo* p : GetPropList(o)) {
        if (!p->Get || !p->IsStored(o) || !StoredAttribute(o, p->Name)) continue;
        if (reference && p->Get(*reference) == p->Get(o)) continue;
        w.WriteString(prefix + p->Name);
        WriteValueOf(w, *p, o);
    }
}

// Reads a published property by name; False when o has none of that name.
bool ReadPublished(TReader& r, TObject& o, const std::string& name) {
    const TPropInfo* p = GetPropInfo(o, name);
    if (!p) return false;
    TPropValue v = ReadValueFor(r, *p);
    if (p->Set) p->Set(o, v);
    return true;
}

void WriteFont(TWriter& w, const std::string& prefix, const TFont& f) {
    w.WriteString(prefix + "Name");
    w.WriteString(f.Name());
    w.WriteString(prefix + "Height");
    w.WriteInteger(f.Height());
    w.WriteString(prefix + "Color");
    w.WriteInteger(Int64(std::uint32_t(f.Color())));
    w.WriteString(prefix + "Style");
    w.WriteInteger(Int64(f.Style()));
}

// One font property ("Name", "Height", "Color", "Style") into a font.
bool ReadFontProperty(TReader& r, const std::string& sub, TFont& f) {
    if (SameText(sub, "Name")) f.SetName(r.ReadString());
    else if (SameText(sub, "Height")) {
        Integer h = r.ReadInteger();
        if (h < -1000 || h > 1000) Refuse("font height " + std::to_string(h));
        f.SetHeight(h);
    } else if (SameText(sub, "Color")) f.SetColor(TColor(std::uint32_t(r.ReadInt64())));
    else if (SameText(sub, "Style")) f.SetStyle(TFontStyles(r.ReadInteger() & 15));
    else return false;
    return true;
}

// "Font.Name" -> "Name" when name starts with the prefix.
bool SubName(const std::string& name, const std::string& prefix, std::string& sub) {
    if (name.size() <= prefix.size() || !SameText(name.substr(0, prefix.size()), prefix)) return false;
    sub = name.substr(prefix.size());
    return true;
}

std::vector<Byte> StreamBytes(TMemoryStream& s) {
    std::vector<Byte> bytes(std::size_t(s.Size()));
    s.Seek(0, soBeginning);
    if (!bytes.empty()) s.ReadBuffer(bytes.data(), Integer(bytes.size()));
    return bytes;
}

// A combo travels as its settings and its list grid as a component.
void WriteCombo(TWriter& w, TgrCombo& combo) {
    TMemoryStream s;
    TWriter cw(s);
    cw.WriteListBegin();
    cw.WriteInteger(combo.GetDropDownRows());
    cw.WriteInteger(combo.GetDropDownCols());
    cw.WriteInteger(combo.GetValueCol());
    cw.WriteInteger(combo.GetDropDownWidth());
    cw.WriteInteger(Integer(combo.GetDropDownStyle()));
    cw.WriteBoolean(combo.ComboGrid() != nullptr);
    if (combo.ComboGrid()) WriteGridComponent(cw, *combo.ComboGrid());
    // The search settings follow; a file written before they travelled
    // ends the list here.
    cw.WriteBoolean(combo.GetValueColSorted());
    cw.WriteInteger(Integer(combo.GetCompareType()));
    cw.WriteInteger(Integer(combo.GetAutoSearch()));
    cw.WriteBoolean(combo.GetAutoFill());
    cw.WriteInteger(Integer(combo.GetAutoFillConvertCase()));
    cw.WriteBoolean(combo.GetAutoLookup());
    cw.WriteListEnd();
    w.WriteBinary(StreamBytes(s));
}

// Combos hold list grids that may hold combos again; a file nesting them
// deeper than any form does is refused before the stack runs out.
constexpr int kMaxComboNesting = 4;
thread_local int comboNesting = 0;

template <class Owner>
void ReadCombo(TReader& r, Owner& owner) {
    if (comboNesting >= kMaxComboNesting) Refuse("combos nested too deeply");
    struct Nest {
        Nest() { ++comboNesting; }
        ~Nest() { --comboNesting; }
    } nest;
    std::vector<Byte> bytes = r.ReadBinary();
    TMemoryStream s;
    if (!bytes.empty()) s.WriteBuffer(bytes.data(), Integer(bytes.size()));
    s.Seek(0, soBeginning);
    TReader cr(s);
    cr.ReadListBegin();
    // A combo already there first gets a new list grid's values back, so
    // that what the file leaves at its defaults is not kept from before.
    if (!owner.Combo()) owner.CreateCombo();
    else if (TgrBaseGrid* list = owner.Combo()->ComboGrid())
        list->ResetAllProperties();
    TgrCombo* combo = owner.Combo();
    if (!combo) Refuse("combo of a grid without combos");
    auto bounded = [&](Integer low, Integer high, const char* what) {
        Integer v = cr.ReadInteger();
        if (v < low || v > high) Refuse(std::string(what) + " " + std::to_string(v));
        return v;
    };
    combo->SetDropDownRows(bounded(0, 1000, "DropDownRows"));
    combo->SetDropDownCols(bounded(0, 1000, "DropDownCols"));
    combo->SetValueCol(bounded(0, Integer(kMaxFormCols), "ValueCol"));
    combo->SetDropDownWidth(bounded(0, 100000, "DropDownWidth"));
    combo->SetDropDownStyle(TgrDropDownStyle(bounded(0, 1, "DropDownStyle")));
    if (cr.ReadBoolean()) {
        if (!combo->ComboGrid()) Refuse("combo without a list grid");
        ReadGridComponent(cr, *combo->ComboGrid());
        combo->ComboGrid()->SetName("");
    }
    if (!cr.EndOfList()) {
        combo->SetValueColSorted(cr.ReadBoolean());
        combo->SetCompareType(TgrComboCompareType(bounded(0, Integer(ctOwn), "CompareType")));
        combo->SetAutoSearch(TgrComboAutoSearchType(bounded(0, Integer(asBottom), "AutoSearch")));
        // Stored as it stands: switching AutoFill on picks no search kind
        // while the search kind was just read.
        bool autoFill = cr.ReadBoolean();
        TgrComboAutoSearchType search = combo->GetAutoSearch();
        combo->SetAutoFill(autoFill);
        combo->SetAutoSearch(search);
        combo->SetAutoFillConvertCase(TgrConvertCase(bounded(0, Integer(afcOnExit), "AutoFillConvertCase")));
        combo->SetAutoLookup(cr.ReadBoolean());
    }
    cr.ReadListEnd();
}

// Reads a legacy alignment identifier or flag of a column or row.
template <class Owner>
bool ReadLegacyAlignment(TReader& r, Owner& owner, const std::string& name) {
    if (SameText(name, "Alignment")) owner.SetAlignment(TAlignment(ReadAlignmentIdent(r)));
    else if (SameText(name, "Align")) owner.SetAlign(r.ReadBoolean());
    else if (SameText(name, "Combo")) ReadCombo(r, owner);
    else return false;
    return true;
}

// The collection a writer writes for a kind (0 columns, 1 rows, 2 cells),
// or none when it is not stored.
std::unique_ptr<TgrPropCollection> StoredCollection(TgrBaseGrid& grid, int kind, TgrBaseGrid* ancestor) {
    if (!grid.IsWriting() || !grid.CanStoreProperties()) return nullptr;
    auto make = [kind](TgrBaseGrid& g) -> std::unique_ptr<TgrPropCollection> {
        if (kind == 0) return g.CreateColCollection(true);
        if (kind == 1) return g.CreateRowCollection(true);
        return g.CreateCellCollection(true);
    };
    std::unique_ptr<TgrPropCollection> own = make(grid);
    bool compare = ancestor && (kind == 0 || grid.IsDesigning());
    if (compare) {
        bool writing = ancestor->IsWriting();
        ancestor->SetWritingLayout(true);
        std::unique_ptr<TgrPropCollection> theirs;
        try {
            theirs = make(*ancestor);
        } catch (...) {
            ancestor->SetWritingLayout(writing);
            throw;
        }
        ancestor->SetWritingLayout(writing);
        if (own->Equals(*theirs)) own->Clear();
    }
    if (own->Count() == 0) return nullptr;
    return own;
}

// Applies the display positions read with a collection, lowest first.
template <class Move>
void PlacePending(TgrPropCollection& c, Move move) {
    std::sort(c.PendingMoves.begin(), c.PendingMoves.end());
    for (auto [display, data] : c.PendingMoves) move(data, display);
    c.PendingMoves.clear();
}

}  // namespace

// ------------------------------------------------------------- filers

void TgrFormWriter::DefineProperty(const std::string& name, ReadProc, WriteProc write, bool hasData) {
    if (!hasData || !write) return;
    w_.WriteString(name);
    write(w_);
}

void TgrFormWriter::DefineBinaryProperty(const std::string& name, StreamProc, StreamProc write, bool hasData) {
    if (!hasData || !write) return;
    TMemoryStream s;
    write(s);
    w_.WriteString(name);
    w_.WriteBinary(StreamBytes(s));
}

void TgrFormReader::DefineProperty(const std::string& name, ReadProc read, WriteProc, bool) {
    if (read) reads_[LowerCase(name)] = std::move(read);
}

void TgrFormReader::DefineBinaryProperty(const std::string& name, StreamProc read, StreamProc, bool) {
    if (!read) return;
    reads_[LowerCase(name)] = [read](TReader& r) {
        std::vector<Byte> bytes = r.ReadBinary();
        TMemoryStream s;
        if (!bytes.empty()) s.WriteBuffer(bytes.data(), Integer(bytes.size()));
        s.Seek(0, soBeginning);
        read(s);
    };
}

bool TgrFormReader::Read(const std::string& name, TReader& r) {
    auto it = reads_.find(LowerCase(name));
    if (it == reads_.end()) return false;
    it->second(r);
    return true;
}

void RegisterGridPublished() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterGrid();
        RegisterCol();
        RegisterRow();
    });
}

// ============================================================ collections

TgrPropCollection::~TgrPropCollection() = default;

void TgrPropCollection::Write(TWriter& w) {
    w.WriteValue(vaCollection);
    for (auto& item : items_) {
        w.WriteListBegin();
        item->WriteItem(w);
        w.WriteListEnd();
    }
    w.WriteListEnd();
}

void TgrPropCollection::Read(TReader& r) {
    if (r.ReadValue() != vaCollection) Refuse("a collection was expected");
    while (!r.EndOfList()) {
        r.ReadListBegin();
        TgrCollectionItem* item = Add();
        while (!r.EndOfList()) {
            std::string name = r.ReadString();
            if (!item->ReadItemProperty(name, r)) Refuse("unknown property \"" + name + "\"");
        }
        r.ReadListEnd();
    }
    r.ReadListEnd();
}

bool TgrPropCollection::Equals(TgrPropCollection& other) {
    if (Count() != other.Count()) return false;
    TMemoryStream a, b;
    TWriter wa(a), wb(b);
    Write(wa);
    other.Write(wb);
    return StreamBytes(a) == StreamBytes(b);
}

// -------------------------------------------------------------- columns

TgrColCollection* TgrColItem::Cols() const { return static_cast<TgrColCollection*>(collection_); }

void TgrColItem::SetDataCol(Integer value) {
    dataCol_ = value;
    if (Cols()->ByDataCol) {
        TgrBaseGrid* grid = collection_->Grid();
        grid->CheckColRowIndex(1, value, grid->Cols(), 1);
        col_ = grid->Col(value);
    }
}

void TgrColItem::SetFieldName(const std::string& value) {
    fieldName_ = value;
    if (Cols()->ByDataCol) return;
    TgrBaseGrid* grid = collection_->Grid();
    col_ = grid->GridCols()->GetColByFieldName(value);
    if (col_) col_->ResetProperties(grid->LayoutResetIds());
    Cols()->FieldMap.push_back({dataCol_, col_ ? col_->GetDataCol() : 0});
}

void TgrColItem::MatchUnnamedColumn() {
    // Read by field name, an item without one belongs to the grid's column
    // of the same data column when that column has no field name either;
    // otherwise such columns would lose their attributes on every load.
    TgrBaseGrid* grid = collection_->Grid();
    if (dataCol_ < 1 || dataCol_ > grid->Cols()) return;
    TgrCol* col = grid->Col(dataCol_);
    if (!col || !col->FieldName().empty()) return;
    col_ = col;
    col_->ResetProperties(grid->LayoutResetIds());
    Cols()->FieldMap.push_back({dataCol_, dataCol_});
}

TgrCol* TgrColItem::GetCol() {
    if (!col_) col_ = Cols()->ScratchGrid()->Col(1);
    return col_;
}

void TgrColItem::WriteItem(TWriter& w) {
    w.WriteString("DataCol");
    w.WriteInteger(dataCol_);
    if (!fieldName_.empty()) {
        w.WriteString("FieldName");
        w.WriteString(fieldName_);
    }
    TgrCol* col = GetCol();
    WritePublished(w, *col, "Col.", nullptr);
    col->WriteOwnProperties(w);
    if (TFont* f = col->GetFont()) WriteFont(w, "Col.Font.", *f);
    if (TFont* f = col->GetHeadingFont()) WriteFont(w, "Col.HeadingFont.", *f);
    if (col->IsComboStored()) {
        w.WriteString("Col.Combo");
        WriteCombo(w, *col->Combo());
    }
}

bool TgrColItem::ReadItemProperty(const std::string& name, TReader& r) {
    if (SameText(name, "DataCol")) {
        SetDataCol(r.ReadInteger());
        return true;
    }
    if (SameText(name, "FieldName")) {
        SetFieldName(r.ReadString());
        return true;
    }
    std::string sub, font;
    if (!SubName(name, "Col.", sub)) return false;
    if (!col_ && !Cols()->ByDataCol && fieldName_.empty()) MatchUnnamedColumn();
    // An item without a column of the grid reads into the scratch grid.
    const bool ownColumn = col_ != nullptr;
    TgrCol* col = GetCol();
    if (SubName(sub, "Font.", font)) return ReadFontProperty(r, font, *col->GetFont());
    if (SubName(sub, "HeadingFont.", font)) return ReadFontProperty(r, font, *col->GetHeadingFont());
    if (SameText(sub, "HeadingAlignment")) {
        col->SetHeadingAlignment(TAlignment(ReadAlignmentIdent(r)));
        return true;
    }
    if (SameText(sub, "HeadingAlign")) {
        col->SetHeadingAlign(r.ReadBoolean());
        return true;
    }
    if (SameText(sub, "DisplayCol")) {
        Integer v = r.ReadInteger();
        if (ownColumn) collection_->PendingMoves.push_back({v, col->GetDataCol()});
        return true;
    }
    return ReadLegacyAlignment(r, *col, sub) || col->ReadOwnProperty(sub, r) || ReadPublished(r, *col, sub);
}

TgrColCollection::~TgrColCollection() { delete scratch_; }

TgrCollectionItem* TgrColCollection::Add() {
    items_.push_back(std::make_unique<TgrColItem>(this));
    return items_.back().get();
}

TgrBaseGrid* TgrColCollection::ScratchGrid() {
    if (!scratch_) {
        // A list grid of the grid's own kind serves as a scratch grid; a
        // grid that cannot make one drops unknown columns' properties into
        // a combo-free stand-in of the same kind.
        scratch_ = grid_->CreateComboGrid();
        if (!scratch_) Refuse("a column that the grid does not have");
        scratch_->SetCols(1);
    }
    return scratch_;
}

// ----------------------------------------------------------------- rows

void TgrRowItem::SetDataRow(Integer value) {
    dataRow_ = value;
    TgrBaseGrid* grid = collection_->Grid();
    grid->CheckColRowIndex(0, value, grid->Rows(), 1);
    row_ = grid->GridRows()->EnsureRow(value);
}

void TgrRowItem::SetDisplayRow(Integer value) {
    displayRow_ = value;
    TgrBaseGrid* grid = collection_->Grid();
    if (value < 1 || value > grid->Rows()) Refuse("display row " + std::to_string(value));
    if (dataRow_ > 0) collection_->PendingMoves.push_back({value, dataRow_});
}

bool TgrRowItem::GetSelected() const {
    TgrBaseGrid* grid = collection_->Grid();
    return grid->IsDisplayRowSelected(grid->DisplayRowOfData(dataRow_));
}

void TgrRowItem::SetSelected(bool value) {
    TgrBaseGrid* grid = collection_->Grid();
    if (dataRow_ < 1 || !value) return;
    Integer display = grid->DisplayRowOfData(dataRow_);
    grid->SelectDisplayRows(display, display);
}

void TgrRowItem::WriteItem(TWriter& w) {
    w.WriteString("DataRow");
    w.WriteInteger(dataRow_);
    w.WriteString("DisplayRow");
    w.WriteInteger(displayRow_);
    if (GetSelected()) {
        w.WriteString("Selected");
        w.WriteBoolean(true);
    }
    if (!row_) return;
    WritePublished(w, *row_, "Row.", nullptr);
    if (!row_->ParentFont() && row_->OwnFont()) WriteFont(w, "Row.Font.", *row_->OwnFont());
    if (row_->IsComboStored()) {
        w.WriteString("Row.Combo");
        WriteCombo(w, *row_->Combo());
    }
}

bool TgrRowItem::ReadItemProperty(const std::string& name, TReader& r) {
    if (SameText(name, "DataRow")) SetDataRow(r.ReadInteger());
    else if (SameText(name, "DisplayRow")) SetDisplayRow(r.ReadInteger());
    else if (SameText(name, "Selected")) SetSelected(r.ReadBoolean());
    else {
        std::string sub, font;
        if (!SubName(name, "Row.", sub)) return false;
        if (!row_) Refuse(name + " before DataRow");
        if (SubName(sub, "Font.", font)) return ReadFontProperty(r, font, *row_->GetFont());
        return ReadLegacyAlignment(r, *row_, sub) || ReadPublished(r, *row_, sub);
    }
    return true;
}

TgrCollectionItem* TgrRowCollection::Add() {
    items_.push_back(std::make_unique<TgrRowItem>(this));
    return items_.back().get();
}

// ---------------------------------------------------------------- cells

TgrCellItem::TgrCellItem(TgrCellCollection* collection) : TgrCollectionItem(collection) {
    if (collection->Grid()->IsReading()) {
        ownCell_ = collection->CreateCellFacade();
        cell_ = ownCell_.get();
    } else {
        cell_ = collection->SharedCell();
    }
}

TgrCell* TgrCellItem::GetCell() {
    TgrBaseGrid* grid = collection_->Grid();
    grid->CheckColRowIndex(1, dataCol_, grid->Cols(), 1);
    grid->CheckColRowIndex(0, dataRow_, grid->Rows(), 1);
    cell_->DataCol = dataCol_;
    cell_->DataRow = Variant(dataRow_);
    return cell_;
}

void TgrCellItem::WriteItem(TWriter& w) {
    w.WriteString("DataCol");
    w.WriteInteger(dataCol_);
    w.WriteString("DataRow");
    w.WriteInteger(dataRow_);
    TgrCell* cell = GetCell();
    TgrCell blank(collection_->Grid(), 0, Variant(0));
    WritePublished(w, *cell, "Cell.", &blank);
    if (!cell->GetParentFont() && cell->GetFont()) WriteFont(w, "Cell.Font.", *cell->GetFont());
}

bool TgrCellItem::ReadItemProperty(const std::string& name, TReader& r) {
    if (SameText(name, "DataCol")) dataCol_ = r.ReadInteger();
    else if (SameText(name, "DataRow")) dataRow_ = r.ReadInteger();
    else {
        std::string sub, font;
        if (!SubName(name, "Cell.", sub)) return false;
        TgrCell* cell = GetCell();
        if (SubName(sub, "Font.", font)) {
            TFont f;
            f.Assign(cell->GetFont() ? *cell->GetFont() : *collection_->Grid()->Font());
            if (!ReadFontProperty(r, font, f)) return false;
            cell->SetFont(&f);
            return true;
        }
        return ReadPublished(r, *cell, sub);
    }
    return true;
}

TgrCellCollection::TgrCellCollection(TgrBaseGrid* grid) : TgrPropCollection(grid) {}

TgrCellCollection::~TgrCellCollection() = default;

std::unique_ptr<TgrCell> TgrCellCollection::CreateCellFacade() {
    return std::make_unique<TgrCell>(grid_, 0, Variant(0));
}

TgrCollectionItem* TgrCellCollection::Add() {
    if (!cell_) cell_ = CreateCellFacade();
    items_.push_back(std::make_unique<TgrCellItem>(this));
    return items_.back().get();
}

// ============================================================ the grid

void TgrBaseGrid::EnablePropertyStoring(bool enable) {
    if (!enable) ++propertyStoringLock_;
    else if (propertyStoringLock_ > 0) --propertyStoringLock_;
}

std::unique_ptr<TgrColCollection> TgrBaseGrid::CreateColCollection(bool fill) {
    auto c = std::make_unique<TgrColCollection>(this);
    if (!fill) return c;
    for (Integer d = 1; d <= Cols(); ++d) {
        Integer dataCol = DataColOfDisplay(d);
        TgrCol* col = Col(dataCol);
        if (!col || col->IsDefault()) continue;
        static_cast<TgrColItem*>(c->Add())->Fill(dataCol, col->FieldName(), col);
    }
    return c;
}

std::unique_ptr<TgrPropCollection> TgrBaseGrid::CreateRowCollection(bool fill) {
    auto c = std::make_unique<TgrRowCollection>(this);
    if (!fill) return c;
    for (Integer r = 1; r <= Rows(); ++r) {
        Integer display = DisplayRowOfData(r);
        TgrRow* row = r < gridRows_->Count() ? gridRows_->GetRow(r) : nullptr;
        bool selected = IsDisplayRowSelected(display);
        if (display == r && !selected && (!row || row->IsDefault())) continue;
        auto* item = static_cast<TgrRowItem*>(c->Add());
        item->SetRowObject(row && !row->IsDefault() ? row : nullptr);
        item->Fill(r, display);
    }
    return c;
}

std::unique_ptr<TgrCellCollection> TgrBaseGrid::CreateCellCollection(bool fill) {
    auto c = std::make_unique<TgrCellCollection>(this);
    if (!fill || !cellProps_) return c;
    // Pre-order: node, left subtree, right subtree.
    std::vector<TgrSetNode*> stack;
    if (cellProps_->Root()) stack.push_back(cellProps_->Root());
    while (!stack.empty()) {
        TgrSetNode* n = stack.back();
        stack.pop_back();
        auto* e = dynamic_cast<TgrCellElement*>(static_cast<TgrSetElement*>(n->NodeData()));
        if (e && !e->IsDefault()) {
            auto* item = static_cast<TgrCellItem*>(c->Add());
            item->SetDataCol(e->DataCol);
            item->SetDataRow(e->DataRow);
        }
        if (n->Right) stack.push_back(n->Right);
        if (n->Left) stack.push_back(n->Left);
    }
    return c;
}

bool TgrBaseGrid::IsColPropertiesStored(TgrBaseGrid* ancestor) { return StoredCollection(*this, 0, ancestor) != nullptr; }
bool TgrBaseGrid::IsRowPropertiesStored(TgrBaseGrid* ancestor) { return StoredCollection(*this, 1, ancestor) != nullptr; }
bool TgrBaseGrid::IsCellPropertiesStored(TgrBaseGrid* ancestor) {
    return StoredCollection(*this, 2, ancestor) != nullptr;
}

void TgrBaseGrid::DefineProperties(TgrFiler& filer) {
    // Widths and heights travel with the column and row attributes, so the
    // base never stores its own size lists; older files' lists are still
    // read.
    SetStoreExtents(false);
    filer.DefineProperty(
        "ColWidths", [this](TReader& r) { ReadColWidthList(r); }, [this](TWriter& w) { WriteColWidthList(w); },
        false);
    filer.DefineProperty(
        "RowHeights", [this](TReader& r) { ReadRowHeightList(r); }, [this](TWriter& w) { WriteRowHeightList(w); },
        false);
    filer.DefineProperty("EditMode", [this](TReader& r) { ReadLegacyEditMode(r); }, nullptr, false);
    filer.DefineProperty("HeadingAlignment", [this](TReader& r) { ReadLegacyHeadingAlignment(r); }, nullptr, false);
    filer.DefineProperty(
        "ImageListIds", [this](TReader& r) { ReadImageIds(r); }, [this](TWriter& w) { WriteImageIds(w); },
        imageNames_.Count() > 0);

    bool writing = filer.Writing();
    filer.DefineProperty(
        "ColProperties", [this](TReader& r) { ReadColProperties(r); }, [this](TWriter& w) { WriteColProperties(w); },
        writing && IsColPropertiesStored(filer.Ancestor()));
    filer.DefineProperty(
        "RowProperties", [this](TReader& r) { ReadRowProperties(r); }, [this](TWriter& w) { WriteRowProperties(w); },
        writing && IsRowPropertiesStored(filer.Ancestor()));
    filer.DefineProperty(
        "CellProperties", [this](TReader& r) { ReadCellProperties(r); },
        [this](TWriter& w) { WriteCellProperties(w); }, writing && IsCellPropertiesStored(filer.Ancestor()));
    filer.DefineBinaryProperty(
        "Data",
        [this](TStream& s) { ReadStoredData(s); }, [this](TStream& s) { WriteStoredData(s); },
        CanStoreProperties() && storeData_ && storage_);
}

// Older files kept the base's size lists; they are read (entries past the
// current count ignored) but never written again.
void TgrBaseGrid::ReadColWidthList(TReader& reader) {
    reader.ReadListBegin();
    for (Integer i = 0; !reader.EndOfList(); ++i) {
        Integer w = reader.ReadInteger();
        if (i < ColTotal()) SetColWidthAt(i, std::max<Integer>(0, w));
    }
    reader.ReadListEnd();
}

void TgrBaseGrid::ReadRowHeightList(TReader& reader) {
    reader.ReadListBegin();
    for (Integer i = 0; !reader.EndOfList(); ++i) {
        Integer h = reader.ReadInteger();
        if (i < RowTotal()) SetRowHeightAt(i, std::max<Integer>(0, h));
    }
    reader.ReadListEnd();
}

void TgrBaseGrid::WriteColWidthList(TWriter& writer) {
    writer.WriteListBegin();
    for (Integer i = 0; i < ColTotal(); ++i) writer.WriteInteger(GetColWidthAt(i));
    writer.WriteListEnd();
}

void TgrBaseGrid::WriteRowHeightList(TWriter& writer) {
    writer.WriteListBegin();
    for (Integer i = 0; i < RowTotal(); ++i) writer.WriteInteger(GetRowHeightAt(i));
    writer.WriteListEnd();
}

void TgrBaseGrid::ReadLegacyEditMode(TReader& reader) {
    SetGridMode(EditModeToGridMode(ParseEditModeName(reader.ReadIdent())));
}

void TgrBaseGrid::ReadLegacyHeadingAlignment(TReader& reader) {
    SetHeadingHorzAlignment(AlignmentToHorzAlignment(TAlignment(ReadAlignmentIdent(reader)), true));
}

void TgrBaseGrid::WriteImageIds(TWriter& writer) { writer.WriteString(imageNames_.CommaText()); }

void TgrBaseGrid::ReadImageIds(TReader& reader) {
    imageNames_.Clear();
    imageNames_.SetCommaText(reader.ReadString());
}

void TgrBaseGrid::WriteColProperties(TWriter& writer) { CreateColCollection(true)->Write(writer); }
void TgrBaseGrid::WriteRowProperties(TWriter& writer) { CreateRowCollection(true)->Write(writer); }
void TgrBaseGrid::WriteCellProperties(TWriter& writer) { CreateCellCollection(true)->Write(writer); }

void TgrBaseGrid::ReadColPropertiesBy(TReader& reader, bool byDataCol) {
    std::unique_ptr<TgrColCollection> c = CreateColCollection(false);
    c->ByDataCol = byDataCol;
    c->Read(reader);
    if (!byDataCol) SetLayoutColumnMap(LayoutColumnMapOf(*this, *c));
    PlacePending(*c, [this](Integer dataCol, Integer display) {
        if (display >= 1 && display <= Cols()) Col(dataCol)->SetDisplayCol(display);
    });
}

void TgrBaseGrid::ReadRowProperties(TReader& reader) {
    std::unique_ptr<TgrPropCollection> c = CreateRowCollection(false);
    c->Read(reader);
    PlacePending(*c, [this](Integer dataRow, Integer display) { SetDisplayRow(dataRow, display); });
    // Rows read with nothing but their numbers need no row object.
    for (Integer i = 0; i < c->Count(); ++i) {
        Integer dataRow = static_cast<TgrRowItem*>(c->Item(i))->DataRow();
        if (dataRow > 0 && dataRow < gridRows_->Count()) gridRows_->ReleaseIfDefault(dataRow);
    }
}

void TgrBaseGrid::ReadCellProperties(TReader& reader) {
    std::shared_ptr<TgrCellCollection> c(CreateCellCollection(false).release());
    readCells_ = c;
    c->Read(reader);
}

void TgrBaseGrid::Loaded() {
    TCustomGrid_ts::Loaded();
    // The cell items have placed their attributes while they were read.
    readCells_.reset();
    ApplyPendingLayout();
    UpdateScrollBars();
    Invalidate();
    // The values read are the ones the current cell's control shows.
    if (currentCell_ && !cellEditing_) currentCell_->ClearValue();
    ResetCellControl(true);
}

// ============================================================ form files

void WriteGridComponent(TWriter& w, TgrBaseGrid& grid, TgrBaseGrid* ancestor) {
    RegisterGridPublished();
    bool writing = grid.IsWriting();
    grid.SetWritingLayout(true);
    try {
        w.WriteString(grid.ClassName());
        w.WriteString(grid.Name());
        WritePublished(w, grid, "", ancestor);
        WriteFont(w, "Font.", *grid.Font());
        WriteFont(w, "HeadingFont.", *grid.HeadingFont());
        TgrFormWriter filer(w, ancestor);
        grid.DefineProperties(filer);
        w.WriteListEnd();
    } catch (...) {
        grid.SetWritingLayout(writing);
        throw;
    }
    grid.SetWritingLayout(writing);
}

void ReadGridComponent(TReader& r, TgrBaseGrid& grid) {
    RegisterGridPublished();
    std::string className = r.ReadString();
    if (className.empty()) Refuse("no class name");
    std::string name = r.ReadString();
    grid.BeginLoading();
    struct EndLoading {
        TgrBaseGrid& g;
        ~EndLoading() { g.EndLoading(); }
    } end{grid};
    if (!name.empty()) grid.SetName(name);
    TgrFormReader filer;
    grid.DefineProperties(filer);
    while (!r.EndOfList()) {
        std::string prop = r.ReadString();
        std::string sub;
        if (SameText(prop, "Cols") || SameText(prop, "Rows")) {
            Int64 n = r.ReadInt64();
            Int64 high = SameText(prop, "Cols") ? kMaxFormCols : kMaxFormRows;
            if (n < 0 || n > high) Refuse(prop + " " + std::to_string(n) + " out of range");
            if (SameText(prop, "Cols")) grid.SetCols(Integer(n));
            else grid.SetRows(Integer(n));
        } else if (SubName(prop, "Font.", sub)) {
            if (!ReadFontProperty(r, sub, *grid.Font())) Refuse("unknown property \"" + prop + "\"");
        } else if (SubName(prop, "HeadingFont.", sub)) {
            if (!ReadFontProperty(r, sub, *grid.HeadingFont())) Refuse("unknown property \"" + prop + "\"");
        } else if (!ReadPublished(r, grid, prop) && !filer.Read(prop, r)) {
            Refuse("unknown property \"" + prop + "\"");
        }
    }
    r.ReadListEnd();
}

void SaveGridToFormStream(TgrBaseGrid& grid, TStream& stream, TgrBaseGrid* ancestor) {
    TWriter w(stream);
    WriteGridComponent(w, grid, ancestor);
}

void LoadGridFromFormStream(TgrBaseGrid& grid, TStream& stream) {
    TReader r(stream);
    ReadGridComponent(r, grid);
}
