#include "reportproject/VzDriverDataView.h"

#include <array>
#include <cctype>

#include "platform/core/Exception.h"
#include "platform/core/Format.h"
#include "platform/core/Strings.h"
#include "report/ReportDefs.h"
#include "reportproject/VizeException.h"
#include "reportproject/VzUtil.h"

namespace {

bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

}  // namespace

std::string SubstituteQueryParam(const std::string& text, const std::string& name, const std::string& value) {
    // An empty name would make every ":" a reference.
    if (name.empty()) return text;
    const std::string key = UpperCase(":" + name);
    const std::string upper = UpperCase(text);
    std::string out;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = upper.find(key, from);
        if (at == std::string::npos) break;
        std::size_t end = at + key.size();
        while (end < text.size() && IsIdentChar(text[end])) ++end;
        out.append(text, from, at - from);
        out += value;
        from = end;
    }
    out.append(text, from, std::string::npos);
    return out;
}

std::string DataTypeName(int type) {
    static const std::array<const char*, 13> names = {"dtString", "dtInteger", "dtBoolean", "dtFloat", "dtCurrency",
                                                      "dtBCD",    "dtDate",    "dtTime",    "dtDateTime", "dtBlob",
                                                      "dtMemo",   "dtGraphic", "dtInt64"};
    return type >= 0 && std::size_t(type) < names.size() ? names[std::size_t(type)] : std::to_string(type);
}

TVizeClassRef TVizeDriverDataView::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeDriverDataView", TVizeBaseDataView::StaticClass(),
                                 [](TComponent* owner) { return new TVizeDriverDataView(owner); }, true);
        auto paramsText = [](TVizeDriverDataView& v) { return v.queryParams_.Text(); };
        auto setParamsText = [](TVizeDriverDataView& v, const std::string& text) { v.queryParams_.SetText(text); };
        auto never = [](TVizeDriverDataView&) { return false; };
        TVizeProps<TVizeDriverDataView>(*c)
            .Object<TVizeDatabase>("Database", &TVizeDriverDataView::Database, &TVizeDriverDataView::SetDatabase)
            .String("Query", &TVizeDriverDataView::Query, &TVizeDriverDataView::SetQuery)
            .String("QueryStruct", &TVizeDriverDataView::QueryStruct, &TVizeDriverDataView::SetQueryStruct)
            .String("QueryParams", paramsText, setParamsText)
            // Names older project files use; read into the current ones,
            // never written.
            .String("SQL", &TVizeDriverDataView::Query, &TVizeDriverDataView::SetQuery)
            .StoredIf(never)
            .String("Params", paramsText, setParamsText)
            .StoredIf(never);
        return c;
    }();
    return cls;
}

TVizeDriverDataView::TVizeDriverDataView(TComponent* owner) : TVizeBaseDataView(owner) {}

TVizeDriverDataView::~TVizeDriverDataView() {
    Destroying();
    Close();
}

void TVizeDriverDataView::SetDatabase(TVizeDatabase* database) {
    if (database == database_) return;
    Close();
    if (database_) RemoveFreeNotification(database_);
    database_ = database;
    if (database_) FreeNotification(database_);
}

std::string TVizeDriverDataView::CommandText() {
    std::string text = query_;
    for (Integer i = 0; i < queryParams_.Count(); ++i) {
        const std::string line = queryParams_[i];
        const std::size_t eq = line.find('=');
        const std::string name = Trim(line.substr(0, eq));
        const std::string expr = eq == std::string::npos ? std::string() : line.substr(eq + 1);
        text = SubstituteQueryParam(text, name, EvaluateDataText(this, this, expr));
    }
    return text;
}

void TVizeDriverDataView::Activate() {
    if (Opened()) return;
    if (!database_) throw Exception(Trans("Database is nil."));
    // A parameter that reads a field of this view would open it again
    // while it opens, without end.
    if (opening_) RaiseVizeErrorFmt("The query parameters of %s read the view itself.", Name());
    struct Opening {
        bool& Flag;
        explicit Opening(bool& f) : Flag(f) { Flag = true; }
        ~Opening() { Flag = false; }
    } opening(opening_);
    TVizeBaseDataView::Activate();
    database_->Activate();
    connection_ = database_->GetLink();
    try {
        resultSet_ = std::make_unique<TDataResultSet>(*connection_, CommandText());
        resultSet_->Open();
        ClearFieldNames();
        for (std::size_t p = 0; p < resultSet_->Fields.size(); ++p) {
            const TResultSetField& column = resultSet_->Fields[p];
            const std::string name = QuoteFieldName(column.Name);
            TVizeDataField* match = nullptr;
            for (int i = 0; i < ChildCount() && !match; ++i) {
                auto* field = dynamic_cast<TVizeDataField*>(GetChild(i));
                if (field && SameText(field->FieldName(), name)) match = field;
            }
            if (!match) continue;
            if (int(match->DataType()) != int(column.DataType))
                throw EVizeException(Format(Trans("Field %0:s:%1:s.  Datatype expected: %2:s  Datatype found: %3:s"),
                                            {Name(), match->FieldName(), DataTypeName(match->DataType()),
                                             DataTypeName(column.DataType)}));
            match->SetDataIndex(int(p));
            AddFieldName(column.Name, match);
        }
    } catch (...) {
        // Nothing stays borrowed from a view that did not open.
        Close();
        throw;
    }
    dataOpened_ = true;
    SetOpened(true);
}

void TVizeDriverDataView::Close() {
    if (Opened()) TVizeBaseDataView::Deactivate();
    resultSet_.reset();
    if (connection_ && database_) {
        database_->ReleaseLink(connection_);
        database_->Deactivate();
    }
    connection_ = nullptr;
    dataOpened_ = false;
    SetOpened(false);
}

void TVizeDriverDataView::Deactivate() {
    if (Opened()) {
        Close();
        return;
    }
    TVizeBaseDataView::Deactivate();
}

void TVizeDriverDataView::GetRow(int kind) {
    if (!Opened() || !resultSet_) {
        // The source failed to open: the view has no rows, and a running
        // report stops.
        StoreRow(kind, true, nullptr, 0);
        AbortReport(this);
        return;
    }
    if (kind == rkFirst) resultSet_->First();
    else if (kind == rkNext) resultSet_->Next();
    // A driver that fails to move or to tell the end could otherwise hand
    // out the same row without end: the view ends there.
    if (resultSet_->Eof() || resultSet_->Failures > 0) {
        StoreRow(kind, true, nullptr, 0);
        return;
    }
    std::vector<std::uint8_t> row;
    if (!resultSet_->GetRow(row)) row.clear();
    StoreRow(kind, false, row.data(), int(row.size()));
}

void TVizeDriverDataView::GetFields(std::vector<TVizeDataFieldInfo>& list) {
    Activate();
    try {
        for (const TResultSetField& column : resultSet_->Fields)
            list.push_back({column.Name, TVPDataType(column.DataType), column.Size, column.FullName, column.Description});
    } catch (...) {
        Close();
        throw;
    }
    Close();
}

void TVizeDriverDataView::SetFilter(const std::vector<TVizeFilterItem>&) {
    Close();
    Activate();
}

void TVizeDriverDataView::SetSort(const std::vector<std::string>&) {
    throw Exception(Trans("SetRemoteSort not supported."));
}

void TVizeDriverDataView::ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) {
    TVizeBaseDataView::ReplaceReference(oldRef, newRef);
    if (oldRef && oldRef == database_) SetDatabase(dynamic_cast<TVizeDatabase*>(newRef));
}

void TVizeDriverDataView::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component && component == database_) {
        // The database has already freed the connection it lent: drop the
        // result set without calling on that connection again.
        if (resultSet_) resultSet_->Handle = -1;
        resultSet_.reset();
        connection_ = nullptr;
        database_ = nullptr;
        if (Opened()) TVizeBaseDataView::Deactivate();
        dataOpened_ = false;
        SetOpened(false);
    }
    TVizeBaseDataView::Notification(component, operation);
}

void InitializeVzDriverDataView() {
    RegisterProc("VZCL", [] {
        RegisterVizeClass(TVizeDriverDataView::StaticClass());
        RegisterVizeClassAlias("TVizeSQLDataView", TVizeDriverDataView::StaticClass());
        RegisterModuleClasses("VzData", {TVizeDriverDataView::StaticClass()}, 0);
        RegisterDisplayName("Driver Data View", TVizeDriverDataView::StaticClass());
    });
}
