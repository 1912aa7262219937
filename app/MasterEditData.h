#pragma once
// The logic of the two dialogs that edit the wizard's answer-key table in
// place, without their windows: "Edit Master Data" (the key answers and
// point values of the key's single row) and the penalty dialog (one
// penalty S<n> per question). Their windows, TfrmEditMasterData and
// TfrmPenaltySetup, place the controls and call these.

#include <string>
#include <vector>

#include "app/DialogControls.h"
#include "platform/data/DataSet.h"

// Colours as the grids take them (blue, green, red from the high byte).
inline constexpr std::int32_t kKeyHighlightColor = 0x4444FF;

class TEditMasterData {
public:
    // Set by the wizard before showing.
    TDataSet* MasterTable = nullptr;
    std::string AllowedLabels;  // odd labels followed by even labels
    int QtyQuestions = 0;
    std::int32_t HighlightColor = 0;

    void FormShow() { HighlightColor = kKeyHighlightColor; }
    // Typing in either grid: backspace passes; any other key is upper-cased
    // and passes only when it is one of the labels, "-" or "?"; otherwise
    // key becomes 0 (dropped).
    void KeyPress(char& key) const;
    // A cell's value wants the highlight when it is "?", "-" or blank.
    static bool Highlighted(const std::string& value);
    // The point-value grid's columns: field "P<n>" with the heading "P<n>".
    struct TColumn {
        std::string FieldName, Heading;
    };
    std::vector<TColumn> PointColumns() const;
};

class TPenaltySetupData {
public:
    // Set by the wizard before showing.
    TDataSet* MasterTable = nullptr;
    int QtyQuestions = 0;

    // "Default Penalty Value:".
    TDialogControl edtDPoint;

    // The caption by the running program's brand.
    static std::string Caption();
    // On show: edtDPoint "0"; the key row in edit state (appended when the
    // table is empty); every missing penalty set to 0.
    void PrepareKey();
    // "Set &All": the default penalty (1 when it is not a number) into
    // every question's penalty, as a number.
    void BitBtn1Click();
    // A penalty edit takes digits, "." and backspace only.
    static void PenaltyKeyPress(char& key);

    // Where question n's label and edit go in the scroll box: ten rows a
    // column, column k = the ceiling of n / 10.
    struct TPlace {
        int LabelLeft, LabelTop, EditLeft, EditTop;
    };
    static TPlace PlaceOf(int n);
    static constexpr int kLabelWidth = 22;
    static constexpr int kEditWidth = 35;
};
