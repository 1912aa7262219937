#include "report/Render.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gui/Icon.h"
#include "platform/gui/Metafile.h"
#include "platform/core/CodePage.h"
#include "platform/core/DateTime.h"
#include "platform/core/Format.h"
#include "platform/core/Strings.h"
#include "report/FormatCodes.h"
#include "report/ReportNumbers.h"
#include "report/BaseReport.h"
#include "report/BufferedStream.h"
#include "report/VSFWriter.h"

// ---------------------------------------------------------------- registry

namespace {
std::unique_ptr<std::vector<std::pair<std::string, TVPRender*>>>& Registry() {
    static std::unique_ptr<std::vector<std::pair<std::string, TVPRender*>>> list;
    return list;
}
constexpr double Pi = 3.14159265358979323846;

// Length of the placeholder marker that starts at i, 0 when there is none:
// a macro "\xFD$VPCM" and its two digits, or a variable "\xFD$VPCV\xFC".
// The name after a variable marker ends at a "\xFB" byte.
size_t MarkerLength(const std::string& s, size_t i) {
    if (s.compare(i, 6, "\xFD$VPCM") == 0) return std::min<size_t>(8, s.size() - i);
    if (s.compare(i, 7, "\xFD$VPCV\xFC") == 0) return 7;
    return 0;
}

// Texts are UTF-8; files written by older programs hold Windows-1252. A text
// that is not well-formed UTF-8 (placeholder markers aside) is taken as
// Windows-1252, so names with accents stay readable instead of broken.
std::string SnapshotTextToUtf8(const std::string& text) {
    bool valid = true, inName = false;
    for (size_t i = 0; i < text.size() && valid;) {
        if (size_t m = MarkerLength(text, i)) {
            inName = m == 7;
            i += m;
            continue;
        }
        if (inName && text[i] == '\xFB') {
            inName = false;
            ++i;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (n == 0 || (n == 2 && c < 0xC2) || i + n > text.size()) {
            valid = false;
            break;
        }
        char32_t cp = n == 1 ? c : c & (0x7F >> n);
        for (size_t k = 1; k < n; ++k) {
            unsigned char d = static_cast<unsigned char>(text[i + k]);
            if ((d & 0xC0) != 0x80) valid = false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp < 0xE000))
            valid = false;
        i += n;
    }
    if (valid) return text;
    std::string out;
    inName = false;
    for (size_t i = 0; i < text.size();) {
        if (size_t m = MarkerLength(text, i)) {
            out.append(text, i, m);
            inName = m == 7;
            i += m;
        } else if (inName && text[i] == '\xFB') {
            out += text[i++];
            inName = false;
        } else {
            out += Cp1252ToUtf8(std::string_view(&text[i], 1));
            ++i;
        }
    }
    return out;
}
}  // namespace

void AddRenderer(const std::string& name, TVPRender* renderer) {
    if (!Registry()) Registry() = std::make_unique<std::vector<std::pair<std::string, TVPRender*>>>();
    Registry()->emplace_back(name, renderer);
}

void RemoveRenderer(const std::string& name, TVPRender* renderer) {
    auto& list = Registry();
    if (!list) return;
    for (auto it = list->begin(); it != list->end(); ++it)
        if (it->second == renderer) {
            list->erase(it);
            break;
        }
    if (list->empty()) list.reset();
}

void ListRendererNames(std::vector<std::pair<std::string, TVPRender*>>& list) {
    list.clear();
    if (!Registry()) return;
    for (const auto& entry : *Registry())
        if (entry.second->Active) list.emplace_back(entry.second->DisplayName(), entry.second);
}

std::string BuildRendererFilter() {
    std::string filter;
    if (!Registry()) return filter;
    for (const auto& entry : *Registry()) {
        if (!entry.second->Active) continue;
        if (!filter.empty()) filter += "|";
        filter += entry.second->DisplayName() + "|" + entry.second->FileExtension;
    }
    return filter;
}

int RegisteredRendererCount() { return Registry() ? int(Registry()->size()) : 0; }

// ---------------------------------------------------------------- renderer

TVPRender::TVPRender(TComponent* owner) : TVpComponent(owner) { AddRenderer(displayName_, this); }

TVPRender::~TVPRender() { RemoveRenderer(displayName_, this); }

void TVPRender::SetDisplayName(const std::string& name) {
    RemoveRenderer(displayName_, this);
    displayName_ = name;
    AddRenderer(displayName_, this);
}

int TVPRender::XToDevice(double x) { return SafeRound(x * GetXDPI()); }

int TVPRender::YToDevice(double y) { return SafeRound(y * GetYDPI()); }

void TVPRender::AllowPreviewOnly() {
    AllowedKinds &= ~1u;
    AllowedKinds |= 2u;
}

void TVPRender::AllowPrinterOnly() {
    AllowedKinds &= ~2u;
    AllowedKinds |= 1u;
}

void TVPRender::AllowAll() { AllowedKinds |= 3u; }

void TVPRender::SetHyperlink(const std::string& link) {
    if (converter_) converter_->Hyperlink = link;
}

void TVPRender::PrintImageRect(double x1, double y1, double x2, double y2, TStream* image, const std::string& type) {
    if (!OnDecodeImage) return;
    TBitmap bitmap;
    OnDecodeImage(this, image, type, &bitmap);
    PrintBitmapRect(x1, y1, x2, y2, &bitmap);
}

int TVPRender::CountInnerSpaces(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return 0;
    size_t last = text.find_last_not_of(' ');
    int n = 0;
    for (size_t i = first; i <= last; ++i)
        if (text[i] == ' ') ++n;
    return n;
}

void TVPRender::SplitFirstWord(std::string& text, std::string& word) {
    size_t start = text.find_first_not_of(' ');
    size_t space = start == std::string::npos ? std::string::npos : text.find(' ', start);
    if (space == std::string::npos) {
        word = text;
        text.clear();
    } else {
        word = text.substr(0, space);
        text.erase(0, space);
    }
}

void TVPRender::SplitLeadingSpaces(std::string& text, std::string& spaces) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) first = text.size();
    spaces.assign(first, ' ');
    text.erase(0, first);
}

void TVPRender::AdvanceByAngle(double& x, double& y, double distance) {
    int a = converter_ ? converter_->FontData.Rotation : 0;
    if (a != 0) {
        x += distance * std::cos(a * Pi / 180);
        y -= distance * std::sin(a * Pi / 180);
    } else {
        x += distance;
    }
}

void TVPRender::Render(TStream* stream) {
    if (busy_) return;
    if (stream) {
        input_ = stream;
    } else if (!input_) {
        ownedInput_ = std::make_unique<TFileStream>(ReportFileName, fmOpenRead | fmShareDenyWrite);
        input_ = ownedInput_.get();
    }
    Convert(0);
}

void TVPRender::RenderFile(const std::string& name) {
    ReportFileName = name;
    input_ = nullptr;
    ownedInput_.reset();
    Render(nullptr);
}

void TVPRender::RenderToFile(TStream* stream, const std::string& fileName) {
    OutputFileName = fileName;
    Render(stream);
}

void TVPRender::Convert(int page) {
    if (!input_) return;
    auto converter = std::make_unique<TVPConverter>(input_, this);
    busy_ = true;
    try {
        converter->Generate(page);
    } catch (...) {
        converter_ = nullptr;
        busy_ = false;
        throw;
    }
    converter_ = nullptr;
    busy_ = false;
}

TVPRenderStream::~TVPRenderStream() { CloseStreams(); }

void TVPRenderStream::Print(const std::string& text) {
    if (!text.empty() && OutputStream) OutputStream->WriteBuffer(text.data(), Integer(text.size()));
}

void TVPRenderStream::CloseStreams() {
    ownedOutput_.reset();
    OutputStream = nullptr;
    ownedInput_.reset();
    input_ = nullptr;
}

void TVPRenderStream::OpenOutputFile(const std::string& fileName) {
    ownedOutput_ = std::make_unique<TFileStream>(fileName, fmCreate);
    OutputStream = ownedOutput_.get();
}

// --------------------------------------------------------------- converter

TVPConverter::TVPConverter(TStream* stream, TVPRender* renderer)
    : stream_(stream), render_(renderer), measureImage_(10, 10, QImage::Format_RGB32) {
    FontData = InitialReportFont();
    // Records are read a few bytes at a time: streams other than memory
    // are read through a buffer.
    if (!dynamic_cast<TMemoryStream*>(stream) && !dynamic_cast<TStringStream*>(stream)) {
        buffered_ = std::make_unique<TBufferedReadStream>(*stream);
        stream_ = buffered_.get();
    }
}

TVPConverter::~TVPConverter() = default;

Byte TVPConverter::ReadByte() {
    Byte b;
    stream_->ReadBuffer(&b, 1);
    return b;
}

SmallInt TVPConverter::ReadInt16() {
    Byte b[2];
    stream_->ReadBuffer(b, 2);
    return SmallInt(b[0] | (b[1] << 8));
}

std::int32_t TVPConverter::ReadInt32() {
    Byte b[4];
    stream_->ReadBuffer(b, 4);
    return std::int32_t(std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16) |
                        (std::uint32_t(b[3]) << 24));
}

// A NaN or an infinity is no length, position or angle: the file is
// refused instead of drawing from it.
double TVPConverter::ReadReal() {
    std::uint32_t u = std::uint32_t(ReadInt32());
    float f;
    std::memcpy(&f, &u, 4);
    if (!std::isfinite(f)) throw EReportPrinter(Trans("Invalid number found in report file."));
    return f;
}

std::string TVPConverter::ReadRawText() {
    int len = ReadByte();
    if (len >= 192 && Version >= 2016) len = ((len << 8) | ReadByte()) - 0xC000;
    std::string s(size_t(len), '\0');
    if (len > 0) stream_->ReadBuffer(s.data(), len);
    return SnapshotTextToUtf8(s);
}

std::string TVPConverter::ReadText() { return Expand(ReadRawText()); }

std::string TVPConverter::MacroValue(int n) {
    static const char* masks[] = {"ddddd", "dddddd", "mm/dd/yy", "dd/mm/yy", "t", "tt", "hh:nn ampm", "hh:nn"};
    if (n >= 0 && n <= 7) return FormatDateTime(masks[n], ConvertDateTime);
    switch (n) {
        case 8: return IntToStr(ReportHeader.FirstPage);
        case 9: return IntToStr(ReportHeader.LastPage);
        case 10: return IntToStr(ReportHeader.PageCount);
        case 11: return IntToStr(CurrentPage);
        case 12: return "";
        case 13: return DeviceName();
        case 14: return DriverName();
        case 15: return Port();
        default: break;
    }
    if (n >= 16 && n <= 35) return n - 16 < render_->MacroData.Count() ? render_->MacroData[n - 16] : "";
    return {};
}

std::string TVPConverter::Expand(const std::string& text) {
    if (text.find('\xFD') == std::string::npos) return text;
    std::string s = text;
    // Each replacement removes one marker; values are not rescanned for
    // markers beyond the text's own count, so a value holding a marker
    // cannot loop.
    for (int guard = 0; guard < 10000; ++guard) {
        size_t m = s.find("\xFD$VPCM");
        if (m != std::string::npos && m + 8 <= s.size() && std::isdigit((unsigned char)s[m + 6]) &&
            std::isdigit((unsigned char)s[m + 7])) {
            int n = (s[m + 6] - '0') * 10 + (s[m + 7] - '0');
            s.replace(m, 8, MacroValue(n));
            continue;
        }
        size_t v = s.find("\xFD$VPCV\xFC");
        if (v != std::string::npos) {
            size_t end = s.find('\xFB', v + 7);
            std::string name = s.substr(v + 7, end == std::string::npos ? std::string::npos : end - v - 7);
            auto it = Variables.find(AnsiUpperCase(name));
            std::string value = it == Variables.end() ? "" : it->second;
            s.replace(v, (end == std::string::npos ? s.size() : end + 1) - v, value);
            continue;
        }
        break;
    }
    return s;
}

void TVPConverter::ReadHeader() {
    stream_->SetPosition(0);
    Byte marker = ReadByte();
    if (marker == 'Z')
        Version = ReadInt16();
    else if (marker == 'Q')
        Version = 1101;
    else if (marker == 'Y')
        Version = 2009;
    else
        throw EReportPrinter(Format(Trans("Unexpected header code [%d] found in report file."), {int(marker)}));
    TVPReportHeader& h = ReportHeader;
    if (Version > 2009) h.Title = ReadRawText();
    auto count = [this] { return Version < 2018 ? int(ReadInt16()) : int(ReadInt32()); };
    h.PageCount = count();
    h.FirstPage = count();
    h.LastPage = count();
    h.PaperWidth = ReadReal();
    h.PaperHeight = ReadReal();
    h.LeftWaste = ReadReal();
    h.RightWaste = ReadReal();
    h.TopWaste = ReadReal();
    h.BottomWaste = ReadReal();
    h.Orientation = ReadByte();
    if (Version >= 2000) {
        h.Bin = ReadInt16();
        render_->SetBin(h.Bin);
        h.Collate = ReadByte() != 0;
        h.Duplex = ReadByte();
    }
    h.Copies = ReadInt16();
    h.PaperSize = ReadInt16();
    h.PaperWidthCode = ReadInt16();
    h.PaperLengthCode = ReadInt16();
    h.OutputName = ReadRawText();
    pagePos_ = stream_->Position();
    CurrentPage = 1;
}

void TVPConverter::ReadPageRecord() {
    PageRecord.Position = stream_->Position();
    if (ReadByte() != vsf::NewPage) throw EReportPrinter(Trans("Unexpected code found in report file."));
    PageRecord.PrevPage = ReadInt32();
    PageRecord.NextPage = ReadInt32();
    PageRecord.PageNum = Version < 2018 ? ReadInt16() : ReadInt32();
    if (Version >= 2000) {
        PageRecord.PaperWidth = ReadReal();
        PageRecord.PaperHeight = ReadReal();
        render_->PageWidth = PageRecord.PaperWidth;
        render_->PageHeight = PageRecord.PaperHeight;
    } else {
        PageRecord.Orientation = ReadByte();
    }
    if (Version > 5129) {
        PageRecord.Orientation = ReadByte();
        PageRecord.Bin = ReadInt16();
    }
}

void TVPConverter::GotoPage(int page) {
    stream_->SetPosition(pagePos_);
    ReadPageRecord();
    // Each link is followed at most once per page in the stream, so a
    // damaged chain cannot loop.
    Int64 limit = stream_->Size();
    for (Int64 steps = 0; PageRecord.PageNum != page && steps < limit; ++steps) {
        std::int32_t link = page > PageRecord.PageNum ? PageRecord.NextPage : PageRecord.PrevPage;
        if (link <= 0 || link >= stream_->Size()) break;
        stream_->SetPosition(link);
        ReadPageRecord();
    }
    pagePos_ = PageRecord.Position;
    CurrentPage = PageRecord.PageNum;
    stream_->SetPosition(PageRecord.Position);
}

std::vector<int> TVPConverter::PageNumbersInStream() {
    Int64 back = stream_->Position();
    stream_->SetPosition(pagePos_);
    ReadPageRecord();
    std::vector<int> numbers{PageRecord.PageNum};
    Int64 position = PageRecord.Position;
    // Links only go forward here, so the walk ends within the stream.
    while (PageRecord.NextPage > position && PageRecord.NextPage < stream_->Size()) {
        position = PageRecord.NextPage;
        stream_->SetPosition(position);
        ReadPageRecord();
        numbers.push_back(PageRecord.PageNum);
    }
    stream_->SetPosition(back);
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

void TVPConverter::Generate(int page) {
    render_->converter_ = this;
    ConvertDateTime = Now();
    ReadHeader();
    render_->BeginDoc();
    try {
        int count = ReportHeader.PageCount;
        if (page != 0) {
            // A page the stream does not hold plays nothing.
            GotoPage(page);
            if (PageRecord.PageNum == page) PlayPage();
        } else if (!render_->Selection.empty()) {
            // Only pages the stream holds are tested against the selection:
            // neither the header's count nor a page record's number is
            // trusted to bound the walk.
            for (int p : PageNumbersInStream())
                if (p >= 1 && p <= count && SelectionContains(render_->Selection, p)) {
                    GotoPage(p);
                    if (PageRecord.PageNum == p) PlayPage();
                }
        } else {
            int first = render_->FirstPage, last = render_->LastPage;
            if (last == 0 || last == 9999 || (first == 1 && last == count)) {
                stream_->SetPosition(pagePos_);
                // A header may claim more pages than the stream holds.
                for (int p = 1; p <= count && stream_->Position() < stream_->Size(); ++p) PlayPage();
            } else {
                if (last > count) last = count;
                if (first < 1) first = 1;
                if (first <= last) {
                    GotoPage(first);
                    PlayPage();
                    while (PageRecord.PageNum < last && PageRecord.NextPage > 0) PlayPage();
                }
            }
        }
    } catch (...) {
        render_->EndDoc();
        throw;
    }
    render_->EndDoc();
}

bool TVPConverter::Played() {
    int kind = render_->GetOutputKind();
    return kind >= 0 && kind <= 7 && (render_->AllowedKinds & (1u << kind));
}

TRect TVPConverter::ReadRect() {
    double x1 = ReadReal(), y1 = ReadReal(), x2 = ReadReal(), y2 = ReadReal();
    return TRect(render_->XToDevice(x1), render_->YToDevice(y1), render_->XToDevice(x2), render_->YToDevice(y2));
}

std::unique_ptr<TGraphic> TVPConverter::ReadGraphic() {
    Byte type = ReadByte();
    bool reuse = type > 128;
    int kind = type & 0x7F;
    Int64 back = 0;
    if (reuse) {
        std::int32_t pos = ReadInt32();
        back = stream_->Position();
        if (pos <= 0 || pos >= stream_->Size()) throw EReadError("Stream read error");
        stream_->SetPosition(pos);
    }
    std::int32_t size = ReadInt32();
    if (size < 0 || size > stream_->Size() - stream_->Position()) throw EReadError("Stream read error");
    std::vector<std::uint8_t> data(static_cast<size_t>(size));
    if (size > 0) stream_->ReadBuffer(data.data(), size);
    if (reuse) stream_->SetPosition(back);
    if (kind == 1) {
        auto bitmap = std::make_unique<TBitmap>();
        if (!data.empty()) bitmap->LoadFromBytes(data);
        return bitmap;
    }
    if (kind == 2) {
        auto metafile = std::make_unique<TMetafile>();
        if (!data.empty()) metafile->LoadFromBytes(data);
        return metafile;
    }
    if (kind == 3) {
        auto icon = std::make_unique<TIcon>();
        if (!data.empty()) icon->LoadFromBytes(data);
        return icon;
    }
    // Other picture classes are told apart by their data: JPEG pictures and
    // bitmaps are drawn; unknown kinds are skipped.
    if (kind == 4 && data.size() > 2 && data[0] == 0xFF && data[1] == 0xD8) {
        auto jpeg = std::make_unique<TJPEGImage>();
        jpeg->LoadFromBytes(data);
        return jpeg;
    }
    if (kind == 4 && data.size() > 2 && data[0] == 'B' && data[1] == 'M') {
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->LoadFromBytes(data);
        return bitmap;
    }
    return nullptr;
}

std::string TVPConverter::ReadVariableValue(int depth) {
    Byte capacity = ReadByte();
    Byte length = ReadByte();
    std::string data(capacity, '\0');
    if (capacity > 0) stream_->ReadBuffer(data.data(), capacity);
    if (length <= capacity && length != 254 && length != 255) return data.substr(0, length);
    if (data.size() < 4 || depth > 16) return {};
    std::int32_t pos = std::int32_t(Byte(data[0]) | (Byte(data[1]) << 8) | (Byte(data[2]) << 16) |
                                    (std::uint32_t(Byte(data[3])) << 24));
    pos = std::abs(pos);
    if (pos == 0 || pos >= stream_->Size()) return {};
    Int64 back = stream_->Position();
    stream_->SetPosition(pos);
    std::string value = ReadVariableValue(depth + 1);
    stream_->SetPosition(back);
    return value;
}

void TVPConverter::ApplyRunCodes(const std::string& codes) {
    int pos = 1;
    while (pos <= int(codes.size())) {
        char code;
        std::string p;
        NextFormatCode(codes, pos, code, p);
        bool on = p == "1";
        TFontStyles st = Font.Style();
        auto style = [&](TFontStyle s, bool v) { st = v ? (st | s) : (st & ~unsigned(s)); };
        switch (code) {
            case 'A': render_->SetHyperlink(p); break;
            case 'B': style(fsBold, on); FontData.Bold = on; break;
            case 'I': style(fsItalic, on); FontData.Italic = on; break;
            case 'K': style(fsStrikeOut, on); FontData.Strikeout = on; break;
            case 'U': style(fsUnderline, on); FontData.Underline = on; break;
            case 'P': FontData.Superscript = on; break;
            case 'S': FontData.Subscript = on; break;
            case 'C': FontData.Color = TColor(StrToInt64Def(Trim(p), 0)); Font.SetColor(FontData.Color); break;
            case 'H': {
                TFontPitch pitch = p.empty() ? fpDefault : p[0] == 'F' ? fpFixed : p[0] == 'V' ? fpVariable : fpDefault;
                FontData.Pitch = pitch;
                Font.SetPitch(pitch);
                break;
            }
            case 'N': FontData.Name = p.substr(0, 60); Font.SetName(FontData.Name); break;
            case 'Z': {
                int size = SafeRound(ClampReal(StrToFloatDef(Trim(p), 12), MaxFontInches * 72));
                if (size > 0) {
                    FontData.Size = size;
                    FontData.Height = size / 72.0;
                    Font.SetSize(size);
                }
                break;
            }
            case 'R':
                FontData.Name = "Arial";
                Font.SetName("Arial");
                FontData.Size = 12;
                FontData.Height = 12 / 72.0;
                Font.SetSize(12);
                [[fallthrough]];
            case 'r':
                st = 0;
                FontData.Bold = FontData.Underline = FontData.Italic = FontData.Strikeout = false;
                FontData.CharSet = 1;
                FontData.Superscript = FontData.Subscript = false;
                FontData.Rotation = 0;
                FontData.Width = 0;
                FontData.Align = 0;
                break;
            default: break;
        }
        Font.SetStyle(st);
    }
}

double TVPConverter::RunWidth(const std::string& text) {
    if (text.empty()) return 0;
    EnsureGuiApplication();
    TCanvas canvas(&measureImage_);
    canvas.Font()->Assign(Font);
    canvas.Font()->SetHeight(-SafeRound(FontData.Height * 1248));
    return canvas.TextWidth(text) / 1248.0;
}

double TVPConverter::TextWidth(const std::string& text) {
    TFont savedFont;
    savedFont.Assign(Font);
    TSaveFont savedData = FontData;
    double w = 0;
    int pos = 1;
    while (pos <= int(text.size())) {
        std::string codes, plain;
        SplitFormatRun(text, pos, codes, plain);
        ApplyRunCodes(codes);
        w += RunWidth(plain);
    }
    Font.Assign(savedFont);
    FontData = savedData;
    return w;
}

void TVPConverter::PrintRuns(const std::string& text, double x, double y, TPrintJustify justify) {
    double w = TextWidth(text);
    if (justify == pjCenter) x -= w / 2;
    if (justify == pjRight) x -= w;
    int pos = 1;
    while (pos <= int(text.size())) {
        std::string codes, plain;
        SplitFormatRun(text, pos, codes, plain);
        ApplyRunCodes(codes);
        render_->FontChanged(&Font);
        render_->PrintLeft(plain, x, y);
        x += RunWidth(plain);
    }
}

void TVPConverter::PrintJustifiedRuns(const std::string& text, double x, double y, double width) {
    int spaces = 0;
    int pos = 1;
    while (pos <= int(text.size())) {
        std::string codes, plain;
        SplitFormatRun(text, pos, codes, plain);
        for (char c : plain)
            if (c == ' ') ++spaces;
    }
    double extra = spaces > 0 ? (width - TextWidth(text)) / spaces : 0;
    pos = 1;
    while (pos <= int(text.size())) {
        std::string codes, plain;
        SplitFormatRun(text, pos, codes, plain);
        ApplyRunCodes(codes);
        std::string word;
        render_->SplitFirstWord(plain, word);
        render_->FontChanged(&Font);
        render_->PrintLeft(word, x, y);
        render_->AdvanceByAngle(x, y, RunWidth(word));
        while (!plain.empty()) {
            render_->SplitFirstWord(plain, word);
            render_->AdvanceByAngle(x, y, RunWidth(word) + extra);
            render_->PrintRight(word, x, y);
        }
    }
}

void TVPConverter::PlayPage() {
    ReadPageRecord();
    CurrentPage = PageRecord.PageNum;
    render_->BeginPage();
    auto points = [this](int count) {
        std::vector<std::pair<double, double>> pts;
        for (int i = 0; i < count; ++i) {
            double x = ReadReal();
            double y = ReadReal();
            pts.emplace_back(x, y);
        }
        return pts;
    };
    while (true) {
        Byte code = ReadByte();
        if (code == vsf::EndPage) break;
        switch (code) {
            case vsf::Arc: case vsf::Chord: case vsf::Pie: {
                auto p = points(4);
                if (!Played()) break;
                auto f = code == vsf::Arc ? &TVPRender::Arc : code == vsf::Chord ? &TVPRender::Chord : &TVPRender::Pie;
                (render_->*f)(p[0].first, p[0].second, p[1].first, p[1].second, p[2].first, p[2].second,
                              p[3].first, p[3].second);
                break;
            }
            case vsf::BrushCopy: {
                auto g = ReadGraphic();
                TRect d = ReadRect(), s = ReadRect();
                TColor c = ReadInt32();
                if (Played()) render_->BrushCopy(d, dynamic_cast<TBitmap*>(g.get()), s, c);
                break;
            }
            case vsf::CopyRect: {
                TRect d = ReadRect();
                int v = ReadInt32();
                TRect s = ReadRect();
                if (Played()) render_->CopyRect(d, v, s);
                break;
            }
            case vsf::Draw: {
                auto g = ReadGraphic();
                double x = ReadReal(), y = ReadReal();
                if (Played() && g) render_->Draw(x, y, g.get());
                break;
            }
            case vsf::DrawFocusRect: case vsf::FillRect: case vsf::FrameRect: {
                TRect r = ReadRect();
                if (!Played()) break;
                if (code == vsf::DrawFocusRect) render_->DrawFocusRect(r);
                if (code == vsf::FillRect) render_->FillRect(r);
                if (code == vsf::FrameRect) render_->FrameRect(r);
                break;
            }
            case vsf::Ellipse: {
                auto p = points(2);
                if (Played()) render_->Ellipse(p[0].first, p[0].second, p[1].first, p[1].second);
                break;
            }
            case vsf::FloodFill: {
                double x = ReadReal(), y = ReadReal();
                TColor c = ReadInt32();
                int style = ReadInt32();
                if (Played()) render_->FloodFill(x, y, c, style);
                break;
            }
            case vsf::LineTo: {
                double x = ReadReal(), y = ReadReal();
                if (Played()) {
                    TColor color = Brush.Color();
                    TBrushStyle style = Brush.Style();
                    Brush.SetStyle(bsClear);
                    render_->SetBrush(&Brush);
                    render_->MoveTo(CurrentX, CurrentY);
                    render_->LineTo(x, y);
                    Brush.SetColor(color);
                    Brush.SetStyle(style);
                    render_->SetBrush(&Brush);
                }
                CurrentX = x;
                CurrentY = y;
                break;
            }
            case vsf::MoveTo:
                CurrentX = ReadReal();
                CurrentY = ReadReal();
                break;
            case vsf::Polygon: case vsf::PolyLine: {
                int last = ReadInt16();
                if (last < 0) throw EReportPrinter(Format(Trans("Unexpected code [%d] found in report file."), {int(code)}));
                auto p = points(last + 1);
                render_->MoveTo(p[0].first, p[0].second);
                if (!Played()) break;
                if (code == vsf::Polygon)
                    render_->Polygon(p);
                else
                    render_->PolyLine(p);
                break;
            }
            case vsf::PrintBitmap: {
                auto g = ReadGraphic();
                double x = ReadReal(), y = ReadReal(), sx = ReadReal(), sy = ReadReal();
                if (Played() && g) render_->PrintBitmap(x, y, sx, sy, dynamic_cast<TBitmap*>(g.get()));
                break;
            }
            case vsf::PrintBitmapRect: {
                auto g = ReadGraphic();
                auto p = points(2);
                if (Played() && g)
                    render_->PrintBitmapRect(p[0].first, p[0].second, p[1].first, p[1].second,
                                             dynamic_cast<TBitmap*>(g.get()));
                break;
            }
            case vsf::Rectangle: case vsf::TabRectangle: {
                auto p = points(2);
                if (Played()) render_->Rectangle(p[0].first, p[0].second, p[1].first, p[1].second);
                break;
            }
            case vsf::RoundRect: {
                auto p = points(2);
                double cw = ReadReal(), ch = ReadReal();
                if (Played()) render_->RoundRect(p[0].first, p[0].second, p[1].first, p[1].second, cw, ch);
                break;
            }
            case vsf::StretchDraw: {
                auto g = ReadGraphic();
                TRect r = ReadRect();
                if (Played() && g) render_->StretchDraw(r, g.get());
                break;
            }
            case vsf::TextRect: {
                TRect r = ReadRect();
                double x = ReadReal(), y = ReadReal();
                std::string t = ReadText();
                if (Played()) render_->TextRect(r, x, y, t);
                break;
            }
            case vsf::CenterText: case vsf::LeftText: case vsf::RightText: {
                double y = ReadReal();
                std::string t = ReadText();
                double x = ReadReal();
                if (t.empty() || !Played()) break;
                TPrintJustify j = code == vsf::CenterText ? pjCenter : code == vsf::LeftText ? pjLeft : pjRight;
                if (HasFormatCodes(t))
                    PrintRuns(t, x, y, j);
                else if (j == pjCenter)
                    render_->PrintCenter(t, x, y);
                else if (j == pjLeft)
                    render_->PrintLeft(t, x, y);
                else
                    render_->PrintRight(t, x, y);
                break;
            }
            case vsf::BKMode: render_->TextBKMode = ReadByte(); break;
            case vsf::BKColor: render_->SetBKColor(ReadInt32()); break;
            case vsf::ScaleX: case vsf::ScaleY: ReadReal(); break;
            case vsf::PrintData: {
                std::string t = ReadText();
                if (Played()) render_->PrintData(t);
                break;
            }
            case vsf::PrintDataStream: {
                std::int32_t n = ReadInt32();
                if (n < 0 || n > stream_->Size() - stream_->Position()) throw EReadError("Stream read error");
                Int64 after = stream_->Position() + n;
                if (Played()) render_->PrintDataStream(stream_, n);
                stream_->SetPosition(after);
                break;
            }
            case vsf::BlockTextOld: case vsf::BlockText: {
                double y = ReadReal();
                std::string t = ReadText();
                double x = ReadReal(), w = ReadReal();
                if (t.empty() || !Played()) break;
                if (HasFormatCodes(t))
                    PrintJustifiedRuns(t, x, y, w);
                else
                    render_->PrintBlock(t, x, y, w);
                break;
            }
            case vsf::TransparentPrefix: render_->TransparentBitmaps = ReadByte() != 0; break;
            case vsf::FrameMode: render_->FrameMode = ReadByte(); break;
            case vsf::PrintImageRect: {
                std::int32_t n = ReadInt32();
                if (n < 0 || n > stream_->Size() - stream_->Position()) throw EReadError("Stream read error");
                TMemoryStream image;
                if (n > 0) image.CopyFrom(*stream_, n);
                image.SetPosition(0);
                std::string type = ReadText();
                auto p = points(2);
                if (Played()) render_->PrintImageRect(p[0].first, p[0].second, p[1].first, p[1].second, &image, type);
                break;
            }
            case vsf::Variable: {
                std::string name = ReadRawText();
                Variables[AnsiUpperCase(name)] = SnapshotTextToUtf8(ReadVariableValue(0));
                break;
            }
            case vsf::Hyperlink: render_->SetHyperlink(ReadText()); break;
            case vsf::Brush: {
                Brush.SetColor(ReadInt32());
                Brush.SetStyle(TBrushStyle(ReadByte() % 8));
                if (ReadByte()) {
                    auto g = ReadGraphic();
                    BrushBitmap.reset(dynamic_cast<TBitmap*>(g.release()));
                }
                render_->SetBrush(&Brush);
                break;
            }
            case vsf::BrushColor:
                BrushBitmap.reset();
                Brush.SetColor(ReadInt32());
                render_->SetBrush(&Brush);
                break;
            case vsf::BrushStyle:
                Brush.SetStyle(TBrushStyle(ReadByte() % 8));
                render_->SetBrush(&Brush);
                break;
            case vsf::BrushBitmap:
                if (ReadByte()) {
                    auto g = ReadGraphic();
                    BrushBitmap.reset(dynamic_cast<TBitmap*>(g.release()));
                } else {
                    BrushBitmap.reset();
                }
                render_->SetBrush(&Brush);
                break;
            case vsf::Font: {
                FontData.Name = ReadRawText().substr(0, 60);
                Font.SetName(FontData.Name);
                FontData.Color = ReadInt32();
                Font.SetColor(FontData.Color);
                FontData.Pitch = TFontPitch(ReadByte() % 3);
                Font.SetPitch(FontData.Pitch);
                FontData.CharSet = Version >= 2018 ? ReadByte() : 1;
                Font.SetCharset(FontData.CharSet);
                FontData.Height = ClampReal(ReadReal(), MaxFontInches);
                Font.SetSize(SafeRound(render_->GetXDPI() * FontData.Height));
                TFontStyles st = 0;
                if (ReadByte()) st |= fsBold;
                if (ReadByte()) st |= fsItalic;
                if (ReadByte()) st |= fsStrikeOut;
                Font.SetStyle(st);
                ReadByte();
                FontData.Rotation = Version >= 2000 ? ReadInt16() : 0;
                break;
            }
            case vsf::FontName:
                FontData.Name = ReadRawText().substr(0, 60);
                Font.SetName(FontData.Name);
                render_->FontChanged(&Font);
                break;
            case vsf::FontColor:
                FontData.Color = ReadInt32();
                Font.SetColor(FontData.Color);
                render_->FontChanged(&Font);
                break;
            case vsf::FontPitch:
                FontData.Pitch = TFontPitch(ReadByte() % 3);
                Font.SetPitch(FontData.Pitch);
                render_->FontChanged(&Font);
                break;
            case vsf::FontHeight:
                FontData.Height = ClampReal(ReadReal(), MaxFontInches);
                if (Version >= 2000) FontData.Width = ClampReal(ReadReal(), MaxFontInches);
                FontData.Size = FontData.Height * 72;
                Font.SetSize(SafeRound(FontData.Size));
                render_->FontChanged(&Font);
                break;
            case vsf::FontBold: case vsf::FontUnderline: case vsf::FontItalic: case vsf::FontStrikeout: {
                bool on = ReadByte() != 0;
                TFontStyle s = code == vsf::FontBold ? fsBold : code == vsf::FontUnderline ? fsUnderline
                               : code == vsf::FontItalic ? fsItalic : fsStrikeOut;
                if (code == vsf::FontBold) FontData.Bold = on;
                if (code == vsf::FontUnderline) FontData.Underline = on;
                if (code == vsf::FontItalic) FontData.Italic = on;
                if (code == vsf::FontStrikeout) FontData.Strikeout = on;
                Font.SetStyle(on ? (Font.Style() | s) : (Font.Style() & ~unsigned(s)));
                render_->FontChanged(&Font);
                break;
            }
            case vsf::FontSuperscript: FontData.Superscript = ReadByte() != 0; render_->FontChanged(&Font); break;
            case vsf::FontSubscript: FontData.Subscript = ReadByte() != 0; render_->FontChanged(&Font); break;
            case vsf::FontRotation: FontData.Rotation = ReadInt16(); render_->FontChanged(&Font); break;
            case vsf::FontAlign: FontData.Align = ReadByte(); render_->FontChanged(&Font); break;
            case vsf::FontCharset:
                FontData.CharSet = ReadByte();
                Font.SetCharset(FontData.CharSet);
                render_->FontChanged(&Font);
                break;
            case vsf::Pen: {
                Pen.SetColor(ReadInt32());
                Pen.SetMode(TPenMode(ReadByte() & 15));
                Pen.SetStyle(TPenStyle(ReadByte() % 7));
                Pen.SetWidth(SafeRound(ClampReal(ReadReal() / 10000, MaxRasterSide)));
                render_->SetPen(&Pen);
                break;
            }
            case vsf::PenColor: Pen.SetColor(ReadInt32()); render_->SetPen(&Pen); break;
            case vsf::PenMode: Pen.SetMode(TPenMode(ReadByte() & 15)); render_->SetPen(&Pen); break;
            case vsf::PenStyle: Pen.SetStyle(TPenStyle(ReadByte() % 7)); render_->SetPen(&Pen); break;
            case vsf::PenWidth: render_->PenWidth = ReadReal(); render_->SetPen(&Pen); break;
            case vsf::ResetLineHeight:
                FontData.Ascent = ReadReal();
                FontData.Descent = ReadReal();
                LineHeight = ReadReal();
                break;
            case vsf::AllowPreviewOnly: render_->AllowPreviewOnly(); break;
            case vsf::AllowPrinterOnly: render_->AllowPrinterOnly(); break;
            case vsf::AllowAll: render_->AllowAll(); break;
            case vsf::Orientation: OrientationRequest = ReadByte(); break;
            case vsf::Bin: render_->SelectBin(ReadText()); break;
            default:
                throw EReportPrinter(Format(Trans("Unexpected code [%d] found in report file."), {int(code)}));
        }
    }
    render_->EndPage();
}
