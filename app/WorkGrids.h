#pragma once
// How the wizard's grids show its tables: the property values every grid
// shares, those of the errors grid and its three columns, the colour of an
// errors cell, and the one place where the window makes its grids and binds
// them to the tables' data sources.

#include <string>
#include <vector>

#include "platform/gui/Graphics.h"

class TComponent;
class TWinControl;
class TDataSource;

// One stored property of a grid, as the window definition would hold it.
struct TWorkGridProperty {
    std::string Name;
    std::string Value;
};

// The grids of the wizard: students, answer key, errors, and the two names
// grids.
enum TWorkGrid { wgData, wgMaster, wgErrors, wgNames, wgNamesC };

// The properties of one grid: the shared ones, then its own.
std::vector<TWorkGridProperty> WorkGridProperties(TWorkGrid grid);

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

// Makes one of the wizard's grids in `parent`, named `name`, showing the
// table of `source`.
TWinControl* NewWorkGrid(TComponent* owner, TWinControl* parent, const char* name, TWorkGrid grid,
                         TDataSource* source);
