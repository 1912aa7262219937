#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/core/Registry.h"
#include "platform/core/tests/TextTestSupport.h"

namespace {

// Points the program folder (and so the key store) at a fresh folder.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("OMR_HOME");
        hadHome_ = old != nullptr;
        if (old) oldHome_ = old;
        ::setenv("OMR_HOME", home_.Path().c_str(), 1);
    }
    void TearDown() override {
        if (hadHome_) ::setenv("OMR_HOME", oldHome_.c_str(), 1);
        else ::unsetenv("OMR_HOME");
    }
    TempFolder home_;
    bool hadHome_ = false;
    std::string oldHome_;
};

}  // namespace

TEST_F(RegistryTest, KeysAreCreatedOpenedAndHoldTypedValues) {
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey("\\Software\\Grid", false));
    EXPECT_TRUE(reg.OpenKey("\\Software\\Grid", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Grid");
    reg.WriteString("Path", "a=b\r\nc");
    reg.WriteInteger("Count", -7);
    reg.WriteBinaryData("Layout", {0, 255, 10});
    reg.CloseKey();

    TRegistry again;
    ASSERT_TRUE(again.OpenKey("\\SOFTWARE\\grid", false));  // names without case
    EXPECT_EQ(again.ReadString("path"), "a=b\r\nc");
    EXPECT_EQ(again.ReadInteger("Count"), -7);
    EXPECT_EQ(again.ReadBinaryData("Layout"), (std::vector<Byte>{0, 255, 10}));
    EXPECT_EQ(again.GetDataType("Layout"), rdBinary);
    EXPECT_EQ(again.GetDataType("Missing"), rdUnknown);
    EXPECT_EQ(again.ReadString("Missing"), "");
    EXPECT_THROW(again.ReadInteger("Path"), ERegistryException);
    EXPECT_TRUE(again.DeleteValue("Count"));
    EXPECT_FALSE(again.ValueExists("Count"));

    // Roots are separate stores.
    TRegistry machine;
    machine.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(machine.KeyExists("\\Software\\Grid"));
}

TEST_F(RegistryTest, UnusableKeyNamesAreRefused) {
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey("\\Software\\..\\..\\etc", true));
    EXPECT_FALSE(reg.OpenKey("\\a/b", true));
    EXPECT_THROW(reg.WriteString("x", "y"), ERegistryException);
}
