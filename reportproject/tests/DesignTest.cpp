// The design-time side of report controls, driven the way a page designer
// drives it: sizing handles shown, dragged past the opposite edge and
// hidden after a change; hit tests and constrained moves; and the pixels
// that controls and drawing components paint on an offscreen canvas.
#include <cmath>
#include <vector>

#include <QImage>
#include <gtest/gtest.h>

#include "platform/gui/Canvas.h"
#include "reportproject/VzCsDraw.h"
#include "reportproject/VzDesigner.h"
#include "reportproject/tests/DesignSupport.h"

namespace {

// A designer that also remembers which handles the drags went on with.
class TTestDesigner : public TVizePageDesigner {
public:
    std::vector<int> continued;
    void DragContinues(TVizeControl* control, int handle) override {
        TVizePageDesigner::DragContinues(control, handle);
        continued.push_back(handle);
    }
};

// A container that keeps one chosen child out of the designer.
class TShyContainer : public TVizeContainerControl {
public:
    using TVizeContainerControl::TVizeContainerControl;
    const TVizeComponent* hidden = nullptr;
    bool ChildShownInDesigner(const TVizeComponent* child) const override {
        return child != hidden && TVizeContainerControl::ChildShownInDesigner(child);
    }
};

// A page shown by the remembering designer.
class Design : public TDesignedPage<TTestDesigner> {};

void ExpectRect(const TVizeControl& c, TVizeRect r, const char* what) {
    EXPECT_NEAR(c.GetLeft(), r.Left, 1e-9) << what;
    EXPECT_NEAR(c.GetTop(), r.Top, 1e-9) << what;
    EXPECT_NEAR(c.GetRight(), r.Right, 1e-9) << what;
    EXPECT_NEAR(c.GetBottom(), r.Bottom, 1e-9) << what;
}

}  // namespace

TEST_F(Design, HandlesSitOnThePageRectangleWithTheirCursors) {
    auto* box = Add<TVizeContainerControl>(&page, {0.5, 0.5, 4, 4});
    auto* control = Add<TVizeContainerControl>(box, {1, 1, 3, 2});
    control->ShowHandles();
    // Page rectangle (1.5, 1.5) to (3.5, 2.5).
    std::vector<TVizeHandle> eight = {
        {0, {1.5, 1.5}, crSizeNWSE}, {1, {2.5, 1.5}, crSizeNS}, {2, {3.5, 1.5}, crSizeNESW},
        {3, {1.5, 2.0}, crSizeWE},   {4, {3.5, 2.0}, crSizeWE}, {5, {1.5, 2.5}, crSizeNESW},
        {6, {2.5, 2.5}, crSizeNS},   {7, {3.5, 2.5}, crSizeNWSE}};
    EXPECT_EQ(designer.HandleOwner(), control);
    EXPECT_EQ(designer.Handles(), eight);

    // A NESW line: handle 0 at its lower-left start, 1 at its upper-right end.
    auto* line = Add<TVizeLine>(box, {1, 1, 3, 2});
    line->SetNESW(true);
    line->ShowHandles();
    std::vector<TVizeHandle> ends = {{0, {1.5, 2.5}, crCross}, {1, {3.5, 1.5}, crCross}};
    EXPECT_EQ(designer.Handles(), ends);

    // Squares and circles: the corners only.
    TVizeControl* shapes[] = {Add<TVizeSquare>(box, {1, 1, 2, 2}), Add<TVizeCircle>(box, {1, 1, 2, 2})};
    for (TVizeControl* shape : shapes) {
        shape->ShowHandles();
        std::vector<TVizeHandle> corners = {{0, {1.5, 1.5}, crSizeNWSE}, {2, {2.5, 1.5}, crSizeNESW},
                                            {5, {1.5, 2.5}, crSizeNESW}, {7, {2.5, 2.5}, crSizeNWSE}};
        EXPECT_EQ(designer.Handles(), corners) << shape->VizeClass()->Name();
    }

    // Only the control that shows the handles removes them.
    control->HideHandles();
    EXPECT_EQ(designer.Handles().size(), 4u);
    shapes[1]->HideHandles();
    EXPECT_TRUE(designer.Handles().empty());
    EXPECT_EQ(designer.HandleOwner(), nullptr);
}

TEST_F(Design, AChangeHidesTheHandlesUnlessTheDesignerIsUpdating) {
    auto* control = Add<TVizeControl>(&page, {1, 1, 2, 2});
    int repaints = 0;
    VizeDesigner().DesignMode = true;
    VizeDesigner().CurrentPageDesigner = &designer;
    VizeDesigner().RepaintDesigner = [&] { ++repaints; };

    control->ShowHandles();
    designer.BeginUpdate();
    control->SetLeft(1.5);
    EXPECT_EQ(designer.Handles().size(), 8u);
    EXPECT_EQ(repaints, 0);
    designer.EndUpdate();

    control->SetLeft(2);
    EXPECT_TRUE(designer.Handles().empty());
    EXPECT_EQ(repaints, 1);

    // Out of design mode the designer hears nothing.
    control->ShowHandles();
    VizeDesigner().DesignMode = false;
    control->SetTop(3);
    EXPECT_EQ(designer.Handles().size(), 8u);
    EXPECT_EQ(repaints, 1);
}

TEST_F(Design, DraggingAnEdgePastTheOppositeOneSwapsThemAndTheHandle) {
    struct Step {
        double dx, dy;    // offset from where the drag began
        TVizeRect bounds;  // expected
        int handle;        // the handle the drag goes on with
    };
    struct Case {
        const char* name;
        int handle;
        std::vector<Step> steps;
    };
    // The control starts at (1, 1) to (3, 2).
    const Case cases[] = {
        {"right edge", 4, {{0.5, 9, {1, 1, 3.5, 2}, 4},     // only the right edge moves
                           {-3, 0, {0, 1, 1, 2}, 3},        // across the left edge
                           {-1, 0, {1, 1, 2, 2}, 4},        // and back
                           {-3, 0, {0, 1, 1, 2}, 3}}},
        {"top edge", 1, {{0, 2, {1, 2, 3, 3}, 6}, {0, -0.5, {1, 0.5, 3, 2}, 1}}},
        {"corner", 0, {{3, 2, {3, 2, 4, 3}, 7}, {0.5, 0.5, {1.5, 1.5, 3, 2}, 0}}},
        {"corner across only", 5, {{3, -0.5, {3, 1, 4, 1.5}, 7}}},
    };
    for (const Case& c : cases) {
        designer.continued.clear();
        auto* control = Add<TVizeControl>(&page, {1, 1, 3, 2});
        TVizeDragRecord drag = TVizePageDesigner::StartDrag(*control, c.handle);
        std::vector<int> told;
        int handle = c.handle;
        for (const Step& s : c.steps) {
            control->DragHandle(drag, s.dx, s.dy);
            ExpectRect(*control, s.bounds, c.name);
            EXPECT_EQ(drag.Handle, s.handle) << c.name;
            if (s.handle != handle) told.push_back(s.handle);
            handle = s.handle;
        }
        EXPECT_EQ(designer.continued, told) << c.name;
    }
}

TEST_F(Design, SquaresAndCirclesStaySquareWhileTheirCornersAreDragged) {
    const double offsets[][2] = {{2.1, 0.45}, {-0.3, 1.7}, {-4.2, -1.3}, {-1.45, -5.1}, {0.25, -0.35}, {3.05, 2.9}};
    TVizeControl* shapes[] = {Add<TVizeSquare>(&page, {1, 1, 2, 2}), Add<TVizeCircle>(&page, {1, 1, 2, 2})};
    for (TVizeControl* shape : shapes) {
        for (int handle : {0, 2, 5, 7}) {
            shape->SetBoundsRect({1, 1, 2, 2});
            TVizeDragRecord drag = TVizePageDesigner::StartDrag(*shape, handle);
            for (const auto& o : offsets) {
                shape->DragHandle(drag, o[0], o[1]);
                EXPECT_NEAR(shape->GetWidth(), shape->GetHeight(), 1e-9)
                    << shape->VizeClass()->Name() << " handle " << handle << " by " << o[0] << "," << o[1];
            }
        }
    }
    // The corner opposite the dragged one stays: bottom-right dragged up
    // and left past it.
    auto* square = Add<TVizeSquare>(&page, {1, 1, 2, 2});
    TVizeDragRecord drag = TVizePageDesigner::StartDrag(*square, 7);
    square->DragHandle(drag, -3, -1.5);
    ExpectRect(*square, {0.5, 0.5, 1, 1}, "square");
    EXPECT_EQ(drag.Handle, 0);
}

TEST_F(Design, ALineKeepsItsEndPointsWhenItTurnsOver) {
    auto* line = Add<TVizeLine>(&page, {1, 1, 3, 2});
    TVizeDragRecord drag = TVizePageDesigner::StartDrag(*line, 1);
    auto ends = [&] {
        line->ShowHandles();
        const auto& h = designer.Handles();
        return std::vector<double>{h[0].Position.X, h[0].Position.Y, h[1].Position.X, h[1].Position.Y};
    };

    // The right end dragged above the left one: the same two end points,
    // now bottom-left to top-right.
    line->DragHandle(drag, 0, -2);
    EXPECT_TRUE(line->NESW());
    ExpectRect(*line, {1, 0, 3, 1}, "above");
    EXPECT_EQ(ends(), (std::vector<double>{1, 1, 3, 0}));
    EXPECT_EQ(drag.Handle, 1);

    // On past the left end: the dragged end becomes the left one.
    line->DragHandle(drag, -3, -2);
    EXPECT_FALSE(line->NESW());
    ExpectRect(*line, {0, 0, 1, 1}, "across");
    EXPECT_EQ(ends(), (std::vector<double>{0, 0, 1, 1}));
    EXPECT_EQ(drag.Handle, 0);
    EXPECT_EQ(designer.continued, std::vector<int>{0});

    // Back where it began.
    line->DragHandle(drag, 0, 0);
    EXPECT_FALSE(line->NESW());
    ExpectRect(*line, {1, 1, 3, 2}, "back");
    EXPECT_EQ(drag.Handle, 1);

    // Horizontal and vertical lines swap their ends and handles.
    auto* h = Add<TVizeHLine>(&page, {1, 1, 2, 1});
    drag = TVizePageDesigner::StartDrag(*h, 1);
    h->DragHandle(drag, -2, 5);
    ExpectRect(*h, {0, 1, 1, 1}, "hline");
    EXPECT_EQ(drag.Handle, 0);
    auto* v = Add<TVizeVLine>(&page, {1, 1, 1, 2});
    drag = TVizePageDesigner::StartDrag(*v, 1);
    v->DragHandle(drag, 5, -3);
    ExpectRect(*v, {1, -1, 1, 1}, "vline");
    EXPECT_EQ(drag.Handle, 0);
    EXPECT_FALSE(v->NESW());
}

TEST_F(Design, PointsPlaceLinesAndShapes) {
    auto* line = Add<TVizeLine>(&page, {0, 0, 1, 1});
    line->SetBoundsFromPoints({3, 2}, {1, 1});  // the left point starts it
    ExpectRect(*line, {1, 1, 3, 2}, "line");
    EXPECT_FALSE(line->NESW());
    line->SetBoundsFromPoints({1, 2}, {3, 1});  // the second above the first
    ExpectRect(*line, {1, 1, 3, 2}, "nesw");
    EXPECT_TRUE(line->NESW());

    struct Move {
        TVizeControl* control;
        TVizePoint point, expected;
    };
    const Move moves[] = {
        {Add<TVizeHLine>(&page, {}), {3, 5}, {3, 1}},
        {Add<TVizeVLine>(&page, {}), {3, 5}, {1, 5}},
        {Add<TVizeSquare>(&page, {}), {3, 5}, {3, 3}},     // dx 2 < dy 4: onto the diagonal by dx
        {Add<TVizeCircle>(&page, {}), {4, 2}, {2, 2}},     // else by dy
        {Add<TVizeCircle>(&page, {}), {-2, 0}, {-2, -2}},  // signed offsets
        {Add<TVizeRectangle>(&page, {}), {3, 5}, {3, 5}},
    };
    for (const Move& m : moves) {
        TVizePoint p = m.point;
        m.control->ConstrainMove({1, 1}, p);
        EXPECT_EQ(p.X, m.expected.X) << m.control->VizeClass()->Name();
        EXPECT_EQ(p.Y, m.expected.Y) << m.control->VizeClass()->Name();
    }
}

TEST_F(Design, HitTestsFollowTheDrawnLine) {
    designer.SetPixelsPerInch(100);  // 3 pixels reach 0.03 inch
    auto* box = Add<TShyContainer>(&page, {1, 1, 5, 5});
    auto* line = Add<TVizeLine>(box, {0, 0, 2, 2});  // page (1, 1) to (3, 3)
    auto* across = Add<TVizeHLine>(box, {0, 3, 2, 3});
    auto* down = Add<TVizeVLine>(box, {3, 0, 3, 2});
    auto* shape = Add<TVizeRectangle>(box, {0, 0, 1, 1});
    struct Hit {
        const char* what;
        TVizeControl* control;
        TVizePoint point;
        bool hits;
    };
    const Hit hits[] = {
        {"on the line", line, {2, 2}, true},
        {"near it", line, {2.02, 2}, true},
        {"too far", line, {2.05, 2}, false},
        {"past its end", line, {3.01, 3.01}, false},
        {"in the box, off the line", line, {2.8, 1.2}, false},
        {"hline near", across, {2, 4.029}, true},
        {"hline far", across, {2, 4.04}, false},
        {"hline past its end", across, {3.01, 4}, false},
        {"vline near", down, {3.975, 2}, true},
        {"vline past its end", down, {4, 3.1}, false},
        {"shape edge", shape, {2, 2}, true},
        {"shape outside", shape, {2.001, 1.5}, false},
    };
    for (const Hit& h : hits) EXPECT_EQ(h.control->ContainsPoint(h.point), h.hits) << h.what;

    // A slanted line must cross the rectangle, not only meet its box.
    EXPECT_FALSE(line->IntersectsRect({2.5, 1, 3, 1.5}));
    EXPECT_TRUE(line->IntersectsRect({1.9, 1.5, 2.1, 2.5}));
    EXPECT_TRUE(across->IntersectsRect({1.5, 3.9, 1.6, 4.1}));
    EXPECT_FALSE(across->IntersectsRect({1.5, 4.1, 1.6, 4.2}));
    EXPECT_TRUE(shape->IntersectsRect({1.5, 1.5, 9, 9}));

    // Hidden, or not shown by the parent: no hit.
    line->SetVisible(false);
    EXPECT_FALSE(line->ContainsPoint({2, 2}));
    box->hidden = shape;
    EXPECT_FALSE(shape->ContainsPoint({1.5, 1.5}));
    EXPECT_FALSE(shape->IntersectsRect({1.5, 1.5, 9, 9}));
}

namespace {

class DesignCanvas : public TDesignCanvas<TTestDesigner> {
protected:
    // The painted pixels of column x from y0 to y1 (exclusive).
    int PaintedInColumn(int x, int y0, int y1) const {
        int n = 0;
        for (int y = y0; y < y1; ++y) n += At(x, y) != clWhite;
        return n;
    }
};

}  // namespace

TEST_F(DesignCanvas, ShapesPaintTheirOutlineAndFill) {
    auto* rect = Add<TVizeRectangle>(&page, {1, 1, 3, 2});  // pixels 60..160, 60..110
    rect->SetBackColor(clRed);
    rect->Paint(&canvas);
    EXPECT_EQ(At(60, 60), clBlack);
    EXPECT_EQ(At(160, 110), clBlack);  // right and bottom edges included
    EXPECT_EQ(At(100, 60), clBlack);
    EXPECT_EQ(At(100, 85), clRed);
    EXPECT_EQ(At(161, 85), clWhite);
    EXPECT_EQ(At(100, 111), clWhite);

    // A wide pen moves in so that it stays within the control's pixels.
    image.fill(Qt::white);
    rect->SetLineWidth(5);
    rect->Paint(&canvas);
    for (int x : {60, 64, 156, 160}) EXPECT_EQ(At(x, 85), clBlack) << x;
    for (int x : {59, 65, 155, 161}) EXPECT_NE(At(x, 85), clBlack) << x;
    rect->SetLineWidth(1);

    // Rounded corners: 0.2 inch radii are 20-pixel corner ellipses.
    image.fill(Qt::white);
    rect->SetHRadius(0.2);
    rect->SetVRadius(0.2);
    rect->SetFillStyle(fsNone);
    rect->Paint(&canvas);
    EXPECT_EQ(At(60, 60), clWhite);
    EXPECT_EQ(At(100, 60), clBlack);
    EXPECT_EQ(At(100, 85), clWhite);  // no fill

    image.fill(Qt::white);
    auto* ellipse = Add<TVizeEllipse>(&page, {1, 1, 3, 2});
    ellipse->SetBackColor(clBlue);
    ellipse->SetForeColor(clRed);
    ellipse->Paint(&canvas);
    EXPECT_EQ(At(110, 85), clBlue);
    EXPECT_EQ(At(60, 85), clRed);
    EXPECT_EQ(At(62, 62), clWhite);  // outside, in the box's corner

    // Hidden controls paint nothing.
    image.fill(Qt::white);
    ellipse->SetVisible(false);
    ellipse->Paint(&canvas);
    EXPECT_EQ(At(110, 85), clWhite);
}

TEST_F(DesignCanvas, LinesPaintWithTheirPen) {
    auto* line = Add<TVizeLine>(&page, {1, 1, 3, 3});  // pixels (60, 60) to (160, 160)
    line->SetNESW(true);
    line->Paint(&canvas);
    EXPECT_EQ(At(60, 160), clBlack);
    EXPECT_EQ(At(110, 110), clBlack);
    EXPECT_EQ(At(60, 60), clWhite);

    // Width 0: nothing of the line.
    image.fill(Qt::white);
    line->SetLineWidth(0);
    line->Paint(&canvas);
    EXPECT_EQ(At(110, 110), clWhite);
    EXPECT_EQ(At(60, 160), clWhite);

    // Widths in pixels, and in points through the designer's scale:
    // 4.32 points are 0.06 inch, 3 pixels at 50 pixels per inch.
    struct Pen {
        double width;
        TLineWidthType type;
        int pixels;
    };
    for (Pen p : {Pen{1, wtPixels, 1}, Pen{5, wtPixels, 5}, Pen{4.32, wtPoints, 3}, Pen{0.1, wtPoints, 1}}) {
        image.fill(Qt::white);
        auto* h = Add<TVizeHLine>(&page, {1, 2, 3, 2});  // pixel row 110
        h->SetLineWidthType(p.type);
        h->SetLineWidth(p.width);
        h->Paint(&canvas);
        EXPECT_EQ(PaintedInColumn(100, 95, 125), p.pixels) << p.width << " " << p.type;
        delete h;
    }
}

TEST_F(DesignCanvas, ChildrenAreClippedToTheirParentAndMirrorsShowTheirMastersChildren) {
    auto* box = Add<TVizeContainerControl>(&page, {1, 1, 2, 2});  // pixels 60..110
    auto* child = Add<TVizeRectangle>(box, {0.5, 0.5, 3, 3});     // reaches past the box
    child->SetBackColor(clRed);
    box->Paint(&canvas);
    EXPECT_EQ(At(85, 85), clBlack);   // the child's corner
    EXPECT_EQ(At(100, 100), clRed);
    EXPECT_EQ(At(110, 110), clRed);   // the box's last pixel
    EXPECT_EQ(At(111, 100), clWhite);  // clipped
    EXPECT_EQ(At(100, 111), clWhite);
    EXPECT_EQ(canvas.ClipRect().Right, image.width());  // the clip is given back

    // A mirror of the box shows the box's children at its own place while
    // a designer is current, clipped to the box's size there.
    auto* mirror = Add<TVizeContainerControl>(&page, {3, 1, 4, 2});  // pixels 160..210
    mirror->SetMirror(box);
    image.fill(Qt::white);
    mirror->Paint(&canvas);
    EXPECT_EQ(At(200, 100), clWhite);
    VizeDesigner().CurrentPageDesigner = &designer;
    mirror->Paint(&canvas);
    EXPECT_EQ(At(185, 85), clBlack);
    EXPECT_EQ(At(200, 100), clRed);
    EXPECT_EQ(At(211, 100), clWhite);
    EXPECT_EQ(At(100, 100), clWhite);  // nothing at the master's own place
    EXPECT_NEAR(child->PageLeft(), 1.5, 1e-9);  // the master is back home
}
