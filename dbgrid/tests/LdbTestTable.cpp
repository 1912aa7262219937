#include "dbgrid/tests/LdbTestTable.h"

#include <fstream>
#include <memory>

#include "dbclient/LdbConnection.h"
#include "dbclient/LdbQuery.h"

namespace {

TLdbQuery* NewQuery(TComponent* owner, const std::string& sql, bool live) {
    auto* q = new TLdbQuery(owner);
    q->SetDatabaseName("LdbConnection1");
    q->RequestLive = live;
    q->SQL().SetText(sql);
    return q;
}

}  // namespace

TDataSet* OpenProfilesQuery(TComponent* owner, const std::string& folder, int rows) {
    std::string file = folder + "/DataDB.ldd";
    std::ofstream(file, std::ios::binary).flush();
    auto* conn = new TLdbConnection(owner);
    conn->SetName("LdbConnection1");
    conn->LdbServerTypes = {stADS_LOCAL};
    conn->LoginPrompt = false;
    conn->SetConnectPath(file);
    conn->Connect();
    auto exec = [&](const std::string& sql) {
        std::unique_ptr<TLdbQuery> q(NewQuery(owner, sql, false));
        q->ExecSQL();
    };
    exec("create table Profiles (PID integer unique, PName char(20))");
    for (int i = 1; i <= rows; ++i)
        exec("insert into Profiles (PID, PName) values (" + std::to_string(i) + ", 'P" + std::to_string(i) + "')");
    TLdbQuery* q = NewQuery(owner, "select * from Profiles order by PID", true);
    q->Open();
    return q;
}

std::string LdbScalar(TComponent* owner, const std::string& sql) {
    std::unique_ptr<TLdbQuery> q(NewQuery(owner, sql, false));
    q->Open();
    return q->IsEmpty() ? "<none>" : q->Fields()[0]->AsString();
}
