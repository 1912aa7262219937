// Bytes from the scanner: cut into data-available events, through the
// set-up dialog's receive buffer, the calibration classifier and the sheet
// frame decoder.
#include "fuzz/FuzzTargets.h"

#include "app/ScannerProtocol.h"

namespace {
constexpr const char* kTarget = "scanner";

// The events of one input: each starts with a length byte.
std::vector<std::string> Events(const std::string& input) {
    std::vector<std::string> events;
    std::size_t i = 0;
    while (i < input.size()) {
        std::size_t n = static_cast<unsigned char>(input[i++]) % 64;
        n = std::min(n, input.size() - i);
        events.push_back(input.substr(i, n));
        i += n;
    }
    return events;
}
}  // namespace

void FuzzScanner(const std::string& input) {
    TScannerSetupReceiver setup;
    for (const std::string& event : Events(input)) {
        setup.Append(event);
        const std::string before = setup.Buffer();
        std::string reply;
        TSetupReply kind = setup.Classify(&reply);
        if (kind == srWaiting)
            FUZZ_CHECK(kTarget, setup.Buffer() == before);
        else
            FUZZ_CHECK(kTarget, setup.Buffer().empty());
        if (kind == srVersion) {
            double version = ParseScannerVersion(reply);
            FUZZ_CHECK(kTarget, version == version);  // never NaN
            UsesFourSheetCalibration(version);
        }

        TCalibrationReply cal = ClassifyCalibrationReply(event);
        for (bool four : {false, true}) {
            int sheet = CalibrationSheetNumber(cal, four);
            FUZZ_CHECK(kTarget, sheet >= 0 && sheet <= 8);
        }

        for (bool raw : {false, true}) {
            const int idDigits = event.empty() ? 0 : static_cast<unsigned char>(event[0]) % 12;
            TScannerFrameParts parts = SplitScannerFrame(event, idDigits, raw);
            FUZZ_CHECK(kTarget, parts.Id.size() <= std::size_t(2 * idDigits));
            FUZZ_CHECK(kTarget, parts.Answers.size() + parts.Id.size() <= ScannerFramePayload(event).size());
            for (int perSheet : {0, 1, 50, 200}) {
                std::string marks = ScannerSheetMarks(parts.Answers, perSheet);
                FUZZ_CHECK(kTarget, marks.size() <= std::size_t(perSheet));
            }
            std::string id = DecodeScannerId(parts.Id);
            // Each pair of codes adds at most one number of up to two characters.
            FUZZ_CHECK(kTarget, id.rfind("BAD", 0) == 0 || id.size() <= parts.Id.size() + 1);
        }
    }
}
