#include <gtest/gtest.h>

#include <vector>

#include "app/ScannerProtocol.h"

TEST(ScannerProtocol, Commands) {
    EXPECT_STREQ("@", kScanCmdAttention);
    EXPECT_STREQ("v", kScanCmdVersion);
    EXPECT_STREQ("c", kScanCmdCalibrate);
    EXPECT_STREQ("s", kScanCmdStore);
    EXPECT_EQ("g", ScanStartCommand(false));
    EXPECT_EQ("m", ScanStartCommand(true));
}

TEST(ScannerProtocol, SetupReplies) {
    struct Case {
        std::vector<std::string> events;  // bytes of successive data-available events
        TSetupReply last;
        std::string reply;                // the recognised reply (whole buffer)
        std::string left;                 // buffer afterwards
    } cases[] = {
        {{"K"}, srReady, "K", ""},
        {{"K\r\n"}, srReady, "K\r\n", ""},
        {{"xx{\r\nyy"}, srReady, "xx{\r\nyy", ""},
        {{"Version 3.0 (C) Maker Inc.\r\n"}, srVersion, "Version 3.0 (C) Maker Inc.\r\n", ""},
        {{"Version 3.0 (C) Mak", "er Inc.", "\r\n"}, srVersion, "Version 3.0 (C) Maker Inc.\r\n", ""},
        {{"T"}, srDiscarded, "T", ""},
        {{"@"}, srDiscarded, "@", ""},
        {{"Yes"}, srDiscarded, "Yes", ""},
        {{"Vers"}, srWaiting, "", "Vers"},
        {{"\r\n"}, srWaiting, "", "\r\n"},
        {{"{\r"}, srWaiting, "", "{\r"},
    };
    for (const Case& c : cases) {
        TScannerSetupReceiver r;
        TSetupReply kind = srWaiting;
        std::string reply;
        for (const auto& e : c.events) {
            r.Append(e);
            kind = r.Classify(&reply);
        }
        EXPECT_EQ(c.last, kind) << c.events[0];
        EXPECT_EQ(c.reply, reply) << c.events[0];
        EXPECT_EQ(c.left, r.Buffer()) << c.events[0];
    }
}

TEST(ScannerProtocol, VersionRule) {
    struct Case {
        const char* reply;
        double version;
        bool fourSheets;
    } cases[] = {
        {"Version 3.0 (C) Maker Inc.\r\n", 3.0, true},
        {"Version 2.95(C)", 2.95, true},
        {"Version 3.1 (C) Maker Inc.\r\n", 3.1, false},
        {"Version 3.2 (C) Maker Inc.\r\n", 3.2, false},
        {"Version 3.0 Maker Inc.\r\n", 0, false},  // no "(C)"
        {"Version x.y (C)\r\n", 0, false},
        {"Version  (C)\r\n", 0, false},
        {"2.5 (C)", 2.5, true},                   // no "Version": the whole reply
        {"Version 0 (C)", 0, false},
        {"Version -1 (C)", -1, false},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(c.version, ParseScannerVersion(c.reply)) << c.reply;
        EXPECT_EQ(c.fourSheets, UsesFourSheetCalibration(ParseScannerVersion(c.reply))) << c.reply;
    }
    EXPECT_TRUE(UsesFourSheetCalibration(3.0999));
    EXPECT_FALSE(UsesFourSheetCalibration(3.1)) << "3.1 as a double lies above 3.1 in extended precision";
}

TEST(ScannerProtocol, CalibrationReplies) {
    struct Case {
        const char* reply;
        TCalibrationReply kind;
        int sheetOf4;
        int sheetOf8;
    } cases[] = {
        {"K", crReady, 0, 0},        {"S", crReady, 0, 0},         {"KE", crReady, 0, 0},
        {"A", crSheetA, 1, 1},       {"a", crSheetA, 1, 1},        {"b", crSheet_b, 0, 2},
        {"c", crSheet_c, 0, 3},      {"d", crSheet_d, 0, 4},       {"e", crSheet_e, 0, 5},
        {"B", crSheetB, 2, 6},       {"C", crSheetC, 3, 7},        {"D", crSheetD, 4, 8},
        {"E", crComplete, 0, 0},     {"G", crStored, 0, 0},        {"good", crStored, 0, 0},
        {"F", crStoreFailed, 0, 0},  {"fail", crStoreFailed, 0, 0}, {"T", crTimedOut, 0, 0},
        {"t", crTimedOut, 0, 0},     {"Ab", crIgnored, 0, 0},      {"EE", crIgnored, 0, 0},
        {"", crIgnored, 0, 0},       {"\r\n", crIgnored, 0, 0},    {"x", crIgnored, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.kind, ClassifyCalibrationReply(c.reply)) << c.reply;
        if (c.sheetOf4) {
            EXPECT_EQ(c.sheetOf4, CalibrationSheetNumber(c.kind, true)) << c.reply;
        }
        EXPECT_EQ(c.sheetOf8, CalibrationSheetNumber(c.kind, false)) << c.reply;
    }
}

TEST(ScannerProtocol, FrameLayout) {
    // Five questions answered 1, 2, 3, X, B (frame order is reversed), ID 35.
    TScannerFrameParts p = SplitScannerFrame("BX321" "2BB5" "E\r\nK", 2, false);
    EXPECT_EQ("BX321", p.Answers);
    EXPECT_EQ("2BB5", p.Id);
    EXPECT_EQ("123XB", ScannerSheetMarks(p.Answers, 5));
    EXPECT_EQ("35", DecodeScannerId(p.Id));

    p = SplitScannerFrame("~B1" "B5E", 1, false);
    EXPECT_EQ("B1", p.Answers) << "a leading ~ is dropped";
    p = SplitScannerFrame("S~B1" "B5E", 1, false);
    EXPECT_EQ("S~B1", p.Answers) << "only a leading ~";
    EXPECT_EQ("1B~", ScannerSheetMarks(p.Answers, 3)) << "only the last Q characters";
    EXPECT_EQ("1B~S", ScannerSheetMarks(p.Answers, 9)) << "fewer when the part is shorter";

    p = SplitScannerFrame("123E", 0, false);
    EXPECT_EQ("123", p.Answers);
    EXPECT_EQ("", p.Id);
    p = SplitScannerFrame("1E", 4, false);
    EXPECT_EQ("", p.Answers);
    EXPECT_EQ("1", p.Id);
    EXPECT_EQ("", ScannerFramePayload("E123"));
    EXPECT_EQ("S12", ScannerFramePayload("S12"));
}

TEST(ScannerProtocol, RawMarkBytes) {
    struct Case {
        unsigned char byte;
        char answer;  // in the answer part (no bubble 6)
        char id;      // in the ID part
    } cases[] = {
        {0x20, '1', '1'}, {0x10, '2', '2'}, {0x08, '3', '3'}, {0x04, '4', '4'}, {0x02, '5', '5'},
        {0x01, 'B', '6'}, {0x30, 'X', 'X'}, {0x00, 'B', 'B'}, {0x40, 'B', 'B'}, {0x80, 'B', 'B'},
        {0xC4, '4', '4'}, {0x21, '1', 'X'}, {'S', 'S', 'S'}, {'~', '~', '~'},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.answer, MarkByteToCode(c.byte, false)) << int(c.byte);
        EXPECT_EQ(c.id, MarkByteToCode(c.byte, true)) << int(c.byte);
    }
    EXPECT_EQ("13", MarkBitsToDigits(0x28, false));
    EXPECT_EQ("16", MarkBitsToDigits(0x21, true));

    // Raw frame: "S", answer marks 1 and X in frame order, ID digit 3 (pair B5 in frame order),
    // then "E" (0x45) ends the frame.
    std::string frame = {'S', 0x60, 0x70, 0x40, 0x42, 0x45, 0x10};
    TScannerFrameParts p = SplitScannerFrame(frame, 1, true);
    EXPECT_EQ("S1X", p.Answers);
    EXPECT_EQ("B5", p.Id);
    EXPECT_EQ("3", DecodeScannerId(p.Id));
    EXPECT_EQ("X1", ScannerSheetMarks(p.Answers, 2));
}

TEST(ScannerProtocol, IdDecoding) {
    struct Case {
        const char* idPart;  // frame order
        const char* id;
    } cases[] = {
        {"2BB5", "35"},
        {"B2B6B5B4B3", "12340"},
        {"6BB6", "49"},       // reversed 6BB6: pair 6B -> 4, pair B6 -> 9
        {"B2BBB5", "30"},     // a blank column adds no digit
        {"", ""},
        {"31", "BAD Two Bubble Number"},
        {"BX", "BAD Ambiguous Number"},
        {"1X", "BAD Two Bubble Number"},
        {"XX", "BAD Two Bubble Number"},
        {"2B" "31", "BAD Two Bubble Number"},  // stops at the first bad pair (the first digit)
        {"B1", "-1"},                          // a digit below 0 keeps its sign
    };
    for (const Case& c : cases) EXPECT_EQ(c.id, DecodeScannerId(c.idPart)) << c.idPart;

    EXPECT_TRUE(IsValidIdPair("B3"));
    EXPECT_TRUE(IsValidIdPair("BB"));
    EXPECT_FALSE(IsValidIdPair("XB"));
    EXPECT_FALSE(IsValidIdPair("13"));
    EXPECT_FALSE(IsValidIdPair("B"));
}
