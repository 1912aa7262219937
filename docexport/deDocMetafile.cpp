// The engine's recorded pictures: the page's recording picture, metafiles
// handed to the engine, graphics stretched onto the page, rich text drawn
// onto it, and the image slots the metafile interpreter fills.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "docexport/deConsts.h"
#include "docexport/deCstDocEng.h"
#include "docexport/deMetafile.h"
#include "platform/core/Exception.h"
#include "platform/core/Streams.h"
#include "platform/gui/RichText.h"
#include "platform/gui/StdCtrls.h"

void TdeCustomDocumentEngine::OpenRecording(const TdePageSettings& page) {
    recordingCanvas_.reset();
    recording_ = std::make_unique<TMetafile>();
    recording_->SetWidth(static_cast<int>(std::lround(page.Pixels(plWidth))));
    recording_->SetHeight(static_cast<int>(std::lround(page.Pixels(plHeight))));
    recordingCanvas_ = std::make_unique<TMetafileCanvas>(recording_.get());
}

void TdeCustomDocumentEngine::CloseRecording() {
    if (!recordingCanvas_) return;
    const bool drawn = recordingCanvas_->Recorded();
    recordingCanvas_.reset();  // closing writes the picture
    if (drawn && recording_) ProcessMetafile(*recording_, 0, 0);
    recording_.reset();
}

void TdeCustomDocumentEngine::ProcessMetafile(const TMetafile& metafile, double x, double y) {
    if (!started_ || metafile.Empty()) return;
    TdeMetafileProcessor processor(this);
    processor.CurrentPositionText = true;
    // Input resolutions other than the screen's are taken care of by the
    // interpreter's mapping (its factor is the screen's resolution over the
    // input resolution), so the metafile is interpreted as it stands.
    processor.Play(metafile, x + left_, y + top_);
}

void TdeCustomDocumentEngine::PlayMetafile(const TMetafile& metafile) {
    if (started_) ProcessMetafile(metafile, 0, 0);
}

void TdeCustomDocumentEngine::PlayMetafileAt(const TMetafile& metafile, double x, double y) {
    if (started_) ProcessMetafile(metafile, ToPixelsX(x), ToPixelsY(y));
}

void TdeCustomDocumentEngine::StretchGraphic(const TdeRect& rect, TGraphic* graphic) {
    if (!started_ || !graphic || !recordingCanvas_) return;
    auto px = [&](double v) { return static_cast<int>(std::lround(v * f_)); };
    recordingCanvas_->StretchDraw(TRect(px(rect.Left), px(rect.Top), px(rect.Right), px(rect.Bottom)), graphic);
}

void TdeCustomDocumentEngine::RenderRichText(TObject* control, Integer startPos, double x1, double y1, double x2,
                                             double y2, Integer endPos, TColor backColor) {
    if (!started_ || !recordingCanvas_ || !control) return;
    TRichTextDocument memoText;
    const TRichTextDocument* doc = dynamic_cast<const TRichTextDocument*>(control);
    if (!doc) {
        auto* memo = dynamic_cast<TMemo*>(control);
        if (!memo) return;
        memoText.SetText(memo->Text());
        doc = &memoText;
    }
    // Pixels, then twips at the screen's resolution, then the recording
    // picture's 96 pixels per inch.
    const long long ppi = std::max(1, ScreenPPI());
    auto toRecording = [&](double px) {
        const long long twips = std::llround(std::clamp(px, -1e9, 1e9)) * 1440 / ppi;
        return static_cast<int>(twips * 96 / 1440);
    };
    const TRect r(toRecording(ToPixelsX(x1)), toRecording(ToPixelsY(y1)), toRecording(ToPixelsX(x2)),
                  toRecording(ToPixelsY(y2)));
    const int end = endPos < 0 || endPos > doc->Length() ? doc->Length() : endPos;
    int pos = std::clamp(startPos, 0, end);
    while (recordingCanvas_) {
        TMetafileCanvas& c = *recordingCanvas_;
        if (backColor != clWhite) {
            c.Brush()->SetStyle(bsSolid);
            c.Brush()->SetColor(backColor);
            c.FillRect(r);
        }
        c.Brush()->SetStyle(bsClear);
        c.Font()->Assign(font_);
        const int next = doc->FormatRange(c, pos, end, r);
        // Done when everything is drawn; a rectangle that takes not even
        // one line ends the loop instead of making pages without end.
        if (next >= end || next <= pos) break;
        NewPage();
        pos = next;
    }
}

void TdeCustomDocumentEngine::RenderRichTextFile(const std::string& fileName, Integer startPos, double x1, double y1,
                                                 double x2, double y2, Integer endPos, TColor backColor) {
    if (!started_) return;
    TRichTextDocument doc;
    doc.LoadFromFile(fileName);
    RenderRichText(&doc, startPos, x1, y1, x2, y2, endPos, backColor);
}

void TdeCustomDocumentEngine::RenderRichTextStream(TStream& stream, Integer startPos, double x1, double y1, double x2,
                                                   double y2, Integer endPos, TColor backColor) {
    if (!started_) return;
    constexpr Int64 kLargest = Int64(64) << 20;
    const Int64 size = stream.Size();
    if (size < 0 || size > kLargest) throw EConvertError("Rich text larger than 64 MB is not read");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    stream.SetPosition(0);
    if (size > 0) stream.ReadBuffer(bytes.data(), static_cast<Integer>(size));
    TRichTextDocument doc;
    doc.LoadFromBytes(bytes);
    RenderRichText(&doc, startPos, x1, y1, x2, y2, endPos, backColor);
}

Integer TdeCustomDocumentEngine::ReserveImageSlot() {
    ImageEntry e;
    e.Page = currentPage_;
    images_.push_back(std::move(e));
    return static_cast<Integer>(images_.size()) - 1;
}

void TdeCustomDocumentEngine::StoreImageSlot(Integer index, std::unique_ptr<TGraphic> graphic) {
    if (index < 0 || index >= static_cast<Integer>(images_.size())) return;
    images_[static_cast<std::size_t>(index)].Graphic = std::move(graphic);
}

void TdeCustomDocumentEngine::DropLastImageSlot() {
    if (!images_.empty()) images_.pop_back();
}

namespace {

// Draws graphic g stretched into r on c. A recorded picture is rasterised
// first, no finer than r and than the page limit: its frame may claim any
// size, and a raster at the frame's own size would cost a picture of up to
// the image cap on each side (tens of megabytes in the document) of which
// the page shows a corner.
void StretchOnto(TMetafileCanvas& c, const TRect& r, TGraphic* g, const TSize& limit) {
    auto* m = dynamic_cast<TMetafile*>(g);
    if (!m || m->Empty() || r.IsEmpty() || (m->Width() <= limit.cx && m->Height() <= limit.cy)) {
        c.StretchDraw(r, g);
        return;
    }
    TBitmap raster;
    raster.SetImage(MetafileToImage(m->Data(), std::clamp(r.Width(), 1, limit.cx), std::clamp(r.Height(), 1, limit.cy)));
    c.StretchDraw(r, &raster);
}

}  // namespace

TSize TdeCustomDocumentEngine::PageRasterLimit() {
    const TdePageItem* page = PageItem(currentPage_);
    auto side = [](double pixels) {
        return static_cast<int>(std::clamp(std::floor(pixels), 1.0, double(kMetafileImageMaxSide)));
    };
    if (!page) return TSize(kMetafileImageMaxSide, kMetafileImageMaxSide);
    return TSize(side(page->Settings.Pixels(plWidth)), side(page->Settings.Pixels(plHeight)));
}

std::unique_ptr<TMetafile> TdeCustomDocumentEngine::ImageItemToMetafile(TdeImageItem* item) {
    auto mf = std::make_unique<TMetafile>();
    TGraphic* g = GetImage(item->ImageIndex);
    const int w = static_cast<int>(std::lround(item->Width)), h = static_cast<int>(std::lround(item->Height));
    if (!g) return mf;
    const int gw = g->Width(), gh = g->Height();
    const TdeImageSettings& s = item->Settings;
    const bool naturalStretch = s.Stretch && (capabilities_ & capStretchNaturalSize) && !s.ActualSize;
    mf->SetWidth(naturalStretch ? gw : w);
    mf->SetHeight(naturalStretch ? gh : h);
    TMetafileCanvas c(mf.get());
    c.Brush()->Assign(item->Brush);
    c.FillRect(TRect(0, 0, mf->Width(), mf->Height()));
    const TSize limit = PageRasterLimit();
    if (s.ActualSize || (s.Stretch && !naturalStretch)) {
        StretchOnto(c, TRect(0, 0, w, h), g, limit);
    } else if (s.Center && !naturalStretch) {
        const int x = static_cast<int>(std::lround((item->Width - gw) / 2));
        const int y = static_cast<int>(std::lround((item->Height - gh) / 2));
        StretchOnto(c, TRect(x, y, x + gw, y + gh), g, limit);
    } else {
        StretchOnto(c, TRect(0, 0, gw, gh), g, limit);
    }
    c.Close();
    return mf;
}
