#pragma once
// Texts of the document export engine: messages, format descriptions, link
// markers and the captions of its setup dialogs. They are variables so that
// a translation can replace them at start-up.

#include <string>
#include <vector>

// Messages.
extern std::string SdeInvalidPageNumber;
extern std::string SdeFileCreateError;
extern std::string SdeUnknownGraphics;
extern std::string SdeInvalidEngineState;
extern std::string SdeRtfNoTile;
extern std::string SdeExcelImageFormats;
extern std::string SdeRtfUnsupportedFormat;
extern std::string SdeInvalidZStreamOperation;

// Format descriptions.
extern std::string SdeRtfDescription;
extern std::string SdeExcelDescription;

// Link markers.
extern std::string SdeHttpMarker;
extern std::string SdeFtpMarker;
extern std::string SdeWwwMarker;

// Page-range hint.
extern std::string SdePageRangeHint;

// Display names in the order of their enumerations.
extern std::vector<std::string> SdePaperSizeNames;        // TdePaperSize
extern std::vector<std::string> SdeOrientationNames;      // portrait, landscape
extern std::vector<std::string> SdeImageFormatNames;      // TdeOutputImageFormat
extern std::vector<std::string> SdePixelFormatNames;      // device .. custom
extern std::vector<std::string> SdeDisplayTypeNames;      // TdeBackgroundDisplayType

// Captions of the setup dialogs.
extern std::string SdePreferences, SdeContent, SdeBackground, SdeFormatting, SdePreview,
    SdePageRange, SdeAllPages, SdePages, SdePageMargins, SdeOpenAfterCreate, SdeEmailAfterCreate,
    SdeProcessAfterEachPage, SdeUseImagesAsResources, SdeItemsToRender, SdeText, SdeImage, SdeShape,
    SdeOutputImageFormat, SdeJpegQuality, SdeImagePixelFormat, SdeSourceDpi, SdeBackgroundImage,
    SdeBackgroundDisplayType, SdeBackgroundColor, SdeSelectImage, SdeClear, SdeDocumentInformation,
    SdeAuthor, SdeCreator, SdeKeywords, SdeSubject, SdeTitle, SdeOK, SdeCancel, SdeRtfSetup,
    SdeGraphicDataInBinary, SdeEncodingType, SdePositionalAccuracy, SdeEaseOfEditing,
    SdeActiveHyperLinks, SdeExcelSetup, SdePagesPerWorkSheet, SdePrintGridLines, SdeAutoFormatCells,
    SdeColumnSpacing, SdeRowSpacing, SdeScaleX, SdeScaleY;
