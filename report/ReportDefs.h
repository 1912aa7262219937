#pragma once
// Shared definitions of the report library: the base component, the
// enumerations of its published properties, the small records for saved
// positions, tab stops, fonts and buffered lines, the library's exception,
// the paper-size table and text and colour helpers.

#include <functional>
#include <string>
#include <vector>

#include "platform/core/Component.h"
#include "platform/core/Exception.h"
#include "platform/core/Streams.h"
#include "platform/core/Types.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/Graphics.h"
#include "platform/print/Printers.h"

// The library's version, shown by every component's Version property.
inline constexpr const char* ReportLibraryVersion = "Scorvane Reports 1.0";

class TVpComponent : public TComponent {
public:
    explicit TVpComponent(TComponent* owner) : TComponent(owner), version_(ReportLibraryVersion) {}
    const std::string& Version() const { return version_; }
    // Stored forms cannot change the version: every value is ignored.
    void SetVersion(const std::string&) {}

private:
    std::string version_;
};

enum TAccuracyMethod { amPositioning, amAppearance };
enum TMarginMethod { mmScaled, mmFixed };
enum TRulerType { rtNone, rtHorizCm, rtVertCm, rtBothCm, rtHorizIn, rtVertIn, rtBothIn };
enum TPrintJustify { pjCenter, pjLeft, pjRight, pjBlock };
enum TPrintUnits { unInch, unMM, unCM, unPoint, unUser };
enum TLineHeightMethod { lhmLinesPerInch, lhmFont, lhmUser };
enum TBKMode { bkTransparent, bkOpaque };
enum TStreamMode { smMemory, smFile, smUser, smTempFile };
// poPortrait, poLandScape, poDefault: shared with the platform's printer.
using TOrientation = TPrinterOrientation;
enum TDuplex { dupSimplex, dupVertical, dupHorizontal };
enum TReportDest { rdPreview, rdPrinter, rdFile };
enum TSystemSetup {
    ssAllowSetup, ssAllowCopies, ssAllowCollate, ssAllowDuplex, ssAllowDestPreview, ssAllowDestPrinter,
    ssAllowDestFile, ssAllowPrinterSetup, ssAllowPreviewSetup
};
using TSystemSetups = unsigned;  // bit (1 << member) per TSystemSetup
enum TVPDataType {
    dtString, dtInteger, dtBoolean, dtFloat, dtCurrency, dtBCD, dtDate, dtTime, dtDateTime, dtBlob, dtMemo,
    dtGraphic, dtInt64
};
enum TSystemOption {
    soUseFiler, soWaitForOK, soShowStatus, soAllowPrintFromPreview, soAllowSaveFromPreview, soPreviewModal,
    soNoGenerate
};
using TSystemOptions = unsigned;  // bit (1 << member) per TSystemOption

// Sender, page number (may be changed); true when another page follows.
using TPrintPageEvent = std::function<bool(TObject* sender, int& pageNum)>;
using TDecodeImageEvent =
    std::function<void(TObject* sender, TStream* imageStream, const std::string& imageType, TBitmap* bitmap)>;

struct TPosition {
    double X = 0;
    double Y = 0;
};

// One tab stop; lengths in inches.
struct TTab {
    double Pos = 0;
    TPrintJustify Justify = pjLeft;
    double Width = 0;  // 0: no box
    double Margin = 0;
    bool Left = false, Right = false, Top = false, Bottom = false;
    Byte Shade = 0;
};
using TTabList = std::vector<TTab>;

// One font state; lengths in inches.
struct TSaveFont {
    std::string Name;  // at most 60 characters
    TColor Color = clBlack;
    TFontPitch Pitch = fpDefault;
    double Size = 10;
    double Height = 10.0 / 72.0;
    double Width = 0;  // 0: the font's normal width
    double Ascent = 0;
    double Descent = 0;
    double InternalLeading = 0;
    bool Bold = false, Underline = false, Italic = false, Strikeout = false;
    bool Subscript = false, Superscript = false;
    SmallInt Rotation = 0;
    SmallInt Align = 0;
    SmallInt CacheNum = 0;
    int Handle = 0;  // realized device font (0: none)
    Byte CharSet = 1;
};

// The font a report starts with: Arial 10.
TSaveFont InitialReportFont();

// One buffered line segment.
struct TLineList {
    double P1 = 0;  // low end
    double P2 = 0;  // high end
    double C1 = 0;  // constant coordinate
    TColor PenColor = clBlack;
    Byte PenMode = pmCopy;
    Byte PenStyle = psSolid;
    int PenWidth = 1;
};

struct TVPStringObject {
    std::string Value;
};

// Error of the report library.
class EReportPrinter : public Exception {
public:
    using Exception::Exception;
};

// Every message text and default caption passes this hook; it starts as
// the identity.
using TTextTranslator = std::function<std::string(const std::string&)>;
TTextTranslator& ReportTextTranslator();
std::string Trans(const std::string& text);
[[noreturn]] void RaiseReportError(const std::string& message);

// Paper sizes: platform paper id, inches, name.
struct TPaperSizeRow {
    int Id;
    double Width;
    double Height;
    const char* Name;
};
inline constexpr int PaperSizeCount = 43;
extern const TPaperSizeRow PaperSizes[PaperSizeCount];
// The first row with the id, or null.
const TPaperSizeRow* FindPaperSize(int id);

// The colour lightened toward white: 100 percent is the colour, 0 white.
TColor ShadeColor(TColor color, int percent);

// Character sets of code pages and locales. This system has no machine
// code page or locale of its own: they are fixed to Windows-1252 and US
// English so results do not depend on the machine.
inline constexpr int SystemCodePage = 1252;
inline constexpr int UserDefaultLocale = 1033;
Byte CharsetOfCodePage(int codePage = SystemCodePage);
Byte ResolveDefaultCharset(Byte charset, int locale = UserDefaultLocale);

// Case-insensitive comparison (negative, 0, positive).
int CompareNoCase(const std::string& a, const std::string& b);
// 1-based character position of sub in text, 0 when absent.
int TextPos(const std::string& sub, const std::string& text);
std::string ReportUpperCase(const std::string& text);
// Writes the bytes of the text (no length, no terminator).
void WriteText(TStream& stream, const std::string& text);
// Characters counted as whole (multi-byte) characters, 1-based index.
std::string MBCSCopy(const std::string& text, int index, int count);
void MBCSDelete(std::string& text, int index, int count);
