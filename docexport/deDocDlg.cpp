#include "docexport/deDocDlg.h"

#include "docexport/deDocSettings.h"
#include "docexport/deUtils.h"
#include "platform/core/Strings.h"

namespace {

template <class T>
T* Make(TWinControl* parent, TComponent* owner, const std::string& caption, int l, int t, int w, int h) {
    auto* c = new T(owner);
    c->SetParent(parent);
    if (!caption.empty()) c->SetCaption(caption);
    c->SetBounds(l, t, w, h);
    return c;
}

TTabSheet* MakePage(TdeDocumentDlg* dlg, TPageControl* pages, const std::string& caption) {
    auto* p = new TTabSheet(dlg);
    p->SetPageControl(pages);
    p->SetCaption(caption);
    p->SetTabVisible(false);
    return p;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The preview's frame around the picture.
constexpr int PreviewBorder = 5;

}  // namespace

TdeDocumentDlg::TdeDocumentDlg(TComponent* owner) : TdeBaseDlg(owner) {
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(479);
    SetClientHeight(458);
    Font()->SetName("Verdana");
    Font()->SetSize(8);

    PageList = Make<TListBox>(this, this, "", 8, 8, 121, 409);
    PageList->OnClick = [this](TObject*) { PageListClick(); };
    CaptionStrip = Make<TPanel>(this, this, "", 136, 8, 335, 25);
    CaptionStrip->Font()->SetStyle(TFontStyles{fsBold});
    Pages = Make<TPageControl>(this, this, "", 136, 36, 335, 381);
    PrefPage = MakePage(this, Pages, "Preferences");
    ContentPage = MakePage(this, Pages, "Content");
    BackgroundPage = MakePage(this, Pages, "Background");
    EmailPage = MakePage(this, Pages, "EMail Information");
    OKBtn = Make<TButton>(this, this, "OK", 316, 425, 75, 25);
    OKBtn->SetDefault(true);
    OKBtn->OnClick = [this](TObject*) { OkClick(); };
    CancelBtn = Make<TButton>(this, this, "Cancel", 396, 425, 75, 25);
    CancelBtn->SetCancel(true);
    CancelBtn->SetModalResult(mrCancel);

    RangeGroup = Make<TGroupBox>(PrefPage, this, "Page Range", 8, 8, 313, 121);
    AllPagesRadio = Make<TRadioButton>(RangeGroup, this, "All Pages", 8, 20, 120, 17);
    AllPagesRadio->SetChecked(true);
    AllPagesRadio->OnClick = [this](TObject*) { PagesEdit->SetText(""); };
    PagesRadio = Make<TRadioButton>(RangeGroup, this, "Pages:", 8, 44, 64, 17);
    PagesEdit = Make<TEdit>(RangeGroup, this, "", 76, 42, 229, 21);
    PagesRadio->OnClick = [this](TObject*) {
        if (PagesEdit->CanFocus()) PagesEdit->SetFocus();
    };
    PagesEdit->OnKeyPress = [](TObject*, char& key) {
        if (!IsDigit(key) && key != ',' && key != '-' && key != '\b') key = 0;
    };
    PagesEdit->OnChange = [this](TObject*) {
        if (!PagesEdit->Text().empty())
            PagesRadio->SetChecked(true);
        else
            AllPagesRadio->SetChecked(true);
    };
    ExampleLabel = Make<TLabel>(RangeGroup, this, "", 8, 70, 297, 45);
    UseImagesAsResourcesCheck = Make<TCheckBox>(PrefPage, this, "Use Images As Resources", 8, 140, 250, 17);
    OpenAfterCreateCheck = Make<TCheckBox>(PrefPage, this, "Open After Create", 8, 164, 250, 17);
    ProcessAfterEachPageCheck = Make<TCheckBox>(PrefPage, this, "Process After Each Page", 8, 188, 250, 17);

    ItemsGroup = Make<TGroupBox>(ContentPage, this, "Items To Render", 8, 8, 313, 177);
    TextCheck = Make<TCheckBox>(ItemsGroup, this, "Text", 8, 20, 80, 17);
    ShapeCheck = Make<TCheckBox>(ItemsGroup, this, "Shape", 100, 20, 80, 17);
    ImageCheck = Make<TCheckBox>(ItemsGroup, this, "Image", 200, 20, 80, 17);
    ImageGroup = Make<TGroupBox>(ItemsGroup, this, "", 8, 44, 297, 125);
    OutputFormatLabel = Make<TLabel>(ImageGroup, this, "Output Image Format:", 8, 16, 140, 16);
    OutputFormatList = Make<TComboBox>(ImageGroup, this, "", 150, 12, 139, 21);
    OutputFormatList->SetStyle(csDropDownList);
    OutputFormatList->OnChange = [this](TObject*) { UpdateJpegQuality(); };
    JpegQualityLabel = Make<TLabel>(ImageGroup, this, "JPEG Quality:", 8, 44, 140, 16);
    JpegQualityEdit = Make<TEdit>(ImageGroup, this, "", 150, 40, 49, 21);
    JpegQualityEdit->SetMaxLength(3);
    PixelFormatLabel = Make<TLabel>(ImageGroup, this, "Image Pixel Format:", 8, 72, 140, 16);
    PixelFormatList = Make<TComboBox>(ImageGroup, this, "", 150, 68, 139, 21);
    PixelFormatList->SetStyle(csDropDownList);
    SourceDpiLabel = Make<TLabel>(ImageGroup, this, "Source DPI:", 8, 100, 140, 16);
    SourceDpiEdit = Make<TEdit>(ImageGroup, this, "", 150, 96, 49, 21);
    SourceDpiEdit->OnKeyPress = [](TObject*, char& key) {
        if (!IsDigit(key) && key != '\b') key = 0;
    };
    DocInfoGroup = Make<TGroupBox>(ContentPage, this, "Document Information", 8, 192, 313, 150);
    auto infoEdit = [this](const std::string& caption, int row) {
        Make<TLabel>(DocInfoGroup, this, caption, 8, 20 + row * 25, 80, 16);
        return Make<TEdit>(DocInfoGroup, this, "", 96, 16 + row * 25, 209, 21);
    };
    AuthorEdit = infoEdit("Author:", 0);
    CreatorEdit = infoEdit("Creator:", 1);
    KeywordsEdit = infoEdit("Keywords:", 2);
    SubjectEdit = infoEdit("Subject:", 3);
    TitleEdit = infoEdit("Title:", 4);

    Make<TLabel>(BackgroundPage, this, "Background Image:", 8, 8, 150, 16);
    auto* sunken = Make<TPanel>(BackgroundPage, this, "", 8, 28, 150, 150);
    sunken->SetBevelOuter(bvLowered);
    BackgroundImage = Make<TImage>(sunken, this, "", 2, 2, 146, 146);
    BackgroundImage->SetStretch(true);
    SelectImageBtn = Make<TButton>(BackgroundPage, this, "&Select Image", 166, 28, 110, 25);
    SelectImageBtn->OnClick = [this](TObject*) { SelectImageClick(); };
    PreviewImageBtn = Make<TButton>(BackgroundPage, this, "&Preview", 166, 58, 110, 25);
    PreviewImageBtn->OnClick = [this](TObject*) { PreviewImageClick(); };
    OpenPictureDialog = new TOpenDialog(this);
    OpenPictureDialog->Filter = "Pictures (*.bmp;*.jpg;*.jpeg)|*.bmp;*.jpg;*.jpeg";
    ClearImageBtn = Make<TButton>(BackgroundPage, this, "C&lear", 166, 88, 110, 25);
    ClearImageBtn->OnClick = [this](TObject*) { ClearImageClick(); };
    DisplayTypeLabel = Make<TLabel>(BackgroundPage, this, "Background Display Type:", 8, 188, 200, 16);
    DisplayTypeList = Make<TComboBox>(BackgroundPage, this, "", 8, 206, 150, 21);
    DisplayTypeList->SetStyle(csDropDownList);
    BackgroundColorLabel = Make<TLabel>(BackgroundPage, this, "Background Color:", 8, 240, 150, 16);
    BackgroundColorBox = Make<TPanel>(BackgroundPage, this, "", 8, 258, 50, 25);
    BackgroundColorBox->SetHint("Click to Select Background Color");

    EmailAfterCreateCheck = Make<TCheckBox>(EmailPage, this, "Email After Create", 8, 8, 200, 17);
    EmailGroup = Make<TGroupBox>(EmailPage, this, "", 8, 30, 313, 300);
    int row = 0;
    for (const char* caption : {"Host: ", "Port #: ", "From: ", "To: ", "CC: ", "BCC: ", "Subject: "}) {
        Make<TLabel>(EmailGroup, this, caption, 8, 18 + row * 24, 70, 16);
        Make<TEdit>(EmailGroup, this, "", 80, 14 + row * 24, 225, 21);
        ++row;
    }
    Make<TLabel>(EmailGroup, this, "Message: ", 8, 18 + row * 24, 70, 16);
    Make<TMemo>(EmailGroup, this, "", 80, 14 + row * 24, 225, 60);
    AuthenticationCheck = Make<TCheckBox>(EmailPage, this, "Server Requires Authentication", 8, 336, 250, 17);
    Make<TLabel>(EmailPage, this, "UserID: ", 8, 356, 70, 16);
    UserIdEdit = Make<TEdit>(EmailPage, this, "", 80, 352, 100, 21);
    Make<TLabel>(EmailPage, this, "Password: ", 186, 356, 70, 16);
    PasswordEdit = Make<TEdit>(EmailPage, this, "", 250, 352, 70, 21);
    PasswordEdit->SetPasswordChar('*');
    EmailAfterCreateCheck->OnClick = [this](TObject*) { EnableControls(EmailGroup, UpdateEMailInfo()); };
    AuthenticationCheck->OnClick = [this](TObject*) {
        UserIdEdit->SetEnabled(AuthenticationCheck->Checked());
        PasswordEdit->SetEnabled(AuthenticationCheck->Checked());
    };

    LoadCaptions();
    const char* formats[] = {"BMP", "JPEG", "GIF", "PNG", "Metafile", "CCITT3", "CCITT4"};
    for (int i = 0; i < 7; ++i) {
        OutputFormatList->Items()->Add(formats[i]);
        OutputFormatValues.push_back(i);
    }
    const char* pixels[] = {"Device", "1 bit", "4 bit", "8 bit", "15 bit", "16 bit", "24 bit", "32 bit"};
    for (int i = 0; i < 8; ++i) {
        PixelFormatList->Items()->Add(pixels[i]);
        PixelFormatValues.push_back(i);
    }
    const char* types[] = {"Tile",   "Top-Left",     "Top-Center",  "Top-Right",     "Center-Left",
                           "Center", "Center-Right", "Bottom-Left", "Bottom-Center", "Bottom-Right"};
    for (int i = 0; i < 10; ++i) {
        DisplayTypeList->Items()->Add(types[i]);
        DisplayTypeValues.push_back(i);
    }
    Pages->SetActivePage(PrefPage);
    PageList->SetItemIndex(0);
}

void TdeDocumentDlg::LoadCaptions() {
    PageList->Items()->Clear();
    PageList->Items()->Add("Preferences");
    PageList->Items()->Add("Content");
    PageList->Items()->Add("Background");
}

void TdeDocumentDlg::DoShow() {
    if (!Engine) return;
    TdePreferences* p = Engine->Preferences();
    EmailAfterCreateCheck->SetChecked(p->EmailAfterCreate());
    OpenAfterCreateCheck->SetChecked(p->OpenAfterCreate());
    ProcessAfterEachPageCheck->SetChecked(p->ProcessAfterEachPage());
    UseImagesAsResourcesCheck->SetChecked(p->UseImagesAsResources());
    EnableControls(EmailGroup, UpdateEMailInfo());
    UserIdEdit->SetEnabled(AuthenticationCheck->Checked());
    PasswordEdit->SetEnabled(AuthenticationCheck->Checked());
    CaptionStrip->SetCaption(PageList->Items()->Strings(0));
    ExampleLabel->SetCaption(
        "Enter page numbers and/or page ranges separated by commas. For example, 1,3,5-12");
    if (!Engine->PagesToRender().empty()) {
        PagesRadio->SetChecked(true);
        PagesEdit->SetText(Engine->PagesToRender());
    }
}

void TdeDocumentDlg::OkClick() {
    if (!Engine) {
        FinishOk();
        return;
    }
    TdePreferences* p = Engine->Preferences();
    p->SetEmailAfterCreate(EmailAfterCreateCheck->Checked());
    p->SetOpenAfterCreate(OpenAfterCreateCheck->Checked());
    p->SetProcessAfterEachPage(ProcessAfterEachPageCheck->Checked());
    p->SetUseImagesAsResources(UseImagesAsResourcesCheck->Checked());
    if (AllPagesRadio->Checked()) {
        Engine->SetPagesToRender("");
        FinishOk();
    } else if (PagesRadio->Checked()) {
        Engine->SetPagesToRender(PagesEdit->Text());
        if (Engine->PagesToRender() == PagesEdit->Text()) FinishOk();
    } else {
        FinishOk();
    }
}

void TdeDocumentDlg::FinishOk() { SetModalResult(mrOk); }

void TdeDocumentDlg::PageListClick() {
    int i = PageList->ItemIndex();
    if (i < 0 || i >= Pages->PageCount()) return;
    Pages->SetActivePageIndex(i);
    CaptionStrip->SetCaption(PageList->Items()->Strings(i));
}

void TdeDocumentDlg::UpdateJpegQuality() {
    int i = OutputFormatList->ItemIndex();
    bool on = ImageCheck->Checked() && i >= 0 && OutputFormatList->Items()->Strings(i) == "JPEG";
    JpegQualityLabel->SetEnabled(on);
    JpegQualityEdit->SetEnabled(on);
    JpegQualityEdit->SetColor(on ? clWindow : clInactiveBorder);
}

void TdeDocumentDlg::edKeyPress(TObject*, char& key) {
    if (!IsDigit(key) && key != '.' && key != '\b') key = 0;
}

bool TdeDocumentDlg::UpdateEMailInfo() { return EmailAfterCreateCheck->Checked(); }

void TdeDocumentDlg::SelectImageClick() {
    if (!OpenPictureDialog->Execute()) return;
    BackgroundImage->Picture()->LoadFromFile(OpenPictureDialog->FileName);
    EnablePictureControls(true);
}

void TdeDocumentDlg::PreviewImageClick() {
    TdeImgPrvwDlg preview(this);
    preview.ShowPicture(BackgroundImage->Picture());
    preview.ShowModal();
}

TdeImgPrvwDlg::TdeImgPrvwDlg(TComponent* owner) : TForm(owner) {
    SetCaption("Preview");
    SetBorderStyle(bsSizeToolWin);
    SetPosition(poScreenCenter);
    Frame = Make<TPanel>(this, this, "", 0, 0, 100, 100);
    Frame->SetAlign(alClient);
    Image = Make<TImage>(Frame, this, "", PreviewBorder, PreviewBorder, 90, 90);
    Image->SetCenter(true);
    Image->SetStretch(true);
}

void TdeImgPrvwDlg::ShowPicture(const TPicture* picture) {
    Image->Picture()->SetGraphic(picture->Graphic());
    Image->SetBounds(PreviewBorder, PreviewBorder, picture->Width(), picture->Height());
    SetClientWidth(picture->Width() + 2 * PreviewBorder);
    SetClientHeight(picture->Height() + 2 * PreviewBorder);
}

void TdeDocumentDlg::ClearImageClick() {
    BackgroundImage->Picture()->SetGraphic(nullptr);
    EnablePictureControls(false);
}

void TdeDocumentDlg::EnablePictureControls(bool on) {
    PreviewImageBtn->SetEnabled(on);
    ClearImageBtn->SetEnabled(on);
    DisplayTypeLabel->SetEnabled(on);
    DisplayTypeList->SetEnabled(on);
}

void TdeDocumentDlg::SelectValue(TComboBox* list, const std::vector<int>& values, int value) {
    for (std::size_t i = 0; i < values.size(); ++i)
        if (values[i] == value) {
            list->SetItemIndex(int(i));
            return;
        }
    list->SetItemIndex(-1);
}

int TdeDocumentDlg::SelectedValue(TComboBox* list, const std::vector<int>& values, int fallback) {
    int i = list->ItemIndex();
    return i >= 0 && i < int(values.size()) ? values[std::size_t(i)] : fallback;
}

void TdeDocumentDlg::RemoveItem(TComboBox* list, std::vector<int>& values, const std::string& text) {
    int i = list->Items()->IndexOf(text);
    if (i < 0) return;
    list->Items()->Delete(i);
    values.erase(values.begin() + i);
}
