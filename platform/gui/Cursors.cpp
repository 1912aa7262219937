#include "platform/gui/Cursors.h"

#include <QBitmap>
#include <QCursor>
#include <QImage>
#include <algorithm>
#include <map>
#include <memory>

#include "platform/core/Exception.h"
#include "platform/gui/ControlsPrivate.h"

namespace {
struct TCursorResource {
    TCursorPicture Picture;
    std::unique_ptr<QCursor> Made;  // built at first show: a bitmap needs the application
};

// Picture cursors take the numbers from 1 upwards, in registration order;
// a name registered again keeps its number.
struct TCursorTable {
    std::vector<TCursorResource> ByNumber;
    std::map<std::string, TCursor> ByName;
};

TCursorTable& Table() {
    static TCursorTable table;
    return table;
}

QBitmap PlaneOf(const TCursorPicture& p, const std::vector<bool>& plane) {
    QImage image(p.Width, p.Height, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(0);
    for (int y = 0; y < p.Height; ++y)
        for (int x = 0; x < p.Width; ++x)
            if (plane[size_t(y) * p.Width + x]) image.setPixel(x, y, 1);
    return QBitmap::fromImage(image);
}
}  // namespace

void RegisterCursorResource(const std::string& name, const TCursorPicture& picture) {
    size_t pixels = size_t(std::max(picture.Width, 0)) * size_t(std::max(picture.Height, 0));
    if (picture.Width <= 0 || picture.Height <= 0 || picture.Shown.size() != pixels || picture.Black.size() != pixels)
        throw EInvalidOperation("Cursor picture \"" + name + "\" has no pixels or planes of the wrong size");
    if (picture.HotX < 0 || picture.HotY < 0 || picture.HotX >= picture.Width || picture.HotY >= picture.Height)
        throw EInvalidOperation("Cursor picture \"" + name + "\" has its hot spot outside the picture");
    TCursorTable& t = Table();
    auto found = t.ByName.find(name);
    if (found != t.ByName.end()) {
        TCursorResource& r = t.ByNumber[size_t(found->second) - 1];
        r.Picture = picture;
        r.Made.reset();
        return;
    }
    t.ByNumber.push_back(TCursorResource{picture, nullptr});
    t.ByName[name] = TCursor(t.ByNumber.size());
}

TCursor LoadCursorResource(const std::string& name) {
    const TCursorTable& t = Table();
    auto found = t.ByName.find(name);
    return found == t.ByName.end() ? crDefault : found->second;
}

const TCursorPicture* CursorPicture(TCursor cursor) {
    const TCursorTable& t = Table();
    if (cursor < 1 || size_t(cursor) > t.ByNumber.size()) return nullptr;
    return &t.ByNumber[size_t(cursor) - 1].Picture;
}

QCursor QtCursor(TCursor c) {
    TCursorTable& t = Table();
    if (c < 1 || size_t(c) > t.ByNumber.size()) return QCursor(QtCursorShape(c));
    TCursorResource& r = t.ByNumber[size_t(c) - 1];
    if (!r.Made) {
        // A black pixel is one set in both planes; a shown white pixel is
        // set in the mask only.
        r.Made = std::make_unique<QCursor>(PlaneOf(r.Picture, r.Picture.Black), PlaneOf(r.Picture, r.Picture.Shown),
                                           r.Picture.HotX, r.Picture.HotY);
    }
    return *r.Made;
}
