// The data channel and the direct data view: channel encodings and damaged
// frames, a connection served in this process, and connections served by
// another process (forked) through the named events and shared buffer.
// Every wait is bounded: a child that hangs is killed after its deadline.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gui/Prompts.h"
#include "report/VSFWriter.h"
#include "reportproject/VizeException.h"
#include "reportproject/VpCon.h"
#include "reportproject/VzDataView.h"
#include "reportproject/VzInit.h"
#include "reportproject/VzProj.h"
#include "reportproject/tests/ChildProcess.h"
#include "reportproject/tests/RowBuilder.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Person {
    std::string Name;
    Integer Age;
};
const std::vector<Person> People = {{"Ann", 31}, {"Bob", 45}, {"Cleo", 31}, {"Dan", 27}};

// Serves the people table from a connection component: columns Name and
// Age; with the local filter, rows whose Age differs from the filter's are
// left out.
struct PeopleSource {
    std::vector<Person> rows = People;
    size_t pos = 0;
    std::vector<std::string> sorts;
    bool restored = false;

    void Attach(TVizeDataConnect& c) {
        c.OnOpen = [this](TVizeDataConnect*) { pos = 0; };
        c.OnGetCols = [](TVizeDataConnect* s) {
            s->WriteColumn("Name", dtString, 20, "Full name", "Who");
            s->WriteColumn("Age", dtInteger, 4);
        };
        c.OnFirst = [this](TVizeDataConnect*) { pos = 0; };
        c.OnNext = [this](TVizeDataConnect*) { ++pos; };
        c.OnEOF = [this](TVizeDataConnect*) { return pos >= rows.size(); };
        c.OnGetRow = [this](TVizeDataConnect* s) {
            s->WriteStringData(0, rows[pos].Name);
            s->WriteIntegerData(1, rows[pos].Age);
        };
        c.OnValidateRow = [this](TVizeDataConnect* s) {
            const TVizeConnectColumn& age = s->Columns()[1];
            return !age.FilterSet || age.FilterInteger == rows[pos].Age;
        };
        c.OnSetSort = [this](TVizeDataConnect* s) {
            sorts.clear();
            for (std::string key; !(key = s->Request().ReadString()).empty();) sorts.push_back(key);
        };
        c.OnRestore = [this](TVizeDataConnect*) { restored = true; };
    }
};

// A server process for the people table; it ends after the restore
// request, when the stop event is set, or after its deadline.
int ServePeople(const std::string& name, bool runTime) {
    TVizeDataConnect connect(nullptr);
    connect.SetName(name);
    PeopleSource source;
    source.Attach(connect);
    TVizeDataServer server(connect, runTime);
    TSharedHandle stop = OpenSharedManualEvent(VizeObjectNamePrefix() + "stop");
    auto until = Clock::now() + std::chrono::seconds(8);
    int status = 3;
    while (status == 3 && Clock::now() < until)
        if (server.ServeOnce(20) == dcRestore || WaitSharedEvent(stop, 0)) status = 0;
    CloseSharedHandle(stop);
    return status;
}

class DataChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitializeReportProject();
        FreeVizeDataChannel();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        VizeObjectNamePrefix() = "rviews-" + std::to_string(getpid()) + "-" + info->name() + "-";
        std::replace(VizeObjectNamePrefix().begin(), VizeObjectNamePrefix().end(), '/', '_');
        view = new TVizeDataView(&project);
        view->SetName("People");
        view->SetParent(&project);
        nameField = AddField<TVizeStringField>("Name", "PeopleName");
        ageField = AddField<TVizeIntegerField>("Age", "PeopleAge");
    }
    void TearDown() override {
        project.Clear();
        FreeVizeDataChannel();
        VizeObjectNamePrefix().clear();
    }
    template <class F>
    F* AddField(const std::string& fieldName, const std::string& name) {
        auto* f = new F(&project);
        f->SetName(name);
        f->SetFieldName(fieldName);
        f->SetParent(view);
        return f;
    }
    // "Name Age" of every row from First to the end.
    std::vector<std::string> ReadAll() {
        std::vector<std::string> out;
        for (view->First(); !view->Eof(); view->Next())
            out.push_back(nameField->AsString() + " " + std::to_string(ageField->AsInteger()));
        return out;
    }

    TVizeProjectManager project{nullptr};
    TVizeDataView* view = nullptr;
    TVizeStringField* nameField = nullptr;
    TVizeIntegerField* ageField = nullptr;
};

const std::vector<std::string> AllPeople = {"Ann 31", "Bob 45", "Cleo 31", "Dan 27"};

}  // namespace

TEST(DataChannelCursorTest, DamagedFramesAreRefusedWithAClearError) {
    auto le = RowBuilder::Le32;
    struct Case {
        const char* name;
        std::string payload;
        const char* error;  // null: reads "ok"
    } cases[] = {
        {"plain string", le(1) + le(2) + "ok" + le(0), nullptr},
        {"kind-2 chunk skipped", le(2) + le(3) + "xyz" + le(1) + le(2) + "ok" + le(0), nullptr},
        {"length past the end", le(1) + le(1000) + "ok" + le(0), "1000 bytes"},
        {"negative length", le(1) + le(-5) + "ok" + le(0), "-5 bytes"},
        {"no closing kind", le(1) + le(2) + "ok", "runs past the end"},
        {"cut inside the length", le(1) + "\x02", "runs past the end"},
    };
    for (const Case& c : cases) {
        std::vector<Byte> frame(8, 0);
        frame.insert(frame.end(), c.payload.begin(), c.payload.end());
        TVizeChannelCursor in(frame.data(), frame.size());
        if (!c.error) {
            EXPECT_EQ(in.ReadString(), "ok") << c.name;
            continue;
        }
        try {
            in.ReadString();
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const EVizeException& e) {
            EXPECT_NE(e.Message.find(c.error), std::string::npos) << c.name << ": " << e.Message;
        }
    }
    // Writes stop at the buffer's end too.
    std::vector<Byte> small(12, 0);
    TVizeChannelCursor out(small.data(), small.size());
    out.WriteInteger(7);
    EXPECT_THROW(out.WriteByte(1), EVizeException);
    out.SetPos(8);
    EXPECT_EQ(out.ReadInteger(), 7);
}

TEST_F(DataChannelTest, ConnectionInThisProcessServesRowsFilterAndSort) {
    TVizeDataConnect connect(nullptr);
    connect.SetName("people");  // found ignoring case
    PeopleSource source;
    source.Attach(connect);
    view->SetConnectionName("People");

    EXPECT_EQ(ReadAll(), AllPeople);
    ASSERT_NE(view->FieldByName("People.Name"), nullptr);
    EXPECT_EQ(view->FieldByName("Name"), nameField);
    EXPECT_EQ(ageField->DataIndex(), 1);

    // The field's value goes typed to the local filter: on Ann's row, only
    // the 31-year-olds pass.
    connect.LocalFilter = true;
    view->First();
    view->SetFilter({{"Age", "=", ageField->AsString(), ageField}});
    EXPECT_EQ(ReadAll(), (std::vector<std::string>{"Ann 31", "Cleo 31"}));
    EXPECT_EQ(connect.Columns()[1].FilterInteger, 31);
    view->SetFilter({});
    EXPECT_FALSE(connect.Columns()[1].FilterSet);

    view->SetSort({"Age", "Name"});
    EXPECT_EQ(source.sorts, (std::vector<std::string>{"Age", "Name"}));

    std::vector<TVizeDataFieldInfo> fields;
    view->AfterReport();
    EXPECT_TRUE(source.restored);
    EXPECT_FALSE(view->Opened());
    view->GetFields(fields);
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0].FieldName, "Name");
    EXPECT_EQ(fields[0].FullName, "Full name");
    EXPECT_EQ(fields[0].Description, "Who");
    EXPECT_EQ(fields[1].DataType, dtInteger);
    EXPECT_EQ(fields[1].Width, 4);
}

TEST_F(DataChannelTest, AConnectionFreedWhileOpenFailsTheRequestInsteadOfBeingCalled) {
    auto* connect = new TVizeDataConnect(nullptr);
    connect->SetName("People");
    PeopleSource source;
    source.Attach(*connect);
    view->SetConnectionName("People");
    view->First();
    EXPECT_EQ(nameField->AsString(), "Ann");
    delete connect;
    view->Next();
    EXPECT_TRUE(view->Eof());
}

TEST_F(DataChannelTest, ARowLargerThanTheSharedBufferComesThroughAnAlternateBuffer) {
    TVizeDataConnect connect(nullptr);
    connect.SetName("People");
    PeopleSource source;
    source.rows = {{std::string(100000, 'x') + "end", 1}, {"Small", 2}};
    source.Attach(connect);
    view->SetConnectionName("People");
    view->First();
    EXPECT_NE(VizeDataChannel().AlternateNumber(), 0);
    EXPECT_EQ(nameField->AsString().size(), 100003u);
    EXPECT_EQ(nameField->AsString().substr(100000), "end");
    view->Next();
    EXPECT_EQ(VizeDataChannel().AlternateNumber(), 0);
    EXPECT_EQ(nameField->AsString(), "Small");
}

TEST_F(DataChannelTest, AFieldOfTheWrongTypeIsNamedInTheError) {
    TVizeDataConnect connect(nullptr);
    connect.SetName("People");
    PeopleSource source;
    source.Attach(connect);
    view->SetConnectionName("People");
    ageField->SetParent(nullptr);
    AddField<TVizeStringField>("Age", "PeopleAgeText");
    try {
        view->First();
        FAIL() << "no error";
    } catch (const EVizeException& e) {
        EXPECT_EQ(e.Message,
                  "Field People:Age.  Datatype expected: dtString  Datatype found: dtInteger");
    }
}

TEST_F(DataChannelTest, AnotherProcessServesTheRowsOnRunTimeOrDesignTimeEvents) {
    for (bool runTime : {true, false}) {
        SCOPED_TRACE(runTime ? "run-time" : "design-time");
        FreeVizeDataChannel();
        ChildProcess server([&] { return ServePeople("People", runTime); });
        ASSERT_TRUE(server.Started());
        view->SetConnectionName("People");
        EXPECT_EQ(ReadAll(), AllPeople);
        EXPECT_EQ(view->Connection().RunTime, runTime);
        EXPECT_EQ(view->Connection().Version, VizeChannelVersion);
        view->AfterReport();  // restore ends the server
        EXPECT_EQ(server.Wait(), 0);
    }
}

TEST_F(DataChannelTest, TwoApplicationsAnnouncingOneNameAreReportedAsDuplicates) {
    TSharedHandle stop = OpenSharedManualEvent(VizeObjectNamePrefix() + "stop");
    ChildProcess a([] { return ServePeople("Twin", true); });
    ChildProcess b([] { return ServePeople("Twin", true); });
    usleep(100 * 1000);
    TVizeDataChannel& channel = VizeDataChannel();
    // A busy machine may keep an application from answering within the
    // round: a few rounds at most.
    for (int round = 0; round < 5; ++round) {
        channel.RefreshConnections();
        if (channel.RunTimeConnections() && channel.RunTimeConnections()->size() == 2) break;
    }
    ASSERT_NE(channel.RunTimeConnections(), nullptr);
    EXPECT_EQ(channel.RunTimeConnections()->size(), 2u);
    EXPECT_FALSE(channel.IsConnectionUnique("twin"));
    EXPECT_TRUE(channel.IsConnectionUnique("Other"));

    TScriptedPrompts prompts;
    prompts.Answer(mrOk, "Error!  Duplicate data connections found with name \"Twin\".  Aborting report.");
    view->SetConnectionName("Twin");
    view->Activate();
    EXPECT_FALSE(view->Opened());
    EXPECT_EQ(prompts.Pending(), 0u);
    EXPECT_TRUE(prompts.Failures().empty());
    SetSharedEvent(stop);
    EXPECT_EQ(a.Wait(), 0);
    EXPECT_EQ(b.Wait(), 0);
    CloseSharedHandle(stop);
}

TEST_F(DataChannelTest, AWaitCallbackAnsweringOneEndsTheRequestAtOnce) {
    TVizeDataChannel& channel = VizeDataChannel();
    channel.RefreshNeeded = false;
    std::vector<std::string> calls;
    channel.OnWaitProgress = [&](TVizeDataChannel*, int round, int& answer, bool first, const std::string& name,
                                 int command, int limit) {
        calls.push_back(std::to_string(round) + (first ? " first " : " ") + name + " " + std::to_string(command) +
                        " " + std::to_string(limit));
        answer = 1;
    };
    TVizeDataConnection connection;
    auto start = Clock::now();
    EXPECT_FALSE(channel.OpenConnection("Nobody", connection));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(calls, (std::vector<std::string>{"1 first Nobody 11 600", "-1 Nobody 11 0"}));

    // A view whose connection cannot be opened says so.
    TScriptedPrompts prompts;
    prompts.Answer(mrOk, "Error!  Could not open data connection \"Nobody\".  Aborting report.");
    view->SetConnectionName("Nobody");
    view->First();
    EXPECT_TRUE(prompts.Failures().empty());
    EXPECT_EQ(prompts.Pending(), 0u);
    EXPECT_FALSE(view->Opened());

    // With a report running, the failure aborts it.
    TVzVSFWriter report(nullptr);
    project.SetBaseReport(&report);
    prompts.Answer(mrOk, "Error!  Could not open data connection \"Nobody\".  Aborting report.");
    EXPECT_THROW(view->First(), EReportAbort);
    EXPECT_TRUE(report.Aborted());
}

// A hand-made server: the first row comes in alternate buffer 3, the second
// reply announces more bytes than it holds.
TEST_F(DataChannelTest, AlternateBufferRepliesAreReadAndOverlongRowsRefused) {
    const std::string prefix = VizeObjectNamePrefix();
    ChildProcess server([&] {
        TSharedHandle data = OpenSharedEvent(VizeChannelNames::Data("Raw", true));
        TSharedHandle ack = OpenSharedEvent(VizeChannelNames::Ack("Raw", true));
        TSharedHandle alt = nullptr;
        auto until = Clock::now() + std::chrono::seconds(8);
        while (Clock::now() < until) {
            if (!WaitSharedEvent(data, 20)) continue;
            TSharedHandle memory = OpenSharedMemory(VizeChannelNames::Buffer(), 0);
            TSharedHandle reply = OpenSharedEvent(VizeChannelNames::Reply());
            auto* view = static_cast<Byte*>(MapSharedMemory(memory));
            TVizeChannelCursor io(view, SharedMemorySize(memory));
            int command = io.ReadInteger();
            io.SetPos(8);
            Integer alternate = 0;
            switch (command) {
                case dcConnect:
                    io.WriteString("Raw");
                    io.WriteByte(1);
                    io.WriteInteger(1);
                    io.WriteInteger(VizeChannelVersion);
                    break;
                case dcGetColumns:
                    io.WriteInteger(1);
                    for (const char* s : {"N", "Name", "T", "dtString", "X", "skipped", ""}) io.WriteString(s);
                    break;
                case dcFirst: {
                    RowBuilder row(2);
                    row.Str(0, "Alt").Null(1);
                    TVizeDataRow bytes;
                    row.Into(bytes);
                    alt = OpenSharedMemory(VizeChannelNames::Alternate(3), 256);
                    TVizeChannelCursor a(static_cast<Byte*>(MapSharedMemory(alt)), 256);
                    a.WriteByte(0);
                    a.WriteInteger(bytes.Size());
                    a.WriteBuf(bytes.Data(), size_t(bytes.Size()));
                    alternate = 3;
                    break;
                }
                case dcNext:
                    io.WriteByte(0);
                    io.WriteInteger(1000000);
                    break;
                default:
                    break;
            }
            io.WriteHeader(alternate);
            if (command == dcConnect)
                SetSharedEvent(ack);
            else
                SetSharedEvent(reply);
            CloseSharedMemory(memory, view);
            CloseSharedHandle(reply);
            if (command == dcRestore) break;
        }
        CloseSharedHandle(alt);
        CloseSharedHandle(data);
        CloseSharedHandle(ack);
        return Clock::now() < until ? 0 : 3;
    });
    VizeDataChannel().RefreshNeeded = false;
    view->SetConnectionName("Raw");
    ageField->SetParent(nullptr);
    view->First();
    EXPECT_EQ(VizeDataChannel().AlternateNumber(), 3);
    EXPECT_EQ(nameField->AsString(), "Alt");
    try {
        view->Next();
        ADD_FAILURE() << "overlong row accepted";
    } catch (const EVizeException& e) {
        EXPECT_NE(e.Message.find("sent a row of 1000000 bytes"), std::string::npos) << e.Message;
    }
    view->AfterReport();
    EXPECT_EQ(server.Wait(), 0);
    EXPECT_EQ(prefix, VizeObjectNamePrefix());
}

TEST_F(DataChannelTest, ControlIsReentrantAndReleasingTooOftenRaises) {
    TVizeDataChannel& channel = VizeDataChannel();
    ASSERT_TRUE(channel.GainControl());
    ASSERT_TRUE(channel.GainControl());
    EXPECT_EQ(channel.ControlCount(), 2);
    channel.ReleaseControl();
    channel.ReleaseControl();
    EXPECT_THROW(channel.ReleaseControl(), EReportPrinter);
    // The lock was given back: another engine (process) can take it.
    ChildProcess other([] {
        TSharedHandle lock = OpenSharedMutex(VizeChannelNames::Lock());
        return lock && WaitSharedEvent(lock, 2000) ? 0 : 1;
    });
    EXPECT_EQ(other.Wait(), 0);
}
