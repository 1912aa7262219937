#include "docexport/deDocEngIntf.h"

namespace {

class TdeEngineInterface final : public IdeDocumentEngine {
public:
    explicit TdeEngineInterface(TdeCustomDocumentEngine* e) : e_(e) {}

    bool QueryInterface(const std::string& id, IdeDocumentEngine** out) override {
        const bool ours = id.find_first_not_of("0-{}") == std::string::npos;  // the all-zero identifier
        if (out) *out = ours ? this : nullptr;
        return ours;
    }
    int AddRef() override { return -1; }
    int Release() override { return -1; }

    TColor BackgroundColor() override { return e_->BackgroundColor(); }
    TPicture* BackgroundImage() override { return e_->BackgroundImage(); }
    TdeBackgroundDisplayType BackgroundImageDisplayType() override { return e_->BackgroundImageDisplayType(); }
    TBrush* Brush() override { return e_->Brush(); }
    TFont* DefaultFont() override { return e_->DefaultFont(); }
    std::string FileDescription() override { return e_->FileDescription(); }
    TdeDocInfo* DocInfo() override { return e_->DocInfo(); }
    std::string FileExtension() override { return e_->FileExtension(); }
    std::string FileName() override { return e_->FileName(); }
    TFont* Font() override { return e_->Font(); }
    TdeFrame* Frame() override { return e_->Frame(); }
    TdeImageSettings* ImageSettings() override { return e_->ImageSettings(); }
    TdePageSettings* Page() override { return e_->Page(); }
    TdeBorder* PageBorder() override { return e_->PageBorder(); }
    TPen* Pen() override { return e_->Pen(); }
    TdePreferences* Preferences() override { return e_->Preferences(); }
    TdeTableSettings* TableSettings() override { return e_->TableSettings(); }
    TdeTextFormatting* TextFormatting() override { return e_->TextFormatting(); }

    void SetBackgroundColor(TColor c) override { e_->SetBackgroundColor(c); }
    void SetBackgroundImage(const TPicture* p) override { e_->BackgroundImage()->Assign(p); }
    void SetBackgroundImageDisplayType(TdeBackgroundDisplayType t) override {
        e_->SetBackgroundImageDisplayType(t);
    }
    void SetBrush(const TBrush* b) override {
        if (b) e_->Brush()->Assign(*b);
    }
    void SetDefaultFont(const TFont* f) override {
        if (f) e_->DefaultFont()->Assign(*f);
    }
    void SetFileDescription(const std::string& d) override { e_->SetFileDescription(d); }
    void SetDocInfo(const TdeDocInfo* d) override {
        if (d) e_->DocInfo()->Assign(d);
    }
    void SetFileExtension(const std::string& x) override { e_->SetFileExtension(x); }
    void SetFileName(const std::string& n) override { e_->SetFileName(n); }
    void SetFont(const TFont* f) override {
        if (f) e_->Font()->Assign(*f);
    }
    void SetFrame(const TdeFrame* f) override {
        if (f) e_->Frame()->Assign(f);
    }
    void SetImageSettings(const TdeImageSettings* s) override {
        if (s) e_->ImageSettings()->Assign(s);
    }
    void SetPage(const TdePageSettings* p) override {
        if (p) e_->Page()->Assign(p);
    }
    void SetPageBorder(TdeBorder* b) override { e_->SetPageBorder(b); }
    void SetPen(const TPen* p) override {
        if (p) e_->Pen()->Assign(*p);
    }
    void SetPreferences(const TdePreferences* p) override {
        if (p) e_->Preferences()->Assign(p);
    }
    void SetTableSettings(const TdeTableSettings* s) override {
        if (s) e_->SetTableSettings(*s);
    }
    void SetTextFormatting(const TdeTextFormatting* f) override {
        if (f) e_->SetTextFormatting(*f);
    }

    void BeginDoc() override { e_->BeginDoc(); }
    void EndDoc() override { e_->EndDoc(); }
    void NewPage() override { e_->NewPage(); }
    void TaggedTextOut(const std::string& t, double x, double y) override { e_->TaggedTextOut(t, x, y); }
    void AngledTextOut(const std::string& t, int d, double x, double y) override { e_->AngledTextOut(t, d, x, y); }
    void TextOut(const std::string& t, double x, double y) override { e_->TextOut(t, x, y); }
    void TableCellText(int c, const std::string& t) override { e_->TableCellText(c, t); }
    double ParagraphText(const std::string& t) override { return e_->ParagraphText(t); }
    void TextRect(const TdeRect& r, const std::string& t, double x, double y) override { e_->TextRect(r, t, x, y); }
    void RenderRichText(TObject* c, Integer s, double x1, double y1, double x2, double y2, Integer e,
                        TColor b) override {
        e_->RenderRichText(c, s, x1, y1, x2, y2, e, b);
    }
    void RenderRichTextFile(const std::string& f, Integer s, double x1, double y1, double x2, double y2, Integer e,
                            TColor b) override {
        e_->RenderRichTextFile(f, s, x1, y1, x2, y2, e, b);
    }
    void RenderRichTextStream(TStream& st, Integer s, double x1, double y1, double x2, double y2, Integer e,
                              TColor b) override {
        e_->RenderRichTextStream(st, s, x1, y1, x2, y2, e, b);
    }
    void TextBox(const TdeRect& r, const std::string& t, TdeHAlignment h, TdeVAlignment v) override {
        e_->TextBox(r, t, h, v);
    }
    Integer SetRotation(Integer a) override { return e_->SetRotation(a); }
    void SetTextAlignment(TdeHAlignment a) override { e_->SetTextAlignment(a); }
    void DrawImageStream(const TdeRect& r, Integer w, Integer h, TStream& s) override {
        e_->DrawImageStream(r, w, h, s);
    }
    void DrawGraphicStream(const TdeRect& r, TGraphic* g) override { e_->DrawGraphicStream(r, g); }
    void DrawImage(double x, double y, TGraphic* g) override { e_->DrawImage(x, y, g); }
    void DrawImageRect(const TdeRect& r, TGraphic* g) override { e_->DrawImageRect(r, g); }
    void DrawImageIndex(const TdeRect& r, Integer i) override { e_->DrawImageIndex(r, i); }
    void TableCellImage(int c, TGraphic* g, double w, double h) override { e_->TableCellImage(c, g, w, h); }
    Integer AddImage(TGraphic* g) override { return e_->AddImage(g); }
    void Line(double x1, double y1, double x2, double y2) override { e_->Line(x1, y1, x2, y2); }
    void Rectangle(double x1, double y1, double x2, double y2, bool f) override { e_->Rectangle(x1, y1, x2, y2, f); }
    void RoundRect(double x1, double y1, double x2, double y2, double cw, double ch, bool f) override {
        e_->RoundRect(x1, y1, x2, y2, cw, ch, f);
    }
    void Ellipse(double x1, double y1, double x2, double y2, bool f) override { e_->Ellipse(x1, y1, x2, y2, f); }
    void Polygon(const TdePoints& p, bool f) override { e_->Polygon(p, f); }
    void PolyLine(const TdePoints& p) override { e_->PolyLine(p); }
    void Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) override {
        e_->Arc(x1, y1, x2, y2, x3, y3, x4, y4);
    }
    void Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
             bool f) override {
        e_->Pie(x1, y1, x2, y2, x3, y3, x4, y4, f);
    }
    void Chord(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
               bool f) override {
        e_->Chord(x1, y1, x2, y2, x3, y3, x4, y4, f);
    }
    void PolyBezier(const TdePoints& p) override { e_->PolyBezier(p); }
    void BeginPara() override { e_->BeginPara(); }
    void EndPara() override { e_->EndPara(); }
    std::vector<TdeColumn*> BeginTable(double x, double y, int n) override { return e_->BeginTable(x, y, n); }
    double NewRow(double h) override { return e_->NewRow(h); }
    double NewRowAuto() override { return e_->NewRowAuto(); }
    void EndTable() override { e_->EndTable(); }
    void PlayMetafile(const TMetafile& m) override { e_->PlayMetafile(m); }
    void StretchGraphic(const TdeRect& r, TGraphic* g) override { e_->StretchGraphic(r, g); }
    void PlayMetafileAt(const TMetafile& m, double x, double y) override { e_->PlayMetafileAt(m, x, y); }
    void BeginHeader() override { e_->BeginHeader(); }
    void EndHeader() override { e_->EndHeader(); }
    void ClearHeader() override { e_->ClearHeader(); }
    void BeginFooter() override { e_->BeginFooter(); }
    void EndFooter() override { e_->EndFooter(); }
    void ClearFooter() override { e_->ClearFooter(); }
    void BeginUnderlay() override { e_->BeginUnderlay(); }
    void EndUnderlay() override { e_->EndUnderlay(); }
    void ClearUnderlay() override { e_->ClearUnderlay(); }
    void BeginOverlay() override { e_->BeginOverlay(); }
    void EndOverlay() override { e_->EndOverlay(); }
    void ClearOverlay() override { e_->ClearOverlay(); }
    Integer SaveState() override { return e_->SaveState(); }
    void RestoreState(Integer i) override { e_->RestoreState(i); }
    void ClearStates() override { e_->ClearStates(); }
    void GotoPage(Integer p) override { e_->GotoPage(p); }
    TSize TextExtent(const std::string& t, const TFont& f) override { return e_->TextExtent(t, f); }

private:
    TdeCustomDocumentEngine* e_;
};

}  // namespace

IdeDocumentEngine* TdeCustomDocumentEngine::DocumentInterface() {
    if (!interface_) interface_ = std::make_shared<TdeEngineInterface>(this);
    return interface_.get();
}
