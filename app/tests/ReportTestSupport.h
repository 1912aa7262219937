#pragma once
// The class the report tests print: seven questions over two sheets per
// student, three groups (overall, Algebra 1-3, Geometry 4-7), a penalty on
// question 2, four students of whom one is still missing its second sheet
// and one was typed in; plus outside readers of the files written
// (qpdf, pdftotext, pdftoppm) and a recording printer list.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/WorkReports.h"
#include "app/tests/WorkTestSupport.h"
#include "platform/core/DateTime.h"
#include "platform/core/FileUtils.h"
#include "report/RenderPDF.h"
#include "platform/core/UiQueue.h"
#include "platform/gui/Forms.h"
#include "platform/print/PrintDevice.h"
#include "report/PrinterDevice.h"

// A program found on the PATH.
inline bool HaveTool(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command; its standard output and error, and its exit code.
struct TToolResult {
    int Exit = -1;
    std::string Output;
};
inline TToolResult RunTool(const std::string& command) {
    TToolResult result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.Output.append(buffer, got);
    const int status = ::pclose(pipe);
    result.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The non-empty lines of a text without their blanks. pdftotext puts the
// words of a line apart by the gaps it sees, so blanks are no evidence
// either way; the words, their order and the lines are.
inline std::vector<std::string> TextLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::string words;
        for (char c : line)
            if (c != ' ' && c != '\t' && c != '\r' && c != '\f') words += c;
        if (!words.empty()) lines.push_back(words);
    }
    return lines;
}

// Whether one line of the text reads `expected` (blanks ignored).
inline bool HasLine(const std::string& text, const std::string& expected) {
    const std::vector<std::string> lines = TextLines(text);
    const std::vector<std::string> wanted = TextLines(expected);
    return wanted.size() == 1 && std::find(lines.begin(), lines.end(), wanted[0]) != lines.end();
}

class ReportClassFixture : public WorkFixture {
protected:
    void SetUp() override {
        UiQueue::Reset();
        Application->Initialize();
        // The report library measures with the printer when there is one:
        // a recording printer list keeps the pages the same everywhere.
        SetPrinterListForTesting(true, {"Lab Printer", "Office"}, "Lab Printer");
        SetPrinterDriverFactoryForTesting([](const std::string& name) -> std::unique_ptr<TPrinterDriver> {
            return std::make_unique<TRecordingPrinterDriver>(name, TRecordingPrinterSpec{});
        });
        ResetPrinterDeviceForTesting();
        RecordedPrintJobs().clear();

        Configure(7, 5, 3);
        work->TestName = "Algebra";
        work->TestID = "7";
        AddGroup(2, "Algebra");
        AddGroup(3, "Geometry");
        for (int q = 1; q <= 7; ++q) SetQuestionGroups(q, q <= 3 ? "(1,2)" : "(1,3)");
        SetKey("ABCDEFA", {"1", "2", "1", "1", "1", "2", "1"}, {"", "0.5"});
        work->cbNames = true;
        AddName("123", "Ann");
        AddName("321", "Cy");
        AddName("456", "Bob");
        reports = std::make_unique<TWorkReports>(work.get());
        reports->TestDate = EncodeDate(2026, 3, 14);
        reports->FormNo = "0503";
    }
    void TearDown() override {
        reports.reset();
        ResetPrinterDeviceForTesting();
        SetPrinterDriverFactoryForTesting(nullptr);
        SetPrinterListForTesting(false);
        RecordedPrintJobs().clear();
        Application->ResetForTesting();
        WorkFixture::TearDown();
    }

    // Scans the class: 123 and 456 on two sheets each, 789 only its first
    // sheet; 321 typed in. The Output page then sorts them by ID.
    void ScanClass() {
        work->ScanTestsShow();
        work->ReceiveBytes(SheetFrame("123", "ABCDE"));
        work->ReceiveBytes(SheetFrame("456", "AC-?E"));
        work->ReceiveBytes(SheetFrame("123", "FB"));
        work->ReceiveBytes(SheetFrame("456", "FA"));
        work->ReceiveBytes(SheetFrame("789", "ABCDE"));
        AddStudent(321, "ABCDEFB");
        work->OutputShow();
    }

    // Runs a report system straight into a PDF file.
    void RunToPdf(TVzSystem* system, const std::string& fileName) {
        RunToPdf(system, reports->VPRenderPDF1, fileName);
    }
    void RunToPdf(TVzSystem* system, TVPRender* renderer, const std::string& fileName) {
        system->SystemSetups &= ~(1u << ssAllowSetup);
        system->SystemOptions &= ~(1u << soShowStatus);
        system->DefaultDest = rdFile;
        system->PrinterFileOutput = false;
        system->SetFileRenderer(renderer);
        system->OutputFileName = fileName;
        system->RunReport();
    }

    // The PDF checked by qpdf and its text as pdftotext lays it out; skips
    // the test when a reader is missing.
    std::string CheckedPdfText(const std::string& fileName) {
        if (!HaveTool("qpdf") || !HaveTool("pdftotext")) {
            missingTool = true;
            return {};
        }
        const TToolResult check = RunTool("qpdf --check '" + fileName + "'");
        EXPECT_EQ(check.Exit, 0) << check.Output;
        const TToolResult text = RunTool("pdftotext -layout '" + fileName + "' -");
        EXPECT_EQ(text.Exit, 0) << text.Output;
        return text.Output;
    }

    std::string Golden(const std::string& name) const {
        return ReadWholeFile(std::string(OMR_TEST_DATA) + "/reports/" + name);
    }

    std::unique_ptr<TWorkReports> reports;
    bool missingTool = false;
};
