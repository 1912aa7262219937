// Scoring speed against the table size: 20,000 sheets of form 9909 (99
// questions and 9 ID digits per sheet, 198 relevant questions, so every
// student takes two sheets) go through the wizard's receive handler into a
// students' table that grows to 10,000 students. The second sheet of a
// student arrives 500 sheets after the first, so it has to be found in the
// table. Prints the time per sheet over the first and the last thousand
// sheets beside the time the scanner's 19200-baud line takes to deliver one
// frame: handling a sheet must stay well below that, however full the
// table is.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/TestWorkData.h"
#include "tools/scansim/SimScript.h"

namespace {

constexpr int kQuestionsPerSheet = 99;
constexpr int kIdDigits = 9;
constexpr int kQuestions = 2 * kQuestionsPerSheet;
constexpr int kStudents = 10000;
constexpr int kLag = 500;
constexpr int kWindow = 1000;

std::string RandomAnswers(std::mt19937& rng, int count) {
    static const char kMarks[] = "ABCDEABCDEABCDE-?";
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kMarks) - 2);
    std::string answers;
    for (int i = 0; i < count; ++i) answers += kMarks[pick(rng)];
    return answers;
}

}  // namespace

int main() {
    std::mt19937 rng(9909);

    TTestWorkData work(nullptr);
    work.N = kQuestions;
    work.Q = kQuestionsPerSheet;
    work.D = kIdDigits;
    work.RebuildTables();
    work.qmtGroups->Open();
    work.qmtGroups->AppendRecord({Variant(1), Variant(std::string("Overall Group"))});
    work.qmtQGroups->Open();
    for (int n = 1; n <= kQuestions; ++n) work.qmtQGroups->AppendRecord({Variant(n), Variant(std::string("(1)"))});

    TSimScript script;
    script.Questions = kQuestionsPerSheet;
    script.IdDigits = kIdDigits;
    auto frame = [&](const std::string& id, const std::string& answers) {
        TSimSheet sheet;
        sheet.Id = id;
        sheet.Answers = answers;
        return EncodeSimFrame(script, sheet, false);
    };

    // The answer key: two key sheets on the Scan Master page.
    work.ActivePage = wpScanMaster;
    const std::string key = RandomAnswers(rng, kQuestions);
    work.ReceiveBytes(frame("000000000", key.substr(0, kQuestionsPerSheet)));
    work.ReceiveBytes(frame("000000000", key.substr(kQuestionsPerSheet)));
    work.ScanMasterNext();
    work.ScanTestsShow();

    // Distinct nine-digit IDs in random order.
    std::vector<std::string> ids;
    std::set<int> used;
    std::uniform_int_distribution<int> idPick(100000000, 999999999);
    while (static_cast<int>(ids.size()) < kStudents) {
        const int id = idPick(rng);
        if (used.insert(id).second) ids.push_back(std::to_string(id));
    }

    // First sheets in order; each student's second sheet kLag sheets later.
    std::vector<std::string> frames;
    frames.reserve(2 * kStudents);
    auto first = [&](int s) { frames.push_back(frame(ids[s], RandomAnswers(rng, kQuestionsPerSheet))); };
    auto second = [&](int s) { frames.push_back(frame(ids[s], RandomAnswers(rng, kQuestionsPerSheet))); };
    for (int s = 0; s < kLag; ++s) first(s);
    for (int s = kLag; s < kStudents; ++s) {
        first(s);
        second(s - kLag);
    }
    for (int s = kStudents - kLag; s < kStudents; ++s) second(s);

    std::vector<double> seconds;
    seconds.reserve(frames.size());
    for (const std::string& f : frames) {
        const auto start = std::chrono::steady_clock::now();
        work.ReceiveBytes(f);
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }

    if (work.qmtData->RecordCount() != kStudents) {
        std::fprintf(stderr, "expected %d students, the table holds %d\n", kStudents, work.qmtData->RecordCount());
        return 1;
    }
    // Both sheets of every student landed in the student's record.
    TField* last = work.qmtData->FieldByName("Q" + std::to_string(kQuestions));
    for (work.qmtData->First(); !work.qmtData->Eof(); work.qmtData->Next())
        if (last->AsString().empty()) {
            std::fprintf(stderr, "student %s lacks the second sheet\n",
                         work.qmtData->FieldByName("IDNo")->AsString().c_str());
            return 1;
        }
    auto meanMs = [&](std::size_t from, std::size_t count) {
        double sum = 0;
        for (std::size_t i = from; i < from + count; ++i) sum += seconds[i];
        return 1000.0 * sum / static_cast<double>(count);
    };
    double total = 0;
    for (double s : seconds) total += s;
    // 8 data bits, 1 start and 1 stop bit per byte.
    const double lineMs = 1000.0 * static_cast<double>(frames.front().size()) * 10.0 / 19200.0;

    std::printf("scoring benchmark: form 9909, %d sheets, %d students, %zu-byte frames\n",
                static_cast<int>(frames.size()), kStudents, frames.front().size());
    std::printf("  first %d sheets: %8.3f ms per sheet\n", kWindow, meanMs(0, kWindow));
    std::printf("  last  %d sheets: %8.3f ms per sheet\n", kWindow, meanMs(frames.size() - kWindow, kWindow));
    std::printf("  all sheets:       %8.3f ms per sheet (%.1f s in all)\n",
                1000.0 * total / static_cast<double>(frames.size()), total);
    std::printf("  19200-baud line:  %8.3f ms per frame\n", lineMs);
    return 0;
}
