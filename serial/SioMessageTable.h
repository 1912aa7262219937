#pragma once
// The serial message table: the library's codes with their texts, sorted by
// the magnitude of the code. It supplies the messages of the serial
// exceptions and the column texts of the dispatch log.

#include <string>

#include "platform/core/Types.h"

struct SioMessageNumberLookupRecord {
    Integer Code;
    const char* Text;
};

constexpr int kSerialMessageCount = 892;
extern const SioMessageNumberLookupRecord SerialMessageTable[kSerialMessageCount];

// The table's text for a code (looked up by the magnitude of its low 16
// bits), cut to 255 characters; empty when the table has no row for it.
std::string FindSerialMessage(Integer code);
// The table's text, or else the operating system's text for the number
// (cleaned); empty when neither has one.
std::string SerialMessageText(Integer code);
// Control characters become blanks and runs of blanks shrink to one.
std::string CleanMessageText(const std::string& text);
