#pragma once
// Cursors made from pictures. A picture is a 1-bit image with a mask and a
// hot spot; registered under a name it becomes a cursor resource, and
// loading the resource gives it a cursor number that TControl::SetCursor,
// ShowCursorNow and TScreen::SetCursor take like the built-in ones.

#include <string>
#include <vector>

#include "platform/gui/GuiTypes.h"

struct TCursorPicture {
    int Width = 0;
    int Height = 0;
    // Row by row, Width * Height each: Shown marks the pixels drawn at all,
    // Black those of them drawn black (the others are white).
    std::vector<bool> Shown;
    std::vector<bool> Black;
    int HotX = 0;
    int HotY = 0;
};

// Registers (or replaces) the picture of the cursor resource `name`.
// Refuses with EInvalidOperation a picture without pixels, with vectors of
// the wrong length or with its hot spot outside it.
void RegisterCursorResource(const std::string& name, const TCursorPicture& picture);

// The cursor number of the resource `name` (the same number at every
// call), or crDefault when no such resource is registered.
TCursor LoadCursorResource(const std::string& name);

// The picture behind a loaded cursor number; nullptr for a built-in cursor.
const TCursorPicture* CursorPicture(TCursor cursor);
