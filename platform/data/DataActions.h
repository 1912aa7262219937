#pragma once
// Dataset actions: first, prior, next, last, insert, delete, edit, post,
// cancel and refresh of a dataset, for menu items and buttons.
//
// A dataset action works on a data source's dataset. With a DataSource of
// its own it works on that source only; without one it works on the data
// source of whatever data-aware control takes it (the focused grid offers
// it to its data link, Actions.h). Update enables the action when the step
// makes sense for the dataset's state: First and Prior not at the
// beginning, Next and Last not at the end, Insert and Edit on a dataset
// that can be modified (Edit not while editing), Delete on a record of
// such a dataset, Post and Cancel while editing or inserting, Refresh on an
// open dataset.

#include "platform/core/Actions.h"

class TDataSet;
class TDataSource;

class TDataSetAction : public TCustomAction {
public:
    explicit TDataSetAction(TComponent* owner) : TCustomAction(owner) {}
    ~TDataSetAction() override;

    TDataSource* DataSource() const { return dataSource_; }
    void SetDataSource(TDataSource* value);

    // A data source with a dataset (this action's own, when it has one).
    bool HandlesTarget(TObject* target) override;
    // Taken by no control, an action with a data source of its own works on
    // that source.
    bool Execute() override;
    bool Update() override;

protected:
    // The dataset of a target HandlesTarget accepted.
    TDataSet* GetDataSet(TObject* target) const;
    void Notification(TComponent* component, TOperation operation) override;

private:
    TDataSource* dataSource_ = nullptr;
};

// One class per step; Run does the step, CanRun tells Update whether the
// step makes sense for an open dataset.
class TDataSetStepAction : public TDataSetAction {
public:
    using TDataSetAction::TDataSetAction;
    void ExecuteTarget(TObject* target) override;
    void UpdateTarget(TObject* target) override;

protected:
    virtual void Run(TDataSet& dataSet) = 0;
    virtual bool CanRun(TDataSet& dataSet) = 0;
};

#define OMR_DATASET_ACTION(Name)                       \
    class Name : public TDataSetStepAction {           \
    public:                                            \
        using TDataSetStepAction::TDataSetStepAction;  \
                                                       \
    protected:                                         \
        void Run(TDataSet& dataSet) override;          \
        bool CanRun(TDataSet& dataSet) override;       \
    };

OMR_DATASET_ACTION(TDataSetFirst)
OMR_DATASET_ACTION(TDataSetPrior)
OMR_DATASET_ACTION(TDataSetNext)
OMR_DATASET_ACTION(TDataSetLast)
OMR_DATASET_ACTION(TDataSetInsert)
OMR_DATASET_ACTION(TDataSetDelete)
OMR_DATASET_ACTION(TDataSetEdit)
OMR_DATASET_ACTION(TDataSetPost)
OMR_DATASET_ACTION(TDataSetCancel)
OMR_DATASET_ACTION(TDataSetRefresh)

#undef OMR_DATASET_ACTION
