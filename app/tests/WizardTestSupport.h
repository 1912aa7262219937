#pragma once
// Reading the wizard's data-aware grids in its window tests, as the user
// sees them. Kept in a source file of its own: the grid's headers and the
// database components' headers (which the store dialogs bring) may not
// meet in one source file.

#include <string>

#include "platform/data/DataTypes.h"
#include "platform/gui/Graphics.h"

class TgrDBGrid;
class TControl;

// A grid as the control it is.
TControl* AsControl(TgrDBGrid* grid);

// The grid's data column showing a field; 0 when none does.
int ColumnOf(TgrDBGrid* grid, const std::string& fieldName);
// The text and the colour of the field's cell in the record `row` (a
// bookmark), loaded as the grid shows it; a cell without a colour of its
// own shows the grid's.
std::string ShownCellText(TgrDBGrid* grid, const std::string& fieldName, const TBookmark& row);
TColor ShownCellColor(TgrDBGrid* grid, const std::string& fieldName, const TBookmark& row);
// Types text into the field's cell of the record `row` and leaves the
// cell, as the user does; false when the grid refused.
bool TypeIntoShownCell(TgrDBGrid* grid, const std::string& fieldName, const TBookmark& row, const std::string& text);
// The errors grid's column count and the heading of a column.
int ColumnCount(TgrDBGrid* grid);
std::string ColumnHeading(TgrDBGrid* grid, int dataCol);
