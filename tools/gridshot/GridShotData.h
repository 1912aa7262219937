#pragma once
// The data-aware side of the grid harness: a scenario with a "data" object
// shows a data-aware grid bound to a memory table loaded from a CSV file.
//
//   { "width": 400, "height": 200,
//     "data": { "csv": "class.csv",              (relative to the scenario)
//               "fields": [ { "name": "Name", "type": "string", "size": 20 },
//                           { "name": "Score", "type": "integer" } ],
//               "current": 2,                    (record number)
//               "cellColors": [ { "field": "Score", "record": 3, "color": "#ff0000" } ],
//               "selectRecords": [ [4, 5] ] } }
//
// The CSV file holds a heading line of field names, then one record a line.

#include <memory>
#include <string>

#include <QImage>

class TForm;
class TgrDBGrid;
class TqmtMemTable;
class TDataSource;

class TDataGridShot {
public:
    TDataGridShot();
    ~TDataGridShot();
    TDataGridShot(const TDataGridShot&) = delete;
    TDataGridShot& operator=(const TDataGridShot&) = delete;

    // Builds the bound grid; baseDir resolves a relative CSV path.
    void Run(const std::string& scenarioJson, const std::string& baseDir);
    QImage Picture();
    TgrDBGrid* Grid() const { return grid_; }
    TqmtMemTable* Table() const { return table_; }

private:
    TForm* form_ = nullptr;
    TqmtMemTable* table_ = nullptr;
    TDataSource* source_ = nullptr;
    TgrDBGrid* grid_ = nullptr;
};

// Whether a scenario file asks for a data-aware grid.
bool IsDataGridScenario(const std::string& scenarioPath);
// Reads a data-aware scenario file and writes the picture (PNG).
void RunDataGridShotFiles(const std::string& scenarioPath, const std::string& pngPath);
