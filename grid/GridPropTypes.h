#pragma once
// The attribute vocabulary shared by the grid, its columns, rows and cells:
// the enumerations whose last "Default" member means "ask the next level",
// the property ids that name one attribute each, sets of ids, and the value
// of every id that means "not set".
//
// Resolution order (computed by the grid, not stored here): a data cell
// takes an attribute from its own record when set there, else from its row
// and its column (row first when the grid draws rows on top, column first
// when it draws columns on top), else from the grid. Heading cells take the
// column's heading attributes, then the grid's heading properties. Is3D is
// the exception: a data cell is three-dimensional when any level says so.

#include <array>
#include <initializer_list>

#include "grid/GridTypes.h"
#include "platform/core/Types.h"
#include "platform/core/Variant.h"

enum TgrControlType { ctNone, ctText, ctCheck, ctPicture, ctDefault };
enum TgrButtonType { btNone, btNormal, btCombo, btDefault, btDateTimeDropDown, btDateTimePopup, btVertSpin, btHorzSpin };
enum TgrReadOnly { roOn, roOff, roDefault };
enum TgrDrawOption { dopOn, dopOff, dopDefault };
enum TgrDropDownStyle { ddDropDown, ddDropDownList };
enum TgrDrawOverlap { doDrawRowOnTop, doDrawColOnTop };
enum TgrColHeadingButton { cbCell, cbButton, cbGrid, cbNone };
enum TgrSortPicture { spUp, spDown, spBullet, spNone };

// A set of TgrSpinOption in a byte, one bit per option.
enum TgrSpinOption { spoAutoRepeat, spoAutoIncrement, spoKeyEdit };
using TgrSpinOptions = Byte;
inline constexpr TgrSpinOptions SpinOptionBit(TgrSpinOption o) { return TgrSpinOptions(1u << unsigned(o)); }
inline constexpr TgrSpinOptions grAllSpinOptions = 7;

// Which of the four picture options an id-24 access means.
enum TgrPictureKind { pkNoPicture = 0, pkStretchPicture = 1, pkShrinkPicture = 2, pkCenterPicture = 3, pkKeepAspectRatio = 4 };

// ------------------------------------------------------------ property ids

using TgrPropId = int;
inline constexpr TgrPropId gpColor = 0;
inline constexpr TgrPropId gpFont = 1;
inline constexpr TgrPropId gpDisplayPos = 2;
inline constexpr TgrPropId gpWidth = 3;
inline constexpr TgrPropId gpHeight = 4;
inline constexpr TgrPropId gpReadOnlyFlag = 5;
inline constexpr TgrPropId gpAlign = 6;
inline constexpr TgrPropId gpAlignment = 7;
inline constexpr TgrPropId gpIs3D = 8;
inline constexpr TgrPropId gpSelected = 9;
inline constexpr TgrPropId gpVisible = 10;
inline constexpr TgrPropId gpChanged = 11;
inline constexpr TgrPropId gpHeadingButton = 12;
inline constexpr TgrPropId gpSortPicture = 13;
inline constexpr TgrPropId gpMaxLength = 14;
inline constexpr TgrPropId gpWordWrap = 15;
inline constexpr TgrPropId gpButtonType = 16;
inline constexpr TgrPropId gpDropDownStyle = 17;
inline constexpr TgrPropId gpReadOnly = 18;
inline constexpr TgrPropId gpUnused = 19;
inline constexpr TgrPropId gpParentFont = 20;
inline constexpr TgrPropId gpMaskName = 21;
inline constexpr TgrPropId gpCombo = 22;
inline constexpr TgrPropId gpParentCombo = 23;
inline constexpr TgrPropId gpPicture = 24;
inline constexpr TgrPropId gpControlType = 25;
inline constexpr TgrPropId gpSpinOptions = 26;
inline constexpr TgrPropId gpSpinIncrement = 27;
inline constexpr TgrPropId gpHorzAlignment = 28;
inline constexpr TgrPropId gpVertAlignment = 29;
inline constexpr TgrPropId gpDateTimeDef = 30;
inline constexpr TgrPropId gpTag = 31;
inline constexpr TgrPropId gpObject = 32;
inline constexpr TgrPropId grMaxPropId = 32;

// A set of property ids in 5 bytes: bit n of byte n div 8 stands for id n.
struct TgrPropIdSet {
    std::array<Byte, 5> Bytes{};

    TgrPropIdSet() = default;
    TgrPropIdSet(std::initializer_list<TgrPropId> ids) {
        for (TgrPropId id : ids) Include(id);
    }
    static TgrPropIdSet All() {
        TgrPropIdSet s;
        for (TgrPropId id = 0; id <= grMaxPropId; ++id) s.Include(id);
        return s;
    }
    // Ids outside 0..32 are ignored.
    void Include(TgrPropId id) {
        if (id >= 0 && id <= grMaxPropId) Bytes[std::size_t(id / 8)] |= Byte(1u << unsigned(id % 8));
    }
    void Exclude(TgrPropId id) {
        if (id >= 0 && id <= grMaxPropId) Bytes[std::size_t(id / 8)] &= Byte(~(1u << unsigned(id % 8)));
    }
    bool Contains(TgrPropId id) const {
        return id >= 0 && id <= grMaxPropId && (Bytes[std::size_t(id / 8)] & (1u << unsigned(id % 8))) != 0;
    }
    bool Empty() const {
        for (Byte b : Bytes)
            if (b) return false;
        return true;
    }
    bool operator==(const TgrPropIdSet&) const = default;
};

// The value of an id that means "not set"; Empty for the ids that cell
// records do not keep (2, 3, 4, 10-14, 19) and for ids outside 0..32.
Variant DefaultPropValue(TgrPropId id);

// Attributes that change only how a cell is drawn (0, 1, 6, 7, 15, 20, 24).
bool IsDrawingPropId(TgrPropId id);

// The equality under which setting an attribute counts as "unchanged":
// Empty differs from False, 0 and the empty string; numbers compare by value
// across integer, Byte and floating-point kinds.
bool PropValuesEqual(const Variant& a, const Variant& b);
