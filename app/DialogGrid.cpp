#include "app/DialogGrid.h"

#include <algorithm>

#include "dbgrid/DBGrid.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"

namespace {
// Pixels a column takes per character of its width.
constexpr int kCharWidth = 8;
}  // namespace

TDialogGrid::TDialogGrid(TComponent* owner, TWinControl* parent, const std::string& name) : TComponent(owner) {
    SetName(name + "Binding");
    // The grid belongs to this binding and goes with it.
    grid_ = new TodcDBGrid(this);
    grid_->SetName(name);
    grid_->SetParent(parent);
    grid_->SetFieldState(fsCustomized);
    grid_->SetGridMode(gmListBox);
    grid_->SetRowSelectMode(rsSingle);
    source_ = new TDataSource(this);
    grid_->SetDataSource(source_);
    grid_->OnClick = [this](TObject*) {
        if (OnClick && RowCount() > 0) OnClick();
    };
    grid_->OnDblClick = [this](TObject*) {
        if (OnDblClick && RowCount() > 0) OnDblClick();
    };
}

TDialogGrid::~TDialogGrid() = default;

void TDialogGrid::AddColumn(const std::string& heading, const std::string& fieldName, int width) {
    columns_.push_back({heading, fieldName, std::max(width, 1)});
    const auto n = static_cast<Integer>(columns_.size());
    grid_->SetCols(n);
    TgrCol* col = grid_->GetCol(Variant(n));
    col->SetFieldName(fieldName);
    col->SetHeading(heading);
    col->SetWidth(columns_.back().Width * kCharWidth + 8);
}

void TDialogGrid::SetDataSet(TDataSet* dataSet) {
    source_->SetDataSet(dataSet);
    if (dataSet) grid_->RebuildColumns(true, false, true);
}

TDataSet* TDialogGrid::DataSet() const { return source_->DataSet(); }

void TDialogGrid::SetBounds(int left, int top, int width, int height) { grid_->SetBounds(left, top, width, height); }

int TDialogGrid::RowCount() const {
    TDataSet* data = DataSet();
    return data && data->Active() ? data->RecordCount() : 0;
}

TBookmark TDialogGrid::BookmarkOf(int row) const {
    TDataSet* data = DataSet();
    if (!data || row < 0 || row >= RowCount()) return {};
    const TBookmark here = data->GetBookmark();
    data->DisableControls();
    data->First();
    data->MoveBy(row);
    TBookmark mark = data->GetBookmark();
    if (!here.empty()) data->GotoBookmark(here);
    data->EnableControls();
    return mark;
}

std::string TDialogGrid::RowText(int row) const {
    const TBookmark mark = BookmarkOf(row);
    if (mark.empty()) return {};
    std::string line;
    for (std::size_t k = 0; k < columns_.size(); ++k) {
        std::string cell = grid_->GetCellValue(static_cast<Integer>(k) + 1, Variant(std::string(mark))).AsString();
        const auto width = static_cast<std::size_t>(columns_[k].Width);
        if (cell.size() > width) cell.resize(width);
        if (k + 1 < columns_.size()) cell.append(width - cell.size() + 1, ' ');
        line += cell;
    }
    return line;
}

int TDialogGrid::SelectedRow() const {
    TDataSet* data = DataSet();
    if (!data || RowCount() == 0) return -1;
    const TBookmark here = data->GetBookmark();
    for (int row = 0; row < RowCount(); ++row)
        if (data->CompareBookmarks(BookmarkOf(row), here) == 0) return row;
    return -1;
}

void TDialogGrid::Choose(int row) {
    TDataSet* data = DataSet();
    const TBookmark mark = BookmarkOf(row);
    if (!data || mark.empty()) return;
    data->GotoBookmark(mark);
}

void TDialogGrid::ClickRow(int row) {
    Choose(row);
    if (OnClick && RowCount() > 0) OnClick();
}

void TDialogGrid::DblClickRow(int row) {
    Choose(row);
    if (OnDblClick && RowCount() > 0) OnDblClick();
}

// ---------------------------------------------------------------- one row

TDialogRecordGrid::TDialogRecordGrid(TComponent* owner, TWinControl* parent, const std::string& name)
    : TComponent(owner) {
    SetName(name + "Binding");
    // The grid belongs to this binding and goes with it.
    grid_ = new TodcDBGrid(this);
    grid_->SetName(name);
    grid_->SetParent(parent);
    grid_->SetFieldState(fsCustomized);
    grid_->SetRowSelectMode(rsNone);
    source_ = new TDataSource(this);
    grid_->SetDataSource(source_);
    grid_->OnKeyPress = [this](TObject*, char& key) {
        if (OnKeyPress) OnKeyPress(key);
    };
    grid_->OnCellLoaded = [this](TObject*, Integer dataCol, const Variant&, Variant& value) {
        if (OnCellLoaded) OnCellLoaded(static_cast<int>(dataCol), value.IsNull() || value.IsEmpty() ? std::string() : value.AsString());
    };
}

TDialogRecordGrid::~TDialogRecordGrid() = default;

void TDialogRecordGrid::SetBounds(int left, int top, int width, int height) {
    grid_->SetBounds(left, top, width, height);
}

void TDialogRecordGrid::SetCols(int count) { grid_->SetCols(std::max(count, 0)); }

int TDialogRecordGrid::Cols() const { return static_cast<int>(grid_->Cols()); }

void TDialogRecordGrid::SetColumn(int dataCol, const std::string& fieldName, const std::string& heading) {
    if (dataCol < 1 || dataCol > Cols()) return;
    TgrCol* col = grid_->GetCol(Variant(dataCol));
    col->SetFieldName(fieldName);
    col->SetHeading(heading);
    col->SetWidth(40);
}

std::string TDialogRecordGrid::FieldName(int dataCol) const {
    return dataCol >= 1 && dataCol <= Cols() ? grid_->GetCol(Variant(dataCol))->FieldName() : std::string();
}

std::string TDialogRecordGrid::Heading(int dataCol) const {
    return dataCol >= 1 && dataCol <= Cols() ? grid_->GetCol(Variant(dataCol))->GetHeading() : std::string();
}

void TDialogRecordGrid::SetDataSet(TDataSet* dataSet) {
    source_->SetDataSet(dataSet);
    if (dataSet) grid_->RebuildColumns(true, false, true);
}

Variant TDialogRecordGrid::CurrentRow() const {
    TDataSet* data = source_->DataSet();
    if (!data || !data->Active() || data->IsEmpty()) return Variant(std::string());
    return Variant(std::string(data->GetBookmark()));
}

std::string TDialogRecordGrid::CellText(int dataCol) {
    const Variant v = grid_->GetCellValue(dataCol, CurrentRow());
    return v.IsNull() || v.IsEmpty() ? std::string() : v.AsString();
}

void TDialogRecordGrid::SetCellColor(int dataCol, std::int32_t color) { grid_->SetCellColor(dataCol, CurrentRow(), color); }

std::int32_t TDialogRecordGrid::CellColor(int dataCol) { return grid_->GetCellColor(dataCol, CurrentRow()); }

void TDialogRecordGrid::TypeKey(char& key) {
    if (OnKeyPress) OnKeyPress(key);
}
