#include "platform/data/DataSource.h"

#include <algorithm>

#include "platform/core/Actions.h"
#include "platform/data/DBConsts.h"
#include "platform/data/DBError.h"
#include "platform/data/DataSet.h"

using namespace DBConsts;

// ================================================================ TDataSource

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
    OnStateChange = nullptr;
    OnDataChange = nullptr;
    OnUpdateData = nullptr;
    SetDataSet(nullptr);
    while (!dataLinks_.empty()) RemoveDataLink(dataLinks_.back());
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
    if (dataSet == dataSet_) return;
    if (dataSet && IsLinkedTo(dataSet)) DatabaseError(SCircularDataLink, Name());
    if (dataSet_) dataSet_->RemoveDataSource(this);
    if (dataSet)
        dataSet->AddDataSource(this);
    else
        UpdateState();
}

void TDataSource::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    UpdateState();
}

void TDataSource::Edit() {
    if (autoEdit_ && state_ == dsBrowse && dataSet_) dataSet_->Edit();
}

bool TDataSource::IsLinkedTo(TDataSet* dataSet) const {
    while (dataSet) {
        TDataSource* src = dataSet->GetDataSource();
        if (!src) return false;
        if (src == this) return true;
        dataSet = src->DataSet();
    }
    return false;
}

void TDataSource::SetState(TDataSetState value) {
    if (value == state_) return;
    TDataSetState prior = state_;
    state_ = value;
    NotifyDataLinks(deUpdateState, 0);
    if (OnStateChange) OnStateChange(this);
    if (prior == dsInactive && OnDataChange) OnDataChange(this, nullptr);
}

void TDataSource::UpdateState() {
    if (enabled_ && dataSet_)
        SetState(dataSet_->State());
    else
        SetState(dsInactive);
}

void TDataSource::NotifyDataLinks(TDataEvent event, std::intptr_t info) {
    // A link may leave (or add another) while it is told; tell each link
    // that is still attached exactly once.
    std::vector<TDataLink*> links = dataLinks_;
    for (TDataLink* link : links)
        if (std::find(dataLinks_.begin(), dataLinks_.end(), link) != dataLinks_.end()) link->DataEvent(event, info);
}

void TDataSource::DataEvent(TDataEvent event, std::intptr_t info) {
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (state_ == dsInactive) return;
    NotifyDataLinks(event, info);
    switch (event) {
    case deFieldChange:
        if (OnDataChange) OnDataChange(this, reinterpret_cast<TField*>(info));
        break;
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
        if (OnDataChange) OnDataChange(this, nullptr);
        break;
    case deUpdateRecord:
        if (OnUpdateData) OnUpdateData(this);
        break;
    default:
        break;
    }
}

void TDataSource::AddDataLink(TDataLink* link) {
    dataLinks_.push_back(link);
    link->dataSource_ = this;
    if (dataSet_) dataSet_->UpdateBufferCount();
    link->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* link) {
    link->dataSource_ = nullptr;
    dataLinks_.erase(std::remove(dataLinks_.begin(), dataLinks_.end(), link), dataLinks_.end());
    link->UpdateState();
    if (dataSet_) dataSet_->UpdateBufferCount();
}

// ================================================================ TDataLink

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
    dataSourceFixed_ = false;
    if (dataSource_) dataSource_->RemoveDataLink(this);
}

void TDataLink::SetDataSource(TDataSource* dataSource) {
    if (dataSource == dataSource_) return;
    if (dataSourceFixed_) DatabaseError(SDataSourceChange);
    if (dataSource_) dataSource_->RemoveDataLink(this);
    if (dataSource) dataSource->AddDataLink(this);
}

TDataSet* TDataLink::DataSet() const { return dataSource_ ? dataSource_->DataSet() : nullptr; }

void TDataLink::SetReadOnly(bool value) {
    if (value == readOnly_) return;
    readOnly_ = value;
    UpdateState();
}

int TDataLink::ActiveRecord() const {
    if (!active_ || !DataSet()) return 0;
    return DataSet()->activeRecord_ - firstRecord_;
}

void TDataLink::SetActiveRecord(int value) {
    if (active_ && DataSet()) DataSet()->SetActiveRecord(value + firstRecord_);
}

void TDataLink::SetBufferCount(int value) {
    if (value < 1) value = 1;
    if (value == bufferCount_) return;
    bufferCount_ = value;
    if (active_ && DataSet()) {
        DataSet()->UpdateBufferCount();
        UpdateRange();
    }
}

int TDataLink::RecordCount() const {
    if (!active_ || !DataSet()) return 0;
    int n = DataSet()->recordCount_ - firstRecord_;
    return std::clamp(n, 0, bufferCount_);
}

bool TDataLink::Bof() const { return DataSet() ? DataSet()->Bof() : true; }
bool TDataLink::Eof() const { return DataSet() ? DataSet()->Eof() : true; }

int TDataLink::MoveBy(int distance) { return DataSet() ? DataSet()->MoveBy(distance) : 0; }

bool TDataLink::Edit() {
    if (!readOnly_ && dataSource_) dataSource_->Edit();
    return editing_;
}

void TDataLink::UpdateRecord() {
    if (updating_) return;
    updating_ = true;
    try {
        UpdateData();
    } catch (...) {
        updating_ = false;
        throw;
    }
    updating_ = false;
}

bool TDataLink::ExecuteAction(TBasicAction* action) { return action && action->ExecuteOn(dataSource_); }

bool TDataLink::UpdateAction(TBasicAction* action) { return action && action->UpdateOn(dataSource_); }

void TDataLink::UpdateState() {
    SetActive(dataSource_ && dataSource_->State() != dsInactive);
    TDataSetState s = dataSource_ ? dataSource_->State() : dsInactive;
    SetEditing(active_ && (s == dsEdit || s == dsInsert || s == dsSetKey) && !readOnly_);
}

void TDataLink::SetActive(bool value) {
    if (value == active_) return;
    active_ = value;
    if (value)
        UpdateRange();
    else
        firstRecord_ = 0;
    ActiveChanged();
}

void TDataLink::SetEditing(bool value) {
    if (value == editing_) return;
    editing_ = value;
    EditingChanged();
}

void TDataLink::UpdateRange() {
    TDataSet* ds = DataSet();
    if (!ds) return;
    int lo = std::max(0, ds->activeRecord_ - bufferCount_ + 1);
    int hi = std::clamp(ds->bufferCount_ - bufferCount_, 0, ds->activeRecord_);
    if (firstRecord_ < lo) firstRecord_ = lo;
    if (firstRecord_ > hi) firstRecord_ = hi;
    if (firstRecord_ < 0) firstRecord_ = 0;
}

void TDataLink::DataEvent(TDataEvent event, std::intptr_t info) {
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (!active_) return;
    switch (event) {
    case deFieldChange:
    case deRecordChange:
        if (!updating_) RecordChanged(reinterpret_cast<TField*>(info));
        break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
        int count = 0;
        TDataSet* ds = DataSet();
        if (ds && dataSource_->State() != dsSetKey) {
            int active = ds->activeRecord_;
            int first = firstRecord_ + static_cast<int>(info);
            int last = first + bufferCount_ - 1;
            if (active > last)
                count = active - last;
            else if (active < first)
                count = active - first;
            firstRecord_ = first + count;
        }
        if (event == deDataSetChange)
            DataSetChanged();
        else if (event == deDataSetScroll)
            DataSetScrolled(count);
        else
            LayoutChanged();
        break;
    }
    case deUpdateRecord:
        UpdateRecord();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    case deFocusControl: {
        TField* field = reinterpret_cast<TField*>(info);
        FocusControl(field);
        break;
    }
    default:
        break;
    }
}

// ================================================================ TMasterDataLink

void TMasterDataLink::SetFieldNames(const std::string& names) {
    if (names == fieldNames_) return;
    fieldNames_ = names;
    ActiveChanged();
}

void TMasterDataLink::ActiveChanged() {
    fields_.clear();
    if (Active()) {
        try {
            DataSet()->GetFieldList(fields_, fieldNames_);
        } catch (...) {
            fields_.clear();
            throw;
        }
    }
    if (detail_ && detail_->Active()) {
        if (Active() && !fields_.empty()) {
            if (OnMasterChange) OnMasterChange(this);
        } else if (OnMasterDisable) {
            OnMasterDisable(this);
        }
    }
}

void TMasterDataLink::CheckBrowseMode() {
    if (detail_ && detail_->Active()) detail_->CheckBrowseMode();
}

void TMasterDataLink::RecordChanged(TField* field) {
    if (!DataSource() || DataSource()->State() == dsSetKey || !detail_ || !detail_->Active() || fields_.empty())
        return;
    if (field && std::find(fields_.begin(), fields_.end(), field) == fields_.end()) return;
    if (OnMasterChange) OnMasterChange(this);
}
