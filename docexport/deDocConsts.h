#pragma once
// Enumerations shared by the document export engine, its items, settings
// and formats.

#include <cstdint>

#include "platform/print/Printers.h"

enum TdeUnitType { muPixels, muInches, muMM, muPoints, muTwips };

enum TdePaperSize {
    Letter, LetterSmall, Tabloid, Ledger, Legal, Statement, Executive, A3, A4, A4Small, A5, B4, B5,
    Folio, Quarto, ps10X14, ps11X17, Note, Env10, Env11, Env12, Env14, CSheet, DSheet, ESheet, EnvDL,
    EnvC5, EnvC3, EnvC4, EnvC6, EnvC65, EnvB4, EnvB5, EnvB6, EnvItaly, EnvMonarch, EnvPersonal,
    FanfoldUS, FanfoldStdGerman, ISOB4, Custom
};
inline constexpr int dePaperSizeCount = Custom + 1;

// The printer's orientation names, shared with the report library so that
// both can be used in one unit; the engine uses poPortrait and poLandscape.
using TdeOrientation = TPrinterOrientation;

enum TdeOutputImageFormat { ifBMP, ifJPEG, ifGIF, ifPNG, ifMetafile, ifCCITT3, ifCCITT4 };

enum TdeBackgroundDisplayType {
    dtTile, dtTopLeft, dtTopCenter, dtTopRight, dtCenterLeft, dtCenter, dtCenterRight, dtBottomLeft,
    dtBottomCenter, dtBottomRight
};

// Origin and extent of the drawing area.
enum TdeReferencePoint { vpPage, vpMargin, vpBand };

// Kinds of items recorded.
enum TdeItemToRender { irText, irImage, irShape };
using TdeItemsToRender = unsigned;  // set of TdeItemToRender bits
inline constexpr TdeItemsToRender ItemBit(TdeItemToRender i) { return 1u << static_cast<unsigned>(i); }
inline constexpr TdeItemsToRender deAllItems = ItemBit(irText) | ItemBit(irImage) | ItemBit(irShape);

// Horizontal alignment of text items, boxes, columns and paragraphs.
enum TdeHAlignment : std::uint8_t { haLeft = 0, haRight = 1, haCenter = 2, haJustify = 3 };
// Vertical alignment of text boxes.
enum TdeVAlignment : std::uint8_t { vaTop = 0, vaCenter = 1, vaBottom = 2 };

enum TdeTextRenderMode { trmFill, trmStroke, trmFillStroke };
enum TdeTextRise { trNormal, trSuperscript, trSubscript };

// Shape types of TdeShapeItem.
enum TdeShapeType : std::uint8_t {
    stLine = 0, stRectangle = 1, stRoundRect = 2, stEllipse = 3, stPolygon = 4, stPolyLine = 5,
    stArc = 6, stChord = 7, stPie = 8, stPolyBezier = 9
};

// Band codes of the engine.
enum TdeBand { bdBody = 0, bdHeader = 1, bdFooter = 2, bdUnderlay = 3, bdOverlay = 4 };

// Capability bits of an engine.
enum : std::uint16_t {
    capText = 1u << 0,
    capImage = 1u << 1,
    capShape = 1u << 2,
    capHeaderFirstPageOnly = 1u << 3,
    capFooterFirstPageOnly = 1u << 4,
    capUnderlayFirstPageOnly = 1u << 5,
    capOverlayFirstPageOnly = 1u << 6,
    capStretchNaturalSize = 1u << 7,
    capKeepNaturalSize = 1u << 8,
    capMetafileAsIs = 1u << 9,
};

// Engine status.
enum TdeEngineStatus : std::uint8_t {
    esIdle = 0, esStarted = 1, esEnded = 2, esCancelled = 3, esFileError = 4
};
