#pragma once
// What each brand shows besides its name: the maker line, the logo and the
// About glyph. The pictures are built into the program (app/images/).

#include <cstddef>
#include <string>

#include "app/Brand.h"
#include "platform/core/Exception.h"

class TBitmap;
class TPicture;

// Picture names.
extern const char* const kOmbrixLogo;      // "OmbrixLogo.bmp"
extern const char* const kVeltraneLogo;    // "VeltraneLogo.bmp"
extern const char* const kOmbrixAboutGlyph;
extern const char* const kVeltraneAboutGlyph;

// The line naming the brand's maker, shown by the welcome window and the
// About box.
std::string BrandMakerLine(TBrand brand);

struct TEmbeddedImage {
    const char* Name;
    const unsigned char* Data;
    std::size_t Size;
};
// The built-in pictures, ended by an entry with a null name.
extern const TEmbeddedImage kEmbeddedImages[];

class EResNotFound : public Exception { using Exception::Exception; };

// Loads a built-in picture; raises EResNotFound for an unknown name.
void LoadEmbeddedBitmap(const std::string& name, TBitmap* bitmap);
void LoadEmbeddedPicture(const std::string& name, TPicture* picture);
