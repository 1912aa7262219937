#pragma once
// The engine side of data-link drivers: the driver list, connections and
// result sets, and the parameter blocks of every driver operation.
//
// Blocks are laid out for this platform: every address is 64 bits and sits
// at an 8-byte offset; every handle and result code is 32 bits. No driver
// is part of this system; a host fills the driver list.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Result code of every driver operation.
enum TDataLinkResult : std::int32_t { dlOk = 0 };

struct TDLConnectionOpenBlock {
    std::int32_t Result;
    const char* DataSource;
    const char* Options;
    const char* UserName;
    const char* Password;
    std::int32_t Connection;  // out
};
struct TDLHandleBlock {  // ConnectionClose, DataResultSetClose, First, Next
    std::int32_t Result;
    std::int32_t Handle;
};
#pragma pack(push, 1)
// One field descriptor as a driver returns it: 29 bytes, packed.
struct TDLFieldDescriptor {
    const char* Name;
    std::uint8_t DataType;
    std::int32_t Size;
    const char* FullName;     // may be null
    const char* Description;  // may be null
};
#pragma pack(pop)
static_assert(sizeof(TDLFieldDescriptor) == 29);
struct TDLResultSetOpenBlock {
    std::int32_t Result;
    std::int32_t Connection;
    const char* CommandText;
    std::int32_t ResultSet;  // out
    std::int32_t FieldCount;  // out
    const TDLFieldDescriptor* Fields;  // out
};
struct TDLEofBlock {
    std::int32_t Result;
    std::int32_t ResultSet;
    std::uint8_t AtEnd;  // out
};
struct TDLGetRowBlock {
    std::int32_t Result;
    std::int32_t ResultSet;
    std::int32_t FieldCount;
    const std::uint8_t* Transfer;
    const std::uint8_t* Row;  // out
    std::int32_t RowSize;     // out
};
struct TDLErrorTextBlock {
    std::int32_t Result;
    std::int32_t Handle;
    const char* Text;  // out
};

// A driver object: the nine operations, each on its block.
class TDataLinkDriver {
public:
    virtual ~TDataLinkDriver() = default;
    virtual void ConnectionClose(TDLHandleBlock& b) = 0;
    virtual void DataConnectionOpen(TDLConnectionOpenBlock& b) = 0;
    virtual void GetErrorText(TDLErrorTextBlock& b) = 0;
    virtual void DataResultSetClose(TDLHandleBlock& b) = 0;
    virtual void DataResultSetEOF(TDLEofBlock& b) = 0;
    virtual void DataResultSetFirst(TDLHandleBlock& b) = 0;
    virtual void DataResultSetGetRow(TDLGetRowBlock& b) = 0;
    virtual void DataResultSetNext(TDLHandleBlock& b) = 0;
    virtual void DataResultSetOpen(TDLResultSetOpenBlock& b) = 0;
};

struct TDataLinkEntry {
    std::string LinkType;
    std::string DisplayName;
    bool Installed = true;
    std::shared_ptr<TDataLinkDriver> Driver;
};

// The driver list: empty unless a host fills it.
std::vector<TDataLinkEntry>& DataLinkDrivers();
// The log procedure for driver failures; none is installed by default.
using TDataLinkLog = std::function<void(const std::string& operation, const std::string& message)>;
TDataLinkLog& DataLinkLog();

struct TResultSetField {
    std::string Name;
    std::uint8_t DataType = 0;
    std::int32_t Size = 0;
    std::string FullName;
    std::string Description;
};

class TDataConnection {
public:
    explicit TDataConnection(const TDataLinkEntry& entry) : Entry(entry) {}
    ~TDataConnection() { Close(); }
    void Open();
    void Close();

    TDataLinkEntry Entry;
    std::int32_t Handle = -1;
    std::string DataSource, Options, UserName, Password;
};

// The connection of the first driver whose link type matches exactly.
std::unique_ptr<TDataConnection> FindLink(const std::string& linkType);

class TDataResultSet {
public:
    TDataResultSet(TDataConnection& connection, std::string command)
        : Connection(connection), CommandText(std::move(command)) {}
    ~TDataResultSet() { Close(); }
    void Open();
    void Close();
    void First();
    void Next();
    bool Eof();
    // The current row copied out of the driver; false when there is none.
    bool GetRow(std::vector<std::uint8_t>& row);
    std::size_t FieldCount() const { return Fields.size(); }

    TDataConnection& Connection;
    std::string CommandText;
    std::int32_t Handle = -1;
    std::vector<TResultSetField> Fields;
    std::vector<std::uint8_t> Transfer;
    // Moves and end checks the driver failed; the wrappers carry on as if
    // nothing happened, a reader may stop.
    int Failures = 0;
};
