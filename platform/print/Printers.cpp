#include "platform/print/Printers.h"

#include <QPrinterInfo>

#include "platform/gui/Graphics.h"

namespace {
struct TestList {
    bool use = false;
    std::vector<std::string> names;
    std::string defaultName;
};
TestList& Testing() {
    static TestList t;
    return t;
}
}  // namespace

void SetPrinterListForTesting(bool use, const std::vector<std::string>& names, const std::string& defaultName) {
    Testing() = {use, names, defaultName};
    Printer()->Refresh();
}

TPrinter* Printer() {
    static TPrinter* printer = new TPrinter;
    return printer;
}

TPrinter::TPrinter() = default;

void TPrinter::Load() {
    printers_.Clear();
    defaultIndex_ = -1;
    std::string defaultName;
    if (Testing().use) {
        for (const auto& n : Testing().names) printers_.Add(n);
        defaultName = Testing().defaultName;
    } else {
        EnsureGuiApplication();
        for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) printers_.Add(info.printerName().toStdString());
        defaultName = QPrinterInfo::defaultPrinterName().toStdString();
    }
    for (int i = 0; i < printers_.Count(); ++i)
        if (printers_[i] == defaultName) defaultIndex_ = i;
    loaded_ = true;
}

const TStringList& TPrinter::Printers() {
    if (!loaded_) Load();
    return printers_;
}

int TPrinter::DefaultPrinterIndex() {
    if (!loaded_) Load();
    return defaultIndex_;
}

int TPrinter::PrinterIndex() {
    if (!loaded_) Load();
    if (index_ >= 0) return index_;
    // The default printer, or the first one when none is marked default.
    if (defaultIndex_ >= 0) return defaultIndex_;
    return printers_.Count() > 0 ? 0 : -1;
}

void TPrinter::SetPrinterIndex(int index) {
    if (!loaded_) Load();
    if (index < -1 || index >= printers_.Count())
        throw EPrinter("Printer selected is not valid");
    index_ = index;
}

std::string TPrinter::PrinterName() {
    int i = PrinterIndex();
    return i >= 0 ? printers_[i] : std::string();
}

bool TPrinter::SelectPrinter(const std::string& name) {
    if (!loaded_) Load();
    int i = printers_.IndexOf(name);
    if (i < 0) return false;
    index_ = i;
    return true;
}

void TPrinter::Refresh() {
    std::string selected = index_ >= 0 && loaded_ && index_ < printers_.Count() ? printers_[index_] : std::string();
    Load();
    index_ = selected.empty() ? -1 : printers_.IndexOf(selected);
}

bool TPrintDialog::Execute() {
    PromptRequest r;
    r.Kind = PromptKind::Print;
    r.Caption = "Print";
    r.Text = "Print";
    r.PrinterName = Printer()->PrinterName();
    r.Copies = Copies;
    r.FromPage = FromPage;
    r.ToPage = ToPage;
    r.MinPage = MinPage;
    r.MaxPage = MaxPage;
    r.PrintRange = PrintRange;
    PromptAnswer a = PromptService().Ask(r);
    if (!a.Accepted()) return false;
    if (!a.PrinterName.empty()) Printer()->SelectPrinter(a.PrinterName);
    if (a.Copies > 0) Copies = a.Copies;
    if (a.FromPage > 0) FromPage = a.FromPage;
    if (a.ToPage > 0) ToPage = a.ToPage;
    PrintRange = a.PrintRange;
    return true;
}

bool TPrinterSetupDialog::Execute() {
    PromptRequest r;
    r.Kind = PromptKind::PrinterSetup;
    r.Caption = "Print Setup";
    r.Text = "Print Setup";
    r.PrinterName = Printer()->PrinterName();
    PromptAnswer a = PromptService().Ask(r);
    if (!a.Accepted()) return false;
    if (!a.PrinterName.empty()) Printer()->SelectPrinter(a.PrinterName);
    return true;
}
