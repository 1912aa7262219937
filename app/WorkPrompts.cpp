#include "app/WorkPrompts.h"

#include "platform/gui/Forms.h"
#include "platform/gui/Prompts.h"

void WorkMessage(TWorkMessageType type, const std::string& text) {
    const TMsgDlgType dlgType = type == wmError ? mtError : type == wmWarning ? mtWarning : mtInformation;
    MessageDlg(text, dlgType, {mbOK});
}

bool WorkConfirm(const std::string& text) { return MessageDlg(text, mtConfirmation, mbYesNo) == mrYes; }

bool WorkErrorConfirm(const std::string& text) { return MessageDlg(text, mtError, mbYesNo) == mrYes; }

bool WorkInputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    return InputQuery(caption, prompt, value);
}

void WorkBusyCursor(bool busy) { Screen->SetCursor(busy ? crHourGlass : crDefault); }
