#pragma once
// An edit bound to one field of a dataset's current row: it shows the
// field's text and writes what is typed into the field, putting the
// dataset into edit state first. The penalty dialog and the answer-key
// editor place one per question. The edit's OnChange is its own: it
// carries the text into the field.

#include <memory>
#include <string>

#include "platform/gui/StdCtrls.h"

class TDataSet;
class TDataSource;
class TField;

class TDBEdit : public TEdit {
public:
    explicit TDBEdit(TComponent* owner);
    ~TDBEdit() override;

    void SetDataSource(TDataSource* source);
    const std::string& DataField() const { return dataField_; }
    void SetDataField(const std::string& name);
    // The bound field, nullptr while the dataset is closed or lacks it.
    TField* Field() const;

    // After the edit showed the field's value or wrote into it.
    TNotifyEvent OnValueChanged;

private:
    class TLink;
    void ShowField();
    void ForgetField();
    void WriteField();

    std::unique_ptr<TLink> link_;
    std::string dataField_;
    mutable TField* field_ = nullptr;
    mutable TDataSet* fieldSet_ = nullptr;
    bool showing_ = false;
};
