#pragma once
// The scenario names for pictures, heading buttons and spin buttons:
// grid and column properties, and picture values of cells.
//
//   grid:    "StretchPicture", "ShrinkPicture", "CenterPicture",
//            "KeepAspectRatio" (true/false), "TransparentColor",
//            "HeadingButton" ("hbNone", "hbCell", "hbButton"),
//            "FlatButtons", "ReadOnlyButton", "SpinButtonWidth",
//            "SpinButtonHeight", "EditColor", "EditFontColor",
//            "RowBarAlignment" ("vtaTop", "vtaBottom", "vtaCenter", "vtaDefault")
//   columns: the four picture options ("dopOn", "dopOff", "dopDefault"),
//            "Is3D", "SortPicture" ("spUp", "spDown", "spBullet", "spNone"),
//            "HeadingButton" ("cbCell", "cbButton", "cbGrid", "cbNone"),
//            "SpinIncrement" (a number), "SpinOptions" (["spoAutoRepeat",
//            "spoAutoIncrement", "spoKeyEdit"])
//   values:  {"bitmap": [width, height, "#fill"], "frame": "#rrggbb",
//             "transparent": "#rrggbb"}: a picture filled with one colour,
//            with a one-pixel frame of another, whose transparent colour
//            may be set

#include <memory>
#include <vector>

#include <QJsonValue>

#include "grid/TSGrid.h"

// True when the name is one of the grid properties above (and applies it).
bool ApplyShotPaintGridProperty(TgrBaseGrid* grid, const std::string& name, const QJsonValue& value);
// True when the name is one of the column properties above.
bool ApplyShotPaintColumnProperty(TgrCol* col, const std::string& name, const QJsonValue& value);
// A picture value: the bitmap is made and kept in pictures; none when the
// value is not a picture object.
bool ShotPictureValue(const QJsonValue& value, std::vector<std::unique_ptr<TBitmap>>& pictures, Variant& result);
