#pragma once
// Small shared types of the window layer: modal results, cursors, mouse
// buttons and shift states, key codes, alignment.

#include <cstdint>
#include <initializer_list>

#include "platform/core/Types.h"

using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;
inline constexpr TModalResult mrNoToAll = 9;
inline constexpr TModalResult mrYesToAll = 10;
inline constexpr TModalResult mrClose = 11;

// Message box results share the values of the modal results.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

using TCursor = int;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crSQLWait = -17;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };

class TShiftState {
public:
    TShiftState() = default;
    TShiftState(std::initializer_list<TShiftStateItem> items) {
        for (auto i : items) Include(i);
    }
    bool Contains(TShiftStateItem i) const { return (bits_ & (1u << i)) != 0; }
    void Include(TShiftStateItem i) { bits_ |= 1u << i; }
    void Exclude(TShiftStateItem i) { bits_ &= ~(1u << i); }
    bool Empty() const { return bits_ == 0; }
    bool operator==(const TShiftState&) const = default;

private:
    std::uint32_t bits_ = 0;
};

// Virtual key codes.
using Word16 = std::uint16_t;
inline constexpr Word16 VK_BACK = 0x08;
inline constexpr Word16 VK_TAB = 0x09;
inline constexpr Word16 VK_RETURN = 0x0D;
inline constexpr Word16 VK_SHIFT = 0x10;
inline constexpr Word16 VK_CONTROL = 0x11;
inline constexpr Word16 VK_MENU = 0x12;
inline constexpr Word16 VK_ESCAPE = 0x1B;
inline constexpr Word16 VK_SPACE = 0x20;
inline constexpr Word16 VK_PRIOR = 0x21;
inline constexpr Word16 VK_NEXT = 0x22;
inline constexpr Word16 VK_END = 0x23;
inline constexpr Word16 VK_HOME = 0x24;
inline constexpr Word16 VK_LEFT = 0x25;
inline constexpr Word16 VK_UP = 0x26;
inline constexpr Word16 VK_RIGHT = 0x27;
inline constexpr Word16 VK_DOWN = 0x28;
inline constexpr Word16 VK_INSERT = 0x2D;
inline constexpr Word16 VK_DELETE = 0x2E;
inline constexpr Word16 VK_F1 = 0x70;
inline constexpr Word16 VK_F2 = 0x71;
inline constexpr Word16 VK_F4 = 0x73;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// The parent edges a control keeps its distance to when the parent resizes.
enum TAnchorKind { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
