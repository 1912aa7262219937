#pragma once
// The scanner simulator's script: what the simulated scanner answers and
// which sheets it sends, with answers and IDs given plainly. The simulator
// encodes them as the scanner does (mark codes, or raw mark bytes after "m").
//
// Script lines (blank lines and lines starting with "#" are skipped; texts
// may use \r, \n, \t, \\ and \xHH):
//   version <text>               the reply to "v" (default "Version 3.2 (C) ...\r\n")
//   questions <n>                question positions per sheet (default: the sheet's answers)
//   id-digits <n>                ID digits per sheet (default: the sheet's ID)
//   labels <odd> <even>          answer label sets (default ABCDEF ABCDEF)
//   calibration <4|8> <stored|failed|timeout>
//   lead <S|none>                the character that starts every frame (default S)
//   trailer <text>               bytes sent after each frame's "E" (default none)
//   feed <manual|ms>             sheets and calibration prompts come when fed,
//                                or by themselves every ms milliseconds
//   split-pause <ms>             pause after noise and between the parts of a
//                                split frame (default 50)
//   silent                       answer nothing
//   sheet <id|-> <answers> [split=<n>] [noise=<text>] [unplug]
// In answers a label character is its bubble, "-" a blank, "?" several
// marks and "1" to "6" a bubble by number. In IDs a digit is marked as such,
// a blank leaves the column empty, "?" makes it ambiguous and "!" marks two
// bubbles. "unplug" sends the first half of the frame (or its split part)
// and then unplugs the simulator.

#include <string>
#include <vector>

enum TSimCalibrationEnding { ceStored, ceFailed, ceTimeout };

struct TSimSheet {
    std::string Id;
    std::string Answers;
    int Split = 0;       // bytes in the first write; 0 sends the frame at once
    std::string Noise;   // sent in a write of its own before the frame
    bool Unplug = false;
};

struct TSimScript {
    std::string Version = "Version 3.2 (C) Scanner simulator.\r\n";
    int Questions = 0;
    int IdDigits = -1;
    std::string OddLabels = "ABCDEF";
    std::string EvenLabels = "ABCDEF";
    int CalibrationSheets = 8;
    TSimCalibrationEnding CalibrationEnding = ceStored;
    bool LeadingS = true;
    std::string Trailer;
    int FeedMs = -1;  // -1: fed by hand
    int SplitPauseMs = 50;
    bool Silent = false;
    std::vector<TSimSheet> Sheets;
};

// Parses a script; false with a message naming the line on an error.
bool ParseSimScript(const std::string& text, TSimScript& script, std::string& error);
bool LoadSimScript(const std::string& path, TSimScript& script, std::string& error);

// The mark codes of a sheet in question order (first question first).
std::string SimSheetMarks(const TSimScript& script, const TSimSheet& sheet);
// The bytes of a sheet's frame, up to and including "E" and the trailer.
std::string EncodeSimFrame(const TSimScript& script, const TSimSheet& sheet, bool rawMarkBytes);
// The calibration prompts for 4 or 8 sheets, then "E".
std::vector<std::string> SimCalibrationLetters(int sheets);
