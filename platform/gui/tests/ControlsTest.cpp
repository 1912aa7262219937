#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QAbstractScrollArea>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <tuple>

#include "platform/core/Clock.h"
#include "platform/core/Exception.h"
#include "platform/core/UiQueue.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Cursors.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"

namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        UiQueue::Reset();
        Application->Initialize();
        script.OnFailure = [](const std::string& m) { ADD_FAILURE() << m; };
        form = new TForm(Application);
        form->SetBounds(0, 0, 400, 300);
    }
    void TearDown() override { Application->ResetForTesting(); }
    template <class T>
    T* Make() {
        auto* c = new T(form);
        c->SetParent(form);
        return c;
    }
    // A page control filling the form, with two pages; the first is shown.
    std::tuple<TPageControl*, TTabSheet*, TTabSheet*> TwoPages() {
        auto* pc = Make<TPageControl>();
        pc->SetAlign(alClient);
        auto* first = new TTabSheet(form);
        first->SetPageControl(pc);
        auto* second = new TTabSheet(form);
        second->SetPageControl(pc);
        return {pc, first, second};
    }
    TScriptedPrompts script;
    TForm* form = nullptr;
};

}  // namespace

TEST_F(ControlsTest, LabelSizesToItsTextAndHidesAccelerators) {
    auto* l = Make<TLabel>();
    l->SetCaption("&Start");
    TCanvas measure;
    measure.Font()->Assign(*l->Font());
    EXPECT_EQ(l->Width(), measure.TextWidth("Start"));
    EXPECT_EQ(l->Height(), measure.TextHeight("Start"));
    l->Font()->SetStyle(fsBold);
    measure.Font()->SetStyle(fsBold);
    EXPECT_EQ(l->Width(), measure.TextWidth("Start"));
    EXPECT_FALSE(l->ParentFont());
    // The form's font reaches children that keep ParentFont.
    auto* other = Make<TLabel>();
    form->Font()->SetName("Times New Roman");
    EXPECT_EQ(other->Font()->Name(), "Times New Roman");
    EXPECT_EQ(l->Font()->Name(), "MS Sans Serif");
}

TEST_F(ControlsTest, CheckAndRadioButtonsClickWhenSetInCode) {
    auto* box = Make<TCheckBox>();
    int clicks = 0;
    box->OnClick = [&](TObject*) { ++clicks; };
    box->SetChecked(true);
    box->SetChecked(true);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(box->Checked());
    auto* a = Make<TRadioButton>();
    auto* b = Make<TRadioButton>();
    int aClicks = 0;
    a->OnClick = [&](TObject*) { ++aClicks; };
    a->SetChecked(true);
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(b->Checked());
    EXPECT_EQ(aClicks, 1);
    b->SetChecked(false);
    EXPECT_FALSE(b->Checked());
}

TEST_F(ControlsTest, ComboChangeFiresForTheUserOnly) {
    auto* c = Make<TComboBox>();
    c->SetStyle(csDropDownList);
    for (int k = 1; k <= 24; ++k) c->Items()->Add("Port " + std::to_string(k));
    int changes = 0;
    c->OnChange = [&](TObject*) { ++changes; };
    EXPECT_EQ(c->ItemIndex(), -1);
    c->SetItemIndex(2);
    EXPECT_EQ(c->Text(), "Port 3");
    EXPECT_EQ(changes, 0);
    auto* q = static_cast<QComboBox*>(c->Widget());
    q->setCurrentIndex(4);
    QMetaObject::invokeMethod(q, "activated", Q_ARG(int, 4));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(c->ItemIndex(), 4);
    c->SetItemIndex(-1);
    EXPECT_EQ(c->Text(), "");
    // Editable combo: typed text is the text.
    auto* e = Make<TComboBox>();
    e->Items()->Add("one");
    e->SetText("free text");
    EXPECT_EQ(e->Text(), "free text");
    EXPECT_EQ(e->ItemIndex(), -1);
}

TEST_F(ControlsTest, EditLimitsLengthAndReadOnlyBlocksTyping) {
    auto* e = Make<TEdit>();
    std::vector<std::string> changes;
    e->OnChange = [&](TObject*) { changes.push_back(e->Text()); };
    e->SetMaxLength(5);
    e->SetText("abcdefgh");
    EXPECT_EQ(e->Text(), "abcde");
    e->SetText("");
    form->Show();
    e->SetFocus();
    QTest::keyClicks(e->Widget(), "1234567");
    EXPECT_EQ(e->Text(), "12345");
    e->SetReadOnly(true);
    QTest::keyClicks(e->Widget(), "x");
    EXPECT_EQ(e->Text(), "12345");
    EXPECT_EQ(changes.front(), "abcde");
    EXPECT_EQ(changes.back(), "12345");
    // A key handler can swallow or replace characters.
    e->SetReadOnly(false);
    e->SetText("");
    e->SetMaxLength(0);
    e->OnKeyPress = [](TObject*, char& k) {
        if (k == 'x') k = 0;
        else if (k >= 'a' && k <= 'z') k = char(k - 32);
    };
    QTest::keyClicks(e->Widget(), "axb");
    EXPECT_EQ(e->Text(), "AB");
}

TEST_F(ControlsTest, ListBoxAndMemoLines) {
    auto* l = Make<TListBox>();
    l->Items()->Add("b");
    l->Items()->Add("a");
    int clicks = 0;
    l->OnClick = [&](TObject*) { ++clicks; };
    l->SetItemIndex(1);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(l->Items()->Get(l->ItemIndex()), "a");
    l->SetSorted(true);
    EXPECT_EQ(l->Items()->Get(0), "a");
    l->Items()->Add("c");
    EXPECT_EQ(l->Items()->Text(), "a\r\nb\r\nc\r\n");
    EXPECT_THROW(l->Items()->Get(7), EStringListError);

    auto* m = Make<TMemo>();
    m->Lines()->Add("first");
    m->Lines()->Add("second");
    EXPECT_EQ(m->Lines()->Count(), 2);
    EXPECT_EQ(m->Text(), "first\r\nsecond");
    m->SetText("x\r\ny\r\nz");
    EXPECT_EQ(m->Lines()->Get(2), "z");
    m->Lines()->Delete(0);
    EXPECT_EQ(m->Lines()->Get(0), "y");
    m->Clear();
    EXPECT_EQ(m->Lines()->Count(), 0);
}

TEST_F(ControlsTest, RadioGroupItemIndexAndLayout) {
    auto* g = Make<TRadioGroup>();
    g->SetBounds(0, 0, 200, 100);
    g->Items()->Add("4 sheets");
    g->Items()->Add("8 sheets");
    int clicks = 0;
    g->OnClick = [&](TObject*) { ++clicks; };
    g->SetItemIndex(1);
    EXPECT_EQ(g->ItemIndex(), 1);
    EXPECT_EQ(clicks, 1);
    auto buttons = g->Widget()->findChildren<QRadioButton*>();
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_TRUE(buttons[1]->isChecked());
    EXPECT_LT(buttons[0]->y(), buttons[1]->y());
    buttons[0]->click();
    EXPECT_EQ(g->ItemIndex(), 0);
    EXPECT_EQ(clicks, 2);
}

TEST_F(ControlsTest, PageControlProgressAndDatePicker) {
    auto* pc = Make<TPageControl>();
    auto* p1 = new TTabSheet(form);
    p1->SetPageControl(pc);
    p1->SetCaption("One");
    auto* p2 = new TTabSheet(form);
    p2->SetParent(pc);
    auto* onPage = new TButton(form);
    onPage->SetParent(p2);
    int changes = 0;
    pc->OnChange = [&](TObject*) { ++changes; };
    EXPECT_EQ(pc->PageCount(), 2);
    pc->SetActivePage(p2);
    EXPECT_EQ(pc->ActivePageIndex(), 1);
    EXPECT_EQ(changes, 0);
    p1->SetTabVisible(false);
    pc->SelectNextPage(true);
    EXPECT_EQ(pc->ActivePage(), p2);
    delete p1;
    EXPECT_EQ(pc->PageCount(), 1);

    auto* bar = Make<TProgressBar>();
    bar->SetMax(25);
    bar->SetStep(10);
    bar->StepIt();
    bar->StepIt();
    EXPECT_EQ(bar->Position(), 20);
    bar->StepIt();
    EXPECT_EQ(bar->Position(), 5);
    bar->SetPosition(99);
    EXPECT_EQ(bar->Position(), 25);

    auto* dt = Make<TDateTimePicker>();
    dt->SetDateTime(45000.75);  // 2023-03-15 18:00
    EXPECT_DOUBLE_EQ(dt->Date(), 45000.0);
    EXPECT_NEAR(dt->Time(), 0.75, 1e-9);
    dt->SetDate(2.0);
    EXPECT_NEAR(dt->DateTime(), 2.75, 1e-9);
}

TEST_F(ControlsTest, ImagePlacesItsPicture) {
    auto* img = Make<TImage>();
    img->SetBounds(0, 0, 100, 50);
    TBitmap pic;
    pic.SetSize(40, 40);
    pic.Canvas()->Brush()->SetColor(clRed);
    pic.Canvas()->FillRect(Rect(0, 0, 40, 40));
    img->Picture()->SetGraphic(&pic);
    struct Case { bool stretch, proportional, center; TRect dest; };
    const Case cases[] = {
        {false, false, false, TRect(0, 0, 40, 40)},
        {false, false, true, TRect(30, 5, 70, 45)},
        {true, false, false, TRect(0, 0, 100, 50)},
        {true, true, false, TRect(0, 0, 50, 50)},
        {true, true, true, TRect(25, 0, 75, 50)},
    };
    for (const auto& k : cases) {
        img->SetStretch(k.stretch);
        img->SetProportional(k.proportional);
        img->SetCenter(k.center);
        EXPECT_EQ(img->DestRect(), k.dest);
    }
    img->Repaint();
    QImage s = img->Surface();
    EXPECT_EQ(QColor(s.pixel(50, 25)), QColor(Qt::red));
    EXPECT_NE(QColor(s.pixel(10, 25)), QColor(Qt::red));
    // Drawing on the image's canvas draws on its picture and shows.
    img->Picture()->Clear();
    img->Canvas()->Brush()->SetColor(clBlue);
    img->Canvas()->FillRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(img->Picture()->Width(), 100);
    EXPECT_TRUE(img->HasInvalidRegion());
    img->Update();
    EXPECT_EQ(QColor(img->Surface().pixel(5, 5)), QColor(Qt::blue));
}

TEST_F(ControlsTest, CustomControlPaintsOnlyItsInvalidRegion) {
    auto* box = Make<TPaintBox>();
    box->SetBounds(0, 0, 50, 40);
    std::vector<TRect> clips;
    TColor paintColor = clWhite;
    box->OnPaint = [&](TObject*) {
        clips.push_back(box->Canvas()->ClipRect());
        box->Canvas()->Brush()->SetColor(paintColor);
        box->Canvas()->FillRect(Rect(0, 0, 50, 40));
    };
    box->Update();
    clips.clear();
    paintColor = clLime;
    box->InvalidateRect(Rect(5, 5, 15, 10));
    EXPECT_EQ(box->InvalidBounds(), TRect(5, 5, 15, 10));
    box->Update();
    ASSERT_EQ(clips.size(), 1u);
    EXPECT_EQ(clips[0], TRect(5, 5, 15, 10));
    EXPECT_EQ(QColor(box->Surface().pixel(6, 6)), QColor(Qt::green));
    EXPECT_NE(QColor(box->Surface().pixel(20, 20)), QColor(Qt::green));
    // Invalidation is flushed by the loop without an explicit update.
    box->Invalidate();
    Application->ProcessMessages();
    EXPECT_FALSE(box->HasInvalidRegion());
    EXPECT_EQ(clips.back(), TRect(0, 0, 50, 40));
}

namespace {
// Shows the split cursor over its left half.
class TSplitLeft : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    void Track() { SetPointerTracking(true); }

protected:
    bool CursorRequest(int x, int, TCursor& cursor) override {
        if (x >= Width() / 2) return false;
        cursor = crHSplit;
        return true;
    }
};

Qt::CursorShape HoverAt(TControl* c, int x, int y) {
    QPointF at(x, y);
    QMouseEvent e(QEvent::MouseMove, at, c->Widget()->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(c->Widget(), &e);
    return c->Widget()->cursor().shape();
}
}  // namespace

TEST_F(ControlsTest, ACursorRequestChoosesTheCursorByPoint) {
    auto* c = Make<TSplitLeft>();
    c->SetBounds(0, 0, 100, 50);
    c->Track();
    EXPECT_TRUE(c->Widget()->hasMouseTracking());
    c->SetCursor(crIBeam);
    EXPECT_EQ(HoverAt(c, 10, 10), Qt::SplitHCursor);
    EXPECT_EQ(HoverAt(c, 80, 10), Qt::IBeamCursor) << "unanswered: the control's Cursor";
    EXPECT_EQ(c->Cursor(), crIBeam) << "a request leaves Cursor alone";
    // Shown now, the cursor stays until the next request.
    c->ShowCursorNow(crDrag);
    EXPECT_EQ(c->Widget()->cursor().shape(), Qt::DragCopyCursor);
    // No request while a control holds the capture or a screen-wide cursor
    // is set.
    c->SetMouseCapture(true);
    EXPECT_EQ(HoverAt(c, 10, 10), Qt::DragCopyCursor);
    c->SetMouseCapture(false);
    Screen->SetCursor(crHourGlass);
    EXPECT_EQ(HoverAt(c, 10, 10), Qt::DragCopyCursor);
    Screen->SetCursor(crDefault);
    EXPECT_EQ(HoverAt(c, 10, 10), Qt::SplitHCursor);
    c->SetCursor(crDefault);
    EXPECT_EQ(HoverAt(c, 80, 10), Qt::ArrowCursor);
}

namespace {
// A 4 x 3 picture: a black pixel at (1, 1) ringed by white, the right
// column see-through.
TCursorPicture SmallPicture() {
    TCursorPicture p;
    p.Width = 4;
    p.Height = 3;
    p.Shown = {true, true, true, false, true, true, true, false, true, true, true, false};
    p.Black.assign(12, false);
    p.Black[5] = true;
    p.HotX = 1;
    p.HotY = 1;
    return p;
}
}  // namespace

TEST_F(ControlsTest, PictureCursorsAreLoadedByNameAndShownAsTheirPictures) {
    EXPECT_EQ(LoadCursorResource("NOSUCHCURSOR"), crDefault);
    RegisterCursorResource("TESTDOT", SmallPicture());
    TCursor dot = LoadCursorResource("TESTDOT");
    EXPECT_GT(dot, 0) << "picture cursors take numbers apart from the built-in ones";
    RegisterCursorResource("TESTDOT", SmallPicture());
    EXPECT_EQ(LoadCursorResource("TESTDOT"), dot) << "registered again, the same number";
    ASSERT_NE(CursorPicture(dot), nullptr);
    EXPECT_EQ(CursorPicture(crIBeam), nullptr);

    auto* c = Make<TSplitLeft>();
    c->SetBounds(0, 0, 100, 50);
    c->Track();
    c->SetCursor(dot);
    QCursor shown = c->Widget()->cursor();
    EXPECT_EQ(shown.shape(), Qt::BitmapCursor);
    EXPECT_EQ(shown.hotSpot(), QPoint(1, 1));
    QImage image = shown.bitmap().toImage(), mask = shown.mask().toImage();
    ASSERT_EQ(image.size(), QSize(4, 3));
    // Black where both planes are set, white where only the mask is.
    EXPECT_EQ(image.pixelIndex(1, 1), mask.pixelIndex(1, 1));
    EXPECT_NE(image.pixelIndex(0, 0), image.pixelIndex(1, 1));
    EXPECT_EQ(mask.pixelIndex(0, 0), mask.pixelIndex(1, 1));
    EXPECT_NE(mask.pixelIndex(3, 0), mask.pixelIndex(0, 0)) << "the right column is see-through";
    EXPECT_EQ(HoverAt(c, 80, 10), Qt::BitmapCursor) << "unanswered: the control's picture cursor";
    EXPECT_EQ(HoverAt(c, 10, 10), Qt::SplitHCursor);
    Screen->SetCursor(dot);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BitmapCursor);
    Screen->SetCursor(crDefault);

    // Pictures that cannot be shown are refused.
    TCursorPicture noPixels;
    TCursorPicture shortPlane = SmallPicture();
    shortPlane.Black.pop_back();
    TCursorPicture hotOutside = SmallPicture();
    hotOutside.HotX = 4;
    for (const TCursorPicture& bad : {noPixels, shortPlane, hotOutside})
        EXPECT_THROW(RegisterCursorResource("TESTBAD", bad), EInvalidOperation);
    EXPECT_EQ(LoadCursorResource("TESTBAD"), crDefault);
}

TEST_F(ControlsTest, PanelAndAlignment) {
    auto* top = Make<TPanel>();
    top->SetHeight(30);
    top->SetAlign(alTop);
    auto* client = Make<TPanel>();
    client->SetAlign(alClient);
    client->SetCaption("Centre");
    EXPECT_EQ(top->BoundsRect(), Bounds(0, 0, form->ClientWidth(), 30));
    EXPECT_EQ(client->BoundsRect(), Bounds(0, 30, form->ClientWidth(), form->ClientHeight() - 30));
    form->SetClientHeight(200);
    EXPECT_EQ(client->Height(), 170);
    client->Repaint();
    // The caption's ink lies around the centre.
    const QImage& s = client->Surface();
    int dark = 0;
    for (int x = 0; x < s.width(); ++x) dark += qGray(s.pixel(x, s.height() / 2)) < 100;
    EXPECT_GT(dark, 0);
    EXPECT_EQ(qGray(s.pixel(5, s.height() / 2)), qGray(ToQColor(clBtnFace).rgb()));
}

TEST_F(ControlsTest, ButtonsWithGlyphsAndKinds) {
    auto* b = Make<TBitBtn>();
    b->SetKind(bkOK);
    EXPECT_EQ(b->Caption(), "OK");
    EXPECT_EQ(b->ModalResult(), mrOk);
    EXPECT_TRUE(b->Default());
    TBitmap glyph;
    glyph.SetSize(16, 16);
    glyph.Canvas()->Brush()->SetColor(clFuchsia);
    glyph.Canvas()->FillRect(Rect(0, 0, 16, 16));
    glyph.Canvas()->Brush()->SetColor(clNavy);
    glyph.Canvas()->FillRect(Rect(4, 4, 12, 12));
    QImage icon = GlyphImage(&glyph, 1);
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(8, 8)), 255);

    auto* s1 = Make<TSpeedButton>();
    auto* s2 = Make<TSpeedButton>();
    s1->SetGroupIndex(1);
    s2->SetGroupIndex(1);
    int clicks = 0;
    s1->OnClick = [&](TObject*) { ++clicks; };
    s1->Click();
    EXPECT_TRUE(s1->Down());
    s2->Click();
    EXPECT_FALSE(s1->Down());
    EXPECT_TRUE(s2->Down());
    EXPECT_EQ(clicks, 1);
    s2->SetGlyph(&glyph);
    EXPECT_EQ(s2->Glyph()->Width(), 16);
}

TEST_F(ControlsTest, MenuItemsClickAndFileDialogsAsk) {
    auto* menu = new TPopupMenu(form);
    auto* item = new TMenuItem(menu);
    item->SetCaption("Copy");
    int clicks = 0;
    item->OnClick = [&](TObject*) { ++clicks; };
    menu->Items()->Add(item);
    item->Click();
    item->SetEnabled(false);
    item->Click();
    EXPECT_EQ(clicks, 1);

    TSaveDialog save(nullptr);
    save.Filter = "Comma separated (*.csv)|*.csv|All files (*.*)|*.*";
    save.DefaultExt = "csv";
    save.Title = "Export results";
    script.AnswerFile("/tmp/results").AnswerCancel("Export");
    EXPECT_TRUE(save.Execute());
    EXPECT_EQ(save.FileName, "/tmp/results.csv");
    EXPECT_FALSE(save.Execute());
    EXPECT_EQ(save.FileName, "/tmp/results.csv");
    EXPECT_EQ(script.TranscriptText(), "Save: Export results\nSave: Export results\n");
    EXPECT_EQ(script.Transcript()[0].Request.Filter, save.Filter);
}

namespace {
// The darkest pixel of a control as painted, by its grey level.
int DarkestGrey(TControl* c) {
    QImage image = c->Widget()->grab().toImage();
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) darkest = std::min(darkest, qGray(image.pixel(x, y)));
    return darkest;
}
}  // namespace

// A disabled control's text is painted in the palette's disabled colour,
// also when its font has a colour of its own.
TEST_F(ControlsTest, DisabledControlsPaintGreyedText) {
    const int disabledGrey = qGray(form->Widget()->palette().color(QPalette::Disabled, QPalette::ButtonText).rgb());
    ASSERT_GT(disabledGrey, 60) << "the style's disabled text is not lighter than black";
    auto* button = Make<TButton>();
    button->SetBounds(10, 10, 160, 30);
    button->SetCaption("&Store Results");
    auto* label = Make<TLabel>();
    label->SetBounds(10, 60, 160, 20);
    label->Font()->SetColor(clNavy);
    label->SetCaption("Checking Port 1");
    form->Show();
    for (TControl* c : {static_cast<TControl*>(button), static_cast<TControl*>(label)}) {
        SCOPED_TRACE(c->ClassName());
        c->SetEnabled(true);
        EXPECT_LT(DarkestGrey(c), disabledGrey - 30);
        c->SetEnabled(false);
        EXPECT_GE(DarkestGrey(c), disabledGrey - 8);
    }
}

TEST_F(ControlsTest, AnchoredControlsKeepTheirDistanceToTheEdges) {
    const int w = form->ClientWidth(), h = form->ClientHeight();
    auto* all = Make<TPanel>();
    all->SetBounds(8, 56, w - 35, h - 175);
    all->SetAnchors(akLeft | akTop | akRight | akBottom);
    auto* corner = Make<TButton>();
    corner->SetBounds(w - 90, h - 40, 80, 28);
    corner->SetAnchors(akRight | akBottom);
    auto* plain = Make<TButton>();
    plain->SetBounds(10, 10, 80, 28);

    form->SetBounds(0, 0, 600, 450);
    const int dw = form->ClientWidth() - w, dh = form->ClientHeight() - h;
    ASSERT_GT(dw, 0);
    EXPECT_EQ(all->BoundsRect(), Bounds(8, 56, w - 35 + dw, h - 175 + dh));
    EXPECT_EQ(corner->BoundsRect(), Bounds(w - 90 + dw, h - 40 + dh, 80, 28));
    EXPECT_EQ(plain->BoundsRect(), Bounds(10, 10, 80, 28));

    // Placed again by the program, the control takes its new distances.
    all->SetBounds(8, 56, 100, 100);
    form->SetBounds(0, 0, 500, 400);
    EXPECT_EQ(all->Width(), 100 - (600 - 500));
    EXPECT_EQ(all->Height(), 100 - (450 - 400));
}

TEST_F(ControlsTest, PagesNotShownYetHaveTheShownPagesSize) {
    // Every page of a page control has the size of the one shown, so a
    // control anchored on a page not shown yet keeps its distances when the
    // page comes up (a grid stretched to the page's edges once covered the
    // buttons below it that way).
    auto [pc, first, second] = TwoPages();
    form->Show();
    QApplication::processEvents();
    ASSERT_GT(first->Width(), 100);
    EXPECT_EQ(second->Width(), first->Width());
    EXPECT_EQ(second->Height(), first->Height());

    auto* grid = new TPanel(form);
    grid->SetParent(second);
    grid->SetBounds(8, 56, second->ClientWidth() - 30, second->ClientHeight() - 120);
    grid->SetAnchors(akLeft | akTop | akRight | akBottom);
    auto* button = new TButton(form);
    button->SetParent(second);
    button->SetBounds(8, second->ClientHeight() - 40, 80, 28);
    pc->SetActivePage(second);
    QApplication::processEvents();
    EXPECT_LT(grid->BoundsRect().Bottom, button->Top());
    EXPECT_EQ(grid->Width(), second->ClientWidth() - 30);

    // Resized while another page is shown, the hidden page follows too.
    pc->SetActivePage(first);
    form->SetBounds(0, 0, 500, 400);
    QApplication::processEvents();
    EXPECT_EQ(second->Width(), first->Width());
    EXPECT_EQ(grid->Width(), second->ClientWidth() - 30);
}

TEST_F(ControlsTest, ScrollBoxScrollsOnlyWhatDoesNotFit) {
    // Filled while its page was not shown yet, then shown at its full size:
    // a content that fits needs no scrolling; a taller one scrolls down only.
    auto [pc, first, second] = TwoPages();
    auto* box = new TScrollBox(form);
    box->SetParent(second);
    box->SetBounds(8, 8, 300, 200);
    for (int row = 0; row < 3; ++row) {
        auto* edit = new TEdit(form);
        edit->SetParent(box);
        edit->SetBounds(10, 10 + 25 * row, 40, 22);
    }
    form->Show();
    pc->SetActivePage(second);
    QApplication::processEvents();
    auto* area = static_cast<QAbstractScrollArea*>(box->Widget());
    EXPECT_EQ(area->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(area->horizontalScrollBar()->maximum(), 0);

    auto* low = new TEdit(form);
    low->SetParent(box);
    low->SetBounds(10, 400, 40, 22);
    QApplication::processEvents();
    EXPECT_GT(area->verticalScrollBar()->maximum(), 200);
    EXPECT_EQ(area->horizontalScrollBar()->maximum(), 0) << "the vertical bar's room is left for it";
}

namespace {
// The first row, from the top, where the column x of a control is darker
// than the form's face colour; -1 where it never is.
int FirstDarkRow(TControl* c, int x) {
    const QImage image = c->Widget()->grab().toImage();
    const int face = qGray(ToQColor(clBtnFace).rgb());
    for (int y = 0; y < image.height(); ++y)
        if (qGray(image.pixel(x, y)) < face - 40) return y;
    return -1;
}
}  // namespace

// The frame of a group box and of a radio group runs through the middle of
// its caption: forms place their first control about 16 pixels down, and a
// frame drawn below the caption crossed that control (the "Printer" radio
// button of the output options, the first radio button of the analysis
// dialog).
TEST_F(ControlsTest, GroupFramesRunThroughTheCaption) {
    auto* box = Make<TGroupBox>();
    box->SetBounds(10, 10, 160, 120);
    box->SetCaption("Report &Destination");
    auto* radio = new TRadioButton(form);
    radio->SetParent(box);
    radio->SetBounds(8, 16, 140, 17);
    radio->SetCaption("Printer");
    auto* group = Make<TRadioGroup>();
    group->SetBounds(200, 10, 160, 120);
    group->SetCaption("Range");
    form->Show();
    QApplication::processEvents();
    for (TControl* c : {static_cast<TControl*>(box), static_cast<TControl*>(group)}) {
        SCOPED_TRACE(c->ClassName());
        const int half = QFontMetrics(c->Widget()->font()).height() / 2;
        // Left of the caption the frame's top line is the first dark pixel;
        // inside the caption the text comes first, above the line.
        EXPECT_EQ(FirstDarkRow(c, 3), half);
        EXPECT_LT(FirstDarkRow(c, 3), radio->Top());
        int inCaption = -1;
        for (int x = 9; x <= 20; ++x)
            if (const int y = FirstDarkRow(c, x); y >= 0 && (inCaption < 0 || y < inCaption)) inCaption = y;
        EXPECT_GE(inCaption, 0);
        EXPECT_LT(inCaption, half);
        // The right edge stays inside the control.
        EXPECT_EQ(FirstDarkRow(c, c->Width() - 2), half);
    }
}
