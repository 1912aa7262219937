#include "docexport/deSprShtDlg.h"

#include "docexport/deDocSettings.h"
#include "docexport/deExExcelEng.h"
#include "platform/core/Format.h"
#include "platform/core/FormatSettings.h"
#include "platform/core/Strings.h"

namespace {

template <class T>
T* Make(TWinControl* parent, TComponent* owner, const std::string& caption, int l, int t, int w, int h) {
    auto* c = new T(owner);
    c->SetParent(parent);
    if (!caption.empty()) c->SetCaption(caption);
    c->SetBounds(l, t, w, h);
    return c;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string FloatText(double v) { return FloatToStr(v, DefaultFormatSettings()); }

}  // namespace

// ---- spreadsheet dialog ----------------------------------------------------------------

TdeSpreadSheetDlg::TdeSpreadSheetDlg(TComponent* owner) : TdeDocumentDlg(owner) {
    chkAutoFormatCells = Make<TCheckBox>(PrefPage, this, "Auto Format Cells", 8, 212, 250, 17);
    tsFormatting = new TTabSheet(this);
    tsFormatting->SetPageControl(Pages);
    tsFormatting->SetCaption("Formatting");
    tsFormatting->SetTabVisible(false);
    gbFormattingOptions = Make<TGroupBox>(tsFormatting, this, "", 8, 8, 313, 125);
    auto row = [&](const std::string& caption, int r, TLabel*& label, TEdit*& edit) {
        label = Make<TLabel>(gbFormattingOptions, this, caption, 8, 20 + r * 25, 120, 16);
        edit = Make<TEdit>(gbFormattingOptions, this, "", 136, 16 + r * 25, 80, 21);
    };
    row("Column Spacing:", 0, lblColumnSpacing, edColumnSpacing);
    row("Row Spacing:", 1, lblRowSpacing, edRowSpacing);
    row("Scale X:", 2, lblScaleX, edScaleX);
    row("Scale Y:", 3, lblScaleY, edScaleY);
    edColumnSpacing->OnKeyPress = edSpacingKeyPress;
    edRowSpacing->OnKeyPress = edSpacingKeyPress;
    edScaleX->OnKeyPress = [this](TObject*, char& key) { edKeyPress(edScaleX, key); };
    edScaleY->OnKeyPress = [this](TObject*, char& key) { edKeyPress(edScaleY, key); };
    LoadCaptions();
}

void TdeSpreadSheetDlg::LoadCaptions() {
    TdeDocumentDlg::LoadCaptions();
    PageList->Items()->Add("Formatting");
    if (!chkAutoFormatCells) return;  // still being built
    tsFormatting->SetCaption("Formatting");
    chkAutoFormatCells->SetCaption("Auto Format Cells");
    lblColumnSpacing->SetCaption("Column Spacing:");
    lblRowSpacing->SetCaption("Row Spacing:");
    lblScaleX->SetCaption("Scale X:");
    lblScaleY->SetCaption("Scale Y:");
}

void TdeSpreadSheetDlg::DoShow() {
    TdeDocumentDlg::DoShow();
    auto* sheet = dynamic_cast<TdeCustomSpreadSheetEngine*>(Engine);
    if (!sheet) return;
    chkAutoFormatCells->SetChecked(sheet->Preferences()->AutoFormatCells);
    const TdeItemsToRender items = sheet->ItemsToRender();
    TextCheck->SetChecked(items & ItemBit(irText));
    ShapeCheck->SetChecked(items & ItemBit(irShape));
    const TdeSheetFormatting* f = sheet->Formatting();
    edColumnSpacing->SetText(std::to_string(f->ColumnSpacing));
    edRowSpacing->SetText(std::to_string(f->RowSpacing));
    edScaleX->SetText(FloatText(f->ScaleX));
    edScaleY->SetText(FloatText(f->ScaleY));
}

void TdeSpreadSheetDlg::OkClick() {
    if (auto* sheet = dynamic_cast<TdeCustomSpreadSheetEngine*>(Engine)) {
        sheet->Preferences()->AutoFormatCells = chkAutoFormatCells->Checked();
        TdeSheetFormatting* f = sheet->Formatting();
        f->ColumnSpacing = StrToInt(edColumnSpacing->Text());
        f->RowSpacing = StrToInt(edRowSpacing->Text());
        f->ScaleX = StrToFloat(edScaleX->Text(), DefaultFormatSettings());
        f->ScaleY = StrToFloat(edScaleY->Text(), DefaultFormatSettings());
    }
    TdeDocumentDlg::OkClick();
}

void TdeSpreadSheetDlg::edKeyPress(TEdit* edit, char& key) {
    TdeDocumentDlg::edKeyPress(edit, key);
    if (key == '.' && edit->Text().find('.') != std::string::npos) key = 0;
}

void TdeSpreadSheetDlg::edSpacingKeyPress(TObject*, char& key) {
    if (!IsDigit(key) && key != '-' && key != '\b') key = 0;
}

// ---- workbook dialog --------------------------------------------------------------------

TdeExcelEngineDlg::TdeExcelEngineDlg(TComponent* owner) : TdeSpreadSheetDlg(owner) {
    lblPagesPerWorkSheet = Make<TLabel>(tsFormatting, this, "Pages Per WorkSheet:", 8, 144, 150, 16);
    edPagePerWorkSheet = Make<TEdit>(tsFormatting, this, "", 160, 140, 80, 21);
    edPagePerWorkSheet->OnKeyPress = edPagePerWorkSheetKeyPress;
    chkPageMargins = Make<TCheckBox>(tsFormatting, this, "Page Margins", 8, 172, 250, 17);
    chkPrintGridLines = Make<TCheckBox>(tsFormatting, this, "Print Grid Lines", 8, 196, 250, 17);
    ImageCheck->OnClick = [this](TObject*) { chkImageClick(); };
    SelectImageBtn->OnClick = [this](TObject*) { btnSelectImageClick(); };
    DocInfoGroup->SetEnabled(false);
    DisplayTypeLabel->SetEnabled(false);
    DisplayTypeList->SetEnabled(false);
    for (const char* f : {"JPEG", "GIF", "PNG"}) RemoveItem(OutputFormatList, OutputFormatValues, f);
    LoadCaptions();
    const int formatting = PageList->Items()->IndexOf("Formatting");
    Pages->SetActivePage(tsFormatting);
    PageList->SetItemIndex(formatting);
}

void TdeExcelEngineDlg::LoadCaptions() {
    TdeSpreadSheetDlg::LoadCaptions();
    SetCaption("Excel Setup");
    if (!chkPrintGridLines) return;  // still being built
    chkPrintGridLines->SetCaption("Print Grid Lines");
    chkPageMargins->SetCaption("Page Margins");
    lblPagesPerWorkSheet->SetCaption("Pages Per WorkSheet:");
}

void TdeExcelEngineDlg::DoShow() {
    if (auto* xls = dynamic_cast<TdeCustomExcelEngine*>(Engine)) {
        ImageCheck->SetChecked(xls->ItemsToRender() & ItemBit(irImage));
        TGraphic* g = xls->BackgroundImage()->Graphic();
        BackgroundImage->Picture()->SetGraphic(g);
        if (!g || g->Empty()) ClearImageClick();
        BackgroundColorBox->SetColor(xls->BackgroundColor());
        SelectValue(OutputFormatList, OutputFormatValues, xls->ImageSettings()->OutputImageFormat());
        SelectValue(PixelFormatList, PixelFormatValues, xls->ImageSettings()->ImagePixelFormat);
        SourceDpiEdit->SetText(std::to_string(xls->ImageSettings()->SourceDPI));
        UpdateJpegQuality();
        edPagePerWorkSheet->SetText(std::to_string(xls->Preferences()->PagesPerWorksheet));
        LoadCaptions();
        chkPageMargins->SetChecked(xls->Preferences()->PageMargins);
        chkPrintGridLines->SetChecked(xls->Preferences()->PrintGridLines);
        ImageGroup->SetEnabled(ImageCheck->Checked());
    }
    TdeSpreadSheetDlg::DoShow();
    CaptionStrip->SetCaption("Formatting");
}

void TdeExcelEngineDlg::chkImageClick() {
    ImageGroup->SetEnabled(ImageCheck->Checked());
    UpdateJpegQuality();
}

void TdeExcelEngineDlg::btnSelectImageClick() {
    SelectImageClick();
    DisplayTypeLabel->SetEnabled(false);
    DisplayTypeList->SetEnabled(false);
}

void TdeExcelEngineDlg::OkClick() {
    if (auto* xls = dynamic_cast<TdeCustomExcelEngine*>(Engine)) {
        TdeItemsToRender items = 0;
        if (TextCheck->Checked()) items |= ItemBit(irText);
        if (ShapeCheck->Checked()) items |= ItemBit(irShape);
        if (ImageCheck->Checked()) items |= ItemBit(irImage);
        xls->SetItemsToRender(items);
        TdeImageSettings* image = xls->ImageSettings();
        image->SetOutputImageFormat(
            TdeOutputImageFormat(SelectedValue(OutputFormatList, OutputFormatValues, image->OutputImageFormat())));
        image->ImagePixelFormat =
            TPixelFormat(SelectedValue(PixelFormatList, PixelFormatValues, image->ImagePixelFormat));
        image->SourceDPI = StrToInt(SourceDpiEdit->Text());
        xls->BackgroundImage()->SetGraphic(BackgroundImage->Picture()->Graphic());
        xls->SetBackgroundColor(BackgroundColorBox->Color());
        xls->Preferences()->PagesPerWorksheet = StrToInt(edPagePerWorkSheet->Text());
        xls->Preferences()->PageMargins = chkPageMargins->Checked();
        xls->Preferences()->PrintGridLines = chkPrintGridLines->Checked();
    }
    TdeSpreadSheetDlg::OkClick();
}

void TdeExcelEngineDlg::edPagePerWorkSheetKeyPress(TObject*, char& key) {
    if (!IsDigit(key) && key != '\b') key = 0;
}
