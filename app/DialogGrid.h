#pragma once
// The grids of the store dialogs: data-aware grids bound to a dataset
// through a data source of their own. TDialogGrid lists a dataset's rows
// (profiles, test sets, question groups) in list-box mode with single row
// selection; choosing a row makes it the dataset's current row.
// TDialogRecordGrid shows and edits the current row of the answer key.
// The dialogs reach their grids only through these classes, which also
// give their tests a user's clicks and keys.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Component.h"
#include "platform/data/DataSet.h"

class TControl;
class TDataSource;
class TWinControl;
class TodcDBGrid;

class TDialogGrid : public TComponent {
public:
    // A data-aware grid named name on parent, in list-box mode with single
    // row selection.
    TDialogGrid(TComponent* owner, TWinControl* parent, const std::string& name);
    ~TDialogGrid() override;

    // Columns, left to right: heading, field and width in characters.
    void AddColumn(const std::string& heading, const std::string& fieldName, int width);
    // The dataset shown (nullptr: none).
    void SetDataSet(TDataSet* dataSet);
    TDataSet* DataSet() const;
    void SetBounds(int left, int top, int width, int height);

    // After a row was chosen (the dataset stands on it).
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;

    // The dataset's rows, counted from 0 in its order.
    int RowCount() const;
    // A row's cells as the grid shows them, each cut or padded to its
    // column's width and followed by a blank (the last one untouched).
    std::string RowText(int row) const;
    // The dataset's current row, -1 for none.
    int SelectedRow() const;
    // The user's click and double click on a row.
    void ClickRow(int row);
    void DblClickRow(int row);

    TodcDBGrid* Grid() const { return grid_; }

private:
    struct TColumn {
        std::string Heading, FieldName;
        int Width;
    };
    TBookmark BookmarkOf(int row) const;
    void Choose(int row);

    TodcDBGrid* grid_;
    TDataSource* source_;
    std::vector<TColumn> columns_;
};

// A grid of one row: the current row of a dataset, one editable cell per
// column. What is typed goes into the row (the dataset is put into edit
// state); posting or cancelling is the caller's. The answer-key editor
// shows the key through two of them.
class TDialogRecordGrid : public TComponent {
public:
    TDialogRecordGrid(TComponent* owner, TWinControl* parent, const std::string& name);
    ~TDialogRecordGrid() override;

    void SetBounds(int left, int top, int width, int height);
    // Sets the number of columns (Cols); new columns have no field yet.
    void SetCols(int count);
    int Cols() const;
    // Column dataCol (from 1): its field and heading.
    void SetColumn(int dataCol, const std::string& fieldName, const std::string& heading);
    std::string FieldName(int dataCol) const;
    std::string Heading(int dataCol) const;
    void SetDataSet(TDataSet* dataSet);

    // The value a cell shows (loading it, so OnCellLoaded runs), and a
    // cell's colour.
    std::string CellText(int dataCol);
    void SetCellColor(int dataCol, std::int32_t color);
    std::int32_t CellColor(int dataCol);
    // A key typed into the grid, as the user types it.
    void TypeKey(char& key);

    // Every key typed into a cell; a key set to 0 is dropped.
    std::function<void(char& key)> OnKeyPress;
    // A cell's value is being shown.
    std::function<void(int dataCol, const std::string& value)> OnCellLoaded;

    TodcDBGrid* Grid() const { return grid_; }

private:
    Variant CurrentRow() const;

    TodcDBGrid* grid_;
    TDataSource* source_;
};
