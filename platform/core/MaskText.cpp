#include "platform/core/MaskText.h"

#include <vector>

#include "platform/core/FormatSettings.h"
#include "platform/core/Strings.h"

namespace {

// The mask's fields: an unescaped ";" separates them.
std::vector<std::string> MaskFields(const std::string& mask) {
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < mask.size(); ++i) {
        if (mask[i] == '\\' && i + 1 < mask.size()) {
            fields.back() += mask.substr(i, 2);
            ++i;
        } else if (mask[i] == ';') {
            fields.emplace_back();
        } else {
            fields.back() += mask[i];
        }
    }
    return fields;
}

bool IsPlaceholder(char c) { return std::string_view("LlAaCc09#").find(c) != std::string_view::npos; }

}  // namespace

std::string FormatMaskText(const std::string& editMask, const std::string& value) {
    std::vector<std::string> fields = MaskFields(editMask);
    const std::string& mask = fields[0];
    bool literalsKept = fields.size() < 2 || fields[1] != "0";
    std::string blank = fields.size() >= 3 && !fields[2].empty() ? Utf8Copy(fields[2], 1, 1) : std::string("_");
    const TFormatSettings& fs = DefaultFormatSettings();
    Integer count = Utf8Length(value), next = 1;
    int caseMode = 0;  // 1 upper, -1 lower
    std::string out;
    auto takeValue = [&]() {
        if (next > count) return blank;
        std::string c = Utf8Copy(value, next++, 1);
        return caseMode > 0 ? AnsiUpperCase(c) : caseMode < 0 ? AnsiLowerCase(c) : c;
    };
    auto literal = [&](const std::string& c) {
        out += c;
        // A value that keeps its literals holds this one too.
        if (literalsKept && next <= count) ++next;
    };
    for (std::size_t i = 0; i < mask.size(); ++i) {
        char c = mask[i];
        if (c == '\\' && i + 1 < mask.size()) {
            literal(mask.substr(++i, 1));
        } else if (c == '>') {
            caseMode = 1;
            if (i + 1 < mask.size() && mask[i + 1] == '<') {
                caseMode = 0;
                ++i;
            }
        } else if (c == '<') {
            caseMode = -1;
        } else if (c == '!') {
        } else if (c == '/') {
            literal(std::string(1, fs.DateSeparator));
        } else if (c == ':') {
            literal(std::string(1, fs.TimeSeparator));
        } else if (IsPlaceholder(c)) {
            out += takeValue();
        } else {
            // A multi-byte literal is copied whole.
            std::size_t len = 1;
            while (i + len < mask.size() && (static_cast<unsigned char>(mask[i + len]) & 0xC0) == 0x80) ++len;
            literal(mask.substr(i, len));
            i += len - 1;
        }
    }
    return out;
}
