#include "reportproject/VpCon.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/core/Format.h"
#include "platform/core/Strings.h"
#include "reportproject/VizeException.h"

namespace {

// Replies are built here before they go into the shared buffer, so a
// reply larger than the buffer can move to an alternate buffer whole.
constexpr std::size_t MaxReplySize = std::size_t(16) << 20;
// How long an application that announced itself waits for the end of the
// announcement round before it answers announcement requests again.
constexpr unsigned AnnounceEndMs = 1000;

// The typed value that follows a filter triple.
struct FilterValue {
    Int64 Integer = 0;
    double Float = 0;
};

FilterValue ReadTypedValue(TVizeChannelCursor& in, Integer type) {
    FilterValue v;
    switch (type) {
        case dtString:
        case dtBlob:
        case dtMemo:
        case dtGraphic:
            break;
        case dtInteger:
            v.Integer = in.ReadInteger();
            break;
        case dtBoolean:
            v.Integer = in.ReadByte();
            break;
        case dtFloat:
            v.Float = in.ReadFloat();
            break;
        case dtCurrency:
        case dtBCD:
            v.Integer = in.ReadInt64();
            break;
        case dtDate:
        case dtTime:
        case dtDateTime:
            v.Float = in.ReadDouble();
            break;
        case dtInt64:
            v.Integer = in.ReadInt64();
            break;
        default:
            throw EVizeException(Format(Trans("Data channel: unknown data type %d in a filter request."), {Int64(type)}));
    }
    return v;
}

}  // namespace

// ========================================================= component

TVizeDataConnect::TVizeDataConnect(TComponent* owner) : TComponent(owner) { DataConnectManager().Add(this); }

TVizeDataConnect::~TVizeDataConnect() {
    CloseAlternate();
    DataConnectManager().Remove(this);
}

void TVizeDataConnect::DoFirst() {
    if (OnFirst) OnFirst(this);
}
void TVizeDataConnect::DoNext() {
    if (OnNext) OnNext(this);
}
bool TVizeDataConnect::DoEOF() { return OnEOF ? OnEOF(this) : true; }
void TVizeDataConnect::DoGetCols() {
    if (OnGetCols) OnGetCols(this);
}
void TVizeDataConnect::DoGetRow() {
    if (OnGetRow) OnGetRow(this);
}
bool TVizeDataConnect::DoValidateRow() { return OnValidateRow ? OnValidateRow(this) : true; }
void TVizeDataConnect::DoSetFilter() {
    if (OnSetFilter) OnSetFilter(this);
}
void TVizeDataConnect::DoGetSorts() {
    if (OnGetSorts) OnGetSorts(this);
}
void TVizeDataConnect::DoSetSort() {
    if (OnSetSort) OnSetSort(this);
}
void TVizeDataConnect::DoOpen() {
    if (OnOpen) OnOpen(this);
}
void TVizeDataConnect::DoRestore() {
    if (OnRestore) OnRestore(this);
}

void TVizeDataConnect::CloseAlternate() {
    if (!altHandle_) return;
    CloseSharedMemory(altHandle_, altView_);
    altHandle_ = nullptr;
    altView_ = nullptr;
}

bool TVizeDataConnect::Validate() {
    bool ok = LocalFilter ? RowReady : true;
    return ok && DoValidateRow();
}

void TVizeDataConnect::GetRow() {
    reply_.SetPos(VizeChannelHeaderSize);
    rowStart_ = 0;
    RowReady = false;
    if (DoEOF()) {
        reply_.WriteByte(1);
        headerLeft_ = true;
        return;
    }
    headerLeft_ = false;
    reply_.WriteByte(0);
    rowStart_ = reply_.Pos();
    reply_.WriteInteger(0);
    rowColumns_ = int(std::count_if(columns_.begin(), columns_.end(), [](const auto& c) { return c.Included; }));
    for (int i = 0; i < rowColumns_; ++i) {
        reply_.WriteInteger(0);
        reply_.WriteInteger(0);
    }
    RowReady = true;
    DoGetRow();
    reply_.PatchInteger(rowStart_, Integer(reply_.Pos() - rowStart_ - 4));
}

void TVizeDataConnect::Next() {
    do {
        DoNext();
        if (LocalFilter) GetRow();
    } while (!Validate() && !DoEOF());
    if (!LocalFilter) GetRow();
}

void TVizeDataConnect::ReadLocalFilter() {
    for (;;) {
        std::string name = request_.ReadString();
        if (name.empty()) break;
        request_.ReadString();  // the operator: always "="
        std::string value = request_.ReadString();
        Integer type = request_.ReadInteger();
        FilterValue typed = ReadTypedValue(request_, type);
        for (auto& column : columns_)
            if (SameText(column.Name, name) && Integer(column.DataType) == type) {
                column.FilterSet = true;
                column.FilterText = value;
                column.FilterInteger = typed.Integer;
                column.FilterFloat = typed.Float;
            }
    }
}

bool TVizeDataConnect::HandleRequest(Byte* buffer, std::size_t size) {
    CloseAlternate();
    request_.Attach(buffer, size);
    int command = request_.ReadInteger();
    if (command < dcFirst || command > dcRestore) return false;
    target_ = buffer;
    targetSize_ = size;
    headerLeft_ = false;
    reply_.AttachGrowing(replyBytes_, MaxReplySize);
    bool empty = true;
    switch (command) {
        case dcFirst:
            DoFirst();
            if (LocalFilter) GetRow();
            if (!Validate())
                Next();
            else if (!LocalFilter)
                GetRow();
            empty = false;
            break;
        case dcNext:
            Next();
            empty = false;
            break;
        case dcEndQuery:
            reply_.WriteByte(DoEOF() ? 1 : 0);
            empty = false;
            break;
        case dcGetColumns: {
            columns_.clear();
            std::size_t countAt = reply_.Pos();
            reply_.WriteInteger(0);
            DoGetCols();
            auto included = std::count_if(columns_.begin(), columns_.end(), [](const auto& c) { return c.Included; });
            reply_.PatchInteger(countAt, Integer(included));
            empty = false;
            break;
        }
        case dcCurrent:
            GetRow();
            empty = false;
            break;
        case dcSetFilter:
            for (auto& column : columns_) column.FilterSet = false;
            if (LocalFilter)
                ReadLocalFilter();
            else
                DoSetFilter();
            break;
        case dcGetSorts:
            DoGetSorts();
            empty = false;
            break;
        case dcSetSort:
            DoSetSort();
            break;
        case dcOpen:
            DoOpen();
            break;
        case dcRestore:
            DoRestore();
            break;
    }
    Finish(empty);
    return true;
}

void TVizeDataConnect::Finish(bool empty) {
    std::size_t length = empty ? VizeChannelHeaderSize : reply_.Pos();
    Integer alternate = 0;
    Byte* dest = target_;
    if (length > targetSize_) {
        // Numbers are unique per process and round; the process id keeps
        // applications apart.
        altCounter_ = altCounter_ % 999 + 1;
        alternate = Integer((getpid() % 2000000) * 1000 + altCounter_);
        altHandle_ = OpenSharedMemory(VizeChannelNames::Alternate(alternate), length);
        altView_ = altHandle_ ? MapSharedMemory(altHandle_) : nullptr;
        if (!altView_ || SharedMemorySize(altHandle_) < length) {
            CloseAlternate();
            throw EVizeException(Format(Trans("Data channel: no alternate buffer for a reply of %d bytes."),
                                        {Int64(length)}));
        }
        dest = static_cast<Byte*>(altView_);
    }
    if (headerLeft_) {
        // An at-end row leaves the request's header where it is.
        std::memcpy(dest + VizeChannelHeaderSize, replyBytes_.data() + VizeChannelHeaderSize,
                    length - VizeChannelHeaderSize);
        return;
    }
    TVizeChannelCursor header(replyBytes_.data(), replyBytes_.size());
    header.SetPos(empty ? 0 : length);
    header.WriteHeader(alternate);
    std::memcpy(dest, replyBytes_.data(), length);
    if (alternate) {
        // The main buffer's header names the alternate buffer.
        TVizeChannelCursor main(target_, targetSize_);
        main.PatchInteger(0, Integer(length));
        main.PatchInteger(4, alternate);
    }
}

void TVizeDataConnect::WriteColumn(const std::string& name, TVPDataType type, Integer width,
                                   const std::string& fullName, const std::string& description) {
    reply_.WriteString("N");
    reply_.WriteString(name);
    reply_.WriteString("T");
    reply_.WriteString(VizeDataTypeName(type));
    reply_.WriteString("W");
    reply_.WriteString(std::to_string(width));
    if (!fullName.empty()) {
        reply_.WriteString("L");
        reply_.WriteString(fullName);
    }
    if (!description.empty()) {
        reply_.WriteString("D");
        reply_.WriteString(description);
    }
    reply_.WriteString("");
    columns_.push_back({name, type});
}

void TVizeDataConnect::SetOffset(int column, int slot) {
    if (rowStart_ == 0 || column < 0 || column >= rowColumns_)
        throw EReportPrinter(Format("Column %d is not a column of the row being written.", {Int64(column)}));
    std::size_t base = rowStart_ + 4;
    reply_.PatchInteger(base + std::size_t(8 * column + slot), Integer(reply_.Pos() - base));
}

void TVizeDataConnect::WriteNullData(int column) {
    SetOffset(column, 0);
    reply_.PatchInteger(rowStart_ + 4 + std::size_t(8 * column), -1);
}
void TVizeDataConnect::WriteStringData(int column, const std::string& value) {
    SetOffset(column, 0);
    reply_.WriteString(value);
}
void TVizeDataConnect::WriteIntegerData(int column, Integer value) {
    SetOffset(column, 0);
    reply_.WriteInteger(value);
}
void TVizeDataConnect::WriteInt64Data(int column, Int64 value) {
    SetOffset(column, 0);
    reply_.WriteInt64(value);
}
void TVizeDataConnect::WriteBooleanData(int column, bool value) {
    SetOffset(column, 0);
    reply_.WriteByte(value ? 1 : 0);
}
void TVizeDataConnect::WriteFloatData(int column, double value) {
    SetOffset(column, 0);
    reply_.WriteFloat(value);
}
void TVizeDataConnect::WriteCurrencyData(int column, Int64 tenThousandths) {
    SetOffset(column, 0);
    reply_.WriteInt64(tenThousandths);
}
void TVizeDataConnect::WriteDateTimeData(int column, double value) {
    SetOffset(column, 0);
    reply_.WriteDouble(value);
}
void TVizeDataConnect::WriteBlobData(int column, const std::string& bytes) {
    SetOffset(column, 0);
    reply_.WriteInteger(Integer(bytes.size()));
    reply_.WriteBuf(bytes.data(), bytes.size());
}
void TVizeDataConnect::WriteTextData(int column, const std::string& text) {
    SetOffset(column, 4);
    reply_.WriteString(text);
}

// =========================================================== manager

void TDataConnectManager::Add(TVizeDataConnect* connection) { connections_.push_back(connection); }

void TDataConnectManager::Remove(TVizeDataConnect* connection) {
    std::erase(connections_, connection);
}

TVizeDataConnect* TDataConnectManager::FindConnection(const std::string& name) const {
    for (TVizeDataConnect* c : connections_)
        if (SameText(c->ConnectionName(), name)) return c;
    return nullptr;
}

bool TDataConnectManager::Contains(const TVizeDataConnect* connection) const {
    return std::find(connections_.begin(), connections_.end(), connection) != connections_.end();
}

TDataConnectManager& DataConnectManager() {
    static TDataConnectManager manager;
    return manager;
}

void InitializeVpCon() { DataConnectManager(); }

// ============================================================ server

TVizeDataServer::TVizeDataServer(TVizeDataConnect& connection, bool runTime)
    : connection_(connection), runTime_(runTime) {
    // Holding the request and acknowledgement events keeps their names
    // alive for as long as this application serves.
    data_ = OpenSharedEvent(VizeChannelNames::Data(connection.ConnectionName(), runTime));
    ack_ = OpenSharedEvent(VizeChannelNames::Ack(connection.ConnectionName(), runTime));
    connect_ = OpenSharedEvent(VizeChannelNames::Connect());
    disconnect_ = OpenSharedManualEvent(VizeChannelNames::Disconnect());
}

TVizeDataServer::~TVizeDataServer() {
    CloseSharedHandle(data_);
    CloseSharedHandle(ack_);
    CloseSharedHandle(connect_);
    CloseSharedHandle(disconnect_);
}

namespace {
// The report side's buffer and reply event, opened for one answer: a report
// engine that ends and starts again makes them anew.
struct ReplySide {
    TSharedHandle memory = OpenSharedMemory(VizeChannelNames::Buffer(), 0);
    Byte* view = memory && SharedMemorySize(memory) >= VizeChannelHeaderSize + 4
                     ? static_cast<Byte*>(MapSharedMemory(memory))
                     : nullptr;
    TSharedHandle reply = OpenSharedEvent(VizeChannelNames::Reply());
    ~ReplySide() {
        CloseSharedMemory(memory, view);
        CloseSharedHandle(reply);
    }
    std::size_t Size() const { return SharedMemorySize(memory); }
};
}  // namespace

void TVizeDataServer::Announce() {
    ReplySide side;
    if (!side.view) return;
    ResetSharedEvent(disconnect_);
    TVizeChannelCursor out(side.view, side.Size());
    out.WriteString(connection_.ConnectionName());
    out.WriteByte(runTime_ ? 1 : 0);
    out.WriteInteger(Integer(getpid()));
    out.WriteInteger(0);
    out.WriteInteger(VizeChannelVersion);
    out.WriteInteger(VizeConnectionKindData);
    out.WriteHeader(0);
    SetSharedEvent(side.reply);
    WaitSharedEvent(disconnect_, AnnounceEndMs);
}

int TVizeDataServer::ServeOnce(unsigned timeoutMs) {
    if (WaitSharedEvent(connect_, 0)) {
        Announce();
        return -1;
    }
    if (!WaitSharedEvent(data_, timeoutMs)) return 0;
    ReplySide side;
    if (!side.view) return 0;
    TVizeChannelCursor in(side.view, side.Size());
    int command = in.ReadInteger();
    if (command == dcConnect) {
        in.SetPos(VizeChannelHeaderSize);
        in.WriteString(connection_.ConnectionName());
        in.WriteByte(runTime_ ? 1 : 0);
        in.WriteInteger(Integer(getpid()));
        in.WriteInteger(VizeChannelVersion);
        in.WriteHeader(0);
        SetSharedEvent(ack_);
        return command;
    }
    // A request that cannot be answered gets no reply: the report side
    // gives up after its wait.
    bool ok = false;
    try {
        ok = connection_.HandleRequest(side.view, side.Size());
    } catch (const Exception&) {
        ok = false;
    }
    if (ok) SetSharedEvent(side.reply);
    return command;
}
