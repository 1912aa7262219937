// Drawing components: the pen and the shapes they print.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "report/VSFWriter.h"
#include "reportproject/VzCsDraw.h"

namespace {

// Records the drawing calls instead of writing them.
class TRecorder : public TVzVSFWriter {
public:
    TRecorder() : TVzVSFWriter(nullptr) {}
    std::vector<std::string> calls;
    void SetPen(TColor c, TPenStyle s, int w, TPenMode) override {
        calls.push_back("pen " + std::to_string(c) + " " + std::to_string(s) + " " + std::to_string(w));
    }
    void SetBrush(TColor c, TBrushStyle s, TBitmap*) override {
        calls.push_back("brush " + std::to_string(c) + " " + std::to_string(s));
    }
    void MoveTo(double x, double y) override { calls.push_back("move " + Pt(x, y)); }
    void LineTo(double x, double y) override { calls.push_back("line " + Pt(x, y)); }
    void Rectangle(double a, double b, double c, double d) override { calls.push_back("rect " + Pt(a, b) + Pt(c, d)); }
    void RoundRect(double a, double b, double c, double d, double e, double f) override {
        calls.push_back("round " + Pt(a, b) + Pt(c, d) + Pt(e, f));
    }
    void Ellipse(double a, double b, double c, double d) override { calls.push_back("ellipse " + Pt(a, b) + Pt(c, d)); }
    static std::string Pt(double x, double y) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "(%g,%g)", x, y);
        return buf;
    }
};

}  // namespace

TEST(Drawing, PensAndShapes) {
    TVizePage page(nullptr);
    auto* line = new TVizeLine(&page);
    line->SetParent(&page);
    line->SetBoundsRect({1, 1, 3, 2});
    line->SetNESW(true);
    line->SetLineWidthType(wtPoints);
    line->SetLineWidth(2);
    auto* thin = new TVizeHLine(&page);
    thin->SetParent(&page);
    thin->SetLineWidth(0);
    auto* rect = new TVizeRectangle(&page);
    rect->SetParent(&page);
    rect->SetHRadius(0.1);  // one radius only: square corners
    rect->SetFillStyle(fsNone);
    auto* round = new TVizeSquare(&page);
    round->SetParent(&page);
    round->SetHRadius(0.1);
    round->SetVRadius(0.2);
    auto* circle = new TVizeCircle(&page);
    circle->SetParent(&page);
    circle->SetBackColor(0x00FF00);
    page.SaveDesignState();

    TRecorder report;
    page.Print(&report);
    std::vector<std::string> expected = {
        "pen 0 0 -10278", "move (1,2)", "line (3,1)",  // 2 points = 278 ten-thousandths
        "pen 0 5 0", "move (0,0)", "line (1,0)",       // width 0: a clear pen
        "pen 0 0 1", "brush 16777215 1", "rect (0,0)(2,1)",
        "pen 0 0 1", "brush 16777215 0", "round (0,0)(1,1)(0.2,0.4)",
        "pen 0 0 1", "brush 65280 0", "ellipse (0,0)(1,1)",
    };
    EXPECT_EQ(report.calls, expected);
}

TEST(Drawing, WidePensAreSolidAndSquaresStaySquare) {
    TVizeLine line(nullptr);
    line.SetLineStyle(psDot);
    line.SetLineWidth(3);
    EXPECT_EQ(line.GetLineStyle(), psSolid);
    line.SetLineStyle(psDot);  // chosen afterwards: kept
    EXPECT_EQ(line.GetLineStyle(), psDot);

    TVizeSquare square(nullptr);
    square.SetBoundsFromPoints({1, 1}, {4, 2});
    EXPECT_EQ(square.GetWidth(), 1);
    EXPECT_EQ(square.GetHeight(), 1);
    square.SetBoundsFromPoints({1, 1}, {0, -2});  // up and left: signs kept
    EXPECT_EQ(square.GetLeft(), 0);
    EXPECT_EQ(square.GetTop(), 0);
    TVizeHLine h(nullptr);
    h.SetBoundsFromPoints({1, 1}, {3, 2});
    EXPECT_EQ(h.GetHeight(), 0);
}
