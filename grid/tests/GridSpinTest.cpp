// Spin buttons stepping a cell's value on the real grid class, with mouse
// presses sent to its window: a picture cell walks through the image list's
// pictures by their names (collection names included) and stops at either
// end; a masked text cell's stepped number is fitted to the mask or refused
// by it.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QMouseEvent>

#include "grid/GridMaskCheck.h"
#include "grid/GridSelection.h"
#include "grid/TSMask.h"
#include "grid/tests/GridOnForm.h"

namespace {

// Three solid pictures; the middle one belongs to the collection "flags",
// so a cell names it "flags.green".
class TColourImages : public TgrImageListComponent {
public:
    TColourImages() : TgrImageListComponent(nullptr) {
        Add("", "red", clRed);
        Add("flags", "green", clLime);
        Add("", "blue", clBlue);
    }
    void AddLink(TgrImageLink* link) override { link->ImageListComponent = this; }
    void RemoveLink(TgrImageLink* link) override { link->ImageListComponent = nullptr; }
    Integer ImageCount() override { return Integer(images_.size()); }
    std::string ImageName(Integer i) override { return Valid(i) ? images_[std::size_t(i)].name : ""; }
    std::string ImageCollectionName(Integer i) override {
        return Valid(i) ? images_[std::size_t(i)].collection : "";
    }
    TBitmap* ImageAt(Integer i, TColor& transparent) override {
        transparent = clNone;
        return Valid(i) ? images_[std::size_t(i)].bitmap.get() : nullptr;
    }

private:
    struct Image {
        std::string collection, name;
        std::unique_ptr<TBitmap> bitmap;
    };
    bool Valid(Integer i) const { return i >= 0 && i < Integer(images_.size()); }
    void Add(const std::string& collection, const std::string& name, TColor colour) {
        images_.push_back({collection, name, FilledBitmap(40, 40, colour)});
    }
    std::vector<Image> images_;
};

// A mask of digit places ('9') and literals: a text is a valid start when
// each character fits its place (completion: the rest of the mask, digits
// as '0'), whole when it fills the mask.
class PatternMask : public TObject, public TgrMaskValidation {
public:
    PatternMask(std::string pattern, unsigned options) : pattern_(std::move(pattern)), options_(options) {}
    unsigned MaskOptions() const override { return options_; }
    bool CheckText(const std::string& text, int, std::string& completion) override {
        if (text.size() > pattern_.size()) return false;
        for (std::size_t i = 0; i < text.size(); ++i) {
            bool digitPlace = pattern_[i] == '9';
            if (digitPlace != (text[i] >= '0' && text[i] <= '9')) return false;
            if (!digitPlace && text[i] != pattern_[i]) return false;
        }
        completion.clear();
        for (std::size_t i = text.size(); i < pattern_.size(); ++i) completion += pattern_[i] == '9' ? '0' : pattern_[i];
        return true;
    }

private:
    std::string pattern_;
    unsigned options_;
};

class PatternMasks : public TgrMaskDefsComponent {
public:
    PatternMasks() : TgrMaskDefsComponent(nullptr) {}
    void AddLink(TgrMaskLink* link) override { link->MaskDefsComponent = this; }
    void RemoveLink(TgrMaskLink* link) override { link->MaskDefsComponent = nullptr; }
    TObject* FindMask(const Variant& name) override {
        std::string n = name.AsString();
        if (n == "day") return &day;
        if (n == "two") return &two;
        if (n == "unadjusted") return &unadjusted;
        return nullptr;
    }
    PatternMask day{"99/99", grMaskOptionSpinAdjust};
    PatternMask two{"99", grMaskOptionSpinAdjust};
    PatternMask unadjusted{"99/99", 0};
};

// Column 1: pictures, column 2: text; both with a vertical spin button.
class GridSpin : public TGridOnFormTest {
protected:
    void SetUp() override {
        ShowGrid(400, 200, 2, 4);
        grid->SetStoreData(true);
        grid->SetDefaultRowHeight(40);
        grid->SetImageList(&images);
        grid->SetMaskDefs(&masks);
        for (Integer c = 1; c <= 2; ++c) {
            grid->Col(c)->SetButtonType(btVertSpin);
            grid->Col(c)->SetWidth(120);
        }
        grid->Col(1)->SetControlType(ctPicture);
        grid->Col(2)->SetControlType(ctText);
        grid->OnSpinIncrement = [this](TObject*, Integer, Integer, bool& accept, Integer& pos, Integer& len,
                                       Variant& value, bool) {
            increments.push_back(value.AsString() + " " + std::to_string(pos) + "," + std::to_string(len));
            accept = acceptIncrement;
            if (!replacement.empty()) value = Variant(replacement);
        };
    }
    void TearDown() override {
        grid->SetImageList(nullptr);
        grid->SetMaskDefs(nullptr);
        TGridOnFormTest::TearDown();
    }

    void Send(QEvent::Type type, TPoint p, Qt::MouseButtons held) {
        QPointF at(p.X, p.Y);
        QMouseEvent e(type, at, grid->Widget()->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(grid->Widget(), &e);
    }
    // A click on the upper (up) or lower half of a data cell's spin button.
    void Spin(Integer col, Integer row, bool up) {
        TRect b = CellButtonRect(grid, col, row);
        for (int y = b.Top; y < b.Bottom; ++y)
            if (grid->HitTestSpinButton(b.Left + 3, y, row, col) == (up ? spbUp : spbDown)) {
                Send(QEvent::MouseButtonPress, TPoint(b.Left + 3, y), Qt::LeftButton);
                Send(QEvent::MouseButtonRelease, TPoint(b.Left + 3, y), Qt::NoButton);
                return;
            }
        ADD_FAILURE() << "no spin half under the button of " << col << "," << row;
    }
    std::string Stored(Integer col, Integer row) {
        return grid->GetStoredCellValue(col, row, col == 1 ? ctPicture : ctText).AsString();
    }
    // The colour in the middle of a cell's content, left of its button.
    TColor Shown(Integer col, Integer row) {
        grid->Invalidate();
        grid->Update();
        TRect r = grid->CellPixels(col, row);
        QRgb p = grid->Surface().pixel(r.Left + 10, (r.Top + r.Bottom) / 2);
        return TColor(qRed(p) | qGreen(p) << 8 | qBlue(p) << 16);
    }

    TColourImages images;
    PatternMasks masks;
    std::vector<std::string> increments;
    bool acceptIncrement = true;
    std::string replacement;
};

TEST_F(GridSpin, APictureCellStepsThroughTheImageListAndStopsAtItsEnds) {
    grid->PutCellValue(1, 1, Variant(std::string("red")));
    struct Step {
        bool up;
        const char* value;
        const char* increment;  // what the spin-increment event saw ("" none)
    } steps[] = {
        {true, "flags.green", "flags.green 1,11"},
        {true, "blue", "blue 1,4"},
        {true, "blue", ""},  // the last picture is the upper limit
        {false, "flags.green", "flags.green 1,11"},
        {false, "red", "red 1,3"},
        {false, "red", ""},  // and the first the lower one
    };
    for (const Step& s : steps) {
        increments.clear();
        Spin(1, 1, s.up);
        EXPECT_EQ(Stored(1, 1), s.value) << (s.up ? "up to " : "down to ") << s.value;
        EXPECT_EQ(grid->CurrentCell()->GetValue().AsString(), s.value);
        EXPECT_EQ(increments, s.increment[0] ? std::vector<std::string>{s.increment} : std::vector<std::string>{})
            << s.value;
    }
    EXPECT_EQ(Shown(1, 1), clRed);
    Spin(1, 1, true);
    EXPECT_EQ(Shown(1, 1), clLime) << "the spun picture is painted by its collection name";
}

TEST_F(GridSpin, APictureEditedThroughTheCurrentCellIsStored) {
    // A picture cell's in-cell control holds no value: the edit must store
    // the current cell's value, not the control's empty one.
    grid->PutCellValue(1, 1, Variant(std::string("red")));
    ASSERT_TRUE(grid->CurrentCell()->SetValue(Variant(std::string("blue")), true, true));
    EXPECT_EQ(Stored(1, 1), "blue");
    EXPECT_EQ(Shown(1, 1), clBlue);
}

TEST_F(GridSpin, AnEmptyPictureCellStartsAtTheFirstOrLastPicture) {
    Spin(1, 2, true);
    EXPECT_EQ(Stored(1, 2), "red");
    Spin(1, 3, false);
    EXPECT_EQ(Stored(1, 3), "blue");
    EXPECT_EQ(Shown(1, 3), clBlue);
}

TEST_F(GridSpin, ThePictureSpinIsAnEditTheHandlerAndEscCanTakeBack) {
    grid->PutCellValue(1, 1, Variant(std::string("red")));
    acceptIncrement = false;
    Spin(1, 1, true);
    EXPECT_EQ(Stored(1, 1), "red") << "a refused step changes nothing";
    acceptIncrement = true;
    replacement = "blue";
    Spin(1, 1, true);
    EXPECT_EQ(Stored(1, 1), "blue") << "the handler's value is taken";
    EXPECT_TRUE(grid->IsCellEditing());
    Key(VK_ESCAPE);
    EXPECT_EQ(Stored(1, 1), "red") << "Esc undoes the spin";
    EXPECT_EQ(Shown(1, 1), clRed);
}

TEST_F(GridSpin, PicturesDoNotSpinWithoutAListOfImages) {
    grid->PutCellValue(1, 1, Variant(std::string("red")));
    grid->SetImageList(nullptr);
    Spin(1, 1, true);
    EXPECT_EQ(Stored(1, 1), "red");
    // A list that keeps its images to itself lists none to step through.
    class TSilent : public TgrImageListComponent {
    public:
        TSilent() : TgrImageListComponent(nullptr) {}
        void AddLink(TgrImageLink* link) override { link->ImageListComponent = this; }
        void RemoveLink(TgrImageLink* link) override { link->ImageListComponent = nullptr; }
    } silent;
    grid->SetImageList(&silent);
    Spin(1, 1, false);
    EXPECT_EQ(Stored(1, 1), "red");
    EXPECT_TRUE(increments.empty());
    grid->SetImageList(nullptr);
}

TEST_F(GridSpin, AMaskedTextIsFittedToItsMaskOrLeftAsItWas) {
    struct Case {
        const char* mask;
        const char* text;
        bool up;
        const char* value;
        const char* increment;  // what the spin-increment event saw ("" none)
    } cases[] = {
        {"day", "10/12", false, "09/12", "09/12 1,2"},   // padded to the old number's two digits
        {"day", "09/12", true, "10/12", "10/12 1,2"},    // the whole stepped text fits
        {"day", "99/12", true, "99/12", ""},             // "100/12" does not fit: no step
        {"two", "10", false, "9", "9 1,1"},              // the whole new text comes before its padded form
        {"two", "10", true, "11", "11 1,2"},
        {"two", "99", true, "99", ""},                   // the mask is the limit
        {"unadjusted", "10/12", false, "9/12", "9/12 1,1"},  // a mask without the option
        {"", "10/12", false, "9/12", "9/12 1,1"},            // no mask
    };
    Integer row = 1;
    for (const Case& c : cases) {
        grid->SetCellMaskName(2, row, c.mask);
        grid->PutCellValue(2, row, Variant(std::string(c.text)));
        increments.clear();
        Spin(2, row, c.up);
        EXPECT_EQ(grid->CurrentCell()->GetValue().AsString(), c.value) << c.mask << " " << c.text;
        EXPECT_EQ(increments, c.increment[0] ? std::vector<std::string>{c.increment} : std::vector<std::string>{})
            << c.mask << " " << c.text;
        Key(VK_ESCAPE);
        Key(VK_ESCAPE);
        row = row % 4 + 1;
    }
}

}  // namespace
