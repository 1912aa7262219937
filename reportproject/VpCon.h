#pragma once
// The serving side of the data channel. A TVizeDataConnect component lives
// in the application that owns the data: registered with the connection
// manager it serves direct data views of the same process; wrapped in a
// TVizeDataServer it serves reports of other processes through the named
// events and the shared buffer. Its handler events produce columns and
// rows; each has a default that a descendant may override.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Component.h"
#include "report/ReportDefs.h"
#include "report/SharedObjects.h"
#include "reportproject/VzDataChannel.h"

struct TVizeConnectColumn {
    std::string Name;
    TVPDataType DataType = dtString;
    bool Included = true;
    // The value a local filter asks for (FilterSet: one was sent).
    bool FilterSet = false;
    std::string FilterText;
    Int64 FilterInteger = 0;
    double FilterFloat = 0;
};

class TVizeDataConnect : public TComponent {
public:
    explicit TVizeDataConnect(TComponent* owner);
    ~TVizeDataConnect() override;

    // The name the channel knows it by (the component's name).
    std::string ConnectionName() const { return Name(); }

    // Filtering done here from the columns' filter values: a row is
    // fetched first and passes when the validate handler says so.
    bool LocalFilter = false;
    // Set when the row for the current position has been fetched.
    bool RowReady = false;
    std::vector<TVizeConnectColumn>& Columns() { return columns_; }

    using TNotify = std::function<void(TVizeDataConnect* sender)>;
    using TAnswer = std::function<bool(TVizeDataConnect* sender)>;
    TNotify OnFirst, OnNext, OnOpen, OnRestore, OnGetCols, OnGetRow, OnSetFilter, OnGetSorts, OnSetSort;
    TAnswer OnEOF, OnValidateRow;

    // Runs one request found in buffer (its payload at offset 8) and writes
    // the reply there, or into an alternate buffer named in the header when
    // it does not fit. False for an unknown command or a failing handler.
    bool HandleRequest(Byte* buffer, std::size_t size);

    // ---- for the handlers
    // The request being served (set filter and sort lists are read here).
    TVizeChannelCursor& Request() { return request_; }
    // The reply being written (the sort-list handler writes here).
    TVizeChannelCursor& Reply() { return reply_; }
    // Column handler: one column record and its item.
    void WriteColumn(const std::string& name, TVPDataType type, Integer width, const std::string& fullName = {},
                     const std::string& description = {});
    // Row handler: values of the included columns, by position among them.
    void WriteNullData(int column);
    void WriteStringData(int column, const std::string& value);
    void WriteIntegerData(int column, Integer value);
    void WriteInt64Data(int column, Int64 value);
    void WriteBooleanData(int column, bool value);
    void WriteFloatData(int column, double value);
    void WriteCurrencyData(int column, Int64 tenThousandths);
    void WriteDateTimeData(int column, double value);
    void WriteBlobData(int column, const std::string& bytes);
    // The display text of a column, beside its value.
    void WriteTextData(int column, const std::string& text);

protected:
    virtual void DoFirst();
    virtual void DoNext();
    virtual bool DoEOF();
    virtual void DoGetCols();
    virtual void DoGetRow();
    virtual bool DoValidateRow();
    virtual void DoSetFilter();
    virtual void DoGetSorts();
    virtual void DoSetSort();
    virtual void DoOpen();
    virtual void DoRestore();

private:
    bool Validate();
    void GetRow();
    void Next();
    void ReadLocalFilter();
    void SetOffset(int column, int slot);
    void Finish(bool empty);
    void CloseAlternate();

    std::vector<TVizeConnectColumn> columns_;
    TVizeChannelCursor request_;
    std::vector<Byte> replyBytes_;
    TVizeChannelCursor reply_;
    std::size_t rowStart_ = 0;  // offset of the row's size word, 0 outside a row
    int rowColumns_ = 0;
    bool headerLeft_ = false;  // an at-end row reply leaves the header as it is
    Byte* target_ = nullptr;
    std::size_t targetSize_ = 0;
    TSharedHandle altHandle_ = nullptr;
    void* altView_ = nullptr;
    Integer altCounter_ = 0;
};

// The connection components of this process.
class TDataConnectManager {
public:
    void Add(TVizeDataConnect* connection);
    void Remove(TVizeDataConnect* connection);
    // By name, ignoring letter case; null when none.
    TVizeDataConnect* FindConnection(const std::string& name) const;
    // Whether the connection is still registered (not freed).
    bool Contains(const TVizeDataConnect* connection) const;

private:
    std::vector<TVizeDataConnect*> connections_;
};

// The process's manager (exists from start-up to exit).
TDataConnectManager& DataConnectManager();

// Serves one connection component to reports of other processes: answers
// announcement rounds, connect requests (on its run-time or design-time
// events) and data requests.
class TVizeDataServer {
public:
    TVizeDataServer(TVizeDataConnect& connection, bool runTime = true);
    ~TVizeDataServer();
    TVizeDataServer(const TVizeDataServer&) = delete;
    TVizeDataServer& operator=(const TVizeDataServer&) = delete;

    // Waits up to timeoutMs for a request and answers it. The command
    // answered (11 for a connect, -1 for an announcement), or 0 when none
    // came.
    int ServeOnce(unsigned timeoutMs);
    bool Ready() const { return data_ && ack_; }

private:
    void Announce();
    TVizeDataConnect& connection_;
    bool runTime_;
    TSharedHandle data_ = nullptr;
    TSharedHandle ack_ = nullptr;
    TSharedHandle connect_ = nullptr;
    TSharedHandle disconnect_ = nullptr;
};

void InitializeVpCon();
