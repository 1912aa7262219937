#pragma once
// Text widths from character widths read once per font face and style and
// kept for the life of the program. Widths are read at a character height
// of 600 pixels and scaled arithmetically to any size and resolution.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/Graphics.h"

class TVPBaseFontHandler {
public:
    explicit TVPBaseFontHandler(const TFont& font) {}
    virtual ~TVPBaseFontHandler() = default;
    // Width in pixels of the text in a font of `points` at `pixelsPerInch`.
    virtual int TextWidth(const std::string& text, int pixelsPerInch, double points) = 0;
};

// Widths of every character, at the reference height.
class TVPTrueTypeFontHandler : public TVPBaseFontHandler {
public:
    explicit TVPTrueTypeFontHandler(const TFont& font);
    int TextWidth(const std::string& text, int pixelsPerInch, double points) override;
    int CharWidth(char32_t c);

private:
    TFont font_;
    int widths_[256] = {};
    // Characters beyond 255, measured on first use (under the cache lock).
    std::map<char32_t, int> extra_;
};

// One width, that of "A", for every character.
class TVPNonProportionalFontHandler : public TVPBaseFontHandler {
public:
    explicit TVPNonProportionalFontHandler(const TFont& font);
    int TextWidth(const std::string& text, int pixelsPerInch, double points) override;
    int Width() const { return width_; }

private:
    int width_ = 0;
};

class TVPFontManager {
public:
    TVPFontManager();
    ~TVPFontManager();
    // Device pixels of the text in the font, whose Height is in pixels of a
    // device with the given resolution.
    int TextWidth(const TFont& font, int pixelsPerInch, const std::string& text);
    // The cached handler of the font's face and style, made on first use.
    TVPBaseFontHandler* Handler(const TFont& font);
    int HandlerCount() const;
    static std::string CacheKey(const TFont& font);

private:
    std::map<std::string, std::unique_ptr<TVPBaseFontHandler>> handlers_;
};

TVPFontManager& FontManager();
