#include "reportproject/VzData.h"

#include <array>
#include <cstring>

#include "platform/core/Strings.h"
#include "report/BaseReport.h"
#include "report/ReportDefs.h"
#include "reportproject/VzProj.h"
#include "reportproject/VzUtil.h"

namespace {
enum : int { rowFirst = 0, rowMiddle = 1, rowLast = 2 };
const char* const Invalid = "(invalid)";
}  // namespace

TVizeClassRef TVizeBaseDataView::StaticClass() {
    static const TVizeClass cls("TVizeBaseDataView", TVizeDataObject::StaticClass(), nullptr, true);
    return &cls;
}

TVizeBaseDataView::TVizeBaseDataView(TComponent* owner) : TVizeDataObject(owner) {}

TVizeBaseDataView::~TVizeBaseDataView() {
    Destroying();
    ClearLookAhead();
}

// ------------------------------------------------------------- cursor

void TVizeBaseDataView::First() {
    empty_ = false;
    atEnd_ = false;
    Fetch(rkFirst);
}

void TVizeBaseDataView::Next() {
    if (!atEnd_) Fetch(rkNext);
}

void TVizeBaseDataView::GetCurrentRow() {
    atEnd_ = false;
    Fetch(rkCurrent);
}

void TVizeBaseDataView::Fetch(int kind) {
    // The recorded rows start wherever the cursor was when recording began,
    // not at the source's first row: outside a recording, First starts over
    // from the source.
    if (replay_ && kind == rkFirst && !saving_) ClearLookAhead();
    if (replay_) {
        if (kind == rkFirst) {
            if (replay_->Size() > 0) return;  // the recorded first row
            Advance();
            atEnd_ = true;
            empty_ = true;
            return;
        }
        atEnd_ = replay_->RowKind == rowLast;
        if (kind == rkNext)
            Advance();
        else
            empty_ = replay_->Size() == 0;
        if (atEnd_ || replay_) return;
    }
    Activate();
    GetRow(kind);
}

void TVizeBaseDataView::Advance() {
    TVizeDataRow* row = replay_;
    replay_ = row->NextRow;
    if (saving_) return;
    // Replayed rows are dropped as they are passed, from the head on.
    if (row != head_) throw EVizeException(Trans("ValueList mismatch."));
    head_ = row->NextRow;
    if (!head_) tail_ = nullptr;
    delete row;
}

TVizeDataRow* TVizeBaseDataView::AppendLookAhead() {
    auto* row = new TVizeDataRow;
    row->RowKind = rowMiddle;
    if (tail_)
        tail_->NextRow = row;
    else
        head_ = row;
    tail_ = row;
    return row;
}

void TVizeBaseDataView::ClearLookAhead() {
    while (head_) {
        TVizeDataRow* next = head_->NextRow;
        delete head_;
        head_ = next;
    }
    tail_ = nullptr;
    replay_ = nullptr;
    peekReplay_ = nullptr;
}

void TVizeBaseDataView::StoreRow(int kind, bool atEnd, const Byte* data, int size) {
    atEnd_ = atEnd;
    if (atEnd) {
        if (kind == rkFirst) {
            empty_ = true;
            if (saving_) AppendLookAhead();
        }
        if (saving_ && tail_) tail_->RowKind = rowLast;
        return;
    }
    TVizeDataRow* target = &currentRow_;
    if (saving_) {
        target = AppendLookAhead();
        if (kind == rkFirst) target->RowKind = rowFirst;
    }
    target->SetSize(size);
    if (size > 0) std::memcpy(target->Data(), data, size_t(size));
}

TVizeDataRow* TVizeBaseDataView::PresentedRow() {
    if (replay_) return replay_;
    if (saving_ && tail_) return tail_;
    return &currentRow_;
}

void TVizeBaseDataView::SaveState() {
    if (saving_) throw EVizeException(Trans("DataView.SaveState called while Saving."));
    saving_ = true;
    savedAtEnd_ = atEnd_;
    if (replay_) return;
    TVizeDataRow* row = AppendLookAhead();
    if (atEnd_) {
        row->RowKind = rowLast;
    } else {
        row->RowKind = rowFirst;
        currentRow_.MoveTo(*row);
    }
}

void TVizeBaseDataView::RestoreState() {
    if (!saving_) throw EVizeException(Trans("DataView.RestoreState called when not saving."));
    saving_ = false;
    replay_ = head_;
    atEnd_ = savedAtEnd_;
}

bool TVizeBaseDataView::HasNextRow() {
    bool atEnd;
    if (saving_) {
        TVizeDataRow* keep = replay_;
        bool keepEnd = atEnd_;
        Next();
        atEnd = atEnd_;
        replay_ = keep;
        atEnd_ = keepEnd;
    } else {
        SaveState();
        Next();
        atEnd = atEnd_;
        RestoreState();
    }
    return !atEnd;
}

void TVizeBaseDataView::Peek(int count) {
    peekSaving_ = saving_;
    peekAtEnd_ = atEnd_;
    peekReplay_ = replay_;
    if (!saving_) SaveState();
    for (int i = 0; i < count && !atEnd_; ++i) Next();
}

void TVizeBaseDataView::Unpeek() {
    atEnd_ = peekAtEnd_;
    replay_ = peekReplay_;
    if (!peekSaving_) RestoreState();
}

bool TVizeBaseDataView::CheckRowsLeft(int count) {
    Peek(count);
    bool atEnd = Eof();
    Unpeek();
    return !atEnd;
}

// ------------------------------------------------------------- fields

void TVizeBaseDataView::AddFieldName(const std::string& name, TVizeDataField* field) {
    fieldNames_.push_back({RemoveBrackets(name), field});
}

TVizeDataField* TVizeBaseDataView::FieldByName(const std::string& name) {
    if (!opened_) {
        Activate();
        GetCurrentRow();
    }
    std::string key = name;
    std::string prefix = Name() + ".";
    if (key.size() > prefix.size() && SameText(key.substr(0, prefix.size()), prefix)) key.erase(0, prefix.size());
    key = RemoveBrackets(key);
    for (const auto& [n, field] : fieldNames_)
        if (SameText(n, key)) return field;
    return nullptr;
}

std::string TVizeBaseDataView::FieldText(TVizeBaseDataView* view, const std::string& name) {
    TVizeDataField* field = view ? view->FieldByName(name) : nullptr;
    return field ? field->AsString() : Invalid;
}

std::string TVizeBaseDataView::LookupValue(const std::string& keyValue, TVizeDataField* keyField,
                                           const std::string& filterFieldName, const std::string& displayExpr,
                                           const std::string& defaultText) {
    SetFilter({{RemoveBrackets(filterFieldName), "=", keyValue, keyField}});
    First();
    std::string result = Eof() ? defaultText : EvaluateDataText(this, this, displayExpr);
    SetFilter({});
    return result;
}

void TVizeBaseDataView::ApplyMasterDetail(const std::string& detailKeys, TVizeBaseDataView* masterView,
                                          const std::string& masterKeys, const std::string& sortKeys) {
    char delim = 0;
    if (!sortKeys.empty()) {
        std::vector<std::string> keys;
        std::string rest = sortKeys;
        while (!rest.empty()) keys.push_back(RemoveBrackets(NextToken(rest, delim, "+")));
        SetSort(keys);
    }
    if (masterView && !detailKeys.empty() && !masterKeys.empty()) {
        std::vector<TVizeFilterItem> filter;
        std::string details = detailKeys, masters = masterKeys;
        while (!details.empty() && !masters.empty()) {
            std::string detail = NextToken(details, delim, "+");
            std::string master = NextToken(masters, delim, "+");
            size_t dot = detail.find('.');
            size_t lt = detail.find('<');
            if (dot != std::string::npos && (lt == std::string::npos || lt > dot)) detail.erase(0, dot + 1);
            TVizeFilterItem item{RemoveBrackets(detail), "=", {}, nullptr};
            if (TVizeDataField* field = masterView->FieldByName(master)) {
                item.Value = field->AsString();
                item.Field = field;
            } else {
                item.Value = EvaluateDataText(masterView, masterView, master);
            }
            filter.push_back(item);
        }
        SetFilter(filter);
    }
    First();
}

bool TVizeBaseDataView::AcceptChild(TVizeClassRef childClass) const {
    return childClass && childClass->InheritsFrom(TVizeDataField::StaticClass());
}

void TVizeBaseDataView::SetName(const std::string& newName) {
    std::string oldName = Name();
    TVizeDataObject::SetName(newName);
    if (Name() == oldName) return;
    for (int i = 0; i < ChildCount(); ++i) {
        auto* field = dynamic_cast<TVizeDataField*>(GetChild(i));
        if (field && field->Name() == CleanFieldName(oldName, field->FieldName()))
            field->SetName(CleanFieldName(Name(), field->FieldName()));
    }
}

void TVizeBaseDataView::Deactivate() {
    TVizeDataObject::Deactivate();
    if (!opened_) return;
    saving_ = false;
    ClearLookAhead();
}

void TVizeBaseDataView::AfterReport() {
    TVizeDataObject::AfterReport();
    if (opened_) Deactivate();
}

void AbortReport(TVizeComponent* component) {
    TVizeProjectManager* project = component ? component->Project() : nullptr;
    TBaseReport* report = project ? project->BaseReport() : nullptr;
    if (!report) return;
    report->Abort();
    throw EReportAbort();
}

// ---------------------------------------------------------- data text

namespace {
const std::array<const char*, 16> ReportVariables = {
    "DateShort", "DateLong",   "DateUS",     "DateInter",    "TimeShort",    "TimeLong",
    "TimeAMPM",  "Time24",     "FirstPage",  "LastPage",     "TotalPages",   "CurrentPage",
    "RelativePage", "PrinterName", "DriverName", "PortName"};

std::string Evaluate(TVizeComponent* component, TVizeBaseDataView* view, std::string& text, char terminator);

std::string Resolve(TVizeComponent* component, TVizeBaseDataView* view, const std::string& token, char& delim,
                    std::string& text) {
    size_t dot = token.find('.');
    if (dot == std::string::npos) return TVizeBaseDataView::FieldText(view, token);
    std::string prefix = token.substr(0, dot);
    std::string name = token.substr(dot + 1);
    TVizeProjectManager* project = component ? component->Project() : view ? view->Project() : nullptr;
    if (SameText(prefix, "REPORT")) {
        // Report variables come from the canvas of the run in progress
        // (the report's macros, numbered as the list); outside a run they
        // read as empty.
        std::string plain = RemoveBrackets(name);
        for (size_t i = 0; i < ReportVariables.size(); ++i)
            if (SameText(plain, ReportVariables[i]))
                return project && project->BaseReport() ? project->BaseReport()->Macro(int(i)) : std::string();
        return Invalid;
    }
    if (SameText(prefix, "PIVAR")) return {};
    if (SameText(prefix, "PARAM")) {
        std::string value = project ? project->Parameters().Values(RemoveBrackets(name)) : std::string();
        if (delim == '(') {
            std::string fallback = Evaluate(component, view, text, ')');
            if (value.empty()) value = fallback;
            // The character after ")" joins this piece to the next.
            delim = 0;
            if (!text.empty() && (text[0] == '+' || text[0] == '&')) {
                delim = text[0];
                text = Trim(std::string_view(text).substr(1));
            }
        }
        return value;
    }
    auto* other = project ? dynamic_cast<TVizeBaseDataView*>(project->FindVizeComponent(prefix, nullptr)) : nullptr;
    return other ? TVizeBaseDataView::FieldText(other, name) : Invalid;
}

std::string Evaluate(TVizeComponent* component, TVizeBaseDataView* view, std::string& text, char terminator) {
    std::string result;
    while (!text.empty()) {
        std::string piece;
        char delim = 0;
        if (text[0] == '"' || text[0] == '\'') {
            piece = ExtractQuoted(text, text[0]);
            if (!text.empty()) {
                delim = text[0];
                text = Trim(std::string_view(text).substr(1));
            }
        } else {
            std::string token = NextToken(text, delim, "+&()");
            piece = Resolve(component, view, token, delim, text);
        }
        if (delim == '&' && !piece.empty()) piece += ' ';
        result += piece;
        if (terminator && delim == terminator) break;
    }
    return result;
}
}  // namespace

std::string EvaluateDataText(TVizeComponent* component, TVizeBaseDataView* defaultView, const std::string& text) {
    std::string rest = Trim(text);
    if (!rest.empty() && rest.back() == ';') rest.pop_back();
    return Evaluate(component, defaultView, rest, 0);
}

namespace {
void RegisterVzDataClasses() {
    RegisterModuleClasses("VzData", {TVizeBaseDataView::StaticClass()}, 0);
}
}  // namespace

void InitializeVzData() { RegisterProc("VZCL", RegisterVzDataClasses); }
