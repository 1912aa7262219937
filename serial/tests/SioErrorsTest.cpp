#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <set>

#include "serial/SioErrors.h"
#include "serial/SioMessageTable.h"

namespace {
// Runs CheckSerialResult and returns what it raised.
std::exception_ptr Raised(Integer code) {
    try {
        CheckSerialResult(code);
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

template <class E>
bool Is(std::exception_ptr p) {
    try {
        std::rethrow_exception(p);
    } catch (const E&) {
        return true;
    } catch (...) {
        return false;
    }
}

void AsException(std::exception_ptr p, const std::function<void(const Exception&)>& check) {
    ASSERT_TRUE(p);
    try {
        std::rethrow_exception(p);
    } catch (const Exception& e) {
        check(e);
    }
}
}  // namespace

TEST(SerialMessageTable, SortedByMagnitudeWithTheEmptyRowsListed) {
    std::set<int> empty;
    for (int i = 0; i < kSerialMessageCount; ++i) {
        if (i > 0) {
            EXPECT_LT(std::abs(SerialMessageTable[i - 1].Code), std::abs(SerialMessageTable[i].Code)) << i;
        }
        if (std::string(SerialMessageTable[i].Text).empty()) empty.insert(SerialMessageTable[i].Code);
        EXPECT_EQ(SerialMessageTable[i].Text, FindSerialMessage(SerialMessageTable[i].Code)) << "row " << i;
        EXPECT_EQ(SerialMessageTable[i].Text, FindSerialMessage(-SerialMessageTable[i].Code));
    }
    EXPECT_EQ((std::set<int>{4200, 4600, 4630, 4660, 4725, 4726, 4727, 4728, 4730, 10000, 15100}), empty);
}

TEST(SerialMessageTable, TextsTheSystemShows) {
    struct Row {
        Integer code;
        const char* text;
    } rows[] = {
        {0, "OK"},
        {-5, "File access denied"},
        {-162, "General failure"},
        {-1002, "Bad argument passed to function"},
        {-2001, "ie_BadId - Specified comport doesn't exist"},
        {-2007, "ie_NOpen - device not open"},
        {-2008, "ie_Open - device already open"},
        {-2011, "The ComNumber property of the TSioComPort has not been set"},
        {-3006, "Output buffer too small for block"},
        {-3007, "Buffer is empty"},
        {15001, "No event"},
        {15021, "Script"},
        {15117, "Window"},
        {15129, "Sent Term"},
        {15501, "Time      Type      SubType       Data      OtherData"},
        {15608, "DCD "},
    };
    for (const Row& r : rows) EXPECT_EQ(r.text, FindSerialMessage(r.code)) << r.code;
    EXPECT_EQ("", FindSerialMessage(-1)) << "no row";
    EXPECT_EQ("", FindSerialMessage(87));
    EXPECT_EQ("Buffer is empty", FindSerialMessage(-3007 - 65536)) << "only the low 16 bits count";
}

TEST(SerialMessageTable, FallsBackToTheSystemText) {
    EXPECT_EQ("", SerialMessageText(4200)) << "an empty row with no system text stays empty";
    EXPECT_FALSE(SerialMessageText(87).empty());
    EXPECT_EQ("Buffer is empty", SerialMessageText(-3007));
}

TEST(SerialMessageTable, CleanMessageText) {
    EXPECT_EQ("one two three four ", CleanMessageText("one\r\n\r\ntwo  three\tfour\r\n"));
    EXPECT_EQ("", CleanMessageText(""));
    EXPECT_EQ(" ", CleanMessageText("\r\n"));
}

TEST(CheckSerialResult, SuccessCodesPassThrough) {
    EXPECT_EQ(0, CheckSerialResult(0));
    EXPECT_EQ(17, CheckSerialResult(17));
}

TEST(CheckSerialResult, ClassByCode) {
    auto p = Raised(-2011);
    EXPECT_TRUE(Is<ENoPortSelected>(p));
    EXPECT_TRUE(Is<EOpenComm>(p));
    EXPECT_TRUE(Is<ESioException>(p));
    try {
        std::rethrow_exception(p);
    } catch (const ESioException& e) {
        EXPECT_EQ("The ComNumber property of the TSioComPort has not been set", e.Message);
        EXPECT_EQ(-2011, e.ErrorCode);
    }

    struct Case {
        Integer code;
        std::function<bool(std::exception_ptr)> is;
    } cases[] = {
        {-3007, Is<EBufferIsEmpty>},       {-3006, Is<EOutputBufferTooSmall>}, {-2001, Is<EBadId>},
        {-2008, Is<EAlreadyOpen>},         {-2007, Is<ECommNotOpen>},          {-1002, Is<EBadArgument>},
        {-3001, Is<ENullApi>},             {-1006, Is<EInternal>},             {-7003, Is<EInternal>},
        {-7006, Is<EInternal>},            {-7012, Is<EInternal>},             {-6008, Is<EProtocol>},
        {-6006, Is<EProtocol>},            {-5003, Is<EBadTriggerHandle>},     {-13815, Is<ETapiInUse>},
        {-13886, Is<ETapiNoMultipleInstance>}, {-13942, Is<ETapiTranslateFail>}, {-13980, Is<ERasLoadFail>},
        {-8070, Is<EFaxPageError>},        {-7014, Is<EBadFieldForIndex>},     {-4008, Is<EModemStatusMismatch>},
    };
    for (const Case& c : cases) {
        auto raised = Raised(c.code);
        ASSERT_TRUE(raised) << c.code;
        EXPECT_TRUE(c.is(raised)) << c.code;
        try {
            std::rethrow_exception(raised);
        } catch (const ESioException& e) {
            EXPECT_EQ(c.code, e.ErrorCode);
            EXPECT_EQ(FindSerialMessage(c.code), e.Message) << "each code has its own row's text";
            EXPECT_FALSE(e.Message.empty()) << c.code;
        }
    }
    EXPECT_FALSE(Is<EProtocol>(Raised(-6007))) << "-6007 has a row but no class";
}

TEST(CheckSerialResult, RuntimeErrorsAndTheFallback) {
    AsException(Raised(-5), [](const Exception& e) {
        auto* io = dynamic_cast<const EInOutError*>(&e);
        ASSERT_NE(nullptr, io);
        EXPECT_EQ("File access denied", io->Message);
        EXPECT_EQ(5, io->ErrorCode);
    });
    EXPECT_TRUE(Is<EOutOfMemory>(Raised(-8)));
    AsException(Raised(-87), [](const Exception& e) {
        auto* io = dynamic_cast<const EInOutError*>(&e);
        ASSERT_NE(nullptr, io);
        EXPECT_EQ(SerialMessageText(87), io->Message);
        EXPECT_FALSE(io->Message.empty());
        EXPECT_EQ(87, io->ErrorCode);
    });
    for (Integer code : {-1, -1001, -3002, -13933, -70000}) {
        auto raised = Raised(code);
        ASSERT_TRUE(raised);
        try {
            std::rethrow_exception(raised);
        } catch (const ESioException& e) {
            EXPECT_EQ(typeid(ESioException), typeid(e)) << code;
            EXPECT_EQ("Apro exception", e.Message);
            EXPECT_EQ(0, e.ErrorCode);
        }
    }
}
