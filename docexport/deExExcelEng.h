#pragma once
// Pictures, shapes and text boxes on workbook sheets: drawing objects
// anchored to cells (an OBJ record per object, pictures followed by their
// data), the row heights the anchors need, and the background picture on
// every sheet.

#include <memory>
#include <vector>

#include "docexport/deExcelEng.h"

class TdeExExcelEngine : public TdeCustomExcelEngine {
public:
    explicit TdeExExcelEngine(TComponent* owner);
    ~TdeExExcelEngine() override;

    // A cell anchor: column and row with the offsets into them (1/1024 of
    // the column's width, 1/256 of the row's height); rows include the
    // page's row offset.
    struct TAnchor {
        Word Col1 = 0, Dx1 = 0, Row1 = 0, Dy1 = 0, Col2 = 0, Dx2 = 0, Row2 = 0, Dy2 = 0;
    };
    TAnchor AnchorOf(double x, double y, double w, double h);
    Integer ObjectNumber() const { return objectNumber_; }

    void StartPage() override;
    void StartDocument() override;
    void FinishDocument() override;
    void RenderText(TdeTextItem* item) override;
    void RenderTextBox(TdeTextBoxItem* item) override;
    void RenderImage(TdeImageItem* item) override;
    void RenderLine(const TPen& pen, double x1, double y1, double x2, double y2) override;
    void RenderRectangle(const TPen& pen, const TBrush* brush, double x1, double y1, double x2,
                         double y2) override;
    void RenderRoundRect(const TPen& pen, const TBrush* brush, double x1, double y1, double x2, double y2,
                         double cornerWidth, double cornerHeight) override;
    void RenderEllipse(const TPen& pen, const TBrush* brush, double x1, double y1, double x2, double y2) override;
    void RenderPolygon(const TdePoints& points, const TBrush* brush, const TPen& pen, bool closed) override;
    void RenderBitmap(TBitmap* bitmap, double x, double y) override;
    // With MetafileAsImage the metafile becomes one picture item.
    void ProcessMetafile(const TMetafile& metafile, double x, double y) override;
    bool CheckImageFormat(TdeOutputImageFormat format, std::string& message) override;
    // Shows the workbook setup dialog for this engine.
    int ExecuteSetupDialog() override;

protected:
    void WriteDrawingObjects(TStream& s) override;

private:
    double ColumnPixels(Integer column) const;
    double RowPixels(Integer row) const;
    void WriteCommon(TStream& s, Word length, Word type, const TAnchor& a, Byte byte30 = 0);
    void WriteShape(Word type, const TPen& pen, const TBrush* brush, double x1, double y1, double x2, double y2,
                    Word roundness);
    // OBJ, IMDATA and CONTINUE records of a picture (the bitmap's pixels).
    void WritePicture(TStream& s, TBitmap& bitmap, const TAnchor& a, bool background);
    void WriteMetafilePicture(TStream& s, const TMetafile& metafile, const TAnchor& a);
    // OBJ, IMDATA and CONTINUE records of one picture whose data is ready.
    void WritePictureRecords(TStream& s, Word format, const std::string& data, const TAnchor& a, bool background);

    Integer objectNumber_ = 0;
    Integer lastTextRow_ = -1;
    double tallest_ = 0;
    std::vector<double> rowHeights_;  // pixels, by row of the sheet
};

// The workbook engine offered as a report output.
class TdeExcelEngine : public TdeExExcelEngine {
public:
    using TdeExExcelEngine::TdeExExcelEngine;
};
