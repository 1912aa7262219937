// TLdbDataSet: where the data lives (database names, paths, table types),
// opening and closing the cursor, the record buffers, fetching and
// navigation, record numbers, counts and bookmarks.

#include "dbclient/LdbDataSet.h"

#include <algorithm>
#include <cstring>

#include "dbclient/LdbBlob.h"
#include "dbclient/LdbConnection.h"
#include "platform/core/Strings.h"
#include "platform/data/DBConsts.h"
#include "platform/data/StdFields.h"

namespace {

constexpr int RecordInfoSize = 8;

TLdbTableTypes TypeFromLetter(char letter) {
    switch (letter) {
    case 'N': return ttAdsNTX;
    case 'C': return ttAdsCDX;
    default: return ttAdsADT;
    }
}

bool HasSeparator(const std::string& s) { return s.find('/') != std::string::npos || s.find('\\') != std::string::npos; }

}  // namespace

std::mutex& LdbDataSetListLock() {
    static std::mutex m;
    return m;
}

std::vector<TLdbDataSet*>& LdbDataSetList() {
    static std::vector<TLdbDataSet*> list;
    return list;
}

// ---------------------------------------------------------------- options

void TLdbTableOptions::SetLdbLockType(TLdbLockTypes value) {
    if (dataSet_->Active()) RaiseLdbError(dataSet_, "Table must not be Active.");
    lockType_ = value;
}

void TLdbTableOptions::SetLdbCharType(TLdbCharTypes value) {
    if (dataSet_->Active()) RaiseLdbError(dataSet_, "Table must not be Active.");
    charType_ = value;
}

void TLdbTableOptions::SetLdbRightsCheck(bool value) {
    if (dataSet_->Active()) RaiseLdbError(dataSet_, "Table must not be Active.");
    rightsCheck_ = value;
}

void TLdbTableOptions::SetLdbRecordCache(TLdbRecordCacheTypes value) {
    if (dataSet_->Active()) {
        std::uint16_t n = value == rcNone ? 0 : (value == rcStandard ? 10 : 100);
        CheckAdsResult(dataSet_, LdbCacheRecords(dataSet_->CursorHandle(), n));
    }
    recordCache_ = value;
}

int TLceFieldDefs::IndexOf(const std::string& name) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (SameText(items_[i].Name, name)) return static_cast<int>(i);
    return -1;
}

// ---------------------------------------------------------------- life

TLdbDataSet::TLdbDataSet(TComponent* owner)
    : TDataSet(owner),
      tableOptions_(std::make_unique<TLdbTableOptions>(this)),
      indexDefs_(std::make_unique<TIndexDefs>(this)),
      indexFiles_(std::make_unique<TLdbIndexFiles>(this)),
      masterLink_(std::make_unique<TMasterDataLink>(this)) {
    masterLink_->OnMasterChange = [this](TMasterDataLink*) { MasterChanged(); };
    masterLink_->OnMasterDisable = [this](TMasterDataLink*) { MasterDisabled(); };
    std::lock_guard lock(LdbDataSetListLock());
    LdbDataSetList().push_back(this);
}

TLdbDataSet::~TLdbDataSet() {
    try {
        Close();
    } catch (...) {
    }
    if (connection_) connection_->UnregisterDataSet(this);
    connection_ = nullptr;
    masterLink_->SetDataSource(nullptr);
    std::lock_guard lock(LdbDataSetListLock());
    auto& list = LdbDataSetList();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

std::string TLdbDataSet::Version() const {
    std::uint32_t major = 0, minor = 0;
    char letter = ' ';
    char description[128];
    std::uint16_t len = sizeof description;
    LdbGetVersion(&major, &minor, &letter, description, &len);
    std::string text = "7.0 (LCE " + std::to_string(major) + "." + (minor < 10 ? "0" : "") + std::to_string(minor);
    if (letter != ' ' && letter != 0) text += letter;
    return text + ")";
}

void TLdbDataSet::BatchMove() { RaiseLdbError(this, "The method BatchMove in TLdbDataSet is not supported."); }
void TLdbDataSet::RenameTable() { RaiseLdbError(this, "The method RenameTable in TLdbDataSet is not supported."); }
TUpdateStatus TLdbDataSet::UpdateStatus() {
    RaiseLdbError(this, "The method UpdateStatus in TLdbDataSet is not supported.");
}

// ---------------------------------------------------------------- names and paths

bool TLdbDataSet::AliasOf(const std::string& name, std::string& path, TLdbTableTypes& type) {
    char letter = 0;
    if (!LookupLdbAlias(name, path, letter)) return false;
    type = TypeFromLetter(letter);
    return true;
}

void TLdbDataSet::SetDatabaseName(const std::string& name) { ApplyDatabaseName(name); }

void TLdbDataSet::ApplyDatabaseName(const std::string& name) {
    if (Active()) RaiseLdbError(this, DBConsts::SDataSetOpen);
    pathWarning_ = false;
    if (name.empty()) {
        databaseName_.clear();
        aliasPath_.clear();
        DatabasePath();
        return;
    }
    if (TLdbConnection* conn = FindLdbConnection(name, Owner())) {
        databaseName_ = name;
        aliasPath_.clear();
        AttachConnection(conn);
        return;
    }
    std::string path;
    TLdbTableTypes type;
    databaseName_ = name;
    if (HasSeparator(name) || !AliasOf(name, path, type)) {
        aliasPath_.clear();
        return;
    }
    aliasPath_ = path;
    sourceTableType_ = type;
    engineTableType_ = type == ttAdsCDX ? 2 : (type == ttAdsNTX ? 1 : 3);
}

void TLdbDataSet::AttachConnection(TLdbConnection* connection) {
    if (Active()) RaiseLdbError(this, "Table must not be Active.");
    pathWarning_ = false;
    if (connection != connection_) {
        if (connection_) connection_->UnregisterDataSet(this);
        if (connection) connection->RegisterDataSet(this);
    }
    connection_ = connection;
    if (connection_) DatabasePath();
}

std::string TLdbDataSet::DatabasePath() {
    std::string path;
    if (!aliasPath_.empty()) {
        path = aliasPath_;
    } else if (connection_ &&
               (databaseName_.empty() || SameText(databaseName_, connection_->Name()) ||
                (connection_->Owner() && SameText(databaseName_, connection_->Owner()->Name() + "." + connection_->Name())))) {
        path = connection_->GetDatabaseFolder();
        switch (connection_->GetAliasTableType()) {
        case 1: sourceTableType_ = ttAdsCDX; engineTableType_ = 2; break;
        case 2: sourceTableType_ = ttAdsNTX; engineTableType_ = 1; break;
        case 3: sourceTableType_ = ttAdsADT; engineTableType_ = 3; break;
        default: break;
        }
    } else if (!databaseName_.empty()) {
        std::string aliasPath;
        TLdbTableTypes type;
        if (HasSeparator(databaseName_) || !AliasOf(databaseName_, aliasPath, type)) {
            path = databaseName_;
        } else {
            aliasPath_ = aliasPath;
            path = aliasPath;
            sourceTableType_ = type;
            engineTableType_ = type == ttAdsCDX ? 2 : (type == ttAdsNTX ? 1 : 3);
        }
    }
    if (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
    return path;
}

void TLdbDataSet::SetSourceTableType(TLdbTableTypes value) {
    if (Active()) RaiseLdbError(this, DBConsts::SDataSetOpen);
    std::string path;
    TLdbTableTypes aliasType;
    bool mismatch = false;
    if (!databaseName_.empty() && !HasSeparator(databaseName_) && AliasOf(databaseName_, path, aliasType))
        mismatch = aliasType != value;
    else if (databaseName_.empty() && connection_) {
        int t = connection_->GetAliasTableType();
        mismatch = (t == 3 && value != ttAdsADT) || (t == 2 && value != ttAdsNTX) || (t == 1 && value != ttAdsCDX);
    }
    if (mismatch)
        RaiseLdbError(this, "The table type must remain identical to the table type associated with the alias.");
    sourceTableType_ = value;
    engineTableType_ = value == ttAdsCDX ? 2 : (value == ttAdsNTX ? 1 : 3);
}

// ---------------------------------------------------------------- open and close

void TLdbDataSet::InternalOpen() {
    if (cursor_ != -1) RaiseLdbError(this, "Table is already open.");
    cursor_ = active_ > 0 ? active_ : CreateCursorHandle();
    active_ = cursor_;
    std::uint32_t length = 0;
    CheckAdsResult(this, LdbGetRecordLength(cursor_, &length));
    recordSize_ = length;
    recordBufferSize_ = length;
    CheckAdsResult(this, LdbGetTableOpenOptions(cursor_, &openOptions_));
    canModify_ = (openOptions_ & LdbOpenReadOnly) == 0;
    if (tableOptions_->LdbRecordCache() == rcNone) CheckAdsResult(this, LdbCacheRecords(cursor_, 0));
    if (tableOptions_->LdbRecordCache() == rcAggressive) CheckAdsResult(this, LdbCacheRecords(cursor_, 100));
    LdbHandle index = 0;
    std::uint16_t count = 1;
    LdbResult r = LdbGetAllIndexes(cursor_, &index, &count);
    std::uint32_t pageSize = 512;
    if ((r == LdbSuccess || r == LdbErrInsufficientBuffer) && count > 0 &&
        LdbGetIndexPageSize(index, &pageSize) != LdbSuccess)
        pageSize = 512;
    tableOptions_->LdbIndexPageSize = static_cast<int>(pageSize);
    std::uint16_t tableType = LdbTableAdt;
    CheckAdsResult(this, LdbGetTableType(cursor_, &tableType));
    tableType_ = tableType;

    InternalInitFieldDefs();
    if (DefaultFields()) CreateFields();
    for (int i = 0; i < FieldCount(); ++i)
        if (auto* bcd = dynamic_cast<TBCDField*>(Fields()[i])) bcd->SetCurrency(true);
    BindFields(true);
    ComputeLayout();
    FieldDefs().SetUpdated(true);
    AllocKeyBuffers();
    indexDefs_->SetUpdated(false);
    UpdateIndexDefs();
    SelectActiveIndex();
    if (scoped_) ActivateScope();
    if (Filtered()) ActivateFilter();
    InternalFirst();
}

void TLdbDataSet::ComputeLayout() {
    std::uint32_t bookmarkLength = 0;
    if (active_ <= 0 || LdbGetBookmarkLength(active_, &bookmarkLength) != LdbSuccess || bookmarkLength == 0)
        CheckAdsResult(this, LdbGetBookmarkLength(cursor_, &bookmarkLength));
    SetBookmarkSize(static_cast<int>(bookmarkLength));
    blobFieldCount_ = 0;
    for (int i = 0; i < lceFieldDefs_.Count(); ++i) {
        TLceFieldDef& def = lceFieldDefs_[i];
        def.BlobIndex = def.EngineType >= LdbTypeMemo && def.EngineType <= 8 ? blobFieldCount_++ : -1;
    }
    blobCacheOffset_ = recordSize_ + static_cast<std::uint32_t>(CalcFieldsSize());
    recordInfoOffset_ = blobCacheOffset_ + static_cast<std::uint32_t>(blobFieldCount_ * sizeof(void*));
    bookmarkOffset_ = recordInfoOffset_ + RecordInfoSize;
    recordBufferSize_ = bookmarkOffset_ + bookmarkLength;
}

void TLdbDataSet::InternalClose() {
    BindFields(false);
    if (DefaultFields()) DestroyFields();
    oldRecord_.clear();
    oldRecord_.shrink_to_fit();
    keyBuffers_.clear();
    try {
        LdbCloseTable(cursor_);
    } catch (const Exception&) {
    }
    cursor_ = -1;
    active_ = -1;
    canModify_ = false;
    lceFieldDefs_.Clear();
}

// ---------------------------------------------------------------- buffers

TRecordBuffer TLdbDataSet::AllocRecordBuffer() {
    auto* b = new char[recordBufferSize_ ? recordBufferSize_ : 1];
    std::memset(b, 0, recordBufferSize_ ? recordBufferSize_ : 1);
    for (int i = 0; i < blobFieldCount_; ++i) {
        auto* cache = new TLdbBlobCache;
        cache->Reset();
        std::memcpy(b + blobCacheOffset_ + i * sizeof(cache), &cache, sizeof cache);
    }
    return b;
}

void TLdbDataSet::FreeRecordBuffer(TRecordBuffer& buffer) {
    if (!buffer) return;
    for (int i = 0; i < blobFieldCount_; ++i) delete BlobCache(buffer, i);
    delete[] buffer;
    buffer = nullptr;
}

TLdbBlobCache* TLdbDataSet::BlobCache(TRecordBuffer buffer, int slot) const {
    if (!buffer || slot < 0 || slot >= blobFieldCount_) return nullptr;
    TLdbBlobCache* cache = nullptr;
    std::memcpy(&cache, buffer + blobCacheOffset_ + static_cast<std::size_t>(slot) * sizeof(cache), sizeof cache);
    return cache;
}

void TLdbDataSet::ResetBlobCaches(TRecordBuffer buffer) {
    for (int i = 0; i < blobFieldCount_; ++i)
        if (TLdbBlobCache* cache = BlobCache(buffer, i)) cache->Reset();
}

std::int32_t TLdbDataSet::RecordNumberOf(TRecordBuffer buffer) const {
    std::int32_t value;
    std::memcpy(&value, buffer + recordInfoOffset_, sizeof value);
    return value;
}

void TLdbDataSet::SetRecordNumber(TRecordBuffer buffer, std::int32_t value) const {
    std::memcpy(buffer + recordInfoOffset_, &value, sizeof value);
}

void TLdbDataSet::GetBookmarkData(TRecordBuffer buffer, TBookmark& data) {
    data.assign(BookmarkOf(buffer), static_cast<std::size_t>(BookmarkSize()));
}

void TLdbDataSet::SetBookmarkData(TRecordBuffer buffer, const TBookmark& data) {
    std::size_t n = std::min(data.size(), static_cast<std::size_t>(BookmarkSize()));
    std::memset(BookmarkOf(buffer), 0, static_cast<std::size_t>(BookmarkSize()));
    std::memcpy(BookmarkOf(buffer), data.data(), n);
}

TBookmarkFlag TLdbDataSet::GetBookmarkFlag(TRecordBuffer buffer) {
    return static_cast<TBookmarkFlag>(RecordInfo(buffer)[5]);
}

void TLdbDataSet::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) {
    RecordInfo(buffer)[5] = static_cast<char>(flag);
}

void TLdbDataSet::InitRecord(TRecordBuffer buffer) {
    TDataSet::InitRecord(buffer);
    SetRecordNumber(buffer, -1);
    RecordInfo(buffer)[4] = 0;
    std::memset(BookmarkOf(buffer), 0, std::min<std::size_t>(4, static_cast<std::size_t>(BookmarkSize())));
}

void TLdbDataSet::ClearCalcFields(TRecordBuffer buffer) {
    if (CalcFieldsSize() > 0) std::memset(buffer + recordSize_, 0, static_cast<std::size_t>(CalcFieldsSize()));
}

bool TLdbDataSet::GetCurrentRecord(TRecordBuffer buffer) {
    if (IsEmpty() || GetBookmarkFlag(ActiveBuffer()) != bfCurrent) return false;
    UpdateCursorPos();
    std::memcpy(buffer, ActiveBuffer(), recordSize_);
    return true;
}

// ---------------------------------------------------------------- fetching

TGetResult TLdbDataSet::GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) {
    if (cursor_ == -1 || State() == dsInsert) return grError;
    if (mode == gmNext)
        CheckAdsResult(this, LdbSkip(active_, 1));
    else if (mode == gmPrior)
        CheckAdsResult(this, LdbSkip(active_, -1));
    TGetResult result = FetchRecord(buffer, mode);
    if (result == grOK) {
        RecordInfo(buffer)[4] = 0;
        RecordInfo(buffer)[5] = 0;
        SetRecordNumber(buffer, GetCurrentRecNo());
    }
    return result;
}

bool TLdbDataSet::HasBlobFields() const { return blobFieldCount_ > 0; }

TGetResult TLdbDataSet::FetchRecord(TRecordBuffer buffer, TGetMode mode) {
    std::uint16_t fieldCount = 0;
    CheckAdsResult(this, LdbGetNumFields(cursor_, &fieldCount));
    for (;;) {
        std::uint16_t flag = 0;
        CheckAdsResult(this, LdbAtEOF(cursor_, &flag));
        if (flag && (mode == gmCurrent || mode == gmNext)) return grEOF;
        CheckAdsResult(this, LdbAtBOF(cursor_, &flag));
        if (flag && (mode == gmCurrent || mode == gmPrior)) return grBOF;
        std::uint16_t visible = 0;
        LdbResult r = LdbIsRecordVisible(active_, &visible);
        if (r == LdbErrRecordDeleted)
            visible = 0;
        else
            CheckAdsResult(this, r);
        if (!visible && mode == gmCurrent) return grError;
        if (visible) {
            std::uint32_t len = recordBufferSize_;
            CheckAdsResult(this, LdbGetRecord(cursor_, buffer, &len));
            std::uint32_t bookmarkLength = static_cast<std::uint32_t>(BookmarkSize());
            CheckAdsResult(this, LdbGetBookmark60(active_ < 1 ? cursor_ : active_, BookmarkOf(buffer), &bookmarkLength));
            if (HasBlobFields()) {
                for (int i = 0; i < lceFieldDefs_.Count(); ++i) {
                    const TLceFieldDef& def = lceFieldDefs_[i];
                    if (def.EngineType < LdbTypeMemo || def.EngineType > 8) continue;
                    std::uint16_t empty = 0;
                    CheckAdsResult(this, LdbIsEmpty(cursor_, static_cast<std::uint32_t>(def.FieldNumber), &empty));
                    std::int32_t marker = empty ? 0 : -1;
                    std::memcpy(buffer + def.Offset, &marker, sizeof marker);
                }
                TDataSetState s = State();
                if (s == dsBrowse || s == dsEdit || s == dsInsert || s == dsCalcFields || s == dsNewValue)
                    ResetBlobCaches(buffer);
            }
            if (tableOptions_->LdbCharType() == OEM) {
                for (int i = 0; i < lceFieldDefs_.Count(); ++i) {
                    const TLceFieldDef& def = lceFieldDefs_[i];
                    if (def.EngineType != LdbTypeString) continue;
                    // The call ends the text with a NUL: keep the byte after it.
                    char* at = buffer + def.Offset;
                    char saved = at[def.Length];
                    std::uint32_t n = def.Length + 1;
                    CheckAdsResult(this, LdbGetField(cursor_, static_cast<std::uint32_t>(def.FieldNumber), at, &n, 0));
                    at[def.Length] = saved;
                }
            }
            bool calculated = false;
            if (tableOptions_->LdbCalcFieldsBeforeFilter) {
                GetCalcFields(buffer);
                calculated = true;
            }
            bool accept = true;
            if (OnFilterRecord && Filtered()) {
                TDataSetState saved = SetTempState(dsFilter);
                TRecordBuffer savedFilter = filterBuffer_;
                filterBuffer_ = buffer;
                try {
                    OnFilterRecord(this, accept);
                } catch (...) {
                    filterBuffer_ = savedFilter;
                    RestoreState(saved);
                    throw;
                }
                filterBuffer_ = savedFilter;
                RestoreState(saved);
            }
            if (accept) {
                if (!calculated) GetCalcFields(buffer);
                return grOK;
            }
        }
        CheckAdsResult(this, LdbSkip(active_, mode == gmPrior ? -1 : 1));
    }
}

void TLdbDataSet::InternalFirst() { CheckAdsResult(this, LdbGotoBOF(active_)); }

void TLdbDataSet::InternalLast() {
    CheckAdsResult(this, LdbGotoBottom(active_));
    CheckAdsResult(this, LdbSkip(active_, 1));
}

void TLdbDataSet::InternalGotoBookmark(const TBookmark& bookmark) {
    // In the insert state the bookmark is that of the record the new one
    // goes before: the engine appends where its cursor stands.
    if (bookmark.size() < 4) return;
    std::uint32_t recno = 0;
    std::memcpy(&recno, bookmark.data(), 4);
    if (recno == 0) return;
    LdbResult r = LdbGotoBookmark(cursor_, recno);
    if (r == LdbErrNoCurrentRecord) return;
    if (State() == dsInsert && r == LdbErrRecordDeleted) return;
    CheckAdsResult(this, r);
}

void TLdbDataSet::InternalSetToRecord(TRecordBuffer buffer) {
    TBookmark bookmark;
    GetBookmarkData(buffer, bookmark);
    InternalGotoBookmark(bookmark);
}

bool TLdbDataSet::BookmarkValid(const TBookmark& bookmark) {
    if (cursor_ == -1 || bookmark.size() < 4) return false;
    CursorPosChanged();
    std::uint32_t recno = 0;
    std::memcpy(&recno, bookmark.data(), 4);
    if (LdbGotoBookmark(cursor_, recno) != LdbSuccess) return false;
    std::uint16_t eof = 1;
    if (LdbAtEOF(cursor_, &eof) != LdbSuccess || eof) return false;
    if (engineTableType_ != 3) {
        std::uint16_t deleted = 0, shown = 0;
        LdbIsRecordDeleted(cursor_, &deleted);
        LdbGetDeleted(&shown);
        return !deleted || shown;
    }
    return true;
}

int TLdbDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) {
    if (a.empty() && b.empty()) return 0;
    if (a.empty()) return 1;
    if (b.empty()) return -1;
    std::int32_t result = 0;
    CheckAdsResult(this, LdbCompareBookmarks(a.data(), b.data(), &result));
    return result;
}

// ---------------------------------------------------------------- numbers and counts

Integer TLdbDataSet::GetCurrentRecNo() {
    bool indexed = active_ != cursor_ && active_ > 0 && (!indexName_.empty() || !indexFieldNames_.empty());
    if (!indexed || !Sequenced) {
        std::uint32_t recno = 0;
        CheckAdsResult(this, LdbGetRecordNum(cursor_, LdbIgnoreFilters, &recno));
        return static_cast<Integer>(recno);
    }
    if (SequencedLevel == slExact) {
        std::uint32_t number = 0;
        CheckAdsResult(this, LdbGetKeyNum(active_, LdbRespectFilters, &number));
        return static_cast<Integer>(number);
    }
    std::uint32_t count = 0;
    CheckAdsResult(this, LdbGetRecordCount(cursor_, LdbIgnoreFilters, &count));
    double position = 0;
    LdbResult r = LdbGetRelKeyPos(active_, &position);
    if (r != LdbErrNoIndex) CheckAdsResult(this, r);
    // The engine's position is the share of records before this one.
    return static_cast<Integer>(count * position) + 1;
}

int TLdbDataSet::GetRecNo() {
    if (State() == dsCalcFields) {
        std::int32_t recno = 0;
        if (CalcBuffer() && BookmarkSize() >= 4) std::memcpy(&recno, BookmarkOf(CalcBuffer()), 4);
        return recno;
    }
    TRecordBuffer b = ActiveBuffer();
    return b ? RecordNumberOf(b) : -1;
}

void TLdbDataSet::SetRecNoValue(int value) {
    CheckBrowseMode();
    DoBeforeScroll();
    if (active_ != cursor_ && active_ > 0) {
        std::uint32_t count = 0;
        CheckAdsResult(this, LdbGetRecordCount(cursor_, LdbIgnoreFilters, &count));
        double position = count == 0 ? 0.0 : std::min(1.0, static_cast<double>(value - 1) / count);
        CheckAdsResult(this, LdbSetRelKeyPos(active_, position));
    } else if (Filtered()) {
        CheckAdsResult(this, LdbGotoTop(cursor_));
        CheckAdsResult(this, LdbSkip(cursor_, value - 1));
    } else {
        CheckAdsResult(this, LdbGotoRecord(cursor_, static_cast<std::uint32_t>(value)));
    }
    Resync(rmCenter);
    DoAfterScroll();
}

int TLdbDataSet::GetRecordCount() {
    CheckActive();
    std::uint16_t option = tableOptions_->LdbFilterOptions == RESPECT_WHEN_COUNTING
                               ? LdbRespectFilters
                               : (tableOptions_->LdbScopeOptions == RESPECT_SCOPES_WHEN_COUNTING ? LdbRespectScopes
                                                                                                  : LdbIgnoreFilters);
    if (tableOptions_->LdbFreshRecordCount) option = static_cast<std::uint16_t>(option + LdbRefreshCount);
    std::uint32_t count = 0;
    CheckAdsResult(this, LdbGetRecordCount(active_, option, &count));
    return static_cast<int>(count);
}

void TLdbDataSet::InternalRefresh() {
    LdbResult r = LdbRefreshRecord(cursor_);
    if (r != LdbErrRecordDeleted) CheckAdsResult(this, r);
}

void TLdbDataSet::DataEvent(TDataEvent event, std::intptr_t info) {
    if (event == dePropertyChange) indexDefs_->SetUpdated(false);
    TDataSet::DataEvent(event, info);
}
