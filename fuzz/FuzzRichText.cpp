// Rich text handed to a document engine: the RTF reader, the line layout in
// a rectangle, and the engine drawing it page by page into an RTF document.
// Refused RTF leaves no text and adds nothing to the document; accepted
// text is drawn in bounded pages, and what a rectangle takes moves forward.
#include "fuzz/FuzzTargets.h"
#include "fuzz/FuzzRtfEngine.h"

#include <cstdint>
#include <vector>

#include "docexport/deRTFEng.h"
#include "platform/core/Exception.h"
#include "platform/core/Streams.h"
#include "platform/gui/Metafile.h"
#include "platform/gui/RichText.h"

namespace {
constexpr const char* kTarget = "richtext";
}  // namespace

void FuzzRichText(const std::string& input) {
    FuzzEnsureGui();
    const std::vector<std::uint8_t> data(input.begin(), input.end());
    TRichTextDocument doc;
    bool refused = false;
    try {
        doc.LoadFromBytes(data);
    } catch (const EConvertError&) {
        refused = true;
        FUZZ_CHECK(kTarget, doc.Length() == 0);
    }

    if (!refused) {
        // Lines of a narrow rectangle: each call moves on or takes nothing.
        TMetafile picture;
        TMetafileCanvas canvas(&picture);
        int pos = 0;
        for (int page = 0; page < 8 && pos < doc.Length(); ++page) {
            const int next = doc.FormatRange(canvas, pos, -1, TRect(0, 0, 60, 40));
            FUZZ_CHECK(kTarget, next >= pos && next <= doc.Length());
            if (next == pos) break;
            pos = next;
        }
    }

    TdeRTFEngine rtf(nullptr);
    TMemoryStream out;
    FuzzRtfIntoMemory(rtf, out);
    rtf.BeginDoc();
    TMemoryStream stream;
    stream.WriteBuffer(input.data(), static_cast<Integer>(input.size()));
    try {
        rtf.RenderRichTextStream(stream, 0, 0, 0, 300, 200, -1, 0xFFFF00);
        FUZZ_CHECK(kTarget, !refused);
    } catch (const EConvertError&) {
        FUZZ_CHECK(kTarget, refused && rtf.PageCount() == 1);
    }
    // The rectangle holds several lines of any font, so a page takes at
    // least one line: no more pages than lines of text plus one.
    FUZZ_CHECK(kTarget, rtf.PageCount() <= doc.Length() + 1);
    rtf.EndDoc();
    const std::string text(out.Memory(), static_cast<std::size_t>(out.Size()));
    FUZZ_CHECK(kTarget, text.rfind("{\\rtf", 0) == 0);
}
