#pragma once
// An RTF engine writing into memory, without a setup dialog and without
// opening the result, in pixels: the document engine the picture and
// rich-text entries draw into.

#include "docexport/deRTFEng.h"
#include "platform/core/Streams.h"

inline void FuzzRtfIntoMemory(TdeRTFEngine& rtf, TMemoryStream& out) {
    rtf.Preferences()->SetShowSetupDialog(false);
    rtf.Preferences()->SetOpenAfterCreate(false);
    rtf.Preferences()->SetOutputToUserStream(true);
    rtf.SetUserStream(&out);
    rtf.SetMeasurementUnit(muPixels);
}
