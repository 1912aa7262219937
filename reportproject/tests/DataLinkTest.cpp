// The engine side of data-link drivers against a scripted fake driver:
// blocks filled and read back, failures logged and never raised, and
// driver answers that do not fit refused.

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "platform/core/Exception.h"
#include "reportproject/VzDLBase.h"

namespace {

class FakeDriver : public TDataLinkDriver {
public:
    std::int32_t OpenResult = 0, OpenHandle = 7;
    std::int32_t FieldCount = 2;
    int Rows = 2;
    int Pos = 0;
    bool ThrowOnNext = false;
    std::vector<std::int32_t> Closed, ResultSetsClosed;
    int EofCalls = 0;
    TDLFieldDescriptor Fields[2] = {{"ID", 1, 4, "T.ID", nullptr}, {"Name", 0, 20, nullptr, "the name"}};
    std::vector<std::uint8_t> Row{1, 2, 3};
    std::string LastSource;

    void ConnectionClose(TDLHandleBlock& b) override { Closed.push_back(b.Handle); }
    void DataConnectionOpen(TDLConnectionOpenBlock& b) override {
        LastSource = std::string(b.DataSource) + "|" + b.UserName + "|" + b.Password;
        b.Result = OpenResult;
        b.Connection = OpenHandle;
    }
    void GetErrorText(TDLErrorTextBlock& b) override {
        static std::string text;
        text = "failure of handle " + std::to_string(b.Handle);
        b.Text = text.c_str();
    }
    void DataResultSetClose(TDLHandleBlock& b) override { ResultSetsClosed.push_back(b.Handle); }
    void DataResultSetEOF(TDLEofBlock& b) override {
        ++EofCalls;
        b.AtEnd = Pos >= Rows;
    }
    void DataResultSetFirst(TDLHandleBlock&) override { Pos = 0; }
    void DataResultSetGetRow(TDLGetRowBlock& b) override {
        Row[0] = std::uint8_t(Pos);
        b.Row = Row.data();
        b.RowSize = std::int32_t(Row.size());
    }
    void DataResultSetNext(TDLHandleBlock&) override {
        if (ThrowOnNext) throw std::runtime_error("lost the server");
        ++Pos;
    }
    void DataResultSetOpen(TDLResultSetOpenBlock& b) override {
        b.ResultSet = 11;
        b.FieldCount = FieldCount;
        b.Fields = FieldCount > 0 ? Fields : nullptr;
    }
};

struct DataLink : ::testing::Test {
    std::shared_ptr<FakeDriver> Driver = std::make_shared<FakeDriver>();
    std::vector<std::pair<std::string, std::string>> Logged;
    void SetUp() override {
        DataLinkDrivers() = {{"SQLT", "Test Link", true, Driver}};
        DataLinkLog() = [this](const std::string& op, const std::string& msg) { Logged.emplace_back(op, msg); };
    }
    void TearDown() override {
        DataLinkDrivers().clear();
        DataLinkLog() = nullptr;
    }
};

}  // namespace

TEST_F(DataLink, RowsFlowThroughAnOpenResultSet) {
    auto c = FindLink("SQLT");
    c->DataSource = "db";
    c->UserName = "u";
    c->Password = "p";
    c->Open();
    EXPECT_EQ(c->Handle, 7);
    EXPECT_EQ(Driver->LastSource, "db|u|p");
    {
        TDataResultSet rs(*c, "select 1");
        rs.Open();
        ASSERT_EQ(rs.FieldCount(), 2u);
        EXPECT_EQ(rs.Fields[0].FullName, "T.ID");
        EXPECT_EQ(rs.Fields[1].Description, "the name");
        EXPECT_EQ(rs.Fields[1].Size, 20);
        EXPECT_EQ(rs.Transfer, std::vector<std::uint8_t>(2, 1));
        rs.First();
        std::vector<std::uint8_t> row;
        int seen = 0;
        while (!rs.Eof()) {
            ASSERT_TRUE(rs.GetRow(row));
            EXPECT_EQ(row[0], seen++);
            rs.Next();
        }
        EXPECT_EQ(seen, 2);
    }
    EXPECT_EQ(Driver->ResultSetsClosed, std::vector<std::int32_t>{11});
    c.reset();
    EXPECT_EQ(Driver->Closed, std::vector<std::int32_t>{7});
    EXPECT_TRUE(Logged.empty());
}

TEST_F(DataLink, FailuresAreLoggedNotRaised) {
    Driver->OpenResult = 5;
    Driver->OpenHandle = 3;
    auto c = FindLink("SQLT");
    c->Open();
    EXPECT_EQ(c->Handle, -1);
    ASSERT_EQ(Logged.size(), 1u);
    EXPECT_EQ(Logged[0].first, "DataConnectionOpen");
    EXPECT_EQ(Logged[0].second, "failure of handle 3");
    EXPECT_EQ(Driver->Closed, std::vector<std::int32_t>{3});

    TDataResultSet rs(*c, "select 1");
    rs.Open();  // the driver answers, but the view on a dead connection still reports at end
    rs.Close();
    EXPECT_TRUE(rs.Eof());
    const int calls = Driver->EofCalls;
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(Driver->EofCalls, calls);

    Driver->OpenResult = 0;
    c->Open();
    Driver->ThrowOnNext = true;
    TDataResultSet live(*c, "q");
    live.Open();
    live.Next();
    EXPECT_EQ(Logged.back(), (std::pair<std::string, std::string>{"DataResultSetNext", "lost the server"}));
}

TEST_F(DataLink, DriverAnswersThatDoNotFitAreRefused) {
    auto c = FindLink("SQLT");
    c->Open();
    Driver->FieldCount = 0;
    TDataResultSet none(*c, "q");
    none.Open();
    EXPECT_EQ(none.FieldCount(), 0u);
    EXPECT_TRUE(none.Transfer.empty());

    Driver->FieldCount = 1 << 30;  // a count no field array can hold
    TDataResultSet bad(*c, "q");
    bad.Open();
    EXPECT_EQ(bad.Handle, -1);
    EXPECT_TRUE(bad.Eof());
    EXPECT_EQ(Logged.front().first, "DataResultSetOpen");
}

TEST_F(DataLink, UnknownAndMissingDrivers) {
    try {
        FindLink("sqlt");
        FAIL() << "link types are compared exactly";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message, "Unknown DATA link type. (sqlt)");
    }
    DataLinkDrivers()[0].Installed = false;
    auto c = FindLink("SQLT");
    try {
        c->Open();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message, "Test Link is not installed.");
    }
}
