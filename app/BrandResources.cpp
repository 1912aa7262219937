#include "app/BrandResources.h"

#include <cstring>
#include <vector>

#include "platform/core/Exception.h"
#include "platform/gui/Bitmap.h"

const char* const kOmbrixLogo = "OmbrixLogo.bmp";
const char* const kVeltraneLogo = "VeltraneLogo.bmp";
const char* const kOmbrixAboutGlyph = "OmbrixAbout.bmp";
const char* const kVeltraneAboutGlyph = "VeltraneAbout.bmp";

std::string BrandMakerLine(TBrand brand) {
    return brand == TBrand::Ombrix ? "Copyright (C) Ombrix Scanning Systems.  All rights reserved."
                                   : "Copyright (C) Veltrane Machine Works.  All rights reserved.";
}

void LoadEmbeddedBitmap(const std::string& name, TBitmap* bitmap) {
    for (const TEmbeddedImage* e = kEmbeddedImages; e->Name; ++e) {
        if (name == e->Name) {
            bitmap->LoadFromBytes(std::vector<std::uint8_t>(e->Data, e->Data + e->Size));
            return;
        }
    }
    throw EResNotFound("Resource " + name + " not found");
}

void LoadEmbeddedPicture(const std::string& name, TPicture* picture) {
    TBitmap bitmap;
    LoadEmbeddedBitmap(name, &bitmap);
    picture->SetGraphic(&bitmap);
}
