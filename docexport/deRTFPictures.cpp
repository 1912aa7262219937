// The RTF writer's pictures, drawing objects and tables: picture groups in
// JPEG, PNG, enhanced-metafile or wrapped-bitmap form, lines, rectangles,
// ellipses and polygons as drawing objects, and tables as RTF table rows.

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "docexport/deConsts.h"
#include "docexport/deDocResStrs.h"
#include "docexport/deMetafile.h"
#include "docexport/deRTFEng.h"
#include "docexport/deUtils.h"

namespace {

std::string Num(long v) { return std::to_string(v); }

// Little-endian hexadecimal of a value of the given number of bytes.
std::string LeHex(std::uint32_t v, int bytes) {
    std::string out;
    char buf[4];
    for (int i = 0; i < bytes; ++i) {
        std::snprintf(buf, sizeof buf, "%02x", unsigned((v >> (8 * i)) & 0xFF));
        out += buf;
    }
    return out;
}

// Marks where raw picture bytes go once the text is in the document's code
// page; control characters never occur in the written text otherwise.
constexpr char kBinaryMark = '\x01';

}  // namespace

std::string TdeRTFEngine::GoalSize(TdeOutputImageFormat kind, double w, double h) const {
    // Readers take a metafile's width and height words in hundredths of a
    // millimetre: without the goal size a picture shows at about a third
    // of its size.
    if (kind == ifJPEG || kind == ifPNG) return {};
    return "\\picwgoal" + Num(Twips(w)) + "\\pichgoal" + Num(Twips(h));
}

std::string TdeRTFEngine::PictureData(const std::vector<std::uint8_t>& bytes, bool binaryAllowed) {
    if (binaryAllowed && Preferences()->GraphicDataInBinary) {
        binaryData_.emplace_back(bytes.begin(), bytes.end());
        return "\\bin" + Num(static_cast<long>(bytes.size())) + " " + kBinaryMark +
               Num(static_cast<long>(binaryData_.size() - 1)) + kBinaryMark;
    }
    return BytesToHex(bytes);
}

std::string TdeRTFEngine::WrapBitmapAsMetafile(TBitmap& bitmap) {
    std::vector<std::uint8_t> file = bitmap.SaveToBytes();
    const std::uint32_t w = std::uint32_t(bitmap.Width()), h = std::uint32_t(bitmap.Height());
    const std::uint32_t s = std::uint32_t(file.size() / 2) + 7;  // the stretch record in words
    std::string out = "010009000003" + LeHex(s + 36, 4) + "0000" + LeHex(s, 4) +
                      "0000050000000b0200000000050000000c02" + LeHex(h, 2) + LeHex(w, 2) +
                      "05000000090200000000050000000102ffffff000400000007010300" + LeHex(s, 4) +
                      "430f2000cc000000" + LeHex(h, 2) + LeHex(w, 2) + "00000000" + LeHex(h, 2) + LeHex(w, 2) +
                      "00000000" + "\r\n";
    std::vector<std::uint8_t> dib(file.begin() + std::min<std::size_t>(14, file.size()), file.end());
    return out + BytesToHex(dib) + "030000000000";
}

std::string TdeRTFEngine::PictureSpec(TdeImageItem* item) {
    const TdeOutputImageFormat kind = item->Settings.OutputImageFormat();
    double w = 0, h = 0;
    std::string word, data;
    if (kind == ifMetafile) {
        auto mf = ImageItemToMetafile(item);
        w = mf->Width();
        h = mf->Height();
        word = "\\emfblip";
        data = PictureData(mf->Data(), true);
    } else {
        auto bmp = ImageItemToBitmap(item);
        const Integer dpi = item->Settings.SourceDPI;
        w = dpi == -1 || dpi <= 0 ? bmp->Width() : std::nearbyint(double(bmp->Width()) * ScreenPPI() / dpi);
        h = dpi == -1 || dpi <= 0 ? bmp->Height() : std::nearbyint(double(bmp->Height()) * ScreenPPI() / dpi);
        if (kind == ifJPEG) {
            word = "\\jpegblip";
            auto jpeg = BitmapToJpegStream(bmp.get(), item->Settings.JPEGQuality);
            data = PictureData(std::vector<std::uint8_t>(jpeg->Memory(), jpeg->Memory() + jpeg->Size()), true);
        } else if (kind == ifPNG) {
            word = "\\pngblip";
            auto png = WritePngImage(bmp.get(), clWhite);
            data = PictureData(std::vector<std::uint8_t>(png->Memory(), png->Memory() + png->Size()), true);
        } else {
            word = "\\wmetafile8";
            data = WrapBitmapAsMetafile(*bmp);
        }
    }
    const double sw = w > 0 ? item->Width / w * 100 : 100, sh = h > 0 ? item->Height / h * 100 : 100;
    return word + "\\picw" + Num(Twips(w)) + "\\pich" + Num(Twips(h)) + GoalSize(kind, w, h) + "\\picscalex" +
           Num(static_cast<long>(std::nearbyint(sw))) + "\\picscaley" + Num(static_cast<long>(std::nearbyint(sh))) +
           "\\picbmp\\picbpp4 " + data;
}

std::string TdeRTFEngine::FrameBorderSpec(const TPen& pen, const TdeFrame* frame) {
    if (pen.Style() == psClear) return {};
    std::string s;
    switch (pen.Style()) {
        case psDash: s = "\\brdrdash"; break;
        case psDot: s = "\\brdrdot"; break;
        case psDashDot: s = "\\brdrdashd"; break;
        case psDashDotDot: s = "\\brdrdashdd"; break;
        default: s = "\\brdrs"; break;
    }
    s += "\\brdrw" + Num(Twips(pen.Width())) + "\\brdrcf" + Num(ColorIndex(pen.Color()));
    if (frame) {
        if (frame->DrawTop) s += "\\brdrt";
        if (frame->DrawRight) s += "\\brdrr";
        if (frame->DrawBottom) s += "\\brdrb";
        if (frame->DrawLeft) s += "\\brdrl";
    }
    return s;
}

void TdeRTFEngine::RenderImage(TdeImageItem* item) {
    if (!GetImage(item->ImageIndex)) return;
    std::string s = "{\\pard\\pvpg\\phpg\\absw" + Num(Twips(item->BoxRect.Width())) + "\\absh" +
                    Num(Twips(item->BoxRect.Height())) + "\\posx" + Num(Twips(item->X)) + "\\posy" +
                    Num(Twips(item->Y)) + "\\overlay";
    if (item->Settings.Framed) s += FrameBorderSpec(item->Pen, &item->Frame);
    s += ParaShading(item->Brush) + "{\\pict" + PictureSpec(item) + "}\\par}";
    WriteToBand(s);
}

void TdeRTFEngine::RenderBitmap(TBitmap* bitmap, double x, double y) {
    if (!bitmap || bitmap->Empty()) return;
    const TdeOutputImageFormat kind = ImageSettings()->OutputImageFormat();
    std::string word, data;
    double w = bitmap->Width(), h = bitmap->Height();
    if (kind == ifJPEG) {
        word = "\\jpegblip";
        auto jpeg = BitmapToJpegStream(bitmap, ImageSettings()->JPEGQuality);
        data = PictureData(std::vector<std::uint8_t>(jpeg->Memory(), jpeg->Memory() + jpeg->Size()), true);
    } else if (kind == ifPNG) {
        word = "\\pngblip";
        auto png = WritePngImage(bitmap, clWhite);
        data = PictureData(std::vector<std::uint8_t>(png->Memory(), png->Memory() + png->Size()), true);
    } else if (kind == ifMetafile) {
        // A metafile of the bitmap's size with the bitmap at (0, 0).
        TMetafile mf;
        mf.SetWidth(bitmap->Width());
        mf.SetHeight(bitmap->Height());
        {
            TMetafileCanvas c(&mf);
            c.Draw(0, 0, bitmap);
        }
        word = "\\emfblip";
        data = PictureData(mf.Data(), true);
    } else {
        word = "\\wmetafile8";
        data = WrapBitmapAsMetafile(*bitmap);
    }
    WriteToBand("{\\pard\\pvpg\\phpg\\posx" + Num(Twips(x)) + "\\posy" + Num(Twips(y)) + "\\overlay{\\pict" + word +
                "\\picw" + Num(Twips(w)) + "\\pich" + Num(Twips(h)) + GoalSize(kind, w, h) + "\\picbmp\\picbpp4 " + data +
                "}\\par}");
}

std::string TdeRTFEngine::DrawingCorners(double x1, double y1, double x2, double y2) {
    return "\\dpx" + Num(Twips(x1)) + "\\dpy" + Num(Twips(y1)) + "\\dpxsize" + Num(Twips(x2 - x1)) + "\\dpysize" +
           Num(Twips(y2 - y1));
}

void TdeRTFEngine::RenderLine(const TPen& pen, double x1, double y1, double x2, double y2) {
    WriteBody("{\\*\\do\\dobxpage\\dobypage\\dpline" + DrawingCorners(x1, y1, x2, y2) + LineAttributes(pen) + "}");
}

void TdeRTFEngine::RenderRectangle(const TPen& pen, const TBrush* brush, double x1, double y1, double x2, double y2) {
    std::string s = "{\\lang1024 {\\*\\do\\dobxpage\\dobypage\\dprect" + DrawingCorners(x1, y1, x2, y2) +
                    LineAttributes(pen);
    if (brush) s += FillAttributes(*brush);
    WriteToBand(s + "}}");
}

void TdeRTFEngine::RenderRoundRect(const TPen& pen, const TBrush* brush, double x1, double y1, double x2, double y2,
                                   double, double) {
    std::string s = "{\\lang1024 {\\*\\do\\dobxpage\\dobypage\\dprect\\dproundr" + DrawingCorners(x1, y1, x2, y2) +
                    LineAttributes(pen);
    if (brush) s += FillAttributes(*brush);
    WriteBody(s + "}}");
}

void TdeRTFEngine::RenderEllipse(const TPen& pen, const TBrush* brush, double x1, double y1, double x2, double y2) {
    std::string s = "{\\lang1024 {\\*\\do\\dobxpage\\dobypage\\dpellipse" + DrawingCorners(x1, y1, x2, y2) +
                    LineAttributes(pen);
    if (brush) s += FillAttributes(*brush);
    WriteBody(s + "}}");
}

void TdeRTFEngine::RenderPolygon(const TdePoints& points, const TBrush* brush, const TPen& pen, bool closed) {
    if (points.empty()) return;
    double minX = points[0].X, minY = points[0].Y, maxX = 0, maxY = 0;
    for (const TdePoint& p : points) {
        minX = std::min(minX, p.X);
        minY = std::min(minY, p.Y);
        maxX = std::max(maxX, p.X);
        maxY = std::max(maxY, p.Y);
    }
    std::string s = "{\\lang1024 {\\*\\do\\dobxpage\\dobypage";
    s += closed ? "\\dppolygon" : "\\dppolyline";
    s += "\\dppolycount" + Num(static_cast<long>(points.size()));
    for (const TdePoint& p : points) s += "\\dpptx" + Num(Twips(p.X - minX)) + "\\dppty" + Num(Twips(p.Y - minY));
    s += DrawingCorners(minX, minY, maxX, maxY) + LineAttributes(pen);
    if (brush) s += FillAttributes(*brush);
    WriteBody(s + "}}");
}

void TdeRTFEngine::RenderTable(TdeTableItem* table) {
    int first = 0, count = 0;
    if (!TableRowsOnPage(table, first, count)) return;
    const TdeTableSettings& ts = table->Settings;

    std::string out = "{";
    for (int r = first; r < first + count; ++r) {
        if (r >= 0 && r >= static_cast<int>(table->RowHeights.size())) break;
        const double height = r < 0 ? ts.TitleHeightPx() : table->RowHeights[static_cast<std::size_t>(r)];
        std::string def = "\\pard\\trowd\\trgaph50\\trqc\\trrh" + Num(Twips(height)) + "\\trql\\trkeep";
        std::string cells;
        double e = 0;
        for (int c = 0; c < table->ColumnCount(); ++c) {
            e += table->Column(c)->Width();
            TPen pen;
            pen.Assign(table->Pen);
            TBrush brush;
            brush.Assign(table->Brush);
            TFont font;
            font.Assign(table->Font);
            TdeFrame frame(nullptr);
            frame.DrawLeft = frame.DrawTop = frame.DrawRight = frame.DrawBottom = true;
            TdeHAlignment align = table->Column(c)->Alignment;
            if (OnCellDraw) OnCellDraw(this, r, c, pen, brush, font, frame, align);
            const std::string border = FrameBorderSpec(pen, nullptr);
            if (frame.DrawLeft) def += "\\clbrdrl" + border;
            if (frame.DrawTop) def += "\\clbrdrt" + border;
            if (frame.DrawRight) def += "\\clbrdrr" + border;
            if (frame.DrawBottom) def += "\\clbrdrb" + border;
            // A solid brush is the cell's background colour: full-strength
            // shading shows black in LibreOffice whatever its colour.
            switch (brush.Style()) {
                case bsSolid: break;
                case bsClear: def += "\\clshdng0"; break;
                case bsHorizontal: def += "\\clbghoriz"; break;
                case bsVertical: def += "\\clbgvert"; break;
                case bsFDiagonal: def += "\\clbgfdiag"; break;
                case bsBDiagonal: def += "\\clbgbdiag"; break;
                case bsCross: def += "\\clbgcross"; break;
                case bsDiagCross: def += "\\clbgdcross"; break;
            }
            if (brush.Style() == bsSolid)
                def += "\\clcbpat" + Num(ColorIndex(brush.Color()));
            else
                def += "\\clcfpat" + Num(ColorIndex(brush.Color())) + "\\clcbpat" + Num(ColorIndex(clWhite));
            def += "\\clvertalc\\cellx" + Num(Twips(e)) + " ";
            const std::string prefix = c == 0 ? "\\pard\\intbl\\pvpg\\phpg\\posx" + Num(Twips(table->X)) + "\\posy" +
                                                    Num(Twips(table->Y))
                                              : std::string("\\pard\\intbl");
            if (r < 0) {
                const std::string& title = table->Column(c)->Title;
                const std::string t = NeedsEncoding(table->Font) ? EncodeText(title, table->Font.Charset())
                                                                 : RTFEscape(title);
                cells += prefix + AlignSpec(align) + "{" + FontSpec(font) + " " + ConvertLinks(t) + "}\\cell";
                continue;
            }
            TdeDocumentItem* found = nullptr;
            for (const auto& cell : table->RowCells[static_cast<std::size_t>(r)]) {
                if (auto* t = dynamic_cast<TdeTextItem*>(cell.get()); t && static_cast<int>(t->X) == c) {
                    found = t;
                    break;
                }
                if (auto* i = dynamic_cast<TdeImageItem*>(cell.get()); i && static_cast<int>(i->X) == c) {
                    found = i;
                    break;
                }
            }
            if (auto* t = dynamic_cast<TdeTextItem*>(found)) {
                std::string text;
                for (int l = 0; l < t->Lines.Count(); ++l) {
                    if (l > 0) text += "\\par ";
                    text += NeedsEncoding(t->Font) ? EncodeText(t->Lines[l], t->Font.Charset()) : RTFEscape(t->Lines[l]);
                }
                cells += prefix + AlignSpec(align) + "{" + CharShading(t->Brush) + FontSpec(font) + " " +
                         ConvertLinks(SubstituteVariables(text, true)) + "}\\cell";
            } else if (auto* i = dynamic_cast<TdeImageItem*>(found)) {
                i->Pen.Assign(pen);
                i->Brush.Assign(brush);
                cells += prefix + "{\\pict" + PictureSpec(i) + "}\\cell ";
            } else {
                cells += prefix + " \\cell";
            }
        }
        out += def + "{" + cells + "} \\pard\\intbl {\\row} ";
    }
    WriteToBand(out + "\\pard}");
}

void TdeRTFEngine::ProcessMetafile(const TMetafile& metafile, double x, double y) {
    if (!Preferences()->MetafileAsImage) {
        TdeCustomDocumentEngine::ProcessMetafile(metafile, x, y);
        return;
    }
    if (!Started() || metafile.Empty()) return;
    const Integer index = AddImage(const_cast<TMetafile*>(&metafile));
    if (index < 0) return;
    auto* item = new TdeImageItem;
    item->Settings.Assign(ImageSettings());
    item->Settings.SetOutputImageFormat(ifMetafile);
    item->Settings.Stretch = true;
    item->SetFromRect(TdeRect{x + AreaLeft(), y + AreaTop(), x + AreaLeft() + metafile.Width(),
                              y + AreaTop() + metafile.Height()});
    item->ImageIndex = index;
    GraphicItems().push_back(item);
}

bool TdeRTFEngine::CheckImageFormat(TdeOutputImageFormat format, std::string& message) {
    if (format == ifBMP || format == ifJPEG || format == ifPNG || format == ifMetafile) return true;
    message = "The RTF Engine does not support this format";
    return false;
}
