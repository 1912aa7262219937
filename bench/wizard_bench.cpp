// The wizard's cost per sheet with its window on screen: the scoring
// wizard's window is shown (offscreen unless a display is given), set up
// for form 9909 (99 questions and 9 ID digits per sheet, 198 relevant
// questions), the key is scanned, and 1,000 students of two sheets each go
// through the wizard's receive handler, the window repainting after every
// sheet. Prints the time per sheet over the first and the last hundred
// students beside the time the 19200-baud line needs to deliver one frame;
// the wizard's share must stay small and must not grow with the class.
//
//   wizard_bench [students]      (WIZARD_BENCH_BUCKETS=1 also prints every hundred)

#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "app/fmTestWork.h"
#include "platform/core/Program.h"
#include "platform/data/DB.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Prompts.h"
#include "tools/scansim/SimScript.h"

namespace {

constexpr int kPerSheet = 99;
constexpr int kIdDigits = 9;

std::string RandomAnswers(std::mt19937& rng, int count) {
    static const char kMarks[] = "ABCDEABCDEABCDE-?";
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kMarks) - 2);
    std::string answers;
    for (int i = 0; i < count; ++i) answers += kMarks[pick(rng)];
    return answers;
}

}  // namespace

int main(int argc, char** argv) {
    const int students = argc > 1 ? std::atoi(argv[1]) : 1000;
    if (!getenv("QT_QPA_PLATFORM") && !getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    char folder[] = "/tmp/wizard-bench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    setenv("OMR_HOME", folder, 1);
    SetCommandLine(1, argv);
    Application->Initialize();
    // No message box may stop the run.
    TScriptedPrompts prompts;
    prompts.OnFailure = [](const std::string& m) { std::fprintf(stderr, "unexpected prompt: %s\n", m.c_str()); };
    SetPromptService(&prompts);

    auto* wizard = new TfrmTestWork(Application);
    wizard->Show();
    wizard->edtTestName->SetText("Bench");
    wizard->edtFormNo->SetText("9909");
    wizard->edtQty->SetText(std::to_string(2 * kPerSheet));
    wizard->btnNext[0]->Click();
    wizard->btnNext[1]->Click();
    Application->ProcessMessages();

    TSimScript script;
    script.Questions = kPerSheet;
    script.IdDigits = kIdDigits;
    auto frame = [&](const std::string& id, const std::string& answers) {
        TSimSheet sheet;
        sheet.Id = id;
        sheet.Answers = answers;
        return EncodeSimFrame(script, sheet, false);
    };
    std::mt19937 rng(9909);
    TTestWorkData* work = wizard->Work();
    work->ReceiveBytes(frame("000000000", RandomAnswers(rng, kPerSheet)));
    work->ReceiveBytes(frame("000000000", RandomAnswers(rng, kPerSheet)));
    wizard->btnNext[2]->Click();
    Application->ProcessMessages();

    std::vector<double> perStudent;
    perStudent.reserve(static_cast<std::size_t>(students));
    std::size_t frameBytes = 0;
    for (int s = 0; s < students; ++s) {
        const std::string id = std::to_string(100000000 + s * 7919 % 900000000);
        const std::string first = frame(id, RandomAnswers(rng, kPerSheet));
        const std::string second = frame(id, RandomAnswers(rng, kPerSheet));
        frameBytes = first.size();
        const auto start = std::chrono::steady_clock::now();
        work->ReceiveBytes(first);
        Application->ProcessMessages();
        work->ReceiveBytes(second);
        Application->ProcessMessages();
        perStudent.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    if (work->qmtData->RecordCount() != students) {
        std::fprintf(stderr, "expected %d students, the table holds %d\n", students, work->qmtData->RecordCount());
        return 1;
    }
    auto sheetMs = [&](std::size_t from, std::size_t count) {
        double sum = 0;
        for (std::size_t i = from; i < from + count; ++i) sum += perStudent[i];
        return 1000.0 * sum / static_cast<double>(2 * count);
    };
    const std::size_t window = std::min<std::size_t>(100, perStudent.size());
    // 8 data bits, 1 start and 1 stop bit per byte.
    const double lineMs = 1000.0 * static_cast<double>(frameBytes) * 10.0 / 19200.0;
    const double first = sheetMs(0, window), last = sheetMs(perStudent.size() - window, window);
    const double all = sheetMs(0, perStudent.size());
    std::printf("wizard benchmark: form 9909, %d students of two sheets, %zu-byte frames, window shown\n", students,
                frameBytes);
    std::printf("  first %zu students: %8.3f ms per sheet (%.2f%% of the line time)\n", window, first,
                100.0 * first / lineMs);
    std::printf("  last  %zu students: %8.3f ms per sheet (%.2f%% of the line time)\n", window, last,
                100.0 * last / lineMs);
    std::printf("  all students:       %8.3f ms per sheet (%.2f%% of the line time)\n", all, 100.0 * all / lineMs);
    if (getenv("WIZARD_BENCH_BUCKETS"))
        for (std::size_t b = 0; b + window <= perStudent.size(); b += window)
            std::printf("  students %4zu-%4zu: %8.3f ms per sheet\n", b + 1, b + window, sheetMs(b, window));
    std::printf("  19200-baud line:    %8.3f ms per frame\n", lineMs);
    delete wizard;
    SetPromptService(nullptr);
    return 0;
}
