// Printing for real: a private CUPS daemon with a PDF queue (started by
// scripts/cups-pdf-queue.sh) receives a 3-page report from the printer
// renderer through the platform's printer path; the PDF the queue writes,
// and a printer file written through the same path, are read back with
// pdftotext.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <fstream>
#include <algorithm>

#include "platform/print/Printers.h"
#include "report/PrinterDevice.h"
#include "report/RenderCanvas.h"
#include "report/VSFWriter.h"
#include "report/tests/ToolRunner.h"

namespace {

namespace fs = std::filesystem;

class CupsPrintTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "starting a CUPS daemon needs root";
        for (const char* tool : {"/usr/sbin/cupsd", "/usr/lib/cups/backend/cups-pdf"})
            if (!fs::exists(tool)) GTEST_SKIP() << tool << " is not installed (cups, printer-driver-cups-pdf)";
        if (!HaveTool("pdftotext")) GTEST_SKIP() << "pdftotext is not installed";
        dir_ = fs::path("/tmp") / ("replib-cups-" + std::to_string(getpid()));
        int code;
        std::string out = RunTool("sh '" + Script() + "' start '" + dir_.string() + "'", code);
        ASSERT_EQ(code, 0) << out;
        size_t at = out.find("CUPS_SERVER=");
        ASSERT_NE(at, std::string::npos) << out;
        std::string server = out.substr(at + 12);
        server.erase(server.find_last_not_of("\r\n") + 1);
        setenv("CUPS_SERVER", server.c_str(), 1);
        started_ = true;
    }
    void TearDown() override {
        ResetPrinterDeviceForTesting();
        if (!started_) return;
        int code;
        RunTool("sh '" + Script() + "' stop '" + dir_.string() + "'", code);
        unsetenv("CUPS_SERVER");
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    static std::string Script() { return std::string(OMR_TEST_DATA) + "/../../../scripts/cups-pdf-queue.sh"; }

    // Three pages, each with its number, a Greek name and a frame.
    void Generate(TMemoryStream& stream) {
        TVzVSFWriter w(nullptr);
        w.StreamMode = smUser;
        w.Stream = &stream;
        w.Title = "replib check";
        w.OnPrint = [&](TObject*) {
            for (int p = 1; p <= 3; ++p) {
                if (p > 1) w.NewPage();
                w.SetFont("Arial", 14);
                w.PrintXY(1, 1.5, "Scorvane page " + std::to_string(p) + " of 3");
                w.SetFont("DejaVu Sans", 12);
                w.PrintXY(1, 2, "Student \xCE\x9D\xCE\xAF\xCE\xBA\xCE\xBF\xCF\x82");  // Νίκος
                w.Rectangle(1, 3, 4, 4);
            }
        };
        w.Execute();
    }
    // The PDF the queue wrote, waited for up to 60 seconds.
    fs::path WaitForOutput() {
        for (int i = 0; i < 600; ++i) {
            if (fs::exists(dir_ / "out"))
                for (const auto& e : fs::directory_iterator(dir_ / "out"))
                    if (e.path().extension() == ".pdf" && Complete(e.path())) return e.path();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return {};
    }
    // The backend writes the file in pieces; it is whole once it ends with
    // the end-of-file marker.
    static bool Complete(const fs::path& pdf) {
        std::ifstream f(pdf, std::ios::binary);
        f.seekg(0, std::ios::end);
        auto size = std::streamoff(f.tellg());
        if (size < 16) return false;
        f.seekg(size - 16);
        std::string tail(16, '\0');
        f.read(tail.data(), 16);
        return tail.find("%%EOF") != std::string::npos;
    }
    static std::string Text(const fs::path& pdf) {
        int code;
        std::string text = RunTool("pdftotext -q '" + pdf.string() + "' -", code);
        EXPECT_EQ(code, 0) << text;
        return text;
    }
    static void ExpectThreePages(const std::string& text) {
        for (int p = 1; p <= 3; ++p)
            EXPECT_NE(text.find("Scorvane page " + std::to_string(p) + " of 3"), std::string::npos) << text;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), 3) << text;
    }
    void PrintThreePages();
    fs::path dir_;
    bool started_ = false;
};

}  // namespace

// The print system's client library keeps the server it first talked to
// for each thread; a fresh thread reads the server of this test's daemon.
TEST_F(CupsPrintTest, ThreePagesReachThePdfQueueAndAPrinterFile) {
    std::thread printing([this] { PrintThreePages(); });
    printing.join();
}

void CupsPrintTest::PrintThreePages() {
    Printer()->Refresh();
    ResetPrinterDeviceForTesting();
    TVpPrinterDevice* device = GetPrinterDevice();
    ASSERT_TRUE(device->SelectPrinter("replib-pdf", true)) << "the queue is not listed";
    TMemoryStream snapshot;
    Generate(snapshot);

    TVzRenderPrinter printer(nullptr);
    printer.Render(&snapshot);
    fs::path printed = WaitForOutput();
    ASSERT_FALSE(printed.empty()) << "no PDF from the queue; see " << (dir_ / "log/error_log");
    ExpectThreePages(Text(printed));

    // A printer file goes through the same path into a file of its own.
    fs::path prn = dir_ / "report.prn";
    TVzRenderPrinter toFile(nullptr);
    toFile.RenderToFile(&snapshot, prn.string());
    ASSERT_TRUE(fs::exists(prn));
    std::string text = Text(prn);
    ExpectThreePages(text);
    EXPECT_NE(text.find("Student \xCE\x9D\xCE\xAF\xCE\xBA\xCE\xBF\xCF\x82"), std::string::npos) << text;
}
