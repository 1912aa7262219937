#include "reportproject/VzDatabase.h"

#include <algorithm>

#include "platform/core/Exception.h"
#include "report/ReportDefs.h"

TVizeClassRef TVizeDBAuth::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeDBAuth", TVizePersistent::StaticClass(),
                                 [](TComponent*) { return new TVizeDBAuth; }, false);
        TVizeProps<TVizeDBAuth>(*c)
            .String("Datasource", &TVizeDBAuth::GetDatasource, &TVizeDBAuth::SetDatasource)
            .String("Options", &TVizeDBAuth::GetOptions, &TVizeDBAuth::SetOptions)
            .String("Password", &TVizeDBAuth::GetPassword, &TVizeDBAuth::SetPassword)
            .String("Username", &TVizeDBAuth::GetUsername, &TVizeDBAuth::SetUsername);
        return c;
    }();
    return cls;
}

void TVizeDBAuth::Assign(const TPersistent* source) {
    const auto* other = dynamic_cast<const TVizeDBAuth*>(source);
    if (!other) {
        TVizePersistent::Assign(source);
        return;
    }
    Datasource = other->Datasource;
    Options = other->Options;
    Password = other->Password;
    Username = other->Username;
}

TVizeClassRef TVizeDatabase::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeDatabase", TVizeDataObject::StaticClass(),
                                 [](TComponent* owner) { return new TVizeDatabase(owner); }, true);
        TVizeProps<TVizeDatabase>(*c)
            .Object<TVizeDBAuth>("AuthDesign", &TVizeDatabase::GetAuthDesign, &TVizeDatabase::SetAuthDesign)
            .Object<TVizeDBAuth>("AuthRun", &TVizeDatabase::GetAuthRun, &TVizeDatabase::SetAuthRun)
            .Integer("LinkPoolSize", &TVizeDatabase::GetLinkPoolSize, &TVizeDatabase::SetLinkPoolSize)
            .String("LinkType", &TVizeDatabase::GetLinkType, &TVizeDatabase::SetLinkType);
        return c;
    }();
    return cls;
}

// The data-link server flag that would also select the design credentials
// belongs to a host serving data links; it is off here.
TVizeDatabase::TVizeDatabase(TComponent* owner)
    : TVizeDataObject(owner), auth_(VizeDesigner().DesignMode ? authDesign_.get() : authRun_.get()) {}

TVizeDatabase::~TVizeDatabase() {
    {
        std::lock_guard<std::mutex> lock(linksLock_);
        while (!links_.empty()) links_.pop_back();
    }
    pool_.reset();
}

std::unique_ptr<TDataConnection> TVizeDatabase::OpenLink() {
    if (DataLinkDrivers().empty()) {
        const std::string t = linkType_ == "IBX" ? "Interbase" : linkType_;
        throw Exception(Trans("No DataLink drivers have been loaded.  Use the DataLink" + t +
                              ".VZD driver file for the Vize server/IDE or include the unit VzDL" + t +
                              " for applications."));
    }
    auto link = FindLink(linkType_);
    link->DataSource = auth_->Datasource;
    link->UserName = auth_->Username;
    link->Password = auth_->Password;
    link->Options = auth_->Options;
    link->Open();
    return link;
}

TDataConnection* TVizeDatabase::GetLink() {
    std::lock_guard<std::mutex> lock(linksLock_);
    const auto me = std::this_thread::get_id();
    auto it = std::find_if(links_.rbegin(), links_.rend(), [&](const TLinkInfo& l) { return l.Thread == me; });
    if (it == links_.rend()) {
        TLinkInfo info;
        info.Thread = me;
        {
            std::lock_guard<std::mutex> poolLock(poolLock_);
            if (pool_ && !pool_->empty()) {
                info.Link = std::move(pool_->front());
                pool_->erase(pool_->begin());
            }
        }
        if (!info.Link) info.Link = OpenLink();
        links_.push_back(std::move(info));
        it = links_.rbegin();
    }
    ++it->Uses;
    return it->Link.get();
}

void TVizeDatabase::ReleaseLink(TDataConnection* connection) {
    std::lock_guard<std::mutex> lock(linksLock_);
    const auto it = std::find_if(links_.begin(), links_.end(), [&](const TLinkInfo& l) { return l.Link.get() == connection; });
    if (it == links_.end()) return;
    if (--it->Uses > 0) return;
    {
        std::lock_guard<std::mutex> poolLock(poolLock_);
        if (pool_ && Integer(pool_->size()) < linkPoolSize_) pool_->push_back(std::move(it->Link));
    }
    links_.erase(it);  // frees (and so closes) a connection the pool did not take
}

int TVizeDatabase::UseCount(const TDataConnection* connection) const {
    std::lock_guard<std::mutex> lock(linksLock_);
    for (const auto& l : links_)
        if (l.Link.get() == connection) return l.Uses;
    return 0;
}

void InitializeVzDatabase() {
    RegisterProc("VZCL", [] {
        RegisterVizeClass(TVizeDatabase::StaticClass());
        RegisterModuleClasses("VzData", {TVizeDatabase::StaticClass()}, 0);
        RegisterDisplayName("Database Connection", TVizeDatabase::StaticClass());
    });
}
