#include "app/DBEdit.h"

#include "platform/data/DataSet.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"

class TDBEdit::TLink : public TDataLink {
public:
    explicit TLink(TDBEdit* edit) : edit_(edit) {}

protected:
    void ActiveChanged() override {
        edit_->ForgetField();
        edit_->ShowField();
    }
    void LayoutChanged() override {
        edit_->ForgetField();
        edit_->ShowField();
    }
    void DataSetChanged() override { edit_->ShowField(); }
    void RecordChanged(TField*) override { edit_->ShowField(); }

private:
    TDBEdit* edit_;
};

TDBEdit::TDBEdit(TComponent* owner) : TEdit(owner), link_(std::make_unique<TLink>(this)) {
    OnChange = [this](TObject*) { WriteField(); };
}

TDBEdit::~TDBEdit() { link_->SetDataSource(nullptr); }

void TDBEdit::SetDataSource(TDataSource* source) {
    ForgetField();
    link_->SetDataSource(source);
    if (source) ShowField();
}

void TDBEdit::SetDataField(const std::string& name) {
    dataField_ = name;
    ForgetField();
    ShowField();
}

TField* TDBEdit::Field() const {
    TDataSet* data = link_->DataSet();
    if (!data || !data->Active()) return nullptr;
    // Looking a field up by name walks the dataset's fields; the wizard's
    // point editors ask for theirs many times a sheet. Fields only come and
    // go while the dataset is closed, which the link reports.
    if (!field_ || fieldSet_ != data) {
        field_ = data->FindField(dataField_);
        fieldSet_ = data;
    }
    return field_;
}

void TDBEdit::ForgetField() {
    field_ = nullptr;
    fieldSet_ = nullptr;
}

void TDBEdit::ShowField() {
    if (showing_) return;
    showing_ = true;
    TField* field = Field();
    TDataSet* data = link_->DataSet();
    SetText(field && data && !data->IsEmpty() ? field->AsString() : std::string());
    showing_ = false;
    if (OnValueChanged) OnValueChanged(this);
}

void TDBEdit::WriteField() {
    if (showing_) return;
    TField* field = Field();
    if (!field) return;
    TDataSet* data = link_->DataSet();
    showing_ = true;
    try {
        if (data->State() != dsEdit && data->State() != dsInsert) {
            if (data->IsEmpty())
                data->Append();
            else
                data->Edit();
        }
        field->SetAsString(Text());
    } catch (...) {
        showing_ = false;
        throw;
    }
    showing_ = false;
    if (OnValueChanged) OnValueChanged(this);
}
