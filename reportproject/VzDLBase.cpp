#include "reportproject/VzDLBase.h"

#include <cstring>

#include "platform/core/Exception.h"

namespace {

// Largest field count and row a driver may hand back; beyond it the answer
// is treated as a driver failure rather than trusted.
constexpr std::int32_t kMaxFields = 4096;
constexpr std::int32_t kMaxRowSize = 64 * 1024 * 1024;

std::string CText(const char* p) { return p ? std::string(p) : std::string(); }

void Log(const std::string& operation, const std::string& message) {
    if (DataLinkLog()) DataLinkLog()(operation, message);
}

// Asks the driver for the text of a failure and logs it.
void Report(TDataLinkDriver& driver, const std::string& operation, std::int32_t handle, const char* guard,
            const std::string& context = {}) {
    try {
        TDLErrorTextBlock b{};
        b.Handle = handle;
        driver.GetErrorText(b);
        const std::string text = b.Result == dlOk ? CText(b.Text) : std::string();
        Log(operation, context.empty() ? text : "(" + context + ") " + text);
    } catch (const std::exception& e) {
        Log(guard, e.what());
    }
}

}  // namespace

std::vector<TDataLinkEntry>& DataLinkDrivers() {
    static std::vector<TDataLinkEntry> list;
    return list;
}

TDataLinkLog& DataLinkLog() {
    static TDataLinkLog log;
    return log;
}

std::unique_ptr<TDataConnection> FindLink(const std::string& linkType) {
    for (const auto& e : DataLinkDrivers())
        if (e.LinkType == linkType) return std::make_unique<TDataConnection>(e);
    throw Exception("Unknown DATA link type. (" + linkType + ")");
}

void TDataConnection::Open() {
    if (!Entry.Installed) throw Exception(Entry.DisplayName + " is not installed.");
    Handle = -1;
    if (!Entry.Driver) return;
    TDLConnectionOpenBlock b{};
    b.DataSource = DataSource.c_str();
    b.Options = Options.c_str();
    b.UserName = UserName.c_str();
    b.Password = Password.c_str();
    try {
        Entry.Driver->DataConnectionOpen(b);
    } catch (const std::exception&) {
        return;
    }
    if (b.Result == dlOk) {
        Handle = b.Connection;
        return;
    }
    Report(*Entry.Driver, "DataConnectionOpen", b.Connection, "LogConnectionError");
    try {
        TDLHandleBlock c{};
        c.Handle = b.Connection;
        Entry.Driver->ConnectionClose(c);
    } catch (const std::exception& e) {
        Log("ConnectionClose", e.what());
    }
}

void TDataConnection::Close() {
    if (Handle < 0 || !Entry.Driver) return;
    TDLHandleBlock b{};
    b.Handle = Handle;
    Handle = -1;
    try {
        Entry.Driver->ConnectionClose(b);
        if (b.Result != dlOk) Report(*Entry.Driver, "ConnectionClose", 0, "LogGlobalError");
    } catch (const std::exception& e) {
        Log("ConnectionClose", e.what());
    }
}

void TDataResultSet::Open() {
    TDataLinkDriver* d = Connection.Entry.Driver.get();
    if (!d) return;
    TDLResultSetOpenBlock b{};
    b.Connection = Connection.Handle;
    b.CommandText = CommandText.c_str();
    try {
        d->DataResultSetOpen(b);
        if (b.Result == dlOk && (b.FieldCount < 0 || b.FieldCount > kMaxFields || (b.FieldCount > 0 && !b.Fields))) {
            Log("DataResultSetOpen", "The driver returned an invalid field list");
            b.Result = -1;
        }
        if (b.Result != dlOk) {
            Report(*d, "DataResultSetOpen", b.ResultSet, "LogResultSetError");
            TDLHandleBlock c{};
            c.Handle = b.ResultSet;
            d->DataResultSetClose(c);
            return;
        }
        Handle = b.ResultSet;
        Fields.clear();
        for (std::int32_t i = 0; i < b.FieldCount; ++i) {
            TDLFieldDescriptor f;
            std::memcpy(&f, reinterpret_cast<const std::uint8_t*>(b.Fields) + std::size_t(i) * sizeof f, sizeof f);
            Fields.push_back({CText(f.Name), f.DataType, f.Size, CText(f.FullName), CText(f.Description)});
        }
        Transfer.assign(Fields.size(), 1);
    } catch (const std::exception& e) {
        Log("DataResultSetOpen", e.what());
    }
}

void TDataResultSet::Close() {
    if (Handle >= 0) {
        TDataLinkDriver* d = Connection.Entry.Driver.get();
        TDLHandleBlock b{};
        b.Handle = Handle;
        Handle = -1;
        Fields.clear();
        try {
            d->DataResultSetClose(b);
            if (b.Result != dlOk) Report(*d, "DataResultSetClose", b.Handle, "LogResultSetError");
        } catch (const std::exception& e) {
            Log("ResultSetClose", e.what());
        }
    }
    Transfer.clear();
}

namespace {
void Move(TDataResultSet& rs, bool first) {
    if (rs.Handle < 0) return;
    TDataLinkDriver& d = *rs.Connection.Entry.Driver;
    const char* op = first ? "DataResultSetFirst" : "DataResultSetNext";
    TDLHandleBlock b{};
    b.Handle = rs.Handle;
    try {
        first ? d.DataResultSetFirst(b) : d.DataResultSetNext(b);
        if (b.Result != dlOk) {
            ++rs.Failures;
            Report(d, op, rs.Handle, "LogResultSetError");
        }
    } catch (const std::exception& e) {
        ++rs.Failures;
        Log(op, e.what());
    }
}
}  // namespace

void TDataResultSet::First() { Move(*this, true); }
void TDataResultSet::Next() { Move(*this, false); }

bool TDataResultSet::Eof() {
    if (Handle < 0) return true;
    TDataLinkDriver& d = *Connection.Entry.Driver;
    TDLEofBlock b{};
    b.ResultSet = Handle;
    try {
        d.DataResultSetEOF(b);
        if (b.Result == dlOk) return b.AtEnd != 0;
        ++Failures;
        Report(d, "DataResultSetEOF", Handle, "LogResultSetError");
    } catch (const std::exception& e) {
        ++Failures;
        Log("DataResultSetEOF", e.what());
    }
    return false;
}

bool TDataResultSet::GetRow(std::vector<std::uint8_t>& row) {
    if (Handle < 0) return false;
    TDataLinkDriver& d = *Connection.Entry.Driver;
    TDLGetRowBlock b{};
    b.ResultSet = Handle;
    b.FieldCount = std::int32_t(Fields.size());
    b.Transfer = Transfer.data();
    try {
        d.DataResultSetGetRow(b);
        if (b.Result == dlOk && (b.RowSize < 0 || b.RowSize > kMaxRowSize || (b.RowSize > 0 && !b.Row))) {
            Log("DataResultSetGetRow", "The driver returned an invalid row");
            return false;
        }
        if (b.Result != dlOk) {
            Report(d, "DataResultSetGetRow", Handle, "LogResultSetError");
            return false;
        }
        row.assign(b.Row, b.Row + b.RowSize);
        return true;
    } catch (const std::exception& e) {
        Log("DataResultSetGetRow", e.what());
    }
    return false;
}
