// Text output, tab stops, fonts, format codes and macros of the report canvas.
#include <cmath>

#include "platform/core/DateTime.h"
#include "platform/core/Format.h"
#include "platform/core/Strings.h"
#include "report/BaseReport.h"
#include "report/FormatCodes.h"

namespace {
int RoundInt(double v) { return int(std::nearbyint(v)); }
constexpr double Pi = 3.14159265358979323846;
}  // namespace

// -------------------------------------------------------------------- text

void TBaseReport::AdvanceCursor(double units) {
    double d = UnitsToInchesX(units);
    int a = font_.Rotation;
    if (a == 0) {
        cursorX_ += d * 100 / scaleX_;
    } else {
        double rad = a * Pi / 180;
        cursorX_ += std::cos(rad) * d * 100 / scaleX_;
        cursorY_ -= std::sin(rad) * d * 100 / scaleY_;
    }
}

void TBaseReport::PrintJustify(const std::string& text, TPrintJustify justify, double x, double margin, double width) {
    switch (justify) {
        case pjCenter: PrintCenterInch(text, x + width / 2); break;
        case pjLeft: {
            double s = x + margin;
            std::string rest = text;
            tabExpanding_ = true;
            try {
                size_t tab;
                while ((tab = rest.find('\t')) != std::string::npos) {
                    std::string piece = rest.substr(0, tab);
                    if (!piece.empty()) {
                        PrintLeftInch(piece, s);
                        s = cursorX_;
                    }
                    double f = UnitsToInchesX(FixedTabWidth);
                    if (f > 0) s = x + (std::trunc((s - x + 0.001) / f) + 1) * f;
                    rest.erase(0, tab + 1);
                }
            } catch (...) {
                tabExpanding_ = false;
                throw;
            }
            tabExpanding_ = false;
            PrintLeftInch(rest, s);
            break;
        }
        case pjRight: PrintRightInch(text, x + width - margin); break;
        case pjBlock: PrintBlockInch(text, x + margin, width - 2 * margin); break;
    }
}

void TBaseReport::PrintPiece(const std::string& text) {
    if (tabPending_ && tabList_ && !tabList_->empty() && curTab_ >= 0) {
        const TTab& t = (*tabList_)[curTab_];
        TPrintJustify j = TabJustify != TabJustifyNone ? TPrintJustify(TabJustify) : t.Justify;
        PrintJustify(text, j, (columnNum_ - 1) * columnPitch_ + t.Pos, t.Margin, t.Width);
        tabPending_ = false;
    } else {
        PrintLeftInch(text, cursorX_);
    }
}

void TBaseReport::Print(const std::string& text) {
    CheckPrinting();
    size_t start = 0;
    while (true) {
        size_t tab = text.find('\t', start);
        std::string piece = text.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
        if (!piece.empty()) PrintPiece(piece);
        if (tab == std::string::npos) break;
        Tab(BOXLINENONE, BOXLINENONE, BOXLINENONE, BOXLINENONE, BOXLINENONE);
        start = tab + 1;
    }
}

void TBaseReport::PrintLn(const std::string& text) {
    Print(text);
    NewLine();
}

void TBaseReport::PrintCenter(const std::string& text, double x) { PrintJustify(text, pjCenter, UnitsToInchesX(x), 0, 0); }
void TBaseReport::PrintLeft(const std::string& text, double x) { PrintJustify(text, pjLeft, UnitsToInchesX(x), 0, 0); }
void TBaseReport::PrintRight(const std::string& text, double x) { PrintJustify(text, pjRight, UnitsToInchesX(x), 0, 0); }

void TBaseReport::PrintBlock(const std::string& text, double x, double width) {
    PrintJustify(text, pjBlock, UnitsToInchesX(x), 0, UnitsToInchesX(width));
}

void TBaseReport::PrintXY(double x, double y, const std::string& text) {
    SetYPos(y);
    PrintLeft(text, x);
}

void TBaseReport::PrintCharJustify(const std::string& text, char c, double x) {
    size_t at = text.find(c);
    std::string head = at == std::string::npos ? text : text.substr(0, at);
    PrintRight(head, x);
    if (at != std::string::npos) PrintLeft(text.substr(at), x);
}

void TBaseReport::PrintHeader(const std::string& text, TPrintJustify justify) {
    GotoHeader();
    PrintJustify(text, justify, sectionLeft_, 0, sectionRight_ - sectionLeft_);
}

void TBaseReport::PrintFooter(const std::string& text, TPrintJustify justify) {
    GotoFooter();
    PrintJustify(text, justify, sectionLeft_, 0, sectionRight_ - sectionLeft_);
}

void TBaseReport::PrintTab(const std::string& text) {
    Tab(BOXLINENONE, BOXLINENONE, BOXLINENONE, BOXLINENONE, BOXLINENONE);
    Print(TruncateText(text, TabWidth(0)));
}

double TBaseReport::TextWidth(const std::string& text) {
    int w;
    if (!IgnoreVPTF && HasFormatCodes(text)) {
        w = CodedTextWidth(text);
    } else {
        SelectRpFont();
        w = text.empty() ? 1 : OutputDevice()->TextWidth(text);
    }
    return InchesToUnitsX(w * scaleX_ / (xdpi_ * 100.0));
}

std::string TBaseReport::TruncateText(const std::string& text, double width) {
    if (text.find("\xFD$VPC") != std::string::npos) return text;
    std::string s = text;
    while (!s.empty() && TextWidth(s) > width) {
        while (!s.empty() && s.back() == FormatBlockEnd) {
            size_t start = s.rfind(FormatBlockStart);
            if (start == std::string::npos) break;
            s.erase(start);
        }
        if (s.empty()) break;
        // Drop the last character, all of its bytes.
        size_t i = s.size() - 1;
        while (i > 0 && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) --i;
        s.erase(i);
    }
    return s;
}

TSize TBaseReport::GetTextExtent(const std::string& text) {
    if (text.empty()) return TSize(0, 0);
    SelectRpFont();
    return OutputDevice()->GetCanvas()->TextExtent(text);
}

void TBaseReport::PrintMemo(TBaseMemoBuf* memo, int lines, bool useTabs) {
    CheckPrinting();
    memo->BaseReport = this;
    memo->PrintLines(lines, useTabs);
}

void TBaseReport::SetHyperlink(const std::string& link) {
    hyperlink_ = link;
    HyperlinkChanged();
}

// -------------------------------------------------------------------- tabs

void TBaseReport::SetTab(double pos, TPrintJustify justify, double width, double margin, Byte lines, Byte shade) {
    if (!tabList_) {
        tabList_ = std::make_unique<TTabList>();
        ResetTabs();
    }
    TTab t;
    if (pos >= 0) {
        t.Pos = UnitsToInchesX(pos);
    } else if (curTab_ >= 0 && curTab_ < int(tabList_->size())) {
        t.Pos = (*tabList_)[curTab_].Pos + (*tabList_)[curTab_].Width;
    } else {
        t.Pos = leftMarginPos_;
    }
    t.Justify = justify;
    if (width > 0) {
        t.Width = UnitsToInchesX(width);
        t.Margin = margin / 100.0;
        t.Left = lines & 1;
        t.Right = lines & 2;
        t.Top = lines & 4;
        t.Bottom = lines & 8;
        t.Shade = shade;
    }
    tabList_->push_back(t);
    curTab_ = int(tabList_->size()) - 1;
}

void TBaseReport::ResetTabs() {
    curTab_ = -1;
    tabPending_ = false;
    tabReset_ = true;
}

void TBaseReport::ClearTabs() {
    tabList_.reset();
    ResetTabs();
}

void TBaseReport::ClearAllTabs() {
    ClearTabs();
    for (auto& slot : tabSlots_) slot.reset();
}

void TBaseReport::DrawTabLine(int width, bool ownFlag, const TPen& savedPen, double x1, double y1, double x2, double y2) {
    if (width == 0 || (width == BOXLINENONE && !ownFlag)) return;
    TPen* pen = GetCanvas()->Pen();
    if (width == BOXLINENONE)
        pen->Assign(savedPen);
    else
        pen->Assign(CreatePen(clBlack, psSolid, width, pmCopy));
    MoveTo(x1, y1);
    LineTo(x2, y2);
}

void TBaseReport::Tab(int left, int right, int top, int bottom, int shade) {
    CheckPrinting();
    if (GetOutputInvalid()) return;
    if (tabReset_) {
        curTab_ = (tabList_ && !tabList_->empty()) ? 0 : -1;
        tabReset_ = false;
    } else if (curTab_ >= 0) {
        curTab_ = (tabList_ && curTab_ + 1 < int(tabList_->size())) ? curTab_ + 1 : -1;
    }
    if (curTab_ < 0) {
        tabPending_ = false;
        return;
    }
    tabPending_ = true;
    TTab t = (*tabList_)[curTab_];
    if (t.Width <= 0) return;
    double h = (columnNum_ - 1) * columnPitch_;
    double x1 = InchesToUnitsX(h + t.Pos), x2 = InchesToUnitsX(h + t.Pos + t.Width);
    double top1 = LineTop(), bottom1 = LineBottom();
    TCanvas* canvas = GetCanvas();
    TPen savedPen;
    savedPen.Assign(*canvas->Pen());
    int s = shade;
    if (s == BOXLINENONE) {
        s = t.Shade;
        if (s == 0) s = TabShade < 1 ? 0 : TabShade;
    }
    if (s > 0) {
        TBrush savedBrush;
        savedBrush.Assign(*canvas->Brush());
        TBKMode savedMode = textBKMode_;
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(ShadeColor(TabColor, s));
        canvas->Pen()->SetColor(BoxLineColor);
        canvas->Pen()->SetStyle(psClear);
        canvas->Pen()->SetWidth(1);
        SetTextBKMode(bkTransparent);
        TabRectangle(x1, top1, x2, bottom1);
        SetTextBKMode(savedMode);
        canvas->Brush()->Assign(savedBrush);
        canvas->Pen()->Assign(savedPen);
    }
    double lh = GetLineHeight();
    DrawTabLine(left, t.Left, savedPen, x1, bottom1, x1, bottom1 - lh);
    DrawTabLine(right, t.Right, savedPen, x2, top1, x2, top1 + lh);
    DrawTabLine(top, t.Top, savedPen, x1, top1, x2, top1);
    DrawTabLine(bottom, t.Bottom, savedPen, x2, bottom1, x1, bottom1);
    canvas->Pen()->Assign(savedPen);
}

void TBaseReport::FinishTabBox(int width) {
    CheckPrinting();
    if (GetOutputInvalid()) return;
    ResetTabs();
    if (tabList_)
        for (size_t i = 0; i < tabList_->size(); ++i) Tab(0, 0, width, 0, 0);
    ResetTabs();
}

double TBaseReport::TabStart(int n) {
    int i = n == 0 ? curTab_ : n - 1;
    if (!tabList_ || i < 0 || i >= int(tabList_->size())) return 0;
    const TTab& t = (*tabList_)[i];
    return InchesToUnitsX(t.Pos + t.Margin);
}

double TBaseReport::TabEnd(int n) {
    int i = n == 0 ? curTab_ : n - 1;
    if (!tabList_ || i < 0 || i >= int(tabList_->size())) return 0;
    const TTab& t = (*tabList_)[i];
    return InchesToUnitsX(t.Pos + t.Width - t.Margin);
}

double TBaseReport::TabWidth(int n) {
    int i = n == 0 ? curTab_ : n - 1;
    if (!tabList_ || i < 0 || i >= int(tabList_->size())) return 0;
    const TTab& t = (*tabList_)[i];
    return InchesToUnitsX(t.Width - 2 * t.Margin);
}

bool TBaseReport::PushTabs() {
    if (!tabList_) return false;
    tabStack_.push_back(std::make_unique<TTabList>(*tabList_));
    return true;
}

bool TBaseReport::PopTabs() {
    if (tabStack_.empty()) return false;
    tabList_ = std::move(tabStack_.back());
    tabStack_.pop_back();
    ResetTabs();
    return true;
}

bool TBaseReport::SaveTabs(int n) {
    if (n < 1 || n > 10 || !tabList_) return false;
    tabSlots_[n - 1] = std::make_unique<TTabList>(*tabList_);
    return true;
}

bool TBaseReport::RestoreTabs(int n) {
    if (n < 1 || n > 10 || !tabSlots_[n - 1]) return false;
    tabList_ = std::make_unique<TTabList>(*tabSlots_[n - 1]);
    ResetTabs();
    return true;
}

// ------------------------------------------------------------------- fonts

void TBaseReport::HookFontChange() {
    TFont* f = OutputDevice()->GetCanvas()->Font();
    if (!fontHooked_) previousFontChange_ = f->OnChange;
    fontHooked_ = true;
    f->OnChange = [this](TGraphicsObject* sender) {
        if (previousFontChange_) previousFontChange_(sender);
        if (fontAssigning_) return;
        // Report code changed the canvas font itself: take what differs.
        TFont* cf = static_cast<TFont*>(sender);
        font_.Name = cf->Name().substr(0, 60);
        font_.Color = cf->Color();
        font_.CharSet = Byte(cf->Charset());
        font_.Pitch = cf->Pitch();
        font_.Bold = cf->Style() & fsBold;
        font_.Italic = cf->Style() & fsItalic;
        font_.Underline = cf->Style() & fsUnderline;
        font_.Strikeout = cf->Style() & fsStrikeOut;
        int h = std::abs(cf->Height());
        if (h != RoundInt(ydpi_ * font_.Height)) {
            font_.Height = double(h) / ydpi_;
            font_.Size = font_.Height * 72;
        }
        FontChanged();
    };
}

void TBaseReport::UnhookFontChange() {
    if (!fontHooked_) return;
    TVPBaseDevice* device = OutputDevice();
    if (device) device->GetCanvas()->Font()->OnChange = previousFontChange_;
    previousFontChange_ = nullptr;
    fontHooked_ = false;
}

void TBaseReport::FontChanged() { fontDirty_ = true; }

void TBaseReport::SetFont(const std::string& name, double size) {
    if (size <= 0) return;
    font_.Name = name.substr(0, 60);
    font_.Color = clBlack;
    font_.Pitch = fpDefault;
    font_.CharSet = 1;
    font_.Size = size;
    font_.Height = size / 72.0;
    font_.Bold = font_.Underline = font_.Italic = font_.Strikeout = false;
    font_.Superscript = font_.Subscript = false;
    font_.Rotation = 0;
    font_.Width = 0;
    font_.Align = 0;
    FontChanged();
}

void TBaseReport::AssignFont(const TFont& f) {
    font_.Name = f.Name().substr(0, 60);
    font_.Color = f.Color();
    font_.Pitch = f.Pitch();
    font_.CharSet = Byte(f.Charset());
    font_.Size = f.Size();
    font_.Height = font_.Size / 72.0;
    font_.Bold = f.Style() & fsBold;
    font_.Italic = f.Style() & fsItalic;
    font_.Underline = f.Style() & fsUnderline;
    font_.Strikeout = f.Style() & fsStrikeOut;
    font_.Subscript = font_.Superscript = false;
    font_.Rotation = 0;
    FontChanged();
}

void TBaseReport::SetFontName(const std::string& name) {
    font_.Name = name.substr(0, 60);
    FontChanged();
}

void TBaseReport::SetFontSize(double points) {
    if (points <= 0) return;
    font_.Size = points * scaleY_ / 100;
    font_.Height = font_.Size / 72.0;
    FontChanged();
}

void TBaseReport::SetFontHeight(double h) {
    int px = std::max(1, RoundInt(UnitsToInchesY(h) * ydpi_ * scaleY_ / 100));
    font_.Height = UnitsToInchesY(h) * scaleY_ / 100;
    if (RoundInt(font_.Height * ydpi_) != px) font_.Height = double(px) / ydpi_;
    font_.Size = font_.Height * 72;
    FontChanged();
}

void TBaseReport::SetFontWidth(double w) {
    font_.Width = UnitsToInchesX(w);
    FontChanged();
}

void TBaseReport::SetFontColor(TColor c) {
    font_.Color = c;
    FontChanged();
}

void TBaseReport::SetFontPitch(TFontPitch p) {
    font_.Pitch = p;
    FontChanged();
}

void TBaseReport::SetFontCharset(Byte c) {
    font_.CharSet = c;
    FontChanged();
}

void TBaseReport::SetFontAlign(int a) {
    font_.Align = SmallInt(a);
    FontChanged();
}

void TBaseReport::SetFontRotation(int degrees) {
    font_.Rotation = SmallInt(degrees % 360);
    FontChanged();
}

void TBaseReport::SetBold(bool v) {
    font_.Bold = v;
    FontChanged();
}

void TBaseReport::SetUnderline(bool v) {
    font_.Underline = v;
    FontChanged();
}

void TBaseReport::SetItalic(bool v) {
    font_.Italic = v;
    FontChanged();
}

void TBaseReport::SetStrikeout(bool v) {
    font_.Strikeout = v;
    FontChanged();
}

void TBaseReport::SetSuperscript(bool v) {
    if (v) font_.Subscript = false;
    font_.Superscript = v;
    FontChanged();
}

void TBaseReport::SetSubscript(bool v) {
    if (v) font_.Superscript = false;
    font_.Subscript = v;
    FontChanged();
}

void TBaseReport::ApplyFontRecord(const TSaveFont& r) {
    TSaveFont keep = font_;
    font_ = r;
    font_.Handle = 0;
    font_.Ascent = keep.Ascent;
    font_.Descent = keep.Descent;
    FontChanged();
}

bool TBaseReport::PushFont() {
    if (tabExpanding_) return true;
    if (!fontStack_) fontStack_ = std::make_unique<std::vector<TSaveFont>>();
    fontStack_->push_back(font_);
    return true;
}

bool TBaseReport::PopFont() {
    if (tabExpanding_) return true;
    if (!fontStack_ || fontStack_->empty()) return false;
    TSaveFont r = fontStack_->back();
    fontStack_->pop_back();
    if (fontStack_->empty()) fontStack_.reset();
    ApplyFontRecord(r);
    return true;
}

bool TBaseReport::SaveFont(int n) {
    if (n < 1 || n > 10) return false;
    fontSlots_[n - 1] = font_;
    return true;
}

bool TBaseReport::RestoreFont(int n) {
    if (n < 1 || n > 10) return false;
    if (!fontSlots_[n - 1].Name.empty()) ApplyFontRecord(fontSlots_[n - 1]);
    return true;
}

void TBaseReport::SelectRpFont() {
    TVPBaseDevice* device = OutputDevice();
    if (!device) return;
    TCanvas* canvas = device->GetCanvas();
    if (fontDirty_) {
        font_.Handle = 0;
        fontDirty_ = false;
    }
    if (font_.Handle == 0) {
        for (size_t i = 0; i < fontCache_.size(); ++i) {
            const TSaveFont& c = fontCache_[i];
            if (c.Name == font_.Name && c.Pitch == font_.Pitch && c.Height == font_.Height && c.Bold == font_.Bold &&
                c.Underline == font_.Underline && c.Italic == font_.Italic && c.Strikeout == font_.Strikeout &&
                c.Rotation == font_.Rotation && c.Superscript == font_.Superscript &&
                c.Subscript == font_.Subscript && c.CharSet == font_.CharSet) {
                TSaveFont hit = c;
                font_.Handle = hit.Handle;
                font_.Ascent = hit.Ascent;
                font_.Descent = hit.Descent;
                font_.InternalLeading = hit.InternalLeading;
                font_.CacheNum = hit.CacheNum;
                fontCache_.erase(fontCache_.begin() + long(i));
                fontCache_.insert(fontCache_.begin(), hit);
                break;
            }
        }
    }
    bool small = font_.Superscript || font_.Subscript;
    double h = ydpi_ * font_.Height;
    int height = -RoundInt(small ? h / 1.667 : h);
    fontAssigning_ = true;
    TFont* f = canvas->Font();
    f->SetName(font_.Name);
    f->SetHeight(height == 0 ? -1 : height);
    TFontStyles style = 0;
    if (font_.Bold) style |= fsBold;
    if (font_.Italic) style |= fsItalic;
    if (font_.Underline) style |= fsUnderline;
    if (font_.Strikeout) style |= fsStrikeOut;
    f->SetStyle(style);
    f->SetPitch(font_.Pitch);
    f->SetCharset(ResolveDefaultCharset(font_.CharSet));
    f->SetColor(font_.Color);
    fontAssigning_ = false;
    if (font_.Handle == 0) {
        TTextMetric tm = canvas->TextMetrics();
        double k = 100.0 / scaleY_ / ydpi_;
        font_.Ascent = tm.tmAscent * k;
        font_.Descent = tm.tmDescent * k;
        font_.InternalLeading = tm.tmInternalLeading * k;
        if (small) {
            font_.Ascent /= 2;
            font_.Descent /= 2;
            font_.InternalLeading /= 2;
        }
        font_.CacheNum = SmallInt(fontCache_.size());
        font_.Handle = nextFontHandle_++;
        fontCache_.push_back(font_);
    }
}

// ------------------------------------------------------------ format codes

void TBaseReport::ApplyCodesToFont(const std::string& codes) {
    int pos = 1;
    while (pos <= int(codes.size())) {
        char code;
        std::string p;
        NextFormatCode(codes, pos, code, p);
        bool on = p == "1";
        switch (code) {
            case 'R':
                font_.Name = "Arial";
                font_.Size = 12;
                font_.Height = 1.0 / 6.0;
                [[fallthrough]];
            case 'r':
                font_.Bold = font_.Underline = font_.Italic = font_.Strikeout = false;
                font_.Subscript = font_.Superscript = false;
                font_.Color = 0;
                font_.Pitch = fpDefault;
                font_.CharSet = 1;
                font_.Rotation = 0;
                font_.Width = 0;
                font_.Align = 0;
                break;
            case 'B': font_.Bold = on; break;
            case 'I': font_.Italic = on; break;
            case 'U': font_.Underline = on; break;
            case 'K': font_.Strikeout = on; break;
            case 'S': font_.Subscript = on; break;
            case 'P': font_.Superscript = on; break;
            case 'C': font_.Color = TColor(StrToInt64Def(Trim(p), 0)); break;
            case 'H':
                font_.Pitch = p.empty() ? fpDefault : p[0] == 'V' ? fpVariable : p[0] == 'F' ? fpFixed : fpDefault;
                break;
            case 'N': font_.Name = p.substr(0, 60); break;
            case 'Z': {
                TFormatSettings fs = DefaultFormatSettings();
                fs.DecimalSeparator = '.';
                double size = StrToFloatDef(Trim(p), font_.Size, fs);
                if (size > 0) {
                    font_.Size = size;
                    font_.Height = size / 72.0;
                }
                break;
            }
            case 'A': SetHyperlink(p); break;
            default: break;
        }
    }
    FontChanged();
    SelectRpFont();
}

void TBaseReport::NextRun(const std::string& text, int& position, std::string& plain) {
    std::string codes;
    SplitFormatRun(text, position, codes, plain);
    if (!codes.empty()) ApplyCodesToFont(codes);
}

int TBaseReport::TabbedWidth(const std::string& text, int startWidth) {
    int w = startWidth;
    int t = RoundInt(UnitsToInchesX(FixedTabWidth) * xdpi_);
    TVPBaseDevice* device = OutputDevice();
    size_t start = 0;
    while (true) {
        size_t tab = text.find('\t', start);
        std::string piece = text.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
        if (!piece.empty()) w += device->GetCanvas()->TextWidth(piece);
        if (tab == std::string::npos) break;
        if (t > 0) w = ((w - 1) / t + 1) * t;
        if (w <= 0 && t > 0) w = t;
        start = tab + 1;
    }
    return w;
}

int TBaseReport::CodedTextWidth(const std::string& text) {
    PushFont();
    int w = 0;
    int pos = 1;
    while (pos <= int(text.size())) {
        std::string plain;
        NextRun(text, pos, plain);
        SelectRpFont();
        w = TabbedWidth(plain, w);
    }
    PopFont();
    return std::max(1, w);
}

double TBaseReport::CodedTextHeight(const std::string& text) {
    if (!HasFormatCodes(text)) return GetFontHeight();
    PushFont();
    double h = 0;
    int pos = 1;
    while (pos <= int(text.size())) {
        std::string plain;
        NextRun(text, pos, plain);
        h = std::max(h, GetFontHeight());
    }
    PopFont();
    return h;
}

// ------------------------------------------------------------------ macros

std::string TBaseReport::Macro(int id) {
    if (GetOutputKind() == 2 && id != 12) return Format("\xFD$VPCM%.2d", {id});
    static const char* masks[] = {"ddddd", "dddddd", "mm/dd/yy", "dd/mm/yy", "t", "tt", "hh:nn ampm", "hh:nn"};
    if (id >= 0 && id <= 7) return FormatDateTime(masks[id], ReportDateTime);
    switch (id) {
        case 8: return IntToStr(FirstPage);
        case 9: return IntToStr(LastPage);
        case 10: return IntToStr(totalPages_);
        case 11: return IntToStr(currentPage_);
        case 12: return IntToStr(GetRelativePage());
        case 13: return GetDeviceName();
        case 14: return GetDriverName();
        case 15: return GetPort();
        default: break;
    }
    if (id >= 16 && id <= 35) return id - 16 < MacroData.Count() ? MacroData[id - 16] : "";
    return {};
}
