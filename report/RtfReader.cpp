// RTF text to text with embedded format codes.
#include <algorithm>
#include <cctype>
#include <set>
#include <vector>

#include "platform/core/CodePage.h"
#include "report/FormatCodes.h"

namespace {

struct RtfToken {
    enum Kind { Word, Symbol, Open, Close, Text, End } kind = End;
    std::string name;   // control word or symbol
    std::string param;  // "-12", "0", ...
    int number = 0;
    std::string text;
};

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = char(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string AnsiChar(int code) { return Cp1252ToUtf8(std::string(1, char(code))); }

class RtfReader {
public:
    explicit RtfReader(const std::string& text) : s_(text) {
        size_t zero = s_.find('\0');
        end_ = zero == std::string::npos ? s_.size() : zero;
    }

    std::string Run() {
        bool groupStart = false;
        while (true) {
            RtfToken t = Next();
            if (t.kind == RtfToken::End) break;
            if (t.kind == RtfToken::Open) {
                stack_.push_back(cur_);
                groupStart = true;
                continue;
            }
            if (groupStart) {
                groupStart = false;
                if (t.kind == RtfToken::Word || t.kind == RtfToken::Symbol) {
                    if (Skipped(t.name)) {
                        SkipGroup();
                        Pop();
                        continue;
                    }
                    if (t.name == "fonttbl") {
                        ReadFontTable();
                        Pop();
                        continue;
                    }
                    if (t.name == "colortbl") {
                        ReadColorTable();
                        Pop();
                        continue;
                    }
                }
            }
            switch (t.kind) {
                case RtfToken::Close: Pop(); break;
                case RtfToken::Word: Control(t); break;
                case RtfToken::Text:
                    if (!cur_.hidden) Emit(t.text);
                    break;
                default: break;
            }
        }
        return out_;
    }

private:
    struct State {
        TFormatState fmt;
        bool hidden = false;
    };

    static bool Skipped(const std::string& name) {
        static const std::set<std::string> names = {
            "author",  "buptim",  "comment", "creatim", "doccomm", "footer",  "footerf",  "footerl",
            "footerr", "footnote", "ftncn",  "ftnsep",  "ftnsepc", "header",  "headerf",  "headerl",
            "headerr", "info",    "keywords", "operator", "pict",   "printim", "private1", "revtim",
            "rxe",     "stylesheet", "subject", "tc",     "title",   "txe",     "xe",       "*"};
        return names.count(name) > 0;
    }

    void Pop() {
        if (stack_.empty()) return;
        cur_ = stack_.back();
        stack_.pop_back();
    }

    RtfToken Next() {
        RtfToken t;
        while (pos_ < end_) {
            char c = s_[pos_];
            if (c == '\\') {
                ++pos_;
                while (pos_ < end_ && s_[pos_] == ' ') ++pos_;
                if (pos_ >= end_) break;
                char d = s_[pos_];
                if (d >= 'a' && d <= 'z') {
                    t.kind = RtfToken::Word;
                    while (pos_ < end_ && s_[pos_] >= 'a' && s_[pos_] <= 'z') t.name += s_[pos_++];
                    if (pos_ < end_ && (s_[pos_] == '-' || std::isdigit(static_cast<unsigned char>(s_[pos_])))) {
                        t.param += s_[pos_++];
                        while (pos_ < end_ && std::isdigit(static_cast<unsigned char>(s_[pos_]))) t.param += s_[pos_++];
                        t.number = std::atoi(t.param.c_str());
                    }
                    if (pos_ < end_ && s_[pos_] == ' ') ++pos_;
                    return t;
                }
                if (d == '\'') {
                    ++pos_;
                    int code = 0;
                    for (int i = 0; i < 2 && pos_ < end_; ++i) {
                        int h = HexValue(s_[pos_]);
                        if (h < 0) break;
                        code = code * 16 + h;
                        ++pos_;
                    }
                    t.kind = RtfToken::Text;
                    t.text = AnsiChar(code);
                    return t;
                }
                if (d == '\\' || d == '{' || d == '}') {
                    // An escaped character starts a text run.
                    --pos_;
                    std::string run = TextRun();
                    if (run.empty()) continue;
                    t.kind = RtfToken::Text;
                    t.text = run;
                    return t;
                }
                ++pos_;
                t.kind = RtfToken::Symbol;
                t.name = std::string(1, d);
                return t;
            }
            if (c == '{') {
                ++pos_;
                t.kind = RtfToken::Open;
                return t;
            }
            if (c == '}') {
                ++pos_;
                t.kind = RtfToken::Close;
                return t;
            }
            std::string run = TextRun();
            if (run.empty()) continue;
            t.kind = RtfToken::Text;
            t.text = run;
            return t;
        }
        t.kind = RtfToken::End;
        return t;
    }

    // Characters up to the next control word, group or the end.
    std::string TextRun() {
        std::string run;
        while (pos_ < end_) {
            char c = s_[pos_];
            if (c == '{' || c == '}') break;
            if (c == '\\') {
                if (pos_ + 1 >= end_) {
                    ++pos_;
                    break;
                }
                char d = s_[pos_ + 1];
                if (d == '\\' || d == '{' || d == '}') {
                    run += d;
                    pos_ += 2;
                    continue;
                }
                if (d == '\'') {
                    size_t p = pos_ + 2;
                    int code = 0, digits = 0;
                    while (digits < 2 && p < end_ && HexValue(s_[p]) >= 0) {
                        code = code * 16 + HexValue(s_[p++]);
                        ++digits;
                    }
                    run += AnsiChar(code);
                    pos_ = p;
                    continue;
                }
                break;
            }
            unsigned char u = static_cast<unsigned char>(c);
            if (u >= 32) run += u >= 128 ? AnsiChar(u) : std::string(1, c);
            ++pos_;
        }
        return run;
    }

    void SkipGroup() {
        int depth = 1;
        while (depth > 0) {
            RtfToken t = Next();
            if (t.kind == RtfToken::End) return;
            if (t.kind == RtfToken::Open) ++depth;
            if (t.kind == RtfToken::Close) --depth;
        }
    }

    void ReadFontTable() {
        int depth = 1, entry = 0;
        while (depth > 0) {
            RtfToken t = Next();
            if (t.kind == RtfToken::End) break;
            if (t.kind == RtfToken::Open) ++depth;
            if (t.kind == RtfToken::Close) --depth;
            if (t.kind == RtfToken::Word && t.name == "f") entry = std::max(0, t.number);
            if (t.kind == RtfToken::Text) {
                std::string name = t.text;
                if (!name.empty() && name.back() == ';') name.pop_back();
                if (name.empty()) continue;
                if (fonts_.size() <= size_t(entry)) fonts_.resize(size_t(entry) + 1);
                fonts_[entry] = name;
            }
        }
        if (fonts_.empty()) fonts_.push_back("Arial");
        cur_.fmt.Name = Font(deff_);
        // The table's group is popped by the caller: the default font
        // holds for the document.
        if (!stack_.empty()) stack_.back().fmt.Name = cur_.fmt.Name;
    }

    void ReadColorTable() {
        int depth = 1, r = 0, g = 0, b = 0;
        while (depth > 0) {
            RtfToken t = Next();
            if (t.kind == RtfToken::End) break;
            if (t.kind == RtfToken::Open) ++depth;
            if (t.kind == RtfToken::Close) --depth;
            if (t.kind == RtfToken::Word) {
                if (t.name == "red") r = t.number;
                if (t.name == "green") g = t.number;
                if (t.name == "blue") b = t.number;
            }
            if (t.kind == RtfToken::Text)
                for (char c : t.text)
                    if (c == ';') {
                        colors_.push_back(RGB(Byte(r), Byte(g), Byte(b)));
                        r = g = b = 0;
                    }
        }
    }

    std::string Font(int index) const {
        if (index >= 0 && size_t(index) < fonts_.size() && !fonts_[index].empty()) return fonts_[index];
        return fonts_.empty() ? "Arial" : fonts_[0];
    }

    void Plain(bool keepSize) {
        TFormatState d;
        TFormatState& f = cur_.fmt;
        f.Bold = d.Bold;
        f.Italic = d.Italic;
        f.Underline = d.Underline;
        f.StrikeOut = d.StrikeOut;
        f.Subscript = d.Subscript;
        f.Superscript = d.Superscript;
        f.Pitch = d.Pitch;
        f.Color = d.Color;
        if (!keepSize) f.Size = 12;
        f.Name = Font(0);
    }

    void Control(const RtfToken& t) {
        TFormatState& f = cur_.fmt;
        const std::string& w = t.name;
        bool on = t.param != "0";
        if (w == "b") f.Bold = on;
        else if (w == "i") f.Italic = on;
        else if (w == "strike") f.StrikeOut = on;
        else if (w == "ul") f.Underline = on;
        else if (w == "ulnone") f.Underline = false;
        else if (w == "sub") f.Subscript = true;
        else if (w == "super") f.Superscript = true;
        else if (w == "nosupersub") f.Subscript = f.Superscript = false;
        else if (w == "plain") Plain(false);
        else if (w == "pntext") Plain(true);
        else if (w == "f") f.Name = Font(t.number);
        else if (w == "fs") f.Size = t.number / 2.0;
        else if (w == "cf") f.Color = t.number >= 0 && size_t(t.number) < colors_.size() ? colors_[t.number] : 0;
        else if (w == "deff") deff_ = t.number;
        else if (w == "v") cur_.hidden = t.param != "0";
        else if (w == "ql") f.Justify = pjLeft;
        else if (w == "qc") f.Justify = pjCenter;
        else if (w == "qr") f.Justify = pjRight;
        else if (w == "qj") f.Justify = pjBlock;
        else if (w == "pard") {
            TFormatState d;
            f.Justify = d.Justify;
            f.FirstIndent = d.FirstIndent;
            f.LeftIndent = d.LeftIndent;
            f.RightIndent = d.RightIndent;
        } else if (w == "fi") f.FirstIndent = t.number / 1440.0;
        else if (w == "li") f.LeftIndent = t.number / 1440.0;
        else if (w == "ri") f.RightIndent = t.number / 1440.0;
        else if (w == "par") Emit("\r\n");
        else if (w == "tab") Emit("\t");
        else if (w == "bullet") Emit(AnsiChar(149));
        else if (w == "endash") Emit(AnsiChar(150));
        else if (w == "emdash") Emit(AnsiChar(151));
        else if (w == "lquote") Emit(AnsiChar(145));
        else if (w == "rquote") Emit(AnsiChar(146));
        else if (w == "ldblquote") Emit(AnsiChar(147));
        else if (w == "rdblquote") Emit(AnsiChar(148));
    }

    void Emit(const std::string& text) {
        if (cur_.hidden) return;
        std::string a;
        AppendFormatCode(a, "R");
        FormatStateDifference(a, TFormatState(), cur_.fmt);
        std::string block;
        if (first_) {
            block = a;
        } else {
            std::string b;
            FormatStateDifference(b, written_, cur_.fmt);
            if (!b.empty()) block = a.size() < b.size() ? a : b;
        }
        if (!block.empty()) out_ += block + FormatBlockEnd;
        out_ += text;
        written_ = cur_.fmt;
        first_ = false;
    }

    const std::string& s_;
    size_t pos_ = 0, end_ = 0;
    State cur_;
    std::vector<State> stack_;
    std::vector<std::string> fonts_;
    std::vector<TColor> colors_;
    int deff_ = 0;
    TFormatState written_;
    bool first_ = true;
    std::string out_;
};

}  // namespace

std::string ReadRTF(const std::string& rtf) { return RtfReader(rtf).Run(); }
