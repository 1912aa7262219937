#pragma once
// TDataSource connects a dataset to data-aware controls; TDataLink is the
// control's end of that connection. The dataset's notifications reach every
// link of every data source as virtual callbacks:
//   ActiveChanged      the dataset opened or closed (or the source was
//                      enabled, disabled or re-pointed); read Active()
//   EditingChanged     edit or insert mode began or ended; read Editing()
//   DataSetChanged     the buffered records changed as a whole (First,
//                      Last, bookmark moves, Resync, Refresh, Delete, Post,
//                      Cancel, Insert, Append, the last EnableControls)
//   DataSetScrolled(d) Next/Prior/MoveBy: the link's first record moved by d
//   RecordChanged(f)   field f of the current record changed (nullptr: the
//                      whole record, e.g. on Edit)
//   LayoutChanged      fields were added, removed or re-arranged
//   UpdateData         write pending control values into the fields (Post)
//   CheckBrowseMode    the dataset is about to leave edit mode or move
//   FocusControl(f)    a field asks for the focus
// Each link sees a window of BufferCount records of the dataset's buffers;
// ActiveRecord is the current record's position in that window.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/Component.h"
#include "platform/data/DataTypes.h"

class TBasicAction;
class TDataSet;
class TDataLink;
class TField;
class TDataSource;

using TDataChangeEvent = std::function<void(TDataSource* sender, TField* field)>;
using TDataSourceNotifyEvent = std::function<void(TDataSource* sender)>;

class TDataSource : public TComponent {
public:
    explicit TDataSource(TComponent* owner = nullptr);
    ~TDataSource() override;

    TDataSet* DataSet() const { return dataSet_; }
    // Raises "Circular datalinks are not allowed" when the dataset is a
    // detail of this source (directly or through other datasets).
    void SetDataSet(TDataSet* dataSet);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    // Controls may put the dataset into edit mode by themselves.
    bool AutoEdit() const { return autoEdit_; }
    void SetAutoEdit(bool value) { autoEdit_ = value; }
    // The dataset's state while enabled, else dsInactive.
    TDataSetState State() const { return state_; }
    // Puts a browsing dataset into edit mode when AutoEdit.
    void Edit();
    bool IsLinkedTo(TDataSet* dataSet) const;
    const std::vector<TDataLink*>& DataLinks() const { return dataLinks_; }

    // sender is this data source.
    TDataChangeEvent OnDataChange;
    TDataSourceNotifyEvent OnStateChange;
    TDataSourceNotifyEvent OnUpdateData;

private:
    friend class TDataSet;
    friend class TDataLink;
    void DataEvent(TDataEvent event, std::intptr_t info);
    void NotifyDataLinks(TDataEvent event, std::intptr_t info);
    void AddDataLink(TDataLink* link);
    void RemoveDataLink(TDataLink* link);
    void SetState(TDataSetState value);
    void UpdateState();

    TDataSet* dataSet_ = nullptr;
    bool enabled_ = true;
    bool autoEdit_ = true;
    TDataSetState state_ = dsInactive;
    std::vector<TDataLink*> dataLinks_;
};

class TDataLink {
public:
    TDataLink();
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return dataSource_; }
    void SetDataSource(TDataSource* dataSource);
    TDataSet* DataSet() const;
    bool Active() const { return active_; }
    bool Editing() const { return editing_; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    // When fixed, SetDataSource raises "DataSource cannot be changed".
    bool DataSourceFixed() const { return dataSourceFixed_; }
    void SetDataSourceFixed(bool value) { dataSourceFixed_ = value; }

    // Position of the dataset's current record in this link's window.
    int ActiveRecord() const;
    // Moves the dataset's active buffer to this window row, silently.
    void SetActiveRecord(int value);
    int BufferCount() const { return bufferCount_; }
    void SetBufferCount(int value);
    // Records in this link's window.
    int RecordCount() const;
    bool Bof() const;
    bool Eof() const;
    int MoveBy(int distance);
    // Asks the data source to start editing; answers Editing().
    bool Edit();
    // Runs UpdateData (and nothing on recursion).
    void UpdateRecord();
    // An action offered through the control of this link (Actions.h): taken
    // when it handles the link's data source as its target, which it then
    // works on (execute) or takes its state from (update). True when taken.
    bool ExecuteAction(TBasicAction* action);
    bool UpdateAction(TBasicAction* action);

protected:
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(int distance) { DataSetChanged(); }
    virtual void EditingChanged() {}
    virtual void FocusControl(TField*& field) {}
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* field) {}
    virtual void UpdateData() {}
    // First record of the window, as an index into the dataset's buffers.
    int FirstRecord() const { return firstRecord_; }

private:
    friend class TDataSource;
    friend class TDataSet;
    void DataEvent(TDataEvent event, std::intptr_t info);
    void UpdateState();
    void SetActive(bool value);
    void SetEditing(bool value);
    void UpdateRange();

    TDataSource* dataSource_ = nullptr;
    int firstRecord_ = 0;
    int bufferCount_ = 1;
    bool active_ = false;
    bool editing_ = false;
    bool readOnly_ = false;
    bool updating_ = false;
    bool dataSourceFixed_ = false;
};

// The link a detail dataset keeps to its master: Fields are the master's
// fields named by FieldNames; OnMasterChange fires when the master moves or
// one of those fields changes, OnMasterDisable when the master closes.
class TMasterDataLink : public TDataLink {
public:
    explicit TMasterDataLink(TDataSet* detail) : detail_(detail) {}

    TDataSet* Detail() const { return detail_; }
    const std::string& FieldNames() const { return fieldNames_; }
    void SetFieldNames(const std::string& names);
    const std::vector<TField*>& Fields() const { return fields_; }

    std::function<void(TMasterDataLink* sender)> OnMasterChange;
    std::function<void(TMasterDataLink* sender)> OnMasterDisable;

protected:
    void ActiveChanged() override;
    void CheckBrowseMode() override;
    void LayoutChanged() override { ActiveChanged(); }
    void RecordChanged(TField* field) override;

private:
    TDataSet* detail_;
    std::string fieldNames_;
    std::vector<TField*> fields_;
};
