#include "report/BaseReport.h"

#include <cmath>
#include <limits>

#include "platform/core/MathUtils.h"
#include "platform/core/Strings.h"
#include "platform/core/UiQueue.h"

namespace {
int RoundInt(double v) { return int(std::nearbyint(v)); }  // default rounding mode: halves to even
}  // namespace

TBaseReport::TBaseReport(TComponent* owner) : TVpComponent(owner) {
    font_ = InitialReportFont();
    for (auto& slot : fontSlots_) slot = InitialReportFont();
    UpdateDeviceMetrics();
    ReapplyMargins();
    columnPitch_ = sectionRight_ - sectionLeft_;
    AddPageEndHandler([](TBaseReport* report) { report->FlushLines(); });
}

TBaseReport::~TBaseReport() {
    if (statusLabel_) statusLabel_->RemoveFreeNotification(this);
    if (printing_) {
        TVPBaseDevice* device = outputDevice_;
        if (device && device->Printing) {
            try {
                device->AbortDoc();
            } catch (...) {
            }
        }
    }
    if (fontHooked_) UnhookFontChange();
}

// ------------------------------------------------------------------ events

void TBaseReport::DoPrint() {
    if (OnPrint) OnPrint(this);
}

bool TBaseReport::DoPrintPage() {
    if (!OnPrintPage) return false;
    return OnPrintPage(this, currentPage_);
}

void TBaseReport::DoBeforePrint() {
    if (OnBeforePrint) OnBeforePrint(this);
    if (!(appliedOrientation_ == poDefault && requestedOrientation_ == poDefault)) ApplyOrientation();
}

void TBaseReport::DoAfterPrint() {
    if (OnAfterPrint) OnAfterPrint(this);
}

void TBaseReport::DoNewPage() {
    if (OnNewPage) OnNewPage(this);
}

void TBaseReport::DoNewColumn() {
    if (OnNewColumn) OnNewColumn(this);
}

void TBaseReport::DoPrintHeader() {
    if (OnPrintHeader) OnPrintHeader(this);
}

void TBaseReport::DoPrintFooter() {
    if (OnPrintFooter) OnPrintFooter(this);
}

void TBaseReport::DoEndOfSection() {
    if (OnEndOfSection) OnEndOfSection(this);
}

// ------------------------------------------------------------------ device

TVPBaseDevice* TBaseReport::OutputDevice() { return outputDevice_ ? outputDevice_ : GetPrinterDevice(); }

bool TBaseReport::NoPrinter() {
    TVpPrinterDevice* printer = GetPrinterDevice();
    return !printer || printer->NoPrinters();
}

TCanvas* TBaseReport::GetCanvas() {
    TVPBaseDevice* device = OutputDevice();
    if (!device || !device->Printing) RaiseReportError(Trans("Error!  Canvas not yet active."));
    return device->GetCanvas();
}

void TBaseReport::UpdateDeviceMetrics() {
    leftWaste_ = rightWaste_ = topWaste_ = bottomWaste_ = 0;
    TVPBaseDevice* device = OutputDevice();
    if (NoPrinter()) {
        if (device) {
            xdpi_ = device->GetXDPI();
            ydpi_ = device->GetYDPI();
        }
        return;
    }
    int kind = GetOutputKind();
    if (kind == 0 || kind == 2) {
        if (TVpPrinterDevice* printer = GetPrinterDevice()) printer->ResetDevice(false);
        xdpi_ = device->GetXDPI();
        ydpi_ = device->GetYDPI();
        TRect w = device->GetWaste();
        leftWaste_ = double(w.Left) / xdpi_;
        rightWaste_ = double(w.Right) / xdpi_;
        topWaste_ = double(w.Top) / ydpi_;
        bottomWaste_ = double(w.Bottom) / ydpi_;
    }
}

// ------------------------------------------------------------------- units

void TBaseReport::SetUnits(TPrintUnits units) {
    units_ = units;
    switch (units) {
        case unInch: unitsFactor_ = 1; break;
        case unMM: unitsFactor_ = 25.4; break;
        case unCM: unitsFactor_ = 2.54; break;
        case unPoint: unitsFactor_ = 72; break;
        case unUser: break;
    }
}

void TBaseReport::SetUnitsFactor(double factor) {
    if (factor <= 0) return;
    unitsFactor_ = factor;
    if (factor == 1)
        units_ = unInch;
    else if (factor == 25.4)
        units_ = unMM;
    else if (factor == 2.54)
        units_ = unCM;
    else if (factor == 72)
        units_ = unPoint;
    else
        units_ = unUser;
}

int TBaseReport::XI2D(double inches) const {
    return RoundInt(((inches + originX_) * scaleX_ / 100.0 - leftWaste_) * xdpi_);
}

int TBaseReport::YI2D(double inches) const {
    return RoundInt(((inches + originY_) * scaleY_ / 100.0 - topWaste_) * ydpi_);
}

double TBaseReport::XD2I(int device) const {
    return (double(device) / xdpi_ + leftWaste_) / (scaleX_ / 100.0) - originX_;
}

double TBaseReport::YD2I(int device) const {
    return (double(device) / ydpi_ + topWaste_) / (scaleY_ / 100.0) - originY_;
}

TRect TBaseReport::UnitsToDeviceRect(double x1, double y1, double x2, double y2) const {
    return TRect(XU2D(x1), YU2D(y1), XU2D(x2), YU2D(y2));
}

// ----------------------------------------------------------- page geometry

double TBaseReport::PageWidthIn() {
    if (NoPrinter()) return UnitsToInchesX(noPrinterPageWidth_);
    return double(OutputDevice()->GetPageWidth()) / xdpi_ + leftWaste_ + rightWaste_;
}

double TBaseReport::PageHeightIn() {
    if (NoPrinter()) return UnitsToInchesY(noPrinterPageHeight_);
    return double(OutputDevice()->GetPageHeight()) / ydpi_ + topWaste_ + bottomWaste_;
}

double TBaseReport::GetPageWidth() {
    if (NoPrinter()) return noPrinterPageWidth_;
    return InchesToUnitsX(PageWidthIn());
}

double TBaseReport::GetPageHeight() {
    if (NoPrinter()) return noPrinterPageHeight_;
    return InchesToUnitsY(PageHeightIn());
}

void TBaseReport::SetMarginLeft(double x) {
    marginLeft_ = x;
    leftMarginPos_ = UnitsToInchesX(x);
    SetSectionLeft(x);
}

void TBaseReport::SetMarginTop(double y) {
    marginTop_ = y;
    topMarginPos_ = UnitsToInchesY(y);
    SetSectionTop(y);
}

void TBaseReport::SetMarginRight(double x) {
    marginRight_ = x;
    rightMarginPos_ = PageWidthIn() - UnitsToInchesX(x);
    SetSectionRight(InchesToUnitsX(rightMarginPos_));
}

void TBaseReport::SetMarginBottom(double y) {
    marginBottom_ = y;
    bottomMarginPos_ = PageHeightIn() - UnitsToInchesY(y);
    SetSectionBottom(InchesToUnitsY(bottomMarginPos_));
}

void TBaseReport::SetSectionLeft(double x) {
    sectionLeft_ = UnitsToInchesX(x);
    if (cursorX_ < sectionLeft_) cursorX_ = sectionLeft_;
}

void TBaseReport::SetSectionRight(double x) {
    sectionRight_ = UnitsToInchesX(x);
    if (cursorX_ > sectionRight_) cursorX_ = sectionRight_;
}

void TBaseReport::SetSectionTop(double y) {
    sectionTop_ = UnitsToInchesY(y);
    if (cursorY_ < sectionTop_) cursorY_ = sectionTop_;
}

void TBaseReport::SetSectionBottom(double y) {
    sectionBottom_ = UnitsToInchesY(y);
    if (cursorY_ > sectionBottom_) cursorY_ = sectionBottom_;
}

void TBaseReport::ResetSection() {
    sectionLeft_ = leftMarginPos_;
    sectionRight_ = rightMarginPos_;
    sectionTop_ = topMarginPos_;
    sectionBottom_ = bottomMarginPos_;
}

// --------------------------------------------------------------- positions

void TBaseReport::SetXPos(double x) { cursorX_ = UnitsToInchesX(x); }

void TBaseReport::SetYPos(double y) {
    ResetLineHeight();
    cursorY_ = UnitsToInchesY(y);
}

void TBaseReport::GotoXY(double x, double y) {
    SetXPos(x);
    SetYPos(y);
}

void TBaseReport::PushPos() {
    if (!posStack_) posStack_ = std::make_unique<std::vector<TPosition>>();
    posStack_->push_back({cursorX_, cursorY_});
}

bool TBaseReport::PopPos() {
    if (!posStack_ || posStack_->empty()) return false;
    cursorX_ = posStack_->back().X;
    cursorY_ = posStack_->back().Y;
    posStack_->pop_back();
    if (posStack_->empty()) posStack_.reset();
    return true;
}

bool TBaseReport::SavePos(int n) {
    if (n < 1 || n > 10) return false;
    posSlots_[n - 1] = TPosition{cursorX_, cursorY_};
    return true;
}

bool TBaseReport::RestorePos(int n) {
    if (n < 1 || n > 10 || !posSlots_[n - 1]) return false;
    cursorX_ = posSlots_[n - 1]->X;
    cursorY_ = posSlots_[n - 1]->Y;
    return true;
}

// ------------------------------------------------------------------- lines

void TBaseReport::SetLineHeight(double h) {
    lineHeight_ = UnitsToInchesY(h);
    lineHeightMethod_ = lhmUser;
}

void TBaseReport::SetLinesPerInch(int n) {
    if (n <= 0) return;
    linesPerInch_ = n;
    ResetLineHeight();
}

void TBaseReport::ResetLineHeight() {
    if (!printing_) return;
    SelectRpFont();
    ascent_ = font_.Ascent;
    descent_ = font_.Descent;
    switch (lineHeightMethod_) {
        case lhmLinesPerInch: lineHeight_ = 1.0 / linesPerInch_; break;
        case lhmFont: lineHeight_ = font_.Size / 60.0; break;
        case lhmUser: break;
    }
}

void TBaseReport::SetLineNum(int n) {
    lineNum_ = n;
    ResetLineHeight();
    ResetTabs();
    cursorX_ = ColumnStartIn();
    cursorY_ = n * lineHeight_ + sectionTop_ - descent_;
}

void TBaseReport::AdjustLine() {
    if (printing_) SetLineTop(LineTop());
}

void TBaseReport::CR() { cursorX_ = ColumnStartIn(); }

void TBaseReport::LF() {
    ResetLineHeight();
    ++lineNum_;
    cursorY_ += lineHeight_;
}

void TBaseReport::NewLine() {
    SoftLine();
    AfterNewLine();
}

void TBaseReport::SoftLine() {
    if (columnNum_ >= columns_ || LinesLeft() > 1) {
        CR();
        LF();
    } else {
        SetLineNum(1);
        SetColumnNum(columnNum_ + 1);
        DoNewColumn();
    }
    ResetTabs();
    if (sectionBottom_ <= UnitsToInchesY(LineBottom())) DoEndOfSection();
}

namespace {
// A count of lines worked out in floating point; a tiny line height or many
// columns give more lines than an int holds, which count as the most.
int LineCount(double lines) {
    if (!(lines > 0)) return 0;
    if (lines >= double(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    return int(lines);
}
}  // namespace

int TBaseReport::LinesLeft() {
    double fontBottom = cursorY_ + descent_;
    if (fontBottom > sectionBottom_ + 1e-9) return 0;
    if (lineHeight_ <= 0) return 0;
    return LineCount(std::trunc((sectionBottom_ - fontBottom) / lineHeight_ + 1e-9) + 1);
}

int TBaseReport::ColumnLinesLeft() {
    double fontBottom = cursorY_ + descent_;
    if (columnNum_ >= columns_) return fontBottom > sectionBottom_ + 1e-9 ? 0 : LinesLeft();
    if (lineHeight_ <= 0) return LinesLeft();
    const double perColumn = std::trunc((sectionBottom_ - sectionTop_) / lineHeight_ + 1e-9);
    return LineCount(double(LinesLeft()) + (double(columns_) - double(columnNum_)) * perColumn);
}

void TBaseReport::GotoHeader() {
    ResetLineHeight();
    cursorX_ = ColumnStartIn();
    cursorY_ = sectionTop_ + lineHeight_ - descent_;
}

void TBaseReport::GotoFooter() {
    cursorX_ = ColumnStartIn();
    cursorY_ = sectionBottom_ - descent_;
}

void TBaseReport::Home() {
    SetColumnNum(1);
    SetLineNum(1);
}

void TBaseReport::SetTopOfPage() {
    sectionTop_ = cursorY_ + descent_;
    SetLineNum(0);
}

double TBaseReport::FontTop() { return InchesToUnitsY(cursorY_ - ascent_); }
double TBaseReport::FontBaseline() { return InchesToUnitsY(cursorY_); }
double TBaseReport::FontBottom() { return InchesToUnitsY(cursorY_ + descent_); }
double TBaseReport::LineTop() { return InchesToUnitsY(cursorY_ + descent_ - lineHeight_); }
double TBaseReport::LineMiddle() { return InchesToUnitsY(cursorY_ + descent_ - lineHeight_ / 2); }
double TBaseReport::LineBottom() { return InchesToUnitsY(cursorY_ + descent_); }

void TBaseReport::SetFontTop(double v) {
    ResetLineHeight();
    cursorY_ = UnitsToInchesY(v) + ascent_;
}

void TBaseReport::SetFontBaseline(double v) {
    ResetLineHeight();
    cursorY_ = UnitsToInchesY(v);
}

void TBaseReport::SetFontBottom(double v) {
    ResetLineHeight();
    cursorY_ = UnitsToInchesY(v) - descent_;
}

void TBaseReport::SetLineTop(double v) {
    ResetLineHeight();
    cursorY_ = UnitsToInchesY(v) + lineHeight_ - descent_;
}

void TBaseReport::SetLineMiddle(double v) {
    ResetLineHeight();
    cursorY_ = UnitsToInchesY(v) + lineHeight_ / 2 - descent_;
}

void TBaseReport::SetLineBottom(double v) {
    ResetLineHeight();
    cursorY_ = UnitsToInchesY(v) - descent_;
}

// ----------------------------------------------------------------- columns

void TBaseReport::SetColumnNum(int n) {
    columnNum_ = n;
    cursorX_ = ColumnStartIn();
    ResetTabs();
}

void TBaseReport::SetColumns(int n, double gap) {
    if (n < 1) n = 1;
    columnGap_ = UnitsToInchesX(gap);
    columnPitch_ = (columnGap_ + (sectionRight_ - sectionLeft_)) / n;
    columns_ = n;
    SetColumnNum(1);
    DoNewColumn();
}

void TBaseReport::SetColumnWidth(double width, double gap) {
    double sectionWidth = sectionRight_ - sectionLeft_;
    columnPitch_ = UnitsToInchesX(width + gap);
    if (columnPitch_ <= 0) columnPitch_ = sectionWidth;
    columnGap_ = UnitsToInchesX(gap);
    columns_ = int(std::trunc(sectionWidth / columnPitch_ + 1e-9));
    SetColumnNum(1);
    DoNewColumn();
}

void TBaseReport::ClearColumns() {
    columnPitch_ = sectionRight_ - sectionLeft_;
    columnGap_ = 0;
    columns_ = 1;
    SetColumnNum(1);
}

void TBaseReport::NewColumn() {
    if (columnNum_ >= columns_) {
        NewPage();
    } else {
        SetLineNum(1);
        SetColumnNum(columnNum_ + 1);
        DoNewColumn();
    }
}

// ------------------------------------------------------------- run control

void TBaseReport::CheckPrinting() {
    if (!printing_) RaiseReportError(Trans("Invalid method call.  ReportPrinter is not printing."));
    if (aborted_) throw EReportAbort();
}

void TBaseReport::CheckNotPrinting() {
    if (printing_) RaiseReportError(Trans("Invalid method call.  ReportPrinter already printing."));
}

void TBaseReport::ApplyOrientation() {
    if (NoPrinter()) {
        if (requestedOrientation_ != appliedOrientation_ &&
            (requestedOrientation_ == poLandScape || appliedOrientation_ == poLandScape))
            std::swap(noPrinterPageWidth_, noPrinterPageHeight_);
    } else if (requestedOrientation_ != poDefault) {
        OutputDevice()->SetOrientation(requestedOrientation_);
        if (TVpPrinterDevice* printer = GetPrinterDevice()) printer->SetOrientation(requestedOrientation_);
        UpdateDeviceMetrics();
    }
    appliedOrientation_ = requestedOrientation_;
}

void TBaseReport::SetOrientation(TOrientation o) {
    requestedOrientation_ = o;
    if (!printing_) ApplyOrientation();
}

void TBaseReport::Execute() {
    ApplyOrientation();
    BeginDoc();
    try {
        if (OnPrint || !OnPrintPage) {
            DoPrint();
        } else {
            while (DoPrintPage() && !aborted_) NewPage();
        }
    } catch (const EReportAbort&) {
        EndDoc();
        return;
    } catch (...) {
        try {
            EndDoc();
        } catch (...) {
        }
        throw;
    }
    EndDoc();
}

void TBaseReport::NewPage() {
    ApplyOrientation();
    CheckPrinting();
    ++currentPage_;
    UpdateStatus();
    pageInvalid_ = !(PageInSelection(currentPage_) && !aborted_);
    originX_ = 0;
    originY_ = 0;
    ResetTabs();
    SetMarginBottom(marginBottom_);
    SetMarginRight(marginRight_);
    ResetSection();
    Home();
}

void TBaseReport::AbortPage() {
    CheckPrinting();
    if (!pageInvalid_) {
        pageInvalid_ = true;
        --currentPage_;
    }
}

void TBaseReport::Abort() {
    aborted_ = true;
    pageInvalid_ = true;
}

bool TBaseReport::GetOutputInvalid() { return pageInvalid_ || !(allowedKinds_ & (1u << GetOutputKind())); }

bool TBaseReport::PageInSelection(int page) const {
    if (Selection.empty()) return page >= FirstPage && page <= LastPage;
    return SelectionContains(Selection, page);
}

bool SelectionContains(const std::string& selection, int page) {
    std::string token;
    std::optional<int> rangeStart;
    auto judge = [&](std::string t) -> bool {
        t = UpperCase(Trim(t));
        bool hit = false;
        if (t == "E" || t == "EVEN")
            hit = page % 2 == 0;
        else if (t == "O" || t == "ODD")
            hit = page % 2 == 1;
        else if (t == "A" || t == "ALL")
            hit = true;
        else if (t == "R")
            hit = false;
        else if (t.empty())
            hit = rangeStart && page >= *rangeStart;
        else {
            int n = StrToInt(t);
            hit = rangeStart ? (page >= *rangeStart && page <= n) : page == n;
        }
        rangeStart.reset();
        return hit;
    };
    for (char c : selection) {
        if (c == ',') {
            if (judge(token)) return true;
            token.clear();
        } else if (c == '-') {
            std::string t = Trim(token);
            rangeStart = t.empty() ? 1 : StrToInt(t);
            token.clear();
        } else {
            token += c;
        }
    }
    return judge(token);
}

// ------------------------------------------------------------------ status

void TBaseReport::SetStatusLabel(TControl* label) {
    if (statusLabel_) statusLabel_->RemoveFreeNotification(this);
    statusLabel_ = label;
    if (label) label->FreeNotification(this);
}

void TBaseReport::Notification(TComponent* component, TOperation operation) {
    TVpComponent::Notification(component, operation);
    if (operation == opRemove && component == statusLabel_) statusLabel_ = nullptr;
}

std::string TBaseReport::StatusString() {
    std::string s = StatusFormat;
    size_t i = s.find('%');
    while (i != std::string::npos && i + 1 < s.size()) {
        char code = char(std::toupper(static_cast<unsigned char>(s[i + 1])));
        std::string value;
        if (code == '%')
            value = "%";
        else if (code >= '0' && code <= '9') {
            int line = code - '0';
            value = line < StatusText.Count() ? StatusText[line] : "";
        } else if (code == 'C')
            value = IntToStr(CurrentPass);
        else if (code == 'D')
            value = GetDeviceName();
        else if (code == 'F')
            value = IntToStr(FirstPage);
        else if (code == 'L')
            value = IntToStr(LastPage);
        else if (code == 'N')
            value = "\r";
        else if (code == 'P')
            value = IntToStr(currentPage_);
        else if (code == 'R')
            value = GetDriverName();
        else if (code == 'S')
            value = IntToStr(TotalPasses);
        else if (code == 'T')
            value = GetPort();
        else
            value = std::string("<ERROR-%") + code + ">";
        s.replace(i, 2, value);
        i = s.find('%', i + value.size());
    }
    return s;
}

void TBaseReport::UpdateStatus() {
    if (!statusLabel_) return;
    statusLabel_->SetCaption(StatusString());
    ProcessMessages();
}

// -------------------------------------------------------- printer settings

void TBaseReport::SetCopies(int n) {
    CheckNotPrinting();
    if (!NoPrinter() && n > 0) GetPrinterDevice()->SetCopies(n);
    copies_ = n;
}

int TBaseReport::GetPrinterIndex() { return NoPrinter() ? -1 : GetPrinterDevice()->GetPrinterIndex(); }

void TBaseReport::SetPrinterIndex(int n) {
    CheckNotPrinting();
    if (n < -1) return;
    if (!NoPrinter() || n >= 0) {
        TVpPrinterDevice* printer = GetPrinterDevice();
        if (printer) printer->SetPrinterIndex(n);
        if (!NoPrinter()) ReapplyMargins();
    }
}

void TBaseReport::SetOutputName(const std::string& name) {
    CheckNotPrinting();
    if (NoPrinter()) return;
    outputName_ = name;
    GetPrinterDevice()->SetOutputName(name);
}

std::string TBaseReport::GetDeviceName() {
    if (GetOutputKind() == 1) return "Preview";
    TVpPrinterDevice* printer = GetPrinterDevice();
    return printer ? printer->GetDeviceName() : "Render";
}

std::string TBaseReport::GetDriverName() {
    if (GetOutputKind() == 1) return "Preview";
    TVpPrinterDevice* printer = GetPrinterDevice();
    return printer ? printer->GetDriverName() : "Render";
}

std::string TBaseReport::GetPort() {
    if (GetOutputKind() == 1) return "Screen";
    TVpPrinterDevice* printer = GetPrinterDevice();
    return printer ? printer->GetPort() : "Render";
}

bool TBaseReport::Collate() { return NoPrinter() ? collate_ : GetPrinterDevice()->GetCollate(); }

void TBaseReport::SetCollate(bool v) {
    collate_ = v;
    if (!NoPrinter()) GetPrinterDevice()->SetCollate(v);
}

TDuplex TBaseReport::Duplex() { return NoPrinter() ? duplex_ : GetPrinterDevice()->GetDuplex(); }

void TBaseReport::SetDuplex(TDuplex v) {
    duplex_ = v;
    if (!NoPrinter()) GetPrinterDevice()->SetDuplex(v);
}

void TBaseReport::SelectBin(const std::string& name) {
    TVPBaseDevice* device = OutputDevice();
    if (device && !device->SelectBin(name, true)) device->SelectBin(name, false);
}

void TBaseReport::ReapplyMargins() {
    CheckNotPrinting();
    UpdateDeviceMetrics();
    SetMarginLeft(marginLeft_);
    SetMarginRight(marginRight_);
    SetMarginTop(marginTop_);
    SetMarginBottom(marginBottom_);
    ResetSection();
}

void TBaseReport::Assign(const TBaseReport& s) {
    FirstPage = s.FirstPage;
    LastPage = s.LastPage;
    Selection = s.Selection;
    SetStatusLabel(s.statusLabel_);
    StatusFormat = s.StatusFormat;
    StatusText.Assign(s.StatusText);
    lineHeightMethod_ = s.lineHeightMethod_;
    lineHeight_ = s.lineHeight_;
    linesPerInch_ = s.linesPerInch_;
    units_ = s.units_;
    unitsFactor_ = s.unitsFactor_;
    SetMarginLeft(s.marginLeft_);
    SetMarginRight(s.marginRight_);
    SetMarginTop(s.marginTop_);
    SetMarginBottom(s.marginBottom_);
    TabShade = s.TabShade;
    TabColor = s.TabColor;
    BoxLineColor = s.BoxLineColor;
    Title = s.Title;
    textBKMode_ = s.textBKMode_;
    copies_ = s.copies_;
    SetOrientation(s.requestedOrientation_);
    scaleX_ = s.scaleX_;
    scaleY_ = s.scaleY_;
    MacroData.Assign(s.MacroData);
    OnPrint = s.OnPrint;
    OnPrintPage = s.OnPrintPage;
    OnBeforePrint = s.OnBeforePrint;
    OnAfterPrint = s.OnAfterPrint;
    OnNewPage = s.OnNewPage;
    OnNewColumn = s.OnNewColumn;
    OnPrintHeader = s.OnPrintHeader;
    OnPrintFooter = s.OnPrintFooter;
}

void TBaseReport::RunPageStartHandlers() {
    for (auto& h : pageStartHandlers_) h(this);
}

void TBaseReport::RunPageEndHandlers() {
    for (auto& h : pageEndHandlers_) h(this);
}

// ---------------------------------------------------- pens, brushes, lines

int TBaseReport::PenWidthPixels(int width) const {
    if (width >= 0) return width;
    double px;
    if (width >= -10000)
        px = -width / 100.0 * xdpi_ * scaleX_ / 100.0;
    else
        px = (-width - 10000) / 10000.0 * xdpi_ * scaleX_ / 100.0;
    int r = RoundInt(px);
    return r == 0 ? 1 : r;
}

void TBaseReport::SetPen(TColor color, TPenStyle style, int width, TPenMode mode) {
    TPen* pen = GetCanvas()->Pen();
    pen->SetColor(color);
    pen->SetMode(mode);
    pen->SetWidth(PenWidthPixels(width));
    pen->SetStyle(style);
}

TPen TBaseReport::CreatePen(TColor color, TPenStyle style, int width, TPenMode mode) {
    TPen pen;
    pen.SetColor(color);
    pen.SetStyle(style);
    pen.SetMode(mode);
    if (width < 0) width = std::max(1, RoundInt(-width / 100.0 * xdpi_ * scaleX_ / 100.0));
    pen.SetWidth(width);
    return pen;
}

void TBaseReport::SetBrush(TColor color, TBrushStyle style, TBitmap* bitmap) {
    TBrush* brush = GetCanvas()->Brush();
    if (bitmap && !bitmap->Empty()) {
        if (!brushBitmap_) brushBitmap_ = std::make_unique<TBitmap>();
        brushBitmap_->Assign(bitmap);
    } else {
        brushBitmap_.reset();
    }
    brush->SetColor(color);
    brush->SetStyle(style);
    if (brush->OnChange) brush->OnChange(brush);
}

void TBaseReport::AllowPreviewOnly() {
    allowedKinds_ &= ~1u;
    allowedKinds_ |= 2u;
}

void TBaseReport::AllowPrinterOnly() {
    allowedKinds_ &= ~2u;
    allowedKinds_ |= 1u;
}

void TBaseReport::AllowAll() { allowedKinds_ |= 3u; }

void TBaseReport::SetBKColor(TColor color) {
    CheckPrinting();
    bkColor_ = color;
}

TColor TBaseReport::GetBKColor() { return bkColor_; }

void TBaseReport::BufferMoveTo(double x, double y) {
    lastX_ = x + InchesToUnitsX(originX_);
    lastY_ = y + InchesToUnitsY(originY_);
}

bool TBaseReport::BufferLineTo(double x, double y, double& fromX, double& fromY) {
    double px = x + InchesToUnitsX(originX_);
    double py = y + InchesToUnitsY(originY_);
    fromX = lastX_;
    fromY = lastY_;
    bool dx = px != lastX_, dy = py != lastY_;
    bool buffered = true;
    if (dx && dy)
        buffered = false;
    else if (dx)
        AddLine(hLines_, py, std::min(px, lastX_), std::max(px, lastX_));
    else
        AddLine(vLines_, px, std::min(py, lastY_), std::max(py, lastY_));
    lastX_ = px;
    lastY_ = py;
    return buffered;
}

void TBaseReport::AddLine(std::vector<TLineList>& list, double c, double lo, double hi) {
    const double tol = 0.0001;
    const TPen* pen = GetCanvas()->Pen();
    auto within = [tol](double v, const TLineList& s) { return v >= s.P1 - tol && v <= s.P2 + tol; };
    for (int i = int(list.size()) - 1; i >= 0; --i) {
        const TLineList& s = list[i];
        if (std::abs(c - s.C1) > tol || s.PenColor != pen->Color() || s.PenMode != pen->Mode() ||
            s.PenStyle != pen->Style() || s.PenWidth != pen->Width())
            continue;
        bool loIn = within(lo, s), hiIn = within(hi, s);
        if (loIn && hiIn) return;
        if (loIn) {
            lo = s.P1;
            list.erase(list.begin() + i);
        } else if (hiIn) {
            hi = s.P2;
            list.erase(list.begin() + i);
        } else if (s.P1 > lo && s.P2 < hi) {
            list.erase(list.begin() + i);
        }
    }
    TLineList seg;
    seg.C1 = c;
    seg.P1 = lo;
    seg.P2 = hi;
    seg.PenColor = pen->Color();
    seg.PenMode = Byte(pen->Mode());
    seg.PenStyle = Byte(pen->Style());
    seg.PenWidth = pen->Width();
    list.push_back(seg);
}

void TBaseReport::FlushLines() {
    if (hLines_.empty() && vLines_.empty()) return;
    bool buffering = NoBufferLine;
    NoBufferLine = true;
    TCanvas* canvas = GetCanvas();
    TPen saved;
    saved.Assign(*canvas->Pen());
    std::vector<TLineList> vertical = std::move(vLines_), horizontal = std::move(hLines_);
    vLines_.clear();
    hLines_.clear();
    double ox = InchesToUnitsX(originX_), oy = InchesToUnitsY(originY_);
    auto out = [&](const TLineList& s, bool isVertical) {
        TPen* pen = canvas->Pen();
        pen->SetColor(s.PenColor);
        pen->SetMode(TPenMode(s.PenMode));
        pen->SetStyle(TPenStyle(s.PenStyle));
        pen->SetWidth(s.PenWidth);
        if (isVertical) {
            MoveTo(s.C1 - ox, s.P1 - oy);
            LineTo(s.C1 - ox, s.P2 - oy);
        } else {
            MoveTo(s.P1 - ox, s.C1 - oy);
            LineTo(s.P2 - ox, s.C1 - oy);
        }
    };
    try {
        for (const auto& s : vertical) out(s, true);
        for (const auto& s : horizontal) out(s, false);
    } catch (...) {
        canvas->Pen()->Assign(saved);
        NoBufferLine = buffering;
        throw;
    }
    canvas->Pen()->Assign(saved);
    NoBufferLine = buffering;
}

void TBaseReport::ResetDrawingState() {
    TCanvas* canvas = GetCanvas();
    canvas->Brush()->SetColor(clBlack);
    canvas->Brush()->SetStyle(bsClear);
    brushBitmap_.reset();
    canvas->Pen()->SetColor(clBlack);
    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetMode(pmCopy);
    originX_ = originY_ = 0;
    ClearColumns();
    ClearTabs();
    ResetSection();
    Home();
    TabJustify = TabJustifyNone;
}
