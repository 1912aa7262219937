#pragma once
// Data views: a forward-only cursor over the rows of one data source, with
// named data fields as children. TVizeBaseDataView keeps the cursor state,
// a look-ahead list that lets bands peek at following rows and come back,
// field lookup, filter and sort requests, and the data-text expressions of
// data-aware controls; a descendant supplies the rows (GetRow).

#include <string>
#include <utility>
#include <vector>

#include "reportproject/VzDataField.h"

// Row requests of GetRow.
enum : int { rkFirst = 1, rkNext = 2, rkCurrent = 5 };

struct TVizeDataFieldInfo {
    std::string FieldName;
    TVPDataType DataType{};
    Integer Width = 0;
    std::string FullName;
    std::string Description;
};

// Filter criteria: (field name, "=", value) triples; the field is the data
// field supplying the value's type, or null.
struct TVizeFilterItem {
    std::string FieldName;
    std::string Operator;
    std::string Value;
    TVizeDataField* Field = nullptr;
};

class TVizeBaseDataView : public TVizeDataObject, public IVizeRowSource {
    VIZE_CLASS(TVizeBaseDataView)
public:
    explicit TVizeBaseDataView(TComponent* owner);
    ~TVizeBaseDataView() override;

    // ---- cursor
    virtual void First();
    virtual void Next();
    virtual void GetCurrentRow();
    virtual bool Eof() const { return atEnd_; }
    bool Empty() const { return empty_; }
    bool Saving() const { return saving_; }
    // True when count more rows follow; the cursor stays where it is.
    virtual bool CheckRowsLeft(int count);
    virtual void SaveState();
    virtual void RestoreState();
    virtual bool HasNextRow();
    virtual void Peek(int count);
    virtual void Unpeek();

    // ---- source
    virtual void GetFields(std::vector<TVizeDataFieldInfo>& list) = 0;
    virtual void SetFilter(const std::vector<TVizeFilterItem>& list) = 0;
    virtual void SetSort(const std::vector<std::string>& keys) = 0;

    // ---- fields
    // Opens the view when needed; "View.<Field name>" and "Field" alike.
    TVizeDataField* FieldByName(const std::string& name);
    // Registers the column name (brackets removed) for a field (or null).
    void AddFieldName(const std::string& name, TVizeDataField* field);
    void ClearFieldNames() { fieldNames_.clear(); }
    // The field's text; "(invalid)" without a view or field.
    static std::string FieldText(TVizeBaseDataView* view, const std::string& name);
    std::string LookupValue(const std::string& keyValue, TVizeDataField* keyField,
                            const std::string& filterFieldName, const std::string& displayExpr,
                            const std::string& defaultText);
    void ApplyMasterDetail(const std::string& detailKeys, TVizeBaseDataView* masterView,
                           const std::string& masterKeys, const std::string& sortKeys);

    // IVizeRowSource
    TVizeDataRow* PresentedRow() override;
    bool IsEmptyView() override { return empty_; }

    bool AcceptChild(TVizeClassRef childClass) const override;
    void SetName(const std::string& newName) override;
    void Deactivate() override;
    void AfterReport() override;
    bool Opened() const { return opened_; }

protected:
    // True while recorded look-ahead rows are replayed.
    bool Replaying() const { return replay_ != nullptr; }
    void SetAtEnd(bool value) { atEnd_ = value; }
    void ClearCurrentRow() { currentRow_.Clear(); }
    // Fetches a row from the source (StoreRow puts it in place).
    virtual void GetRow(int kind) = 0;
    void SetOpened(bool value) { opened_ = value; }
    // The reply to a row request: at end, or the row's bytes.
    void StoreRow(int kind, bool atEnd, const Byte* data, int size);
    // Frees every look-ahead row.
    void ClearLookAhead();

private:
    void Fetch(int kind);
    void Advance();
    TVizeDataRow* AppendLookAhead();

    TVizeDataRow currentRow_;
    bool atEnd_ = true;
    std::vector<std::pair<std::string, TVizeDataField*>> fieldNames_;
    bool opened_ = false;
    bool empty_ = false;
    bool saving_ = false;
    TVizeDataRow* head_ = nullptr;
    TVizeDataRow* tail_ = nullptr;
    TVizeDataRow* replay_ = nullptr;
    bool peekSaving_ = false, peekAtEnd_ = false;
    TVizeDataRow* peekReplay_ = nullptr;
    bool savedAtEnd_ = false;
};

// The text of a data-text expression: fields of defaultView or of named
// views, quoted literals, "PARAM.", "REPORT." and "PIVAR." values, joined
// with "+" (no blank) or "&" (one blank after a non-empty piece).
std::string EvaluateDataText(TVizeComponent* component, TVizeBaseDataView* defaultView, const std::string& text);

// A failing data source ends the running report: the project's base report
// is aborted and the silent abort exception raised. Without a base report
// nothing happens.
void AbortReport(TVizeComponent* component);

// Start-up: registers the data view classes.
void InitializeVzData();
