#pragma once
// The database project item: which data-link driver to use, credentials for
// design and run time, and the connections it lends to driver data views,
// counted per thread and closed when the last user gives them back.

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "reportproject/VzClass.h"
#include "reportproject/VzDLBase.h"

class TVizeDBAuth : public TVizePersistent {
    VIZE_CLASS(TVizeDBAuth)
public:
    std::string Datasource, Options, Password, Username;
    const std::string& GetDatasource() const { return Datasource; }
    const std::string& GetOptions() const { return Options; }
    const std::string& GetPassword() const { return Password; }
    const std::string& GetUsername() const { return Username; }
    void SetDatasource(const std::string& v) { Datasource = v; }
    void SetOptions(const std::string& v) { Options = v; }
    void SetPassword(const std::string& v) { Password = v; }
    void SetUsername(const std::string& v) { Username = v; }
    void Assign(const TPersistent* source) override;
};

class TVizeDatabase : public TVizeDataObject {
    VIZE_CLASS(TVizeDatabase)
public:
    explicit TVizeDatabase(TComponent* owner);
    ~TVizeDatabase() override;

    bool IsMasterItem() const override { return true; }

    // The credentials in use, chosen at creation.
    TVizeDBAuth& Auth() const { return *auth_; }
    TVizeDBAuth* GetAuthDesign() const { return authDesign_.get(); }
    TVizeDBAuth* GetAuthRun() const { return authRun_.get(); }
    void SetAuthDesign(TVizeDBAuth* v) { if (v) authDesign_->Assign(v); }
    void SetAuthRun(TVizeDBAuth* v) { if (v) authRun_->Assign(v); }
    Integer GetLinkPoolSize() const { return linkPoolSize_; }
    void SetLinkPoolSize(Integer v) { linkPoolSize_ = v; }
    const std::string& GetLinkType() const { return linkType_; }
    void SetLinkType(const std::string& v) { linkType_ = v; }

    // The calling thread's connection, opened when needed; adds one user.
    TDataConnection* GetLink();
    // Takes one user away; the last one closes the connection or pools it.
    void ReleaseLink(TDataConnection* connection);
    // A new, opened connection.
    std::unique_ptr<TDataConnection> OpenLink();
    // Creates the pool of idle connections; nothing in the system does.
    void EnablePool() { if (!pool_) pool_ = std::make_unique<std::vector<std::unique_ptr<TDataConnection>>>(); }
    // Users of a connection handed out (0 when unknown), for hosts and tests.
    int UseCount(const TDataConnection* connection) const;

private:
    struct TLinkInfo {
        std::unique_ptr<TDataConnection> Link;
        std::thread::id Thread;
        int Uses = 0;
    };
    std::unique_ptr<TVizeDBAuth> authDesign_ = std::make_unique<TVizeDBAuth>();
    std::unique_ptr<TVizeDBAuth> authRun_ = std::make_unique<TVizeDBAuth>();
    TVizeDBAuth* auth_;
    mutable std::mutex linksLock_;
    std::vector<TLinkInfo> links_;
    std::mutex poolLock_;
    std::unique_ptr<std::vector<std::unique_ptr<TDataConnection>>> pool_;
    Integer linkPoolSize_ = 0;
    std::string linkType_;
};

// Start-up: appends the database's registration to the registration list.
void InitializeVzDatabase();
