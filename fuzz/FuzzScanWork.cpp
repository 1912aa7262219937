// Bytes from the scanner through the wizard's receive handler: replies and
// sheet frames cut from the stream, each sheet turned into the answer key
// or a student. After every data-available event what is kept back is a
// sheet still arriving, no table is left half edited, and no more sheets
// were taken than frames ended.
#include "fuzz/FuzzTargets.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "app/TestWorkData.h"
#include "platform/core/Exception.h"

namespace {
constexpr const char* kTarget = "scanwork";

// Four set-up bytes (questions, questions per sheet, ID digits, flags:
// key page, raw mark bytes, answer yes, start pending, key typed in),
// then events each led by a length byte.
constexpr std::size_t kSetupBytes = 4;

void AddGroups(TTestWorkData& work) {
    work.qmtGroups->Open();
    work.qmtGroups->Append();
    work.qmtGroupsGGroupNo->SetAsInteger(1);
    work.qmtGroupsGGroupDesc->SetAsString("Overall Group");
    work.qmtGroups->Post();
    work.qmtQGroups->Open();
    for (int i = 1; i <= work.N; ++i) {
        work.qmtQGroups->Append();
        work.qmtQGroupsQQuestionNo->SetAsInteger(i);
        work.qmtQGroupsQGroups->SetAsString("(1)");
        work.qmtQGroups->Post();
    }
}
}  // namespace

void FuzzScanWork(const std::string& input) {
    if (input.size() < kSetupBytes) return;
    setenv("OMR_HOME", FuzzScratchDir().c_str(), 1);
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(input[i]); };
    const unsigned flags = byte(3);
    TFuzzPrompts prompts((flags & 4) != 0);
    auto work = std::make_unique<TTestWorkData>(nullptr);
    work->N = 1 + byte(0) % 40;
    work->Q = 1 + byte(1) % 60;
    work->D = byte(2) % 12;
    work->RebuildTables();
    AddGroups(*work);
    if (flags & 16) {  // a key typed in before the students are scanned
        TqmtMemTable* key = work->qmtMaster;
        key->Append();
        key->FieldByName("RecNo")->SetAsInteger(1);
        for (int q = 1; q <= work->N; ++q) {
            key->FieldByName("Q" + std::to_string(q))->SetAsString(std::string(1, char('A' + q % 5)));
            key->FieldByName("P" + std::to_string(q))->SetAsString("1");
        }
        key->Post();
    }
    if (flags & 1) {
        work->ActivePage = wpScanMaster;
        work->PrepareScanMaster();
    } else {
        work->ScanTestsShow();
    }
    work->RawMarkBytes = (flags & 2) != 0;
    work->StartPending = (flags & 8) != 0;
    work->OnSendCommand = [](const std::string&) {};
    work->OnDropSound = [](TObject*, bool) {};

    std::size_t framesEnded = 0;
    std::size_t i = kSetupBytes;
    while (i < input.size()) {
        std::size_t n = byte(i++) % 64;
        n = std::min(n, input.size() - i);
        const std::string event = input.substr(i, n);
        i += n;
        framesEnded += static_cast<std::size_t>(std::count(event.begin(), event.end(), 'E'));
        try {
            work->ReceiveBytes(event);
        } catch (const Exception&) {
        }
        const std::string& kept = work->ReceiveBuffer;
        FUZZ_CHECK(kTarget, kept.empty() || (kept[0] == 'S' && kept.find('E') == std::string::npos));
        FUZZ_CHECK(kTarget, work->qmtData->State() == dsBrowse && work->qmtMaster->State() == dsBrowse);
        FUZZ_CHECK(kTarget, static_cast<std::size_t>(work->qmtData->RecordCount()) <= framesEnded);
        FUZZ_CHECK(kTarget, work->qmtMaster->RecordCount() <= 1);
    }
}
