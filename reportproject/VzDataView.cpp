#include "reportproject/VzDataView.h"

#include "platform/core/Format.h"
#include "platform/core/Strings.h"
#include "platform/gui/Prompts.h"
#include "reportproject/VizeException.h"
#include "reportproject/VzTypeInfo.h"
#include "reportproject/VzUtil.h"

namespace {

// Holds the channel for one request and the reading of its reply.
class TChannelControl {
public:
    explicit TChannelControl(TVizeDataChannel& channel) : channel_(channel), held_(channel.GainControl()) {}
    ~TChannelControl() {
        if (held_) channel_.ReleaseControl();
    }
    TChannelControl(const TChannelControl&) = delete;
    TChannelControl& operator=(const TChannelControl&) = delete;
    bool Held() const { return held_; }

private:
    TVizeDataChannel& channel_;
    bool held_;
};

// Every column record is at least its empty closing tag.
constexpr std::size_t MinColumnRecord = 8;

struct ColumnRecord {
    std::string Name;
    TVPDataType Type = dtString;
    Integer Width = 0;
    std::string FullName, Description;
};

std::vector<ColumnRecord> ReadColumnRecords(TVizeChannelCursor& in, const std::string& connection) {
    Integer count = in.ReadInteger();
    if (count < 0 || std::size_t(count) > in.Left() / MinColumnRecord)
        throw EVizeException(Format(Trans("Data connection \"%s\" sent a column count of %d that its reply cannot hold."),
                                    {connection, Int64(count)}));
    std::vector<ColumnRecord> columns(static_cast<std::size_t>(count));
    for (auto& column : columns) {
        for (;;) {
            std::string tag = in.ReadString();
            if (tag.empty()) break;
            std::string value = in.ReadString();
            switch (tag[0]) {
                case 'N':
                    column.Name = value;
                    break;
                case 'T':
                    if (!VizeDataTypeFromName(value, column.Type))
                        throw EVizeException(Format(Trans("Data connection \"%s\" sent the unknown data type \"%s\"."),
                                                    {connection, value}));
                    break;
                case 'W':
                    column.Width = Integer(StrToIntDef(value, 0));
                    break;
                case 'L':
                    column.FullName = value;
                    break;
                case 'D':
                    column.Description = value;
                    break;
                default:
                    break;
            }
        }
    }
    return columns;
}

}  // namespace

TVizeClassRef TVizeDataView::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeDataView", TVizeBaseDataView::StaticClass(),
                                 [](TComponent* owner) { return new TVizeDataView(owner); }, true);
        TVizeProps<TVizeDataView>(*c).String("ConnectionName", &TVizeDataView::ConnectionName,
                                             &TVizeDataView::SetConnectionName);
        return c;
    }();
    return cls;
}

TVizeDataView::TVizeDataView(TComponent* owner) : TVizeBaseDataView(owner) { connection_.DataView = this; }

TVizeDataView::~TVizeDataView() {
    Destroying();
    CloseSharedHandle(connection_.RequestEvent);
    connection_.RequestEvent = nullptr;
}

void TVizeDataView::Fail(const std::string& message) {
    MessageDlg(message, mtError, {mbOK});
    AbortReport(this);
}

void TVizeDataView::Activate() {
    if (Opened()) return;
    TVizeDataChannel& channel = VizeDataChannel();
    TChannelControl control(channel);
    if (!control.Held()) return AbortReport(this);
    if (!channel.IsConnectionUnique(connectionName_))
        return Fail(Format(Trans("Error!  Duplicate data connections found with name \"%s\".  Aborting report."),
                           {connectionName_}));
    if (!connection_.RequestEvent && !channel.OpenConnection(connectionName_, connection_))
        return Fail(Format(Trans("Error!  Could not open data connection \"%s\".  Aborting report."), {connectionName_}));
    bool opened = channel.SendCommand(dcOpen, connection_);
    SetOpened(opened);
    if (!opened) return AbortReport(this);
    TVizeBaseDataView::Activate();
    if (!channel.SendCommand(dcGetColumns, connection_)) return AbortReport(this);
    ReadColumns();
}

void TVizeDataView::ReadColumns() {
    ClearCurrentRow();
    ClearFieldNames();
    try {
        std::vector<ColumnRecord> columns = ReadColumnRecords(VizeDataChannel().Cursor(), connectionName_);
        for (size_t i = 0; i < columns.size(); ++i) {
            const ColumnRecord& column = columns[i];
            TVizeDataField* match = nullptr;
            for (int k = 0; k < ChildCount() && !match; ++k) {
                auto* field = dynamic_cast<TVizeDataField*>(GetChild(k));
                if (field && SameText(field->FieldName(), column.Name)) match = field;
            }
            if (match) {
                match->SetDataIndex(int(i));
                if (match->DataType() != column.Type)
                    throw EVizeException(
                        Format(Trans("Field %0:s:%1:s.  Datatype expected: %2:s  Datatype found: %3:s"),
                               {Name(), match->FieldName(), VizeDataTypeName(match->DataType()),
                                VizeDataTypeName(column.Type)}));
            }
            AddFieldName(QuoteFieldName(column.Name), match);
        }
    } catch (...) {
        ClearFieldNames();
        throw;
    }
}

void TVizeDataView::Deactivate() {
    TVizeBaseDataView::Deactivate();
    if (!Opened() || !VizeDataChannelExists()) return;
    TVizeDataChannel& channel = VizeDataChannel();
    TChannelControl control(channel);
    if (control.Held() && channel.SendCommand(dcRestore, connection_))
        SetOpened(false);
    else
        AbortReport(this);
}

void TVizeDataView::AfterReport() {
    if (Opened()) Deactivate();
    // Also a connection whose open request failed is given back.
    if (VizeDataChannelExists() && (connection_.RequestEvent || connection_.InProcess))
        VizeDataChannel().CloseConnection(connection_);
    TVizeBaseDataView::AfterReport();
}

void TVizeDataView::GetRow(int kind) {
    if (!Opened()) {
        SetAtEnd(true);
        return AbortReport(this);
    }
    TVizeDataChannel& channel = VizeDataChannel();
    TChannelControl control(channel);
    if (!control.Held() || !channel.SendCommand(kind, connection_)) {
        SetAtEnd(true);
        return AbortReport(this);
    }
    TVizeChannelCursor& in = channel.Cursor();
    Byte end = in.ReadByte();
    if (end > 1)
        throw EVizeException(Format(Trans("Data connection \"%s\" sent a row reply beginning with %d instead of 0 or 1."),
                                    {connectionName_, Int64(end)}));
    if (end == 1) return StoreRow(kind, true, nullptr, 0);
    Integer size = in.ReadInteger();
    if (size < 0 || std::size_t(size) > in.Left())
        throw EVizeException(Format(Trans("Data connection \"%s\" sent a row of %d bytes in a reply holding %d."),
                                    {connectionName_, Int64(size), Int64(in.Left())}));
    StoreRow(kind, false, in.Start() + in.Pos(), size);
}

namespace {
void WriteTypedValue(TVizeChannelCursor& out, TVizeDataField* field) {
    switch (field->DataType()) {
        case dtInteger:
            out.WriteInteger(field->AsInteger());
            break;
        case dtBoolean:
            out.WriteByte(field->AsBoolean() ? 1 : 0);
            break;
        case dtFloat:
            out.WriteFloat(field->AsFloat());
            break;
        case dtCurrency:
        case dtBCD:
            out.WriteInt64(field->AsCurrency().Raw());
            break;
        case dtDate:
            out.WriteDouble(field->AsDate());
            break;
        case dtTime:
            out.WriteDouble(field->AsTime());
            break;
        case dtDateTime:
            out.WriteDouble(field->AsDateTime());
            break;
        case dtInt64:
            out.WriteInt64(field->AsInt64());
            break;
        default:
            break;
    }
}
}  // namespace

void TVizeDataView::SetFilter(const std::vector<TVizeFilterItem>& list) {
    if (Replaying()) return;
    Activate();
    TVizeDataChannel& channel = VizeDataChannel();
    TChannelControl control(channel);
    if (!control.Held()) return AbortReport(this);
    channel.ResetBuffer();
    TVizeChannelCursor& out = channel.Cursor();
    out.WriteInteger(dcSetFilter);
    for (const TVizeFilterItem& item : list) {
        out.WriteString(item.FieldName);
        out.WriteString(item.Operator);
        out.WriteString(item.Value);
        out.WriteInteger(item.Field ? Integer(item.Field->DataType()) : 0);
        if (item.Field) WriteTypedValue(out, item.Field);
    }
    out.WriteString("");
    if (!channel.SendCommand(0, connection_)) AbortReport(this);
}

void TVizeDataView::SetSort(const std::vector<std::string>& keys) {
    if (Replaying()) return;
    Activate();
    TVizeDataChannel& channel = VizeDataChannel();
    TChannelControl control(channel);
    if (!control.Held()) return AbortReport(this);
    channel.ResetBuffer();
    TVizeChannelCursor& out = channel.Cursor();
    out.WriteInteger(dcSetSort);
    for (const std::string& key : keys) out.WriteString(key);
    out.WriteString("");
    if (!channel.SendCommand(0, connection_)) AbortReport(this);
}

void TVizeDataView::GetFields(std::vector<TVizeDataFieldInfo>& list) {
    TVizeDataChannel& channel = VizeDataChannel();
    TChannelControl control(channel);
    if (!control.Held()) return;
    bool opened = channel.OpenConnection(connectionName_, connection_);
    try {
        if (opened) {
            if (!channel.SendCommand(dcOpen, connection_)) {
                AbortReport(this);
            } else if (!channel.SendCommand(dcGetColumns, connection_)) {
                AbortReport(this);
            } else {
                for (const ColumnRecord& c : ReadColumnRecords(channel.Cursor(), connectionName_))
                    list.push_back({c.Name, c.Type, c.Width, c.FullName, c.Description});
            }
            if (!channel.SendCommand(dcRestore, connection_)) AbortReport(this);
        }
    } catch (...) {
        channel.CloseConnection(connection_);
        throw;
    }
    channel.CloseConnection(connection_);
}

void TVizeDataView::AssignTo(TPersistent* dest) const {
    auto* view = dynamic_cast<TVizeDataView*>(dest);
    if (!view) return TVizeBaseDataView::AssignTo(dest);
    std::string name = Name();
    const_cast<TVizeDataView*>(this)->SetName("");
    view->SetName(name);
    view->SetTag(Tag());
}

namespace {
void RegisterVzDataViewClasses() {
    RegisterClasses("VZCL", {TVizeDataView::StaticClass()}, 0);
    RegisterDisplayName(Trans("Direct Data View"), TVizeDataView::StaticClass());
    RegisterModuleClasses("VzData", {TVizeDataView::StaticClass()}, 0);
}
}  // namespace

void InitializeVzDataView() { RegisterProc("VZCL", RegisterVzDataViewClasses); }
