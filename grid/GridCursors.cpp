#include "grid/GridCursors.h"

#include <vector>

#include "platform/gui/Cursors.h"

namespace {
struct TgrPt {
    double X, Y;
};

// A 32 x 32 picture: the pixels whose centres lie inside the outline are
// black, the pixels touching them white, the rest see-through.
TCursorPicture DrawCursor(const std::vector<TgrPt>& outline, int hotX, int hotY) {
    constexpr int kSize = 32;
    TCursorPicture p;
    p.Width = p.Height = kSize;
    p.HotX = hotX;
    p.HotY = hotY;
    p.Black.assign(kSize * kSize, false);
    p.Shown.assign(kSize * kSize, false);
    auto inside = [&outline](double x, double y) {
        bool in = false;
        for (size_t i = 0, j = outline.size() - 1; i < outline.size(); j = i++) {
            const TgrPt &a = outline[i], &b = outline[j];
            if ((a.Y > y) != (b.Y > y) && x < (b.X - a.X) * (y - a.Y) / (b.Y - a.Y) + a.X) in = !in;
        }
        return in;
    };
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) p.Black[y * kSize + x] = inside(x + 0.5, y + 0.5);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    int nx = x + dx, ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < kSize && ny < kSize && p.Black[ny * kSize + nx])
                        p.Shown[y * kSize + x] = true;
                }
    return p;
}

TgrGridCursors LoadGridCursors() {
    // The pointer's own shape turned to point up and to the right: the tip
    // on the hot spot, the straight edge running down from it.
    RegisterCursorResource("GRARROWREV", DrawCursor({{14, 3.5},
                                                     {14, 20},
                                                     {10.5, 16.5},
                                                     {7.5, 23},
                                                     {5, 22},
                                                     {8, 15.5},
                                                     {3, 15.5}},
                                                    13, 4));
    // Thick arrows: a shaft seven pixels wide and a head ending on the hot
    // spot's pixel.
    RegisterCursorResource(
        "GRHORARROWRIGHT",
        DrawCursor({{4, 13}, {18, 13}, {18, 9}, {27.4, 16.5}, {18, 24}, {18, 20}, {4, 20}}, 26, 16));
    RegisterCursorResource(
        "GRVERTARROWDOWN",
        DrawCursor({{10, 4}, {17, 4}, {17, 18}, {21, 18}, {13.5, 27.4}, {6, 18}, {10, 18}}, 13, 26));
    TgrGridCursors c;
    c.ArrowRev = LoadCursorResource("GRARROWREV");
    c.HorArrowRight = LoadCursorResource("GRHORARROWRIGHT");
    c.VertArrowDown = LoadCursorResource("GRVERTARROWDOWN");
    return c;
}

// Loaded when the grid unit starts, as its other shared resources are.
[[maybe_unused]] const TgrGridCursors& loadedAtStart = GridCursors();
}  // namespace

const TgrGridCursors& GridCursors() {
    static const TgrGridCursors cursors = LoadGridCursors();
    return cursors;
}
