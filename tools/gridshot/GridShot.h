#pragma once
// A harness that shows the grid without the program: it builds a grid from
// a JSON scenario (grid properties, columns, cell values), plays a script
// of key presses, clicks, drags, scrolls and calls on it, and answers the
// grid's picture and its state (current cell, selection, top-left cell,
// column widths, cell values, edit state).
//
// Scenario:
//   { "width": 400, "height": 240,
//     "grid":    { "Cols": 5, "Rows": 20, "FocusBorder": "fbSingle", ... },
//                (with "RightToLeft": true the columns run from the right)
//     "columns": [ { "Heading": "Name", "Width": 80, "ControlType": "ctCheck",
//                    "HorzAlignment": "htaRight", "Color": "#ffeeee",
//                    "ButtonType": "btCombo", "WordWrap": "wwOn",
//                    "ReadOnly": true, "Visible": false,
//                    "ComboItems": ["one", "two"] } ],     (a combo list)
//     "rows":    [ ["a", "b", 1], ... ]        (values of data rows 1, 2, ...)
//     "script":  [ { "key": "VK_DOWN", "shift": ["ssShift"] },
//                  { "type": "abc" },
//                  { "click": [3, 2] },               (display cell)
//                  { "clickAt": [120, 40], "shift": [...] },
//                  { "drag": [[x1, y1], [x2, y2]], "ticks": 0 },
//                  { "scroll": [leftCol, topRow] },
//                  { "call": "SelectRows", "args": [2, 4] } ] }
// Pictures, heading buttons and spin buttons: GridShotPaint.h.
// Unknown names are refused with EGridShotError naming them.

#include <memory>
#include <string>
#include <vector>

#include <QImage>

#include "grid/TSGrid.h"
#include "platform/core/Exception.h"

class EGridShotError : public Exception { using Exception::Exception; };

class TForm;

// The grid the harness drives: values are kept by the grid (StoreData) and
// every abstract operation has its plain meaning.
class TgrShotGrid : public TgrBaseGrid {
public:
    explicit TgrShotGrid(TComponent* owner) : TgrBaseGrid(owner) {}
    using TCustomGrid_ts::DoKeyDown;
    using TCustomGrid_ts::DoKeyPress;
    using TgrBaseGrid::MouseDown;
    using TCustomGrid_ts::MouseMove;
    using TCustomGrid_ts::MouseUp;

    // Combos: a list grid of the same kind that keeps its own values.
    TgrCombo* CreateCombo() override;
    TgrBaseGrid* CreateComboGrid() override;
    void InitComboGrid(TgrCombo* combo) override;

protected:
    Variant LoadCellValue(Integer, Integer, const Variant& stored) override { return stored; }
    bool PaintCellData(TgrCellPaintInfo&, const TRect&, bool) override { return false; }
    bool HasGetDrawInfo() override { return false; }
    void DoTopLeftChanged(Integer, Integer, Integer, Integer, bool) override {}
    void FireInsertRow(Integer, bool) override {}
    void FireDeleteRow(Integer, bool) override {}
    void PreparePrint() override {}
    void PrintGrid() override {}
    void PreviewGrid() override {}
    void ExportGrid() override {}
};

class TGridShot {
public:
    TGridShot();
    ~TGridShot();
    TGridShot(const TGridShot&) = delete;
    TGridShot& operator=(const TGridShot&) = delete;

    // Builds the grid and plays the script.
    void Run(const std::string& scenarioJson);
    // The grid as shown, scroll bars included.
    QImage Picture();
    // The state as a JSON object text.
    std::string StateJson();
    TgrShotGrid* Grid() const { return grid_; }

private:
    void Build(const class QJsonObject& scenario);
    void Step(const class QJsonObject& step);
    // A cell value of the scenario; pictures are kept here.
    Variant CellValue(const class QJsonValue& value);
    TForm* form_ = nullptr;
    TgrShotGrid* grid_ = nullptr;
    // Freed after the grid, which the destructor frees first.
    std::vector<std::unique_ptr<TBitmap>> pictures_;
};

// Reads a scenario file and writes the picture (PNG) and the state (JSON);
// either output path may be empty.
void RunGridShotFiles(const std::string& scenarioPath, const std::string& pngPath, const std::string& statePath);
