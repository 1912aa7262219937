#pragma once
// Page items: what the document engine records for every drawing call, kept
// in the lists of a page or band until the page is rendered. Geometry is in
// screen pixels relative to the page's top-left corner. An item owns the
// tools, settings, lines and streams it holds; copies from the engine are
// values, never shared objects.

#include <memory>
#include <string>
#include <vector>

#include "docexport/deClasses.h"
#include "docexport/deDocSettings.h"
#include "docexport/deUtils.h"
#include "platform/gui/Graphics.h"

class TdeCustomDocumentEngine;

// Base of every item that stands in an item list.
class TdeDocumentItem : public TObject {};

using TdeItemList = std::vector<TdeDocumentItem*>;

class TdeTextItem : public TdeDocumentItem {
public:
    double X = 0, Y = 0;  // top-left corner of the first line
    TWideStrings Lines;   // line 0 holds a plain item's text
    Integer Rotation = 0;  // degrees, -359..359
    TFont Font;
    TBrush Brush;
    TdeTextEffects Effects;
    TdeHAlignment Alignment = haLeft;
    bool FromMetafile = false;
    // Advance of each character in pixels, as a metafile recorded them
    // (empty for texts drawn through the engine).
    std::vector<double> Advances;

    bool Clipped() const { return clipped_; }
    // Clearing it zeroes ClipRect.
    void SetClipped(bool v);
    TdeRect ClipRect;

private:
    bool clipped_ = false;
};

class TdeTextBoxItem : public TdeTextItem {
public:
    double Width = 0, Height = 0;
    TdeFrame Frame;  // without engine: insets as stored
    TdeHAlignment HAlign = haLeft;
    TdeVAlignment VAlign = vaTop;
    TPen Pen;
};

class TdeImageItem : public TdeDocumentItem {
public:
    TdeImageItem() : Settings(nullptr) {}
    double X = 0, Y = 0, Width = 0, Height = 0;  // where the image is drawn
    Integer ImageIndex = -1;
    TdeFrame Frame;
    TPen Pen;
    TBrush Brush;
    TdeImageSettings Settings;
    TdeRect BoxRect;  // the caller's rectangle, normalized
    // Places the item in the rectangle: X, Y the smaller coordinates, the
    // size the absolute differences, BoxRect the normalized rectangle.
    void SetFromRect(const TdeRect& r);
};

class TdeImageStream : public TdeImageItem {
public:
    TMemoryStream Stream;  // the image file's bytes
    Integer ImageWidth = 0, ImageHeight = 0;
};

class TdeShapeItem : public TdeDocumentItem {
public:
    std::unique_ptr<TBrush> Brush;  // filled shapes only
    TPen Pen;
    TdeShapeType ShapeType = stLine;
    TdePoints Points;
    int PointCount() const { return static_cast<int>(Points.size()); }
};

// Several polygons (all type 4) or polylines (all type 5) drawn as one.
class TdePolyShapeItem : public TdeDocumentItem {
public:
    std::vector<std::unique_ptr<TdeShapeItem>> Items;
    bool AlternateFill = false;
};

class TdePolyPolygonItem : public TdeDocumentItem {
public:
    std::unique_ptr<TBrush> Brush;
    TPen Pen;
    Integer PolygonCount = 0;
    bool AlternateFill = false;
    // Counts[0] the total number of points, Counts[i] those of polygon i.
    std::vector<Integer> Counts;
    TdePoints Points;
};

class TdePolyDrawItem : public TdeDocumentItem {
public:
    std::unique_ptr<TBrush> Brush;
    TPen Pen;
    std::vector<Byte> PointTypes;
    TdePoints Points;
    int PointCount() const { return static_cast<int>(Points.size()); }
};

class TdeClipItem : public TdeDocumentItem {
public:
    std::unique_ptr<TBrush> Brush;
    TPen Pen;
    Byte Operation = 0;  // 0 set the clip region, 1 reset it
    Integer Mode = 0;    // region mode: 1 and, 2 or, 3 xor, 4 difference, 5 copy
    // Two points per rectangle: the region's bounds, then its rectangles
    // after the first.
    TdePoints Points;
    int PointCount() const { return static_cast<int>(Points.size()); }
};

class TdePathItem : public TdeDocumentItem {
public:
    std::unique_ptr<TBrush> Brush;  // created on demand
    std::unique_ptr<TPen> Pen;
    Byte Operation = 0;
    Integer Mode = 0;  // region mode of a select-clip-path item
    bool AlternateFill = false;
};

// End-of-figure marker.
class TdeEOFItem : public TdeDocumentItem {
public:
    Integer Value = 0;
};

class TdeTableItem;

class TdeColumn {
public:
    double Width() const { return width_; }
    // Tells the table (OnWidthChange) about the new width.
    void SetWidth(double w);
    // Sets the width without telling the table.
    void SetWidthSilently(double w) { width_ = w; }
    TdeHAlignment Alignment = haLeft;
    std::string Title;
    std::function<void(TdeTableItem* table, double width)> OnWidthChange;
    TdeTableItem* Table = nullptr;

private:
    double width_ = 0;
};

class TdeTableItem : public TdeDocumentItem {
public:
    TdeTableItem(TdeCustomDocumentEngine* engine, int columnCount);

    TdeCustomDocumentEngine* Engine = nullptr;
    double X = 0, Y = 0;
    double AvailableWidth = 0, AvailableHeight = 0;
    Integer RowIndex = -1;
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    TFont Font;
    TBrush Brush;
    TPen Pen;
    TdeTextEffects Effects;
    TdeTableSettings Settings;
    std::vector<Integer> RowHeights;  // pixels, one per row
    // One list of cell items per row; a cell item's X holds its column and
    // its Y its row until the table is rendered.
    std::vector<std::vector<std::unique_ptr<TdeDocumentItem>>> RowCells;
    // Rows per page: the first page number, the row count of each page and
    // a terminating 0 (filled when the table ends).
    std::vector<Integer> RowDistribution;
    bool Finished = false;
    Integer TableNumber = -1;

    // Resets every column's width to the settings' column width first.
    std::vector<TdeColumn*> Columns();
    TdeColumn* Column(int index) { return columns_[static_cast<std::size_t>(index)].get(); }
    // Title row (when titles are shown) plus rows 0..RowIndex.
    double TotalHeight() const;

private:
    std::vector<std::unique_ptr<TdeColumn>> columns_;
};

class TdeParagraphItem : public TdeDocumentItem {
public:
    double X = 0, Y = 0;
    double Width = 0;   // text width
    double Height = 0;  // available when opened, used when closed
    TFont Font;
    TBrush Brush;
    TWideStrings Lines;
    TdeTextFormatting Formatting;
    TdeTextEffects Effects;
    bool Present = false;  // a continuation piece still to be placed
};

// A band, or the content of a page. The band's lists hold items the engine
// frees; freeing a band leaves them alone.
// A named place on a page (RTF writes it as a bookmark).
class TdeBookmarkItem : public TdeDocumentItem {
public:
    std::string Name;
    double X = 0, Y = 0;
};

// One line of texts set at tab stops (right-aligned stops at the given
// positions, then regular ones at the default interval).
class TdeTabItem : public TdeDocumentItem {
public:
    double SpaceBefore = 0;       // pixels
    double LineSpacing = 1;       // factor of the line height
    double DefaultInterval = 48;  // pixels between the regular stops
    std::vector<std::string> Texts;
    std::vector<double> Positions;  // pixels
    TFont Font;
};

class TdeBandItem : public TObject {
public:
    TdeItemList GraphicItems;
    TdeItemList TextItems;
    double FlowY = 0;
};

class TdePageItem : public TdeBandItem {
public:
    TdePageItem(TdeCustomDocumentEngine* engine, const TdePageSettings& page);
    TdeCustomDocumentEngine* Engine;
    TdePageSettings Settings;  // a copy in pixels (F = 1)
};

// One saved drawing state of an engine.
class TdeEngineState : public TObject {
public:
    TdeEngineState() : ImageSettings(nullptr) {}
    TFont Font;
    TPen Pen;
    TBrush Brush;
    TdeImageSettings ImageSettings;
    TdeTextFormatting TextFormatting;
    TdeTableSettings TableSettings;
    TdePageSettings PageSettings;
    TdeTextEffects Effects;
};
