#pragma once
// A window-like owner holding "LdbConnection1" on an empty database file in
// a temporary folder, and small helpers to run SQL through queries.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "dbclient/LdbConnection.h"
#include "dbclient/LdbQuery.h"

struct DbTempFolder {
    std::string path;
    DbTempFolder() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "dbclient-XXXXXX").string();
        char* made = ::mkdtemp(tmpl.data());
        path = made ? made : "";
    }
    ~DbTempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    // An empty file is an empty database.
    std::string NewDatabase(const std::string& name = "DataDB.ldd") const {
        std::string file = path + "/" + name;
        std::ofstream(file, std::ios::binary).flush();
        return file;
    }
};

class DbFixture : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TComponent>(nullptr);
        form->SetName("frmTestWork");
        conn = new TLdbConnection(form.get());
        conn->SetName("LdbConnection1");
        conn->LdbServerTypes = {stADS_LOCAL};
        conn->LoginPrompt = false;
        conn->Password = "KORVEL";
        conn->SetConnectPath(folder.NewDatabase());
        conn->Connect();
    }
    void TearDown() override { form.reset(); }

    // A query on the connection, owned by the form.
    TLdbQuery* NewQuery(const std::string& sql = {}, bool live = false) {
        auto* q = new TLdbQuery(form.get());
        q->SetDatabaseName("LdbConnection1");
        q->RequestLive = live;
        if (!sql.empty()) q->SQL().SetText(sql);
        return q;
    }
    void Exec(const std::string& sql) {
        std::unique_ptr<TLdbQuery> q(NewQuery(sql));
        q->ExecSQL();
    }
    // The first column of the first row of a SELECT, as text.
    std::string Scalar(const std::string& sql) {
        std::unique_ptr<TLdbQuery> q(NewQuery(sql));
        q->Open();
        return q->IsEmpty() ? "<none>" : (q->Fields()[0]->IsNull() ? "<null>" : q->Fields()[0]->AsString());
    }

    DbTempFolder folder;
    std::unique_ptr<TComponent> form;
    TLdbConnection* conn = nullptr;
};
