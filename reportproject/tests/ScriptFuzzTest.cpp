// Random module files and random byte code, a bounded number of rounds with
// a fixed seed: the loader and the machine either succeed or raise one of
// the system's exceptions; nothing crashes, nothing runs without end.

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <random>
#include <sstream>

#include "platform/core/Exception.h"
#include "reportproject/VzLEModule.h"
#include "reportproject/VzLERun.h"
#include "report/VSFWriter.h"
#include "reportproject/VzCsBars.h"
#include "reportproject/VzCsData.h"
#include "reportproject/VzCsDraw.h"
#include "reportproject/VzCsRpt.h"
#include "reportproject/VzCsStd.h"
#include "reportproject/VzDataField.h"
#include "reportproject/VzDatabase.h"
#include "reportproject/VzDriverDataView.h"
#include "reportproject/VzLEString.h"
#include "reportproject/VzLESystem.h"
#include "reportproject/VzProj.h"
#include "reportproject/VzSecurity.h"
#include "reportproject/tests/ScriptAssembler.h"

using namespace script_test;

namespace {

std::vector<std::uint8_t> Fixture(const std::string& name) {
    std::ifstream in(std::string(OMR_TEST_DATA) + "/" + name);
    std::stringstream s;
    s << in.rdbuf();
    return FromHex(s.str());
}

// Runs the module with a step limit; true when it ended without an error.
bool RunBounded(TRCPUModule& m) {
    TRCPURunner runner;
    runner.MaxSteps = 20000;
    std::unique_ptr<TRCPUSuspendState> state;
    try {
        runner.Run(m, nullptr, state);
        if (state) {
            TRCPURunner again;
            again.MaxSteps = 20000;
            again.Run(m, nullptr, state);
        }
        return true;
    } catch (const Exception& e) {
        EXPECT_FALSE(e.Message.empty());
        return false;
    }
}

}  // namespace

TEST(ScriptFuzz, MutatedModuleFilesAreLoadedOrRefused) {
    std::mt19937 rng(17);
    const std::vector<std::vector<std::uint8_t>> seeds = {Fixture("adder-module.hex"), Fixture("native-module.hex")};
    int loaded = 0;
    for (int round = 0; round < 20000; ++round) {
        std::vector<std::uint8_t> b = seeds[std::size_t(round) % seeds.size()];
        const int edits = 1 + int(rng() % 4);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = rng() % b.size();
            switch (rng() % 3) {
            case 0: b[at] = std::uint8_t(rng()); break;
            case 1: b.erase(b.begin() + std::ptrdiff_t(at)); break;
            default: b.insert(b.begin() + std::ptrdiff_t(at), std::uint8_t(rng())); break;
            }
            if (b.empty()) b.push_back(0);
        }
        if (round % 4 == 3) {  // wholly random bytes
            b.resize(rng() % 64);
            for (auto& x : b) x = std::uint8_t(rng());
        }
        try {
            auto m = TRCPUModule::CreateFromBytes(b.data(), b.size());
            ++loaded;
            if (m->StackBytes < 64) m->StackBytes = 64;
            RunBounded(*m);
            m->SaveToBytes();
        } catch (const Exception& e) {
            EXPECT_FALSE(e.Message.empty());
        }
    }
    EXPECT_GT(loaded, 0);
}

TEST(ScriptFuzz, RandomByteCodeStopsCleanly) {
    std::mt19937 rng(1717);
    TRCPUModule other;
    other.DataSize = 16;
    other.Code = {137};
    int clean = 0;
    for (int round = 0; round < 20000; ++round) {
        Asm a;
        const std::size_t n = 1 + rng() % 48;
        for (std::size_t i = 0; i < n; ++i) {
            // Bias toward real opcodes and small operands so runs get deep.
            const unsigned pick = rng() % 4;
            a.Byte(std::uint8_t(pick == 0 ? rng() : pick == 1 ? rng() % 142 : rng() % 16));
        }
        auto m = MakeModule(a, 32, "FUZZ", 256);
        m->Imports.push_back(&other);
        if (RunBounded(*m)) ++clean;
    }
    EXPECT_GT(clean, 0);
}

TEST(ScriptFuzz, EveryNativeTakesRandomArgumentsWithoutHarm) {
    // Objects of many classes, so calls meet both their own class and others.
    TVizeProjectManager project(nullptr);
    TVizeReport* report = project.NewReport();
    TVizePage* page = report->FirstPage();
    auto* region = new TVizeRegion(page);
    region->SetParent(page);
    auto* band = new TVizeDataBand(page);
    band->SetParent(region);
    auto* text = new TVizeText(page);
    text->SetParent(band);
    auto* memo = new TVizeMemo(page);
    memo->SetParent(page);
    auto* calc = new TVizeCalcText(page);
    calc->SetParent(band);
    auto* op = new TVizeCalcOp(page);
    op->SetParent(page);
    auto* box = new TVizeRectangle(page);
    box->SetParent(page);
    auto* bar = new TVizeCode128BarCode(page);
    bar->SetParent(page);
    auto* database = new TVizeDatabase(&project);
    auto* view = new TVizeDriverDataView(&project);
    auto* field = new TVizeIntegerField(&project);
    field->SetParent(view);
    auto* users = new TVizeSimpleSecurity(&project);
    TVzVSFWriter canvas(nullptr);
    std::vector<std::uint32_t> pool;
    for (TObject* o : std::initializer_list<TObject*>{&project, report, page, region, band, text, memo, calc, op, box,
                                                      bar, database, view, field, users, &canvas})
        pool.push_back(ScriptObjectHandle(o));
    for (const char* t : {"", "Name", "var", "<a b>", "12", "x.y"}) pool.push_back(ScriptStrings::Make(t));

    // Routines that ask the user or the sound device are left out.
    const std::set<std::string> skipped = {"SHOWMESSAGE", "BEEP"};
    std::mt19937 rng(29);
    int ran = 0, refused = 0;
    for (int round = 0; round < 150; ++round) {
        for (const TVizeFuncItem& item : SystemFunctions()) {
            if (skipped.count(item.Name)) continue;
            std::uint32_t cells[12];
            // Mostly an object first and a plausible number of cells.
            const int count = rng() % 8 ? 1 + int(rng() % 6) : int(rng() % 12);
            for (int i = 0; i < count; ++i) {
                switch (i == 0 && rng() % 4 ? 4 : rng() % 4) {
                case 0: cells[i] = pool[rng() % pool.size()]; break;
                case 1: cells[i] = rng() % 8; break;
                case 2: cells[i] = std::uint32_t(rng()); break;
                case 3: cells[i] = std::uint32_t(rng() % 100); break;
                default: cells[i] = pool[rng() % 16]; break;
                }
            }
            TRCPURunner runner;
            TNativeCall call(runner, cells, count);
            try {
                item.Entry(call);
                ++ran;
            } catch (const Exception& e) {
                EXPECT_FALSE(e.Message.empty()) << item.Name;
                ++refused;
            }
        }
    }
    EXPECT_GT(ran, 0);
    EXPECT_GT(refused, 0);
}
