#include "grid/GridPropTypes.h"

#include "grid/GRGLib.h"

Variant DefaultPropValue(TgrPropId id) {
    switch (id) {
        case gpColor: return Variant(Integer(grColorNotSet));
        case gpFont:
        case gpCombo:
        case gpDateTimeDef:
        case gpObject: return ObjectToVariant(nullptr);
        case gpReadOnlyFlag:
        case gpAlign:
        case gpIs3D:
        case gpSelected: return Variant(false);
        case gpParentFont:
        case gpParentCombo: return Variant(true);
        case gpMaskName: return Variant(std::string());
        case gpAlignment:
        case gpDropDownStyle:
        case gpTag: return Variant(Byte(0));
        case gpWordWrap:
        case gpReadOnly:
        case gpPicture: return Variant(Byte(2));
        case gpButtonType:
        case gpHorzAlignment:
        case gpVertAlignment: return Variant(Byte(3));
        case gpControlType: return Variant(Byte(4));
        case gpSpinOptions: return Variant(Byte(7));
        case gpSpinIncrement: return Variant(Byte(1));
        default: return Variant();
    }
}

bool IsDrawingPropId(TgrPropId id) {
    switch (id) {
        case gpColor:
        case gpFont:
        case gpAlign:
        case gpAlignment:
        case gpWordWrap:
        case gpParentFont:
        case gpPicture: return true;
        default: return false;
    }
}

bool PropValuesEqual(const Variant& a, const Variant& b) {
    return VariantsMatch(a, b);
}
