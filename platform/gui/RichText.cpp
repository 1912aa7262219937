#include "platform/gui/RichText.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <string_view>

#include "platform/core/CodePage.h"
#include "platform/core/Exception.h"
#include "platform/gui/Metafile.h"

namespace {

// Groups whose content is not text of the document: tables, document
// information, pictures, embedded objects, headers, footers and notes.
bool SkippedDestination(std::string_view word) {
    static constexpr std::string_view kSkipped[] = {
        "fonttbl",   "colortbl",  "stylesheet", "info",       "pict",     "object",     "header",
        "headerl",   "headerr",   "headerf",    "footer",     "footerl",  "footerr",    "footerf",
        "footnote",  "listtable", "listoverridetable", "rsidtbl", "generator", "xmlnstbl", "themedata",
        "colorschememapping", "latentstyles", "datastore", "fldinst", "filetbl", "revtbl", "pgdsctbl"};
    return std::find(std::begin(kSkipped), std::end(kSkipped), word) != std::end(kSkipped);
}

int HexDigit(std::uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

[[noreturn]] void Refuse(const char* why) { throw EConvertError(std::string("Rich text is not valid RTF: ") + why); }

// The characters of an RTF document with "\n" ending each paragraph or line
// and "\t" for tabs.
QString ReadRtf(const std::vector<std::uint8_t>& b) {
    struct Group {
        bool skip = false;
        int uc = 1;  // characters standing in for each \u character
    };
    std::vector<Group> groups;
    QString out;
    int pendingSkip = 0;  // stand-in characters still to drop after \u
    auto put = [&](char32_t ch) {
        if (groups.empty() || groups.back().skip) return;
        if (pendingSkip > 0) {
            --pendingSkip;
            return;
        }
        const char32_t c[1] = {ch};
        out += QString::fromUcs4(c, 1);
    };
    const std::size_t n = b.size();
    std::size_t i = 0;
    bool closed = false;
    while (i < n && !closed) {
        const std::uint8_t c = b[i];
        if (c == '{') {
            if (groups.size() >= static_cast<std::size_t>(TRichTextDocument::kMaxDepth)) Refuse("groups nest too deep");
            groups.push_back(groups.empty() ? Group{} : groups.back());
            pendingSkip = 0;
            ++i;
        } else if (c == '}') {
            if (groups.empty()) Refuse("a group closes that was never opened");
            groups.pop_back();
            pendingSkip = 0;
            closed = groups.empty();
            ++i;
        } else if (c == '\r' || c == '\n') {
            ++i;
        } else if (c != '\\') {
            if (groups.empty()) Refuse("text stands outside the document group");
            put(Cp1252ToChar(c));
            ++i;
        } else if (i + 1 >= n) {
            Refuse("the document ends inside a control word");
        } else if (std::isalpha(b[i + 1])) {
            std::size_t j = i + 1;
            while (j < n && j - i <= 32 && std::isalpha(b[j])) ++j;
            const std::string word(b.begin() + static_cast<std::ptrdiff_t>(i + 1), b.begin() + static_cast<std::ptrdiff_t>(j));
            bool hasParam = false;
            bool negative = false;
            long long param = 0;
            if (j < n && b[j] == '-') {
                negative = true;
                ++j;
            }
            for (int digits = 0; j < n && std::isdigit(b[j]) && digits < 10; ++j, ++digits) {
                param = param * 10 + (b[j] - '0');
                hasParam = true;
            }
            if (negative) param = -param;
            if (j < n && b[j] == ' ') ++j;  // the delimiter belongs to the word
            i = j;
            if (groups.empty()) Refuse("a control word stands outside the document group");
            if (word == "bin") {
                if (param < 0 || static_cast<unsigned long long>(param) > n - i) Refuse("binary data runs past the end");
                i += static_cast<std::size_t>(param);
            } else if (word == "u" && hasParam) {
                const int saved = pendingSkip;
                pendingSkip = 0;
                put(static_cast<char32_t>(param < 0 ? param + 65536 : param) & 0xFFFF);
                pendingSkip = saved + groups.back().uc;
            } else if (word == "uc" && hasParam) {
                groups.back().uc = static_cast<int>(std::clamp(param, 0LL, 16LL));
            } else if (word == "par" || word == "line" || word == "sect" || word == "page") {
                pendingSkip = 0;
                put(U'\n');
            } else if (word == "tab") {
                put(U'\t');
            } else if (word == "emdash") {
                put(U'\u2014');
            } else if (word == "endash") {
                put(U'\u2013');
            } else if (word == "bullet") {
                put(U'\u2022');
            } else if (word == "lquote" || word == "rquote") {
                put(word == "lquote" ? U'\u2018' : U'\u2019');
            } else if (word == "ldblquote" || word == "rdblquote") {
                put(word == "ldblquote" ? U'\u201C' : U'\u201D');
            } else if (SkippedDestination(word)) {
                groups.back().skip = true;
            }
        } else {
            const std::uint8_t s = b[i + 1];
            i += 2;
            if (groups.empty()) Refuse("a control symbol stands outside the document group");
            if (s == '\'') {
                const int hi = i < n ? HexDigit(b[i]) : -1, lo = i + 1 < n ? HexDigit(b[i + 1]) : -1;
                if (hi < 0 || lo < 0) Refuse("a character escape lacks its two hexadecimal digits");
                i += 2;
                put(Cp1252ToChar(static_cast<unsigned char>(hi * 16 + lo)));
            } else if (s == '*') {
                groups.back().skip = true;
            } else if (s == '\\' || s == '{' || s == '}') {
                put(s);
            } else if (s == '~') {
                put(U'\u00A0');
            } else if (s == '_') {
                put(U'-');
            } else if (s == '\r' || s == '\n') {
                put(U'\n');
            }
        }
    }
    if (!closed) Refuse("the document group is not closed");
    return out;
}

bool Blank(QChar c) { return c == u' ' || c == u'\t'; }

// Tabs are drawn and measured as four blanks.
std::string Drawn(const QString& s) {
    QString t = s;
    t.replace(u'\t', QStringLiteral("    "));
    return t.toStdString();
}

}  // namespace

void TRichTextDocument::LoadFromBytes(const std::vector<std::uint8_t>& bytes) {
    text_.clear();  // broken RTF leaves no text behind
    static constexpr std::string_view kRtf = "{\\rtf";
    if (bytes.size() >= kRtf.size() && std::equal(kRtf.begin(), kRtf.end(), bytes.begin())) {
        text_ = ReadRtf(bytes);
    } else {
        text_ = QString::fromUtf8(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
        text_.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text_.replace(u'\r', u'\n');
    }
}

void TRichTextDocument::LoadFromFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EFOpenError("Cannot open file \"" + path + "\"");
    LoadFromBytes(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

void TRichTextDocument::SetText(const std::string& utf8) {
    LoadFromBytes(std::vector<std::uint8_t>(utf8.begin(), utf8.end()));
}

int TRichTextDocument::FormatRange(TMetafileCanvas& canvas, int start, int end, const TRect& r) const {
    const int n = Length();
    if (end < 0 || end > n) end = n;
    int pos = std::clamp(start, 0, n);
    const int lineHeight = std::max(1, canvas.TextHeight("W"));
    const int width = r.Width();
    auto fits = [&](int from, int to) { return canvas.TextWidth(Drawn(text_.mid(from, to - from))) <= width; };
    int y = r.Top;
    while (pos < end && y + lineHeight <= r.Bottom && width > 0) {
        int stop = pos;
        while (stop < end && text_[stop] != u'\n') ++stop;
        // No line holds more characters than the rectangle has pixels, so
        // neither search measures beyond that: a paragraph without blanks
        // costs no more per line than a short one.
        const int limit = static_cast<int>(std::min<long long>(stop, static_cast<long long>(pos) + width));
        int cut = pos;
        // The longest run of whole words that fits; a first word wider
        // than the rectangle is broken between characters.
        for (int k = pos; k <= limit; ++k) {
            if (k < stop && !(Blank(text_[k]) && k > pos && !Blank(text_[k - 1]))) continue;
            if (!fits(pos, k)) break;
            cut = k;
        }
        if (cut == pos && stop > pos) {
            int lo = pos, hi = limit;  // fits up to lo; beyond hi nothing is tried
            while (lo < hi) {
                int mid = lo + (hi - lo + 1) / 2;
                if (mid < stop && text_[mid].isLowSurrogate()) mid += mid < hi ? 1 : -1;  // keep a pair whole
                if (mid > lo && fits(pos, mid)) {
                    lo = mid;
                } else {
                    hi = mid > lo ? mid - 1 : lo;
                }
            }
            cut = lo;
            if (cut == pos) break;  // not one character fits
        }
        if (cut > pos) canvas.TextOut(r.Left, y, Drawn(text_.mid(pos, cut - pos)));
        pos = cut;
        while (pos < stop && Blank(text_[pos])) ++pos;
        if (pos == stop && pos < end) ++pos;  // the paragraph's end
        y += lineHeight;
    }
    return std::min(pos, end);
}
