#include "platform/data/DataSet.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/core/Strings.h"
#include "platform/data/DBConsts.h"
#include "platform/data/DataSource.h"
#include "platform/data/StdFields.h"

using namespace DBConsts;

namespace {
constexpr int DateDelta = 693594;  // days from 1 January of year 1 to 30 December 1899
constexpr double MSecsPerDay = 86400000.0;

bool NeedsConversion(TFieldType type) {
    return type == ftDate || type == ftTime || type == ftDateTime || type == ftBCD || type == ftFMTBcd;
}
}  // namespace

TDataSet::TDataSet(TComponent* owner) : TComponent(owner), fields_(this), fieldDefs_(this) {}

TDataSet::~TDataSet() {
    // Descendants close in their own destructor; if one did not, the
    // buffers cannot be freed through it any more, so only the links are
    // told that the dataset is gone.
    state_ = dsInactive;
    destroying_ = true;
    while (!dataSources_.empty()) dataSources_.back()->SetDataSet(nullptr);
    std::vector<TField*> fields = fields_.list_;
    fields_.list_.clear();
    for (TField* f : fields) {
        f->dataSet_ = nullptr;
        if (f->Owner() == nullptr || f->Owner() == this) delete f;
    }
}

// ---------------------------------------------------------------- state

void TDataSet::CheckActive() const {
    if (!Active()) DatabaseError(SDataSetClosed, Name());
}

void TDataSet::CheckInactive() const {
    if (Active()) DatabaseError(SDataSetOpen, Name());
}

void TDataSet::SetState(TDataSetState value) {
    if (state_ == value) return;
    state_ = value;
    modified_ = false;
    DataEvent(deUpdateState, 0);
}

TDataSetState TDataSet::SetTempState(TDataSetState value) {
    TDataSetState old = state_;
    state_ = value;
    ++disableCount_;
    return old;
}

void TDataSet::RestoreState(TDataSetState value) {
    state_ = value;
    if (disableCount_ > 0) --disableCount_;
}

void TDataSet::SetActive(bool value) {
    if (value == Active()) return;
    if (value) {
        DoBeforeOpen();
        try {
            OpenCursor(false);
        } catch (...) {
            OpenCursorComplete();
            throw;
        }
        OpenCursorComplete();
    } else {
        DoBeforeClose();
        SetState(dsInactive);
        CloseCursor();
        DoAfterClose();
    }
}

void TDataSet::OpenCursor(bool infoQuery) {
    if (infoQuery) {
        InternalInitFieldDefs();
        return;
    }
    DoInternalOpen();
}

void TDataSet::DoInternalOpen() {
    defaultFields_ = fields_.Count() == 0;
    internalOpenComplete_ = false;
    InternalOpen();
    internalOpenComplete_ = true;
    UpdateBufferCount();
    bof_ = true;
}

void TDataSet::OpenCursorComplete() {
    if (internalOpenComplete_) {
        SetState(dsBrowse);
        DoAfterOpen();
        if (!IsEmpty()) DoAfterScroll();
    } else {
        SetState(dsInactive);
        try {
            CloseCursor();
        } catch (...) {
            // The open already failed; that error is the one to report.
        }
    }
}

void TDataSet::CloseCursor() {
    blockReadSize_ = 0;
    internalOpenComplete_ = false;
    FreeFieldBuffers();
    ClearBuffers();
    SetBufListSize(0);
    bufferCount_ = 0;
    if (IsCursorOpen()) InternalClose();
    defaultFields_ = false;
}

void TDataSet::InitFieldDefs() {
    InternalInitFieldDefs();
    fieldDefs_.SetUpdated(true);
}

// ---------------------------------------------------------------- buffers

void TDataSet::SetBufListSize(int count) {
    // count buffers plus the spare; 0 frees everything.
    std::size_t want = count > 0 ? static_cast<std::size_t>(count) + 1 : 0;
    while (buffers_.size() > want) {
        TRecordBuffer b = buffers_.back();
        buffers_.pop_back();
        if (b) FreeRecordBuffer(b);
    }
    while (buffers_.size() < want) buffers_.push_back(AllocRecordBuffer());
}

TRecordBuffer TDataSet::ActiveBuffer() const {
    if (buffers_.empty()) return nullptr;
    return buffers_[static_cast<std::size_t>(activeRecord_)];
}

void TDataSet::SetActiveRecord(int value) {
    if (bufferCount_ <= 0) return;
    activeRecord_ = std::clamp(value, 0, bufferCount_ - 1);
}

void TDataSet::ClearBuffers() {
    recordCount_ = 0;
    activeRecord_ = 0;
    currentRecord_ = -1;
    bof_ = true;
    eof_ = true;
}

void TDataSet::ActivateBuffers() {
    recordCount_ = 1;
    activeRecord_ = 0;
    currentRecord_ = 0;
    bof_ = false;
    eof_ = false;
}

void TDataSet::MoveBuffer(int curIndex, int newIndex) {
    if (curIndex == newIndex) return;
    auto b = buffers_.begin();
    if (curIndex < newIndex)
        std::rotate(b + curIndex, b + curIndex + 1, b + newIndex + 1);
    else
        std::rotate(b + newIndex, b + curIndex, b + curIndex + 1);
    // Keep CurrentRecord pointing at the buffer the cursor stands on.
    if (currentRecord_ == curIndex)
        currentRecord_ = newIndex;
    else if (curIndex < newIndex && currentRecord_ > curIndex && currentRecord_ <= newIndex)
        --currentRecord_;
    else if (curIndex > newIndex && currentRecord_ >= newIndex && currentRecord_ < curIndex)
        ++currentRecord_;
}

void TDataSet::SetCurrentRecord(int index) {
    if (currentRecord_ == index) return;
    TRecordBuffer buffer = buffers_[static_cast<std::size_t>(index)];
    switch (GetBookmarkFlag(buffer)) {
    case bfCurrent:
    case bfInserted:
        InternalSetToRecord(buffer);
        break;
    case bfBOF:
        InternalFirst();
        break;
    case bfEOF:
        InternalLast();
        break;
    }
    currentRecord_ = index;
}

void TDataSet::UpdateCursorPos() {
    if (recordCount_ > 0) SetCurrentRecord(activeRecord_);
}

bool TDataSet::GetNextRecord() {
    TGetMode mode = gmNext;
    if (recordCount_ > 0) {
        SetCurrentRecord(recordCount_ - 1);
        if (state_ == dsInsert && currentRecord_ == activeRecord_ &&
            GetBookmarkFlag(ActiveBuffer()) == bfCurrent)
            mode = gmCurrent;
    }
    bool ok = GetRecord(buffers_[static_cast<std::size_t>(recordCount_)], mode, true) == grOK;
    if (!ok) {
        CursorPosChanged();
        return false;
    }
    if (recordCount_ == 0) {
        ActivateBuffers();
    } else if (recordCount_ < bufferCount_) {
        ++recordCount_;
        currentRecord_ = recordCount_ - 1;
    } else {
        // Window full: the first buffer leaves, the new record is last.
        currentRecord_ = -1;
        MoveBuffer(0, recordCount_);
        currentRecord_ = recordCount_ - 1;
    }
    return true;
}

bool TDataSet::GetPriorRecord() {
    if (recordCount_ > 0) SetCurrentRecord(0);
    bool ok = GetRecord(buffers_[static_cast<std::size_t>(recordCount_)], gmPrior, true) == grOK;
    if (!ok) {
        CursorPosChanged();
        return false;
    }
    if (recordCount_ == 0) {
        ActivateBuffers();
    } else {
        currentRecord_ = -1;
        MoveBuffer(recordCount_, 0);
        if (recordCount_ < bufferCount_) {
            ++recordCount_;
            ++activeRecord_;
        }
        currentRecord_ = 0;
    }
    return true;
}

int TDataSet::GetNextRecords() {
    int n = 0;
    while (recordCount_ < bufferCount_ && GetNextRecord()) ++n;
    return n;
}

int TDataSet::GetPriorRecords() {
    int n = 0;
    while (recordCount_ < bufferCount_ && GetPriorRecord()) ++n;
    return n;
}

void TDataSet::UpdateBufferCount() {
    if (destroying_ || !IsCursorOpen()) return;
    int count = 1;
    for (TDataSource* ds : dataSources_)
        for (TDataLink* link : ds->dataLinks_) count = std::max(count, link->bufferCount_);
    SetBufferCount(count);
}

void TDataSet::SetBufferCount(int value) {
    if (value < 1) value = 1;
    if (value == bufferCount_) return;
    if (value < bufferCount_ && recordCount_ > 0) {
        // Drop records from the front so that the active record stays in
        // the window, preferring to keep the links' first records.
        int minDelta = std::max(0, activeRecord_ - value + 1);
        int delta = activeRecord_;
        for (TDataSource* ds : dataSources_)
            for (TDataLink* link : ds->dataLinks_)
                if (link->active_) delta = std::min(delta, link->firstRecord_);
        delta = std::clamp(delta, minDelta, std::max(minDelta, recordCount_ - 1));
        if (delta > 0) {
            int cur = currentRecord_;
            std::rotate(buffers_.begin(), buffers_.begin() + delta, buffers_.begin() + recordCount_);
            recordCount_ -= delta;
            activeRecord_ -= delta;
            currentRecord_ = cur >= delta ? cur - delta : -1;
            for (TDataSource* ds : dataSources_)
                for (TDataLink* link : ds->dataLinks_)
                    if (link->active_) link->firstRecord_ = std::max(0, link->firstRecord_ - delta);
        }
        if (recordCount_ > value) recordCount_ = value;
        if (currentRecord_ >= value) currentRecord_ = -1;
    }
    SetBufListSize(value);
    bufferCount_ = value;
    if (recordCount_ > bufferCount_) recordCount_ = bufferCount_;
    // A grown window is filled forwards (the first fill of an opening
    // dataset included).
    if (internalOpenComplete_) GetNextRecords();
}

// ---------------------------------------------------------------- events to links

void TDataSet::DataEvent(TDataEvent event, std::intptr_t info) {
    switch (event) {
    case deFieldChange: {
        TField* field = reinterpret_cast<TField*>(info);
        if (field && (field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc))
            SetModified(true);
        if (field) field->Change();
        UpdateCalcFields();
        break;
    }
    case deFieldListChange:
    case dePropertyChange:
        break;
    default:
        break;
    }
    bool notify = !(ControlsDisabled() || state_ == dsBlockRead || NotificationsHeld());
    if (notify) {
        std::vector<TDataSource*> sources = dataSources_;
        for (TDataSource* ds : sources)
            if (std::find(dataSources_.begin(), dataSources_.end(), ds) != dataSources_.end())
                ds->DataEvent(event, info);
    } else if ((event == deUpdateState && state_ == dsInactive) || event == deLayoutChange) {
        enableEvent_ = deLayoutChange;
    }
}

void TDataSet::DisableControls() {
    if (disableCount_ == 0) {
        disableState_ = state_;
        enableEvent_ = deDataSetChange;
    }
    ++disableCount_;
}

void TDataSet::EnableControls() {
    if (disableCount_ == 0) return;
    if (--disableCount_ != 0) return;
    if (disableState_ != state_) DataEvent(deUpdateState, 0);
    if (disableState_ != dsInactive && state_ != dsInactive) DataEvent(enableEvent_, 0);
}

void TDataSet::AddDataSource(TDataSource* dataSource) {
    dataSources_.push_back(dataSource);
    dataSource->dataSet_ = this;
    UpdateBufferCount();
    dataSource->UpdateState();
}

void TDataSet::RemoveDataSource(TDataSource* dataSource) {
    dataSource->dataSet_ = nullptr;
    dataSources_.erase(std::remove(dataSources_.begin(), dataSources_.end(), dataSource),
                       dataSources_.end());
    dataSource->UpdateState();
    UpdateBufferCount();
}

bool TDataSet::IsLinkedTo(TDataSource* dataSource) {
    TDataSet* ds = this;
    while (ds) {
        TDataSource* src = ds->GetDataSource();
        if (!src) return false;
        if (src == dataSource) return true;
        ds = src->DataSet();
    }
    return false;
}

void TDataSet::FieldListChanged() {
    if (Active()) DataEvent(deLayoutChange, 0);
}

// ---------------------------------------------------------------- navigation

void TDataSet::First() {
    CheckBrowseMode();
    DoBeforeScroll();
    ClearBuffers();
    try {
        InternalFirst();
        GetNextRecord();
        GetNextRecords();
    } catch (...) {
        bof_ = true;
        DataEvent(deDataSetChange, 0);
        throw;
    }
    bof_ = true;
    DataEvent(deDataSetChange, 0);
    DoAfterScroll();
}

void TDataSet::Last() {
    CheckBrowseMode();
    DoBeforeScroll();
    ClearBuffers();
    try {
        InternalLast();
        GetPriorRecord();
        GetPriorRecords();
    } catch (...) {
        eof_ = true;
        DataEvent(deDataSetChange, 0);
        throw;
    }
    eof_ = true;
    DataEvent(deDataSetChange, 0);
    DoAfterScroll();
}

int TDataSet::MoveBy(int distance) {
    CheckBrowseMode();
    int result = 0;
    DoBeforeScroll();
    if ((distance > 0 && !eof_) || (distance < 0 && !bof_)) {
        bof_ = false;
        eof_ = false;
        // How far the buffered records moved inside the buffer list; the
        // links turn it into the distance their own window moved.
        int shift = 0;
        try {
            while (distance > 0) {
                if (activeRecord_ < recordCount_ - 1) {
                    ++activeRecord_;
                } else {
                    bool full = recordCount_ >= bufferCount_;
                    if (!GetNextRecord()) {
                        eof_ = true;
                        break;
                    }
                    if (full) --shift;
                    activeRecord_ = recordCount_ - 1;
                }
                --distance;
                ++result;
            }
            while (distance < 0) {
                if (activeRecord_ > 0) {
                    --activeRecord_;
                } else {
                    if (!GetPriorRecord()) {
                        bof_ = true;
                        break;
                    }
                    ++shift;
                    activeRecord_ = 0;
                }
                ++distance;
                --result;
            }
        } catch (...) {
            DataEvent(deDataSetScroll, shift);
            throw;
        }
        DataEvent(deDataSetScroll, shift);
        DoAfterScroll();
    }
    return result;
}

void TDataSet::Resync(TResyncMode mode) {
    TRecordBuffer spare = TempBuffer();
    if (mode & rmExact) {
        CursorPosChanged();
        if (GetRecord(spare, gmCurrent, true) != grOK) DatabaseError(SRecordNotFound, Name());
    } else if (GetRecord(spare, gmCurrent, false) != grOK && GetRecord(spare, gmNext, false) != grOK &&
               GetRecord(spare, gmPrior, false) != grOK) {
        ClearBuffers();
        DataEvent(deDataSetChange, 0);
        return;
    }
    int count = (mode & rmCenter) ? (bufferCount_ - 1) / 2 : activeRecord_;
    currentRecord_ = -1;
    MoveBuffer(recordCount_, 0);
    ActivateBuffers();
    try {
        while (count > 0 && GetPriorRecord()) --count;
        GetNextRecords();
        GetPriorRecords();
    } catch (...) {
        DataEvent(deDataSetChange, 0);
        throw;
    }
    DataEvent(deDataSetChange, 0);
}

void TDataSet::Refresh() {
    CheckBrowseMode();
    DoBeforeRefresh();
    UpdateCursorPos();
    InternalRefresh();
    Resync(0);
    DoAfterRefresh();
}

// ---------------------------------------------------------------- editing

void TDataSet::CheckCanModify() {
    if (!CanModify()) DatabaseError(SDataSetReadOnly, Name());
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode, 0);
    switch (state_) {
    case dsEdit:
    case dsInsert:
        UpdateRecord();
        if (modified_)
            Post();
        else
            Cancel();
        break;
    case dsSetKey:
        Post();
        break;
    default:
        break;
    }
}

void TDataSet::UpdateRecord() {
    if (state_ != dsEdit && state_ != dsInsert && state_ != dsSetKey) DatabaseError(SNotEditing, Name());
    DataEvent(deUpdateRecord, 0);
}

void TDataSet::CheckOperation(const std::function<void()>& operation, const TDataSetErrorEvent& errorEvent) {
    for (;;) {
        try {
            UpdateCursorPos();
            operation();
            return;
        } catch (EDatabaseError& e) {
            TDataAction action = daFail;
            if (errorEvent) errorEvent(this, e, action);
            if (action == daFail) throw;
            if (action == daAbort) throw EAbort();
        }
    }
}

void TDataSet::InitRecord(TRecordBuffer buffer) {
    InternalInitRecord(buffer);
    ClearCalcFields(buffer);
    SetBookmarkFlag(buffer, bfInserted);
}

void TDataSet::BeginInsertAppend() {
    CheckBrowseMode();
    CheckCanModify();
    DoBeforeInsert();
    DoBeforeScroll();
}

void TDataSet::EndInsertAppend() {
    SetState(dsInsert);
    try {
        DoOnNewRecord();
    } catch (...) {
        UpdateCursorPos();
        FreeFieldBuffers();
        SetState(dsBrowse);
        Resync(0);
        throw;
    }
    modified_ = false;
    DataEvent(deDataSetChange, 0);
    DoAfterInsert();
    DoAfterScroll();
}

void TDataSet::Insert() {
    BeginInsertAppend();
    TBookmark oldCurrent = GetBookmark();
    currentRecord_ = -1;
    MoveBuffer(recordCount_, activeRecord_);
    TRecordBuffer buffer = ActiveBuffer();
    InitRecord(buffer);
    if (recordCount_ == 0)
        SetBookmarkFlag(buffer, bfBOF);
    else
        SetBookmarkData(buffer, oldCurrent);
    if (recordCount_ < bufferCount_) ++recordCount_;
    bof_ = false;
    eof_ = false;
    InternalInsert();
    EndInsertAppend();
}

void TDataSet::Append() {
    BeginInsertAppend();
    // The new record goes last and the window shows the records before it.
    // When the window already ends at the last record those are the records
    // it holds: keep them rather than fetching a whole window again, which
    // made every record appended under a grid cost a window of fetches.
    auto windowEndsAtLast = [this] {
        if (state_ != dsBrowse || recordCount_ == 0) return false;
        const int last = recordCount_ - 1;
        if (GetBookmarkFlag(buffers_[static_cast<std::size_t>(last)]) != bfCurrent) return false;
        SetCurrentRecord(last);
        const bool atLast = GetRecord(TempBuffer(), gmNext, false) != grOK;
        CursorPosChanged();
        return atLast;
    };
    int kept = 0;
    if (windowEndsAtLast()) {
        kept = std::min(recordCount_, bufferCount_ - 1);
        auto b = buffers_.begin();
        std::rotate(b, b + (recordCount_ - kept), b + recordCount_);
    }
    recordCount_ = kept;
    activeRecord_ = kept;
    currentRecord_ = -1;
    TRecordBuffer buffer = buffers_[static_cast<std::size_t>(kept)];
    InitRecord(buffer);
    SetBookmarkFlag(buffer, bfEOF);
    recordCount_ = kept + 1;
    bof_ = false;
    GetPriorRecords();
    eof_ = true;
    InternalInsert();
    EndInsertAppend();
}

void TDataSet::Edit() {
    if (state_ == dsEdit || state_ == dsInsert) return;
    CheckActive();
    if (recordCount_ == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    CheckCanModify();
    DoBeforeEdit();
    CheckOperation([this] { InternalEdit(); }, OnEditError);
    GetCalcFields(ActiveBuffer());
    SetState(dsEdit);
    DataEvent(deRecordChange, 0);
    DoAfterEdit();
}

void TDataSet::Post() {
    CheckActive();
    if (state_ != dsEdit && state_ != dsInsert) DatabaseError(SNotEditing, Name());
    DataEvent(deCheckBrowseMode, 0);
    UpdateRecord();
    DoBeforePost();
    const bool appended = state_ == dsInsert && activeRecord_ == recordCount_ - 1 &&
                          GetBookmarkFlag(ActiveBuffer()) == bfEOF;
    CheckOperation([this] { InternalPost(); }, OnPostError);
    FreeFieldBuffers();
    SetState(dsBrowse);
    // After an append the window holds the records before the new one. When
    // the stored record still follows the window's second-to-last record and
    // nothing the window has room for follows it, only the record itself is
    // fetched again; otherwise (an index placed it elsewhere) the whole
    // window is refilled.
    auto keepWindow = [this] {
        const int active = activeRecord_;
        TRecordBuffer self = buffers_[static_cast<std::size_t>(active)];
        CursorPosChanged();
        if (GetRecord(self, gmCurrent, false) != grOK) return false;
        currentRecord_ = active;
        if (recordCount_ < bufferCount_) {
            const bool more = GetRecord(TempBuffer(), gmNext, false) == grOK;
            CursorPosChanged();
            if (more) return false;
            SetCurrentRecord(active);
        }
        TBookmark expected, found;
        if (active > 0) {
            TRecordBuffer before = buffers_[static_cast<std::size_t>(active - 1)];
            if (GetBookmarkFlag(before) != bfCurrent) return false;
            GetBookmarkData(before, expected);
            if (expected.empty()) return false;
        }
        const bool prior = GetRecord(TempBuffer(), gmPrior, false) == grOK;
        CursorPosChanged();
        if (prior) GetBookmarkData(TempBuffer(), found);
        // With no record before the window the new one must be the first.
        if (prior != (active > 0) || found != expected) return false;
        bof_ = false;
        eof_ = false;
        return true;
    };
    if (appended && keepWindow()) {
        DataEvent(deDataSetChange, 0);
    } else {
        // The probes moved the cursor: back onto the posted record, which
        // the full refill starts from.
        if (appended && currentRecord_ != activeRecord_ &&
            GetBookmarkFlag(ActiveBuffer()) == bfCurrent)
            SetCurrentRecord(activeRecord_);
        Resync(0);
    }
    DoAfterPost();
}

void TDataSet::Cancel() {
    if (state_ != dsEdit && state_ != dsInsert) return;
    DataEvent(deCheckBrowseMode, 0);
    DoBeforeCancel();
    UpdateCursorPos();
    InternalCancel();
    FreeFieldBuffers();
    SetState(dsBrowse);
    Resync(0);
    DoAfterCancel();
}

void TDataSet::Delete() {
    CheckActive();
    if (state_ == dsInsert || state_ == dsSetKey) {
        Cancel();
        return;
    }
    if (recordCount_ == 0) DatabaseError(SDataSetEmpty, Name());
    CheckCanModify();
    DataEvent(deCheckBrowseMode, 0);
    DoBeforeDelete();
    DoBeforeScroll();
    CheckOperation([this] { InternalDelete(); }, OnDeleteError);
    FreeFieldBuffers();
    SetState(dsBrowse);
    Resync(0);
    DoAfterDelete();
    DoAfterScroll();
}

void TDataSet::ClearFields() {
    if (state_ != dsEdit && state_ != dsInsert && state_ != dsSetKey) DatabaseError(SNotEditing, Name());
    DataEvent(deCheckBrowseMode, 0);
    for (TField* f : fields_.list_)
        if (f->FieldKind() == fkData && !f->ReadOnly()) f->Clear();
}

void TDataSet::CheckRequiredFields() {
    for (TField* f : fields_.list_) {
        if (f->Required() && !f->ReadOnly() && f->FieldKind() == fkData && f->IsNull()) {
            f->FocusControl();
            DatabaseErrorFmt(SFieldRequired, {f->DisplayName()});
        }
    }
}

// ---------------------------------------------------------------- bookmarks

bool TDataSet::BookmarkAvailable() {
    return (state_ == dsBrowse || state_ == dsEdit || state_ == dsInsert) && !IsEmpty() &&
           GetBookmarkFlag(ActiveBuffer()) == bfCurrent;
}

TBookmark TDataSet::GetBookmark() {
    TBookmark result;
    if (BookmarkAvailable()) GetBookmarkData(ActiveBuffer(), result);
    return result;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
    if (bookmark.empty()) return;
    CheckBrowseMode();
    DoBeforeScroll();
    InternalGotoBookmark(bookmark);
    Resync(rmExact | rmCenter);
    DoAfterScroll();
}

// ---------------------------------------------------------------- fields

void TDataSet::GetFieldList(std::vector<TField*>& list, const std::string& fieldNames) const {
    for (const std::string& name : SplitFieldNames(fieldNames)) list.push_back(FieldByName(name));
}

void TDataSet::CreateFields() {
    for (int i = 0; i < fieldDefs_.Count(); ++i) {
        TFieldDef* def = fieldDefs_[i];
        if (def->DataType() == ftUnknown) continue;
        TField* f = def->CreateField(this);
        f->createdByDataSet_ = true;
    }
}

void TDataSet::DestroyFields() {
    std::vector<TField*> fields = fields_.list_;
    for (TField* f : fields) {
        if (!f->createdByDataSet_) continue;
        fields_.Remove(f);
        f->dataSet_ = nullptr;
        delete f;
    }
}

namespace {
bool SameFamily(TFieldType a, TFieldType b) {
    auto family = [](TFieldType t) {
        switch (t) {
        case ftString: case ftFixedChar: case ftWideString: return 1;
        case ftMemo: case ftFmtMemo: case ftOraClob: return 2;
        case ftBlob: case ftGraphic: case ftParadoxOle: case ftDBaseOle: case ftTypedBinary:
        case ftOraBlob: return 3;
        case ftBCD: case ftFMTBcd: return 4;
        default: return 100 + static_cast<int>(t);
        }
    };
    return family(a) == family(b);
}
}  // namespace

void TDataSet::BindFields(bool binding) {
    calcFieldsSize_ = 0;
    internalCalcFields_ = false;
    for (TField* f : fields_.list_) {
        if (binding) {
            if (f->FieldKind() == fkCalculated || f->FieldKind() == fkLookup) {
                f->fieldNo_ = -1;
                f->offset_ = calcFieldsSize_;
                calcFieldsSize_ += f->DataSize() + 1;
            } else if (f->FieldKind() == fkData || f->FieldKind() == fkInternalCalc) {
                int i = fieldDefs_.IndexOf(f->FieldName());
                if (i < 0) DatabaseErrorFmt(SFieldNotFound, {f->DisplayName()}, Name());
                TFieldDef* def = fieldDefs_[i];
                if (!SameFamily(f->DataType(), def->DataType()))
                    DatabaseErrorFmt(SFieldTypeMismatch,
                                     {f->DisplayName(), FieldTypeName(f->DataType()),
                                      FieldTypeName(def->DataType())},
                                     Name());
                // The dataset copies Size-dependent values into buffers sized
                // by the field, so the sizes must agree.
                if (f->DataSize() > 0 && f->Size() != def->Size() &&
                    (f->DataType() == ftString || f->DataType() == ftFixedChar ||
                     f->DataType() == ftWideString || f->DataType() == ftBytes ||
                     f->DataType() == ftVarBytes))
                    DatabaseErrorFmt(SFieldSizeMismatch,
                                     {f->DisplayName(), std::to_string(f->Size()),
                                      std::to_string(def->Size())},
                                     Name());
                if (f->FieldKind() == fkInternalCalc || def->InternalCalcField()) internalCalcFields_ = true;
                f->fieldNo_ = def->FieldNo();
            }
        }
        f->Bind(binding);
        if (!binding) f->fieldNo_ = 0;
    }
}

bool TDataSet::GetFieldData(TField* field, void* buffer, bool nativeFormat) {
    if (nativeFormat || buffer == nullptr || !NeedsConversion(field->DataType()))
        return GetFieldData(field, buffer);
    std::vector<char> temp(static_cast<std::size_t>(std::max(field->DataSize(), 8)) + sizeof(TBcd));
    bool present = GetFieldData(field, temp.data());
    if (present) DataConvert(field, temp.data(), buffer, false);
    return present;
}

void TDataSet::SetFieldData(TField* field, const void* buffer, bool nativeFormat) {
    if (nativeFormat || buffer == nullptr || !NeedsConversion(field->DataType())) {
        SetFieldData(field, buffer);
        return;
    }
    std::vector<char> temp(static_cast<std::size_t>(std::max(field->DataSize(), 8)) + sizeof(TBcd));
    DataConvert(field, buffer, temp.data(), true);
    SetFieldData(field, temp.data());
}

void TDataSet::DataConvert(TField* field, const void* source, void* dest, bool toNative) {
    switch (field->DataType()) {
    case ftDate:
    case ftTime:
    case ftDateTime: {
        if (toNative) {
            double dt;
            std::memcpy(&dt, source, sizeof dt);
            double day = std::trunc(dt);
            std::int32_t date = static_cast<std::int32_t>(day) + DateDelta;
            std::int32_t time = static_cast<std::int32_t>(std::llround(std::fabs(dt - day) * MSecsPerDay));
            if (time >= static_cast<std::int32_t>(MSecsPerDay)) {
                // Rounding reached midnight: that is the next day.
                time = 0;
                date += dt < 0 ? -1 : 1;
            }
            if (field->DataType() == ftDate) {
                std::memcpy(dest, &date, sizeof date);
            } else if (field->DataType() == ftTime) {
                std::memcpy(dest, &time, sizeof time);
            } else {
                double ms = static_cast<double>(date) * MSecsPerDay + time;
                std::memcpy(dest, &ms, sizeof ms);
            }
        } else {
            double dt = 0;
            if (field->DataType() == ftDate) {
                std::int32_t date;
                std::memcpy(&date, source, sizeof date);
                dt = static_cast<double>(date - DateDelta);
            } else if (field->DataType() == ftTime) {
                std::int32_t time;
                std::memcpy(&time, source, sizeof time);
                dt = time / MSecsPerDay;
            } else {
                double ms;
                std::memcpy(&ms, source, sizeof ms);
                double days = std::floor(ms / MSecsPerDay);
                double time = ms - days * MSecsPerDay;
                dt = days - DateDelta;
                dt = dt >= 0 ? dt + time / MSecsPerDay : dt - time / MSecsPerDay;
            }
            std::memcpy(dest, &dt, sizeof dt);
        }
        break;
    }
    case ftBCD:
    case ftFMTBcd: {
        if (toNative) {
            Int64 raw;
            std::memcpy(&raw, source, sizeof raw);
            auto* bcdField = dynamic_cast<TBCDField*>(field);
            int precision = bcdField && bcdField->Precision() > 0 ? bcdField->Precision() : 20;
            TBcd bcd = CurrencyRawToBcd(raw, precision);
            std::memcpy(dest, &bcd, sizeof bcd);
        } else {
            TBcd bcd;
            std::memcpy(&bcd, source, sizeof bcd);
            Int64 raw = 0;
            if (!BcdToCurrencyRaw(bcd, raw)) DatabaseErrorFmt(SFieldValueError, {field->DisplayName()});
            std::memcpy(dest, &raw, sizeof raw);
        }
        break;
    }
    default:
        std::memcpy(dest, source, static_cast<std::size_t>(field->DataSize()));
        break;
    }
}

// ---------------------------------------------------------------- calculated fields

void TDataSet::UpdateCalcFields() {
    if (state_ == dsSetKey || state_ == dsCalcFields || state_ == dsFilter || state_ == dsNewValue) return;
    if (calcFieldsSize_ > 0 && autoCalcFields_ && (state_ == dsEdit || state_ == dsInsert))
        GetCalcFields(ActiveBuffer());
}

void TDataSet::GetCalcFields(TRecordBuffer buffer) {
    if (calcFieldsSize_ <= 0 && !internalCalcFields_) return;
    TDataSetState saved = SetTempState(dsCalcFields);
    TRecordBuffer savedBuffer = calcBuffer_;
    calcBuffer_ = buffer;
    try {
        ClearCalcFields(buffer);
        CalculateFields(buffer);
    } catch (...) {
        calcBuffer_ = savedBuffer;
        RestoreState(saved);
        throw;
    }
    calcBuffer_ = savedBuffer;
    RestoreState(saved);
}

void TDataSet::CalculateFields(TRecordBuffer buffer) {
    for (TField* f : fields_.list_) {
        if (f->FieldKind() != fkLookup) continue;
        TDataSet* lookup = f->LookupDataSet();
        if (!lookup || !lookup->Active()) continue;
        Variant key = FieldValues(f->KeyFields());
        if (key.IsNull()) continue;
        f->SetAsVariant(lookup->Lookup(f->LookupKeyFields(), key, f->LookupResultField()));
    }
    DoOnCalcFields();
}

// ---------------------------------------------------------------- filtering

void TDataSet::SetFiltered(bool value) { filtered_ = value; }

void TDataSet::SetFilterText(const std::string& value) { filterText_ = value; }

void TDataSet::SetFilterOptions(TFilterOptions value) { filterOptions_ = value; }

bool TDataSet::FindRecord(bool restart, bool goForward) { return false; }

void TDataSet::SetBlockReadSize(int value) {
    if (value > 0) {
        CheckActive();
        CheckBrowseMode();
        blockReadSize_ = value;
        SetState(dsBlockRead);
    } else {
        blockReadSize_ = 0;
        if (state_ == dsBlockRead) SetState(dsBrowse);
    }
}

// ---------------------------------------------------------------- values

Variant TDataSet::GetStateFieldValue(TDataSetState state, TField* field) {
    TDataSetState saved = SetTempState(state);
    Variant v;
    try {
        v = field->AsVariant();
    } catch (...) {
        RestoreState(saved);
        throw;
    }
    RestoreState(saved);
    return v;
}

void TDataSet::SetFields(const std::vector<Variant>& values) {
    int n = std::min(static_cast<int>(values.size()), fields_.Count());
    for (int i = 0; i < n; ++i) {
        const Variant& v = values[static_cast<std::size_t>(i)];
        if (v.IsEmpty()) continue;
        fields_[i]->SetAsVariant(v);
    }
}

void TDataSet::PostNew(bool append) {
    try {
        DataEvent(deCheckBrowseMode, 0);
        UpdateRecord();
        DoBeforePost();
        CheckOperation([this, append] { InternalAddRecord(ActiveBuffer(), append); }, OnPostError);
    } catch (...) {
        Cancel();
        throw;
    }
    FreeFieldBuffers();
    SetState(dsBrowse);
    Resync(0);
    DoAfterPost();
}

void TDataSet::AppendRecord(const std::vector<Variant>& values) {
    Append();
    try {
        SetFields(values);
    } catch (...) {
        Cancel();
        throw;
    }
    PostNew(true);
}

void TDataSet::InsertRecord(const std::vector<Variant>& values) {
    Insert();
    try {
        SetFields(values);
    } catch (...) {
        Cancel();
        throw;
    }
    PostNew(false);
}

Variant TDataSet::FieldValues(const std::string& fieldNames) const {
    std::vector<TField*> list;
    GetFieldList(list, fieldNames);
    if (list.size() == 1) return list[0]->AsVariant();
    std::vector<Variant> values;
    for (TField* f : list) values.push_back(f->AsVariant());
    return VarArrayOf(values);
}

void TDataSet::SetFieldValues(const std::string& fieldNames, const Variant& values) {
    std::vector<TField*> list;
    GetFieldList(list, fieldNames);
    if (list.size() == 1 && !values.IsArray()) {
        list[0]->SetAsVariant(values);
        return;
    }
    for (std::size_t i = 0; i < list.size(); ++i) list[i]->SetAsVariant(values[values.LowBound() + static_cast<int>(i)]);
}

// ---------------------------------------------------------------- Locate and Lookup

namespace {
// One key value per field: a single value for one field, else the
// elements of an array of as many values.
std::vector<Variant> KeyValueList(const Variant& keyValues, std::size_t count, const std::string& dsName) {
    std::vector<Variant> values;
    if (keyValues.IsArray()) {
        for (int i = keyValues.LowBound(); i <= keyValues.HighBound(); ++i) values.push_back(keyValues[i]);
    } else {
        values.push_back(keyValues);
    }
    if (values.size() != count) DatabaseError(SKeyValueCount, dsName);
    return values;
}

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

bool FieldMatches(TField* field, const Variant& key, TLocateOptions options) {
    if (key.IsNull() || key.IsEmpty()) return field->IsNull();
    if (field->IsNull()) return false;
    if (dynamic_cast<TStringField*>(field) || dynamic_cast<TMemoField*>(field)) {
        std::string value = field->AsString();
        std::string want = VarToStr(key);
        if (options & loCaseInsensitive) {
            value = AnsiUpperCase(value);
            want = AnsiUpperCase(want);
        }
        return (options & loPartialKey) ? StartsWith(value, want) : value == want;
    }
    try {
        return VarCompareValue(field->AsVariant(), key) == vrEqual;
    } catch (const EVariantError&) {
        return false;
    } catch (const EConvertError&) {
        return false;
    }
}
}  // namespace

bool TDataSet::ScanRecords(const std::function<bool()>& match) {
    TRecordBuffer buffer = TempBuffer();
    CursorPosChanged();
    InternalFirst();
    TDataSetState saved = SetTempState(dsCalcFields);
    TRecordBuffer savedCalc = calcBuffer_;
    calcBuffer_ = buffer;
    bool found = false;
    try {
        while (GetRecord(buffer, gmNext, false) == grOK) {
            calcBuffer_ = buffer;
            if (match()) {
                found = true;
                break;
            }
        }
    } catch (...) {
        calcBuffer_ = savedCalc;
        RestoreState(saved);
        CursorPosChanged();
        throw;
    }
    calcBuffer_ = savedCalc;
    RestoreState(saved);
    if (!found) CursorPosChanged();
    return found;
}

bool TDataSet::Locate(const std::string& keyFields, const Variant& keyValues, TLocateOptions options) {
    CheckBrowseMode();
    std::vector<TField*> fields;
    GetFieldList(fields, keyFields);
    std::vector<Variant> values = KeyValueList(keyValues, fields.size(), Name());
    DoBeforeScroll();
    bool found = ScanRecords([&] {
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (!FieldMatches(fields[i], values[i], options)) return false;
        return true;
    });
    SetFound(found);
    if (found) {
        Resync(rmExact | rmCenter);
        DoAfterScroll();
    }
    return found;
}

Variant TDataSet::Lookup(const std::string& keyFields, const Variant& keyValues, const std::string& resultFields) {
    CheckBrowseMode();
    std::vector<TField*> fields;
    GetFieldList(fields, keyFields);
    std::vector<TField*> results;
    GetFieldList(results, resultFields);
    std::vector<Variant> values = KeyValueList(keyValues, fields.size(), Name());
    Variant result = Null();
    bool found = ScanRecords([&] {
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (!FieldMatches(fields[i], values[i], 0)) return false;
        if (results.size() == 1) {
            result = results[0]->AsVariant();
        } else {
            std::vector<Variant> r;
            for (TField* f : results) r.push_back(f->AsVariant());
            result = VarArrayOf(r);
        }
        return true;
    });
    // The visible record stays where it was.
    CursorPosChanged();
    SetFound(found);
    return result;
}
