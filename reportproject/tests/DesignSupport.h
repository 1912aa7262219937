#pragma once
// A page shown by a designer, for tests of the design side: controls are
// added to it by their bounds, and the designer link is cleared afterwards.
#include <QImage>
#include <gtest/gtest.h>

#include "platform/gui/Canvas.h"

#include "reportproject/VzControl.h"
#include "reportproject/VzDesigner.h"

template <class Designer>
class TDesignedPage : public ::testing::Test {
protected:
    Designer designer;
    TVizePage page{nullptr};

    void SetUp() override { page.SetDesigner(&designer); }
    void TearDown() override { VizeDesigner() = TVizeDesignerLink{}; }

    template <class T>
    T* Add(TVizeComponent* parent, TVizeRect bounds) {
        auto* c = new T(&page);
        c->SetParent(parent);
        c->SetBoundsRect(bounds);
        return c;
    }
};

// An offscreen design canvas: white, 50 pixels per inch, the page's corner
// at pixel (10, 10), so page inch x lies at pixel 10 + 50 x.
template <class Designer>
class TDesignCanvas : public TDesignedPage<Designer> {
protected:
    QImage image{400, 400, QImage::Format_RGB32};
    TCanvas canvas{&image};

    void SetUp() override {
        TDesignedPage<Designer>::SetUp();
        this->designer.SetPixelsPerInch(50);
        this->designer.SetOrigin({10, 10});
        image.fill(Qt::white);
    }
    TColor At(int x, int y) const { return canvas.GetPixel(x, y); }
};
