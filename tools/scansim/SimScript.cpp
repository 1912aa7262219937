#include "tools/scansim/SimScript.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace {
std::string Unescape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 >= s.size()) {
            out += s[i];
            continue;
        }
        char c = s[++i];
        switch (c) {
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 's': out += ' '; break;
        case 'x':
            if (i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
                std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
                out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                out += "\\x";
            }
            break;
        default: out += c; break;
        }
    }
    return out;
}

bool ToInt(const std::string& s, int& v) {
    try {
        std::size_t used = 0;
        v = std::stoi(s, &used);
        return used == s.size();
    } catch (...) {
        return false;
    }
}

char MarkCode(const TSimScript& script, char answer, int question) {
    if (answer == '-') return 'B';
    if (answer == '?') return 'X';
    if (answer >= '1' && answer <= '6') return answer;
    const std::string& labels = question % 2 == 1 ? script.OddLabels : script.EvenLabels;
    std::size_t at = labels.find(answer);
    if (at != std::string::npos && at < 6) return static_cast<char>('1' + at);
    return answer;
}

// A raw mark byte: bit 0x40 keeps the byte printable; one bit per bubble.
char RawByte(char code) {
    if (code >= '1' && code <= '6') return static_cast<char>(0x40 | (0x20 >> (code - '1')));
    if (code == 'B') return 0x40;
    if (code == 'X') return 0x70;
    return code;
}
}  // namespace

std::vector<std::string> SimCalibrationLetters(int sheets) {
    if (sheets == 4) return {"A", "B", "C", "D", "E"};
    return {"a", "b", "c", "d", "e", "B", "C", "D", "E"};
}

std::string SimSheetMarks(const TSimScript& script, const TSimSheet& sheet) {
    int q = script.Questions > 0 ? script.Questions : static_cast<int>(sheet.Answers.size());
    std::string marks;
    for (int i = 1; i <= q; ++i) {
        char a = i <= static_cast<int>(sheet.Answers.size()) ? sheet.Answers[i - 1] : '-';
        marks += MarkCode(script, a, i);
    }
    return marks;
}

std::string EncodeSimFrame(const TSimScript& script, const TSimSheet& sheet, bool rawMarkBytes) {
    std::string marks = SimSheetMarks(script, sheet);
    std::string answers(marks.rbegin(), marks.rend());

    std::string id = sheet.Id;
    if (script.IdDigits >= 0) id.resize(static_cast<std::size_t>(script.IdDigits), ' ');
    std::string pairs;  // first digit first, each as (x, y)
    for (char d : id) {
        if (d >= '0' && d <= '4') pairs += {static_cast<char>(d + 2), 'B'};
        else if (d >= '5' && d <= '9') pairs += {'B', static_cast<char>(d - 3)};
        else if (d == '?') pairs += "XB";
        else if (d == '!') pairs += "34";
        else pairs += "BB";
    }
    std::string idPart(pairs.rbegin(), pairs.rend());

    if (rawMarkBytes) {
        for (char& c : answers) c = RawByte(c);
        for (char& c : idPart) c = RawByte(c);
    }
    return (script.LeadingS ? "S" : "") + answers + idPart + "E" + script.Trailer;
}

bool ParseSimScript(const std::string& text, TSimScript& script, std::string& error) {
    script = TSimScript{};
    std::istringstream in(text);
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& what) {
        error = "line " + std::to_string(number) + ": " + what;
        return false;
    };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        std::istringstream words(line.substr(start));
        std::string key;
        words >> key;
        std::string rest;
        std::getline(words, rest);
        std::size_t r = rest.find_first_not_of(" \t");
        rest = r == std::string::npos ? "" : rest.substr(r);
        std::istringstream args(rest);
        int n = 0;
        if (key == "version") {
            script.Version = Unescape(rest);
        } else if (key == "questions" || key == "id-digits" || key == "split-pause") {
            if (!ToInt(rest, n) || n < 0) return fail("a number is expected");
            (key == "questions" ? script.Questions : key == "id-digits" ? script.IdDigits : script.SplitPauseMs) = n;
        } else if (key == "labels") {
            if (!(args >> script.OddLabels >> script.EvenLabels)) return fail("two label sets are expected");
        } else if (key == "calibration") {
            std::string sheets, ending;
            args >> sheets >> ending;
            if (sheets != "4" && sheets != "8") return fail("4 or 8 calibration sheets");
            script.CalibrationSheets = sheets == "4" ? 4 : 8;
            if (ending == "stored" || ending.empty()) script.CalibrationEnding = ceStored;
            else if (ending == "failed") script.CalibrationEnding = ceFailed;
            else if (ending == "timeout") script.CalibrationEnding = ceTimeout;
            else return fail("stored, failed or timeout");
        } else if (key == "lead") {
            if (rest != "S" && rest != "none") return fail("S or none");
            script.LeadingS = rest == "S";
        } else if (key == "trailer") {
            script.Trailer = Unescape(rest);
        } else if (key == "feed") {
            if (rest == "manual") script.FeedMs = -1;
            else if (ToInt(rest, n) && n >= 0) script.FeedMs = n;
            else return fail("manual or a number of milliseconds");
        } else if (key == "silent") {
            script.Silent = true;
        } else if (key == "sheet") {
            TSimSheet sheet;
            if (!(args >> sheet.Id >> sheet.Answers)) return fail("an ID and the answers are expected");
            if (sheet.Id == "-") sheet.Id.clear();
            sheet.Id = Unescape(sheet.Id);
            std::string option;
            while (args >> option) {
                if (option.rfind("split=", 0) == 0) {
                    if (!ToInt(option.substr(6), sheet.Split) || sheet.Split < 0) return fail("split=<bytes>");
                } else if (option.rfind("noise=", 0) == 0) {
                    sheet.Noise = Unescape(option.substr(6));
                } else if (option == "unplug") {
                    sheet.Unplug = true;
                } else {
                    return fail("unknown sheet option " + option);
                }
            }
            script.Sheets.push_back(sheet);
        } else {
            return fail("unknown keyword " + key);
        }
    }
    return true;
}

bool LoadSimScript(const std::string& path, TSimScript& script, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::stringstream all;
    all << in.rdbuf();
    return ParseSimScript(all.str(), script, error);
}
