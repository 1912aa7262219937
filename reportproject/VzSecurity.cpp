#include "reportproject/VzSecurity.h"

#include "platform/core/Streams.h"
#include "platform/core/Strings.h"
#include "report/ReportDefs.h"
#include "reportproject/VzUtil.h"

TVizeClassRef TVizeBaseSecurity::StaticClass() {
    static const TVizeClass cls("TVizeBaseSecurity", TVizeDataObject::StaticClass(), nullptr, true);
    return &cls;
}

TVizeClassRef TVizeSimpleSecurity::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeSimpleSecurity", TVizeBaseSecurity::StaticClass(),
                                 [](TComponent* owner) { return new TVizeSimpleSecurity(owner); }, true);
        TVizeProps<TVizeSimpleSecurity>(*c).Boolean("CaseMatters", &TVizeSimpleSecurity::CaseMatters,
                                                    &TVizeSimpleSecurity::SetCaseMatters);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeLookupSecurity::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeLookupSecurity", TVizeBaseSecurity::StaticClass(),
                                 [](TComponent* owner) { return new TVizeLookupSecurity(owner); }, true);
        TVizeProps<TVizeLookupSecurity>(*c)
            .Object<TVizeBaseDataView>("DataView", &TVizeLookupSecurity::DataView, &TVizeLookupSecurity::SetDataView)
            .String("UserField", &TVizeLookupSecurity::UserField, &TVizeLookupSecurity::SetUserField)
            .String("PasswordField", &TVizeLookupSecurity::PasswordField, &TVizeLookupSecurity::SetPasswordField);
        return c;
    }();
    return cls;
}

bool TVizeSimpleSecurity::IsValidUser(const std::string& userName, const std::string& password) {
    if (password.empty()) return false;
    std::string stored;
    for (Integer i = 0; i < userList_.Count(); ++i)
        if (SameText(userList_.Names(i), userName)) {
            stored = userList_.ValueFromIndex(i);
            break;
        }
    return caseMatters_ ? stored == password : SameTextLocale(stored, password);
}

void TVizeSimpleSecurity::DefineProperties(TVizeFiler& filer) {
    filer.DefineBinaryProperty(
        "UserList",
        [this](TStream& s) {
            std::string text(size_t(s.Size() - s.Position()), '\0');
            if (!text.empty()) s.ReadBuffer(text.data(), Integer(text.size()));
            userList_.SetText(text);
        },
        [this](TStream& s) {
            std::string text = userList_.Text();
            if (!text.empty()) s.WriteBuffer(text.data(), Integer(text.size()));
        },
        userList_.Count() > 0);
}

bool TVizeLookupSecurity::IsValidUser(const std::string& userName, const std::string& password) {
    if (userName.empty() || password.empty() || userField_.empty() || passwordField_.empty() || !dataView_)
        return false;
    TVizeBaseDataView* view = dataView_;
    TVizeDataField* key = view->FieldByName(userField_);
    if (!key) return false;
    view->SetFilter({{RemoveBrackets(userField_), "=", userName, key}});
    std::string stored;
    bool found = false;
    // A view that does not filter presents other users' rows too: only a
    // row of this user counts.
    for (view->First(); !view->Eof(); view->Next())
        if (SameText(key->AsString(), userName)) {
            stored = EvaluateDataText(view, view, passwordField_);
            found = true;
            break;
        }
    view->SetFilter({});
    return found && stored == password;
}

namespace {
void RegisterVzSecurityClasses() {
    std::vector<TVizeClassRef> classes = {TVizeSimpleSecurity::StaticClass(), TVizeLookupSecurity::StaticClass()};
    RegisterClasses("VZCL", classes, 1);
    RegisterDisplayName(Trans("Simple Security Controller"), TVizeSimpleSecurity::StaticClass());
    RegisterDisplayName(Trans("Data Lookup Security Controller"), TVizeLookupSecurity::StaticClass());
    RegisterModuleClasses("VzData", classes, 1);
}
}  // namespace

void InitializeVzSecurity() { RegisterProc("VZCL", RegisterVzSecurityClasses); }
