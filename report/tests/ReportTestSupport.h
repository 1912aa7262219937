#pragma once
// Printers for report tests: a recording printer list in place of the
// machine's, and a fresh printer device for each test; a recorded picture
// they draw.

#include <gtest/gtest.h>

#include "platform/gui/Metafile.h"
#include "platform/print/PrintDevice.h"
#include "report/PrinterDevice.h"

// A recorded picture of 96 x 48 pixels whose left half is blue.
inline void RecordHalfBluePicture(TMetafile& picture) {
    picture.SetWidth(96);
    picture.SetHeight(48);
    TMetafileCanvas c(&picture);
    c.Brush()->SetColor(clBlue);
    c.Pen()->SetStyle(psClear);
    c.Rectangle(0, 0, 48, 48);
}

class ReportPrinterFixture : public ::testing::Test {
protected:
    // The printers and the default one; no names: no printer installed.
    void UsePrinters(const std::vector<std::string>& names, const std::string& defaultName,
                     TRecordingPrinterSpec spec = {}) {
        spec_ = spec;
        SetPrinterListForTesting(true, names, defaultName);
        SetPrinterDriverFactoryForTesting([this](const std::string& name) -> std::unique_ptr<TPrinterDriver> {
            return std::make_unique<TRecordingPrinterDriver>(name, spec_);
        });
        ResetPrinterDeviceForTesting();
        RecordedPrintJobs().clear();
    }
    void SetUp() override { UsePrinters({}, ""); }
    void TearDown() override {
        ResetPrinterDeviceForTesting();
        SetPrinterDriverFactoryForTesting(nullptr);
        SetPrinterListForTesting(false);
        RecordedPrintJobs().clear();
    }
    TRecordingPrinterSpec spec_;
};
