#include "grid/GRGLibCanvas.h"

#include <algorithm>
#include <cstdint>

#include "grid/GRGLib.h"
#include "platform/gui/Controls.h"

// ------------------------------------------------------------ memory canvas

TgrMemoryCanvas::~TgrMemoryCanvas() { FreeSurface(); }

void TgrMemoryCanvas::FreeSurface() {
    surface_.reset();
    surfaceWidth_ = 0;
    surfaceHeight_ = 0;
}

void TgrMemoryCanvas::Acquire(TCanvas*, int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (!surface_) {
        surface_ = std::make_unique<TBitmap>();
        surface_->SetSize(width, height);
        surfaceWidth_ = width;
        surfaceHeight_ = height;
    } else if (surfaceWidth_ < width || surfaceHeight_ < height) {
        // A new, larger surface replaces the old one.
        int w = std::max(surfaceWidth_, width);
        int h = std::max(surfaceHeight_, height);
        auto grown = std::make_unique<TBitmap>();
        grown->SetSize(w, h);
        surface_ = std::move(grown);
        surfaceWidth_ = w;
        surfaceHeight_ = h;
    }
    ++useCount_;
}

void TgrMemoryCanvas::Release() {
    if (useCount_ <= 0) return;
    if (--useCount_ == 0) FreeSurface();
}

void TgrMemoryCanvas::SetClipRect(const TRect& r) {
    if (TCanvas* c = MemDC()) c->SetClipRect(r);
}

void TgrMemoryCanvas::Lock(const void* grid) {
    lock_.lock();
    if (lockThreadId_.load() == std::this_thread::get_id()) outerGrids_.push_back(lockGrid_.load());
    lockThreadId_ = std::this_thread::get_id();
    lockGrid_ = grid;
}

void TgrMemoryCanvas::Unlock() {
    if (!outerGrids_.empty()) {
        lockGrid_ = outerGrids_.back();
        outerGrids_.pop_back();
    } else {
        lockThreadId_ = std::thread::id();
        lockGrid_ = nullptr;
    }
    lock_.unlock();
}

bool TgrMemoryCanvas::IsHeldForOtherGrid(const void* grid) const {
    return grid != lockGrid_.load() && std::this_thread::get_id() == lockThreadId_.load();
}

// --------------------------------------------------------------- bitmap set

namespace {
int CompareAddresses(const void* key, const void* mine) {
    auto k = reinterpret_cast<std::uintptr_t>(key);
    auto m = reinterpret_cast<std::uintptr_t>(mine);
    return k < m ? grKeyBefore : (k == m ? grKeyEqual : grKeyAfter);
}

TgrBitmapSet* g_sharedBitmapSet = nullptr;

// Frees the shared set when the program ends.
struct SharedSetCleanup {
    ~SharedSetCleanup() { FreeSharedBitmapSet(); }
} g_sharedSetCleanup;
}  // namespace

TgrBitmapElement::~TgrBitmapElement() {
    if (OwnsBitmap) delete Bitmap;
}

int TgrBitmapElement::CompareElement(TgrCustomSet*, const TgrSetElement* other) const {
    return CompareAddresses(static_cast<const TgrBitmapElement*>(other)->Bitmap, Bitmap);
}

int TgrBitmapElement::CompareKey(TgrCustomSet*, const TgrKeyValues& key, Integer) const {
    if (key.empty()) return -1;
    return CompareAddresses(VariantToObject(key.front()), Bitmap);
}

TgrKeyValues BitmapKey(const TBitmap* bitmap) { return {ObjectToVariant(bitmap)}; }

TgrBitmapElement* FindBitmapElement(TgrBitmapSet* set, const TBitmap* bitmap) {
    if (!set) return nullptr;
    return static_cast<TgrBitmapElement*>(set->Find(BitmapKey(bitmap)));
}

void AddBitmapElement(TgrBitmapSet* set, TgrBitmapElement* element) {
    if (set && element) set->Add(element);
}

TgrBitmapElement* FindOrAddBitmap(TgrBitmapSet* set, TBitmap* bitmap) {
    if (TgrBitmapElement* e = FindBitmapElement(set, bitmap)) return e;
    auto* e = new TgrBitmapElement(bitmap);
    AddBitmapElement(set, e);
    return e;
}

void ReleaseBitmapElement(TgrBitmapSet* set, const TBitmap* bitmap) {
    TgrBitmapElement* e = FindBitmapElement(set, bitmap);
    if (!e) return;
    if (--e->RefCount <= 0) set->Remove(BitmapKey(bitmap));
}

TgrBitmapSet* SharedBitmapSet() { return g_sharedBitmapSet; }

void FreeSharedBitmapSet() { FreeAndClear(g_sharedBitmapSet); }

TgrBitmapElement* FindSharedBitmap(const TBitmap* bitmap) { return FindBitmapElement(g_sharedBitmapSet, bitmap); }

TgrBitmapElement* NewSharedBitmap() {
    if (!g_sharedBitmapSet) g_sharedBitmapSet = new TgrBitmapSet();
    TgrBitmapElement* e = FindOrAddBitmap(g_sharedBitmapSet, new TBitmap());
    e->OwnsBitmap = true;
    return e;
}

void ReferenceBitmap(const TBitmap* bitmap, bool release) {
    if (!g_sharedBitmapSet) return;
    if (release) {
        ReleaseBitmapElement(g_sharedBitmapSet, bitmap);
    } else if (TgrBitmapElement* e = FindBitmapElement(g_sharedBitmapSet, bitmap)) {
        ++e->RefCount;
    }
}

// ------------------------------------------------------------------ others

TgrMemoryCanvas* GridMemoryCanvas() {
    static TgrMemoryCanvas canvas;
    return &canvas;
}

void PrimeCanvas(TCanvas*) {}

bool ContainsWindowHandle(const QWidget* handle, TWinControl* control) {
    if (!control || !control->Widget()) return false;
    if (control->Widget() == handle) return true;
    for (int i = 0; i < control->ControlCount(); ++i)
        if (auto* child = dynamic_cast<TWinControl*>(control->Controls(i)))
            if (ContainsWindowHandle(handle, child)) return true;
    return false;
}
