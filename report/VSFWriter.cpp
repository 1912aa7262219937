#include "report/VSFWriter.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>

#include "platform/gui/Icon.h"
#include "platform/gui/Metafile.h"
#include "platform/core/DateTime.h"
#include "platform/core/Strings.h"
#include "platform/core/UiQueue.h"
#include "report/FormatCodes.h"

namespace {

constexpr size_t BufferSize = 16384;

std::string UpperName(const std::string& s) { return AnsiUpperCase(s); }

// A new, empty file "RV....tmp" in the system's temporary folder.
std::string NewTempFileName() {
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    if (ec) dir = "/tmp";
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "RV" + IntToHex(int(rd() & 0xFFFF), 4) + ".tmp";
        std::filesystem::path p = dir / name;
        if (!std::filesystem::exists(p)) return p.string();
    }
    throw EFCreateError("Cannot create a temporary file in " + dir.string());
}

}  // namespace

TVzVSFWriter::TVzVSFWriter(TComponent* owner) : TBaseReport(owner) {}

TVzVSFWriter::~TVzVSFWriter() {
    UnhookCanvas();
    if (fontHooked_) UnhookFontChange();
    outputDevice_ = nullptr;
}

TCanvas* TVzVSFWriter::GetCanvas() { return OutputDevice()->GetCanvas(); }

// ------------------------------------------------------------------ output

void TVzVSFWriter::Flush() {
    if (!buffer_.empty() && out_) out_->WriteBuffer(buffer_.data(), Integer(buffer_.size()));
    buffer_.clear();
}

void TVzVSFWriter::WriteBuf(const void* data, size_t count) {
    if (suppress_ || count == 0 || !out_) return;
    if (buffer_.size() + count > BufferSize) Flush();
    if (count > BufferSize)
        out_->WriteBuffer(data, Integer(count));
    else
        buffer_.append(static_cast<const char*>(data), count);
}

Int64 TVzVSFWriter::WritePos() const { return out_ ? out_->Size() + Int64(buffer_.size()) : 0; }

void TVzVSFWriter::WriteInt16(SmallInt v) {
    Byte b[2] = {Byte(v & 0xFF), Byte((v >> 8) & 0xFF)};
    WriteBuf(b, 2);
}

void TVzVSFWriter::WriteInt32(std::int32_t v) {
    std::uint32_t u = std::uint32_t(v);
    Byte b[4] = {Byte(u), Byte(u >> 8), Byte(u >> 16), Byte(u >> 24)};
    WriteBuf(b, 4);
}

void TVzVSFWriter::WriteReal(double v) {
    float f = float(v);
    std::uint32_t u;
    std::memcpy(&u, &f, 4);
    WriteInt32(std::int32_t(u));
}

void TVzVSFWriter::WriteText(const std::string& text) {
    // Texts beyond the longest storable length are cut, never split inside
    // a character.
    std::string s = text;
    if (s.size() > size_t(vsf::MaxTextLength)) {
        size_t n = vsf::MaxTextLength;
        while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
        s.resize(n);
    }
    if (s.size() < 192) {
        WriteByte(Byte(s.size()));
    } else {
        unsigned v = 0xC000u + unsigned(s.size());
        Byte b[2] = {Byte(v >> 8), Byte(v & 0xFF)};
        WriteBuf(b, 2);
    }
    WriteBuf(s.data(), s.size());
}

void TVzVSFWriter::WriteXY(double x, double y) {
    WriteReal((UnitsToInchesX(x) + originX_) * scaleX_ / 100);
    WriteReal((UnitsToInchesY(y) + originY_) * scaleY_ / 100);
}

void TVzVSFWriter::WriteDevicePoint(int x, int y) {
    WriteReal(double(x) / xdpi_ + leftWaste_);
    WriteReal(double(y) / ydpi_ + topWaste_);
}

void TVzVSFWriter::WriteDeviceRect(const TRect& r) {
    WriteDevicePoint(r.Left, r.Top);
    WriteDevicePoint(r.Right, r.Bottom);
}

void TVzVSFWriter::WriteGraphic(TGraphic* graphic) {
    Byte type = dynamic_cast<TBitmap*>(graphic)     ? 1
                : dynamic_cast<TMetafile*>(graphic) ? 2
                : dynamic_cast<TIcon*>(graphic)     ? 3
                                                    : 4;
    if (reusePos_ != 0) {
        WriteByte(Byte(type + 128));
        WriteInt32(reusePos_);
        reusePos_ = 0;
        return;
    }
    std::vector<std::uint8_t> data = graphic ? graphic->SaveToBytes() : std::vector<std::uint8_t>{};
    WriteByte(type);
    lastGraphicPos_ = std::int32_t(WritePos());
    WriteInt32(std::int32_t(data.size()));
    WriteBuf(data.data(), data.size());
}

void TVzVSFWriter::PatchInt32(Int64 position, std::int32_t value) {
    Flush();
    Int64 end = out_->Size();
    out_->SetPosition(position);
    std::uint32_t u = std::uint32_t(value);
    Byte b[4] = {Byte(u), Byte(u >> 8), Byte(u >> 16), Byte(u >> 24)};
    out_->WriteBuffer(b, 4);
    out_->SetPosition(end);
}

bool TVzVSFWriter::BeginRecord() {
    CheckPrinting();
    return !GetOutputInvalid();
}

bool TVzVSFWriter::StateWritable() { return printing_ && out_ && !pageInvalid_; }

// ------------------------------------------------------------------ header

void TVzVSFWriter::WriteHeader() {
    TVpPrinterDevice* printer = NoPrinter() ? nullptr : GetPrinterDevice();
    TPrinterSettings* dm = printer ? printer->GetDevMode() : nullptr;
    WriteByte('Z');
    WriteInt16(vsf::StreamVersion);
    WriteText(Title);
    pageCountPos_ = WritePos();
    WriteInt32(0);
    WriteInt32(FirstPage);
    WriteInt32(LastPage);
    WriteReal(PageWidthIn());
    WriteReal(PageHeightIn());
    WriteReal(leftWaste_);
    WriteReal(rightWaste_);
    WriteReal(topWaste_);
    WriteReal(bottomWaste_);
    WriteByte(Byte(appliedOrientation_));
    WriteInt16(SmallInt(dm ? dm->DefaultSource : 265));
    WriteBool(Collate());
    WriteByte(Byte(Duplex()));
    WriteInt16(SmallInt(dm ? dm->Copies : 1));
    WriteInt16(SmallInt(dm ? dm->PaperSize : 1));
    WriteInt16(SmallInt(dm ? dm->PaperWidth : 0));
    WriteInt16(SmallInt(dm ? dm->PaperLength : 0));
    WriteText(outputName_);
}

// ------------------------------------------------------------------- pages

void TVzVSFWriter::PageStart() {
    if (pageInvalid_) return;
    Flush();
    Int64 p = WritePos();
    pageRecordPos_ = p;
    Int64 prev = prevPagePos_;
    WriteByte(vsf::NewPage);
    WriteInt32(std::int32_t(prevPagePos_));
    prevPagePos_ = p;
    Flush();
    nextLinkPos_ = p + 5;
    pages_.push_back({p, nextLinkPos_, prev});
    TVpPrinterDevice* printer = NoPrinter() ? nullptr : GetPrinterDevice();
    TPrinterSettings* dm = printer ? printer->GetDevMode() : nullptr;
    WriteInt32(0);
    WriteInt32(totalPages_);
    WriteReal(PageWidthIn());
    WriteReal(PageHeightIn());
    WriteByte(Byte(appliedOrientation_));
    WriteInt16(SmallInt(dm ? dm->DefaultSource : 512));
    force_ = true;
    WriteBrushRecords(true);
    WriteFontRecords(true);
    WritePenRecords(true);
    WriteByte(vsf::ScaleX);
    WriteReal(scaleX_);
    WriteByte(vsf::ScaleY);
    WriteReal(scaleY_);
    WriteByte(vsf::BKMode);
    WriteByte(Byte(textBKMode_));
    WriteByte(vsf::BKColor);
    WriteInt32(bkColor_);
    for (const auto& [name, pos] : variables_) {
        std::string data(4, '\0');
        std::uint32_t u = std::uint32_t(pos);
        for (int i = 0; i < 4; ++i) data[i] = char(Byte(u >> (8 * i)));
        WriteVariableRecord(name, 4, 254, data);
    }
    force_ = false;
}

void TVzVSFWriter::PageEnd(bool last) {
    if (!pageInvalid_) WriteByte(vsf::EndPage);
    if (nextLinkPos_ != 0) {
        Flush();
        PatchInt32(nextLinkPos_, last ? 0 : std::int32_t(WritePos()));
    }
}

void TVzVSFWriter::NewPage() {
    DoPrintFooter();
    RunPageEndHandlers();
    PageEnd(false);
    suppress_ = true;
    try {
        TBaseReport::NewPage();
        if (!NoPrinter()) UpdateDeviceMetrics();
    } catch (...) {
        suppress_ = false;
        throw;
    }
    suppress_ = false;
    if (!pageInvalid_) ++totalPages_;
    PageStart();
    RunPageStartHandlers();
    DoNewPage();
    if (columns_ > 1) DoNewColumn();
    DoPrintHeader();
}

void TVzVSFWriter::AbortPage() {
    bool wasValid = !pageInvalid_;
    TBaseReport::AbortPage();
    if (!wasValid || pages_.empty()) return;
    // Take the page back: the stream returns to the start of its record and
    // the chain to the page before it.
    PageMark mark = pages_.back();
    pages_.pop_back();
    buffer_.clear();
    out_->SetSize(mark.RecordPos);
    out_->SetPosition(mark.RecordPos);
    prevPagePos_ = mark.PrevPagePos;
    nextLinkPos_ = pages_.empty() ? 0 : pages_.back().NextLinkPos;
    --totalPages_;
    hLines_.clear();
    vLines_.clear();
    // Nothing may point into the discarded bytes: late-bound values and
    // graphics written on the page are forgotten.
    for (auto it = variables_.begin(); it != variables_.end();)
        it = std::abs(Int64(it->second)) >= mark.RecordPos ? variables_.erase(it) : std::next(it);
    for (auto& slot : graphicSlots_)
        if (slot >= mark.RecordPos) slot = 0;
    if (lastGraphicPos_ >= mark.RecordPos) lastGraphicPos_ = 0;
    if (reusePos_ >= mark.RecordPos) reusePos_ = 0;
}

// --------------------------------------------------------------- document

void TVzVSFWriter::BeginDoc() {
    CheckNotPrinting();
    ReportDateTime = Now();
    allowState_ = vsf::AllowAll;
    allowedKinds_ = 0x1F;
    currentPage_ = 0;
    totalPages_ = 0;
    prevPagePos_ = nextLinkPos_ = pageCountPos_ = 0;
    pages_.clear();
    variables_.clear();
    std::fill(std::begin(graphicSlots_), std::end(graphicSlots_), 0);
    lastGraphicPos_ = reusePos_ = 0;
    aborted_ = false;
    hasWrittenFont_ = hasWrittenBrush_ = hasWrittenPen_ = false;
    DoBeforePrint();

    memory_.reset();
    ownedStream_.reset();
    out_ = nullptr;
    switch (StreamMode) {
        case smMemory:
            memory_ = std::make_unique<TMemoryStream>();
            out_ = memory_.get();
            break;
        case smFile:
            ownedStream_ = std::make_unique<TFileStream>(FileName, fmCreate);
            out_ = ownedStream_.get();
            break;
        case smUser:
            if (!Stream) RaiseReportError(Trans("StreamMode is smUser but Stream is nil"));
            out_ = Stream;
            out_->SetPosition(0);
            break;
        case smTempFile:
            FileName = NewTempFileName();
            ownedStream_ = std::make_unique<TFileStream>(FileName, fmCreate);
            out_ = ownedStream_.get();
            break;
    }
    buffer_.clear();
    buffer_.reserve(BufferSize);

    // Device: the printer measures text unless there is none or another
    // device was given.
    if (NoPrinter() || outputDevice_) {
        if (!outputDevice_) {
            renderDevice_ = std::make_unique<TVPRenderDevice>();
            outputDevice_ = renderDevice_.get();
        }
    } else {
        GetPrinterDevice()->SetContextKind(1);
    }
    ReapplyMargins();
    printing_ = true;
    xdpi_ = OutputDevice()->GetXDPI();
    ydpi_ = OutputDevice()->GetYDPI();
    WriteHeader();
    suppress_ = true;

    hLines_.clear();
    vLines_.clear();
    HookFontChange();
    HookCanvas();
    PushTabs();
    ResetDrawingState();
    PopTabs();
    fontCache_.clear();
    fontDirty_ = true;

    currentPage_ = 1;
    pageInvalid_ = !(PageInSelection(1) && !aborted_);
    if (!pageInvalid_) ++totalPages_;
    UpdateStatus();
    suppress_ = false;
    PageStart();
    if (!aborted_) {
        RunPageStartHandlers();
        DoNewPage();
        DoPrintHeader();
    }
}

void TVzVSFWriter::EndDoc() {
    if (!printing_) RaiseReportError(Trans("Invalid method call.  ReportPrinter is not printing."));
    try {
        if (!aborted_) {
            DoPrintFooter();
            RunPageEndHandlers();
        }
    } catch (const EReportAbort&) {
    } catch (...) {
        // The document is still closed; the error goes on afterwards.
        std::exception_ptr error = std::current_exception();
        try {
            aborted_ = true;
            EndDoc();
        } catch (...) {
        }
        std::rethrow_exception(error);
    }
    std::exception_ptr error;
    try {
        if (out_) {
            PageEnd(true);
            PatchInt32(pageCountPos_, totalPages_);
            Flush();
        }
    } catch (...) {
        error = std::current_exception();
    }
    buffer_.clear();
    buffer_.shrink_to_fit();
    UnhookCanvas();
    UnhookFontChange();
    fontCache_.clear();
    hLines_.clear();
    vLines_.clear();
    if (renderDevice_) {
        outputDevice_ = nullptr;
        renderDevice_.reset();
    }
    try {
        if (!error && StreamMode == smMemory && memory_ && !FileName.empty()) {
            TFileStream file(FileName, fmCreate);
            memory_->SetPosition(0);
            file.CopyFrom(*memory_, 0);
        }
    } catch (...) {
        error = std::current_exception();
    }
    ownedStream_.reset();
    out_ = nullptr;
    printing_ = false;
    DoAfterPrint();
    if (error) std::rethrow_exception(error);
}

// ------------------------------------------------------------ state records

void TVzVSFWriter::HookCanvas() {
    if (canvasHooked_) return;
    TCanvas* canvas = GetCanvas();
    prevPenChange_ = canvas->Pen()->OnChange;
    prevBrushChange_ = canvas->Brush()->OnChange;
    canvas->Pen()->OnChange = [this](TGraphicsObject* s) {
        if (prevPenChange_) prevPenChange_(s);
        WritePenRecords(false);
    };
    canvas->Brush()->OnChange = [this](TGraphicsObject* s) {
        if (prevBrushChange_) prevBrushChange_(s);
        WriteBrushRecords(false);
    };
    canvasHooked_ = true;
}

void TVzVSFWriter::UnhookCanvas() {
    if (!canvasHooked_) return;
    TVPBaseDevice* device = OutputDevice();
    if (device) {
        device->GetCanvas()->Pen()->OnChange = prevPenChange_;
        device->GetCanvas()->Brush()->OnChange = prevBrushChange_;
    }
    prevPenChange_ = prevBrushChange_ = nullptr;
    canvasHooked_ = false;
}

void TVzVSFWriter::FontChanged() {
    TBaseReport::FontChanged();
    if (!fontAssigning_) WriteFontRecords(false);
}

void TVzVSFWriter::WriteFontRecords(bool force) {
    if (!StateWritable()) return;
    const TSaveFont& f = font_;
    const TSaveFont& w = writtenFont_;
    bool all = force || !hasWrittenFont_;
    bool major = false;
    if (all || f.Name != w.Name) {
        WriteByte(vsf::FontName);
        WriteText(f.Name);
        major = true;
    }
    if (all || f.Color != w.Color) {
        WriteByte(vsf::FontColor);
        WriteInt32(f.Color);
    }
    if (all || f.Pitch != w.Pitch) {
        WriteByte(vsf::FontPitch);
        WriteByte(Byte(f.Pitch));
        major = true;
    }
    if (all || f.CharSet != w.CharSet) {
        WriteByte(vsf::FontCharset);
        WriteByte(f.CharSet);
        major = true;
    }
    auto flag = [&](Byte code, bool a, bool b) {
        if (all || a != b) {
            WriteByte(code);
            WriteBool(a);
            major = true;
        }
    };
    flag(vsf::FontBold, f.Bold, w.Bold);
    flag(vsf::FontItalic, f.Italic, w.Italic);
    flag(vsf::FontUnderline, f.Underline, w.Underline);
    flag(vsf::FontStrikeout, f.Strikeout, w.Strikeout);
    flag(vsf::FontSuperscript, f.Superscript, w.Superscript);
    flag(vsf::FontSubscript, f.Subscript, w.Subscript);
    if (all || f.Rotation != w.Rotation) {
        WriteByte(vsf::FontRotation);
        WriteInt16(f.Rotation);
    }
    if (all || f.Align != w.Align) {
        WriteByte(vsf::FontAlign);
        WriteByte(Byte(f.Align));
    }
    TSaveFont snapshot = font_;
    if (all || major || f.Height != w.Height) {
        bool wasSuppressed = suppress_;
        suppress_ = true;
        double reference = 0;
        try {
            reference = TextWidth(FontWidthSample) * 100 / scaleX_;
        } catch (...) {
            suppress_ = wasSuppressed;
            throw;
        }
        suppress_ = wasSuppressed;
        WriteByte(vsf::FontHeight);
        WriteReal(snapshot.Height);
        WriteReal(reference);
    }
    writtenFont_ = snapshot;
    hasWrittenFont_ = true;
}

void TVzVSFWriter::WriteBrushRecords(bool force) {
    if (!StateWritable()) return;
    TBrush* b = GetCanvas()->Brush();
    bool all = force || !hasWrittenBrush_;
    if (all || b->Color() != writtenBrushColor_) {
        WriteByte(vsf::BrushColor);
        WriteInt32(b->Color());
    }
    if (all || b->Style() != writtenBrushStyle_) {
        WriteByte(vsf::BrushStyle);
        WriteByte(Byte(b->Style()));
    }
    bool hasBitmap = brushBitmap_ && !brushBitmap_->Empty();
    if (hasBitmap) {
        WriteByte(vsf::BrushBitmap);
        WriteByte(1);
        WriteGraphic(brushBitmap_.get());
    } else if (all || writtenBrushBitmap_) {
        WriteByte(vsf::BrushBitmap);
        WriteByte(0);
    }
    writtenBrushColor_ = b->Color();
    writtenBrushStyle_ = b->Style();
    writtenBrushBitmap_ = hasBitmap;
    hasWrittenBrush_ = true;
}

void TVzVSFWriter::SetBrush(TColor color, TBrushStyle style, TBitmap* bitmap) {
    TBaseReport::SetBrush(color, style, bitmap);
}

void TVzVSFWriter::WritePenRecords(bool force) {
    if (!StateWritable()) return;
    TPen* p = GetCanvas()->Pen();
    bool all = force || !hasWrittenPen_;
    if (all || p->Color() != writtenPenColor_) {
        WriteByte(vsf::PenColor);
        WriteInt32(p->Color());
    }
    if (all || p->Mode() != writtenPenMode_) {
        WriteByte(vsf::PenMode);
        WriteByte(Byte(p->Mode()));
    }
    if (all || p->Style() != writtenPenStyle_) {
        WriteByte(vsf::PenStyle);
        WriteByte(Byte(p->Style()));
    }
    if (all || p->Width() != writtenPenWidth_) {
        WriteByte(vsf::PenWidth);
        WriteReal(double(p->Width()) / xdpi_);
    }
    writtenPenColor_ = p->Color();
    writtenPenMode_ = p->Mode();
    writtenPenStyle_ = p->Style();
    writtenPenWidth_ = p->Width();
    hasWrittenPen_ = true;
}

void TVzVSFWriter::HyperlinkChanged() {
    if (!StateWritable()) return;
    WriteByte(vsf::Hyperlink);
    WriteText(hyperlink_);
}

void TVzVSFWriter::SetFrameMode(Byte mode) {
    TBaseReport::SetFrameMode(mode);
    if (!StateWritable()) return;
    WriteByte(vsf::FrameMode);
    WriteByte(mode);
}

void TVzVSFWriter::SetBKColor(TColor color) {
    TBaseReport::SetBKColor(color);
    if (!StateWritable()) return;
    WriteByte(vsf::BKColor);
    WriteInt32(bkColor_);
}

void TVzVSFWriter::SetScaleX(double p) {
    TBaseReport::SetScaleX(p);
    if (!StateWritable()) return;
    WriteByte(vsf::ScaleX);
    WriteReal(p);
}

void TVzVSFWriter::SetScaleY(double p) {
    TBaseReport::SetScaleY(p);
    if (!StateWritable()) return;
    WriteByte(vsf::ScaleY);
    WriteReal(p);
}

void TVzVSFWriter::SetTextBKMode(TBKMode mode) {
    TBaseReport::SetTextBKMode(mode);
    if (!StateWritable()) return;
    WriteByte(vsf::BKMode);
    WriteByte(Byte(mode));
}

void TVzVSFWriter::SetOrientation(TOrientation o) {
    TBaseReport::SetOrientation(o);
    if (!StateWritable()) return;
    WriteByte(vsf::Orientation);
    WriteByte(Byte(o));
}

void TVzVSFWriter::SelectBin(const std::string& name) {
    TBaseReport::SelectBin(name);
    if (!StateWritable()) return;
    WriteByte(vsf::Bin);
    WriteText(name);
}

void TVzVSFWriter::ResetLineHeight() {
    TBaseReport::ResetLineHeight();
    if (!StateWritable()) return;
    WriteByte(vsf::ResetLineHeight);
    WriteReal(ascent_);
    WriteReal(descent_);
    WriteReal(lineHeight_);
}

void TVzVSFWriter::AllowPreviewOnly() {
    TBaseReport::AllowPreviewOnly();
    allowedKinds_ |= 4u;
    if (!StateWritable() || allowState_ == vsf::AllowPreviewOnly) return;
    WriteByte(vsf::AllowPreviewOnly);
    allowState_ = vsf::AllowPreviewOnly;
}

void TVzVSFWriter::AllowPrinterOnly() {
    TBaseReport::AllowPrinterOnly();
    allowedKinds_ |= 4u;
    if (!StateWritable() || allowState_ == vsf::AllowPrinterOnly) return;
    WriteByte(vsf::AllowPrinterOnly);
    allowState_ = vsf::AllowPrinterOnly;
}

void TVzVSFWriter::AllowAll() {
    TBaseReport::AllowAll();
    if (!StateWritable() || allowState_ == vsf::AllowAll) return;
    WriteByte(vsf::AllowAll);
    allowState_ = vsf::AllowAll;
}

// -------------------------------------------------------------------- text

void TVzVSFWriter::WriteTextRecord(Byte code, const std::string& text, double x, double width) {
    WriteByte(code);
    WriteReal((cursorY_ + originY_) * scaleY_ / 100);
    WriteText(text);
    WriteReal((x + originX_) * scaleX_ / 100);
    if (code == vsf::BlockText) WriteReal(width);
}

namespace {
bool PlainForPositioning(const std::string& text, int rotation) {
    return rotation == 0 && text.find("\xFD$VPC") == std::string::npos && !HasFormatCodes(text) &&
           text.find(' ') != std::string::npos;
}
}  // namespace

void TVzVSFWriter::PrintCenterInch(const std::string& text, double x) {
    if (!BeginRecord()) return;
    double w = UnitsToInchesX(TextWidth(text));
    if (AccuracyMethod == amPositioning && PlainForPositioning(text, font_.Rotation)) {
        double bw = w * 10000 / (scaleX_ * scaleX_);
        WriteTextRecord(vsf::BlockText, text, x - bw / 2, bw);
    } else {
        WriteTextRecord(vsf::CenterText, text, x, 0);
    }
    cursorX_ = x * scaleX_ / 100;
    AdvanceCursor(InchesToUnitsX(w / 2));
    ProcessMessages();
}

void TVzVSFWriter::PrintLeftInch(const std::string& text, double x) {
    if (!BeginRecord()) return;
    double w = UnitsToInchesX(TextWidth(text));
    if (AccuracyMethod == amPositioning && PlainForPositioning(text, font_.Rotation)) {
        double bw = w * 10000 / (scaleX_ * scaleX_);
        WriteTextRecord(vsf::BlockText, text, x, bw);
    } else {
        WriteTextRecord(vsf::LeftText, text, x, 0);
    }
    cursorX_ = x * scaleX_ / 100;
    AdvanceCursor(InchesToUnitsX(w));
    ProcessMessages();
}

void TVzVSFWriter::PrintRightInch(const std::string& text, double x) {
    if (!BeginRecord()) return;
    if (AccuracyMethod == amPositioning && PlainForPositioning(text, font_.Rotation)) {
        double w = UnitsToInchesX(TextWidth(text));
        double bw = w * 10000 / (scaleX_ * scaleX_);
        WriteTextRecord(vsf::BlockText, text, x - bw, bw);
    } else {
        WriteTextRecord(vsf::RightText, text, x, 0);
    }
    cursorX_ = x * scaleX_ / 100;
    ProcessMessages();
}

void TVzVSFWriter::PrintBlockInch(const std::string& text, double x, double width) {
    if (!BeginRecord()) return;
    WriteTextRecord(vsf::BlockText, text, x, width * scaleX_ / 100);
    cursorX_ = x * scaleX_ / 100;
    AdvanceCursor(InchesToUnitsX(width));
    ProcessMessages();
}

// ----------------------------------------------------------------- drawing

void TVzVSFWriter::Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) {
    if (!BeginRecord()) return;
    WriteByte(vsf::Arc);
    WriteXY(x1, y1);
    WriteXY(x2, y2);
    WriteXY(x3, y3);
    WriteXY(x4, y4);
    ProcessMessages();
}

void TVzVSFWriter::Chord(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) {
    if (!BeginRecord()) return;
    WriteByte(vsf::Chord);
    WriteXY(x1, y1);
    WriteXY(x2, y2);
    WriteXY(x3, y3);
    WriteXY(x4, y4);
    ProcessMessages();
}

void TVzVSFWriter::Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) {
    if (!BeginRecord()) return;
    WriteByte(vsf::Pie);
    WriteXY(x1, y1);
    WriteXY(x2, y2);
    WriteXY(x3, y3);
    WriteXY(x4, y4);
    ProcessMessages();
}

void TVzVSFWriter::Ellipse(double x1, double y1, double x2, double y2) {
    if (!BeginRecord()) return;
    WriteByte(vsf::Ellipse);
    WriteXY(x1, y1);
    WriteXY(x2, y2);
    ProcessMessages();
}

void TVzVSFWriter::Rectangle(double x1, double y1, double x2, double y2) {
    if (!BeginRecord()) return;
    WriteByte(vsf::Rectangle);
    WriteXY(x1, y1);
    WriteXY(x2, y2);
    ProcessMessages();
}

void TVzVSFWriter::TabRectangle(double x1, double y1, double x2, double y2) {
    if (!BeginRecord()) return;
    WriteByte(vsf::TabRectangle);
    WriteXY(x1, y1);
    WriteXY(x2, y2);
    ProcessMessages();
}

void TVzVSFWriter::RoundRect(double x1, double y1, double x2, double y2, double x3, double y3) {
    if (!BeginRecord()) return;
    WriteByte(vsf::RoundRect);
    WriteXY(x1, y1);
    WriteXY(x2, y2);
    WriteReal(UnitsToInchesX(x3));
    WriteReal(UnitsToInchesY(y3));
    ProcessMessages();
}

void TVzVSFWriter::MoveTo(double x, double y) {
    if (!BeginRecord()) return;
    if (NoBufferLine) {
        WriteByte(vsf::MoveTo);
        WriteXY(x, y);
    } else {
        BufferMoveTo(x, y);
    }
}

void TVzVSFWriter::LineTo(double x, double y) {
    if (!BeginRecord()) return;
    if (NoBufferLine) {
        WriteByte(vsf::LineTo);
        WriteXY(x, y);
    } else {
        double fx, fy;
        if (!BufferLineTo(x, y, fx, fy)) {
            // The remembered point already holds the origin.
            double ox = InchesToUnitsX(originX_), oy = InchesToUnitsY(originY_);
            WriteByte(vsf::MoveTo);
            WriteXY(fx - ox, fy - oy);
            WriteByte(vsf::LineTo);
            WriteXY(x, y);
        }
    }
    ProcessMessages();
}

void TVzVSFWriter::Polygon(const std::vector<TPoint>& points) {
    if (!BeginRecord() || points.empty()) return;
    WriteByte(vsf::Polygon);
    WriteInt16(SmallInt(points.size() - 1));
    for (const TPoint& p : points) WriteDevicePoint(p.X, p.Y);
    ProcessMessages();
}

void TVzVSFWriter::PolyLine(const std::vector<TPoint>& points) {
    if (!BeginRecord() || points.empty()) return;
    WriteByte(vsf::PolyLine);
    WriteInt16(SmallInt(points.size() - 1));
    for (const TPoint& p : points) WriteDevicePoint(p.X, p.Y);
    ProcessMessages();
}

void TVzVSFWriter::FillRect(const TRect& r) {
    if (!BeginRecord()) return;
    WriteByte(vsf::FillRect);
    WriteDeviceRect(r);
    ProcessMessages();
}

void TVzVSFWriter::FrameRect(const TRect& r) {
    if (!BeginRecord()) return;
    WriteByte(vsf::FrameRect);
    WriteDeviceRect(r);
    ProcessMessages();
}

void TVzVSFWriter::DrawFocusRect(const TRect& r) {
    if (!BeginRecord()) return;
    WriteByte(vsf::DrawFocusRect);
    WriteDeviceRect(r);
    ProcessMessages();
}

void TVzVSFWriter::CopyRect(const TRect&, TCanvas*, const TRect&) {
    RaiseReportError(Trans("CopyRect() not supported in file mode."));
}

void TVzVSFWriter::TextRect(const TRect& r, double x, double y, const std::string& text) {
    if (!BeginRecord()) return;
    WriteByte(vsf::TextRect);
    WriteDeviceRect(r);
    WriteXY(x, y);
    WriteText(text);
    ProcessMessages();
}

void TVzVSFWriter::FloodFill(double x, double y, TColor color, TCanvas::TFillStyle style) {
    if (!BeginRecord()) return;
    WriteByte(vsf::FloodFill);
    WriteXY(x, y);
    WriteInt32(color);
    WriteInt32(std::int32_t(style));
    ProcessMessages();
}

void TVzVSFWriter::BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color) {
    if (!BeginRecord()) return;
    WriteByte(vsf::BrushCopy);
    WriteGraphic(bitmap);
    WriteDeviceRect(dest);
    WriteDeviceRect(source);
    WriteInt32(color);
    ProcessMessages();
}

void TVzVSFWriter::Draw(double x, double y, TGraphic* graphic) {
    if (!BeginRecord()) return;
    WriteByte(vsf::Draw);
    WriteGraphic(graphic);
    WriteXY(x, y);
    ProcessMessages();
}

void TVzVSFWriter::StretchDraw(const TRect& r, TGraphic* graphic) {
    if (!BeginRecord()) return;
    WriteByte(vsf::StretchDraw);
    WriteGraphic(graphic);
    WriteDeviceRect(r);
    ProcessMessages();
}

void TVzVSFWriter::PrintBitmap(double x, double y, double scaleX, double scaleY, TBitmap* bitmap) {
    if (!BeginRecord()) return;
    WriteByte(vsf::TransparentPrefix);
    WriteBool(TransparentBitmaps);
    WriteByte(vsf::PrintBitmap);
    WriteGraphic(bitmap);
    WriteXY(x, y);
    WriteReal(scaleX);
    WriteReal(scaleY);
    ProcessMessages();
}

void TVzVSFWriter::PrintBitmapRect(double x1, double y1, double x2, double y2, TBitmap* bitmap) {
    if (!BeginRecord()) return;
    WriteByte(vsf::TransparentPrefix);
    WriteBool(TransparentBitmaps);
    WriteByte(vsf::PrintBitmapRect);
    WriteGraphic(bitmap);
    WriteXY(x1, y1);
    WriteXY(x2, y2);
    ProcessMessages();
}

void TVzVSFWriter::PrintImageRect(double x1, double y1, double x2, double y2, TStream* imageStream,
                                  const std::string& imageType) {
    if (!BeginRecord()) return;
    WriteByte(vsf::TransparentPrefix);
    WriteBool(TransparentBitmaps);
    WriteByte(vsf::PrintImageRect);
    Int64 n = imageStream ? imageStream->Size() - imageStream->Position() : 0;
    WriteInt32(std::int32_t(n));
    Flush();
    if (n > 0 && !suppress_) out_->CopyFrom(*imageStream, n);
    WriteText(imageType);
    WriteXY(x1, y1);
    WriteXY(x2, y2);
    ProcessMessages();
}

void TVzVSFWriter::PrintData(const std::string& data) {
    if (!BeginRecord()) return;
    WriteByte(vsf::PrintData);
    WriteText(data);
    ProcessMessages();
}

void TVzVSFWriter::PrintDataStream(TStream* stream, Int64 count) {
    if (!BeginRecord() || !stream) return;
    if (count == 0) count = stream->Size() - stream->Position();
    WriteByte(vsf::PrintDataStream);
    WriteInt32(std::int32_t(count));
    char block[4096];
    Int64 left = count;
    while (left > 0) {
        Integer n = Integer(std::min<Int64>(left, sizeof block));
        stream->ReadBuffer(block, n);
        WriteBuf(block, size_t(n));
        left -= n;
    }
    ProcessMessages();
}

// ---------------------------------------------------------------- graphics

void TVzVSFWriter::RegisterGraphic(int n) {
    if (n < 1 || n > 10) RaiseReportError(Trans("RegisterGraphic: Index must be between 1 and ") + "10");
    graphicSlots_[n - 1] = lastGraphicPos_;
}

void TVzVSFWriter::ReuseGraphic(int n) {
    if (n < 1 || n > 10) RaiseReportError(Trans("ReuseGraphic: Index must be between 1 and ") + "10");
    reusePos_ = graphicSlots_[n - 1];
}

void TVzVSFWriter::UnregisterGraphic(int n) {
    if (n < 1 || n > 10) RaiseReportError(Trans("UnregisterGraphic: Index must be between 1 and ") + "10");
    graphicSlots_[n - 1] = 0;
}

// ------------------------------------------------------ late-bound values

void TVzVSFWriter::WriteVariableRecord(const std::string& name, Byte capacity, Byte length, const std::string& data) {
    WriteByte(vsf::Variable);
    WriteText(name);
    WriteByte(capacity);
    WriteByte(length);
    std::string bytes = data;
    bytes.resize(capacity, '\0');
    WriteBuf(bytes.data(), bytes.size());
}

std::string TVzVSFWriter::PIVar(const std::string& name) {
    std::string marker = std::string("\xFD$VPCV\xFC") + name + "\xFB";
    if (!StateWritable()) return marker;
    std::string key = UpperName(name);
    auto it = variables_.find(key);
    if (it != variables_.end() && it->second > 0) return marker;  // already pending
    std::int32_t previous = it == variables_.end() ? 0 : -it->second;
    std::string data(vsf::VariableCapacity, '\0');
    std::uint32_t u = std::uint32_t(previous);
    for (int i = 0; i < 4; ++i) data[i] = char(Byte(u >> (8 * i)));
    Int64 at = WritePos() + 1 + (name.size() < 192 ? 1 : 2) + Int64(std::min<size_t>(name.size(), vsf::MaxTextLength));
    WriteVariableRecord(name, vsf::VariableCapacity, 255, data);
    variables_[key] = std::int32_t(at);
    return marker;
}

void TVzVSFWriter::SetPIVar(const std::string& name, const std::string& value) {
    if (!StateWritable()) return;
    std::string v = value.substr(0, vsf::VariableCapacity);
    std::string key = UpperName(name);
    auto it = variables_.find(key);
    if (it != variables_.end() && it->second > 0) {
        // Fill the pending placeholder in place.
        Flush();
        Int64 end = out_->Size();
        out_->SetPosition(it->second);
        Byte head[2] = {Byte(vsf::VariableCapacity), Byte(v.size())};
        out_->WriteBuffer(head, 2);
        std::string bytes = v;
        bytes.resize(vsf::VariableCapacity, '\0');
        out_->WriteBuffer(bytes.data(), Integer(bytes.size()));
        out_->SetPosition(end);
        variables_.erase(it);
        return;
    }
    Int64 at = WritePos() + 1 + (name.size() < 192 ? 1 : 2) + Int64(std::min<size_t>(name.size(), vsf::MaxTextLength));
    WriteVariableRecord(name, Byte(v.size()), Byte(v.size()), v);
    variables_[key] = -std::int32_t(at);
}
