#include "platform/data/DataActions.h"

#include "platform/data/DataSet.h"
#include "platform/data/DataSource.h"

namespace {

bool Editing(const TDataSet& dataSet) { return dataSet.State() == dsEdit || dataSet.State() == dsInsert; }

}  // namespace

TDataSetAction::~TDataSetAction() { SetDataSource(nullptr); }

void TDataSetAction::SetDataSource(TDataSource* value) {
    if (value == dataSource_) return;
    if (dataSource_) RemoveFreeNotification(dataSource_);
    dataSource_ = value;
    if (dataSource_) FreeNotification(dataSource_);
}

void TDataSetAction::Notification(TComponent* component, TOperation operation) {
    TCustomAction::Notification(component, operation);
    if (operation == opRemove && component == dataSource_) dataSource_ = nullptr;
}

bool TDataSetAction::HandlesTarget(TObject* target) {
    auto* source = dynamic_cast<TDataSource*>(target);
    if (!source || !source->DataSet()) return false;
    return !dataSource_ || source == dataSource_;
}

TDataSet* TDataSetAction::GetDataSet(TObject* target) const {
    auto* source = dynamic_cast<TDataSource*>(target);
    return source ? source->DataSet() : nullptr;
}

bool TDataSetAction::Execute() {
    if (TCustomAction::Execute()) return true;
    return Enabled() && dataSource_ && ExecuteOn(dataSource_);
}

bool TDataSetAction::Update() { return TCustomAction::Update() || (dataSource_ && UpdateOn(dataSource_)); }

void TDataSetStepAction::ExecuteTarget(TObject* target) {
    if (TDataSet* ds = GetDataSet(target)) Run(*ds);
}

void TDataSetStepAction::UpdateTarget(TObject* target) {
    TDataSet* ds = GetDataSet(target);
    SetEnabled(ds && ds->Active() && CanRun(*ds));
}

void TDataSetFirst::Run(TDataSet& ds) { ds.First(); }
bool TDataSetFirst::CanRun(TDataSet& ds) { return !ds.Bof(); }

void TDataSetPrior::Run(TDataSet& ds) { ds.Prior(); }
bool TDataSetPrior::CanRun(TDataSet& ds) { return !ds.Bof(); }

void TDataSetNext::Run(TDataSet& ds) { ds.Next(); }
bool TDataSetNext::CanRun(TDataSet& ds) { return !ds.Eof(); }

void TDataSetLast::Run(TDataSet& ds) { ds.Last(); }
bool TDataSetLast::CanRun(TDataSet& ds) { return !ds.Eof(); }

void TDataSetInsert::Run(TDataSet& ds) { ds.Insert(); }
bool TDataSetInsert::CanRun(TDataSet& ds) { return ds.CanModify(); }

void TDataSetDelete::Run(TDataSet& ds) { ds.Delete(); }
bool TDataSetDelete::CanRun(TDataSet& ds) { return ds.CanModify() && !(ds.Bof() && ds.Eof()); }

void TDataSetEdit::Run(TDataSet& ds) { ds.Edit(); }
bool TDataSetEdit::CanRun(TDataSet& ds) { return ds.CanModify() && !Editing(ds); }

void TDataSetPost::Run(TDataSet& ds) { ds.Post(); }
bool TDataSetPost::CanRun(TDataSet& ds) { return Editing(ds); }

void TDataSetCancel::Run(TDataSet& ds) { ds.Cancel(); }
bool TDataSetCancel::CanRun(TDataSet& ds) { return Editing(ds); }

void TDataSetRefresh::Run(TDataSet& ds) { ds.Refresh(); }
bool TDataSetRefresh::CanRun(TDataSet&) { return true; }
