#pragma once
// Settings objects that the document engine and its callers exchange: page
// geometry, frames, table and paragraph formatting, borders, text effects,
// image settings, document information and preferences, and the component
// that shares one set of them between engines.
//
// Lengths are kept in screen pixels; objects that present lengths to
// callers keep a unit factor F (pixels per unit, 1 by default, set by the
// engine's MeasurementUnit): getters return stored / F, setters store
// value × F.

#include <array>
#include <string>
#include <vector>

#include "docexport/deClasses.h"
#include "docexport/deDocConsts.h"
#include "platform/core/Object.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/Graphics.h"

class TdeCustomDocumentEngine;
class TdeDocSettings;

// Paper size in inches (width, height); Custom gives (0, 0).
std::pair<double, double> PaperSizeInches(TdePaperSize size);

// ---- page --------------------------------------------------------------------

enum TdePageLength { plWidth, plHeight, plLeftMargin, plRightMargin, plTopMargin, plBottomMargin,
                     plHeaderHeight, plFooterHeight };
inline constexpr int dePageLengthCount = plFooterHeight + 1;

class TdePageSettings : public TPersistent {
public:
    // owner: the engine's page, a shared settings component's page (which
    // passes changes on to attached engines), or none for page copies.
    explicit TdePageSettings(TdeDocSettings* sharedOwner = nullptr);

    TdePaperSize PaperSize() const { return paperSize_; }
    // Anything but Custom sets the size from the paper table (swapped in
    // landscape).
    void SetPaperSize(TdePaperSize size);
    TdeOrientation Orientation() const { return orientation_; }
    // A different value swaps width and height.
    void SetOrientation(TdeOrientation o);
    // Width and height can be set only while the paper size is Custom.
    double Width() const { return Get(plWidth); }
    void SetWidth(double v);
    double Height() const { return Get(plHeight); }
    void SetHeight(double v);
    double LeftMargin() const { return Get(plLeftMargin); }
    void SetLeftMargin(double v) { Set(plLeftMargin, v); }
    double RightMargin() const { return Get(plRightMargin); }
    void SetRightMargin(double v) { Set(plRightMargin, v); }
    double TopMargin() const { return Get(plTopMargin); }
    void SetTopMargin(double v) { Set(plTopMargin, v); }
    double BottomMargin() const { return Get(plBottomMargin); }
    void SetBottomMargin(double v) { Set(plBottomMargin, v); }
    double HeaderHeight() const { return Get(plHeaderHeight); }
    void SetHeaderHeight(double v) { Set(plHeaderHeight, v); }
    double FooterHeight() const { return Get(plFooterHeight); }
    void SetFooterHeight(double v) { Set(plFooterHeight, v); }
    Integer BinNumber() const { return binNumber_; }
    void SetBinNumber(Integer v) { binNumber_ = v; }

    // Lengths in pixels, whatever the unit.
    double Pixels(TdePageLength which) const { return px_[which]; }
    void SetPixels(TdePageLength which, double v) { px_[which] = v; }

    double F() const { return f_; }
    void SetF(double f) { f_ = f; }

    // Copies every stored value except the owner and F.
    void Assign(const TPersistent* source) override;

private:
    double Get(TdePageLength which) const { return px_[which] / f_; }
    void Set(TdePageLength which, double v);
    void ApplyPaperSize(TdePaperSize size);

    std::array<double, dePageLengthCount> px_{};
    TdePaperSize paperSize_ = A4;
    TdeOrientation orientation_ = poPortrait;
    Integer binNumber_ = 0;
    TdeDocSettings* shared_ = nullptr;
    double f_ = 1.0;
};

// ---- frame, table and paragraph formatting -----------------------------------

// Which sides of a cell or box are drawn, and the inner spacing.
class TdeFrame : public TPersistent {
public:
    explicit TdeFrame(TdeCustomDocumentEngine* engine = nullptr) : engine_(engine) {}
    TdeCustomDocumentEngine* Engine() const { return engine_; }

    bool DrawLeft = true, DrawRight = true, DrawTop = true, DrawBottom = true;
    // Insets in the engine's unit (left, top, right, bottom), as stored.
    std::array<double, 4> Insets{};
    // Insets in pixels: multiplied by the engine's unit factor when the
    // frame belongs to an engine, unchanged otherwise.
    std::array<double, 4> InsetsPixels() const;

    void Assign(const TPersistent* source) override;

private:
    TdeCustomDocumentEngine* engine_;
};

class TdeTableSettings : public TPersistent {
public:
    double ColumnWidth() const { return columnWidth_ / f_; }
    void SetColumnWidth(double v) { columnWidth_ = v * f_; }
    double RowHeight() const { return rowHeight_ / f_; }
    void SetRowHeight(double v) { rowHeight_ = v * f_; }
    double TitleHeight() const { return titleHeight_ / f_; }
    void SetTitleHeight(double v) { titleHeight_ = v * f_; }
    // Left, top, right, bottom.
    double CellInset(int side) const { return cellInsets_[static_cast<std::size_t>(side)] / f_; }
    void SetCellInset(int side, double v) { cellInsets_[static_cast<std::size_t>(side)] = v * f_; }
    bool AutoFitColumns = false;
    bool ShowTitles = false;

    // Pixel values.
    double ColumnWidthPx() const { return columnWidth_; }
    void SetColumnWidthPx(double v) { columnWidth_ = v; }
    double RowHeightPx() const { return rowHeight_; }
    void SetRowHeightPx(double v) { rowHeight_ = v; }
    double TitleHeightPx() const { return titleHeight_; }
    void SetTitleHeightPx(double v) { titleHeight_ = v; }
    const std::array<double, 4>& CellInsetsPx() const { return cellInsets_; }
    void SetCellInsetsPx(const std::array<double, 4>& v) { cellInsets_ = v; }

    double F() const { return f_; }
    void SetF(double f) { f_ = f; }
    // Copies everything except F.
    void Assign(const TPersistent* source) override;

private:
    double columnWidth_ = 0, rowHeight_ = 0, titleHeight_ = 0;
    std::array<double, 4> cellInsets_{};
    double f_ = 1.0;
};

// Page or paragraph border lines.
class TdeBorder : public TPersistent {
public:
    bool DrawLeft = false, DrawRight = false, DrawTop = false, DrawBottom = false;
    TColor Color = clBlack;
    TPenStyle Style = psSolid;
    Integer Width = 1;  // pixels
    bool Any() const { return DrawLeft || DrawRight || DrawTop || DrawBottom; }
    void Assign(const TPersistent* source) override;
};

class TdeParaBorder : public TdeBorder {
public:
    Integer Spacing = 0;  // distance between border and text
    void Assign(const TPersistent* source) override;
};

class TdeTextFormatting : public TPersistent {
public:
    double SpaceBefore() const { return spaceBefore_ / f_; }
    void SetSpaceBefore(double v) { spaceBefore_ = v * f_; }
    double LeftIndent() const { return leftIndent_ / f_; }
    void SetLeftIndent(double v) { leftIndent_ = v * f_; }
    double RightIndent() const { return rightIndent_ / f_; }
    void SetRightIndent(double v) { rightIndent_ = v * f_; }
    double FirstLineIndent() const { return firstLineIndent_ / f_; }
    void SetFirstLineIndent(double v) { firstLineIndent_ = v * f_; }
    double LineSpacing = 1.0;  // multiplier of the line height
    TdeHAlignment Alignment = haLeft;
    TdeParaBorder Border;

    double SpaceBeforePx() const { return spaceBefore_; }
    double LeftIndentPx() const { return leftIndent_; }
    double RightIndentPx() const { return rightIndent_; }
    double FirstLineIndentPx() const { return firstLineIndent_; }

    double F() const { return f_; }
    void SetF(double f) { f_ = f; }
    // Copies everything, F and the border included.
    void Assign(const TPersistent* source) override;

private:
    double spaceBefore_ = 0, leftIndent_ = 0, rightIndent_ = 0, firstLineIndent_ = 0;
    double f_ = 1.0;
};

class TdeTextEffects : public TPersistent {
public:
    TdeTextRenderMode TextRenderMode = trmFill;
    TdeTextRise TextRise = trNormal;
    void Assign(const TPersistent* source) override;
};

// ---- images --------------------------------------------------------------------

class TdeImageSettings : public TPersistent {
public:
    // engine: the engine whose CheckImageFormat may refuse a format; none
    // for the settings of an image item.
    explicit TdeImageSettings(TdeCustomDocumentEngine* engine = nullptr);

    bool Center = false, ActualSize = false, Stretch = false, Transparent = false,
         KeepAspectRatio = false, Framed = false;
    // -1: the image's pixel size is its size.
    Integer SourceDPI;
    TPixelFormat ImagePixelFormat = pf24bit;
    Integer JPEGQuality = 100;

    TdeOutputImageFormat OutputImageFormat() const { return format_; }
    // An engine that refuses the format shows its message in an error box
    // and the value stays unchanged.
    void SetOutputImageFormat(TdeOutputImageFormat f);

    void Assign(const TPersistent* source) override;

private:
    TdeCustomDocumentEngine* engine_;
    TdeOutputImageFormat format_ = ifBMP;
};

// ---- document information and preferences --------------------------------------

enum TdeDocInfoField { diAuthor, diSubject, diCreator, diTitle, diKeywords };
inline constexpr int deDocInfoFieldCount = diKeywords + 1;

class TdeDocInfo : public TPersistent {
public:
    explicit TdeDocInfo(TdeDocSettings* sharedOwner = nullptr) : shared_(sharedOwner) {}
    const std::string& Get(TdeDocInfoField f) const { return values_[f]; }
    void Set(TdeDocInfoField f, const std::string& v);
    const std::string& Author() const { return values_[diAuthor]; }
    void SetAuthor(const std::string& v) { Set(diAuthor, v); }
    const std::string& Subject() const { return values_[diSubject]; }
    void SetSubject(const std::string& v) { Set(diSubject, v); }
    const std::string& Creator() const { return values_[diCreator]; }
    void SetCreator(const std::string& v) { Set(diCreator, v); }
    const std::string& Title() const { return values_[diTitle]; }
    void SetTitle(const std::string& v) { Set(diTitle, v); }
    const std::string& Keywords() const { return values_[diKeywords]; }
    void SetKeywords(const std::string& v) { Set(diKeywords, v); }
    void Assign(const TPersistent* source) override;

private:
    std::array<std::string, deDocInfoFieldCount> values_;
    TdeDocSettings* shared_;
};

enum TdePreference { prOpenAfterCreate, prEmailAfterCreate, prOutputToUserStream, prProcessAfterEachPage,
                     prShowSetupDialog, prCalculateVariables, prUseImagesAsResources };
inline constexpr int dePreferenceCount = prUseImagesAsResources + 1;

class TdePreferences : public TPersistent {
public:
    explicit TdePreferences(TdeDocSettings* sharedOwner = nullptr);
    bool Get(TdePreference p) const { return values_[p]; }
    void Set(TdePreference p, bool v);
    bool OpenAfterCreate() const { return values_[prOpenAfterCreate]; }
    void SetOpenAfterCreate(bool v) { Set(prOpenAfterCreate, v); }
    // Stored and copied only.
    bool EmailAfterCreate() const { return values_[prEmailAfterCreate]; }
    void SetEmailAfterCreate(bool v) { Set(prEmailAfterCreate, v); }
    bool OutputToUserStream() const { return values_[prOutputToUserStream]; }
    void SetOutputToUserStream(bool v) { Set(prOutputToUserStream, v); }
    bool ProcessAfterEachPage() const { return values_[prProcessAfterEachPage]; }
    void SetProcessAfterEachPage(bool v) { Set(prProcessAfterEachPage, v); }
    bool ShowSetupDialog() const { return values_[prShowSetupDialog]; }
    void SetShowSetupDialog(bool v) { Set(prShowSetupDialog, v); }
    bool CalculateVariables() const { return values_[prCalculateVariables]; }
    void SetCalculateVariables(bool v) { Set(prCalculateVariables, v); }
    bool UseImagesAsResources() const { return values_[prUseImagesAsResources]; }
    void SetUseImagesAsResources(bool v) { Set(prUseImagesAsResources, v); }
    void Assign(const TPersistent* source) override;

private:
    std::array<bool, dePreferenceCount> values_;
    TdeDocSettings* shared_;
};

// ---- shared settings --------------------------------------------------------------

// One set of values shared by several engines. Attached engines take its
// values; a later change reaches every engine whose own value still equals
// the old shared one, so values changed by hand on an engine are kept.
class TdeDocSettings : public TdeComponent {
public:
    explicit TdeDocSettings(TComponent* owner);
    ~TdeDocSettings() override;

    TColor BackgroundColor() const { return backgroundColor_; }
    void SetBackgroundColor(TColor c);
    TPicture* BackgroundImage() { return &backgroundImage_; }
    // Given to every attached engine.
    void SetBackgroundImage(const TPicture* p);
    TdeBackgroundDisplayType BackgroundImageDisplayType() const { return displayType_; }
    void SetBackgroundImageDisplayType(TdeBackgroundDisplayType t);
    TdeUnitType MeasurementUnit() const { return unit_; }
    void SetMeasurementUnit(TdeUnitType u);
    TdeDocInfo* DocInfo() { return &docInfo_; }
    TdePageSettings* Page() { return &page_; }
    TdePreferences* Preferences() { return &preferences_; }

    const std::vector<TdeCustomDocumentEngine*>& Engines() const { return engines_; }

    // Called by an engine's Settings property.
    void AttachEngine(TdeCustomDocumentEngine* engine);
    void DetachEngine(TdeCustomDocumentEngine* engine);

    // Called by the owned objects before they store a new value.
    void PageChanging(TdePageLength which, double newPixels);
    void PaperSizeChanging(TdePaperSize size);
    void OrientationChanging(TdeOrientation o);
    void DocInfoChanging(TdeDocInfoField f, const std::string& v);
    void PreferenceChanging(TdePreference p, bool v);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    std::vector<TdeCustomDocumentEngine*> engines_;  // before the objects that report to it
    TColor backgroundColor_ = clWhite;
    TPicture backgroundImage_;
    TdeBackgroundDisplayType displayType_ = dtCenter;
    TdeUnitType unit_ = muInches;
    TdeDocInfo docInfo_;
    TdePageSettings page_;
    TdePreferences preferences_;
};
