#include "docexport/deDocResStrs.h"

#include "docexport/deDocUtils.h"

std::string SdeInvalidPageNumber = "Invalid Page Number";
std::string SdeFileCreateError =
    "File could not be created!\r\n\r\nPossible cause: It could be in use by some other application";
std::string SdeUnknownGraphics = "Unknown Graphics format";
std::string SdeInvalidEngineState = "Not a valid Engine State identifier";
std::string SdeRtfNoTile = "The RTF Engine does not support Tile display type";
std::string SdeExcelImageFormats = "The Excel Engine supports only  BMP and Metafile image formats";
std::string SdeRtfUnsupportedFormat = "The RTF Engine does not support this format";
std::string SdeInvalidZStreamOperation = "Invalid ZStream operation!";

std::string SdeRtfDescription = "Rich Text Format";
std::string SdeExcelDescription = "Microsoft Excel Workbook";

std::string SdeHttpMarker = "http://";
std::string SdeFtpMarker = "ftp://";
std::string SdeWwwMarker = "www.";

std::string SdePageRangeHint =
    "Enter page numbers and/or page ranges separated by commas. For example, 1,3,5-12";

std::vector<std::string> SdePaperSizeNames = {
    "Letter", "Letter Small", "Tabloid", "Ledger", "Legal", "Statement", "Executive", "A3", "A4",
    "A4 Small", "A5", "B4", "B5", "Folio", "Quarto", "10 X 14", "11 X 17", "Note", "Env 10", "Env 11",
    "Env 12", "Env 14", "C Sheet", "D Sheet", "E Sheet", "Env DL", "Env C5", "Env C3", "Env C4",
    "Env C6", "Env C65", "Env B4", "Env B5", "Env B6", "Env Italy", "Env Monarch", "Env Personal",
    "Fanfold US", "Fanfold Std German", "ISO B4", "Custom"};
std::vector<std::string> SdeOrientationNames = {"Portrait", "LandScape"};
std::vector<std::string> SdeImageFormatNames = {"BMP", "JPEG", "GIF", "PNG", "Metafile", "CCITT3", "CCITT4"};
std::vector<std::string> SdePixelFormatNames = {"Device", "1 bit", "4 bit", "8 bit", "15 bit",
                                                "16 bit", "24 bit", "32 bit", "Custom"};
std::vector<std::string> SdeDisplayTypeNames = {"Tile", "Top-Left", "Top-Center", "Top-Right",
                                                "Center-Left", "Center", "Center-Right", "Bottom-Left",
                                                "Bottom-Center", "Bottom-Right"};

std::string SdePreferences = "Preferences", SdeContent = "Content", SdeBackground = "Background",
            SdeFormatting = "Formatting", SdePreview = "Preview", SdePageRange = "Page Range",
            SdeAllPages = "All Pages", SdePages = "Pages:", SdePageMargins = "Page Margins",
            SdeOpenAfterCreate = "Open After Create", SdeEmailAfterCreate = "Email After Create",
            SdeProcessAfterEachPage = "Process After Each Page",
            SdeUseImagesAsResources = "Use Images As Resources", SdeItemsToRender = "Items To Render",
            SdeText = "Text", SdeImage = "Image", SdeShape = "Shape",
            SdeOutputImageFormat = "Output Image Format:", SdeJpegQuality = "JPEG Quality:",
            SdeImagePixelFormat = "Image Pixel Format:", SdeSourceDpi = "Source DPI:",
            SdeBackgroundImage = "Background Image:", SdeBackgroundDisplayType = "Background Display Type:",
            SdeBackgroundColor = "Background Color:", SdeSelectImage = "Select Image", SdeClear = "Clear",
            SdeDocumentInformation = "Document Information", SdeAuthor = "Author:",
            SdeCreator = "Creator:", SdeKeywords = "Keywords:", SdeSubject = "Subject:",
            SdeTitle = "Title:", SdeOK = "OK", SdeCancel = "Cancel", SdeRtfSetup = "RTF Setup",
            SdeGraphicDataInBinary = "Graphic Data In Binary", SdeEncodingType = "Encoding Type",
            SdePositionalAccuracy = "Positional Accuracy", SdeEaseOfEditing = "Ease Of Editing",
            SdeActiveHyperLinks = "Active HyperLinks", SdeExcelSetup = "Excel Setup",
            SdePagesPerWorkSheet = "Pages Per WorkSheet:", SdePrintGridLines = "Print Grid Lines",
            SdeAutoFormatCells = "Auto Format Cells", SdeColumnSpacing = "Column Spacing:",
            SdeRowSpacing = "Row Spacing:", SdeScaleX = "Scale X:", SdeScaleY = "Scale Y:";

EInvalidPageNumber::EInvalidPageNumber() : EdeEngineError(SdeInvalidPageNumber) {}
EFileCreateError::EFileCreateError() : EdeEngineError(SdeFileCreateError) {}
EUnsupportedGraphics::EUnsupportedGraphics() : EdeEngineError(SdeUnknownGraphics) {}
EInvalidEngineState::EInvalidEngineState() : EdeEngineError(SdeInvalidEngineState) {}
