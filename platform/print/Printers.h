#pragma once
// The printer list and the selected printer over Qt PrintSupport, and the
// print and printer set-up dialogs (through the prompt service).

#include <string>
#include <vector>

#include "platform/core/Component.h"
#include "platform/core/Exception.h"
#include "platform/core/StringList.h"
#include "platform/gui/Prompts.h"

class EPrinter : public Exception { using Exception::Exception; };

// poDefault (leave the printer's own orientation) and the spelling
// poLandScape serve the report library, which shares these names.
enum TPrinterOrientation { poPortrait, poLandscape, poDefault, poLandScape = poLandscape };

class TPrinter {
public:
    TPrinter();
    // Installed printers, by name.
    const TStringList& Printers();
    // The selected printer: -1 selects the default printer. An index
    // outside the list raises EPrinter "Printer selected is not valid".
    int PrinterIndex();
    void SetPrinterIndex(int index);
    // Name of the selected printer (empty when none is installed).
    std::string PrinterName();
    // Selects a printer by name; false when there is none of that name.
    bool SelectPrinter(const std::string& name);
    // Index of the system's default printer (-1 when none).
    int DefaultPrinterIndex();
    // Reads the list from the system again (keeps the selection by name).
    void Refresh();

    TPrinterOrientation Orientation() const { return orientation_; }
    void SetOrientation(TPrinterOrientation o) { orientation_ = o; }
    int Copies() const { return copies_; }
    void SetCopies(int c) { copies_ = c < 1 ? 1 : c; }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& t) { title_ = t; }

private:
    void Load();
    bool loaded_ = false;
    TStringList printers_;
    int defaultIndex_ = -1;
    int index_ = -1;
    TPrinterOrientation orientation_ = poPortrait;
    int copies_ = 1;
    std::string title_;
};

// The process's printer object.
TPrinter* Printer();

// Replaces the system's printer list (tests): names and the default one.
// An empty default with names means no default printer. Calling with
// `use` false returns to the system's list.
void SetPrinterListForTesting(bool use, const std::vector<std::string>& names = {},
                              const std::string& defaultName = {});

class TPrintDialog : public TComponent {
public:
    explicit TPrintDialog(TComponent* owner) : TComponent(owner) {}
    // Asks for printer, copies and range; on OK selects the chosen printer.
    bool Execute();
    int Copies = 1;
    int FromPage = 0, ToPage = 0, MinPage = 0, MaxPage = 0;
    TPrintRange PrintRange = prAllPages;
};

class TPrinterSetupDialog : public TComponent {
public:
    explicit TPrinterSetupDialog(TComponent* owner) : TComponent(owner) {}
    bool Execute();
};
