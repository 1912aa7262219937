#pragma once
// The optical mark scanner's wire protocol as the program speaks it: the
// one-character commands, the classification of replies by the three users
// of the port (the port set-up dialog, the calibration dialog and the
// scoring wizard), the version rule that picks the calibration length, and
// the layout of the frame the scanner sends for each answer sheet.
//
// Line settings of the scanner's port: 19200 baud, 8 data bits, no parity,
// 1 stop bit, DTR and RTS raised, no flow control.

#include <string>

// Commands: one character each, sent without terminator.
extern const char* const kScanCmdAttention;  // "@" are you there
extern const char* const kScanCmdVersion;    // "v" report version
extern const char* const kScanCmdCalibrate;  // "c" start calibration
extern const char* const kScanCmdStore;      // "s" store calibration data
extern const char* const kScanCmdScan;       // "g" scan sheets, mark-code frames
extern const char* const kScanCmdScanRaw;    // "m" scan sheets, raw mark bytes

// "m" in raw mark-byte mode, "g" otherwise.
std::string ScanStartCommand(bool rawMarkBytes);

// ---- Port set-up dialog -------------------------------------------------

enum TSetupReply {
    srWaiting,    // nothing recognised yet: the buffer stays
    srReady,      // starts with "K" or holds "{" CR LF
    srVersion,    // holds "." CR LF: a version report
    srDiscarded,  // starts with "T", "@" or "Y": echo or status of no interest
};

// The set-up dialog's receive buffer, kept across data-available events.
class TScannerSetupReceiver {
public:
    void Append(const std::string& bytes) { buffer_ += bytes; }
    const std::string& Buffer() const { return buffer_; }
    // Classifies the buffer. A recognised reply is returned in `reply` and
    // the buffer is cleared; srWaiting leaves it unchanged.
    TSetupReply Classify(std::string* reply = nullptr);
    void Clear() { buffer_.clear(); }

private:
    std::string buffer_;
};

// The version number of a version report ("Version " + number + ... "(C)"
// ...): 0 when the text is not a number or "(C)" is missing.
double ParseScannerVersion(const std::string& reply);
// Scanners above 0 and below 3.1 calibrate with 4 sheets, all others with 8.
// The version is compared as a double with 3.1 in extended precision, so a
// reported 3.1 counts as 8 sheets.
bool UsesFourSheetCalibration(double version);

// ---- Calibration dialog --------------------------------------------------

enum TCalibrationReply {
    crIgnored,
    crReady,          // first character "K" or "S"
    crSheetA,         // exactly "A" or "a": sheet 1
    crSheet_b,        // exactly "b": sheet 2
    crSheet_c,        // exactly "c": sheet 3
    crSheet_d,        // exactly "d": sheet 4
    crSheet_e,        // exactly "e": sheet 5
    crSheetB,         // exactly "B": sheet 2 of 4, or 6 of 8
    crSheetC,         // exactly "C": sheet 3 of 4, or 7 of 8
    crSheetD,         // exactly "D": sheet 4 of 4, or 8 of 8
    crComplete,       // exactly "E"
    crStored,         // first character "G" or "g"
    crStoreFailed,    // first character "F" or "f"
    crTimedOut,       // first character "T" or "t"
};

// The bytes of one data-available event, compared as a whole, in the
// dialog's order of tests.
TCalibrationReply ClassifyCalibrationReply(const std::string& reply);
// The sheet a prompt asks for (1 to 8), 0 for replies that are no prompt.
int CalibrationSheetNumber(TCalibrationReply reply, bool fourSheets);

// ---- Sheet frame -----------------------------------------------------------

// The frame's text before its first "E" (the "E" and what follows are
// dropped).
std::string ScannerFramePayload(const std::string& frame);

struct TScannerFrameParts {
    std::string Answers;  // one mark code per question position, last position first
    std::string Id;       // two mark codes per ID digit, the first digit last
};

// Cuts a frame into its answer and ID parts: the ID part is the last
// 2 x idDigits characters of the payload. In raw mark-byte mode both parts
// are converted from bit patterns to mark codes (bubble 6 only in the ID
// part). A leading "~" of the answer part is dropped.
TScannerFrameParts SplitScannerFrame(const std::string& frame, int idDigits, bool rawMarkBytes);

// The bubbles of a raw mark byte as digits, in the order of the bits 0x20
// (bubble 1), 0x10, 0x08, 0x04, 0x02 and, when allowSix, 0x01 (bubble 6).
std::string MarkBitsToDigits(unsigned char markByte, bool allowSix);
// One raw mark byte as a mark code: "S" and "~" stay; one bubble gives its
// digit, several "X", none "B".
char MarkByteToCode(unsigned char markByte, bool allowSix);
std::string DecodeMarkBytes(const std::string& part, bool allowSix);

// The mark codes of a sheet in question order (first question first): taken
// from the end of the answer part, at most questionsPerSheet of them (fewer
// when the answer part is shorter).
std::string ScannerSheetMarks(const std::string& answers, int questionsPerSheet);

// Whether two ID mark codes encode one digit: two characters, neither "X",
// at least one "B".
bool IsValidIdPair(const std::string& pair);
// The ID digits of an ID part (frame order), or a text starting with "BAD"
// for an ambiguous ("BAD Ambiguous Number") or doubly marked
// ("BAD Two Bubble Number") digit. A column with both positions blank adds
// no digit.
std::string DecodeScannerId(const std::string& idPart);
