#pragma once
// The off-screen surface all grids paint through, and the set that counts
// the bitmaps held in grid cells.
//
// TgrMemoryCanvas: one bitmap that only grows while it is in use, guarded by
// a lock that its holder may take again, so that a grid draws its cells off
// screen and copies the result to the window in one transfer. The grid unit
// makes two of them (one for grid painting, one for the in-cell editors).
//
// SharedBitmapSet: the process-wide ordered set of TgrBitmapElements keyed by
// the bitmap object; a bitmap shared by many cells lives until its last cell
// lets it go (when the set owns it), and the cell-data writer can write each
// bitmap once.

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "grid/TSSetLib.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/Canvas.h"

class TWinControl;
class QWidget;

class TgrMemoryCanvas {
public:
    TgrMemoryCanvas() = default;
    ~TgrMemoryCanvas();
    TgrMemoryCanvas(const TgrMemoryCanvas&) = delete;
    TgrMemoryCanvas& operator=(const TgrMemoryCanvas&) = delete;

    // Makes the surface (at least width by height) or grows it per axis; one
    // more user. reference is the canvas the result will be copied to.
    void Acquire(TCanvas* reference, int width, int height);
    // One user less; the surface is freed when the count passes from 1 to 0.
    void Release();
    // The clipping rectangle of the surface.
    void SetClipRect(const TRect& r);

    // Waits for the lock (re-entrant for its holder) and records the holder;
    // a nested unlock gives the lock back to the grid that held it before.
    void Lock(const void* grid);
    void Unlock();
    // True when the calling thread holds the lock for another grid.
    bool IsHeldForOtherGrid(const void* grid) const;

    // The surface's canvas; none until the first Acquire.
    TCanvas* MemDC() const { return surface_ ? surface_->Canvas() : nullptr; }
    TBitmap* Surface() const { return surface_.get(); }
    int SurfaceWidth() const { return surfaceWidth_; }
    int SurfaceHeight() const { return surfaceHeight_; }
    int UseCount() const { return useCount_; }
    const void* LockGrid() const { return lockGrid_; }

private:
    void FreeSurface();

    std::unique_ptr<TBitmap> surface_;
    int surfaceWidth_ = 0;
    int surfaceHeight_ = 0;
    int useCount_ = 0;
    std::recursive_mutex lock_;
    std::atomic<std::thread::id> lockThreadId_{};
    std::atomic<const void*> lockGrid_{nullptr};
    // The holders of the outer locks, innermost last.
    std::vector<const void*> outerGrids_;
};

// One bitmap in a bitmap set. Elements compare by the address of their
// bitmap; a search key is a one-entry key list holding the bitmap reference
// (ObjectToVariant).
class TgrBitmapElement : public TgrSetElement {
public:
    explicit TgrBitmapElement(TBitmap* bitmap) : Bitmap(bitmap) {}
    int CompareElement(TgrCustomSet* set, const TgrSetElement* other) const override;
    int CompareKey(TgrCustomSet* set, const TgrKeyValues& key, Integer limit) const override;

    TBitmap* Bitmap;
    // References held by cells.
    Integer RefCount = 0;
    // 0 until the cell-data writer numbers the bitmap.
    Integer StreamNumber = 0;
    // Whether destroying the element frees the bitmap.
    bool OwnsBitmap = false;

protected:
    ~TgrBitmapElement() override;
};

class TgrBitmapSet : public TgrObjectSet {};

// The key of a bitmap in a bitmap set.
TgrKeyValues BitmapKey(const TBitmap* bitmap);

TgrBitmapElement* FindBitmapElement(TgrBitmapSet* set, const TBitmap* bitmap);
void AddBitmapElement(TgrBitmapSet* set, TgrBitmapElement* element);
// The bitmap's element, or a new one (no references, not owning).
TgrBitmapElement* FindOrAddBitmap(TgrBitmapSet* set, TBitmap* bitmap);
// One reference less; at 0 the element is removed and destroyed (freeing the
// bitmap when the set owns it). Nothing for a bitmap without an element.
void ReleaseBitmapElement(TgrBitmapSet* set, const TBitmap* bitmap);

// The process-wide set: none until first used, freed at shutdown.
TgrBitmapSet* SharedBitmapSet();
// Frees the shared set and every bitmap it owns.
void FreeSharedBitmapSet();
// None also while the set does not exist.
TgrBitmapElement* FindSharedBitmap(const TBitmap* bitmap);
// A new empty bitmap owned by the shared set (no references yet).
TgrBitmapElement* NewSharedBitmap();
// Adds (release False) or drops (release True) one cell reference to a
// bitmap of the shared set; a bitmap the set does not know is not added.
void ReferenceBitmap(const TBitmap* bitmap, bool release);

// The memory canvas every grid paints through; made on first use.
TgrMemoryCanvas* GridMemoryCanvas();

// Readies a canvas before a grid paints on it. The surfaces of this
// platform need no priming, so nothing is drawn.
void PrimeCanvas(TCanvas* canvas);

template <class T>
void FreeAndClear(T*& object) {
    T* p = object;
    object = nullptr;
    delete p;
}

// Whether the control's window, or that of any windowed control inside it
// (depth first), is handle.
bool ContainsWindowHandle(const QWidget* handle, TWinControl* control);
