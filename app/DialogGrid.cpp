#include "app/DialogGrid.h"

#include <algorithm>

#include "app/DBEdit.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TDialogGrid::TLink : public TDataLink {
public:
    explicit TLink(TDialogGrid* grid) : grid_(grid) {}

protected:
    void ActiveChanged() override { grid_->Reload(); }
    void DataSetChanged() override { grid_->Reload(); }
    void LayoutChanged() override { grid_->Reload(); }
    void DataSetScrolled(int) override { grid_->FollowPosition(); }
    void RecordChanged(TField*) override {
        // A row being edited is shown again once it is posted.
        if (DataSet() && DataSet()->State() == dsBrowse) grid_->Reload();
    }

private:
    TDialogGrid* grid_;
};

TDialogGrid::TDialogGrid(TComponent* owner, TWinControl* parent, const std::string& name) : TComponent(owner) {
    SetName(name);
    headings_ = new TLabel(owner);
    headings_->SetName(name + "Headings");
    headings_->SetParent(parent);
    headings_->Font()->SetName("Liberation Mono");
    list_ = new TListBox(owner);
    list_->SetName(name + "List");
    list_->SetParent(parent);
    list_->Font()->SetName("Liberation Mono");
    list_->OnClick = [this](TObject*) { Choose(list_->ItemIndex()); };
    list_->OnDblClick = [this](TObject*) {
        if (list_->ItemIndex() >= 0 && OnDblClick) OnDblClick();
    };
    source_ = new TDataSource(this);
    link_ = std::make_unique<TLink>(this);
    link_->SetDataSource(source_);
}

TDialogGrid::~TDialogGrid() { link_->SetDataSource(nullptr); }

void TDialogGrid::AddColumn(const std::string& heading, const std::string& fieldName, int width) {
    columns_.push_back({heading, fieldName, std::max(width, 1)});
    std::vector<std::string> headings;
    for (const TColumn& c : columns_) headings.push_back(c.Heading);
    headings_->SetCaption(Line(headings));
    Reload();
}

void TDialogGrid::SetDataSet(TDataSet* dataSet) {
    source_->SetDataSet(dataSet);
    Reload();
}

TDataSet* TDialogGrid::DataSet() const { return source_->DataSet(); }

void TDialogGrid::SetBounds(int left, int top, int width, int height) {
    headings_->SetBounds(left + 4, top, width - 4, 16);
    list_->SetBounds(left, top + 18, width, std::max(height - 18, 20));
}

std::string TDialogGrid::Line(const std::vector<std::string>& cells) const {
    std::string line;
    for (std::size_t k = 0; k < cells.size() && k < columns_.size(); ++k) {
        std::string cell = cells[k];
        const auto width = static_cast<std::size_t>(columns_[k].Width);
        if (cell.size() > width) cell.resize(width);
        if (k + 1 < cells.size()) cell.append(width - cell.size() + 1, ' ');
        line += cell;
    }
    return line;
}

void TDialogGrid::Reload() {
    TDataSet* data = DataSet();
    if (reloading_) return;
    reloading_ = true;
    rows_.clear();
    list_->Items()->Clear();
    int current = -1;
    if (data && data->Active() && data->State() == dsBrowse && !data->IsEmpty()) {
        data->DisableControls();
        try {
            const TBookmark here = data->GetBookmark();
            for (data->First(); !data->Eof(); data->Next()) {
                std::vector<std::string> cells;
                for (const TColumn& c : columns_) {
                    TField* f = data->FindField(c.FieldName);
                    cells.push_back(f ? f->AsString() : std::string());
                }
                const TBookmark mark = data->GetBookmark();
                if (!here.empty() && data->CompareBookmarks(mark, here) == 0) current = RowCount();
                rows_.push_back(mark);
                list_->Items()->Add(Line(cells));
            }
            if (!here.empty()) data->GotoBookmark(here);
        } catch (...) {
            data->EnableControls();
            reloading_ = false;
            throw;
        }
        data->EnableControls();
    }
    list_->SetItemIndex(current);
    reloading_ = false;
}

void TDialogGrid::FollowPosition() {
    TDataSet* data = DataSet();
    if (reloading_ || !data || !data->Active() || data->IsEmpty()) return;
    const TBookmark here = data->GetBookmark();
    for (int row = 0; row < RowCount(); ++row)
        if (data->CompareBookmarks(rows_[static_cast<std::size_t>(row)], here) == 0) {
            list_->SetItemIndex(row);
            return;
        }
    Reload();
}

std::string TDialogGrid::RowText(int row) const {
    return row >= 0 && row < list_->Items()->Count() ? list_->Items()->Strings(row) : std::string();
}

int TDialogGrid::SelectedRow() const { return list_->ItemIndex(); }

void TDialogGrid::Choose(int row) {
    TDataSet* data = DataSet();
    if (!data || row < 0 || row >= RowCount()) return;
    data->GotoBookmark(rows_[static_cast<std::size_t>(row)]);
    list_->SetItemIndex(row);
    if (OnClick) OnClick();
}

void TDialogGrid::ClickRow(int row) { Choose(row); }

void TDialogGrid::DblClickRow(int row) {
    Choose(row);
    if (row >= 0 && row < RowCount() && OnDblClick) OnDblClick();
}

// ---------------------------------------------------------------- one row

namespace {
constexpr int kCellWidth = 40;
constexpr int kCellGap = 4;
}  // namespace

TDialogRecordGrid::TDialogRecordGrid(TComponent* owner, TWinControl* parent, const std::string& name)
    : TComponent(owner) {
    SetName(name);
    // The cells belong to the grid and go with it.
    box_ = new TScrollBox(this);
    box_->SetName(name + "Cells");
    box_->SetParent(parent);
    source_ = new TDataSource(this);
}

TDialogRecordGrid::~TDialogRecordGrid() = default;

void TDialogRecordGrid::SetBounds(int left, int top, int width, int height) {
    box_->SetBounds(left, top, width, height);
}

void TDialogRecordGrid::SetCols(int count) {
    count = std::max(count, 0);
    while (Cols() > count) {
        TCell& c = cells_.back();
        c.Edit->SetDataSource(nullptr);
        delete c.Edit;
        delete c.Heading;
        cells_.pop_back();
    }
    while (Cols() < count) {
        const int dataCol = Cols() + 1;
        TCell c;
        c.Heading = new TLabel(this);
        c.Heading->SetParent(box_);
        c.Heading->SetAutoSize(false);
        c.Heading->SetAlignment(taCenter);
        c.Edit = new TDBEdit(this);
        c.Edit->SetParent(box_);
        c.Edit->SetDataSource(source_);
        c.Edit->OnKeyPress = [this](TObject*, char& key) {
            if (OnKeyPress) OnKeyPress(key);
        };
        c.Edit->OnValueChanged = [this, dataCol](TObject*) {
            if (OnCellLoaded) OnCellLoaded(dataCol, CellText(dataCol));
        };
        cells_.push_back(c);
    }
    Place();
}

void TDialogRecordGrid::Place() {
    for (int k = 0; k < Cols(); ++k) {
        const int left = kCellGap + k * (kCellWidth + kCellGap);
        cells_[static_cast<std::size_t>(k)].Heading->SetBounds(left, 2, kCellWidth, 16);
        cells_[static_cast<std::size_t>(k)].Edit->SetBounds(left, 20, kCellWidth, 24);
    }
    box_->SetScrollAreaSize(kCellGap + Cols() * (kCellWidth + kCellGap), 48);
}

void TDialogRecordGrid::SetColumn(int dataCol, const std::string& fieldName, const std::string& heading) {
    if (dataCol < 1 || dataCol > Cols()) return;
    TCell& c = cells_[static_cast<std::size_t>(dataCol - 1)];
    c.FieldName = fieldName;
    c.Heading->SetCaption(heading);
    c.Edit->SetName(Name() + fieldName);
    c.Edit->SetDataField(fieldName);
}

std::string TDialogRecordGrid::FieldName(int dataCol) const {
    return dataCol >= 1 && dataCol <= Cols() ? cells_[static_cast<std::size_t>(dataCol - 1)].FieldName : std::string();
}

std::string TDialogRecordGrid::Heading(int dataCol) const {
    return dataCol >= 1 && dataCol <= Cols() ? cells_[static_cast<std::size_t>(dataCol - 1)].Heading->Caption()
                                             : std::string();
}

void TDialogRecordGrid::SetDataSet(TDataSet* dataSet) { source_->SetDataSet(dataSet); }

std::string TDialogRecordGrid::CellText(int dataCol) const {
    return dataCol >= 1 && dataCol <= Cols() ? cells_[static_cast<std::size_t>(dataCol - 1)].Edit->Text()
                                             : std::string();
}

void TDialogRecordGrid::SetCellColor(int dataCol, std::int32_t color) {
    if (dataCol >= 1 && dataCol <= Cols()) cells_[static_cast<std::size_t>(dataCol - 1)].Edit->SetColor(color);
}

std::int32_t TDialogRecordGrid::CellColor(int dataCol) const {
    return dataCol >= 1 && dataCol <= Cols() ? cells_[static_cast<std::size_t>(dataCol - 1)].Edit->Color() : 0;
}

TDBEdit* TDialogRecordGrid::CellEdit(int dataCol) const {
    return dataCol >= 1 && dataCol <= Cols() ? cells_[static_cast<std::size_t>(dataCol - 1)].Edit : nullptr;
}
