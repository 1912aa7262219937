#include "app/uLogFileOq.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/tests/TestHome.h"
#include "platform/core/tests/TextTestSupport.h"
#include "platform/core/Clock.h"
#include "platform/core/Exception.h"
#include "platform/core/Program.h"

namespace {

// Local wall time 2026-01-02 15:04:05 with the time zone fixed to UTC.
class FixedTime {
public:
    FixedTime() {
        setenv("TZ", "UTC", 1);
        tzset();
        std::tm tm{};
        tm.tm_year = 126;
        tm.tm_mon = 0;
        tm.tm_mday = 2;
        tm.tm_hour = 15;
        tm.tm_min = 4;
        tm.tm_sec = 5;
        clock_.SetWallTime(std::chrono::system_clock::from_time_t(timegm(&tm)));
        SetCurrentClock(&clock_);
    }
    ~FixedTime() { SetCurrentClock(nullptr); }

private:
    ManualClock clock_;
};

class CommandLine {
public:
    explicit CommandLine(std::vector<std::string> args) : args_(std::move(args)) {
        for (auto& a : args_) argv_.push_back(a.data());
        SetCommandLine(static_cast<int>(argv_.size()), argv_.data());
    }
    ~CommandLine() {
        static char prog[] = "test";
        char* argv[] = {prog};
        SetCommandLine(1, argv);
    }

private:
    std::vector<std::string> args_;
    std::vector<char*> argv_;
};

TEST(DiagnosticLog, TraceArgument) {
    struct Case { const char* arg; bool on; };
    const Case cases[] = {
        {"TRACE", true}, {"trace", true}, {"/trace", true}, {"-Trace", true},
        {"xTRACE", true}, {"--trace", false}, {"//TRACE", false}, {"traces", false},
        {"TRACE ", false}, {"", false}, {"GREEN", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsTraceArgument(c.arg), c.on) << c.arg;
}

TEST(DiagnosticLog, EntryLineFormat) {
    TestHome home;
    FixedTime time;
    std::string path = home.Dir() + "SIOUSR.LOG";
    {
        TOqLog log(path);
        EXPECT_EQ(ReadAll(path), "");
        log.WriteEntry("Click Setup");
        // Flushed at once: visible before the log is closed.
        EXPECT_EQ(ReadAll(path), "1/2/2026 3:04:05 PM : Click Setup\r\n");
        log.WriteEntry("Click Exit");
    }
    EXPECT_EQ(ReadAll(path),
              "1/2/2026 3:04:05 PM : Click Setup\r\n"
              "1/2/2026 3:04:05 PM : Click Exit\r\n");
}

TEST(DiagnosticLog, CreatedOnlyUnderTraceSwitchAndTruncated) {
    TestHome home;
    std::string path = home.Dir() + "SIOUSR.LOG";
    {
        std::ofstream f(path, std::ios::binary);
        f << "older run\r\n";
    }
    {
        CommandLine cl({"Scorvane"});
        InitializeLogModule();
        EXPECT_EQ(DiagnosticLog(), nullptr);
        LogWrite("Click About");  // no log: nothing happens
        FinalizeLogModule();
        EXPECT_EQ(ReadAll(path), "older run\r\n");
    }
    {
        CommandLine cl({"Scorvane", "/trace"});
        InitializeLogModule();
        ASSERT_NE(DiagnosticLog(), nullptr);
        EXPECT_EQ(ReadAll(path), "");
        LogWrite("Click About");
        LogWrite("Close About Window");
        FinalizeLogModule();
        std::string text = ReadAll(path);
        EXPECT_NE(text.find(" : Click About\r\n"), std::string::npos);
        const std::string last = " : Close About Window\r\n";
        ASSERT_GE(text.size(), last.size());
        EXPECT_EQ(text.substr(text.size() - last.size()), last);
    }
}

TEST(DiagnosticLog, CreateFailureRaisesInOutError) {
    EXPECT_THROW(TOqLog("/nonexistent-folder/for/SIOUSR.LOG"), EInOutError);
}

}  // namespace
