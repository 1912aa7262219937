#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/os/PseudoTerminal.h"
#include "platform/os/SerialDevice.h"
#include "platform/os/SerialPorts.h"

namespace fs = std::filesystem;

class SerialPortsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/omr-ports-XXXXXX";
        folder_ = mkdtemp(tmpl);
        setenv("OMR_PORTS", folder_.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("OMR_PORTS");
        fs::remove_all(folder_);
    }
    void Link(int n, const std::string& target) { fs::create_symlink(target, folder_ + "/COM" + std::to_string(n)); }
    static bool Listed(const std::string& name) {
        std::vector<std::string> names;
        EXPECT_TRUE(ListSerialPorts(names));
        return std::find(names.begin(), names.end(), name) != names.end();
    }
    std::string folder_;
};

TEST_F(SerialPortsTest, FolderComesFromTheEnvironment) {
    EXPECT_EQ(folder_ + "/", SerialPortFolder());
}

TEST_F(SerialPortsTest, DefaultDevicesWithoutALink) {
    EXPECT_EQ("/dev/ttyS0", SerialPortDevicePath(1));
    EXPECT_EQ("/dev/ttyS7", SerialPortDevicePath(8));
    EXPECT_EQ("/dev/ttyUSB0", SerialPortDevicePath(9));
    EXPECT_EQ("/dev/ttyUSB7", SerialPortDevicePath(16));
    EXPECT_EQ("/dev/ttyACM0", SerialPortDevicePath(17));
    EXPECT_EQ("/dev/ttyACM7", SerialPortDevicePath(24));
    EXPECT_EQ("", SerialPortDevicePath(25));
    EXPECT_EQ("", SerialPortDevicePath(0));
    EXPECT_FALSE(SerialPortPresent(25));
}

TEST_F(SerialPortsTest, LinkedPortIsListedUntilTheLinkGoes) {
    PseudoTerminal pty;
    Link(3, pty.SlavePath());
    Link(30, pty.SlavePath());
    EXPECT_EQ(folder_ + "/COM3", SerialPortDevicePath(3));
    EXPECT_TRUE(SerialPortPresent(3));
    EXPECT_TRUE(Listed("COM3"));
    EXPECT_TRUE(Listed("COM30")) << "links beyond the default range count too";

    SerialDevice dev;
    EXPECT_EQ(0, dev.Open(SerialPortDevicePath(3)));
    dev.Close();

    fs::remove(folder_ + "/COM3");
    EXPECT_FALSE(Listed("COM3")) << "removing the link is an unplug";
}

TEST_F(SerialPortsTest, DanglingLinkIsAMissingDevice) {
    Link(5, folder_ + "/gone");
    EXPECT_FALSE(SerialPortPresent(5));
    EXPECT_FALSE(Listed("COM5"));
    SerialDevice dev;
    EXPECT_EQ(-kOsErrorFileNotFound, dev.Open(SerialPortDevicePath(5)));
}

TEST_F(SerialPortsTest, OtherNamesInTheFolderAreIgnored) {
    PseudoTerminal pty;
    Link(4, pty.SlavePath());
    fs::create_symlink(pty.SlavePath(), folder_ + "/com6");
    fs::create_symlink(pty.SlavePath(), folder_ + "/COM07");
    fs::create_symlink(pty.SlavePath(), folder_ + "/COMX");
    std::vector<std::string> names;
    ASSERT_TRUE(ListSerialPorts(names));
    EXPECT_TRUE(Listed("COM4"));
    for (const auto& n : names) {
        EXPECT_NE("COM6", n);
        EXPECT_NE("COM7", n);
    }
}

TEST_F(SerialPortsTest, MissingFolderIsAnEmptyListOfLinks) {
    setenv("OMR_PORTS", (folder_ + "/absent").c_str(), 1);
    std::vector<std::string> names;
    EXPECT_TRUE(ListSerialPorts(names));
    for (const auto& n : names) EXPECT_LE(std::stoi(n.substr(3)), 24);
}
