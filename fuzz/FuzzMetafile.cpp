// Recorded pictures: the metafile's framing check, its player on a small
// canvas and as an image, and the export engine's record interpreter that
// turns the records into page items written out as a document. A refused
// picture changes nothing and adds no item; an accepted one keeps its
// bytes as they came.
#include "fuzz/FuzzTargets.h"
#include "fuzz/FuzzRtfEngine.h"

#include <cstdint>
#include <vector>

#include "docexport/deDocEngIntf.h"
#include "docexport/deMetafile.h"
#include "docexport/deRTFEng.h"
#include "platform/core/Exception.h"
#include "platform/core/Streams.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/Metafile.h"

namespace {
constexpr const char* kTarget = "metafile";

// Plays the bytes through the interpreter of an RTF engine writing into
// memory; the document must still come out as one.
void Export(const std::vector<std::uint8_t>& data, const TMetafile* accepted, bool asImage) {
    TdeRTFEngine rtf(nullptr);
    TMemoryStream out;
    FuzzRtfIntoMemory(rtf, out);
    rtf.Preferences()->MetafileAsImage = asImage;
    rtf.BeginDoc();
    if (accepted) {
        // A record too short for its fields ends the interpretation with
        // the picture's error; the document is finished all the same.
        try {
            rtf.DocumentInterface()->PlayMetafile(*accepted);
        } catch (const EMetafileError&) {
        }
    } else {
        TdeMetafileProcessor processor(&rtf);
        bool refused = false;
        try {
            processor.Play(data, 3, 4);
        } catch (const EMetafileError&) {
            refused = true;
        }
        FUZZ_CHECK(kTarget, refused && rtf.GraphicItems().empty());
    }
    // A picture kept whole is played again when the document is written: a
    // record too short for its fields, or a picture too large for the
    // image format, then fails the document with a clear error.
    try {
        rtf.EndDoc();
    } catch (const EInvalidGraphic&) {
        FUZZ_CHECK(kTarget, accepted != nullptr);
        return;
    }
    const std::string text(out.Memory(), static_cast<std::size_t>(out.Size()));
    FUZZ_CHECK(kTarget, text.rfind("{\\rtf", 0) == 0);
}
}  // namespace

void FuzzMetafile(const std::string& input) {
    FuzzEnsureGui();
    const std::vector<std::uint8_t> data(input.begin(), input.end());
    TMetafile mf;
    try {
        mf.LoadFromBytes(data);
    } catch (const EMetafileError&) {
        FUZZ_CHECK(kTarget, mf.Empty() && mf.Width() == 0 && mf.Height() == 0);
        Export(data, nullptr, false);
        return;
    }
    FUZZ_CHECK(kTarget, mf.SaveToBytes() == data);
    FUZZ_CHECK(kTarget, mf.Width() >= 0 && mf.Height() >= 0);

    std::size_t records = 0;
    WalkMetafile(data, [&](const TMetafileRecord& r) {
        FUZZ_CHECK(kTarget, r.Index == records && r.Size >= 8 && r.Size % 4 == 0);
        ++records;
        return true;
    });
    FUZZ_CHECK(kTarget, records >= 1);

    // Playing stops at a record too short for its fields with the
    // picture's error; what was drawn before it stays.
    TBitmap bitmap;
    bitmap.SetSize(48, 32);
    try {
        mf.Draw(bitmap.Canvas(), TRect(0, 0, 48, 32));
    } catch (const EMetafileError&) {
    }
    try {
        const QImage image = mf.ToImage();
        FUZZ_CHECK(kTarget, image.width() <= kMetafileImageMaxSide && image.height() <= kMetafileImageMaxSide);
    } catch (const EMetafileError&) {
    }

    Export(data, &mf, false);
    Export(data, &mf, true);
}
