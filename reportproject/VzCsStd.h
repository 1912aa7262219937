#pragma once
// The standard printable components of a report page: single-line text,
// multi-line memo (wrapped by the memo printer, continued on the next page
// when it does not fit), a free-drawing section whose script draws on the
// report, bitmap and metafile images placed by a matching rule, a shared
// font, and the page-number initialiser.

#include <memory>
#include <string>
#include <vector>

#include "platform/gui/Bitmap.h"
#include "platform/gui/Graphics.h"
#include "report/ReportDefs.h"
#include "reportproject/VzControl.h"
#include "reportproject/VzEvents.h"
#include "reportproject/VzFiler.h"

class TBaseReport;
class TMemoBuf;
class TVizeBaseDataView;

// Text justification (the report library's TPrintJustify order).
inline const std::vector<std::string> VizeJustifyNames = {"pjCenter", "pjLeft", "pjRight", "pjBlock"};

// A font as a project stream stores it.
class TVizeFont : public TVizePersistent {
public:
    static TVizeClassRef StaticClass();
    TVizeClassRef VizeClass() const override { return StaticClass(); }
    TVizeFont();

    const TFont& Font() const { return font_; }
    TFont& Font() { return font_; }
    const std::string& Name() const { return font_.Name(); }
    void SetName(const std::string& v) { font_.SetName(v); }
    Int64 Size() const { return font_.Size(); }
    void SetSize(Int64 v) { font_.SetSize(int(v)); }
    Int64 Style() const { return font_.Style(); }
    void SetStyle(Int64 v) { font_.SetStyle(TFontStyles(v) & 15); }
    Int64 Color() const { return font_.Color(); }
    void SetColor(Int64 v) { font_.SetColor(TColor(v)); }
    void Assign(const TVizeFont& other) { font_.Assign(other.font_); }

private:
    TFont font_;
};

class TVizeFontMaster : public TVizeComponent {
    VIZE_CLASS(TVizeFontMaster)
public:
    explicit TVizeFontMaster(TComponent* owner);
    TVizeFont* Font() const { return font_.get(); }
    void SetFont(TVizeFont* f);

private:
    std::unique_ptr<TVizeFont> font_;
};

class TVizePageNumInit : public TVizeComponent {
    VIZE_CLASS(TVizePageNumInit)
public:
    explicit TVizePageNumInit(TComponent* owner);
    ~TVizePageNumInit() override;
    Int64 InitValue() const { return initValue_; }
    void SetInitValue(Int64 v) { initValue_ = Integer(v); }
    TVizeBaseDataView* InitDataView() const { return initDataView_; }
    void SetInitDataView(TVizeBaseDataView* v);
    const std::string& InitDataField() const { return initDataField_; }
    void SetInitDataField(const std::string& v) { initDataField_ = v; }
    // Makes the current page print as the initial number.
    void PrintSelf(TBaseReport* report) override;
    void ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) override;

private:
    Integer initValue_ = 1;
    TVizeBaseDataView* initDataView_ = nullptr;
    std::string initDataField_;
};

class TVizeCustomText : public TVizeControl {
    VIZE_CLASS(TVizeCustomText)
public:
    explicit TVizeCustomText(TComponent* owner);
    ~TVizeCustomText() override;

    TVizeFont* Font() const { return font_.get(); }
    void SetFont(TVizeFont* f);
    Int64 FontJustify() const { return fontJustify_; }
    void SetFontJustify(Int64 j);
    TVizeFontMaster* FontMirror() const { return fontMirror_; }
    void SetFontMirror(TVizeFontMaster* m);
    TVizeStringEvent* OnGetText() const { return onGetText_; }
    void SetOnGetText(TVizeStringEvent* e);
    bool BracketText() const { return bracketText_; }
    void SetBracketText(bool v) { bracketText_ = v; }
    const std::string& StoredText() const { return text_; }

    std::string GetText() const override { return text_; }
    void SetText(const std::string& v) override;
    void SetForeColor(Integer colour) override;
    Integer GetForeColor() const override;
    Int64 ColorOrd() const { return GetForeColor(); }
    void SetColorOrd(Int64 v) { SetForeColor(Integer(v)); }
    // Null while a font master is named.
    virtual TVizeFont* GetFont() const;
    // The font the text prints and measures with.
    const TFont& PrintFont() const;
    // Copies parts of font (0 all but strike-out, 1 name, 2 size, 3 bold,
    // 4 italic, 5 underline).
    virtual void ApplyFont(int part, const TFont& font);
    void ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) override;

protected:
    // Draws lines of text in the designer, one below the other from the
    // control's top, aligned by FontJustify and framed by brackets when
    // BracketText is set.
    void DrawText(TCanvas* canvas, const std::vector<std::string>& lines) const;
    // The text passed through OnGetText.
    std::string TextWithEvent(const std::string& text);
    void Notification(TComponent* component, TOperation operation) override;

private:
    std::unique_ptr<TVizeFont> font_;
    Int64 fontJustify_ = pjLeft;
    TVizeFontMaster* fontMirror_ = nullptr;
    TVizeStringEvent* onGetText_ = nullptr;
    std::string text_;
    bool bracketText_ = false;
};

class TVizeText : public TVizeCustomText {
    VIZE_CLASS(TVizeText)
public:
    explicit TVizeText(TComponent* owner);
    bool Truncate() const { return truncate_; }
    void SetTruncate(bool v) { truncate_ = v; }
    Int64 Rotation() const { return rotation_; }
    void SetRotation(Int64 v) { rotation_ = Integer(v); }
    // The height follows the font: |size| / 60 inch.
    double GetHeight() const override;
    void PrintSelf(TBaseReport* report) override;
    void PaintSelf(TCanvas* canvas) override;

private:
    bool truncate_ = false;
    Integer rotation_ = 0;
};

class TVizePrintEvent : public TVizeSimpleEvent {
public:
    static TVizeClassRef StaticClass();
    TVizeClassRef VizeClass() const override { return StaticClass(); }
    TBaseReport* Report = nullptr;
    bool SuspendAllowed() const override { return true; }
    void PushParams(TVizeModule& module) override;
    std::string ParamDeclaration() const override { return "Report: TBaseReport"; }
};

class TVizeSection : public TVizeContainerControl {
    VIZE_CLASS(TVizeSection)
public:
    explicit TVizeSection(TComponent* owner);
    ~TVizeSection() override;
    bool WasteFit() const { return wasteFit_; }
    void SetWasteFit(bool v) { wasteFit_ = v; }
    TVizePrintEvent* OnPrint() const { return onPrint_; }
    void SetOnPrint(TVizePrintEvent* e);

    bool IsPrintComplete() override;
    void BeforePrint() override;
    void PrintSelf(TBaseReport* report) override;
    void PaintSelf(TCanvas* canvas) override;

protected:
    // A dotted frame over the control in colour, with a clear brush.
    void PaintDottedFrame(TCanvas* canvas, TColor colour) const;

private:
    bool wasteFit_ = false;
    TVizePrintEvent* onPrint_ = nullptr;
};

enum TMatchSide { msWidth, msHeight, msBoth, msInside };

// Places an image of iw x ih pixels in (x1, y1, x2, y2) by the matching
// rule; x2 or y2 change. Integer mode truncates as pixel arithmetic does.
void PlaceImage(TMatchSide side, double x1, double y1, double& x2, double& y2, int iw, int ih, bool integer);

class TVizeBaseImage : public TVizeControl {
    VIZE_CLASS(TVizeBaseImage)
public:
    explicit TVizeBaseImage(TComponent* owner);
    ~TVizeBaseImage() override;
    Int64 MatchSide() const { return matchSide_; }
    void SetMatchSide(Int64 v) {
        if (IsMemberOrdinal(v, msInside)) matchSide_ = TMatchSide(v);
    }
    const std::string& FileLink() const { return fileLink_; }
    void SetFileLink(const std::string& v);
    const std::string& DataField() const { return dataField_; }
    void SetDataField(const std::string& v) { dataField_ = v; }
    TVizeBaseDataView* DataView() const { return dataView_; }
    void SetDataView(TVizeBaseDataView* v);

    void LoadImageFile(const std::string& name);
    virtual void LoadImageStream(TStream& stream) = 0;
    virtual bool HasImage() const = 0;
    virtual void ReleaseLoadedImage() = 0;
    virtual int ImageWidth() const = 0;
    virtual int ImageHeight() const = 0;
    virtual void PrintImage(TBaseReport* report, double x1, double y1, double x2, double y2) = 0;
    // Draws the loaded image stretched over rect (canvas pixels).
    virtual void PaintImage(TCanvas* canvas, const TRect& rect) = 0;
    virtual std::string ImageName() const;
    virtual std::string ImageFilter() const;

    void PrintSelf(TBaseReport* report) override;
    void PaintSelf(TCanvas* canvas) override;
    void ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TMatchSide matchSide_ = msWidth;
    std::string fileLink_;
    std::string dataField_;
    TVizeBaseDataView* dataView_ = nullptr;
};

class TVizeGraphicImage : public TVizeBaseImage, public IVizeDefinesProperties {
    VIZE_CLASS(TVizeGraphicImage)
public:
    explicit TVizeGraphicImage(TComponent* owner);
    ~TVizeGraphicImage() override;
    // The stored image (created empty).
    TGraphic* Image();
    // Copies g into a fresh stored image.
    void SetImage(const TGraphic* g);
    TGraphic* CurrentImage() const { return loaded_ ? loaded_.get() : image_.get(); }

    void LoadImageStream(TStream& stream) override;
    void ReleaseLoadedImage() override { loaded_.reset(); }
    int ImageWidth() const override { return CurrentImage() ? CurrentImage()->Width() : 0; }
    int ImageHeight() const override { return CurrentImage() ? CurrentImage()->Height() : 0; }
    void PaintImage(TCanvas* canvas, const TRect& rect) override;
    // The stored image travels as its file bytes.
    void DefineProperties(TVizeFiler& filer) override;

protected:
    virtual std::unique_ptr<TGraphic> CreateGraphic() const = 0;

private:
    std::unique_ptr<TGraphic> image_;
    std::unique_ptr<TGraphic> loaded_;
};

class TVizeBitmap : public TVizeGraphicImage {
    VIZE_CLASS(TVizeBitmap)
public:
    using TVizeGraphicImage::TVizeGraphicImage;
    bool HasImage() const override;
    void PrintImage(TBaseReport* report, double x1, double y1, double x2, double y2) override;
    std::string ImageName() const override;
    std::string ImageFilter() const override;

protected:
    std::unique_ptr<TGraphic> CreateGraphic() const override;
};

class TVizeMetaFile : public TVizeGraphicImage {
    VIZE_CLASS(TVizeMetaFile)
public:
    using TVizeGraphicImage::TVizeGraphicImage;
    bool HasImage() const override;
    void PrintImage(TBaseReport* report, double x1, double y1, double x2, double y2) override;
    std::string ImageName() const override;
    std::string ImageFilter() const override;

protected:
    std::unique_ptr<TGraphic> CreateGraphic() const override;
};

class TVizeMailMergeItem : public TVizePersistent {
public:
    static TVizeClassRef StaticClass();
    TVizeClassRef VizeClass() const override { return StaticClass(); }
    std::string SearchToken;
    std::string ReplaceString;
    bool CaseMatters = false;
};

class TVizeMailMergeList : public TVizePersistentList {
public:
    static TVizeClassRef StaticClass();
    TPersistent* CreateItem(const std::string& className, TComponent* owner) override;
    TVizeMailMergeItem* Item(int index) const { return static_cast<TVizeMailMergeItem*>(Items(index)); }
};

class TVizeMemo : public TVizeCustomText {
    VIZE_CLASS(TVizeMemo)
public:
    explicit TVizeMemo(TComponent* owner);
    ~TVizeMemo() override;

    bool ExpandParent() const { return expandParent_; }
    void SetExpandParent(bool v) { expandParent_ = v; }
    bool Truncate() const { return truncate_; }
    void SetTruncate(bool v) { truncate_ = v; }
    bool ContainsRTF() const { return containsRTF_; }
    void SetContainsRTF(bool v) { containsRTF_ = v; }
    TVizeMailMergeList* MailMergeItems() const { return mailMerge_.get(); }
    void SetMailMergeItems(TVizeMailMergeList* list);
    TMemoBuf* MemoBuf() const { return memoBuf_.get(); }

    void SetText(const std::string& v) override;
    void PrepareMemo();
    void UnprepareMemo();
    void PrintSelf(TBaseReport* report) override;
    void PaintSelf(TCanvas* canvas) override;
    bool IsPrintComplete() override;
    void PrepareContent() override;
    double RequiredHeight() const override;
    void BeforeReport() override;
    void AfterReport() override;

private:
    bool prepared_ = false;
    bool expandParent_ = true;
    bool truncate_ = false;
    TVizeAnchor savedAnchor_ = 0;
    std::unique_ptr<TMemoBuf> memoBuf_;
    std::unique_ptr<TVizeMailMergeList> mailMerge_;
    bool containsRTF_ = false;
    // The designer's lines, laid out again when what they were laid out
    // from (text, width, font) changes.
    std::vector<std::string> designLines_;
    std::string designKey_;
};

// The report canvas of the project's run in progress, or null.
TBaseReport* ProjectReport(const TVizeComponent* c);
// True while the project the component belongs to is printing.
bool ProjectPrinting(const TVizeComponent* c);

// Start-up: registers the standard components.
void InitializeVzCsStd();
