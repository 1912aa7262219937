#include "app/WorkGrids.h"

#include "platform/gui/ExtCtrls.h"

std::vector<TWorkGridProperty> WorkGridProperties(TWorkGrid grid) {
    std::vector<TWorkGridProperty> p = {
        {"CellSelectMode", "cmNone"},
        {"CheckBoxStyle", "stCheck"},
        {"ExactRowCount", "True"},
        {"HeadingFont.Name", "MS Sans Serif"},
        {"HeadingFont.Height", "-11"},
        {"HeadingFont.Charset", "ANSI_CHARSET"},
        {"PrintLinesPerPage", "40"},
        {"PrintOrientation", "poLandscape"},
        {"PrintTotals", "True"},
        {"PrintCols", "0"},
        {"PrintWithGridFormats", "True"},
        {"RowChangedIndicator", "riAutoReset"},
        {"RowMoving", "False"},
        {"ProvideGridMenu", "True"},
        {"DataBound", "True"},
    };
    if (grid != wgData) p.push_back({"DatasetType", "dstStandard"});
    if (grid == wgErrors) {
        p.push_back({"Cols", "3"});
        p.push_back({"ColSelectMode", "csNone"});
        p.push_back({"ScrollBars", "ssVertical"});
        p.push_back({"FieldState", "fsCustomized"});
    }
    return p;
}

std::vector<TWorkGridColumn> ErrorsGridColumns() {
    return {{"QNo", "Q", 31, false}, {"Val", "V", 17, false}, {"RghtVal", "A", 17, true}};
}

TColor ErrorsCellColor(int dataCol, TColor rowColor) { return dataCol == 3 ? clNone : rowColor; }

TWinControl* NewWorkGrid(TComponent* owner, TWinControl* parent, const char* name, TWorkGrid, TDataSource*) {
    // A plain frame holds the grid's place until the data-aware grid is
    // linked in.
    auto* grid = new TPanel(owner);
    grid->SetName(name);
    grid->SetParent(parent);
    grid->SetCaption("");
    grid->SetColor(clWindow);
    return grid;
}
