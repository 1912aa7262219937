#include "grid/TSMask.h"

TgrMaskLink::~TgrMaskLink() { SetMaskDefs(nullptr); }

void TgrMaskLink::SetMaskDefs(TgrMaskDefsComponent* comp) {
    if (comp == MaskDefsComponent) return;
    if (MaskDefsComponent) MaskDefsComponent->RemoveLink(this);
    if (comp) comp->AddLink(this);
}

TObject* TgrMaskLink::FindMask(const std::string& name) {
    if (name.empty() || !MaskDefsComponent) return nullptr;
    return MaskDefsComponent->FindMask(Variant(name));
}
