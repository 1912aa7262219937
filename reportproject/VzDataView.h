#pragma once
// The direct data view: rows from a data connection that an application
// serves, in this process (a registered TVizeDataConnect) or in another
// one, through the data channel. The view opens its connection on first
// use, keeps it through the report and closes it after the report.

#include <string>
#include <vector>

#include "reportproject/VzData.h"
#include "reportproject/VzDataChannel.h"

class TVizeDataView : public TVizeBaseDataView {
    VIZE_CLASS(TVizeDataView)
public:
    explicit TVizeDataView(TComponent* owner);
    ~TVizeDataView() override;

    const std::string& ConnectionName() const { return connectionName_; }
    void SetConnectionName(const std::string& name) { connectionName_ = name; }
    TVizeDataConnection& Connection() { return connection_; }

    void Activate() override;
    void Deactivate() override;
    void AfterReport() override;
    void GetFields(std::vector<TVizeDataFieldInfo>& list) override;
    void SetFilter(const std::vector<TVizeFilterItem>& list) override;
    void SetSort(const std::vector<std::string>& keys) override;
    // Another direct data view takes this one's name and tag.
    void AssignTo(TPersistent* dest) const override;

protected:
    void GetRow(int kind) override;

private:
    // The error box, then the report is aborted.
    void Fail(const std::string& message);
    void ReadColumns();

    std::string connectionName_;
    TVizeDataConnection connection_;
};

// Start-up: registers the direct data view.
void InitializeVzDataView();
