#include "app/MasterEditData.h"

#include <cctype>

#include "app/Brand.h"
#include "platform/core/Format.h"
#include "platform/core/Strings.h"
#include "platform/data/Field.h"

namespace {
constexpr char kBackspace = 8;
}

void TEditMasterData::KeyPress(char& key) const {
    if (key == kBackspace) return;
    key = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
    const std::string allowed = UpperCase(AllowedLabels) + "-?";
    if (key == 0 || allowed.find(key) == std::string::npos) key = 0;
}

bool TEditMasterData::Highlighted(const std::string& value) {
    return value == "?" || Trim(value).empty() || value == "-";
}

std::vector<TEditMasterData::TColumn> TEditMasterData::PointColumns() const {
    std::vector<TColumn> columns;
    for (int n = 1; n <= QtyQuestions; ++n) columns.push_back({"P" + std::to_string(n), "P" + std::to_string(n)});
    return columns;
}

std::string TPenaltySetupData::Caption() {
    return CurrentBrand() == TBrand::Ombrix ? "Ombrix Question Penalty Setup" : "Veltmach Question Penalty Setup";
}

void TPenaltySetupData::PrepareKey() {
    edtDPoint.SetText("0");
    if (MasterTable->State() != dsEdit && MasterTable->State() != dsInsert) {
        if (MasterTable->IsEmpty())
            MasterTable->Append();
        else
            MasterTable->Edit();
    }
    for (int n = 1; n <= QtyQuestions; ++n) {
        TField* penalty = MasterTable->FieldByName("S" + std::to_string(n));
        if (penalty->IsNull()) penalty->SetAsFloat(0);
    }
}

void TPenaltySetupData::BitBtn1Click() {
    if (MasterTable->State() != dsEdit && MasterTable->State() != dsInsert) MasterTable->Edit();
    double value = 0;
    if (!TryStrToFloat(edtDPoint.Text(), value)) value = 1;
    for (int n = 1; n <= QtyQuestions; ++n) MasterTable->FieldByName("S" + std::to_string(n))->SetAsFloat(value);
}

void TPenaltySetupData::PenaltyKeyPress(char& key) {
    if (key == kBackspace || key == '.' || (key >= '0' && key <= '9')) return;
    key = 0;
}

TPenaltySetupData::TPlace TPenaltySetupData::PlaceOf(int n) {
    // Questions 1-10 in column 1, 11-20 in column 2 and so on: the ceiling
    // of n / 10, in whole numbers, so no rounding mode of the processor is
    // involved.
    const int k = (n + 9) / 10;
    const int r = (n - 1) % 10 + 1;
    return {(k - 1) * 80 + 8, (r - 1) * 25 + 14, (k - 1) * 80 + 40, (r - 1) * 25 + 10};
}
