#pragma once
// The scoring work's messages to the user and its wait cursor, through the
// program's prompt service and screen. They sit in a unit of their own
// because the desktop headers and the dataset headers each declare the
// platform's alignment type, so one source file cannot include both.

#include <string>

enum TWorkMessageType { wmInformation, wmWarning, wmError };

// A message box with an OK button.
void WorkMessage(TWorkMessageType type, const std::string& text);
// A Yes/No confirmation; true for Yes.
bool WorkConfirm(const std::string& text);
// An error message with Yes and No buttons; true for Yes.
bool WorkErrorConfirm(const std::string& text);
// The input box: true when confirmed, value then holds the text typed.
bool WorkInputQuery(const std::string& caption, const std::string& prompt, std::string& value);
// The hourglass over the whole program, or the normal cursor again.
void WorkBusyCursor(bool busy);
