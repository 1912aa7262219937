#pragma once
// The HTML renderer: a played snapshot becomes web pages, one file per
// report page. Every text run is an absolutely positioned block, pictures
// are JPEG files, lines and boxes are stretched single-colour GIF pictures,
// and a small script links each page to the previous and the next one.

#include <string>

#include "report/Render.h"

class TVzRenderHTML : public TVPRenderStream {
public:
    explicit TVzRenderHTML(TComponent* owner);

    // Folder of the picture files; empty: the current folder.
    std::string CacheDir;
    // Pictures and colour boxes are referred to by server paths and colour
    // boxes are not written.
    bool ServerMode = false;
    bool UseBreakingSpaces = false;

    // The page file name with "{%PAGENO%}" in place of the page number.
    std::string PageURLTemplate;
    std::string HeadTemplate;
    std::string FootTemplate;
    // Written before the navigation script in place of the head template
    // when not empty.
    std::string CustomHead;

    int PictureCounter() const { return pictureCounter_; }
    double MaxY() const { return maxY_; }

    void BeginDoc() override;
    void BeginPage() override;
    void EndPage() override;
    void MoveTo(double x, double y) override;
    void LineTo(double x, double y) override;
    void PrintLeft(const std::string& text, double x, double y) override;
    void PrintCenter(const std::string& text, double x, double y) override;
    void PrintRight(const std::string& text, double x, double y) override;
    void PrintBlock(const std::string& text, double x, double y, double width) override;
    // Advances the position by the distance along the text angle and prints
    // the text right-aligned there (leading blanks as fixed spaces).
    void AdvanceAndPrint(TPosition& position, double distance, const std::string& text);
    void Rectangle(double x1, double y1, double x2, double y2) override;
    void FillRect(const TRect& r) override;
    void PrintBitmapRect(double x1, double y1, double x2, double y2, TBitmap* bitmap) override;
    void StretchDraw(const TRect& r, TGraphic* graphic) override;
    void RenderToFile(TStream* stream, const std::string& fileName) override;

    // Pixels at 96 per inch.
    static int P(double inches);
    // Text escaped for HTML content and attribute values.
    static std::string EscapeHTML(const std::string& text);
    // The 78-byte GIF of 2 x 2 pixels in one colour.
    static std::string ColorGIF(TColor color);

private:
    enum class TBlockAlign { Left, Center, Right };
    std::string ReplaceVariables(const std::string& text) const;
    std::string FontStyle() const;
    // Escaped content with blanks turned into fixed spaces as configured;
    // with `forceLeading` the leading blanks always are.
    std::string TextContent(const std::string& text, bool forceLeading) const;
    std::string WithLink(const std::string& content) const;
    void WriteBlock(const std::string& content, TBlockAlign align, double left, double top, double width,
                    double height);
    void WriteScript();
    void ColorBox(TColor color, double x, double y, double width, double height);
    std::string PictureFolder() const;
    std::string UniquePictureName();
    void PictureBlock(TGraphic* graphic, double x1, double y1, double x2, double y2);
    int PageCount() const;

    int pictureCounter_ = 0;
    double maxY_ = 0;
    bool ownsPageFile_ = false;
    double curX_ = 0, curY_ = 0;
    std::string pageFolder_;  // folder of the page files ("" : current folder)
    int lastPageCount_ = 0;
    bool pagePlayed_ = false;
};
