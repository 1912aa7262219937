#pragma once
// Test-only data-link driver over the database client: a connection is a
// database file opened through TLdbConnection, a result set a TLdbQuery,
// and rows are written in the data-row layout the data fields read.
// It records what the engine asked of it so tests can check credentials
// and the closing of connections.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dbclient/LdbConnection.h"
#include "dbclient/LdbQuery.h"
#include "platform/data/Field.h"
#include "reportproject/VzDLBase.h"
#include "reportproject/tests/RowBuilder.h"

class SqliteDriver : public TDataLinkDriver {
public:
    struct Opened {
        std::string DataSource, UserName, Password, Options;
        bool Closed = false;
    };
    std::vector<Opened> Connections;  // by handle
    std::vector<std::string> Commands;  // every query text received

    void DataConnectionOpen(TDLConnectionOpenBlock& b) override {
        const std::int32_t handle = std::int32_t(Connections.size());
        Connections.push_back({b.DataSource, b.UserName, b.Password, b.Options});
        auto owner = std::make_unique<TComponent>(nullptr);
        auto* conn = new TLdbConnection(owner.get());
        conn->SetName("Conn");
        conn->LdbServerTypes = {stADS_LOCAL};
        conn->LoginPrompt = false;
        conn->Password = b.Password;
        try {
            conn->SetConnectPath(b.DataSource);
            conn->Connect();
        } catch (const std::exception& e) {
            Fail(b.Result, handle, e.what());
            b.Connection = handle;
            return;
        }
        owners_[handle] = std::move(owner);
        b.Connection = handle;
    }
    void ConnectionClose(TDLHandleBlock& b) override {
        if (b.Handle >= 0 && std::size_t(b.Handle) < Connections.size()) Connections[std::size_t(b.Handle)].Closed = true;
        // The connection's owner frees the queries still open on it.
        for (auto it = sets_.begin(); it != sets_.end();)
            it = it->second->Connection == b.Handle ? sets_.erase(it) : std::next(it);
        owners_.erase(b.Handle);
    }
    void GetErrorText(TDLErrorTextBlock& b) override {
        last_ = errors_[b.Handle];
        b.Text = last_.c_str();
    }
    void DataResultSetOpen(TDLResultSetOpenBlock& b) override {
        Commands.push_back(b.CommandText);
        const auto owner = owners_.find(b.Connection);
        const std::int32_t handle = next_++;
        b.ResultSet = handle;
        if (owner == owners_.end()) return Fail(b.Result, handle, "Connection is not open");
        auto set = std::make_unique<Set>();
        set->Connection = b.Connection;
        set->Query = new TLdbQuery(owner->second.get());
        set->Query->SetDatabaseName("Conn");
        set->Query->SQL().SetText(b.CommandText);
        try {
            set->Query->Open();
        } catch (const std::exception& e) {
            delete set->Query;
            return Fail(b.Result, handle, e.what());
        }
        for (int i = 0; i < set->Query->Fields().Count(); ++i) {
            TField* f = set->Query->Fields()[i];
            set->Names.push_back(f->FieldName());
            set->Types.push_back(TypeOf(f->DataType()));
        }
        for (std::size_t i = 0; i < set->Names.size(); ++i)
            set->Descriptors.push_back({set->Names[i].c_str(), set->Types[i], 10, nullptr, nullptr});
        b.FieldCount = std::int32_t(set->Descriptors.size());
        b.Fields = set->Descriptors.empty() ? nullptr : set->Descriptors.data();
        sets_[handle] = std::move(set);
    }
    void DataResultSetClose(TDLHandleBlock& b) override {
        const auto it = sets_.find(b.Handle);
        if (it == sets_.end()) return;
        delete it->second->Query;
        sets_.erase(it);
    }
    void DataResultSetEOF(TDLEofBlock& b) override {
        if (Set* s = Find(b.ResultSet)) b.AtEnd = s->Query->Eof() ? 1 : 0;
    }
    void DataResultSetFirst(TDLHandleBlock& b) override {
        if (Set* s = Find(b.Handle)) s->Query->First();
    }
    void DataResultSetNext(TDLHandleBlock& b) override {
        if (Set* s = Find(b.Handle)) s->Query->Next();
    }
    void DataResultSetGetRow(TDLGetRowBlock& b) override {
        Set* s = Find(b.ResultSet);
        if (!s) return Fail(b.Result, b.ResultSet, "No result set");
        RowBuilder row(int(s->Names.size()));
        for (std::size_t i = 0; i < s->Names.size(); ++i) {
            TField* f = s->Query->Fields()[int(i)];
            const int col = int(i);
            if (f->IsNull()) row.Null(col);
            else if (s->Types[i] == dtInteger) row.Int(col, f->AsInteger());
            else if (s->Types[i] == dtInt64) row.Int64v(col, f->AsLargeInt());
            else if (s->Types[i] == dtFloat) row.Ext(col, f->AsFloat());
            else if (s->Types[i] == dtBoolean) row.Bool(col, f->AsBoolean());
            else row.Str(col, f->AsString());
        }
        TVizeDataRow data;
        row.Into(data);
        s->Row.assign(data.Data(), data.Data() + data.Size());
        b.Row = s->Row.data();
        b.RowSize = std::int32_t(s->Row.size());
    }

    int OpenConnections() const { return int(owners_.size()); }
    int OpenResultSets() const { return int(sets_.size()); }

private:
    struct Set {
        std::int32_t Connection = -1;
        TLdbQuery* Query = nullptr;  // owned by the connection's owner
        std::vector<std::string> Names;
        std::vector<std::uint8_t> Types;
        std::vector<TDLFieldDescriptor> Descriptors;
        std::vector<std::uint8_t> Row;
    };
    static std::uint8_t TypeOf(TFieldType t) {
        switch (t) {
            case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: return dtInteger;
            case ftLargeint: return dtInt64;
            case ftFloat: return dtFloat;
            case ftBoolean: return dtBoolean;
            default: return dtString;
        }
    }
    Set* Find(std::int32_t handle) {
        const auto it = sets_.find(handle);
        return it == sets_.end() ? nullptr : it->second.get();
    }
    void Fail(std::int32_t& result, std::int32_t handle, const std::string& message) {
        result = 1;
        errors_[handle] = message;
    }

    std::map<std::int32_t, std::unique_ptr<TComponent>> owners_;
    std::map<std::int32_t, std::unique_ptr<Set>> sets_;
    std::map<std::int32_t, std::string> errors_;
    std::string last_;
    std::int32_t next_ = 0;
};
