#include "app/HyperParse.h"

#include <cctype>
#include <fstream>
#include <sstream>

#include "platform/core/CodePage.h"
#include "platform/core/Exception.h"
#include "platform/core/Strings.h"
#include "platform/core/UiQueue.h"

namespace {

// Named references: the four markup ones and the Latin-1 set 160..255.
struct NamedRef { const char* name; int code; };
const NamedRef kBaseRefs[] = {{"quot", 34}, {"amp", 38}, {"lt", 60}, {"gt", 62}};
const char* const kLatin1Refs[96] = {
    "nbsp", "iexcl", "cent", "pound", "curren", "yen", "brvbar", "sect",
    "uml", "copy", "ordf", "laquo", "not", "shy", "reg", "macr",
    "deg", "plusmn", "sup2", "sup3", "acute", "micro", "para", "middot",
    "cedil", "sup1", "ordm", "raquo", "frac14", "frac12", "frac34", "iquest",
    "Agrave", "Aacute", "Acirc", "Atilde", "Auml", "Aring", "AElig", "Ccedil",
    "Egrave", "Eacute", "Ecirc", "Euml", "Igrave", "Iacute", "Icirc", "Iuml",
    "ETH", "Ntilde", "Ograve", "Oacute", "Ocirc", "Otilde", "Ouml", "times",
    "Oslash", "Ugrave", "Uacute", "Ucirc", "Uuml", "Yacute", "THORN", "szlig",
    "agrave", "aacute", "acirc", "atilde", "auml", "aring", "aelig", "ccedil",
    "egrave", "eacute", "ecirc", "euml", "igrave", "iacute", "icirc", "iuml",
    "eth", "ntilde", "ograve", "oacute", "ocirc", "otilde", "ouml", "divide",
    "oslash", "ugrave", "uacute", "ucirc", "uuml", "yacute", "thorn", "yuml"};

// Code of a named reference written with its terminator ("&amp;"), or -1.
// The lookup is case-sensitive and includes the terminator, so a reference
// ended by a blank never matches.
int NamedReferenceCode(const std::string& ref) {
    if (ref.size() < 3 || ref.front() != '&' || ref.back() != ';') return -1;
    std::string name = ref.substr(1, ref.size() - 2);
    for (const auto& r : kBaseRefs)
        if (name == r.name) return r.code;
    for (int i = 0; i < 96; ++i)
        if (name == kLatin1Refs[i]) return 160 + i;
    return -1;
}

// The character-table entry for v: control characters and the no-break
// space read as a blank; the rest is the Windows-1252 character v.
std::string CharTableEntry(int v) {
    if (v < 32 || v == 160) return " ";
    return Cp1252ToUtf8(std::string(1, static_cast<char>(v)));
}

// Value of the digits of a numeric reference (without "&#" and the
// terminator), or -1 when they do not form a number the table holds.
int NumericReferenceValue(const std::string& body) {
    if (body.empty() || body.size() > 3) return -1;
    bool hex = body[0] == 'x' || body[0] == 'X';
    std::string digits = hex ? body.substr(1) : body;
    if (digits.empty()) return -1;
    int v = 0;
    for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return -1;  // signs and other characters: not a table entry
        v = v * (hex ? 16 : 10) + d;
    }
    // The table has 256 entries; a larger number stays as written.
    return v <= 255 ? v : -1;
}

bool IsBlank(char c) { return c == ' '; }

}  // namespace

std::string DecodeCharacterReferences(const std::string& data) {
    std::string s = data;
    size_t i = 0;
    while (i < s.size()) {
        if (s[i] != '&') { ++i; continue; }
        // The reference runs to the next ";" or blank; a later "&" restarts it.
        size_t start = i, j = i + 1;
        while (j < s.size() && s[j] != ';' && !IsBlank(s[j])) {
            if (s[j] == '&') start = j;
            ++j;
        }
        if (j >= s.size()) break;  // no terminator: not a reference
        std::string ref = s.substr(start, j - start + 1);
        if (ref.size() > 2 && ref[1] == '#') {
            int v = NumericReferenceValue(ref.substr(2, ref.size() - 3));
            if (v >= 0) {
                std::string ch = CharTableEntry(v);
                s.replace(start, ref.size(), ch);
                i = start + ch.size();
            } else {
                i = j + 1;
            }
            continue;
        }
        int code = NamedReferenceCode(ref);
        if (code >= 0) {
            // Replace by the numeric form and decode that on the next round.
            s.replace(start, ref.size(), "&#" + std::to_string(code) + ";");
            i = start;
        } else {
            i = j + 1;
        }
    }
    return s;
}

namespace {

// Reads one word of a tag starting at pos: skips blanks, then takes
// characters up to "=" or a blank; a quoted value after "=" is taken whole.
std::string ReadWord(const std::string& d, size_t& pos, bool firstWord) {
    while (pos < d.size() && IsBlank(d[pos])) ++pos;
    size_t start = pos;
    while (pos < d.size() && d[pos] != '=' && !IsBlank(d[pos])) ++pos;
    if (!firstWord && pos < d.size() && d[pos] == '=') {
        if (pos + 1 < d.size() && d[pos + 1] == '"') {
            // "=", the opening quote and one more character, then up to and
            // including the closing quote (or the end of the tag).
            pos = std::min(pos + 3, d.size());
            while (pos < d.size() && d[pos - 1] != '"') ++pos;
        } else {
            while (pos < d.size() && !IsBlank(d[pos])) ++pos;
        }
    }
    return d.substr(start, pos - start);
}

std::string TrimRightOf(std::string s, const char* chars) {
    size_t e = s.find_last_not_of(chars);
    s.erase(e == std::string::npos ? 0 : e + 1);
    return s;
}

void ParseTag(THtmlInfo& t) {
    const std::string& d = t.Data;
    size_t pos = 0;
    t.TagName = UpperCase(ReadWord(d, pos, true));
    if (t.TagName.rfind("!--", 0) == 0) {
        size_t p = 3;
        while (p < d.size() && IsBlank(d[p])) ++p;
        std::string rest = d.substr(p);
        if (!rest.empty()) rest.pop_back();
        THtmlParameter comment;
        comment.Text = TrimRightOf(rest, " -");
        t.Params.push_back(std::move(comment));
        return;
    }
    while (pos < d.size()) {
        std::string word = ReadWord(d, pos, false);
        if (word.empty()) break;
        THtmlParameter p;
        p.Text = word;
        size_t eq = word.find('=');
        p.Name = word.substr(0, eq);
        if (eq != std::string::npos) {
            for (char c : word.substr(eq + 1))
                if (c != '"') p.Value.push_back(c);
        }
        t.Params.push_back(std::move(p));
    }
}

std::string JoinLinesWithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 2);
    size_t i = 0;
    while (i < text.size()) {
        size_t e = text.find_first_of("\r\n", i);
        if (e == std::string::npos) { out += text.substr(i); out += "\r\n"; break; }
        out += text.substr(i, e - i);
        out += "\r\n";
        i = (text[e] == '\r' && e + 1 < text.size() && text[e + 1] == '\n') ? e + 2 : e + 1;
    }
    return out;
}

}  // namespace

void THyperParse::Finish(std::unique_ptr<THtmlInfo>& token) {
    if (!token) return;
    if (token->IsTag) ParseTag(*token);
    else token->Data = DecodeCharacterReferences(token->Data);
    tokens_.push_back(std::move(token));
}

void THyperParse::Execute(const std::string& text) {
    std::string source = text;
    if (source.empty()) {
        std::ifstream f(FileName, std::ios::binary);
        if (!f) throw EFOpenError("Cannot open file \"" + FileName + "\".");
        std::ostringstream ss;
        ss << f.rdbuf();
        source = ss.str();
    }
    source = JoinLinesWithCrLf(source);

    std::unique_ptr<THtmlInfo> current;
    bool inTag = false;
    for (char ch : source) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c == '<' && !inTag) {
            Finish(current);
            current = std::make_unique<THtmlInfo>();
            current->IsTag = true;
            inTag = true;
        } else if (c == '<') {
            // A "<" inside a tag is dropped.
        } else if (c == '>') {
            Finish(current);
            inTag = false;
        } else if (!current && c >= 21 && !inTag) {
            current = std::make_unique<THtmlInfo>();
            // A leading blank or "!" is not kept.
            if (c > 33) current->Data.push_back(ch);
        } else if (current && c >= 32) {
            current->Data.push_back(ch);
        }
        ProcessMessages();
    }
    Finish(current);
}

THtmlInfo& THyperParse::Items(int index) const {
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return *tokens_[static_cast<size_t>(index)];
}
