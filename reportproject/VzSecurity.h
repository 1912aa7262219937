#pragma once
// Report security validators: they decide whether a user name and password
// may run a report or project. The simple one keeps its users in the
// project; the lookup one finds the password in a data view.

#include <string>

#include "platform/core/StringList.h"
#include "reportproject/VzData.h"
#include "reportproject/VzFiler.h"

class TVizeBaseSecurity : public TVizeDataObject {
    VIZE_CLASS(TVizeBaseSecurity)
public:
    using TVizeDataObject::TVizeDataObject;
    virtual bool IsValidUser(const std::string& userName, const std::string& password) = 0;
};

class TVizeSimpleSecurity : public TVizeBaseSecurity, public IVizeDefinesProperties {
    VIZE_CLASS(TVizeSimpleSecurity)
public:
    explicit TVizeSimpleSecurity(TComponent* owner) : TVizeBaseSecurity(owner) {}
    // name=password lines.
    TStringList& UserList() { return userList_; }
    void SetUserList(const TStrings& lines) { userList_.Assign(lines); }
    bool CaseMatters() const { return caseMatters_; }
    void SetCaseMatters(bool v) { caseMatters_ = v; }
    bool IsValidUser(const std::string& userName, const std::string& password) override;
    // The user list is stored as its lines.
    void DefineProperties(TVizeFiler& filer) override;

private:
    TStringList userList_;
    bool caseMatters_ = false;
};

class TVizeLookupSecurity : public TVizeBaseSecurity {
    VIZE_CLASS(TVizeLookupSecurity)
public:
    using TVizeBaseSecurity::TVizeBaseSecurity;
    TVizeBaseDataView* DataView() const { return dataView_; }
    void SetDataView(TVizeBaseDataView* v) { dataView_ = v; }
    const std::string& UserField() const { return userField_; }
    void SetUserField(const std::string& v) { userField_ = v; }
    const std::string& PasswordField() const { return passwordField_; }
    void SetPasswordField(const std::string& v) { passwordField_ = v; }
    // Valid only when a row of that user (a view that ignores the filter
    // is searched on) holds exactly that password.
    bool IsValidUser(const std::string& userName, const std::string& password) override;

private:
    TVizeBaseDataView* dataView_ = nullptr;
    std::string userField_;
    std::string passwordField_;
};

// Start-up: registers both validators.
void InitializeVzSecurity();
