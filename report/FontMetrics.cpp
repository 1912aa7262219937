#include "report/FontMetrics.h"

#include <cmath>
#include <mutex>

#include <QFontInfo>
#include <QImage>
#include <QString>

#include "platform/core/MathUtils.h"
#include "platform/gui/Canvas.h"

namespace {

constexpr int ReferenceHeight = 600;
constexpr double ReferenceScale = 72.0 * ReferenceHeight;  // 43200

std::recursive_mutex& CacheLock() {
    static std::recursive_mutex lock;
    return lock;
}

// Width of one character at the reference height.
int MeasureChar(const TFont& font, char32_t c) {
    if (c < 32) return 0;
    EnsureGuiApplication();
    QImage image(10, 10, QImage::Format_RGB32);
    TCanvas canvas(&image);
    canvas.Font()->Assign(font);
    canvas.Font()->SetHeight(-ReferenceHeight);
    char32_t s[2] = {c, 0};
    QString q = QString::fromUcs4(s, 1);
    return canvas.TextWidth(q.toStdString());
}

// Decodes UTF-8; a stray byte counts as the character of its value.
std::vector<char32_t> CodePoints(const std::string& text) {
    std::vector<char32_t> out;
    for (size_t i = 0; i < text.size();) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        int n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 1;
        if (n > 1 && i + n <= text.size()) {
            char32_t c = b & (0x7F >> n);
            bool ok = true;
            for (int k = 1; k < n; ++k) {
                unsigned char t = static_cast<unsigned char>(text[i + k]);
                if ((t & 0xC0) != 0x80) ok = false;
                c = (c << 6) | (t & 0x3F);
            }
            if (ok) {
                out.push_back(c);
                i += n;
                continue;
            }
        }
        out.push_back(b);
        ++i;
    }
    return out;
}

int Scale(double sum, int ppi, double points) { return int(RoundHalfEven(sum * points * ppi / ReferenceScale)); }

}  // namespace

TVPTrueTypeFontHandler::TVPTrueTypeFontHandler(const TFont& font) : TVPBaseFontHandler(font) {
    font_.Assign(font);
    for (int c = 0; c < 256; ++c) widths_[c] = MeasureChar(font, char32_t(c));
}

int TVPTrueTypeFontHandler::CharWidth(char32_t c) {
    if (c < 256) return widths_[c];
    std::lock_guard<std::recursive_mutex> guard(CacheLock());
    auto it = extra_.find(c);
    if (it == extra_.end()) it = extra_.emplace(c, MeasureChar(font_, c)).first;
    return it->second;
}

int TVPTrueTypeFontHandler::TextWidth(const std::string& text, int pixelsPerInch, double points) {
    double sum = 0;
    for (char32_t c : CodePoints(text)) sum += CharWidth(c);
    return Scale(sum, pixelsPerInch, points);
}

TVPNonProportionalFontHandler::TVPNonProportionalFontHandler(const TFont& font) : TVPBaseFontHandler(font) {
    width_ = MeasureChar(font, U'A');
}

int TVPNonProportionalFontHandler::TextWidth(const std::string& text, int pixelsPerInch, double points) {
    return Scale(double(CodePoints(text).size()) * width_, pixelsPerInch, points);
}

TVPFontManager::TVPFontManager() = default;
TVPFontManager::~TVPFontManager() = default;

std::string TVPFontManager::CacheKey(const TFont& font) {
    std::string key = font.Name() + "|" + std::to_string(font.Charset());
    if (font.Style() & fsBold) key += "|B";
    if (font.Style() & fsItalic) key += "|I";
    if (font.Pitch() == fpVariable) key += "|V";
    if (font.Pitch() == fpFixed) key += "|F";
    return key;
}

TVPBaseFontHandler* TVPFontManager::Handler(const TFont& font) {
    std::lock_guard<std::recursive_mutex> guard(CacheLock());
    std::string key = CacheKey(font);
    auto it = handlers_.find(key);
    if (it != handlers_.end()) return it->second.get();
    EnsureGuiApplication();
    TFont probe;
    probe.Assign(font);
    probe.SetHeight(-ReferenceHeight);
    bool fixed = QFontInfo(probe.ToQFont()).fixedPitch();
    std::unique_ptr<TVPBaseFontHandler> handler;
    if (fixed)
        handler = std::make_unique<TVPNonProportionalFontHandler>(font);
    else
        handler = std::make_unique<TVPTrueTypeFontHandler>(font);
    return handlers_.emplace(key, std::move(handler)).first->second.get();
}

int TVPFontManager::HandlerCount() const {
    std::lock_guard<std::recursive_mutex> guard(CacheLock());
    return int(handlers_.size());
}

int TVPFontManager::TextWidth(const TFont& font, int pixelsPerInch, const std::string& text) {
    if (text.empty() || pixelsPerInch <= 0) return 0;
    double points = std::abs(font.Height()) * 72.0 / pixelsPerInch;
    return Handler(font)->TextWidth(text, pixelsPerInch, points);
}

TVPFontManager& FontManager() {
    static TVPFontManager manager;
    return manager;
}
