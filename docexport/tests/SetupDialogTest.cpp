// The export setup dialogs driven through their controls: values read
// from the engine when shown, written back on OK, nothing on Cancel.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "docexport/deDocSettings.h"
#include "docexport/deRTFEng.h"
#include "docexport/deRTFEngDlg.h"
#include "docexport/deExExcelEng.h"
#include "docexport/deSprShtDlg.h"
#include "platform/core/UiQueue.h"
#include "platform/core/Streams.h"
#include "platform/gui/Prompts.h"

namespace {

class SetupDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        UiQueue::Reset();
        Application->Initialize();
        script.OnFailure = [](const std::string& m) { ADD_FAILURE() << m; };
        rtf.Preferences()->SetOpenAfterCreate(true);
    }
    void TearDown() override {
        Application->ResetForTesting();
        EXPECT_EQ(script.Pending(), 0u);
    }
    int Run(TdeRTFEngineDlg& dlg, std::function<void()> body) {
        dlg.Engine = &rtf;
        UiQueue::Post(body);
        return dlg.Execute();
    }
    static std::vector<std::string> Texts(TComboBox* list) {
        std::vector<std::string> r;
        for (int i = 0; i < list->Items()->Count(); ++i) r.push_back(list->Items()->Strings(i));
        return r;
    }
    TScriptedPrompts script;
    TdeRTFEngine rtf{nullptr};
};

// A page range is shown and cleared with "All Pages"; unchecking "Image"
// disables the picture settings and removes images from the items to
// render; an empty JPEG quality keeps the engine's; the RTF choices are
// written back.
TEST_F(SetupDialogTest, RtfDialogReadsAndWritesTheEngine) {
    rtf.SetPagesToRender("2-3");
    rtf.ImageSettings()->SetOutputImageFormat(ifJPEG);
    rtf.ImageSettings()->JPEGQuality = 80;
    rtf.DocInfo()->SetAuthor("Desk 4");
    TdeRTFEngineDlg dlg(nullptr);
    EXPECT_EQ(Run(dlg,
                  [&] {
                      EXPECT_EQ(dlg.Caption(), "RTF Setup");
                      EXPECT_EQ(dlg.PageList->Items()->Count(), 3);
                      EXPECT_TRUE(dlg.PagesRadio->Checked());
                      EXPECT_EQ(dlg.PagesEdit->Text(), "2-3");
                      EXPECT_TRUE(dlg.OpenAfterCreateCheck->Checked());
                      EXPECT_EQ(Texts(dlg.OutputFormatList),
                                (std::vector<std::string>{"BMP", "JPEG", "PNG", "Metafile", "CCITT3", "CCITT4"}));
                      EXPECT_EQ(Texts(dlg.DisplayTypeList).size(), 9u);
                      EXPECT_EQ(dlg.DisplayTypeList->Items()->IndexOf("Tile"), -1);
                      EXPECT_EQ(dlg.OutputFormatList->Items()->Strings(dlg.OutputFormatList->ItemIndex()), "JPEG");
                      EXPECT_EQ(dlg.JpegQualityEdit->Text(), "80");
                      EXPECT_TRUE(dlg.JpegQualityEdit->Enabled());
                      EXPECT_EQ(dlg.AuthorEdit->Text(), "Desk 4");
                      EXPECT_FALSE(dlg.ClearImageBtn->Enabled());  // no background picture

                      dlg.PageList->SetItemIndex(1);
                      dlg.PageListClick();
                      EXPECT_EQ(dlg.CaptionStrip->Caption(), "Content");
                      EXPECT_EQ(dlg.Pages->ActivePage(), dlg.ContentPage);

                      dlg.AllPagesRadio->Click();
                      dlg.AllPagesRadio->SetChecked(true);
                      EXPECT_EQ(dlg.PagesEdit->Text(), "");
                      dlg.OpenAfterCreateCheck->SetChecked(false);
                      dlg.ImageCheck->SetChecked(false);
                      dlg.ImageCheck->Click();
                      EXPECT_FALSE(dlg.ImageGroup->Enabled());
                      EXPECT_FALSE(dlg.JpegQualityEdit->Enabled());
                      dlg.JpegQualityEdit->SetText("");
                      dlg.TitleEdit->SetText("Scores");
                      dlg.GraphicDataInBinaryCheck->SetChecked(true);
                      dlg.EncodingGroup->SetItemIndex(1);
                      dlg.OKBtn->Click();
                  }),
              mrOk);
    EXPECT_EQ(rtf.PagesToRender(), "");
    EXPECT_FALSE(rtf.Preferences()->OpenAfterCreate());
    EXPECT_FALSE(rtf.ItemsToRender() & ItemBit(irImage));
    EXPECT_TRUE(rtf.ItemsToRender() & ItemBit(irText));
    EXPECT_EQ(rtf.ImageSettings()->JPEGQuality, 80);
    EXPECT_EQ(rtf.DocInfo()->Title(), "Scores");
    EXPECT_TRUE(rtf.Preferences()->GraphicDataInBinary);
    EXPECT_EQ(rtf.DocumentEncodingType(), etEaseOfEditing);
}

// A Source DPI that is not a number keeps the dialog open with the
// document information unwritten; Cancel then writes nothing more.
TEST_F(SetupDialogTest, RefusedValuesKeepTheEngineAndCancelWritesNothing) {
    rtf.ImageSettings()->SetOutputImageFormat(ifPNG);
    TdeRTFEngineDlg dlg(nullptr);
    EXPECT_EQ(Run(dlg,
                  [&] {
                      dlg.SourceDpiEdit->SetText("");
                      dlg.TitleEdit->SetText("Not written");
                      EXPECT_THROW(dlg.OkClick(), Exception);
                      EXPECT_EQ(dlg.ModalResult(), 0);
                      dlg.CancelBtn->Click();
                  }),
              mrCancel);
    EXPECT_EQ(rtf.ImageSettings()->OutputImageFormat(), ifPNG);
    EXPECT_EQ(rtf.DocInfo()->Title(), "");
}

// A picture chosen with "&Select Image" enables the picture controls,
// previews at its own size inside the frame and becomes the engine's
// background on OK with the chosen display type.
TEST_F(SetupDialogTest, BackgroundPictureIsChosenAndWritten) {
    std::string path = (std::filesystem::temp_directory_path() /
                        ("bg" + std::to_string(::getpid()) + ".bmp")).string();
    TBitmap bmp;
    bmp.SetSize(30, 20);
    bmp.SaveToFile(path);
    script.AnswerFile(path);
    TdeRTFEngineDlg dlg(nullptr);
    EXPECT_EQ(Run(dlg,
                  [&] {
                      EXPECT_FALSE(dlg.PreviewImageBtn->Enabled());
                      dlg.SelectImageBtn->Click();
                      EXPECT_TRUE(dlg.PreviewImageBtn->Enabled());
                      EXPECT_TRUE(dlg.DisplayTypeList->Enabled());
                      TdeImgPrvwDlg preview(nullptr);
                      preview.ShowPicture(dlg.BackgroundImage->Picture());
                      EXPECT_EQ(preview.ClientWidth(), 40);
                      EXPECT_EQ(preview.ClientHeight(), 30);
                      dlg.DisplayTypeList->SetItemIndex(dlg.DisplayTypeList->Items()->IndexOf("Bottom-Right"));
                      dlg.OKBtn->Click();
                  }),
              mrOk);
    std::filesystem::remove(path);
    ASSERT_NE(rtf.BackgroundImage()->Graphic(), nullptr);
    EXPECT_EQ(rtf.BackgroundImage()->Width(), 30);
    EXPECT_EQ(rtf.BackgroundImageDisplayType(), TdeBackgroundDisplayType(9));
}

// The engine's document start shows the dialog; Cancel cancels the
// document.
TEST_F(SetupDialogTest, CancelledDialogCancelsTheDocument) {
    rtf.Preferences()->SetOpenAfterCreate(false);
    rtf.Preferences()->SetOutputToUserStream(true);
    TMemoryStream out;
    rtf.SetUserStream(&out);
    UiQueue::Post([&] {
        auto* dlg = dynamic_cast<TdeRTFEngineDlg*>(Screen->ActiveForm());
        ASSERT_NE(dlg, nullptr);
        dlg->CancelBtn->Click();
    });
    rtf.BeginDoc();
    EXPECT_FALSE(rtf.Started());
    EXPECT_EQ(out.Size(), 0);
}

// The workbook setup window: formats a workbook cannot hold are not
// offered, the layout settings are shown and written, the key filters
// refuse what the fields cannot take, and a bad number keeps the window
// open with nothing after it stored.
TEST_F(SetupDialogTest, WorkbookDialogReadsAndWritesTheEngine) {
    TdeExcelEngine xls(nullptr);
    xls.Preferences()->PagesPerWorksheet = 3;
    xls.Preferences()->PrintGridLines = true;
    xls.Formatting()->ScaleX = 1.5;
    xls.Formatting()->RowSpacing = 2;
    xls.SetItemsToRender(deAllItems);
    TdeExcelEngineDlg dlg(nullptr);
    dlg.Engine = &xls;
    UiQueue::Post([&] {
        EXPECT_EQ(dlg.Caption(), "Excel Setup");
        EXPECT_EQ(Texts(dlg.OutputFormatList), (std::vector<std::string>{"BMP", "Metafile", "CCITT3", "CCITT4"}));
        EXPECT_EQ(dlg.Pages->ActivePage(), dlg.tsFormatting);
        EXPECT_EQ(dlg.PageList->Items()->Strings(3), "Formatting");
        EXPECT_EQ(dlg.edPagePerWorkSheet->Text(), "3");
        EXPECT_TRUE(dlg.chkPrintGridLines->Checked());
        EXPECT_EQ(dlg.edScaleX->Text(), "1.5");
        EXPECT_EQ(dlg.edRowSpacing->Text(), "2");
        EXPECT_FALSE(dlg.DocInfoGroup->Enabled());
        char key = '.';
        dlg.edScaleX->OnKeyPress(dlg.edScaleX, key);
        EXPECT_EQ(key, 0) << "a second point";
        for (TEdit* e : {dlg.edRowSpacing, dlg.edPagePerWorkSheet}) {
            key = 'x';
            e->OnKeyPress(e, key);
            EXPECT_EQ(key, 0);
        }
        key = '-';
        dlg.edRowSpacing->OnKeyPress(dlg.edRowSpacing, key);
        EXPECT_EQ(key, '-');
        dlg.ImageCheck->SetChecked(false);
        dlg.ImageCheck->Click();
        EXPECT_FALSE(dlg.ImageGroup->Enabled());
        dlg.edScaleY->SetText("2.5");
        dlg.chkAutoFormatCells->SetChecked(true);
        dlg.edPagePerWorkSheet->SetText("");
        EXPECT_THROW(dlg.OkClick(), Exception);
        EXPECT_EQ(dlg.ModalResult(), 0);
        dlg.edPagePerWorkSheet->SetText("4");
        dlg.OKBtn->Click();
    });
    EXPECT_EQ(dlg.Execute(), mrOk);
    EXPECT_EQ(xls.Preferences()->PagesPerWorksheet, 4);
    EXPECT_FALSE(xls.ItemsToRender() & ItemBit(irImage));
    EXPECT_TRUE(xls.Preferences()->AutoFormatCells);
    EXPECT_DOUBLE_EQ(xls.Formatting()->ScaleY, 2.5);
    EXPECT_EQ(xls.Formatting()->RowSpacing, 2);
}

// The workbook engine shows its window at document start.
TEST_F(SetupDialogTest, WorkbookEngineShowsItsDialogAtDocumentStart) {
    TdeExcelEngine xls(nullptr);
    xls.Preferences()->SetOpenAfterCreate(false);
    xls.Preferences()->SetOutputToUserStream(true);
    TMemoryStream out;
    xls.SetUserStream(&out);
    UiQueue::Post([&] {
        auto* dlg = dynamic_cast<TdeExcelEngineDlg*>(Screen->ActiveForm());
        ASSERT_NE(dlg, nullptr);
        dlg->CancelBtn->Click();
    });
    xls.BeginDoc();
    EXPECT_FALSE(xls.Started());
}

}  // namespace
