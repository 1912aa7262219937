// Picture files as the program opens them (a report's background picture,
// the images of the wizard's reports): the first byte picks the file's
// extension, so bitmap, JPEG and icon files go through the picture's own
// choice of reader. A refused file leaves the picture empty; an accepted
// one is drawn, written back and read again to the same size.
#include "fuzz/FuzzTargets.h"

#include <memory>

#include "platform/core/Exception.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Icon.h"

namespace {
constexpr const char* kTarget = "picture";

std::unique_ptr<TGraphic> Fresh(int kind) {
    switch (kind) {
        case 0: return std::make_unique<TBitmap>();
        case 1: return std::make_unique<TJPEGImage>();
        default: return std::make_unique<TIcon>();
    }
}
}  // namespace

void FuzzPicture(const std::string& input) {
    if (input.empty()) return;
    FuzzEnsureGui();
    const int kind = static_cast<unsigned char>(input[0]) % 3;
    static const char* const kExt[] = {"picture.bmp", "picture.jpg", "picture.ico"};
    const std::string path = FuzzScratchFile(kExt[kind], input.substr(1));
    TPicture picture;
    try {
        picture.LoadFromFile(path);
    } catch (const EInvalidGraphic&) {
        FUZZ_CHECK(kTarget, picture.Graphic() == nullptr && picture.Width() == 0);
        return;
    }
    TGraphic* g = picture.Graphic();
    FUZZ_CHECK(kTarget, g && g->Width() > 0 && g->Height() > 0);
    FUZZ_CHECK(kTarget, std::uint64_t(g->Width()) * std::uint64_t(g->Height()) <= std::uint64_t(1) << 26);

    TBitmap canvas;
    canvas.SetSize(32, 24);
    canvas.Canvas()->StretchDraw(TRect(0, 0, 32, 24), g);

    const std::vector<std::uint8_t> written = g->SaveToBytes();
    auto back = Fresh(kind);
    back->LoadFromBytes(written);
    FUZZ_CHECK(kTarget, back->Width() == g->Width() && back->Height() == g->Height());
}
