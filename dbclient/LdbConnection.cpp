#include "dbclient/LdbConnection.h"

#include <algorithm>
#include <mutex>

#include "dbclient/LdbDataSet.h"
#include "dbclient/LdbError.h"
#include "platform/core/FileUtils.h"
#include "platform/core/IniFile.h"
#include "platform/core/Program.h"
#include "platform/core/Strings.h"
#include "platform/data/DBConsts.h"

namespace {

std::mutex& ConnectionListLock() {
    static std::mutex m;
    return m;
}

std::vector<TLdbConnection*>& ConnectionList() {
    static std::vector<TLdbConnection*> list;
    return list;
}

TLdbLoginDialog& LoginDialog() {
    static TLdbLoginDialog dialog;
    return dialog;
}

int AliasTypeFromLetter(char letter) {
    switch (letter) {
    case 'N': return 2;
    case 'C': return 1;
    case 'A': return 3;
    default: return 0;
    }
}

std::string WithoutTrailingSeparator(std::string path) {
    if (!path.empty() && (path.back() == '/' || path.back() == '\\')) path.pop_back();
    return path;
}

}  // namespace

void SetLdbLoginDialog(TLdbLoginDialog dialog) { LoginDialog() = std::move(dialog); }

bool LookupLdbAlias(const std::string& alias, std::string& path, char& letter) {
    path.clear();
    letter = 0;
    if (alias.empty()) return false;
    std::string file = ProgramFolder() + "ldb.ini";
    if (!FileExists(file)) file = "ldb.ini";
    std::string value = TIniFile(file).ReadString("Databases", alias, "");
    std::size_t semi = value.find(';');
    if (semi != std::string::npos) {
        if (semi + 1 < value.size()) letter = UpperCase(value.substr(semi + 1, 1))[0];
        value.erase(semi);
    }
    path = value;
    return !path.empty();
}

TLdbConnection* FindLdbConnection(const std::string& databaseName, TComponent* datasetOwner) {
    std::lock_guard lock(ConnectionListLock());
    std::thread::id me = std::this_thread::get_id();
    const auto& list = ConnectionList();
    auto find = [&](auto matches) -> TLdbConnection* {
        for (TLdbConnection* c : list)
            if (matches(c)) return c;
        return nullptr;
    };
    auto sameName = [&](TLdbConnection* c) { return SameText(c->Name(), databaseName); };
    if (auto* c = find([&](TLdbConnection* c) {
            return sameName(c) && c->Owner() == datasetOwner && c->CreatingThread() == me;
        }))
        return c;
    if (auto* c = find([&](TLdbConnection* c) { return sameName(c) && c->CreatingThread() == me; })) return c;
    if (auto* c = find([&](TLdbConnection* c) { return sameName(c) && c->Owner() == datasetOwner; })) return c;
    return find([&](TLdbConnection* c) {
        return sameName(c) || (c->Owner() && SameText(c->Owner()->Name() + "." + c->Name(), databaseName));
    });
}

// ---------------------------------------------------------------- connection

TLdbConnection::TLdbConnection(TComponent* owner) : TComponent(owner), creatingThread_(std::this_thread::get_id()) {
    userGroups_.Delimiter = ';';
    std::lock_guard lock(ConnectionListLock());
    ConnectionList().push_back(this);
}

TLdbConnection::~TLdbConnection() {
    std::vector<TLdbDataSet*> datasets = dataSets_;
    if (isConnected_) {
        for (TLdbDataSet* ds : datasets) {
            try {
                ds->Close();
            } catch (const Exception&) {
            }
            ds->ConnectionClosed();
            ds->connection_ = nullptr;
        }
        // A destructor cannot raise: a failing disconnect is dropped.
        LdbDisconnect(handle_);
        handle_ = 0;
        isConnected_ = false;
        try {
            DoOnDisconnect();
        } catch (...) {
        }
    } else {
        for (TLdbDataSet* ds : datasets) ds->connection_ = nullptr;
    }
    dataSets_.clear();
    std::lock_guard lock(ConnectionListLock());
    auto& list = ConnectionList();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TLdbConnection::SetName(const std::string& name) {
    std::string old = Name();
    TComponent::SetName(name);
    if (old.empty() || !Owner() || old == name) return;
    std::vector<TLdbDataSet*> datasets;
    {
        std::lock_guard lock(LdbDataSetListLock());
        datasets = LdbDataSetList();
    }
    std::string ownerName = Owner()->Name();
    for (TLdbDataSet* ds : datasets) {
        bool attachable = ds->Connection() == this || ds->Connection() == nullptr;
        if (!attachable) continue;
        if (SameText(ds->DatabaseName(), old))
            ds->SetDatabaseName(Name());
        else if (SameText(ds->DatabaseName(), ownerName + "." + old))
            ds->SetDatabaseName(ownerName + "." + Name());
        if (ds->Owner() && ds->Connection() != this &&
            SameText(ownerName + "." + Name(), ds->Owner()->Name() + "." + ds->DatabaseName()))
            ds->SetDatabaseName(Name());
    }
}

void TLdbConnection::SetAliasName(const std::string& name) {
    if (isConnected_)
        throw LdbConnectionError("The TLdbConnection.AliasName may not be changed when IsConnected is TRUE");
    aliasValid_ = true;
    if (name.empty()) {
        aliasName_.clear();
        aliasPath_.clear();
        aliasTableType_ = 0;
        return;
    }
    std::string path;
    char letter = 0;
    if (!LookupLdbAlias(name, path, letter)) {
        aliasValid_ = false;
        aliasName_ = name;
        aliasPath_.clear();
        aliasTableType_ = 0;
        return;
    }
    connectPath_.clear();
    aliasName_ = name;
    aliasPath_ = path;
    aliasTableType_ = AliasTypeFromLetter(letter);
    dictionary_ = UpperCase(aliasPath_).find(".LDD") != std::string::npos;
    if (!Owner()) return;
    for (int i = 0; i < Owner()->ComponentCount(); ++i) {
        auto* ds = dynamic_cast<TLdbDataSet*>(Owner()->Components(i));
        if (!ds || ds->Connection() != this) continue;
        if (!ds->DatabaseName().empty() && ds->DatabaseName() != Name()) continue;
        switch (aliasTableType_) {
        case 1: ds->SetSourceTableType(ttAdsCDX); break;
        case 2: ds->SetSourceTableType(ttAdsNTX); break;
        case 3: ds->SetSourceTableType(ttAdsADT); break;
        default: break;
        }
    }
}

void TLdbConnection::SetConnectPath(const std::string& path) {
    if (isConnected_)
        throw LdbConnectionError("The TLdbConnection.ConnectPath may not be changed when IsConnected is TRUE");
    connectPath_ = path;
    dictionary_ = UpperCase(path).find(".LDD") != std::string::npos;
    aliasName_.clear();
    aliasPath_.clear();
    aliasTableType_ = 0;
}

void TLdbConnection::SetIsConnected(bool value) {
    if (value == isConnected_) return;
    if (value && ComponentState().Contains(csLoading)) {
        connectWhenLoaded_ = true;
        return;
    }
    groupsLoaded_ = false;
    if (!value) {
        Fire(BeforeDisconnect);
        std::vector<TLdbDataSet*> datasets = dataSets_;
        for (TLdbDataSet* ds : datasets) {
            try {
                ds->Close();
            } catch (const Exception&) {
                // A dataset that fails to close must not keep the
                // connection open.
            }
            ds->ConnectionClosed();
        }
        CloseCachedStatements();
        LdbResult r = LdbDisconnect(handle_);
        isConnected_ = false;
        handle_ = 0;
        Fire(AfterDisconnect);
        DoOnDisconnect();
        if (r != LdbSuccess) throw LdbError(static_cast<Integer>(r));
        return;
    }
    Fire(BeforeConnect);
    if (!aliasValid_) {
        SetAliasName(aliasName_);
        if (!aliasValid_) throw LdbConnectionError("TLdbConnection.AliasName is not valid");
    }
    std::string path = GetEffectivePath();
    if (path.empty()) {
        isConnected_ = false;
        throw LdbConnectionError("Must specify connection string before getting a server connection.");
    }
    DoConnect(Utf8Copy(path, 1, 254));
    isConnected_ = true;
    Fire(AfterConnect);
    DoOnConnect();
}

void TLdbConnection::Loaded() {
    TComponent::Loaded();
    if (connectWhenLoaded_ && !isConnected_) {
        connectWhenLoaded_ = false;
        SetIsConnected(true);
    }
}

void TLdbConnection::DoConnect(const std::string& path) {
    std::string user, password;
    if (LoginPrompt && dictionary_) {
        if (OnLogin) {
            OnLogin(this, user, password);
        } else {
            user = Username;
            if (LoginDialog() && !LoginDialog()(Name(), user, password))
                throw EDatabaseError(FormatMessageArgs(DBConsts::SLoginError, {Name()}));
        }
        Username = user;
        if (!ComponentState().Contains(csDesigning)) Password = password;
    } else {
        user = Username;
        password = Password;
    }
    user = Utf8Copy(user, 1, 260);
    password = Utf8Copy(password, 1, 260);
    if (!dictionary_) {
        user.clear();
        password.clear();
    }
    std::uint16_t types = 0;
    if (LdbServerTypes.count(stADS_REMOTE)) types |= 2;
    if (LdbServerTypes.count(stADS_LOCAL)) types |= 1;
    if (LdbServerTypes.count(stADS_AIS)) types |= 4;
    std::uint32_t options = (MiddleTierConnection ? 1u : 0u) | (StoredProcedureConnection ? 2u : 0u);
    switch (Compression) {
    case ccAdsCompressInternet: options |= 12; break;
    case ccAdsCompressAlways: options |= 4; break;
    case ccAdsCompressNever: options |= 8; break;
    default: break;
    }
    LdbHandle handle = 0;
    CheckAdsResult(nullptr, LdbConnect60(path.c_str(), types, user.c_str(), password.c_str(), options, &handle));
    handle_ = handle;
}

void TLdbConnection::CheckConnected() const {
    if (!isConnected_) throw LdbConnectionError("No connection to database server.");
}

std::string TLdbConnection::GetConnectionType() {
    if (!isConnected_) return {};
    std::uint16_t type = 0;
    LdbResult r = LdbGetConnectionType(handle_, &type);
    if (r != LdbSuccess) throw LdbError(static_cast<Integer>(r));
    switch (type) {
    case 1: return "Local";
    case 2: return "Remote";
    case 4: return "Internet";
    default: return {};
    }
}

std::string TLdbConnection::GetServerName() {
    if (!isConnected_) {
        if (ComponentState().Contains(csDesigning)) return {};
        throw LdbConnectionError("Must be connected to get database server name.");
    }
    char buffer[256] = {};
    std::uint16_t len = 255;
    LdbResult r = LdbGetServerName(handle_, buffer, &len);
    if (r != LdbSuccess) throw LdbError(static_cast<Integer>(r));
    return buffer;
}

bool TLdbConnection::GetTransactionActive() {
    CheckConnected();
    return transactionActive_;
}

TLdbDataSet* TLdbConnection::GetDataSet(int index) const {
    if (index < 0 || index >= GetDataSetCount())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return dataSets_[static_cast<std::size_t>(index)];
}

void TLdbConnection::RegisterDataSet(TLdbDataSet* dataSet) { dataSets_.push_back(dataSet); }

void TLdbConnection::UnregisterDataSet(TLdbDataSet* dataSet) {
    auto it = std::find(dataSets_.begin(), dataSets_.end(), dataSet);
    if (it != dataSets_.end()) dataSets_.erase(it);
}

std::string TLdbConnection::GetEffectivePath() const { return connectPath_.empty() ? aliasPath_ : connectPath_; }

std::string TLdbConnection::GetDatabaseFolder() const {
    std::string path = GetEffectivePath();
    if (path.size() > 4 && UpperCase(path.substr(path.size() - 4)) == ".LDD") {
        std::size_t cut = path.rfind('/');
        if (cut == std::string::npos) cut = path.rfind('\\');
        if (cut == std::string::npos) return ".\\";
        path.erase(cut);
    }
    return path;
}

void TLdbConnection::BeginTransaction() {
    CheckConnected();
    LdbResult r = LdbBeginTransaction(handle_);
    if (r != LdbSuccess) throw LdbError(static_cast<Integer>(r));
    transactionActive_ = true;
}

void TLdbConnection::Commit() {
    CheckConnected();
    DoBeforeCommit();
    CloseCachedStatements();
    LdbResult r = LdbCommitTransaction(handle_);
    if (r != LdbSuccess) throw LdbError(static_cast<Integer>(r));
    transactionActive_ = false;
    DoAfterCommit();
}

void TLdbConnection::Rollback() {
    CheckConnected();
    DoBeforeRollback();
    CloseCachedStatements();
    LdbResult r = LdbRollbackTransaction(handle_);
    if (r != LdbSuccess) throw LdbError(static_cast<Integer>(r));
    transactionActive_ = false;
    DoAfterRollback();
}

void TLdbConnection::GetTableNames(TStrings* list, const std::string& mask) {
    CheckConnected();
    if (!list) return;
    std::string pattern;
    if (!dictionary_) {
        std::string folder = WithoutTrailingSeparator(connectPath_.empty() ? aliasPath_ : connectPath_);
        std::string m = aliasTableType_ == 0 ? mask : (aliasTableType_ == 3 ? "*.ldt" : "*.dbf");
        pattern = folder + "\\" + m;
    }
    char name[261] = {};
    std::uint16_t len = 260;
    LdbHandle find = 0;
    LdbResult r = LdbFindFirstTable(handle_, pattern.c_str(), name, &len, &find);
    while (r == LdbSuccess) {
        list->Add(name);
        len = 260;
        r = LdbFindNextTable(handle_, find, name, &len);
    }
    if (find != 0) LdbFindClose(handle_, find);
    if (r != LdbErrNoMoreTables) throw LdbError(static_cast<Integer>(r));
}
