#include "platform/data/FieldDefs.h"

#include <algorithm>

#include "platform/core/Strings.h"
#include "platform/data/DBConsts.h"
#include "platform/data/DBError.h"
#include "platform/data/DataSet.h"
#include "platform/data/StdFields.h"

using namespace DBConsts;

namespace {
std::string DataSetName(TDataSet* ds) { return ds ? ds->Name() : std::string(); }
}  // namespace

std::string ExtractFieldName(const std::string& names, std::size_t& pos) {
    std::size_t end = std::min(names.find(';', pos), names.size());
    std::string part = pos < names.size() ? names.substr(pos, end - pos) : std::string();
    pos = end + 1;
    auto b = part.find_first_not_of(" \t");
    if (b == std::string::npos) return std::string();
    return part.substr(b, part.find_last_not_of(" \t") - b + 1);
}

std::vector<std::string> SplitFieldNames(const std::string& names) {
    std::vector<std::string> out;
    for (std::size_t pos = 0; pos <= names.size();)
        if (std::string name = ExtractFieldName(names, pos); !name.empty()) out.push_back(std::move(name));
    return out;
}

// ---------------------------------------------------------------- TFieldDef

TFieldDef::TFieldDef(TFieldDefs* owner, const std::string& name, TFieldType type, int size, bool required,
                     int fieldNo)
    : owner_(owner), name_(name), dataType_(type), size_(size), fieldNo_(fieldNo) {
    if (required) attributes_ |= faRequired;
}

TFieldDef::~TFieldDef() = default;

void TFieldDef::SetRequired(bool value) {
    if (value)
        attributes_ |= faRequired;
    else
        attributes_ &= ~static_cast<TFieldAttributes>(faRequired);
}

int TFieldDef::Index() const {
    for (int i = 0; i < owner_->Count(); ++i)
        if (owner_->Items(i) == this) return i;
    return -1;
}

int TFieldDef::childDefsCount() const { return childDefs_ ? childDefs_->Count() : 0; }

TFieldDefs& TFieldDef::ChildDefs() {
    if (!childDefs_) {
        childDefs_ = std::make_unique<TFieldDefs>(owner_->DataSet());
        childDefs_->parentDef_ = this;
    }
    return *childDefs_;
}

TField* TFieldDef::CreateField(TComponent* owner) {
    TField* field = CreateFieldOfType(dataType_, owner);
    if (!field) DatabaseErrorFmt(SUnknownFieldType, {name_});
    try {
        field->SetFieldType(dataType_);
        field->size_ = size_;
        field->fieldName_ = name_;
        field->required_ = Required();
        field->readOnly_ = (attributes_ & faReadonly) != 0;
        if (attributes_ & faHiddenCol) field->visible_ = false;
        if (internalCalcField_) field->fieldKind_ = fkInternalCalc;
        if (auto* bcd = dynamic_cast<TBCDField*>(field)) bcd->SetPrecision(precision_);
        if (owner_->DataSet()) field->SetDataSet(owner_->DataSet());
    } catch (...) {
        delete field;
        throw;
    }
    return field;
}

// ---------------------------------------------------------------- TFieldDefs

TFieldDefs::~TFieldDefs() = default;

TFieldDef* TFieldDefs::Items(int index) const {
    if (index < 0 || index >= Count()) DatabaseError(SFieldIndexError, DataSetName(dataSet_));
    return items_[static_cast<std::size_t>(index)].get();
}

TFieldDef* TFieldDefs::Add(const std::string& name, TFieldType type, int size, bool required) {
    if (name.empty()) DatabaseError(SFieldNameMissing, DataSetName(dataSet_));
    if (IndexOf(name) >= 0) DatabaseErrorFmt(SDuplicateFieldName, {name}, DataSetName(dataSet_));
    items_.push_back(std::make_unique<TFieldDef>(this, name, type, size, required, Count() + 1));
    Changed();
    return items_.back().get();
}

TFieldDef* TFieldDefs::AddFieldDef() {
    items_.push_back(std::make_unique<TFieldDef>(this, std::string(), ftUnknown, 0, false, Count() + 1));
    Changed();
    return items_.back().get();
}

void TFieldDefs::Delete(int index) {
    Items(index);
    items_.erase(items_.begin() + index);
    for (int i = index; i < Count(); ++i) items_[static_cast<std::size_t>(i)]->fieldNo_ = i + 1;
    Changed();
}

void TFieldDefs::Clear() {
    items_.clear();
    Changed();
}

int TFieldDefs::IndexOf(const std::string& name) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(items_[static_cast<std::size_t>(i)]->Name(), name)) return i;
    return -1;
}

TFieldDef* TFieldDefs::Find(const std::string& name) const {
    int i = IndexOf(name);
    if (i < 0) DatabaseErrorFmt(SFieldNotFound, {name}, DataSetName(dataSet_));
    return items_[static_cast<std::size_t>(i)].get();
}

void TFieldDefs::Assign(const TFieldDefs& source) {
    if (&source == this) return;
    items_.clear();
    for (const auto& d : source.items_) {
        auto copy = std::make_unique<TFieldDef>(this, d->name_, d->dataType_, d->size_, false, d->fieldNo_);
        copy->precision_ = d->precision_;
        copy->attributes_ = d->attributes_;
        copy->internalCalcField_ = d->internalCalcField_;
        if (d->childDefs_) copy->ChildDefs().Assign(*d->childDefs_);
        items_.push_back(std::move(copy));
    }
    Changed();
}

void TFieldDefs::Changed() {}

void TFieldDefs::Update() {
    if (!updated_ && dataSet_) dataSet_->InitFieldDefs();
    updated_ = true;
}

// ---------------------------------------------------------------- TIndexDef

TIndexDef::TIndexDef(TIndexDefs* owner, const std::string& name, const std::string& fields,
                     TIndexOptions options)
    : owner_(owner), name_(name), fields_(fields), options_(options) {}

int TIndexDef::Index() const {
    for (int i = 0; i < owner_->Count(); ++i)
        if (owner_->Items(i) == this) return i;
    return -1;
}

void TIndexDef::Assign(const TIndexDef& source) {
    name_ = source.name_;
    fields_ = source.fields_;
    options_ = source.options_;
    descFields_ = source.descFields_;
    caseInsFields_ = source.caseInsFields_;
    expression_ = source.expression_;
    source_ = source.source_;
    groupingLevel_ = source.groupingLevel_;
}

// ---------------------------------------------------------------- TIndexDefs

TIndexDef* TIndexDefs::Items(int index) const {
    if (index < 0 || index >= Count()) DatabaseError(SFieldIndexError, DataSetName(dataSet_));
    return items_[static_cast<std::size_t>(index)].get();
}

TIndexDef* TIndexDefs::Add(const std::string& name, const std::string& fields, TIndexOptions options) {
    items_.push_back(std::make_unique<TIndexDef>(this, name, fields, options));
    return items_.back().get();
}

TIndexDef* TIndexDefs::AddIndexDef() { return Add(std::string(), std::string(), 0); }

void TIndexDefs::Delete(int index) {
    Items(index);
    items_.erase(items_.begin() + index);
}

void TIndexDefs::Clear() { items_.clear(); }

int TIndexDefs::IndexOf(const std::string& name) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(items_[static_cast<std::size_t>(i)]->Name(), name)) return i;
    return -1;
}

TIndexDef* TIndexDefs::Find(const std::string& name) const {
    int i = IndexOf(name);
    if (i < 0) DatabaseErrorFmt(SIndexNotFound, {name}, DataSetName(dataSet_));
    return items_[static_cast<std::size_t>(i)].get();
}

TIndexDef* TIndexDefs::GetIndexForFields(const std::string& fields, bool caseInsensitive) const {
    std::vector<std::string> want = SplitFieldNames(fields);
    if (want.empty()) return nullptr;
    for (const auto& d : items_) {
        if ((d->Options() & ixExpression) != 0) continue;
        bool ci = (d->Options() & ixCaseInsensitive) != 0;
        if (ci != caseInsensitive) continue;
        std::vector<std::string> have = SplitFieldNames(d->Fields());
        if (have.size() < want.size()) continue;
        bool match = true;
        for (std::size_t i = 0; i < want.size() && match; ++i) match = SameText(have[i], want[i]);
        if (match) return d.get();
    }
    return nullptr;
}

void TIndexDefs::Assign(const TIndexDefs& source) {
    if (&source == this) return;
    items_.clear();
    for (const auto& d : source.items_) {
        TIndexDef* copy = AddIndexDef();
        copy->Assign(*d);
    }
}

void TIndexDefs::Update() {
    if (!updated_ && dataSet_) dataSet_->UpdateIndexDefs();
    updated_ = true;
}
