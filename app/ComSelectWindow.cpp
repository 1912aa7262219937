#include "app/ComSelectWindow.h"

#include "serial/ComSelectForm.h"
#include "serial/SioComPort.h"

TComSelectWindow::TComSelectWindow(TComponent* owner) : TForm(owner) {
    SetName("ComSelectForm");
    SetCaption("Select Port");
    SetBorderStyle(bsDialog);
    SetBorderIcons(biSystemMenu);
    SetPosition(poScreenCenter);
    SetClientWidth(300);
    SetClientHeight(150);

    Bevel1 = new TBevel(this);
    Bevel1->SetName("Bevel1");
    Bevel1->SetParent(this);
    Bevel1->SetBounds(8, 8, 284, 56);

    Label1 = new TLabel(this);
    Label1->SetName("Label1");
    Label1->SetParent(this);
    Label1->SetBounds(20, 16, 260, 16);
    Label1->SetCaption("The configured serial port is not valid.");

    Label2 = new TLabel(this);
    Label2->SetName("Label2");
    Label2->SetParent(this);
    Label2->SetBounds(20, 38, 260, 16);
    Label2->SetCaption("Please choose another port.");

    PortsComboBox = new TComboBox(this);
    PortsComboBox->SetName("PortsComboBox");
    PortsComboBox->SetParent(this);
    PortsComboBox->SetBounds(8, 76, 120, 24);
    PortsComboBox->SetStyle(csDropDownList);

    OkBtn = new TButton(this);
    OkBtn->SetName("OkBtn");
    OkBtn->SetParent(this);
    OkBtn->SetBounds(124, 112, 80, 27);
    OkBtn->SetCaption("OK");
    OkBtn->SetDefault(true);
    OkBtn->SetModalResult(mrOk);

    AbortBtn = new TButton(this);
    AbortBtn->SetName("AbortBtn");
    AbortBtn->SetParent(this);
    AbortBtn->SetBounds(212, 112, 80, 27);
    AbortBtn->SetCaption("Cancel");
    AbortBtn->SetCancel(true);
    AbortBtn->SetModalResult(mrCancel);
    DoCreate();
}

void TComSelectWindow::Load(const TComSelectForm& form) {
    SetCaption(form.Caption);
    Label1->SetCaption(form.Label1);
    Label2->SetCaption(form.Label2);
    OkBtn->SetCaption(form.OkBtn);
    AbortBtn->SetCaption(form.AbortBtn);
    PortsComboBox->Items()->Clear();
    for (const std::string& port : form.PortsComboBox) PortsComboBox->Items()->Add(port);
    PortsComboBox->SetItemIndex(form.ItemIndex);
}

bool RunComSelectWindow(TComSelectForm& form) {
    auto* window = new TComSelectWindow(Application);
    bool ok = false;
    try {
        window->Load(form);
        ok = window->ShowModal() == mrOk;
        form.ItemIndex = window->PortsComboBox->ItemIndex();
    } catch (...) {
        delete window;
        throw;
    }
    delete window;
    return ok;
}

void InstallWindowServices() {
    SetComSelectRunner(RunComSelectWindow);
    SetSioExceptionHandler([](const std::exception_ptr& e) { Application->HandleException(e); });
}

void RemoveWindowServices() {
    SetComSelectRunner(nullptr);
    SetSioExceptionHandler(nullptr);
}
