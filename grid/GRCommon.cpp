#include "grid/GRCommon.h"

#include <algorithm>

#include "platform/core/Strings.h"
#include "platform/gui/Bitmap.h"

bool MbcsEnabled = false;
bool ItalicOverhangIncluded = false;

namespace {

inline int Size(std::string_view t) { return static_cast<int>(t.size()); }

std::string_view Head(std::string_view text, int n) {
    return text.substr(0, std::size_t(std::clamp(n, 0, Size(text))));
}

std::string_view Slice(std::string_view text, int from, int to) {
    from = std::clamp(from, 0, Size(text));
    to = std::clamp(to, from, Size(text));
    return text.substr(std::size_t(from), std::size_t(to - from));
}

// Text output without background, clipped to clip, at (x, y) as its top
// left corner.
void TextOutClipped(TCanvas* canvas, int x, int y, std::string_view text, const TRect& clip) {
    if (text.empty() || clip.IsEmpty()) return;
    TBrush saved;
    saved.Assign(*canvas->Brush());
    canvas->Brush()->SetStyle(bsClear);
    unsigned align = canvas->SetTextAlign(TA_LEFT | TA_TOP);
    canvas->TextRect(clip, x, y, std::string(text));
    canvas->SetTextAlign(align);
    canvas->Brush()->Assign(saved);
}

int Width(TCanvas* canvas, const TgrTextMetric& tm, std::string_view text) {
    return TextExtentOf(canvas, tm, text, Size(text)).cx;
}

// The width of text with its line breaks measured as spaces.
int WidthBreaksAsSpaces(TCanvas* canvas, const TgrTextMetric& tm, std::string_view text) {
    int w = 0;
    TextWidthWithBreaks(canvas, tm, text, w, false, false, Size(text));
    return w;
}

// The drawn part of a line: without a trailing line break and, for right
// alignment, without the leading blanks that were skipped.
void DrawnPart(std::string_view line, TgrHorzAlignment alignment, int& skip, int& length) {
    int n = Size(line);
    if (EndsWithLineBreak(line, n)) n -= PrevCharLength(line, n);
    skip = alignment == htaRight ? SkipBlanks(line, n) : 0;
    length = n - skip;
}

int FirstLineTopFor(int top, const TRect& rect, int count, const TgrTextMetric& tm, TgrVertAlignment alignment,
                    int extra) {
    if (count <= 0) return top;
    int pitch = tm.tmHeight + extra;
    switch (alignment) {
        case vtaBottom: {
            int y = rect.Bottom - tm.tmHeight;
            for (int i = 1; i < count && y - extra - tm.tmHeight >= top; ++i) y -= pitch;
            return std::max(y, top);
        }
        case vtaCenter:
            if (count * pitch + 1 >= rect.Bottom - top) return top;
            return top + (rect.Bottom - top - count * pitch) / 2;
        default: return top;
    }
}

}  // namespace

// ------------------------------------------------------------ flags

bool ProbeItalicOverhang() {
    EnsureGuiApplication();
    TBitmap bmp;
    bmp.SetSize(1, 1);
    TCanvas* c = bmp.Canvas();
    c->Font()->SetName("MS Sans Serif");
    c->Font()->SetStyle(fsItalic);
    int one = c->TextExtent("X").cx;
    int two = c->TextExtent("XX").cx;
    ItalicOverhangIncluded = two < 2 * one;
    return ItalicOverhangIncluded;
}

TgrTextMetric GetTextMetric(TCanvas* canvas) {
    TTextMetric m = canvas->TextMetrics();
    TgrTextMetric tm;
    tm.tmHeight = m.tmHeight;
    tm.tmExternalLeading = m.tmExternalLeading;
    tm.tmAveCharWidth = m.tmAveCharWidth;
    tm.tmOverhang = 0;
    return tm;
}

int ExtraLineSpacing(const TgrTextMetric& tm) { return MbcsEnabled && tm.tmExternalLeading > 0 ? 1 : 0; }

// ------------------------------------------------------- text primitives

int FindLineBreak(std::string_view text, int n) {
    int cr = FindChar(text, '\r', n);
    int lf = FindChar(text, '\n', n);
    if (cr < 0) return lf;
    if (lf < 0) return cr;
    return std::min(cr, lf);
}

bool IsBlankAt(std::string_view text, int i) {
    return i >= 0 && i < Size(text) && (text[std::size_t(i)] == ' ' || text[std::size_t(i)] == '\t');
}

bool IsWordCharAt(std::string_view text, int i) {
    return i >= 0 && i < Size(text) && !IsBlankAt(text, i) && !IsLineBreakAt(text, i);
}

int FindLastBlank(std::string_view text, int n) { return std::max(FindCharBack(text, ' ', n), FindCharBack(text, '\t', n)); }

int SkipBlanks(std::string_view text, int n) {
    n = std::min(n, Size(text));
    int i = 0;
    while (i < n && IsBlankAt(text, i)) ++i;
    return i;
}

int FindLastWordChar(std::string_view text, int n) {
    n = std::min(n, Size(text));
    while (n > 0) {
        int len = PrevCharLength(text, n);
        int start = n - len;
        if (IsWordCharAt(text, start)) return start;
        n = start;
    }
    return -1;
}

int WordForwardLength(std::string_view text, int i) {
    int p = std::max(0, i);
    while (IsWordCharAt(text, p)) p += CharLengthAt(text, p);
    while (p < Size(text) && !IsWordCharAt(text, p)) p += CharLengthAt(text, p);
    return p - std::max(0, i);
}

int WordBackLength(std::string_view text, int n) {
    n = std::min(n, Size(text));
    int p = n;
    while (p > 0 && !IsWordCharAt(text, p - PrevCharLength(text, p))) p -= PrevCharLength(text, p);
    while (p > 0 && IsWordCharAt(text, p - PrevCharLength(text, p))) p -= PrevCharLength(text, p);
    return n - p;
}

void CountMbcsChars(std::string_view text, int chars, int maxBytes, bool fromEnd, int& byteCount, int& charCount) {
    byteCount = 0;
    charCount = 0;
    maxBytes = std::min(maxBytes, Size(text));
    if (chars <= 0 || maxBytes <= 0) return;
    std::string_view area = Head(text, maxBytes);
    if (fromEnd) {
        int p = maxBytes;
        while (charCount < chars && p > 0) {
            int len = std::min(p, std::max(1, PrevCharLength(area, p)));
            p -= len;
            ++charCount;
        }
        byteCount = maxBytes - p;
    } else {
        int p = 0;
        while (charCount < chars && p < maxBytes) {
            int len = std::max(1, static_cast<int>(Utf8CharSize(text, std::size_t(p))));
            if (p + len > maxBytes) break;
            p += len;
            ++charCount;
        }
        byteCount = p;
    }
}

int BytesForChars(std::string_view text, int n, int max, bool fromEnd) {
    int bytes, chars;
    CountMbcsChars(text, n, max, fromEnd, bytes, chars);
    return bytes;
}

int CharsInBytes(std::string_view text, int n, int max) {
    int limit = std::min({n, max, Size(text)});
    int count = 0;
    for (int p = 0; p < limit; p += std::max(1, static_cast<int>(Utf8CharSize(text, std::size_t(p))))) ++count;
    return count;
}

// ------------------------------------------------------------ measuring

TSize TextExtentOf(TCanvas* canvas, const TgrTextMetric& tm, std::string_view text, int n) {
    std::string_view part = Head(text, n);
    TSize size = part.empty() ? TSize(0, canvas->TextHeight(" ")) : canvas->TextExtent(std::string(part));
    if (ItalicOverhangIncluded && size.cx > 0) size.cx -= tm.tmOverhang;
    return size;
}

void TextWidthWithBreaks(TCanvas* canvas, const TgrTextMetric& tm, std::string_view text, int& width,
                         bool addOverhang, bool breaksAsNothing, int n) {
    std::string_view area = Head(text, n);
    width = 0;
    int space = breaksAsNothing ? 0 : Width(canvas, tm, " ");
    int p = 0;
    while (p < Size(area)) {
        int br = FindLineBreak(area.substr(std::size_t(p)), Size(area) - p);
        int end = br < 0 ? Size(area) : p + br;
        width += Width(canvas, tm, Slice(area, p, end));
        if (br < 0) break;
        p = end;
        SkipLineBreak(area, p);
        width += space;
    }
    if (width > 0 && addOverhang) width += tm.tmOverhang;
}

void BreaksAsSpaces(TCanvas* canvas, const TgrTextMetric& tm, std::string_view text, int& width, int n) {
    std::string_view area = Head(text, n);
    int space = Width(canvas, tm, " ");
    for (int p = 0; p < Size(area);) {
        int len = CharLengthAt(area, p);
        if (IsLineBreakAt(area, p)) width += space - Width(canvas, tm, Slice(area, p, p + len));
        p += std::max(1, len);
    }
}

bool EndsWithLineBreak(std::string_view text, int n) {
    n = std::min(n, Size(text));
    if (n <= 0) return false;
    return IsLineBreakAt(text, n - PrevCharLength(text, n));
}

// ------------------------------------------------------------ wrapping

bool NextWrappedLine(TCanvas* canvas, const TgrTextMetric& tm, std::string_view text, int& n,
                     TgrHorzAlignment alignment, int width) {
    n = 0;
    if (text.empty()) return false;
    int skipped = 0;
    if (alignment == htaRight) {
        skipped = SkipBlanks(text, Size(text));
        text = text.substr(std::size_t(skipped));
    }
    int remaining = Size(text);
    auto measure = [&](int len) {
        int w = TextExtentOf(canvas, tm, text, len).cx;
        return w > 0 ? w + tm.tmOverhang : w;
    };

    // A first guess from the average character width, corrected one
    // character at a time.
    int guess = tm.tmAveCharWidth > 0 ? width / tm.tmAveCharWidth : 0;
    int len = BytesForChars(text, guess, remaining, false);
    int br = FindLineBreak(text, len);
    if (br >= 0) len = br;
    int w = measure(len);
    if (w < width) {
        while (len < remaining && !IsLineBreakAt(text, len)) {
            int next = len + CharLengthAt(text, len);
            int nw = measure(next);
            if (nw > width) break;
            len = next;
            w = nw;
        }
    } else {
        while (w > width && len > 0) {
            len -= PrevCharLength(text, len);
            w = measure(len);
        }
    }

    // A line that ends inside a word is cut after its last blank; a single
    // word longer than the width stays cut at the width.
    if (len < remaining && IsWordCharAt(text, len) && len > 0) {
        int blank = FindLastBlank(text, len);
        if (blank >= 0) len = blank + 1;
    }
    if (alignment == htaRight) {
        if (len > 0 && IsBlankAt(text, len - 1)) {
            int last = FindLastWordChar(text, len);
            len = last < 0 ? len : last + CharLengthAt(text, last);
        }
    } else {
        while (IsBlankAt(text, len)) ++len;
    }
    SkipLineBreak(text, len);
    if (len == 0) len = CharLengthAt(text, 0);
    n = skipped + len;
    return n > 0;
}

void WrapIntoLineList(TCanvas* canvas, std::string_view text, int height, int maxLines, TgrIntegerList& list,
                      bool wrap, TgrHorzAlignment alignment, int width) {
    list.Clear();
    TgrTextMetric tm = GetTextMetric(canvas);
    int extra = ExtraLineSpacing(tm);
    if (!wrap || !WrapPossible(height - extra, tm.tmHeight + extra)) {
        list.Add(0);
        return;
    }
    int offset = 0;
    int n = 0;
    while (maxLines == 0 || list.Count() < maxLines) {
        if (!NextWrappedLine(canvas, tm, text.substr(std::size_t(offset)), n, alignment, width - 1)) break;
        list.Add(offset);
        offset += n;
    }
    if (list.Count() == 0) list.Add(0);
    else if (offset >= Size(text) && EndsWithLineBreak(text, Size(text)) &&
             (maxLines == 0 || list.Count() < maxLines))
        list.Add(Size(text));
}

void MeasureWrappedText(TCanvas* canvas, std::string_view text, int width, int& height, int& lineCount, bool wrap,
                        TgrHorzAlignment alignment) {
    TgrTextMetric tm = GetTextMetric(canvas);
    lineCount = 1;
    if (wrap) {
        int count = 0;
        int offset = 0;
        int n = 0;
        while (NextWrappedLine(canvas, tm, text.substr(std::size_t(offset)), n, alignment, width - 1)) {
            ++count;
            offset += n;
        }
        lineCount = std::max(1, count) + (EndsWithLineBreak(text, Size(text)) ? 1 : 0);
    }
    height = lineCount * LinePitch(tm);
}

// ------------------------------------------------------------ drawing

int FirstLineTop(int top, const TRect& rect, const TgrIntegerList* lines, const TgrTextMetric& tm,
                 TgrVertAlignment alignment, int extra) {
    return FirstLineTopFor(top, rect, lines ? lines->Count() : 0, tm, alignment, extra);
}

int DrawTextAccel(TCanvas* canvas, const TgrTextMetric& tm, int x, int a, int n, std::string_view text,
                  TRect clip, unsigned, int y) {
    std::string_view all = Head(text, n);
    n = Size(all);
    if (a > 0 && a <= n) {
        if (a >= 2) {
            std::string_view before = Head(all, a - 1);
            TextOutClipped(canvas, x, y, before, clip);
            x += Width(canvas, tm, before);
            clip.Left = std::max(clip.Left, x);
        }
        if (x >= clip.Right) return x;
        int len = std::max(1, CharLengthAt(all, a - 1));
        std::string_view accel = Slice(all, a - 1, a - 1 + len);
        TFontStyles style = canvas->Font()->Style();
        canvas->Font()->SetStyle(style | fsUnderline);
        TextOutClipped(canvas, x, y, accel, clip);
        x += Width(canvas, tm, accel);
        canvas->Font()->SetStyle(style);
        clip.Left = std::max(clip.Left, x);
        if (x >= clip.Right) return x;
        std::string_view rest = Slice(all, a - 1 + len, n);
        TextOutClipped(canvas, x, y, rest, clip);
        return x + Width(canvas, tm, rest);
    }
    TextOutClipped(canvas, x, y, all, clip);
    return x + Width(canvas, tm, all);
}

void DrawAlignedText(TCanvas* canvas, std::string_view text, int height, int accelerator, bool wrap,
                     TgrVertAlignment vertical, TgrHorzAlignment horizontal, int top, int x, const TRect& rect) {
    if (rect.IsEmpty()) return;
    TgrTextMetric tm = GetTextMetric(canvas);
    int extra = ExtraLineSpacing(tm);
    int pitch = tm.tmHeight + extra;
    top += extra;
    if (horizontal == htaDefault) horizontal = htaLeft;

    if (wrap && WrapPossible(height - extra, pitch)) {
        canvas->FillRect(rect);
        int width = rect.Right - x;
        TRect area = rect;
        if (horizontal == htaRight) {
            width -= 1;
            area.Left = std::max(area.Left, x);
        }
        TgrIntegerList lines;
        bool haveList = false;
        if ((vertical == vtaBottom || vertical == vtaCenter) && !text.empty()) {
            WrapIntoLineList(canvas, text, height, rect.Height() / std::max(1, pitch) + 1, lines, true, horizontal,
                             width);
            haveList = true;
        }
        int y = FirstLineTop(top, rect, haveList ? &lines : nullptr, tm, vertical, extra);
        int offset = 0;
        int a = accelerator;
        for (int index = 0; y <= rect.Bottom; ++index) {
            int n = 0;
            if (haveList) {
                if (index >= lines.Count()) break;
                offset = lines[index];
                n = (index + 1 < lines.Count() ? lines[index + 1] : Size(text)) - offset;
            } else if (!NextWrappedLine(canvas, tm, text.substr(std::size_t(offset)), n, horizontal, width - 1)) {
                break;
            }
            std::string_view line = Slice(text, offset, offset + n);
            int skip, length;
            DrawnPart(line, horizontal, skip, length);
            std::string_view drawn = Slice(line, skip, skip + length);
            int lineWidth = Width(canvas, tm, drawn);
            int lx = x;
            if (horizontal == htaRight) lx = rect.Right - lineWidth - 1 - (lineWidth > 0 ? tm.tmOverhang : 0);
            else if (horizontal == htaCenter)
                lx = std::max(x, rect.Left + (rect.Width() - (lineWidth + tm.tmOverhang)) / 2);
            DrawTextAccel(canvas, tm, lx, a - skip, length, drawn, TRect(area.Left, y, rect.Right, rect.Bottom), 0, y);
            y += pitch;
            a -= n;
            offset += n;
        }
        return;
    }
    if (horizontal != htaLeft || vertical == vtaBottom || vertical == vtaCenter ||
        FindLineBreak(text, Size(text)) >= 0) {
        int scroll = horizontal == htaRight ? Size(text) : 0;
        DrawSingleLine(canvas, tm, text, accelerator, vertical, horizontal, clNone, clNone, 0, 0, top, x, rect, scroll,
                       Size(text));
        return;
    }
    canvas->FillRect(rect);
    DrawTextAccel(canvas, tm, x, accelerator, Size(text), text, rect, 0, top);
}

void DrawEditText(TCanvas* canvas, std::string_view text, int height, bool wrap, TgrVertAlignment vertical,
                  TgrHorzAlignment horizontal, TColor selFontColor, TColor selColor, int selLength, int selStart,
                  const TgrIntegerList* lines, int firstLine, int scroll, int top, int x, const TRect& rect) {
    if (rect.IsEmpty()) return;
    TgrTextMetric tm = GetTextMetric(canvas);
    int extra = ExtraLineSpacing(tm);
    top += extra;
    if (horizontal == htaDefault) horizontal = htaLeft;
    if (!lines) {
        canvas->FillRect(rect);
        return;
    }
    if (wrap && WrapPossible(height - extra, tm.tmHeight + extra)) {
        DrawWrappedLines(canvas, tm, text, vertical, horizontal, selFontColor, selColor, selLength, selStart, *lines,
                         firstLine, top, x, rect);
        return;
    }
    DrawSingleLine(canvas, tm, text, 0, vertical, horizontal, selFontColor, selColor, selLength, selStart, top, x,
                   rect, scroll, Size(text));
}

void DrawSingleLine(TCanvas* canvas, const TgrTextMetric& tm, std::string_view text, int accelerator,
                    TgrVertAlignment vertical, TgrHorzAlignment horizontal, TColor selFontColor, TColor selColor,
                    int selLength, int selStart, int top, int x, const TRect& rect, int scroll, int length) {
    canvas->FillRect(rect);
    text = Head(text, length);
    length = Size(text);
    int extra = ExtraLineSpacing(tm);
    TRect clip(std::max(rect.Left, x), top, rect.Right, rect.Bottom);
    int y = top;
    if (vertical == vtaBottom) {
        y = rect.Bottom - tm.tmHeight;
    } else if (vertical == vtaCenter) {
        if (rect.Bottom - top - tm.tmHeight > 1) y = top + (rect.Bottom - top - tm.tmHeight) / 2;
    }
    if (selLength > 0) {
        clip.Top = y;
        clip.Bottom = std::min(clip.Bottom, y + tm.tmHeight + extra);
    }

    int start = 0, end = length;
    int width = 0, n = 0;
    switch (horizontal) {
        case htaRight: {
            end = std::clamp(scroll, 0, length);
            FitTextInWidth(canvas, tm, Head(text, end), htaRight, width, n, rect.Right - x, end);
            start = end - n;
            x = rect.Right - (width + 1);
            break;
        }
        case htaCenter: {
            int whole = WidthBreaksAsSpaces(canvas, tm, text);
            if (scroll > 0) {
                start = std::clamp(scroll, 0, length);
                whole = WidthBreaksAsSpaces(canvas, tm, Slice(text, start, length));
            }
            int room = (rect.Right - clip.Left - whole) / 2;
            if (room >= x - clip.Left) x = clip.Left + room;
            break;
        }
        default: {
            start = std::clamp(scroll, 0, length);
            FitTextInWidth(canvas, tm, Slice(text, start, length), htaLeft, width, n, rect.Right - x, length - start);
            end = start + n;
            break;
        }
    }

    // Piece by piece between line breaks; a break shows as one space.
    int p = start;
    int a = accelerator - start;
    while (p < end && x < clip.Right) {
        std::string_view rest = Slice(text, p, end);
        int br = FindLineBreak(rest, Size(rest));
        int pieceEnd = br < 0 ? end : p + br;
        x = DrawTextPiece(canvas, tm, Slice(text, p, pieceEnd), extra, a, selFontColor, selColor, selLength,
                          selStart - p, y, x, clip, pieceEnd - p);
        a -= pieceEnd - p;
        p = pieceEnd;
        if (br < 0 || p >= end || x >= clip.Right) break;
        int q = p;
        SkipLineBreak(text, q);
        bool selected = selLength > 0 && p >= selStart && p < selStart + selLength;
        x = DrawTextPiece(canvas, tm, " ", extra, 0, selFontColor, selColor, selected ? 1 : 0, 0, y, x, clip, 1);
        a -= q - p;
        p = q;
    }
}

void DrawWrappedLines(TCanvas* canvas, const TgrTextMetric& tm, std::string_view text, TgrVertAlignment vertical,
                      TgrHorzAlignment horizontal, TColor selFontColor, TColor selColor, int selLength, int selStart,
                      const TgrIntegerList& lines, int firstLine, int top, int x, const TRect& rect) {
    int count = lines.Count();
    if (firstLine < 0 || firstLine >= count) {
        canvas->FillRect(rect);
        return;
    }
    int extra = ExtraLineSpacing(tm);
    int pitch = tm.tmHeight + extra;
    TRect area = rect;
    if (horizontal == htaRight) area.Left = std::max(area.Left, x);
    int y = FirstLineTopFor(top, rect, count - firstLine, tm, vertical, extra);
    canvas->FillRect(rect);
    int s = selStart - lines[firstLine];
    for (int i = firstLine; i < count && rect.Bottom >= y; ++i) {
        int lineStart = lines[i];
        int lineEnd = i + 1 < count ? lines[i + 1] : Size(text);
        std::string_view line = Slice(text, lineStart, lineEnd);
        int skip, length;
        DrawnPart(line, horizontal, skip, length);
        std::string_view drawn = Slice(line, skip, skip + length);
        int w = Width(canvas, tm, drawn);
        int lx = x;
        if (horizontal == htaRight) lx = rect.Right - (w + tm.tmOverhang) - 1;
        else if (horizontal == htaCenter) lx = std::max(x, rect.Left + (rect.Width() - w - tm.tmOverhang) / 2);
        TRect clip(area.Left, y, rect.Right, std::min(rect.Bottom, y + pitch));
        DrawTextPiece(canvas, tm, drawn, extra, 0, selFontColor, selColor, selLength, s - skip, y, lx, clip, length);
        s -= lineEnd - lineStart;
        y += pitch;
    }
}

int DrawTextPiece(TCanvas* canvas, const TgrTextMetric& tm, std::string_view text, int extra, int accelerator,
                  TColor selFontColor, TColor selColor, int selLength, int selStart, int y, int x, const TRect& clip,
                  int n) {
    text = Head(text, n);
    n = Size(text);
    if (clip.Right < clip.Left || clip.Bottom < clip.Top) return x;
    if (selStart < 0) {
        selLength += selStart;
        selStart = 0;
    }
    if (selLength > 0 && selStart < n) {
        int c = std::min(selLength, n - selStart);
        std::string_view before = Head(text, selStart);
        std::string_view selected = Slice(text, selStart, selStart + c);
        std::string_view after = Slice(text, selStart + c, n);
        int wb = Width(canvas, tm, before);
        int ws = Width(canvas, tm, selected);
        TRect box(std::max(x + wb, clip.Left), clip.Top, x + wb + ws, clip.Top + tm.tmHeight + extra);
        if (c > 0 && box.Right >= box.Left && box.Bottom >= box.Top) DrawSelectionShape(canvas, tm, box, selColor, clip);
        TextOutClipped(canvas, x, y, before, clip);
        TColor fontColor = canvas->Font()->Color();
        canvas->Font()->SetColor(selFontColor);
        TextOutClipped(canvas, x + wb, y, selected, clip);
        canvas->Font()->SetColor(fontColor);
        TextOutClipped(canvas, x + wb + ws, y, after, clip);
        return x + wb + ws + Width(canvas, tm, after);
    }
    return DrawTextAccel(canvas, tm, x, accelerator, n, text, clip, 0, y);
}

void DrawSelectionShape(TCanvas* canvas, const TgrTextMetric& tm, const TRect& box, TColor colour, const TRect& clip) {
    TFontStyles style = canvas->Font()->Style();
    int s = 0;
    if (style & fsItalic) s = std::max(0, tm.tmOverhang - ((style & fsBold) ? 1 : 0));
    int w = box.Width() + s;
    int h = box.Height();
    if (w <= 0 || h <= 0) return;
    TBitmap shape;
    shape.SetSize(w, h);
    TCanvas* c = shape.Canvas();
    c->Brush()->Assign(*canvas->Brush());
    c->FillRect(TRect(0, 0, w, h));
    c->Brush()->SetColor(colour);
    c->Brush()->SetStyle(bsSolid);
    c->Pen()->SetColor(colour);
    c->Pen()->SetWidth(1);
    c->Pen()->SetStyle(psSolid);
    c->Polygon({TPoint(s, 0), TPoint(w - 1, 0), TPoint(w - s - 1, h - 1), TPoint(0, h - 1)});
    TRect dest(box.Left, box.Top, std::min(box.Left + w, clip.Right), std::min(box.Top + h, clip.Bottom));
    if (dest.IsEmpty()) return;
    TCopyMode mode = canvas->CopyMode();
    canvas->SetCopyMode(cmSrcCopy);
    canvas->DrawImage(shape.Image(), dest, TRect(0, 0, dest.Width(), dest.Height()));
    canvas->SetCopyMode(mode);
}

void FitTextInWidth(TCanvas* canvas, const TgrTextMetric& tm, std::string_view text, TgrHorzAlignment alignment,
                    int& width, int& n, int available, int total) {
    text = Head(text, total);
    total = Size(text);
    bool fromEnd = alignment == htaRight;
    if (alignment == htaCenter) {
        n = total;
    } else {
        int chars = tm.tmAveCharWidth > 0 ? available / tm.tmAveCharWidth : 0;
        n = BytesForChars(text, chars, total, fromEnd);
        // A CR LF pair is never split by the cut.
        if (!fromEnd && n > 0 && n < total && IsLineBreakAt(text, n - 1) && CharLengthAt(text, n - 1) == 2) ++n;
        if (fromEnd && n > 0 && n < total && IsLineBreakAt(text, total - n - 1) &&
            CharLengthAt(text, total - n - 1) == 2)
            ++n;
    }
    auto part = [&](int len) { return fromEnd ? Slice(text, total - len, total) : Head(text, len); };
    width = WidthBreaksAsSpaces(canvas, tm, part(n));
    while (width < available && n < total) {
        int len = fromEnd ? PrevCharLength(text, total - n) : CharLengthAt(text, n);
        n += std::max(1, len);
        width = WidthBreaksAsSpaces(canvas, tm, part(n));
    }
    if (width > 0) width += tm.tmOverhang;
}

void StripAccelerator(std::string_view caption, int& position, std::string& text) {
    position = 0;
    int size = Size(caption);
    if (FindChar(caption, '&', size) < 0) {
        text = std::string(caption);
        return;
    }
    text.clear();
    int i = 0;
    while (i < size) {
        int amp = FindChar(caption.substr(std::size_t(i)), '&', size - i);
        if (amp < 0) {
            text += caption.substr(std::size_t(i));
            break;
        }
        amp += i;
        text += caption.substr(std::size_t(i), std::size_t(amp - i));
        if (amp + 1 >= size) break;  // a final lone "&" disappears
        int len = std::max(1, CharLengthAt(caption, amp + 1));
        if (position == 0 && caption[std::size_t(amp + 1)] != '&') position = Size(text) + 1;
        text += caption.substr(std::size_t(amp + 1), std::size_t(len));
        i = amp + 1 + len;
    }
}
