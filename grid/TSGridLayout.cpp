// Layout files, and the tagged layout form older versions wrote: the
// grid's properties, its columns' and rows' attributes and its stored cell
// values as a tagged list of named values (the platform's filer values).
// Such layouts are still read; reading applies what the stream holds and
// refuses unknown names, values of the wrong type and counts beyond the
// grid's limits. Layouts are written as a stream component (TSGridStream).

#include <algorithm>
#include <functional>
#include <map>

#include "grid/GridStreamPrivate.h"
#include "grid/TSGrid.h"
#include "platform/core/Exception.h"
#include "platform/core/Filer.h"
#include "platform/core/Streams.h"

namespace {

const char* const kLayoutTag = "TgrGridLayout";
constexpr Integer kLayoutVersion = 1;
// Counts a layout may set; larger ones are refused before anything grows.
constexpr Integer kMaxLayoutCols = 10000;
constexpr Integer kMaxLayoutRows = 10000000;

// Display positions read from a layout are placed once every column has
// its attributes (data column -> display position).
thread_local std::map<Integer, Integer>* pendingDisplayCols = nullptr;

[[noreturn]] void Refuse(const std::string& what) { throw EReadError("Invalid grid layout: " + what); }

Integer ReadBounded(TReader& r, Integer low, Integer high, const std::string& name) {
    Integer v = r.ReadInteger();
    if (v < low || v > high) Refuse(name + " " + std::to_string(v) + " out of range");
    return v;
}

// One named attribute: its property id (-1: always written), how it is
// written and how it is read back.
template <class Owner>
struct LayoutProp {
    const char* Name;
    TgrPropId Id;
    std::function<void(TWriter&, Owner&)> Write;
    std::function<void(TReader&, Owner&)> Read;
};

template <class Owner, class E>
LayoutProp<Owner> EnumProp(const char* name, TgrPropId id, E (*get)(Owner&), void (*set)(Owner&, E), Integer high) {
    return {name, id, [get](TWriter& w, Owner& o) { w.WriteInteger(Integer(get(o))); },
            [set, name, high](TReader& r, Owner& o) { set(o, E(ReadBounded(r, 0, high, name))); }};
}

template <class Owner>
LayoutProp<Owner> ColorProp(const char* name, TgrPropId id, TColor (*get)(Owner&), void (*set)(Owner&, TColor)) {
    return {name, id, [get](TWriter& w, Owner& o) { w.WriteInteger(Int64(std::uint32_t(get(o)))); },
            [set](TReader& r, Owner& o) { set(o, TColor(std::uint32_t(r.ReadInt64()))); }};
}

template <class Owner>
LayoutProp<Owner> BoolProp(const char* name, TgrPropId id, bool (*get)(Owner&), void (*set)(Owner&, bool)) {
    return {name, id, [get](TWriter& w, Owner& o) { w.WriteBoolean(get(o)); },
            [set](TReader& r, Owner& o) { set(o, r.ReadBoolean()); }};
}

template <class Owner>
LayoutProp<Owner> IntProp(const char* name, TgrPropId id, Integer (*get)(Owner&), void (*set)(Owner&, Integer),
                          Integer low, Integer high) {
    return {name, id, [get](TWriter& w, Owner& o) { w.WriteInteger(get(o)); },
            [set, name, low, high](TReader& r, Owner& o) { set(o, ReadBounded(r, low, high, name)); }};
}

template <class Owner>
LayoutProp<Owner> TextProp(const char* name, TgrPropId id, std::string (*get)(Owner&),
                           void (*set)(Owner&, const std::string&)) {
    return {name, id, [get](TWriter& w, Owner& o) { w.WriteString(get(o)); },
            [set](TReader& r, Owner& o) { set(o, r.ReadString()); }};
}

using G = TgrBaseGrid;
const std::vector<LayoutProp<G>>& GridProps() {
    static const std::vector<LayoutProp<G>> props = {
        IntProp<G>("DefaultColWidth", -1, [](G& g) { return g.DefaultColWidth(); },
                   [](G& g, Integer v) { g.SetDefaultColWidth(v); }, 0, 100000),
        IntProp<G>("DefaultRowHeight", -1, [](G& g) { return g.DefaultRowHeight(); },
                   [](G& g, Integer v) { g.SetDefaultRowHeight(v); }, 0, 100000),
        BoolProp<G>("HeadingOn", -1, [](G& g) { return g.GetHeadingOn(); }, [](G& g, bool v) { g.SetHeadingOn(v); }),
        IntProp<G>("HeadingHeight", -1, [](G& g) { return g.HeadingHeight(); },
                   [](G& g, Integer v) { g.SetHeadingHeight(v); }, 0, 100000),
        BoolProp<G>("RowBarOn", -1, [](G& g) { return g.RowBarOn(); }, [](G& g, bool v) { g.SetRowBarOn(v); }),
        IntProp<G>("RowBarWidth", -1, [](G& g) { return g.RowBarWidth(); },
                   [](G& g, Integer v) { g.SetRowBarWidth(v); }, 0, 100000),
        EnumProp<G, TgrGridMode>("GridMode", -1, [](G& g) { return g.GridMode(); },
                                 [](G& g, TgrGridMode v) { g.SetGridMode(v); }, gmBrowse),
        EnumProp<G, TgrGridLines>("GridLines", -1, [](G& g) { return g.GridLines(); },
                                  [](G& g, TgrGridLines v) { g.SetGridLines(v); }, glBoth),
        ColorProp<G>("LineColor", -1, [](G& g) { return g.LineColor(); }, [](G& g, TColor v) { g.SetLineColor(v); }),
        ColorProp<G>("Color", gpColor, [](G& g) { return g.Color(); }, [](G& g, TColor v) { g.SetColor(v); }),
        ColorProp<G>("HeadingColor", gpColor, [](G& g) { return g.HeadingColor(); },
                     [](G& g, TColor v) { g.SetHeadingColor(v); }),
        EnumProp<G, TgrHorzAlignment>("HorzAlignment", gpHorzAlignment, [](G& g) { return g.HorzAlignment(); },
                                      [](G& g, TgrHorzAlignment v) { g.SetHorzAlignment(v); }, htaDefault),
        EnumProp<G, TgrVertAlignment>("VertAlignment", gpVertAlignment, [](G& g) { return g.VertAlignment(); },
                                      [](G& g, TgrVertAlignment v) { g.SetVertAlignment(v); }, vtaDefault),
        EnumProp<G, TgrWordWrap>("WordWrap", gpWordWrap, [](G& g) { return g.WordWrap(); },
                                 [](G& g, TgrWordWrap v) { g.SetWordWrap(v); }, wwDefault),
        EnumProp<G, TgrRowSelectMode>("RowSelectMode", -1, [](G& g) { return g.RowSelectMode(); },
                                      [](G& g, TgrRowSelectMode v) { g.SetRowSelectMode(v); }, rsMulti),
        EnumProp<G, TgrColSelectMode>("ColSelectMode", -1, [](G& g) { return g.ColSelectMode(); },
                                      [](G& g, TgrColSelectMode v) { g.SetColSelectMode(v); }, csMulti),
        EnumProp<G, TgrSelectionType>("SelectionType", -1, [](G& g) { return g.SelectionType(); },
                                      [](G& g, TgrSelectionType v) { g.SetSelectionType(v); }, sltColor),
        ColorProp<G>("SelectionColor", -1, [](G& g) { return g.SelectionColor(); },
                     [](G& g, TColor v) { g.SetSelectionColor(v); }),
        EnumProp<G, TgrFocusBorder>("FocusBorder", -1, [](G& g) { return g.FocusBorder(); },
                                    [](G& g, TgrFocusBorder v) { g.SetFocusBorder(v); }, fbDouble),
        TextProp<G>("CheckBoxValues", -1, [](G& g) { return g.CheckBoxValues(); },
                    [](G& g, const std::string& v) { g.SetCheckBoxValues(v); }),
        IntProp<G>("FixedColCount", -1, [](G& g) { return g.FixedColCount(); },
                   [](G& g, Integer v) { g.SetFixedColCount(v); }, 0, kMaxLayoutCols),
    };
    return props;
}

using C = TgrCol;
const std::vector<LayoutProp<C>>& ColProps() {
    static const std::vector<LayoutProp<C>> props = {
        IntProp<C>("DisplayCol", gpDisplayPos, [](C& c) { return c.DisplayCol(); },
                   [](C& c, Integer v) {
                       if (pendingDisplayCols) (*pendingDisplayCols)[c.GetDataCol()] = v;
                       else c.SetDisplayCol(v);
                   },
                   1, kMaxLayoutCols),
        IntProp<C>("Width", gpWidth, [](C& c) { return c.Width(); }, [](C& c, Integer v) { c.SetWidth(v); }, 0,
                   100000),
        BoolProp<C>("Visible", gpVisible, [](C& c) { return c.Visible(); }, [](C& c, bool v) { c.SetVisible(v); }),
        TextProp<C>("Heading", -1, [](C& c) { return c.GetHeading(); },
                    [](C& c, const std::string& v) { c.SetHeading(v); }),
        BoolProp<C>("ReadOnly", gpReadOnlyFlag, [](C& c) { return c.GetReadOnly(); },
                    [](C& c, bool v) { c.SetReadOnly(v); }),
        EnumProp<C, TgrControlType>("ControlType", gpControlType, [](C& c) { return c.ControlType(); },
                                    [](C& c, TgrControlType v) { c.SetControlType(v); }, ctDefault),
        EnumProp<C, TgrButtonType>("ButtonType", gpButtonType, [](C& c) { return c.ButtonType(); },
                                   [](C& c, TgrButtonType v) { c.SetButtonType(v); }, btDateTimePopup),
        EnumProp<C, TgrHorzAlignment>("HorzAlignment", gpHorzAlignment, [](C& c) { return c.GetHorzAlignment(); },
                                      [](C& c, TgrHorzAlignment v) { c.SetHorzAlignment(v); }, htaDefault),
        EnumProp<C, TgrVertAlignment>("VertAlignment", gpVertAlignment, [](C& c) { return c.VertAlignment(); },
                                      [](C& c, TgrVertAlignment v) { c.SetVertAlignment(v); }, vtaDefault),
        EnumProp<C, TgrWordWrap>("WordWrap", gpWordWrap, [](C& c) { return c.WordWrap(); },
                                 [](C& c, TgrWordWrap v) { c.SetWordWrap(v); }, wwDefault),
        ColorProp<C>("Color", gpColor, [](C& c) { return c.Color(); }, [](C& c, TColor v) { c.SetColor(v); }),
        ColorProp<C>("HeadingColor", -1, [](C& c) { return c.HeadingColor(); },
                     [](C& c, TColor v) { c.SetHeadingColor(v); }),
        BoolProp<C>("AllowGrayed", -1, [](C& c) { return c.GetAllowGrayed(); },
                    [](C& c, bool v) { c.SetAllowGrayed(v); }),
        TextProp<C>("CheckBoxValues", -1, [](C& c) { return c.CheckBoxValues(); },
                    [](C& c, const std::string& v) { c.SetCheckBoxValues(v); }),
    };
    return props;
}

template <class Owner>
void WriteProps(TWriter& w, Owner& owner, const std::vector<LayoutProp<Owner>>& props, const TgrPropIdSet& ids) {
    w.WriteListBegin();
    for (const auto& p : props) {
        if (p.Id >= 0 && !ids.Contains(p.Id)) continue;
        w.WriteString(p.Name);
        p.Write(w, owner);
    }
    w.WriteListEnd();
}

template <class Owner>
void ReadProps(TReader& r, Owner& owner, const std::vector<LayoutProp<Owner>>& props) {
    r.ReadListBegin();
    while (!r.EndOfList()) {
        std::string name = r.ReadString();
        auto it = std::find_if(props.begin(), props.end(), [&](const auto& p) { return name == p.Name; });
        if (it == props.end()) Refuse("unknown property \"" + name + "\"");
        it->Read(r, owner);
    }
    r.ReadListEnd();
}

}  // namespace

void ReadTaggedGridLayout(TgrBaseGrid& grid, TReader& r) {
    TgrGridCols* gridCols = grid.GridCols();
    TgrGridRows* gridRows = grid.GridRows();
    if (r.NextValue() != vaIdent || r.ReadIdent() != kLayoutTag) Refuse("not a grid layout");
    if (r.ReadInteger() != kLayoutVersion) Refuse("unknown version");
    TgrPropKinds kinds = TgrPropKinds(ReadBounded(r, 0, 15, "property kinds"));
    if (kinds & PropKindBit(pkGrid)) ReadProps(r, grid, GridProps());
    if (kinds & PropKindBit(pkCols)) {
        grid.SetCols(ReadBounded(r, 0, kMaxLayoutCols, "Cols"));
        r.ReadListBegin();
        // Column attributes are applied by data column; display positions
        // last, from left to right, once every column exists.
        std::map<Integer, Integer> display;
        pendingDisplayCols = &display;
        try {
            for (Integer c = 1; !r.EndOfList(); ++c) {
                if (c > grid.Cols()) Refuse("more columns than Cols");
                ReadProps(r, *gridCols->ColAt(c), ColProps());
            }
        } catch (...) {
            pendingDisplayCols = nullptr;
            throw;
        }
        pendingDisplayCols = nullptr;
        r.ReadListEnd();
        std::vector<std::pair<Integer, Integer>> order;  // (display, data)
        for (auto [dataCol, pos] : display) order.push_back({pos, dataCol});
        std::sort(order.begin(), order.end());
        for (auto [pos, dataCol] : order)
            if (pos <= grid.Cols()) gridCols->ColAt(dataCol)->SetDisplayCol(pos);
    }
    if (kinds & PropKindBit(pkRows)) {
        grid.SetRows(ReadBounded(r, 0, kMaxLayoutRows, "Rows"));
        r.ReadListBegin();
        while (!r.EndOfList()) {
            Integer row = ReadBounded(r, 1, grid.Rows(), "row");
            Integer height = ReadBounded(r, 0, 100000, "row height");
            bool visible = r.ReadBoolean();
            gridRows->SetHeight(row, height);
            if (!visible) gridRows->EnsureRow(row)->SetVisible(false);
        }
        r.ReadListEnd();
    }
    if (r.ReadBoolean()) {
        std::vector<Byte> bytes = r.ReadBinary();
        TMemoryStream cells;
        if (!bytes.empty()) cells.WriteBuffer(bytes.data(), Integer(bytes.size()));
        cells.Seek(0, soBeginning);
        grid.ReadStoredData(cells);
    }
}

void TgrBaseGrid::SaveLayoutToFile(const std::string& fileName, TgrPropKinds kinds, bool saveData,
                                   const TgrPropIdSet& ids) {
    TFileStream file(fileName, fmCreate);
    SaveLayoutToStream(file, kinds, saveData, ids);
}

void TgrBaseGrid::LoadLayoutFromFile(const std::string& fileName, bool byDataCol) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadLayoutFromStream(file, byDataCol);
}
