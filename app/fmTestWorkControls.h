// Private to the wizard window's source files: how its pages make their
// controls (name, parent and bounds set in one call).
#pragma once

#include <string>

#include "app/BrandResources.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/StdCtrls.h"

namespace testwork_controls {

template <class T>
T* Make(TComponent* owner, TWinControl* parent, const std::string& name, int left, int top, int width,
        int height) {
    auto* c = new T(owner);
    c->SetName(name);
    c->SetParent(parent);
    c->SetBounds(left, top, width, height);
    return c;
}

inline TLabel* MakeLabel(TComponent* owner, TWinControl* parent, const std::string& name, int left, int top,
                  const std::string& caption) {
    auto* l = Make<TLabel>(owner, parent, name, left, top, 10, 16);
    l->SetCaption(caption);
    return l;
}

inline TButton* MakeButton(TComponent* owner, TWinControl* parent, const std::string& name, int left, int top, int width,
                    const std::string& caption) {
    auto* b = Make<TButton>(owner, parent, name, left, top, width, 28);
    b->SetCaption(caption);
    return b;
}

inline TCheckBox* MakeCheck(TComponent* owner, TWinControl* parent, const std::string& name, int left, int top, int width,
                     const std::string& caption, bool checked) {
    auto* c = Make<TCheckBox>(owner, parent, name, left, top, width, 20);
    c->SetCaption(caption);
    c->SetChecked(checked);
    return c;
}

inline TImage* MakePicture(TComponent* owner, TWinControl* parent, const std::string& name, int left, int top, int width,
                    int height, const char* picture) {
    auto* image = Make<TImage>(owner, parent, name, left, top, width, height);
    image->SetStretch(true);
    image->SetProportional(true);
    if (picture) LoadEmbeddedPicture(picture, image->Picture());
    return image;
}

}  // namespace testwork_controls
