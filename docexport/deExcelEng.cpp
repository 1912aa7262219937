#include "docexport/deExcelEng.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/core/CodePage.h"
#include "platform/core/FileUtils.h"
#include "platform/core/Format.h"
#include "platform/core/FormatSettings.h"
#include "platform/core/Strings.h"

namespace {

constexpr Integer kMaxRows = 16384;    // rows of one BIFF5 sheet (Excel 5 and 95)
constexpr Integer kMaxColumns = 256;   // columns of one BIFF5 sheet
constexpr std::size_t kMaxText = 255;  // bytes of a LABEL or name
constexpr std::size_t kMaxSheetName = 31;

void Put8(TStream& s, Byte b) { s.WriteBuffer(&b, 1); }
void Put16(TStream& s, unsigned v) {
    const Byte b[2] = {Byte(v), Byte(v >> 8)};
    s.WriteBuffer(b, 2);
}
void Put32(TStream& s, std::uint32_t v) {
    const Byte b[4] = {Byte(v), Byte(v >> 8), Byte(v >> 16), Byte(v >> 24)};
    s.WriteBuffer(b, 4);
}
void PutDouble(TStream& s, double d) {
    std::uint64_t u;
    std::memcpy(&u, &d, 8);
    Put32(s, std::uint32_t(u));
    Put32(s, std::uint32_t(u >> 32));
}
void PutBytes(TStream& s, std::initializer_list<int> bytes) {
    for (int b : bytes) Put8(s, Byte(b));
}
std::string Bytes(TMemoryStream& m) { return std::string(m.Memory(), static_cast<std::size_t>(m.Size())); }

void Le32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = char(Byte(v >> (8 * i)));
}

}  // namespace

void TdeExcelPreferences::Assign(const TPersistent* source) {
    TdeSpreadSheetPreferences::Assign(source);
    if (auto s = dynamic_cast<const TdeExcelPreferences*>(source)) {
        PagesPerWorksheet = s->PagesPerWorksheet;
        PrintGridLines = s->PrintGridLines;
        PageMargins = s->PageMargins;
        MetafileAsImage = s->MetafileAsImage;
    }
}

void TdeCellBorder::Assign(const TPersistent* source) {
    if (auto s = dynamic_cast<const TdeCellBorder*>(source)) {
        Enabled = s->Enabled;
        Style = s->Style;
        Color = s->Color;
        return;
    }
    TPersistent::Assign(source);
}

TdeCustomExcelEngine::TdeCustomExcelEngine(TComponent* owner) : TdeCustomSpreadSheetEngine(owner) {
    InitPreferences();
    SetFileExtension("xls");
    SetFileDescription("Microsoft Excel Workbook");
    SetItemsToRender(ItemBit(irText) | ItemBit(irImage));
    ImageSettings()->SetOutputImageFormat(ifMetafile);
}

TdeCustomExcelEngine::~TdeCustomExcelEngine() = default;

std::unique_ptr<TdePreferences> TdeCustomExcelEngine::CreatePreferences() {
    return std::make_unique<TdeExcelPreferences>();
}

void TdeCustomExcelEngine::WriteBiffRecord(Word id, Word length, TStream& stream, const std::vector<Word>& words) {
    Put16(stream, id);
    Put16(stream, length);
    for (Word w : words) Put16(stream, w);
}

Word TdeCustomExcelEngine::PaperSizeCode(TdePaperSize size) {
    // The codes run 1..18 for Letter..Note, then skip 19.
    if (size <= Note) return Word(size + 1);
    if (size <= FanfoldStdGerman) return Word(size + 2);
    if (size == ISOB4) return 42;
    return 9;  // custom sizes print on A4
}

void TdeCustomExcelEngine::Clear() {
    cells_.Clear();
    sheetsArea_.Clear();
    sheets_.clear();
    sheetCount_ = 0;
    nameLengths_ = 0;
    firstRow_ = lastRow_ = firstCol_ = lastCol_ = -1;
    sheetRowBase_ = 0;
    pendingCells_ = false;
    pagesSinceSheet_ = 0;
}

void TdeCustomExcelEngine::StartDocument() {
    TdeCustomSpreadSheetEngine::StartDocument();
    out_ = nullptr;
    file_.reset();
    Clear();
    ClearTables();
    if (TdeCustomDocumentEngine::Preferences()->OutputToUserStream() && UserStream()) {
        out_ = UserStream();
    } else {
        const std::string name = FileName() + "." + FileExtension();
        file_ = CreateOutputFile(name);
        if (!file_) return;
        OutputFiles().Add(name);
        out_ = file_.get();
    }
}

void TdeCustomExcelEngine::RenderText(TdeTextItem* item) {
    if (!out_ || item->Lines.Count() == 0) return;
    std::string text = Trim(SubstituteVariables(item->Lines[0], true));
    if (text.empty()) return;
    {
        std::string bare;
        for (char c : text)
            if (c != ',' && c != '-' && c != '.') bare += c;
        const bool digits = !bare.empty() && std::all_of(bare.begin(), bare.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c));
        });
        if (digits && text.back() == '-') text = "-" + text.substr(0, text.size() - 1);
    }
    Byte align = 4, format;
    bool wrap = Preferences()->WordWrap;
    Integer row, col;
    if (auto* s = dynamic_cast<TdeSheetTextItem*>(item)) {
        align = s->AlignmentCode;
        format = s->FormatCode;
        wrap = s->WordWrap;
    } else {
        format = static_cast<Byte>(ParseCellValue(text));
    }
    if (auto* fm = dynamic_cast<TdeFmTextItem*>(item)) {
        row = fm->Row;
        col = fm->Column;
    } else {
        // Texts that did not go through the layout (table cells) are placed
        // by their position.
        row = static_cast<Integer>(std::lround(std::max(0.0, item->Y) / RowHeight()));
        col = static_cast<Integer>(std::lround(std::max(0.0, item->X) / ColumnWidth()));
    }
    static const Word numberFormat[9] = {0, 1, 2, 7, 19, 15, 22, 3, 4};
    const Word nf = format < 9 ? numberFormat[format] : 0;
    const Integer xf = 16 + CellAttribIndex(SheetFontIndex(item->Font) + 5, align, wrap, item->Brush, nf);
    row += RowOffset();
    if (col < 0 || col >= kMaxColumns) return;  // beyond the sheet's last column
    if (row - sheetRowBase_ >= kMaxRows) {
        // The sheet is full: the rest of the rows go on a new sheet.
        ++sheetCount_;
        const Integer offset = RowOffset(), maxRow = PageMaxRow();
        WriteWorksheet();
        SetRowOffset(offset);
        SetPageMaxRow(maxRow);
        sheetRowBase_ = row;
    }
    const Integer r = row - sheetRowBase_;
    if (format == 1 || format == 2 || format == 3 || format == 7 || format == 8) {
        std::string t = text;
        if (t.size() >= 2 && t.front() == '(' && t.back() == ')') t = "-" + t.substr(1, t.size() - 2);
        const double v = StrToFloat(NormalizeNumberText(t), DefaultFormatSettings());
        WriteBiffRecord(0x0203, 14, cells_, {Word(r), Word(col), Word(xf)});
        PutDouble(cells_, v);
    } else {
        std::string bytes = Utf8ToCp1252(text);
        if (bytes.size() > kMaxText) bytes.resize(kMaxText);
        WriteBiffRecord(0x0204, Word(bytes.size() + 8), cells_, {Word(r), Word(col), Word(xf), Word(bytes.size())});
        cells_.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
    }
    pendingCells_ = true;
    firstRow_ = firstRow_ < 0 ? r : std::min(firstRow_, r);
    lastRow_ = std::max(lastRow_, r);
    firstCol_ = firstCol_ < 0 ? col : std::min(firstCol_, col);
    lastCol_ = std::max(lastCol_, col);
}

void TdeCustomExcelEngine::FinishPage() {
    TdeCustomSpreadSheetEngine::FinishPage();
    ++pagesSinceSheet_;
    const Integer ppw = Preferences()->PagesPerWorksheet;
    const TdePageItem* page = PageItem(CurrentPage());
    const double h = page ? page->Settings.Pixels(plHeight) : Page()->Pixels(plHeight);
    const Integer pageRows = static_cast<Integer>(std::lround(std::round(h) / BaseRowHeight()));
    if ((ppw == 0 || CurrentPage() % ppw != 0) && pageRows + RowOffset() - sheetRowBase_ < kMaxRows + 1) return;
    ++sheetCount_;
    WriteWorksheet();
}

void TdeCustomExcelEngine::NewSheet(bool newPage) {
    if (!out_) return;
    if (newPage) NewPage();
    ++sheetCount_;
    WriteWorksheet();
}

void TdeCustomExcelEngine::WriteWorksheet() {
    TMemoryStream& s = sheetsArea_;
    WriteBiffRecord(0x0809, 8, s, {0x0000, 0x0010, 4715, 1996});
    for (const auto& [column, width] : ColumnWidths()) {
        WriteBiffRecord(0x007D, 11, s,
                        {Word(column), Word(column), Word(std::lround(std::clamp(width, 0.0, 255.0) * 256)), 15, 0});
        Put8(s, 0);
    }
    // The used range; an empty sheet states one empty cell.
    const bool any = lastRow_ >= 0;
    WriteBiffRecord(0x0200, 10, s,
                    {Word(any ? firstRow_ : 0), Word(any ? lastRow_ + 1 : 1), Word(any ? firstCol_ : 0),
                     Word(any ? lastCol_ + 1 : 1), 0});
    if (sheetCount_ == 1) PutBytes(s, {0x3E, 0x02, 0x0A, 0x00, 0xB6, 0x02, 0, 0, 0, 0, 0, 0, 0, 0});
    const TdePageSettings& p = *Page();
    WriteBiffRecord(0x00A1, 34, s,
                    {PaperSizeCode(p.PaperSize()), 100, 1, 1, 1, Word(p.Orientation() == poLandscape ? 0 : 2), 600,
                     600});
    PutDouble(s, 0.0);
    PutDouble(s, 0.0);
    Put16(s, 1);
    if (Preferences()->PageMargins) {
        const double perInch = TFont::PixelsPerInch;
        const TdePageLength m[4] = {plLeftMargin, plRightMargin, plTopMargin, plBottomMargin};
        for (int i = 0; i < 4; ++i) {
            WriteBiffRecord(Word(0x0026 + i), 8, s);
            PutDouble(s, p.Pixels(m[i]) / perInch);
        }
    }
    if (Preferences()->PrintGridLines) {
        WriteBiffRecord(0x002B, 4, s);
        PutBytes(s, {1, 0, 0, 0});
    }
    WriteDrawingObjects(s);
    s.WriteBuffer(cells_.Memory(), static_cast<Integer>(cells_.Size()));
    cells_.Clear();
    WriteBiffRecord(0x000A, 0, s);

    const Integer no = static_cast<Integer>(sheets_.size()) + 1;
    const std::string def = "Sheet" + std::to_string(no);
    std::string name = def;
    if (OnNeedSheetName) OnNeedSheetName(this, name, no);
    // Excel refuses names that are empty, longer than 31 characters or
    // hold any of []:*?/\ .
    name = Utf8ToCp1252(name);
    for (char& c : name)
        if (std::strchr("[]:*?/\\", c)) c = '_';
    if (name.size() > kMaxSheetName) name.resize(kMaxSheetName);
    if (name.empty()) name = def;
    for (const auto& sh : sheets_)
        if (sh.Name == name) name = def;
    sheets_.push_back({name, s.Size()});
    nameLengths_ += static_cast<Int64>(name.size());
    SetRowOffset(0);
    SetPageMaxRow(0);
    sheetRowBase_ = 0;
    firstRow_ = lastRow_ = firstCol_ = lastCol_ = -1;
    pendingCells_ = false;
    pagesSinceSheet_ = 0;
}

void TdeCustomExcelEngine::WriteFont(TStream& s, const TFont& f) {
    std::string name = Utf8ToCp1252(f.Name());
    if (name.size() > kMaxText) name.resize(kMaxText);
    const Integer color = SheetColorIndex(f.Color()) + 8;
    const TFontStyles st = f.Style();
    WriteBiffRecord(0x0031, Word(15 + name.size()), s,
                    {Word(f.Size() * 20), Word(((st & fsBold) ? 1 : 0) + ((st & fsItalic) ? 2 : 0) + ((st & fsStrikeOut) ? 8 : 0)),
                     Word(color),
                     Word((st & fsBold) ? 700 : 400), 0});
    Put8(s, (st & fsUnderline) ? 1 : 0);
    Put8(s, 0);
    Put8(s, Byte(f.Charset()));
    Put8(s, 0);
    Put8(s, Byte(name.size()));
    s.WriteBuffer(name.data(), static_cast<Integer>(name.size()));
}

void TdeCustomExcelEngine::WriteCellXF(TStream& s, Integer font, Integer format, Byte a, const TBrush* brush,
                                       bool wrap) {
    Byte b[16] = {};
    b[0] = Byte(font);
    b[1] = Byte(font >> 8);
    b[2] = Byte(format);
    b[3] = Byte(format >> 8);
    b[4] = 1;
    b[6] = Byte((a == 1 ? 3 : a == 2 ? 2 : a == 4 ? 0 : 1) + (wrap ? 8 : 0));
    if (brush && brush->Style() != bsClear) {
        b[8] = Byte((SheetColorIndex(clWhite) + 8) * 128 + SheetColorIndex(brush->Color()) + 8);
        static const Byte pattern[] = {1, 0, 11, 12, 7, 8, 15, 9};  // by TBrushStyle
        b[10] = pattern[brush->Style()];
    } else {
        b[8] = 0xC0;
    }
    b[9] = 0x20;
    if (cellBorder_.Enabled) {
        const int st = cellBorder_.Style, k = SheetColorIndex(cellBorder_.Color) + 8;
        b[10] = Byte(b[10] + (st % 4) * 64);
        b[11] = Byte(2 * k + st / 4);
        b[12] = Byte(st + 8 * st + (st % 4) * 64);
        b[13] = Byte(2 * k + st / 4);
        b[14] = Byte(k + 128 * (k % 2));
        b[15] = Byte(k / 2);
    }
    WriteBiffRecord(0x00E0, 16, s);
    s.WriteBuffer(b, 16);
}

std::string TdeCustomExcelEngine::WorkbookGlobals() {
    TMemoryStream g;
    WriteBiffRecord(0x0809, 8, g, {0x0500, 0x0005, 4715, 1996});
    WriteBiffRecord(0x0042, 2, g, {1252});
    PutBytes(g, {0x3D, 0x00, 0x12, 0x00, 0x00, 0x00, 0x69, 0x00, 0x9F, 0x33, 0x5D,
                 0x1B, 0x38, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x58, 0x02});
    SheetColorIndex(Font()->Color());
    for (int i = 0; i < 4; ++i) WriteFont(g, *Font());
    for (const auto& f : Fonts()) WriteFont(g, *f);
    for (int i = 0; i < 15; ++i) {
        WriteBiffRecord(0x00E0, 16, g);
        PutBytes(g, {0, 0, 0, 0, 0xF5, 0xFF, 0x20, 0xF4, 0xC0, 0, 0, 0, 0, 0, 0, 0});
    }
    TBrush background;
    background.SetColor(BackgroundColor());
    const bool plain = ColorToRGB(BackgroundColor()) == ColorToRGB(clWindow);
    WriteCellXF(g, 0, 0, 4, plain ? nullptr : &background, Preferences()->WordWrap);
    for (const auto& a : CellAttribs()) WriteCellXF(g, a->FontIndex, a->NumberFormat, a->Alignment, &a->Brush, a->WordWrap);
    WriteBiffRecord(0x0293, 4, g);
    PutBytes(g, {0x00, 0x80, 0x00, 0xFF});
    const std::vector<TColor> colors = PaletteColors();
    WriteBiffRecord(0x0092, Word(2 + 4 * colors.size()), g, {Word(colors.size())});
    for (TColor c : colors) PutBytes(g, {GetRValue(c), GetGValue(c), GetBValue(c), 0});
    Int64 bounds = 0;
    for (const auto& sh : sheets_) bounds += 11 + static_cast<Int64>(sh.Name.size());
    const Int64 sheetsStart = g.Size() + bounds + 4;
    Int64 before = 0;
    for (const auto& sh : sheets_) {
        WriteBiffRecord(0x0085, Word(7 + sh.Name.size()), g);
        Put32(g, std::uint32_t(sheetsStart + before));
        Put16(g, 0);
        Put8(g, Byte(sh.Name.size()));
        g.WriteBuffer(sh.Name.data(), static_cast<Integer>(sh.Name.size()));
        before = sh.Size;
    }
    WriteBiffRecord(0x000A, 0, g);
    return Bytes(g);
}

void TdeCustomExcelEngine::FinishDocument() {
    if (out_) {
        const Integer ppw = Preferences()->PagesPerWorksheet;
        // A sheet just ended by a page break (or by a page taller than a
        // sheet) is not followed by an empty one.
        if (pendingCells_ || sheets_.empty() || (pagesSinceSheet_ > 0 && (ppw == 0 || PageCount() % ppw != 0))) {
            ++sheetCount_;
            WriteWorksheet();
        }
        const std::string book = WorkbookGlobals() + Bytes(sheetsArea_);
        const std::string file = CompoundFile(book);
        out_->WriteBuffer(file.data(), static_cast<Integer>(file.size()));
    }
    file_.reset();
    out_ = nullptr;
    Clear();
    ClearTables();
    TdeCustomSpreadSheetEngine::FinishDocument();
}

std::string TdeCustomExcelEngine::CompoundFile(const std::string& book) {
    const std::uint32_t kFree = 0xFFFFFFFF, kEnd = 0xFFFFFFFE, kFat = 0xFFFFFFFD, kDif = 0xFFFFFFFC;
    const std::uint64_t S = book.size();
    const std::uint64_t B = std::max<std::uint64_t>((S / 512 + 1) * 512, 4096);
    const std::uint64_t bookSectors = B / 512, D = bookSectors + 16;
    // FAT sectors cover every sector including themselves, the DIF sectors
    // and the directory; each DIF sector lists 127 FAT sectors and chains
    // to the next.
    std::uint64_t F = 1, X = 0;
    for (;;) {
        const std::uint64_t f = (D + X + F + 1 + 127) / 128;
        const std::uint64_t x = f > 109 ? (f - 109 + 126) / 127 : 0;
        if (f == F && x == X) break;
        F = f;
        X = x;
    }
    const std::uint64_t firstDif = D, firstFat = D + X, dir = D + X + F;
    std::string out(512 * (dir + 2), '\0');
    auto sector = [&](std::uint64_t n) { return 512 * (n + 1); };
    // Header.
    const char magic[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    std::memcpy(&out[0], magic, 8);
    const Byte ver[] = {0x3B, 0, 3, 0, 0xFE, 0xFF, 9, 0};
    std::memcpy(&out[24], ver, 8);
    const std::uint32_t head[] = {6, 0, 0, std::uint32_t(F), std::uint32_t(dir), 0, 4096, kEnd, 0,
                                  X ? std::uint32_t(firstDif) : kEnd, std::uint32_t(X)};
    for (int i = 0; i < 11; ++i) Le32(out, 32 + 4 * i, head[i]);
    for (std::uint64_t i = 0; i < 109; ++i) Le32(out, 76 + 4 * i, i < F ? std::uint32_t(firstFat + i) : kFree);
    // Book stream; the summary streams stay zero.
    std::memcpy(&out[sector(0)], book.data(), book.size());
    // DIF sectors.
    for (std::uint64_t d = 0; d < X; ++d) {
        const std::size_t at = sector(firstDif + d);
        std::memset(&out[at], 0xFF, 512);
        for (std::uint64_t j = 0; j < 127; ++j) {
            const std::uint64_t fat = 109 + d * 127 + j;
            if (fat < F) Le32(out, at + 4 * j, std::uint32_t(firstFat + fat));
        }
        Le32(out, at + 508, d + 1 < X ? std::uint32_t(firstDif + d + 1) : kEnd);
    }
    // FAT.
    std::memset(&out[sector(firstFat)], 0xFF, 512 * F);
    auto setFat = [&](std::uint64_t n, std::uint32_t v) { Le32(out, sector(firstFat) + 4 * n, v); };
    for (std::uint64_t n = 0; n < D; ++n) {
        const bool last = n == bookSectors - 1 || n == bookSectors + 7 || n == bookSectors + 15;
        setFat(n, last ? kEnd : std::uint32_t(n + 1));
    }
    for (std::uint64_t d = 0; d < X; ++d) setFat(firstDif + d, kDif);
    for (std::uint64_t f = 0; f < F; ++f) setFat(firstFat + f, kFat);
    setFat(dir, kEnd);
    // Directory.
    auto entry = [&](int index, const std::string& name, Byte type, std::uint32_t left, std::uint32_t right,
                     std::uint32_t child, std::uint32_t start, std::uint32_t size, const Byte* clsid) {
        const std::size_t at = sector(dir) + 128 * index;
        for (std::size_t i = 0; i < name.size(); ++i) out[at + 2 * i] = name[i];
        out[at + 64] = char(2 * (name.size() + 1));
        out[at + 66] = char(type);
        out[at + 67] = 1;
        Le32(out, at + 68, left);
        Le32(out, at + 72, right);
        Le32(out, at + 76, child);
        if (clsid) std::memcpy(&out[at + 80], clsid, 16);
        Le32(out, at + 116, start);
        Le32(out, at + 120, size);
    };
    const Byte rootClass[16] = {0x10, 0x08, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    entry(0, "Root Entry", 5, kFree, kFree, 2, kEnd, 0, rootClass);
    entry(1, "Book", 2, kFree, kFree, kFree, 0, std::uint32_t(B), nullptr);
    entry(2, "\005SummaryInformation", 2, 1, 3, kFree, std::uint32_t(bookSectors), 4096, nullptr);
    entry(3, "\005DocumentSummaryInformation", 2, kFree, kFree, kFree, std::uint32_t(bookSectors + 8), 4096, nullptr);
    return out;
}
