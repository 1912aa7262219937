#include "platform/gui/DrawEdge.h"

namespace {

// One border ring: the top and left sides in one colour, then the bottom
// and right sides (which take the outer corners) in the other.
void Ring(TCanvas* c, const TRect& r, unsigned flags, TColor topLeft, TColor bottomRight) {
    if (r.IsEmpty()) return;
    c->Pen()->SetColor(topLeft);
    if (flags & BF_LEFT) {
        c->MoveTo(r.Left, r.Bottom - 1);
        c->LineTo(r.Left, r.Top - 1);
    }
    if (flags & BF_TOP) {
        c->MoveTo(r.Left, r.Top);
        c->LineTo(r.Right, r.Top);
    }
    c->Pen()->SetColor(bottomRight);
    if (flags & BF_RIGHT) {
        c->MoveTo(r.Right - 1, r.Top);
        c->LineTo(r.Right - 1, r.Bottom);
    }
    if (flags & BF_BOTTOM) {
        c->MoveTo(r.Left, r.Bottom - 1);
        c->LineTo(r.Right, r.Bottom - 1);
    }
}

void Shrink(TRect& r, unsigned flags) {
    if (flags & BF_LEFT) ++r.Left;
    if (flags & BF_TOP) ++r.Top;
    if (flags & BF_RIGHT) --r.Right;
    if (flags & BF_BOTTOM) --r.Bottom;
}

}  // namespace

bool DrawEdge(TCanvas* canvas, TRect& rect, unsigned edge, unsigned flags) {
    if (!canvas) return false;
    TPen saved;
    saved.Assign(*canvas->Pen());
    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetMode(pmCopy);
    TRect r = rect;
    unsigned outer = edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER);
    unsigned inner = edge & (BDR_RAISEDINNER | BDR_SUNKENINNER);
    if (outer) {
        TColor tl, br;
        if (flags & BF_MONO) tl = br = clWindowFrame;
        else if (flags & BF_FLAT) tl = br = clBtnShadow;
        else if (outer & BDR_RAISEDOUTER) tl = cl3DLight, br = cl3DDkShadow;
        else tl = clBtnShadow, br = clBtnHighlight;
        Ring(canvas, r, flags, tl, br);
        Shrink(r, flags);
    }
    if (inner) {
        TColor tl, br;
        if (flags & BF_MONO) tl = br = clWindow;
        else if (flags & BF_FLAT) tl = br = clBtnFace;
        else if (inner & BDR_RAISEDINNER) tl = clBtnHighlight, br = clBtnShadow;
        else tl = cl3DDkShadow, br = cl3DLight;
        Ring(canvas, r, flags, tl, br);
        Shrink(r, flags);
    }
    if ((flags & BF_MIDDLE) && !r.IsEmpty()) {
        TBrush brush;
        brush.Assign(*canvas->Brush());
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor((flags & BF_MONO) ? clWindow : clBtnFace);
        canvas->FillRect(r);
        canvas->Brush()->Assign(brush);
    }
    canvas->Pen()->Assign(saved);
    if (flags & BF_ADJUST) rect = r;
    return true;
}
