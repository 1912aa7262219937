// TqmtCustomMemTable: copying rows, structure and field properties between
// the table and other datasets, and merging the table's rows into another
// dataset by key.

#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "memtable/MemTable.h"
#include "platform/data/DBConsts.h"
#include "platform/data/StdFields.h"

namespace {

using FieldMap = std::vector<std::pair<TField*, TField*>>;  // destination, source

// Destination fields that take a value, each with the source field of the
// same name: lookup fields and kinds other than data, calculated and
// internal-calc are skipped, so are unsupported types, and an auto-increment
// field unless the destination is empty.
FieldMap MapFields(TDataSet* source, TDataSet* destination) {
    FieldMap map;
    for (TField* d : destination->Fields().List()) {
        if (d->FieldKind() != fkData && d->FieldKind() != fkCalculated && d->FieldKind() != fkInternalCalc) continue;
        if (!TqmtCommon::IsSupportedType(d->DataType())) continue;
        if (d->DataType() == ftAutoInc && !destination->IsEmpty()) continue;
        if (TField* s = source->FindField(d->FieldName())) map.emplace_back(d, s);
    }
    return map;
}

bool IsOraBlob(TField* f) {
    auto* b = dynamic_cast<TBlobField*>(f);
    return b && (b->BlobType() == ftOraBlob || b->BlobType() == ftOraClob);
}

// The database engine's error class, recognised by name as the other
// libraries raise it.
bool IsEngineError(const std::exception& e) { return std::string(typeid(e).name()).find("EDBEngineError") != std::string::npos; }

void CopyValue(TField* s, TField* d) {
    if (s->IsNull()) {
        d->Clear();
        return;
    }
    if (IsOraBlob(s)) {
        try {
            d->SetAsString(s->AsString());
        } catch (const std::exception& e) {
            if (!IsEngineError(e)) throw;
            d->Clear();
        }
        return;
    }
    if (typeid(*d) != typeid(*s) || s->DataType() == ftLargeint) {
        d->SetAsString(s->AsString());
        return;
    }
    switch (s->DataType()) {
        case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: d->SetAsInteger(s->AsInteger()); break;
        case ftBoolean: d->SetAsBoolean(s->AsBoolean()); break;
        case ftFloat: case ftCurrency: d->SetAsFloat(s->AsFloat()); break;
        case ftBCD: case ftFMTBcd: d->SetAsCurrency(s->AsCurrency()); break;
        case ftDate: case ftTime: case ftDateTime: d->SetAsDateTime(s->AsDateTime()); break;
        default: d->SetAsString(s->AsString()); break;
    }
}

// Leaves edit or insert mode after a failed row, so the dataset is usable.
void CancelPending(TDataSet* ds) {
    if (ds->State() == dsEdit || ds->State() == dsInsert) ds->Cancel();
}

}  // namespace

// ---- rows ---------------------------------------------------------------------------

int TqmtCustomMemTable::CopyRecords(TDataSet* source, TDataSet* destination, int limit) {
    const FieldMap map = MapFields(source, destination);
    DoProgress(0, mtpcCopy);
    int total = 0;
    if (OnProgress) {
        total = source->RecordCount();
        if (total <= 0) DoProgress(50, mtpcCopy);
    }
    loadedCompletely_ = true;
    int count = 0, seen = 0;
    while (!source->Eof()) {
        if (seen % 100 == 0 && total > 0) DoProgress(seen * 100 / total, mtpcCopy);
        ++seen;
        bool accept = true;
        if (source == this && OnSaveRecord) OnSaveRecord(this, accept);
        if (accept) {
            destination->Append();
            try {
                for (auto& [d, s] : map) {
                    if (source == this && OnSaveField) OnSaveField(this, s->Index(), s);
                    CopyValue(s, d);
                    if (destination == this && OnLoadField) OnLoadField(this, d->Index(), d);
                }
                bool keep = true;
                if (destination == this && OnLoadRecord) OnLoadRecord(this, keep);
                if (keep) {
                    destination->Post();
                    ++count;
                } else {
                    destination->Cancel();
                }
            } catch (...) {
                CancelPending(destination);
                throw;
            }
            if (limit > 0 && count >= limit) {
                source->Next();
                loadedCompletely_ = source->Eof();
                break;
            }
        }
        source->Next();
    }
    DoProgress(100, mtpcCopy);
    return count;
}

int TqmtCustomMemTable::MergeRecords(TDataSet* source, TDataSet* destination, int flags, int limit,
                                     const std::string& keyFieldNames) {
    if (SplitFieldNames(keyFieldNames).empty()) throw EMemTableError(qmtmsg::NoFields);
    std::vector<TField*> keys;
    source->GetFieldList(keys, keyFieldNames);
    auto* memSource = dynamic_cast<TqmtCustomMemTable*>(source);
    auto* memDest = dynamic_cast<TqmtCustomMemTable*>(destination);
    const FieldMap map = MapFields(source, destination);
    DoProgress(0, mtpcUpdate);
    const int total = OnProgress ? source->RecordCount() : 0;
    int count = 0, seen = 0;
    while (!source->Eof()) {
        if (seen % 100 == 0 && total > 0) DoProgress(seen * 100 / total, mtpcCopy);
        ++seen;
        bool accept = true;
        if (memSource && memSource->OnSaveRecord) memSource->OnSaveRecord(memSource, accept);
        if (accept) {
            const bool found = destination->Locate(keyFieldNames, source->FieldValues(keyFieldNames), 0);
            bool write = false;
            if (found && (flags & mtmfUpdate)) {
                destination->Edit();
                write = true;
            } else if (!found && (flags & mtmfAppend)) {
                destination->Append();
                write = true;
            }
            if (write) {
                try {
                    for (auto& [d, s] : map) {
                        if (memSource && memSource->OnSaveField) memSource->OnSaveField(memSource, s->Index(), s);
                        if (s->IsNull())
                            d->Clear();
                        else
                            d->SetAsString(s->AsString());
                        if (memDest && memDest->OnLoadField) memDest->OnLoadField(memDest, d->Index(), d);
                    }
                    bool keep = true;
                    if (memDest && memDest->OnLoadRecord) memDest->OnLoadRecord(memDest, keep);
                    if (keep) {
                        destination->Post();
                        ++count;
                    } else {
                        destination->Cancel();
                    }
                } catch (...) {
                    CancelPending(destination);
                    throw;
                }
                if (limit > 0 && count >= limit) break;
            }
        }
        source->Next();
    }
    DoProgress(100, mtpcUpdate);
    return count;
}

void TqmtCustomMemTable::CopyFromDataSet(TDataSet* source, int flags) {
    if (!source || source == this) return;
    if ((flags & mtcpoAppend) && (flags & (mtcpoStructure | mtcpoProperties)))
        throw EMemTableError(qmtmsg::AppendAndStructure);
    if (OnLoad) OnLoad(this, qmtStorageDataSet, nullptr);
    if (flags & mtcpoStructure)
        Close();
    else if (!(flags & mtcpoAppend))
        EmptyTableRows();
    const bool wasFiltered = Filtered();
    const bool wasEnableIndexes = enableIndexes_;
    const bool sourceWasActive = source->Active();
    SetFiltered(false);
    enableIndexes_ = false;
    ignoreReadOnly_ = true;
    DisableControls();
    source->DisableControls();
    TBookmark mark;
    auto restore = [&] {
        ignoreReadOnly_ = false;
        enableIndexes_ = wasEnableIndexes;
        SetFiltered(wasFiltered);
        source->EnableControls();
        EnableControls();
        if (!sourceWasActive) source->Close();
    };
    try {
        if (!sourceWasActive) source->Open();
        try {
            mark = source->GetBookmark();
        } catch (...) {
        }
        if (flags & mtcpoStructure) CopyStructure(source, flags);
        if (!Active()) Open();
        if ((flags & mtcpoProperties) && !(flags & mtcpoAppend)) CopyAllFieldProperties(source);
        if (!source->Bof()) source->First();
        loadedCount_ = CopyRecords(source, this, loadLimit_);
        First();
        enableIndexes_ = wasEnableIndexes;
        store_->MarkAllIndexesUnordered();
        store_->RebuildAllIndexes();
        if (!mark.empty()) try {
                source->GotoBookmark(mark);
            } catch (...) {
            }
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

void TqmtCustomMemTable::CopyToDataSet(TDataSet* destination) {
    if (!destination || destination == this) return;
    if (OnSave) OnSave(this, qmtStorageDataSet, nullptr);
    // A closed destination is closed again afterwards, unless closing would
    // throw the copied rows away (an in-memory table keeps none once closed).
    const bool closeAfter = !destination->Active() && !dynamic_cast<TqmtCustomMemTable*>(destination);
    DisableControls();
    destination->DisableControls();
    auto restore = [&] {
        destination->EnableControls();
        EnableControls();
        if (closeAfter) destination->Close();
    };
    try {
        if (!destination->Active()) destination->Open();
        if (!Active()) Open();
        First();
        savedCount_ = CopyRecords(this, destination, saveLimit_);
        destination->First();
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

void TqmtCustomMemTable::MergeIntoDataSet(TDataSet* destination, const std::string& keyFieldNames, int flags) {
    if (Active()) CheckBrowseMode();
    if (!destination || destination == this) return;
    if (OnSave) OnSave(this, qmtStorageDataSet, nullptr);
    DisableControls();
    destination->DisableControls();
    auto restore = [&] {
        destination->EnableControls();
        EnableControls();
    };
    try {
        if (!destination->Active()) destination->Open();
        if (!Active()) Open();
        First();
        savedCount_ = MergeRecords(this, destination, flags, -1, keyFieldNames);
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

// ---- structure and field properties ------------------------------------------------

void TqmtCustomMemTable::CloseAllAttached() { store_->CloseOtherTables(nullptr); }

void TqmtCustomMemTable::DestroyAllFields() {
    CheckInactive();
    const std::vector<TField*> fields = Fields().List();
    for (TField* f : fields) delete f;
}

void TqmtCustomMemTable::DropFields() {
    CloseAllAttached();
    Close();
    DestroyAllFields();
}

void TqmtCustomMemTable::CopyFieldDef(const TFieldDef* from, TFieldDef* to) {
    TFieldType type = from->DataType();
    if (type == ftWideString || type == ftGuid) type = ftString;
    to->SetName(from->Name());
    to->SetDataType(type);
    to->SetSize(from->Size());
    to->SetPrecision(from->Precision());
    to->SetAttributes(from->Attributes());
    to->SetInternalCalcField(from->InternalCalcField());
    if (from->HasChildDefs()) {
        TFieldDefs& children = const_cast<TFieldDef*>(from)->ChildDefs();
        for (int i = 0; i < children.Count(); ++i) CopyFieldDef(children[i], to->ChildDefs().AddFieldDef());
    }
}

TField* TqmtCustomMemTable::MakeFieldLike(TField* field) {
    TFieldType type = field->DataType();
    if (type == ftWideString || type == ftGuid) type = ftString;
    TField* f = CreateFieldOfType(type, Owner());
    if (!f) DatabaseErrorFmt(DBConsts::SUnknownFieldType, {field->FieldName()});
    try {
        if (field->Size() != 0) f->SetSize(field->Size());
        f->SetFieldKind(field->FieldKind());
        f->SetFieldName(field->FieldName());
        f->SetLookupDataSet(field->LookupDataSet());
        f->SetKeyFields(field->KeyFields());
        f->SetLookupKeyFields(field->LookupKeyFields());
        f->SetLookupResultField(field->LookupResultField());
        auto* fromBcd = dynamic_cast<TBCDField*>(field);
        auto* toBcd = dynamic_cast<TBCDField*>(f);
        if (fromBcd && toBcd) toBcd->SetPrecision(fromBcd->Precision());
        f->SetDataSet(this);
    } catch (...) {
        delete f;
        throw;
    }
    return f;
}

void TqmtCustomMemTable::CopyFieldProperties(TField* from, TField* to) {
    if (!from || !to) return;
    to->SetDisplayWidth(from->DisplayWidth());
    to->SetDisplayLabel(from->DisplayLabel());
    to->SetRequired(from->Required());
    to->SetReadOnly(from->ReadOnly());
    to->SetVisible(from->Visible());
    to->SetDefaultExpression(from->DefaultExpression());
    to->SetAlignment(from->Alignment());
    auto* fromNum = dynamic_cast<TNumericField*>(from);
    auto* toNum = dynamic_cast<TNumericField*>(to);
    if (fromNum && toNum) {
        toNum->SetDisplayFormat(fromNum->DisplayFormat());
        toNum->SetEditFormat(fromNum->EditFormat());
    }
    auto* fromInt = dynamic_cast<TIntegerField*>(from);
    auto* toInt = dynamic_cast<TIntegerField*>(to);
    if (fromInt && toInt) {
        toInt->SetMaxValue(fromInt->MaxValue());
        toInt->SetMinValue(fromInt->MinValue());
    }
    auto* fromDate = dynamic_cast<TDateTimeField*>(from);
    auto* toDate = dynamic_cast<TDateTimeField*>(to);
    if (fromDate && toDate) toDate->SetDisplayFormat(fromDate->DisplayFormat());
    auto* fromBool = dynamic_cast<TBooleanField*>(from);
    auto* toBool = dynamic_cast<TBooleanField*>(to);
    if (fromBool && toBool) toBool->SetDisplayValues(fromBool->DisplayValues());
    auto* fromFloat = dynamic_cast<TFloatField*>(from);
    auto* toFloat = dynamic_cast<TFloatField*>(to);
    if (fromFloat && toFloat) {
        toFloat->SetMaxValue(fromFloat->MaxValue());
        toFloat->SetMinValue(fromFloat->MinValue());
        toFloat->SetPrecision(fromFloat->Precision());
        toFloat->SetCurrency(fromFloat->Currency());
    }
    auto* fromBcd = dynamic_cast<TBCDField*>(from);
    auto* toBcd = dynamic_cast<TBCDField*>(to);
    if (fromBcd && toBcd) toBcd->SetCurrency(fromBcd->Currency());
    auto* fromBlob = dynamic_cast<TBlobField*>(from);
    auto* toBlob = dynamic_cast<TBlobField*>(to);
    if (fromBlob && toBlob) toBlob->SetBlobType(fromBlob->BlobType());
    if (OnSetupFieldProperties) OnSetupFieldProperties(this, to);
}

void TqmtCustomMemTable::CopyAllFieldProperties(TDataSet* source) {
    if (!source) return;
    for (TField* f : Fields().List())
        if (TField* s = source->FindField(f->FieldName())) CopyFieldProperties(s, f);
}

void TqmtCustomMemTable::CopyStructure(TDataSet* source, int flags) {
    if (store_->AnyTableOpen()) CloseAllAttached();
    if (!source) return;
    if (!source->Active()) source->FieldDefs().Update();
    if (source->FieldDefs().Count() > QMT_MAX_FIELDS) throw EMemTableError(qmtmsg::TooManyFieldDefs);
    Close();
    FieldDefs().Clear();
    for (int i = 0; i < source->FieldDefs().Count(); ++i) CopyFieldDef(source->FieldDefs()[i], FieldDefs().AddFieldDef());
    for (int i = FieldDefs().Count() - 1; i >= 0; --i) {
        TFieldDef* d = FieldDefs()[i];
        if (!TqmtCommon::IsSupportedType(d->DataType()) ||
            ((flags & mtcpoOnlyDataFields) && !source->FindField(d->Name())))
            FieldDefs().Delete(i);
    }
    DestroyAllFields();
    // A source with field objects of its own gets a table with field
    // objects too, so that its lookup and calculated fields can join them.
    if (source->FieldCount() > 0 && !source->DefaultFields())
        for (int i = 0; i < FieldDefs().Count(); ++i) FieldDefs()[i]->CreateField(Owner());
    for (TField* s : source->Fields().List()) {
        const bool wanted = (s->FieldKind() == fkLookup && (flags & mtcpoLookup)) ||
                            (s->FieldKind() == fkCalculated && (flags & mtcpoCalculated));
        if (!wanted || FindField(s->FieldName())) continue;
        TField* f = MakeFieldLike(s);
        if (flags & mtcpoFieldIndex) f->SetIndex(s->Index());
    }
    if (flags & mtcpoProperties) CopyAllFieldProperties(source);
    ResetAutoInc();
}
