#pragma once
// The port-selection dialog the port component shows when it has no port
// number: its list of present ports and the number chosen. The window
// itself comes from the GUI layer, which installs a runner that shows the
// form modally; without one the dialog counts as cancelled.

#include <functional>
#include <string>
#include <vector>

#include "platform/core/Component.h"
#include "platform/core/Types.h"

class TComSelectForm : public TComponent {
public:
    explicit TComSelectForm(TComponent* owner);

    std::string Caption = "Select Port";
    std::string Label1 = "The configured serial port is not valid.";
    std::string Label2 = "Please choose another port.";
    std::string OkBtn = "OK";
    std::string AbortBtn = "Cancel";
    // PortsComboBox: its entries and the selected one (-1: none).
    std::vector<std::string> PortsComboBox;
    int ItemIndex = -1;

    // Lists "COM<n>" for every present port n from 1 to 50 and selects the
    // first entry.
    void FormCreate();
    // The number after "COM" of the selected entry; raises EConvertError
    // when nothing is selected.
    Integer ComSelectPortNumber() const;
    // Shows the form modally; true when it was closed with OK.
    bool ShowModal();
};

// Shows a port-selection form modally and returns whether OK closed it.
using TComSelectRunner = std::function<bool(TComSelectForm& form)>;
// Installs the runner (the GUI layer, or a test); empty removes it.
void SetComSelectRunner(TComSelectRunner runner);

// Whether port n exists: it can be opened, or it is present but in use.
bool IsPortPresent(Integer n);
