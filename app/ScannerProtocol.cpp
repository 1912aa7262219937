#include "app/ScannerProtocol.h"

#include <charconv>

const char* const kScanCmdAttention = "@";
const char* const kScanCmdVersion = "v";
const char* const kScanCmdCalibrate = "c";
const char* const kScanCmdStore = "s";
const char* const kScanCmdScan = "g";
const char* const kScanCmdScanRaw = "m";

std::string ScanStartCommand(bool rawMarkBytes) { return rawMarkBytes ? kScanCmdScanRaw : kScanCmdScan; }

namespace {
bool StartsWith(const std::string& s, char c) { return !s.empty() && s[0] == c; }
bool Holds(const std::string& s, const char* text) { return s.find(text) != std::string::npos; }
}  // namespace

TSetupReply TScannerSetupReceiver::Classify(std::string* reply) {
    TSetupReply kind = srWaiting;
    if (StartsWith(buffer_, 'K') || Holds(buffer_, "{\r\n")) kind = srReady;
    else if (Holds(buffer_, ".\r\n")) kind = srVersion;
    else if (StartsWith(buffer_, 'T') || StartsWith(buffer_, '@') || StartsWith(buffer_, 'Y')) kind = srDiscarded;
    if (kind != srWaiting) {
        if (reply) *reply = buffer_;
        buffer_.clear();
    }
    return kind;
}

double ParseScannerVersion(const std::string& reply) {
    std::string text = reply;
    std::size_t at = text.find("Version");
    if (at != std::string::npos) text = text.substr(std::min(text.size(), at + 8));
    std::size_t c = text.find("(C)");
    if (c == std::string::npos) return 0;
    text = text.substr(0, c);
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return 0;
    std::size_t last = text.find_last_not_of(" \t");
    text = text.substr(first, last - first + 1);
    double value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    auto result = std::from_chars(begin, end, value, std::chars_format::fixed);
    if (result.ec != std::errc() || result.ptr != end) return 0;
    return value;
}

bool UsesFourSheetCalibration(double version) {
    return version > 0 && static_cast<long double>(version) < 3.1L;
}

TCalibrationReply ClassifyCalibrationReply(const std::string& reply) {
    if (StartsWith(reply, 'K') || StartsWith(reply, 'S')) return crReady;
    if (reply == "A" || reply == "a") return crSheetA;
    if (reply == "b") return crSheet_b;
    if (reply == "c") return crSheet_c;
    if (reply == "d") return crSheet_d;
    if (reply == "e") return crSheet_e;
    if (reply == "B") return crSheetB;
    if (reply == "C") return crSheetC;
    if (reply == "D") return crSheetD;
    if (reply == "E") return crComplete;
    if (StartsWith(reply, 'G') || StartsWith(reply, 'g')) return crStored;
    if (StartsWith(reply, 'F') || StartsWith(reply, 'f')) return crStoreFailed;
    if (StartsWith(reply, 'T') || StartsWith(reply, 't')) return crTimedOut;
    return crIgnored;
}

int CalibrationSheetNumber(TCalibrationReply reply, bool fourSheets) {
    switch (reply) {
    case crSheetA: return 1;
    case crSheet_b: return 2;
    case crSheet_c: return 3;
    case crSheet_d: return 4;
    case crSheet_e: return 5;
    case crSheetB: return fourSheets ? 2 : 6;
    case crSheetC: return fourSheets ? 3 : 7;
    case crSheetD: return fourSheets ? 4 : 8;
    default: return 0;
    }
}

std::string ScannerFramePayload(const std::string& frame) { return frame.substr(0, frame.find('E')); }

TScannerFrameParts SplitScannerFrame(const std::string& frame, int idDigits, bool rawMarkBytes) {
    std::string payload = ScannerFramePayload(frame);
    std::size_t idLength = idDigits > 0 ? static_cast<std::size_t>(idDigits) * 2 : 0;
    if (idLength > payload.size()) idLength = payload.size();
    TScannerFrameParts parts;
    parts.Id = payload.substr(payload.size() - idLength);
    parts.Answers = payload.substr(0, payload.size() - idLength);
    if (rawMarkBytes) {
        parts.Id = DecodeMarkBytes(parts.Id, true);
        parts.Answers = DecodeMarkBytes(parts.Answers, false);
    }
    if (StartsWith(parts.Answers, '~')) parts.Answers.erase(0, 1);
    return parts;
}

std::string MarkBitsToDigits(unsigned char markByte, bool allowSix) {
    static const unsigned char kBits[] = {0x20, 0x10, 0x08, 0x04, 0x02, 0x01};
    std::string digits;
    for (int i = 0; i < (allowSix ? 6 : 5); ++i)
        if (markByte & kBits[i]) digits += static_cast<char>('1' + i);
    return digits;
}

char MarkByteToCode(unsigned char markByte, bool allowSix) {
    if (markByte == 'S' || markByte == '~') return static_cast<char>(markByte);
    std::string digits = MarkBitsToDigits(markByte, allowSix);
    if (digits.empty()) return 'B';
    if (digits.size() > 1) return 'X';
    return digits[0];
}

std::string DecodeMarkBytes(const std::string& part, bool allowSix) {
    std::string codes;
    codes.reserve(part.size());
    for (char c : part) codes += MarkByteToCode(static_cast<unsigned char>(c), allowSix);
    return codes;
}

std::string ScannerSheetMarks(const std::string& answers, int questionsPerSheet) {
    std::string marks;
    for (int q = 0; q < questionsPerSheet && static_cast<std::size_t>(q) < answers.size(); ++q)
        marks += answers[answers.size() - 1 - static_cast<std::size_t>(q)];
    return marks;
}

bool IsValidIdPair(const std::string& pair) {
    return pair.size() == 2 && pair[0] != 'X' && pair[1] != 'X' && (pair[0] == 'B' || pair[1] == 'B');
}

std::string DecodeScannerId(const std::string& idPart) {
    std::string reversed(idPart.rbegin(), idPart.rend());
    auto value = [](char c) { return c >= '0' && c <= '9' ? c - '0' : 0; };
    std::string id;
    for (std::size_t i = 0; i < reversed.size(); i += 2) {
        std::string pair = reversed.substr(i, 2);
        if (!IsValidIdPair(pair)) {
            char x = pair[0];
            char y = pair.size() > 1 ? pair[1] : '\0';
            if (x == 'X' || y == 'X') id = "BAD Ambiguous Number";
            if (x != 'B' && y != 'B') id = "BAD Two Bubble Number";
            return id;
        }
        int a = value(pair[0]);
        int b = value(pair[1]);
        if (a != 0) id += std::to_string(a - 2);
        else if (b != 0) id += std::to_string(b + 3);
    }
    return id;
}
