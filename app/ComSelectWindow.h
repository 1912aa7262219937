#pragma once
// The window of the serial port's port-selection dialog, which the port
// shows when it is opened without a port number. The list of ports and the
// chosen number are the serial library's (TComSelectForm).

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TComSelectForm;

class TComSelectWindow : public TForm {
public:
    explicit TComSelectWindow(TComponent* owner);

    TLabel* Label1;
    TLabel* Label2;
    TBevel* Bevel1;
    TButton* OkBtn;
    TButton* AbortBtn;
    TComboBox* PortsComboBox;  // selection only

    // Fills the window from the dialog's texts and port list.
    void Load(const TComSelectForm& form);
};

// Shows the window for the dialog modally; the selection goes back into the
// dialog. True when it was closed with OK.
bool RunComSelectWindow(TComSelectForm& form);

// What the program's windows hand to the libraries below them: the port
// selection window, and the application's display of exceptions raised by
// serial port event handlers. RemoveWindowServices takes them back.
void InstallWindowServices();
void RemoveWindowServices();
