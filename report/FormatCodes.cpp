#include "report/FormatCodes.h"

#include <cstdlib>

#include "platform/core/Format.h"
#include "platform/core/Strings.h"

namespace {

std::string Number(double v) {
    TFormatSettings fs = DefaultFormatSettings();
    fs.DecimalSeparator = '.';
    return FloatToStr(v, fs);
}

double ToNumber(const std::string& s) {
    TFormatSettings fs = DefaultFormatSettings();
    fs.DecimalSeparator = '.';
    return StrToFloatDef(Trim(s), 0, fs);
}

}  // namespace

bool HasFormatCodes(const std::string& text) { return text.find(FormatBlockStart) != std::string::npos; }

void NextFormatCode(const std::string& text, int& position, char& code, std::string& parameter) {
    if (position < 1) position = 1;
    code = ' ';
    parameter.clear();
    size_t i = size_t(position - 1);
    while (i < text.size() && text[i] != FormatBlockStart && text[i] != FormatCodeSeparator) ++i;
    if (i + 1 >= text.size()) {
        position = int(text.size()) + 1;
        return;
    }
    ++i;
    code = text[i++];
    while (i < text.size() && text[i] != FormatCodeSeparator && text[i] != FormatBlockEnd) {
        if (text[i] != FormatIgnored) parameter += text[i];
        ++i;
    }
    position = int(i) + 1;
}

void SplitFormatRun(const std::string& text, int& position, std::string& codes, std::string& plain) {
    codes.clear();
    plain.clear();
    if (position < 1) position = 1;
    size_t i = size_t(position - 1);
    while (i < text.size() && text[i] == FormatBlockStart) {
        size_t end = text.find(FormatBlockEnd, i);
        if (end == std::string::npos) end = text.size() - 1;
        codes += text.substr(i, end - i + 1);
        i = end + 1;
    }
    size_t next = text.find(FormatBlockStart, i);
    if (next == std::string::npos) next = text.size();
    plain = text.substr(i, next - i);
    position = int(next) + 1;
}

int CodeFreeLength(const std::string& text) {
    int n = 0;
    bool inBlock = false;
    for (char c : text) {
        if (c == FormatBlockStart)
            inBlock = true;
        else if (c == FormatBlockEnd && inBlock)
            inBlock = false;
        else if (!inBlock)
            ++n;
    }
    return n;
}

void ApplyFormatCodes(TFormatState& state, const std::string& text) {
    int pos = 1;
    while (pos <= int(text.size())) {
        char code;
        std::string p;
        NextFormatCode(text, pos, code, p);
        bool on = p == "1";
        switch (code) {
            case 'R': state = TFormatState(); [[fallthrough]];
            case 'r':
                state.Bold = state.Italic = state.Underline = state.StrikeOut = false;
                state.Subscript = state.Superscript = false;
                state.Pitch = 0;
                state.Color = 0;
                break;
            case 'N': state.Name = p.substr(0, 40); break;
            case 'Z': state.Size = ToNumber(p); break;
            case 'B': state.Bold = on; break;
            case 'I': state.Italic = on; break;
            case 'U': state.Underline = on; break;
            case 'K': state.StrikeOut = on; break;
            case 'S': state.Subscript = on; break;
            case 'P': state.Superscript = on; break;
            case 'C': state.Color = TColor(StrToInt64Def(Trim(p), 0)); break;
            case 'H':
                state.Pitch = p.empty() ? 0 : p[0] == 'V' ? 1 : p[0] == 'F' ? 2 : 0;
                break;
            case 'J':
                if (!p.empty())
                    state.Justify = p[0] == 'C' ? pjCenter : p[0] == 'R' ? pjRight : p[0] == 'B' ? pjBlock : pjLeft;
                break;
            case 'F': state.FirstIndent = ToNumber(p); break;
            case 'L': state.LeftIndent = ToNumber(p); break;
            case 'G': state.RightIndent = ToNumber(p); break;
            default: break;
        }
    }
}

void AppendFormatCode(std::string& block, const std::string& code) {
    block += block.empty() ? FormatBlockStart : FormatCodeSeparator;
    block += code;
}

std::string FormatStateDifference(std::string& block, const TFormatState& o, const TFormatState& n) {
    auto flag = [&](char letter, bool a, bool b) {
        if (a != b) AppendFormatCode(block, std::string(1, letter) + (b ? "1" : "0"));
    };
    if (o.FirstIndent != n.FirstIndent) AppendFormatCode(block, "F" + Number(n.FirstIndent));
    if (o.LeftIndent != n.LeftIndent) AppendFormatCode(block, "L" + Number(n.LeftIndent));
    if (o.RightIndent != n.RightIndent) AppendFormatCode(block, "G" + Number(n.RightIndent));
    if (!SameText(o.Name, n.Name)) AppendFormatCode(block, "N" + n.Name);
    if (o.Size != n.Size) AppendFormatCode(block, "Z" + Number(n.Size));
    flag('B', o.Bold, n.Bold);
    flag('I', o.Italic, n.Italic);
    flag('U', o.Underline, n.Underline);
    flag('K', o.StrikeOut, n.StrikeOut);
    flag('S', o.Subscript, n.Subscript);
    flag('P', o.Superscript, n.Superscript);
    if (o.Color != n.Color) AppendFormatCode(block, "C" + IntToStr(n.Color));
    if (o.Justify != n.Justify) {
        const char* j[] = {"JC", "JL", "JR", "JB"};
        AppendFormatCode(block, j[n.Justify]);
    }
    return block;
}

std::string FormatStateCode(const TFormatState& state) {
    std::string block;
    AppendFormatCode(block, "R");
    FormatStateDifference(block, TFormatState(), state);
    return block + FormatBlockEnd;
}

TPrintJustify JustifyOfCodes(const std::string& text, TPrintJustify defaultJustify) {
    TPrintJustify answer = defaultJustify;
    int pos = 1;
    while (pos <= int(text.size())) {
        char code;
        std::string p;
        NextFormatCode(text, pos, code, p);
        if (code == 'R') answer = pjLeft;
        if (code == 'J' && !p.empty())
            return p[0] == 'C' ? pjCenter : p[0] == 'R' ? pjRight : p[0] == 'B' ? pjBlock : pjLeft;
    }
    return answer;
}
