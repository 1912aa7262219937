#pragma once
// The report export bridge: a renderer of the report library that plays a
// report snapshot into a document engine, listed in the renderer registry
// under the engine's file description, and the export component that owns
// it.

#include <string>

#include "docexport/deXportIntf.h"
#include "report/Render.h"

class TdeVizeExportInterface;

class TdeVizeXport : public TVPRenderStream {
public:
    // owner: the export component that created it, or none.
    explicit TdeVizeXport(TComponent* owner);

    TdeExportInterface* Owner() const { return owner_; }
    TdeCustomDocumentEngine* BoundEngine() const { return engine_; }
    // Engine given: measures in inches and is listed under the engine's file
    // description; none: listed as "VPRender" ("*.vsf") and draws nothing.
    void BindEngine(TdeCustomDocumentEngine* engine);

    void BeginDoc() override;
    void EndDoc() override;
    void BeginPage() override;
    void EndPage() override {}
    void MoveTo(double x, double y) override;
    void LineTo(double x, double y) override;
    void Rectangle(double x1, double y1, double x2, double y2) override;
    void Ellipse(double x1, double y1, double x2, double y2) override;
    void RoundRect(double x1, double y1, double x2, double y2, double x3, double y3) override;
    void Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) override;
    void Chord(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) override;
    void Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) override;
    void Polygon(const std::vector<std::pair<double, double>>& points) override;
    void PolyLine(const std::vector<std::pair<double, double>>& points) override;
    void FillRect(const TRect& r) override;
    void Draw(double x, double y, TGraphic* graphic) override;
    void PrintBitmapRect(double x1, double y1, double x2, double y2, TBitmap* bitmap) override;
    void PrintBitmap(double x, double y, double scaleX, double scaleY, TBitmap* bitmap) override;
    void StretchDraw(const TRect& r, TGraphic* graphic) override;
    void PrintLeft(const std::string& text, double x, double y) override;
    void PrintRight(const std::string& text, double x, double y) override;
    void PrintCenter(const std::string& text, double x, double y) override;
    void TextRect(const TRect& r, double x, double y, const std::string& text) override;
    void PrintBlock(const std::string& text, double x, double y, double width) override;
    // Advances (x, y) along the text angle by distance (inches) and prints
    // the text right-aligned there.
    void AdvanceAndPrint(double& x, double& y, double distance, const std::string& text);

private:
    IdeDocumentEngine* Intf() const;
    bool Ready() const { return engine_ && converter_; }
    bool Fill() const;
    void UsePen();
    void UsePenAndBrush();
    // Font, clear brush, rotation and alignment of a text record; Y moved
    // for subscript and superscript when scripts is set.
    void PrepareText(double& y, TdeHAlignment align, bool setAlign, bool scripts);
    // Runs body with the engine measuring in points.
    template <class F>
    void InPoints(F body);

    TdeExportInterface* owner_ = nullptr;
    TdeCustomDocumentEngine* engine_ = nullptr;
    bool firstPage_ = true;
};

class TdeVizeExportInterface : public TdeExportInterface {
public:
    explicit TdeVizeExportInterface(TComponent* owner);
    ~TdeVizeExportInterface() override;

    TdeVizeXport* Renderer() const { return renderer_; }

protected:
    void BindRenderer(TdeCustomDocumentEngine* engine) override;

private:
    TdeVizeXport* renderer_;  // owned as a component
};
