#pragma once
// The setup dialog every document engine has: preferences and page range,
// the items to render with the picture settings and document information,
// and the background. The dialog reads the engine's values when shown and
// writes them back on OK; Cancel writes nothing.

#include <string>
#include <vector>

#include "docexport/deCstDocEng.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

// A small window showing a picture at its own size.
class TdeImgPrvwDlg : public TForm {
public:
    explicit TdeImgPrvwDlg(TComponent* owner);
    TPanel* Frame;
    TImage* Image;
    // Sizes the window to the picture plus the frame's border.
    void ShowPicture(const TPicture* picture);
};

class TdeDocumentDlg : public TdeBaseDlg {
public:
    explicit TdeDocumentDlg(TComponent* owner);

    TListBox* PageList;
    TPanel* CaptionStrip;
    TPageControl* Pages;
    TTabSheet* PrefPage;
    TTabSheet* ContentPage;
    TTabSheet* BackgroundPage;
    TTabSheet* EmailPage;
    TButton* OKBtn;
    TButton* CancelBtn;
    // Preferences
    TGroupBox* RangeGroup;
    TRadioButton* AllPagesRadio;
    TRadioButton* PagesRadio;
    TEdit* PagesEdit;
    TLabel* ExampleLabel;
    TCheckBox* UseImagesAsResourcesCheck;
    TCheckBox* OpenAfterCreateCheck;
    TCheckBox* ProcessAfterEachPageCheck;
    // Content
    TGroupBox* ItemsGroup;
    TCheckBox* TextCheck;
    TCheckBox* ShapeCheck;
    TCheckBox* ImageCheck;
    TGroupBox* ImageGroup;
    TLabel* OutputFormatLabel;
    TComboBox* OutputFormatList;
    TLabel* JpegQualityLabel;
    TEdit* JpegQualityEdit;
    TLabel* PixelFormatLabel;
    TComboBox* PixelFormatList;
    TLabel* SourceDpiLabel;
    TEdit* SourceDpiEdit;
    TGroupBox* DocInfoGroup;
    TEdit* AuthorEdit;
    TEdit* CreatorEdit;
    TEdit* KeywordsEdit;
    TEdit* SubjectEdit;
    TEdit* TitleEdit;
    // Background
    TImage* BackgroundImage;
    TButton* SelectImageBtn;
    TButton* PreviewImageBtn;
    TButton* ClearImageBtn;
    TOpenDialog* OpenPictureDialog;
    TLabel* DisplayTypeLabel;
    TComboBox* DisplayTypeList;
    TLabel* BackgroundColorLabel;
    TPanel* BackgroundColorBox;
    // E-mail (never listed)
    TCheckBox* EmailAfterCreateCheck;
    TGroupBox* EmailGroup;
    TCheckBox* AuthenticationCheck;
    TEdit* UserIdEdit;
    TEdit* PasswordEdit;

    // Enumeration value of each item of the three drop-down lists.
    std::vector<int> OutputFormatValues, PixelFormatValues, DisplayTypeValues;

    // Reads the engine, then shows the dialog modally.
    int Execute() override {
        DoShow();
        return ShowModal();
    }
    virtual void LoadCaptions();
    virtual void DoShow();
    // Writes the dialog into the engine; closes it when everything was taken.
    virtual void OkClick();
    void PageListClick();
    // Key filter of the numeric edits of descendant dialogs: digits, "."
    // and backspace.
    static void edKeyPress(TObject* sender, char& key);
    void UpdateJpegQuality();
    void SelectImageClick();
    void PreviewImageClick();
    void ClearImageClick();
    // "Email After Create" is checked.
    bool UpdateEMailInfo();
    // Enables or disables the picture controls.
    void EnablePictureControls(bool on);

protected:
    void FinishOk();
    static void SelectValue(TComboBox* list, const std::vector<int>& values, int value);
    static int SelectedValue(TComboBox* list, const std::vector<int>& values, int fallback);
    static void RemoveItem(TComboBox* list, std::vector<int>& values, const std::string& text);
};
