#pragma once
// Bar-code encoders: a text becomes the bars of one symbology, drawn on a
// report in one of four rotations with an optional human-readable line, or
// handed rectangle by rectangle to a callback ("override" mode).
//
// Texts are byte strings; Code 128 control functions are the single bytes
// 0xF1 (FNC1) to 0xF8 (SHIFT).

#include <functional>
#include <string>
#include <vector>

#include "report/BaseReport.h"

enum TBarCodeRotation { Rot0, Rot90, Rot180, Rot270 };

// Receives a bar as (X1, Y1, X2, Y2) in override mode.
using TBarCallback = std::function<void(double, double, double, double)>;
// Only whether it is set matters: a set text callback selects override mode.
using TBarTextCallback = std::function<void()>;

class TVPBarsBase {
public:
    explicit TVPBarsBase(TBaseReport* report);
    virtual ~TVPBarsBase() = default;
    TVPBarsBase(const TVPBarsBase&) = delete;
    TVPBarsBase& operator=(const TVPBarsBase&) = delete;

    // ------------------------------------------------ symbology operations
    // Keeps the characters the symbology accepts, in order.
    virtual void SetText(const std::string& text);
    virtual void PrintReadableText();
    virtual double SymbolWidth() { return 0; }
    virtual void SetUseChecksum(bool b) { UseChecksum = b; }
    // The element pattern of one character (or symbol value, Code 128).
    virtual std::string EncodeChar(int ch) = 0;
    virtual std::string ChecksumText() { return {}; }
    // Sets the size of the element written as digit (in-out values).
    virtual void ElementSize(char digit, double& width, double& height, double& top) = 0;
    virtual std::string CodedText() { return Text; }
    virtual void SetPrintReadable(bool b) { PrintReadable = b; }
    virtual void Print() = 0;
    virtual bool IsValidChar(unsigned char) { return true; }

    // ------------------------------------------------------------ fields
    double WideFactor = 0;
    double BarWidth = 0.01;
    double BarHeight = 0.5;
    double Top = 0;
    TBaseReport* BaseReport = nullptr;
    std::string Text;
    bool UseChecksum = false;
    int Modulus = 0;
    bool PrintReadable = true;
    bool PrintChecksum = false;
    bool PrintTop = false;
    TPrintJustify TextJustify = pjCenter;
    TBarCallback BarCallback;
    TBarTextCallback TextCallback;
    TBarCodeRotation BarCodeRotation = Rot0;

    // ---------------------------------------------------- anchor and edges
    double Position() const { return position_; }
    TPrintJustify BarCodeJustify() const { return barCodeJustify_; }
    void SetBarCodeJustify(TPrintJustify j);
    void SetLeft(double v);
    void SetRight(double v);
    void SetCenter(double v);
    double LeftEdge();
    double RightEdge();
    double CenterX();

    // ------------------------------------------------------------ heights
    double ReadableHeight();
    double TotalHeight() { return ReadableHeight() + BarHeight; }
    double Bottom();
    void SetBottom(double v);
    double BarTop();
    void SetBarTop(double v);
    double BarBottom();

    // -------------------------------------------------------- drawing core
    // When recheck is set, override mode becomes "a callback is set".
    bool IsOverride(bool recheck);
    // Re-evaluates override mode; outside it a report is required.
    void CheckReport();
    void DrawPattern(const std::string& pattern, bool barFirst, bool trailingGap);
    void DrawBar(double x1, double y1, double x2, double y2);
    double CurrentX() const { return curX_; }
    double CurrentY() const { return curY_; }

protected:
    bool Upside() const { return BarCodeRotation == Rot0 || BarCodeRotation == Rot90; }
    // Forward along the bars is +X for Rot0 and Rot270.
    bool Forward() const { return BarCodeRotation == Rot0 || BarCodeRotation == Rot270; }
    // The shared drawing sequence: black pen and brush kept and restored
    // around body, current X and Y set to the symbol's start.
    void DrawProtected(const std::function<void()>& body);
    void Start();
    std::string ReadableFilter(const std::string& s) const;

    double position_ = 0;
    TPrintJustify barCodeJustify_ = pjLeft;
    double curX_ = 0, curY_ = 0;
    bool override_ = false;
};

class TVPBarsPostNet : public TVPBarsBase {
public:
    explicit TVPBarsPostNet(TBaseReport* report);
    bool IsValidChar(unsigned char ch) override;
    void SetText(const std::string& text) override;
    std::string ChecksumText() override;
    std::string CodedText() override;
    std::string EncodeChar(int ch) override;
    void ElementSize(char digit, double& width, double& height, double& top) override;
    double SymbolWidth() override;
    void Print() override;

private:
    double SpaceWidth() const;
};

class TVPBars2of5 : public TVPBarsBase {
public:
    explicit TVPBars2of5(TBaseReport* report);
    bool IsValidChar(unsigned char ch) override;
    std::string EncodeChar(int ch) override;
    void ElementSize(char digit, double& width, double& height, double& top) override;
    std::string ChecksumText() override;
    std::string CodedText() override;
    double SymbolWidth() override;
    void Print() override;
    void PrintReadableText() override;
};

class TVPBarsCode39 : public TVPBarsBase {
public:
    explicit TVPBarsCode39(TBaseReport* report);
    bool Extended = false;
    bool IsValidChar(unsigned char ch) override;
    // Text in the Full ASCII form: one or two characters of the set each.
    std::string ExtendedText();
    std::string ChecksumText() override;
    std::string CodedText() override;
    std::string EncodeChar(int ch) override;
    void ElementSize(char digit, double& width, double& height, double& top) override;
    double SymbolWidth() override;
    void Print() override;
};

enum TCodePage128 { cpCodeA, cpCodeB, cpCodeC };

class TVPBarsCode128 : public TVPBarsBase {
public:
    explicit TVPBarsCode128(TBaseReport* report);
    TCodePage128 CodePage = cpCodeB;
    bool Optimize = true;
    bool IsValidChar(unsigned char ch) override;
    std::string ChecksumText() override;
    // The symbol values of the text (start, check and stop not included);
    // also fixes the set used.
    std::vector<int> Encode();
    // The symbol values from start set s, stopping at limit values (0: none).
    std::vector<int> EncodeFrom(TCodePage128 s, size_t limit) const;
    int CheckValue(const std::vector<int>& values) const;
    TCodePage128 SetUsed() const { return setUsed_; }
    std::string EncodeChar(int value) override;
    void ElementSize(char digit, double& width, double& height, double& top) override;
    double SymbolWidth() override;
    void Print() override;

private:
    TCodePage128 setUsed_ = cpCodeB;
};

class TVPBarsUPC : public TVPBarsBase {
public:
    explicit TVPBarsUPC(TBaseReport* report);
    bool IsValidChar(unsigned char ch) override;
    void SetText(const std::string& text) override;
    void SetUseChecksum(bool) override { UseChecksum = true; }
    std::string ChecksumText() override;
    std::string CodedText() override;
    std::string EncodeChar(int ch) override;
    void ElementSize(char digit, double& width, double& height, double& top) override;
    double SymbolWidth() override { return 95 * BarWidth; }
    void Print() override;
    void PrintReadableText() override;
    virtual double ReadableFontSize();
    int ValidLength() const { return validLength_; }

protected:
    bool guard_ = false;
    int validLength_ = 11;
};

class TVPBarsEAN : public TVPBarsUPC {
public:
    explicit TVPBarsEAN(TBaseReport* report);
    void PrintReadableText() override;
    double ReadableFontSize() override;
};
