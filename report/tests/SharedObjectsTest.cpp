// Named events and memory shared with another process.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "report/SharedObjects.h"

namespace {

std::string Name(const char* what) { return std::string("replib-test-") + what + "-" + std::to_string(getpid()); }

}  // namespace

TEST(SharedObjectsTest, AnotherProcessFindsTheEventAndMemoryByName) {
    const std::string eventName = Name("ready"), memoryName = Name("data");
    TSharedHandle ready = OpenSharedEvent(eventName);
    TSharedHandle memory = OpenSharedMemory(memoryName, 4096);
    ASSERT_NE(ready, nullptr);
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(SharedMemorySize(memory), 4096u);
    auto* view = static_cast<char*>(MapSharedMemory(memory));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view[0], 0);  // created zero-filled

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The size is ignored when the memory exists.
        TSharedHandle m = OpenSharedMemory(memoryName, 1);
        TSharedHandle e = OpenSharedEvent(eventName);
        if (!m || !e || SharedMemorySize(m) != 4096) _exit(2);
        auto* v = static_cast<char*>(MapSharedMemory(m));
        std::strcpy(v, "rows 42");
        SetSharedEvent(e);
        CloseSharedMemory(m, v);
        CloseSharedHandle(e);
        _exit(0);
    }
    EXPECT_TRUE(WaitSharedEvent(ready, 5000));
    EXPECT_STREQ(view, "rows 42");
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    CloseSharedMemory(memory, view);
    CloseSharedHandle(ready);

    // The creator's close removed the names: opening again makes new objects.
    TSharedHandle again = OpenSharedMemory(memoryName, 16);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(SharedMemorySize(again), 16u);
    CloseSharedHandle(again);
}

TEST(SharedObjectsTest, AutoResetLetsOneWaitThroughManualResetStays) {
    TSharedHandle autoEvent = OpenSharedEvent(Name("auto"));
    TSharedHandle manual = OpenSharedManualEvent(Name("manual"));
    ASSERT_NE(autoEvent, nullptr);
    ASSERT_NE(manual, nullptr);
    EXPECT_FALSE(WaitSharedEvent(autoEvent, 0));  // created not signalled
    SetSharedEvent(autoEvent);
    SetSharedEvent(autoEvent);  // still one signal
    EXPECT_TRUE(WaitSharedEvent(autoEvent, 0));
    EXPECT_FALSE(WaitSharedEvent(autoEvent, 10));

    SetSharedEvent(manual);
    EXPECT_TRUE(WaitSharedEvent(manual, 0));
    EXPECT_TRUE(WaitSharedEvent(manual, 0));
    ResetSharedEvent(manual);
    EXPECT_FALSE(WaitSharedEvent(manual, 0));
    CloseSharedHandle(autoEvent);
    CloseSharedHandle(manual);

    EXPECT_EQ(OpenSharedEvent(""), nullptr);
    EXPECT_EQ(OpenSharedManualEvent(""), nullptr);
    EXPECT_EQ(MapSharedMemory(nullptr), nullptr);
    CloseSharedMemory(nullptr, nullptr);  // nothing to close
}

TEST(SharedObjectsTest, MutexStartsFreeAndAdmitsOneHolderAcrossProcesses) {
    const std::string name = Name("lock");
    TSharedHandle lock = OpenSharedMutex(name);
    ASSERT_NE(lock, nullptr);
    ASSERT_TRUE(WaitSharedEvent(lock, 0));  // free at creation
    EXPECT_FALSE(WaitSharedEvent(lock, 10));  // not re-entrant

    // The child tells the parent through a pipe when it has found the lock
    // held, so the parent never gives it back before that check, however
    // slowly the child starts.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ready[0]);
        TSharedHandle l = OpenSharedMutex(name);
        if (!l) _exit(2);
        if (WaitSharedEvent(l, 20)) _exit(3);  // held by the parent
        if (write(ready[1], "r", 1) != 1) _exit(5);
        if (!WaitSharedEvent(l, 5000)) _exit(4);  // given back
        SetSharedEvent(l);
        CloseSharedHandle(l);
        _exit(0);
    }
    close(ready[1]);
    char byte = 0;
    EXPECT_EQ(read(ready[0], &byte, 1), 1);  // the child found it held
    close(ready[0]);
    SetSharedEvent(lock);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    EXPECT_TRUE(WaitSharedEvent(lock, 0));  // the child gave it back
    CloseSharedHandle(lock);
}
