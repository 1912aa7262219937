// Graphic fields: picture columns showing the BMP or JPEG stored in the
// record, read from the painted surface.
#include "dbgrid/tests/DBGridTestSupport.h"

#include <QImage>

#include "dbgrid/DBGridCols.h"
#include "platform/data/DataSet.h"
#include "platform/gui/Bitmap.h"

namespace {

// A solid picture as the bytes of a BMP or JPEG file.
std::string PictureBytes(QRgb rgb, bool jpeg) {
    QImage img(120, 60, QImage::Format_RGB32);
    img.fill(rgb);
    std::vector<std::uint8_t> data;
    if (jpeg) {
        data = EncodeJpeg(img, 95, false, false);
    } else {
        TBitmap bmp;
        bmp.SetImage(img);
        data = bmp.SaveToBytes();
    }
    return std::string(data.begin(), data.end());
}

// The 8-byte graphic header some tables put before the picture.
std::string WithGraphicHeader(const std::string& picture) {
    std::uint32_t size = std::uint32_t(picture.size());
    std::string h = {1, 0, 0, 1, char(size & 0xFF), char(size >> 8 & 0xFF), char(size >> 16 & 0xFF), char(size >> 24)};
    return h + picture;
}

class DBGridGraphic : public DBGridFixture {
protected:
    void SetUp() override {
        DBGridFixture::SetUp();
        photos = new TqmtMemTable(form);
        photos->FieldDefs().Add("Name", ftString, 20);
        photos->FieldDefs().Add("Photo", ftGraphic);
        photos->Open();
        Add("bmp", PictureBytes(qRgb(255, 0, 0), false));
        Add("header", WithGraphicHeader(PictureBytes(qRgb(0, 0, 255), false)));
        Add("jpeg", PictureBytes(qRgb(0, 160, 0), true));
        Add("null", std::string());
        Add("damaged", "not a picture at all");
        photos->First();
        source->SetDataSet(photos);
        Bind();
    }
    void Add(const std::string& name, const std::string& bytes) {
        photos->Append();
        photos->FieldByName("Name")->SetAsString(name);
        if (!bytes.empty()) photos->FieldByName("Photo")->SetAsString(bytes);
        photos->Post();
    }
    // The colour in the middle of the photo cell of a window row.
    QRgb PhotoPixel(Integer row) {
        const QImage& img = grid->Surface();
        TRect cell = grid->CellPixels(2, row);
        return img.pixel((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2);
    }
    TqmtMemTable* photos = nullptr;
};

TEST_F(DBGridGraphic, GraphicColumnsShowTheRecordsPictures) {
    EXPECT_EQ(grid->Col(2)->ControlType(), ctPicture);
    EXPECT_EQ(grid->FieldAdapter(2)->GetDisplayText(), "(GRAPHIC)");
    grid->Repaint();
    QRgb bmp = PhotoPixel(1), header = PhotoPixel(2), jpeg = PhotoPixel(3);
    EXPECT_EQ(bmp, qRgb(255, 0, 0));
    EXPECT_EQ(header, qRgb(0, 0, 255));
    EXPECT_LT(qRed(jpeg), 16);
    EXPECT_GT(qGreen(jpeg), 140);
    EXPECT_LT(qBlue(jpeg), 16);
    // No picture and a damaged one both leave the cell as its background.
    QRgb background = grid->Surface().pixel(grid->CellPixels(1, 4).Right - 3, grid->CellPixels(1, 4).Bottom - 3);
    EXPECT_EQ(PhotoPixel(4), background);
    EXPECT_EQ(PhotoPixel(5), background);
}

TEST_F(DBGridGraphic, AdapterReadsHeadersStrictlyAndRefusesOtherData) {
    TgrDBGraphicField* adapter = dynamic_cast<TgrDBGraphicField*>(grid->FieldAdapter(2));
    ASSERT_NE(adapter, nullptr);
    TBitmap picture;
    // A header whose size does not match the blob is part of the data: the
    // picture is then unreadable, and said so.
    std::string wrongSize = WithGraphicHeader(PictureBytes(qRgb(255, 0, 0), false));
    wrongSize[4] = char(wrongSize[4] + 1);
    struct Case {
        std::string bytes;
        bool readable;
    } cases[] = {{PictureBytes(qRgb(255, 0, 0), false), true},
                 {WithGraphicHeader(PictureBytes(qRgb(255, 0, 0), true)), true},
                 {wrongSize, false},
                 {"BM", false},
                 {std::string("\xFF\xD8\xFF", 3), false},
                 {std::string("\x01\x00\x00\x01\x00\x00\x00\x00", 8), false}};
    for (const Case& c : cases) {
        photos->Edit();
        photos->FieldByName("Photo")->SetAsString(c.bytes);
        if (c.readable) {
            adapter->AssignTo(picture);
            EXPECT_EQ(picture.Width(), 120);
            EXPECT_EQ(picture.Height(), 60);
        } else {
            EXPECT_THROW(adapter->AssignTo(picture), EInvalidGraphic) << c.bytes.size();
        }
        photos->Cancel();
    }
    // A picture written back is stored as a bitmap file and reads the same.
    TBitmap square;
    square.SetSize(8, 8);
    square.Canvas()->Brush()->SetColor(clBlue);
    square.Canvas()->FillRect(TRect(0, 0, 8, 8));
    photos->Edit();
    adapter->Assign(square);
    photos->Post();
    EXPECT_EQ(photos->FieldByName("Photo")->AsString().substr(0, 2), "BM");
    adapter->AssignTo(picture);
    EXPECT_EQ(picture.Width(), 8);
    EXPECT_EQ(picture.ToImage().pixel(4, 4), qRgb(0, 0, 255));
}

}  // namespace
