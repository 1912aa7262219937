#pragma once
// The driver data view: rows from a query run through a data-link driver on
// the connection its database item lends it. Parameters are substituted
// into the query text before it is sent; result columns are matched to the
// view's data fields by name.

#include <memory>
#include <string>
#include <vector>

#include "platform/core/StringList.h"
#include "reportproject/VzData.h"
#include "reportproject/VzDatabase.h"

class TVizeDriverDataView : public TVizeBaseDataView {
    VIZE_CLASS(TVizeDriverDataView)
public:
    explicit TVizeDriverDataView(TComponent* owner);
    ~TVizeDriverDataView() override;

    TVizeDatabase* Database() const { return database_; }
    void SetDatabase(TVizeDatabase* database);
    const std::string& Query() const { return query_; }
    void SetQuery(const std::string& v) { query_ = v; }
    const std::string& QueryStruct() const { return queryStruct_; }
    void SetQueryStruct(const std::string& v) { queryStruct_ = v; }
    // Lines of name "=" value; the value is a data text evaluated on this view.
    TStringList& QueryParams() { return queryParams_; }
    void SetQueryParams(const TStrings& lines) { queryParams_.Assign(lines); }
    // The query with every parameter reference replaced by its value.
    std::string CommandText();

    void Activate() override;
    void Deactivate() override;
    void GetFields(std::vector<TVizeDataFieldInfo>& list) override;
    void SetFilter(const std::vector<TVizeFilterItem>& list) override;
    void SetSort(const std::vector<std::string>& keys) override;
    void ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) override;

    // The connection and result set while the view is open (else null).
    TDataConnection* Connection() const { return connection_; }
    TDataResultSet* ResultSet() const { return resultSet_.get(); }

protected:
    void GetRow(int kind) override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    void Close();

    TVizeDatabase* database_ = nullptr;
    TDataConnection* connection_ = nullptr;
    std::unique_ptr<TDataResultSet> resultSet_;
    std::string query_;
    std::string queryStruct_;
    TStringList queryParams_;
    bool dataOpened_ = false;
    bool opening_ = false;
};

// Replaces in text every ":" + name reference (letter case ignored; the
// letters, digits and "_" right after the name belong to the reference) by
// value.
std::string SubstituteQueryParam(const std::string& text, const std::string& name, const std::string& value);

// The member name of a data type ("dtString"...), or its number when it is
// none of them.
std::string DataTypeName(int type);

// Start-up: registers the driver data view and its older class name.
void InitializeVzDriverDataView();
