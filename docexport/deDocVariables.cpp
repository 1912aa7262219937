// Variables, inline style tags, right-to-left reordering and link detection
// of the document engine.

#include "docexport/deDocVariables.h"

#include <algorithm>
#include <set>

#include "docexport/deCstDocEng.h"
#include "docexport/deDocResStrs.h"
#include "docexport/deUtils.h"
#include "platform/core/DateTime.h"
#include "platform/core/Format.h"
#include "platform/core/FormatSettings.h"
#include "platform/core/Strings.h"

// ---- variables -------------------------------------------------------------------

std::string TdeCustomDocumentEngine::SubstitutePageVariables(const std::string& text) {
    std::string r = ReplaceIgnoreCase(text, "<%Pg#%>", IntToStr(currentPage_));
    return ReplaceIgnoreCase(r, "<%PgCnt%>", IntToStr(pageCount_));
}

std::string TdeCustomDocumentEngine::SubstituteVariables(const std::string& text, bool withPageVariables) {
    std::string result = text;
    if (!Preferences()->CalculateVariables() || text.empty()) return result;
    if (withPageVariables) result = SubstitutePageVariables(result);
    const TFormatSettings& fs = DefaultFormatSettings();
    result = ReplaceIgnoreCase(result, "<%ShortDate%>", FormatDateTime(fs.ShortDateFormat, Now(), fs));
    result = ReplaceIgnoreCase(result, "<%ShortTime%>", FormatDateTime(fs.ShortTimeFormat, Now(), fs));
    result = ReplaceIgnoreCase(result, "<%LongDate%>", FormatDateTime(fs.LongDateFormat, Now(), fs));
    result = ReplaceIgnoreCase(result, "<%LongTime%>", FormatDateTime(fs.LongTimeFormat, Now(), fs));
    result = ReplaceIgnoreCase(result, "<%Author%>", docInfo_.Author());
    result = ReplaceIgnoreCase(result, "<%Creator%>", docInfo_.Creator());
    result = ReplaceIgnoreCase(result, "<%Subject%>", docInfo_.Subject());
    result = ReplaceIgnoreCase(result, "<%Title%>", docInfo_.Title());
    if (!OnCalcVariables) return result;

    // Caller variables. A value may hold place-holders again; each name is
    // asked for once per call, so a value that names itself cannot loop.
    std::set<std::string> asked;
    int calls = 0;
    int e = -1;
    while (e < static_cast<int>(result.size()) && calls < 10000) {
        int s = FindFrom("<%", result, e + 2);
        if (s == 0) break;
        e = FindFrom("%>", result, s);
        if (e == 0) break;
        if (e - s < 3) continue;  // nothing between the markers
        int inner = FindFrom("<%", result, s + 2);
        if (inner > 0 && inner < e) {
            e = s + 2;
            continue;
        }
        std::string name = result.substr(static_cast<std::size_t>(s + 1), static_cast<std::size_t>(e - s - 2));
        std::string marker = "<%" + name + "%>";
        if (marker == "<%Pg#%>" || marker == "<%PgCnt%>") continue;
        if (!asked.insert(AnsiUpperCase(name)).second) continue;
        std::string value;
        ++calls;
        OnCalcVariables(this, name, value);
        result = ReplaceIgnoreCase(result, marker, value);
        e = s;
    }
    return result;
}

TSize TdeCustomDocumentEngine::TextExtent(const std::string& text, const TFont& font) const {
    if (text.empty()) {
        TSize s = TextSize(" ", font);
        s.cx = 1;
        return s;
    }
    return TextSize(StripTrailingLineBreak(text), font);
}

// ---- inline tags -------------------------------------------------------------------

void TdeCustomDocumentEngine::TaggedTextOut(const std::string& text, double x, double y) {
    // Positions come in the engine's unit; the call works in pixels.
    double px = x, py = y;
    switch (unit_) {
        case muInches: px *= 72; py *= 72; break;
        case muMM: px *= 2.83464; py *= 2.83464; break;
        case muTwips: px *= 0.05; py *= 0.05; break;
        case muPoints:
        case muPixels: break;
    }
    if (unit_ != muPixels) {
        px = PointsToPixelsValue(px);
        py = PointsToPixelsValue(py);
    }
    const TdeUnitType savedUnit = unit_;
    SetMeasurementUnit(muPixels);
    struct Restore {
        TdeCustomDocumentEngine* e;
        TdeUnitType u;
        ~Restore() { e->SetMeasurementUnit(u); }
    } restore{this, savedUnit};
    px = ToPixelsX(px) + left_;
    py = ToPixelsY(py) + top_;

    std::string run;
    bool escaped = false;
    const TFontStyle styles[4] = {fsBold, fsUnderline, fsItalic, fsStrikeOut};
    const char letters[4] = {'B', 'U', 'I', 'S'};
    bool switchedOn[4] = {false, false, false, false};

    auto flush = [&] {
        if (started_ && (capabilities_ & capText) && (itemsToRender_ & ItemBit(irText)) && InArea(px, py)) {
            auto* item = new TdeTextItem;
            item->X = px;
            item->Y = py;
            item->Lines.Add(run);
            item->Font.Assign(font_);
            item->Brush.Assign(brush_);
            item->Rotation = rotation_;
            item->Alignment = textAlignment_;
            item->Effects.Assign(&effects_);
            AddItem(item);
            px += TextExtent(run, font_).cx;
        }
        run.clear();
    };
    auto apply = [&](const std::string& tag) {
        std::string t = UpperCase(tag);
        for (int k = 0; k < 4; ++k) {
            if (t == std::string("<") + letters[k] + ">") {
                font_.SetStyle(font_.Style() | styles[k]);
                switchedOn[k] = true;
            } else if (t == std::string("</") + letters[k] + ">") {
                font_.SetStyle(font_.Style() & ~static_cast<TFontStyles>(styles[k]));
                switchedOn[k] = false;
            }
        }
    };

    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if (c == '/') {
            if (i + 1 < n && text[i + 1] == '/') {
                run += '/';
                escaped = true;
                ++i;
            } else {
                escaped = false;
            }
        } else if (c == '<') {
            if (i == 0 || text[i - 1] != '/' || escaped) {
                flush();
                std::size_t j = i + 1;
                while (j < n && text[j] != '>' && text[j] != ' ') ++j;
                if (j < n && text[j] == '>') {
                    apply(text.substr(i, j - i + 1));
                    i = j;
                }
            } else {
                run += '<';
            }
        } else if (c == '>') {
            if (i > 0 && text[i - 1] == '/' && !escaped) run += '>';
        } else {
            run += c;
        }
    }
    flush();
    for (int k = 0; k < 4; ++k)
        if (switchedOn[k]) font_.SetStyle(font_.Style() & ~static_cast<TFontStyles>(styles[k]));
}

// ---- right-to-left reordering -------------------------------------------------------

namespace {

enum CharClass { ccNone, ccDigit, ccNeutral, ccRtl, ccLtr };

CharClass Classify(char32_t c) {
    if (c >= U'0' && c <= U'9') return ccDigit;
    if ((c >= 32 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) || (c >= 123 && c <= 126))
        return ccNeutral;
    if ((c >= 0x0590 && c <= 0x05FF) || (c >= 0xFB1E && c <= 0xFB4F) || (c >= 0x0600 && c <= 0x06FF) ||
        (c >= 0xFB50 && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF))
        return ccRtl;
    return ccLtr;
}

std::u32string Decode(const std::string& s) {
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp = 0;
        std::size_t n = Utf8DecodeChar(s, i, cp);
        if (n == 0) break;
        out += cp;
        i += n;
    }
    return out;
}

std::string Encode(const std::u32string& s) {
    std::string out;
    for (char32_t c : s) Utf8AppendChar(out, c);
    return out;
}

}  // namespace

void TdeCustomDocumentEngine::ReorderRightToLeft(const std::string& text, std::string& result) {
    const std::u32string t = Decode(text);
    const TFormatSettings& fs = DefaultFormatSettings();
    const std::u32string currency = Decode(fs.CurrencyString);
    std::vector<std::u32string> segments;
    std::u32string run, ltr, pending;
    std::size_t insertAt = 0;
    CharClass prev = ccNone;

    auto ltrContext = [&] { return !ltr.empty() || segments.empty(); };
    auto insert = [&](const std::u32string& s) {
        insertAt = std::min(insertAt, segments.size());
        segments.insert(segments.begin() + static_cast<std::ptrdiff_t>(insertAt), s);
    };
    auto flushLtr = [&] {
        ltr += run;
        segments.push_back(ltr);
        ltr.clear();
        insertAt = segments.size();
    };
    auto insertRun = [&] { insert(run); };
    auto insertPending = [&] {
        if (!pending.empty()) {
            pending += run;
            insert(pending);
            pending.clear();
        } else {
            insertRun();
        }
    };
    auto digitAt = [&](std::size_t i) { return i < t.size() && Classify(t[i]) == ccDigit; };

    for (std::size_t i = 0; i < t.size(); ++i) {
        char32_t c = t[i];
        CharClass cls = Classify(c);
        if (cls == ccDigit) {
            if (prev == ccNeutral) {
                // The blanks before a number stay in place (a currency sign
                // before them already waits in pending).
                if (ltrContext())
                    ltr += run;
                else
                    insertRun();
            } else if (prev == ccRtl) {
                insertRun();
            } else if (prev == ccLtr) {
                ltr += run;
            }
            if (prev != ccDigit) run.clear();
            run += c;
            prev = ccDigit;
        } else if (cls == ccNeutral) {
            if (!segments.empty() && i + 2 < t.size()) {
                static const std::u32string open = U"(<[{", close = U")>]}";
                if (auto p = open.find(c); p != std::u32string::npos)
                    c = close[p];
                else if (auto q = close.find(c); q != std::u32string::npos)
                    c = open[q];
            }
            if (prev != ccNeutral && prev != ccNone) {
                bool done = false;
                if (prev == ccRtl) {
                    insertRun();
                } else if (prev == ccLtr) {
                    ltr += run;
                } else {  // after a digit
                    const char32_t next = i + 1 < t.size() ? t[i + 1] : 0;
                    const bool nextDigit = digitAt(i + 1);
                    (void)next;
                    if (ltrContext()) {
                        ltr += run;
                    } else if (!pending.empty()) {
                        // Part of a number: kept with its digits.
                        pending += run;
                        pending += c;
                        done = true;
                    } else if (((c == char32_t(fs.ThousandSeparator) || c == char32_t(fs.DecimalSeparator) ||
                                 c == U'$') && nextDigit) ||
                               ((c == char32_t(fs.TimeSeparator) || c == char32_t(fs.DateSeparator)) &&
                                nextDigit) ||
                               c == U'%') {
                        pending += run;
                        pending += c;
                        done = true;
                    } else {
                        insertRun();
                    }
                }
                run.clear();
                if (done) continue;  // the previous class stays digit
            }
            // A currency sign waits for its number in right-to-left text;
            // in left-to-right text it simply stays where it is.
            if (currency.size() == 1 && c == currency[0] && !ltrContext())
                pending += c;
            else
                run += c;
            prev = ccNeutral;
        } else if (cls == ccRtl) {
            if (prev == ccDigit) {
                if (ltrContext())
                    flushLtr();
                else
                    insertPending();
            } else if (prev == ccNeutral) {
                if (ltrContext()) {
                    flushLtr();
                } else {
                    std::u32string rev(run.rbegin(), run.rend());
                    insert(rev);
                }
            } else if (prev == ccLtr) {
                flushLtr();
            }
            if (prev != ccRtl) run.clear();
            run.insert(run.begin(), c);  // built reversed
            prev = ccRtl;
        } else {
            if (prev == ccDigit) {
                if (ltrContext())
                    ltr += run;
                else
                    insertPending();
            } else if (prev == ccNeutral) {
                ltr += run;
            } else if (prev == ccRtl) {
                insertRun();
            }
            if (prev != ccLtr) run.clear();
            run += c;
            prev = ccLtr;
        }
    }
    if (!run.empty()) {
        switch (prev) {
            case ccDigit:
                if (ltrContext())
                    flushLtr();
                else
                    insertPending();
                break;
            case ccNeutral:
                if (ltrContext())
                    flushLtr();
                else
                    segments.push_back(run);
                break;
            case ccRtl: insertRun(); break;
            case ccLtr: flushLtr(); break;
            case ccNone: break;
        }
        run.clear();
    }
    // Nothing held back may be lost.
    if (!pending.empty()) insert(pending);
    if (!ltr.empty()) segments.push_back(ltr);
    for (const auto& s : segments) result += Encode(s);
}

// ---- links ---------------------------------------------------------------------------

namespace {

bool IsAsciiAlnum(unsigned char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

bool FindLink(const std::string& text, int& startPos, std::string& link) {
    link.clear();
    const int given = startPos;
    const int from = std::max(given, 1);
    if (from > static_cast<int>(text.size())) return false;
    // The rest of the text from the start position (its last character
    // included, so a link that ends the text is found whole).
    const std::string window = LowerCase(text.substr(static_cast<std::size_t>(from - 1)));
    const int len = static_cast<int>(window.size());
    int best = len;
    bool pathFound = false;
    const std::string markers[] = {LowerCase(SdeHttpMarker), LowerCase(SdeFtpMarker), LowerCase(SdeWwwMarker),
                                   "@", ":\\"};
    for (const std::string& m : markers) {
        int i = Pos(m, window);
        if (!(i > 0 && i < best)) continue;
        if (m == "@") {
            bool dotAfterAt = false;
            for (int k = i; k <= best && k <= len; ++k)
                if (window[static_cast<std::size_t>(k - 1)] == '.') dotAfterAt = true;
            while (i > 1) {
                unsigned char p = static_cast<unsigned char>(window[static_cast<std::size_t>(i - 2)]);
                if (p == '-' || p == '.' || p == '_' || IsAsciiAlnum(p))
                    --i;
                else
                    break;
            }
            if (!dotAfterAt) best = 0;
        } else if (m == ":\\") {
            pathFound = true;
            i -= 1;
        }
        if (i < best) best = i;
    }
    if (best == len || best <= 0) return false;
    startPos = given <= 0 ? best : given + best - 1;

    int end = 0;  // 1-based position in text, exclusive
    if (pathFound) {
        auto slash = window.rfind('\\');
        std::size_t dot = slash == std::string::npos ? std::string::npos : window.find('.', slash);
        if (dot != std::string::npos) {
            auto stop = window.find_first_of(" \"*?|", dot);
            int w = stop == std::string::npos ? len + 1 : static_cast<int>(stop) + 1;
            end = from + w - 1;
        }
    } else {
        end = startPos;
        while (end <= static_cast<int>(text.size())) {
            unsigned char c = static_cast<unsigned char>(text[static_cast<std::size_t>(end - 1)]);
            if (IsAsciiAlnum(c) || std::string_view("%&+-./:=?@_").find(static_cast<char>(c)) != std::string_view::npos)
                ++end;
            else
                break;
        }
    }
    if (end > startPos) link = text.substr(static_cast<std::size_t>(startPos - 1), static_cast<std::size_t>(end - startPos));
    return !link.empty();
}
