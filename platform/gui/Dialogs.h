#pragma once
// File dialogs as components; Execute asks the prompt service.

#include <string>

#include "platform/core/Component.h"
#include "platform/core/StringList.h"

enum TOpenOption {
    ofReadOnly = 1, ofOverwritePrompt = 2, ofHideReadOnly = 4, ofNoChangeDir = 8, ofAllowMultiSelect = 16,
    ofPathMustExist = 32, ofFileMustExist = 64, ofCreatePrompt = 128, ofEnableSizing = 256
};
using TOpenOptions = unsigned;

class TCommonDialog : public TComponent {
public:
    using TComponent::TComponent;
    virtual bool Execute() = 0;
};

class TOpenDialog : public TCommonDialog {
public:
    explicit TOpenDialog(TComponent* owner) : TCommonDialog(owner) {}
    // True when the user chose a file (FileName, Files and FilterIndex then
    // hold the choice). A name without extension gets DefaultExt.
    bool Execute() override;

    std::string FileName;
    // "Description|*.ext;*.ext2|..."
    std::string Filter;
    int FilterIndex = 1;
    std::string InitialDir;
    std::string DefaultExt;  // without dot
    std::string Title;
    TOpenOptions Options = ofHideReadOnly | ofEnableSizing;
    TStringList Files;

protected:
    virtual bool IsSave() const { return false; }
};

class TSaveDialog : public TOpenDialog {
public:
    using TOpenDialog::TOpenDialog;

protected:
    bool IsSave() const override { return true; }
};
