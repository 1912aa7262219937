#include <gtest/gtest.h>

#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "platform/core/UiQueue.h"
#include "serial/ComSelectForm.h"
#include "serial/SioComPort.h"
#include "serial/SioErrors.h"
#include "platform/os/tests/UnprivilegedChild.h"
#include "serial/tests/SioTestSupport.h"
#include "tools/scansim/ScannerSimulator.h"

namespace {
// Runs f and returns the serial exception it raised (class checked by the caller).
template <class E>
std::string MessageOf(const std::function<void()>& f, Integer* code = nullptr) {
    try {
        f();
    } catch (const E& e) {
        if constexpr (std::is_base_of_v<ESioException, E>) {
            if (code) *code = e.ErrorCode;
        }
        return e.Message;
    } catch (const std::exception& e) {
        return std::string("other exception: ") + e.what();
    }
    return "nothing raised";
}
}  // namespace

class SioComPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        UiQueue::Reset();
        SetSioExceptionHandler(nullptr);
        SetComSelectRunner(nullptr);
        TSioBaseDispatcher::NotifyTimeoutMs = 3000;
        port_ = std::make_unique<TSioComPort>(nullptr);
    }
    void TearDown() override {
        port_.reset();
        SetComSelectRunner(nullptr);
        SetSioExceptionHandler(nullptr);
        TSioBaseDispatcher::NotifyTimeoutMs = 3000;
        UiQueue::Reset();
    }
    // A handler that reads every announced byte.
    void ReadEverything() {
        port_->SetOnTriggerAvail([this](TObject*, Word count) {
            for (Word i = 0; i < count; ++i) received_ += port_->ReadChar();
        });
    }

    TTestPortFolder ports_;
    std::unique_ptr<TSioComPort> port_;
    std::string received_;
};

TEST_F(SioComPortTest, OpensOnFirstWriteAt19200_8N1) {
    auto pty = ports_.Plug(3);
    port_->SetComNumber(3);
    EXPECT_FALSE(port_->Open()) << "created and set up, nothing is opened yet";
    port_->WriteString("@");
    EXPECT_TRUE(port_->Open());
    EXPECT_EQ("@", pty->ReadExactly(1, 10000));

    termios t{};
    ASSERT_EQ(0, tcgetattr(pty->MasterFd(), &t));
    EXPECT_EQ(B19200, cfgetospeed(&t));
    EXPECT_EQ(static_cast<tcflag_t>(CS8), t.c_cflag & CSIZE);
    EXPECT_FALSE(t.c_cflag & PARENB);
    EXPECT_FALSE(t.c_cflag & CSTOPB);
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF));
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO));
}

TEST_F(SioComPortTest, SecondOpenAndMissingPortsFailWithTheirOwnErrors) {
    auto pty = ports_.Plug(3);
    port_->SetComNumber(3);
    port_->SetOpen(true);
    TSioComPort second(nullptr);
    second.SetComNumber(3);
    Integer code = 0;
    EXPECT_EQ("ie_Open - device already open",
              MessageOf<EAlreadyOpen>([&] { second.WriteString("@"); }, &code));
    EXPECT_EQ(-2008, code);
    EXPECT_FALSE(second.Open());
    EXPECT_EQ(nullptr, second.Dispatcher());

    TSioComPort missing(nullptr);
    missing.SetComNumber(30);
    EXPECT_EQ("ie_BadId - Specified comport doesn't exist", MessageOf<EBadId>([&] { missing.WriteString("@"); }, &code));
    EXPECT_EQ(-2001, code);
    EXPECT_FALSE(missing.Open());

    std::filesystem::create_symlink(ports_.File("gone"), ports_.File("COM4"));
    missing.SetComNumber(4);
    EXPECT_EQ("ie_BadId - Specified comport doesn't exist", MessageOf<EBadId>([&] { missing.ReadChar(); }));
}

// A port whose device the user may not open says so, naming the device,
// instead of calling it already open.
TEST_F(SioComPortTest, APortTheUserMayNotOpenNamesTheDeviceAndTheCause) {
    auto pty = ports_.Plug(3);
    ASSERT_EQ(0, ::chmod(pty->SlavePath().c_str(), 0));
    ASSERT_EQ(0, ::chmod(ports_.Path().c_str(), 0755));
    std::string answer = RunUnprivileged([] {
        TSioComPort port(nullptr);
        port.SetComNumber(3);
        return MessageOf<EInOutError>([&] { port.WriteString("@"); });
    });
    EXPECT_EQ(0u, answer.find(pty->SlavePath() + ": permission denied; add the user to the ")) << answer;
}

TEST_F(SioComPortTest, PortSelection) {
    ports_.HideDefaultPorts();
    auto pty = ports_.Plug(3);
    port_->SetPromptForPort(false);
    EXPECT_EQ("The ComNumber property of the TSioComPort has not been set",
              MessageOf<ENoPortSelected>([&] { port_->WriteString("@"); }));
    port_->SetPromptForPort(true);
    EXPECT_EQ("The ComNumber property of the TSioComPort has not been set",
              MessageOf<ENoPortSelected>([&] { port_->WriteString("@"); }))
        << "no dialog to show counts as cancelled";

    std::vector<std::string> offered;
    SetComSelectRunner([&](TComSelectForm& form) {
        offered = form.PortsComboBox;
        auto it = std::find(form.PortsComboBox.begin(), form.PortsComboBox.end(), "COM3");
        if (it == form.PortsComboBox.end()) return false;
        form.ItemIndex = static_cast<int>(it - form.PortsComboBox.begin());
        return true;
    });
    port_->WriteString("@");
    EXPECT_EQ(3, port_->ComNumber());
    EXPECT_TRUE(port_->Open());
    EXPECT_NE(offered.end(), std::find(offered.begin(), offered.end(), "COM3"));
    EXPECT_EQ("@", pty->ReadExactly(1, 10000));
}

TEST_F(SioComPortTest, WithoutAutoOpenAClosedPortRaises) {
    auto pty = ports_.Plug(3);
    port_->SetComNumber(3);
    port_->SetAutoOpen(false);
    EXPECT_NO_THROW(port_->WriteString("")) << "an empty text sends nothing and raises nothing";
    EXPECT_EQ("ie_NOpen - device not open", MessageOf<ECommNotOpen>([&] { port_->WriteString("@"); }));
    EXPECT_EQ("ie_NOpen - device not open", MessageOf<ECommNotOpen>([&] { port_->ReadChar(); }));
}

TEST_F(SioComPortTest, PeerBytesReachTheHandlerOnTheUiThread) {
    auto pty = ports_.Plug(3);
    port_->SetComNumber(3);
    std::thread::id handlerThread;
    std::string overRead;
    port_->SetOnTriggerAvail([&](TObject* sender, Word count) {
        EXPECT_EQ(port_.get(), sender);
        handlerThread = std::this_thread::get_id();
        for (Word i = 0; i < count; ++i) received_ += port_->ReadChar();
        if (received_.size() >= 3) overRead = MessageOf<EBufferIsEmpty>([&] { port_->ReadChar(); });
    });
    port_->WriteString("@");
    ASSERT_TRUE(pty->Write("K\r\n"));
    ASSERT_TRUE(PumpUntil([&] { return received_.size() >= 3; }));
    EXPECT_EQ("K\r\n", received_);
    EXPECT_EQ(std::this_thread::get_id(), handlerThread);
    EXPECT_EQ("Buffer is empty", overRead);
}

TEST_F(SioComPortTest, HandlerMayDetachItselfAndKeepItsState) {
    auto pty = ports_.Plug(3);
    port_->SetComNumber(3);
    // A window detaching from the port inside its own handler: the captured
    // state must outlive the reassignment of the event until the call ends.
    auto owned = std::make_shared<std::string>("still here");
    std::weak_ptr<std::string> watch = owned;
    bool aliveAfterDetach = false;
    bool called = false;
    port_->SetOnTriggerAvail([&, owned](TObject*, Word count) {
        for (Word i = 0; i < count; ++i) received_ += port_->ReadChar();
        port_->SetOnTriggerAvail(nullptr);
        aliveAfterDetach = !watch.expired();
        called = true;
    });
    owned.reset();
    port_->WriteString("@");
    ASSERT_TRUE(pty->Write("K"));
    ASSERT_TRUE(PumpUntil([&] { return called; }));
    EXPECT_TRUE(aliveAfterDetach);
    EXPECT_TRUE(watch.expired());
}

TEST_F(SioComPortTest, UnreadBytesComeAgainWithTheNextOnes) {
    auto pty = ports_.Plug(3);
    port_->SetComNumber(3);
    std::vector<Word> counts;
    port_->SetOnTriggerAvail([&](TObject*, Word count) {
        counts.push_back(count);
        received_ += port_->ReadChar();  // one byte per notification
    });
    port_->SetOpen(true);
    ASSERT_TRUE(pty->Write("abc"));
    ASSERT_TRUE(PollUntil([&] { return received_.size() == 1 && port_->Dispatcher()->ReceivedCount() == 2; }));
    ASSERT_TRUE(pty->Write("d"));
    ASSERT_TRUE(PumpUntil([&] { return received_.size() == 2; }));
    EXPECT_EQ("ab", received_);
    EXPECT_EQ(3, counts.back()) << "the two unread bytes and the new one";
}

TEST_F(SioComPortTest, WithoutAHandlerBytesWaitInTheRing) {
    auto pty = ports_.Plug(3);
    port_->SetComNumber(3);
    port_->SetOpen(true);
    ASSERT_TRUE(pty->Write("ab"));
    ASSERT_TRUE(PollUntil([&] { return port_->Dispatcher()->ReceivedCount() == 2; }));
    EXPECT_EQ('a', port_->ReadChar());
    EXPECT_EQ('b', port_->ReadChar());
}

TEST_F(SioComPortTest, FullRingDoesNotMakeTheEventThreadSpin) {
    auto pty = ports_.Plug(3);
    port_->SetComNumber(3);
    port_->SetOpen(true);
    TSioBaseDispatcher* d = port_->Dispatcher();
    std::string bytes(9000, 'r');
    bytes[8192] = 'n';
    ASSERT_TRUE(pty->Write(bytes));
    ASSERT_TRUE(PollUntil([&] { return d->ReceivedCount() == 8192; }));
    // The 808 bytes left in the driver cannot be taken; the event thread
    // waits instead of reporting them again and again.
    Integer turns = d->DeviceEventTurns();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_LT(d->DeviceEventTurns() - turns, 5);
    EXPECT_EQ('r', port_->ReadChar());
    ASSERT_TRUE(PollUntil([&] { return d->ReceivedCount() == 8192; })) << "reading makes room, the rest comes in";
    std::string rest;
    for (int i = 0; i < 8192; ++i) rest += port_->ReadChar();
    EXPECT_EQ('n', rest[8191]);
}

TEST_F(SioComPortTest, ClosingWhileBytesStreamInWithTheLogOn) {
    auto pty = ports_.Plug(3);
    port_->SetComNumber(3);
    port_->SetLogName(ports_.File("stream.log"));
    std::atomic<bool> stop{false};
    std::thread peer([&] {
        std::string chunk(256, 'z');
        while (!stop) {
            if (::write(pty->MasterFd(), chunk.data(), chunk.size()) <= 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));  // full while the port is closed
        }
    });
    for (int round = 0; round < 20; ++round) {
        port_->SetLogging(tlOn);
        ReadEverything();
        port_->SetOpen(true);
        TSioBaseDispatcher* d = port_->Dispatcher();
        ASSERT_TRUE(PumpUntil([&] { return received_.size() > 0; }));
        EXPECT_EQ(3, d->RunningThreads());
        // A close that meets a notification on its way is finished by a
        // message once the dispatch thread has let go.
        port_->SetOpen(false);
        ASSERT_TRUE(PumpUntil([&] { return !port_->Open(); }));
        EXPECT_EQ(nullptr, port_->Dispatcher());
        received_.clear();
    }
    stop = true;
    peer.join();
}

TEST_F(SioComPortTest, NothingRaisesWhileLoading) {
    port_->BeginLoading();
    EXPECT_EQ(-2001, CheckSerialResult(port_.get(), -2001));
    port_->EndLoading();
    EXPECT_THROW(CheckSerialResult(port_.get(), -2001), EBadId);
    EXPECT_EQ(5, CheckSerialResult(port_.get(), 5));
}

TEST_F(SioComPortTest, HandlerAttachedLaterGetsTheWaitingBytes) {
    auto pty = ports_.Plug(3);
    port_->SetComNumber(3);
    port_->SetOpen(true);
    ASSERT_TRUE(pty->Write("ab"));
    ASSERT_TRUE(PollUntil([&] { return port_->Dispatcher()->ReceivedCount() == 2; }));
    ReadEverything();
    ASSERT_TRUE(PumpUntil([&] { return received_.size() == 2; }));
    EXPECT_EQ("ab", received_);
}

TEST_F(SioComPortTest, ClosingFromInsideTheHandler) {
    auto pty = ports_.Plug(3);
    port_->SetComNumber(3);
    bool returned = false;
    bool shuttingDownInside = false;
    port_->SetOnTriggerAvail([&](TObject*, Word count) {
        received_ += port_->ReadChar();
        port_->SetOpen(false);
        shuttingDownInside = port_->ShuttingDown();
        EXPECT_EQ(0, port_->ReadChar()) << "nothing is read while shutting down";
        port_->WriteString("ignored");
        returned = true;
    });
    port_->SetOpen(true);
    ASSERT_TRUE(pty->Write("K"));
    ASSERT_TRUE(PumpUntil([&] { return returned; }));
    EXPECT_TRUE(shuttingDownInside);
    ASSERT_TRUE(PumpUntil([&] { return !port_->Open(); }));
    EXPECT_FALSE(port_->ShuttingDown());
    EXPECT_EQ(nullptr, port_->Dispatcher());
    EXPECT_EQ("K", received_);

    // The port opens again on the next write.
    port_->SetOnTriggerAvail(nullptr);
    port_->WriteString("@");
    EXPECT_TRUE(port_->Open());
    EXPECT_EQ("@", pty->ReadExactly(1, 10000));
}

TEST_F(SioComPortTest, UnpluggingMidTransferEndsCleanly) {
    TSimScript script;
    script.Sheets.push_back({"1234", "ABCDABCDABCD", 0, "", true});
    TScannerSimulator sim(script);
    sim.Plug(ports_.Path(), 5);
    port_->SetComNumber(5);
    port_->SetLogging(tlOn);
    port_->SetLogName(ports_.File("unplug.log"));
    ReadEverything();
    port_->WriteString("g");
    ASSERT_TRUE(sim.WaitForReceived(1, 20000));
    ASSERT_TRUE(sim.FeedSheet());
    TSioBaseDispatcher* d = port_->Dispatcher();
    ASSERT_TRUE(PollUntil([&] { return d->DeviceLost() && d->RunningThreads() == 0; }));
    EXPECT_FALSE(d->ThreadsStarted());
    EXPECT_EQ(EncodeSimFrame(script, script.Sheets[0], false).substr(0, received_.size()), received_)
        << "what arrived before the unplug is intact";
    EXPECT_TRUE(port_->Open());
    std::string message = MessageOf<EInOutError>([&] { port_->WriteString("@"); });
    EXPECT_EQ(OsErrorText(kOsErrorDeviceFailure), message) << "writing to the vanished device is reported";
    port_->SetOpen(false);
    EXPECT_FALSE(port_->Open());
    EXPECT_NE(std::string::npos, ReadFileBytes(ports_.File("unplug.log")).find("Error"))
        << "the dispatch log records the loss";
    EXPECT_EQ("ie_BadId - Specified comport doesn't exist", MessageOf<EBadId>([&] { port_->WriteString("@"); }));
}

TEST_F(SioComPortTest, HandlerThatRunsLateGetsEveryByteOnce) {
    auto pty = ports_.Plug(3);
    port_->SetComNumber(3);
    TSioBaseDispatcher::NotifyTimeoutMs = 20;
    ReadEverything();
    port_->SetOpen(true);
    TSioBaseDispatcher* d = port_->Dispatcher();
    ASSERT_TRUE(pty->Write("xyz"));
    // The UI thread is busy: the notification is not answered in time.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (d->NotifyTimeouts() < 1 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_GE(d->NotifyTimeouts(), 1);
    TSioBaseDispatcher::NotifyTimeoutMs = 3000;
    // Offered again once the UI thread answers, without new bytes.
    ASSERT_TRUE(PumpUntil([&] { return received_.size() >= 3; }));
    ASSERT_TRUE(pty->Write("w"));
    ASSERT_TRUE(PumpUntil([&] { return received_.size() >= 4; }));
    EXPECT_EQ("xyzw", received_);
    EXPECT_EQ(0u, d->ReceivedCount());
}

TEST_F(SioComPortTest, HandlerExceptionIsShownAndThePortGoesOn) {
    auto pty = ports_.Plug(3);
    port_->SetComNumber(3);
    std::string shown;
    SetSioExceptionHandler([&](const std::exception_ptr& e) {
        try {
            std::rethrow_exception(e);
        } catch (const Exception& ex) {
            shown = ex.Message;
        }
    });
    port_->SetOnTriggerAvail([&](TObject*, Word count) {
        for (Word i = 0; i < count; ++i) received_ += port_->ReadChar();
        if (received_ == "1") throw Exception("handler failed");
    });
    port_->SetOpen(true);
    ASSERT_TRUE(pty->Write("1"));
    ASSERT_TRUE(PumpUntil([&] { return !shown.empty(); }));
    EXPECT_EQ("handler failed", shown);
    ASSERT_TRUE(pty->Write("2"));
    ASSERT_TRUE(PumpUntil([&] { return received_ == "12"; }));

    // Without an installed display the exception surfaces from the UI queue.
    SetSioExceptionHandler(nullptr);
    port_->SetOnTriggerAvail([&](TObject*, Word count) {
        for (Word i = 0; i < count; ++i) received_ += port_->ReadChar();
        throw Exception("again");
    });
    ASSERT_TRUE(pty->Write("3"));
    std::string surfaced;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (surfaced.empty() && std::chrono::steady_clock::now() < deadline) {
        try {
            UiQueue::ProcessUntil([] { return false; }, 5);
        } catch (const Exception& e) {
            surfaced = e.Message;
        }
    }
    EXPECT_EQ("again", surfaced);
}

TEST_F(SioComPortTest, TraceOfASessionMatchesTheGoldenFile) {
    auto pty = ports_.Plug(3);
    port_->SetComNumber(3);
    port_->SetTracing(tlOn);
    port_->SetTraceName(ports_.File("SIO.TRC"));
    ReadEverything();
    port_->WriteString("@");
    ASSERT_EQ("@", pty->ReadExactly(1, 10000));
    ASSERT_TRUE(pty->Write("K"));
    ASSERT_TRUE(PumpUntil([&] { return received_ == "K"; }));
    port_->WriteString("g");
    ASSERT_EQ("g", pty->ReadExactly(1, 10000));
    ASSERT_TRUE(pty->Write("S1B2E\r\n"));
    ASSERT_TRUE(PumpUntil([&] { return received_.size() == 8; }));
    port_->SetOpen(false);
    EXPECT_EQ(tlOff, port_->Tracing()) << "a dump ends the trace";
    EXPECT_EQ(ReadFileBytes(std::string(OMR_TEST_DATA) + "/session.trc"), ReadFileBytes(ports_.File("SIO.TRC")));
}

TEST_F(SioComPortTest, ChangingThePortNumberReopensAndWritesTheDumps) {
    auto pty3 = ports_.Plug(3);
    auto pty4 = ports_.Plug(4);
    port_->SetComNumber(3);
    port_->SetTracing(tlOn);
    port_->SetLogging(tlOn);
    port_->SetTraceName(ports_.File("SIO.TRC"));
    port_->SetLogName(ports_.File("SIO.LOG"));
    port_->WriteString("@");
    TSioBaseDispatcher* before = port_->Dispatcher();
    port_->SetComNumber(3);
    EXPECT_EQ(before, port_->Dispatcher()) << "the same number changes nothing";

    port_->SetComNumber(4);
    EXPECT_TRUE(port_->Open());
    EXPECT_NE(nullptr, port_->Dispatcher());
    EXPECT_EQ("Transmit: \r\n@", ReadFileBytes(ports_.File("SIO.TRC")));
    std::string log = ReadFileBytes(ports_.File("SIO.LOG"));
    EXPECT_NE(std::string::npos, log.find("Device: COM3\r\n"));
    EXPECT_NE(std::string::npos, log.find("WriteCom"));
    EXPECT_EQ(tlOn, port_->Tracing());
    EXPECT_EQ(tlOn, port_->Logging());
    EXPECT_TRUE(port_->Dispatcher()->TraceActive());
    port_->WriteString("v");
    EXPECT_EQ("v", pty4->ReadExactly(1, 10000));
    port_->SetOpen(false);
    EXPECT_EQ("Transmit: \r\nv", ReadFileBytes(ports_.File("SIO.TRC"))) << "a dump replaces the earlier file";
}

TEST_F(SioComPortTest, FlowAndLineProperties) {
    auto pty = ports_.Plug(3);
    port_->SetComNumber(3);
    port_->SetBufferFull(5000);
    EXPECT_EQ(4500, port_->BufferFull()) << "90 % of the given value";
    port_->SetHWFlowOptions({hwfUseRTS});
    EXPECT_EQ(3686, port_->BufferFull());
    EXPECT_EQ(409, port_->BufferResume());
    port_->SetRS485Mode(true);
    port_->SetHWFlowOptions({hwfUseRTS, hwfUseDTR});
    EXPECT_FALSE(port_->RS485Mode()) << "RTS flow control switches RS-485 off";

    port_->SetOpen(true);
    TSioBaseDispatcher* d = port_->Dispatcher();
    EXPECT_EQ(410, d->DeviceState().XoffLim);
    port_->SetDTR(false);
    EXPECT_TRUE(port_->DTR()) << "DTR under flow control stays as it is";
    port_->SetRS485Mode(true);
    EXPECT_FALSE(port_->HWFlowOptions().Contains(hwfUseRTS));
    EXPECT_TRUE(port_->HWFlowOptions().Contains(hwfUseDTR));
    EXPECT_TRUE(d->RS485Mode());
    EXPECT_TRUE(d->RtsAutomatic()) << "the driver toggles RTS around each transmission";

    port_->SetBaud(9600);
    termios t{};
    ASSERT_EQ(0, tcgetattr(pty->MasterFd(), &t));
    EXPECT_EQ(B9600, cfgetospeed(&t));
    port_->SetUseEventWord(false);
    EXPECT_EQ(0u, d->OptionFlags() & 4);
    port_->SetUseEventWord(true);
    EXPECT_EQ(4u, d->OptionFlags() & 4);
    EXPECT_TRUE(port_->UseMSRShadow());
    port_->SetUseMSRShadow(false);
    EXPECT_TRUE(port_->UseMSRShadow());
    EXPECT_EQ(1, d->AvailThreshold());
    port_->SetPriorityBoost(1);
    Integer ev, disp, out;
    d->ThreadPriorities(ev, disp, out);
    EXPECT_EQ(4, ev);
    EXPECT_EQ(4, disp);
    EXPECT_EQ(5, out) << "the output thread one step higher in RS-485 mode";
    port_->SetDeviceLayer(dlWinsock);
    EXPECT_EQ(dlWin32, port_->DeviceLayer());
}

TEST_F(SioComPortTest, TraceStatesOnAClosedPort) {
    port_->SetTracing(tlDump);
    EXPECT_EQ(tlOff, port_->Tracing());
    port_->SetTracing(tlPause);
    EXPECT_EQ(tlOff, port_->Tracing());
    port_->SetTracing(tlOn);
    EXPECT_EQ(tlOn, port_->Tracing());
    port_->SetTraceSize(5000000);
    EXPECT_EQ(4000000u, port_->TraceSize());
    port_->SetLogSize(20000000);
    EXPECT_EQ(16000000u, port_->LogSize());
}

TEST_F(SioComPortTest, AssignCopiesOnlyFromAPort) {
    TComponent other(nullptr);
    port_->SetBaud(9600);
    port_->Assign(&other);
    EXPECT_EQ(9600, port_->Baud());

    TSioComPort source(nullptr);
    source.SetComNumber(7);
    source.SetBaud(38400);
    source.SetTraceName("X.TRC");
    source.SetAvailThreshold(4);
    int fired = 0;
    source.SetOnTriggerAvail([&](TObject*, Word) { ++fired; });
    port_->Assign(&source);
    EXPECT_EQ(7, port_->ComNumber());
    EXPECT_EQ(38400, port_->Baud());
    EXPECT_EQ("X.TRC", port_->TraceName());
    EXPECT_EQ(4, port_->AvailThreshold());
    EXPECT_FALSE(port_->Open());
    ASSERT_TRUE(port_->OnTriggerAvail());
    port_->OnTriggerAvail()(port_.get(), 1);
    EXPECT_EQ(1, fired);
}

TEST_F(SioComPortTest, PublishedProperties) {
    EXPECT_EQ("19200", GetPropText(*port_, "Baud"));
    EXPECT_EQ("pNone", GetPropText(*port_, "Parity"));
    EXPECT_EQ("APRO.TRC", GetPropText(*port_, "TraceName"));
    EXPECT_EQ("True", GetPropText(*port_, "AutoOpen"));
    SetPropText(*port_, "LogName", "SIO.LOG");
    EXPECT_EQ("SIO.LOG", port_->LogName());
    SetPropText(*port_, "BufferFull", "3686");
    EXPECT_EQ(3686, port_->BufferFull());
    EXPECT_FALSE(GetPropText(*port_, "Version").empty());
}

TEST_F(SioComPortTest, OpenSetWhileLoadingOpensAfterLoading) {
    auto pty = ports_.Plug(3);
    port_->BeginLoading();
    port_->SetComNumber(3);
    port_->SetOpen(true);
    EXPECT_EQ(nullptr, port_->Dispatcher());
    port_->EndLoading();
    EXPECT_TRUE(port_->Open());
    ASSERT_NE(nullptr, port_->Dispatcher());

    TSioComPort failing(nullptr);
    std::string shown;
    SetSioExceptionHandler([&](const std::exception_ptr& e) {
        try {
            std::rethrow_exception(e);
        } catch (const Exception& ex) {
            shown = ex.Message;
        }
    });
    failing.BeginLoading();
    failing.SetComNumber(33);
    failing.SetOpen(true);
    failing.EndLoading();
    EXPECT_FALSE(failing.Open());
    EXPECT_EQ("ie_BadId - Specified comport doesn't exist", shown);
}
