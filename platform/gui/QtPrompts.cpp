// The production prompt service: Qt dialogs. On a headless platform
// (offscreen, minimal) nobody could answer a dialog, so the prompt is
// written to standard error and dismissed instead of blocking forever.

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <cstdio>

#include "platform/gui/Graphics.h"
#include "platform/gui/Prompts.h"

namespace {

bool Headless() {
    QString p = QGuiApplication::platformName();
    return p == "offscreen" || p == "minimal";
}

// "Text files (*.txt)|*.txt|All files|*.*" to Qt's "Text files (*.txt);;All files (*)".
QString QtFilter(const std::string& filter, int index, QString* selected) {
    QStringList parts = QString::fromStdString(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        QStringList list = patterns.split(' ', Qt::SkipEmptyParts);
        for (QString& p : list)
            if (p == "*.*") p = "*";
        QString entry = parts[i] + " (" + list.join(' ') + ")";
        out << entry;
        if (selected && i / 2 + 1 == index) *selected = entry;
    }
    return out.join(";;");
}

PromptAnswer AskMessage(const PromptRequest& r) {
    QMessageBox box;
    switch (r.Type) {
        case mtWarning: box.setIcon(QMessageBox::Warning); break;
        case mtError: box.setIcon(QMessageBox::Critical); break;
        case mtInformation: box.setIcon(QMessageBox::Information); break;
        case mtConfirmation: box.setIcon(QMessageBox::Question); break;
        default: box.setIcon(QMessageBox::NoIcon); break;
    }
    box.setWindowTitle(QString::fromStdString(r.Caption));
    box.setText(QString::fromStdString(r.Text));
    struct B { TMsgDlgBtn btn; QMessageBox::StandardButton std; TModalResult mr; };
    const B table[] = {
        {mbYes, QMessageBox::Yes, mrYes},         {mbNo, QMessageBox::No, mrNo},
        {mbOK, QMessageBox::Ok, mrOk},            {mbCancel, QMessageBox::Cancel, mrCancel},
        {mbAbort, QMessageBox::Abort, mrAbort},   {mbRetry, QMessageBox::Retry, mrRetry},
        {mbIgnore, QMessageBox::Ignore, mrIgnore}, {mbAll, QMessageBox::YesToAll, mrAll},
        {mbNoToAll, QMessageBox::NoToAll, mrNoToAll}, {mbYesToAll, QMessageBox::YesToAll, mrYesToAll},
        {mbHelp, QMessageBox::Help, mrNone},      {mbClose, QMessageBox::Close, mrClose},
    };
    QMessageBox::StandardButtons buttons;
    for (const auto& b : table)
        if (r.Buttons.Contains(b.btn)) buttons |= b.std;
    if (!buttons) buttons = QMessageBox::Ok;
    box.setStandardButtons(buttons);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    PromptAnswer a = DismissAnswer(r);
    if (clicked) {
        auto std = box.standardButton(clicked);
        for (const auto& b : table)
            if (b.std == std && r.Buttons.Contains(b.btn)) a.Result = b.mr;
    }
    return a;
}

PromptAnswer AskInput(const PromptRequest& r) {
    bool ok = false;
    QString v = QInputDialog::getText(nullptr, QString::fromStdString(r.Caption), QString::fromStdString(r.Text),
                                      QLineEdit::Normal, QString::fromStdString(r.Value), &ok);
    PromptAnswer a;
    a.Result = ok ? mrOk : mrCancel;
    a.Value = ok ? v.toStdString() : r.Value;
    return a;
}

PromptAnswer AskFile(const PromptRequest& r) {
    QFileDialog dlg(nullptr, QString::fromStdString(r.Caption));
    bool save = r.Kind == PromptKind::SaveFile;
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : (r.MultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile));
    QString selected;
    if (!r.Filter.empty()) {
        dlg.setNameFilter(QtFilter(r.Filter, r.FilterIndex, &selected));
        if (!selected.isEmpty()) dlg.selectNameFilter(selected);
    }
    if (!r.InitialDir.empty()) dlg.setDirectory(QString::fromStdString(r.InitialDir));
    if (!r.DefaultExt.empty()) {
        std::string ext = r.DefaultExt[0] == '.' ? r.DefaultExt.substr(1) : r.DefaultExt;
        dlg.setDefaultSuffix(QString::fromStdString(ext));
    }
    if (!r.Value.empty()) dlg.selectFile(QString::fromStdString(r.Value));
    PromptAnswer a;
    a.Result = mrCancel;
    if (dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty()) {
        a.Result = mrOk;
        for (const QString& f : dlg.selectedFiles()) a.Files.push_back(f.toStdString());
        a.Value = a.Files.front();
        QStringList filters = dlg.nameFilters();
        a.FilterIndex = int(filters.indexOf(dlg.selectedNameFilter())) + 1;
    }
    return a;
}

PromptAnswer AskPrint(const PromptRequest& r) {
    QPrinter printer;
    if (!r.PrinterName.empty()) printer.setPrinterName(QString::fromStdString(r.PrinterName));
    printer.setCopyCount(std::max(1, r.Copies));
    if (r.MaxPage > 0) printer.setFromTo(std::max(r.MinPage, r.FromPage), std::min(r.MaxPage, std::max(r.ToPage, r.FromPage)));
    QPrintDialog dlg(&printer);
    dlg.setWindowTitle(QString::fromStdString(r.Caption));
    if (r.MaxPage > 0) dlg.setMinMax(std::max(1, r.MinPage), r.MaxPage);
    if (r.Kind == PromptKind::PrinterSetup) dlg.setOption(QAbstractPrintDialog::PrintPageRange, false);
    PromptAnswer a;
    a.Result = mrCancel;
    if (dlg.exec() == QDialog::Accepted) {
        a.Result = mrOk;
        a.PrinterName = printer.printerName().toStdString();
        a.Copies = printer.copyCount();
        a.FromPage = printer.fromPage();
        a.ToPage = printer.toPage();
        switch (printer.printRange()) {
            case QPrinter::Selection: a.PrintRange = prSelection; break;
            case QPrinter::PageRange: a.PrintRange = prPageNums; break;
            default: a.PrintRange = prAllPages; break;
        }
    }
    return a;
}

class QtPrompts : public TPromptService {
public:
    PromptAnswer Ask(const PromptRequest& r) override {
        EnsureGuiApplication();
        if (Headless()) {
            std::fprintf(stderr, "Prompt on a headless display, dismissed: %s: %s\n", PromptKindName(r).c_str(),
                         r.Text.c_str());
            return DismissAnswer(r);
        }
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        PromptAnswer a;
        try {
            switch (r.Kind) {
                case PromptKind::Message: a = AskMessage(r); break;
                case PromptKind::Input: a = AskInput(r); break;
                case PromptKind::OpenFile:
                case PromptKind::SaveFile: a = AskFile(r); break;
                case PromptKind::Print:
                case PromptKind::PrinterSetup: a = AskPrint(r); break;
            }
        } catch (...) {
            QApplication::restoreOverrideCursor();
            throw;
        }
        QApplication::restoreOverrideCursor();
        return a;
    }
};

}  // namespace

TPromptService& QtPromptService() {
    static QtPrompts service;
    return service;
}
