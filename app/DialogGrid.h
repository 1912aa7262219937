#pragma once
// The grids of the store dialogs (profiles, test sets, question groups): a
// list of a dataset's rows in columns, with single row selection. Choosing
// a row makes it the dataset's current row; the list follows the dataset
// when its rows or its position change. The dialogs reach their grids only
// through this class, so the control under it is chosen here alone.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Component.h"
#include "platform/data/DataSet.h"

class TControl;
class TDataSource;
class TDBEdit;
class TScrollBox;
class TListBox;
class TLabel;
class TWinControl;

class TDialogGrid : public TComponent {
public:
    // A grid named name on parent; its column headings sit on a line above
    // the rows.
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

    int RowCount() const { return static_cast<int>(rows_.size()); }
    // A row's text as shown, columns padded to their widths.
    std::string RowText(int row) const;
    // The row marked as the current one, -1 for none.
    int SelectedRow() const;
    // The user's click and double click on a row.
    void ClickRow(int row);
    void DblClickRow(int row);

    // Reads the rows again (the data link calls it).
    void Reload();
    // Marks the dataset's current row.
    void FollowPosition();

    TListBox* List() const { return list_; }
    TLabel* Headings() const { return headings_; }

private:
    class TLink;
    struct TColumn {
        std::string Heading, FieldName;
        int Width;
    };
    std::string Line(const std::vector<std::string>& cells) const;
    void Choose(int row);

    TLabel* headings_;
    TListBox* list_;
    TDataSource* source_;
    std::unique_ptr<TLink> link_;
    std::vector<TColumn> columns_;
    std::vector<TBookmark> rows_;
    bool reloading_ = false;
};

// A grid of one row: the current row of a dataset, one edit cell per
// column under its heading, side by side and scrolled sideways. What is
// typed goes into the row (the dataset is put into edit state); posting or
// cancelling is the caller's. The answer-key editor shows the key through
// two of them.
class TDialogRecordGrid : public TComponent {
public:
    TDialogRecordGrid(TComponent* owner, TWinControl* parent, const std::string& name);
    ~TDialogRecordGrid() override;

    void SetBounds(int left, int top, int width, int height);
    // Sets the number of columns (Cols); new columns have no field yet.
    void SetCols(int count);
    int Cols() const { return static_cast<int>(cells_.size()); }
    // Column dataCol (from 1): its field and heading.
    void SetColumn(int dataCol, const std::string& fieldName, const std::string& heading);
    std::string FieldName(int dataCol) const;
    std::string Heading(int dataCol) const;
    void SetDataSet(TDataSet* dataSet);

    // The value shown in a cell, and a cell's colour.
    std::string CellText(int dataCol) const;
    void SetCellColor(int dataCol, std::int32_t color);
    std::int32_t CellColor(int dataCol) const;
    // The cell's edit, as the user types into it.
    TDBEdit* CellEdit(int dataCol) const;

    // Every key typed into a cell; a key set to 0 is dropped.
    std::function<void(char& key)> OnKeyPress;
    // A cell's value was shown or changed.
    std::function<void(int dataCol, const std::string& value)> OnCellLoaded;

private:
    struct TCell {
        TLabel* Heading;
        TDBEdit* Edit;
        std::string FieldName;
    };
    void Place();

    TScrollBox* box_;
    TDataSource* source_;
    std::vector<TCell> cells_;
};
