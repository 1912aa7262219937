#pragma once
// The wizard's data-aware grids: the settings every grid of the wizard
// shares, those of the errors grid with its three columns, the colour of
// an errors cell, and the one place where the window makes its grids and
// binds them to the tables' data sources.

#include <string>
#include <vector>

#include "platform/gui/Graphics.h"

class TComponent;
class TWinControl;
class TDataSource;
class TgrDBGrid;

// The grids of the wizard: students, answer key, errors, and the two names
// grids.
enum TWorkGrid { wgData, wgMaster, wgErrors, wgNames, wgNamesC };

struct TWorkGridColumn {
    std::string FieldName;
    std::string Heading;
    int Width;          // pixels
    bool LeftAligned;   // otherwise the grid's default alignment
};

// The errors grid shows QNo, Val and RghtVal (not dColor), none of them
// totalled when printed. The other grids show their table's visible fields
// with the fields' display widths.
std::vector<TWorkGridColumn> ErrorsGridColumns();

// The colour of a cell of the errors grid: the row's dColor, except in data
// column 3 (the right answer), which keeps the grid's colour (clNone).
TColor ErrorsCellColor(int dataCol, TColor rowColor);

// Makes one of the wizard's grids in `parent`, named `name`, with the
// shared settings and its own, showing the table of `source`.
TgrDBGrid* NewWorkGrid(TComponent* owner, TWinControl* parent, const char* name, TWorkGrid grid,
                       TDataSource* source);
