#pragma once
// TLdbConnection: one engine connection, placed on a window and named;
// datasets and queries name it in their DatabaseName. Also the alias file
// "ldb.ini" and the process-wide lists of connections and datasets through
// which a DatabaseName finds its connection.

#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/Component.h"
#include "platform/core/StringList.h"
#include "platform/ldb/Ldb.h"

class TLdbConnection;
class TLdbDataSet;
class TParams;

// One prepared statement kept by a connection, found by its text.
struct TStmtInfo {
    std::uint32_t HashCode = 0;
    std::string SQL;
    LdbHandle Statement = 0;
};

// Statement options for ExecuteWithOptions.
struct TLdbStatementOptions {
    std::uint16_t LockType = 1;   // 1 proprietary, 0 compatible
    std::uint16_t CharType = 1;   // 1 ANSI, 2 OEM
    std::uint16_t Rights = 1;     // 1 check, 2 ignore
    std::uint16_t TableType = 3;  // 1 NTX, 2 CDX, 3 ADT
};

// The hash under which a connection caches a statement's text.
std::uint32_t LdbSqlHash(const std::string& sql);
// The link names of an active-link reply: the pieces before each ";" (a
// piece after the last ";" is not a name).
void SplitLdbLinkInfo(const std::string& reply, TStrings* list);

enum TLdbServerType { stADS_REMOTE, stADS_LOCAL, stADS_AIS };
using TLdbServerTypes = std::set<TLdbServerType>;

enum TLdbCompressionTypes {
    ccAdsCompressionNotSet,
    ccAdsCompressInternet,
    ccAdsCompressAlways,
    ccAdsCompressNever,
};

using TLdbDatabaseLoginEvent =
    std::function<void(TLdbConnection* connection, std::string& username, std::string& password)>;
using TLdbConnectionNotifyEvent = std::function<void(TObject* sender)>;

// The platform's database login dialog: shows the database name and lets
// the user change user name and password; false when refused. Until one is
// installed there is none, and connections that prompt send the stored user
// name and an empty password.
using TLdbLoginDialog = std::function<bool(const std::string& databaseName, std::string& username,
                                           std::string& password)>;
void SetLdbLoginDialog(TLdbLoginDialog dialog);

// An alias of "ldb.ini" (section "Databases"; the value is a path, then
// optionally ";" and a table-type letter N, C or A): the file in the
// program folder, else "ldb.ini" as the settings-file reader finds it.
// False when the alias has no path.
bool LookupLdbAlias(const std::string& alias, std::string& path, char& letter);

class TLdbConnection : public TComponent {
public:
    explicit TLdbConnection(TComponent* owner = nullptr);
    ~TLdbConnection() override;

    // Renaming re-points the datasets that named the connection by its old
    // name and binds those that already named the new one.
    void SetName(const std::string& name);

    const std::string& AliasName() const { return aliasName_; }
    virtual void SetAliasName(const std::string& name);
    bool IsConnected() const { return isConnected_; }
    virtual void SetIsConnected(bool value);
    virtual std::string GetConnectPath() const { return connectPath_; }
    std::string ConnectPath() const { return GetConnectPath(); }
    virtual void SetConnectPath(const std::string& path);

    bool LoginPrompt = true;
    std::string Username;
    std::string Password;
    TLdbServerTypes LdbServerTypes;
    bool MiddleTierConnection = false;
    bool StoredProcedureConnection = false;
    bool StoreConnected = true;
    TLdbCompressionTypes Compression = ccAdsCompressionNotSet;
    // Makes every query statement read-only.
    bool ReadOnly = false;

    TLdbConnectionNotifyEvent AfterCommit, BeforeCommit, AfterRollback, BeforeRollback;
    TLdbConnectionNotifyEvent OnConnect, OnDisconnect, AfterConnect, AfterDisconnect, BeforeConnect,
        BeforeDisconnect;
    TLdbDatabaseLoginEvent OnLogin;

    // "Local", "Remote", "Internet" or empty; empty when not connected.
    virtual std::string GetConnectionType();
    // Raises when not connected (outside design time).
    virtual std::string GetServerName();
    std::string ServerName() { return GetServerName(); }
    virtual bool GetTransactionActive();
    // The engine handle while connected, else 0.
    virtual LdbHandle GetConnectionHandle() const { return isConnected_ ? handle_ : 0; }
    LdbHandle ConnectionHandle() const { return GetConnectionHandle(); }
    virtual TLdbDataSet* GetDataSet(int index) const;
    virtual int GetDataSetCount() const { return static_cast<int>(dataSets_.size()); }
    // Closes and forgets every cached statement (also on disconnect,
    // commit and rollback).
    virtual void CloseCachedStatements();
    virtual bool GetIsDictionary() const { return dictionary_; }
    virtual void Connect() { SetIsConnected(true); }
    virtual void Disconnect() { SetIsConnected(false); }
    virtual void RegisterDataSet(TLdbDataSet* dataSet);
    virtual void UnregisterDataSet(TLdbDataSet* dataSet);
    // The effective path without a dictionary's file name (".\DataDB.ldd"
    // gives ".").
    virtual std::string GetDatabaseFolder() const;
    // ConnectPath, else the alias path.
    virtual std::string GetEffectivePath() const;
    // 0 none, 1 CDX, 2 NTX, 3 ADT, from the alias entry.
    virtual int GetAliasTableType() const { return aliasTableType_; }
    virtual void BeginTransaction();
    virtual void Commit();
    virtual void Rollback();
    // The tables the connection reaches; a dictionary lists all its tables.
    virtual void GetTableNames(TStrings* list, const std::string& mask);

    // ---- services
    // Runs a text (connecting first when needed), binding params when there
    // are any. cursor, when given, receives the result cursor; keep keeps
    // the prepared statement for the next run of the same text (letter
    // case aside). Returns the rows affected when no cursor is asked for.
    // A statement not kept is closed at the end, except when it gave the
    // cursor asked for: closing it would close the cursor, so it stays
    // until the connection closes.
    virtual Integer Execute(const std::string& sql, TParams* params = nullptr, LdbHandle* cursor = nullptr,
                            bool keep = false);
    virtual Integer ExecuteWithOptions(const TLdbStatementOptions& options, const std::string& sql,
                                       LdbHandle* cursor, bool keep, TParams* params);
    int CachedStatementCount() const { return static_cast<int>(cachedStatements_.size()); }
    // The tables of a dictionary connection.
    virtual void GetDictionaryTableNames(TStrings* list);
    // The user's groups in the dictionary, loaded once per connection.
    virtual TStrings& GetUserGroups();
    virtual std::string GetUserGroupsText();
    virtual void LoadUserGroups();
    virtual int GetActiveLinkCount();
    virtual void GetActiveLinkNames(int index, TStrings* list);
    // Days from 1 January of year 1 (day 1), time of day as fraction.
    virtual double GetServerTime();
    virtual void CloseCachedTables();

    std::thread::id CreatingThread() const { return creatingThread_; }

protected:
    void Loaded() override;
    virtual void DoConnect(const std::string& path);
    virtual void DoAfterCommit() { Fire(AfterCommit); }
    virtual void DoBeforeCommit() { Fire(BeforeCommit); }
    virtual void DoAfterRollback() { Fire(AfterRollback); }
    virtual void DoBeforeRollback() { Fire(BeforeRollback); }
    virtual void DoOnConnect() { Fire(OnConnect); }
    virtual void DoOnDisconnect() { Fire(OnDisconnect); }

private:
    friend class TLdbDataSet;
    void Fire(const TLdbConnectionNotifyEvent& event) {
        if (event) event(this);
    }
    void CheckConnected() const;

    std::string aliasName_;
    bool aliasValid_ = true;
    bool isConnected_ = false;
    std::string connectPath_;
    bool transactionActive_ = false;
    LdbHandle handle_ = 0;
    std::vector<TLdbDataSet*> dataSets_;
    bool connectWhenLoaded_ = false;
    std::string aliasPath_;
    int aliasTableType_ = 0;
    bool dictionary_ = false;
    std::thread::id creatingThread_;
    std::vector<TStmtInfo> cachedStatements_;
    TStringList userGroups_;
    std::string userGroupsText_;
    bool groupsLoaded_ = false;
    LdbHandle StatementFor(const std::string& sql, bool keep, bool cursor, const TLdbStatementOptions* options);
};

// The connection a DatabaseName names, searched in the process-wide list
// (names compared without regard to case): the same name, owner and
// creating thread first, then the same name and thread, then the same name
// and owner, then the same name or "Owner.Name". nullptr when none.
TLdbConnection* FindLdbConnection(const std::string& databaseName, TComponent* datasetOwner);
