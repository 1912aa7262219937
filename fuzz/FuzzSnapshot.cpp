// A report snapshot played through the converter into each renderer: a
// bitmap canvas, the PDF writer and the web-page writer, with a page
// selection taken from the input's first byte. A stream that is refused
// raises the report's error; a PDF that was written is a PDF.
#include "fuzz/FuzzTargets.h"

#include <filesystem>

#include "platform/core/Exception.h"
#include "platform/core/Streams.h"
#include "platform/gui/Bitmap.h"
#include "report/RenderCanvas.h"
#include "report/RenderHTML.h"
#include "report/RenderPDF.h"

namespace {
constexpr const char* kTarget = "snapshot";

class TBitmapRender : public TVzRenderCanvas {
public:
    TBitmapRender() : TVzRenderCanvas(nullptr) { bitmap_.SetSize(64, 64); }
    TCanvas* GetCanvas() override { return bitmap_.Canvas(); }

private:
    TBitmap bitmap_;
};

void Source(TMemoryStream& s, const std::string& bytes) {
    if (!bytes.empty()) s.WriteBuffer(bytes.data(), Integer(bytes.size()));
    s.SetPosition(0);
}

template <class R>
bool Play(R& r, const std::string& bytes, const std::string& selection) {
    TMemoryStream s;
    Source(s, bytes);
    r.Selection = selection;
    try {
        r.Render(&s);
    } catch (const Exception&) {
        return false;
    }
    return true;
}
}  // namespace

void FuzzSnapshot(const std::string& input) {
    if (input.empty()) return;
    FuzzEnsureGui();
    static const char* const kSelections[] = {"", "odd", "even", "2", "1,3-2"};
    const std::string selection = kSelections[static_cast<unsigned char>(input[0]) % 5];
    const std::string bytes = input.substr(1);

    TBitmapRender canvas;
    Play(canvas, bytes, selection);

    TVzRenderPDF pdf(nullptr);
    TMemoryStream out;
    pdf.OutputStream = &out;
    if (Play(pdf, bytes, selection) && out.Size() > 0) {
        std::string head(5, '\0');
        out.SetPosition(0);
        out.ReadBuffer(head.data(), 5);
        FUZZ_CHECK(kTarget, head == "%PDF-");
    }

    const std::string dir = FuzzScratchDir() + "/html";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    TVzRenderHTML html(nullptr);
    html.CacheDir = dir;
    html.Selection = selection;
    TMemoryStream s;
    Source(s, bytes);
    try {
        html.RenderToFile(&s, dir + "/page.html");
    } catch (const Exception&) {
    }
    std::filesystem::remove_all(dir);
}
