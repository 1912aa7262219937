#include "app/ComSelectWindow.h"

#include "app/tests/ScannerTestSupport.h"
#include "app/tests/WindowTestSupport.h"
#include "serial/SioComPort.h"
#include "serial/SioErrors.h"

namespace {

class ComSelectWindowTest : public WindowTest {
protected:
    TestPorts ports;
};

// A port used without a number asks for one in the port selection window,
// which lists the ports present.
TEST_F(ComSelectWindowTest, ChoosingAPortOpensIt) {
    TScannerSimulator sim;
    ports.Plug(sim, 3);
    TSioComPort port(nullptr);
    std::vector<std::string> listed;
    IdleDriver driver([&] {
        if (auto* w = ActiveAs<TComSelectWindow>()) {
            EXPECT_EQ(w->Caption(), "Select Port");
            EXPECT_EQ(w->Label1->Caption(), "The configured serial port is not valid.");
            for (int i = 0; i < w->PortsComboBox->Items()->Count(); ++i)
                listed.push_back(w->PortsComboBox->Items()->Strings(i));
            EXPECT_EQ(w->PortsComboBox->ItemIndex(), 0);
            w->OkBtn->Click();
        }
    });
    port.WriteString("@");
    EXPECT_EQ(listed, std::vector<std::string>{"COM3"});
    EXPECT_EQ(port.ComNumber(), 3);
    EXPECT_TRUE(sim.WaitForReceived(1, 5000));
    EXPECT_EQ(sim.ReceivedText(), "@");
}

TEST_F(ComSelectWindowTest, CancelLeavesThePortWithoutANumber) {
    TSioComPort port(nullptr);
    IdleDriver driver([&] {
        if (auto* w = ActiveAs<TComSelectWindow>()) w->AbortBtn->Click();
    });
    try {
        port.WriteString("@");
        ADD_FAILURE() << "no exception";
    } catch (const ENoPortSelected& e) {
        EXPECT_EQ(e.Message, "The ComNumber property of the TSioComPort has not been set");
    }
    EXPECT_EQ(port.ComNumber(), 0);
    EXPECT_FALSE(port.Open());
}

}  // namespace
