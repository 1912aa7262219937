#pragma once
// The cell values a grid keeps itself: a sparse store by column and row in
// which each row is a separately grown array, so many rows with few filled
// cells cost little. Columns and rows of cells count from 1; row 0 is the
// buffer into which the grid saves the row being edited so that an undo can
// restore it.
//
// The store writes and reads its content in the grid's cell-data stream
// format (all integers 32-bit little-endian, signed):
//   per used row r (r >= 1, in increasing order, rows without values left
//   out): r, the cell count n, then n cells for columns 1..n: a kind byte
//   and its payload (text: length and bytes; integer: the value; bitmap:
//   its 1-based number; empty and Null: nothing);
//   the end marker 0; the bitmap count m; then the m bitmaps, each in the
//   bitmap file format, in number order (each bitmap is written once).

#include <string>
#include <vector>

#include "platform/core/Streams.h"
#include "platform/core/Types.h"
#include "platform/core/Variant.h"
#include "platform/gui/Bitmap.h"

enum TtsCellKind : Byte {
    ckEmpty = 0,
    ckText = 1,
    ckInteger = 2,
    // A bitmap reference, counted in the shared bitmap set.
    ckBitmap = 3,
    // The name of an image-list picture; stored like text.
    ckImageRef = 4,
    ckNull = 5,
};

class Tts2DStorage {
public:
    // colHint: columns a row gets when it first grows (the grid gives its
    // column count, at most 256); rowHint: rows the table gets when it
    // first grows.
    Tts2DStorage(Integer colHint, Integer rowHint);
    virtual ~Tts2DStorage();
    Tts2DStorage(const Tts2DStorage&) = delete;
    Tts2DStorage& operator=(const Tts2DStorage&) = delete;

    Integer ColCapacityHint = 0;
    // The highest row and column a cell-data stream may name; a stream
    // naming one beyond is refused (the grid sets them to its counts).
    Integer RowLimit = 1000000;
    Integer ColLimit = 1000000;
    Integer RowCapacityHint = 0;

    // Copies the used rows of other (not its saved row).
    virtual void Assign(const Tts2DStorage& other);
    // Copies a row into the saved-row buffer (row 0).
    virtual void SaveRow(Integer row);
    virtual void ClearSavedRow();
    virtual void DeleteColumns(Integer first, Integer last);
    virtual void DeleteRows(Integer first, Integer last);
    // Empty outside the store; text and image names as strings, integers
    // and bitmaps (the reference, ObjectToVariant) as integers, Null cells
    // as Null.
    virtual Variant GetValue(Integer col, Integer row) const;
    // ckEmpty outside the store.
    virtual TtsCellKind GetKind(Integer col, Integer row) const;
    // Replaces the content (the whole store, or the mapped columns) with the
    // cells of a cell-data stream. columnMap, when given, maps stream column
    // i to display column columnMap[i-1] (columns beyond the map keep their
    // number; a mapped column <= 0 drops the cells). A stream that ends
    // early or is malformed raises EReadError; the store is then partly
    // filled.
    virtual void ReadCellData(TStream& stream, const std::vector<Integer>* columnMap = nullptr);
    // Copies the saved row back into row and empties the buffer.
    virtual void RestoreRow(Integer row);
    virtual void WriteCellData(TStream& stream) const;
    // Stores a value of a kind (growing the store as needed); an Empty value
    // clears the cell. col >= 1, row >= 0.
    virtual void SetValue(Integer col, Integer row, TtsCellKind kind, const Variant& value);

    void ClearCell(Integer col, Integer row);
    // Clears every cell of a row; newColCount >= 0 also resizes it (0 frees
    // it).
    void ClearRow(Integer row, Integer newColCount = -1);
    // Clears column col of every row from 1 (not the saved row).
    void ClearColumn(Integer col);
    // Clears and frees rows from first on (first 1 is taken as 0); with
    // shrink the table shrinks to first + 1 slots (to none from 0).
    void ClearRowsFrom(Integer first, bool shrink);
    // Highest row >= 1 that has cells, else 0.
    Integer LastUsedRow() const;
    // Highest column of a row whose kind is not empty, else 0.
    Integer LastUsedCol(Integer row) const;

    Integer RowTableCapacity() const { return static_cast<Integer>(rows_.size()); }
    Integer RowColCount(Integer row) const;
    Integer RowColCapacity(Integer row) const;

private:
    struct Cell {
        Integer number = 0;
        std::string text;
        TBitmap* bitmap = nullptr;
    };
    struct Row {
        std::vector<Cell> values;      // capacity entries
        std::vector<TtsCellKind> kinds;
        Integer count = 0;
        bool Allocated() const { return !values.empty(); }
    };

    void EnsureRow(Integer row);
    void EnsureCol(Integer col, Integer row);
    void SetColCapacity(Integer row, Integer n);
    void SetRowCapacity(Integer n);
    void SetBitmapCell(Integer col, Integer row, TBitmap* bitmap);
    void CopyRow(Integer source, Integer dest);
    void ReleaseCell(Cell& cell, TtsCellKind kind);
    bool HasCell(Integer col, Integer row) const;

    std::vector<Row> rows_;
};

// Writes a bitmap in the bitmap file format (an empty or missing bitmap as
// a header with no pixels).
void WriteBitmapFile(TStream& stream, TBitmap* bitmap);
// Reads one bitmap file from the stream into bitmap (an empty one from a
// header with no pixels). Raises EReadError for a short or malformed file.
void ReadBitmapFile(TStream& stream, TBitmap* bitmap);
