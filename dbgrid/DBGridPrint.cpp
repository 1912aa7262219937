#include "dbgrid/DBGridPrint.h"

#include <cctype>
#include <cmath>

#include "dbgrid/DBGrid.h"
#include "platform/core/Exception.h"
#include "platform/core/Format.h"
#include "platform/core/Strings.h"
#include "platform/data/DataSet.h"
#include "platform/gui/Forms.h"

namespace {

// Round half to even, as the report's layout arithmetic does.
Integer RoundEven(double v) { return Integer(std::nearbyint(v)); }

std::shared_ptr<TBitmap> CheckBoxPicture(bool checked) {
    EnsureGuiApplication();
    auto bmp = std::make_shared<TBitmap>();
    bmp->SetSize(13, 13);
    TCanvas* c = bmp->Canvas();
    c->Brush()->SetColor(clWhite);
    c->Pen()->SetColor(clBlack);
    c->Rectangle(TRect(0, 0, 13, 13));
    if (checked) {
        c->MoveTo(3, 6);
        c->LineTo(5, 9);
        c->LineTo(10, 3);
    }
    return bmp;
}

bool ColorSet(TColor c) { return c != grColorNotSet; }

}  // namespace

// ------------------------------------------------------------ totals

void TfmPrintDbGrid::AddToTotal(const TgrReportControl& label, TosReportTotal& total) {
    std::string text = Trim(label.Caption);
    if (text.empty()) return;
    // From the last character to the first: the currency sign and the
    // separators go, a point marks a decimal, letters end the walk.
    for (std::size_t i = text.size(); i-- > 0;) {
        char ch = text[i];
        if (ch == '$') {
            text.erase(i, 1);
            total.Kind = 7;
        } else if (ch == ',' || ch == '(' || ch == ')') {
            text.erase(i, 1);
        } else if (ch == '.') {
            total.Kind = 6;
        } else if (std::isalpha(static_cast<unsigned char>(ch)) || std::string("!#%&*^@").find(ch) != std::string::npos) {
            return;
        }
    }
    double v = 0;
    if (!TryStrToFloat(Trim(text), v)) v = 0;
    total.Sum += v;
}

std::string TosReportTotal::Text() const {
    switch (Kind) {
        case 6: return FormatFloat("#,##0.00;(#,##0.00)", Sum);
        case 7: return FormatFloat("$#,##0.00;($#,##0.00)", Sum);
        default: return std::to_string(RoundEven(Sum));
    }
}

// ------------------------------------------------------------ the window

TfmPrintDbGrid::TfmPrintDbGrid(TComponent* owner) : TComponent(owner) {
    SetName("fmPrintDbGrid");
    RichEdit1.Kind = rckRichText;
    RichEdit1.Name = "RichEdit1";
    ilImages = {CheckBoxPicture(false), CheckBoxPicture(true)};
    qrGrid.OnBeforePrint = [this](bool& print) { qrGridBeforePrint(this, print); };
    qrGrid.OnNeedData = [this](bool& more) { qrGridNeedData(this, more); };
    qrGrid.OnAfterPrint = [this] { qrGridAfterPrint(this); };
    qrGrid.OnAfterPreview = [this] { qrGridAfterPreview(this); };
    FormCreate(this);
}

TfmPrintDbGrid::~TfmPrintDbGrid() { FormDestroy(this); }

namespace {
TfmPrintDbGrid* sharedPrintWindow = nullptr;
}

TfmPrintDbGrid* TfmPrintDbGrid::Shared() {
    // Owned by the application, which lives as long as the program.
    if (!sharedPrintWindow) sharedPrintWindow = new TfmPrintDbGrid(Application);
    return sharedPrintWindow;
}

TfmPrintDbGrid* TfmPrintDbGrid::SharedIfMade() { return sharedPrintWindow; }

void TfmPrintDbGrid::FormCreate(TObject*) {
    checked_ = ilImages[1];
    unchecked_ = ilImages[0];
}

void TfmPrintDbGrid::FormDestroy(TObject*) {
    checked_.reset();
    unchecked_.reset();
    columns_.clear();
    totals_.clear();
    records_.clear();
    grid_ = nullptr;
    if (sharedPrintWindow == this) sharedPrintWindow = nullptr;
}

void TfmPrintDbGrid::ForgetGrid(TgrCustomDBGrid* grid) {
    if (grid_ != grid) return;
    grid_ = nullptr;
    records_.clear();
}

void TfmPrintDbGrid::qrGridBeforePrint(TObject*, bool& printReport) {
    printReport = grid_ && !records_.empty();
    recordIndex_ = 1;
}

void TfmPrintDbGrid::qrGridAfterPrint(TObject*) { recordIndex_ = 1; }

void TfmPrintDbGrid::qrGridAfterPreview(TObject*) { recordIndex_ = 1; }

double TfmPrintDbGrid::CalcScale(TgrCustomDBGrid* grid, Integer printCount, Integer printableWidth) const {
    // Only the columns that print count: visible ones.
    double sum = 0;
    for (Integer i = 1; i <= printCount; ++i) {
        TgrCol* col = grid->Col(grid->DataColOfDisplay(i));
        if (col && col->Visible()) sum += col->Width() + 8;
    }
    return printableWidth > 0 && sum > printableWidth ? sum / double(printableWidth) : 1.0;
}

void TfmPrintDbGrid::LayOutColumns(TgrCustomDBGrid* grid, Integer printableWidth) {
    columns_.clear();
    totals_.clear();
    Integer printCount = grid->Cols();
    if (grid->PrintCols() > 0 && grid->PrintCols() < grid->Cols()) printCount = grid->PrintCols();
    scale_ = CalcScale(grid, printCount, printableWidth);
    Integer x = 2;
    for (Integer i = 1; i <= printCount; ++i) {
        Integer dataCol = grid->DataColOfDisplay(i);
        TgrCol* col = grid->Col(dataCol);
        if (!col || !col->Visible()) continue;
        // A column that would end past the page ends the list.
        if (x + RoundEven(col->Width() / scale_) > printableWidth) break;
        TgrPrintColumn pc;
        pc.DisplayCol = i;
        pc.DataCol = dataCol;
        pc.Left = x;
        pc.Width = col->Width();
        if (grid->PrintTotals() && col->PrintTotals()) {
            pc.Total = Integer(totals_.size());
            totals_.push_back(TosReportTotal{dataCol, "Total" + std::to_string(i), 3, 0});
        }
        columns_.push_back(pc);
        x += RoundEven((col->Width() + 8) / scale_);
    }
}

void TfmPrintDbGrid::BuildReport(TgrCustomDBGrid* grid) {
    // Nothing of the previous report stays.
    columns_.clear();
    totals_.clear();
    records_.clear();
    grid_ = grid;
    qrGrid.Orientation = orientation_ == pmPortrait ? poPortrait : poLandscape;
    qrGrid.Title = title_;
    TFont* font = grid->Font();
    std::string fontName = font->Name();
    double fontSize = font->Size();

    // Page header: date and time, title, page number.
    TgrReportBand& header = qrGrid.PageHeader;
    header.Controls.clear();
    header.Height = 40;
    Integer pageLabelLeft = qrGrid.PrintableWidth() - 50;
    const Integer pageLabelWidth = 30;
    header.Controls.push_back({rckLabel, "QRLabel1", 4, 4, 52, 14, "Date time:"});
    header.Controls.push_back({rckSysData, "QRSysData1", 56, 4, 160, 14, "", sdDateTime});
    TgrReportControl title{rckSysData, "qrReportTitle", 0, 4, qrGrid.PrintableWidth(), 24, "", sdReportTitle};
    title.FontSize = 14;
    title.FontStyle = fsBold;
    title.Alignment = taCenter;
    header.Controls.push_back(title);
    header.Controls.push_back({rckLabel, "qlPageLabel", pageLabelLeft, 4, pageLabelWidth, 14, "Page:"});
    header.Controls.push_back(
        {rckSysData, "qsPageNo", pageLabelLeft + pageLabelWidth + 4, 4, 40, 14, "", sdPageNumber});

    // Detail rows share the page below the headers.
    Integer lines = std::max<Integer>(grid->PrintLinesPerPage(), 1);
    Integer available = qrGrid.PageHeight() - qrGrid.PageHeader.Height - qrGrid.ColumnHeader.Height -
                        qrGrid.MarginTop - qrGrid.MarginBottom;
    rowHeight_ = RoundEven(double(available) / double(lines)) - 1;
    qrGrid.Detail.Height = rowHeight_;

    LayOutColumns(grid, qrGrid.PrintableWidth());
    qrGrid.ColumnHeader.Controls.clear();
    qrGrid.ColumnHeader.FrameBottom = true;
    qrGrid.Detail.Controls.clear();
    qrGrid.Summary.Controls.clear();
    double detailSize = std::max(1.0, double(RoundEven(fontSize / scale_)));
    for (const TgrPrintColumn& pc : columns_) {
        TgrCol* col = grid->Col(pc.DataCol);
        std::string n = std::to_string(pc.DisplayCol);
        TAlignment align = col->GetAlignment();
        if (TField* f = grid->FieldOfCol(pc.DataCol)) align = f->Alignment();
        if (grid->HeadingOn()) {
            TgrReportControl h{rckLabel, "Header" + n, pc.Left, 4, pc.Width, 16, col->GetHeading()};
            h.FontName = fontName;
            h.FontSize = detailSize;
            h.FontStyle = fsBold | fsUnderline;
            h.Alignment = align;
            qrGrid.ColumnHeader.Controls.push_back(h);
        }
        if (pc.Total >= 0) {
            TgrReportControl t{rckLabel, "Total" + n, pc.Left, 4, pc.Width, 16};
            t.FontName = fontName;
            t.FontSize = detailSize;
            t.FontStyle = fsBold;
            t.Alignment = align;
            t.FrameTop = true;
            qrGrid.Summary.Controls.push_back(t);
        }
        TgrReportControl d{rckLabel, "Col" + n, pc.Left, 0, pc.Width, rowHeight_, col->GetHeading()};
        TgrDBField* adapter = grid->FieldAdapter(pc.DataCol);
        TgrControlType type = col->ControlType();
        if (adapter && type == ctDefault) type = adapter->DefaultControlType();
        if (adapter && adapter->IsMemo()) d.Kind = rckRichText;
        else if (type == ctCheck || type == ctPicture) {
            // The picture keeps its own size, cut to the control.
            d.Kind = rckImage;
            d.Left = pc.Left + RoundEven(pc.Width / 2.0) - 6;
            d.Width = pc.Width;
            d.Height = rowHeight_;
        }
        d.FontName = fontName;
        d.FontSize = detailSize;
        d.FontStyle = font->Style();
        d.FontColor = font->Color();
        d.Alignment = align;
        if (d.Kind != rckImage) {
            TColor c = col->Color();
            if (Integer(c) > 0 && ColorSet(c)) d.Color = c;
            else if (col->GetReadOnly()) d.Color = clSilver;
            d.WordWrap = col->WordWrap() == wwOn || (col->WordWrap() == wwDefault && grid->WordWrap() == wwOn);
        }
        qrGrid.Detail.Controls.push_back(d);
    }
    TgrReportControl count{rckLabel, "laRecordCount", 20, 44, 300, 16, "0 Records"};
    count.FontSize = 9;
    count.FontStyle = fsBold;
    qrGrid.Summary.Controls.push_back(count);
    TgrReportControl end{rckLabel, "qrEndOfReport", 20, 64, 400, 16, endText_.empty() ? "*** End of Report ***" : endText_};
    end.FontSize = 10;
    end.FontStyle = fsBold;
    qrGrid.Summary.Controls.push_back(end);
    printedRecords_ = 0;
}

void TfmPrintDbGrid::PrintReport() { Run(false); }

void TfmPrintDbGrid::PreviewReport() { Run(true); }

void TfmPrintDbGrid::CollectBookmarks() {
    records_.clear();
    TDataSet* ds = grid_ ? grid_->DataSet() : nullptr;
    if (!ds || !grid_->DataActive() || ds->IsEmpty()) return;
    // The walk keeps the grid from painting, disables the dataset's
    // controls and comes back to the record it started on.
    grid_->ForEachRecord([this, ds](const Variant&) { records_.push_back(ds->GetBookmark()); });
}

void TfmPrintDbGrid::Run(bool preview) {
    recordIndex_ = 1;
    printedRecords_ = 0;
    for (TosReportTotal& t : totals_) {
        t.Sum = 0;
        t.Kind = 3;
    }
    CollectBookmarks();
    TDataSet* ds = grid_ ? grid_->DataSet() : nullptr;
    if (!ds || !grid_->DataActive()) return;
    // The run moves the dataset record by record with its controls
    // disabled; it comes back to its record afterwards, also after an error.
    std::string back = ds->IsEmpty() ? std::string() : ds->GetBookmark();
    ds->DisableControls();
    auto restore = [&] {
        if (!back.empty() && ds->BookmarkValid(back)) ds->GotoBookmark(back);
        ds->EnableControls();
        recordIndex_ = 1;
    };
    try {
        if (preview) qrGrid.Preview();
        else qrGrid.Print();
    } catch (...) {
        try {
            restore();
        } catch (...) {
        }
        throw;
    }
    restore();
}

void TfmPrintDbGrid::qrGridNeedData(TObject*, bool& moreData) {
    moreData = false;
    if (!grid_) return;
    // Every collected record prints (the window holds only the visible ones).
    if (recordIndex_ <= records_.size()) {
        moreData = true;
        TDataSet* ds = grid_->DataSet();
        ds->GotoBookmark(records_[recordIndex_ - 1]);
        Variant dataRow = grid_->DataRowOfDataSetRecord();
        bool cancel = false;
        grid_->DoPrintRow(dataRow, cancel);
        if (cancel) {
            qrGrid.Detail.Height = 0;
        } else {
            FillDetailBand(dataRow);
            ++printedRecords_;
        }
        if (recordIndex_ == records_.size() && grid_->PrintTotals()) ShowTotals();
    }
    ++recordIndex_;
    if (TgrReportControl* c = qrGrid.Summary.Find("laRecordCount"))
        c->Caption = std::to_string(printedRecords_) + " Records ";
}

void TfmPrintDbGrid::FillDetailBand(const Variant& dataRow) {
    qrGrid.Detail.Height = rowHeight_;
    TgrReportBand& band = qrGrid.Detail;
    for (std::size_t i = 0; i < columns_.size() && i < band.Controls.size(); ++i) {
        const TgrPrintColumn& pc = columns_[i];
        TgrReportControl& control = band.Controls[i];
        bool cancel = false;
        grid_->DoPrintCell(pc.DataCol, dataRow, cancel);
        Variant value = cancel ? Variant() : grid_->ReadActiveRecordCellValue(pc.DataCol, dataRow);
        // A graphic field's picture travels as a reference, not as text.
        bool reference = !value.IsString() && control.Kind == rckImage && VariantToObject(value);
        std::string text = value.IsEmpty() || value.IsNull() || reference ? std::string() : value.AsString();
        switch (control.Kind) {
            case rckRichText:
                // Memo texts pass through the shared rich-text source.
                RichEdit1.Caption = text;
                control.Caption = RichEdit1.Caption;
                break;
            case rckImage: {
                TgrCol* col = grid_->Col(pc.DataCol);
                bool check = col->ControlType() == ctCheck ||
                             (col->ControlType() == ctDefault && grid_->FieldAdapter(pc.DataCol) &&
                              grid_->FieldAdapter(pc.DataCol)->DefaultControlType() == ctCheck);
                control.Picture.reset();
                if (cancel) break;
                if (check) control.Picture = !value.IsEmpty() && !value.IsNull() && value == Variant(1) ? checked_ : unchecked_;
                else if (!value.IsString() && VariantToObject(value))
                    control.Picture = PictureCopy(static_cast<TBitmap*>(VariantToObject(value)));
                else control.Picture = ImageListPicture(text);
                break;
            }
            default:
                if (grid_->PrintWithGridFormats()) ApplyGridFormats(control, pc.DataCol, dataRow);
                control.Caption = text;
                if (pc.Total >= 0 && !cancel) AddToTotal(control, totals_[std::size_t(pc.Total)]);
                break;
        }
    }
}

std::shared_ptr<TBitmap> TfmPrintDbGrid::ImageListPicture(const std::string& name) {
    TgrImageListComponent* list = grid_->ImageList();
    if (!list || name.empty()) return nullptr;
    TColor transparent = clNone;
    return PictureCopy(list->FindImage(name, transparent));
}

std::shared_ptr<TBitmap> TfmPrintDbGrid::PictureCopy(TBitmap* image) {
    if (!image || image->Empty()) return nullptr;
    // A copy: the report keeps its pictures until it is printed, the list
    // or the record may change meanwhile.
    auto copy = std::make_shared<TBitmap>();
    copy->Assign(image);
    return copy;
}

void TfmPrintDbGrid::ApplyGridFormats(TgrReportControl& label, Integer dataCol, const Variant& dataRow) {
    label.Color = grid_->RecordCellColor(dataCol, dataRow);
    if (label.Color == grid_->Color()) label.Color = clNone;
    label.FontColor = grid_->Font()->Color();
    // A cell whose record cell, record row or column has a font of its own
    // prints in it (at the report's scale).
    TFont* own = grid_->ResolveCellFont(grid_->DisplayColOfData(dataCol), dataRow);
    if (own && own != grid_->Font()) {
        label.FontName = own->Name();
        label.FontSize = std::max(1.0, double(RoundEven(own->Size() / scale_)));
        label.FontStyle = own->Style();
        label.FontColor = own->Color();
    }
    if (grid_->OnGetDrawInfo) {
        TFont font;
        font.SetColor(grColorNotSet);
        font.SetStyle(0);
        TgrDrawInfo info;
        info.Font = &font;
        info.Color = grColorNotSet;
        info.WordWrap = wwOff;
        grid_->OnGetDrawInfo(grid_, dataCol, dataRow, info);
        label.Color = ColorSet(info.Color) ? info.Color : clNone;
        TFont* f = info.Font ? info.Font : &font;
        if (ColorSet(f->Color())) label.FontColor = f->Color();
        label.FontStyle = f->Style();
    }
}

void TfmPrintDbGrid::ShowTotals() {
    for (const TgrPrintColumn& pc : columns_) {
        if (pc.Total < 0) continue;
        const TosReportTotal& total = totals_[std::size_t(pc.Total)];
        TgrReportControl* c = qrGrid.Summary.Find(total.Label);
        if (!c) continue;
        try {
            c->Caption = total.Text();
        } catch (const std::exception&) {
        }
    }
}

// ------------------------------------------------------------ grid side

void TgrCustomDBGrid::PreparePrint() {
    printCancelled_ = false;
    std::string title = PrintTitle(), endText;
    TgrPrintMode orientation = PrintOrientation();
    if (OnPrintGrid) OnPrintGrid(this, printCancelled_, title, endText, orientation);
    if (printCancelled_) return;
    printWindow_ = TfmPrintDbGrid::Shared();
    printWindow_->SetTitle(title);
    printWindow_->SetEndText(endText);
    printWindow_->SetOrientation(orientation);
    printWindow_->BuildReport(this);
}

void TgrCustomDBGrid::PrintGrid() {
    if (!PostEdit()) return;
    PreparePrint();
    if (!printCancelled_) printWindow_->PrintReport();
}

void TgrCustomDBGrid::PreviewGrid() {
    if (!PostEdit()) return;
    PreparePrint();
    if (!printCancelled_) printWindow_->PreviewReport();
}
